// When a supervised server is restarted on the operator's schedule: at
// given times of the local day (--restart-at) and after so many hours up
// (--restart-every). The schedule only reckons; the caller holds the clock
// and hands it in, so that a day of any length can be checked at once.
//
// A time of day is taken as the wall clock shows it that day. On the day
// the clocks go forward a time inside the skipped hour is due at the first
// minute the clock does show (02:30 becomes 03:00); on the day they go back
// a time shown twice is due once, at its first showing.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct RestartSchedule {
    std::vector<int> minutesOfDay;  // 0 .. 1439, ascending, each once
    std::int64_t everySeconds = 0;  // 0: none
    bool Empty() const { return minutesOfDay.empty() && everySeconds <= 0; }
};

// "HH:MM[,HH:MM...]" (00:00 to 23:59) into minutes of the day. False, with
// the part refused in `error`, for anything else.
bool ParseRestartTimes(const std::string& text, std::vector<int>& minutesOfDay, std::string& error);

// The first moment strictly after `now` at which a time of day falls due,
// reckoned in the local time zone; 0 when there are no times.
std::time_t NextTimeOfDay(const std::vector<int>& minutesOfDay, std::time_t now);

// The next scheduled restart after `now` for a server that started at
// `serverStarted`: the earlier of the next time of day and `everySeconds`
// after the start. 0 when nothing is scheduled.
std::time_t NextScheduledRestart(const RestartSchedule& schedule, std::time_t serverStarted, std::time_t now);
