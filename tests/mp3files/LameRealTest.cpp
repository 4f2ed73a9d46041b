// Round trips through the real LAME program (skipped where it is not installed):
// the length stays within LAME's padding and the signal survives.
#include <gtest/gtest.h>

#include <chrono>

#include "AudioFixtures.h"
#include "Folders.h"
#include "Lunder.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using namespace tessiro::test;

namespace {

std::vector<short>& Percents() {
  static std::vector<short> percents;
  return percents;
}
bool g_cancelAtFirst = false;

void RecordProgress(short percent, int* cancel) {
  Percents().push_back(percent);
  *cancel = g_cancelAtFirst ? 1 : 0;
}

class LameReal : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ProgramAvailable("lame")) GTEST_SKIP() << "lame is not installed";
    Percents().clear();
    g_cancelAtFirst = false;
    ResetCapture();
  }

  // Encodes the raw bytes to MP3 and decodes that again; returns the decoded samples.
  std::vector<int16_t> RoundTrip(const std::vector<uint8_t>& raw, AudioQuality format, short kbps) {
    WriteBytes(folder_ / "in.pcm", raw);
    EXPECT_EQ(CLunder().Encode((folder_ / "in.pcm").c_str(), kbps, format, (folder_ / "out.mp3").c_str(),
                               RecordProgress),
              kLunderDone);
    EXPECT_GT(ReadBytes(folder_ / "out.mp3").size(), 1000u);
    ResetCapture();
    Percents().clear();
    EXPECT_EQ(CLunder().Decode((folder_ / "out.mp3").c_str(), RecordProgress, CaptureDecoded), kLunderDone);
    for (const DecodedBlock& b : Capture().blocks) {
      EXPECT_EQ(b.format.bitsPerSample, 16);
      EXPECT_EQ(b.format.channels, format.channels);
    }
    return Capture().AllSamples16();
  }

  CTempFolder folder_;
};

// One MPEG frame: the most LAME adds at the end.
constexpr size_t kFrameSamples = 1152;

}  // namespace

TEST_F(LameReal, MonoSineSurvivesARoundTrip) {
  const size_t frames = 3 * 44100;
  const std::vector<int16_t> source = Sine(frames, 1, 10000, 440, 44100);
  const std::vector<int16_t> decoded = RoundTrip(Pcm16Bytes(source), {44100, 1, 16}, 128);
  EXPECT_GE(decoded.size(), frames);
  EXPECT_LE(decoded.size(), frames + kFrameSamples);
  EXPECT_GT(Correlation(Channel(source, 1, 0), Channel(decoded, 1, 0, 0, frames)), 0.99);
  // LAME's own progress reached the end.
  ASSERT_FALSE(Percents().empty());
  EXPECT_GE(Percents().back(), 95);
}

TEST_F(LameReal, StereoKeepsItsChannelsApart) {
  const size_t frames = 2 * 44100;
  // Left 440 Hz, right 660 Hz: a swap or a byte-order mistake would wreck the correlation.
  const std::vector<int16_t> source = Sine(frames, 2, 12000, 440, 44100);
  const std::vector<int16_t> decoded = RoundTrip(Pcm16Bytes(source), {44100, 2, 16}, 192);
  EXPECT_GE(decoded.size() / 2, frames);
  EXPECT_LE(decoded.size() / 2, frames + kFrameSamples);
  EXPECT_GT(Correlation(Channel(source, 2, 0), Channel(decoded, 2, 0, 0, frames)), 0.99);
  EXPECT_GT(Correlation(Channel(source, 2, 1), Channel(decoded, 2, 1, 0, frames)), 0.99);
}

TEST_F(LameReal, EightBitUnsignedInputIsNotTakenAsSigned) {
  const size_t frames = 2 * 22050;
  const std::vector<int16_t> sine = Sine(frames, 1, 100, 300, 22050);
  std::vector<uint8_t> raw;
  for (int16_t s : sine) raw.push_back(static_cast<uint8_t>(128 + s));
  const std::vector<int16_t> decoded = RoundTrip(raw, {22050, 1, 8}, 64);
  EXPECT_GE(decoded.size(), frames);
  EXPECT_LE(decoded.size(), frames + kFrameSamples);
  EXPECT_GT(Correlation(Channel(sine, 1, 0), Channel(decoded, 1, 0, 0, frames)), 0.99);
  // 8-bit full scale 100/128 comes back near 100 * 256 in 16 bits, not as noise.
  int16_t peak = 0;
  for (int16_t s : decoded) peak = std::max(peak, s);
  EXPECT_NEAR(peak, 25600, 2500);
}

TEST_F(LameReal, CancelMidEncodeLeavesNoProcessAndNoFile) {
  // A minute of stereo: long enough that LAME is still running at its first progress.
  WriteBytes(folder_ / "long.pcm", Pcm16Bytes(Sine(60 * 44100, 2, 8000, 440, 44100)));
  const std::string destination = folder_ / "keep.mp3";
  WriteBytes(destination, {'o', 'l', 'd'});
  g_cancelAtFirst = true;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CLunder().Encode((folder_ / "long.pcm").c_str(), 128, {44100, 2, 16}, destination.c_str(),
                             RecordProgress),
            kLunderCancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(Percents().size(), 1u);
  EXPECT_TRUE(NoChildProcesses());
  EXPECT_EQ(ReadBytes(destination), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(platform::ListFolder(folder_.Path()), (std::vector<std::string>{"keep.mp3", "long.pcm"}));
}

TEST_F(LameReal, GarbageMp3IsReportedNotDecoded) {
  std::vector<uint8_t> garbage(5000);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 31 + 7);
  WriteBytes(folder_ / "bad.mp3", garbage);
  EXPECT_EQ(CLunder().Decode((folder_ / "bad.mp3").c_str(), RecordProgress, CaptureDecoded), kLunderDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "MP3Decoder");
  EXPECT_TRUE(Capture().blocks.empty());
  EXPECT_TRUE(NoChildProcesses());
}
