// The restart schedule reckoned in real time zones (TZ set in the test) on
// ordinary days and on the nights the clocks change: the clock is the
// test's, handed in, never waited for.
#include "core/supervise/restart_schedule.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

// "YYYY-MM-DD HH:MM" read as UTC, without the library's zone.
std::time_t Utc(const char* text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    std::sscanf(text, "%d-%d-%d %d:%d", &y, &mo, &d, &h, &mi);
    y -= mo <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    return static_cast<std::time_t>(days * 86400L + h * 3600L + mi * 60L);
}

class Zone {
public:
    explicit Zone(const char* zone) {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) old_ = old;
        Set(zone);
    }
    ~Zone() {
        if (had_) Set(old_.c_str());
        else Unset();
    }

private:
    static void Set(const char* zone) {
#if defined(_WIN32)
        _putenv_s("TZ", zone);
        _tzset();
#else
        setenv("TZ", zone, 1);
        tzset();
#endif
    }
    static void Unset() {
#if defined(_WIN32)
        _putenv_s("TZ", "");
        _tzset();
#else
        unsetenv("TZ");
        tzset();
#endif
    }
    bool had_ = false;
    std::string old_;
};

std::vector<int> Times(const char* text) {
    std::vector<int> minutes;
    std::string error;
    EXPECT_TRUE(ParseRestartTimes(text, minutes, error)) << text << ": " << error;
    return minutes;
}

TEST(RestartSchedule, TimesOfDayAreReadStrictly) {
    const struct {
        const char* text;
        bool ok;
        std::vector<int> minutes;
    } cases[] = {
        {"04:00", true, {240}},
        {"23:59,00:00", true, {0, 1439}},
        {"16:30,04:00,16:30", true, {240, 990}},  // sorted, each once
        {"24:00", false, {}},  {"12:60", false, {}}, {"4:00", false, {}},  {"04:00,", false, {}},
        {"", false, {}},       {"04-00", false, {}}, {"0a:00", false, {}}, {" 04:00", false, {}},
    };
    for (const auto& c : cases) {
        std::vector<int> minutes;
        std::string error;
        EXPECT_EQ(ParseRestartTimes(c.text, minutes, error), c.ok) << c.text;
        if (c.ok) EXPECT_EQ(minutes, c.minutes) << c.text;
        else EXPECT_NE(error.find("HH:MM"), std::string::npos) << c.text;
    }
}

TEST(RestartSchedule, NextTimeOfDayOnOrdinaryDaysAndAcrossClockChanges) {
#if defined(_WIN32)
    GTEST_SKIP() << "the C runtime on Windows reads no zone names from TZ";
#endif
    const struct {
        const char* zone;
        const char* times;
        const char* now;  // UTC
        const char* due;  // UTC
    } cases[] = {
        // Ordinary days: later today, tomorrow once passed, the earliest of several.
        {"UTC", "04:00", "2026-12-07 03:00", "2026-12-07 04:00"},
        {"UTC", "04:00", "2026-12-07 04:00", "2026-12-08 04:00"},
        {"UTC", "04:00,16:30", "2026-12-07 05:00", "2026-12-07 16:30"},
        {"UTC", "00:00", "2026-12-31 23:59", "2027-01-01 00:00"},
        {"Europe/Berlin", "04:00", "2026-07-01 01:00", "2026-07-01 02:00"},  // CEST, +2
        {"Europe/Berlin", "04:00", "2026-12-01 01:00", "2026-12-01 03:00"},  // CET, +1
        // Spring forward (02:00 CET becomes 03:00 CEST at 01:00 UTC): a time
        // in the skipped hour runs once, at 03:00; the next day as usual.
        {"Europe/Berlin", "02:30", "2026-03-28 23:00", "2026-03-29 01:00"},
        {"Europe/Berlin", "02:30", "2026-03-29 01:00", "2026-03-30 00:30"},
        {"Europe/Berlin", "01:59", "2026-03-28 23:00", "2026-03-29 00:59"},
        {"Europe/Berlin", "03:00", "2026-03-28 23:00", "2026-03-29 01:00"},
        {"Europe/Berlin", "02:30,03:00", "2026-03-29 01:00", "2026-03-30 00:30"},  // both were due at once
        // Fall back (03:00 CEST becomes 02:00 CET at 01:00 UTC): 02:30 is
        // shown twice and runs at its first showing only.
        {"Europe/Berlin", "02:30", "2026-10-25 00:00", "2026-10-25 00:30"},
        {"Europe/Berlin", "02:30", "2026-10-25 00:30", "2026-10-26 01:30"},
        {"Europe/Berlin", "02:30", "2026-10-25 01:10", "2026-10-26 01:30"},  // in the repeated hour, once passed
        {"Europe/Berlin", "03:00", "2026-10-25 00:30", "2026-10-25 02:00"},
        {"America/New_York", "02:15", "2026-03-08 05:00", "2026-03-08 07:00"},  // 02:00 EST -> 03:00 EDT
        // Half-hour shifts (Lord Howe: 02:00 -> 02:30 in October, 02:00 -> 01:30 in April).
        {"Australia/Lord_Howe", "02:15", "2026-10-03 12:00", "2026-10-03 15:30"},
        {"Australia/Lord_Howe", "01:45", "2026-04-04 12:00", "2026-04-04 14:45"},
        {"Australia/Lord_Howe", "01:45", "2026-04-04 14:45", "2026-04-05 15:15"},
    };
    for (const auto& c : cases) {
        Zone zone(c.zone);
        EXPECT_EQ(NextTimeOfDay(Times(c.times), Utc(c.now)), Utc(c.due))
            << c.zone << " " << c.times << " after " << c.now;
    }
}

TEST(RestartSchedule, EveryHoursCountsFromTheServersStartAndTheEarlierWins) {
    Zone zone("UTC");
    RestartSchedule schedule;
    EXPECT_EQ(NextScheduledRestart(schedule, Utc("2026-12-07 00:00"), Utc("2026-12-07 01:00")), 0);
    schedule.everySeconds = 6 * 3600;
    EXPECT_EQ(NextScheduledRestart(schedule, Utc("2026-12-07 00:10"), Utc("2026-12-07 01:00")), Utc("2026-12-07 06:10"));
    // Overdue (the clock was set forward): at once.
    EXPECT_EQ(NextScheduledRestart(schedule, Utc("2026-12-07 00:10"), Utc("2026-12-07 09:00")), Utc("2026-12-07 09:00"));
    schedule.minutesOfDay = Times("04:00");
    EXPECT_EQ(NextScheduledRestart(schedule, Utc("2026-12-07 00:10"), Utc("2026-12-07 01:00")), Utc("2026-12-07 04:00"));
    EXPECT_EQ(NextScheduledRestart(schedule, Utc("2026-12-07 04:00"), Utc("2026-12-07 04:00")), Utc("2026-12-07 10:00"));
}

}  // namespace
