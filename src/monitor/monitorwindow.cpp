#include "monitor/monitorwindow.h"

#include "dialogs/commandrun.h"
#include "dialogs/differencesdialog.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/exchangeengine.h"
#include "link/framedecoder.h"
#include "model/operator.h"
#include "platform/enginethread.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kDevices = 31;
// The functions the program sends, in the order an exchange meets them.
constexpr int kFunctions[] = {17, 68, 69, 14, 4, 70};
int64_t LocalNowMs() {
    const QDateTime now = QDateTime::currentDateTime();
    return now.toMSecsSinceEpoch() + int64_t(now.offsetFromUtc()) * 1000;
}

} // namespace

MonitorWindow::MonitorWindow(WindowContext& main, QWidget* parent, size_t capacity)
    : QWidget(parent, Qt::Window), main_(main), recorder_(capacity) {
    setWindowTitle(U("Монитор обмена"));
    // Open or not, it never keeps the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    recorder_.SetWallClock(LocalNowMs);
    recorder_.SetOnRecord([this] { ScheduleRefresh(); });

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(RefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, [this] { Refresh(); });

    model_ = new MonitorModel(recorder_, this);
    Table = new QTableView(this);
    Table->setModel(model_);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setWordWrap(false);
    Table->setTextElideMode(Qt::ElideMiddle);
    Table->verticalHeader()->hide();
    Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->horizontalHeader()->setTextElideMode(Qt::ElideRight);
    SizeColumns();

    devicesLabel = new QLabel(this);
    devicesLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    devicesLabel->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateTools());
    layout->addWidget(Table, 1);
    layout->addWidget(devicesLabel);

    auto* copy = new QShortcut(QKeySequence::Copy, Table);
    connect(copy, &QShortcut::activated, this, [this] { CopyClick(); });

    // The monitor is never greyed: it only shows what the line carries, also during a command.
    main_.Exchanges().AddObserver(&recorder_);
    main_.Exchanges().AddObserver(&counts_);
    KeepLiveDuringCommands(this);

    // Every column whole, within the screen; what still does not fit has its tip.
    int width = 40;
    for (int c = 0; c < MonitorColumn::Count; ++c)
        width += Table->columnWidth(c);
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    const int fitted = std::min(width, screen.width() * 9 / 10);
    FitColumns(fitted - 40);
    resize(fitted, std::min(560, screen.height() * 3 / 4));
    ShowCount();
}

MonitorWindow::~MonitorWindow() {
    main_.Exchanges().RemoveObserver(&counts_);
    main_.Exchanges().RemoveObserver(&recorder_);
}

void MonitorWindow::FitColumns(int width) {
    // The meaning and the function give way first, down to their captions, the bytes last;
    // the whole text is in the tip.
    int over = -width - Table->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < MonitorColumn::Count; ++c)
        over += Table->columnWidth(c);
    const QFontMetrics header(Table->horizontalHeader()->font());
    for (int c : {int(MonitorColumn::Meaning), int(MonitorColumn::Function),
                  int(MonitorColumn::Direction), int(MonitorColumn::Bytes)}) {
        if (over <= 0)
            break;
        const int least =
            header.horizontalAdvance(QString::fromStdString(MonitorHeader()[size_t(c)])) + 18;
        const int give = std::min(over, std::max(0, Table->columnWidth(c) - least));
        Table->setColumnWidth(c, Table->columnWidth(c) - give);
        over -= give;
    }
}

void MonitorWindow::ShowDeviceCounts() {
    QStringList lines;
    for (const std::string& line : counts_.Lines())
        lines << QString::fromStdString(line);
    devicesLabel->setText(lines.isEmpty() ? U("Обмена с приборами ещё не было") : lines.join('\n'));
}

std::string MonitorWindow::CsvFileText() const {
    // The byte order mark tells a spreadsheet that the text is UTF-8.
    return "\xEF\xBB\xBF" + FramesCsv(recorder_, model_->Serials());
}

void MonitorWindow::ExportClick() {
    Refresh();
    SaveTextFile(main_, U("Экспорт кадров обмена"), U("кадры обмена.csv"), CsvFileText(),
                 "Кадры обмена", this);
}

QWidget* MonitorWindow::CreateTools() {
    auto* tools = new QWidget(this);
    auto* grid = new QGridLayout(tools);
    grid->setContentsMargins(0, 0, 0, 0);
    pauseButton = new QPushButton(U("Пауза"), tools);
    clearButton = new QPushButton(U("Очистить"), tools);
    copyButton = new QPushButton(U("Копировать"), tools);
    saveButton = new QPushButton(U("Сохранить..."), tools);
    exportButton = new QPushButton(U("Экспорт CSV..."), tools);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {pauseButton, clearButton, copyButton, saveButton, exportButton})
        buttons->addWidget(b);
    countLabel = new QLabel(tools);
    buttons->addWidget(countLabel, 1);
    grid->addLayout(buttons, 0, 0);

    deviceFilterBox = new QComboBox(tools);
    deviceFilterBox->addItem(U("Все приборы"));
    for (int d = 1; d <= kDevices; ++d)
        deviceFilterBox->addItem(U("Прибор ") + QString::number(d));
    functionFilterBox = new QComboBox(tools);
    functionFilterBox->addItem(U("Все функции"), -1);
    for (int f : kFunctions)
        functionFilterBox->addItem(
            QString::number(f) + U(" ") + QString::fromStdString(FunctionName(f)), f);
    errorsOnlyBox = new QCheckBox(U("Только ошибки"), tools);
    textFilterEdit = new QLineEdit(tools);
    textFilterEdit->setPlaceholderText(U("Текст в любом столбце"));
    textFilterEdit->setClearButtonEnabled(true);
    auto* textLabel = new QLabel(U("Поиск:"), tools);
    textLabel->setBuddy(textFilterEdit);
    auto* filters = new QHBoxLayout;
    filters->addWidget(deviceFilterBox);
    filters->addWidget(functionFilterBox);
    filters->addWidget(errorsOnlyBox);
    filters->addWidget(textLabel);
    filters->addWidget(textFilterEdit, 1);
    grid->addLayout(filters, 1, 0);

    connect(pauseButton, &QPushButton::clicked, this, [this] { PauseClick(); });
    connect(clearButton, &QPushButton::clicked, this, [this] { ClearClick(); });
    connect(copyButton, &QPushButton::clicked, this, [this] { CopyClick(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { SaveClick(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportClick(); });
    connect(deviceFilterBox, &QComboBox::activated, this, [this] { FilterChanged(); });
    connect(functionFilterBox, &QComboBox::activated, this, [this] { FilterChanged(); });
    connect(errorsOnlyBox, &QCheckBox::toggled, this, [this] { FilterChanged(); });
    connect(textFilterEdit, &QLineEdit::textChanged, this, [this] { FilterChanged(); });
    return tools;
}

void MonitorWindow::SizeColumns() {
    // Each column as wide as its longest usual text or its caption; the bytes take the rest.
    const char* const samples[] = {"00:00:00.000",
                                   "+00000",
                                   "нет ответа, 1300 мс",
                                   "все (00)",
                                   "4 чтение входных регистров",
                                   "время прибора 00:00:00 00.00.00 (повтор 10)",
                                   "Длина",
                                   "неверна",
                                   "01 11 C0 2C 01 11 C0 2C"};
    const QFontMetrics text(Table->font());
    const QFontMetrics header(Table->horizontalHeader()->font());
    for (int c = 0; c < MonitorColumn::Count; ++c) {
        const int sample = text.horizontalAdvance(U(samples[c]));
        const int caption =
            header.horizontalAdvance(QString::fromStdString(MonitorHeader()[size_t(c)]));
        Table->setColumnWidth(c, std::max(sample, caption) + 18);
    }
}

void MonitorWindow::MonitorClick() {
    if (!placed_) {
        // Low on the screen, its title bar included: the main window stays in view above it.
        placed_ = true;
        if (const QScreen* s = screen()) {
            const QRect free = s->availableGeometry();
            const int titleBar = 40;
            move(free.left() + std::max(0, (free.width() - width()) / 2),
                 free.top() + std::max(0, free.height() - height() - titleBar));
        }
    }
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void MonitorWindow::ScheduleRefresh() {
    // Nothing is done inside the transaction but a test and, now and then, a timer's start: the
    // refresh runs later, during a pause or after the exchange.
    if (refreshTimer_->isActive() || !isVisible())
        return;
    refreshTimer_->start();
}

void MonitorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

void MonitorWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MonitorWindow::Refresh() {
    refreshTimer_->stop();
    QScrollBar* bar = Table->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    model_->Sync(!paused_);
    if (atEnd && !paused_)
        Table->scrollToBottom();
    ShowCount();
}

void MonitorWindow::ShowCount() {
    const int64_t kept = recorder_.EndSerial() - recorder_.FirstSerial();
    QString text = U("Показано %1 из %2, отброшено старых: %3")
                       .arg(model_->rowCount())
                       .arg(kept)
                       .arg(recorder_.Dropped());
    if (paused_)
        text += U(" — пауза, запись идёт");
    countLabel->setText(text);
    ShowDeviceCounts();
}

void MonitorWindow::PauseClick() {
    paused_ = !paused_;
    pauseButton->setText(paused_ ? U("Продолжить") : U("Пауза"));
    Refresh();
}

void MonitorWindow::ClearClick() {
    recorder_.Clear();
    counts_.Clear();
    model_->Restart();
    ShowCount();
}

void MonitorWindow::FilterChanged() {
    MonitorFilter filter;
    filter.device = deviceFilterBox->currentIndex();
    filter.function = functionFilterBox->currentData().toInt();
    filter.errorsOnly = errorsOnlyBox->isChecked();
    filter.text = textFilterEdit->text().trimmed();
    model_->SetFilter(filter);
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

std::vector<std::string> MonitorWindow::JournalHeading() const {
    const ExchangeEngine& port = main_.Engine();
    const QDateTime now = QDateTime::currentDateTime();
    std::vector<std::string> heading = {
        "Журнал обмена, сохранён " + now.toString(U("dd.MM.yyyy hh:mm:ss")).toStdString(),
        "Линия: порт " + port.PortName + ", " + port.Speed + " бит/с, чётность " + port.Parity +
            ", стоповых битов " + port.StopBits + (port.IsOpen() ? "" : " (порт закрыт)"),
        countLabel->text().toStdString(),
    };
    for (const std::string& line : counts_.Lines())
        heading.push_back(line);
    const MonitorFilter& f = model_->Filter();
    if (f.device != 0 || f.function >= 0 || f.errorsOnly || !f.text.isEmpty())
        heading.push_back("Фильтр: " + deviceFilterBox->currentText().toStdString() + ", " +
                          functionFilterBox->currentText().toStdString() +
                          (f.errorsOnly ? ", только ошибки" : "") +
                          (f.text.isEmpty() ? "" : ", текст «" + f.text.toStdString() + "»"));
    heading.emplace_back();
    return heading;
}

std::string MonitorWindow::JournalFileText() const {
    return JournalText(recorder_, model_->Serials(), JournalHeading());
}

void MonitorWindow::SaveClick() {
    if (saving_)
        return;
    saving_ = true;
    Refresh();
    SaveTextFile(main_, U("Сохранение журнала обмена"), U("журнал обмена.txt"), JournalFileText(),
                 "Журнал обмена", this);
    saving_ = false;
}

MonitorShortcut::MonitorShortcut(std::function<void()> open, QObject* parent)
    : QObject(parent), open_(std::move(open)) {
    qApp->installEventFilter(this);
}

MonitorShortcut::~MonitorShortcut() {
    if (qApp)
        qApp->removeEventFilter(this);
}

bool MonitorShortcut::eventFilter(QObject*, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_M || key->modifiers() != Qt::ControlModifier)
        return false;
    // Claimed as the focus widget's own key, so that it comes here as a key press, the same
    // in every window; the main window's menu item only shows it.
    event->accept();
    if (type == QEvent::KeyPress && !key->isAutoRepeat())
        open_();
    return true;
}
