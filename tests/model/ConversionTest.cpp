// Decoded blocks to the program's format: widths, channels and rates.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "Generic.h"
#include "ReportRecorder.h"
#include "tarvex.h"

using tessiro::test::Reports;

namespace {

AudioQuality Format(uint32_t rate, uint16_t channels, uint16_t bits) { return AudioQuality{rate, channels, bits}; }

std::vector<uint8_t> Bytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    out[2 * i] = static_cast<uint8_t>(samples[i] & 0xFF);
    out[2 * i + 1] = static_cast<uint8_t>((samples[i] >> 8) & 0xFF);
  }
  return out;
}

std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes, size_t count) {
  std::vector<int16_t> out(count);
  std::memcpy(out.data(), bytes.data(), count * 2);
  return out;
}

std::vector<int16_t> Convert16(const AudioQuality& from, const AudioQuality& to, const std::vector<uint8_t>& in,
                               size_t outSamples) {
  std::vector<uint8_t> out(outSamples * 2, 0xEE);
  ConvertChannelsAndBits(&from, &to, in.data(), out.data(), static_cast<uint32_t>(in.size()),
                         static_cast<uint32_t>(out.size()));
  return Samples(out, outSamples);
}

std::vector<int16_t> SineAt(double rate, uint32_t frames, int channels) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
  for (uint32_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      out[i * channels + c] = static_cast<int16_t>(std::lround(10000 * std::sin(2 * M_PI * 440 * i / rate + c)));
    }
  }
  return out;
}

void ExpectOneReport(int line, const std::string& message) {
  const auto taken = Reports().Take();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].report.title, "Generic");
  EXPECT_EQ(taken[0].report.line, line);
  EXPECT_EQ(taken[0].report.message, message);
}

// Converts `in` block by block as an import does, collecting every frame.
std::vector<int16_t> Import(CTarvex& converter, const AudioQuality& from, const AudioQuality& to,
                            const std::vector<uint8_t>& in, uint32_t blockBytes, uint32_t capacityBytes) {
  SetupRateConversion(&converter, &from, &to, blockBytes);
  std::vector<int16_t> out;
  std::vector<int16_t> target(capacityBytes / 2);
  auto collect = [&](const uint8_t* block, uint32_t bytes) {
    uint32_t frames = 0;
    ConvertAudioFormat(&from, &to, block, target.data(), bytes, capacityBytes, &converter, &frames);
    out.insert(out.end(), target.begin(), target.begin() + static_cast<size_t>(frames) * to.channels);
    return frames;
  };
  for (size_t at = 0; at < in.size(); at += blockBytes) {
    collect(in.data() + at, static_cast<uint32_t>(std::min<size_t>(blockBytes, in.size() - at)));
  }
  while (collect(in.data(), 0) > 0) {
  }
  return out;
}

}  // namespace

TEST(ConvertChannelsAndBits, EightBitSamplesWiden) {
  const std::vector<uint8_t> in = {0, 1, 127, 128, 129, 255};
  EXPECT_EQ(Convert16(Format(44100, 1, 8), Format(44100, 1, 16), in, 6),
            (std::vector<int16_t>{-32768, -32512, -256, 0, 256, 32512}));
  // Mono to stereo puts each sample on both sides.
  EXPECT_EQ(Convert16(Format(44100, 1, 8), Format(44100, 2, 16), {0, 255}, 4),
            (std::vector<int16_t>{-32768, -32768, 32512, 32512}));
}

TEST(ConvertChannelsAndBits, StereoToMonoHalvesTheSumRoundingTowardZero) {
  const std::vector<int16_t> pairs = {1, 2, -3, -4, -1, -1, 32767, 32767, -32768, -32768, 100, -101};
  EXPECT_EQ(Convert16(Format(44100, 2, 16), Format(44100, 1, 16), Bytes(pairs), 6),
            (std::vector<int16_t>{2, -3, 0, 32767, -32767, 0}));
  // 8-bit stereo to 16-bit mono widens each side first.
  EXPECT_EQ(Convert16(Format(44100, 2, 8), Format(44100, 1, 16), {0, 255, 128, 130}, 2),
            (std::vector<int16_t>{-127, 256}));
}

TEST(ConvertChannelsAndBits, SixteenBitsNarrowToTheHighByte) {
  const std::vector<int16_t> in = {-32768, -1, 0, 255, 256, 32767};
  std::vector<uint8_t> out(6, 0xEE);
  const AudioQuality from = Format(44100, 1, 16), to = Format(44100, 1, 8);
  const std::vector<uint8_t> bytes = Bytes(in);
  ConvertChannelsAndBits(&from, &to, bytes.data(), out.data(), 12, 6);
  EXPECT_EQ(out, (std::vector<uint8_t>{0, 127, 128, 128, 129, 255}));
}

TEST(ConvertChannelsAndBits, RefusesATargetTooSmall) {
  const AudioQuality from = Format(44100, 1, 8), to = Format(44100, 2, 16);
  const std::vector<uint8_t> in(100, 200);
  std::vector<uint8_t> out(399, 0xEE);  // needs 400
  ConvertChannelsAndBits(&from, &to, in.data(), out.data(), 100, 399);
  const auto taken = Reports().Take();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].report.title, "Generic");
  EXPECT_EQ(out, std::vector<uint8_t>(399, 0xEE));
}

TEST(ConvertAudioFormat, EqualRatesNeedNoConverter) {
  uint32_t frames = 0;
  std::vector<int16_t> target(8, 0);
  // Same format: a copy.
  const std::vector<uint8_t> stereo = Bytes({1, 2, 3, 4, 5, 6});
  const AudioQuality cd = Format(44100, 2, 16);
  ConvertAudioFormat(&cd, &cd, stereo.data(), target.data(), 12, 16, nullptr, &frames);
  EXPECT_EQ(frames, 3u);
  EXPECT_EQ(std::vector<int16_t>(target.begin(), target.begin() + 6), (std::vector<int16_t>{1, 2, 3, 4, 5, 6}));
  // Stereo to mono, as pasting does.
  const AudioQuality mono = Format(44100, 1, 16);
  ConvertAudioFormat(&cd, &mono, stereo.data(), target.data(), 12, 16, nullptr, &frames);
  EXPECT_EQ(frames, 3u);
  EXPECT_EQ(std::vector<int16_t>(target.begin(), target.begin() + 3), (std::vector<int16_t>{2, 4, 6}));
  // 8-bit mono widened.
  const AudioQuality eight = Format(44100, 1, 8);
  const std::vector<uint8_t> bytes = {128, 192};
  ConvertAudioFormat(&eight, &mono, bytes.data(), target.data(), 2, 16, nullptr, &frames);
  EXPECT_EQ(frames, 2u);
  EXPECT_EQ(target[0], 0);
  EXPECT_EQ(target[1], 16384);
  // A copy that does not fit is refused.
  ConvertAudioFormat(&cd, &cd, stereo.data(), target.data(), 12, 11, nullptr, &frames);
  EXPECT_EQ(frames, 0u);
  EXPECT_EQ(Reports().Take().size(), 1u);
}

TEST(ConvertAudioFormat, SetupSizesTheConverter) {
  CTarvex converter;
  const AudioQuality from = Format(22050, 2, 16), to = Format(44100, 2, 16);
  SetupRateConversion(&converter, &from, &to, 32768);
  EXPECT_FLOAT_EQ(converter.GetRate(), 2.0f);
  EXPECT_EQ(converter.channels, 2);
  EXPECT_EQ(converter.outputBlockFrames, 32768u);  // 2 x 32768 bytes / 2 channels
  // A 16-bit source going to 8 bits keeps its own channels and counts frames.
  const AudioQuality narrow = Format(44100, 1, 8);
  SetupRateConversion(&converter, &from, &narrow, 32768);
  EXPECT_EQ(converter.channels, 2);
  EXPECT_EQ(converter.outputBlockFrames, 16384u);
}

TEST(ConvertAudioFormat, ResamplesToFortyFourOne) {
  struct Case {
    uint32_t rate;
    uint16_t channels, bits;
  };
  for (const Case& c : {Case{22050, 2, 16}, Case{48000, 1, 16}, Case{11025, 1, 8}, Case{96000, 2, 8}}) {
    const uint32_t frames = c.rate * 2;
    const std::vector<int16_t> sine = SineAt(c.rate, frames, c.channels);
    std::vector<uint8_t> in;
    if (c.bits == 16) {
      in = Bytes(sine);
    } else {
      for (int16_t s : sine) in.push_back(static_cast<uint8_t>((s >> 8) + 128));
    }
    const AudioQuality from = Format(c.rate, c.channels, c.bits), to = Format(44100, c.channels, 16);
    CTarvex converter;
    const std::vector<int16_t> out = Import(converter, from, to, in, 32768, 1 << 20);
    // The span after the last source frame is never interpolated: an import does
    // not flush its converter.
    const double ratio = 44100.0 / c.rate;
    EXPECT_NEAR(static_cast<double>(out.size() / c.channels), frames * ratio, ratio + 2) << c.rate;
    // Linear interpolation of a 440 Hz sine stays close to the sine itself; 8-bit
    // sources are coarser.
    const double tolerance = c.bits == 8 ? 400 : 40;
    for (size_t j = 0; j + 2 < out.size() / c.channels; ++j) {
      for (int ch = 0; ch < c.channels; ++ch) {
        const double ideal = 10000 * std::sin(2 * M_PI * 440 * j / 44100.0 + ch);
        ASSERT_NEAR(out[j * c.channels + ch], ideal, tolerance) << c.rate << " frame " << j;
      }
    }
  }
}

TEST(ConvertAudioFormat, LowRateBlockComesOutInPiecesThatFit) {
  // 32768 bytes of 8-bit 8000 Hz audio make about 180000 frames: far more than
  // the target holds. Each call fills it, and calls without input give the rest.
  const AudioQuality from = Format(8000, 1, 8), to = Format(44100, 1, 16);
  std::vector<uint8_t> in(65536);
  for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(128 + 100 * std::sin(i * 0.01));
  CTarvex large, small;
  const std::vector<int16_t> whole = Import(large, from, to, in, 32768, 1 << 22);
  const std::vector<int16_t> pieces = Import(small, from, to, in, 32768, 20000);
  EXPECT_NEAR(static_cast<double>(whole.size()), 65536 * 44100.0 / 8000.0, 8.0);
  EXPECT_TRUE(pieces == whole);
}

TEST(ConvertAudioFormat, NarrowsAfterResampling) {
  // 16-bit stereo at 22050 Hz to 8-bit mono at 44100 Hz: resampled first, then
  // each pair averaged and cut to its high byte.
  const AudioQuality from = Format(22050, 2, 16), to = Format(44100, 1, 8);
  const std::vector<uint8_t> in = Bytes(std::vector<int16_t>(2000, 512));
  CTarvex converter;
  SetupRateConversion(&converter, &from, &to, 4000);
  std::vector<uint8_t> target(8000, 0);
  uint32_t frames = 0;
  ConvertAudioFormat(&from, &to, in.data(), target.data(), 4000, 8000, &converter, &frames);
  EXPECT_NEAR(frames, 2000.0, 2.0);
  for (uint32_t i = 0; i < frames; ++i) ASSERT_EQ(target[i], 130) << i;
}

TEST(ConvertAudioFormat, RatesOutsideTheRangeAreRefused) {
  CTarvex converter;
  const AudioQuality to = Format(44100, 2, 16);
  const AudioQuality silent = Format(0, 2, 16);
  SetupRateConversion(&converter, &silent, &to, 32768);
  ExpectOneReport(1354, "Divide By Zero Violation");
  for (uint32_t rate : {999u, 384001u, 1u}) {
    const AudioQuality from = Format(rate, 2, 16);
    SetupRateConversion(&converter, &from, &to, 32768);
    const auto taken = Reports().Take();
    ASSERT_EQ(taken.size(), 1u) << rate;
    EXPECT_NE(taken[0].report.message.find("Unsupported sample rate: " + std::to_string(rate) + " Hz"),
              std::string::npos);
    // The blocks that follow give nothing; the one report is enough.
    std::vector<uint8_t> in(32768, 0);
    std::vector<int16_t> target(1 << 16);
    uint32_t frames = 99;
    ConvertAudioFormat(&from, &to, in.data(), target.data(), 32768, 1 << 17, &converter, &frames);
    EXPECT_EQ(frames, 0u);
  }
}

TEST(ConvertAudioFormat, MissingConverterOrCountIsReported) {
  const AudioQuality from = Format(22050, 2, 16), to = Format(44100, 2, 16), same = Format(44100, 2, 16);
  const AudioQuality narrow = Format(22050, 2, 8);
  std::vector<uint8_t> in(400, 0);
  std::vector<int16_t> target(1000);
  uint32_t frames = 0;
  CTarvex converter;
  ConvertAudioFormat(&from, &to, in.data(), target.data(), 400, 2000, nullptr, &frames);
  ExpectOneReport(1609, "");
  ConvertAudioFormat(&from, &to, in.data(), target.data(), 400, 2000, &converter, nullptr);
  ExpectOneReport(1591, "");
  ConvertAudioFormat(&same, &same, in.data(), target.data(), 400, 2000, nullptr, nullptr);
  ExpectOneReport(1582, "");
  ConvertAudioFormat(&same, &narrow, in.data(), target.data(), 400, 2000, nullptr, &frames);
  ExpectOneReport(1618, "");
  ConvertAudioFormat(&same, &narrow, in.data(), target.data(), 400, 2000, &converter, nullptr);
  ExpectOneReport(1630, "");
}
