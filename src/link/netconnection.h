#pragma once
// One TCP connection to a gateway with the waits the line needs: a connect that gives up after a
// time, sending within a time, waiting for bytes, reading what is there. POSIX sockets, or
// Winsock on Windows; the rest of the program sees neither.

#include <cstdint>
#include <functional>
#include <string>

class NetConnection {
public:
    enum class Failure {
        None,
        Refused,        // nothing listens at the port: "соединение отклонено"
        NoAnswer,       // the connect timed out: "шлюз не отвечает"
        HostUnknown,    // the name does not resolve
        LookupTimedOut, // the name server gave no answer in the time
        Unreachable,    // no route to the network or the host
        Closed,         // the other end closed or reset the connection
        Stopped,        // the caller's stop came first (a signal, its own deadline)
        Other,
    };

    NetConnection() = default;
    ~NetConnection();
    NetConnection(const NetConnection&) = delete;
    NetConnection& operator=(const NetConnection&) = delete;

    // Connects to host:port within timeoutMs (every address the name has, in turn), giving up
    // as soon as stop, asked every few milliseconds, says so; false with the failure kept.
    bool Connect(const std::string& host, int port, int timeoutMs,
                 const std::function<bool()>& stop = {});
    void Close();
    bool IsOpen() const;

    // Sends all count bytes within timeoutMs; the number sent, or -1 when the connection failed.
    int Send(const uint8_t* bytes, int count, int timeoutMs);
    // Waits up to timeoutMicros for bytes (or for the end of the connection): 1 when reading
    // will not block, 0 when the time passed, -1 when the connection failed.
    int WaitReadable(int64_t timeoutMicros);
    // Reads what has come, without waiting: the number of bytes (0: none yet), or -1 when the
    // connection failed or the other end closed it.
    int Receive(uint8_t* buffer, int size);

    Failure LastFailure() const { return failure_; }
    // The system's error number behind the last failure (0 when none).
    int LastSystemError() const { return systemError_; }

private:
    bool Fail(Failure failure, int systemError);
    Failure Classify(int systemError) const;

    // A socket handle: an int on POSIX, a SOCKET (an unsigned pointer-sized value) on Windows.
    intptr_t socket_ = -1;
    Failure failure_ = Failure::None;
    int systemError_ = 0;
};
