#include "monitor/monitorwindow.h"

#include "dialogs/differencesdialog.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/exchangeengine.h"
#include "model/operator.h"
#include "platform/filestore.h"

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

MonitorWindow::MonitorWindow(WindowContext& main, QWidget* parent, size_t capacity)
    : QWidget(parent, Qt::Window), main_(main), recorder_(capacity) {
    setWindowTitle(U("Монитор обмена"));
    resize(1100, 480);
    recorder_.SetWallClock([] { return int64_t(QTime::currentTime().msecsSinceStartOfDay()); });
    recorder_.SetOnRecord([this] { ScheduleRefresh(); });

    auto* tools = new QHBoxLayout;
    pauseButton = new QPushButton(U("Пауза"), this);
    clearButton = new QPushButton(U("Очистить"), this);
    deviceFilterBox = new QComboBox(this);
    deviceFilterBox->addItem(U("Все приборы"));
    for (int d = 1; d <= kDevices; ++d)
        deviceFilterBox->addItem(U("Прибор ") + QString::number(d));
    copyButton = new QPushButton(U("Копировать"), this);
    saveButton = new QPushButton(U("Сохранить..."), this);
    countLabel = new QLabel(this);
    for (QWidget* w : std::initializer_list<QWidget*>{pauseButton, clearButton, deviceFilterBox,
                                                      copyButton, saveButton, countLabel})
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

    connect(pauseButton, &QPushButton::clicked, this, [this] { PauseClick(); });
    connect(clearButton, &QPushButton::clicked, this, [this] { ClearClick(); });
    connect(deviceFilterBox, &QComboBox::activated, this, [this] { DeviceFilterChanged(); });
    connect(copyButton, &QPushButton::clicked, this, [this] { CopyClick(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { SaveClick(); });
    auto* copy = new QShortcut(QKeySequence::Copy, Table);
    connect(copy, &QShortcut::activated, this, [this] { CopyClick(); });

    main_.Engine().AddObserver(&recorder_);
    ShowCount();
}

MonitorWindow::~MonitorWindow() {
    main_.Engine().RemoveObserver(&recorder_);
}

void MonitorWindow::MonitorClick() {
    show();
    raise();
    activateWindow();
}

void MonitorWindow::ScheduleRefresh() {
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

void MonitorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

void MonitorWindow::Refresh() {
    QScrollBar* bar = Table->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    model_->Sync(!paused_);
    Table->doItemsLayout();
    if (atEnd && !paused_)
        Table->scrollToBottom();
    ShowCount();
}

void MonitorWindow::ShowCount() {
    const int64_t kept = recorder_.EndSerial() - recorder_.FirstSerial();
    QString text = U("Записей: ") + QString::number(kept) + U(", отброшено старых: ") +
                   QString::number(recorder_.Dropped());
    if (paused_)
        text += U(" — пауза, запись идёт");
    countLabel->setText(text);
}

void MonitorWindow::PauseClick() {
    paused_ = !paused_;
    pauseButton->setText(paused_ ? U("Продолжить") : U("Пауза"));
    Refresh();
}

void MonitorWindow::ClearClick() {
    recorder_.Clear();
    model_->Restart();
    ShowCount();
}

void MonitorWindow::DeviceFilterChanged() {
    model_->SetDeviceFilter(deviceFilterBox->currentIndex());
    Refresh();
}

void MonitorWindow::CopyClick() {
    QModelIndexList selected = Table->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<MonitorRow> rows;
    for (const QModelIndex& index : selected)
        rows.push_back(model_->Row(index.row()));
    if (!rows.empty())
        QApplication::clipboard()->setText(QString::fromStdString(TabSeparated(rows)));
}

std::string MonitorWindow::ShownText() const {
    std::vector<MonitorRow> rows{MonitorHeader()};
    for (int r = 0; r < model_->rowCount(); ++r)
        rows.push_back(model_->Row(r));
    return TabSeparated(rows);
}

void MonitorWindow::SaveClick() {
    SaveTextFile(main_, U("Сохранение журнала обмена"), U("журнал обмена.txt"), ShownText(),
                 "Журнал обмена");
}
