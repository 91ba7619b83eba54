#include "link/transmitswitch.h"

bool TransmitSwitch::Start(SerialLine& line, TransmitControl control) {
    mode_ = Mode::None;
    refusal_.clear();
    if (control != TransmitControl::Rts)
        return true;
    if (line.setKernelRs485(true)) {
        mode_ = Mode::Kernel;
        return true;
    }
    // Receiving until the program sends: RTS low, and a port that cannot even do that is told.
    if (line.setRts(false)) {
        mode_ = Mode::Manual;
        return true;
    }
    refusal_ = RefusalText;
    return false;
}

void TransmitSwitch::Stop(SerialLine& line) {
    if (mode_ == Mode::Kernel)
        line.setKernelRs485(false);
    else if (mode_ == Mode::Manual)
        line.setRts(false);
    mode_ = Mode::None;
}

int TransmitSwitch::Finish(SerialLine& line, int written) {
    // Dropped only once the last stop bit is out: earlier would cut the request's end, later
    // would hide the reply's start.
    const bool drained = written < 0 || line.drain();
    const bool dropped = line.setRts(false);
    return written < 0 || !drained || !dropped ? -1 : written;
}
