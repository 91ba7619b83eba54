#include "monitor/monitormodel.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <vector>

namespace {

// Light backgrounds with dark text: readable whatever the system's colours.
QColor TroubleBackground(RowTrouble trouble) {
    switch (trouble) {
    case RowTrouble::NoAnswer:
    case RowTrouble::Damaged:
    case RowTrouble::Failed:
        return QColor(0xFD, 0xD8, 0xD3);
    case RowTrouble::Exception:
        return QColor(0xFF, 0xEE, 0xC2);
    case RowTrouble::Foreign:
        return QColor(0xEE, 0xDD, 0xF7);
    case RowTrouble::None:
        break;
    }
    return {};
}

} // namespace

MonitorModel::MonitorModel(const FrameRecorder& recorder, QObject* parent)
    : QAbstractTableModel(parent), recorder_(recorder) {}

int MonitorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int MonitorModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : MonitorColumn::Count;
}

bool MonitorModel::Cache(int row) const {
    if (row < 0 || row >= static_cast<int>(shown_.size()))
        return false;
    const int64_t serial = shown_[static_cast<size_t>(row)];
    if (serial == cachedSerial_ && row == cachedRow_)
        return true;
    const FrameRecord* record = recorder_.At(serial);
    // Lost from the ring since the last Sync: the row goes at the next one.
    if (!record)
        return false;
    const FrameRecord* previous = row > 0 ? recorder_.At(shown_[row - 1]) : nullptr;
    cached_ = FormatRecord(recorder_, *record, previous);
    cachedTrouble_ = TroubleOf(recorder_, *record);
    cachedSerial_ = serial;
    cachedRow_ = row;
    return true;
}

MonitorRow MonitorModel::Row(int row) const {
    return Cache(row) ? cached_ : MonitorRow{};
}

RowTrouble MonitorModel::Trouble(int row) const {
    return Cache(row) ? cachedTrouble_ : RowTrouble::None;
}

QVariant MonitorModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !Cache(index.row()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        // The tip carries the whole text of a cell its column cuts.
        return QString::fromStdString(cached_[static_cast<size_t>(index.column())]);
    case Qt::BackgroundRole:
        if (cachedTrouble_ != RowTrouble::None)
            return QBrush(TroubleBackground(cachedTrouble_));
        return {};
    case Qt::ForegroundRole:
        if (cachedTrouble_ != RowTrouble::None)
            return QBrush(cachedTrouble_ == RowTrouble::Failed ? QColor(0x9A, 0, 0) : Qt::black);
        return {};
    default:
        return {};
    }
}

QVariant MonitorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= MonitorColumn::Count)
        return {};
    return QString::fromStdString(MonitorHeader()[static_cast<size_t>(section)]);
}

bool MonitorModel::Passes(const FrameRecord& record) const {
    if (filter_.device != 0 && record.device + 1 != filter_.device)
        return false;
    if (filter_.function >= 0 && record.function != filter_.function)
        return false;
    if (filter_.errorsOnly && TroubleOf(recorder_, record) == RowTrouble::None)
        return false;
    if (filter_.text.isEmpty())
        return true;
    const MonitorRow row = FormatRecord(recorder_, record, nullptr);
    return std::any_of(row.begin(), row.end(), [this](const std::string& cell) {
        return QString::fromStdString(cell).contains(filter_.text, Qt::CaseInsensitive);
    });
}

int64_t MonitorModel::TakenIn() const {
    return std::max<int64_t>(0, next_ - recorder_.FirstSerial());
}

void MonitorModel::Sync(bool append) {
    size_t gone = 0;
    while (gone < shown_.size() && shown_[gone] < recorder_.FirstSerial())
        ++gone;
    if (gone > 0) {
        beginRemoveRows({}, 0, static_cast<int>(gone) - 1);
        shown_.erase(shown_.begin(), shown_.begin() + static_cast<std::ptrdiff_t>(gone));
        cachedRow_ = -1;
        endRemoveRows();
    }
    if (!append)
        return;
    next_ = std::max(next_, recorder_.FirstSerial());
    std::vector<int64_t> added;
    for (; next_ < recorder_.EndSerial(); ++next_)
        if (Passes(*recorder_.At(next_)))
            added.push_back(next_);
    if (added.empty())
        return;
    const int first = static_cast<int>(shown_.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    shown_.insert(shown_.end(), added.begin(), added.end());
    endInsertRows();
}

void MonitorModel::SetFilter(const MonitorFilter& filter) {
    // The same stretch of the recording as before, seen through the new filter.
    const int64_t until = std::max(next_, recorder_.FirstSerial());
    filter_ = filter;
    beginResetModel();
    shown_.clear();
    for (int64_t s = recorder_.FirstSerial(); s < until; ++s)
        if (Passes(*recorder_.At(s)))
            shown_.push_back(s);
    next_ = until;
    cachedRow_ = -1;
    endResetModel();
}

void MonitorModel::Restart() {
    beginResetModel();
    shown_.clear();
    next_ = recorder_.EndSerial();
    cachedRow_ = -1;
    endResetModel();
}
