#include "scheme/schemeeditor.h"

#include "dialogs/accelerators.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "dialogs/undokeys.h"
#include "dialogs/windowcontext.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/operator.h"
#include "scheme/glyphbutton.h"
#include "scheme/glyphs.h"
#include "scheme/inputcell.h"
#include "scheme/schemecolors.h"

#include <QAction>
#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
// Top of the controls of the heading strip: the window's design places them below the tool bar.
constexpr int kToolBarHeight = 29;
constexpr int kAreaTop = 71;
constexpr int kAreaHeight = 418;
constexpr int kWindowWidth = 859;

// The groups' captions sit on their frame lines, so that the design positions of their
// controls stay clear of the captions.
const char* const kGroupStyle =
    "QGroupBox { border: 1px solid palette(mid); margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px; }";

QLabel* Heading(QWidget* parent, const QString& text, int left, int top, const QColor& color,
                bool underline) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    f.setUnderline(underline);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
    label->move(left, top - kToolBarHeight);
    label->adjustSize();
    return label;
}

// Only the sensor numbers 1..5 and Backspace reach the sensor edit.
class SensorKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace)
            return false;
        if (key->matches(QKeySequence::Paste))
            return true;
        const QString text = key->text();
        if (text.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false; // navigation and editing keys
        return !(text.size() == 1 && text[0] >= QChar('1') && text[0] <= QChar('5'));
    }
};
} // namespace

SchemeEditor::SchemeEditor(WindowContext& main, QWidget* parent) : LumDialog(parent), main_(main) {
    setWindowTitle(U("Программирование обработки дискретных входов"));
    InstallUndoKeys(*this, main_);
    QFont f = font();
    f.setFamilies(ProgramFontFamilies() + f.families()); // the family of every window
    f.setPointSize(8);
    setFont(f);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    menuBar_ = new QMenuBar(this);
    v->setMenuBar(menuBar_);
    toolBar = new QToolBar(this);
    toolBar->setFixedHeight(kToolBarHeight);
    toolBar->setIconSize(QSize(16, 16));
    v->addWidget(toolBar);
    auto* header = new QWidget(this);
    header->setFixedHeight(kAreaTop - kToolBarHeight);
    v->addWidget(header);
    CreateActions();
    CreateHeader(header);
    CreateSchemeArea();
    v->addWidget(schemeScroll, 1);
    CreatePopupMenu();
    GiveAccelerators(menuBar_);
    GiveAccelerators(contextMenu);
    resize(kWindowWidth, menuBar_->sizeHint().height() + kAreaTop + kAreaHeight);
    SetCloseBoxResult(mr::Cancel);
}

// The elements are children of the scheme area and go with it; the model is the main
// window's and may already be gone.
SchemeEditor::~SchemeEditor() = default;

void SchemeEditor::CreateActions() {
    auto action = [this](const char* text, const QKeySequence& key, void (SchemeEditor::*slot)()) {
        auto* a = new QAction(U(text), this);
        a->setShortcut(key);
        if (slot)
            connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    readAction = action("Ввод с СОМ-порта", Qt::Key_F9, &SchemeEditor::ReadModuleClick);
    readAction->setIcon(QIcon(glyphs::PortIn()));
    writeAction = action("Вывод на СОМ-порт", Qt::Key_F10, &SchemeEditor::WriteDeviceClick);
    writeAction->setIcon(QIcon(glyphs::PortOut()));
    openAction = action("Открыть файл конфигурации", Qt::Key_F3, &SchemeEditor::OpenFileClick);
    closeAction = action("Выход", QKeySequence(Qt::ALT | Qt::Key_X), nullptr);
    connect(closeAction, &QAction::triggered, this, [this] { CloseWith(mr::Cancel); });
    selectAllAction =
        action("Выделить все", QKeySequence(Qt::CTRL | Qt::Key_A), &SchemeEditor::SelectAllClick);
    // Keys of the window that have no command here; they are kept so that their presses do
    // not reach the scheme, and given up while a label is typed in place.
    deleteAction = action("Удалить", Qt::Key_Delete, nullptr);
    copyAction = action("Копировать", QKeySequence(Qt::CTRL | Qt::Key_C), nullptr);
    pasteAction = action("Вставить", QKeySequence(Qt::CTRL | Qt::Key_V), nullptr);
    cutAction = action("Вырезать", QKeySequence(Qt::CTRL | Qt::Key_X), nullptr);
    findAction = action("Найти", QKeySequence(Qt::CTRL | Qt::Key_F), nullptr);
    pasteSpecialAction =
        action("Вставить особо", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V), nullptr);

    QMenu* port = menuBar_->addMenu(U("   Порт"));
    port->addAction(readAction);
    port->addAction(writeAction);
    toolBar->addAction(readAction);
    toolBar->addAction(writeAction);
}

void SchemeEditor::CreateHeader(QWidget* header) {
    moduleLabel = Heading(header, U("Модуль"), 8, 32, scheme::Teal(), false);
    moduleTypeLabel = Heading(header, QString(), 64, 32, scheme::Teal(), true);
    moduleNumberLabel = Heading(header, QString(), 120, 32, scheme::Teal(), true);
    inputsLabel = Heading(header, U("входы "), 8, 48, scheme::Teal(), true);
    inputsLabel->setFixedWidth(185);
    fileLabel = Heading(header, U("Режим работы с файлом"), 232, 50, scheme::Red(), false);
    fileLabel->hide();
    closeButton = new QPushButton(U("Печать"), header);
    closeButton->setGeometry(392, 32 - kToolBarHeight, 75, 17);
    connect(closeButton, &QPushButton::clicked, this, &SchemeEditor::CloseClick);
    Progress = new ExchangeProgress(main_, header);
    // Wide enough for a repeat's text ("… — нет ответа, повтор 2 из 5").
    Progress->setGeometry(384, 50 - kToolBarHeight, kWindowWidth - 384 - 8, 20);
    progressBar = Progress->Bar();
}

void SchemeEditor::CreateSchemeArea() {
    schemeScroll = new QScrollArea(this);
    schemeScroll->setFocusPolicy(Qt::StrongFocus);
    schemeScroll->setWidgetResizable(false);
    schemeScroll->setFrameShape(QFrame::StyledPanel);
    area_ = new QWidget;
    area_->setObjectName("SchemeArea");
    area_->setMouseTracking(true);
    schemeScroll->setWidget(area_);
    area_->installEventFilter(this);
    schemeScroll->viewport()->installEventFilter(this);
    schemeScroll->installEventFilter(this); // the rows' keys

    // The two bars anchor the layout; they are never shown.
    inputBar = new QWidget(area_);
    inputBar->setGeometry(198, 0, 5, 40);
    inputBar->hide();
    outputBar = new QWidget(area_);
    outputBar->setGeometry(818, 0, 5, 40);
    outputBar->hide();

    labelEdit = new QLineEdit(area_);
    labelEdit->setMaxLength(14);
    labelEdit->setGeometry(820, 10, 121, 21);
    QPalette p = labelEdit->palette();
    p.setColor(QPalette::Base, scheme::TooltipBackground());
    p.setColor(QPalette::Text, scheme::Maroon());
    labelEdit->setPalette(p);
    QFont f = labelEdit->font();
    f.setBold(true);
    labelEdit->setFont(f);
    labelEdit->hide();
    labelEdit->installEventFilter(this);

    CreatePumpGroup();
    CreateRelayGroup();
    // A style sheet cuts its widgets off from their parents' font: give them the window's.
    for (QGroupBox* g : {pumpGroup, relayGroup})
        for (QWidget* w : g->findChildren<QWidget*>())
            w->setFont(font());
    UpdateAreaSize();
}

void SchemeEditor::CreatePumpGroup() {
    pumpGroup = new QGroupBox(U(" Алгоритм блокировки   насоса "), area_);
    pumpGroup->setGeometry(392, 344, 313, 57);
    pumpGroup->setStyleSheet(kGroupStyle);
    pumpLabel = new QLabel(U(" по давлению нагнетания при пуске"), pumpGroup);
    pumpLabel->move(8, 15);
    pumpLabel->adjustSize();
    pumpButton = new GlyphButton(pumpGroup);
    pumpButton->setGeometry(48, 32, 25, 17);
    pumpButton->SetGlyph(glyphs::OnOff(), 4);
    pumpButton->SetAllowAllUp(true);
    pumpButton->SetGroupIndex(1);
    connect(pumpButton, &QAbstractButton::clicked, this, &SchemeEditor::PumpClick);
    sensorLabel = new QLabel(U("№ вх. датчика Рнагн."), pumpGroup);
    sensorLabel->move(118, 36);
    sensorLabel->adjustSize();
    sensorEdit = new QLineEdit("0", pumpGroup);
    sensorEdit->setGeometry(240, 32, 21, 19);
    sensorEdit->setMaxLength(1);
    sensorEdit->setToolTip("1-5");
    sensorEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[1-5]?"), sensorEdit));
    sensorEdit->installEventFilter(new SensorKeys(sensorEdit));
    sensorEdit->installEventFilter(this);
}

void SchemeEditor::CreateRelayGroup() {
    relayGroup = new QGroupBox(U("Действие выходного реле"), area_);
    relayGroup->setGeometry(8, 344, 369, 57);
    relayGroup->setStyleSheet(kGroupStyle);
    auto* group = new QButtonGroup(relayGroup);
    const char* items[2] = {"кнопка \"ОТКРЫТЬ\"- вкл. реле,   кнопка ЗАКРЫТЬ - выкл. реле",
                            "кнопка \"ОТКРЫТЬ\"- выкл. реле, кнопка ЗАКРЫТЬ - вкл. реле"};
    for (int i = 0; i < 2; ++i) {
        relayButtons[i] = new QRadioButton(U(items[i]), relayGroup);
        relayButtons[i]->setGeometry(8, 16 + 19 * i, 357, 18);
        group->addButton(relayButtons[i], i);
    }
    connect(group, &QButtonGroup::idClicked, this, &SchemeEditor::RelayModeClick);
}

void SchemeEditor::SetHeadings(int module, const QString& typeName, const QString& inputsText) {
    moduleNumberLabel->setText(QString::number(module));
    moduleNumberLabel->adjustSize();
    moduleTypeLabel->setText(typeName);
    moduleTypeLabel->adjustSize();
    inputsLabel->setText(inputsText);
}

void SchemeEditor::showEvent(QShowEvent* event) {
    LumDialog::showEvent(event);
    if (!event->spontaneous())
        ShowModule();
}

void SchemeEditor::ShowModule() {
    labelEdit->setGeometry(820, 10, labelEdit->width(), labelEdit->height());
    labelEdit->clear();
    labelEdit->hide();
    labelEdit->installEventFilter(this);
    schemeScroll->setFocus();
    for (int& mark : MarkedRows)
        if (mark == 1)
            mark = 0;
    if (main_.Document().IsFileMode()) {
        OpenFileClick();
        SchemeShown = 1;
        fileLabel->show();
    } else {
        ReadModuleClick();
        SchemeShown = 1;
        fileLabel->hide();
    }
}

void SchemeEditor::mousePressEvent(QMouseEvent* event) {
    EndLabelEdit(); // a click on the window's background ends an in-place edit
    LumDialog::mousePressEvent(event);
}

void SchemeEditor::UpdateAreaSize() {
    // Everything placed in the scheme stays reachable, even in a window made smaller.
    const QSize view = schemeScroll->viewport()->size();
    const int groupsBottom = pumpGroup ? pumpGroup->geometry().bottom() + 4 : 0;
    const int height = std::max({vertRange_, groupsBottom, view.height()});
    const int width = std::max(view.width(), outputBar->geometry().right() + 1);
    area_->resize(width, height);
}

void SchemeEditor::SetVertRange(int range) {
    vertRange_ = range;
    UpdateAreaSize();
}

void SchemeEditor::WheelScroll(int angleDelta) {
    wheelRest_ += angleDelta;
    const int notches = wheelRest_ / 120;
    wheelRest_ -= notches * 120;
    QScrollBar* bar = schemeScroll->verticalScrollBar();
    bar->setValue(bar->value() - 10 * notches);
}

bool SchemeEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == schemeScroll && event->type() == QEvent::KeyPress)
        return RowKey(static_cast<QKeyEvent*>(event));
    if (watched == schemeScroll->viewport()) {
        if (event->type() == QEvent::Wheel) {
            WheelScroll(static_cast<QWheelEvent*>(event)->angleDelta().y());
            return true;
        }
        if (event->type() == QEvent::Resize)
            UpdateAreaSize();
        return false;
    }
    if (watched == labelEdit)
        return EditFilter(event);
    if (watched == sensorEdit) {
        if (event->type() == QEvent::FocusOut)
            SensorEditLeft();
        return false;
    }
    if (watched == area_) {
        // A click is the left button's; the right one on an empty place keeps the selection.
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            SchemeAreaClick(true);
            return false;
        }
        if (event->type() == QEvent::ContextMenu)
            return true; // the empty scheme has no menu
        return false;
    }
    return ElementEvent(watched, event);
}

int SchemeEditor::ModuleNumber() const {
    return std::clamp(main_.Modules().GetCurrentModule(), 1, 6);
}

int SchemeEditor::Base() const {
    return 6 * (ModuleNumber() - 1);
}

int SchemeEditor::ModuleType() const {
    return main_.Modules().ModuleType[ModuleNumber() - 1];
}

bool SchemeEditor::Refuse(bool condition, const char* text) {
    if (condition)
        main_.Op().Tell(text, "Предупреждение", MsgIcon::Warning);
    return condition;
}
