#pragma once
// The rows of the bus monitor's table: the recorder's records that pass the filter, as far as
// the view has taken them in. The recorder goes on recording; Sync takes in what came.

#include "link/monitorrows.h"

#include <QAbstractTableModel>
#include <QString>

#include <deque>
#include <vector>

// Which records the table shows; the default shows all.
struct MonitorFilter {
    int device = 0;          // 1..31, 0: every device
    int function = -1;       // the transaction's function code, -1: every function
    bool errorsOnly = false; // time-outs, damaged, exception and foreign replies, failed results
    QString text;            // a piece of any column's text, case ignored; empty: any
};

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
    // Shows the records taken in so far through a new filter.
    void SetFilter(const MonitorFilter& filter);
    const MonitorFilter& Filter() const { return filter_; }
    // Forgets every row (after the recorder was cleared).
    void Restart();

    // The columns of a row as text.
    MonitorRow Row(int row) const;
    RowTrouble Trouble(int row) const;
    // The serials of the rows shown, in order.
    std::vector<int64_t> Serials() const { return {shown_.begin(), shown_.end()}; }
    // Records taken in so far (shown or filtered out), from the oldest the ring still holds.
    int64_t TakenIn() const;

private:
    bool Passes(const FrameRecord& record) const;
    // Fills the cache with the row's texts and trouble; false for a row lost from the ring.
    bool Cache(int row) const;

    const FrameRecorder& recorder_;
    std::deque<int64_t> shown_; // serials of the rows
    int64_t next_ = 0;          // the first serial not looked at yet
    MonitorFilter filter_;
    // One row is painted column by column: keep its texts.
    mutable int64_t cachedSerial_ = -1;
    mutable int cachedRow_ = -1;
    mutable MonitorRow cached_;
    mutable RowTrouble cachedTrouble_ = RowTrouble::None;
};
