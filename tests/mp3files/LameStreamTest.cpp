// Encoding audio that streams through LAME's input as it is made, against
// stand-ins for LAME: what LAME reads, and every way the stream can end short
// (LAME failing or going part way, LAME missing, a cancel on either side).
#include <sys/resource.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>

#include "LameStubFixture.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

// The audio the pull callback hands out, in pieces as large as LAME's pipe
// takes; it cancels in its call number cancelAtCall (0-based).
struct Pulled {
  std::vector<uint8_t> audio;
  size_t at = 0;
  int calls = 0;
  int cancelAtCall = -1;
  std::string probeNice;  // a process whose scheduling priority the last call reads
  int niceSeen = -100;
};
constexpr int kNoCancel = 1000;  // a percent never given

Pulled& Pull() {
  static Pulled pulled;
  return pulled;
}

int NiceOf(const std::string& pidFile) {
  std::ifstream pidIn(pidFile);
  int pid = 0;
  pidIn >> pid;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return -100;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  // After the name: state is field 3 of the record; nice is field 19.
  for (int i = 3; i <= 19 && fields >> field; ++i) {
  }
  return std::stoi(field);
}

void PullAudio(unsigned char* buffer, OmbrelByteCount capacity, OmbrelByteCount* got, int* cancel) {
  Pulled& p = Pull();
  *got = 0;
  *cancel = p.calls++ == p.cancelAtCall ? 1 : 0;
  if (*cancel) return;
  const size_t n = std::min<size_t>(capacity, p.audio.size() - p.at);
  std::memcpy(buffer, p.audio.data() + p.at, n);
  p.at += n;
  *got = static_cast<OmbrelByteCount>(n);
  if (n == 0 && !p.probeNice.empty()) p.niceSeen = NiceOf(p.probeNice);
}

class LameStream : public LameStub {
 protected:
  void SetUp() override {
    LameStub::SetUp();
    // The fixture's "never" is -1, which is what a stream's progress hears.
    g_cancelAtPercent = kNoCancel;
    Pull() = Pulled{};
    // Four times what LAME's pipe holds: a LAME that stops reading is found out.
    Pull().audio = Pcm16Bytes(Sine(1 << 20, 2, 8000, 440, 44100));
    WriteBytes(destination_, {'o', 'l', 'd'});
  }
  // Every count back to the start, the same audio.
  static void Restart() {
    std::vector<uint8_t> audio = std::move(Pull().audio);
    Pull() = Pulled{};
    Pull().audio = std::move(audio);
  }
  unsigned int Stream(LunderPriority priority = LunderPriority::Normal) {
    return CLunder().EncodeStream(PullAudio, 128, {44100, 2, 16}, destination_.c_str(), RecordProgress, priority);
  }
  void ExpectNothingChanged() {
    EXPECT_EQ(ReadBytes(destination_), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Names(work_), (std::vector<std::string>{"input.pcm", "song.mp3"}));
    EXPECT_TRUE(NoChildProcesses());
  }

  std::string destination_ = work_ + "/song.mp3";
  std::string received_ = folder_ / "received.raw";
};

}  // namespace

TEST_F(LameStream, LameReadsTheAudioThroughItsInputAndItsMp3ReplacesTheDestination) {
  InstallLame("cat > '" + received_ + "'\n" + WriteMp3Output());
  ASSERT_EQ(Stream(), kLunderDone);
  const std::vector<std::string> args = Lines(argsFile_);
  ASSERT_EQ(args.size(), 16u);
  EXPECT_EQ(args[13], "s");
  EXPECT_EQ(args[14], "-") << "LAME reads its input";
  EXPECT_EQ(platform::FolderOfPath(args[15]), work_);
  EXPECT_EQ(ReadBytes(received_), Pull().audio);
  EXPECT_EQ(ReadBytes(destination_), kMp3Start);
  EXPECT_EQ(Names(work_), (std::vector<std::string>{"input.pcm", "song.mp3"}));
  // LAME cannot know a stream's length: it gives no percent of its own.
  for (short p : Percents()) EXPECT_EQ(p, kLunderNoPercent);
  EXPECT_TRUE(NoChildProcesses());
  EXPECT_TRUE(Reports().Take().empty());
}

TEST_F(LameStream, LameEndingPartWayKeepsTheDestinationAndSaysWhy) {
  const std::string readSome = "head -c 100000 > /dev/null\n";
  struct Case {
    const char* name;
    std::string body;  // "": LAME is not installed
    std::string words;
  } cases[] = {
      {"fails", readSome + "echo 'Error writing to output' >&2\nexit 3", "failed with exit code 3"},
      {"killed", readSome + "kill -KILL $$", "ended by signal 9"},
      {"stops reading, exits 0", readSome + WriteMp3Output(), "stopped reading the audio before its end"},
      {"never reads, exits 0", WriteMp3Output(), "stopped reading the audio before its end"},
      {"missing", "", "Could not start the MP3 encoder program"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    setenv("PATH", c.body.empty() ? (folder_ / "empty").c_str() : (bin_ + ":" + oldPath_).c_str(), 1);
    if (!c.body.empty()) InstallLame(c.body);
    EXPECT_EQ(Stream(), kLunderDone);
    const auto reports = Reports().Take();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].report.title, "MP3Encoder");
    EXPECT_NE(reports[0].report.message.find(c.words), std::string::npos) << reports[0].report.message;
    if (c.body.empty()) {
      EXPECT_EQ(Pull().calls, 0) << "no audio made for a LAME that is not there";
    }
    ExpectNothingChanged();
  }
}

TEST_F(LameStream, ACancelOnEitherSideEndsLameAndKeepsTheDestination) {
  struct Case {
    const char* name;
    std::string body;
    int cancelAtCall;     // of the audio's callback
    int cancelAtPercent;  // of the progress callback
  } cases[] = {
      {"from the audio", "cat > /dev/null\n" + WriteMp3Output(), 2, kNoCancel},
      // LAME takes nothing: the pipe fills, and only the progress callback is heard.
      {"while LAME hangs", "sleep 30", -1, kLunderNoPercent},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    Pull().cancelAtCall = c.cancelAtCall;
    g_cancelAtPercent = c.cancelAtPercent;
    InstallLame(c.body);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Stream(), kLunderCancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    if (c.cancelAtCall >= 0) {
      EXPECT_EQ(Pull().calls, c.cancelAtCall + 1) << "no audio asked for after the cancel";
    }
    EXPECT_FALSE(ProcessRunning(StubPid()));
    EXPECT_TRUE(Reports().Take().empty());
    ExpectNothingChanged();
  }
}

TEST_F(LameStream, LameRunsAtTheLowestPriorityOnlyWhenAskedTo) {
  const struct {
    LunderPriority priority;
    int nice;
  } cases[] = {{LunderPriority::Lowest, 19}, {LunderPriority::Normal, ::getpriority(PRIO_PROCESS, 0)}};
  for (const auto& c : cases) {
    Restart();
    Pull().probeNice = pidFile_;
    InstallLame("cat > /dev/null\n" + WriteMp3Output());
    ASSERT_EQ(Stream(c.priority), kLunderDone);
    EXPECT_EQ(Pull().niceSeen, c.nice);
  }
}
