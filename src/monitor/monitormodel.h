#pragma once
// The rows of the bus monitor's table: the recorder's records that pass the device filter, as
// far as the view has taken them in. The recorder goes on recording; Sync takes in what came.

#include "link/monitorrows.h"

#include <QAbstractTableModel>

#include <deque>

class MonitorModel : public QAbstractTableModel {
public:
    explicit MonitorModel(const FrameRecorder& recorder, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Drops the rows whose records the ring has lost; appends the new records too unless the
    // view is paused.
    void Sync(bool append);
    // Shows only this device (1..31), or every one (0), over the records taken in so far.
    void SetDeviceFilter(int device);
    // Forgets every row (after the recorder was cleared).
    void Restart();

    // The columns of a row as text.
    MonitorRow Row(int row) const;

private:
    bool Passes(const FrameRecord& record) const;

    const FrameRecorder& recorder_;
    std::deque<int64_t> shown_; // serials of the rows
    int64_t next_ = 0;          // the first serial not looked at yet
    int filter_ = 0;
    // One row is painted column by column: keep its texts.
    mutable int64_t cachedSerial_ = -1;
    mutable int cachedRow_ = -1;
    mutable MonitorRow cached_;
};
