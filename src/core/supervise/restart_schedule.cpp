#include "core/supervise/restart_schedule.h"

#include <algorithm>
#include <cstdio>

namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, so
// that a wall-clock reading can be turned into seconds without the time
// zone (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// A wall-clock reading as seconds on a clock without zones: readings
// compare as the wall clock orders them.
std::int64_t WallSeconds(const std::tm& t) {
    return DaysFromCivil(t.tm_year + 1900LL, t.tm_mon + 1, t.tm_mday) * 86400 + t.tm_hour * 3600LL +
           t.tm_min * 60LL + t.tm_sec;
}

bool Local(std::time_t when, std::tm& out) {
#if defined(_WIN32)
    return localtime_s(&out, &when) == 0;
#else
    return localtime_r(&when, &out) != nullptr;
#endif
}

// What the wall clock shows at `when`, in wall seconds; `fallback` when the
// system cannot say.
std::int64_t WallAt(std::time_t when, std::int64_t fallback) {
    std::tm t{};
    return Local(when, t) ? WallSeconds(t) : fallback;
}

// The first moment at which the wall clock shows `wall` or later. The local
// offset lies within a day of UTC, so the moment lies within a day of the
// reading taken as UTC; every offset in use near it is tried, and where
// none gives the reading (the skipped hour) the first moment past it is
// found by halving, the wall clock running forward across the gap.
std::time_t FirstMomentShowing(std::int64_t wall) {
    std::int64_t offsets[3];
    int count = 0;
    for (const std::int64_t probe : {wall - 86400, wall, wall + 86400}) {
        const std::int64_t offset = WallAt(static_cast<std::time_t>(probe), probe) - probe;
        if (std::find(offsets, offsets + count, offset) == offsets + count) offsets[count++] = offset;
    }
    std::int64_t best = 0;
    bool found = false;
    std::int64_t low = 0, high = 0;
    for (int i = 0; i < count; ++i) {
        const std::int64_t moment = wall - offsets[i];
        if (WallAt(static_cast<std::time_t>(moment), moment) == wall && (!found || moment < best)) {
            best = moment;
            found = true;
        }
        low = i == 0 ? moment : std::min(low, moment);
        high = i == 0 ? moment : std::max(high, moment);
    }
    if (found) return static_cast<std::time_t>(best);
    // In the gap: the earliest moment in [low, high] whose reading is past
    // `wall`.
    while (low < high) {
        const std::int64_t middle = low + (high - low) / 2;
        if (WallAt(static_cast<std::time_t>(middle), middle) >= wall) high = middle;
        else low = middle + 1;
    }
    return static_cast<std::time_t>(high);
}

}  // namespace

bool ParseRestartTimes(const std::string& text, std::vector<int>& minutesOfDay, std::string& error) {
    minutesOfDay.clear();
    std::string::size_type from = 0;
    for (;;) {
        const std::string::size_type comma = text.find(',', from);
        const std::string part = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        const bool shaped = part.size() == 5 && part[2] == ':' &&
                            std::all_of(part.begin(), part.end(), [](char c) { return c == ':' || (c >= '0' && c <= '9'); });
        const int hours = shaped ? (part[0] - '0') * 10 + (part[1] - '0') : -1;
        const int minutes = shaped ? (part[3] - '0') * 10 + (part[4] - '0') : -1;
        if (!shaped || hours > 23 || minutes > 59) {
            error = "\"" + part + "\" is not a time of day HH:MM (00:00 to 23:59)";
            return false;
        }
        minutesOfDay.push_back(hours * 60 + minutes);
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    std::sort(minutesOfDay.begin(), minutesOfDay.end());
    minutesOfDay.erase(std::unique(minutesOfDay.begin(), minutesOfDay.end()), minutesOfDay.end());
    return true;
}

std::time_t NextTimeOfDay(const std::vector<int>& minutesOfDay, std::time_t now) {
    if (minutesOfDay.empty()) return 0;
    std::tm today{};
    if (!Local(now, today)) return 0;
    const std::int64_t day = DaysFromCivil(today.tm_year + 1900LL, today.tm_mon + 1, today.tm_mday);
    // Yesterday too: the day the clocks go back, a time late in it may
    // still be due after midnight has been shown once.
    for (std::int64_t d = day - 1; d <= day + 2; ++d) {
        for (const int minute : minutesOfDay) {
            const std::time_t due = FirstMomentShowing(d * 86400 + minute * 60LL);
            // Each due moment belongs to its own day's reading: a moment that
            // the day after shows at the same time is a different one.
            if (due > now) return due;
        }
    }
    return 0;
}

std::time_t NextScheduledRestart(const RestartSchedule& schedule, std::time_t serverStarted, std::time_t now) {
    std::time_t next = NextTimeOfDay(schedule.minutesOfDay, now);
    if (schedule.everySeconds > 0) {
        std::time_t every = static_cast<std::time_t>(serverStarted + schedule.everySeconds);
        if (every <= now) every = now;  // overdue: at once
        if (next == 0 || every < next) next = every;
    }
    return next;
}
