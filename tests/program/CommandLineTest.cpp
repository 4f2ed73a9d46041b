#include <gtest/gtest.h>

#include "CommandLine.h"
#include "QtUserInterface.h"

namespace {

TEST(CommandLine, TakesOneProjectAndTheProgramsOptions) {
  struct Case {
    std::vector<std::string> arguments;
    std::string project, screenshot, error;
    bool help = false, version = false, timing = false;
  };
  const Case cases[] = {
      {{}, "", "", ""},
      {{"song.qvk"}, "song.qvk", "", ""},
      {{"--help"}, "", "", "", true},
      {{"-h", "song.qvk"}, "song.qvk", "", "", true},
      {{"--version"}, "", "", "", false, true},
      {{"--screenshot", "a.png", "x.mix"}, "x.mix", "a.png", ""},
      {{"--screenshot=b.png"}, "", "b.png", ""},
      {{"--print-startup-time"}, "", "", "", false, false, true},
      {{"--", "-odd.qvk"}, "-odd.qvk", "", ""},
      {{"--screenshot"}, "", "", "--screenshot needs a file name"},
      {{"--frobnicate"}, "", "", "unknown option --frobnicate"},
      {{"a.qvk", "b.qvk"}, "a.qvk", "", "only one project can be opened: b.qvk"},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.arguments);
    const std::string what = c.arguments.empty() ? "(none)" : c.arguments[0];
    EXPECT_EQ(line.projectPath, c.project) << what;
    EXPECT_EQ(line.screenshotPath, c.screenshot) << what;
    EXPECT_EQ(line.error, c.error) << what;
    EXPECT_EQ(line.help, c.help) << what;
    EXPECT_EQ(line.version, c.version) << what;
    EXPECT_EQ(line.printStartupTime, c.timing) << what;
  }
}

TEST(CommandLine, HelpIsFoundBeforeAnythingElseIsParsed) {
  char program[] = "tessiro", help[] = "--help", dashes[] = "--", song[] = "-h";
  char* withHelp[] = {program, song};
  char* afterDashes[] = {program, dashes, help};
  char* none[] = {program};
  EXPECT_TRUE(AsksForHelp(2, withHelp));
  EXPECT_FALSE(AsksForHelp(3, afterDashes));
  EXPECT_FALSE(AsksForHelp(1, none));
  EXPECT_NE(UsageText().find("Usage: tessiro"), std::string::npos);
}

TEST(FileChooser, FiltersAndExtensionsAsQtWantsThem) {
  const std::pair<const char*, const char*> filters[] = {
      {"Orvane Project Files (*.qvk; *.mix)", "Orvane Project Files (*.qvk *.mix)"},
      {"Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3||", "Wave Files (*.wav);;MP3 Files (*.mp3)"},
      {"Audio|*.wav;*.mp3|", "Audio (*.wav *.mp3)"},
      {"", ""},
  };
  for (const auto& [given, qt] : filters) EXPECT_EQ(QtFileFilter(given).toStdString(), qt) << given;
  EXPECT_EQ(WithDefaultExtension("/a/song", "qvk"), "/a/song.qvk");
  EXPECT_EQ(WithDefaultExtension("/a/song.QVK", "qvk"), "/a/song.QVK");
  EXPECT_EQ(WithDefaultExtension("/a.b/song", "wav"), "/a.b/song.wav");
  EXPECT_EQ(WithDefaultExtension("/a/song", ""), "/a/song");
}

}  // namespace
