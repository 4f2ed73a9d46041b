// Files a project cannot come from, and saves that cannot finish: the open
// project and the old file stay as they were.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <limits>
#include <fstream>
#include <random>

#include "ByteFields.h"
#include "FileReplace.h"
#include "Folders.h"
#include "ProjectFiles.h"
#include "ProjectFixture.h"
#include "ProjectSamples.h"
#include "ReportRecorder.h"

namespace tessiro::test {
namespace {

std::string ProblemOf(const std::vector<uint8_t>& bytes) {
  ProjectImage image;
  std::string problem;
  EXPECT_FALSE(ParseProject(bytes.data(), bytes.size(), &image, &problem));
  EXPECT_FALSE(problem.empty());
  return problem;
}

class ProjectRefusalTest : public ProjectTest {
 protected:
  // An open, saved and then modified project to protect.
  void OpenProtectedProject() {
    StartApp();
    AddTempSnippet(0, 0, 2000, 2, 1);
    ASSERT_EQ(app->SaveProject(audio / "good.qvk"), 1);
    AddTempSnippet(1, 500, 2000, 1, 2);
  }
  void ExpectProtectedProjectUnchanged() {
    EXPECT_EQ(app->projectPath, audio / "good.qvk");
    EXPECT_EQ(seams.view.title, "good - Tessiro");
    EXPECT_EQ(app->modified, 1);
    EXPECT_EQ(app->project.GetLastEnd(), 2500u);
    EXPECT_FLOAT_EQ(app->project.tempo, 120.0f);
  }
};

TEST_F(ProjectRefusalTest, HostileFilesAreRefusedWithOneMessageAndTheOpenProjectStays) {
  OpenProtectedProject();
  const std::vector<uint8_t> good = BytesOf(FullProjectImage(audio / "takes"));
  std::vector<std::pair<std::string, std::vector<uint8_t>>> hostile;
  for (size_t cut : {6u, 100u, 65663u, 65664u, 70000u, 110000u}) {
    hostile.emplace_back("cut at " + std::to_string(cut), std::vector<uint8_t>(good.begin(), good.begin() + cut));
  }
  auto damaged = [&good](size_t at, auto put) {
    std::vector<uint8_t> bytes = good;
    put(bytes.data() + at);
    return bytes;
  };
  hostile.emplace_back("NaN tempo", damaged(qvk::kOffTempo, [](uint8_t* p) {
                         bytes::PutF32(p, std::numeric_limits<float>::quiet_NaN());
                       }));
  hostile.emplace_back("33 loops", damaged(qvk::kOffLoopCount, [](uint8_t* p) { bytes::PutI16(p, 33); }));
  hostile.emplace_back("a count past the end",
                       damaged(qvk::kOffTracks + 300, [](uint8_t* p) { bytes::PutI16(p, 32767); }));
  hostile.emplace_back("an effect count of 11",
                       damaged(qvk::kOffTracks + 332, [](uint8_t* p) { bytes::PutI16(p, 11); }));
  // The first snippet record follows the header: its start at +24, its end at +28.
  hostile.emplace_back("a snippet starting near 2^31", damaged(qvk::kHeaderBytes, [](uint8_t* p) {
                         bytes::PutI32(p + 24, 0x7FFFFF00);
                         bytes::PutI32(p + 28, 0x7FFFFFFF);
                       }));
  hostile.emplace_back("a snippet ending a frame past 90 minutes",
                       damaged(qvk::kHeaderBytes + 28, [](uint8_t* p) { bytes::PutI32(p, 238140001); }));
  std::mt19937 random(7);
  std::vector<uint8_t> noise(80000);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
  std::memcpy(noise.data(), "QRVD12", 6);
  hostile.emplace_back("random bytes", noise);

  const int windows = seams.progress.Windows();
  for (const auto& [what, bytes] : hostile) {
    SCOPED_TRACE(what);
    const std::string path = WriteBytes("bad.qvk", bytes);
    seams.ui.ExpectBox("The project " + path + " cannot be opened: " + ProblemOf(bytes) + ".");
    // Refused before anything else: not even the question about the modified project comes.
    EXPECT_EQ(app->OpenProject(path), 3);
    seams.ui.CheckDone();
    ExpectProtectedProjectUnchanged();
  }
  EXPECT_EQ(seams.progress.Windows(), windows);
}

TEST_F(ProjectRefusalTest, WhatIsNoProjectIsSaidSoAndWhatIsGoneIsReported) {
  OpenProtectedProject();
  app->recentFiles.Add(audio / "gone.qvk");
  std::vector<uint8_t> almost = EmptyProjectBytes();
  almost[5] = 'X';  // "QRVD1X"
  const std::string notOurs = WriteBytes("almost.qvk", almost);
  seams.ui.ExpectBox("Selected file is not an Orvane Tessiro or Orvane Quillon v3.0 file.");
  EXPECT_EQ(app->OpenProject(notOurs), 3);
  seams.ui.ExpectBox("Selected file is not an Orvane Tessiro or Orvane Quillon v3.0 file.");
  EXPECT_EQ(app->OpenProject(audio / "qvk_temp"), 3);  // a folder
  EXPECT_EQ(app->OpenProject(audio / "gone.qvk"), 3);
  const std::vector<RecordedReport> reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 17235);
  EXPECT_EQ(reports[0].report.message, "Failed to open project file " + audio / "gone.qvk");
  EXPECT_TRUE(app->recentFiles.GetFiles().empty() || app->recentFiles.GetFiles().front() != audio / "gone.qvk");
  ExpectProtectedProjectUnchanged();
}

TEST_F(ProjectRefusalTest, AStartWithAProjectThatCannotBeOpenedStartsWithANewOne) {
  WriteConfig(audio.Path());
  const std::string path = WriteBytes("zeros.qvk", std::vector<uint8_t>(100, 0));
  seams.ui.ExpectBox("Selected file is not an Orvane Tessiro or Orvane Quillon v3.0 file.");
  ASSERT_TRUE(Start(path));
  EXPECT_EQ(seams.view.title, "Untitled - Tessiro");
  EXPECT_TRUE(app->projectPath.empty());
  EXPECT_FLOAT_EQ(app->project.tempo, 120.0f);
}

TEST_F(ProjectRefusalTest, AFailedSaveLeavesTheOldFileWholeAndTheProjectModified) {
  OpenProtectedProject();
  const std::vector<uint8_t> old = ReadFile(audio / "good.qvk");
  std::string temporary;
  SetReplaceFaultHookForTest([&temporary](const std::string& path) {
    temporary = path;
    return false;
  });
  seams.ui.ExpectBox("The project was not saved to " + audio / "good.qvk" +
                     ": it could not be written (Input/output error). The file there is as it was before.");
  EXPECT_EQ(app->OnFileSave(), 3);
  SetReplaceFaultHookForTest(nullptr);
  EXPECT_EQ(ReadFile(audio / "good.qvk"), old);
  EXPECT_FALSE(temporary.empty());
  EXPECT_FALSE(platform::FileExists(temporary));
  ExpectProtectedProjectUnchanged();
  // A save that works afterwards replaces it.
  ASSERT_EQ(app->OnFileSave(), 1);
  EXPECT_NE(ReadFile(audio / "good.qvk"), old);
  EXPECT_EQ(app->modified, 0);
}

TEST_F(ProjectRefusalTest, APathTooLongForTheFileIsRefusedNotCut) {
  StartApp();
  auto snippet = AddTempSnippet(0, 0, 1000, 2, 1);
  const std::string deep = audio / std::string(250, 'd');
  ASSERT_TRUE(platform::CreateFolder(deep));
  snippet->Segment()->SetPcmFileName(deep + "/take.pcm");
  seams.ui.ExpectBox("The project was not saved to " + audio / "long.qvk" + ": the path " + deep +
                     "/take.pcm is longer than 260 bytes. The file there is as it was before.");
  EXPECT_EQ(app->SaveProject(audio / "long.qvk"), 3);
  EXPECT_FALSE(platform::FileExists(audio / "long.qvk"));
  EXPECT_EQ(app->modified, 1);
}

// A save killed between its complete temporary file and the rename: the old
// file is whole, and what was written waits beside it.
TEST(ProjectFileReplacing, AKillDuringTheSaveLeavesTheOldFileWhole) {
  CTempFolder folder;
  const std::string path = folder / "song.qvk";
  const std::vector<uint8_t> old = BytesOf(FullProjectImage("/old"));
  ASSERT_TRUE(WriteFileReplacing(path, old));
  const std::vector<uint8_t> next = EmptyProjectBytes();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SetReplaceFaultHookForTest([](const std::string&) {
      std::raise(SIGKILL);
      return true;
    });
    WriteFileReplacing(path, next);
    _exit(0);  // not reached
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
  std::vector<uint8_t> now;
  {
    std::ifstream in(path, std::ios::binary);
    now.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_EQ(now, old);
  std::vector<std::string> left;
  for (const std::string& name : platform::ListFolder(folder.Path())) {
    if (name != "song.qvk") left.push_back(name);
  }
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].rfind(".song.qvk.", 0), 0u);
  std::ifstream in(folder / left[0], std::ios::binary);
  const std::vector<uint8_t> waiting{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(waiting, next);
  // The next save completes whatever the killed one left.
  ASSERT_TRUE(WriteFileReplacing(path, next));
}

}  // namespace
}  // namespace tessiro::test
