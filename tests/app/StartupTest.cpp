#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "AppFixture.h"
#include "AudioFolder.h"
#include "BrowseFolderDialog.h"
#include "ByteFields.h"
#include "Folders.h"
#include "ProjectSamples.h"
#include "ReportRecorder.h"
#include "requests/StartupRequests.h"

namespace tessiro::test {
namespace {

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) { return bytes::GetU32(bytes.data() + offset); }

TEST_F(AppTest, FirstStartAsksBothPagesMakesTheFoldersAndWritesTheConfigurationAtExit) {
  const std::string folder = audio / "music";
  ExpectFirstStart(folder);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(app->IsFirstStart());
  EXPECT_TRUE(platform::FolderExists(folder + "/qvk_temp"));
  EXPECT_TRUE(platform::FolderExists(folder + "/qvk_data"));
  EXPECT_EQ(app->tempFolder, folder + "/qvk_temp");
  EXPECT_EQ(app->initialised, 1);
  EXPECT_TRUE(app->outputOpen);
  EXPECT_FALSE(seams.view.placementRestored);  // no configuration yet: default geometry
  EXPECT_EQ(seams.ui.Log(), (std::vector<std::string>{"request: CInitDialog1", "request: CInitDialog2"}));
  Stop();

  std::vector<uint8_t> saved = ReadFile(ConfigPath());
  ASSERT_EQ(saved.size(), 1264u);
  const uint8_t magic[8] = {0x51, 0x52, 0x56, 0x4B, 0x4E, 0, 0, 0};
  EXPECT_TRUE(std::equal(magic, magic + 8, saved.begin()));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(saved.data() + 16)), folder);
  struct Field {
    size_t offset;
    uint32_t value;
  } fields[] = {{280, 2},        {284, 0},    {288, 0},    {292, 1},         {296, 0},   {300, 0},
                {304, 0},        {308, 2},    {312, 32768}, {316, 0xB4B4B4}, {320, 0xFF8000}, {324, 0},
                {328, 0x00F0F0}, {1212, 0xB4B4B4}, {1228, 1}, {1232, 1},    {1236, 1},  {1248, 1},
                {1252, 1},       {1256, 1},   {1260, 10}};
  for (const Field& f : fields) EXPECT_EQ(U32At(saved, f.offset), f.value) << "offset " << f.offset;
}

TEST_F(AppTest, AProjectOnTheCommandLineIsOpenedInsteadOfTheIntro) {
  ProjectImage image;
  image.tempo = 93.0f;
  const std::vector<uint8_t> bytes = BytesOf(image);
  const std::string path = audio / "song.qvk";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  ExpectFirstStart(audio / "music");
  ASSERT_TRUE(Start(path));
  EXPECT_TRUE(app->IsFirstStart());
  EXPECT_EQ(app->projectPath, path);
  EXPECT_EQ(seams.view.title, "song - Tessiro");
  EXPECT_FLOAT_EQ(app->project.tempo, 93.0f);
  EXPECT_EQ(app->loopBank.GetCount(), 0);  // the intro's loops are not there
  EXPECT_EQ(seams.ui.Log(), (std::vector<std::string>{"request: CInitDialog1", "request: CInitDialog2"}));
}

TEST_F(AppTest, SecondStartReadsTheConfigurationAndAsksNothing) {
  ExpectFirstStart(audio / "music");
  ASSERT_TRUE(Start());
  Stop();

  ASSERT_TRUE(Start());
  EXPECT_FALSE(app->IsFirstStart());
  EXPECT_TRUE(seams.view.placementRestored);
  EXPECT_EQ(app->audioFolder, audio / "music");
  EXPECT_EQ(seams.ui.Log().size(), 2u);  // only the first start's two pages
}

TEST_F(AppTest, StartUpAppliesTheConfigurationAndReportsItsProgress) {
  WriteConfig(audio.Path(), [](ProConfig& c) {
    c.extendPlaybackFrames = 3 * 44100 + 100;
    c.followWaveform = 1;
    c.snapToGrid = 0;
    c.timeDisplay = 1;
    c.qualityLevel = 4;
    c.bufferFrames = 16384;
    c.metronomeVolume = 75;
    c.colorSets[5].snippetBox = 0x123456;
  });
  ASSERT_TRUE(Start());
  EXPECT_EQ(app->project.tailSeconds, 3u);
  EXPECT_EQ(app->followWaveform, 1);
  EXPECT_EQ(seams.view.snapToGrid, 0);
  EXPECT_EQ(app->project.timeDisplay, 1);
  EXPECT_EQ(app->qualityLevel, 4);
  EXPECT_EQ(app->bestFitSkip, 2);
  EXPECT_FLOAT_EQ(app->bestFitShave, 0.08f);
  EXPECT_EQ(app->bufferFrames, 16384);
  EXPECT_EQ(app->metronome.parameters.level, 60);
  EXPECT_EQ(app->metronome.parameters.pattern, 1);
  EXPECT_FLOAT_EQ(app->metronome.parameters.bpm, 120.0f);
  EXPECT_EQ(app->project.GetTrackCount(), 24u);
  EXPECT_EQ(app->project.GetSelectedTrackIndex(), 0);
  TrackColorSet colors;
  ASSERT_EQ(app->project.GetTrackColors(5, &colors), 1);
  EXPECT_EQ(colors.snippetBox, 0x123456u);
  EXPECT_EQ(seams.progress.Messages().front(), "Performing Initialization...");
  EXPECT_EQ(seams.progress.Percents(), (std::vector<std::string>{"0", "10", "35", "70", "100"}));
  EXPECT_FALSE(seams.progress.Exists());
}

TEST_F(AppTest, OutOfRangeSettingsAreBroughtIntoRange) {
  struct Case {
    int32_t bufferFrames, outputDevice;
    int32_t expectFrames, expectDevice;
  } cases[] = {{0, 0, 8192, 0}, {100000, 0, 65536, 0}, {20000, 5, 16384, 0}, {-8192, -1, 8192, 0}};
  for (const Case& c : cases) {
    static Case current;
    current = c;
    WriteConfig(audio.Path(), [](ProConfig& p) {
      p.bufferFrames = current.bufferFrames;
      p.outputDevice = current.outputDevice;
    });
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->bufferFrames, c.expectFrames) << c.bufferFrames;
    EXPECT_EQ(app->outputDevice, c.expectDevice) << c.outputDevice;
    Stop();
  }
}

TEST_F(AppTest, AnUnwritableAudioFolderIsAskedForAgainBeforeTheProgressWindow) {
  WriteConfig("/nonexistent/audio");
  const std::string text = "Error: Audio Path /nonexistent/audio is invalid.  Please choose a new audio directory.";
  seams.ui.ExpectBox(text);
  seams.ui.ExpectFolder("/also/nonexistent");
  seams.ui.ExpectBox("Error: Audio Path /also/nonexistent is invalid.  Please choose a new audio directory.");
  seams.ui.ExpectFolder(audio.Path());
  ASSERT_TRUE(Start());
  EXPECT_EQ(seams.ui.Boxes()[0].icon, ui::Icon::Error);
  ASSERT_EQ(seams.ui.FolderChoosers().size(), 2u);
  EXPECT_EQ(seams.ui.FolderChoosers()[0].caption, "Please Select an Audio Path:");
  EXPECT_EQ(app->audioFolder, audio.Path());
  EXPECT_TRUE(platform::FolderExists(audio / "qvk_temp"));
}

TEST_F(AppTest, GivingUpOnTheAudioFolderEndsStartUpSayingWhy) {
  WriteConfig("/nonexistent/audio");
  seams.ui.ExpectBox("Error: Audio Path /nonexistent/audio is invalid.  Please choose a new audio directory.");
  seams.ui.ExpectFolder(std::nullopt);
  seams.ui.ExpectBox(CProApp::kNoAudioFolderText);
  EXPECT_FALSE(Start());
  EXPECT_EQ(seams.progress.Windows(), 0);
}

TEST_F(AppTest, TheFolderChooserWarnsOfTheRootAndKeepsTheFolderOnCancel) {
  CBrowseFolderDialog chooser(seams.ui);
  struct Case {
    std::optional<std::string> answer;
    bool warned;
    int result;
    std::string folder;
  } cases[] = {{std::nullopt, false, 0, "/start"},
               {std::string(), false, 0, "/start"},
               {std::string("/"), true, 1, "/"},
               {std::string("//"), true, 1, "//"},
               {std::string("/Home/Takes"), false, 1, "/Home/Takes"}};
  for (const Case& c : cases) {
    seams.ui.ExpectFolder(c.answer);
    if (c.warned) seams.ui.ExpectBox(CBrowseFolderDialog::kRootWarning);
    std::string folder = "/start";
    EXPECT_EQ(chooser.BrowseForFolder(folder), c.result);
    EXPECT_EQ(folder, c.folder);
    seams.ui.CheckDone();
    EXPECT_EQ(seams.ui.FolderChoosers().back().initialFolder, "/start");
    EXPECT_EQ(seams.ui.FolderChoosers().back().caption, CBrowseFolderDialog::kTitle);
  }
}

TEST_F(AppTest, ConfigurationFilesOfEveryLength) {
  // Exactly the record with any magic, and a longer file, both load.
  WriteConfig(audio.Path(), [](ProConfig& c) { c.metronomeVolume = 33; });
  {
    std::vector<uint8_t> bytes = ReadFile(ConfigPath());
    std::copy_n("XXXXXXXX", 8, bytes.begin());
    bytes.resize(1300, 0xEE);
    std::ofstream(ConfigPath(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  ASSERT_TRUE(Start());
  EXPECT_FALSE(app->IsFirstStart());
  EXPECT_EQ(app->metronome.parameters.level, 33);
  Stop();

  // One byte short: the report with the count read, then a first start.
  {
    std::vector<uint8_t> bytes = ReadFile(ConfigPath());
    bytes.resize(1263);
    std::ofstream(ConfigPath(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  ExpectFirstStart(audio.Path());
  ASSERT_TRUE(Start());
  EXPECT_TRUE(app->IsFirstStart());
  std::vector<RecordedReport> reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "pro");
  EXPECT_EQ(reports[0].report.line, 20008);
  EXPECT_EQ(reports[0].report.message, "The entire config file was not read in.  Config file: (" + ConfigPath() +
                                           ").  Amount read in: 1263");
  Stop();

  // An empty file is a first start without a report.
  std::ofstream(ConfigPath(), std::ios::binary | std::ios::trunc).close();
  ExpectFirstStart(audio.Path());
  ASSERT_TRUE(Start());
  EXPECT_TRUE(app->IsFirstStart());
}

// A folder, a FIFO or a device under the configuration's name: start-up neither
// waits on it nor reads it; it is a record that could not be read, said as a
// short one is, and the first start follows.
TEST_F(AppTest, AConfigurationNameOfNoPlainFileIsAShortReadAndAFirstStart) {
  struct Case {
    const char* name;
    int (*make)(const char* path);
    bool savedAtExit;
  };
  const Case cases[] = {
      {"folder", [](const char* path) { return ::mkdir(path, 0700); }, false},
      {"FIFO", [](const char* path) { return ::mkfifo(path, 0600); }, true},
      {"link to /dev/zero", [](const char* path) { return ::symlink("/dev/zero", path); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.make(ConfigPath().c_str()), 0);
    ExpectFirstStart(audio.Path());
    ASSERT_TRUE(Start());
    EXPECT_TRUE(app->IsFirstStart());
    std::vector<RecordedReport> reports = Reports().Take();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].report.line, 20008);
    EXPECT_EQ(reports[0].report.message, "The entire config file was not read in.  Config file: (" + ConfigPath() +
                                             ").  Amount read in: 0");
    Stop();
    // Saving replaces what is no folder with the record; a folder is left and the loss said.
    reports = Reports().Take();
    EXPECT_EQ(reports.size(), c.savedAtExit ? 0u : 1u);
    struct stat info {};
    ASSERT_EQ(::lstat(ConfigPath().c_str(), &info), 0);
    EXPECT_EQ(S_ISREG(info.st_mode) && info.st_size == static_cast<off_t>(ProConfig::kBytes), c.savedAtExit);
    std::remove(ConfigPath().c_str());
  }
}

TEST_F(AppTest, AFailedSaveKeepsTheOldConfigurationAndSaysSo) {
  WriteConfig(audio.Path(), [](ProConfig& c) { c.metronomeVolume = 21; });
  const std::vector<uint8_t> before = ReadFile(ConfigPath());
  ASSERT_TRUE(Start());
  app->config.metronomeVolume = 44;
  // A file-size limit below the record makes the write fail whoever runs the test.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 1000;
  setrlimit(RLIMIT_FSIZE, &small);
  Stop();
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(ReadFile(ConfigPath()), before);
  std::vector<RecordedReport> reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 20086);
  EXPECT_EQ(reports[0].report.message, "Failed to write to Quillon config file (" + ConfigPath() + ")");
}

TEST_F(AppTest, AProgramThatEndsBeforeItsStartWritesNoConfiguration) {
  MakeApp();
  Stop();
  EXPECT_FALSE(platform::FileExists(ConfigPath())) << "an empty record would pass for settings with no audio folder";
  ExpectFirstStart(audio.Path());
  ASSERT_TRUE(Start());
  EXPECT_TRUE(app->IsFirstStart());
}

TEST_F(AppTest, TheConfigurationIsWrittenThroughALinkAndNeverOverAReadOnlyFile) {
  const std::string kept = audio / "settings/kept.cfg";
  ASSERT_TRUE(platform::CreateFolder(audio / "settings"));
  for (const bool readOnly : {false, true}) {
    SCOPED_TRACE(readOnly ? "read-only" : "a link");
    WriteConfig(audio.Path(), [](ProConfig& c) { c.metronomeVolume = 21; });
    std::rename(ConfigPath().c_str(), kept.c_str());
    ASSERT_EQ(::symlink(kept.c_str(), ConfigPath().c_str()), 0);
    if (readOnly) {
      ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
    }
    const std::vector<uint8_t> before = ReadFile(kept);
    ASSERT_TRUE(Start());
    app->config.metronomeVolume = 44;
    Stop();
    char text[4096] = {};
    EXPECT_GT(::readlink(ConfigPath().c_str(), text, sizeof text - 1), 0) << "the link stays a link";
    EXPECT_EQ(std::string(text), kept);
    const std::vector<uint8_t> after = ReadFile(kept);
    ASSERT_EQ(after.size(), 1264u);
    EXPECT_EQ(U32At(after, ProConfig::kOffMetronomeVolume), readOnly ? 21u : 44u);
    std::vector<RecordedReport> reports = Reports().Take();
    ASSERT_EQ(reports.size(), readOnly ? 1u : 0u);
    if (readOnly) {
      EXPECT_EQ(reports[0].report.message, "Failed to write to Quillon config file (" + ConfigPath() + ")");
      EXPECT_EQ(after, before);
    }
    ::chmod(kept.c_str(), 0644);
    std::remove(ConfigPath().c_str());
  }
}

// A folder longer than the program can keep is refused with its own message
// and asked for again; never cut (a cut names another folder, or falls inside
// a character). The chosen folder then goes into the configuration whole.
TEST_F(AppTest, AnAudioFolderTooLongToKeepIsAskedForAgainAtTheFirstStart) {
  const std::string base = audio.Path();
  const auto filled = [&base](size_t bytes, const std::string& tail) {
    return base + "/" + std::string(bytes - base.size() - 1 - tail.size(), 'x') + tail;
  };
  std::string dots = base;
  while (dots.size() < ProConfig::kAudioFolderChars) dots += "/.";
  dots.resize(ProConfig::kAudioFolderChars);
  const struct {
    const char* name;
    std::string folder;
  } cases[] = {
      {"one byte over the limit", filled(kMaxAudioFolderBytes + 1, "")},
      // Its first 260 bytes name the test's own folder, where the cut put the program's folders.
      {"a cut that names another folder", dots + "/deeper"},
      {"a cut inside a character", filled(ProConfig::kAudioFolderChars + 1, "\xC3\xA9")},
  };
  const std::string chosen = audio / "chosen";
  ASSERT_TRUE(platform::CreateFolder(chosen));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectFirstStart(c.folder);
    seams.ui.ExpectBox(TooLongFolderText(c.folder));
    seams.ui.ExpectFolder(chosen);
    ASSERT_TRUE(Start());
    seams.ui.CheckDone();
    ASSERT_FALSE(seams.ui.Boxes().empty());
    EXPECT_EQ(seams.ui.Boxes().back().icon, ui::Icon::Error);
    EXPECT_EQ(app->audioFolder, chosen);
    EXPECT_TRUE(platform::FolderExists(chosen + "/qvk_temp"));
    EXPECT_FALSE(platform::FolderExists(base + "/qvk_temp"));
    EXPECT_FALSE(platform::FolderExists(c.folder)) << "a folder refused is not made";
    Stop();
    const std::vector<uint8_t> saved = ReadFile(ConfigPath());
    ASSERT_EQ(saved.size(), ProConfig::kBytes);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(saved.data() + ProConfig::kOffAudioFolder)), chosen);
    std::remove(ConfigPath().c_str());
  }
  // A configuration an older version wrote with such a folder: asked for again at start.
  const std::string stored = filled(250, "");
  ASSERT_TRUE(platform::CreateFolder(stored));
  WriteConfig(stored);
  seams.ui.ExpectBox(TooLongFolderText(stored));
  seams.ui.ExpectFolder(audio.Path());
  ASSERT_TRUE(Start());
  EXPECT_EQ(app->audioFolder, audio.Path());
}

TEST_F(AppTest, TheMAudioNoticeFollowsTheFirstStartPagesWhenSuchADeviceIsPresent) {
  UseDevices({"Virtual Output", "M-Audio Delta 44"}, {"Virtual Input 1"});
  ExpectFirstStart(audio.Path(), 1);
  seams.ui.ExpectRequest<MAudioFoundRequest>();
  ASSERT_TRUE(Start());
  EXPECT_EQ(app->outputDevice, 1);
  EXPECT_TRUE(app->IsDevicePresent("M-AUDIO"));
  EXPECT_FALSE(app->IsDevicePresent("M-AUDIOX"));
}

TEST_F(AppTest, TheSettingsPageListsTheOutputsAndProposesTheDefaultFolder) {
  UseDevices({"Out A", "Out B"}, {});
  seams.ui.ExpectRequest<InitDialog1Request>();
  seams.ui.ExpectRequest<InitDialog2Request>([this](const InitDialog2Request& page) {
    EXPECT_EQ(page.outputDevices.size(), 2u);
    EXPECT_EQ(page.outputDevices[1].rfind("Out B", 0), 0u);
    EXPECT_EQ(page.audioPath, platform::DefaultAudioFolder());
    return InitDialog2Request::Result{audio / "chosen", 1};
  });
  ASSERT_TRUE(Start());
  EXPECT_EQ(app->config.GetAudioFolder(), audio / "chosen");
  EXPECT_EQ(app->config.outputDevice, 1);
}

TEST_F(AppTest, AStartWithoutAnOutputDeviceOpensNone) {
  UseDevices({}, {});
  ExpectFirstStart(audio.Path());
  // The intro would play: the user is told why it cannot.
  seams.ui.ExpectBox("No audio output device is open to play through.");
  ASSERT_TRUE(Start());
  EXPECT_FALSE(app->outputOpen);
  EXPECT_EQ(app->playing.load(), 0);
  EXPECT_EQ(app->outputDevice, 0);
}

TEST_F(AppTest, WithoutAWindowStartUpEndsWithTheReports) {
  seams.view.hasFrame = false;
  EXPECT_FALSE(Start());
  std::vector<RecordedReport> reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 2673);
  Stop();

  seams.view.hasFrame = true;
  seams.view.hasView = false;
  WriteConfig(audio.Path());
  EXPECT_FALSE(Start());
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.line, 2839);
  EXPECT_EQ(reports[1].report.line, 2883);
}

TEST_F(AppTest, ShutDownDeletesOnlyTheTemporaryAudioThisRunMade) {
  WriteConfig(audio.Path());
  ASSERT_TRUE(Start());
  const std::string temp = app->tempFolder;
  // Files this run did not make stay, whatever their names: an older project's audio among them.
  const char* kept[] = {"QRVD_20260101120000_1.pcm", "QRVD_20260101120000_1.pek", "QRVD_x.PCM",
                        "keep.txt", "QRVDx.wav", "other.pcm", "qrvd_lower.pcm"};
  for (const char* name : kept) std::ofstream(temp + "/" + name) << "mine";
  std::string made;
  {
    auto segment = std::make_shared<CAudioSegment>(temp);
    segment->SetFormat(AudioQuality{44100, 2, 16});
    ASSERT_EQ(segment->Open(1), 1);
    ASSERT_EQ(segment->Close(), 1);
    made = segment->GetPcmFileName();
  }
  ASSERT_TRUE(platform::FileExists(made));
  Stop();
  EXPECT_FALSE(platform::FileExists(made));
  for (const char* name : kept) EXPECT_TRUE(platform::FileExists(temp + "/" + name)) << name;
}

}  // namespace
}  // namespace tessiro::test
