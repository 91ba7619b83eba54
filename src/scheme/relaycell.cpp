#include "scheme/relaycell.h"

#include "scheme/schemecolors.h"

#include <QLabel>

RelayCell::RelayCell(QWidget* owner) : SchemePanel(owner) {
    SetUp();
}

RelayCell::RelayCell(QWidget* owner, int) : SchemePanel(owner) {
    SetUp();
}

RelayCell::~RelayCell() {
    for (QLabel*& cell : cells_) {
        delete cell;
        cell = nullptr;
    }
}

void RelayCell::SetUp() {
    SetCaption(QString::fromUtf8("МР"));
    SetAlignment(Qt::AlignLeft);
    SetSingleBorder(true);
    SetBevelInner(Bevel::Lowered);
    SetFontColor(QColor(0, 0, 0));
    resize(200, 42);
    SetHint(QString::fromUtf8("панель выходов"));
    setMouseTracking(true);
    for (int i = 0; i < cellTotal; ++i) {
        QLabel* cell = MakeStaticText(this, QRect(24 + 34 * i, 10, 32, 17), Qt::AlignLeft);
        QFont f = cell->font();
        f.setBold(false);
        cell->setFont(f);
        SetStaticTextColor(cell, scheme::Silver());
        cell->setToolTip("MP " + QString::number(i + 1));
        cells_[size_t(i)] = cell;
    }
}

void RelayCell::ShowRelays(int i, uint8_t mask) {
    QLabel* cell = Cell(i);
    if (!cell)
        return;
    SetStaticTextColor(cell, scheme::TooltipBackground());
    if (mask == 0)
        return;
    QString hint = cell->toolTip();
    QString text = cell->text();
    for (int k = 0; k < 8; ++k)
        if (mask & (1u << k)) {
            hint += QString::number(k + 1) + ",";
            text += QString::number(k + 1) + ",";
        }
    cell->setToolTip(hint);
    cell->setText(text);
    cellHints_[size_t(i)] = hint;
}

void RelayCell::ClearRelays(int i) {
    QLabel* cell = Cell(i);
    if (!cell)
        return;
    SetStaticTextColor(cell, scheme::Silver());
    cell->clear();
    const QString hint = "MP " + QString::number(i + 1) + ": ";
    cell->setToolTip(hint);
    cellHints_[size_t(i)] = hint;
}

QString RelayCell::GetHint(int i) const {
    return i >= 0 && i < cellTotal ? cellHints_[size_t(i)] : QString();
}
