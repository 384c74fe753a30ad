#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <ctime>

namespace platform {

namespace {
// Days from 1970-01-01 to y-m-d in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}
}  // namespace

std::int64_t DateTime::toMsecs() const {
    const std::int64_t days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return ((days * 24 + hour) * 60 + minute) * 60000LL + second * 1000LL + msec;
}

DateTime DateTime::fromMsecs(std::int64_t msecs) {
    DateTime t;
    const std::int64_t days = FloorDiv(msecs, 86400000LL);
    std::int64_t rest = msecs - days * 86400000LL;
    CivilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600000);
    rest %= 3600000;
    t.minute = static_cast<int>(rest / 60000);
    rest %= 60000;
    t.second = static_cast<int>(rest / 1000);
    t.msec = static_cast<int>(rest % 1000);
    return t;
}

DateTime SystemClock::now() const {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    const std::time_t secs = static_cast<std::time_t>(FloorDiv(ms, 1000));
    std::tm local{};
    localtime_r(&secs, &local);
    DateTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.msec = static_cast<int>(ms - FloorDiv(ms, 1000) * 1000);
    return t;
}

DateTime FakeClock::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void FakeClock::set(DateTime t) {
    std::lock_guard lock(mutex_);
    now_ = t;
}

void FakeClock::advance(std::int64_t ms) {
    std::lock_guard lock(mutex_);
    now_ = now_.addMsecs(ms);
}

namespace {
SystemClock g_systemClock;
std::atomic<Clock*> g_processClock{nullptr};
}  // namespace

Clock& ProcessClock() {
    Clock* c = g_processClock.load(std::memory_order_acquire);
    return c ? *c : g_systemClock;
}

void SetProcessClock(Clock* clock) {
    g_processClock.store(clock, std::memory_order_release);
}

}  // namespace platform
