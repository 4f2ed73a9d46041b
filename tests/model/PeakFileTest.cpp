#include "PeakFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "File.h"
#include "Folders.h"
#include "PeakReference.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using tessiro::test::CTempFolder;
using tessiro::test::Reports;

namespace {

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  platform::CFile file;
  EXPECT_TRUE(file.Open(path, platform::CFile::Mode::Read));
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(file.Size(), 0)));
  EXPECT_EQ(file.Read(bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
  return bytes;
}

std::vector<uint8_t> PeaksWrittenFor(const CTempFolder& folder, const std::vector<int16_t>& samples,
                                     uint32_t frames, uint16_t channels) {
  std::string name = "p";
  name += std::to_string(frames);
  name += "_";
  name += std::to_string(channels);
  name += ".pek";
  const std::string path = folder / name;
  CPeakFile peaks(path);
  EXPECT_EQ(peaks.Open(1), 1);
  EXPECT_EQ(peaks.WritePeaksOf(samples.data(), frames, channels), 1);
  EXPECT_EQ(peaks.Close(), 1);
  return ReadWholeFile(path);
}

std::vector<int16_t> Noise(size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> sample(-32768, 32767);
  std::vector<int16_t> samples(count);
  for (int16_t& s : samples) s = static_cast<int16_t>(sample(random));
  return samples;
}

}  // namespace

TEST(PeakFile, KnownSignalGivesKnownRecords) {
  CTempFolder folder;
  std::vector<int16_t> mono(128, 0);
  mono[0] = 1000;
  mono[1] = -1000;
  mono[64] = 32767;   // the frame at 64 closes the first record: it belongs to it
  mono[65] = -32768;  // a full-scale negative peak in the second record
  mono[127] = 128;
  EXPECT_EQ(PeaksWrittenFor(folder, mono, 128, 1), (std::vector<uint8_t>{255, 7, 1, 255}));

  mono.assign(128, 0);
  mono[10] = 127;   // below one step
  mono[11] = -127;
  mono[70] = -32767;
  mono[71] = 255;
  EXPECT_EQ(PeaksWrittenFor(folder, mono, 128, 1), (std::vector<uint8_t>{0, 0, 1, 255}));

  // Stereo: each side has its own pair; a silent side stays 0.
  std::vector<int16_t> stereo(2 * 64, 0);
  stereo[2 * 5] = 32767;       // left maximum
  stereo[2 * 9 + 1] = -32768;  // right minimum
  stereo[2 * 9] = -256;
  EXPECT_EQ(PeaksWrittenFor(folder, stereo, 64, 2), (std::vector<uint8_t>{255, 2, 0, 255}));
}

TEST(PeakFile, EachWriteMakesOneRecordPer64Frames) {
  CTempFolder folder;
  const std::vector<int16_t> samples = Noise(2 * 200, 1);
  EXPECT_EQ(PeaksWrittenFor(folder, samples, 130, 1).size(), 2u * 2);
  EXPECT_EQ(PeaksWrittenFor(folder, samples, 128, 1).size(), 2u * 2);
  EXPECT_EQ(PeaksWrittenFor(folder, samples, 63, 1).size(), 0u);
  EXPECT_EQ(PeaksWrittenFor(folder, samples, 64, 2).size(), 1u * 4);
  EXPECT_EQ(PeaksWrittenFor(folder, samples, 0, 2).size(), 0u);

  // Two writes of 63 frames make no record: frames are not carried between writes.
  const std::string path = folder / "two.pek";
  CPeakFile peaks(path);
  ASSERT_EQ(peaks.Open(1), 1);
  ASSERT_EQ(peaks.WritePeaksOf(samples.data(), 63, 1), 1);
  ASSERT_EQ(peaks.WritePeaksOf(samples.data() + 63, 63, 1), 1);
  EXPECT_EQ(peaks.KnownSize(), 0u);
}

TEST(PeakFile, RecordsMatchTheFrameRuleForAnyLength) {
  CTempFolder folder;
  for (uint16_t channels : {1, 2}) {
    for (uint32_t frames : {1u, 63u, 64u, 65u, 127u, 128u, 129u, 191u, 192u, 4410u, 8192u, 100001u}) {
      SCOPED_TRACE(std::to_string(frames) + " frames of " + std::to_string(channels) + " channels");
      const std::vector<int16_t> samples = Noise(static_cast<size_t>(frames) * channels, frames + channels);
      EXPECT_EQ(PeaksWrittenFor(folder, samples, frames, channels), ReferencePeaks(samples, frames, channels));
    }
  }
}

TEST(PeakFile, OneWriteLongerThanFourMillionFramesIsWhole) {
  CTempFolder folder;
  const uint32_t frames = 4194304 + 3 * 64 + 5;
  std::vector<int16_t> samples(frames);
  for (uint32_t f = 0; f < frames; ++f) samples[f] = static_cast<int16_t>((f * 2654435761u) >> 16);
  const std::vector<uint8_t> written = PeaksWrittenFor(folder, samples, frames, 1);
  ASSERT_EQ(written.size(), static_cast<size_t>(frames / 64) * 2);
  EXPECT_EQ(written, ReferencePeaks(samples, frames, 1));
}

TEST(PeakFile, EmptyOrMissingFileCreatesItAndReportsTheMappingOnce) {
  CTempFolder folder;
  const std::string path = folder / "empty.pek";
  CPeakFile peaks(path);
  EXPECT_EQ(peaks.Open(0), 3);
  EXPECT_TRUE(platform::FileExists(path));
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "PeakFile");
  EXPECT_EQ(reports[0].report.line, 135);
  EXPECT_EQ(reports[0].report.message, "Failed to create mapping file " + path + ".");

  // Redrawing asks again and again; the empty file was already reported.
  const uint8_t* data = reinterpret_cast<const uint8_t*>(1);
  uint32_t size = 77;
  EXPECT_EQ(peaks.GetData(&data, &size), 3);
  EXPECT_EQ(peaks.GetData(&data, &size), 3);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(Reports().Count(), 0u);

  // Once records arrive, the data maps.
  CPeakFile writer(path);
  ASSERT_EQ(writer.Open(1), 1);
  const uint8_t record[2] = {9, 8};
  ASSERT_EQ(writer.Write(record, 2, nullptr), 1);
  ASSERT_EQ(peaks.GetData(&data, &size), 1);
  ASSERT_EQ(size, 2u);
  EXPECT_EQ(data[0], 9);
  EXPECT_EQ(data[1], 8);
}

TEST(PeakFile, MappingFollowsTheFileAsItGrows) {
  CTempFolder folder;
  const std::string path = folder / "grow.pek";
  CPeakFile peaks(path);
  ASSERT_EQ(peaks.Open(1), 1);
  std::vector<uint8_t> records(40);
  for (size_t i = 0; i < records.size(); ++i) records[i] = static_cast<uint8_t>(i);
  ASSERT_EQ(peaks.Write(records.data(), 20, nullptr), 1);

  const uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(peaks.GetData(&data, &size), 1);
  EXPECT_EQ(size, 20u);
  EXPECT_TRUE(peaks.IsMapped());
  EXPECT_EQ(peaks.MappedBytes(), 20u);

  // A reader never gets a size beyond what is mapped: new records are mapped first.
  ASSERT_EQ(peaks.Write(records.data() + 20, 20, nullptr), 1);
  EXPECT_EQ(peaks.KnownSize(), 40u);
  ASSERT_EQ(peaks.GetData(&data, &size), 1);
  ASSERT_EQ(size, 40u);
  EXPECT_EQ(peaks.MappedBytes(), 40u);
  for (uint32_t i = 0; i < size; ++i) EXPECT_EQ(data[i], i);

  ASSERT_EQ(peaks.Close(), 1);
  EXPECT_FALSE(peaks.IsMapped());
}

// A redraw asks every snippet for its peaks: the file system is asked about
// the file's size only when the program has written peaks since.
TEST(PeakFile, AViewLooksAtItsFileAgainOnlyAfterPeaksWereWritten) {
  CTempFolder folder;
  const std::string path = folder / "made-elsewhere.pek";
  std::vector<uint8_t> records(16);
  for (size_t i = 0; i < records.size(); ++i) records[i] = static_cast<uint8_t>(100 + i);
  platform::CFile outside;
  ASSERT_TRUE(outside.Open(path, platform::CFile::Mode::Create));
  ASSERT_EQ(outside.Write(records.data(), 8), 8);

  CPeakFile peaks(path);
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(peaks.GetData(&data, &size), 1);
  EXPECT_EQ(size, 8u);
  ASSERT_EQ(outside.Write(records.data() + 8, 8), 8);
  for (int redraw = 0; redraw < 3; ++redraw) {
    ASSERT_EQ(peaks.GetData(&data, &size), 1);
    EXPECT_EQ(size, 8u);
  }

  // Peaks written anywhere in the program, here to another file.
  CPeakFile writer(folder / "take.pek");
  ASSERT_EQ(writer.Open(1), 1);
  ASSERT_EQ(writer.Write(records.data(), 4, nullptr), 1);
  ASSERT_EQ(peaks.GetData(&data, &size), 1);
  ASSERT_EQ(size, 16u);
  EXPECT_TRUE(std::equal(records.begin(), records.end(), data));
  EXPECT_EQ(Reports().Count(), 0u);
}

TEST(PeakFile, WriteSideFaults) {
  CTempFolder folder;
  CPeakFile peaks(folder / "w.pek");
  const uint8_t record[4] = {1, 2, 3, 4};
  uint32_t written = 5;
  EXPECT_EQ(peaks.Write(record, 4, &written), 3);
  EXPECT_EQ(written, 0u);
  uint32_t value = 0;
  EXPECT_EQ(peaks.Tell(&value), 3);
  EXPECT_EQ(peaks.GetSize(&value), 3);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].report.line, 193);
  EXPECT_EQ(reports[0].report.message, "");
  EXPECT_EQ(reports[1].report.line, 284);
  EXPECT_EQ(reports[2].report.line, 261);

  CPeakFile full("/dev/full");
  ASSERT_EQ(full.Open(1), 1);
  EXPECT_EQ(full.Write(record, 4, &written), 3);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 186);
  EXPECT_EQ(reports[0].report.message, "Write failed for file /dev/full.");

  CPeakFile nowhere(folder / "missing/x.pek");
  EXPECT_EQ(nowhere.Open(1), 3);
  EXPECT_EQ(nowhere.Open(0), 3);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.line, 88);
  EXPECT_EQ(reports[1].report.line, 74);
  EXPECT_EQ(reports[1].report.message, "Failed to open file " + folder / "missing/x.pek" + " for read.");
}

namespace {

// One write session cut into writes at the given frame counts (the rest in one last write).
std::vector<uint8_t> SessionPeaks(const CTempFolder& folder, const std::vector<int16_t>& samples, uint32_t frames,
                                  uint16_t channels, const std::vector<uint32_t>& cuts) {
  const std::string path = folder / ("session" + std::to_string(frames) + "_" + std::to_string(channels) + ".pek");
  {
    CPeakFile peaks(path);
    EXPECT_EQ(peaks.Open(1), 1);
    uint32_t done = 0;
    for (uint32_t cut : cuts) {
      const uint32_t n = std::min(cut, frames - done);
      EXPECT_EQ(peaks.AppendPeaksOf(samples.data() + static_cast<size_t>(done) * channels, n, channels), 1);
      done += n;
    }
    EXPECT_EQ(peaks.AppendPeaksOf(samples.data() + static_cast<size_t>(done) * channels, frames - done, channels), 1);
    EXPECT_EQ(peaks.Close(), 1);
  }
  return ReadWholeFile(path);
}

}  // namespace

TEST(PeakFile, ASessionCutIntoAnyWritesIsOneWrite) {
  CTempFolder folder;
  struct Case {
    uint32_t frames;
    std::vector<uint32_t> cuts;
  } cases[] = {
      {126, {63}},                       // two writes of 63 frames make one record
      {128, {64}},                       // the last record is owed until Close
      {129, {1, 64}},                    // a write that begins one frame into a record
      {4410, {1, 1, 62, 65, 127, 257}},  // writes of every phase against the records
      {88200 * 3, {88200, 88200}},       // the effect worker's blocks, 8 frames over 64 each
      {100001, {8192, 7526, 7526, 1}},   // resampled import blocks
  };
  for (uint16_t channels : {1, 2}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(c.frames) + " frames of " + std::to_string(channels) + " channels");
      const std::vector<int16_t> samples = Noise(static_cast<size_t>(c.frames) * channels, c.frames + 7 * channels);
      const std::vector<uint8_t> written = SessionPeaks(folder, samples, c.frames, channels, c.cuts);
      EXPECT_EQ(written.size(), static_cast<size_t>(c.frames / 64) * 2 * channels);
      EXPECT_EQ(written, ReferencePeaks(samples, c.frames, channels));
    }
  }
}

TEST(PeakFile, EachOpeningForWritingStartsANewSession) {
  CTempFolder folder;
  const std::vector<int16_t> samples = Noise(200, 3);
  const std::string path = folder / "again.pek";
  CPeakFile peaks(path);
  ASSERT_EQ(peaks.Open(1), 1);
  ASSERT_EQ(peaks.AppendPeaksOf(samples.data(), 100, 1), 1);
  ASSERT_EQ(peaks.Close(), 1);
  // Rewritten from byte 0: the 36 frames left open before are not carried into it.
  ASSERT_EQ(peaks.Open(1), 1);
  ASSERT_EQ(peaks.AppendPeaksOf(samples.data() + 100, 64, 1), 1);
  ASSERT_EQ(peaks.Close(), 1);
  const std::vector<uint8_t> written = ReadWholeFile(path);
  const std::vector<uint8_t> expected = ReferencePeaks(samples.data() + 100, 64, 1);
  ASSERT_EQ(expected.size(), 2u);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), written.begin()));
}
