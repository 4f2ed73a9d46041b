// The texts a skinned progress bar writes beside itself: the percentage done,
// or a time estimate (start, elapsed, done and left, remaining, expected end),
// and the fitting of the caller's label in front of it into the room there is.
// Plain functions of the position and the clock, so they are tested alone.
#pragma once

#include <chrono>
#include <functional>
#include <string>

using ProgressClockTime = std::chrono::system_clock::time_point;

// |textMode| 1 and 3: " 42%"; textMode above 0 puts it in parentheses: " (42%)".
std::string ProgressPercentText(int position, int lower, int upper, int textMode);

// " [(]<start date> hh:mm:ss - <elapsed> - d% / l% - <remaining> - <end date> hh:mm:ss[)]";
// the dates only when they are not the day of now, and day counts only when there are any.
std::string ProgressTimeText(int position, int lower, int upper, int textMode, ProgressClockTime start,
                             ProgressClockTime now);

// The label with the progress text after it, the label shortened with "..." when the
// two do not fit into room (as measured); textMode 3 falls back on the percentage when
// the time text would shorten the label. An empty result is one space.
std::string FitProgressText(const std::string& label, int position, int lower, int upper, int textMode,
                            ProgressClockTime start, ProgressClockTime now, int room,
                            const std::function<int(const std::string&)>& measure);
