// The MP3 codec against stand-ins for LAME. They pin the argument vector,
// cancel, the exit-status checks and the clean-up without depending on LAME's
// timing.
#include <chrono>
#include <clocale>

#include "LameStubFixture.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

TEST_F(LameStub, EncodeRunsLameWithTheArgumentVectorAndReplacesTheDestination) {
  InstallLame(Banner() + "printf '\\r( 25%%)|\\r( 50%%)|'\nprintf '\\r(100%%)|\\n'\n" + WriteMp3Output());
  const std::string destination = work_ + "/song.mp3";
  WriteBytes(destination, {'o', 'l', 'd'});
  ASSERT_EQ(EncodeTo(destination), kLunderDone);
  const std::vector<std::string> args = Lines(argsFile_);
  ASSERT_EQ(args.size(), 16u);
  const std::vector<std::string> expected = {"--brief", "--disptime", ".05", "-r", "-b", "128", "--signed",
                                             "--little-endian", "-s", "44.100000", "--bitwidth", "16", "-m", "m",
                                             raw_};
  EXPECT_EQ(std::vector<std::string>(args.begin(), args.begin() + 15), expected);
  // LAME writes beside the destination under a temporary name.
  EXPECT_EQ(platform::FolderOfPath(args[15]), work_);
  EXPECT_EQ(ReadBytes(destination), kMp3Start);
  EXPECT_EQ(Progression(), (std::vector<short>{25, 50, 100}));
  EXPECT_EQ(Names(work_), (std::vector<std::string>{"input.pcm", "song.mp3"}));
  EXPECT_TRUE(NoChildProcesses());
}

TEST_F(LameStub, EightBitStereoIsPassedAsUnsigned) {
  InstallLame(WriteMp3Output());
  ASSERT_EQ(EncodeTo(work_ + "/out.mp3", {22050, 2, 8}, 64), kLunderDone);
  const std::vector<std::string> args = Lines(argsFile_);
  ASSERT_EQ(args.size(), 15u);
  const std::vector<std::string> expected = {"--brief", "--disptime", ".05", "-r", "-b", "64", "--unsigned", "-s",
                                             "22.050000", "--bitwidth", "8", "-m", "s", raw_};
  EXPECT_EQ(std::vector<std::string>(args.begin(), args.begin() + 14), expected);
}

TEST_F(LameStub, RelativePathsReachLameAbsolute) {
  // LAME has no end-of-options marker: a relative name starting with '-' would be read as an option.
  InstallLame(WriteMp3Output());
  WriteBytes(work_ + "/-input.pcm", {0, 0});
  char old[4096];
  ASSERT_NE(::getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(::chdir(work_.c_str()), 0);
  const unsigned int result = CLunder().Encode("-input.pcm", 128, {44100, 1, 16}, "-out.mp3", RecordProgress);
  ASSERT_EQ(::chdir(old), 0);
  EXPECT_EQ(result, kLunderDone);
  const std::vector<std::string> args = Lines(argsFile_);
  ASSERT_EQ(args.size(), 16u);
  EXPECT_EQ(args[14], work_ + "/-input.pcm");
  EXPECT_EQ(args[15].rfind(work_ + "/Hello", 0), 0u) << args[15];
  EXPECT_EQ(ReadBytes(work_ + "/-out.mp3"), kMp3Start);
}

TEST_F(LameStub, RateIsWrittenWithAPointUnderAnyLocale) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  InstallLame(WriteMp3Output());
  const unsigned int result = EncodeTo(work_ + "/out.mp3", {48000, 2, 16});
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(result, kLunderDone);
  const std::vector<std::string> args = Lines(argsFile_);
  ASSERT_GT(args.size(), 9u);
  EXPECT_EQ(args[9], "48.000000");
}

TEST_F(LameStub, CancelEndsLameKeepsTheDestinationAndLeavesNothing) {
  InstallLame("sleep 30 &\necho $! > '" + folder_ / "sleep.txt" + "'\n" + Banner() + "printf '( 10%%)'\nwait\n");
  const std::string destination = work_ + "/song.mp3";
  WriteBytes(destination, {'o', 'l', 'd'});
  g_cancelAtPercent = 10;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(EncodeTo(destination), kLunderCancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(Progression(), std::vector<short>{10});
  EXPECT_EQ(Percents().back(), 10);
  EXPECT_TRUE(NoChildProcesses());
  EXPECT_FALSE(ProcessRunning(StubPid()));
  // What LAME started went with it.
  std::ifstream sleepFile(folder_ / "sleep.txt");
  pid_t sleeper = -1;
  sleepFile >> sleeper;
  ASSERT_GT(sleeper, 0);
  for (int i = 0; i < 200 && ProcessRunning(sleeper); ++i) usleep(10000);
  EXPECT_FALSE(ProcessRunning(sleeper));
  EXPECT_EQ(ReadBytes(destination), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(Names(work_), (std::vector<std::string>{"input.pcm", "song.mp3"}));
}

TEST_F(LameStub, CancelEndsEvenALameThatIgnoresTheRequestToStop) {
  InstallLame("trap '' TERM\n" + Banner() + "printf '( 10%%)'\nsleep 30\n");
  g_cancelAtPercent = 10;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(EncodeTo(work_ + "/song.mp3"), kLunderCancelled);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(1500));  // it was given its grace period first
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_TRUE(NoChildProcesses());
  EXPECT_FALSE(ProcessRunning(StubPid()));
  EXPECT_EQ(Names(work_), std::vector<std::string>{"input.pcm"});
}

TEST_F(LameStub, FailedLameIsReportedAndTheDestinationKept) {
  InstallLame("echo 'Could not find \"input.pcm\".' >&2\nexit 255\n");
  const std::string destination = work_ + "/song.mp3";
  WriteBytes(destination, {'o', 'l', 'd'});
  EXPECT_EQ(EncodeTo(destination), kLunderDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "MP3Encoder");
  EXPECT_NE(reports[0].report.message.find("failed with exit code 255"), std::string::npos);
  EXPECT_NE(reports[0].report.message.find("Could not find \"input.pcm\"."), std::string::npos);
  EXPECT_EQ(ReadBytes(destination), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(Names(work_), (std::vector<std::string>{"input.pcm", "song.mp3"}));
  EXPECT_TRUE(NoChildProcesses());
}

TEST_F(LameStub, LameKilledBySignalIsReported) {
  InstallLame("kill -KILL $$\n");
  EXPECT_EQ(EncodeTo(work_ + "/song.mp3"), kLunderDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].report.message.find("ended by signal 9"), std::string::npos);
  EXPECT_EQ(Names(work_), std::vector<std::string>{"input.pcm"});
}

TEST_F(LameStub, MissingLameIsReportedAndNothingChanges) {
  setenv("PATH", (folder_ / "empty").c_str(), 1);
  const std::string destination = work_ + "/song.mp3";
  WriteBytes(destination, {'o', 'l', 'd'});
  EXPECT_EQ(EncodeTo(destination), kLunderDone);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "MP3Encoder");
  EXPECT_EQ(reports[0].report.line, 180);
  EXPECT_NE(reports[0].report.message.find("Could not start the MP3 encoder program \"lame\""), std::string::npos);
  EXPECT_EQ(ReadBytes(destination), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(Names(work_), (std::vector<std::string>{"input.pcm", "song.mp3"}));

  ResetCapture();
  EXPECT_EQ(CLunder().Decode((work_ + "/song.mp3").c_str(), RecordProgress, CaptureDecoded), kLunderDone);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "MP3Decoder");
  EXPECT_EQ(reports[0].report.line, 165);
  EXPECT_TRUE(Capture().blocks.empty());
  EXPECT_TRUE(Names(tmp_).empty());
}

TEST_F(LameStub, EncodeRequestsLameCannotServeAreRefusedBeforeStartingIt) {
  InstallLame("exit 0\n");
  EXPECT_EQ(CLunder().Encode((work_ + "/absent.pcm").c_str(), 128, {44100, 2, 16}, (work_ + "/o.mp3").c_str(),
                             RecordProgress),
            kLunderDone);
  EXPECT_EQ(EncodeTo(work_ + "/o.mp3", {44100, 3, 16}), kLunderDone);
  EXPECT_EQ(EncodeTo(work_ + "/o.mp3", {44100, 2, 24}), kLunderDone);
  EXPECT_EQ(EncodeTo(work_ + "/o.mp3", {44100, 2, 16}, 0), kLunderDone);
  EXPECT_EQ(CLunder().Encode(raw_.c_str(), 128, {44100, 2, 16}, nullptr, RecordProgress), kLunderDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 5u);
  EXPECT_NE(reports[0].report.message.find("could not be read"), std::string::npos);
  EXPECT_NE(reports[1].report.message.find("Cannot encode 3 channel(s)"), std::string::npos);
  EXPECT_FALSE(platform::FileExists(argsFile_));
  EXPECT_EQ(Names(work_), std::vector<std::string>{"input.pcm"});
}

TEST_F(LameStub, DecodeReadsLamesWaveThroughAPipeWhileLameRuns) {
  const std::vector<int16_t> signal = Sine(30000, 2, 5000, 300, 44100);
  WriteBytes(folder_ / "decoded.wav", MakePcmWave({44100, 2, 16}, Pcm16Bytes(signal)));
  // As LAME does with "-": the WAV on its output, its words on its error output.
  InstallLame("printf 'input: x.mp3\\n\\rFrame#  1250/5000    128 kbps  \\rFrame#  5000/5000 ' >&2\n"
              "cat '" + folder_ / "decoded.wav" + "'\n");
  const std::string mp3 = work_ + "/in.mp3";
  WriteBytes(mp3, {1, 2, 3});
  EXPECT_EQ(CLunder().Decode(mp3.c_str(), RecordProgress, CaptureDecoded), kLunderDone);
  EXPECT_EQ(Progression(), (std::vector<short>{25, 100}));
  EXPECT_EQ(Capture().AllSamples16(), signal);
  for (const DecodedBlock& b : Capture().blocks) EXPECT_EQ(b.bytes.size() % 4, 0u) << "whole frames only";
  EXPECT_EQ(Lines(argsFile_), (std::vector<std::string>{"--decode", mp3, "-"}));
  EXPECT_TRUE(Names(tmp_).empty()) << "no temporary file";
  EXPECT_TRUE(NoChildProcesses());
}

TEST_F(LameStub, DecodeOfAStreamTakesTheSizeItsHeaderGivesOrReadsToTheEnd) {
  const std::vector<int16_t> signal = Sine(20000, 1, 5000, 300, 44100);
  const std::vector<uint8_t> whole = MakePcmWave({44100, 1, 16}, Pcm16Bytes(signal));
  auto withSize = [&](uint32_t size, size_t keep, const std::vector<uint8_t>& extra) {
    std::vector<uint8_t> file(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(44 + keep));
    for (int i = 0; i < 4; ++i) file[40 + i] = static_cast<uint8_t>(size >> (8 * i));
    for (uint8_t byte : extra) file.push_back(byte);  // g++ 12 warns falsely on an insert of none
    return file;
  };
  const std::vector<uint8_t> odd = {9};  // half a frame
  struct Case {
    const char* name;
    std::vector<uint8_t> stream;
    size_t samples;  // delivered
  } cases[] = {
      {"open size, as LAME writes it", withSize(0x7FFFFFFF, 40000, {}), 20000},
      {"open size ending in half a frame", withSize(0xFFFFFFFF, 40000, odd), 20000},
      {"a size it keeps to", withSize(30000, 40000, {}), 15000},
  };
  const std::string mp3 = work_ + "/in.mp3";
  WriteBytes(mp3, {1});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(folder_ / "stream.wav", c.stream);
    InstallLame("cat '" + folder_ / "stream.wav" + "'\n");
    ResetCapture();
    EXPECT_EQ(CLunder().Decode(mp3.c_str(), nullptr, CaptureDecoded), kLunderDone);
    const std::vector<int16_t> got = Capture().AllSamples16();
    EXPECT_EQ(got, std::vector<int16_t>(signal.begin(), signal.begin() + static_cast<std::ptrdiff_t>(c.samples)));
    EXPECT_TRUE(Reports().Take().empty());
  }
}

TEST_F(LameStub, DecodeFailureIsReportedWithoutAudio) {
  InstallLame("echo 'Error reading headers in mp3 input file in.mp3.' >&2\nexit 1\n");
  const std::string mp3 = work_ + "/in.mp3";
  WriteBytes(mp3, {1, 2, 3});
  EXPECT_EQ(CLunder().Decode(mp3.c_str(), RecordProgress, CaptureDecoded), kLunderDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "MP3Decoder");
  EXPECT_NE(reports[0].report.message.find("exit code 1"), std::string::npos);
  EXPECT_NE(reports[0].report.message.find("Error reading headers"), std::string::npos);
  EXPECT_TRUE(Capture().blocks.empty());
  EXPECT_TRUE(Names(tmp_).empty());
}

TEST_F(LameStub, DecodeCancelledDuringLameLeavesNothing) {
  InstallLame("printf 'Frame#  1/9 ' >&2\nsleep 30\n");
  g_cancelAtPercent = 11;
  const std::string mp3 = work_ + "/in.mp3";
  WriteBytes(mp3, {1, 2, 3});
  EXPECT_EQ(CLunder().Decode(mp3.c_str(), RecordProgress, CaptureDecoded), kLunderCancelled);
  EXPECT_TRUE(Capture().blocks.empty());
  EXPECT_TRUE(Names(tmp_).empty());
  EXPECT_TRUE(NoChildProcesses());
}

TEST_F(LameStub, DecodeCancelledWhileReadingTheWaveEndsLame) {
  // Longer than the pipes hold, so LAME is still writing when the cancel comes.
  WriteBytes(folder_ / "decoded.wav", MakePcmWave({44100, 2, 16}, Pcm16Bytes(Sine(1000000, 2, 5000, 300, 44100))));
  InstallLame("cat '" + folder_ / "decoded.wav" + "'\nsleep 30\n");
  Capture().cancelAtBlock = 1;
  const std::string mp3 = work_ + "/in.mp3";
  WriteBytes(mp3, {1});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CLunder().Decode(mp3.c_str(), nullptr, CaptureDecoded), kLunderCancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(Capture().blocks.size(), 2u);
  EXPECT_TRUE(NoChildProcesses());
  EXPECT_FALSE(ProcessRunning(StubPid()));
  EXPECT_TRUE(Names(tmp_).empty());
}

TEST_F(LameStub, LameThatWritesNoWaveIsReported) {
  InstallLame("exit 0\n");
  const std::string mp3 = work_ + "/in.mp3";
  WriteBytes(mp3, {1});
  EXPECT_EQ(CLunder().Decode(mp3.c_str(), nullptr, CaptureDecoded), kLunderDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].report.message.find("not a WAV file"), std::string::npos);
  EXPECT_TRUE(Capture().blocks.empty());
  EXPECT_TRUE(Names(tmp_).empty());
}
