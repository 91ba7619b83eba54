#include "emu/deviceclock.h"

namespace emu {

namespace {

enum { kSec, kMin, kHour, kDay, kMonth, kYear, kWeekday };

int DaysInMonth(int month, int year) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && year % 4 == 0) // two-digit years 00..99 stand for 2000..2099
        return 29;
    return days[(month - 1) % 12];
}

void NextDay(ClockValues& v) {
    v[kWeekday] = static_cast<uint8_t>(v[kWeekday] % 7 + 1);
    if (v[kDay] < DaysInMonth(v[kMonth], v[kYear])) {
        ++v[kDay];
        return;
    }
    v[kDay] = 1;
    if (v[kMonth] < 12) {
        ++v[kMonth];
        return;
    }
    v[kMonth] = 1;
    v[kYear] = static_cast<uint8_t>((v[kYear] + 1) % 100);
}

} // namespace

DeviceClock::DeviceClock()
    : base_{0, 0, 0, 1, 1, 24, 1}, since_(std::chrono::steady_clock::now()) {}

void DeviceClock::Set(const ClockValues& values, TimePoint now) {
    base_ = values;
    since_ = now;
}

ClockValues DeviceClock::Read(TimePoint now) const {
    if (frozen_ || now <= since_)
        return base_;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - since_).count();
    return Advance(base_, elapsed);
}

void DeviceClock::SetFrozen(bool frozen, TimePoint now) {
    if (frozen == frozen_)
        return;
    base_ = Read(now);
    since_ = now;
    frozen_ = frozen;
}

bool DeviceClock::Valid(const ClockValues& v) {
    return v[kSec] <= 59 && v[kMin] <= 59 && v[kHour] <= 23 && v[kDay] >= 1 && v[kDay] <= 31 &&
           v[kMonth] >= 1 && v[kMonth] <= 12 && v[kYear] <= 99 && v[kWeekday] >= 1 &&
           v[kWeekday] <= 7;
}

ClockValues DeviceClock::Advance(ClockValues v, int64_t seconds) {
    if (!Valid(v) || seconds <= 0)
        return v;
    int64_t total = v[kSec] + 60 * (v[kMin] + 60 * int64_t{v[kHour]}) + seconds;
    int64_t days = total / 86400;
    total %= 86400;
    v[kSec] = static_cast<uint8_t>(total % 60);
    v[kMin] = static_cast<uint8_t>(total / 60 % 60);
    v[kHour] = static_cast<uint8_t>(total / 3600);
    // seven centuries bring back both the date (two-digit years, every fourth one leap) and the
    // day of week, so a huge step costs no more than that
    days %= int64_t{36525} * 7;
    while (days-- > 0)
        NextDay(v);
    return v;
}

} // namespace emu
