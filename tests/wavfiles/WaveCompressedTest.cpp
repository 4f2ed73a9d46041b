// Compressed and wide WAV formats made by other writers: libsndfile's (always
// there, as the converter's own library) and sox (where installed), whose own
// decoding of the same file is the reference.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>
#include <string>

#include "AudioFixtures.h"
#include "Ombrel.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using namespace tessiro::test;

namespace {

std::vector<int16_t> DecodeFile(const std::string& path, AudioQuality* format) {
  ResetCapture();
  EXPECT_EQ(COmbrel().Decode(path.c_str(), CaptureDecoded), kOmbrelDone);
  if (!Capture().blocks.empty()) *format = Capture().blocks[0].format;
  for (const DecodedBlock& b : Capture().blocks) {
    EXPECT_EQ(b.format.bitsPerSample, 16);
    EXPECT_EQ(b.format.channels, format->channels);
  }
  return Capture().AllSamples16();
}

// Writes 16-bit samples through libsndfile in the given WAV sub-format.
bool WriteWithSndfile(const std::string& path, int format, int channels, int rate, const std::vector<int16_t>& s) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  const sf_count_t frames = static_cast<sf_count_t>(s.size()) / channels;
  const bool ok = sf_writef_short(file, s.data(), frames) == frames;
  sf_close(file);
  return ok;
}

struct Lossy {
  const char* name;
  int format;
  int rate;
  int channels;
  double minCorrelation;
  size_t maxExtraFrames;  // a codec block's worth of padding at the end
};

}  // namespace

TEST(WaveCompressed, AdpcmAndGsmFilesDecodeCloseToTheirSource) {
  const Lossy cases[] = {
      {"IMA ADPCM", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 44100, 2, 0.999, 2048},
      {"MS ADPCM", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 22050, 1, 0.999, 2048},
      {"GSM 6.10", SF_FORMAT_WAV | SF_FORMAT_GSM610, 8000, 1, 0.99, 640},
  };
  CTempFolder folder;
  for (const Lossy& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t frames = static_cast<size_t>(c.rate) * 2 + 123;
    const std::vector<int16_t> source = Sine(frames, c.channels, 12000, 300, c.rate);
    const std::string path = folder / "lossy.wav";
    ASSERT_TRUE(WriteWithSndfile(path, c.format, c.channels, c.rate, source));
    AudioQuality format;
    const std::vector<int16_t> decoded = DecodeFile(path, &format);
    EXPECT_EQ(format.channels, c.channels);
    EXPECT_EQ(format.samplesPerSecond, static_cast<uint32_t>(c.rate));
    const size_t decodedFrames = decoded.size() / static_cast<size_t>(c.channels);
    EXPECT_GE(decodedFrames, frames);
    EXPECT_LE(decodedFrames, frames + c.maxExtraFrames);
    for (int ch = 0; ch < c.channels; ++ch) {
      EXPECT_GT(Correlation(Channel(source, c.channels, ch), Channel(decoded, c.channels, ch, 0, frames)),
                c.minCorrelation);
    }
  }
}

class WaveFromSox : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ProgramAvailable("sox")) GTEST_SKIP() << "sox is not installed";
  }

  // Converts our source file with sox (arguments before the output name, effects
  // after it), then has sox decode its own file to 16-bit without dither as the
  // reference, keeping the first two channels of a wider file.
  void Compare(const std::vector<std::string>& encoding, int channels, int rate, int tolerance,
               const std::vector<std::string>& effects = {}, int madeChannels = 0) {
    const std::vector<int16_t> source = Sine(static_cast<size_t>(rate) + 777, channels, 20000, 440, rate);
    WriteBytes(folder_ / "source.wav",
               MakePcmWave({static_cast<uint32_t>(rate), static_cast<uint16_t>(channels), 16}, Pcm16Bytes(source)));
    std::vector<std::string> make = {"sox", "-D", folder_ / "source.wav"};
    make.insert(make.end(), encoding.begin(), encoding.end());
    make.push_back(folder_ / "made.wav");
    make.insert(make.end(), effects.begin(), effects.end());
    ASSERT_EQ(RunProgram(make), 0);
    std::vector<std::string> reference16 = {"sox", "-D", folder_ / "made.wav", "-t", "raw", "-e", "signed-integer",
                                            "-b", "16", folder_ / "reference.raw"};
    if (madeChannels > 2) reference16.insert(reference16.end(), {"remix", "1", "2"});
    ASSERT_EQ(RunProgram(reference16), 0);
    const std::vector<uint8_t> raw = ReadBytes(folder_ / "reference.raw");
    std::vector<int16_t> reference(raw.size() / 2);
    for (size_t i = 0; i < reference.size(); ++i) {
      reference[i] = static_cast<int16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    }
    AudioQuality format;
    const std::vector<int16_t> decoded = DecodeFile(folder_ / "made.wav", &format);
    ASSERT_EQ(format.channels, channels);
    EXPECT_EQ(format.samplesPerSecond, static_cast<uint32_t>(rate));
    // sox stops at the sample count it wrote; block codecs may add a block's padding.
    ASSERT_GE(decoded.size(), reference.size());
    ASSERT_LE(decoded.size(), reference.size() + 2048u * static_cast<size_t>(channels));
    int worst = 0;
    for (size_t i = 0; i < reference.size(); ++i) worst = std::max(worst, std::abs(decoded[i] - reference[i]));
    EXPECT_LE(worst, tolerance);
  }

  CTempFolder folder_;
};

struct SoxCase {
  const char* name;
  std::vector<std::string> encoding;
  int channels;
  int rate;
  int tolerance;
  std::vector<std::string> effects;
  int madeChannels;
};

TEST_F(WaveFromSox, CompandedAdpcmAndGsmFilesMatchSoxBitForBit) {
  const SoxCase cases[] = {{"u-law", {"-e", "u-law"}, 1, 8000, 0, {}, 0},
                           {"A-law", {"-e", "a-law"}, 2, 8000, 0, {}, 0},
                           {"IMA ADPCM", {"-e", "ima-adpcm"}, 1, 22050, 0, {}, 0},
                           {"MS ADPCM", {"-e", "ms-adpcm"}, 2, 44100, 0, {}, 0},
                           {"GSM 6.10", {"-e", "gsm-full-rate"}, 1, 8000, 0, {}, 0}};
  for (const SoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    Compare(c.encoding, c.channels, c.rate, c.tolerance, c.effects, c.madeChannels);
  }
}

TEST_F(WaveFromSox, WideFormatsMatchSoxToTheRounding) {
  // sox writes more than 16 bits as extensible files. Their samples came from
  // 16-bit ones, so both readers must give those back; only rounding of
  // half-way values may differ.
  const SoxCase cases[] = {
      {"24-bit", {"-b", "24"}, 2, 48000, 1, {}, 0},
      {"32-bit", {"-b", "32"}, 1, 44100, 1, {}, 0},
      {"float", {"-e", "floating-point", "-b", "32"}, 2, 44100, 1, {}, 0},
      {"8-bit, six channels", {"-b", "8"}, 2, 44100, 0, {"remix", "1", "2", "1", "2", "1", "2"}, 6}};
  for (const SoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    Compare(c.encoding, c.channels, c.rate, c.tolerance, c.effects, c.madeChannels);
  }
}
