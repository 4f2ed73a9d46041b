// Decoding: the direct path for plain PCM and the converter for every other
// format, checked against samples derived here from each format's definition.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "AudioFixtures.h"
#include "Ombrel.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using namespace tessiro::test;

namespace {

class WaveDecode : public ::testing::Test {
 protected:
  void SetUp() override { ResetCapture(); }

  unsigned int DecodeBytes(const std::vector<uint8_t>& bytes) {
    WriteBytes(path_, bytes);
    return COmbrel().Decode(path_.c_str(), CaptureDecoded);
  }

  // Every block must carry 16-bit audio in the expected channel count and rate.
  void ExpectSixteenBit(uint16_t channels, uint32_t rate) {
    ASSERT_FALSE(Capture().blocks.empty());
    for (const DecodedBlock& b : Capture().blocks) {
      EXPECT_EQ(b.format.bitsPerSample, 16);
      EXPECT_EQ(b.format.channels, channels);
      EXPECT_EQ(b.format.samplesPerSecond, rate);
    }
  }

  CTempFolder folder_;
  std::string path_ = folder_ / "in.wav";
};

// The nearest 16-bit value of a sample given as a fraction of full scale, as a
// careful reader rounds it: half-way goes to even, the top clips to 32767.
int16_t Expected16(double fraction) {
  const double v = std::nearbyint(fraction * 32768.0);
  return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}

// G.711 expansions, written from the definition of the two companding laws,
// at 16-bit scale (full scale 32124 and 32256).
int16_t MuLawToLinear(uint8_t code) {
  const int u = ~code & 0xFF;
  const int exponent = (u >> 4) & 7;
  const int magnitude = (((u & 0x0F) << 3) + 0x84) << exponent;
  return static_cast<int16_t>((u & 0x80) ? 0x84 - magnitude : magnitude - 0x84);
}

int16_t ALawToLinear(uint8_t code) {
  const int a = code ^ 0x55;
  const int segment = (a >> 4) & 7;
  int magnitude = (a & 0x0F) << 4;
  magnitude += segment == 0 ? 8 : 0x108;
  if (segment > 1) magnitude <<= segment - 1;
  return static_cast<int16_t>((a & 0x80) ? magnitude : -magnitude);
}

}  // namespace

TEST_F(WaveDecode, DirectPathDeliversThirtyTwoKilobyteChunksWithPercents) {
  std::vector<uint8_t> data(100000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  ASSERT_EQ(DecodeBytes(MakePcmWave({44100, 2, 16}, data)), kOmbrelDone);
  const auto& blocks = Capture().blocks;
  ASSERT_EQ(blocks.size(), 4u);
  const size_t sizes[] = {32768, 32768, 32768, 1696};
  const short percents[] = {0, 32, 65, 98};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(blocks[i].bytes.size(), sizes[i]);
    EXPECT_EQ(blocks[i].percent, percents[i]);
    EXPECT_EQ(blocks[i].format.samplesPerSecond, 44100u);
    EXPECT_EQ(blocks[i].format.channels, 2);
    EXPECT_EQ(blocks[i].format.bitsPerSample, 16);
  }
  EXPECT_EQ(Capture().AllBytes(), data);
}

TEST_F(WaveDecode, DirectPathReadsFromAfterTheDataTagPastOtherChunks) {
  // Eight-bit mono keeps its own format: the program converts it.
  std::vector<uint8_t> data(70001);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(255 - i % 251);
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(1, 1, 11025, 8)},
                                      {"LIST", std::vector<uint8_t>(333, 'L')},
                                      {"data", data}})),
            kOmbrelDone);
  EXPECT_EQ(Capture().AllBytes(), data);
  EXPECT_EQ(Capture().blocks[0].format.bitsPerSample, 8);
  EXPECT_EQ(Capture().blocks[0].format.channels, 1);
  EXPECT_EQ(Capture().blocks[0].format.samplesPerSecond, 11025u);
}

TEST_F(WaveDecode, CancelInTheFirstCallbackDeliversNothingMore) {
  Capture().cancelAtBlock = 0;
  EXPECT_EQ(DecodeBytes(MakePcmWave({44100, 2, 16}, std::vector<uint8_t>(200000, 1))), kOmbrelCancelled);
  EXPECT_EQ(Capture().blocks.size(), 1u);

  // The same on the converter's path.
  ResetCapture();
  Capture().cancelAtBlock = 0;
  CByteWriter floats;
  for (int i = 0; i < 200000; ++i) floats.F32(0.25f);
  EXPECT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(3, 1, 44100, 32)}, {"data", floats.Bytes()}})),
            kOmbrelCancelled);
  EXPECT_EQ(Capture().blocks.size(), 1u);
}

TEST_F(WaveDecode, TruncatedFileIsDeliveredOnceUpToItsLastWholeFrame) {
  // The data chunk claims a megabyte; the file holds 50001 bytes of it.
  std::vector<uint8_t> data(50001);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i % 253);
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(1, 2, 44100, 16)}, {"data", data, 1000000}})),
            kOmbrelDone);
  const std::vector<uint8_t> got = Capture().AllBytes();
  ASSERT_EQ(got.size(), 50000u);
  EXPECT_TRUE(std::equal(got.begin(), got.end(), data.begin()));
}

TEST_F(WaveDecode, EmptyDataDeliversNothing) {
  EXPECT_EQ(DecodeBytes(MakePcmWave({44100, 1, 16}, {})), kOmbrelDone);
  EXPECT_TRUE(Capture().blocks.empty());
}

TEST_F(WaveDecode, FloatSamplesBecomeRoundedSixteenBit) {
  const float values[] = {0.0f,  0.5f,  -0.5f,        1.0f, -1.0f, 1.5f, -7.0f, 3.0f / 32768.0f, -2.5f / 32768.0f,
                          0.25f, 1e-9f, 32767.0f / 32768, std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity()};
  const int16_t expected[] = {0, 16384, -16384, 32767, -32768, 32767, -32768, 3, -2, 8192, 0, 32767, 0, 32767};
  CByteWriter w;
  for (float v : values) w.F32(v);
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(3, 1, 48000, 32)}, {"data", w.Bytes()}})), kOmbrelDone);
  ExpectSixteenBit(1, 48000);
  EXPECT_EQ(Capture().AllSamples16(), std::vector<int16_t>(std::begin(expected), std::end(expected)));
}

TEST_F(WaveDecode, HalfScaleDoubleSinePeaksAtHalfScale) {
  CByteWriter w;
  for (int i = 0; i < 44100; ++i) {
    w.F64(0.5 * std::sin(2 * M_PI * 441.0 * i / 44100.0)).F64(-0.25 * std::sin(2 * M_PI * 441.0 * i / 44100.0));
  }
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(3, 2, 44100, 64)}, {"data", w.Bytes()}})), kOmbrelDone);
  ExpectSixteenBit(2, 44100);
  const std::vector<int16_t> s = Capture().AllSamples16();
  ASSERT_EQ(s.size(), 88200u);
  int16_t peakLeft = 0, peakRight = 0;
  for (size_t i = 0; i < s.size(); i += 2) {
    peakLeft = std::max(peakLeft, s[i]);
    peakRight = std::max(peakRight, s[i + 1]);
  }
  EXPECT_EQ(peakLeft, 16384);  // 441 Hz at 44100: the peak falls exactly on a sample
  EXPECT_EQ(peakRight, 8192);
}

TEST_F(WaveDecode, TwentyFourAndThirtyTwoBitIntegersRoundToSixteen) {
  const int32_t v24[] = {0, 1, 127, 128, 129, 383, 384, 0x7FFFFF, -0x800000, -128, -129, 0x123456, -0x654321, 255};
  CByteWriter w24;
  for (int32_t v : v24) w24.U24(static_cast<uint32_t>(v) & 0xFFFFFF);
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(1, 1, 44100, 24)}, {"data", w24.Bytes()}})), kOmbrelDone);
  ExpectSixteenBit(1, 44100);
  std::vector<int16_t> expected;
  for (int32_t v : v24) expected.push_back(Expected16(v / 8388608.0));
  EXPECT_EQ(Capture().AllSamples16(), expected);

  // Thirty-two bits, stereo; values away from half-way so single-precision reading is exact.
  ResetCapture();
  const int64_t v32[] = {0, 65536, -65536, 0x7FFFFFFF, -0x80000000LL, 0x12345600, -0x12345600, 0x00017F00, 300000};
  CByteWriter w32;
  for (int64_t v : v32) w32.U32(static_cast<uint32_t>(v)).U32(static_cast<uint32_t>(-v - 1));
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(1, 2, 96000, 32)}, {"data", w32.Bytes()}})), kOmbrelDone);
  ExpectSixteenBit(2, 96000);
  expected.clear();
  for (int64_t v : v32) {
    expected.push_back(Expected16(static_cast<double>(v) / 2147483648.0));
    expected.push_back(Expected16(static_cast<double>(-v - 1) / 2147483648.0));
  }
  EXPECT_EQ(Capture().AllSamples16(), expected);
}

TEST_F(WaveDecode, ExtensibleFilesAreConverted) {
  // Extensible 24-bit stereo.
  CByteWriter w;
  for (int i = 0; i < 1000; ++i) w.U24(static_cast<uint32_t>(i * 4096) & 0xFFFFFF).U24(static_cast<uint32_t>(-i * 256) & 0xFFFFFF);
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", ExtensibleFormatBody(1, 2, 44100, 24)}, {"data", w.Bytes()}})),
            kOmbrelDone);
  ExpectSixteenBit(2, 44100);
  std::vector<int16_t> s = Capture().AllSamples16();
  ASSERT_EQ(s.size(), 2000u);
  for (int i = 0; i < 1000; ++i) {
    const int32_t left = (i * 4096) << 8 >> 8;  // as a signed 24-bit value
    EXPECT_EQ(s[2 * static_cast<size_t>(i)], Expected16(left / 8388608.0)) << i;
    EXPECT_EQ(s[2 * static_cast<size_t>(i) + 1], -i) << i;
  }

  // Extensible 16-bit stereo comes out bit-exact.
  ResetCapture();
  const std::vector<int16_t> pcm = {-32768, -1, 0, 1, 32767, 1234, -4321, 7};
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", ExtensibleFormatBody(1, 2, 32000, 16)}, {"data", Pcm16Bytes(pcm)}})),
            kOmbrelDone);
  ExpectSixteenBit(2, 32000);
  EXPECT_EQ(Capture().AllSamples16(), pcm);
}

TEST_F(WaveDecode, MuLawAndALawExpandEveryCode) {
  std::vector<uint8_t> codes(256);
  for (int i = 0; i < 256; ++i) codes[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  std::vector<int16_t> mu, a;
  for (int i = 0; i < 256; ++i) {
    mu.push_back(MuLawToLinear(static_cast<uint8_t>(i)));
    a.push_back(ALawToLinear(static_cast<uint8_t>(i)));
  }
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(7, 1, 8000, 8)}, {"data", codes}})), kOmbrelDone);
  ExpectSixteenBit(1, 8000);
  EXPECT_EQ(Capture().AllSamples16(), mu);
  EXPECT_EQ(mu[0], -32124);
  EXPECT_EQ(mu[0xFF], 0);

  ResetCapture();
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(6, 1, 8000, 8)}, {"data", codes}})), kOmbrelDone);
  ExpectSixteenBit(1, 8000);
  EXPECT_EQ(Capture().AllSamples16(), a);
  EXPECT_EQ(a[0xD5], 8);  // the smallest positive step
  EXPECT_EQ(a[0xAA], 32256);
}

TEST_F(WaveDecode, MoreThanTwoChannelsFoldToTheFirstTwo) {
  // Six channels of 16-bit PCM; sample of channel c at frame f is 1000 c + f.
  std::vector<int16_t> six;
  for (int f = 0; f < 5000; ++f) {
    for (int c = 0; c < 6; ++c) six.push_back(static_cast<int16_t>(1000 * c + f % 900 - (c == 1 ? 30000 : 0)));
  }
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(1, 6, 44100, 16)}, {"data", Pcm16Bytes(six)}})),
            kOmbrelDone);
  ExpectSixteenBit(2, 44100);
  const std::vector<int16_t> s = Capture().AllSamples16();
  ASSERT_EQ(s.size(), 10000u);
  for (int f = 0; f < 5000; ++f) {
    ASSERT_EQ(s[2 * static_cast<size_t>(f)], f % 900) << f;
    ASSERT_EQ(s[2 * static_cast<size_t>(f) + 1], 1000 + f % 900 - 30000) << f;
  }

  // Eight-bit unsigned, three channels: offset removed and scaled to 16 bits.
  ResetCapture();
  std::vector<uint8_t> three;
  for (int f = 0; f < 256; ++f) three.insert(three.end(), {static_cast<uint8_t>(f), static_cast<uint8_t>(255 - f), 77});
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(1, 3, 22050, 8)}, {"data", three}})), kOmbrelDone);
  ExpectSixteenBit(2, 22050);
  const std::vector<int16_t> t = Capture().AllSamples16();
  ASSERT_EQ(t.size(), 512u);
  for (int f = 0; f < 256; ++f) {
    EXPECT_EQ(t[2 * static_cast<size_t>(f)], (f - 128) * 256);
    EXPECT_EQ(t[2 * static_cast<size_t>(f) + 1], (127 - f) * 256);
  }
}

TEST_F(WaveDecode, ConverterPercentsClimbToOneHundred) {
  CByteWriter w;
  for (int i = 0; i < 44100 * 3 + 17; ++i) w.F32(0.1f);
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(3, 1, 44100, 32)}, {"data", w.Bytes()}})), kOmbrelDone);
  const auto& blocks = Capture().blocks;
  ASSERT_GE(blocks.size(), 4u);
  // About one second of source per block.
  EXPECT_EQ(blocks[0].bytes.size(), 44100u * 2);
  for (size_t i = 1; i < blocks.size(); ++i) EXPECT_GE(blocks[i].percent, blocks[i - 1].percent);
  EXPECT_EQ(blocks.back().percent, 100);
  EXPECT_EQ(Capture().AllSamples16().size(), 44100u * 3 + 17);
}

TEST_F(WaveDecode, EveryFloatSixteenBitValueAndEveryTieComesBackExactly) {
  // k / 32768 for every 16-bit k must give k; (k + 0.5) / 32768 lies half-way
  // and goes to the even neighbour. Stereo, so the fast two-channel loop runs.
  CByteWriter w;
  std::vector<int16_t> expected;
  for (int k = -32768; k <= 32767; ++k) {
    const double tie = (k + 0.5) / 32768.0;
    w.F32(static_cast<float>(k / 32768.0)).F32(static_cast<float>(tie));
    expected.push_back(static_cast<int16_t>(k));
    expected.push_back(Expected16(tie));
  }
  ASSERT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(3, 2, 44100, 32)}, {"data", w.Bytes()}})), kOmbrelDone);
  ExpectSixteenBit(2, 44100);
  const std::vector<int16_t> got = Capture().AllSamples16();
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], expected[i]) << "sample " << i;
}
