#include "dialogs/russianfilelist.h"

#include "link/framedecoder.h"

#include <QDateTime>
#include <QFileSystemModel>
#include <QLocale>

#include <iterator>

namespace {
// The columns of the toolkit's file list.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;

QLocale Russian() {
    return QLocale(QLocale::Russian, QLocale::Russia);
}
} // namespace

QString RussianFileList::SizeText(qint64 bytes) {
    if (bytes < 1024)
        return QString::fromStdString(ByteCount(int(bytes)));
    // The units as the operator's system names them in Russian (the toolkit's data say "KiB").
    static const char* const units[] = {"КБ", "МБ", "ГБ", "ТБ"};
    double value = double(bytes) / 1024;
    size_t unit = 0;
    for (; value >= 1024 && unit + 1 < std::size(units); ++unit)
        value /= 1024;
    return Russian().toString(value, 'f', 2) + ' ' + QString::fromUtf8(units[unit]);
}

QString RussianFileList::DateText(const QDateTime& time) {
    return Russian().toString(time, QLocale::ShortFormat);
}

QVariant RussianFileList::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !files || !index.isValid() ||
        (index.column() != kSizeColumn && index.column() != kDateColumn))
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (index.column() == kDateColumn)
        return DateText(files->lastModified(source));
    if (files->isDir(source))
        return QIdentityProxyModel::data(index, role); // folders have no size shown
    return SizeText(files->size(source));
}
