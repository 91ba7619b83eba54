#pragma once
// "История прибора": the back-ups kept before writes, newest first, with their differences to
// the data in the program. The chosen one is opened like any configuration file.

#include "dialogs/lumdialog.h"

#include <QString>

class LumMain;
class QPushButton;
class QTableWidget;

class THistory : public TLumDialog {
    Q_OBJECT
public:
    THistory(LumMain& main, const QString& folder, QWidget* parent = nullptr);

    // The back-up of the selected row; empty when none is selected.
    QString ChosenFile() const;

    QTableWidget* Table = nullptr; // date, device, modification code, differences
    QPushButton* Open = nullptr;
    QPushButton* Cancel = nullptr;

private:
    void Fill(LumMain& main, const QString& folder);
};
