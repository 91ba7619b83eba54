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

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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
    // The windows show inputs 3 to 5 of a valve module as dry contacts: the document says so
    // once, on reading and opening. lum08-cli copies devices byte for byte and leaves it off.
    bool correctsValveInputs = false;

    // The typed views over the document's blocks.
    ModuleConfig modules;
    InputProgram program;
    NetworkBlocks network;

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
    // The device the data came from took another bus number (0-based).
    void DeviceMoved(int from, int to);
    bool IsBackup() const { return origin_.kind == DocumentOrigin::Kind::Backup; }
    // Working with a file (or a back-up): edits go to the file, nothing to the device unasked.
    bool IsFileMode() const { return origin_.kind == DocumentOrigin::Kind::File || IsBackup(); }

    // The baseline: what the origin holds, the one copy of it. After a read, an open, a save or
    // a write it is the document's own content; after a write the device did not keep, what the
    // device holds. Giving up a window's edits goes back to it.
    const DeviceImage& Baseline() const { return baseline_; }
    // What a confirmed write left on the device: a device's baseline follows; a file's stays
    // the file, and the device is remembered as holding the block.
    void DeviceHoldsModule(int m, std::span<const uint8_t> group);
    void DeviceHoldsNetwork(std::span<const uint8_t> image);
    // The document was saved in a file: the file holds all of it now. A file's document takes
    // the file as its origin and baseline.
    void Saved(const std::string& path);
    // Gives up the edits of a module or of the network blocks: back to the baseline, as one
    // step.
    void RevertModule(int m, const std::string& stepName);
    void RevertNetwork(const std::string& stepName);

    // A device was read: it is the origin and the baseline, with a new history. The module
    // records and the network image follow with ModuleRead and NetworkRead as they come.
    void StartFromDevice(const DocumentOrigin& origin);
    // Module m (0..5) or the network image was read into the views.
    void ModuleRead(int m);
    void NetworkRead();

    // Changed since the baseline (what the origin holds).
    bool ModuleChanged(int m) const;
    bool NetworkChanged() const; // from byte 1 on: byte 0 is the block number
    bool LabelsChanged() const;
    bool ConfigChanged() const;
    bool Changed() const;

    // Unsaved work: what neither the file last saved or opened nor the device holds (edits
    // since the last save or confirmed write; labels since the last save, as no device keeps
    // labels). One line per part in the operator's words ("тексты входов не сохранены в
    // файле", "модуль 2 отличается от прибора"); empty when nothing would be lost.
    std::vector<std::string> UnsavedWork() const;
    bool HasUnsavedWork() const { return !UnsavedWork().empty(); }

    // Every change the operator makes goes through here: whatever `change` does to the views
    // becomes one undo step with this name (nothing when it changed nothing). Steps inside a
    // step are part of the outer one.
    void Edit(std::string name, const std::function<void()>& change);
    // A preset of the test menu over every fitted input, as one step.
    void ApplyPreset(TestPreset preset, const std::string& stepName);
    // Changes that are no edit of the operator's (a read, an open, a write's bus number) say so
    // when done, so that a change made outside Edit can be told from them.
    void Settle();
    // Whether the edited sections were changed since the last Edit, Settle, load, undo or
    // redo by anything else: a window that writes the document outside Edit.
    bool ChangedOutsideEdit() const;

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
    // Differs in section `part` (SectionOf) from what the image holds.
    bool Differs(const DeviceImage& image, int part) const;
    // Inputs 3 to 5 of a valve module are dry contacts whatever a device or file says
    // (correctsValveInputs): a correction made on reading, no edit of the operator's.
    void CorrectValveInputs(int m);
    // Puts the edited sections of `image` (module groups, network image, labels) into the views.
    void PutContent(const DeviceImage& image);
    bool Apply(bool undo);

    bool configKnown_ = false;
    std::array<bool, DeviceImage::Groups> moduleKnown_{};
    bool networkKnown_ = false;
    DocumentOrigin origin_;
    DeviceImage baseline_;
    // What the file last saved or opened holds, when there is one.
    std::optional<DeviceImage> saved_;
    // What a device written from a file's document holds, block by block (DeviceParts bits).
    DeviceImage deviceHeld_;
    unsigned deviceHeldParts_ = 0;
    // The edited sections as the last sanctioned change left them.
    std::vector<uint8_t> settled_;
};
