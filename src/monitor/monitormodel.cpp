#include "monitor/monitormodel.h"

#include <algorithm>
#include <vector>

MonitorModel::MonitorModel(const FrameRecorder& recorder, QObject* parent)
    : QAbstractTableModel(parent), recorder_(recorder) {}

int MonitorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int MonitorModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : MonitorColumn::Count;
}

MonitorRow MonitorModel::Row(int row) const {
    if (row < 0 || row >= static_cast<int>(shown_.size()))
        return {};
    const int64_t serial = shown_[static_cast<size_t>(row)];
    if (serial == cachedSerial_ && row == cachedRow_)
        return cached_;
    const FrameRecord* record = recorder_.At(serial);
    // Lost from the ring since the last Sync: the row goes at the next one.
    if (!record)
        return {};
    const FrameRecord* previous = row > 0 ? recorder_.At(shown_[row - 1]) : nullptr;
    cached_ = FormatRecord(recorder_, *record, previous);
    cachedSerial_ = serial;
    cachedRow_ = row;
    return cached_;
}

QVariant MonitorModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return QString::fromStdString(Row(index.row())[static_cast<size_t>(index.column())]);
}

QVariant MonitorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= MonitorColumn::Count)
        return {};
    return QString::fromStdString(MonitorHeader()[static_cast<size_t>(section)]);
}

bool MonitorModel::Passes(const FrameRecord& record) const {
    return filter_ == 0 || record.device + 1 == filter_;
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

void MonitorModel::SetDeviceFilter(int device) {
    // The same stretch of the recording as before, seen through the new filter.
    const int64_t until = std::max(next_, recorder_.FirstSerial());
    filter_ = device;
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
