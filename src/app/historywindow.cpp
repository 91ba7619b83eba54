#include "app/historywindow.h"

#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/devicecompare.h"
#include "platform/devicehistory.h"
#include "platform/filestore.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// How the back-up differs from the program's data: the first difference and how many there are.
QString DifferenceText(const std::vector<std::string>& lines) {
    if (lines.empty())
        return U("совпадает с данными программы");
    QString text = U(lines.front());
    if (lines.size() > 1)
        text += U(" (всего различий: ") + QString::number(lines.size()) + ")";
    return text;
}

QString LineText(const DeviceHistory::Line& line) {
    if (!line.Known())
        return U("нет сведений");
    return line.port + ", " + line.speed + U(" бит/с, 8") + line.parity + line.stopBits;
}
} // namespace

HistoryWindow::HistoryWindow(WindowContext& main, const QString& folder, QWidget* parent)
    : LumDialog(parent) {
    setWindowTitle(U("История прибора"));
    auto* v = new QVBoxLayout(this);
    Table = new QTableWidget(0, Columns, this);
    Table->setHorizontalHeaderLabels(
        {U("Дата"), U("Устр. №"), U("Исполнение"), U("Порт"), U("Отличия от данных программы")});
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setWordWrap(false);
    Table->setMinimumSize(720, 300);
    v->addWidget(Table);
    auto* h = new QHBoxLayout;
    Open = new QPushButton(U("Открыть"), this);
    Cancel = new QPushButton(U("Отмена"), this);
    h->addStretch();
    h->addWidget(Open);
    h->addWidget(Cancel);
    v->addLayout(h);
    connect(Open, &QPushButton::clicked, this, [this] { CloseWith(mr::Ok); });
    connect(Cancel, &QPushButton::clicked, this, [this] { CloseWith(mr::Cancel); });
    connect(Table, &QTableWidget::cellDoubleClicked, this, [this] { CloseWith(mr::Ok); });
    Fill(main, folder);
}

void HistoryWindow::Fill(WindowContext& main, const QString& folder) {
    const DeviceImage current = main.Document().Image();
    const auto list = DeviceHistory::List(folder);
    Table->setRowCount(int(list.size()));
    for (int row = 0; row < int(list.size()); ++row) {
        const DeviceHistory::Entry& e = list[size_t(row)];
        QString differences = U("файл не читается");
        std::vector<std::string> lines;
        if (const auto bytes = ReadWholeFile(e.path)) {
            if (auto image = DeviceImage::FromFile(*bytes)) {
                image->SetHasLabels(false); // a device read: no labels to compare
                lines = CompareDeviceImages(current, *image);
                differences = DifferenceText(lines);
            }
        }
        const QString texts[Columns] = {e.when.toString("dd.MM.yyyy HH:mm:ss"),
                                        QString::number(e.deviceNumber), e.modifCode,
                                        LineText(e.line), differences};
        for (int c = 0; c < Columns; ++c)
            Table->setItem(row, c, new QTableWidgetItem(texts[c]));
        Table->item(row, Date)->setData(Qt::UserRole, e.path);
        QStringList all;
        for (const std::string& line : lines)
            all << U(line);
        Table->item(row, Differences)->setToolTip(all.join('\n'));
    }
    // The date, number, code and line whole, on one line; the differences take the rest.
    for (int c = Date; c < Differences; ++c)
        Table->resizeColumnToContents(c);
    Table->resizeRowsToContents();
    if (!list.empty())
        Table->selectRow(0);
}

QString HistoryWindow::ChosenFile() const {
    const auto rows = Table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return QString();
    return Table->item(rows.front().row(), Date)->data(Qt::UserRole).toString();
}

int HistoryWindow::ChosenDevice() const {
    const auto rows = Table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return 0;
    return Table->item(rows.front().row(), Device)->text().toInt();
}
