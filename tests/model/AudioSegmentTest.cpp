#include "AudioSegment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
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

constexpr uint32_t kUnset = CAudioSegment::kMarkerUnset;

// The test signal: every sample of every channel differs from its neighbours,
// and the values run over the whole 16-bit range.
int16_t SignalAt(uint64_t frame, int channel) {
  const uint32_t mixed = static_cast<uint32_t>(frame * 2654435761u + static_cast<uint64_t>(channel) * 40503u);
  return static_cast<int16_t>(mixed >> 16);
}

std::vector<int16_t> Signal(uint64_t firstFrame, uint32_t frames, int channels) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  for (uint32_t f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) samples[static_cast<size_t>(f) * channels + c] = SignalAt(firstFrame + f, c);
  }
  return samples;
}

AudioQuality Format(uint16_t channels) { return AudioQuality{44100, channels, 16}; }

int64_t FileSize(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

// Writes frames of the test signal in blocks, as a recorder or an import hands them over.
void WriteSignal(CAudioSegment& segment, uint32_t frames, uint32_t block) {
  const int channels = segment.GetChannels();
  for (uint32_t done = 0; done < frames;) {
    const uint32_t n = std::min(block, frames - done);
    const std::vector<int16_t> samples = Signal(done, n, channels);
    uint32_t written = 0;
    ASSERT_EQ(segment.Write(samples.data(), n, &written), 0);
    ASSERT_EQ(written, n);
    done += n;
  }
}

// Reads frames at first synchronously and checks them against the test signal.
void ExpectSignalRead(CAudioSegment& segment, uint32_t length, uint32_t first, uint32_t frames) {
  SCOPED_TRACE("read " + std::to_string(frames) + " frames at " + std::to_string(first));
  const int channels = segment.GetChannels();
  std::vector<int16_t> buffer(static_cast<size_t>(frames) * channels + CLargeFile::kReadSlackBytes / 2);
  uint32_t at = 0;
  ASSERT_EQ(segment.Seek(first, &at), 0);
  ASSERT_EQ(at, first);
  uint32_t got = 0;
  ASSERT_EQ(segment.Read(buffer.data(), frames, &got), 1);
  ASSERT_EQ(got, first >= length ? 0 : std::min(frames, length - first));
  const std::vector<int16_t> expected = Signal(first, got, channels);
  ASSERT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
}

}  // namespace

TEST(AudioSegment, FilesAreNamedAfterFolderTimeStampAndIdentifier) {
  CTempFolder folder;
  CAudioSegment a(folder.Path());
  CAudioSegment b(folder.Path());
  // "<folder>/QRVD_" + fourteen digits + "_" + the identifier + ".pcm"
  const std::string prefix = folder.Path() + "/QRVD_";
  const std::string& pcm = a.GetPcmFileName();
  ASSERT_EQ(pcm.rfind(prefix, 0), 0u) << pcm;
  const std::string stamp = pcm.substr(prefix.size(), 14);
  EXPECT_EQ(stamp.find_first_not_of("0123456789"), std::string::npos) << pcm;
  EXPECT_EQ(stamp.size(), 14u);
  EXPECT_EQ(pcm.substr(prefix.size() + 14), "_" + std::to_string(a.GetIdentifier()) + ".pcm");
  EXPECT_EQ(a.GetPeakFileName(), a.GetPcmFileName().substr(0, a.GetPcmFileName().size() - 4) + ".pek");
  EXPECT_NE(a.GetIdentifier(), b.GetIdentifier());
  EXPECT_NE(a.GetPcmFileName(), b.GetPcmFileName());
  EXPECT_NE(a.GetPeakFileName(), b.GetPeakFileName());
  // Nothing is created until the segment is written.
  EXPECT_FALSE(platform::FileExists(a.GetPcmFileName()));
}

TEST(AudioSegment, MissingFolderIsReported) {
  CTempFolder folder;
  CAudioSegment gone(folder / "not-there");
  CAudioSegment empty("");
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  for (const auto& r : reports) {
    EXPECT_EQ(r.report.title, "AudioSegment");
    EXPECT_EQ(r.report.line, 119);
  }
  EXPECT_EQ(gone.GetPcmFileName().rfind(folder / "not-there/QRVD_", 0), 0u);
  EXPECT_EQ(empty.GetPcmFileName().rfind(platform::TemporaryFolder() + "/QRVD_", 0), 0u);
}

TEST(AudioSegment, WritingAddsAudioAndPeakRecords) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  segment.SetFormat(Format(2));
  ASSERT_EQ(segment.Open(1), 1);
  WriteSignal(segment, 4410, 4410);
  EXPECT_EQ(FileSize(segment.GetPcmFileName()), 17640);
  EXPECT_EQ(FileSize(segment.GetPeakFileName()), 68 * 4);
  EXPECT_EQ(segment.GetPeakCount(), 272u);

  // Without peaks only the audio grows.
  segment.peaks = 0;
  WriteSignal(segment, 640, 640);
  EXPECT_EQ(FileSize(segment.GetPcmFileName()), 17640 + 640 * 4);
  EXPECT_EQ(FileSize(segment.GetPeakFileName()), 272);
  ASSERT_EQ(segment.Close(), 1);
}

TEST(AudioSegment, AudioReadsBackExactlyAtOddPlaces) {
  CTempFolder folder;
  for (uint16_t channels : {1, 2}) {
    SCOPED_TRACE(std::to_string(channels) + " channels");
    CAudioSegment segment(folder.Path());
    segment.SetFormat(Format(channels));
    constexpr uint32_t kLength = 100037;
    ASSERT_EQ(segment.Open(1), 1);
    WriteSignal(segment, kLength, 8192);
    ASSERT_EQ(segment.Close(), 1);
    segment.SetLengthFromBytes(static_cast<uint32_t>(FileSize(segment.GetPcmFileName())));
    ASSERT_EQ(segment.length, kLength);

    std::mt19937 random(channels);
    for (int i = 0; i < 60; ++i) ExpectSignalRead(segment, kLength, random() % (kLength + 100), 1 + random() % 5000);
    ExpectSignalRead(segment, kLength, 0, kLength);
    ExpectSignalRead(segment, kLength, kLength - 1, 1);
    ExpectSignalRead(segment, kLength, kLength - 129, 129);  // ends exactly at the end
    ExpectSignalRead(segment, kLength, kLength - 7, 500);    // runs past it
    ExpectSignalRead(segment, kLength, kLength, 10);
    ASSERT_EQ(segment.Close(), 1);
  }
}

TEST(AudioSegment, PlaybackReadsGiveTheFramesAsked) {
  CTempFolder folder;
  for (uint16_t channels : {1, 2}) {
    SCOPED_TRACE(std::to_string(channels) + " channels");
    CAudioSegment segment(folder.Path());
    segment.SetFormat(Format(channels));
    ASSERT_EQ(segment.Open(1), 1);
    WriteSignal(segment, 50000, 8192);
    ASSERT_EQ(segment.Close(), 1);
    EXPECT_TRUE(segment.IsReadHandleClosed());

    for (uint32_t first : {0u, 12345u, 49000u, 49999u, 50000u}) {
      std::vector<int16_t> work(8192 * channels + CLargeFile::kReadSlackBytes / 2);
      uint32_t transferred = 0;
      ASSERT_EQ(segment.BeginRead(first, 8192, &transferred, work.data()), 1);
      uint32_t frames = 0;
      ASSERT_EQ(segment.CompleteRead(&frames, work.data()), 1);
      ASSERT_EQ(frames, first >= 50000 ? 0 : std::min(8192u, 50000 - first));
      const std::vector<int16_t> expected = Signal(first, frames, channels);
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), work.begin()));
    }
    EXPECT_FALSE(segment.IsReadHandleClosed());
    EXPECT_EQ(segment.CloseReadHandle(), 1);
    EXPECT_TRUE(segment.IsReadHandleClosed());
  }
}

TEST(AudioSegment, FailedFileReadIsAFaultNotTheEndOfTheAudio) {
  CTempFolder folder;
  // A folder of the audio's name, one with a size of its own, cannot be read:
  // it is refused as it is opened, and every read fails.
  const std::string notAFile = folder / "folder.pcm";
  ASSERT_TRUE(platform::CreateFolder(notAFile));
  ASSERT_TRUE(platform::CreateFolder(notAFile + "/entry"));
  ASSERT_GT(FileSize(notAFile), 0);
  CAudioSegment segment(folder.Path());
  segment.SetFormat(Format(2));
  segment.SetPcmFileName(notAFile);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 100);
  std::vector<int16_t> buffer(2 * 100 + 1024);
  uint32_t frames = 99;
  EXPECT_EQ(segment.Read(buffer.data(), 100, &frames), 3);
  EXPECT_EQ(frames, 0u);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.title, "LargeFile");
  EXPECT_EQ(reports[0].report.line, 412);
  EXPECT_EQ(reports[0].report.message, "Failed to open file (" + notAFile + ").");
  EXPECT_EQ(reports[1].report.line, 173);
}

TEST(AudioSegment, ReopenedForWritingRewritesFromTheStart) {
  // A short copy is rewritten as one whole second over the same files.
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  segment.SetFormat(Format(1));
  ASSERT_EQ(segment.Open(1), 1);
  WriteSignal(segment, 1000, 1000);
  ASSERT_EQ(segment.Close(), 1);
  ASSERT_EQ(segment.Open(1), 1);
  WriteSignal(segment, 44100, 44100);
  ASSERT_EQ(segment.Close(), 1);
  EXPECT_EQ(FileSize(segment.GetPcmFileName()), 44100 * 2);
  EXPECT_EQ(FileSize(segment.GetPeakFileName()), 689 * 2);
  EXPECT_EQ(segment.GetPeakCount(), 689u * 2);
  ExpectSignalRead(segment, 44100, 0, 44100);
}

TEST(AudioSegment, PeakCountIsWhatAReaderMayUse) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  segment.SetFormat(Format(2));
  EXPECT_EQ(segment.GetPeakCount(), 0u);
  ASSERT_EQ(segment.Open(1), 1);
  WriteSignal(segment, 6400, 6400);
  ASSERT_EQ(segment.GetPeakFile().Open(0), 1);
  // The record that the 6400th frame ends is owed until the session goes on or closes.
  EXPECT_EQ(segment.GetPeakCount(), 396u);
  // More records arrive while the old view stands: the count stays at the view
  // until a reader maps the new records.
  WriteSignal(segment, 640, 640);
  EXPECT_EQ(segment.GetPeakCount(), 396u);
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(segment.GetPeakFile().GetData(&data, &size), 1);
  EXPECT_EQ(size, 436u);
  EXPECT_EQ(segment.GetPeakCount(), 436u);
  std::vector<int16_t> session = Signal(0, 6400, 2);
  const std::vector<int16_t> tail = Signal(0, 640, 2);
  session.insert(session.end(), tail.begin(), tail.end());
  const std::vector<uint8_t> expected = ReferencePeaks(session, 7040, 2);
  ASSERT_EQ(expected.size(), 440u);
  EXPECT_TRUE(std::equal(data, data + size, expected.begin()));
  ASSERT_EQ(segment.Close(), 1);
  EXPECT_EQ(FileSize(segment.GetPeakFileName()), 440);
}

TEST(AudioSegment, SettingThePcmFileCreatesAMissingOneAndKeepsAnExistingOne) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  segment.SetPcmFileName(folder / "new.pcm");
  EXPECT_TRUE(platform::FileExists(folder / "new.pcm"));
  EXPECT_TRUE(segment.IsReadHandleClosed());

  platform::CFile existing;
  ASSERT_TRUE(existing.Open(folder / "old.pcm", platform::CFile::Mode::Create));
  ASSERT_EQ(existing.Write("abcd", 4), 4);
  segment.SetPcmFileName(folder / "old.pcm");
  segment.SetPeakFileName(folder / "old.pek");
  EXPECT_EQ(FileSize(folder / "old.pcm"), 4);
  EXPECT_EQ(segment.GetPcmFileName(), folder / "old.pcm");
  EXPECT_EQ(segment.GetPeakFileName(), folder / "old.pek");
}

TEST(AudioSegment, LengthConversions) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  segment.SetFormat(Format(2));
  segment.SetLengthFromBytes(17640);
  EXPECT_EQ(segment.length, 4410u);
  EXPECT_FLOAT_EQ(segment.GetLengthSeconds(), 0.1f);
  segment.SetFormat(Format(1));
  segment.SetLengthFromBytes(17641);
  EXPECT_EQ(segment.length, 8820u);
  EXPECT_EQ(segment.GetBytesPerSample(), 2u);
}

TEST(AudioSegment, ZeroDivisorsAreReported) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  std::vector<int16_t> buffer(4096);
  uint32_t frames = 5;
  segment.SetFormat(AudioQuality{44100, 2, 0});
  EXPECT_EQ(segment.Read(buffer.data(), 10, &frames), 3);
  EXPECT_EQ(segment.Write(buffer.data(), 10, &frames), 3);
  EXPECT_EQ(segment.Seek(10, &frames), 3);
  EXPECT_EQ(segment.CompleteRead(&frames, buffer.data()), 3);
  segment.length = 7;
  segment.SetLengthFromBytes(100);
  EXPECT_EQ(segment.length, 0u);
  segment.SetFormat(AudioQuality{44100, 0, 16});
  EXPECT_EQ(segment.Read(buffer.data(), 10, &frames), 3);
  EXPECT_EQ(segment.Write(buffer.data(), 10, &frames), 3);
  EXPECT_EQ(segment.Seek(10, &frames), 3);
  segment.SetLengthFromBytes(100);
  EXPECT_EQ(frames, 0u);
  const std::vector<int> lines = {221, 258, 298, 355, 407, 225, 262, 302, 411};
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(reports[i].report.line, lines[i]);
    EXPECT_EQ(reports[i].report.message, "Divide By Zero Violation");
  }
}

TEST(AudioSegment, MissingArgumentsAreReported) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  int16_t samples[4] = {};
  uint32_t frames = 0;
  EXPECT_EQ(segment.Read(samples, 1, nullptr), 3);
  EXPECT_EQ(segment.Write(nullptr, 1, &frames), 3);
  EXPECT_EQ(segment.Write(samples, 1, nullptr), 3);
  EXPECT_EQ(segment.CopyAttributesTo(nullptr), 3);
  const std::vector<int> lines = {211, 245, 250, 377};
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(reports[i].report.line, lines[i]);
}

TEST(AudioSegment, MarkersFollowADeletion) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  struct Case {
    uint32_t start, end, newStart, newEnd;
  };
  // Frames 100..200 are removed.
  const Case cases[] = {
      {50, 300, 50, 200},             // the cut lies inside the marked range
      {300, 400, 200, 300},           // before both
      {50, 150, 50, kUnset},          // takes the end marker
      {50, 80, 50, 80},               // after both
      {120, 180, kUnset, kUnset},     // takes both
      {150, 300, 200, kUnset},        // takes the start: the moved end is the single marker
      {150, kUnset, kUnset, kUnset},  // takes the single marker
      {50, kUnset, 50, kUnset},       // a single marker before the cut stays
      {300, kUnset, 200, kUnset},     // a single marker after it moves
      {100, 200, kUnset, kUnset},     // exactly the cut
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
    segment.markerStart = c.start;
    segment.markerEnd = c.end;
    EXPECT_EQ(segment.AdjustMarkers(1, 100, 200), 0);
    EXPECT_EQ(segment.markerStart, c.newStart);
    EXPECT_EQ(segment.markerEnd, c.newEnd);
    EXPECT_EQ(segment.markerSize, c.newEnd - c.newStart);
  }

  // With no marker nothing changes, not even the size.
  segment.markerStart = segment.markerEnd = kUnset;
  segment.markerSize = 1234;
  EXPECT_EQ(segment.AdjustMarkers(1, 100, 200), 0);
  EXPECT_EQ(segment.markerSize, 1234u);
}

TEST(AudioSegment, MarkersFollowAnInsertion) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  segment.markerStart = 50;
  segment.markerEnd = 300;
  EXPECT_EQ(segment.AdjustMarkers(2, 100, 150), 0);
  EXPECT_EQ(segment.markerStart, 50u);
  EXPECT_EQ(segment.markerEnd, 350u);
  EXPECT_EQ(segment.markerSize, 300u);

  // A marker exactly at the insertion point stays; an unset end stays unset.
  segment.markerStart = 100;
  segment.markerEnd = kUnset;
  EXPECT_EQ(segment.AdjustMarkers(2, 100, 150), 0);
  EXPECT_EQ(segment.markerStart, 100u);
  EXPECT_EQ(segment.markerEnd, kUnset);
}

TEST(AudioSegment, TrackerFromViewFractions) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  segment.viewStart = 1000;
  segment.viewWidth = 2000;
  segment.SetTrackerFromView(0.25f, 0.75f);
  EXPECT_EQ(segment.trackerStart, 1500u);
  EXPECT_EQ(segment.trackerEnd, 2500u);
  EXPECT_EQ(segment.trackerSize, 1000u);

  // A fraction left of the view never wraps to the end of the 32-bit range,
  // and fractions in the wrong order give an empty range, not a huge one.
  segment.viewStart = 100;
  segment.viewWidth = 1000;
  segment.SetTrackerFromView(-0.5f, 0.5f);
  EXPECT_EQ(segment.trackerStart, 0u);
  EXPECT_EQ(segment.trackerEnd, 600u);
  EXPECT_EQ(segment.trackerSize, 600u);
  segment.SetTrackerFromView(0.5f, 0.25f);
  EXPECT_EQ(segment.trackerStart, 600u);
  EXPECT_EQ(segment.trackerEnd, 350u);
  EXPECT_EQ(segment.trackerSize, 0u);
}

TEST(AudioSegment, AttributesCopyToAnotherSegment) {
  CTempFolder folder;
  CAudioSegment from(folder.Path());
  from.SetFormat(AudioQuality{44100, 1, 16});
  from.tempo = 133.5f;
  from.length = 9000;
  from.viewStart = 1;
  from.viewEnd = 2;
  from.viewWidth = 3;
  from.trackerStart = 4;
  from.trackerEnd = 5;
  from.trackerSize = 6;
  from.markerStart = 7;
  from.markerEnd = 8;
  from.markerSize = 9;
  from.sourceName = "take.wav";
  CAudioSegment to(folder.Path());
  ASSERT_EQ(from.CopyAttributesTo(&to), 1);
  EXPECT_EQ(to.GetChannels(), 1);
  EXPECT_EQ(to.tempo, 133.5f);
  EXPECT_EQ(to.length, 9000u);
  EXPECT_EQ(std::vector<uint32_t>({to.viewStart, to.viewEnd, to.viewWidth, to.trackerStart, to.trackerEnd,
                                   to.trackerSize, to.markerStart, to.markerEnd, to.markerSize}),
            std::vector<uint32_t>({1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(to.sourceName, "") << "the source name stays with its own audio";
  EXPECT_NE(to.GetPcmFileName(), from.GetPcmFileName());
}

TEST(AudioSegment, NameFromBuffer) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  const char buffer[] = "/music/take one.wav\0next";
  const char* next = segment.SetNameFromBuffer(buffer);
  EXPECT_EQ(segment.sourceName, "/music/take one.wav");
  EXPECT_STREQ(next, "next");
}

TEST(AudioSegment, NinetyMinutesOfStereo) {
  // A whole project's worth of one take, written in blocks larger than four
  // million frames; the files go with the test's folder.
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  segment.SetFormat(Format(2));
  constexpr uint32_t kFrames = 238140000;
  constexpr uint32_t kBlock = 8388608;
  ASSERT_EQ(segment.Open(1), 1);
  std::vector<int16_t> block(static_cast<size_t>(kBlock) * 2);
  uint32_t lastBlockFrames = 0;
  for (uint32_t done = 0; done < kFrames;) {
    const uint32_t n = std::min(kBlock, kFrames - done);
    for (uint32_t f = 0; f < n; ++f) {
      block[2 * f] = SignalAt(done + f, 0);
      block[2 * f + 1] = SignalAt(done + f, 1);
    }
    uint32_t written = 0;
    ASSERT_EQ(segment.Write(block.data(), n, &written), 0);
    ASSERT_EQ(written, n);
    done += n;
    lastBlockFrames = n;
  }
  ASSERT_EQ(segment.Close(), 1);

  const int64_t bytes = FileSize(segment.GetPcmFileName());
  ASSERT_EQ(bytes, int64_t{kFrames} * 4);
  segment.SetLengthFromBytes(static_cast<uint32_t>(bytes));
  EXPECT_EQ(segment.length, kFrames);
  EXPECT_FLOAT_EQ(segment.GetLengthSeconds(), 5400.0f);

  // 28 whole blocks of 131072 records and a last one of 3258976 frames.
  constexpr uint32_t kRecords = 28 * (kBlock / 64) + (kFrames - 28 * kBlock) / 64;
  EXPECT_EQ(kRecords, 3720937u);
  EXPECT_EQ(FileSize(segment.GetPeakFileName()), int64_t{kRecords} * 4);
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(segment.GetPeakFile().GetData(&data, &size), 1);
  EXPECT_EQ(size, kRecords * 4);
  EXPECT_EQ(segment.GetPeakCount(), kRecords * 4);
  // The last write's records, against the slow reference.
  const std::vector<uint8_t> expected =
      ReferencePeaks(block.data(), lastBlockFrames, 2);
  ASSERT_EQ(expected.size(), lastBlockFrames / 64 * 4);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), data + size - expected.size()));

  ExpectSignalRead(segment, kFrames, kFrames - 100000, 100000);
  ExpectSignalRead(segment, kFrames, kBlock * 17 - 3, 8192);
  ExpectSignalRead(segment, kFrames, 123456789, 65536);
  ASSERT_EQ(segment.Close(), 1);
}
