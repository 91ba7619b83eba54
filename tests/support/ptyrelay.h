#pragma once
// A null modem of two pseudo-terminals: whatever is written to one slave comes out of the
// other, through a relay thread that joins the two masters. Two programs (the engine and an
// independent Modbus peer) can then talk as over a real cable.

#include <atomic>
#include <string>
#include <thread>

class PtyRelay {
public:
    PtyRelay();
    ~PtyRelay();
    PtyRelay(const PtyRelay&) = delete;
    PtyRelay& operator=(const PtyRelay&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }
    // The slave paths of the two ends (0 and 1).
    const std::string& Path(int side) const { return path_[side]; }
    // Pulls the cable out at one end: its master is closed, so the port on that side fails.
    // Returns once the relay has done it.
    void Unplug(int side);

private:
    bool OpenSide(int side);
    void Run();
    bool Forward(int from, int to);

    bool ok_ = false;
    std::string error_;
    int master_[2] = {-1, -1};
    int slave_[2] = {-1, -1}; // held open so that the masters never see a hang-up
    int wake_[2] = {-1, -1};  // a pipe that stops the relay or unplugs a side
    std::string path_[2];
    std::atomic<bool> unplugged_[2] = {false, false};
    std::thread thread_;
};
