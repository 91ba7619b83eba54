#include "clock/clockwindow.h"
#include "words/linkwords.h"

#include "dialogs/commandrun.h"
#include "dialogs/fieldcheck.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/devicesequences.h"
#include "link/exchangeengine.h"
#include "link/framedecoder.h"
#include "model/inputprogram.h"
#include "model/keyfilters.h"
#include "model/moduleconfig.h"
#include "model/operator.h"
#include "platform/enginethread.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>
#include <atomic>
#include <memory>

#include <algorithm>

namespace {
constexpr int kPollPeriodMs = 100;
// Often enough that the seconds shown follow the PC's without a visible lag.
constexpr int kPcTickMs = 200;

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

ClockWindow::ClockWindow(WindowContext& main, QWidget* parent)
    : LumDialog(parent), main_(main), pcClock_([] { return QDateTime::currentDateTime(); }) {
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
    errorMarker = new ErrorMarker(this);

    pollTimer = new QTimer(this);
    pollTimer->setInterval(kPollPeriodMs);
    connect(pollTimer, &QTimer::timeout, this, [this] { PollTick(); });
    pcTimer = new QTimer(this);
    pcTimer->setInterval(kPcTickMs);
    connect(pcTimer, &QTimer::timeout, this, [this] { FillFromPc(); });
    connect(pollButton, &QPushButton::clicked, this, [this] { PollClick(); });
    connect(fromDeviceButton, &QPushButton::clicked, this, [this] { FromDeviceClick(); });
    connect(fromPcButton, &QPushButton::clicked, this, [this] { FromPcClick(); });
    connect(setClockButton, &QPushButton::clicked, this, [this] { SetClockClick(); });
    connect(OK, &QPushButton::clicked, this, [this] { OKClick(); });
    connect(Cancel, &QPushButton::clicked, this, [this] { CancelClick(); });
}

QGroupBox* ClockWindow::CreateSettingGroup() {
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
        // The operator's own value is sent as typed: the PC clock no longer moves the fields.
        connect(field, &QLineEdit::textEdited, this, [this] { StopFollowingPc(); });
        grid->addWidget(caption, 1, i, Qt::AlignCenter);
        grid->addWidget(field, 2, i, Qt::AlignCenter);
        fields_[i] = field;
    }
    secondsEdit = fields_[Seconds];
    minutesEdit = fields_[Minutes];
    hoursEdit = fields_[Hour];
    dayEdit = fields_[Day];
    monthEdit = fields_[Month];
    yearEdit = fields_[Year];
    weekdayEdit = fields_[Weekday];

    fromDeviceButton = new QPushButton(U("Время и дата прибора"), group);
    fromPcButton = new QPushButton(U("Время и дата PC"), group);
    setClockButton = new QPushButton(U("Передать время и дату в прибор"), group);
    auto* row = new QHBoxLayout;
    row->addWidget(fromDeviceButton);
    row->addWidget(fromPcButton);
    row->addWidget(setClockButton);
    row->setSpacing(8);
    // The gap under the fields (an empty row, so with the spacing once) holds the error marker
    // whole, so that it covers neither the buttons below nor the captions above.
    const int spacing = 8;
    ErrorMarker sample(group);
    sample.setText(InputErrorText());
    grid->setRowMinimumHeight(3, std::max(6, sample.sizeHint().height() + 4 - spacing));
    grid->addLayout(row, 4, 0, 1, ClockBytes);
    grid->setVerticalSpacing(spacing);
    return group;
}

QGroupBox* ClockWindow::CreatePollGroup() {
    auto* group = new QGroupBox(U("Запрос текущего времени прибора"), this);
    auto* grid = new QGridLayout(group);
    pollButton = new QPushButton(U("Пуск и остановка запроса времени"), group);
    pollStateLabel = new QLabel(U("запрос  времени включен"), group);
    pollStateLabel->setStyleSheet("color: red; font-weight: bold");
    pollStateLabel->hide();
    // The label comes and goes; its place stays, so that nothing around it moves.
    QSizePolicy keep = pollStateLabel->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    pollStateLabel->setSizePolicy(keep);
    deviceTimeField = ReadOnlyBox(group, 80);
    deviceDateField = ReadOnlyBox(group, 80);
    deviceWeekdayField = ReadOnlyBox(group, 40);
    grid->addWidget(pollButton, 0, 0, 1, 2);
    grid->addWidget(pollStateLabel, 0, 2, 1, 2);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(deviceTimeField);
    boxes->addWidget(deviceDateField);
    boxes->addWidget(deviceWeekdayField);
    boxes->addStretch();
    grid->addLayout(boxes, 1, 0, 1, 4);
    return group;
}

void ClockWindow::SetPcClock(PcClock clock) {
    pcClock_ = std::move(clock);
}

void ClockWindow::ClockClick() {
    StopFollowingPc();
    for (QLineEdit* field : fields_)
        field->setText("1");
    main_.showModal(*this);
}

void ClockWindow::showEvent(QShowEvent* event) {
    LumDialog::showEvent(event);
    if (!event->spontaneous())
        RestartPolling();
}

void ClockWindow::hideEvent(QHideEvent* event) {
    // A hidden window has no one to show the clock to, and a silent device would still hold
    // the program for seconds on every tick: polling ends with the window.
    if (!event->spontaneous()) {
        StopPolling();
        StopFollowingPc();
    }
    LumDialog::hideEvent(event);
}

void ClockWindow::RestartPolling() {
    StopPolling();
    PollClick();
}

void ClockWindow::StopPolling() {
    pollTimer->stop();
    pollingStopped_ = true;
    pollStateLabel->hide();
    // A poll under way on a silent device would hold the line for seconds more: it ends at once,
    // unless a command has taken the line (the command's stop is the operator's own).
    if (pollInFlight_ && !main_.Exchanges().CommandRunning()) {
        *pollCancelled_ = true;
        main_.Engine().RequestStop();
    }
}

void ClockWindow::PollClick() {
    pollTimer->setInterval(kPollPeriodMs);
    if (pollTimer->isActive())
        pollTimer->stop();
    else
        pollTimer->start();
    pollingStopped_ = !pollingStopped_;
    pollStateLabel->setVisible(!pollStateLabel->isVisible());
}

void ClockWindow::PollTick() {
    // A tick while the last poll or any other exchange is under way leaves the line to it.
    if (!pollInFlight_)
        PollOnce();
}

void ClockWindow::PollOnce() {
    // The poll runs beside the operator's typing and clicking: it holds none of it, and what it
    // read is shown when it comes.
    const int device = main_.Modules().BusNumber;
    auto result = std::make_shared<std::pair<int, DeviceClock>>(ResultCode::Stopped, DeviceClock{});
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    pollCancelled_ = cancelled;
    QPointer<ClockWindow> window(this);
    const bool started = main_.Exchanges().RunInBackground(
        [result, cancelled, device, &engine = main_.Engine()] {
            if (*cancelled)
                return;
            // A stop left from the last command or poll is not this poll's.
            engine.ClearStop();
            result->first = ReadClock(engine, device, result->second);
        },
        [window, result, device] {
            if (window)
                window->PollDone(device, result->first, result->second);
        });
    pollInFlight_ = started;
}

void ClockWindow::PollDone(int device, int code, const DeviceClock& clock) {
    pollInFlight_ = false;
    if (code == ResultCode::Ok) {
        ShowReading(clock);
        lastReading_ = clock;
    }
    // A poll stopped for a command tells nothing.
    if (code == ResultCode::Stopped)
        return;
    // While polling runs a failure would come back ten times a second; it is told only when
    // the operator stopped the polling meanwhile.
    if (code != ResultCode::Ok && pollingStopped_) {
        ReportError(main_.Engine(), device, code);
        return;
    }
    // A port that failed or was closed does not come back by itself: every later poll would
    // fail unseen with the indicator still on. Polling ends and the loss is told once.
    if (code == ResultCode::PortFailure || code == ResultCode::PortNotOpen) {
        StopPolling();
        ReportError(main_.Engine(), device, code);
    }
}

void ClockWindow::ShowReading(const DeviceClock& clock) {
    deviceTimeField->setText(
        QString::fromStdString(ClockTimeText(clock[Hour], clock[Minutes], clock[Seconds])));
    deviceDateField->setText(
        QString::fromStdString(ClockDateText(clock[Day], clock[Month], clock[Year])));
    deviceWeekdayField->setText(WeekdayAbbreviation(clock[Weekday]));
}

void ClockWindow::FillFields(const std::array<int, ClockBytes>& values) {
    for (int i = 0; i < ClockBytes; ++i)
        fields_[i]->setText(QString::number(values[i]));
}

void ClockWindow::FromDeviceClick() {
    if (pollStateLabel->isHidden()) {
        main_.Op().Tell("Включите запрос времени с прибора", "Предупреждение", MsgIcon::Error);
        return;
    }
    StopFollowingPc();
    std::array<int, ClockBytes> values{};
    for (int i = 0; i < ClockBytes; ++i)
        values[i] = lastReading_[i];
    FillFields(values);
}

void ClockWindow::FromPcClick() {
    FillFromPc();
    followingPc_ = true;
    pcTimer->start();
}

void ClockWindow::StopFollowingPc() {
    followingPc_ = false;
    pcTimer->stop();
}

void ClockWindow::FillFromPc() {
    const QDateTime now = pcClock_();
    const QDate date = now.date();
    const QTime time = now.time();
    // dayOfWeek counts Monday as 1 and Sunday as 7, as the device does.
    FillFields({time.second(), time.minute(), time.hour(), date.day(), date.month(),
                date.year() - 2000, date.dayOfWeek()});
}

bool ClockWindow::CheckField(QLineEdit* field, int low, int high) {
    const QString text = field->text();
    long long value = 0;
    // Typing lets only digits in, but pasted text can be anything: what is not a whole number
    // cannot be sent and fails like an empty field.
    if (text.isEmpty() || !ParseDecimal(text.toStdString(), value)) {
        ShowErrorText(field, errorMarker);
        return false;
    }
    if (value < low || value > high) {
        // The format is UTF-8; %g writes the bounds as the operator reads them (1 - 12).
        ShowErrorText(
            field, errorMarker,
            QString::asprintf("Величина вне диапазона %g - %g", double(low), double(high)));
        return false;
    }
    return true;
}

bool ClockWindow::CheckFields() {
    for (int i = 0; i < ClockBytes; ++i)
        if (!CheckField(fields_[i], kFields[i].low, kFields[i].high))
            return false;
    return true;
}

void ClockWindow::SetClockClick() {
    if (main_.Access().level != 1) {
        main_.Op().Tell("Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт",
                        "Предупреждение", MsgIcon::Warning);
        return;
    }
    // The PC's time goes as it is now, not as it was when "Время и дата PC" was pressed.
    if (followingPc_)
        FillFromPc();
    if (!CheckFields())
        return;
    DeviceClock clock{};
    for (int i = 0; i < ClockBytes; ++i)
        clock[i] = static_cast<uint8_t>(fields_[i]->text().toInt());
    const int device = main_.Modules().BusNumber;
    ClockSetting setting;
    setting.sendCode = ResultCode::Stopped; // stays so when the command could not start
    RunCommand(main_, [&](ExchangeEngine& engine) {
        setting = SetClockAndReadBack(engine, device, clock);
    });
    // A request that never left the PC (port closed or gone) is told, and the window stays open.
    if (setting.sendCode != ResultCode::Ok) {
        ReportError(main_.Engine(), device, setting.sendCode);
        return;
    }
    if (setting.readCode == ResultCode::Ok) {
        ShowReading(setting.read);
        lastReading_ = setting.read;
    }
    // Not confirmed: the window stays for another try.
    if (TellSetting(setting, clock))
        OKClick();
}

bool ClockWindow::TellSetting(const ClockSetting& setting, const DeviceClock& sent) {
    const int device = main_.Modules().BusNumber;
    const std::string number = std::to_string(device + 1);
    // Function 70 goes to the broadcast address: the one shown is not the only clock set.
    const std::string everyDevice = "\nВремя и дата переданы всем приборам на линии.";
    const DeviceClock& read = setting.read;
    if (setting.taken) {
        main_.Op().Tell("Время прибора " + number + " установлено: " +
                            ClockTimeText(read[Hour], read[Minutes], read[Seconds]) + everyDevice,
                        "Подтверждение", MsgIcon::Information);
        return true;
    }
    auto when = [](const DeviceClock& c) {
        return ClockTimeText(c[Hour], c[Minutes], c[Seconds]) + " " +
               ClockDateText(c[Day], c[Month], c[Year]);
    };
    const std::string why =
        setting.readCode != ResultCode::Ok
            ? MessageFor(main_.Engine(), device, setting.readCode).text
            : "часы прибора показывают " + when(read) + ", передано " + when(sent);
    main_.Op().Tell("Прибор " + number + " не подтвердил установку времени:\n" + why + everyDevice,
                    "Предупреждение", MsgIcon::Warning);
    return false;
}

void ClockWindow::OKClick() {
    cancelled_ = false;
    CloseWith(mr::Ok);
}

void ClockWindow::CancelClick() {
    cancelled_ = true;
    CloseWith(mr::Cancel);
}

bool ClockWindow::CanClose(int&) {
    errorMarker->hide();
    if (cancelled_)
        return true;
    return CheckFields();
}
