#include "LargeFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "File.h"
#include "Folders.h"
#include "PeakFile.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using tessiro::test::CTempFolder;
using tessiro::test::Reports;

namespace {

// A file whose byte i is i & 0xFF, so every byte tells where it came from.
std::string MakeCountingFile(const CTempFolder& folder, const std::string& name, size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i & 0xFF);
  platform::CFile file;
  const std::string path = folder / name;
  EXPECT_TRUE(file.Open(path, platform::CFile::Mode::Create));
  EXPECT_EQ(file.Write(bytes.data(), bytes.size()), static_cast<int64_t>(size));
  return path;
}

// A read buffer with the slack reads may use, followed by guard bytes that must stay untouched.
struct GuardedBuffer {
  static constexpr size_t kGuard = 256;
  explicit GuardedBuffer(uint32_t bytes) : usable(bytes + CLargeFile::kReadSlackBytes), data(usable + kGuard, 0xEE) {}
  bool GuardIntact() const {
    for (size_t i = usable; i < data.size(); ++i) {
      if (data[i] != 0xEE) return false;
    }
    return true;
  }
  size_t usable;
  std::vector<uint8_t> data;
};

// Reads bytes at position through the synchronous path and checks them against the counting file.
void ExpectCountingRead(CLargeFile& file, uint32_t fileSize, uint32_t position, uint32_t bytes) {
  SCOPED_TRACE("read " + std::to_string(bytes) + " at " + std::to_string(position));
  uint32_t moved = 0;
  ASSERT_EQ(file.Seek(position, &moved), 1);
  GuardedBuffer buffer(bytes);
  uint32_t got = 12345;
  ASSERT_EQ(file.Read(buffer.data.data(), bytes, &got), 1);
  const uint32_t expected = position >= fileSize ? 0 : std::min(bytes, fileSize - position);
  ASSERT_EQ(got, expected);
  for (uint32_t i = 0; i < got; ++i) ASSERT_EQ(buffer.data[i], static_cast<uint8_t>((position + i) & 0xFF)) << i;
  EXPECT_EQ(file.ReadPosition(), position + got);
  EXPECT_TRUE(buffer.GuardIntact());
}

}  // namespace

TEST(LargeFile, ReadCoversWholeSectorsAndGivesTheBytesAsked) {
  CTempFolder folder;
  CLargeFile file(MakeCountingFile(folder, "a.pcm", 4096));
  ASSERT_EQ(file.Open(0), 1);
  EXPECT_EQ(file.KnownSize(), 4096u);

  // 100 bytes at 1000 read the sectors 512..1535: the whole 1024 bytes arrive,
  // then bytes 488..587 of the buffer move to its front.
  GuardedBuffer buffer(100);
  uint32_t transferred = 0;
  ASSERT_EQ(file.StartRead(1000, 100, &transferred, buffer.data.data()), 1);
  EXPECT_EQ(transferred, 1024u);
  uint32_t got = 0;
  ASSERT_EQ(file.FinishRead(&got, buffer.data.data()), 1);
  EXPECT_EQ(got, 100u);
  for (uint32_t i = 0; i < 100; ++i) EXPECT_EQ(buffer.data[i], static_cast<uint8_t>((1000 + i) & 0xFF));
  // What lay behind the moved bytes is still the sector read from 512 on.
  EXPECT_EQ(buffer.data[100], static_cast<uint8_t>(612 & 0xFF));
  EXPECT_EQ(buffer.data[1023], static_cast<uint8_t>(1535 & 0xFF));
  EXPECT_TRUE(buffer.GuardIntact());

  // A second finish gives nothing: a read is collected once.
  ASSERT_EQ(file.FinishRead(&got, buffer.data.data()), 1);
  EXPECT_EQ(got, 0u);
}

TEST(LargeFile, ReadsNearTheEndGiveExactlyWhatTheFileHolds) {
  CTempFolder folder;
  CLargeFile file(MakeCountingFile(folder, "a.pcm", 4096));
  ASSERT_EQ(file.Open(0), 1);
  ExpectCountingRead(file, 4096, 4000, 200);  // runs into the end: 96 bytes
  ExpectCountingRead(file, 4096, 4096, 100);  // starts at the end: nothing, and success
  ExpectCountingRead(file, 4096, 5000, 10);   // starts past it
  ExpectCountingRead(file, 4096, 3996, 100);  // ends exactly at the end

  // The aligned read of 100 bytes at 600 in a 1024-byte file ends exactly at
  // the end of the file; it still gives only the 100 bytes asked for.
  CLargeFile small(MakeCountingFile(folder, "b.pcm", 1024));
  ASSERT_EQ(small.Open(0), 1);
  ExpectCountingRead(small, 1024, 600, 100);
  ExpectCountingRead(small, 1024, 0, 1024);
  ExpectCountingRead(small, 1024, 1, 1023);
}

TEST(LargeFile, OddOffsetsAndLengthsMatchTheFile) {
  CTempFolder folder;
  constexpr uint32_t kSize = 70001;
  CLargeFile file(MakeCountingFile(folder, "odd.pcm", kSize));
  ASSERT_EQ(file.Open(0), 1);
  std::mt19937 random(6);
  for (int i = 0; i < 300; ++i) {
    const uint32_t position = random() % (kSize + 600);
    const uint32_t bytes = 1 + random() % 9000;
    ExpectCountingRead(file, kSize, position, bytes);
  }
  for (uint32_t position : {0u, 1u, 511u, 512u, 513u, kSize - 513, kSize - 512, kSize - 1}) {
    ExpectCountingRead(file, kSize, position, kSize - position);
    ExpectCountingRead(file, kSize, position, 1);
  }
}

TEST(LargeFile, SequentialReadsAdvanceThroughTheFile) {
  CTempFolder folder;
  CLargeFile file(MakeCountingFile(folder, "seq.pcm", 10000));
  ASSERT_EQ(file.Open(0), 1);
  std::vector<uint8_t> whole;
  GuardedBuffer buffer(777);
  for (;;) {
    uint32_t got = 0;
    ASSERT_EQ(file.Read(buffer.data.data(), 777, &got), 1);
    if (got == 0) break;
    whole.insert(whole.end(), buffer.data.begin(), buffer.data.begin() + got);
  }
  ASSERT_EQ(whole.size(), 10000u);
  for (size_t i = 0; i < whole.size(); ++i) ASSERT_EQ(whole[i], static_cast<uint8_t>(i & 0xFF));
}

TEST(LargeFile, SynchronousReadLeavesAPendingPlaybackReadIntact) {
  CTempFolder folder;
  CLargeFile file(MakeCountingFile(folder, "both.pcm", 8192));
  ASSERT_EQ(file.Open(0), 1);
  GuardedBuffer playback(300);
  uint32_t transferred = 0;
  ASSERT_EQ(file.StartRead(2001, 300, &transferred, playback.data.data()), 1);

  GuardedBuffer editor(50);
  uint32_t got = 0;
  ASSERT_EQ(file.Seek(7, nullptr), 1);
  ASSERT_EQ(file.Read(editor.data.data(), 50, &got), 1);
  EXPECT_EQ(got, 50u);

  ASSERT_EQ(file.FinishRead(&got, playback.data.data()), 1);
  ASSERT_EQ(got, 300u);
  for (uint32_t i = 0; i < 300; ++i) EXPECT_EQ(playback.data[i], static_cast<uint8_t>((2001 + i) & 0xFF));
}

TEST(LargeFile, WriteSideStartsAtTheBeginningAndKeepsTheSizeTrue) {
  CTempFolder folder;
  const std::string path = MakeCountingFile(folder, "w.pcm", 1000);
  CLargeFile file(path);
  ASSERT_EQ(file.Open(1), 1);
  EXPECT_EQ(file.KnownSize(), 1000u);
  uint32_t value = 0;
  ASSERT_EQ(file.GetSize(&value), 1);
  EXPECT_EQ(value, 1000u);

  // Overwriting the first 300 bytes leaves the file 1000 bytes long.
  const std::vector<uint8_t> zeros(300, 0);
  uint32_t written = 0;
  ASSERT_EQ(file.Write(zeros.data(), 300, &written), 1);
  EXPECT_EQ(written, 300u);
  EXPECT_EQ(file.KnownSize(), 1000u);
  ASSERT_EQ(file.Tell(&value), 1);
  EXPECT_EQ(value, 300u);

  // Writing on past the old end grows it by what lies beyond.
  ASSERT_EQ(file.Seek(900, nullptr), 1);
  const std::vector<uint8_t> ones(250, 1);
  ASSERT_EQ(file.Write(ones.data(), 250, &written), 1);
  EXPECT_EQ(file.KnownSize(), 1150u);
  ASSERT_EQ(file.GetSize(&value), 1);
  EXPECT_EQ(value, 1150u);
  ASSERT_EQ(file.Tell(&value), 1);
  EXPECT_EQ(value, 1150u) << "GetSize must put the position back";
  ASSERT_EQ(file.Close(), 1);

  platform::CFile check;
  ASSERT_TRUE(check.Open(path, platform::CFile::Mode::Read));
  std::vector<uint8_t> bytes(1150);
  ASSERT_EQ(check.Read(bytes.data(), bytes.size()), 1150);
  EXPECT_EQ(bytes[299], 0);
  EXPECT_EQ(bytes[300], 300 & 0xFF);
  EXPECT_EQ(bytes[899], 899 & 0xFF);
  EXPECT_EQ(bytes[900], 1);
  EXPECT_EQ(bytes[1149], 1);
}

TEST(LargeFile, ReadSideCreatesAMissingFile) {
  CTempFolder folder;
  const std::string missing = folder / "missing.pcm";
  CLargeFile file(missing);
  ASSERT_EQ(file.Open(0), 1);
  EXPECT_EQ(file.KnownSize(), 0u);
  EXPECT_TRUE(platform::FileExists(missing));
  ASSERT_EQ(file.Close(), 1);
  EXPECT_TRUE(file.IsReadHandleClosed());
}

// A project names its audio and peak files: under those names may stand a
// FIFO, a device or a folder. Neither file waits on one, reads one or makes a
// file in its place; each says it could not open it for reading.
TEST(LargeFile, AudioAndPeakNamesOfNoPlainFileAreRefusedWithoutWaiting) {
  CTempFolder folder;
  ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", (folder / "zero").c_str()), 0);
  ASSERT_TRUE(platform::CreateFolder(folder / "folder"));
  for (const std::string name : {"fifo", "zero", "folder"}) {
    SCOPED_TRACE(name);
    const std::string path = folder / name;
    CLargeFile audio(path);
    EXPECT_EQ(audio.Open(0), 3);
    EXPECT_TRUE(audio.IsReadHandleClosed());
    CPeakFile peaks(path);
    EXPECT_EQ(peaks.Open(0), 3);
    const auto reports = Reports().Take();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].report.line, 100);
    EXPECT_EQ(reports[0].report.message.substr(reports[0].report.message.find(')')),
              ") Failed to open file " + path + " for read.");
    EXPECT_EQ(reports[1].report.title, "PeakFile");
    EXPECT_EQ(reports[1].report.line, 74);
    EXPECT_EQ(reports[1].report.message, "Failed to open file " + path + " for read.");
  }
}

TEST(LargeFile, ReadHandleStates) {
  CTempFolder folder;
  CLargeFile file(MakeCountingFile(folder, "h.pcm", 600));
  EXPECT_TRUE(file.IsReadHandleClosed());
  EXPECT_EQ(file.CloseReadHandle(), 0);
  ASSERT_EQ(file.OpenReadHandle(), 1);
  EXPECT_FALSE(file.IsReadHandleClosed());

  EXPECT_EQ(file.OpenReadHandle(), 3);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "LargeFile");
  EXPECT_EQ(reports[0].report.line, 321);
  EXPECT_EQ(reports[0].report.message, "File (" + folder / "h.pcm" + ") is already open for reading.");

  EXPECT_EQ(file.CloseReadHandle(), 1);
  EXPECT_TRUE(file.IsReadHandleClosed());
  // A playback read opens the read side by itself.
  GuardedBuffer buffer(10);
  ASSERT_EQ(file.StartRead(590, 10, nullptr, buffer.data.data()), 1);
  EXPECT_FALSE(file.IsReadHandleClosed());
  uint32_t got = 0;
  ASSERT_EQ(file.FinishRead(&got, buffer.data.data()), 1);
  EXPECT_EQ(got, 10u);
  EXPECT_EQ(buffer.data[0], 590 & 0xFF);
}

TEST(LargeFile, FaultsAreReportedWithTheirLines) {
  CTempFolder folder;
  const std::string path = folder / "f.pcm";
  CLargeFile file(path);
  const uint8_t data[4] = {1, 2, 3, 4};
  uint32_t value = 99;
  EXPECT_EQ(file.Write(data, 4, &value), 3);
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(file.Tell(&value), 3);
  EXPECT_EQ(file.GetSize(&value), 3);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].report.line, 213);
  EXPECT_EQ(reports[1].report.line, 310);
  EXPECT_EQ(reports[2].report.line, 287);
  for (const auto& r : reports) EXPECT_EQ(r.report.message, "Invalid file handle for (" + path + ")");

  CLargeFile nowhere(folder / "no/such/folder/x.pcm");
  EXPECT_EQ(nowhere.Open(1), 3);
  EXPECT_EQ(nowhere.Open(0), 3);
  GuardedBuffer buffer(8);
  EXPECT_EQ(nowhere.Read(buffer.data.data(), 8, &value), 3);
  EXPECT_EQ(value, 0u);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[0].report.line, 117);
  EXPECT_EQ(reports[0].report.message,
            "Error: (" + std::to_string(ENOENT) + ") Failed to open file " + folder / "no/such/folder/x.pcm" +
                " for write.");
  EXPECT_EQ(reports[0].report.code, ENOENT);
  EXPECT_EQ(reports[1].report.line, 100);
  EXPECT_EQ(reports[2].report.line, 412);
  EXPECT_EQ(reports[3].report.line, 173);
}

TEST(LargeFile, FailedWriteIsReportedAndCountsOnlyWhatArrived) {
  // The full device takes nothing: every write fails as on a full disk.
  CLargeFile file("/dev/full");
  ASSERT_EQ(file.Open(1), 1);
  const std::vector<uint8_t> data(4096, 7);
  uint32_t written = 99;
  EXPECT_EQ(file.Write(data.data(), 4096, &written), 3);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(file.KnownSize(), 0u);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 205);
  EXPECT_EQ(reports[0].report.message, "Failed to write to (/dev/full)");
  EXPECT_EQ(reports[0].report.code, ENOSPC);
}

TEST(LargeFile, WritesThatWouldPassFourGigabytesAreRefused) {
  CTempFolder folder;
  CLargeFile file(folder / "big.pcm");
  ASSERT_EQ(file.Open(1), 1);
  ASSERT_EQ(file.Seek(0xFFFFFF00u, nullptr), 1);  // a sparse file ending at 4 GB less one byte
  const std::vector<uint8_t> data(512, 1);
  uint32_t written = 0;
  EXPECT_EQ(file.Write(data.data(), 255, &written), 1);
  EXPECT_EQ(file.KnownSize(), 0xFFFFFFFFu);
  EXPECT_EQ(file.Write(data.data(), 1, &written), 3);
  EXPECT_EQ(written, 0u);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 205);
  EXPECT_EQ(reports[0].report.code, EFBIG);
}
