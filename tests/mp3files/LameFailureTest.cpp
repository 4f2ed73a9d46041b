// LAME failing in the ways it does on a real desktop: exiting 0 over output it
// could not finish, hanging silently, being handed a FIFO. Nothing it leaves
// half done may reach the user's files or the import.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <ctime>

#include "LameStubFixture.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

// The one report an outcome must give, with the words it must hold.
void ExpectReport(const std::string& title, const std::vector<std::string>& words) {
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, title);
  for (const std::string& w : words) EXPECT_NE(reports[0].report.message.find(w), std::string::npos) << w;
}

bool OnlyZeros(const std::vector<short>& percents) {
  for (short p : percents) {
    if (p != 0) return false;
  }
  return !percents.empty();
}

}  // namespace

TEST_F(LameStub, ExportKeepsTheOldFileWhenLameExitsZeroWithoutAWholeMp3) {
  struct Case {
    const char* name;
    std::string body;
    std::string words;
  };
  const std::vector<Case> cases = {
      // The disk filled while LAME wrote its tag; its frames are there, the end is not.
      {"fatal error",
       WriteMp3Output() + "printf 'Writing LAME Tag...fatal error: can'\"'\"'t update LAME-tag frame!\\n'",
       "reported a fatal error"},
      {"fatal words split between reads", WriteMp3Output() + "printf 'Writing LAME Tag...fat'\nsleep 0.3\n"
       "printf 'al error: can'\"'\"'t update LAME-tag frame!\\n'", "fatal error: can't update"},
      {"nothing written", "exit 0", "wrote no usable MP3 file"},
      {"not an MP3", "for last; do :; done\nprintf 'RIFF....WAVE' > \"$last\"", "wrote no usable MP3 file"},
  };
  const std::string destination = work_ + "/song.mp3";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstallLame(c.body);
    WriteBytes(destination, {'o', 'l', 'd'});
    EXPECT_EQ(EncodeTo(destination), kLunderDone);
    ExpectReport("MP3Encoder", {c.words});
    EXPECT_EQ(ReadBytes(destination), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Names(work_), (std::vector<std::string>{"input.pcm", "song.mp3"}));
  }
}

TEST_F(LameStub, ExportTakesOutputStartingWithATag) {
  InstallLame("for last; do :; done\nprintf 'ID3\\004\\000' > \"$last\"");
  const std::string destination = work_ + "/song.mp3";
  EXPECT_EQ(EncodeTo(destination), kLunderDone);
  EXPECT_EQ(ReadBytes(destination), (std::vector<uint8_t>{'I', 'D', '3', 4, 0}));
}

TEST_F(LameStub, AWaveStreamCutShortOfItsHeaderIsReportedAfterWhatItHeld) {
  // LAME exits 0, but its WAV ends before the length its header gives.
  const std::vector<uint8_t> whole = MakePcmWave({44100, 2, 16}, Pcm16Bytes(Sine(20000, 2, 5000, 300, 44100)));
  const size_t kept = 44 + 16000;
  WriteBytes(folder_ / "decoded.wav", std::vector<uint8_t>(whole.begin(), whole.begin() + kept));
  InstallLame("cat '" + folder_ / "decoded.wav" + "'\n");
  const std::string mp3 = work_ + "/in.mp3";
  WriteBytes(mp3, {1, 2, 3});
  EXPECT_EQ(CLunder().Decode(mp3.c_str(), RecordProgress, CaptureDecoded), kLunderDone);
  // The caller learns of it from the report, after the blocks that came.
  EXPECT_EQ(Capture().AllBytes(), std::vector<uint8_t>(whole.begin() + 44, whole.begin() + kept));
  ExpectReport("MP3Decoder", {"cut short", mp3, "wrote 16000 of the 80000 bytes"});
  EXPECT_TRUE(Names(tmp_).empty());
}

TEST_F(LameStub, SilentLameCanBeCancelled) {
  struct Case {
    const char* name;
    std::string body;
  };
  const std::vector<Case> cases = {
      {"hangs", "sleep 30"},
      {"closes its output, then hangs", "exec >/dev/null 2>&1\nsleep 30"},
  };
  const std::string destination = work_ + "/song.mp3";
  const std::string mp3 = work_ + "/in.mp3";
  WriteBytes(mp3, {1});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstallLame(c.body);
    WriteBytes(destination, {'o', 'l', 'd'});
    g_cancelAtPercent = 0;
    for (bool encode : {true, false}) {
      SCOPED_TRACE(encode ? "encode" : "decode");
      Percents().clear();
      ResetCapture();
      const auto start = std::chrono::steady_clock::now();
      const unsigned int result = encode ? EncodeTo(destination)
                                         : CLunder().Decode(mp3.c_str(), RecordProgress, CaptureDecoded);
      EXPECT_EQ(result, kLunderCancelled);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
      EXPECT_TRUE(OnlyZeros(Percents()));
      EXPECT_TRUE(NoChildProcesses());
      EXPECT_FALSE(ProcessRunning(StubPid()));
      EXPECT_TRUE(Capture().blocks.empty());
    }
    EXPECT_EQ(ReadBytes(destination), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Names(work_), (std::vector<std::string>{"in.mp3", "input.pcm", "song.mp3"}));
    EXPECT_TRUE(Names(tmp_).empty());
  }
}

TEST_F(LameStub, QuietLameHearsTheLastPercentAgain) {
  InstallLame(Banner() + "printf '( 37%%)'\nsleep 1.2\n" + WriteMp3Output());
  EXPECT_EQ(EncodeTo(work_ + "/song.mp3"), kLunderDone);
  EXPECT_EQ(Progression(), std::vector<short>{37});
  // 1.2 s of silence after the record: the percent is heard at least every 250 ms.
  EXPECT_GE(std::count(Percents().begin(), Percents().end(), 37), 3);
}

TEST_F(LameStub, FifoGivenAsAudioIsRefusedBeforeLameStarts) {
  InstallLame(WriteMp3Output());
  const std::string fifo = work_ + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  unsigned int decoded = 0, encoded = 0;
  EXPECT_TRUE(RunsWithoutBlockingOn(fifo, [&] {
    decoded = CLunder().Decode(fifo.c_str(), RecordProgress, CaptureDecoded);
    encoded = CLunder().Encode(fifo.c_str(), 128, {44100, 1, 16}, (work_ + "/song.mp3").c_str(), RecordProgress);
  }));
  EXPECT_EQ(decoded, kLunderDone);
  EXPECT_EQ(encoded, kLunderDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.title, "MP3Decoder");
  EXPECT_EQ(reports[0].report.message, "Failed to open file (" + fifo + ")");
  EXPECT_EQ(reports[1].report.title, "MP3Encoder");
  EXPECT_NE(reports[1].report.message.find("could not be read"), std::string::npos);
  EXPECT_FALSE(platform::FileExists(argsFile_)) << "LAME was started";
  EXPECT_TRUE(Capture().blocks.empty());
}

TEST_F(LameStub, ExportThroughALinkKeepsTheLinkAndThePermissions) {
  InstallLame(WriteMp3Output());
  ASSERT_TRUE(platform::CreateFolder(folder_ / "store"));
  const std::string target = folder_ / "store/song.mp3";
  WriteBytes(target, {'o', 'l', 'd'});
  ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
  const std::string link = work_ + "/song.mp3";
  ASSERT_EQ(::symlink("../store/song.mp3", link.c_str()), 0);
  // What an export killed a while ago left beside the file.
  WriteBytes(folder_ / "store/HelloAbCdE1.mp3", {7});
  const timespec old[2] = {{time(nullptr) - 600, 0}, {time(nullptr) - 600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (folder_ / "store/HelloAbCdE1.mp3").c_str(), old, 0), 0);

  EXPECT_EQ(EncodeTo(link), kLunderDone);
  struct stat info;
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadBytes(target), kMp3Start);
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(Names(folder_ / "store"), std::vector<std::string>{"song.mp3"});
}
