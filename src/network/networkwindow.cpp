#include "network/networkwindow.h"

#include "dialogs/accelerators.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/questions.h"
#include "dialogs/uitext.h"
#include "dialogs/undokeys.h"
#include "dialogs/windowcontext.h"
#include "model/edithistory.h"
#include "model/networkblocks.h"
#include "model/operator.h"
#include "network/f15blockeditor.h"
#include "network/networkwrite.h"

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

namespace {
std::string BlockStepName(int block, const char* what) {
    return "Блок Ф15 " + std::to_string(block + 1) + ": " + what;
}
} // namespace

NetworkWindow::NetworkWindow(WindowContext& main, QWidget* parent)
    : LumDialog(parent), main_(main) {
    setWindowTitle(U("Локальная сеть RS-485"));
    InstallUndoKeys(*this, main_);
    auto* layout = new QVBoxLayout(this);
    CreateSettingsGroup();
    CreateBlockGroup();
    layout->addWidget(settingsGroup);
    layout->addWidget(blockGroup);
    Progress = new ExchangeProgress(main_, this);
    Progress->hide(); // takes no room until a write runs
    progressBar = Progress->Bar();
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

void NetworkWindow::CreateSettingsGroup() {
    settingsGroup = new QGroupBox(U("Настройка обмена"), this);
    auto* grid = new QGridLayout(settingsGroup);
    speedBox = new QComboBox(settingsGroup);
    speedBox->addItems({"9600", "19200", "57600", "115200"});
    parityBox = new QComboBox(settingsGroup);
    // In the order of the parity codes.
    parityBox->addItems({U("2 стоп-бита без контр. четности"), U("1 стоп-бит с контр. нечетности"),
                         U("1 стоп-бит с контр. четности"), U("1 стоп-бит без контр. четности")});
    grid->addWidget(new QLabel(U("Скорость(бит/с):"), settingsGroup), 0, 0);
    grid->addWidget(speedBox, 0, 1);
    grid->addWidget(new QLabel(U("Четность:"), settingsGroup), 1, 0);
    grid->addWidget(parityBox, 1, 1);
    connect(speedBox, &QComboBox::currentIndexChanged, this, [this] {
        if (filling_)
            return;
        SpeedClick();
    });
    connect(parityBox, &QComboBox::currentIndexChanged, this, [this] {
        if (filling_)
            return;
        ParityClick();
    });
}

void NetworkWindow::CreateBlockGroup() {
    blockGroup = new QGroupBox(U("Функциональные блоки MBM ф15"), this);
    auto* row = new QHBoxLayout(blockGroup);
    blockButton1 = new QPushButton(blockGroup);
    blockButton2 = new QPushButton(blockGroup);
    BlockButtons = {blockButton1, blockButton2};
    contextMenu = new QMenu(this);
    deleteBlockAction = new QAction(U("Удаление блока МВМ Ф15"), this);
    deleteBlockAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    // The shortcut acts only while a block button has the focus, as the menu belongs to them:
    // in settings mode no block can be deleted unseen.
    deleteBlockAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    blockGroup->addAction(deleteBlockAction);
    contextMenu->addAction(deleteBlockAction);
    GiveAccelerators(contextMenu);
    connect(deleteBlockAction, &QAction::triggered, this, [this] { DeleteBlockClick(); });
    for (int b = 0; b < 2; ++b) {
        QPushButton* button = BlockButtons[b];
        button->setFixedSize(80, 60);
        button->setAutoDefault(false);
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        button->installEventFilter(this);
        row->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, b] { BlockClick(b); });
        connect(button, &QWidget::customContextMenuRequested, this,
                [this, button](QPoint at) { contextMenu->popup(button->mapToGlobal(at)); });
    }
}

bool NetworkWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (int b = 0; b < 2; ++b)
            if (watched == BlockButtons[b])
                BlockMouseDown(b, static_cast<QMouseEvent*>(event)->button());
    }
    return LumDialog::eventFilter(watched, event);
}

void NetworkWindow::ShowMode(bool blockList) {
    setWindowTitle(blockList ? U("Локальная сеть RS-485 ModBus ф15") : U("Локальная сеть RS-485"));
    settingsGroup->setVisible(!blockList);
    blockGroup->setVisible(blockList);
}

void NetworkWindow::NetworkSettingsClick() {
    ShowDocument();
    ShowMode(false);
    main_.showModal(*this);
}

void NetworkWindow::F15BlocksClick() {
    ShowDocument();
    ShowMode(true);
    main_.showModal(*this);
}

void NetworkWindow::ShowDocument() {
    const NetworkBlocks& f15 = main_.Network();
    filling_ = true;
    speedBox->setCurrentIndex(f15.GetSpeedCode());
    parityBox->setCurrentIndex(f15.GetParityCode());
    filling_ = false;
    for (int b = 0; b < 2; ++b)
        ShowBlockButton(b, f15.GetFunctionCode(b));
    if (blockEditor_)
        blockEditor_->ShowLabelsAgain();
}

void NetworkWindow::showEvent(QShowEvent* event) {
    LumDialog::showEvent(event);
}

void NetworkWindow::ShowBlockButton(int block, int functionCode) {
    if (block >= 0 && block < 2)
        BlockButtons[block]->setText(functionCode != 0 ? U("Ф15") : QString());
}

void NetworkWindow::SpeedClick() {
    main_.Document().Edit("Настройка обмена: скорость",
                          [&] { main_.Network().PutSpeedCode(speedBox->currentIndex()); });
}

void NetworkWindow::ParityClick() {
    main_.Document().Edit("Настройка обмена: четность",
                          [&] { main_.Network().PutParityCode(parityBox->currentIndex()); });
}

void NetworkWindow::BlockMouseDown(int block, Qt::MouseButton button) {
    if (button == Qt::RightButton)
        main_.Network().MenuBlock = block;
}

void NetworkWindow::BlockClick(int block) {
    // The main window's child, as this window is.
    F15BlockEditor editor(main_, this, parentWidget());
    blockEditor_ = &editor;
    // Whatever the editor leaves changed when it closes is one step.
    main_.Document().Edit(BlockStepName(block, "параметры"), [&] {
        editor.FillBlock(block + 1);
        if (main_.showModal(editor) == mr::Yes)
            main_.Op().Tell("программирование закончено с ошибкой", "Ошибка", MsgIcon::Error);
    });
}

void NetworkWindow::DeleteBlockClick() {
    NetworkBlocks& f15 = main_.Network();
    const int block = f15.MenuBlock;
    main_.Document().Edit(BlockStepName(block, "удалён"), [&] {
        f15.DeleteBlock(block);
        ShowBlockButton(block, 0);
    });
}

void NetworkWindow::WriteBlocksClick() {
    WriteNetworkWithProgress(main_, *Progress);
}

void NetworkWindow::OKClick() {
    CloseWith(mr::Cancel);
}

bool NetworkWindow::CanClose(int& result) {
    result = mr::Cancel;
    // Changed: the image differs from what the device (or the file) holds.
    if (!main_.Document().NetworkChanged())
        return true;
    // A file's edits go into the file with the rest of it.
    if (main_.Document().IsFileMode())
        return true;
    const MsgButton answer =
        Questions::Transfer(main_.Op(), "База  была изменена. Передать в прибор?",
                            "Подтвердите передачу данных ", true);
    if (answer == MsgButton::Yes) {
        // A failed write has been reported: the window stays open with the edits, and its
        // close offers the transfer again.
        WriteBlocksClick();
        return !main_.Document().NetworkChanged();
    }
    if (answer == MsgButton::No) {
        main_.Document().RevertNetwork("Сетевые блоки: изменения отменены");
        return true;
    }
    return false;
}
