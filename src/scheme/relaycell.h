#pragma once
// The relay output panel: "МР" and five cells, one per relay module, listing the relays the
// input switches.

#include "scheme/schemepanel.h"

#include <array>

class QLabel;

class RelayCell : public SchemePanel {
    Q_OBJECT
public:
    static constexpr int cellTotal = 5;

    explicit RelayCell(QWidget* owner);
    // The number is not used.
    RelayCell(QWidget* owner, int number);
    ~RelayCell() override;

    // Highlights cell i and appends the relays set in mask ("1," "3," ...) to its text and hint.
    void ShowRelays(int i, uint8_t mask);
    // Cell i back to silver, empty, hint "MP i+1: ".
    void ClearRelays(int i);
    // The hint of cell i as last set by ShowRelays or ClearRelays; empty for any other i.
    QString GetHint(int i) const;

    QLabel* Cell(int i) const { return i >= 0 && i < cellTotal ? cells_[size_t(i)] : nullptr; }

private:
    void SetUp();

    std::array<QLabel*, cellTotal> cells_{};
    std::array<QString, cellTotal> cellHints_;
};
