#pragma once
// Serves one or more emulated devices on a pseudo-terminal: the program (or any Modbus master)
// opens the slave side as its serial port. Runs either on a background thread (Start/Stop) or
// on the caller's thread (Run). Frames are answered the moment they are complete, unless the
// line is paced like a real one (SetPacing).

#include "emuserver/lineserver.h"

#include <string>
#include <vector>

namespace emu {

class PtyServer : public LineServer {
public:
    PtyServer() = default;
    explicit PtyServer(Device& device) { AddDevice(device); }
    ~PtyServer() override;

    // Devices sharing the line; add them before serving. The server does not own them. A
    // device with a speed of its own listens only at that speed, whatever the line's.
    void AddDevice(Device& device, int speed = 0) override;
    // The speed the devices listen at (0: any). A request sent at another speed is noise to
    // them and gets no answer, as on a real line.
    void SetLineSpeed(int baud) override { lineSpeed_ = baud; }

    // Opens the pseudo-terminal (raw, so that no byte is translated); on failure the reason goes
    // to `error`.
    bool Open(std::string* error = nullptr) override;
    bool IsOpen() const { return master_ >= 0; }
    const std::string& SlavePath() const { return slavePath_; }
    std::string PortName() const override { return slavePath_; }
    bool CanEcho() const override { return true; }

    // Closes the terminal: whoever has the port open sees it vanish.
    void Close();

private:
    bool LineOpen() const override { return master_ >= 0; }
    bool Connected() const override { return master_ >= 0; }
    void LineDescriptors(pollfd* line) const override;
    LineEvents TakeLineEvents(const pollfd* line, Framer& framer) override;
    void Deliver(const Incoming& in, Framer& framer) override;
    void Answer(const Frames& frames, TimePoint requestEnd) override;
    void Send(const std::vector<uint8_t>& bytes, bool wholeReply) override;
    bool ReadLine(Framer& framer); // false when the terminal failed
    void CloseTerminal();
    // Whether the port is set to a device's speed now (speed 0: the line's).
    bool AtSpeed(int speed) const;

    std::vector<Device*> devices_;
    std::vector<int> deviceSpeeds_; // 0: the line's speed
    int lineSpeed_ = 0;
    int master_ = -1;
    int slave_ = -1; // kept open so that a client closing the port does not hang up the line
    std::string slavePath_;
};

} // namespace emu
