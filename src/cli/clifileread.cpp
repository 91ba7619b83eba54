#include "cli/clifileread.h"

#include "cli/clisession.h"
#include "cli/clistop.h"
#include "link/boundedcall.h"

#include <climits>

#ifdef _WIN32
#include <QFile>
#include <QFileInfo>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Outcome = BoundedRead::Outcome;

#ifdef _WIN32

BoundedRead ReadNow(const std::string& name, size_t maxBytes) {
    BoundedRead r;
    const QFileInfo info(QString::fromStdString(name));
    if (!info.exists()) {
        r.outcome = Outcome::Missing;
        return r;
    }
    if (info.isDir()) {
        r.outcome = Outcome::Folder;
        return r;
    }
    if (!info.isFile()) {
        r.outcome = Outcome::NotRegular;
        return r;
    }
    r.size = info.size();
    if (info.size() > static_cast<qint64>(maxBytes)) {
        r.outcome = Outcome::TooBig;
        return r;
    }
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly)) {
        r.outcome = info.isReadable() ? Outcome::Failed : Outcome::NoAccess;
        return r;
    }
    const QByteArray data = file.read(static_cast<qint64>(maxBytes) + 1);
    if (file.error() != QFileDevice::NoError)
        return r;
    r.outcome = data.size() > static_cast<qint64>(maxBytes) ? Outcome::TooBig : Outcome::Read;
    if (r.outcome == Outcome::Read)
        r.bytes.assign(data.begin(), data.end());
    return r;
}

#else

BoundedRead ReadNow(const std::string& name, size_t maxBytes) {
    BoundedRead r;
    // Without blocking: opening a FIFO would wait for a writer, a terminal for its line.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        r.outcome = errno == ENOENT || errno == ENOTDIR ? Outcome::Missing
                    : errno == EACCES                   ? Outcome::NoAccess
                                                        : Outcome::Failed;
        return r;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return r;
    }
    r.othersMayRead = (info.st_mode & (S_IRGRP | S_IROTH)) != 0;
    r.size = static_cast<long long>(info.st_size);
    if (S_ISDIR(info.st_mode))
        r.outcome = Outcome::Folder;
    else if (!S_ISREG(info.st_mode))
        r.outcome = Outcome::NotRegular;
    else if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        r.outcome = Outcome::TooBig; // a sparse file of gigabytes costs nothing this way
    if (r.outcome != Outcome::Failed) {
        ::close(fd);
        return r;
    }
    // The size may grow while it is read: one byte past the limit tells.
    std::vector<uint8_t> bytes(maxBytes + 1);
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return r;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (got > maxBytes) {
        r.outcome = Outcome::TooBig;
        return r;
    }
    bytes.resize(got);
    r.bytes = std::move(bytes);
    r.outcome = Outcome::Read;
    return r;
}

#endif

} // namespace

BoundedRead ReadFileBounded(const std::string& name, size_t maxBytes,
                            const std::function<bool()>& stop) {
    if (stop && stop())
        return {Outcome::Stopped, {}, false};
    // Beside the program: a file on a server that went away may hold the system's read for
    // minutes, and the command must still hear its stop.
    auto read = CallWithin<BoundedRead>(
        INT_MAX, [name, maxBytes] { return ReadNow(name, maxBytes); }, {}, stop);
    if (!read)
        return {Outcome::Stopped, {}, false};
    return std::move(*read);
}

std::string BoundedReadReason(BoundedRead::Outcome outcome) {
    switch (outcome) {
    case Outcome::Read:
        return {};
    case Outcome::Missing:
        return "нет такого файла";
    case Outcome::Folder:
        return "это папка, а не файл";
    case Outcome::NotRegular:
        return "это не обычный файл";
    case Outcome::TooBig:
        return "слишком большой файл";
    case Outcome::NoAccess:
        return "нет прав на чтение файла";
    case Outcome::Stopped:
        return "чтение прервано";
    case Outcome::Failed:
        break;
    }
    return "файл не читается";
}

std::optional<std::vector<uint8_t>> ReadForCommand(const std::string& name, size_t maxBytes,
                                                   bool exact, const std::string& failed,
                                                   CliConsole& console, bool* othersMayRead) {
    BoundedRead read = ReadFileBounded(name, maxBytes, [] { return CliStop::Due(); });
    switch (read.outcome) {
    case Outcome::Read:
        if (othersMayRead)
            *othersMayRead = read.othersMayRead;
        return std::move(read.bytes);
    case Outcome::Stopped:
        console.Fail(CliExit::Line, CliStop::Kind(), CliStop::Text(), ResultCode::Stopped);
        return std::nullopt;
    case Outcome::TooBig: {
        const std::string limit = std::to_string(maxBytes);
        const bool known = read.size > static_cast<long long>(maxBytes);
        console.Fail(CliExit::Usage, "file",
                     failed + ": " + name + " (" + BoundedReadReason(read.outcome) + ", " +
                         (exact && known ? std::to_string(read.size) + " байт вместо " + limit
                                         : "больше " + limit + " байт") +
                         ")");
        return std::nullopt;
    }
    default:
        console.Fail(CliExit::Usage, "file",
                     failed + ": " + name + " (" + BoundedReadReason(read.outcome) + ")");
        return std::nullopt;
    }
}
