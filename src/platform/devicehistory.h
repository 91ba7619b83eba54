#pragma once
// The device history: before a write replaces what a device holds, the device is read into a
// separate image and kept as a configuration file in the history folder, so that no program a
// device held is lost. Plain functions over the engine and QtCore (no widgets), shared by the
// windows and lum08-cli.

#include "model/deviceimage.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <vector>

class ExchangeEngine;

namespace DeviceHistory {

constexpr int Keep = 200;

// QStandardPaths::AppDataLocation + "/history/".
QString Folder();

// "<modification code>_<device 01..31>_<yyyyMMdd-HHmmss-zzz>.lum"
QString FileName(const std::string& modifCode, int deviceNumber, const QDateTime& when);

struct Entry {
    QString path;
    QDateTime when;
    int deviceNumber = 0; // 1..31
    QString modifCode;
};

// The back-ups in the folder, newest first; files of other names are not ours and are left out.
std::vector<Entry> List(const QString& folder = Folder());

// Deletes all but the newest `keep` back-ups; returns how many were deleted.
int Prune(const QString& folder = Folder(), int keep = Keep);

// Saves the image as a 712-byte configuration file (atomically) under a new name. false, with
// the reason in error, when the folder or the file cannot be written.
bool Save(const DeviceImage& image, int deviceNumber, QString* path, QString* error,
          const QString& folder = Folder(), const QDateTime& when = QDateTime::currentDateTime());

} // namespace DeviceHistory

// What the back-up before a write found.
enum class BackupStep {
    Write,         // the device's contents are kept; go on with the write
    AlreadyThere,  // the device holds exactly what would be written: no back-up, no write
    ReadFailed,    // the device could not be read (code): the write must not start unasked
    SaveFailed,    // the read worked but the file could not be written (error)
    ConfigDiffers, // a whole-device write to a device with other modules: its own check refuses
                   // it, so nothing more is read and nothing kept
};

struct BackupResult {
    BackupStep step = BackupStep::ReadFailed;
    int code = 0;       // the read's result code
    QString path;       // the back-up file (Write)
    QString error;      // why the file could not be written (SaveFailed)
    DeviceImage device; // what the device held, as far as it was read
};

// Reads device `device` (0-based) whole and keeps it in the history unless it already holds
// `wanted` in the part `scope` writes. A write that also moves the device to another bus number
// (movesAddress) still has work to do on equal contents: it gets Write, without a back-up file.
// After a kept back-up the history is pruned to the newest DeviceHistory::Keep. A scope with the
// configuration stops after the configuration when it differs (ConfigDiffers).
BackupResult BackUpBeforeWrite(ExchangeEngine& port, int device, const DeviceImage& wanted,
                               const WriteScope& scope, bool movesAddress = false,
                               const std::function<void()>& step = {},
                               const QString& folder = DeviceHistory::Folder());
