#include "scheme/prog_diskr.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "model/operator.h"
#include "model/proglumclass.h"
#include "model/servclass.h"
#include "scheme/glyphs.h"
#include "scheme/paninp.h"
#include "scheme/schemecolors.h"
#include "scheme/speedbutton.h"

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

TFormPrgD::TFormPrgD(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(U("Программирование обработки дискретных входов"));
    QFont f = font();
    f.setFamilies({"MS Sans Serif", "Arial", "Nimbus Sans", "DejaVu Sans"});
    f.setPointSize(8);
    setFont(f);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    MainMenu1 = new QMenuBar(this);
    v->setMenuBar(MainMenu1);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setFixedHeight(kToolBarHeight);
    ToolBar1->setIconSize(QSize(16, 16));
    v->addWidget(ToolBar1);
    auto* header = new QWidget(this);
    header->setFixedHeight(kAreaTop - kToolBarHeight);
    v->addWidget(header);
    CreateActions();
    CreateHeader(header);
    CreateSchemeArea();
    v->addWidget(ScrollBox1, 1);
    CreatePopupMenu();
    resize(kWindowWidth, MainMenu1->sizeHint().height() + kAreaTop + kAreaHeight);
    SetCloseBoxResult(mr::Cancel);
}

// The elements are children of the scheme area and go with it; the model is the main
// window's and may already be gone.
TFormPrgD::~TFormPrgD() = default;

void TFormPrgD::CreateActions() {
    auto action = [this](const char* text, const QKeySequence& key, void (TFormPrgD::*slot)()) {
        auto* a = new QAction(U(text), this);
        a->setShortcut(key);
        if (slot)
            connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    AInPort = action("Ввод с СОМ-порта", Qt::Key_F9, &TFormPrgD::InPortClick);
    AInPort->setIcon(QIcon(glyphs::PortIn()));
    AOutPort = action("Вывод на СОМ-порт", Qt::Key_F10, &TFormPrgD::OutPortClick);
    AOutPort->setIcon(QIcon(glyphs::PortOut()));
    AOpenFile = action("Открыть файл конфигурации", Qt::Key_F3, &TFormPrgD::OpenFileClick);
    AClose = action("Выход", QKeySequence(Qt::ALT | Qt::Key_X), nullptr);
    connect(AClose, &QAction::triggered, this, [this] { CloseWith(mr::Cancel); });
    AChooseAll =
        action("Выделить все", QKeySequence(Qt::CTRL | Qt::Key_A), &TFormPrgD::ChooseAllClick);
    // Keys of the window that have no command here; they are kept so that their presses do
    // not reach the scheme, and given up while a label is typed in place.
    ADel = action("Удалить", Qt::Key_Delete, nullptr);
    ACopy = action("Копировать", QKeySequence(Qt::CTRL | Qt::Key_C), nullptr);
    AInsert = action("Вставить", QKeySequence(Qt::CTRL | Qt::Key_V), nullptr);
    ACut = action("Вырезать", QKeySequence(Qt::CTRL | Qt::Key_X), nullptr);
    AFind = action("Найти", QKeySequence(Qt::CTRL | Qt::Key_F), nullptr);
    AInsertSpecial =
        action("Вставить особо", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V), nullptr);

    QMenu* port = MainMenu1->addMenu(U("   Порт"));
    port->addAction(AInPort);
    port->addAction(AOutPort);
    ToolBar1->addAction(AInPort);
    ToolBar1->addAction(AOutPort);
}

void TFormPrgD::CreateHeader(QWidget* header) {
    LabModul = Heading(header, U("Модуль"), 8, 32, scheme::Teal(), false);
    LabTipMod = Heading(header, QString(), 64, 32, scheme::Teal(), true);
    LabNMod = Heading(header, QString(), 120, 32, scheme::Teal(), true);
    LabVh = Heading(header, U("входы "), 8, 48, scheme::Teal(), true);
    LabVh->setFixedWidth(185);
    LabelFile = Heading(header, U("Режим работы с файлом"), 232, 50, scheme::Red(), false);
    LabelFile->hide();
    Button1 = new QPushButton(U("Печать"), header);
    Button1->setGeometry(392, 32 - kToolBarHeight, 75, 17);
    connect(Button1, &QPushButton::clicked, this, &TFormPrgD::Button1Click);
    Progress = new ExchangeProgress(main_, header);
    // Wide enough for a repeat's text ("… — нет ответа, повтор 2 из 5").
    Progress->setGeometry(384, 50 - kToolBarHeight, kWindowWidth - 384 - 8, 20);
    ProgressBar1 = Progress->Bar();
}

void TFormPrgD::CreateSchemeArea() {
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setFocusPolicy(Qt::StrongFocus);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setFrameShape(QFrame::StyledPanel);
    area_ = new QWidget;
    area_->setObjectName("SchemeArea");
    area_->setMouseTracking(true);
    ScrollBox1->setWidget(area_);
    area_->installEventFilter(this);
    ScrollBox1->viewport()->installEventFilter(this);

    // The two bars anchor the layout; they are never shown.
    ShVhBar = new QWidget(area_);
    ShVhBar->setGeometry(198, 0, 5, 40);
    ShVhBar->hide();
    ShVyhBar = new QWidget(area_);
    ShVyhBar->setGeometry(818, 0, 5, 40);
    ShVyhBar->hide();

    EditText = new QLineEdit(area_);
    EditText->setMaxLength(14);
    EditText->setGeometry(820, 10, 121, 21);
    QPalette p = EditText->palette();
    p.setColor(QPalette::Base, scheme::TooltipBackground());
    p.setColor(QPalette::Text, scheme::Maroon());
    EditText->setPalette(p);
    QFont f = EditText->font();
    f.setBold(true);
    EditText->setFont(f);
    EditText->hide();
    EditText->installEventFilter(this);
    connect(EditText, &QLineEdit::textEdited, this, [this] { main_.Serv().FlagText = 1; });

    CreateNasosGroup();
    CreateReleGroup();
    // A style sheet cuts its widgets off from their parents' font: give them the window's.
    for (QGroupBox* g : {GroupBoxNasos, RadioGroupRele})
        for (QWidget* w : g->findChildren<QWidget*>())
            w->setFont(font());
    UpdateAreaSize();
}

void TFormPrgD::CreateNasosGroup() {
    GroupBoxNasos = new QGroupBox(U(" Алгоритм блокировки   насоса "), area_);
    GroupBoxNasos->setGeometry(392, 344, 313, 57);
    GroupBoxNasos->setStyleSheet(kGroupStyle);
    LabNasos = new QLabel(U(" по давлению нагнетания при пуске"), GroupBoxNasos);
    LabNasos->move(8, 15);
    LabNasos->adjustSize();
    SpButNasos = new TSpeedButton(GroupBoxNasos);
    SpButNasos->setGeometry(48, 32, 25, 17);
    SpButNasos->SetGlyph(glyphs::OnOff(), 4);
    SpButNasos->SetAllowAllUp(true);
    SpButNasos->SetGroupIndex(1);
    connect(SpButNasos, &QAbstractButton::clicked, this, &TFormPrgD::SpButNasosClick);
    LabDatchik = new QLabel(U("№ вх. датчика Рнагн."), GroupBoxNasos);
    LabDatchik->move(118, 36);
    LabDatchik->adjustSize();
    EditNasos = new QLineEdit("0", GroupBoxNasos);
    EditNasos->setGeometry(240, 32, 21, 19);
    EditNasos->setMaxLength(1);
    EditNasos->setToolTip("1-5");
    EditNasos->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[1-5]?"), EditNasos));
    EditNasos->installEventFilter(new SensorKeys(EditNasos));
    EditNasos->installEventFilter(this);
    connect(EditNasos, &QLineEdit::textEdited, this, [this] { main_.ProgLum().FlagScheme = 1; });
}

void TFormPrgD::CreateReleGroup() {
    RadioGroupRele = new QGroupBox(U("Действие выходного реле"), area_);
    RadioGroupRele->setGeometry(8, 344, 369, 57);
    RadioGroupRele->setStyleSheet(kGroupStyle);
    auto* group = new QButtonGroup(RadioGroupRele);
    const char* items[2] = {"кнопка \"ОТКРЫТЬ\"- вкл. реле,   кнопка ЗАКРЫТЬ - выкл. реле",
                            "кнопка \"ОТКРЫТЬ\"- выкл. реле, кнопка ЗАКРЫТЬ - вкл. реле"};
    for (int i = 0; i < 2; ++i) {
        RadioRele[i] = new QRadioButton(U(items[i]), RadioGroupRele);
        RadioRele[i]->setGeometry(8, 16 + 19 * i, 357, 18);
        group->addButton(RadioRele[i], i);
    }
    connect(group, &QButtonGroup::idClicked, this, &TFormPrgD::RadioGroupReleClick);
}

void TFormPrgD::SetHeadings(int module, const QString& typeName, const QString& inputsText) {
    LabNMod->setText(QString::number(module));
    LabNMod->adjustSize();
    LabTipMod->setText(typeName);
    LabTipMod->adjustSize();
    LabVh->setText(inputsText);
}

void TFormPrgD::showEvent(QShowEvent* event) {
    TLumDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormPrgD::FormShow() {
    EditText->setGeometry(820, 10, EditText->width(), EditText->height());
    EditText->clear();
    EditText->hide();
    EditText->installEventFilter(this);
    connect(EditText, &QLineEdit::textEdited, this, [this] { main_.Serv().FlagText = 1; });
    ScrollBox1->setFocus();
    TProgLumClass& lum = main_.ProgLum();
    for (int& mark : lum.MarkPan)
        if (mark == 1)
            mark = 0;
    if (main_.Serv().FlagFile == 1) {
        OpenFileClick();
        lum.FlagShow = 1;
        LabelFile->show();
    } else {
        InPortClick();
        lum.FlagShow = 1;
        LabelFile->hide();
    }
}

void TFormPrgD::mousePressEvent(QMouseEvent* event) {
    EndLabelEdit(); // a click on the window's background ends an in-place edit
    TLumDialog::mousePressEvent(event);
}

void TFormPrgD::UpdateAreaSize() {
    // Everything placed in the scheme stays reachable, even in a window made smaller.
    const QSize view = ScrollBox1->viewport()->size();
    const int groupsBottom = GroupBoxNasos ? GroupBoxNasos->geometry().bottom() + 4 : 0;
    const int height = std::max({vertRange_, groupsBottom, view.height()});
    const int width = std::max(view.width(), ShVyhBar->geometry().right() + 1);
    area_->resize(width, height);
}

void TFormPrgD::SetVertRange(int range) {
    vertRange_ = range;
    UpdateAreaSize();
}

void TFormPrgD::WheelScroll(int angleDelta) {
    wheelRest_ += angleDelta;
    const int notches = wheelRest_ / 120;
    wheelRest_ -= notches * 120;
    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    bar->setValue(bar->value() - 10 * notches);
}

bool TFormPrgD::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox1->viewport()) {
        if (event->type() == QEvent::Wheel) {
            WheelScroll(static_cast<QWheelEvent*>(event)->angleDelta().y());
            return true;
        }
        if (event->type() == QEvent::Resize)
            UpdateAreaSize();
        return false;
    }
    if (watched == EditText)
        return EditFilter(event);
    if (watched == EditNasos) {
        if (event->type() == QEvent::FocusOut)
            EditNasosExit();
        return false;
    }
    if (watched == area_) {
        // A click is the left button's; the right one on an empty place keeps the selection.
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            ScrollBox1Click(true);
            return false;
        }
        if (event->type() == QEvent::ContextMenu)
            return true; // the empty scheme has no menu
        return false;
    }
    return ElementEvent(watched, event);
}

int TFormPrgD::Mod() const {
    return std::clamp(main_.Serv().GetNMod(), 1, 6);
}

int TFormPrgD::Base() const {
    return 6 * (Mod() - 1);
}

int TFormPrgD::ModType() const {
    return main_.Serv().TipMod[Mod() - 1];
}

bool TFormPrgD::Refuse(bool condition, const char* text) {
    if (condition)
        main_.Op().Tell(text, "Предупреждение", MsgIcon::Warning);
    return condition;
}
