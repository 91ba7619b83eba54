#include "clock/prog_timedate.h"

#include "dialogs/exchangeguard.h"
#include "dialogs/fieldcheck.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "link/comportclass.h"
#include "link/framedecoder.h"
#include "model/keyfilters.h"
#include "model/operator.h"
#include "model/proglumclass.h"
#include "model/servclass.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>

namespace {
constexpr int kPollPeriodMs = 100;

// The seven fields in the order they are checked and sent.
struct FieldDef {
    const char* caption;
    int low;
    int high;
    int maxLength;
};
constexpr std::array<FieldDef, ClockBytes> kFields = {{{"Секунды", 0, 59, 2},
                                                       {"Минуты", 0, 59, 2},
                                                       {"Час", 0, 23, 2},
                                                       {"День месяца", 1, 31, 2},
                                                       {"Месяц", 1, 12, 2},
                                                       {"Год", 0, 99, 2},
                                                       {"День недели", 1, 7, 1}}};
constexpr int kTimeFields = 3; // seconds, minutes, hour stand under "Время"

enum ClockIndex { Seconds, Minutes, Hour, Day, Month, Year, Weekday };

QString WeekdayAbbreviation(int weekday) {
    static const char* const names[7] = {"пн", "вт", "ср", "чт", "пт", "сб", "вс"};
    if (weekday < 1 || weekday > 7)
        return QString();
    return U(names[weekday - 1]);
}

// Typing takes digits and backspace only; anything else typed is dropped without a word.
// Enter moves on to the next control. Editing keys and shortcuts pass untouched.
class ClockKeyFilter : public QObject {
public:
    explicit ClockKeyFilter(QLineEdit* field) : QObject(field), field_(field) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != field_ || event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            FocusNext(field_);
            return true;
        }
        const QString text = key->text();
        if (text.size() != 1 || !text[0].isPrint())
            return false;
        const QChar c = text[0];
        return c < QChar('0') || c > QChar('9');
    }

private:
    QLineEdit* field_;
};

// The field's length limit for the operator's typing and pasting only. The program itself may
// put in a longer number (a device reading of 100 or more): cut to two digits it would pass the
// check as another value, whole it fails the range check.
class LengthLimit : public QValidator {
public:
    LengthLimit(int length, QObject* parent) : QValidator(parent), length_(length) {}
    State validate(QString& input, int&) const override {
        return input.size() <= length_ ? Acceptable : Invalid;
    }

private:
    int length_;
};

QLineEdit* ReadOnlyBox(QWidget* parent, int width) {
    auto* box = new QLineEdit(parent);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignCenter);
    box->setFixedWidth(width);
    return box;
}
} // namespace

TFormTimeDate::TFormTimeDate(LumMain& main, QWidget* parent)
    : TLumDialog(parent), main_(main), pcClock_([] { return QDateTime::currentDateTime(); }) {
    setWindowTitle(U("Задание времени и даты"));
    auto* v = new QVBoxLayout(this);
    v->addWidget(CreateSettingGroup());
    v->addWidget(CreatePollGroup());
    auto* buttons = new QHBoxLayout;
    OK = new QPushButton("OK", this);
    Cancel = new QPushButton(U("Отмена"), this);
    buttons->addStretch();
    buttons->addWidget(OK);
    buttons->addWidget(Cancel);
    v->addLayout(buttons);

    // Created last, so that it lies above the fields it points at.
    ErrorText = new TErrorMarker(this);

    Timer1 = new QTimer(this);
    Timer1->setInterval(kPollPeriodMs);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(ChangeTime, &QPushButton::clicked, this, [this] { ChangeTimeClick(); });
    connect(OK, &QPushButton::clicked, this, [this] { OKClick(); });
    connect(Cancel, &QPushButton::clicked, this, [this] { CancelClick(); });
}

QGroupBox* TFormTimeDate::CreateSettingGroup() {
    auto* group = new QGroupBox(U("Задание времени и даты"), this);
    auto* grid = new QGridLayout(group);
    auto* timeHeading = new QLabel(U("Время"), group);
    auto* dateHeading = new QLabel(U("Дата"), group);
    for (QLabel* heading : {timeHeading, dateHeading}) {
        heading->setStyleSheet("font-weight: bold");
        heading->setAlignment(Qt::AlignCenter);
    }
    grid->addWidget(timeHeading, 0, 0, 1, kTimeFields);
    grid->addWidget(dateHeading, 0, kTimeFields, 1, ClockBytes - kTimeFields);
    for (int i = 0; i < ClockBytes; ++i) {
        const FieldDef& def = kFields[i];
        auto* caption = new QLabel(U(def.caption), group);
        caption->setAlignment(Qt::AlignCenter);
        auto* field = new QLineEdit("1", group);
        field->setValidator(new LengthLimit(def.maxLength, field));
        field->setFixedWidth(44);
        field->setAlignment(Qt::AlignCenter);
        field->setToolTip(QString("%1-%2").arg(def.low).arg(def.high));
        field->installEventFilter(new ClockKeyFilter(field));
        grid->addWidget(caption, 1, i, Qt::AlignCenter);
        grid->addWidget(field, 2, i, Qt::AlignCenter);
        fields_[i] = field;
    }
    Edit1 = fields_[Seconds];
    Edit2 = fields_[Minutes];
    Edit3 = fields_[Hour];
    Edit4 = fields_[Day];
    Edit5 = fields_[Month];
    Edit6 = fields_[Year];
    Edit7 = fields_[Weekday];

    Button2 = new QPushButton(U("Время и дата прибора"), group);
    Button3 = new QPushButton(U("Время и дата PC"), group);
    ChangeTime = new QPushButton(U("Передать время и дату в прибор"), group);
    auto* row = new QHBoxLayout;
    row->addWidget(Button2);
    row->addWidget(Button3);
    row->addWidget(ChangeTime);
    row->setSpacing(8);
    // The gap under the fields holds the error badge, which hangs below its field.
    grid->setRowMinimumHeight(3, 6);
    grid->addLayout(row, 4, 0, 1, ClockBytes);
    grid->setVerticalSpacing(8);
    return group;
}

QGroupBox* TFormTimeDate::CreatePollGroup() {
    auto* group = new QGroupBox(U("Запрос текущего времени прибора"), this);
    auto* grid = new QGridLayout(group);
    Button1 = new QPushButton(U("Пуск и остановка запроса времени"), group);
    Label10 = new QLabel(U("запрос  времени включен"), group);
    Label10->setStyleSheet("color: red; font-weight: bold");
    Label10->hide();
    // The label comes and goes; its place stays, so that nothing around it moves.
    QSizePolicy keep = Label10->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Label10->setSizePolicy(keep);
    StTime = ReadOnlyBox(group, 80);
    StDate = ReadOnlyBox(group, 80);
    StDayWeek = ReadOnlyBox(group, 40);
    grid->addWidget(Button1, 0, 0, 1, 2);
    grid->addWidget(Label10, 0, 2, 1, 2);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(StTime);
    boxes->addWidget(StDate);
    boxes->addWidget(StDayWeek);
    boxes->addStretch();
    grid->addLayout(boxes, 1, 0, 1, 4);
    return group;
}

void TFormTimeDate::SetPcClock(PcClock clock) {
    pcClock_ = std::move(clock);
}

void TFormTimeDate::ButTimeDateClick() {
    for (QLineEdit* field : fields_)
        field->setText("1");
    if (ExchangeInputGuard* guard = main_.InputGuard(); guard && !stopRegistered_) {
        guard->AddStopWidget(Cancel);
        stopRegistered_ = true;
    }
    main_.showModal(*this);
}

void TFormTimeDate::showEvent(QShowEvent* event) {
    TLumDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormTimeDate::hideEvent(QHideEvent* event) {
    // A hidden window has no one to show the clock to, and a silent device would still hold
    // the program for seconds on every tick: polling ends with the window.
    if (!event->spontaneous())
        StopPolling();
    TLumDialog::hideEvent(event);
}

void TFormTimeDate::FormShow() {
    StopPolling();
    Button1Click();
}

void TFormTimeDate::StopPolling() {
    Timer1->stop();
    pollingStopped_ = true;
    Label10->hide();
}

void TFormTimeDate::Button1Click() {
    Timer1->setInterval(kPollPeriodMs);
    if (Timer1->isActive())
        Timer1->stop();
    else
        Timer1->start();
    pollingStopped_ = !pollingStopped_;
    Label10->setVisible(!Label10->isVisible());
}

void TFormTimeDate::Timer1Timer() {
    // A tick that comes while another exchange is waiting for its reply (this window's own send
    // or any other command) leaves the line to it.
    if (main_.ComPort().InExchange())
        return;
    InClick();
}

void TFormTimeDate::InClick() {
    TComPortClass& port = main_.ComPort();
    const int device = main_.Serv().NumUstr;
    DeviceClock clock{};
    port.ClearStop();
    const int code = ReadClock(port, device, clock);
    if (code == ResultCode::Stopped) {
        // The operator stopped a silent device's poll: polling ends, and a Cancel or a close
        // that asked for it closes the window as well.
        StopPolling();
        const ExchangeInputGuard* guard = main_.InputGuard();
        const QObject* source = guard ? guard->LastStopSource() : nullptr;
        if (source == Cancel || source == this)
            CancelClick();
        return;
    }
    if (code != ResultCode::Ok) {
        // While polling runs a failure would come back ten times a second; it is told only
        // when the operator stopped the polling meanwhile.
        if (pollingStopped_)
            port.ReportError(device, code);
        return;
    }
    ShowReading(clock);
    lastReading_ = clock;
}

void TFormTimeDate::ShowReading(const DeviceClock& clock) {
    StTime->setText(
        QString::fromStdString(ClockTimeText(clock[Hour], clock[Minutes], clock[Seconds])));
    StDate->setText(QString::fromStdString(ClockDateText(clock[Day], clock[Month], clock[Year])));
    StDayWeek->setText(WeekdayAbbreviation(clock[Weekday]));
}

void TFormTimeDate::FillFields(const std::array<int, ClockBytes>& values) {
    for (int i = 0; i < ClockBytes; ++i)
        fields_[i]->setText(QString::number(values[i]));
}

void TFormTimeDate::Button2Click() {
    if (Label10->isHidden()) {
        main_.Op().Tell("Включите запрос времени с прибора", "Предупреждение", MsgIcon::Error);
        return;
    }
    std::array<int, ClockBytes> values{};
    for (int i = 0; i < ClockBytes; ++i)
        values[i] = lastReading_[i];
    FillFields(values);
}

void TFormTimeDate::Button3Click() {
    const QDateTime now = pcClock_();
    const QDate date = now.date();
    const QTime time = now.time();
    // dayOfWeek counts Monday as 1 and Sunday as 7, as the device does.
    FillFields({time.second(), time.minute(), time.hour(), date.day(), date.month(),
                date.year() - 2000, date.dayOfWeek()});
}

bool TFormTimeDate::CheckField(QLineEdit* field, int low, int high) {
    const QString text = field->text();
    long long value = 0;
    // Typing lets only digits in, but pasted text can be anything: what is not a whole number
    // cannot be sent and fails like an empty field.
    if (text.isEmpty() || !ParseDecimal(text.toStdString(), value)) {
        ShowErrorText(field, ErrorText);
        return false;
    }
    if (value < low || value > high) {
        // The format is UTF-8; %g writes the bounds as the operator reads them (1 - 12).
        ShowErrorText(
            field, ErrorText,
            QString::asprintf("Величина вне диапазона %g - %g", double(low), double(high)));
        return false;
    }
    return true;
}

bool TFormTimeDate::CheckFields() {
    for (int i = 0; i < ClockBytes; ++i)
        if (!CheckField(fields_[i], kFields[i].low, kFields[i].high))
            return false;
    return true;
}

void TFormTimeDate::ChangeTimeClick() {
    if (main_.ProgLum().Dostup != 1) {
        main_.Op().Tell("Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт",
                        "Предупреждение", MsgIcon::Warning);
        return;
    }
    if (!CheckFields())
        return;
    DeviceClock clock{};
    for (int i = 0; i < ClockBytes; ++i)
        clock[i] = static_cast<uint8_t>(fields_[i]->text().toInt());
    TComPortClass& port = main_.ComPort();
    const int code = SetClockBroadcast(port, clock);
    // No device answers a broadcast, so a sent request is all there is to know; but a request
    // that never left the PC (port closed or gone) is told, and the window stays open.
    if (code != ResultCode::Ok) {
        port.ReportError(main_.Serv().NumUstr, code);
        return;
    }
    OKClick();
}

void TFormTimeDate::OKClick() {
    cancelled_ = false;
    CloseWith(mr::Ok);
}

void TFormTimeDate::CancelClick() {
    cancelled_ = true;
    CloseWith(mr::Cancel);
}

bool TFormTimeDate::CanClose(int&) {
    ErrorText->hide();
    if (cancelled_)
        return true;
    return CheckFields();
}
