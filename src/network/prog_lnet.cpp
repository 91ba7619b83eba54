#include "network/prog_lnet.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "model/operator.h"
#include "model/progf15class.h"
#include "model/reservblocks.h"
#include "model/servclass.h"
#include "network/networkwrite.h"
#include "network/prog_f15.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <cstring>

TFormLNet::TFormLNet(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(U("Локальная сеть RS-485"));
    auto* layout = new QVBoxLayout(this);
    CreateSettingsGroup();
    CreateBlockGroup();
    layout->addWidget(GroupObm);
    layout->addWidget(Group15);
    Progress = new ExchangeProgress(main_, this);
    Progress->hide(); // takes no room until a write runs
    ProgressBar1 = Progress->Bar();
    layout->addWidget(Progress);
    OK = new QPushButton("OK", this);
    OK->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(OK);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(OK, &QPushButton::clicked, this, [this] { OKClick(); });
}

void TFormLNet::CreateSettingsGroup() {
    GroupObm = new QGroupBox(U("Настройка обмена"), this);
    auto* grid = new QGridLayout(GroupObm);
    Skor = new QComboBox(GroupObm);
    Skor->addItems({"9600", "19200", "57600", "115200"});
    Parit = new QComboBox(GroupObm);
    // In the order of the parity codes.
    Parit->addItems({U("2 стоп-бита без контр. четности"), U("1 стоп-бит с контр. нечетности"),
                     U("1 стоп-бит с контр. четности"), U("1 стоп-бит без контр. четности")});
    grid->addWidget(new QLabel(U("Скорость(бит/с):"), GroupObm), 0, 0);
    grid->addWidget(Skor, 0, 1);
    grid->addWidget(new QLabel(U("Четность:"), GroupObm), 1, 0);
    grid->addWidget(Parit, 1, 1);
    connect(Skor, &QComboBox::currentIndexChanged, this, [this] {
        if (filling_)
            return;
        SkorClick();
        SkorChange();
    });
    connect(Parit, &QComboBox::currentIndexChanged, this, [this] {
        if (filling_)
            return;
        ParitClick();
        SkorChange();
    });
}

void TFormLNet::CreateBlockGroup() {
    Group15 = new QGroupBox(U("Функциональные блоки MBM ф15"), this);
    auto* row = new QHBoxLayout(Group15);
    LocNet15_1 = new QPushButton(Group15);
    LocNet15_2 = new QPushButton(Group15);
    BlockButtons = {LocNet15_1, LocNet15_2};
    PopupMenu1 = new QMenu(this);
    DeleteBl15 = new QAction(U("Удаление блока МВМ Ф15"), this);
    DeleteBl15->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    // The shortcut acts only while a block button has the focus, as the menu belongs to them:
    // in settings mode no block can be deleted unseen.
    DeleteBl15->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    Group15->addAction(DeleteBl15);
    PopupMenu1->addAction(DeleteBl15);
    connect(DeleteBl15, &QAction::triggered, this, [this] { DeleteBl15Click(); });
    for (int b = 0; b < 2; ++b) {
        QPushButton* button = BlockButtons[b];
        button->setFixedSize(80, 60);
        button->setAutoDefault(false);
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        button->installEventFilter(this);
        row->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, b] { LocNet15_1Click(b); });
        connect(button, &QWidget::customContextMenuRequested, this,
                [this, button](QPoint at) { PopupMenu1->popup(button->mapToGlobal(at)); });
    }
}

bool TFormLNet::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (int b = 0; b < 2; ++b)
            if (watched == BlockButtons[b])
                LocNet15_2MouseDown(b, static_cast<QMouseEvent*>(event)->button());
    }
    return TLumDialog::eventFilter(watched, event);
}

void TFormLNet::ShowMode(bool blockList) {
    setWindowTitle(blockList ? U("Локальная сеть RS-485 ModBus ф15") : U("Локальная сеть RS-485"));
    GroupObm->setVisible(!blockList);
    Group15->setVisible(blockList);
}

void TFormLNet::LocNetObmClick() {
    const TProgF15Class& f15 = main_.ProgF15();
    filling_ = true;
    Skor->setCurrentIndex(f15.GetSkor());
    Parit->setCurrentIndex(f15.GetParit());
    filling_ = false;
    ShowMode(false);
    main_.showModal(*this);
}

void TFormLNet::LocNet15Click() {
    const TProgF15Class& f15 = main_.ProgF15();
    for (int b = 0; b < 2; ++b)
        ShowBlockButton(b, f15.GetKodF(b));
    ShowMode(true);
    main_.showModal(*this);
}

void TFormLNet::showEvent(QShowEvent* event) {
    TLumDialog::showEvent(event);
    // FormShow: a new save point; a window brought back from the task bar is no new opening.
    if (!event->spontaneous())
        main_.ProgF15().FlagNoChange = true;
}

void TFormLNet::ShowBlockButton(int block, int kodF) {
    if (block >= 0 && block < 2)
        BlockButtons[block]->setText(kodF != 0 ? U("Ф15") : QString());
}

void TFormLNet::SkorClick() {
    main_.ProgF15().PutSkor(Skor->currentIndex());
}

void TFormLNet::ParitClick() {
    main_.ProgF15().PutParit(Parit->currentIndex());
}

void TFormLNet::SkorChange() {
    main_.ProgF15().FlagNoChange = false;
}

void TFormLNet::LocNet15_2MouseDown(int block, Qt::MouseButton button) {
    if (button == Qt::RightButton)
        main_.ProgF15().NBlDel = block;
}

void TFormLNet::LocNet15_1Click(int block) {
    TFormF15& editor = *main_.Windows().FormF15;
    editor.FillBlock(block + 1);
    if (main_.showModal(editor) == mr::Yes)
        main_.Op().Tell("программирование закончено с ошибкой", "Ошибка", MsgIcon::Error);
}

void TFormLNet::DeleteBl15Click() {
    TProgF15Class& f15 = main_.ProgF15();
    const int block = f15.NBlDel;
    f15.DeleteBlock(block);
    ShowBlockButton(block, 0);
    f15.FlagNoChange = false;
}

void TFormLNet::Save15Click() {
    WriteNetworkWithProgress(main_, *Progress);
}

void TFormLNet::OKClick() {
    CloseWith(mr::Cancel);
}

bool TFormLNet::CanClose(int& result) {
    result = mr::Cancel;
    TProgF15Class& f15 = main_.ProgF15();
    if (f15.FlagNoChange)
        return true;
    TServClass& serv = main_.Serv();
    if (serv.FlagFile) {
        // The edits go into the configuration file with the rest of it.
        serv.FlagChange = 1;
        return true;
    }
    const MsgButton answer = main_.Op().Ask({"База  была изменена. Передать в прибор?",
                                             "Подтвердите передачу данных ",
                                             MsgIcon::Question,
                                             {MsgButton::Yes, MsgButton::No, MsgButton::Cancel},
                                             MsgButton::No});
    if (answer == MsgButton::Yes) {
        // A failed write has been reported: the window stays open with the edits, and its
        // close offers the transfer again.
        Save15Click();
        return f15.FlagNoChange;
    }
    if (answer == MsgButton::No) {
        std::memcpy(f15.BufF15, main_.Reserv().ReservF15, sizeof f15.BufF15);
        f15.FlagNoChange = true;
        return true;
    }
    return false;
}
