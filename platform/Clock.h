// Local date-time with milliseconds, and the clock that gives it.
#pragma once

#include <cstdint>
#include <mutex>

namespace platform {

struct DateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, msec = 0;

    bool sameDate(const DateTime& o) const {
        return year == o.year && month == o.month && day == o.day;
    }
    // Milliseconds since 1970-01-01 00:00:00.000 of the same (local) calendar.
    std::int64_t toMsecs() const;
    static DateTime fromMsecs(std::int64_t msecs);
    DateTime addMsecs(std::int64_t ms) const { return fromMsecs(toMsecs() + ms); }
    bool operator==(const DateTime&) const = default;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
};

// The machine's local time.
class SystemClock : public Clock {
  public:
    DateTime now() const override;
};

// A clock that moves only when told. Thread-safe.
class FakeClock : public Clock {
  public:
    explicit FakeClock(DateTime start = {2024, 3, 15, 9, 30, 12, 47}) : now_(start) {}
    DateTime now() const override;
    void set(DateTime t);
    void advance(std::int64_t ms);

  private:
    mutable std::mutex mutex_;
    DateTime now_;
};

// The process-wide clock: the system clock unless a test installs another.
Clock& ProcessClock();
void SetProcessClock(Clock* clock);  // nullptr restores the system clock

}  // namespace platform
