#include "platform/Clock.h"

#include <gtest/gtest.h>

using platform::DateTime;

namespace {

TEST(Clock, MsecsRoundTripAcrossMonthsAndLeapDays) {
    const DateTime cases[] = {{1970, 1, 1, 0, 0, 0, 0},
                              {2024, 2, 29, 23, 59, 59, 999},
                              {2023, 12, 31, 23, 59, 59, 999},
                              {2100, 3, 1, 12, 0, 0, 1},
                              {1969, 12, 31, 23, 0, 0, 0}};
    for (const auto& t : cases)
        EXPECT_EQ(DateTime::fromMsecs(t.toMsecs()), t);
}

TEST(Clock, FakeClockAdvancesOverMidnight) {
    platform::FakeClock clock({2024, 2, 28, 23, 59, 59, 900});
    clock.advance(200);
    EXPECT_EQ(clock.now(), (DateTime{2024, 2, 29, 0, 0, 0, 100}));
    clock.advance(24LL * 3600 * 1000);
    EXPECT_EQ(clock.now(), (DateTime{2024, 3, 1, 0, 0, 0, 100}));
}

TEST(Clock, ProcessClockCanBeReplaced) {
    platform::FakeClock fake({2030, 1, 2, 3, 4, 5, 6});
    platform::SetProcessClock(&fake);
    EXPECT_EQ(platform::ProcessClock().now(), fake.now());
    platform::SetProcessClock(nullptr);
    EXPECT_GE(platform::ProcessClock().now().year, 2024);
}

}  // namespace
