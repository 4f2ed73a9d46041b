// How an encode replaces the file at its destination: the user's permission
// bits stay, a symbolic link stays a link to the new contents, and what killed
// encodes left beside destinations goes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "AudioFixtures.h"
#include "FileReplace.h"
#include "Folders.h"
#include "Ombrel.h"
#include "ReportRecorder.h"
#include "TempFolder.h"

using namespace tessiro::test;

namespace {

// One callback call hands over a tenth of a second of 16-bit mono silence.
void TenthOfASecond(unsigned char* buffer, OmbrelByteCount capacity, OmbrelByteCount* got, int* cancel) {
  static int calls = 0;
  *cancel = 0;
  *got = calls++ % 2 == 0 ? std::min<OmbrelByteCount>(capacity, 8820) : 0;
  std::memset(buffer, 0, *got);
}

unsigned int EncodeTo(const std::string& path) {
  return COmbrel().Encode(path.c_str(), {44100, 1, 16}, TenthOfASecond);
}

constexpr size_t kEncodedBytes = 44 + 8820;

mode_t PermissionsOf(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

bool IsLink(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::string LinkText(const std::string& path) {
  char text[4096];
  const ssize_t n = ::readlink(path.c_str(), text, sizeof text);
  return n > 0 ? std::string(text, static_cast<size_t>(n)) : "";
}

// Every name in a folder, links included.
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

void MakeOld(const std::string& path, int secondsAgo) {
  const timespec when[2] = {{time(nullptr) - secondsAgo, 0}, {time(nullptr) - secondsAgo, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), when, AT_SYMLINK_NOFOLLOW), 0) << path;
}

}  // namespace

TEST(WaveReplace, ReplacedFileKeepsItsPermissionBits) {
  CTempFolder folder;
  const std::string path = folder / "take.wav";
  for (mode_t mode : {0600, 0640, 0604, 0755}) {
    SCOPED_TRACE(mode);
    WriteBytes(path, {'o', 'l', 'd'});
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    ASSERT_EQ(EncodeTo(path), kOmbrelDone);
    EXPECT_EQ(ReadBytes(path).size(), kEncodedBytes);
    EXPECT_EQ(PermissionsOf(path), mode);
  }
  EXPECT_EQ(Entries(folder.Path()), std::vector<std::string>{"take.wav"});
}

TEST(WaveReplace, SymbolicLinkStaysALinkToTheNewContents) {
  CTempFolder folder;
  ASSERT_TRUE(platform::CreateFolder(folder / "links"));
  ASSERT_TRUE(platform::CreateFolder(folder / "store"));
  const std::string target = folder / "store/take.wav";
  struct Case {
    const char* name;
    std::string link;
    std::string text;  // what the link says
    bool targetExists;
  };
  const std::vector<Case> cases = {
      {"absolute", folder / "links/abs.wav", target, true},
      {"relative", folder / "links/rel.wav", "../store/take.wav", true},
      {"chain", folder / "links/chain.wav", "abs.wav", true},
      {"dangling", folder / "links/new.wav", "../store/new.wav", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.targetExists) WriteBytes(target, {'o', 'l', 'd'});
    ASSERT_EQ(::symlink(c.text.c_str(), c.link.c_str()), 0);
    ASSERT_EQ(EncodeTo(c.link), kOmbrelDone);
    EXPECT_TRUE(IsLink(c.link));
    EXPECT_EQ(LinkText(c.link), c.text);
    EXPECT_EQ(ReadBytes(c.link).size(), kEncodedBytes);
    // The new file was made beside the file it replaced, and nothing is left beside the link.
    const std::vector<std::string> stored =
        c.targetExists ? std::vector<std::string>{"take.wav"} : std::vector<std::string>{"new.wav", "take.wav"};
    EXPECT_EQ(Entries(folder / "store"), stored);
  }
  EXPECT_EQ(Entries(folder / "links"), (std::vector<std::string>{"abs.wav", "chain.wav", "new.wav", "rel.wav"}));
}

TEST(WaveReplace, TemporariesOfKilledEncodesGoWhenTheirFolderIsWrittenAgain) {
  CTempFolder folder;
  struct Name {
    const char* name;
    int secondsAgo;
    bool goes;
  };
  const std::vector<Name> names = {
      {"HelloAb3dE9.tmp", 120, true},    // a WAV encode's, two minutes old
      {"HelloZz0Yy1.mp3", 3600, true},   // an MP3 encode's
      {"HelloQqQqQq.tmp", 1, true},      // an encode killed a moment ago
      {"Hello-12345.tmp", 3600, false},  // not a name of ours
      {"HelloAb3dE9x.tmp", 3600, false},
      {"helloAb3dE9.tmp", 3600, false},
      {"HelloAb3dE9.wav", 3600, false},
      {"Hello.tmp", 3600, false},
  };
  for (const Name& n : names) {
    WriteBytes(folder / n.name, {1, 2, 3});
    MakeOld(folder / n.name, n.secondsAgo);
  }
  // An encode still running holds its file.
  platform::CTemporaryFileGuard running(platform::MakeUniqueFile(folder.Path(), "Hello", ".tmp"));
  ASSERT_FALSE(running.Path().empty());
  // A link with our name is never followed nor taken.
  WriteBytes(folder / "precious", {9});
  ASSERT_EQ(::symlink("precious", (folder / "HelloLnk123.tmp").c_str()), 0);
  MakeOld(folder / "HelloLnk123.tmp", 3600);

  ASSERT_EQ(EncodeTo(folder / "out.wav"), kOmbrelDone);
  for (const Name& n : names) EXPECT_EQ(platform::FileExists(folder / n.name), !n.goes) << n.name;
  EXPECT_TRUE(platform::FileExists(running.Path()));
  EXPECT_TRUE(IsLink(folder / "HelloLnk123.tmp"));
  EXPECT_EQ(ReadBytes(folder / "precious"), std::vector<uint8_t>{9});
}
