#include "app/mainwindow.h"

#include "app/guidewindow.h"
#include "dialogs/accelerators.h"
#include "dialogs/commandrun.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/explicitchoice.h"
#include "dialogs/qtoperator.h"
#include "dialogs/session.h"
#include "dialogs/uitext.h"
#include "link/exchangeengine.h"
#include "model/inputprogram.h"
#include "model/labelclipboard.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"
#include "monitor/monitorwindow.h"
#include "network/networkwindow.h"
#include "platform/enginethread.h"
#include "port/portdialog.h"
#include "report/inputstable.h"
#include "scheme/schemeeditor.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWindow>
#include <utility>

namespace {
// A key, for the password change: the bow, the shaft and two teeth, in brass.
QIcon KeyIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        const QColor brass(0xC8, 0x96, 0x1E);
        const QColor edge(0x6E, 0x4E, 0x0A);
        p.setPen(QPen(edge, 1.5));
        p.setBrush(brass);
        QPainterPath key;
        key.addEllipse(QRectF(2, 8, 14, 14));
        key.addRect(QRectF(14, 13, 16, 4));
        key.addRect(QRectF(23, 17, 3, 5));
        key.addRect(QRectF(27, 17, 3, 7));
        p.drawPath(key.simplified());
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(6, 12, 6, 6)); // the bow's hole
        icon.addPixmap(pixmap);
    }
    return icon;
}
} // namespace

MainWindow::MainWindow(Session& session)
    : program_(session), engine_(&session.Engine()), exchanges_(&session.Exchanges()),
      document_(&session.Document()), access_(session.Access()), session_(session.Settings()),
      labelClipboard_(&session.Clipboard()), op_(&session.Op()),
      portChoices_(std::make_unique<PortChoices>()) {
    // The program's message boxes stand over the main window.
    if (QtOperator* boxes = session.Boxes())
        boxes->SetParent(this);

    setWindowTitle(U("Программатор ЛУМ - 08"));
    CreateActions();
    CreateMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(CreateDeviceRow());

    layout->addWidget(CreateProgressRow());
    CreateLineViews();

    auto* buttons = new QHBoxLayout;
    testButton = new QPushButton(U("Тестирование"), central);
    clockButton = new QPushButton(U("Задание времени и даты"), central);
    buttons->addWidget(testButton);
    buttons->addWidget(clockButton);
    buttons->addStretch();
    layout->addLayout(buttons);

    layout->addWidget(CreateModuleTable());
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CreateConfigGroup());
    bottom->addWidget(CreateNetworkGroup());
    layout->addLayout(bottom);
    layout->addStretch();
    setCentralWidget(central);

    CreateTestMenu();
    GiveAccelerators(menuBar());
    for (QPushButton* b :
         {testButton, clockButton, inputsTableButton, networkSettingsButton, f15BlocksButton})
        b->setEnabled(false);
    connect(clockButton, &QPushButton::clicked, this, [this] { ClockClick(); });
    connect(inputsTableButton, &QPushButton::clicked, this, [this] { InputsTableClick(); });
    connect(networkSettingsButton, &QPushButton::clicked, this, [this] { NetworkSettingsClick(); });
    connect(f15BlocksButton, &QPushButton::clicked, this, [this] { F15BlocksClick(); });

    // Both device combos start at "1", as the session's document does.
    deviceNumberBox->setCurrentIndex(0);
    newNumberBox->setCurrentIndex(0);
    connect(deviceNumberBox, &QComboBox::activated, this, [this] { DeviceNumberChanged(); });
    connect(newNumberBox, &QComboBox::activated, this, [this] { NewNumberChanged(); });
    // A choice here goes to the device on the line at once; the other one says which device
    // F9 and F10 address.
    RequireExplicitChoice(newNumberBox);
    RequireExplicitChoice(deviceNumberBox);
    // After the input guard, so that it is asked first: Ctrl+M passes even during a poll.
    new MonitorShortcut([this] { MonitorClick(); }, this);
    document_->onChange = [this] { ShowEditState(); };
    ShowEditState();
}

void MainWindow::ShowEditState() {
    const EditHistory& history = document_->history;
    auto text = [](const char* command, const std::string& step) {
        QString t = U(command);
        if (!step.empty())
            t += ": " + QString::fromStdString(step).replace('&', "&&");
        return t;
    };
    undoAction->setText(text("&Отменить", history.UndoName()));
    undoAction->setEnabled(history.CanUndo());
    redoAction->setText(text("&Повторить", history.RedoName()));
    redoAction->setEnabled(history.CanRedo());
    // The mark says exactly what would be lost now, and its tooltip says what that is.
    const std::vector<std::string> unsaved = document_->UnsavedWork();
    QStringList lines;
    for (const std::string& line : unsaved)
        lines << U(line);
    changedLabel->setVisible(!unsaved.empty());
    changedLabel->setToolTip(lines.join('\n'));
}

void MainWindow::ShowDocumentAgain() {
    if (schemeEditor_)
        schemeEditor_->ShowDocument();
    if (inputsTable_)
        inputsTable_->RefreshLabels();
    if (networkWindow_)
        networkWindow_->ShowDocument();
}

MainWindow::~MainWindow() {
    document_->onChange = {};
    if (QtOperator* boxes = program_.Boxes())
        boxes->SetParent(nullptr);
    // The children listening to the engine's thread go before the window's members do.
    delete lineStateField_;
    delete progress_;
    delete guide_;
    monitor_.reset();
    // The built-in device goes with the window: the engine lets go of its line first.
    if (portChoices_->emulator)
        ::ClosePort(*this);
}

void MainWindow::CreateActions() {
    struct Def {
        QAction** action;
        const char* caption;
        const char* hint;
        Qt::Key key;
        void (MainWindow::*run)();
    };
    const Def defs[] = {
        {&writeAction, "Вывод на СОМ-порт", nullptr, Qt::Key_F10, &MainWindow::WriteDeviceClick},
        {&readAction, "Ввод с СОМ-порта", nullptr, Qt::Key_F9, &MainWindow::ReadDeviceClick},
        {&portAction, "Настройка СОМ порта", nullptr, Qt::Key_unknown,
         &MainWindow::PortSettingsClick},
        {&timingAction, "Настройка обмена", nullptr, Qt::Key_unknown,
         &MainWindow::ExchangeTimingClick},
        {&passwordAction, "Замена пароля", nullptr, Qt::Key_F8, &MainWindow::ChangePasswordClick},
        {&openAction, "Открыть файл конфигурации", nullptr, Qt::Key_F3, &MainWindow::OpenFileClick},
        {&saveAction, "Сохранить как ...", "Сохранить схему", Qt::Key_F2,
         &MainWindow::SaveFileClick},
        {&createAction, "Создание файла конфигурации", nullptr, Qt::Key_unknown,
         &MainWindow::CreateFileClick},
    };
    for (const Def& d : defs) {
        auto* a = new QAction(U(d.caption), this);
        const QString hint = U(d.hint ? d.hint : d.caption);
        a->setToolTip(hint);
        a->setStatusTip(hint);
        if (d.key != Qt::Key_unknown)
            a->setShortcut(QKeySequence(d.key));
        auto run = d.run;
        connect(a, &QAction::triggered, this, [this, run] { (this->*run)(); });
        *d.action = a;
    }
    const QStyle::StandardPixmap icons[] = {
        QStyle::SP_ArrowUp,           QStyle::SP_ArrowDown,
        QStyle::SP_ComputerIcon,      QStyle::SP_FileDialogDetailedView,
        QStyle::SP_DialogResetButton, QStyle::SP_DialogOpenButton,
        QStyle::SP_DialogSaveButton,  QStyle::SP_FileIcon};
    QAction* all[] = {writeAction,    readAction, portAction, timingAction,
                      passwordAction, openAction, saveAction, createAction};
    for (int i = 0; i < 8; ++i)
        all[i]->setIcon(style()->standardIcon(icons[i]));
    // The styles have no key among their icons; the password's is drawn.
    passwordAction->setIcon(KeyIcon());
}

void MainWindow::CreateMenus() {
    QMenu* file = menuBar()->addMenu(U("   Файл          "));
    auto* create = new QAction(U("Создать файла конфигурации"), this);
    connect(create, &QAction::triggered, createAction, &QAction::trigger);
    file->addAction(create);
    file->addAction(openAction);
    file->addAction(saveAction);
    CreateVerifyActions(file);
    CreateRecentFiles(file);
    QMenu* edit = menuBar()->addMenu(U("Правка"));
    undoAction = edit->addAction(U("Отменить"), this, [this] { UndoEdit(); });
    undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction = edit->addAction(U("Повторить"), this, [this] { RedoEdit(); });
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    QMenu* port = menuBar()->addMenu(U("        Порт           "));
    port->addAction(readAction);
    port->addAction(writeAction);
    port->addSeparator();
    port->addAction(portAction);
    port->addAction(timingAction);
    port->addSeparator();
    lineScanAction = port->addAction(U("Обзор линии"), this, [this] { LineScanClick(); });
    monitorAction = port->addAction(U("Монитор обмена"), this, [this] { MonitorClick(); });
    monitorAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    QMenu* password = menuBar()->addMenu(U("     Пароль"));
    enterPasswordAction =
        password->addAction(U("Ввести пароль …"), this, [this] { EnterPasswordClick(); });
    password->addAction(passwordAction);
    CreateHelpMenu();

    toolBar = addToolBar(U("Панель"));
    toolBar->setMovable(false);
    toolBar->addAction(createAction);
    toolBar->addAction(openAction);
    toolBar->addAction(saveAction);
    toolBar->addSeparator();
    toolBar->addAction(portAction);
    toolBar->addSeparator();
    toolBar->addAction(readAction);
    toolBar->addAction(writeAction);
    toolBar->addSeparator();
    toolBar->addAction(passwordAction);
}

QWidget* MainWindow::CreateDeviceRow() {
    auto* row = new QWidget(this);
    auto* v = new QVBoxLayout(row);
    v->setContentsMargins(0, 0, 0, 0);
    auto* h = new QHBoxLayout;
    v->addLayout(h);
    deviceNumberLabel = new QLabel(U("Устр. №"), row);
    deviceNumberBox = new QComboBox(row);
    newNumberLabel = new QLabel(U("Изм. № устр."), row);
    newNumberBox = new QComboBox(row);
    for (int n = 1; n <= 31; ++n) {
        deviceNumberBox->addItem(QString::number(n));
        newNumberBox->addItem(QString::number(n));
    }
    modificationLabel = new QLabel(U(" Исполнение"), row);
    modificationEdit = new QLineEdit(U("00000000"), row);
    modificationEdit->setEnabled(false);
    // Shown, not edited: readable as plain text rather than greyed out.
    QPalette shown = modificationEdit->palette();
    shown.setColor(QPalette::Disabled, QPalette::Text,
                   shown.color(QPalette::Active, QPalette::Text));
    shown.setColor(QPalette::Disabled, QPalette::Base,
                   shown.color(QPalette::Active, QPalette::Base));
    modificationEdit->setPalette(shown);
    modificationEdit->setMinimumWidth(150);
    fileLabel = new ElidedLabel(U("Режим работы с файлом"), row);
    fileLabel->setObjectName("fileLabel"); // its style is not for its hint
    fileLabel->setStyleSheet("#fileLabel { color: red; font-weight: bold }");
    fileLabel->hide();
    changedLabel = new QLabel(U("Данные изменены"), row);
    changedLabel->setStyleSheet("color: #A00000");
    // Its place is kept while it is hidden: the fields beside it do not move.
    QSizePolicy keep = changedLabel->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    changedLabel->setSizePolicy(keep);
    for (QWidget* w : std::initializer_list<QWidget*>{
             deviceNumberLabel, deviceNumberBox, newNumberLabel, newNumberBox, modificationLabel,
             modificationEdit, changedLabel})
        h->addWidget(w);
    h->addStretch();
    // A line of its own: a file's path gets the window's whole width.
    v->addWidget(fileLabel);
    return row;
}

QGroupBox* MainWindow::CreateModuleTable() {
    auto* box = new QGroupBox(U(" Таблица модулей ввода"), this);
    // A taller window gets room below, not taller rows.
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* grid = new QGridLayout(box);
    const char* headings[] = {"Адрес модуля", "Тип модуля", "Код модуля",
                              "Входы",        "Выходы",     "Программирование"};
    for (int c = 0; c < 6; ++c) {
        auto* h = new QLabel(U(headings[c]), box);
        h->setStyleSheet("font-weight: bold");
        grid->addWidget(h, 0, c);
    }
    for (int r = 0; r < 8; ++r) {
        auto cell = [box](int minWidth) {
            auto* l = new QLabel(box);
            l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            l->setMinimumWidth(minWidth);
            return l;
        };
        moduleAddressLabels[r] = cell(60);
        moduleTypeLabels[r] = cell(60);
        moduleCodeLabels[r] = cell(50);
        inputRangeLabels[r] = cell(140);
        outputLabels[r] = cell(80);
        programButtons[r] = new QPushButton(box);
        programButtons[r]->setEnabled(false);
        QWidget* cells[] = {moduleAddressLabels[r], moduleTypeLabels[r], moduleCodeLabels[r],
                            inputRangeLabels[r],    outputLabels[r],     programButtons[r]};
        for (int c = 0; c < 6; ++c) {
            grid->addWidget(cells[c], r + 1, c);
            cells[c]->setVisible(r < 6);
        }
        if (r < 6) {
            moduleAddressLabels[r]->setText(QString::number(r));
            connect(programButtons[r], &QPushButton::clicked, this,
                    [this, r] { OpenSchemeClick(r + 1); });
        }
    }
    return box;
}

QGroupBox* MainWindow::CreateConfigGroup() {
    auto* box = new QGroupBox(U("Конфигурация прибора"), this);
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(U("Количество дискретных входов "), box), 0, 0);
    inputCountLabel = new QLabel(box);
    inputCountLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    inputCountLabel->setMinimumWidth(40);
    grid->addWidget(inputCountLabel, 0, 1);
    designationLabel = new QLabel(box);
    designationLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    designationLabel->setMinimumWidth(200);
    grid->addWidget(designationLabel, 1, 0, 1, 2);
    inputsTableButton = new QPushButton(U("Входные сигналы"), box);
    grid->addWidget(inputsTableButton, 2, 0, 1, 2);
    return box;
}

QGroupBox* MainWindow::CreateNetworkGroup() {
    auto* box = new QGroupBox(U("Локальная сеть RS-485, протокол ModBus "), this);
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* v = new QVBoxLayout(box);
    networkSettingsButton = new QPushButton(U("Настройка обмена"), box);
    f15BlocksButton = new QPushButton(U("Программирование ф15 "), box);
    v->addWidget(networkSettingsButton);
    v->addWidget(f15BlocksButton);
    v->addStretch();
    return box;
}

int MainWindow::showModal(QDialog& dialog) {
    if (modalHook_)
        return modalHook_(dialog);
    // Modal to this window and the windows it owns, never to the whole application: the bus
    // monitor, a window without a parent, stays usable meanwhile.
    const bool orphan = dialog.parentWidget() == nullptr;
    if (orphan)
        dialog.setParent(this, dialog.windowFlags());
    dialog.setWindowModality(Qt::WindowModal);
    // Over the window whose command opens it (the scheme editor's dialogs are the main
    // window's children): a dialog modal to a window other than the active one gets no keys.
    QWidget* opener = QApplication::activeWindow();
    bool ours = false;
    for (QWidget* w = opener; w && !ours; w = w->parentWidget())
        ours = w == this;
    QWindow* transient = nullptr;
    if (ours && opener != dialog.parentWidget()->window() && opener != &dialog) {
        dialog.winId();
        if (QWindow* window = dialog.windowHandle()) {
            transient = window->transientParent();
            window->setTransientParent(opener->windowHandle());
        }
    }
    const int result = dialog.exec();
    if (transient)
        dialog.windowHandle()->setTransientParent(transient);
    if (orphan)
        dialog.setParent(nullptr, dialog.windowFlags());
    // Some window managers leave no window active once a dialog that showed message boxes has
    // closed, and the keys (Ctrl+Z, F9) go nowhere: the window that opened it takes them back,
    // once the window manager is done and unless another dialog has come up meanwhile.
    if (ours) {
        QTimer::singleShot(50, this, [back = QPointer<QWidget>(opener)] {
            if (!back || !back->isVisible() || QApplication::activeWindow())
                return;
            const QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == back->window())
                back->activateWindow();
        });
    }
    return result;
}

QString MainWindow::MainCaption() const {
    return windowTitle();
}
QString MainWindow::ModificationText() const {
    return modificationEdit->text();
}
int MainWindow::DeviceNumberShown() const {
    return deviceNumberBox->currentText().toInt();
}
QString MainWindow::FileModeText() const {
    return fileLabel->text();
}

void MainWindow::ShowDeviceNumber(int busNumber) {
    deviceNumberBox->setCurrentIndex(busNumber);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // The password prompt comes once the window is on the screen; a file named on the
        // command line is opened after it, as "Открыть файл" would.
        QTimer::singleShot(0, this, [this] {
            AskPassword();
            if (!startFile_.isEmpty() && isVisible())
                OpenConfigFile(std::exchange(startFile_, QString()));
        });
    }
}
