// Encoding: the canonical header with its fields worked out by hand, bit-exact
// round trips through our reader and through sox, and a destination that is
// never touched until the new file is complete.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "AudioFixtures.h"
#include "Folders.h"
#include "Ombrel.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using namespace tessiro::test;

namespace {

// What the encode callback hands out: a source of bytes in pieces of varying
// size, and the hooks the tests need (cancel, a look at the destination).
struct Feed {
  std::vector<uint8_t> bytes;
  size_t position = 0;
  std::vector<size_t> pieceSizes = {70000};  // cycled
  size_t calls = 0;
  int cancelAtCall = -1;
  uint32_t overclaim = 0;  // claim this many bytes more than the capacity
  std::string watchPath;   // read at every call
  std::vector<std::vector<uint8_t>> watched;
};

Feed& TheFeed() {
  static Feed feed;
  return feed;
}

void FeedCallback(unsigned char* buffer, OmbrelByteCount capacity, OmbrelByteCount* got, int* cancel) {
  Feed& f = TheFeed();
  const size_t call = f.calls++;
  if (!f.watchPath.empty()) f.watched.push_back(ReadBytes(f.watchPath));
  *cancel = static_cast<int>(call) == f.cancelAtCall ? 1 : 0;
  if (f.overclaim) {
    *got = capacity + f.overclaim;
    return;
  }
  const size_t want = std::min<size_t>(f.pieceSizes[call % f.pieceSizes.size()], capacity);
  const size_t n = std::min(want, f.bytes.size() - f.position);
  if (n > 0) std::memcpy(buffer, f.bytes.data() + f.position, n);
  f.position += n;
  *got = static_cast<OmbrelByteCount>(n);
}

uint32_t Le32At(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t Le16At(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

class WaveEncode : public ::testing::Test {
 protected:
  void SetUp() override {
    TheFeed() = Feed{};
    ResetCapture();
  }

  unsigned int Encode(AudioQuality format, const std::vector<uint8_t>& bytes) {
    TheFeed().bytes = bytes;
    TheFeed().position = 0;
    TheFeed().calls = 0;
    return COmbrel().Encode(path_.c_str(), format, FeedCallback);
  }

  // The names in the folder other than the ones a test made itself.
  std::vector<std::string> Leftovers(const std::vector<std::string>& expected) {
    std::vector<std::string> left;
    for (const std::string& name : platform::ListFolder(folder_.Path())) {
      if (std::find(expected.begin(), expected.end(), name) == expected.end()) left.push_back(name);
    }
    return left;
  }

  CTempFolder folder_;
  std::string path_ = folder_ / "out.wav";
};

// A staircase through every boundary value: -32768, -1, 0, 1, 32767 and all between in steps.
std::vector<int16_t> Staircase(size_t count) {
  std::vector<int16_t> s = {-32768, -1, 0, 1, 32767};
  for (size_t i = 0; s.size() < count; ++i) s.push_back(static_cast<int16_t>(i * 37 - 32768));
  return s;
}

}  // namespace

TEST_F(WaveEncode, NothingToWriteGivesAHeaderOnlyFile) {
  ASSERT_EQ(Encode({44100, 2, 16}, {}), kOmbrelDone);
  const std::vector<uint8_t> file = ReadBytes(path_);
  ASSERT_EQ(file.size(), 44u);
  EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
  EXPECT_EQ(Le32At(file, 4), 36u);
  EXPECT_EQ(std::memcmp(file.data() + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(Le32At(file, 40), 0u);
}

TEST_F(WaveEncode, OneSecondOfStereoGivesTheCanonicalHeader) {
  ASSERT_EQ(Encode({44100, 2, 16}, std::vector<uint8_t>(176400, 0x5A)), kOmbrelDone);
  const std::vector<uint8_t> file = ReadBytes(path_);
  ASSERT_EQ(file.size(), 176444u);
  EXPECT_EQ(Le32At(file, 4), 176436u);
  EXPECT_EQ(Le32At(file, 16), 16u);
  EXPECT_EQ(Le16At(file, 20), 1);
  EXPECT_EQ(Le16At(file, 22), 2);
  EXPECT_EQ(Le32At(file, 24), 44100u);
  EXPECT_EQ(Le32At(file, 28), 176400u);
  EXPECT_EQ(Le16At(file, 32), 4);
  EXPECT_EQ(Le16At(file, 34), 16);
  EXPECT_EQ(std::memcmp(file.data() + 36, "data", 4), 0);
  EXPECT_EQ(Le32At(file, 40), 176400u);
  // The transfer pieces are appended in order.
  EXPECT_TRUE(std::all_of(file.begin() + 44, file.end(), [](uint8_t b) { return b == 0x5A; }));
}

TEST_F(WaveEncode, KnownSignalReadsBackBitExact) {
  struct Case {
    AudioQuality format;
    std::vector<size_t> pieces;
  } cases[] = {{{44100, 1, 16}, {1, 64, 257, 8192, 65536}},
               {{48000, 2, 16}, {131072}},
               {{22050, 2, 16}, {4, 1000, 3}}};
  for (const Case& c : cases) {
    TheFeed() = Feed{};
    TheFeed().pieceSizes = c.pieces;
    const std::vector<int16_t> signal = Staircase(100003 * c.format.channels);
    ASSERT_EQ(Encode(c.format, Pcm16Bytes(signal)), kOmbrelDone);
    ResetCapture();
    ASSERT_EQ(COmbrel().Decode(path_.c_str(), CaptureDecoded), kOmbrelDone);
    EXPECT_EQ(Capture().AllSamples16(), signal);
    EXPECT_EQ(Capture().blocks[0].format.channels, c.format.channels);
    EXPECT_EQ(Capture().blocks[0].format.samplesPerSecond, c.format.samplesPerSecond);
  }
}

TEST_F(WaveEncode, EightBitOddLengthIsPaddedAndReadsBack) {
  std::vector<uint8_t> bytes(1001);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
  ASSERT_EQ(Encode({11025, 1, 8}, bytes), kOmbrelDone);
  const std::vector<uint8_t> file = ReadBytes(path_);
  ASSERT_EQ(file.size(), 44u + 1001 + 1);  // the pad byte a RIFF chunk of odd length takes
  EXPECT_EQ(Le32At(file, 4), file.size() - 8);
  EXPECT_EQ(Le32At(file, 40), 1001u);
  EXPECT_EQ(Le32At(file, 28), 11025u);
  EXPECT_EQ(Le16At(file, 32), 1);
  ASSERT_EQ(COmbrel().Decode(path_.c_str(), CaptureDecoded), kOmbrelDone);
  EXPECT_EQ(Capture().AllBytes(), bytes);
}

TEST_F(WaveEncode, SoxReadsOurFilesBackBitExact) {
  if (!ProgramAvailable("sox")) GTEST_SKIP() << "sox is not installed";
  const std::vector<int16_t> signal = Staircase(2 * 44100);
  ASSERT_EQ(Encode({44100, 2, 16}, Pcm16Bytes(signal)), kOmbrelDone);
  ASSERT_EQ(RunProgram({"sox", path_, "-t", "raw", folder_ / "back.raw"}), 0);
  EXPECT_EQ(ReadBytes(folder_ / "back.raw"), Pcm16Bytes(signal));

  std::vector<uint8_t> eight(777);
  for (size_t i = 0; i < eight.size(); ++i) eight[i] = static_cast<uint8_t>(i * 3);
  ASSERT_EQ(Encode({8000, 1, 8}, eight), kOmbrelDone);
  ASSERT_EQ(RunProgram({"sox", path_, "-t", "raw", folder_ / "back8.raw"}), 0);
  EXPECT_EQ(ReadBytes(folder_ / "back8.raw"), eight);
}

TEST_F(WaveEncode, DestinationStaysUntilTheNewFileIsComplete) {
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  WriteBytes(path_, old);
  TheFeed().watchPath = path_;
  TheFeed().pieceSizes = {10000};
  ASSERT_EQ(Encode({44100, 1, 16}, std::vector<uint8_t>(50000, 3)), kOmbrelDone);
  // While the audio was still coming, the old file was there, whole.
  ASSERT_EQ(TheFeed().watched.size(), 6u);
  for (const auto& seen : TheFeed().watched) EXPECT_EQ(seen, old);
  EXPECT_EQ(ReadBytes(path_).size(), 50044u);
  EXPECT_TRUE(Leftovers({"out.wav"}).empty());
}

TEST_F(WaveEncode, CancelKeepsTheOldFileAndLeavesNothingBehind) {
  WriteBytes(path_, {'k', 'e', 'e', 'p'});
  TheFeed().cancelAtCall = 2;
  EXPECT_EQ(Encode({44100, 2, 16}, std::vector<uint8_t>(500000, 1)), kOmbrelCancelled);
  EXPECT_EQ(ReadBytes(path_), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  EXPECT_TRUE(Leftovers({"out.wav"}).empty());

  // Cancelled before there was any destination: none appears.
  TheFeed() = Feed{};
  TheFeed().cancelAtCall = 0;
  const std::string fresh = folder_ / "fresh.wav";
  TheFeed().bytes = std::vector<uint8_t>(10, 1);
  EXPECT_EQ(COmbrel().Encode(fresh.c_str(), {44100, 2, 16}, FeedCallback), kOmbrelCancelled);
  EXPECT_FALSE(platform::FileExists(fresh));
  EXPECT_TRUE(Leftovers({"out.wav"}).empty());
}

TEST_F(WaveEncode, SourceClaimingMoreThanItsBufferIsRefused) {
  WriteBytes(path_, {'o', 'l', 'd'});
  TheFeed().overclaim = 1;
  EXPECT_EQ(Encode({44100, 2, 16}, {}), kOmbrelDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "WaveEncoder");
  EXPECT_NE(reports[0].report.message.find("more bytes than its buffer holds"), std::string::npos);
  EXPECT_EQ(ReadBytes(path_), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_TRUE(Leftovers({"out.wav"}).empty());
}

TEST_F(WaveEncode, UnwritablePlacesAndBadRequestsAreReported) {
  const std::string nowhere = folder_ / "no/such/folder/out.wav";
  TheFeed().bytes = std::vector<uint8_t>(100, 1);
  EXPECT_EQ(COmbrel().Encode(nowhere.c_str(), {44100, 2, 16}, FeedCallback), kOmbrelDone);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "WaveEncoder");
  EXPECT_EQ(reports[0].report.line, 138);
  EXPECT_EQ(TheFeed().calls, 0u);

  EXPECT_EQ(COmbrel().Encode(path_.c_str(), {44100, 2, 16}, nullptr), kOmbrelDone);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 165);

  EXPECT_EQ(COmbrel().Encode(path_.c_str(), {44100, 0, 16}, FeedCallback), kOmbrelDone);
  EXPECT_EQ(COmbrel().Encode(path_.c_str(), {44100, 2, 12}, FeedCallback), kOmbrelDone);
  EXPECT_EQ(COmbrel().Encode(path_.c_str(), {0, 2, 16}, FeedCallback), kOmbrelDone);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 3u);
  for (const auto& r : reports) EXPECT_NE(r.report.message.find("Cannot write a WAV file"), std::string::npos);
  EXPECT_FALSE(platform::FileExists(path_));
  EXPECT_TRUE(Leftovers({}).empty());
}

TEST_F(WaveEncode, NewFileGetsTheUsualPermissions) {
  const mode_t before = ::umask(022);
  ASSERT_EQ(Encode({44100, 1, 16}, std::vector<uint8_t>(10, 0)), kOmbrelDone);
  ::umask(before);
  struct stat info;
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}
