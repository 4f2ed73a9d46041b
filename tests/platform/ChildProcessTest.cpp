// Child processes and file replacement, the two pieces of the platform layer the
// codecs stand on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <algorithm>
#include <set>
#include <vector>

#include "AudioFixtures.h"
#include "ChildProcess.h"
#include "FileReplace.h"
#include "Folders.h"
#include "TempFolder.h"

using platform::CChildProcess;
using tessiro::test::CTempFolder;

namespace {

std::string ReadAll(CChildProcess& child) {
  std::string text;
  char piece[7];  // small on purpose: output arrives in several reads
  for (int64_t n; (n = child.ReadOutput(piece, sizeof piece)) > 0;) text.append(piece, static_cast<size_t>(n));
  return text;
}

}  // namespace

TEST(ChildProcess, OutputAndErrorShareOnePipeAndTheExitStatusIsKept) {
  CChildProcess child;
  ASSERT_EQ(child.Start({"sh", "-c", "printf 'out '; printf 'err' >&2; read x; echo \"[$x]\"; exit 3"}),
            CChildProcess::StartFailure::None);
  // Standard input is empty, so the read finds nothing and the script goes on.
  EXPECT_EQ(ReadAll(child), "out err[]\n");
  platform::ChildExit exit;
  ASSERT_TRUE(child.Wait(&exit));
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 3);
  EXPECT_FALSE(child.IsRunning());
  EXPECT_TRUE(tessiro::test::NoChildProcesses());
}

TEST(ChildProcess, ArgumentsReachTheProgramUntouchedAndEnvironmentIsAdded) {
  CChildProcess child;
  ASSERT_EQ(child.Start({"sh", "-c", "printf '%s|' \"$@\" \"$TESSIRO_PROBE\"", "sh", "a b", "$HOME", "'q'", ";ls"},
                        {"TESSIRO_PROBE=set"}),
            CChildProcess::StartFailure::None);
  EXPECT_EQ(ReadAll(child), "a b|$HOME|'q'|;ls|set|");
  ASSERT_TRUE(child.Wait(nullptr));
}

TEST(ChildProcess, MissingProgramFailsToStart) {
  CChildProcess child;
  EXPECT_EQ(child.Start({"tessiro-no-such-program"}), CChildProcess::StartFailure::Spawn);
  EXPECT_FALSE(child.IsRunning());
}

TEST(ChildProcess, DestructorEndsAndReapsARunningChild) {
  {
    CChildProcess child;
    ASSERT_EQ(child.Start({"sleep", "30"}), CChildProcess::StartFailure::None);
    EXPECT_TRUE(child.LowerPriority());
  }
  EXPECT_TRUE(tessiro::test::NoChildProcesses());
}

TEST(ChildProcess, ReadsAndWaitsGiveUpAfterTheirTimeOut) {
  CChildProcess child;
  ASSERT_EQ(child.Start({"sh", "-c", "sleep 0.4; printf x; exec >&- 2>&-; sleep 0.4"}),
            CChildProcess::StartFailure::None);
  char c = 0;
  EXPECT_EQ(child.ReadOutput(&c, 1, 20), CChildProcess::kReadTimedOut);
  EXPECT_EQ(child.ReadOutput(&c, 1, 5000), 1);
  EXPECT_EQ(c, 'x');
  EXPECT_EQ(child.ReadOutput(&c, 1, 5000), 0);
  platform::ChildExit exit;
  errno = 0;
  EXPECT_FALSE(child.Wait(&exit, 20));
  EXPECT_EQ(errno, ETIMEDOUT);
  EXPECT_TRUE(child.IsRunning());
  ASSERT_TRUE(child.Wait(&exit, 5000));
  EXPECT_TRUE(exit.exited);
  EXPECT_TRUE(tessiro::test::NoChildProcesses());
}

TEST(FileReplace, ReplacedFileFollowsLinksAndStopsAtACycle) {
  CTempFolder folder;
  ASSERT_EQ(::symlink("b", (folder / "a").c_str()), 0);
  ASSERT_EQ(::symlink("sub/c", (folder / "b").c_str()), 0);
  EXPECT_EQ(platform::ReplacedFile(folder / "a"), folder / "sub/c");
  EXPECT_EQ(platform::ReplacedFile(folder / "plain"), folder / "plain");
  ASSERT_EQ(::symlink("loop2", (folder / "loop1").c_str()), 0);
  ASSERT_EQ(::symlink("loop1", (folder / "loop2").c_str()), 0);
  const std::string end = platform::ReplacedFile(folder / "loop1");
  EXPECT_TRUE(end == folder / "loop1" || end == folder / "loop2") << end;
}

TEST(FileReplace, UniqueFilesAreNewEachTimeWithUsualPermissions) {
  CTempFolder folder;
  const mode_t before = ::umask(027);
  std::set<std::string> names;
  for (int i = 0; i < 50; ++i) {
    const std::string path = platform::MakeUniqueFile(folder.Path(), "Hello", ".tmp");
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.rfind(folder.Path() + "/Hello", 0), 0u);
    EXPECT_EQ(path.substr(path.size() - 4), ".tmp");
    names.insert(path);
  }
  ::umask(before);
  EXPECT_EQ(names.size(), 50u);
  struct stat info;
  ASSERT_EQ(::stat(names.begin()->c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_TRUE(platform::MakeUniqueFile(folder / "missing", "x", "").empty());
}

TEST(FileReplace, AReadOnlyFileIsNeverReplaced) {
  CTempFolder folder;
  const std::string doc = folder / "doc";
  for (const mode_t mode : {0444, 0000, 0644, 0200}) {
    SCOPED_TRACE(mode);
    const bool readOnly = (mode & 0222) == 0;
    tessiro::test::WriteBytes(doc, {'o', 'l', 'd'});
    ASSERT_EQ(::chmod(doc.c_str(), mode), 0);
    tessiro::test::WriteBytes(folder / "new", {'n', 'e', 'w'});
    EXPECT_EQ(platform::IsReadOnlyFile(doc), readOnly);
    errno = 0;
    EXPECT_EQ(platform::ReplaceFileWith(folder / "new", doc), !readOnly);
    EXPECT_EQ(platform::FileExists(folder / "new"), readOnly);
    if (readOnly) {
      EXPECT_EQ(errno, EACCES);
    }
    ::chmod(doc.c_str(), 0644);
    EXPECT_EQ(tessiro::test::ReadBytes(doc)[0], readOnly ? 'o' : 'n');
  }
  EXPECT_FALSE(platform::IsReadOnlyFile(folder / "missing")) << "a new file is no read-only one";
}

// Never a device: made in the test's folder, so a fault here harms nothing else.
TEST(FileReplace, ADeviceIsNeitherWrittenThroughALinkNorReplaced) {
  CTempFolder folder;
  const std::string device = folder / "null";
  if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) GTEST_SKIP() << "making a device needs root";
  const std::string link = folder / "to-null";
  ASSERT_EQ(::symlink(device.c_str(), link.c_str()), 0);
  EXPECT_EQ(platform::ReplacedFile(link), link) << "the link is what a save replaces";
  tessiro::test::WriteBytes(folder / "new", {'n', 'e', 'w'});
  errno = 0;
  EXPECT_FALSE(platform::ReplaceFileWith(folder / "new", device));
  EXPECT_EQ(errno, EPERM);
  struct stat info {};
  ASSERT_EQ(::lstat(device.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  EXPECT_TRUE(platform::ReplaceFileWith(folder / "new", link));
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  ASSERT_EQ(::lstat(device.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode)) << "the device it named is untouched";
}

TEST(FileReplace, TextIsCutOnACharacterNeverInsideOne) {
  const std::string e = "\xC3\xA9", euro = "\xE2\x82\xAC";
  const struct {
    std::string text;
    size_t bytes;
    std::string cut;
  } cuts[] = {{"abcd", 3, "abc"}, {"a" + e, 2, "a"}, {"a" + e, 3, "a" + e}, {e + euro, 4, e}, {"abc", 0, ""}};
  for (const auto& c : cuts) EXPECT_EQ(platform::CutAtCharacter(c.text, c.bytes), c.cut) << c.text << " " << c.bytes;
}

TEST(FileReplace, ReplacementTakesPlaceOnlyWhenItCanComplete) {
  CTempFolder folder;
  tessiro::test::WriteBytes(folder / "doc", {'o', 'l', 'd'});
  tessiro::test::WriteBytes(folder / "new", {'n', 'e', 'w'});
  // A destination that cannot be reached leaves both files as they were.
  EXPECT_FALSE(platform::ReplaceFileWith(folder / "new", folder / "gone/doc"));
  EXPECT_TRUE(platform::FileExists(folder / "new"));
  EXPECT_TRUE(platform::ReplaceFileWith(folder / "new", folder / "doc"));
  EXPECT_EQ(tessiro::test::ReadBytes(folder / "doc"), (std::vector<uint8_t>{'n', 'e', 'w'}));
  EXPECT_FALSE(platform::FileExists(folder / "new"));
  {
    platform::CTemporaryFileGuard guard(folder / "doc");
  }
  EXPECT_FALSE(platform::FileExists(folder / "doc"));
  EXPECT_EQ(platform::FolderOfPath("name"), ".");
  EXPECT_EQ(platform::FolderOfPath("/name"), "/");
  EXPECT_EQ(platform::FolderOfPath("a/b/c"), "a/b");
  EXPECT_EQ(platform::AbsolutePath("/x/y"), "/x/y");
  EXPECT_EQ(platform::AbsolutePath("-x")[0], '/');
}

TEST(ChildProcess, AudioStreamsThroughInputAndOutputWhileMessagesAreRead) {
  CChildProcess child;
  platform::ChildStreams streams;
  streams.input = streams.data = true;
  ASSERT_EQ(child.Start({"sh", "-c", "echo begin >&2; cat; echo end >&2"}, {}, streams),
            CChildProcess::StartFailure::None);
  // More than the pipes hold both ways: written and read in turns, or both sides would wait.
  std::vector<uint8_t> sent(3 << 20);
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<uint8_t>(i * 7 + i / 4093);
  std::vector<uint8_t> back;
  std::string messages;
  size_t at = 0;
  bool input = true, data = true, output = true;
  while (input || data || output) {
    const unsigned wanted = (input ? CChildProcess::kInputReady : 0u) | (data ? CChildProcess::kDataReady : 0u) |
                            (output ? CChildProcess::kOutputReady : 0u);
    const int ready = child.WaitReady(wanted, 5000);
    ASSERT_GT(ready, 0);
    uint8_t piece[65536];
    if (ready & CChildProcess::kInputReady) {
      const int64_t n = child.WriteInput(sent.data() + at, std::min<size_t>(100000, sent.size() - at));
      ASSERT_GE(n, 0);
      at += static_cast<size_t>(n);
      if (at == sent.size()) {
        child.CloseInput();
        input = false;
      }
    }
    if (ready & CChildProcess::kDataReady) {
      const int64_t n = child.ReadData(piece, sizeof piece);
      ASSERT_GE(n, 0);
      back.insert(back.end(), piece, piece + n);
      data = n > 0;
    }
    if (ready & CChildProcess::kOutputReady) {
      const int64_t n = child.ReadOutput(piece, sizeof piece);
      ASSERT_GE(n, 0);
      messages.append(reinterpret_cast<const char*>(piece), static_cast<size_t>(n));
      output = n > 0;
    }
  }
  EXPECT_EQ(back, sent);
  EXPECT_EQ(messages, "begin\nend\n");
  platform::ChildExit exit;
  ASSERT_TRUE(child.Wait(&exit));
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 0);
}

TEST(ChildProcess, AChildThatStopsReadingGivesAFailedWriteNotASignal) {
  CChildProcess child;
  platform::ChildStreams streams;
  streams.input = true;
  ASSERT_EQ(child.Start({"sh", "-c", "head -c 1000 > /dev/null"}, {}, streams), CChildProcess::StartFailure::None);
  // SIGPIPE, as a program has it by default, would end this test here.
  const std::vector<uint8_t> block(65536, 1);
  int64_t n = 0;
  errno = 0;
  for (int i = 0; i < 1000 && n >= 0; ++i) {
    ASSERT_GT(child.WaitReady(CChildProcess::kInputReady, 5000), 0);
    n = child.WriteInput(block.data(), block.size());
  }
  EXPECT_EQ(n, -1);
  EXPECT_EQ(errno, EPIPE);
  sigset_t waiting;
  sigpending(&waiting);
  EXPECT_FALSE(sigismember(&waiting, SIGPIPE)) << "no signal left behind";
  ASSERT_TRUE(child.Wait(nullptr));
  EXPECT_TRUE(tessiro::test::NoChildProcesses());
}
