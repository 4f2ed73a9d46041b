// What a segment leaves on disk when writing goes wrong or ends: a write cut
// short inside a frame (a file-size limit here) costs whole frames and never
// the step of the frames written after it, and a segment closed after writing
// has its files flushed to the disk.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "AudioSegment.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using tessiro::test::CTempFolder;
using tessiro::test::Reports;

namespace {

std::vector<std::string>& SyncedPaths() {
  static std::vector<std::string> paths;
  return paths;
}

}  // namespace

// Every fsync of this test program is recorded by the path of its file, then done.
extern "C" int fsync(int fd) {
  char path[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = ::readlink(link.c_str(), path, sizeof path);
  if (n > 0) SyncedPaths().emplace_back(path, static_cast<size_t>(n));
  using Fsync = int (*)(int);
  static const auto real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
  return real ? real(fd) : 0;
}

namespace {

// Frame f, channel c of the test signal: every sample tells where it belongs.
int16_t SampleAt(uint32_t f, int c) { return static_cast<int16_t>(f * 7 + static_cast<uint32_t>(c) * 30011u); }

std::vector<int16_t> Signal(uint32_t first, uint32_t frames, int channels) {
  std::vector<int16_t> s;
  for (uint32_t f = first; f < first + frames; ++f) {
    for (int c = 0; c < channels; ++c) s.push_back(SampleAt(f, c));
  }
  return s;
}

std::vector<int16_t> FileSamples(const std::string& path) {
  platform::CFile file;
  std::vector<int16_t> samples;
  if (!file.Open(path, platform::CFile::Mode::Read)) return samples;
  samples.resize(static_cast<size_t>(file.Size()) / 2);
  file.Read(samples.data(), samples.size() * 2);
  return samples;
}

// Files of this process may not grow past a limit while it lives; writes past it fail with EFBIG.
class CFileSizeLimit {
 public:
  explicit CFileSizeLimit(rlim_t bytes) {
    old_ = ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~CFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, old_);
  }
  bool Ok() const { return ok_; }

 private:
  rlimit saved_{};
  sighandler_t old_;
  bool ok_ = false;
};

}  // namespace

TEST(SegmentDurability, WriteCutShortInsideAFrameKeepsLaterFramesInStep) {
  for (uint16_t channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const uint32_t frameBytes = 2u * channels;
    CTempFolder folder;
    CAudioSegment segment(folder.Path());
    segment.SetFormat(AudioQuality{44100, channels, 16});
    ASSERT_EQ(segment.Open(1), 1);
    const std::vector<int16_t> first = Signal(0, 2000, channels);
    uint32_t written = 0;
    {
      // The limit falls one byte into frame 1000.
      CFileSizeLimit limit(1000 * frameBytes + 1);
      ASSERT_TRUE(limit.Ok());
      EXPECT_EQ(segment.Write(first.data(), 2000, &written), 3);
    }
    EXPECT_EQ(written, 1000u);
    auto reports = Reports().Take();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].report.message, "Failed to write to (" + segment.GetPcmFileName() + ")");
    EXPECT_EQ(reports[0].report.code, EFBIG);

    // The writer goes on from the last whole frame.
    const std::vector<int16_t> second = Signal(1000, 640, channels);
    EXPECT_EQ(segment.Write(second.data(), 640, &written), 0);
    EXPECT_EQ(written, 640u);
    ASSERT_EQ(segment.Close(), 1);
    EXPECT_EQ(FileSamples(segment.GetPcmFileName()), Signal(0, 1640, channels));
    // Peaks follow the frames that arrived: 1000 / 64 and 640 / 64 records.
    EXPECT_EQ(FileSamples(segment.GetPeakFileName()).size() * 2, (15u + 10u) * frameBytes);
  }
}

TEST(SegmentDurability, ClosingAfterWritingFlushesBothFilesToTheDisk) {
  CTempFolder folder;
  CAudioSegment segment(folder.Path());
  segment.SetFormat(AudioQuality{44100, 2, 16});
  ASSERT_EQ(segment.Open(1), 1);
  const std::vector<int16_t> samples = Signal(0, 4410, 2);
  uint32_t written = 0;
  ASSERT_EQ(segment.Write(samples.data(), 4410, &written), 0);
  SyncedPaths().clear();
  ASSERT_EQ(segment.Close(), 1);
  const std::vector<std::string>& synced = SyncedPaths();
  EXPECT_NE(std::find(synced.begin(), synced.end(), segment.GetPcmFileName()), synced.end());
  EXPECT_NE(std::find(synced.begin(), synced.end(), segment.GetPeakFileName()), synced.end());

  // Reading needs no flush.
  SyncedPaths().clear();
  std::vector<int16_t> back(samples.size() + CLargeFile::kReadSlackBytes / 2);
  ASSERT_EQ(segment.Seek(0, &written), 0);
  ASSERT_EQ(segment.Read(back.data(), 4410, &written), 1);
  ASSERT_EQ(segment.Close(), 1);
  EXPECT_TRUE(SyncedPaths().empty());
}
