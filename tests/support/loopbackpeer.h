#pragma once
// The far end of a gateway's connection for tests, on POSIX sockets or Winsock: a listener on
// 127.0.0.1 at a port the system chooses, one accepted connection driven byte by byte.

#include <cstdint>
#include <string>
#include <vector>

class LoopbackPeer {
public:
    using Bytes = std::vector<uint8_t>;

    // Listens with this backlog; Ok() tells whether it does.
    explicit LoopbackPeer(int backlog = 4);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    bool Ok() const { return listen_ != -1; }
    int Port() const { return port_; }
    // "tcp://127.0.0.1:PORT" or "mbtcp://..." for this listener.
    std::string Name(const char* scheme) const;

    // Takes the next connection, waiting at most timeoutMs; false when none came.
    bool Accept(int timeoutMs = 2000);
    // Sends to the accepted connection.
    bool Send(const Bytes& bytes);
    // Reads until n bytes are in or timeoutMs has passed.
    Bytes Receive(size_t n, int timeoutMs = 1000);
    // Closes the accepted connection; abort: with a reset instead of an orderly close.
    void Drop(bool abort = false);
    // Stops listening (the port then refuses).
    void StopListening();

    // Connects to the listener without being accepted, to fill its backlog.
    bool ConnectOnly();

private:
    intptr_t listen_ = -1;
    intptr_t client_ = -1;
    std::vector<intptr_t> waiting_; // connected and never accepted
    int port_ = 0;
};
