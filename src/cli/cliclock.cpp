// The device clock: read it, or set the clocks of the line from the computer's.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "link/devicecommands.h"
#include "link/framedecoder.h"

#include <QDateTime>

#include <cstdio>
#include <cstdlib>

namespace {

// Set and read back within this many seconds counts as taken.
constexpr int kClockToleranceS = 3;

std::string Weekday(int d) {
    static const char* const names[] = {"пн", "вт", "ср", "чт", "пт", "сб", "вс"};
    return d >= 1 && d <= 7 ? names[d - 1] : "";
}

DeviceClock Now() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return {uint8_t(time.second()),   uint8_t(time.minute()), uint8_t(time.hour()),
            uint8_t(date.day()),      uint8_t(date.month()),  uint8_t(date.year() % 100),
            uint8_t(date.dayOfWeek())};
}

// Seconds since 2000 of a clock reading; the device's weekday plays no part.
qint64 Seconds(const DeviceClock& c) {
    const QDateTime t(QDate(2000 + c[5], c[4], c[3]), QTime(c[2], c[1], c[0]));
    return t.isValid() ? t.toSecsSinceEpoch() : -1;
}

} // namespace

int RunClock(const CliArgs& args, CliConsole& console) {
    int accessLevel = 0;
    if (args.setNow && !GrantWriteAccess(args, console, accessLevel))
        return CliExit::Usage;
    CliLink link(args, console);
    if (!link.Open(args.speed))
        return CliExit::Line;
    // Set once for the line: the devices of a list after the first are only read back, and
    // their clocks have run with the computer's since.
    const DeviceClock set = Now();
    if (args.setNow && args.device == args.devices.front()) {
        // Function 70 goes to every device of the line and nothing answers it.
        const int code = SetClockBroadcast(link.Port(), set);
        if (code != ResultCode::Ok)
            return link.Failed(link.Device(), code);
    }
    DeviceClock c{};
    const int code = ReadClock(link.Port(), link.Device(), c);
    if (code != ResultCode::Ok)
        return link.Failed(link.Device(), code);
    // The set request has no answer: the reading is the only proof that it was taken.
    if (args.setNow &&
        (Seconds(c) < 0 || std::llabs(Seconds(c) - Seconds(set)) > kClockToleranceS)) {
        return console.Fail(CliExit::Differs, "device",
                            "Прибор " + std::to_string(args.device) + " не принял время");
    }
    const std::string time = ClockTimeText(c[2], c[1], c[0]);
    const std::string date = ClockDateText(c[3], c[4], c[5]);
    // Dates and times for a script in ISO 8601; the device keeps two digits of the year.
    char iso[32];
    std::snprintf(iso, sizeof iso, "20%02d-%02d-%02dT%02d:%02d:%02d", c[5] % 100, c[4], c[3], c[2],
                  c[1], c[0]);
    const std::string stamp = iso;
    QJsonObject json{{"device", args.device},
                     {"datetime", QString::fromStdString(stamp)},
                     {"date", QString::fromStdString(stamp.substr(0, 10))},
                     {"time", QString::fromStdString(stamp.substr(11))},
                     {"weekday", c[6]},
                     {"set", args.setNow}};
    console.Summary(time + " " + date + " " + Weekday(c[6]));
    console.Result(time + " " + date + " " + Weekday(c[6]) + "\n", json);
    return CliExit::Done;
}
