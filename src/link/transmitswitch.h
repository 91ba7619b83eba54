#pragma once
// Switching an RS-485 driver to send with the port's RTS line, for adapters and boards that do
// not switch by themselves: the kernel's RS-485 mode where the port has it (RTS on send, the
// delays around it), otherwise RTS raised for the send and dropped once the last byte has left.
// Built on the line's own means (SerialLine::setKernelRs485, setRts, drain), so that the order
// of the calls is the same on every port and can be tested on a scripted one.

#include "link/serialline.h"

#include <string>

class TransmitSwitch {
public:
    enum class Mode {
        None,   // the adapter switches by itself
        Kernel, // the port's driver raises RTS for every send
        Manual, // RTS raised and dropped around every write
    };

    // Sets the port up for the way chosen; false, with the operator's words in Refusal(), when
    // the port can do neither.
    bool Start(SerialLine& line, TransmitControl control);
    // Puts the port back as it was found (the kernel's mode off).
    void Stop(SerialLine& line);
    // One write with the driver switched as set up: send() puts the bytes out and returns the
    // number written or -1 (port failed). Manual: a port that refuses RTS or the wait for the
    // last byte fails the write.
    template <typename Send> int Write(SerialLine& line, Send send) {
        if (mode_ != Mode::Manual)
            return send();
        if (!line.setRts(true))
            return -1;
        const int written = send();
        return Finish(line, written);
    }
    Mode Current() const { return mode_; }
    const std::string& Refusal() const { return refusal_; }

    static constexpr const char* RefusalText =
        "порт не позволяет управлять передачей сигналом RTS; выберите «Управление передачей: "
        "авто» или другой адаптер";

private:
    int Finish(SerialLine& line, int written);

    Mode mode_ = Mode::None;
    std::string refusal_;
};
