// The codec's file reads whole sectors and hands back exactly the bytes asked
// for, whatever the alignment, and stops cleanly at the end of the file.
#include <gtest/gtest.h>

#include <memory>

#include "AudioFixtures.h"
#include "SectorFile.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using namespace tessiro::test;
using ombrel::CLargeFile;

TEST(OmbrelLargeFile, ReadsAnyRangeAtAnyAlignment) {
  CTempFolder folder;
  std::vector<uint8_t> content(3000);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 13 + 5);
  WriteBytes(folder / "f.bin", content);
  CLargeFile file;
  ASSERT_EQ(file.Open((folder / "f.bin").c_str(), CLargeFile::kModeRead), CLargeFile::kOk);
  EXPECT_EQ(file.Size(), 3000u);
  for (uint64_t position : {0u, 1u, 44u, 511u, 512u, 513u, 1023u, 2999u}) {
    for (uint32_t bytes : {1u, 100u, 511u, 512u, 1500u, 4000u}) {
      // A buffer of exactly the room the read may use: any write past it trips the sanitizer.
      std::unique_ptr<uint8_t[]> buffer(new uint8_t[CLargeFile::ReadRoom(bytes)]);
      ASSERT_EQ(file.Seek(position), CLargeFile::kOk);
      uint32_t got = 0;
      ASSERT_EQ(file.Read(buffer.get(), bytes, &got), CLargeFile::kOk);
      const uint32_t expected = static_cast<uint32_t>(std::min<uint64_t>(bytes, 3000 - position));
      ASSERT_EQ(got, expected) << position << "+" << bytes;
      EXPECT_TRUE(std::equal(buffer.get(), buffer.get() + got, content.begin() + static_cast<std::ptrdiff_t>(position)));
      EXPECT_EQ(file.Position(), position + got);
    }
  }
  // At or past the end there is nothing to read.
  uint8_t buffer[CLargeFile::ReadRoom(10)];
  uint32_t got = 7;
  ASSERT_EQ(file.Seek(3000), CLargeFile::kOk);
  EXPECT_EQ(file.Read(buffer, 10, &got), CLargeFile::kBadArgument);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(file.Close(), CLargeFile::kOk);
}

TEST(OmbrelLargeFile, WritesAppendAndFailuresAreReported) {
  CTempFolder folder;
  CLargeFile file;
  ASSERT_EQ(file.Open((folder / "w.bin").c_str(), CLargeFile::kModeWrite), CLargeFile::kOk);
  uint32_t written = 0;
  ASSERT_EQ(file.Write("abc", 3, &written), CLargeFile::kOk);
  ASSERT_EQ(file.Write("defg", 4, &written), CLargeFile::kOk);
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(file.Size(), 7u);
  // Opening an open file again is refused with the file's name.
  EXPECT_EQ(file.Open((folder / "w.bin").c_str(), CLargeFile::kModeWrite), CLargeFile::kOpenFailed);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.message, "CLargeFile::Open File (" + (folder / "w.bin") + ") is already open.");
  EXPECT_EQ(file.Write(nullptr, 3, &written), CLargeFile::kBadArgument);
  EXPECT_EQ(file.Close(), CLargeFile::kOk);
  EXPECT_EQ(file.Write("x", 1, &written), CLargeFile::kNoHandle);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.line, 239);
  EXPECT_EQ(reports[1].report.message, "Invalid file handle.");
  EXPECT_EQ(ReadBytes(folder / "w.bin"), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 'f', 'g'}));

  CLargeFile missing;
  EXPECT_EQ(missing.Open((folder / "none/x.bin").c_str(), CLargeFile::kModeWrite), CLargeFile::kOpenFailed);
  reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "LargeFile");
  EXPECT_EQ(reports[0].report.line, 109);
  EXPECT_EQ(reports[0].report.message,
            "CLargeFile::CLargeFile(CHAR* pszFilename): Error: (2) Failed to open file " + (folder / "none/x.bin"));
}
