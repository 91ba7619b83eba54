#pragma once
// The serial port as the exchange engine needs it. The real lines wrap QSerialPort or a TCP
// connection to a gateway; tests plug in a scripted line with a virtual clock, or a real line on
// a pseudo-terminal or on loopback.

#include "link/stopsignal.h"

#include <cstdint>
#include <functional>
#include <string>

// Who switches an RS-485 driver between sending and receiving ("Управление передачей"): the
// adapter by itself, or the program with the port's RTS line.
enum class TransmitControl { Auto, Rts };

struct LineSettings {
    // a platform port name or path: ttyUSB0, /dev/ttyS1, /dev/pts/3, COM12; or a gateway's
    // address: tcp://10.0.0.5:4001, mbtcp://gateway:502
    std::string portName;
    int baudRate = 9600;
    char parity = 'N'; // 'N', 'O' or 'E'
    int stopBits = 2;  // 1 or 2; always 8 data bits, no flow control, DTR and RTS off
    // Rts: RTS is raised while a request goes out (the kernel's RS-485 mode where the port has
    // it); a port that cannot do it is not opened.
    TransmitControl transmit = TransmitControl::Auto;
};

class SerialLine {
public:
    virtual ~SerialLine() = default;

    // Opens the port with the settings; false when it cannot be opened.
    virtual bool open(const LineSettings& settings) = 0;
    // Closes the port; false when the port component failed while closing.
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;
    // Discards everything pending in both directions; false on a port failure.
    virtual bool purge() = 0;
    // Sends the bytes within 1000 ms + 100 ms per byte; returns the number sent, or -1 when the
    // port itself failed (adapter gone).
    virtual int write(const uint8_t* bytes, int count) = 0;
    // Returns as soon as count bytes are in, or after 100 ms without a byte once one came, or
    // after 1000 ms + 100 ms per requested byte in all; the number of bytes read (0..count), or
    // -1 when the port itself failed.
    virtual int read(uint8_t* buffer, int count) = 0;
    // Text of the last port failure, for the operator.
    virtual std::string errorText() const { return {}; }
    // Why the last open failed, in Russian: "порт занят другой программой", "нет прав доступа
    // к порту ...", "порт не найден"; empty when unknown.
    virtual std::string openFailureText() const { return {}; }
    // Whether the name designates a serial port of the platform; on success location receives
    // the name to open it by. By default, on Windows: COM1, COM2, ... (also as \\.\COM12); on
    // POSIX: a bare device name (ttyUSB0 stands for /dev/ttyUSB0) or an absolute path, naming a
    // character device (a symbolic link to one counts).
    virtual bool acceptsPortName(const std::string& name, std::string* location) const;
    // The network's round trip in milliseconds, added to a read's wait for its first byte: a
    // line through a gateway far away takes it, a serial line ignores it.
    virtual void setRoundTripMs(int ms) { (void)ms; }

    // The means of switching the driver with RTS, for TransmitSwitch; a line without them
    // (a gateway, a port that refuses) keeps these defaults.
    // The kernel raises RTS for every send by itself (Linux's RS-485 mode); false: not here.
    virtual bool setKernelRs485(bool on) {
        (void)on;
        return false;
    }
    virtual bool setRts(bool high) {
        (void)high;
        return false;
    }
    // Waits until the last byte written has left the port.
    virtual bool drain() { return true; }

    // A read that waits for its first byte looks at the operator's stop at least this often
    // and gives up once it is raised; set by the engine.
    static constexpr int StopCheckMs = 100;
    virtual void SetStopCheck(std::function<bool()> stop) { stop_ = std::move(stop); }

protected:
    bool HasStopCheck() const { return static_cast<bool>(stop_); }
    bool StopDue() const { return stop_ && stop_(); }
    const std::function<bool()>& StopCheck() const { return stop_; }

private:
    std::function<bool()> stop_;
};

// Time for pauses and time-outs: monotonic milliseconds.
class LineClock {
public:
    virtual ~LineClock() = default;
    virtual int64_t nowMicros() const = 0;
    // Waits until the given number of microseconds have passed.
    virtual void sleepMicros(int64_t micros) = 0;
    // Waits until the clock reads deadline, or less when the stop is raised meanwhile.
    virtual void sleepUntilMicros(int64_t deadline, StopSignal& stop) {
        (void)stop;
        sleepMicros(deadline - nowMicros());
    }
};
