// Saving keeps what the user's file system says: a project opened through a
// symbolic link is saved into the file the link names, a read-only project is
// not written (Save As is offered), and a name at the longest a file system
// takes can be saved over.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "FileReplace.h"
#include "Folders.h"
#include "ProjectFiles.h"
#include "ProjectFixture.h"
#include "ProjectSamples.h"
#include "requests/ProjectRequests.h"

namespace tessiro::test {
namespace {

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* listing = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(listing)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(listing);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// What the link says; empty when path is no link.
std::string LinkText(const std::string& path) {
  char text[4096];
  const ssize_t n = ::readlink(path.c_str(), text, sizeof text);
  return n > 0 ? std::string(text, static_cast<size_t>(n)) : std::string();
}

class SaveTest : public ProjectTest {
 protected:
  void SetUp() override {
    ProjectTest::SetUp();
    StartApp();
  }
  // An empty project at path, opened, with one snippet added (so modified).
  void OpenAndChange(const std::string& file, const std::string& openedAs) {
    WriteBytes(file.substr(audio.Path().size() + 1), EmptyProjectBytes());
    app->modified = 0;  // the last case's project is let go without a question
    ASSERT_EQ(app->OpenProject(openedAs), 1);
    AddTempSnippet(0, 0, 1000, 2, 1);
  }
  size_t SnippetsIn(const std::string& path) { return ReadImage(path).tracks[0].snippets.size(); }
};

TEST_F(SaveTest, ThroughALinkTheFileItNamesIsSavedAndTheLinkStays) {
  ASSERT_TRUE(platform::CreateFolder(audio / "links"));
  ASSERT_TRUE(platform::CreateFolder(audio / "store"));
  const std::string target = audio / "store/song.qvk";
  const struct {
    const char* name;
    std::string link;
    std::string text;  // what the link says
    std::string via;   // a link in between, or none
  } cases[] = {
      {"absolute", audio / "links/abs.qvk", target, ""},
      {"relative", audio / "links/rel.qvk", "../store/song.qvk", ""},
      {"a chain", audio / "links/chain.qvk", "abs2.qvk", audio / "links/abs2.qvk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.via.empty()) {
      ASSERT_EQ(::symlink(target.c_str(), c.via.c_str()), 0);
    }
    ASSERT_EQ(::symlink(c.text.c_str(), c.link.c_str()), 0);
    OpenAndChange(target, c.link);
    ASSERT_EQ(app->OnFileSave(), status::kDone);
    EXPECT_EQ(LinkText(c.link), c.text) << "the link is still the link it was";
    EXPECT_EQ(SnippetsIn(target), 1u) << "the project it names got the save";
    EXPECT_EQ(app->projectPath, c.link);
    EXPECT_EQ(app->modified, 0);
    // Nothing left beside either.
    EXPECT_EQ(Entries(audio / "store"), std::vector<std::string>{"song.qvk"});
    ::unlink(c.link.c_str());
    if (!c.via.empty()) ::unlink(c.via.c_str());
    EXPECT_TRUE(Entries(audio / "links").empty());
  }
}

TEST_F(SaveTest, AReadOnlyProjectIsNotWrittenAndSaveAsIsOffered) {
  const std::string file = audio / "kept.qvk";
  const std::string link = audio / "to-kept.qvk";
  ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
  const std::string copy = audio / "copy.qvk";
  const struct {
    const char* name;
    std::string openedAs;
    bool beforeNew;  // the Save that New asks for
    int answer;
    int result;      // of the command
    bool savedAs;
  } cases[] = {
      {"No: nothing saved", file, false, ui::kAnswerNo, status::kCancelled, false},
      {"Yes: saved under the name chosen", file, false, ui::kAnswerYes, status::kDone, true},
      {"through a link", link, false, ui::kAnswerNo, status::kCancelled, false},
      // Declined, New stops and the project stays.
      {"before New", file, true, ui::kAnswerNo, status::kCancelled, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(copy.c_str());
    ::chmod(file.c_str(), 0644);
    OpenAndChange(file, c.openedAs);
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    const std::vector<uint8_t> before = ReadFile(file);
    const size_t tempFiles = TempAudioFiles().size();
    if (c.beforeNew) {
      seams.ui.ExpectRequest<ModifiedProjectRequest>(ModifiedProjectRequest::Result{ModifiedProjectRequest::Answer::Yes});
    }
    seams.ui.ExpectBox(ReadOnlyProjectText(c.openedAs), c.answer);
    if (c.savedAs) seams.ui.ExpectFile(copy);
    EXPECT_EQ(c.beforeNew ? app->NewProject() : app->OnFileSave(), c.result);
    seams.ui.CheckDone();
    ASSERT_FALSE(seams.ui.Boxes().empty());
    EXPECT_EQ(seams.ui.Boxes().back().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(ReadFile(file), before) << "the read-only file is as it was";
    EXPECT_EQ(LinkText(link), file);
    EXPECT_EQ(platform::FileExists(copy), c.savedAs);
    if (c.savedAs) {
      EXPECT_EQ(SnippetsIn(copy), 1u);
      EXPECT_EQ(app->projectPath, copy);
      EXPECT_EQ(app->modified, 0);
    } else {
      EXPECT_EQ(app->projectPath, c.openedAs);
      EXPECT_EQ(app->modified, 1);
      EXPECT_EQ(app->project.GetLastEnd(), 1000u) << "the project is kept";
      EXPECT_EQ(TempAudioFiles().size(), tempFiles) << "its audio did not move either";
    }
  }
  EXPECT_EQ(ReadOnlyProjectText("/a/b.qvk"),
            "Cannot save the project.  The file is read-only:\n/a/b.qvk\n\n"
            "Would you like to save the project under another name?");
}

TEST_F(SaveTest, ANameAsLongAsTheFileSystemTakesIsSavedOver) {
  const struct {
    const char* name;
    std::string file;
  } cases[] = {
      {"255 bytes", std::string(251, 'a') + ".qvk"},
      {"255 bytes of two-byte characters", std::string(1, 'a') + [] {
         std::string e;
         for (int i = 0; i < 125; ++i) e += "\xC3\xA9";
         return e;
       }() + ".qvk"},
      {"243 bytes, the longest whose temporary name needs no cut", std::string(239, 'b') + ".qvk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = audio / ("case" + std::to_string(&c - cases));
    ASSERT_TRUE(platform::CreateFolder(folder));
    const std::string path = folder + "/" + c.file;
    // What a save of it killed half-way left behind, which this one clears.
    const std::string prefix = platform::FittingUniquePrefix(folder, "." + c.file + ".", ".tmp");
    ASSERT_FALSE(platform::MakeUniqueFile(folder, prefix, ".tmp").empty());
    OpenAndChange(path, path);
    ASSERT_EQ(app->OnFileSave(), status::kDone);
    EXPECT_EQ(SnippetsIn(path), 1u);
    EXPECT_EQ(Entries(folder), std::vector<std::string>{c.file});
  }
}

}  // namespace
}  // namespace tessiro::test
