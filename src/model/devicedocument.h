#pragma once
// The one device document: what the program works on. The configuration, each module's records,
// the network blocks and the labels are held once, in the typed views below (the bit fields the
// windows edit). Beside them the document knows which blocks are known (read from the device or
// loaded from a file), where they came from, and the baseline they came with, so that "changed"
// is a comparison with what the device or the file holds rather than a flag someone must
// remember to set.

#include "model/deviceimage.h"
#include "model/edithistory.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"
#include "model/reservecopies.h"

#include <array>
#include <functional>
#include <string>

// Where the document's data came from.
struct DocumentOrigin {
    enum class Kind {
        None,   // nothing read or opened yet
        Device, // read from device `device` on `port` at `line` (speed, parity, stop bits)
        File,   // a configuration file at `path`
        Backup, // a back-up of the device history at `path`: read-only, never a save target
    };
    Kind kind = Kind::None;
    int device = -1; // 0-based bus number of a device origin
    std::string port;
    std::string line;
    std::string path;

    static DocumentOrigin Device(int device, std::string port, std::string line);
    static DocumentOrigin File(std::string path);
    static DocumentOrigin Backup(std::string path);
};

class DeviceDocument {
public:
    // The typed views over the document's blocks.
    ModuleConfig modules;
    InputProgram program;
    NetworkBlocks network;
    // The blocks as the device or file last held them, for giving up edits of one window.
    ReserveCopies reserve;

    // The document's content in the configuration file's layout (labels included).
    DeviceImage Image() const;
    // Replaces the whole content (opening a file or a back-up): every block known, the image
    // is the new baseline.
    void Load(const DeviceImage& image, const DocumentOrigin& origin);

    // Which blocks are known. A read that stopped part-way leaves the later modules holding
    // another configuration's records: they must never be written over the device's own.
    bool ConfigKnown() const { return configKnown_; }
    bool ModuleKnown(int m) const; // m 0..5
    bool NetworkKnown() const { return networkKnown_; }
    void SetConfigKnown(bool known);
    void SetModuleKnown(int m, bool known);
    void SetNetworkKnown(bool known) { networkKnown_ = known; }
    // All fitted modules known.
    bool FittedModulesKnown() const;

    const DocumentOrigin& Origin() const { return origin_; }
    void SetOrigin(const DocumentOrigin& origin) { origin_ = origin; }
    bool IsBackup() const { return origin_.kind == DocumentOrigin::Kind::Backup; }
    // Working with a file (or a back-up): edits go to the file, nothing to the device unasked.
    bool IsFileMode() const { return origin_.kind == DocumentOrigin::Kind::File || IsBackup(); }

    // The baseline: what the origin holds. After a read, an open, a save or a write it is the
    // document's own content; after a write the device did not keep, what the device holds.
    const DeviceImage& Baseline() const { return baseline_; }
    void SetBaseline(const DeviceImage& image);
    void TakeBaseline();
    // What a confirmed write left on the device: those parts of the baseline follow.
    void BaselineModule(int m, std::span<const uint8_t> group);
    void BaselineNetwork(std::span<const uint8_t> image);

    // A correction the program makes to records no device should hold: no edit of the
    // operator's, so the baseline takes it too and it is not offered as a change.
    void CorrectRecords(const std::function<void(InputProgram&)>& fix);

    // Changed since the baseline.
    bool ModuleChanged(int m) const;
    bool NetworkChanged() const; // from byte 1 on: byte 0 is the block number
    bool LabelsChanged() const;
    bool ConfigChanged() const;
    bool Changed() const;

    // The operator's edits since the document was read or opened.
    EditHistory history;
    // Reading a device or opening a file starts a new history.
    void NewHistory();
    // Take back, or make again, the last step; false when there is none or an edit is under
    // way.
    bool Undo();
    bool Redo();

    // Called after each step, undo, redo and move of the baseline: whoever shows "changed"
    // looks again.
    std::function<void()> onChange;
    void Notify() const;

private:
    // Puts the edited sections of `image` (module groups, network image, labels) into the views.
    void PutContent(const DeviceImage& image);
    bool Apply(bool undo);

    bool configKnown_ = false;
    std::array<bool, DeviceImage::Groups> moduleKnown_{};
    bool networkKnown_ = false;
    DocumentOrigin origin_;
    DeviceImage baseline_;
};
