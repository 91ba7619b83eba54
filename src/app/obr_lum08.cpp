#include "app/obr_lum08.h"

#include "dialogs/exchangeguard.h"
#include "dialogs/qtoperator.h"
#include "dialogs/uitext.h"
#include "link/comportclass.h"
#include "model/progf15class.h"
#include "model/proglumclass.h"
#include "model/reservblocks.h"
#include "model/servclass.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

TForm1::TForm1(std::unique_ptr<TComPortClass> port, Operator* op)
    : ComPort1(port ? std::move(port) : std::make_unique<TComPortClass>()),
      ServClass(std::make_unique<TServClass>()), ProgLumClass(std::make_unique<TProgLumClass>()),
      ProgF15Class(std::make_unique<TProgF15Class>()),
      ReservBlocks(std::make_unique<TReservBlocksClass>()),
      CopyBlocksClass(std::make_unique<TCopyBlocksClass>()) {
    if (op) {
        op_ = op;
    } else {
        ownedOp_ = std::make_unique<QtOperator>(this);
        op_ = ownedOp_.get();
    }
    ComPort1->SetOperator(op_);

    setWindowTitle(U("Программатор ЛУМ - 08"));
    CreateActions();
    CreateMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(CreateDeviceRow());

    layout->addWidget(CreateProgressRow());

    auto* buttons = new QHBoxLayout;
    ButTest = new QPushButton(U("Тестирование"), central);
    ButTimeDate = new QPushButton(U("Задание времени и даты"), central);
    buttons->addWidget(ButTest);
    buttons->addWidget(ButTimeDate);
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
    for (QPushButton* b : {ButTest, ButTimeDate, InformBut, LocNetObm, LocNet15})
        b->setEnabled(false);
    connect(ButTimeDate, &QPushButton::clicked, this, [this] { ButTimeDateClick(); });
    connect(InformBut, &QPushButton::clicked, this, [this] { InformButClick(); });
    connect(LocNetObm, &QPushButton::clicked, this, [this] { LocNetObmClick(); });
    connect(LocNet15, &QPushButton::clicked, this, [this] { LocNet15Click(); });

    // Both device combos start at "1": device 0 is talked to, its new number is 0.
    CBoxUstr->setCurrentIndex(0);
    ServClass->NumUstr = 0;
    CBoxUstrZ->setCurrentIndex(0);
    ServClass->PutNumUstrZ(0);
    connect(CBoxUstr, &QComboBox::activated, this, [this] { CBoxUstrClick(); });
    connect(CBoxUstrZ, &QComboBox::activated, this, [this] { CBoxUstrZClick(); });
    // A choice here goes to the device on the line at once.
    RequireExplicitChoice(CBoxUstrZ);
}

TForm1::~TForm1() = default;

void TForm1::CreateActions() {
    struct Def {
        QAction** action;
        const char* caption;
        const char* hint;
        Qt::Key key;
        void (TForm1::*run)();
    };
    const Def defs[] = {
        {&AOutPort, "Вывод на СОМ-порт", nullptr, Qt::Key_F10, &TForm1::OutPortClick},
        {&AInPort, "Ввод с СОМ-порта", nullptr, Qt::Key_F9, &TForm1::InPortButClick},
        {&APort, "Настройка СОМ порта", nullptr, Qt::Key_unknown, &TForm1::APortExecute},
        {&ANastr, "Настройка обмена", nullptr, Qt::Key_unknown, &TForm1::ANastrExecute},
        {&AParol, "Замена пароля", nullptr, Qt::Key_F8, &TForm1::N1ParolClick},
        {&AOpenFile, "Открыть файл конфигурации", nullptr, Qt::Key_F3, &TForm1::OpenFileClick},
        {&ASaveFile, "Сохранить как ...", "Сохранить схему", Qt::Key_F2, &TForm1::SaveFileClick},
        {&ACreatFile, "Создание файла конфигурации", nullptr, Qt::Key_unknown,
         &TForm1::CreatFileClick},
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
    QAction* all[] = {AOutPort, AInPort, APort, ANastr, AParol, AOpenFile, ASaveFile, ACreatFile};
    for (int i = 0; i < 8; ++i)
        all[i]->setIcon(style()->standardIcon(icons[i]));
}

void TForm1::CreateMenus() {
    QMenu* file = menuBar()->addMenu(U("   Файл          "));
    auto* create = new QAction(U("Создать файла конфигурации"), this);
    connect(create, &QAction::triggered, ACreatFile, &QAction::trigger);
    file->addAction(create);
    file->addAction(AOpenFile);
    file->addAction(ASaveFile);
    QMenu* port = menuBar()->addMenu(U("        Порт           "));
    port->addAction(AInPort);
    port->addAction(AOutPort);
    port->addSeparator();
    port->addAction(APort);
    port->addAction(ANastr);
    QMenu* parol = menuBar()->addMenu(U("     Пароль"));
    parol->addAction(AParol);

    ToolBar1 = addToolBar(U("Панель"));
    ToolBar1->setMovable(false);
    ToolBar1->addAction(ACreatFile);
    ToolBar1->addAction(AOpenFile);
    ToolBar1->addAction(ASaveFile);
    ToolBar1->addSeparator();
    ToolBar1->addAction(APort);
    ToolBar1->addSeparator();
    ToolBar1->addAction(AInPort);
    ToolBar1->addAction(AOutPort);
    ToolBar1->addSeparator();
    ToolBar1->addAction(AParol);
}

QWidget* TForm1::CreateDeviceRow() {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    LabelNu = new QLabel(U("Устр. №"), row);
    CBoxUstr = new QComboBox(row);
    Label15 = new QLabel(U("Изм. № устр."), row);
    CBoxUstrZ = new QComboBox(row);
    for (int n = 1; n <= 31; ++n) {
        CBoxUstr->addItem(QString::number(n));
        CBoxUstrZ->addItem(QString::number(n));
    }
    Label1 = new QLabel(U(" Исполнение"), row);
    EditModif = new QLineEdit(U("00000000"), row);
    EditModif->setEnabled(false);
    EditModif->setMinimumWidth(150);
    LabelFile = new QLabel(U("Режим работы с файлом"), row);
    LabelFile->setStyleSheet("color: red; font-weight: bold");
    LabelFile->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{LabelNu, CBoxUstr, Label15, CBoxUstrZ, Label1,
                                                      EditModif, LabelFile})
        h->addWidget(w);
    h->addStretch();
    return row;
}

QGroupBox* TForm1::CreateModuleTable() {
    auto* box = new QGroupBox(U(" Таблица модулей ввода"), this);
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
        AdrM[r] = cell(60);
        M[r] = cell(60);
        KM[r] = cell(50);
        IdVh[r] = cell(140);
        IdVyh[r] = cell(80);
        Prg[r] = new QPushButton(box);
        Prg[r]->setEnabled(false);
        QWidget* cells[] = {AdrM[r], M[r], KM[r], IdVh[r], IdVyh[r], Prg[r]};
        for (int c = 0; c < 6; ++c) {
            grid->addWidget(cells[c], r + 1, c);
            cells[c]->setVisible(r < 6);
        }
        if (r < 6) {
            AdrM[r]->setText(QString::number(r));
            connect(Prg[r], &QPushButton::clicked, this, [this, r] { ButProgDiskrClick(r + 1); });
        }
    }
    return box;
}

QGroupBox* TForm1::CreateConfigGroup() {
    auto* box = new QGroupBox(U("Конфигурация прибора"), this);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(U("Количество дискретных входов "), box), 0, 0);
    StKVhD = new QLabel(box);
    StKVhD->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StKVhD->setMinimumWidth(40);
    grid->addWidget(StKVhD, 0, 1);
    StLUM = new QLabel(box);
    StLUM->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StLUM->setMinimumWidth(200);
    grid->addWidget(StLUM, 1, 0, 1, 2);
    InformBut = new QPushButton(U("Входные сигналы"), box);
    grid->addWidget(InformBut, 2, 0, 1, 2);
    return box;
}

QGroupBox* TForm1::CreateNetworkGroup() {
    auto* box = new QGroupBox(U("Локальная сеть RS-485, протокол ModBus "), this);
    auto* v = new QVBoxLayout(box);
    LocNetObm = new QPushButton(U("Настройка обмена"), box);
    LocNet15 = new QPushButton(U("Программирование ф15 "), box);
    v->addWidget(LocNetObm);
    v->addWidget(LocNet15);
    v->addStretch();
    return box;
}

int TForm1::showModal(QDialog& dialog) {
    if (modalHook_)
        return modalHook_(dialog);
    return dialog.exec();
}

QString TForm1::MainCaption() const {
    return windowTitle();
}
QString TForm1::ModifText() const {
    return EditModif->text();
}
int TForm1::DeviceNumberShown() const {
    return CBoxUstr->currentText().toInt();
}
QString TForm1::FileModeText() const {
    return LabelFile->text();
}

void TForm1::ShowDeviceNumber(int numUstr) {
    CBoxUstr->setCurrentIndex(numUstr);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // The password prompt comes once the window is on the screen.
        QTimer::singleShot(0, this, [this] { FormShow(); });
    }
}
