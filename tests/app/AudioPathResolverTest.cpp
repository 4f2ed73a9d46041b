// Finding a project's audio: the answers from folder listings are those of
// asking the file system for each file, whatever kind of entry a name is.
#include "AudioPathResolver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "File.h"
#include "Folders.h"
#include "TempFolder.h"

namespace tessiro::test {
namespace {

bool IsRegular(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Asking for each file: as written when that is a file, else by name in each folder in turn.
std::string AskedForEach(const std::string& stored, const std::vector<std::string>& folders) {
  if (!stored.empty() && stored[0] == '/' && IsRegular(stored)) return stored;
  const size_t cut = stored.find_last_of("/\\");
  const std::string name = cut == std::string::npos ? stored : stored.substr(cut + 1);
  if (name.empty()) return "";
  for (const std::string& folder : folders) {
    if (!folder.empty() && IsRegular(folder + "/" + name)) return folder + "/" + name;
  }
  return "";
}

void Touch(const std::string& path) {
  platform::CFile file;
  ASSERT_TRUE(file.Open(path, platform::CFile::Mode::Create)) << path;
}

TEST(AudioPathResolver, ListingsAnswerAsAskingForEachFile) {
  CTempFolder root;
  const std::string takes = root / "takes";
  const std::string moved = root / "moved";
  ASSERT_TRUE(platform::CreateFolder(takes));
  ASSERT_TRUE(platform::CreateFolder(moved));
  ASSERT_TRUE(platform::CreateFolder(takes + "/folder.pcm"));
  // Many more names than a folder is asked for before it is read whole.
  std::vector<std::string> names;
  for (int i = 0; i < 3 * static_cast<int>(CAudioPathResolver::kLooksBeforeListing); ++i) {
    names.push_back("take" + std::to_string(i) + ".pcm");
    if (i % 3 != 2) Touch(takes + "/" + names.back());
    if (i % 5 == 0) Touch(moved + "/" + names.back());
  }
  ASSERT_EQ(::symlink((takes + "/take0.pcm").c_str(), (takes + "/link.pcm").c_str()), 0);
  ASSERT_EQ(::symlink((takes + "/folder.pcm").c_str(), (takes + "/folder-link.pcm").c_str()), 0);
  ASSERT_EQ(::symlink((takes + "/gone.pcm").c_str(), (takes + "/dangling.pcm").c_str()), 0);
  ASSERT_EQ(::mkfifo((takes + "/fifo.pcm").c_str(), 0600), 0);
  Touch(moved + "/dangling.pcm");
  for (const char* name : {"link.pcm", "folder-link.pcm", "dangling.pcm", "fifo.pcm", "folder.pcm", ".", "..", ""}) {
    names.push_back(name);
  }

  const std::vector<std::string> folders = {root / "missing", moved, takes};
  CAudioPathResolver resolver(folders);
  for (const std::string& name : names) {
    // As written here, from another system, in a folder that is gone, and twice.
    for (const std::string& stored : {takes + "/" + name, "C:\\Audio\\" + name, "/nowhere/" + name, takes + "/" + name}) {
      SCOPED_TRACE(stored);
      EXPECT_EQ(resolver.Find(stored), AskedForEach(stored, folders));
    }
  }
  EXPECT_EQ(resolver.Find("/"), "");
  EXPECT_EQ(resolver.Find(takes + "/"), "");
}

// A folder that may be searched but not read is asked file by file.
TEST(AudioPathResolver, AFolderThatCannotBeListedIsAskedFileByFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser reads every folder";
  CTempFolder root;
  const std::string takes = root / "takes";
  ASSERT_TRUE(platform::CreateFolder(takes));
  std::vector<std::string> names;
  for (int i = 0; i < 2 * static_cast<int>(CAudioPathResolver::kLooksBeforeListing); ++i) {
    names.push_back("take" + std::to_string(i) + ".pcm");
    if (i % 2) Touch(takes + "/" + names.back());
  }
  ASSERT_EQ(::chmod(takes.c_str(), 0300), 0);
  CAudioPathResolver resolver({takes});
  for (const std::string& name : names) {
    EXPECT_EQ(resolver.Find("C:\\" + name), AskedForEach("C:\\" + name, {takes})) << name;
  }
  ::chmod(takes.c_str(), 0700);
}

}  // namespace
}  // namespace tessiro::test
