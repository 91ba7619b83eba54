#pragma once
// "История прибора": the back-ups kept before writes, newest first, with the line they were read
// over and their differences to the data in the program. The chosen one is opened like any
// configuration file, but is never saved over.

#include "dialogs/lumdialog.h"

#include <QString>

class WindowContext;
class QPushButton;
class QTableWidget;

class HistoryWindow : public LumDialog {
    Q_OBJECT
public:
    HistoryWindow(WindowContext& main, const QString& folder, QWidget* parent = nullptr);

    enum Column { Date, Device, Modif, Port, Differences, Columns };

    // The back-up of the selected row; empty when none is selected.
    QString ChosenFile() const;
    // The device (1..31) the selected back-up was read from; 0 when none is selected.
    int ChosenDevice() const;

    QTableWidget* Table = nullptr; // one row per back-up, columns as above
    QPushButton* Open = nullptr;
    QPushButton* Cancel = nullptr;

private:
    void Fill(WindowContext& main, const QString& folder);
};
