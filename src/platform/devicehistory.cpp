#include "platform/devicehistory.h"

#include "link/deviceimageread.h"
#include "link/exchangeengine.h"
#include "platform/filestore.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <map>

namespace {
const char* const kStamp = "yyyyMMdd-HHmmss-zzz";

const QRegularExpression& NamePattern() {
    static const QRegularExpression re(R"(^(\d+)_(\d\d)_(\d{8}-\d{6}-\d{3})\.lum$)");
    return re;
}

// The note beside a back-up: the same name with ".txt".
QString NotePath(const QString& backup) {
    return backup.left(backup.size() - 4) + ".txt";
}

std::vector<uint8_t> NoteBytes(const DeviceHistory::Line& line, const QDateTime& when,
                               int sequence) {
    const QString text = "port=" + line.port + "\nspeed=" + line.speed + "\nparity=" + line.parity +
                         "\nstopbits=" + line.stopBits +
                         "\ntime=" + when.toString(Qt::ISODateWithMs) +
                         "\nseq=" + QString::number(sequence) + "\n";
    const QByteArray utf8 = text.toUtf8();
    return std::vector<uint8_t>(utf8.begin(), utf8.end());
}

struct Note {
    DeviceHistory::Line line;
    int sequence = 0;
};

Note ReadNote(const QString& path) {
    Note note;
    DeviceHistory::Line& line = note.line;
    const auto bytes = ReadWholeFile(path);
    if (!bytes)
        return note;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()));
    for (const QString& row : text.split('\n')) {
        const qsizetype eq = row.indexOf('=');
        if (eq < 0)
            continue;
        const QString key = row.left(eq);
        const QString value = row.mid(eq + 1).trimmed();
        if (key == "port")
            line.port = value;
        else if (key == "speed")
            line.speed = value;
        else if (key == "parity")
            line.parity = value;
        else if (key == "stopbits")
            line.stopBits = value;
        else if (key == "seq")
            note.sequence = std::max(value.toInt(), 0); // not a number: as if none
    }
    return note;
}

// Last taken first: numbers over none, then the larger number, then the later name.
bool TakenLater(const DeviceHistory::Entry& a, const DeviceHistory::Entry& b) {
    if (a.sequence != b.sequence)
        return a.sequence > b.sequence;
    return a.when != b.when ? a.when > b.when : a.path > b.path;
}

qint64 SizeOf(const QString& path) {
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}
} // namespace

namespace DeviceHistory {

QString Folder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/history/";
}

bool IsInHistory(const QString& path, const QString& folder) {
    if (path.isEmpty())
        return false;
    // The same folder however it is written (links, ".."); a folder that does not exist is
    // not the history's, whatever its name.
    const QString of = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    const QString history = QFileInfo(QDir(folder).absolutePath()).canonicalFilePath();
    return !of.isEmpty() && of == history;
}

QString FileName(const std::string& modifCode, int deviceNumber, const QDateTime& when) {
    return QString::fromStdString(modifCode) +
           QString("_%1_").arg(deviceNumber, 2, 10, QChar('0')) + when.toString(kStamp) + ".lum";
}

int DeviceOf(const QString& path) {
    const auto m = NamePattern().match(QFileInfo(path).fileName());
    return m.hasMatch() ? m.captured(2).toInt() : 0;
}

Line LineOf(const ExchangeEngine& port) {
    return {QString::fromStdString(port.PortName), QString::fromStdString(port.Speed),
            QString::fromStdString(port.Parity), QString::fromStdString(port.StopBits)};
}

std::vector<Entry> List(const QString& folder) {
    std::vector<Entry> list;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({"*.lum"}, QDir::Files)) {
        const auto m = NamePattern().match(name);
        if (!m.hasMatch())
            continue;
        Entry e;
        e.path = dir.filePath(name);
        e.when = QDateTime::fromString(m.captured(3), kStamp);
        if (!e.when.isValid())
            continue;
        e.deviceNumber = m.captured(2).toInt();
        e.modifCode = m.captured(1);
        const QString note = NotePath(e.path);
        const Note read = ReadNote(note);
        e.line = read.line;
        e.sequence = read.sequence;
        e.bytes = SizeOf(e.path) + SizeOf(note);
        list.push_back(e);
    }
    std::sort(list.begin(), list.end(), TakenLater);
    return list;
}

std::vector<size_t> ToRemove(const std::vector<Entry>& newestFirst, const Limits& limits,
                             const QString& keep) {
    const int perDevice = std::max(limits.perDevice, 1);
    std::map<std::pair<QString, int>, int> seen; // back-ups per device so far, newest first
    std::vector<bool> kept(newestFirst.size());
    qint64 files = 0;
    qint64 bytes = 0;
    for (size_t i = 0; i < newestFirst.size(); ++i) {
        const Entry& e = newestFirst[i];
        kept[i] = seen[{e.modifCode, e.deviceNumber}]++ < perDevice ||
                  (!keep.isEmpty() && e.path == keep);
        ++files;
        bytes += e.bytes;
    }
    auto over = [&] {
        return (limits.maxFiles > 0 && files > limits.maxFiles) ||
               (limits.maxBytes > 0 && bytes > limits.maxBytes);
    };
    std::vector<size_t> removed;
    for (size_t i = newestFirst.size(); i-- > 0 && over();) {
        if (kept[i])
            continue;
        removed.push_back(i);
        --files;
        bytes -= newestFirst[i].bytes;
    }
    return removed;
}

int Prune(const QString& folder, const Limits& limits, const QString& keep) {
    const std::vector<Entry> list = List(folder);
    int removed = 0;
    for (size_t i : ToRemove(list, limits, keep)) {
        if (!RemoveFile(list[i].path))
            continue;
        ++removed;
        if (QFileInfo::exists(NotePath(list[i].path)))
            RemoveFile(NotePath(list[i].path));
    }
    return removed;
}

bool Save(const DeviceImage& image, int deviceNumber, QString* path, QString* error,
          const QString& folder, const QDateTime& when, const Line& line) {
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = "не удается создать папку " + folder;
        return false;
    }
    // Two back-ups within one millisecond must not share a name.
    QDateTime stamp = when;
    QString file = QDir(folder).filePath(FileName(image.ModificationCode(), deviceNumber, stamp));
    while (QFileInfo::exists(file) || QFileInfo::exists(NotePath(file))) {
        stamp = stamp.addMSecs(1);
        file = QDir(folder).filePath(FileName(image.ModificationCode(), deviceNumber, stamp));
    }
    int last = 0;
    for (const Entry& e : List(folder))
        last = std::max(last, e.sequence);
    // The note first: a back-up without it would pass for one from before the notes.
    const QString note = NotePath(file);
    if (!ReplaceFileAtomically(note, NoteBytes(line, stamp, last + 1), error))
        return false;
    if (!ReplaceFileAtomically(file, image.ToFile(), error)) {
        RemoveFile(note);
        return false;
    }
    // Protection against a slip, not a lock: the program itself never saves over a back-up.
    MakeReadOnly(note);
    MakeReadOnly(file);
    if (path)
        *path = file;
    return true;
}

} // namespace DeviceHistory

std::function<bool(const DeviceImage&, int, std::string*, std::string*)>
DeviceHistory::BackupKeeper(const ExchangeEngine& port, const QString& folder) {
    return [line = LineOf(port), folder](const DeviceImage& device, int deviceNumber,
                                         std::string* path, std::string* error) {
        QString kept, why;
        const bool ok =
            Save(device, deviceNumber, &kept, &why, folder, QDateTime::currentDateTime(), line);
        *path = kept.toStdString();
        *error = why.toStdString();
        // Old back-ups go only once the new one is safely on disk.
        if (ok)
            Prune(folder, {}, kept);
        return ok;
    };
}
