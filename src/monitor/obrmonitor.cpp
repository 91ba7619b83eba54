#include "monitor/obrmonitor.h"

#include "dialogs/difflist.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "link/comportclass.h"
#include "link/filestore.h"
#include "model/operator.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTime>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int kDevices = 31;
}

TFormMonitor::TFormMonitor(LumMain& main, QWidget* parent, size_t capacity)
    : QWidget(parent, Qt::Window), main_(main), recorder_(capacity) {
    setWindowTitle(U("Монитор обмена"));
    resize(1100, 480);
    recorder_.SetWallClock([] { return int64_t(QTime::currentTime().msecsSinceStartOfDay()); });
    recorder_.SetOnRecord([this] { ScheduleRefresh(); });

    auto* tools = new QHBoxLayout;
    ButPause = new QPushButton(U("Пауза"), this);
    ButClear = new QPushButton(U("Очистить"), this);
    CBoxDevice = new QComboBox(this);
    CBoxDevice->addItem(U("Все приборы"));
    for (int d = 1; d <= kDevices; ++d)
        CBoxDevice->addItem(U("Прибор ") + QString::number(d));
    ButCopy = new QPushButton(U("Копировать"), this);
    ButSave = new QPushButton(U("Сохранить..."), this);
    LabelCount = new QLabel(this);
    for (QWidget* w : std::initializer_list<QWidget*>{ButPause, ButClear, CBoxDevice, ButCopy,
                                                      ButSave, LabelCount})
        tools->addWidget(w);
    tools->addStretch();

    model_ = new MonitorModel(recorder_, this);
    Table = new QTableView(this);
    Table->setModel(model_);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setWordWrap(false);
    Table->verticalHeader()->hide();
    Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    const int widths[] = {130, 120, 70, 190, 380, 50, 60};
    for (int c = 0; c < int(std::size(widths)); ++c)
        Table->setColumnWidth(c, widths[c]);
    Table->horizontalHeader()->setStretchLastSection(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(Table);

    connect(ButPause, &QPushButton::clicked, this, [this] { ButPauseClick(); });
    connect(ButClear, &QPushButton::clicked, this, [this] { ButClearClick(); });
    connect(CBoxDevice, &QComboBox::activated, this, [this] { CBoxDeviceChange(); });
    connect(ButCopy, &QPushButton::clicked, this, [this] { ButCopyClick(); });
    connect(ButSave, &QPushButton::clicked, this, [this] { ButSaveClick(); });
    auto* copy = new QShortcut(QKeySequence::Copy, Table);
    connect(copy, &QShortcut::activated, this, [this] { ButCopyClick(); });

    main_.ComPort().AddObserver(&recorder_);
    ShowCount();
}

TFormMonitor::~TFormMonitor() {
    main_.ComPort().RemoveObserver(&recorder_);
}

void TFormMonitor::AMonitorExecute() {
    show();
    raise();
    activateWindow();
}

void TFormMonitor::ScheduleRefresh() {
    // Nothing is done inside the transaction but a flag and, once, a queued call: the main
    // window's idle hook runs it during the next pause.
    if (refreshPosted_ || !isVisible())
        return;
    refreshPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshPosted_ = false;
            Refresh();
        },
        Qt::QueuedConnection);
}

void TFormMonitor::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

void TFormMonitor::Refresh() {
    QScrollBar* bar = Table->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    model_->Sync(!paused_);
    Table->doItemsLayout();
    if (atEnd && !paused_)
        Table->scrollToBottom();
    ShowCount();
}

void TFormMonitor::ShowCount() {
    const int64_t kept = recorder_.EndSerial() - recorder_.FirstSerial();
    QString text = U("Записей: ") + QString::number(kept) + U(", отброшено старых: ") +
                   QString::number(recorder_.Dropped());
    if (paused_)
        text += U(" — пауза, запись идёт");
    LabelCount->setText(text);
}

void TFormMonitor::ButPauseClick() {
    paused_ = !paused_;
    ButPause->setText(paused_ ? U("Продолжить") : U("Пауза"));
    Refresh();
}

void TFormMonitor::ButClearClick() {
    recorder_.Clear();
    model_->Restart();
    ShowCount();
}

void TFormMonitor::CBoxDeviceChange() {
    model_->SetDeviceFilter(CBoxDevice->currentIndex());
    Refresh();
}

void TFormMonitor::ButCopyClick() {
    QModelIndexList selected = Table->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<MonitorRow> rows;
    for (const QModelIndex& index : selected)
        rows.push_back(model_->Row(index.row()));
    if (!rows.empty())
        QApplication::clipboard()->setText(QString::fromStdString(TabSeparated(rows)));
}

std::string TFormMonitor::ShownText() const {
    std::vector<MonitorRow> rows{MonitorHeader()};
    for (int r = 0; r < model_->rowCount(); ++r)
        rows.push_back(model_->Row(r));
    return TabSeparated(rows);
}

void TFormMonitor::ButSaveClick() {
    SaveTextFile(main_, U("Сохранение журнала обмена"), U("журнал обмена.txt"), ShownText(),
                 "Журнал обмена");
}
