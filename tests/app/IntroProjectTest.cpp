// The intro project of a first start: opened from the program folder with its
// audio paths written for that folder, and music worth hearing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstring>

#include "FileReplace.h"
#include "Folders.h"
#include "ProjectFiles.h"
#include "ProjectFixture.h"
#include "ReportRecorder.h"

namespace tessiro::test {
namespace {

// The ten path fields the first start rewrites, with the file each names.
struct IntroPath {
  size_t offset;
  std::string file;
};

std::vector<IntroPath> IntroPaths() {
  std::vector<IntroPath> paths;
  auto both = [&paths](size_t pcm, size_t pek, const char* name) {
    paths.push_back({pcm, std::string(name) + ".pcm"});
    paths.push_back({pek, std::string(name) + ".pek"});
  };
  both(43794, 44055, "QRVD_20060612230447_27965453");
  both(44462, 44723, "QRVD_20060612230452_27969703");
  both(65714, 65975, "QRVD_20060614191254_68983359");
  for (size_t k = 1; k <= 6; ++k) both(65664 + 616 * k + 50, 65664 + 616 * k + 311, "QRVD_20060613113101_72739359");
  both(70026, 70287, "QRVD_20060614194639_71008421");
  return paths;
}

void ExpectPathsFor(const std::vector<uint8_t>& bytes, const std::string& folder) {
  for (const IntroPath& p : IntroPaths()) {
    ASSERT_LE(p.offset + 261, bytes.size());
    const std::string want = folder + "/" + p.file;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + p.offset)), want) << p.offset;
    for (size_t i = want.size(); i < 261; ++i) ASSERT_EQ(bytes[p.offset + i], 0) << p.offset;
  }
}

class IntroProjectTest : public ProjectTest {
 protected:
  void StartFirstTime() {
    ExpectFirstStart(audio.Path());
    ASSERT_TRUE(Start());
  }
};

TEST_F(IntroProjectTest, AFirstStartOpensTheIntroWithItsAudioInTheProgramFolder) {
  StartFirstTime();
  const std::string folder = platform::ProgramFolder();
  EXPECT_EQ(app->projectPath, folder + "/Intro.qvk");
  EXPECT_EQ(seams.view.title, "Intro - Tessiro");
  EXPECT_EQ(app->modified, 0);
  ExpectPathsFor(ReadFile(folder + "/Intro.qvk"), folder);
  ASSERT_EQ(app->loopBank.GetCount(), 2);
  const size_t counts[5] = {1, 6, 1, 8, 2};
  for (int t = 0; t < 24; ++t) {
    CAudioTrack* track = nullptr;
    ASSERT_EQ(app->project.FindTrack(t, &track), 1);
    EXPECT_EQ(track->Snippets().GetCount(), t < 5 ? counts[t] : 0u) << t;
  }
  CAudioTrack* pad = nullptr;
  ASSERT_EQ(app->project.FindTrack(0, &pad), 1);
  auto* snippet = static_cast<CAudioSnippetExtended*>(pad->Snippets().Snippets()[0].get());
  EXPECT_EQ(snippet->Segment()->GetPcmFileName(), folder + "/QRVD_20060614191254_68983359.pcm");
  std::shared_ptr<CAudioLoop> drums;
  ASSERT_EQ(app->loopBank.FindLoop(0, &drums), 1);
  EXPECT_TRUE(drums->IsInMemory());
  EXPECT_EQ(app->project.projectEnd, 20u * 44100);
  // The next start is no first start: a new project, no intro.
  Stop();
  ASSERT_TRUE(Start());
  EXPECT_TRUE(app->projectPath.empty());
}

TEST_F(IntroProjectTest, TheIntroIsMusicFromStartToEnd) {
  StartFirstTime();
  const std::vector<int16_t> mix = RenderMix(20 * 44100);
  int peak = 0;
  for (int second = 0; second < 20; ++second) {
    double energy = 0;
    for (uint32_t i = second * 44100 * 2; i < (second + 1) * 44100u * 2; ++i) {
      energy += static_cast<double>(mix[i]) * mix[i];
      peak = std::max(peak, std::abs(static_cast<int>(mix[i])));
    }
    const double rms = std::sqrt(energy / (44100 * 2));
    // Full until the last bar; the ending chord then rings out.
    EXPECT_GT(rms, second < 17 ? 1000.0 : 300.0) << "second " << second;
  }
  EXPECT_LT(peak, 32767);  // never clipped
  // It rings out to silence at its end.
  for (size_t i = mix.size() - 2000; i < mix.size(); ++i) ASSERT_LT(std::abs(static_cast<int>(mix[i])), 200) << i;
}

TEST_F(IntroProjectTest, AReadOnlyProgramFolderGetsTheIntroCopiedToTheUsersOwn) {
  const std::string folder = platform::ProgramFolder();
  SetReplaceFaultHookForTest([folder](const std::string& temporary) {
    return platform::FolderOfPath(temporary) != folder;  // the program folder cannot be written
  });
  StartFirstTime();
  SetReplaceFaultHookForTest(nullptr);
  const std::string own = audio / "qvk_data/intro";
  EXPECT_EQ(app->projectPath, own + "/Intro.qvk");
  ExpectPathsFor(ReadFile(own + "/Intro.qvk"), own);
  EXPECT_TRUE(platform::FileExists(own + "/QRVD_20060614194639_71008421.pek"));
  EXPECT_EQ(seams.view.title, "Intro - Tessiro");
  EXPECT_EQ(app->loopBank.GetCount(), 2);
}

TEST_F(IntroProjectTest, APathTooLongForItsFieldIsReportedAndTheAudioStillFound) {
  const char* home = std::getenv("TESSIRO_HOME");
  ASSERT_NE(home, nullptr);
  const std::string saved = home;
  const std::string deep = audio / std::string(240, 'h');
  setenv("TESSIRO_HOME", deep.c_str(), 1);
  StartFirstTime();
  setenv("TESSIRO_HOME", saved.c_str(), 1);
  const std::vector<RecordedReport> reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "pro");
  EXPECT_EQ(reports[0].report.message.rfind("Intro audio path too long: " + deep + "/QRVD_", 0), 0u);
  EXPECT_EQ(app->projectPath, deep + "/Intro.qvk");
  // Found by its name beside the project: no audio is missing.
  CAudioTrack* pad = nullptr;
  ASSERT_EQ(app->project.FindTrack(0, &pad), 1);
  auto* snippet = static_cast<CAudioSnippetExtended*>(pad->Snippets().Snippets()[0].get());
  EXPECT_EQ(snippet->Segment()->GetPcmFileName(), deep + "/QRVD_20060614191254_68983359.pcm");
  Stop();
  std::remove((deep + "/qvk.cfg").c_str());
}

}  // namespace
}  // namespace tessiro::test
