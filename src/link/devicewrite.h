#pragma once
// The one write path. Every write of module records or the network image to a device goes
// through WriteToDevice: the main window's whole-device write and its test menu, the scheme
// editor, the network windows, every transfer offered on closing, and lum08-cli. It is the only
// code that sends the block-write function, so each safeguard below is written once:
//   1. refuse, before anything goes on the line, when the access level does not allow it or a
//      block it would write is not known (read from the device or loaded from a file);
//   2. ask before data taken from one device go into another;
//   3. read the device and keep it as a back-up;
//   4. write nothing when the device already holds the data; show the changes first when asked;
//   5. write, confirm and read back each block;
//   6. report, for each block, whether it was sent, confirmed and read back the same.
// The document's baseline follows what the device is known to hold afterwards.

#include "model/deviceimage.h"

#include <functional>
#include <string>
#include <vector>

class DeviceDocument;
class ExchangeEngine;
class ModuleConfig;
class Operator;

enum class BlockState {
    NotSent,           // the block never went on the line
    SentNotConfirmed,  // it went out, the device did not confirm storing it
    Written,           // confirmed (and read back the same, when the write is verified)
    ReadBackDifferent, // confirmed, but the device holds something else
    NotVerified,       // confirmed, but the read-back that was to check it failed
};

struct BlockReport {
    int block = 0; // 1..6: a module's records; 17: the network image; 99: the bus number
    BlockState state = BlockState::NotSent;
};

enum class WriteEnd {
    Refused,      // a check refused it; the operator was told; nothing went on the line
    Cancelled,    // the operator (or a dry run) chose not to write: nothing but reads went out
    NoBackup,     // the back-up failed and the write was not started
    AlreadyThere, // the device holds the data; nothing written
    Failed,       // the exchange failed or was stopped (code)
    Done,         // every block written (and verified when asked)
};

struct DeviceWriteReport {
    WriteEnd end = WriteEnd::Refused;
    int code = 0;         // the exchange's result code when it failed
    int device = 0;       // the device's bus number (0-based) afterwards
    int deviceBefore = 0; // and before
    std::vector<BlockReport> blocks;
    std::string backupPath; // where the device's former content was kept
    int backupCode = 0;     // why the back-up read failed (NoBackup)
    std::string backupError;
    bool verified = false;                // read back and found the same
    int readBackCode = 0;                 // the read-back failed with this code
    std::vector<std::string> differences; // written → read back
    std::vector<std::string> changes;     // device → document, as shown before writing
    DeviceImage wanted;                   // what was to be written
    DeviceImage before;                   // what the device held before (when it was read)
    DeviceImage readBack;                 // what the read-back found (when verified)

    bool AnySent() const;
    bool AllWritten() const;
    int Count(BlockState state) const;
};

struct WriteRequest {
    WriteScope scope;         // what is written; scope.config checks the device's modules first
    int accessLevel = 0;      // 1 allows writing
    bool backup = true;       // read the device and keep it before writing
    bool verify = true;       // read back and compare after writing
    bool initialPause = true; // the 50 ms pause before the first send
    int busyLimitMs = 30000;  // a device busy longer than this ends the write
    // Where the operator sees the document's modules, for the refusal of other modules.
    std::string modulesShownIn = "на экране";
    // Read the device and show what would change (hooks.confirmChanges) before writing.
    bool showChanges = false;
};

struct WriteHooks {
    // Refusals and the question whether to write without a back-up go to the operator.
    Operator* op = nullptr;
    // Keeps what the device held; false with the reason when it could not be kept.
    std::function<bool(const DeviceImage& device, int deviceNumber, std::string* path,
                       std::string* error)>
        keepBackup;
    // Asked when the back-up failed: whether to write without one (nobody asked: no).
    std::function<bool(const std::string& why)> writeWithoutBackup;
    // The share of the requests done and the step under way.
    std::function<void(int done, int total, const std::string& step)> progress;
    // With showChanges: where the write goes ("Прибор 1, порт /dev/ttyUSB0, 9600 8N2") and what
    // changes there (device → document); true writes (nobody asked: no).
    std::function<bool(const std::string& target, const std::vector<std::string>& changes)>
        confirmChanges;
};

// The checks that need no line (access level, known blocks, a configuration to write); a
// refusal is told to op. A window may ask them before its own questions; the write asks them
// again.
bool CheckWrite(const DeviceDocument& doc, const WriteRequest& request, Operator* op);

// The write. The document is the source of what is written and learns what the device holds.
DeviceWriteReport WriteToDevice(ExchangeEngine& engine, DeviceDocument& doc,
                                const WriteRequest& request, const WriteHooks& hooks);

// The bus number of the document's device to newNumber (0-based), block 99, through the write
// path (WriteScope::BusNumber). From the send on the device is addressed by its new number.
DeviceWriteReport ChangeBusNumber(ExchangeEngine& engine, DeviceDocument& doc, int newNumber,
                                  const WriteRequest& request, const WriteHooks& hooks);

// The names the operator knows the blocks by: "Модуль 2", "Сетевые блоки", "Номер прибора".
std::string BlockName(int block);

// What the device now holds after a write that did not finish, in the operator's words: one
// line, e.g. "Записан модуль 1 из 2; модуль 2 передан, но прибор не подтвердил его запись;
// сетевые блоки не записаны." Empty when nothing needs saying.
std::string WriteOutcomeText(const DeviceWriteReport& report);

// "не отправлен", "отправлен, не подтвержден", "записан", "прочитан иначе", "передан и
// подтвержден, но не проверен чтением".
const char* BlockStateName(BlockState state);
