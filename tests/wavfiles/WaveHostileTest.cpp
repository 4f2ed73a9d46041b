// Damaged and hostile files: each gives a clear report and no audio it does not
// hold, and never a crash or a read outside the file (run under the sanitizers).
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <random>
#include <set>

#include "AudioFixtures.h"
#include "Ombrel.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using namespace tessiro::test;

namespace {

class WaveHostile : public ::testing::Test {
 protected:
  void SetUp() override { ResetCapture(); }

  unsigned int DecodeBytes(const std::vector<uint8_t>& bytes) {
    ResetCapture();
    WriteBytes(path_, bytes);
    return COmbrel().Decode(path_.c_str(), CaptureDecoded);
  }

  // The one report a refused file must give.
  void ExpectOneReport(const std::string& title, const std::string& part) {
    const auto reports = Reports().Take();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].report.title, title);
    EXPECT_NE(reports[0].report.message.find(part), std::string::npos) << reports[0].report.message;
  }

  CTempFolder folder_;
  std::string path_ = folder_ / "hostile.wav";
};

std::vector<uint8_t> WithSndfile(const std::string& path, int format, int channels, int rate, size_t frames) {
  const std::vector<int16_t> s = Sine(frames, channels, 9000, 500, rate);
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return {};
  sf_writef_short(file, s.data(), static_cast<sf_count_t>(frames));
  sf_close(file);
  return ReadBytes(path);
}

}  // namespace

TEST_F(WaveHostile, GarbageIsRefusedAsNotAWavFile) {
  std::mt19937 random(77);
  for (size_t size : {0u, 1u, 11u, 12u, 44u, 4096u, 100000u}) {
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    EXPECT_EQ(DecodeBytes(bytes), kOmbrelDone);
    EXPECT_TRUE(Capture().blocks.empty());
    ExpectOneReport("Generic", "The file is not a WAV file.");
  }
}

TEST_F(WaveHostile, DamagedHeadersAreRefusedWithTheirReason) {
  const std::vector<uint8_t> audio(4000, 0x11);
  EXPECT_EQ(DecodeBytes(MakeRiffWave({{"LIST", audio, 0x7FFFFFFF}, {"fmt ", FormatBody(1, 2, 44100, 16)},
                                      {"data", audio}})),
            kOmbrelDone);
  ExpectOneReport("Generic", "a chunk runs past the end of the file");

  EXPECT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(1, 2, 44100, 16, 0)}, {"data", audio}})), kOmbrelDone);
  ExpectOneReport("Generic", "block size of 0");
  EXPECT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(2, 0, 44100, 4, 512)}, {"data", audio}})), kOmbrelDone);
  ExpectOneReport("Generic", "no channels");
  EXPECT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(1, 1, 0, 16)}, {"data", audio}})), kOmbrelDone);
  ExpectOneReport("Generic", "impossible sample rate");
  EXPECT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(1, 1, 44100, 16)}})), kOmbrelDone);
  ExpectOneReport("Generic", "holds no audio data");
  EXPECT_TRUE(Capture().blocks.empty());
}

TEST_F(WaveHostile, UnknownCodecIsReportedAsNotConvertible) {
  EXPECT_EQ(DecodeBytes(MakeRiffWave({{"fmt ", FormatBody(0x1234, 2, 44100, 16)}, {"data", std::vector<uint8_t>(400, 1)}})),
            kOmbrelDone);
  EXPECT_TRUE(Capture().blocks.empty());
  ExpectOneReport("WaveDecoder", "WAV format 0x1234 cannot be converted");
}

TEST_F(WaveHostile, MissingFileAndMissingCallbackAreReported) {
  EXPECT_EQ(COmbrel().Decode((folder_ / "absent.wav").c_str(), CaptureDecoded), kOmbrelDone);
  ExpectOneReport("LargeFile", "Failed to open file");
  EXPECT_EQ(COmbrel().Decode(folder_.Path().c_str(), CaptureDecoded), kOmbrelDone);
  ExpectOneReport("LargeFile", "Failed to open file");
  WriteBytes(path_, MakePcmWave({44100, 1, 16}, std::vector<uint8_t>(10, 0)));
  EXPECT_EQ(COmbrel().Decode(path_.c_str(), nullptr), kOmbrelDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "WaveDecoder");
  EXPECT_EQ(reports[0].report.line, 629);
  EXPECT_TRUE(Capture().blocks.empty());
}

TEST_F(WaveHostile, EveryTruncationOfEveryFormatEndsCleanly) {
  struct Source {
    const char* name;
    std::vector<uint8_t> bytes;
    size_t frames;
    int channels;
  };
  std::vector<Source> sources;
  const std::string scratch = folder_ / "made.wav";
  sources.push_back({"pcm16", MakePcmWave({44100, 2, 16}, Pcm16Bytes(Sine(3000, 2, 8000, 300, 44100))), 3000, 2});
  sources.push_back({"float", WithSndfile(scratch, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, 3000), 3000, 1});
  sources.push_back({"24-bit extensible", WithSndfile(scratch, SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2, 48000, 3000),
                     3000, 2});
  sources.push_back({"IMA ADPCM", WithSndfile(scratch, SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 2, 22050, 3000), 3000, 2});
  sources.push_back({"MS ADPCM", WithSndfile(scratch, SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 1, 22050, 3000), 3000, 1});
  sources.push_back({"GSM", WithSndfile(scratch, SF_FORMAT_WAV | SF_FORMAT_GSM610, 1, 8000, 3000), 3000, 1});
  sources.push_back({"u-law", WithSndfile(scratch, SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, 8000, 3000), 3000, 1});

  const std::set<std::string> titles = {"Generic", "WaveDecoder"};
  for (const Source& s : sources) {
    SCOPED_TRACE(s.name);
    ASSERT_GT(s.bytes.size(), 100u);
    std::vector<size_t> lengths;
    for (size_t n = 0; n < 130; ++n) lengths.push_back(n);
    for (size_t n = 130; n < s.bytes.size(); n += 173) lengths.push_back(n);
    for (size_t n : lengths) {
      std::vector<uint8_t> cut(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(n));
      ASSERT_EQ(DecodeBytes(cut), kOmbrelDone) << n;
      // Never more audio than the whole file held, plus a codec block of padding.
      EXPECT_LE(Capture().AllSamples16().size(), (s.frames + 2048) * static_cast<size_t>(s.channels)) << n;
      for (const RecordedReport& r : Reports().Take()) EXPECT_TRUE(titles.count(r.report.title)) << r.report.title;
    }
  }
}

TEST_F(WaveHostile, RandomDamageToAValidFileNeverCrashes) {
  const std::vector<uint8_t> whole = MakeRiffWave({{"fmt ", ExtensibleFormatBody(1, 2, 44100, 24)},
                                                   {"LIST", std::vector<uint8_t>(40, 'i')},
                                                   {"data", std::vector<uint8_t>(6000, 0x40)}});
  std::mt19937 random(4242);
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bytes = whole;
    // Damage a few bytes of the header region, where the walker and converter look.
    for (int k = 0; k < 1 + round % 4; ++k) bytes[random() % 120] = static_cast<uint8_t>(random());
    ASSERT_EQ(DecodeBytes(bytes), kOmbrelDone);
    EXPECT_LE(Capture().AllSamples16().size(), 6000u);
    Reports().Take();
  }
}

TEST_F(WaveHostile, FifosAndDevicesAreRefusedWithoutBlocking) {
  const std::string fifo = folder_ / "pipe.wav";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
    SCOPED_TRACE(path);
    ResetCapture();
    unsigned int decoded = 0, header = 0;
    OmbrelWaveHeaderInfo info;
    EXPECT_TRUE(RunsWithoutBlockingOn(fifo, [&] {
      decoded = COmbrel().Decode(path.c_str(), CaptureDecoded);
      header = COmbrel().GetHeaderParameters(path.c_str(), &info);
    }));
    EXPECT_EQ(decoded, kOmbrelDone);
    EXPECT_EQ(header, 1u);
    EXPECT_TRUE(Capture().blocks.empty());
    const auto reports = Reports().Take();
    ASSERT_EQ(reports.size(), 2u);
    for (const RecordedReport& r : reports) {
      EXPECT_EQ(r.report.title, "LargeFile");
      EXPECT_EQ(r.report.message, "Failed to open file");
    }
  }
}
