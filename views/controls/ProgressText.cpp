#include "controls/ProgressText.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Time in the 100-nanosecond units the estimate is counted in.
constexpr int64_t kUnitsPerSecond = 10000000;
constexpr int64_t kUnitsPerDay = 864000000000;

int64_t Units(ProgressClockTime time) {
  return std::chrono::duration_cast<std::chrono::duration<int64_t, std::ratio<1, kUnitsPerSecond>>>(
             time.time_since_epoch())
      .count();
}

ProgressClockTime FromUnits(int64_t units) {
  return ProgressClockTime(std::chrono::duration_cast<ProgressClockTime::duration>(
      std::chrono::duration<int64_t, std::ratio<1, kUnitsPerSecond>>(units)));
}

struct tm Local(ProgressClockTime time) {
  const time_t seconds = std::chrono::system_clock::to_time_t(time);
  struct tm local {};
  localtime_r(&seconds, &local);
  return local;
}

bool SameDay(const struct tm& a, const struct tm& b) {
  return a.tm_year == b.tm_year && a.tm_yday == b.tm_yday;
}

std::string Format(const char* format, int a, int b = 0, int c = 0, int d = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

std::string Date(const struct tm& t) {
  return Format("%04d/%02d/%02d/%02d ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_wday + 1);
}

std::string ClockOf(const struct tm& t) { return Format("%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec); }

// "[d:]hh:mm:ss - " of a duration.
std::string Duration(int64_t units) {
  if (units < 0) units = 0;
  std::string text;
  const int64_t days = units / kUnitsPerDay;
  if (days > 0) text += Format("%d:", static_cast<int>(days));
  const int64_t seconds = (units % kUnitsPerDay) / kUnitsPerSecond;
  return text + Format("%02d:%02d:%02d - ", static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                       static_cast<int>(seconds % 60));
}

// The share done, in 1/256 percent: 25600 is all of it. An empty range counts as nothing done.
int64_t DoneFraction(int position, int lower, int upper) {
  if (upper == lower) return 0;
  return (static_cast<int64_t>(position) - lower) * 25600 / (static_cast<int64_t>(upper) - lower);
}

const char* const kEllipsis = "...";

// Built by appending: the optimiser warns falsely about overlaps in operator+ here.
std::string WithEllipsis(const std::string& text, size_t characters) {
  std::string shortened;
  shortened.reserve(characters + 3);
  shortened.append(text, 0, characters);
  shortened.append(kEllipsis);
  return shortened;
}

// Fits label + progress into room; returns whether the label had to be cut.
bool Fit(std::string label, const std::string& progress, int room,
         const std::function<int(const std::string&)>& measure, std::string* out) {
  if (label.size() >= 3 && label.compare(label.size() - 3, 3, kEllipsis) == 0) label.resize(label.size() - 3);
  const int reserved = 2 * measure(" ") + measure(progress);
  bool cut = false;
  if (measure(label) + reserved > room && !label.empty() &&
      measure(WithEllipsis(label, 1)) <= measure(label)) {
    cut = true;
    while (label.size() > 1 && measure(WithEllipsis(label, label.size())) + reserved > room) label.pop_back();
    label = WithEllipsis(label, label.size());
  }
  *out = label + progress;
  if (out->empty()) out->assign(1, ' ');
  return cut;
}

}  // namespace

std::string ProgressPercentText(int position, int lower, int upper, int textMode) {
  const int percent = static_cast<int>(DoneFraction(position, lower, upper) / 256);
  return textMode > 0 ? Format(" (%d%%)", percent) : Format(" %d%%", percent);
}

std::string ProgressTimeText(int position, int lower, int upper, int textMode, ProgressClockTime start,
                             ProgressClockTime now) {
  const struct tm today = Local(now);
  const struct tm begun = Local(start);
  const int64_t elapsed = Units(now) - Units(start);
  const int64_t done256 = DoneFraction(position, lower, upper);
  const int done = static_cast<int>(done256 / 256);
  // Nothing done yet estimates nothing: the end is now.
  const int64_t remaining = done256 > 0 ? elapsed * 25600 / done256 - elapsed : 0;
  const struct tm end = Local(FromUnits(Units(now) + remaining));

  std::string text = textMode > 0 ? " (" : " ";
  if (!SameDay(begun, today)) text += Date(begun);
  text += ClockOf(begun) + " - ";
  text += Duration(elapsed);
  text += Format("%d%% / ", done) + Format("%d%% - ", 100 - done);
  text += Duration(remaining);
  if (!SameDay(end, today)) text += Date(end);
  text += ClockOf(end);
  if (textMode > 0) text += ")";
  return text;
}

std::string FitProgressText(const std::string& label, int position, int lower, int upper, int textMode,
                            ProgressClockTime start, ProgressClockTime now, int room,
                            const std::function<int(const std::string&)>& measure) {
  const int mode = std::abs(textMode);
  std::string text;
  if (mode == 2 || mode == 3) {
    const bool cut = Fit(label, ProgressTimeText(position, lower, upper, textMode, start, now), room, measure, &text);
    if (mode == 2 || !cut) return text;
  }
  const std::string progress = mode == 0 ? std::string() : ProgressPercentText(position, lower, upper, textMode);
  Fit(label, progress, room, measure, &text);
  return text;
}
