// The real LAME program on a full disk (a small tmpfs of the test's own): it
// exits 0 over an MP3 file whose tag it could not write, and a decode needs no
// room on any disk. Skipped where LAME is missing or no tmpfs can be mounted.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "AudioFixtures.h"
#include "Folders.h"
#include "Lunder.h"
#include "ReportRecorder.h"
#include "SmallTmpfs.h"
#include "TempFolder.h"

using namespace tessiro::test;

namespace {

constexpr uint64_t kPageBytes = 4096;

void IgnoreProgress(short, int* cancel) { *cancel = 0; }

class LameFullDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ProgramAvailable("lame")) GTEST_SKIP() << "lame is not installed";
    ResetCapture();
    // Ten seconds of stereo: 1.7 MB as WAV, 160 KB as MP3.
    WriteBytes(raw_, Pcm16Bytes(Sine(10 * 44100, 2, 9000, 440, 44100)));
    ASSERT_TRUE(platform::CreateFolder(small_));
  }

  // The MP3 file of the ten seconds, made where there is room.
  std::string EncodeWhereThereIsRoom() {
    const std::string mp3 = folder_ / "song.mp3";
    EXPECT_EQ(CLunder().Encode(raw_.c_str(), 128, {44100, 2, 16}, mp3.c_str(), IgnoreProgress), kLunderDone);
    return mp3;
  }

  CTempFolder folder_;
  std::string raw_ = folder_ / "in.pcm";
  std::string small_ = folder_ / "small";
  CSmallTmpfs tmpfs_;  // after folder_, so it is unmounted before the folder goes
};

}  // namespace

TEST_F(LameFullDisk, ImportNeedsNoRoomInTheTemporaryFolder) {
  const std::string mp3 = EncodeWhereThereIsRoom();
  ASSERT_EQ(CLunder().Decode(mp3.c_str(), IgnoreProgress, CaptureDecoded), kLunderDone);
  const std::vector<uint8_t> decoded = Capture().AllBytes();
  ASSERT_GE(decoded.size(), 10u * 44100 * 4);
  if (!tmpfs_.Mount(small_, 64 * kPageBytes)) GTEST_SKIP() << tmpfs_.WhyNot();
  ASSERT_TRUE(tmpfs_.LeaveFree(0));
  const char* before = std::getenv("TMPDIR");
  const std::string oldTmp = before ? before : "";
  setenv("TMPDIR", small_.c_str(), 1);
  ResetCapture();
  const unsigned int result = CLunder().Decode(mp3.c_str(), IgnoreProgress, CaptureDecoded);
  if (before) {
    setenv("TMPDIR", oldTmp.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_EQ(result, kLunderDone);
  EXPECT_TRUE(Reports().Take().empty());
  EXPECT_EQ(Capture().AllBytes(), decoded);
  EXPECT_EQ(platform::ListFolder(small_), std::vector<std::string>{".filler"});
}

TEST_F(LameFullDisk, ExportWhoseLastBytesDoNotFitKeepsTheOldFile) {
  const uint64_t size = ReadBytes(EncodeWhereThereIsRoom()).size();
  if (!tmpfs_.Mount(small_, size + 32 * kPageBytes)) GTEST_SKIP() << tmpfs_.WhyNot();
  const std::string destination = small_ + "/song.mp3";
  WriteBytes(destination, {'o', 'l', 'd'});
  // Room for every whole page but the last: LAME's frames fit, its final
  // flush and its tag do not, and it still exits 0.
  const uint64_t room = size % kPageBytes ? size - size % kPageBytes : size - kPageBytes;
  ASSERT_TRUE(tmpfs_.LeaveFree(room));
  ASSERT_EQ(tmpfs_.FreeBytes(), room);

  EXPECT_EQ(CLunder().Encode(raw_.c_str(), 128, {44100, 2, 16}, destination.c_str(), IgnoreProgress), kLunderDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "MP3Encoder");
  RecordProperty("lame_said", reports[0].report.message);
  EXPECT_EQ(ReadBytes(destination), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(platform::ListFolder(small_), (std::vector<std::string>{".filler", "song.mp3"}));
}
