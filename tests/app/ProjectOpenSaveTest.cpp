// Opening and saving projects through the application: the model a file
// makes, the file the model makes, the audio that goes with it, and the
// question before a modified project is given up.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <map>

#include "AudioSnippetLoop.h"
#include "FileReplace.h"
#include "Folders.h"
#include "ProjectFiles.h"
#include "ProjectFixture.h"
#include "ProjectSamples.h"
#include "ReportRecorder.h"
#include "requests/ProjectRequests.h"

namespace tessiro::test {
namespace {

using Answer = ModifiedProjectRequest::Answer;

void ExpectModifiedQuestion(CScriptedUi& ui, Answer answer) {
  ui.ExpectRequest<ModifiedProjectRequest>([answer](const ModifiedProjectRequest& r) {
    EXPECT_EQ(r.text, "The current project has been modified.  Would you like to save the changes?");
    return ModifiedProjectRequest::Result{answer};
  });
}

EffectParameters Decoded(const ProjectEffectSlot& slot) {
  EffectParameters p;
  DecodeEffectParameters(slot.type, slot.parameters.data(), &p);
  return p;
}

// The live chain holds what the file's chain block says, effect by effect.
void ExpectChain(CZelmo* chain, const ProjectChainRecord& record, unsigned int dependentChannel, const char* name) {
  SCOPED_TRACE(name);
  ASSERT_NE(chain, nullptr);
  ASSERT_EQ(chain->NumberOfEffects(), static_cast<short>(record.effects.size()));
  for (short i = 0; i < chain->NumberOfEffects(); ++i) {
    const ProjectEffectSlot& slot = record.effects[i];
    unsigned int type = 0;
    chain->GetEffectType(i, &type);
    EXPECT_EQ(static_cast<int32_t>(type), slot.type) << i;
    EXPECT_EQ(chain->GetEffectBypass(i), slot.bypass) << i;
    const EffectParameters want = Decoded(slot);
    EffectParameters got;
    if (type == ZelmoEcho) {
      chain->GetEffectParameters(i, &got.echo);
      EXPECT_EQ(std::memcmp(&got.echo, &want.echo, sizeof got.echo), 0) << i;
    } else if (type == ZelmoEqualizer) {
      chain->GetEffectParameters(i, &got.equalizer);
      EXPECT_EQ(std::memcmp(&got.equalizer, &want.equalizer, sizeof got.equalizer), 0) << i;
    } else if (type == ZelmoChorus || type == ZelmoFlange) {
      chain->GetEffectParameters(i, &got.chorusFlange);
      EXPECT_EQ(std::memcmp(&got.chorusFlange, &want.chorusFlange, sizeof got.chorusFlange), 0) << i;
    } else if (type == ZelmoReverb) {
      chain->GetEffectParameters(i, &got.reverb);
      EXPECT_EQ(std::memcmp(&got.reverb, &want.reverb, sizeof got.reverb), 0) << i;
    } else if (type == ZelmoLevels) {
      EXPECT_EQ(chain->GetLevelsChannelsIndependent(i), slot.channelsIndependent) << i;
      const size_t right = slot.channelsIndependent ? slot.points2.size() : dependentChannel == 3 ? slot.points1.size() : 0;
      EXPECT_EQ(chain->GetTotalLevelPoints(i, 1), static_cast<short>(slot.points1.size())) << i;
      EXPECT_EQ(chain->GetTotalLevelPoints(i, 2), static_cast<short>(right)) << i;
      Zelmo_Level_Entry* first = nullptr;
      chain->InitGetAllLevelEntries(i, 1);
      ASSERT_EQ(chain->GetNextLevelEntry(i, &first, 1), 1u);
      EXPECT_EQ(first->identifier, slot.points1[0].identifier);
      EXPECT_FLOAT_EQ(first->gain, slot.points1[0].gain);
    }
  }
}

void ExpectSegment(const CAudioSegment* segment, const ProjectSegmentRecord& record) {
  ASSERT_NE(segment, nullptr);
  EXPECT_EQ(segment->GetPcmFileName(), record.pcmPath);
  EXPECT_EQ(segment->GetPeakFileName(), record.pekPath);
  EXPECT_EQ(segment->GetChannels(), record.channels);
  EXPECT_EQ(segment->GetFormat().samplesPerSecond, 44100u);
  EXPECT_FLOAT_EQ(segment->tempo, record.tempo);
  const SegmentState state = {segment->length,       segment->viewStart,  segment->viewEnd,
                              segment->viewWidth,    segment->trackerStart, segment->trackerEnd,
                              segment->trackerSize,  segment->markerStart, segment->markerEnd,
                              segment->markerSize};
  EXPECT_EQ(state, record.state);
}

class ProjectFilesTest : public ProjectTest {
 protected:
  // The full sample project and its audio beside it; the path of its file.
  std::string WriteFullProject(ProjectImage* image) {
    platform::CreateFolder(audio / "takes");
    *image = FullProjectImage(audio / "takes");
    WriteAudioOf(*image);
    return WriteBytes("night.qvk", BytesOf(*image));
  }
};

TEST_F(ProjectFilesTest, OpeningAProjectGivesTheModelEveryField) {
  StartApp();
  ProjectImage image;
  const std::string path = WriteFullProject(&image);
  const size_t percentsBefore = seams.progress.Percents().size();
  ASSERT_EQ(app->OpenProject(path), 1);

  EXPECT_EQ(app->projectTags, image.tags);
  EXPECT_FLOAT_EQ(app->project.tempo, 97.5f);
  EXPECT_FLOAT_EQ(app->project.globalPitch, -3.5f);
  EXPECT_FLOAT_EQ(app->project.masterLeftGain, 0.8f);
  EXPECT_FLOAT_EQ(app->project.masterRightGain, 0.9f);
  EXPECT_EQ(app->project.viewStart, 44100u);
  EXPECT_EQ(app->project.viewEnd, 485100u);
  EXPECT_EQ(app->project.viewWidth, 441000u);
  EXPECT_EQ(app->project.soloActive, 1);
  EXPECT_EQ(app->project.bypass, 0);
  EXPECT_FLOAT_EQ(app->metronome.parameters.bpm, 97.5f);

  ASSERT_EQ(app->loopBank.GetCount(), 32);
  for (const ProjectLoopRecord& record : image.loops) {
    SCOPED_TRACE("loop " + std::to_string(record.number));
    std::shared_ptr<CAudioLoop> loop;
    ASSERT_EQ(app->loopBank.FindLoop(record.number, &loop), 1);
    EXPECT_EQ(loop->GetMeasures(), record.measures);
    EXPECT_EQ(loop->selected, record.loopWord);
    EXPECT_EQ(loop->GetTitle(), record.title);
    EXPECT_EQ(loop->GetColors().snippetBox, app->config.colorSets[25 + record.number].snippetBox);
    ExpectSegment(loop->Segment(), record.segment);
    // Only the loops the project plays (from tracks 21 to 24) are held in memory.
    EXPECT_EQ(loop->IsInMemory(), loop->useCount > 0);
  }
  EXPECT_EQ(app->loopBank.FindLoop(28, nullptr), 1);

  for (int t = 0; t < 24; ++t) {
    SCOPED_TRACE("track " + std::to_string(t));
    const ProjectTrackRecord& record = image.tracks[t];
    CAudioTrack* track = nullptr;
    ASSERT_EQ(app->project.FindTrack(t, &track), 1);
    EXPECT_EQ(track->GetType(), record.type);
    EXPECT_EQ(track->description, record.description);
    EXPECT_FLOAT_EQ(track->Snippets().trackPitch, record.pitch);
    EXPECT_FLOAT_EQ(track->leftGain, record.gainLeft);
    EXPECT_FLOAT_EQ(track->rightGain, record.gainRight);
    EXPECT_EQ(track->armed, record.armed);
    EXPECT_EQ(track->recordingSlot, record.recordSlot);
    EXPECT_EQ(track->solo, record.solo);
    EXPECT_EQ(track->mute, record.mute);
    EXPECT_EQ(track->selected, record.selected);
    EXPECT_EQ(track->colors.waveformFill, record.colors.waveformFill);
    const auto& snippets = track->Snippets().Snippets();
    ASSERT_EQ(snippets.size(), 3u);
    // Kept in start order; the record read last plays on top.
    EXPECT_EQ(snippets[0]->start, static_cast<uint32_t>(record.snippets[1].start));
    EXPECT_LT(snippets[1]->layer, snippets[2]->layer);
    EXPECT_GT(snippets[0]->layer, snippets[1]->layer);
    for (size_t k = 0; k < 3; ++k) {
      const ProjectSnippetRecord& s = record.snippets[k];
      const CAudioSnippet& live = *snippets[k == 0 ? 1 : k == 1 ? 0 : 2];
      EXPECT_EQ(live.kind, s.IsExtended() ? 1 : 0);
      EXPECT_EQ(live.start, static_cast<uint32_t>(s.start));
      EXPECT_EQ(live.end, static_cast<uint32_t>(s.end));
      EXPECT_EQ(live.length, static_cast<uint32_t>(s.length));
      EXPECT_FLOAT_EQ(live.tempo, s.tempo);
      EXPECT_FLOAT_EQ(live.ratio, s.ratio);
      EXPECT_FLOAT_EQ(live.carry, s.carry);
      EXPECT_EQ(live.selected, s.selected);
      if (s.IsExtended()) {
        ExpectSegment(static_cast<const CAudioSnippetExtended&>(live).Segment(), s.segment);
      } else {
        EXPECT_EQ(static_cast<const CAudioSnippetLoop&>(live).GetLoop()->loopNumber, s.loopNumber);
      }
    }
  }

  ExpectChain(app->effectChains[0].get(), image.masterChain, 1, "master");
  EXPECT_EQ(app->effectChains[0]->GetBypass(), 0);
  ExpectChain(app->effectChains[1].get(), image.tracks[0].chain, 3, "track 1");
  EXPECT_EQ(app->effectChains[1]->GetBypass(), 1);
  ExpectChain(app->effectChains[2].get(), image.tracks[1].chain, 3, "track 2");
  ExpectChain(app->effectChains[3].get(), image.tracks[2].chain, 3, "track 3");
  for (int t = 3; t < 24; ++t) EXPECT_EQ(app->effectChains[1 + t], nullptr) << t;

  // The editor shows the snippet of record 2 on track 1 (its id is new now).
  EXPECT_EQ(app->editorSource, EditorSourceSnippet);
  EXPECT_EQ(app->editorTrackIndex, 0);
  ASSERT_TRUE(app->editorSnippet);
  EXPECT_EQ(app->editorSnippet->start, static_cast<uint32_t>(image.tracks[0].snippets[2].start));
  EXPECT_EQ(app->editorSegment.get(), static_cast<CAudioSnippetExtended&>(*app->editorSnippet).Segment());

  EXPECT_EQ(app->projectPath, path);
  EXPECT_EQ(app->modified, 0);
  EXPECT_EQ(seams.view.title, "night - Tessiro");
  EXPECT_EQ(app->recentFiles.GetFiles().front(), path);
  EXPECT_EQ(app->project.projectEnd, 23u * 1000 + 12000 + kSampleAudioFrames);

  // "Loading Tessiro File..." from 0 to 100: the loops to 25, the tracks to 75, the points to 100.
  std::vector<std::string> expected = {"0"};
  for (int i = 0; i < 32; ++i) expected.push_back(std::to_string(static_cast<int>(i / 32.0f * 25)));
  expected.push_back("25");
  for (int t = 0; t < 24; ++t) expected.push_back(std::to_string(25 + static_cast<int>(t / 24.0f * 50)));
  expected.push_back("75");
  for (int t = 0; t < 24; ++t) expected.push_back(std::to_string(75 + static_cast<int>(t / 24.0f * 25)));
  expected.push_back("100");
  const std::vector<std::string> percents(seams.progress.Percents().begin() + static_cast<std::ptrdiff_t>(percentsBefore),
                                          seams.progress.Percents().end());
  EXPECT_EQ(percents, expected);
  EXPECT_EQ(seams.progress.Messages().back(), "Loading Tessiro File...");
  EXPECT_FALSE(seams.progress.Exists());
}

TEST_F(ProjectFilesTest, RecordsOfEveryKindLoadAsTheProgramAlwaysReadThem) {
  StartApp();
  ProjectImage image;
  WriteFullProject(&image);
  // Any kind but 1 is a loop snippet.
  image.tracks[20].snippets[0].kind = 2;
  image.tracks[21].snippets[1].kind = 7;
  // Slots of no effect this program has are skipped; the envelope after them keeps its points.
  ProjectEffectSlot none, five;
  none.type = 0;
  five.type = 5;
  ProjectEffectSlot levels = image.masterChain.effects[2];
  levels.channelsIndependent = 0;
  levels.points2.clear();
  image.masterChain.effects = {none, image.masterChain.effects[0], five, levels};
  // An editor snippet that is not on its track shows nothing.
  image.editor.savedSnippetId = 1;
  ASSERT_EQ(app->OpenProject(WriteBytes("odd.qvk", BytesOf(image))), 1);
  for (int t : {20, 21}) {
    CAudioTrack* track = nullptr;
    ASSERT_EQ(app->project.FindTrack(t, &track), 1);
    for (const auto& snippet : track->Snippets().Snippets()) {
      EXPECT_NE(dynamic_cast<CAudioSnippetLoop*>(snippet.get()), nullptr) << t;
      EXPECT_EQ(snippet->kind, CAudioSnippet::kKindLoop) << t;
    }
  }
  CZelmo* master = app->effectChains[0].get();
  ASSERT_NE(master, nullptr);
  ASSERT_EQ(master->NumberOfEffects(), 2);
  unsigned int type = 0;
  master->GetEffectType(1, &type);
  EXPECT_EQ(type, ZelmoLevels);
  EXPECT_EQ(master->GetTotalLevelPoints(1, 1), 2);
  EXPECT_EQ(master->GetTotalLevelPoints(1, 2), 0);  // the master's dependent points go to the left list only
  EXPECT_EQ(app->editorSource, EditorSourceNothing);
  EXPECT_FALSE(app->editorSnippet);
}

TEST_F(ProjectFilesTest, SavingWritesWhatWasOpenedAndTwiceTheSameBytes) {
  StartApp();
  ProjectImage image;
  ASSERT_EQ(app->OpenProject(WriteFullProject(&image)), 1);
  const std::string copy = audio / "copy.qvk";
  ASSERT_EQ(app->SaveProject(copy), 1);
  EXPECT_TRUE(WithoutSnippetIds(ReadImage(copy)) == WithoutSnippetIds(image));
  const std::string again = audio / "again.qvk";
  ASSERT_EQ(app->SaveProject(again), 1);
  EXPECT_EQ(ReadFile(again), ReadFile(copy));
  EXPECT_EQ(app->projectPath, again);
  EXPECT_EQ(seams.view.title, "again - Tessiro");
}

TEST_F(ProjectFilesTest, SavingMovesTheProjectsAudioIntoTheDataFolder) {
  StartApp();
  auto snippet = AddTempSnippet(0, 1000, 5000, 2, 1);
  auto shared = std::make_shared<CAudioSnippetExtended>();
  ASSERT_EQ(snippet->Clone(&shared), 1);  // a second snippet on the same segment
  shared->start = 9000;
  shared->end = 14000;
  ASSERT_EQ(app->project.AddSnippetToTrack(shared, 3), 1);
  auto loop = AddTempLoop(44100, 2);
  app->SetEditorIndependentAudio(MakeTempSegment(3000, 1, 3));
  // Audio only the editor's clipboard holds is no part of the saved project.
  app->audioClipboard = MakeTempSegment(2000, 1, 4);
  const std::string clipboardFile = app->audioClipboard->GetPcmFileName();
  const std::string oldSnippetFile = snippet->Segment()->GetPcmFileName();

  const std::string path = audio / "moved.qvk";
  ASSERT_EQ(app->SaveProject(path), 1);
  const std::string data = audio / "qvk_data";
  for (CAudioSegment* segment : {snippet->Segment(), loop->Segment(), app->editorSegment.get()}) {
    EXPECT_EQ(platform::FolderOfPath(segment->GetPcmFileName()), data);
    EXPECT_EQ(platform::FolderOfPath(segment->GetPeakFileName()), data);
    EXPECT_TRUE(platform::FileExists(segment->GetPcmFileName()));
    EXPECT_TRUE(platform::FileExists(segment->GetPeakFileName()));
  }
  EXPECT_FALSE(platform::FileExists(oldSnippetFile));
  EXPECT_EQ(app->audioClipboard->GetPcmFileName(), clipboardFile);
  EXPECT_TRUE(platform::FileExists(clipboardFile));
  const ProjectImage saved = ReadImage(path);
  EXPECT_EQ(saved.tracks[0].snippets[0].segment.pcmPath, snippet->Segment()->GetPcmFileName());
  EXPECT_EQ(saved.tracks[3].snippets[0].segment.pcmPath, snippet->Segment()->GetPcmFileName());
  EXPECT_EQ(saved.loops[0].segment.pekPath, loop->Segment()->GetPeakFileName());
  EXPECT_EQ(saved.editor.source, qvk::kEditorIndependent);
  EXPECT_EQ(saved.editor.segment.pcmPath, app->editorSegment->GetPcmFileName());
  EXPECT_EQ(app->modified, 0);
  EXPECT_EQ(TempAudioFiles().size(), 2u);  // the clipboard's pair
}

TEST_F(ProjectFilesTest, SavedProjectsPlayTheSameAudioAfterTheProgramEndedAndStartedAgain) {
  StartApp();
  AddTempSnippet(0, 0, 60000, 2, 1);
  AddTempSnippet(4, 20000, 50000, 1, 2);
  auto loop = AddTempLoop(30000, 3);
  auto looped = std::make_shared<CAudioSnippetLoop>(loop);
  looped->kind = CAudioSnippet::kKindLoop;
  looped->tempo = app->project.tempo;
  looped->start = 40000;
  looped->length = 30000;
  looped->end = 70000;
  ASSERT_EQ(app->project.AddSnippetToTrack(looped, 7), 1);
  const uint32_t frames = 90000;
  const std::vector<int16_t> before = RenderMix(frames);
  ASSERT_TRUE(std::any_of(before.begin(), before.end(), [](int16_t s) { return s != 0; }));

  const std::string path = audio / "keep.qvk";
  ASSERT_EQ(app->SaveProject(path), 1);
  Stop();
  EXPECT_TRUE(TempAudioFiles().empty());

  ASSERT_TRUE(Start());
  ASSERT_EQ(app->OpenProject(path), 1);
  EXPECT_EQ(RenderMix(frames), before);
}

// The opens of each file of a folder while something runs, counted by the
// kernel. Closes are watched too: the kernel merges events only when they
// follow each other alike, so every open is told.
class COpenCounter {
 public:
  explicit COpenCounter(const std::string& folder) : fd_(::inotify_init1(IN_NONBLOCK)) {
    EXPECT_GE(fd_, 0);
    EXPECT_GE(::inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_CLOSE), 0);
  }
  ~COpenCounter() { ::close(fd_); }
  std::map<std::string, int> Take() {
    std::map<std::string, int> opens;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (char* at = buffer; at < buffer + got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        if (event->len > 0 && (event->mask & IN_OPEN)) ++opens[event->name];
        at += sizeof(inotify_event) + event->len;
      }
    }
    return opens;
  }

 private:
  int fd_;
};

TEST_F(ProjectFilesTest, SnippetsSharingATakeOpenItsFilesOnceAndPlayIt) {
  StartApp();
  // One take cut into six snippets on two tracks: six records name the same two files.
  auto take = AddTempSnippet(0, 0, 6000, 2, 5);
  for (uint32_t k = 1; k < 6; ++k) {
    std::shared_ptr<CAudioSnippetExtended> cut;
    ASSERT_EQ(take->Clone(&cut), 1);
    cut->start = k * 7000;
    cut->end = cut->start + 6000;
    ASSERT_EQ(app->project.AddSnippetToTrack(cut, static_cast<int>(k % 2)), 1);
  }
  const uint32_t frames = 50000;
  const std::vector<int16_t> before = RenderMix(frames);
  const std::string path = audio / "cut.qvk";
  ASSERT_EQ(app->SaveProject(path), 1);
  const std::string pcm = take->Segment()->GetPcmFileName();
  const std::string pek = take->Segment()->GetPeakFileName();

  COpenCounter counter(platform::FolderOfPath(pcm));
  ASSERT_EQ(app->OpenProject(path), 1);
  ASSERT_EQ(platform::FolderOfPath(pek), platform::FolderOfPath(pcm));
  std::map<std::string, int> opens = counter.Take();
  EXPECT_LE(opens[pcm.substr(pcm.rfind('/') + 1)], 1);
  EXPECT_LE(opens[pek.substr(pek.rfind('/') + 1)], 1);
  size_t named = 0;
  for (int t = 0; t < 2; ++t) {
    CAudioTrack* track = nullptr;
    ASSERT_EQ(app->project.FindTrack(t, &track), 1);
    for (const auto& snippet : track->Snippets().Snippets()) {
      CAudioSegment* segment = static_cast<CAudioSnippetExtended&>(*snippet).Segment();
      EXPECT_EQ(segment->GetPcmFileName(), pcm);
      EXPECT_EQ(segment->GetPeakFileName(), pek);
      ++named;
    }
  }
  EXPECT_EQ(named, 6u);
  EXPECT_EQ(RenderMix(frames), before);
}

TEST_F(ProjectFilesTest, AudioFromAnotherSystemIsFoundByItsName) {
  StartApp();
  ProjectImage image = FullProjectImage(audio / "takes");
  platform::CreateFolder(audio / "takes");
  WriteAudioOf(image);
  // As the older program wrote them: drive letters and backslashes, files now beside the project.
  image.tracks[0].snippets[0].segment.pcmPath = "C:\\Orvane\\qvk_data\\track0_0.pcm";
  image.tracks[0].snippets[0].segment.pekPath = "C:\\Orvane\\qvk_data\\track0_0.pek";
  // One whose audio is gone for good.
  image.tracks[2].snippets[1].segment.pcmPath = "D:\\gone\\lost.pcm";
  image.tracks[2].snippets[1].segment.pekPath = "D:\\gone\\lost.pek";
  image.editor = ProjectEditorRecord{};
  const std::string path = WriteBytes("takes/moved.qvk", BytesOf(image));
  seams.ui.ExpectBox(
      "Some audio files of this project could not be found; their snippets play silence:\nD:\\gone\\lost.pcm\n"
      "D:\\gone\\lost.pek");
  ASSERT_EQ(app->OpenProject(path), 1);
  CAudioTrack* track = nullptr;
  ASSERT_EQ(app->project.FindTrack(0, &track), 1);
  auto* first = static_cast<CAudioSnippetExtended*>(track->Snippets().Snippets()[1].get());
  EXPECT_EQ(first->Segment()->GetPcmFileName(), audio / "takes/track0_0.pcm");
  EXPECT_EQ(first->Segment()->GetPeakFileName(), audio / "takes/track0_0.pek");
  // Saved with the names the file gave, so the audio is found again when it is back.
  ASSERT_EQ(app->SaveProject(audio / "again.qvk"), 1);
  const ProjectImage saved = ReadImage(audio / "again.qvk");
  EXPECT_EQ(saved.tracks[2].snippets[1].segment.pcmPath, "D:\\gone\\lost.pcm");
  EXPECT_EQ(saved.tracks[0].snippets[0].segment.pcmPath, audio / "takes/track0_0.pcm");
  EXPECT_FALSE(platform::FileExists("D:\\gone\\lost.pcm"));
}

// ---- The question before a modified project is given up ----------------------

TEST_F(ProjectFilesTest, AModifiedProjectIsSavedOrLetGoOnlyAsTheUserSays) {
  StartApp();
  const std::string saved = audio / "mine.qvk";
  struct Case {
    const char* what;
    bool named;                 // the project has a path already
    std::optional<Answer> answer;  // nullopt: the question is not answered
    std::optional<std::string> saveAs;
    bool failSave;
    int result;       // of New
    bool projectKept;
    bool fileWritten;
  } cases[] = {
      {"Cancel keeps everything", true, Answer::Cancel, {}, false, 2, true, false},
      {"no answer keeps everything", true, std::nullopt, {}, false, 2, true, false},
      {"No lets it go", true, Answer::No, {}, false, 1, false, false},
      {"Yes saves it and goes on", true, Answer::Yes, {}, false, 1, false, true},
      {"Yes without a name asks for one", false, Answer::Yes, std::optional<std::string>(saved), false, 1, false, true},
      {"a cancelled Save As keeps everything", false, Answer::Yes, std::optional<std::string>(), false, 2, true, false},
      {"a failed save keeps everything", true, Answer::Yes, {}, true, 2, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    app->modified = 0;
    ASSERT_EQ(app->NewProject(), 1);
    std::remove(saved.c_str());
    AddTempSnippet(2, 0, 1000, 1, 5);
    app->projectPath = c.named ? saved : "";
    if (c.answer) {
      ExpectModifiedQuestion(seams.ui, *c.answer);
    } else {
      seams.ui.ExpectRequest<ModifiedProjectRequest>(std::nullopt);
    }
    if (!c.named && c.answer == Answer::Yes) seams.ui.ExpectFile(c.saveAs);
    if (c.failSave) {
      SetReplaceFaultHookForTest([](const std::string&) { return false; });
      seams.ui.ExpectBox("The project was not saved to " + saved +
                         ": it could not be written (Input/output error). The file there is as it was before.");
    }
    EXPECT_EQ(app->NewProject(), c.result);
    SetReplaceFaultHookForTest(nullptr);
    seams.ui.CheckDone();
    EXPECT_EQ(app->project.GetLastEnd() != 0, c.projectKept);
    EXPECT_EQ(app->modified, c.projectKept ? 1 : 0);
    EXPECT_EQ(platform::FileExists(saved), c.fileWritten);
  }
  // Nothing to lose, nothing asked.
  app->modified = 0;
  EXPECT_EQ(app->NewProject(), 1);
}

TEST_F(ProjectFilesTest, OpeningAValidFileAsksBeforeItReplacesAModifiedProject) {
  StartApp();
  const std::string path = WriteBytes("empty.qvk", EmptyProjectBytes());
  AddTempSnippet(0, 0, 1000, 2, 1);
  ExpectModifiedQuestion(seams.ui, Answer::Cancel);
  EXPECT_EQ(app->OpenProject(path), 2);
  EXPECT_EQ(app->modified, 1);
  EXPECT_NE(app->project.GetLastEnd(), 0u);
  ExpectModifiedQuestion(seams.ui, Answer::No);
  EXPECT_EQ(app->OpenProject(path), 1);
  EXPECT_EQ(app->project.GetLastEnd(), 0u);
}

// ---- The file commands --------------------------------------------------------

TEST_F(ProjectFilesTest, TheFileCommandsAskForFilesAndNameTheWindow) {
  StartApp();
  EXPECT_EQ(seams.view.title, "Untitled - Tessiro");
  AddTempSnippet(0, 0, 1000, 2, 1);
  // Save of an unnamed project is Save As; the name gets its extension.
  seams.ui.ExpectFile(audio / "song");
  ASSERT_EQ(app->OnFileSave(), 1);
  ASSERT_EQ(seams.ui.FileChoosers().size(), 1u);
  const ui::FileChooser& saveAs = seams.ui.FileChoosers()[0];
  EXPECT_TRUE(saveAs.save);
  EXPECT_EQ(saveAs.filter, "Orvane Project Files (*.qvk; *.mix)");
  EXPECT_EQ(saveAs.defaultExtension, "qvk");
  EXPECT_TRUE(platform::FileExists(audio / "song.qvk"));
  EXPECT_EQ(seams.view.title, "song - Tessiro");
  EXPECT_EQ(app->recentFiles.GetFiles().front(), audio / "song.qvk");
  // An older project's name is never written over.
  seams.ui.ExpectFile(audio / "old.mix");
  ASSERT_EQ(app->OnFileSaveAs(), 1);
  EXPECT_EQ(app->projectPath, audio / "old.mix.qvk");

  ASSERT_EQ(app->OnFileNew(), 1);
  EXPECT_EQ(seams.view.title, "Untitled - Tessiro");
  EXPECT_TRUE(app->projectPath.empty());

  seams.ui.ExpectFile(std::nullopt);
  EXPECT_EQ(app->OnFileOpen(), 0);
  seams.ui.ExpectFile(audio / "song.qvk");
  ASSERT_EQ(app->OnFileOpen(), 1);
  const ui::FileChooser& open = seams.ui.FileChoosers().back();
  EXPECT_FALSE(open.save);
  EXPECT_EQ(open.filter.rfind("Orvane Project Files (*.qvk; *.mix)", 0), 0u);
  EXPECT_EQ(seams.view.title, "song - Tessiro");
  EXPECT_EQ(app->recentFiles.GetFiles().front(), audio / "song.qvk");
  EXPECT_EQ(app->recentFiles.GetFiles()[1], audio / "old.mix.qvk");

  // While audio plays, none of them runs.
  app->playing = 1;
  for (int (CProApp::*command)() : {&CProApp::OnFileNew, &CProApp::OnFileOpen, &CProApp::OnFileSave,
                                    &CProApp::OnFileSaveAs}) {
    seams.ui.ExpectBox("Sorry, cannot perform this operation during playback.");
    EXPECT_EQ((app.get()->*command)(), 3);
  }
  app->playing = 0;
}

}  // namespace
}  // namespace tessiro::test
