#include "platform/devicehistory.h"

#include "link/deviceimageread.h"
#include "link/exchangeengine.h"
#include "platform/filestore.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

namespace {
const char* const kStamp = "yyyyMMdd-HHmmss-zzz";

const QRegularExpression& NamePattern() {
    static const QRegularExpression re(R"(^(\d+)_(\d\d)_(\d{8}-\d{6}-\d{3})\.lum$)");
    return re;
}
} // namespace

namespace DeviceHistory {

QString Folder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/history/";
}

QString FileName(const std::string& modifCode, int deviceNumber, const QDateTime& when) {
    return QString::fromStdString(modifCode) +
           QString("_%1_").arg(deviceNumber, 2, 10, QChar('0')) + when.toString(kStamp) + ".lum";
}

std::vector<Entry> List(const QString& folder) {
    std::vector<Entry> list;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({"*.lum"}, QDir::Files)) {
        const auto m = NamePattern().match(name);
        if (!m.hasMatch())
            continue;
        Entry e{dir.filePath(name), QDateTime::fromString(m.captured(3), kStamp),
                m.captured(2).toInt(), m.captured(1)};
        if (e.when.isValid())
            list.push_back(e);
    }
    std::sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) {
        return a.when != b.when ? a.when > b.when : a.path > b.path;
    });
    return list;
}

int Prune(const QString& folder, int keep) {
    const std::vector<Entry> list = List(folder);
    int removed = 0;
    for (size_t i = size_t(std::max(keep, 0)); i < list.size(); ++i)
        removed += QFile::remove(list[i].path) ? 1 : 0;
    return removed;
}

bool Save(const DeviceImage& image, int deviceNumber, QString* path, QString* error,
          const QString& folder, const QDateTime& when) {
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = "не удается создать папку " + folder;
        return false;
    }
    // Two back-ups within one millisecond must not share a name.
    QDateTime stamp = when;
    QString file = QDir(folder).filePath(FileName(image.ModificationCode(), deviceNumber, stamp));
    while (QFileInfo::exists(file)) {
        stamp = stamp.addMSecs(1);
        file = QDir(folder).filePath(FileName(image.ModificationCode(), deviceNumber, stamp));
    }
    if (!ReplaceFileAtomically(file, image.ToFile(), error))
        return false;
    if (path)
        *path = file;
    return true;
}

} // namespace DeviceHistory

BackupResult BackUpBeforeWrite(ExchangeEngine& port, int device, const DeviceImage& wanted,
                               const WriteScope& scope, bool movesAddress,
                               const std::function<void()>& step, const QString& folder) {
    BackupResult r;
    if (step)
        step();
    r.code = ReadDeviceConfig(port, device, r.device);
    if (r.code == ResultCode::Ok && scope.config &&
        !std::ranges::equal(r.device.Config(), wanted.Config())) {
        r.step = BackupStep::ConfigDiffers;
        return r;
    }
    if (r.code == ResultCode::Ok)
        r.code = ReadDeviceRecords(port, device, r.device, step);
    if (r.code != ResultCode::Ok) {
        r.step = BackupStep::ReadFailed;
        return r;
    }
    if (SameInScope(r.device, wanted, scope)) {
        r.step = movesAddress ? BackupStep::Write : BackupStep::AlreadyThere;
        return r;
    }
    if (!DeviceHistory::Save(r.device, device + 1, &r.path, &r.error, folder)) {
        r.step = BackupStep::SaveFailed;
        return r;
    }
    // Old back-ups go only once the new one is safely on disk.
    DeviceHistory::Prune(folder);
    r.step = BackupStep::Write;
    return r;
}
