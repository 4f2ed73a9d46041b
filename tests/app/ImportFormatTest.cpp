#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "AudioFixtures.h"
#include "AudioLoop.h"
#include "ImportFixture.h"

namespace tessiro::test {
namespace {

struct Encoding {
  const char* name;
  std::vector<std::string> sox;
  double levelTolerance;    // fraction of the level
  uint32_t paddingFrames;   // source frames a block codec may add at the end
  bool gsmLike = false;
};

const std::vector<Encoding> kEncodings = {
    {"u8", {"-e", "unsigned-integer", "-b", "8"}, 0.02, 0},
    {"s16", {"-e", "signed-integer", "-b", "16"}, 0.01, 0},
    {"s24", {"-e", "signed-integer", "-b", "24"}, 0.01, 0},
    {"s32", {"-e", "signed-integer", "-b", "32"}, 0.01, 0},
    {"f32", {"-e", "floating-point", "-b", "32"}, 0.01, 0},
    {"f64", {"-e", "floating-point", "-b", "64"}, 0.01, 0},
    {"ulaw", {"-e", "mu-law"}, 0.03, 0},
    {"alaw", {"-e", "a-law"}, 0.03, 0},
    {"ima", {"-e", "ima-adpcm"}, 0.1, 2048},
    {"msadpcm", {"-e", "ms-adpcm"}, 0.1, 2048},
    {"gsm", {"-e", "gsm-full-rate"}, 0.3, 2048, true},
};
constexpr uint32_t kRates[] = {8000, 22050, 44100, 48000};
constexpr double kSeconds = 1.5;
constexpr double kHz = 1000.0;
constexpr double kSineRms = 0.5 * 32768.0 / M_SQRT2;

// The gain of a sine at hz through the converter's linear interpolation from
// rate: sinc squared of hz / rate; 1 when nothing is converted.
double Interpolated(double hz, uint32_t rate) {
  if (rate == 44100) return 1.0;
  const double x = M_PI * hz / rate;
  return std::pow(std::sin(x) / x, 2);
}

class ImportFormatTest : public ImportTest {
 protected:
  // Every encoding sox can make at every rate, mono and stereo, into target:
  // 1.5 s of a sine at 44100 Hz, each channel at its frequency and level.
  void ImportEveryFormat(Target target) {
    if (!ProgramAvailable("sox")) GTEST_SKIP() << "sox is not installed";
    int made = 0;
    for (const Encoding& encoding : kEncodings) {
      for (uint32_t rate : kRates) {
        for (uint16_t channels : {1, 2}) {
          const std::string name = std::string(encoding.name) + "_" + std::to_string(rate) + "_" +
                                   std::to_string(channels) + ".wav";
          const std::string path = SoxSine(name, rate, channels, kSeconds, kHz, encoding.sox);
          // GSM is mono only (sox writes stereo GSM that no reader takes as such).
          if (path.empty() || (encoding.gsmLike && channels == 2)) continue;
          ++made;
          SCOPED_TRACE(name);
          uint16_t got = 0;
          const std::vector<int16_t> samples = ImportSamples(target, path, &got);
          ASSERT_EQ(got, channels);
          const size_t frames = samples.size() / channels;
          const size_t expected = static_cast<size_t>(std::lround(kSeconds * 44100));
          // The exact length, beyond it only what a block codec pads.
          if (encoding.paddingFrames == 0) {
            EXPECT_EQ(frames, expected);
          } else {
            EXPECT_GE(frames, expected);
            EXPECT_LE(frames, expected + encoding.paddingFrames * 44100 / rate + 44100 / rate + 1);
          }
          for (int c = 0; c < channels; ++c) {
            const double hz = kHz * (1 + c / 2.0);
            EXPECT_NEAR(FrequencyOf(samples, channels, c, frames / 10, frames * 7 / 10, hz), hz, hz * 0.01);
            EXPECT_NEAR(RmsOf(samples, channels, c, frames / 10, frames * 7 / 10), kSineRms * Interpolated(hz, rate),
                        kSineRms * encoding.levelTolerance);
          }
          // The bank holds 32 loops; the next file needs room.
          if (target == Target::LoopBank) app->loopBank.RemoveLoop(app->undoList.GetCurrent()->newLoop->GetIdentifier());
        }
      }
    }
    EXPECT_GE(made, 82);
  }
};

TEST_F(ImportFormatTest, EveryWaveFormatAtEveryRateComesOntoATrackAt44100Hz) { ImportEveryFormat(Target::Track); }
TEST_F(ImportFormatTest, EveryWaveFormatAtEveryRateComesIntoTheEditorAt44100Hz) { ImportEveryFormat(Target::Editor); }
TEST_F(ImportFormatTest, EveryWaveFormatAtEveryRateComesIntoTheLoopBankAt44100Hz) {
  ImportEveryFormat(Target::LoopBank);
}

TEST_F(ImportFormatTest, A44100Hz16BitFileArrivesBitExactInEveryTarget) {
  for (uint16_t channels : {1, 2}) {
    const std::vector<int16_t> source = Staircase(50000, channels, 65536);
    const std::string path = WriteWave("exact" + std::to_string(channels) + ".wav", 44100, channels, source);
    for (Target target : {Target::Track, Target::Editor, Target::LoopBank}) {
      EXPECT_EQ(ImportSamples(target, path), source);
    }
  }
}

TEST_F(ImportFormatTest, AConvertedFileKeepsItsLengthToTheFrameAndItsLastFrames) {
  // A ramp, which linear interpolation keeps: every frame, the last ones too, lies on it.
  struct Case {
    uint32_t rate;
    uint32_t frames;
    uint16_t channels;
  } cases[] = {{8000, 12001, 1},  {11025, 33077, 2}, {16000, 16003, 1},  {22050, 22051, 2},  {32000, 64001, 1},
               {37800, 37811, 2}, {48000, 48001, 2}, {48000, 95999, 1}, {50000, 100003, 1}, {88200, 88201, 2},
               {96000, 96007, 1}, {176400, 176399, 2}, {192000, 200001, 1}, {384000, 384011, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.frames) + " frames");
    std::vector<int16_t> ramp;
    auto at = [&](double t) { return -16000.0 + 32000.0 * std::min(t, c.frames - 1.0) / (c.frames - 1); };
    for (uint32_t f = 0; f < c.frames; ++f) {
      for (uint16_t ch = 0; ch < c.channels; ++ch) ramp.push_back(static_cast<int16_t>(std::lround(at(f))));
    }
    const std::vector<int16_t> samples =
        ImportSamples(Target::Editor, WriteWave("ramp.wav", c.rate, c.channels, ramp));
    // As sox makes it: the frames times 44100 over the rate, rounded.
    const uint64_t expected = (uint64_t{c.frames} * 44100 * 2 + c.rate) / (2 * c.rate);
    ASSERT_EQ(samples.size() / c.channels, expected);
    const double step = static_cast<double>(c.rate) / 44100;
    int worst = 0;
    for (size_t k = 0; k < expected; ++k) {
      const int off = std::abs(samples[k * c.channels] - static_cast<int>(std::lround(at(k * step))));
      worst = std::max(worst, off);
    }
    EXPECT_LE(worst, 2);
  }
}

TEST_F(ImportFormatTest, MoreThanTwoChannelsComeInAsTheFirstTwo) {
  if (!ProgramAvailable("sox")) GTEST_SKIP() << "sox is not installed";
  const std::string path = SoxSine("quad.wav", 48000, 4, kSeconds, kHz, {"-b", "16"});
  ASSERT_FALSE(path.empty());
  uint16_t channels = 0;
  const std::vector<int16_t> samples = ImportSamples(Target::Editor, path, &channels);
  ASSERT_EQ(channels, 2);
  const size_t frames = samples.size() / 2;
  EXPECT_NEAR(FrequencyOf(samples, 2, 0, 0, frames, kHz), kHz, kHz * 0.01);
  EXPECT_NEAR(FrequencyOf(samples, 2, 1, 0, frames, kHz * 1.5), kHz * 1.5, kHz * 0.01);
}

TEST_F(ImportFormatTest, AnMp3MadeByLameImports) {
  if (!ProgramAvailable("lame")) GTEST_SKIP() << "lame is not installed";
  const std::string wave = WriteWave("tone.wav", 44100, 2, Sine(66150, 2, 16384, kHz, 44100));
  const std::string mp3 = audio / "tone.mp3";
  ASSERT_EQ(RunProgram({"lame", "--quiet", "-b", "192", wave, mp3}), 0);
  uint16_t channels = 0;
  const std::vector<int16_t> samples = ImportSamples(Target::Editor, mp3, &channels);
  ASSERT_EQ(channels, 2);
  const size_t frames = samples.size() / 2;
  EXPECT_NEAR(static_cast<double>(frames), 66150.0, 2 * 1152.0);
  EXPECT_NEAR(FrequencyOf(samples, 2, 0, frames / 10, frames * 7 / 10, kHz), kHz, kHz * 0.01);
  EXPECT_NEAR(RmsOf(samples, 2, 1, frames / 10, frames * 7 / 10), 16384 / M_SQRT2, 16384 * 0.05);
  EXPECT_EQ(app->GetEditorSegment()->sourceName, mp3);
}

}  // namespace
}  // namespace tessiro::test
