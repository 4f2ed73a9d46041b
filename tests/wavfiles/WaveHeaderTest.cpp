// The header parser: where it finds the format and the audio, and which files it
// refuses. Files are built byte by byte here, so every offset is known.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "AudioFixtures.h"
#include "WaveHeader.h"
#include "Ombrel.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using namespace tessiro::test;
using ombrel::CMemorySource;
using ombrel::WaveHeader;
using ombrel::WaveHeaderError;

namespace {

WaveHeaderError Parse(const std::vector<uint8_t>& bytes, WaveHeader* header) {
  CMemorySource source(bytes.data(), bytes.size());
  return ombrel::ParseWaveHeader(source, header);
}

std::vector<uint8_t> Filled(size_t n, uint8_t value) { return std::vector<uint8_t>(n, value); }

}  // namespace

TEST(WaveHeader, CanonicalFileGivesItsFields) {
  CTempFolder folder;
  const std::string path = folder / "a.wav";
  WriteBytes(path, MakeRiffWave({{"fmt ", FormatBody(1, 2, 48000, 16)}, {"data", Filled(1000, 7)}}));
  OmbrelWaveHeaderInfo info;
  ASSERT_EQ(COmbrel().GetHeaderParameters(path.c_str(), &info), 0u);
  EXPECT_EQ(info.samplesPerSecond, 48000);
  EXPECT_EQ(info.bitsPerSample, 16);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.formatTag, 1);
  EXPECT_EQ(info.dataOffset, 44u);
  EXPECT_EQ(info.dataSize, 1000u);
}

TEST(WaveHeader, ChunksBeforeDataAreSteppedOverWithTheirPadding) {
  // A LIST of odd length (padded by one byte) and a fact chunk before the data.
  const std::vector<uint8_t> list = {'I', 'N', 'F', 'O', 'x', 'y', 'z'};
  CByteWriter fact;
  fact.U32(1234);
  WaveHeader h;
  ASSERT_EQ(Parse(MakeRiffWave({{"fmt ", FormatBody(1, 1, 44100, 16)},
                                {"LIST", list},
                                {"fact", fact.Bytes()},
                                {"data", Filled(10, 1)}}),
                  &h),
            WaveHeaderError::None);
  // 12 RIFF + 24 fmt + 8 + 7 + 1 pad + 12 fact, then the data header.
  EXPECT_EQ(h.dataOffset, 12u + 24 + 16 + 12 + 8);
  EXPECT_EQ(h.dataSize, 10u);
  EXPECT_TRUE(h.hasFact);
  EXPECT_EQ(h.factSamples, 1234u);
}

TEST(WaveHeader, DataTagInsideAnotherChunkIsNotTaken) {
  // The LIST body spells "data" with a size; a byte search would stop there.
  CByteWriter decoy;
  decoy.Tag("INFO").Tag("data").U32(4).U32(0xDEADBEEF);
  WaveHeader h;
  ASSERT_EQ(Parse(MakeRiffWave({{"fmt ", FormatBody(1, 2, 44100, 16)}, {"LIST", decoy.Bytes()}, {"data", Filled(8, 3)}}),
                  &h),
            WaveHeaderError::None);
  EXPECT_EQ(h.dataOffset, 12u + 24 + 8 + 16 + 8);
  EXPECT_EQ(h.dataSize, 8u);
}

TEST(WaveHeader, FormatMayFollowOtherChunksAndLargeChunksBeyondTheFirstKilobytes) {
  // A 5000-byte chunk first: the parser reads chunk headers wherever they are.
  WaveHeader h;
  ASSERT_EQ(Parse(MakeRiffWave({{"JUNK", Filled(5000, 0)}, {"fmt ", FormatBody(1, 1, 22050, 8)}, {"data", Filled(3, 128)}}),
                  &h),
            WaveHeaderError::None);
  EXPECT_EQ(h.samplesPerSecond, 22050u);
  EXPECT_EQ(h.bitsPerSample, 8);
  EXPECT_EQ(h.dataOffset, 12u + 5008 + 24 + 8);
  EXPECT_EQ(h.dataSize, 3u);
}

TEST(WaveHeader, TruncatedDataChunkIsClampedToTheFile) {
  std::vector<uint8_t> bytes = MakeRiffWave({{"fmt ", FormatBody(1, 2, 44100, 16), -1}, {"data", Filled(100, 5), 100000}});
  WaveHeader h;
  ASSERT_EQ(Parse(bytes, &h), WaveHeaderError::None);
  EXPECT_EQ(h.declaredDataSize, 100000u);
  EXPECT_EQ(h.dataSize, 100u);
  EXPECT_TRUE(h.dataTruncated);
  // The RIFF size is ignored in favour of the file: a streamed file says 0 or too much.
  bytes[4] = bytes[5] = bytes[6] = bytes[7] = 0;
  ASSERT_EQ(Parse(bytes, &h), WaveHeaderError::None);
  EXPECT_EQ(h.dataSize, 100u);
}

TEST(WaveHeader, ExtensibleFormatGivesItsSubFormat) {
  WaveHeader h;
  ASSERT_EQ(Parse(MakeRiffWave({{"fmt ", ExtensibleFormatBody(3, 2, 96000, 32)}, {"data", Filled(16, 0)}}), &h),
            WaveHeaderError::None);
  EXPECT_EQ(h.formatTag, 0xFFFE);
  EXPECT_EQ(h.subFormatTag, 3);
  EXPECT_EQ(h.blockAlign, 8);
  EXPECT_FALSE(ombrel::IsDirectPcm(h));
}

TEST(WaveHeader, OnlyPlainEightAndSixteenBitMonoOrStereoIsDirect) {
  struct Case {
    uint16_t tag, channels, bits;
    bool direct;
  } cases[] = {{1, 1, 8, true},   {1, 2, 8, true},   {1, 1, 16, true}, {1, 2, 16, true}, {1, 3, 16, false},
               {1, 2, 24, false}, {1, 1, 32, false}, {3, 2, 32, false}, {6, 1, 8, false}, {7, 1, 8, false}};
  for (const Case& c : cases) {
    WaveHeader h;
    ASSERT_EQ(Parse(MakeRiffWave({{"fmt ", FormatBody(c.tag, c.channels, 44100, c.bits)}, {"data", Filled(12, 0)}}), &h),
              WaveHeaderError::None);
    EXPECT_EQ(ombrel::IsDirectPcm(h), c.direct) << c.tag << "/" << c.channels << "/" << c.bits;
  }
}

TEST(WaveHeader, RefusesFilesThatAreNotWaveOrMissAPart) {
  WaveHeader h;
  EXPECT_EQ(Parse({}, &h), WaveHeaderError::NotWave);
  EXPECT_EQ(Parse({'R', 'I', 'F', 'F'}, &h), WaveHeaderError::NotWave);
  std::vector<uint8_t> avi = MakeRiffWave({{"fmt ", FormatBody(1, 1, 44100, 16)}, {"data", Filled(2, 0)}});
  avi[8] = 'A';
  EXPECT_EQ(Parse(avi, &h), WaveHeaderError::NotWave);
  EXPECT_EQ(Parse(MakeRiffWave({{"data", Filled(4, 0)}}), &h), WaveHeaderError::NoFormat);
  EXPECT_EQ(Parse(MakeRiffWave({{"LIST", Filled(4, 0)}}), &h), WaveHeaderError::NoFormat);
  EXPECT_EQ(Parse(MakeRiffWave({{"fmt ", FormatBody(1, 1, 44100, 16)}}), &h), WaveHeaderError::NoData);
  // A format chunk too short to hold the fields.
  EXPECT_EQ(Parse(MakeRiffWave({{"fmt ", Filled(14, 1)}, {"data", Filled(4, 0)}}), &h), WaveHeaderError::NoFormat);
}

TEST(WaveHeader, RefusesImpossibleFormats) {
  const auto parse = [](std::vector<uint8_t> fmt) {
    WaveHeader h;
    return Parse(MakeRiffWave({{"fmt ", fmt}, {"data", Filled(64, 0)}}), &h);
  };
  EXPECT_EQ(parse(FormatBody(1, 2, 44100, 16, 0)), WaveHeaderError::BadFormat);        // block align 0
  EXPECT_EQ(parse(FormatBody(1, 0, 44100, 16)), WaveHeaderError::BadFormat);           // no channels
  EXPECT_EQ(parse(FormatBody(1, 1, 0, 16)), WaveHeaderError::BadFormat);               // rate 0
  EXPECT_EQ(parse(FormatBody(1, 1, 999, 16)), WaveHeaderError::BadFormat);             // below 1 kHz
  EXPECT_EQ(parse(FormatBody(1, 1, 768001, 16)), WaveHeaderError::BadFormat);          // above 768 kHz
  EXPECT_EQ(parse(FormatBody(1, 1, 0xFFFFFFFF, 16)), WaveHeaderError::BadFormat);
  EXPECT_EQ(parse(FormatBody(1, 1, 44100, 0, 2)), WaveHeaderError::BadFormat);         // PCM without bits
  EXPECT_EQ(parse(FormatBody(1, 1, 44100, 40)), WaveHeaderError::BadFormat);           // PCM beyond 32 bits
  EXPECT_EQ(parse(FormatBody(1, 2, 44100, 16, 2)), WaveHeaderError::BadFormat);        // frame smaller than a sample each
  EXPECT_EQ(parse(FormatBody(1, 300, 44100, 16)), WaveHeaderError::BadFormat);
  // The limits themselves are sound.
  EXPECT_EQ(parse(FormatBody(1, 1, 1000, 16)), WaveHeaderError::None);
  EXPECT_EQ(parse(FormatBody(1, 1, 768000, 16)), WaveHeaderError::None);
  // Compressed formats have no PCM bit depth (GSM gives 0): not refused here.
  EXPECT_EQ(parse(FormatBody(0x31, 1, 8000, 0, 65, 1625)), WaveHeaderError::None);
}

TEST(WaveHeader, ChunkClaimingMoreThanTheFileStopsTheWalk) {
  WaveHeader h;
  // An oversized LIST before the format and the data: what follows cannot be trusted.
  EXPECT_EQ(Parse(MakeRiffWave({{"LIST", Filled(10, 0), 0x7FFFFFF0}, {"fmt ", FormatBody(1, 1, 44100, 16)},
                                {"data", Filled(4, 0)}}),
                  &h),
            WaveHeaderError::DamagedChunks);
  EXPECT_EQ(Parse(MakeRiffWave({{"fmt ", FormatBody(1, 1, 44100, 16)}, {"LIST", Filled(10, 0), 0xFFFFFFFF},
                                {"data", Filled(4, 0)}}),
                  &h),
            WaveHeaderError::DamagedChunks);
  // An oversized format chunk.
  EXPECT_EQ(Parse(MakeRiffWave({{"fmt ", FormatBody(1, 1, 44100, 16), 0xFFFFFFF0}, {"data", Filled(4, 0)}}), &h),
            WaveHeaderError::DamagedChunks);
}

TEST(WaveHeader, EndlessRunOfEmptyChunksIsCutShort) {
  std::vector<RiffChunk> chunks = {{"fmt ", FormatBody(1, 1, 44100, 16)}};
  for (int i = 0; i < 20000; ++i) chunks.push_back({"JUNK", {}});
  chunks.push_back({"data", Filled(4, 0)});
  WaveHeader h;
  EXPECT_EQ(Parse(MakeRiffWave(chunks), &h), WaveHeaderError::DamagedChunks);
}

TEST(WaveHeader, EveryTruncationOfAFileIsHandledInsideItsBounds) {
  CByteWriter fact;
  fact.U32(99);
  const std::vector<uint8_t> whole = MakeRiffWave({{"LIST", {'I', 'N', 'F', 'O', 1, 2, 3}},
                                                   {"fmt ", ExtensibleFormatBody(1, 2, 44100, 24)},
                                                   {"fact", fact.Bytes()},
                                                   {"data", Filled(60, 9)}});
  for (size_t n = 0; n <= whole.size(); ++n) {
    // A copy of exactly n bytes, so the sanitizer sees any read past it.
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    WaveHeader h;
    const WaveHeaderError e = Parse(cut, &h);
    const size_t dataStart = whole.size() - 60;
    if (n < dataStart) {
      EXPECT_NE(e, WaveHeaderError::None) << n;
    } else {
      ASSERT_EQ(e, WaveHeaderError::None) << n;
      EXPECT_EQ(h.dataSize, n - dataStart);
      EXPECT_EQ(h.dataTruncated, n < whole.size());
    }
  }
}

TEST(WaveHeader, RandomBytesNeverGoOutOfBounds) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> bytes(random() % 300);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    // Half of them look like WAV files, so the walker gets past the first check.
    if (round % 2 == 0 && bytes.size() >= 12) {
      std::memcpy(bytes.data(), "RIFF", 4);
      std::memcpy(bytes.data() + 8, "WAVE", 4);
      if (bytes.size() >= 20 && round % 4 == 0) std::memcpy(bytes.data() + 12, "fmt ", 4);
    }
    WaveHeader h;
    const WaveHeaderError e = Parse(bytes, &h);
    if (e == WaveHeaderError::None) {
      EXPECT_LE(h.dataOffset + h.dataSize, bytes.size());
      EXPECT_GT(h.channels, 0);
      EXPECT_GT(h.blockAlign, 0);
    }
  }
}

TEST(WaveHeader, QueryOfAMissingOrDamagedFileSaysSo) {
  CTempFolder folder;
  OmbrelWaveHeaderInfo info;
  info.channels = 7;
  EXPECT_EQ(COmbrel().GetHeaderParameters((folder / "missing.wav").c_str(), &info), 1u);
  EXPECT_EQ(info.channels, 0);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "LargeFile");
  EXPECT_EQ(reports[0].report.message, "Failed to open file");

  WriteBytes(folder / "bad.wav", MakeRiffWave({{"fmt ", FormatBody(1, 2, 44100, 16, 0)}, {"data", Filled(8, 0)}}));
  EXPECT_EQ(COmbrel().GetHeaderParameters((folder / "bad.wav").c_str(), &info), 1u);
  EXPECT_EQ(info.formatTag, 0);
}
