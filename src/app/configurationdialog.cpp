#include "app/configurationdialog.h"

#include "dialogs/fieldcheck.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/operator.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// Address fields take digits and Backspace; anything else is dropped without a word.
class AddressKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Tab ||
            key->key() == Qt::Key_Left || key->key() == Qt::Key_Right ||
            key->key() == Qt::Key_Escape)
            return false;
        return text.isEmpty() || !text.front().isDigit() || text.front().unicode() > '9';
    }
};

int HexDigit(QChar c) {
    bool ok = false;
    const int v = QString(c).toInt(&ok, 16);
    return ok ? v : 0;
}
} // namespace

ConfigurationDialog::ConfigurationDialog(WindowContext& main, QWidget* parent)
    : LumDialog(parent), main_(main) {
    setWindowTitle(U("Задание конфигурации"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(U("Адреса"), this), 0, 2);
    for (int r = 0; r < 6; ++r) {
        grid->addWidget(new QLabel(U("Модуль ") + QString::number(r + 1), this), r + 1, 0);
        typeBoxes[size_t(r)] = new QComboBox(this);
        typeBoxes[size_t(r)]->addItems({U("нет"), U("МЛВ"), U("МСЮ")});
        addressEdits[size_t(r)] = new QLineEdit(this);
        addressEdits[size_t(r)]->setMaxLength(2);
        addressEdits[size_t(r)]->setFixedWidth(40);
        addressEdits[size_t(r)]->installEventFilter(new AddressKeys(addressEdits[size_t(r)]));
        grid->addWidget(typeBoxes[size_t(r)], r + 1, 1);
        grid->addWidget(addressEdits[size_t(r)], r + 1, 2);
        connect(typeBoxes[size_t(r)], &QComboBox::activated, this,
                [this, r] { ModuleTypeClick(r); });
    }
    grid->addWidget(new QLabel(U(" Исполнение"), this), 7, 0);
    modificationEdit = new QLineEdit(this);
    modificationEdit->setMaxLength(16);
    modificationEdit->setReadOnly(true);
    modificationEdit->setMinimumWidth(150);
    grid->addWidget(modificationEdit, 7, 1, 1, 2);
    OK = new QPushButton("OK", this);
    grid->addWidget(OK, 8, 2);
    errorMarker = new ErrorMarker(this);
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(Accepted); });
    SetCloseBoxResult(Accepted); // the close box runs the same checks
}

void ConfigurationDialog::Prepare() {
    modificationEdit->setText("0000000000000000");
    for (int r = 0; r < 6; ++r) {
        typeBoxes[size_t(r)]->setCurrentIndex(0);
        addressEdits[size_t(r)]->clear();
        codes_[size_t(r)] = 0;
    }
    errorMarker->hide();
}

QString ConfigurationDialog::ModificationCode() const {
    return modificationEdit->text();
}

void ConfigurationDialog::ModuleTypeClick(int row) {
    QString code = modificationEdit->text().left(6).leftJustified(6, '0');
    const int chosen = typeBoxes[size_t(row)]->currentIndex();
    code[row] = QString::number(chosen, 16).toUpper().front();
    modificationEdit->setText(code);
    codes_[size_t(row)] = chosen;
}

bool ConfigurationDialog::RowsWrong() {
    for (int r = 0; r < 6; ++r) {
        if (typeBoxes[size_t(r)]->currentIndex() == 0)
            continue;
        QLineEdit* e = addressEdits[size_t(r)];
        if (e->text().isEmpty()) {
            ShowErrorText(e, errorMarker);
            return true;
        }
        const int address = e->text().toInt();
        if (address < 0 || address > 15) {
            ShowErrorText(e, errorMarker, U("Величина вне диапазона 0 - 15"));
            return true;
        }
    }
    return false;
}

void ConfigurationDialog::keyPressEvent(QKeyEvent* event) {
    // Esc gives the composition up without its checks; the close box and OK still check.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        done(Cancelled);
        return;
    }
    LumDialog::keyPressEvent(event);
}

bool ConfigurationDialog::CanClose(int& result) {
    OK->setFocus();
    result = Accepted;
    if (modificationEdit->text().isEmpty()) {
        ErrorInput(main_.Op(), modificationEdit);
        result = GaveUp;
    } else if (RowsWrong()) {
        result = GaveUp;
    }
    if (result == GaveUp)
        return main_.Op().YesNo("Ошибка создания конфигурации \nЗакончить?",
                                "Подтвердите окончание ", MsgIcon::Question, MsgButton::No);
    const QString six = modificationEdit->text().left(6);
    result_.fill(0);
    for (int r = 0; r < 6; ++r)
        if (typeBoxes[size_t(r)]->currentIndex() != 0 && r < six.size())
            result_[size_t(addressEdits[size_t(r)]->text().toInt() + 1)] =
                uint8_t(HexDigit(six[r]));
    result_[0] = uint8_t(six.count('1') + six.count('2'));
    QString code;
    for (int p = 1; p <= 16; ++p)
        code += QString::number(result_[size_t(p)], 16).toUpper();
    modificationEdit->setText(code);
    return true;
}
