#include "report/inputstable.h"

#include "dialogs/accelerators.h"
#include "dialogs/cp1251.h"
#include "dialogs/inputgroupdialog.h"
#include "dialogs/labeldialog.h"
#include "dialogs/uitext.h"
#include "dialogs/undokeys.h"
#include "dialogs/windowcontext.h"
#include "model/edithistory.h"
#include "model/inputprogram.h"
#include "model/keyfilters.h"
#include "model/labelclipboard.h"
#include "model/moduleconfig.h"
#include "model/operator.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

namespace {
struct Column {
    const char* header;
    int width;
};
const Column kColumns[InputsTableWindow::GridColumns] = {
    {"  № ", 43},      {"Идентификатор ", 137}, {"   Адрес", 71}, {"Текст.реквизит", 132},
    {"вых на МР", 84},
};

// The label dialog closes with 2 whichever way it is closed, and its text is then taken.
constexpr int TextAccepted = mr::Cancel;
} // namespace

InputsTableWindow::InputsTableWindow(WindowContext& main, QWidget* parent)
    : LumDialog(parent), main_(main) {
    BuildWindow();
    InstallUndoKeys(*this, main_);
}

void InputsTableWindow::BuildWindow() {
    setWindowTitle(U("Информация о входах"));
    auto* v = new QVBoxLayout(this);
    inputsCaption = new QLabel(U("Дискретные сигналы"), this);
    inputsCaption->setStyleSheet("font-weight: bold");
    v->addWidget(inputsCaption, 0, Qt::AlignHCenter);

    inputsGrid = new QTableWidget(GridRows, GridColumns, this);
    inputsGrid->verticalHeader()->hide();
    inputsGrid->verticalHeader()->setDefaultSectionSize(20);
    inputsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    inputsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    inputsGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    inputsGrid->setWordWrap(false);
    int width = 0;
    for (int c = 0; c < GridColumns; ++c) {
        auto* header = new QTableWidgetItem(U(kColumns[c].header));
        header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        inputsGrid->setHorizontalHeaderItem(c, header);
        inputsGrid->setColumnWidth(c, kColumns[c].width);
        width += kColumns[c].width;
    }
    inputsGrid->setMinimumSize(width + 24, 400);
    v->addWidget(inputsGrid, 1);

    contextMenu = new QMenu(this);
    copyLabelsAction = contextMenu->addAction(U("Копировать группу текст. реквизитов"));
    insertLabelsAction = contextMenu->addAction(U("Заменить группу текст. реквизитов"));
    // Nothing to put in before a group was copied, in this window or an earlier one.
    insertLabelsAction->setEnabled(main_.Clipboard().Holds);
    // Greyed, it says why.
    contextMenu->setToolTipsVisible(true);
    insertLabelsAction->setToolTip(
        main_.Clipboard().Holds
            ? insertLabelsAction->text()
            : U("Сначала скопируйте группу командой «Копировать группу текст. реквизитов»"));
    contextMenu->addSeparator();
    pasteLabelsAction = contextMenu->addAction(U("Вставить тексты из буфера обмена"));
    pasteLabelsAction->setShortcut(QKeySequence::Paste);
    pasteLabelsAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    pasteLabelsAction->setToolTip(
        U("Тексты, по одному в строке, вписываются во входы начиная с выбранного"));
    inputsGrid->addAction(pasteLabelsAction);
    GiveAccelerators(contextMenu);
    inputsGrid->setContextMenuPolicy(Qt::CustomContextMenu);

    reportButton = new QPushButton(U("Создание и печать файла .rtf"), this);
    // Enter belongs to the table's rows, not to the report.
    reportButton->setAutoDefault(false);
    v->addWidget(reportButton, 0, Qt::AlignHCenter);

    reportText = new QPlainTextEdit(this);
    reportText->setReadOnly(true);
    reportText->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    reportText->hide();

    connect(inputsGrid, &QTableWidget::cellDoubleClicked, this,
            [this](int, int) { GridDoubleClick(); });
    connect(inputsGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        GridMouseDown();
        contextMenu->popup(inputsGrid->viewport()->mapToGlobal(at));
    });
    connect(copyLabelsAction, &QAction::triggered, this, [this] { CopyLabelsClick(); });
    connect(insertLabelsAction, &QAction::triggered, this, [this] { InsertLabelsClick(); });
    connect(reportButton, &QPushButton::clicked, this, [this] { ReportClick(); });
    connect(pasteLabelsAction, &QAction::triggered, this,
            [this] { PasteLabels(QGuiApplication::clipboard()->text()); });
    inputsGrid->installEventFilter(this);
}

bool InputsTableWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == inputsGrid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & ~Qt::KeypadModifier)) {
            EnterOnRow();
            return true;
        }
    }
    return LumDialog::eventFilter(watched, event);
}

void InputsTableWindow::EnterOnRow() {
    const int row = inputsGrid->currentRow();
    if (row < 0 || row >= InputCount())
        return;
    inputsGrid->setCurrentCell(row, ColText);
    GridDoubleClick();
}

void InputsTableWindow::showEvent(QShowEvent* event) {
    LumDialog::showEvent(event);
    inputsGrid->setFocus();
}

QString InputsTableWindow::Cell(int c, int r) const {
    if (r < 1 || r > GridRows || c < 0 || c >= GridColumns)
        return QString();
    const QTableWidgetItem* item = inputsGrid->item(r - 1, c);
    return item ? item->text() : QString();
}

void InputsTableWindow::SetCell(int c, int r, const QString& text) {
    QTableWidgetItem* item = inputsGrid->item(r - 1, c);
    if (item)
        item->setText(text);
    else
        inputsGrid->setItem(r - 1, c, new QTableWidgetItem(text));
}

int InputsTableWindow::InputCount() const {
    return main_.Modules().GetInputCount();
}

void InputsTableWindow::ClearRows() {
    for (int r = 1; r <= GridRows; ++r)
        for (int c = 0; c < GridColumns; ++c)
            if (inputsGrid->item(r - 1, c))
                SetCell(c, r, QString());
}

void InputsTableWindow::FillRows() {
    const ModuleConfig& moduleConfig = main_.Modules();
    for (int i = 0; i < InputCount(); ++i) {
        const int r = i + 1;
        SetCell(0, r, QString::number(r));
        SetCell(1, r, QString::fromStdString(moduleConfig.GetInputId(i)));
        SetCell(2, r, " 0x" + QStringLiteral("%1").arg(i, 2, 16, QChar('0')).toUpper());
        SetCell(ColText, r, FromCp1251(moduleConfig.GetLabel(i)));
    }
}

void InputsTableWindow::RefreshLabels() {
    for (int i = 0; i < InputCount(); ++i)
        SetCell(ColText, i + 1, FromCp1251(main_.Modules().GetLabel(i)));
}

void InputsTableWindow::FillAndShow() {
    ClearRows();
    reportText->clear();
    // A showing for reference hides the report button; the main window's table has it.
    reportButton->show();
    FillRows();
    main_.showModal(*this);
}

void InputsTableWindow::ShowForReference() {
    ClearRows();
    reportText->clear();
    reportText->hide();
    reportButton->hide();
    FillRows();
    for (int r = 1; r <= InputCount(); ++r)
        SetCell(4, r, QString(8, ' '));
    main_.showModal(*this);
}

void InputsTableWindow::GridDoubleClick() {
    const int c = inputsGrid->currentColumn();
    const int r = inputsGrid->currentRow() + 1;
    lastColumn = c;
    if (r < 1 || r > InputCount() || c != ColText)
        return;
    ModuleConfig& moduleConfig = main_.Modules();
    LabelDialog dialog(main_, parentWidget());
    const int i = r - 1;
    dialog.SetHeading(r, QString::fromStdString(moduleConfig.GetInputId(i)));
    dialog.FillFrom(i);
    if (main_.showModal(dialog) == TextAccepted) {
        const std::string label = dialog.Label();
        main_.Document().Edit("Вход " + std::to_string(r) + " " + moduleConfig.InputName(i) +
                                  ": текст",
                              [&] { moduleConfig.PutLabel(label, i); });
    }
    SetCell(ColText, r, FromCp1251(moduleConfig.GetLabel(i)));
}

void InputsTableWindow::GridMouseDown() {
    lastColumn = inputsGrid->currentColumn();
}

void InputsTableWindow::WarnWrongNumber() {
    main_.Op().Tell("Неверно задан № входа", "Предупреждение", MsgIcon::Warning);
}

void InputsTableWindow::CopyLabelsClick() {
    if (lastColumn != ColText)
        return;
    InputGroupDialog dialog(main_, parentWidget());
    dialog.PrepareGroupMode();
    if (main_.showModal(dialog) != InputGroupDialog::Accepted)
        return;
    const long long first = dialog.FirstInput();
    const long long last = dialog.LastInput();
    const long long n = InputCount();
    if (first < 1 || first > n || last > n || first > last) {
        WarnWrongNumber();
        return;
    }
    LabelClipboard& copy = main_.Clipboard();
    const ModuleConfig& moduleConfig = main_.Modules();
    for (long long i = first - 1; i < last; ++i)
        std::memcpy(copy.Labels[i], moduleConfig.Label[i], ModuleConfig::LabelLength);
    copy.FirstInput = int(first - 1);
    copy.LastInput = int(last - 1);
    copy.Holds = true;
    insertLabelsAction->setEnabled(true);
    insertLabelsAction->setToolTip(insertLabelsAction->text().remove(QLatin1Char('&')));
}

void InputsTableWindow::InsertLabelsClick() {
    InputGroupDialog dialog(main_, parentWidget());
    dialog.PrepareInsertMode();
    if (main_.showModal(dialog) != InputGroupDialog::Accepted)
        return;
    const long long d = dialog.InsertStart();
    const int n = InputCount();
    if (d < 1 || d > n) {
        WarnWrongNumber();
        return;
    }
    const LabelClipboard& copy = main_.Clipboard();
    ModuleConfig& moduleConfig = main_.Modules();
    // The clipboard is plain data; never reach outside its 36 rows.
    const int from = std::max(copy.FirstInput, 0);
    const int to = std::min(copy.LastInput, ModuleConfig::MaxInputs - 1);
    const int last = std::min(int(d - 1) + to - from, n - 1);
    main_.Document().Edit(
        "Входы " + std::to_string(d) + "–" + std::to_string(last + 1) + ": тексты", [&] {
            for (int src = from, dst = int(d - 1); src <= to && dst < n; ++src, ++dst) {
                std::memcpy(moduleConfig.Label[dst], copy.Labels[src], ModuleConfig::LabelLength);
                main_.Settings().labelsPasted = true;
            }
            if (main_.Settings().labelsPasted)
                RefreshLabels();
        });
}
