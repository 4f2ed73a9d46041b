#include "controls/ProgressText.h"

#include <gtest/gtest.h>
#include <time.h>

namespace {

// Local noon of a fixed day, plus seconds: times whose texts we can write down.
ProgressClockTime Noon(int dayOffset, int seconds = 0) {
  struct tm t {};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 10 + dayOffset;
  t.tm_hour = 12;
  t.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(mktime(&t)) + std::chrono::seconds(seconds);
}

int FivePerCharacter(const std::string& text) { return 5 * static_cast<int>(text.size()); }

}  // namespace

TEST(ProgressText, PercentageWithAndWithoutParentheses) {
  struct Case {
    int pos, lower, upper, mode;
    const char* text;
  } cases[] = {
      {50, 0, 100, 1, " (50%)"}, {50, 0, 100, -1, " 50%"},  {50, 0, 100, 3, " (50%)"},
      {0, -50, 50, -3, " 50%"},  {33, 0, 99, -1, " 33%"},   {7, 7, 7, 1, " (0%)"},  // an empty range: nothing done
  };
  for (const Case& c : cases) EXPECT_EQ(ProgressPercentText(c.pos, c.lower, c.upper, c.mode), c.text);
}

TEST(ProgressText, TimeEstimateOfHalfDoneAfterTenSeconds) {
  EXPECT_EQ(ProgressTimeText(50, 0, 100, 2, Noon(0), Noon(0, 10)),
            " (12:00:00 - 00:00:10 - 50% / 50% - 00:00:10 - 12:00:20)");
  EXPECT_EQ(ProgressTimeText(25, 0, 100, -2, Noon(0), Noon(0, 60)),
            " 12:00:00 - 00:01:00 - 25% / 75% - 00:03:00 - 12:04:00");
}

TEST(ProgressText, NothingDoneEstimatesNoTimeAndEndsNow) {
  EXPECT_EQ(ProgressTimeText(0, 0, 100, -2, Noon(0), Noon(0, 5)),
            " 12:00:00 - 00:00:05 - 0% / 100% - 00:00:00 - 12:00:05");
}

TEST(ProgressText, DaysAndDatesAppearWhenTheyAreNotToday) {
  // Started two days ago, half done: two more days to go.
  const std::string text = ProgressTimeText(50, 0, 100, -2, Noon(-2), Noon(0));
  EXPECT_EQ(text.rfind(" 2026/03/08/", 0), 0u) << text;
  EXPECT_NE(text.find(" 12:00:00 - 2:00:00:00 - 50% / 50% - 2:00:00:00 - 2026/03/12/"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 8), "12:00:00");
}

TEST(ProgressText, LabelIsShortenedToFitWithAnEllipsis) {
  const ProgressClockTime now = Noon(0);
  // " 50%" is 4 characters; the label and two spaces must fit beside it.
  EXPECT_EQ(FitProgressText("Importing", 50, 0, 100, -1, now, now, 200, FivePerCharacter), "Importing 50%");
  EXPECT_EQ(FitProgressText("Importing audio...", 50, 0, 100, -1, now, now, 200, FivePerCharacter),
            "Importing audio 50%");
  EXPECT_EQ(FitProgressText("Importing audio", 50, 0, 100, -1, now, now, 80, FivePerCharacter), "Importi... 50%");
  // Never below one character.
  EXPECT_EQ(FitProgressText("Importing audio", 50, 0, 100, -1, now, now, 10, FivePerCharacter), "I... 50%");
  EXPECT_EQ(FitProgressText("", 50, 0, 100, 0, now, now, 10, FivePerCharacter), " ");
}

TEST(ProgressText, TimeModeThreeFallsBackOnThePercentageWhenTheLabelWouldBeCut) {
  const ProgressClockTime start = Noon(0);
  const ProgressClockTime now = Noon(0, 10);
  const std::string time = ProgressTimeText(50, 0, 100, -3, start, now);
  const int wide = FivePerCharacter("Copying" + time) + 10;
  EXPECT_EQ(FitProgressText("Copying", 50, 0, 100, -3, start, now, wide, FivePerCharacter), "Copying" + time);
  EXPECT_EQ(FitProgressText("Copying", 50, 0, 100, -3, start, now, 80, FivePerCharacter), "Copying 50%");
}
