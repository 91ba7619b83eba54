#pragma once
// The device history: before a write replaces what a device holds, the device is read into a
// separate image and kept as a configuration file in the history folder, so that no program a
// device held is lost. Plain functions over the engine and QtCore (no widgets), shared by the
// windows and lum08-cli.
//
// A back-up is a plain 712-byte configuration file (any program opens it), written read-only
// and never a save target. Beside it a small text file of the same name with ".txt" says which
// port and line settings it was read over, when, and its number in the order the back-ups were
// taken ("seq=N"). Back-ups from before these notes, or before the numbers, list too.
//
// The order of taking is the numbers' order, never the time in a name: a PC clock once set a
// year ahead must not make its back-ups outlive every one taken since.

#include "model/deviceimage.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <vector>

class ExchangeEngine;

namespace DeviceHistory {

// How many back-ups stay. Every device (modification code and bus number) keeps at least its
// newest perDevice (never fewer than one); beyond those the oldest go until the history holds
// at most maxFiles back-ups and maxBytes bytes, notes included (0: no such limit). A device's
// own newest back-ups win over both limits.
struct Limits {
    int perDevice = 20;
    int maxFiles = 200;
    qint64 maxBytes = 0;
};

// QStandardPaths::AppDataLocation + "/history/".
QString Folder();

// Whether the path names a file in the history folder: such a file is never saved over.
bool IsInHistory(const QString& path, const QString& folder = Folder());

// "<modification code>_<device 01..31>_<yyyyMMdd-HHmmss-zzz>.lum"
QString FileName(const std::string& modifCode, int deviceNumber, const QDateTime& when);

// The device (1..31) a back-up's name says it was read from; 0 for a name of another form.
int DeviceOf(const QString& path);

// The line a back-up was read over, as the engine's port settings give it.
struct Line {
    QString port;
    QString speed;  // bit/s
    QString parity; // "N", "E", "O"
    QString stopBits;
    bool Known() const { return !port.isEmpty(); }
};
Line LineOf(const ExchangeEngine& port);

struct Entry {
    QString path;
    QDateTime when;
    int deviceNumber = 0; // 1..31
    QString modifCode;
    Line line;        // unknown for back-ups kept before the notes were written
    int sequence = 0; // its place in the order of taking; 0 for those kept before the numbers
    qint64 bytes = 0; // the back-up and its note
};

// The back-ups in the folder, the last taken first: the numbered ones by their numbers, after
// them those from before the numbers by the time in their names. Files of other names are not
// ours and are left out.
std::vector<Entry> List(const QString& folder = Folder());

// Which of the back-ups (last taken first, as List gives them) go under the limits: their
// positions in the list, oldest first. The back-up at `keep` stays whatever the limits say.
std::vector<size_t> ToRemove(const std::vector<Entry>& newestFirst, const Limits& limits,
                             const QString& keep = {});

// Deletes what ToRemove names, with their notes; returns how many back-ups were deleted.
int Prune(const QString& folder = Folder(), const Limits& limits = {}, const QString& keep = {});

// Saves the image as a read-only 712-byte configuration file (atomically) under a new name,
// with its note of the line and the next number of the folder (the largest there + 1). false, with
// the reason in error, when the folder or a file cannot be written; nothing is left behind then.
bool Save(const DeviceImage& image, int deviceNumber, QString* path, QString* error,
          const QString& folder = Folder(), const QDateTime& when = QDateTime::currentDateTime(),
          const Line& line = {});

// The one write path's back-up hook for the engine's line: saves what the device held, with
// the line it came over, and then prunes the history, never of the back-up just taken.
std::function<bool(const DeviceImage& device, int deviceNumber, std::string* path,
                   std::string* error)>
BackupKeeper(const ExchangeEngine& port, const QString& folder = Folder());

} // namespace DeviceHistory
