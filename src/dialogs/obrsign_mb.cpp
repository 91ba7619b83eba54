#include "dialogs/obrsign_mb.h"

#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "model/proglumclass.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// The colour list holds exactly these three entries; the codes are the record's colour codes.
struct ColorEntry {
    const char* name;
    QColor color;
    int code;
};
const ColorEntry kColors[3] = {{"Красный", QColor(255, 0, 0), 4},
                               {"Зеленый", QColor(0, 255, 0), 2},
                               {"Желтый", QColor(255, 255, 0), 6}};
// The colour an alarm type preselects: none, yellow, red, lime.
const int kTypeColor[4] = {-1, 2, 0, 1};
} // namespace

TFormSig::TFormSig(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(U("Программирование сигнализации ЛУМ-08"));
    auto* v = new QVBoxLayout(this);
    auto* heading = new QHBoxLayout;
    LabNVh = new QLabel(U("Вход №"), this);
    Label2 = new QLabel(this);
    LabNVh->setStyleSheet("font-weight: bold");
    Label2->setStyleSheet("font-weight: bold");
    heading->addWidget(LabNVh);
    heading->addWidget(Label2);
    heading->addStretch();
    v->addLayout(heading);

    auto* types = new QGroupBox(U("Тип световой сигнализации"), this);
    auto* tv = new QVBoxLayout(types);
    auto* group = new QButtonGroup(this);
    const char* items[4] = {"нет сигнализации", "предупредит. (прерывистый свет)",
                            "аварийная      (прерывистый свет)", "индикация      (ровный свет)"};
    for (int i = 0; i < 4; ++i) {
        RadioGroup1[i] = new QRadioButton(U(items[i]), types);
        group->addButton(RadioGroup1[i], i);
        tv->addWidget(RadioGroup1[i]);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { RadioGroup1Click(id); });
    v->addWidget(types);

    auto* colors = new QGroupBox(U("Цвет световой сигнализации"), this);
    auto* cv = new QVBoxLayout(colors);
    ColorBox1 = new QListWidget(colors);
    for (const ColorEntry& c : kColors) {
        QPixmap swatch(16, 16);
        swatch.fill(c.color);
        ColorBox1->addItem(new QListWidgetItem(QIcon(swatch), U(c.name)));
    }
    ColorBox1->setFixedHeight(ColorBox1->sizeHintForRow(0) * 3 + 6);
    connect(ColorBox1, &QListWidget::itemClicked, this, [this] { ColorBox1Click(); });
    // A colour chosen with the keyboard is a change like one chosen with the mouse.
    connect(ColorBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!settingColor_)
            ColorBox1Click();
    });
    cv->addWidget(ColorBox1);
    v->addWidget(colors);

    auto* sound = new QGroupBox(U("Звуковая сигнализация"), this);
    auto* sv = new QVBoxLayout(sound);
    ComboBox1 = new QComboBox(sound);
    ComboBox1->addItems({U("нет"), U("есть")});
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Click(); });
    sv->addWidget(ComboBox1);
    v->addWidget(sound);

    OK = new QPushButton("OK", this);
    v->addWidget(OK, 0, Qt::AlignRight);
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Cancel); });
    // Every way of closing applies the edits.
    SetCloseBoxResult(mr::Cancel);
}

void TFormSig::showEvent(QShowEvent* event) {
    TLumDialog::showEvent(event);
    RadioGroup1[qMax(0, AlarmType())]->setFocus();
}

void TFormSig::SetHeading(int inputFrom1, const QString& identifier) {
    Label2->setText(QString::number(inputFrom1) + "      " + identifier);
}

int TFormSig::AlarmType() const {
    for (int i = 0; i < 4; ++i)
        if (RadioGroup1[i]->isChecked())
            return i;
    return 0;
}

int TFormSig::ColorIndex() const {
    const auto selected = ColorBox1->selectedItems();
    return selected.isEmpty() ? -1 : ColorBox1->row(selected.front());
}

int TFormSig::ColorCode() const {
    const int i = ColorIndex();
    return i < 0 ? 0 : kColors[i].code;
}

QColor TFormSig::PanelColor() const {
    const int i = ColorIndex();
    return i < 0 ? QColor(255, 255, 255) : kColors[i].color;
}

int TFormSig::Sound() const {
    return ComboBox1->currentIndex() == 1 ? 1 : 0;
}

void TFormSig::SetColorIndex(int index) {
    settingColor_ = true;
    ColorBox1->clearSelection();
    ColorBox1->setCurrentRow(-1);
    if (index >= 0 && index < 3) {
        ColorBox1->setCurrentRow(index);
        ColorBox1->item(index)->setSelected(true);
    }
    settingColor_ = false;
}

void TFormSig::SetSound(int sound) {
    ComboBox1->setCurrentIndex(sound ? 1 : 0);
}

void TFormSig::SetAlarmType(int type) {
    RadioGroup1[type]->setChecked(true);
    RadioGroup1Click(type);
}

void TFormSig::MarkChanged() {
    if (!filling_)
        main_.ProgLum().FlagScheme = 1;
}

void TFormSig::RadioGroup1Click(int type) {
    SetColorIndex(kTypeColor[type]);
    if (type == 0)
        SetSound(0);
    // Only a type chosen while the scheme is being edited counts as a scheme change.
    if (main_.SchemeEditorShown())
        MarkChanged();
}

void TFormSig::ColorBox1Click() {
    if (AlarmType() == 0)
        SetColorIndex(-1); // no colour without an alarm
    MarkChanged();
}

void TFormSig::ComboBox1Click() {
    if (AlarmType() == 0)
        SetSound(0); // no sound without an alarm
    MarkChanged();
}

void TFormSig::FillFrom(const TProgLumClass& prog, int input) {
    filling_ = true;
    RadioGroup1[prog.GetTipSign(input) & 3]->setChecked(true);
    int colorIndex = -1;
    for (int i = 0; i < 3; ++i)
        if (kColors[i].code == prog.GetColor(input))
            colorIndex = i;
    SetColorIndex(colorIndex);
    SetSound(prog.GetZvuk(input));
    filling_ = false;
}

void TFormSig::StoreTo(TProgLumClass& prog, int input) const {
    prog.PutTipSign(input, AlarmType());
    prog.PutColor(input, ColorCode());
    prog.PutZvuk(input, Sound());
}
