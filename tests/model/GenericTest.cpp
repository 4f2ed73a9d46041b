#include "Generic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "File.h"
#include "Folders.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using tessiro::test::Reports;

namespace {

std::string Time(uint32_t frames) {
  char text[32];
  FormatSamplesAsTime(frames, 44100, text);
  return text;
}

std::string TempoTime(uint32_t frames, float bpm, int choice) {
  char text[64];
  FormatSamplesAsTempoTime(frames, 44100, bpm, choice, text);
  return text;
}

struct TimeParts {
  int32_t a, b, c, d;
};

TimeParts ParseTime(const char* text) {
  TimeParts p{-1, -1, -1, 0};
  ParseTimeText(text, &p.a, &p.b, &p.c);
  return p;
}

TimeParts ParseTempo(const char* text) {
  TimeParts p{-1, -1, -1, -1};
  ParseTempoTimeText(text, &p.a, &p.b, &p.c, &p.d);
  return p;
}

bool operator==(const TimeParts& x, const TimeParts& y) { return x.a == y.a && x.b == y.b && x.c == y.c && x.d == y.d; }

}  // namespace

TEST(TimeDisplay, StandardFormatAtEdges) {
  EXPECT_EQ(Time(0), "00:00.000");
  EXPECT_EQ(Time(1), "00:00.000");
  EXPECT_EQ(Time(44100), "00:01.000");
  EXPECT_EQ(Time(3329550), "01:15.500");
  EXPECT_EQ(Time(238140000), "90:00.000");           // a full project
  EXPECT_EQ(Time(100u * 60 * 44100), "100:00.000");  // three-digit minutes
  EXPECT_EQ(Time(44100 * 61 + 11025), "01:01.250");
  char text[32];
  EXPECT_EQ(FormatSamplesAsTime(3329550, 44100, text), 9);
}

TEST(TimeDisplay, TempoFormatCountsFromZeroIn34And44) {
  EXPECT_EQ(TempoTime(0, 120.0f, 2), "0:0:0.00");
  EXPECT_EQ(TempoTime(1, 120.0f, 2), "0:0:0.00");
  // At 120 BPM a beat is half a second.
  EXPECT_EQ(TempoTime(88200, 120.0f, 2), "1:0:0.00");  // 4/4: four beats make a bar
  EXPECT_EQ(TempoTime(88200, 120.0f, 1), "1:1:0.00");  // 3/4: bar 1, beat 1
  EXPECT_EQ(TempoTime(11025, 120.0f, 2), "0:0:2.00");  // half a beat is two quarters
  EXPECT_EQ(TempoTime(13230, 120.0f, 2), "0:0:2.40");  // 0.6 beats
  EXPECT_EQ(TempoTime(88200000, 120.0f, 2), "1000:0:0.0");  // from 1000 bars one digit of hundredths
}

TEST(TimeDisplay, StandardParserSplitsFields) {
  EXPECT_TRUE((ParseTime("5.5") == TimeParts{0, 5, 500, 0}));
  EXPECT_TRUE((ParseTime("1:5.5") == TimeParts{1, 5, 500, 0}));
  EXPECT_TRUE((ParseTime("1:05.05") == TimeParts{1, 5, 50, 0}));
  EXPECT_TRUE((ParseTime("12:34.5678") == TimeParts{12, 34, 567, 0}));
  EXPECT_TRUE((ParseTime("1a:00.000") == TimeParts{0, 0, 0, 0}));
  EXPECT_TRUE((ParseTime("") == TimeParts{0, 0, 0, 0}));
}

TEST(TimeDisplay, TempoParserFillsFromTheRight) {
  EXPECT_TRUE((ParseTempo("1:2:3.45") == TimeParts{1, 2, 3, 45}));
  EXPECT_TRUE((ParseTempo("2:3") == TimeParts{0, 2, 3, 0}));
  EXPECT_TRUE((ParseTempo("3.5") == TimeParts{0, 0, 3, 50}));
  EXPECT_TRUE((ParseTempo("1234567") == TimeParts{123456, 0, 0, 0}));
  EXPECT_TRUE((ParseTempo("1:2:3:4") == TimeParts{0, 0, 0, 0}));
  EXPECT_TRUE((ParseTempo("1.2.3") == TimeParts{0, 0, 0, 0}));
  EXPECT_TRUE((ParseTempo("1:x:3") == TimeParts{0, 0, 0, 0}));
}

TEST(TimeDisplay, TextToFrames) {
  uint32_t frames = 0;
  ParseTimeToSamples("01:15.500", 44100, &frames);
  EXPECT_EQ(frames, 3329550u);
  ParseTimeToSamples("90:00.000", 44100, &frames);
  EXPECT_EQ(frames, 238140000u);
  ParseTempoTimeToSamples("1:0:0.00", 2, 120.0f, 44100, &frames);
  EXPECT_EQ(frames, 88200u);
  ParseTempoTimeToSamples("1:0:0.00", 1, 120.0f, 44100, &frames);
  EXPECT_EQ(frames, 66150u);
}

TEST(TimeDisplay, TimesPastTheLargestFrameCountStopThere) {
  constexpr uint32_t kLargest = 0xFFFFFFFFu;
  struct Case {
    const char* text;
    bool tempo;
    uint32_t frames;
  };
  const Case cases[] = {
      {"99999999:00", false, kLargest},
      // 27 hours 3 minutes still fits; one minute more is past 2^32 frames.
      {"1623:00.000", false, 4294458000u},
      {"1624:00.000", false, kLargest},
      {"99999999999999999999999999999999.999", false, kLargest},
      {"2147483647:59.999", false, kLargest},
      {"99999999:0:0.00", true, kLargest},
      {"1000000:0:0.00", true, kLargest},
      {"99999999999999999999999:3:3.99", true, kLargest},
      {"1:0:0.00", true, 88200u},
  };
  for (const Case& c : cases) {
    uint32_t frames = 0;
    if (c.tempo) {
      ParseTempoTimeToSamples(c.text, 2, 120.0f, 44100, &frames);
    } else {
      ParseTimeToSamples(c.text, 44100, &frames);
    }
    EXPECT_EQ(frames, c.frames) << c.text;
  }
}

TEST(TimeDisplay, ParsingAFormattedTimeComesBack) {
  std::srand(7);
  for (int i = 0; i < 2000; ++i) {
    const uint32_t x = static_cast<uint32_t>(std::rand()) % 238140000u;
    uint32_t back = 0;
    ParseTimeToSamples(Time(x).c_str(), 44100, &back);
    // The display keeps whole milliseconds; float seconds lose a little more at 90 minutes.
    EXPECT_NEAR(static_cast<double>(back), static_cast<double>(x), 44.1 + x * 1.2e-7) << Time(x);
  }
}

TEST(TimeDisplay, ParsingAFormattedTempoTimeComesBackWithinAHundredthOfAQuarter) {
  std::srand(11);
  for (int choice : {1, 2}) {
    for (float bpm : {120.0f, 93.5f, 60.0f}) {
      for (int i = 0; i < 500; ++i) {
        const uint32_t x = static_cast<uint32_t>(std::rand()) % (44100u * 600);
        uint32_t back = 0;
        ParseTempoTimeToSamples(TempoTime(x, bpm, choice).c_str(), choice, bpm, 44100, &back);
        const double framesPerBeat = 44100.0 * 60.0 / bpm;
        const double framesPerHundredthQuarter = framesPerBeat * 0.25 / 100.0;
        // Single precision keeps beats to about 2^-23 of their value, twice over.
        const double floatSlack = x * 2.0 * std::ldexp(1.0, -23) + 1.0;
        EXPECT_LE(std::fabs(static_cast<double>(back) - x), framesPerHundredthQuarter + floatSlack)
            << TempoTime(x, bpm, choice) << " at " << bpm;
      }
    }
  }
}

TEST(TimeDisplay, TempoZeroIsReportedNotDivided) {
  uint32_t frames = 99;
  ParseTempoTimeToSamples("1:0:0.00", 2, 0.0f, 44100, &frames);
  EXPECT_EQ(frames, 0u);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.message, "Divide By Zero Violation");
}

TEST(TimeDisplay, NormalisedStandardText) {
  char text[32];
  FormatTimeParts(3, 7, 45, text);
  EXPECT_STREQ(text, "3:07.045");
  FormatTimeParts(0, 5, 5, text);
  EXPECT_STREQ(text, "00:05.005");
  FormatTimeParts(12, 34, 567, text);
  EXPECT_STREQ(text, "12:34.567");
  NormalizeTimeString("1:5.5", text);
  EXPECT_STREQ(text, "1:05.500");
}

TEST(Levels, DecibelsAndPercent) {
  float value = 1.0f;
  PercentToDecibel(0.0f, &value);
  EXPECT_EQ(value, -140.0f);
  PercentToDecibel(100.0f, &value);
  EXPECT_EQ(value, 0.0f);
  DecibelToPercent(0.0f, &value);
  EXPECT_EQ(value, 100.0f);
  PercentToDecibel(50.0f, &value);
  EXPECT_NEAR(value, -6.0206f, 1e-4);
  for (float percent : {0.1f, 1.0f, 25.0f, 63.1f, 100.0f, 200.0f, 1000.0f}) {
    float db = 0, back = 0;
    PercentToDecibel(percent, &db);
    DecibelToPercent(db, &back);
    EXPECT_NEAR(back, percent, percent * 1e-5f);
  }
}

TEST(Levels, SemitonesAndRatios) {
  float value = 0;
  RatioToSemitones(2.0f, &value);
  EXPECT_NEAR(value, 12.0f, 1e-5);
  SemitonesToRatio(-12.0f, &value);
  EXPECT_NEAR(value, 0.5f, 1e-6);
  SemitonesToRatio(7.0f, &value);
  EXPECT_NEAR(value, 1.4983071f, 1e-6);
}

TEST(Levels, ScaleTableRisesFromZeroToHundred) {
  short table[100];
  ASSERT_EQ(InitLevelScaleTable(table), table);
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[1], 15);
  EXPECT_EQ(table[9], 50);
  EXPECT_EQ(table[49], 84);
  EXPECT_EQ(table[99], 100);
  for (int i = 1; i < 100; ++i) EXPECT_LE(table[i - 1], table[i]) << i;
}

TEST(Helpers, PointInRectIncludesEdges) {
  EXPECT_TRUE(IsPointInRect(10, 20, 10, 20, 30, 40));
  EXPECT_TRUE(IsPointInRect(30, 40, 10, 20, 30, 40));
  EXPECT_FALSE(IsPointInRect(31, 40, 10, 20, 30, 40));
  EXPECT_FALSE(IsPointInRect(10, 19, 10, 20, 30, 40));
}

TEST(Helpers, AudioFileTypeFromExtension) {
  char type[4];
  for (auto [name, expected] : std::vector<std::pair<const char*, const char*>>{
           {"take.wav", "WAV"}, {"A.Mp3", "MP3"}, {"old.MIX", "MIX"}, {"QRVD_1_2.pcm", "PCM"},
           {"x.pek", "PEK"}, {"song.qvk", "QVK"}, {"x.ogg", ""}, {"x.pcmx", ""}, {"wav", ""}, {".wav", "WAV"}}) {
    GetAudioFileType(name, type);
    EXPECT_STREQ(type, expected) << name;
  }
}

TEST(Helpers, UniqueTicksNeverRepeatAcrossThreads) {
  constexpr int kThreads = 8;
  constexpr int kEach = 12;
  std::vector<std::vector<uint32_t>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&got, t] {
      for (int i = 0; i < kEach; ++i) got[t].push_back(GetUniqueTickCount());
    });
  }
  for (auto& t : threads) t.join();
  std::set<uint32_t> all;
  for (const auto& list : got) {
    for (size_t i = 1; i < list.size(); ++i) EXPECT_GT(list[i], list[i - 1]);
    all.insert(list.begin(), list.end());
  }
  EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * kEach));
  EXPECT_EQ(all.count(0u), 0u);
}

TEST(Helpers, TimestampIsFourteenDigitsOfLocalTime) {
  char text[32] = "unchanged";
  GetTimestampText(text);
  ASSERT_EQ(std::string(text).size(), 14u);
  for (int i = 0; i < 14; ++i) EXPECT_TRUE(text[i] >= '0' && text[i] <= '9');
  const std::time_t now = std::time(nullptr);
  std::tm local;
  localtime_r(&now, &local);
  EXPECT_EQ(std::stoi(std::string(text, 4)), local.tm_year + 1900);
}

TEST(Helpers, ProgramFolderIsTheConfiguredHome) {
  char folder[256];
  EXPECT_EQ(GetProgramFolder(folder), 1);
  EXPECT_EQ(std::string(folder), std::getenv("TESSIRO_HOME"));
  EXPECT_EQ(GetProgramFolder(nullptr), 0);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "Generic");
}

TEST(Helpers, WriteCheckSkipsExistingProbeAndRemovesItsOwn) {
  tessiro::test::CTempFolder folder;
  platform::CFile existing;
  ASSERT_TRUE(existing.Open(folder / "write_check_0", platform::CFile::Mode::Create));
  existing.Close();
  EXPECT_EQ(CanWriteToFolder(folder.Path().c_str()), 1);
  EXPECT_TRUE(platform::FileExists(folder / "write_check_0"));
  EXPECT_FALSE(platform::FileExists(folder / "write_check_1"));
  EXPECT_EQ(CanWriteToFolder((folder / "missing").c_str()), 0);
}

TEST(ReportError, ProgramReportUsesItsCaptionAndClipboardTexts) {
  errno = 0;
  Reports().SetAnswer(kIdOk);
  Reports().SetClipboardFailure(ClipboardStep::SetClipboard);
  EXPECT_EQ(ReportError("LargeFile", 205, "Failed to write to (x.pcm)"), kIdOk);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].caption, "Tessiro");
  EXPECT_EQ(reports[0].report.origin, ReportOrigin::Program);
  EXPECT_EQ(reports[0].report.text.rfind("Error Message: Failed to write to (x.pcm)\n\nSystem Error Code: 0 "
                                         "(LargeFile::205)\n\nSystem Error Message: Invalid pointer in module.",
                                         0),
            0u);
  EXPECT_EQ(Reports().TakeNotices(), std::vector<std::string>{"Clipboard copy failedon SetClipboard."});
}
