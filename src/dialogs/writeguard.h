#pragma once
// What goes around every write that replaces module records or the network image: before it,
// the device is read and kept in the device history (or the write is found needless); after it,
// what was written is read back and compared. The windows call Start before their write and
// Finish after a successful one; the decisions themselves are plain functions of src/link.

#include "model/deviceimage.h"

#include <functional>
#include <string>

class ExchangeProgress;
class WindowContext;

class WriteGuard {
public:
    WriteGuard(WindowContext& main, const WriteScope& scope);

    // The back-up. true: go on with the write. false: the write must not run, either because
    // the device already holds the data (told; the model then counts as written) or because the
    // back-up failed and the operator did not choose to write without one.
    bool Start();
    // After a write that reported success: reads back what it sent and compares. A difference
    // (or a failed read-back) is told with the list, and the change flags stay set so that the
    // data are offered again. Returns whether the device holds what was written.
    bool Finish();

    // How many requests the back-up and the read-back make, for a progress bar's count.
    int Requests() const;

    // "Прибор уже содержит эти данные" was found by Start.
    bool AlreadyThere() const { return alreadyThere_; }

private:
    // The reserve copies of the scope take what the device holds (when known); the change
    // flags of the scope are cleared when it holds what was meant, else set.
    void MarkWritten(const DeviceImage* device, bool written);

    WindowContext& main_;
    WriteScope scope_;
    DeviceImage wanted_;
    bool alreadyThere_ = false;
};

// A one-block write (a module's records, the network image) with everything around it.
struct BlockWrite {
    WriteScope scope;
    std::string name;        // the step text: "Модуль 2", "Сетевые блоки"
    std::string notWritten;  // told when the block never went out
    std::string unconfirmed; // told when it went out and the device did not confirm it
    // Sends the block, calling its argument after the send; returns the engine's code.
    std::function<int(const std::function<void()>& onSend)> write;
};

// The back-up before (the write does not start without one unless the operator so chose), the
// progress and "Стоп", the read-back after, and what a failure tells. Returns the write's code;
// 0 when the device already held the data; -1 when the write did not start.
int GuardedBlockWrite(WindowContext& main, ExchangeProgress& progress, const BlockWrite& block);
