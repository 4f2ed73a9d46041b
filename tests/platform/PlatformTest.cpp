#include <gtest/gtest.h>
#include <pthread.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "Clock.h"
#include "File.h"
#include "Folders.h"
#include "PageBuffer.h"
#include "TempFolder.h"
#include "Thread.h"

using platform::CFile;
using tessiro::test::CTempFolder;

TEST(Clock, TickCountAdvancesWithTime) {
  const uint32_t before = platform::GetTickCount32();
  platform::SleepMs(25);
  const uint32_t after = platform::GetTickCount32();
  EXPECT_NE(before, 0u);
  EXPECT_GE(static_cast<uint32_t>(after - before), 25u);
  EXPECT_LT(static_cast<uint32_t>(after - before), 5000u);
}

TEST(Thread, NameIsApplied) {
  std::thread t([] {
    platform::SetCurrentThreadName("tessiro-player-thread");
    char name[32] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    EXPECT_STREQ(name, "tessiro-player-");
    EXPECT_TRUE(platform::SetCurrentThreadPriority(platform::ThreadPriority::Normal));
  });
  t.join();
}

TEST(PageBuffer, CommittedPagesAreZeroedAndWritable) {
  platform::CPageBuffer buffer;
  const size_t page = platform::CPageBuffer::PageSize();
  ASSERT_TRUE(buffer.Reserve(10 * page + 1));
  EXPECT_EQ(buffer.ReservedBytes(), 11 * page);
  ASSERT_TRUE(buffer.Commit(page, 2 * page));
  auto* bytes = static_cast<unsigned char*>(buffer.Data());
  EXPECT_EQ(bytes[page], 0);
  std::memset(bytes + page, 0x5A, 2 * page);
  ASSERT_TRUE(buffer.Decommit(page, 2 * page));
  ASSERT_TRUE(buffer.Commit(page, 2 * page));
  EXPECT_EQ(bytes[page + 17], 0) << "decommitted pages must come back empty";
  EXPECT_TRUE(buffer.Release());
  EXPECT_FALSE(buffer.IsReserved());
  EXPECT_TRUE(buffer.Release()) << "releasing nothing succeeds";
}

TEST(PageBuffer, CommitOutsideReservationFails) {
  platform::CPageBuffer buffer;
  ASSERT_TRUE(buffer.Reserve(4096));
  errno = 0;
  EXPECT_FALSE(buffer.Commit(0, 1 << 20));
  EXPECT_EQ(errno, EINVAL);
  EXPECT_FALSE(platform::CPageBuffer().Commit(0, 16)) << "nothing reserved";
}

TEST(PageBuffer, InjectedFailuresReachTheCaller) {
  platform::CPageBuffer buffer;
  platform::FailNextPageSteps(platform::PageStep::Reserve, 1);
  errno = 0;
  EXPECT_FALSE(buffer.Allocate(65536));
  EXPECT_EQ(errno, ENOMEM);
  EXPECT_TRUE(buffer.Allocate(65536)) << "only the next call fails";

  platform::CPageBuffer other;
  platform::FailNextPageSteps(platform::PageStep::Commit, 1);
  EXPECT_FALSE(other.Allocate(65536));
  EXPECT_FALSE(other.IsReserved()) << "a failed allocation keeps nothing";
}

TEST(File, WriteReadSeekAndSize) {
  CTempFolder folder;
  CFile file;
  ASSERT_TRUE(file.Open(folder / "a.pcm", CFile::Mode::Create));
  std::vector<char> data(10000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  EXPECT_EQ(file.Write(data.data(), data.size()), 10000);
  EXPECT_EQ(file.Size(), 10000);
  EXPECT_EQ(file.Tell(), 10000);
  EXPECT_EQ(file.Seek(1000, SEEK_SET), 1000);
  char chunk[100];
  EXPECT_EQ(file.Read(chunk, sizeof chunk), 100);
  EXPECT_EQ(std::memcmp(chunk, data.data() + 1000, 100), 0);
  EXPECT_EQ(file.ReadAt(chunk, sizeof chunk, 9950), 50) << "a read past the end returns what is there";
  EXPECT_EQ(std::memcmp(chunk, data.data() + 9950, 50), 0);
  EXPECT_EQ(file.Tell(), 1100) << "reads at an offset leave the position";
  EXPECT_TRUE(file.Close());
  EXPECT_FALSE(file.Close());
}

TEST(File, OpenModesKeepOrEmptyContents) {
  CTempFolder folder;
  const std::string path = folder / "b.dat";
  CFile file;
  errno = 0;
  EXPECT_FALSE(file.Open(path, CFile::Mode::Read));
  EXPECT_EQ(errno, ENOENT);
  ASSERT_TRUE(file.Open(path, CFile::Mode::ReadWrite));
  EXPECT_EQ(file.Write("hello", 5), 5);
  file.Close();
  ASSERT_TRUE(file.Open(path, CFile::Mode::ReadWrite));
  EXPECT_EQ(file.Size(), 5);
  file.Close();
  ASSERT_TRUE(file.Open(path, CFile::Mode::Create));
  EXPECT_EQ(file.Size(), 0);
}

TEST(File, ReadRegularRefusesWhatIsNoPlainFileWithoutBlocking) {
  CTempFolder folder;
  ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("fifo", (folder / "link").c_str()), 0);
  struct Case {
    std::string path;
    int error;
  };
  for (const Case& c : {Case{folder / "fifo", EINVAL}, Case{folder / "link", EINVAL}, Case{"/dev/zero", EINVAL},
                        Case{folder.Path(), EISDIR}, Case{folder / "missing", ENOENT}}) {
    CFile file;
    errno = 0;
    EXPECT_FALSE(file.Open(c.path, CFile::Mode::ReadRegular)) << c.path;
    EXPECT_EQ(errno, c.error) << c.path;
    EXPECT_FALSE(file.IsOpen());
  }
  CFile file;
  ASSERT_TRUE(file.Open(folder / "plain", CFile::Mode::Create));
  EXPECT_EQ(file.Write("abc", 3), 3);
  file.Close();
  ASSERT_TRUE(file.Open(folder / "plain", CFile::Mode::ReadRegular));
  char text[4] = {};
  EXPECT_EQ(file.Read(text, 3), 3);
  EXPECT_STREQ(text, "abc");
}

TEST(File, ReadRegularFileTakesAtMostItsLimitAndNothingButPlainFiles) {
  CTempFolder folder;
  ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", (folder / "zero").c_str()), 0);
  {
    CFile file;
    ASSERT_TRUE(file.Open(folder / "ten", CFile::Mode::Create));
    ASSERT_EQ(file.Write("0123456789", 10), 10);
  }
  struct Case {
    std::string path;
    size_t limit;
    bool read;
    int error;  // when not read
    std::string bytes;
    int64_t size;
  };
  const Case cases[] = {
      {folder / "ten", 4, true, 0, "0123", 10},
      {folder / "ten", 10, true, 0, "0123456789", 10},
      {folder / "ten", 1000, true, 0, "0123456789", 10},
      {folder / "ten", 0, true, 0, "", 10},
      {folder / "fifo", 100, false, EINVAL, "", -1},
      {folder / "zero", 100, false, EINVAL, "", -1},
      {folder.Path(), 100, false, EISDIR, "", -1},
      {folder / "missing", 100, false, ENOENT, "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " limit " + std::to_string(c.limit));
    std::vector<uint8_t> bytes = {'x'};
    int64_t size = -1;
    errno = 0;
    EXPECT_EQ(platform::ReadRegularFile(c.path, c.limit, &bytes, &size), c.read);
    if (!c.read) {
      EXPECT_EQ(errno, c.error);
    }
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.bytes);
    EXPECT_EQ(size, c.size);
  }
}

TEST(MappedFile, MapsContentsAndRefusesEmptyLength) {
  CTempFolder folder;
  CFile file;
  ASSERT_TRUE(file.Open(folder / "p.pek", CFile::Mode::Create));
  const unsigned char bytes[] = {1, 2, 3, 255};
  file.Write(bytes, sizeof bytes);
  platform::CMappedFile map;
  errno = 0;
  EXPECT_FALSE(map.Map(file, 0));
  EXPECT_EQ(errno, EINVAL);
  ASSERT_TRUE(map.Map(file, 4));
  EXPECT_EQ(map.Data()[3], 255);
  EXPECT_TRUE(map.Unmap());
  EXPECT_FALSE(map.Unmap());
}

TEST(Folders, CreateNestedListAndRename) {
  CTempFolder folder;
  const std::string nested = folder / "x/y/qvk_temp";
  ASSERT_TRUE(platform::CreateFolder(nested));
  EXPECT_TRUE(platform::CreateFolder(nested)) << "an existing folder is fine";
  for (const char* name : {"b.pcm", "a.PCM", "c.pek"}) {
    CFile f;
    ASSERT_TRUE(f.Open(nested + "/" + name, CFile::Mode::Create));
  }
  platform::CreateFolder(nested + "/d.pcm");  // a folder is not listed
  EXPECT_EQ(platform::ListFolder(nested, ".pcm"), (std::vector<std::string>{"a.PCM", "b.pcm"}));
  EXPECT_EQ(platform::ListFolder(nested).size(), 3u);
  EXPECT_TRUE(platform::ListFolder(folder / "missing").empty());

  EXPECT_TRUE(platform::RenameFile(nested + "/a.PCM", nested + "/b.pcm"));
  EXPECT_EQ(platform::ListFolder(nested, ".pcm"), std::vector<std::string>{"b.pcm"});
  EXPECT_TRUE(platform::RemoveFile(nested + "/b.pcm"));
  EXPECT_FALSE(platform::FileExists(nested + "/b.pcm"));
}

TEST(Folders, ProgramAndAudioFoldersFollowTheEnvironment) {
  const std::string home = getenv("TESSIRO_HOME");
  EXPECT_EQ(platform::ProgramFolder(), home);
  unsetenv("TESSIRO_HOME");
  setenv("XDG_DATA_HOME", "/data/share", 1);
  EXPECT_EQ(platform::ProgramFolder(), "/data/share/tessiro");
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", "/home/musician", 1);
  EXPECT_EQ(platform::ProgramFolder(), "/home/musician/.local/share/tessiro");
  EXPECT_EQ(platform::DefaultAudioFolder(), "/home/musician/orvane_audio");
  setenv("TESSIRO_HOME", home.c_str(), 1);
  EXPECT_TRUE(platform::FolderExists(platform::InstalledDataFolder()));
}
