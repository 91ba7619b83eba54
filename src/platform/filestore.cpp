#include "platform/filestore.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
constexpr QFile::Permissions ReadOnly =
    QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;

// From the permission bits, not from what the current user may do: an administrator may write
// anything, and a protected file must stay protected for him too.
bool IsReadOnlyFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !(info.permissions() & QFile::WriteOwner);
}
} // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return std::vector<uint8_t>(data.begin(), data.end());
}

bool ReplaceFileAtomically(const QString& path, const std::vector<uint8_t>& bytes, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (IsReadOnlyFile(path))
        return fail(QString::fromUtf8("файл только для чтения"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    const auto size = static_cast<qint64>(bytes.size());
    // The bytes sit in the file's buffer until a flush. commit() flushes as well but does not
    // heed a failure of that flush (a full disk, a size limit): it would rename the cut
    // temporary file over the old one. So the flush is made and checked here.
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(why);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

bool FileCanBeOpened(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

bool MakeReadOnly(const QString& path) {
    return QFile::setPermissions(path, ReadOnly);
}

bool RemoveFile(const QString& path) {
    if (IsReadOnlyFile(path))
        QFile::setPermissions(path, QFileInfo(path).permissions() | QFile::WriteOwner);
    return QFile::remove(path);
}
