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
constexpr int kSignOffset = 240;
constexpr int kZaderOffset = 410;
constexpr int kReleOffset = 550;
} // namespace

void SchemeEditor::ResetDrawingClick() {
    for (int k = 0; k < RowCount; ++k) {
        if (!ShLine[size_t(k)])
            continue;
        const size_t i = size_t(k);
        Destroy(ShRow[i]);
        Destroy(ShLine[i]);
        Destroy(SpKont[i]);
        Destroy(SpArhiv[i]);
        Destroy(SpTVh[i]);
        Destroy(PanInp[i]);
        Destroy(LabTitle[i]);
        Destroy(LabText[i]);
        Destroy(PanSign[i]);
        Destroy(ImArrow1[i]);
        Destroy(PanZader[i]);
        Destroy(ImArrow2[i]);
        Destroy(ImRele[i]);
        Destroy(PanMR[i]);
        Destroy(ImArrow3[i]);
        Destroy(ImZvuk[i]);
    }
    InputProgram& lum = main_.Program();
    lum.SelectedInput = -1;
    lum.SelectedCell = -1;
    lum.SchemeBuilt = 0;
    lum.CellCount = 0;
    inputBar->resize(inputBar->width(), RowHeight);
    outputBar->resize(outputBar->width(), RowHeight);
    SetVertRange(RowHeight);
    lum.SchemeBuilt = 1;
}

void SchemeEditor::OpenFileClick() {
    Build(false);
}

void SchemeEditor::Build(bool fromRead) {
    ResetDrawingClick();
    InputProgram& lum = main_.Program();
    lum.CellCount = 0;
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
    InputProgram& lum = main_.Program();
    const size_t i = size_t(k);
    BuildRowFrame(k);
    ShLine[i] = Wire(new SchemeLine(area_, k + 1));
    ShLine[i]->setGeometry(kLineLeft, ShLine[i]->y(), 0, ShLine[i]->height());
    if (fromRead)
        ShLine[i]->show();
    inputBar->resize(inputBar->width(), RowHeight * k + RowHeight);
    outputBar->resize(outputBar->width(), RowHeight * k + RowHeight);
    if (schemeScroll->height() < inputBar->height())
        SetVertRange(inputBar->height());

    const int a = Base() + k;
    PanInp[i] = Wire(new InputCell(area_, k + 1, tpId));
    PanInp[i]->SetCaption(QString::fromStdString(main_.Modules().GetInputId(a)));
    PanInp[i]->move(kLineLeft, ShLine[i]->y() - PanInp[i]->height() / 2);
    PanInp[i]->SetHint(InputHint(k));

    LabTitle[i] = Wire(new QLabel(TitleText(k), area_));
    LabTitle[i]->setGeometry(kFrameLeft + 2, RowHeight * k + 1, 202, 51);
    LabTitle[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LabTitle[i]->setAutoFillBackground(true);
    QFont titleFont = LabTitle[i]->font();
    titleFont.setFamilies(ProgramFontFamilies() + titleFont.families());
    titleFont.setPointSize(8);
    LabTitle[i]->setFont(titleFont);
    QPalette tp = LabTitle[i]->palette();
    tp.setColor(QPalette::Window, scheme::ButtonFace());
    tp.setColor(QPalette::WindowText, scheme::Blue());
    LabTitle[i]->setPalette(tp);

    LabText[i] = Wire(new QLabel("  " + FromCp1251(main_.Modules().GetLabel(a)), area_));
    LabText[i]->setGeometry(25, RowHeight * k + 19, 202, 15);
    LabText[i]->setAutoFillBackground(true);
    QFont textFont = LabText[i]->font();
    textFont.setBold(true);
    LabText[i]->setFont(textFont);
    QPalette xp = LabText[i]->palette();
    xp.setColor(QPalette::Window, scheme::ButtonFace());
    xp.setColor(QPalette::WindowText, scheme::Maroon());
    LabText[i]->setPalette(xp);

    BuildRowButtons(k, fromRead);
    lum.CellCount = lum.CellCount + 1;

    if (lum.GetAlarmType(a) != 0)
        CreateAlarmCell(k);
    if (lum.GetDelay(a) != 0 && (ModType() != 2 || k == 3 || k == 4))
        CreateDelayCell(k, lum.GetDelay(a));
    if (lum.GetRelay(a) == 1)
        CreateRelayCell(k);
}

void SchemeEditor::BuildRowFrame(int k) {
    auto* frame = new SchemeShape(area_);
    frame->SetBrushColor(scheme::ButtonFace());
    frame->SetPenColor(scheme::ActiveCaption());
    frame->setGeometry(kFrameLeft, RowHeight * k, outputBar->x() - kFrameLeft, RowHeight);
    ShRow[size_t(k)] = Wire(frame);
}

void SchemeEditor::BuildRowButtons(int k, bool fromRead) {
    InputProgram& lum = main_.Program();
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
    SpKont[i] = button(area_, QPixmap(), k + 1, kFrameLeft + 182, RowHeight * k + 6,
                       "Состояние входа - Нажато: НР");
    SpKont[i]->SetDown(lum.GetContact(a) == 1);
    SpKont[i]->SetOnClick([this, k](QObject*) { InputButtonClick(k); });

    SpArhiv[i] = button(area_, glyphs::Vkl(), k + (fromRead ? 193 : 49), kFrameLeft + 182,
                        RowHeight * k + 29, "Включение в обработку");
    SpArhiv[i]->SetDown(lum.GetArchive(a) == 1);
    SpArhiv[i]->SetOnClick([this, k](QObject*) { ArchiveClick(k); });

    SpTVh[i] = button(PanInp[i], glyphs::Tvhs(), k + 97, 2, 10, "Тип входного сигнала");
    SpTVh[i]->SetDown(lum.GetNamur(a) == 1);
    if (ModType() == 2 && k >= 2 && k <= 4) {
        // These inputs of a valve module are always dry contacts.
        SpTVh[i]->SetDown(false);
        lum.PutNamur(a, 0);
    }
    SpTVh[i]->SetOnClick([this, k](QObject*) { ContactClick(k); });
}

QString SchemeEditor::TitleText(int k) const {
    const int a = Base() + k;
    if (ModType() == 2) {
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
    InputProgram& lum = main_.Program();
    PanSign[i] = Wire(new AlarmCell(area_, k + 1, 0, 0));
    PanSign[i]->move(inputBar->x() + kSignOffset, ShLine[i]->y() - 21);
    const int type = lum.GetAlarmType(a);
    PanSign[i]->PutNTabS(type, 0);
    PanSign[i]->PutTipS(type);
    switch (lum.GetColor(a)) {
    case 2:
        PanSign[i]->PutColorSign(scheme::Lime());
        break;
    case 4:
        PanSign[i]->PutColorSign(scheme::Red());
        break;
    case 6:
        PanSign[i]->PutColorSign(scheme::Yellow());
        break;
    default:
        PanSign[i]->PutColorSign(scheme::White()); // no light: as the dialog shows no colour
        break;
    }
    ImArrow1[i] = Picture(area_, glyphs::Arrow(), PanSign[i]->x() - 7, ShLine[i]->y() - 4);
    StretchLine(k);
    if (lum.GetSound(a) == 1)
        CreateSoundMark(k);
}

void SchemeEditor::CreateSoundMark(int k) {
    const size_t i = size_t(k);
    AlarmCell* panel = PanSign[i];
    ImZvuk[i] = Picture(area_, glyphs::Sound(), panel->x() + panel->width(), panel->y());
}

void SchemeEditor::CreateDelayCell(int k, int seconds) {
    const size_t i = size_t(k);
    PanZader[i] = Wire(new DelayCell(area_, seconds, 1));
    PanZader[i]->move(inputBar->x() + kZaderOffset, ShLine[i]->y() - 21);
    ImArrow2[i] = Picture(area_, glyphs::Arrow(), PanZader[i]->x() - 7, ShLine[i]->y() - 4);
    StretchLine(k);
}

void SchemeEditor::CreateRelayCell(int k) {
    const size_t i = size_t(k);
    PanMR[i] = Wire(new RelayCell(area_, k + 1));
    PanMR[i]->setGeometry(inputBar->x() + kReleOffset, ShLine[i]->y() - 21, 28, PanMR[i]->height());
    PanMR[i]->SetCaption(QString());
    for (int c = 0; c < RelayCell::KolCells; ++c)
        PanMR[i]->Cell(c)->hide(); // the relay modules' cells have no room in the scheme
    ImRele[i] = Picture(PanMR[i], glyphs::Relay(), 4, 6);
    ImArrow3[i] = Picture(area_, glyphs::Arrow(), PanMR[i]->x() - 7, ShLine[i]->y() - 4);
    StretchLine(k);
}

void SchemeEditor::StretchLine(int k) {
    const size_t i = size_t(k);
    SchemeLine* line = ShLine[i];
    if (!line)
        return;
    int right = line->x();
    for (QWidget* block : {static_cast<QWidget*>(PanSign[i]), static_cast<QWidget*>(PanZader[i]),
                           static_cast<QWidget*>(PanMR[i])})
        if (block)
            right = block->x();
    line->resize(right - line->x(), line->height());
}

void SchemeEditor::BuildModuleGroup() {
    InputProgram& lum = main_.Program();
    const int par = lum.GetModuleParameter(Mod() - 1);
    if (ModType() == 2) {
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
                 ShRow[i], ShLine[i], PanInp[i], LabTitle[i], LabText[i], SpKont[i], SpArhiv[i],
                 SpTVh[i], PanSign[i], ImZvuk[i], PanZader[i], PanMR[i], ImRele[i], ImArrow1[i],
                 ImArrow2[i], ImArrow3[i]})
            if (w)
                w->show();
    }
}
