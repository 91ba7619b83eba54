// Reset and construction of the drawing from the model.

#include "scheme/schemeeditor.h"

#include "dialogs/cp1251.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "scheme/alarmcell.h"
#include "scheme/cellbutton.h"
#include "scheme/delaycell.h"
#include "scheme/glyphs.h"
#include "scheme/inputcell.h"
#include "scheme/relaycell.h"
#include "scheme/schemecolors.h"
#include "scheme/schemeline.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>

namespace {
template <class T> void Destroy(T*& element) {
    delete element;
    element = nullptr;
}

constexpr int kFrameLeft = 24;
constexpr int kLineLeft = 236; // the row frame's Left + 212
constexpr int kAlarmColumn = 240;
constexpr int kDelayColumn = 410;
constexpr int kRelayColumn = 550;
} // namespace

void SchemeEditor::ResetDrawingClick() {
    for (int k = 0; k < RowCount; ++k) {
        if (!rowLines[size_t(k)])
            continue;
        const size_t i = size_t(k);
        Destroy(rowFrames[i]);
        Destroy(rowLines[i]);
        Destroy(contactButtons[i]);
        Destroy(archiveButtons[i]);
        Destroy(inputTypeButtons[i]);
        Destroy(inputCells[i]);
        Destroy(titleLabels[i]);
        Destroy(labelTexts[i]);
        Destroy(alarmCells[i]);
        Destroy(alarmArrows[i]);
        Destroy(delayCells[i]);
        Destroy(delayArrows[i]);
        Destroy(relayMarks[i]);
        Destroy(relayCells[i]);
        Destroy(relayArrows[i]);
        Destroy(soundMarks[i]);
    }
    SelectedInput = -1;
    SelectedCell = -1;
    SchemeBuilt = 0;
    CellCount = 0;
    inputBar->resize(inputBar->width(), RowHeight);
    outputBar->resize(outputBar->width(), RowHeight);
    SetVertRange(RowHeight);
    SchemeBuilt = 1;
}

void SchemeEditor::OpenFileClick() {
    Build(false);
}

void SchemeEditor::ShowDocument() {
    EndLabelEdit();
    Build(false);
}

void SchemeEditor::Build(bool fromRead) {
    ResetDrawingClick();
    CellCount = 0;
    if (fromRead)
        setWindowTitle(DeviceCaption());
    for (int k = 0; k < RowCount; ++k)
        BuildRow(k, fromRead);
    BuildModuleGroup();
    ShowRows();
}

template <class T> T* SchemeEditor::Wire(T* element) {
    element->hide();
    element->setMouseTracking(true);
    element->installEventFilter(this);
    return element;
}

QLabel* SchemeEditor::Picture(QWidget* parent, const QPixmap& pixmap, int left, int top) {
    auto* picture = new QLabel(parent);
    picture->setPixmap(pixmap);
    picture->setGeometry(left, top, pixmap.width(), pixmap.height());
    return Wire(picture);
}

void SchemeEditor::BuildRow(int k, bool fromRead) {
    InputProgram& inputProgram = main_.Program();
    const size_t i = size_t(k);
    BuildRowFrame(k);
    rowLines[i] = Wire(new SchemeLine(area_, k + 1));
    rowLines[i]->setGeometry(kLineLeft, rowLines[i]->y(), 0, rowLines[i]->height());
    if (fromRead)
        rowLines[i]->show();
    inputBar->resize(inputBar->width(), RowHeight * k + RowHeight);
    outputBar->resize(outputBar->width(), RowHeight * k + RowHeight);
    if (schemeScroll->height() < inputBar->height())
        SetVertRange(inputBar->height());

    const int a = Base() + k;
    inputCells[i] = Wire(new InputCell(area_, k + 1, tpId));
    inputCells[i]->SetCaption(QString::fromStdString(main_.Modules().GetInputId(a)));
    inputCells[i]->move(kLineLeft, rowLines[i]->y() - inputCells[i]->height() / 2);
    inputCells[i]->SetHint(InputHint(k));

    titleLabels[i] = Wire(new QLabel(TitleText(k), area_));
    titleLabels[i]->setGeometry(kFrameLeft + 2, RowHeight * k + 1, 202, 51);
    titleLabels[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titleLabels[i]->setAutoFillBackground(true);
    QFont titleFont = titleLabels[i]->font();
    titleFont.setFamilies(ProgramFontFamilies() + titleFont.families());
    titleFont.setPointSize(8);
    titleLabels[i]->setFont(titleFont);
    QPalette tp = titleLabels[i]->palette();
    tp.setColor(QPalette::Window, scheme::ButtonFace());
    tp.setColor(QPalette::WindowText, scheme::Blue());
    titleLabels[i]->setPalette(tp);

    labelTexts[i] = Wire(new QLabel("  " + FromCp1251(main_.Modules().GetLabel(a)), area_));
    labelTexts[i]->setGeometry(25, RowHeight * k + 19, 202, 15);
    labelTexts[i]->setAutoFillBackground(true);
    QFont textFont = labelTexts[i]->font();
    textFont.setBold(true);
    labelTexts[i]->setFont(textFont);
    QPalette xp = labelTexts[i]->palette();
    xp.setColor(QPalette::Window, scheme::ButtonFace());
    xp.setColor(QPalette::WindowText, scheme::Maroon());
    labelTexts[i]->setPalette(xp);

    BuildRowButtons(k, fromRead);
    CellCount = CellCount + 1;

    if (inputProgram.GetAlarmType(a) != 0)
        CreateAlarmCell(k);
    if (inputProgram.GetDelay(a) != 0 && (ModuleType() != 2 || k == 3 || k == 4))
        CreateDelayCell(k, inputProgram.GetDelay(a));
    if (inputProgram.GetRelay(a) == 1)
        CreateRelayCell(k);
}

void SchemeEditor::BuildRowFrame(int k) {
    auto* frame = new SchemeShape(area_);
    frame->SetBrushColor(scheme::ButtonFace());
    frame->SetPenColor(scheme::ActiveCaption());
    frame->setGeometry(kFrameLeft, RowHeight * k, outputBar->x() - kFrameLeft, RowHeight);
    rowFrames[size_t(k)] = Wire(frame);
}

void SchemeEditor::BuildRowButtons(int k, bool fromRead) {
    InputProgram& inputProgram = main_.Program();
    const size_t i = size_t(k);
    const int a = Base() + k;
    auto button = [this](QWidget* parent, const QPixmap& glyph, int group, int left, int top,
                         const char* hint) {
        auto* b = new CellButton(parent, false);
        // The row buttons are the operator's: they take clicks.
        b->setEnabled(true);
        if (!glyph.isNull())
            b->SetGlyph(glyph, 4);
        b->SetAllowAllUp(true);
        b->SetGroupIndex(group);
        b->setGeometry(left, top, 23, 22);
        b->setToolTip(U(hint));
        b->hide();
        return b;
    };
    contactButtons[i] = button(area_, QPixmap(), k + 1, kFrameLeft + 182, RowHeight * k + 6,
                               "Состояние входа - Нажато: НР");
    contactButtons[i]->SetDown(inputProgram.GetContact(a) == 1);
    contactButtons[i]->SetOnClick([this, k](QObject*) { InputButtonClick(k); });

    archiveButtons[i] = button(area_, glyphs::Inclusion(), k + (fromRead ? 193 : 49),
                               kFrameLeft + 182, RowHeight * k + 29, "Включение в обработку");
    archiveButtons[i]->SetDown(inputProgram.GetArchive(a) == 1);
    archiveButtons[i]->SetOnClick([this, k](QObject*) { ArchiveClick(k); });

    inputTypeButtons[i] =
        button(inputCells[i], glyphs::InputSignalType(), k + 97, 2, 10, "Тип входного сигнала");
    inputTypeButtons[i]->SetDown(inputProgram.GetNamur(a) == 1);
    inputTypeButtons[i]->SetOnClick([this, k](QObject*) { ContactClick(k); });
}

QString SchemeEditor::TitleText(int k) const {
    const int a = Base() + k;
    if (ModuleType() == 2) {
        static const char* const titles[RowCount] = {
            "  КЛАПАН ОТКРЫТ\n\n  № в базе ",  "  КЛАПАН ЗАКРЫТ\n\n  № в базе ",
            "  АУ РАЗРЕШИТЬ \n\n  № в базе ",  "  КЛАПАН ОТКРЫТЬ\n\n  № в базе ",
            "  КЛАПАН ЗАКРЫТЬ\n\n  № в базе ", "  РЕЗЕРВ\n\n  № в базе "};
        return U(titles[k]) + QString::number(a + 1);
    }
    return U("  № на схеме ") + QString::number(k + 1) + "\n\n" + U("  № в базе ") +
           QString::number(a + 1);
}

QString SchemeEditor::InputHint(int k) const {
    const int a = Base() + k;
    return U("номер входа  на схеме ") + QString::number(k + 1) + "\n" +
           U("номер сигнала в базе ") + QString::number(a + 1) + U(" (адрес 0x") +
           QString("%1").arg(a, 2, 16, QChar('0')).toUpper() + ")\n" +
           FromCp1251(main_.Modules().GetLabel(a));
}

void SchemeEditor::CreateAlarmCell(int k) {
    const size_t i = size_t(k);
    const int a = Base() + k;
    InputProgram& inputProgram = main_.Program();
    alarmCells[i] = Wire(new AlarmCell(area_, k + 1, 0, 0));
    alarmCells[i]->move(inputBar->x() + kAlarmColumn, rowLines[i]->y() - 21);
    const int type = inputProgram.GetAlarmType(a);
    alarmCells[i]->PutNumber(type, 0);
    alarmCells[i]->PutTypeCaption(type);
    switch (inputProgram.GetColor(a)) {
    case 2:
        alarmCells[i]->PaintNumber(scheme::Lime());
        break;
    case 4:
        alarmCells[i]->PaintNumber(scheme::Red());
        break;
    case 6:
        alarmCells[i]->PaintNumber(scheme::Yellow());
        break;
    default:
        alarmCells[i]->PaintNumber(scheme::White()); // no light: as the dialog shows no colour
        break;
    }
    alarmArrows[i] = Picture(area_, glyphs::Arrow(), alarmCells[i]->x() - 7, rowLines[i]->y() - 4);
    StretchLine(k);
    if (inputProgram.GetSound(a) == 1)
        CreateSoundMark(k);
}

void SchemeEditor::CreateSoundMark(int k) {
    const size_t i = size_t(k);
    AlarmCell* panel = alarmCells[i];
    soundMarks[i] = Picture(area_, glyphs::Sound(), panel->x() + panel->width(), panel->y());
}

void SchemeEditor::CreateDelayCell(int k, int seconds) {
    const size_t i = size_t(k);
    delayCells[i] = Wire(new DelayCell(area_, seconds, 1));
    delayCells[i]->move(inputBar->x() + kDelayColumn, rowLines[i]->y() - 21);
    delayArrows[i] = Picture(area_, glyphs::Arrow(), delayCells[i]->x() - 7, rowLines[i]->y() - 4);
    StretchLine(k);
}

void SchemeEditor::CreateRelayCell(int k) {
    const size_t i = size_t(k);
    relayCells[i] = Wire(new RelayCell(area_, k + 1));
    relayCells[i]->setGeometry(inputBar->x() + kRelayColumn, rowLines[i]->y() - 21, 28,
                               relayCells[i]->height());
    relayCells[i]->SetCaption(QString());
    for (int c = 0; c < RelayCell::cellTotal; ++c)
        relayCells[i]->Cell(c)->hide(); // the relay modules' cells have no room in the scheme
    relayMarks[i] = Picture(relayCells[i], glyphs::Relay(), 4, 6);
    relayArrows[i] = Picture(area_, glyphs::Arrow(), relayCells[i]->x() - 7, rowLines[i]->y() - 4);
    StretchLine(k);
}

void SchemeEditor::StretchLine(int k) {
    const size_t i = size_t(k);
    SchemeLine* line = rowLines[i];
    if (!line)
        return;
    int right = line->x();
    for (QWidget* block :
         {static_cast<QWidget*>(alarmCells[i]), static_cast<QWidget*>(delayCells[i]),
          static_cast<QWidget*>(relayCells[i])})
        if (block)
            right = block->x();
    line->resize(right - line->x(), line->height());
}

void SchemeEditor::BuildModuleGroup() {
    InputProgram& inputProgram = main_.Program();
    const int par = inputProgram.GetModuleParameter(ModuleNumber() - 1);
    if (ModuleType() == 2) {
        relayGroup->show();
        pumpGroup->hide();
        auto* group = relayButtons[0]->group();
        group->setExclusive(false);
        relayButtons[0]->setChecked(par == 0);
        relayButtons[1]->setChecked(par == 1);
        group->setExclusive(true);
        return;
    }
    relayGroup->hide();
    pumpGroup->show();
    pumpButton->SetDown(par != 0);
    sensorEdit->setText(par != 0 ? QString::number(par) : QString("0"));
    sensorLabel->setVisible(par != 0);
    sensorEdit->setVisible(par != 0);
}

void SchemeEditor::ShowRows() {
    for (int k = 0; k < RowCount; ++k) {
        const size_t i = size_t(k);
        for (QWidget* w : std::initializer_list<QWidget*>{
                 rowFrames[i], rowLines[i], inputCells[i], titleLabels[i], labelTexts[i],
                 contactButtons[i], archiveButtons[i], inputTypeButtons[i], alarmCells[i],
                 soundMarks[i], delayCells[i], relayCells[i], relayMarks[i], alarmArrows[i],
                 delayArrows[i], relayArrows[i]})
            if (w)
                w->show();
    }
}
