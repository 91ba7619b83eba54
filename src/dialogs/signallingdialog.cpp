#include "dialogs/signallingdialog.h"

#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/inputprogram.h"

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

SignallingDialog::SignallingDialog(WindowContext& main, QWidget* parent)
    : LumDialog(parent), main_(main) {
    setWindowTitle(U("Программирование сигнализации ЛУМ-08"));
    auto* v = new QVBoxLayout(this);
    auto* heading = new QHBoxLayout;
    inputLabel = new QLabel(U("Вход №"), this);
    inputCaption = new QLabel(this);
    inputLabel->setObjectName("inputLabel");
    inputCaption->setObjectName("inputCaption");
    inputLabel->setStyleSheet("font-weight: bold");
    inputCaption->setStyleSheet("font-weight: bold");
    heading->addWidget(inputLabel);
    heading->addWidget(inputCaption);
    heading->addStretch();
    v->addLayout(heading);

    auto* types = new QGroupBox(U("Тип световой сигнализации"), this);
    auto* tv = new QVBoxLayout(types);
    auto* group = new QButtonGroup(this);
    const char* items[4] = {"нет сигнализации", "предупредит. (прерывистый свет)",
                            "аварийная      (прерывистый свет)", "индикация      (ровный свет)"};
    for (int i = 0; i < 4; ++i) {
        alarmTypeButtons[i] = new QRadioButton(U(items[i]), types);
        alarmTypeButtons[i]->setObjectName(QString("alarmType%1").arg(i));
        group->addButton(alarmTypeButtons[i], i);
        tv->addWidget(alarmTypeButtons[i]);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { AlarmTypeClick(id); });
    v->addWidget(types);

    auto* colors = new QGroupBox(U("Цвет световой сигнализации"), this);
    auto* cv = new QVBoxLayout(colors);
    colorList = new QListWidget(colors);
    colorList->setObjectName("colorList");
    for (const ColorEntry& c : kColors) {
        QPixmap swatch(16, 16);
        swatch.fill(c.color);
        colorList->addItem(new QListWidgetItem(QIcon(swatch), U(c.name)));
    }
    colorList->setFixedHeight(colorList->sizeHintForRow(0) * 3 + 6);
    connect(colorList, &QListWidget::itemClicked, this, [this] { ColorClick(); });
    // A colour chosen with the keyboard is a change like one chosen with the mouse.
    connect(colorList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!settingColor_)
            ColorClick();
    });
    cv->addWidget(colorList);
    v->addWidget(colors);

    auto* sound = new QGroupBox(U("Звуковая сигнализация"), this);
    auto* sv = new QVBoxLayout(sound);
    soundBox = new QComboBox(sound);
    soundBox->setObjectName("soundBox");
    soundBox->addItems({U("нет"), U("есть")});
    connect(soundBox, &QComboBox::activated, this, [this] { SoundClick(); });
    sv->addWidget(soundBox);
    v->addWidget(sound);

    OK = new QPushButton("OK", this);
    OK->setObjectName("OK");
    v->addWidget(OK, 0, Qt::AlignRight);
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Cancel); });
    // Every way of closing applies the edits.
    SetCloseBoxResult(mr::Cancel);
}

void SignallingDialog::showEvent(QShowEvent* event) {
    LumDialog::showEvent(event);
    alarmTypeButtons[qMax(0, AlarmType())]->setFocus();
}

void SignallingDialog::SetHeading(int inputFrom1, const QString& identifier) {
    inputCaption->setText(QString::number(inputFrom1) + "      " + identifier);
}

int SignallingDialog::AlarmType() const {
    for (int i = 0; i < 4; ++i)
        if (alarmTypeButtons[i]->isChecked())
            return i;
    return 0;
}

int SignallingDialog::ColorIndex() const {
    const auto selected = colorList->selectedItems();
    return selected.isEmpty() ? -1 : colorList->row(selected.front());
}

int SignallingDialog::ColorCode() const {
    const int i = ColorIndex();
    return i < 0 ? 0 : kColors[i].code;
}

QColor SignallingDialog::PanelColor() const {
    const int i = ColorIndex();
    return i < 0 ? QColor(255, 255, 255) : kColors[i].color;
}

int SignallingDialog::Sound() const {
    return soundBox->currentIndex() == 1 ? 1 : 0;
}

void SignallingDialog::SetColorIndex(int index) {
    settingColor_ = true;
    colorList->clearSelection();
    colorList->setCurrentRow(-1);
    if (index >= 0 && index < 3) {
        colorList->setCurrentRow(index);
        colorList->item(index)->setSelected(true);
    }
    settingColor_ = false;
}

void SignallingDialog::SetSound(int sound) {
    soundBox->setCurrentIndex(sound ? 1 : 0);
}

void SignallingDialog::SetAlarmType(int type) {
    alarmTypeButtons[type]->setChecked(true);
    AlarmTypeClick(type);
}

void SignallingDialog::AlarmTypeClick(int type) {
    SetColorIndex(kTypeColor[type]);
    if (type == 0)
        SetSound(0);
}

void SignallingDialog::ColorClick() {
    if (AlarmType() == 0)
        SetColorIndex(-1); // no colour without an alarm
}

void SignallingDialog::SoundClick() {
    if (AlarmType() == 0)
        SetSound(0); // no sound without an alarm
}

void SignallingDialog::FillFrom(const InputProgram& prog, int input) {
    alarmTypeButtons[prog.GetAlarmType(input) & 3]->setChecked(true);
    int colorIndex = -1;
    for (int i = 0; i < 3; ++i)
        if (kColors[i].code == prog.GetColor(input))
            colorIndex = i;
    SetColorIndex(colorIndex);
    SetSound(prog.GetSound(input));
}

Signalling SignallingDialog::Chosen() const {
    return {AlarmType(), ColorCode(), Sound()};
}
