#include "dialogs/labeldialog.h"

#include "dialogs/cp1251.h"
#include "dialogs/fieldcheck.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/moduleconfig.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace {
// Enter in the label field moves on to the next control.
class EnterMovesOn : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                FocusNext(static_cast<QWidget*>(watched));
                return true;
            }
        }
        return false;
    }
};
} // namespace

LabelDialog::LabelDialog(WindowContext& main, QWidget* parent) : LumDialog(parent), main_(main) {
    setWindowTitle(U("Задание текстового реквизита входа"));
    auto* grid = new QGridLayout(this);
    inputLabel = new QLabel(U("Вход №"), this);
    inputCaption = new QLabel(this);
    inputCaption->setObjectName("inputCaption");
    inputLabel->setStyleSheet("font-weight: bold");
    inputCaption->setStyleSheet("font-weight: bold");
    labelCaption = new QLabel(U("Текстовый реквизит"), this);
    labelEdit = new QLineEdit(this);
    labelEdit->setObjectName("labelEdit");
    labelEdit->setMaxLength(14);
    labelEdit->setMinimumWidth(160);
    labelEdit->installEventFilter(new EnterMovesOn(labelEdit));
    lengthLabel = new QLabel(this);
    lengthLabel->setObjectName("lengthLabel");
    OK = new QPushButton("OK", this);
    OK->setObjectName("OK");
    grid->addWidget(inputLabel, 0, 0);
    grid->addWidget(inputCaption, 0, 1);
    grid->addWidget(labelCaption, 1, 0);
    grid->addWidget(labelEdit, 1, 1);
    grid->addWidget(lengthLabel, 2, 1);
    grid->addWidget(OK, 3, 1, Qt::AlignRight);
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Cancel); });
    connect(labelEdit, &QLineEdit::textChanged, this, [this] { ShowLength(false); });
    // A key past the limit, or a pasted text longer than the field: told, not dropped unseen.
    connect(labelEdit, &QLineEdit::inputRejected, this, [this] { ShowLength(true); });
    labelEdit->installEventFilter(this);
    ShowLength(false);
}

bool LabelDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == labelEdit && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
        Paste();
        return true;
    }
    if (watched == labelEdit && event->type() == QEvent::ContextMenu) {
        // The field's own menu, with its paste going the same way as Ctrl+V.
        QMenu* menu = labelEdit->createStandardContextMenu();
        for (QAction* a : menu->actions())
            if (a->objectName() == QLatin1String("edit-paste")) {
                a->disconnect();
                connect(a, &QAction::triggered, this, [this] { Paste(); });
            }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return LumDialog::eventFilter(watched, event);
}

void LabelDialog::Paste() {
    // The field takes what fits; the rest is told rather than dropped unseen.
    const QString clip = QGuiApplication::clipboard()->text().section('\n', 0, 0).remove('\r');
    const int room =
        labelEdit->maxLength() - int(labelEdit->text().size() - labelEdit->selectedText().size());
    labelEdit->insert(clip.left(std::max(room, 0)));
    if (clip.size() > room)
        ShowLength(true);
}

void LabelDialog::ShowLength(bool cut) {
    const int length = int(labelEdit->text().size());
    const int limit = labelEdit->maxLength();
    if (cut) {
        QApplication::beep();
        lengthLabel->setText(U("Не более %1 знаков: лишнее не вписано").arg(limit));
        lengthLabel->setStyleSheet("color: #A00000");
        return;
    }
    lengthLabel->setText(U("Знаков: %1 из %2").arg(length).arg(limit));
    lengthLabel->setStyleSheet(QString());
}

void LabelDialog::SetHeading(int inputFrom1, const QString& identifier) {
    inputCaption->setText(QString::number(inputFrom1) + "      " + identifier);
}

void LabelDialog::showEvent(QShowEvent* event) {
    LumDialog::showEvent(event);
    labelEdit->setFocus();
}

bool LabelDialog::CanClose(int&) {
    // An emptied label is stored as blanks.
    if (labelEdit->text().isEmpty())
        labelEdit->setText(QString(10, ' '));
    return true;
}

void LabelDialog::FillFrom(int input) {
    labelEdit->setText(FromCp1251(main_.Modules().GetLabel(input)));
}

QString LabelDialog::Text() const {
    return labelEdit->text();
}

std::string LabelDialog::Label() const {
    return ToCp1251(labelEdit->text());
}
