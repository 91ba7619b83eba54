#pragma once
// The one way the console program reads a file (a configuration, a password file, the
// program's password store): never blocking on something that is no file (a FIFO, a device),
// never reading more than the file can hold, and giving up when the command is stopped.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct BoundedRead {
    enum class Outcome {
        Read,       // bytes holds the whole file
        Missing,    // there is no such file
        Folder,     // it is a folder
        NotRegular, // a FIFO, a device, a socket: refused unread
        TooBig,     // more than the limit: refused, at most one byte past it read
        NoAccess,   // the user may not read it
        Failed,     // the system could not read it
        Stopped,    // the stop came first
    };
    Outcome outcome = Outcome::Failed;
    std::vector<uint8_t> bytes;
    // Whether users other than the owner may read it (POSIX permission bits).
    bool othersMayRead = false;
    // The size the system gives for the file (-1 when it gave none).
    long long size = -1;
};

// Reads at most maxBytes of the file; a larger one is TooBig whatever its size says. stop is
// asked every few milliseconds while the system takes its time.
BoundedRead ReadFileBounded(const std::string& name, size_t maxBytes,
                            const std::function<bool()>& stop);

// The reason in the operator's words ("это не обычный файл", "слишком большой файл"); empty for
// Read.
std::string BoundedReadReason(BoundedRead::Outcome outcome);

class CliConsole;

// The file for a command: its bytes, or nothing with the operator told (exit 2 with the reason
// after failed, "Файл не удается открыть: ИМЯ"; exit 3 when the command was stopped meanwhile).
// A file too big is told with its size against the limit when the limit is a size of its own
// (exact), as "больше N байт" otherwise.
std::optional<std::vector<uint8_t>> ReadForCommand(const std::string& name, size_t maxBytes,
                                                   bool exact, const std::string& failed,
                                                   CliConsole& console,
                                                   bool* othersMayRead = nullptr);
