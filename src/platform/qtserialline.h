#pragma once
// The real serial line: QSerialPort driven synchronously with the engine's read time-outs.
// Two roads for the bytes: on POSIX straight through the port's descriptor, elsewhere (Windows)
// through QSerialPort's own reads and writes. Both are built on Linux and either can be chosen
// there, so that the road Windows takes is tested too.

#include "link/serialline.h"
#include "link/transmitswitch.h"

#include <QSerialPort>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

class QElapsedTimer;

enum class SerialPath {
    Direct,   // the port's own descriptor (POSIX only)
    Portable, // QSerialPort's reads and writes
};

class QtSerialLine : public SerialLine {
public:
    explicit QtSerialLine(SerialPath path = DefaultPath());
    ~QtSerialLine() override;

    bool open(const LineSettings& settings) override;
    bool close() override;
    bool isOpen() const override;
    bool purge() override;
    int write(const uint8_t* bytes, int count) override;
    int read(uint8_t* buffer, int count) override;
    std::string errorText() const override { return errorText_; }
    std::string openFailureText() const override { return openFailureText_; }
    bool setKernelRs485(bool on) override;
    bool setRts(bool high) override;
    bool drain() override;
    // How the driver is switched to send on the port now.
    TransmitSwitch::Mode TransmitMode() const { return transmit_.Current(); }
    // The operator's words for why opening the port at location failed.
    static std::string OpenFailureReason(QSerialPort::SerialPortError error,
                                         const std::string& location);

    SerialPath Path() const { return direct_ ? SerialPath::Direct : SerialPath::Portable; }
    // The road a line takes unless told otherwise: direct on POSIX, where the environment
    // variable LUM_SERIAL_PATH=qserialport (tests, benchmarks) chooses the portable one instead;
    // portable elsewhere.
    static SerialPath DefaultPath();
    // How this build moves the bytes to and from the port, in the operator's words ("О программе").
    static std::string TransferPathName();
    // A read waits at most this long for its first byte (0: the line's own total time-out).
    // Once a byte came the usual rules hold. Scan probes use it, so that a silent address
    // costs a fraction of a second instead of the line's 1300 ms per attempt.
    void SetFirstByteTimeoutMs(int ms) { firstByteMs_ = ms; }

#ifndef _WIN32
    // Where the locks keyed by a device's number live: /run/lock, else /tmp.
    static std::string DeviceLockFolder();
#endif

    // The line's time-outs, in milliseconds.
    static constexpr int ByteGapMs = 100;
    static constexpr int TotalBaseMs = 1000;
    static constexpr int TotalPerByteMs = 100;

private:
    // Remembers what the system said, closes the port and reports -1.
    int Fail();
    int WriteBytes(const uint8_t* bytes, int count);
    // QSerialPort's own reads and writes (the road Windows takes), apart from the dispatch so
    // that the direct road pays nothing for them.
    int WritePortable(const uint8_t* bytes, int count);
    int ReadPortable(uint8_t* buffer, int count);
    bool IsPortFailure() const;
#ifndef _WIN32
    // The transfers on the port's own descriptor: the same time-outs without the detour
    // through QSerialPort's buffers and signals, which costs more than the line itself on a
    // fast port.
    int WriteDirect(const uint8_t* bytes, int count);
    int ReadDirect(uint8_t* buffer, int count);
    // The rest of a read once the bytes read ahead (got of them) are taken: waits for the port.
    int ReadDirectWaiting(uint8_t* buffer, int count, int got);
    int FailErrno(int error);
    // The hold on the port that keeps every other program off it, whatever name reached it
    // (a symbolic link, a second device node): a lock file named after the device's own
    // number, taken before the port is touched, then the kernel's exclusive mode and a lock on
    // the opened descriptor. false when another program holds the port.
    bool HoldDevice(const std::string& location);
    bool HoldDescriptor();
    void ReleaseDevice();
    int deviceLock_ = -1;
    // Bytes read from the port beyond what the last read asked for: a reply comes in one piece
    // and its header and body are asked for apart, so one system call takes both.
    int TakeAhead(uint8_t* buffer, int count) {
        const int n = std::min(count, aheadEnd_ - aheadBegin_);
        std::memcpy(buffer, ahead_ + aheadBegin_, static_cast<size_t>(n));
        aheadBegin_ += n;
        return n;
    }
    uint8_t ahead_[512] = {};
    int aheadBegin_ = 0;
    int aheadEnd_ = 0;
#endif

    // How long a read may wait now for more bytes, in ns: -1 when its time is up; 0 when it gave
    // the program its turn (a long wait for the first byte is cut into turns) and is to look at
    // the port again. Before the first byte the first-byte limit holds, after it the byte gap;
    // the read's total time-out always.
    // now: nanoseconds since the read began.
    qint64 ReadWait(qint64 now, qint64 total, qint64 lastByte, qint64& nextTurn);

    QSerialPort port_;
    std::string errorText_;
    std::string openFailureText_;
    bool direct_ = false;
    TransmitSwitch transmit_;
    // The port's RS-485 settings as found, put back when the port is closed.
    std::vector<uint8_t> savedRs485_;
    int firstByteMs_ = 0;
};

// The road in the operator's words ("О программе").
std::string SerialPathName(SerialPath path);
// The road the program's own line takes.
std::string SerialPathInUse();
