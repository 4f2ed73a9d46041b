#include <gtest/gtest.h>

#include <filesystem>

#include "AudioFixtures.h"
#include "AudioLoop.h"
#include "AudioSnippetLoop.h"
#include "EditRunning.h"
#include "ImportFixture.h"
#include "ProConfig.h"
#include "ProgramStub.h"
#include "ReportRecorder.h"
#include "requests/ImportExportRequests.h"

namespace tessiro::test {
namespace {

constexpr const char* kNoSize = "Imported audio file has no size.";
constexpr const char* kLoopTrack = "Cannot insert extended audio into a loop based audio track.";

std::vector<int16_t> Frames(const std::vector<int16_t>& samples, uint16_t channels, size_t first, size_t count) {
  return {samples.begin() + static_cast<std::ptrdiff_t>(first * channels),
          samples.begin() + static_cast<std::ptrdiff_t>((first + count) * channels)};
}

// A loop snippet on the track, as inserting a loop from the bank leaves it.
void PutLoopSnippet(CProApp& app, std::shared_ptr<CAudioSegment> segment, int track) {
  auto loop = std::make_shared<CAudioLoop>();
  loop->SetSegment(std::move(segment));
  app.loopBank.AddLoop(loop);
  auto snippet = std::make_shared<CAudioSnippetLoop>(loop);
  snippet->length = snippet->end = 44100;
  app.project.AddSnippetToTrack(snippet, track);
}

TEST_F(ImportTest, AFileShorterThanASecondIsPaddedWithSilenceToOneSecond) {
  for (uint32_t rate : {44100u, 22050u}) {
    const std::vector<int16_t> quarter = Staircase(rate / 4, 2, 20000);
    const std::vector<int16_t> samples = ImportSamples(Target::Editor, WriteWave("short.wav", rate, 2, quarter));
    ASSERT_EQ(samples.size(), 44100u * 2);
    const size_t sound = 44100 / 4 - 2;
    if (rate == 44100) {
      EXPECT_EQ(Frames(samples, 2, 0, sound), Frames(quarter, 2, 0, sound));
    }
    EXPECT_EQ(Frames(samples, 2, 11030, 44100 - 11030), std::vector<int16_t>((44100 - 11030) * 2, 0));
  }
}

TEST_F(ImportTest, TwoImportsInARowGiveWhatEachGivesAlone) {
  const std::string a = WriteWave("a.wav", 48000, 2, Sine(72000, 2, 12000, 440, 48000));
  const std::string b = WriteWave("b.wav", 22050, 1, Sine(33075, 1, 9000, 300, 22050));
  const std::vector<int16_t> firstA = ImportSamples(Target::Editor, a);
  const std::vector<int16_t> firstB = ImportSamples(Target::Track, b);
  EXPECT_EQ(ImportSamples(Target::LoopBank, a), firstA);
  EXPECT_EQ(ImportSamples(Target::Editor, b), firstB);
  // Every frame the converter held came out: 1.5 s at 48000 Hz is 1.5 s at 44100 Hz.
  EXPECT_NEAR(static_cast<double>(firstA.size() / 2), 66150.0, 1.0);
  EXPECT_NEAR(static_cast<double>(firstB.size()), 66150.0, 1.0);
}

TEST_F(ImportTest, EmptyOrUnreadableFilesAreRefusedAndLeaveNothing) {
  WriteBytes(audio / "empty.wav", {});
  WriteBytes(audio / "noise.wav", std::vector<uint8_t>(5000, 0x5A));
  for (const char* name : {"empty.wav", "noise.wav"}) {
    EXPECT_EQ(Import(Target::Editor, audio / name), status::kFaultReported) << name;
    EXPECT_FALSE(Reports().Take().empty()) << name;
  }
  WriteBytes(audio / "nodata.wav", MakePcmWave(AudioQuality{44100, 2, 16}, {}));
  EXPECT_EQ(Import(Target::Track, audio / "nodata.wav", kNoSize), status::kNothingDone);
  EXPECT_EQ(TempAudio(), std::vector<std::string>{});
  EXPECT_EQ(app->undoList.GetCount(), 0u);
  EXPECT_EQ(app->editorSource, EditorSourceNothing);
}

TEST_F(ImportTest, AFileCutShortImportsWhatItHoldsAndSaysSoOnce) {
  const std::vector<int16_t> held = Staircase(50000, 2);
  const std::vector<uint8_t> data = Pcm16Bytes(held);
  RiffChunk chunk{"data", data, static_cast<int64_t>(data.size() * 3)};
  WriteBytes(audio / "cut.wav", MakeRiffWave({{"fmt ", FormatBody(1, 2, 44100, 16)}, chunk}));
  EXPECT_EQ(Import(Target::Editor, audio / "cut.wav",
                   "The audio file ends before the audio its header announces.  The audio it holds has been imported."),
            status::kDone);
  EXPECT_EQ(ReadSamples(*app->GetEditorSegment()), held);
  EXPECT_EQ(seams.ui.Boxes().size(), 1u);
}

TEST_F(ImportTest, AnMp3ImportWhoseDecoderFailsPartWayIsMissingOrIsCancelledLeavesNothing) {
  // What the stand-in for LAME writes to its output: a WAV stream, whole or not.
  const std::vector<int16_t> samples = Staircase(600000, 2);
  const std::string wave = WriteWave("decoded.wav", 44100, 2, samples);
  const std::string mp3 = audio / "song.mp3";
  WriteBytes(mp3, {1, 2, 3});
  struct Case {
    const char* name;
    std::string lame;  // "": not installed
    int cancelAtPump;
    int status;
    size_t reports;
  } cases[] = {
      {"fails part way", "head -c 1000044 '" + wave + "'\nexit 1", 0, status::kFaultReported, 1},
      {"ends short of its header", "head -c 1000044 '" + wave + "'", 0, status::kFaultReported, 1},
      {"missing", "", 0, status::kFaultReported, 1},
      {"cancelled while it writes", "cat '" + wave + "'\nsleep 30", 3, status::kCancelled, 0},
  };
  const std::vector<std::string> before = TempAudio();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CProgramStub lame("lame", c.lame);
    if (c.cancelAtPump > 0) seams.progress.CancelAtPump(c.cancelAtPump, &app->progressWindow);
    EXPECT_EQ(Import(Target::Editor, mp3), c.status);
    EXPECT_EQ(Reports().Take().size(), c.reports);
    EXPECT_EQ(app->GetEditorSegment(), nullptr);
    EXPECT_EQ(app->undoList.GetCurrent(), nullptr);
    EXPECT_EQ(TempAudio(), before) << "no part of the audio left behind";
    EXPECT_TRUE(NoChildProcesses());
  }
  // The same stream whole imports as it is.
  CProgramStub lame("lame", "cat '" + wave + "'");
  EXPECT_EQ(ImportSamples(Target::Editor, mp3), samples);
}

TEST_F(ImportTest, RatesTheConverterCannotTakeAreRefusedBeforeAnythingIsWritten) {
  const std::string path = audio / "fast.wav";
  WriteBytes(path, MakePcmWave(AudioQuality{500000, 1, 16}, Pcm16Bytes(Staircase(100000, 1))));
  EXPECT_EQ(Import(Target::LoopBank, path,
                   "Cannot import audio file.  Only audio of 1000 to 384000 Hz with one or two channels can be "
                   "imported."),
            status::kNothingDone);
  EXPECT_EQ(TempAudio(), std::vector<std::string>{});
  EXPECT_EQ(app->loopBank.GetCount(), 0);
}

TEST_F(ImportTest, ACancelledImportLeavesNothingInAnyTarget) {
  const std::string path = WriteWave("long.wav", 44100, 2, Staircase(132300, 2));
  for (Target target : {Target::Track, Target::Editor, Target::LoopBank}) {
    seams.progress.CancelAtPump(3, &app->progressWindow);
    EXPECT_EQ(Import(target, path), status::kCancelled);
  }
  EXPECT_EQ(TempAudio(), std::vector<std::string>{});
  EXPECT_EQ(app->undoList.GetCount(), 0u);
  EXPECT_EQ(app->project.projectEnd, 0u);
  EXPECT_EQ(app->loopBank.GetCount(), 0);
  EXPECT_EQ(app->editorSource, EditorSourceNothing);
  EXPECT_EQ(app->modified, 0);
}

TEST_F(ImportTest, CommandsStartedFromTheProgressWindowOfAnImportDoNothing) {
  const std::string path = WriteWave("long.wav", 44100, 2, Staircase(132300, 2));
  int nested = 0;
  seams.progress.SetPumpHook([&] {
    // The copy has no source yet: only the guard keeps it from reporting that.
    nested += app->ImportAudioToTrack() + app->ExportCurrentAudioAsAudioFile() + app->MixdownToTrack() +
              app->CopyToAudioClipboard(nullptr, EditRangeHighlighted);
    return false;
  });
  EXPECT_EQ(ImportSamples(Target::Editor, path), Staircase(132300, 2));
  seams.progress.SetPumpHook(nullptr);
  EXPECT_GT(seams.progress.Pumps(), 0);
  EXPECT_EQ(nested, status::kNothingDone);
  EXPECT_EQ(app->undoList.GetCount(), 1u);
  EXPECT_FALSE(app->IsOperationRunning());
  // Nor does an import start while an edit operation runs: no file is even asked for.
  const COperationRunning edit(*app);
  EXPECT_EQ(app->ImportAudioToLoopBank(), status::kNothingDone);
  EXPECT_EQ(app->CreateLoopFromEditor(), status::kNothingDone);
}

TEST_F(ImportTest, NamesOfOtherTypesDoNothingAndLongPathsImport) {
  EXPECT_EQ(Import(Target::Editor, WriteWave("song.aiff", 44100, 1, Staircase(44100, 1))), status::kNothingDone);
  EXPECT_EQ(TempAudio(), std::vector<std::string>{});
  std::string folder = audio.Path();
  for (char c : {'a', 'b', 'c'}) folder += "/" + std::string(200, c);
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/" + std::string(200, 'd') + ".wav";
  WriteBytes(path, MakePcmWave(AudioQuality{44100, 1, 16}, Pcm16Bytes(Staircase(44100, 1))));
  EXPECT_EQ(ImportSamples(Target::Editor, path), Staircase(44100, 1));
  EXPECT_EQ(app->GetEditorSegment()->sourceName, path);
}

TEST_F(ImportTest, AnImportToATrackIsOneSnippetAtTheCursorAndOneUndoStep) {
  app->project.SelectTrack(3);
  app->playCursor = 88200;
  const std::vector<int16_t> source = Staircase(66150, 1);
  ASSERT_EQ(Import(Target::Track, WriteWave("one.wav", 44100, 1, source)), status::kDone);
  CAudioTrack* track = nullptr;
  ASSERT_EQ(app->project.FindTrack(3, &track), 1);
  ASSERT_EQ(track->Snippets().GetCount(), 1u);
  const std::shared_ptr<CAudioSnippet> snippet = track->Snippets().Snippets().front();
  EXPECT_EQ(snippet->start, 88200u);
  EXPECT_EQ(snippet->end, 88200u + 66150u);
  EXPECT_FLOAT_EQ(snippet->ratio, 1.0f);
  EXPECT_EQ(app->project.projectEnd, 88200u + 66150u);
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationInsertSnippets);
  EXPECT_EQ(app->modified, 1);
  EXPECT_EQ(seams.view.calls.back(), "RefreshTrackView");
  app->undoList.Undo(&app->project, &app->loopBank);
  EXPECT_EQ(track->Snippets().GetCount(), 0u);
  app->undoList.Redo(&app->project, &app->loopBank);
  EXPECT_EQ(track->Snippets().GetCount(), 1u);
}

TEST_F(ImportTest, ALoopTrackTakesExtendedAudioOnlyWhileEmpty) {
  app->project.SetTrackType(0, CAudioTrack::kTypeLoopBased);
  PutLoopSnippet(*app, MakeSegment(Staircase(44100, 2), 2), 1);
  const std::string path = WriteWave("one.wav", 44100, 2, Staircase(44100, 2));
  ASSERT_EQ(Import(Target::Track, path), status::kDone);
  EXPECT_EQ(app->project.GetTrackType(0), CAudioTrack::kTypeExtended);

  app->project.SelectTrack(1);
  app->SetEditorIndependentAudio(MakeSegment(Staircase(44100, 1), 1));
  seams.ui.ExpectBox(kLoopTrack);
  EXPECT_EQ(app->ImportAudioToTrack(), status::kNothingDone);
  seams.ui.ExpectRequest<CreateTrackSnippetRequest>(CreateTrackSnippetRequest::Result{1, 0});
  seams.ui.ExpectBox(kLoopTrack);
  EXPECT_EQ(app->CreateSnippetFromEditor(), status::kNothingDone);
  EXPECT_EQ(app->project.GetTrackType(1), CAudioTrack::kTypeLoopBased);
}

TEST_F(ImportTest, AnImportToTheEditorRecordsWhatTheEditorShowedBefore) {
  std::shared_ptr<CAudioSegment> before = MakeSegment(Staircase(44100, 1), 1);
  app->SetEditorIndependentAudio(before);
  ASSERT_EQ(Import(Target::Editor, WriteWave("one.wav", 44100, 2, Staircase(44100, 2))), status::kDone);
  const COperation* record = app->undoList.GetCurrent();
  EXPECT_EQ(record->type, OperationEditorContent);
  EXPECT_EQ(record->editorBefore.segment, before);
  EXPECT_EQ(record->editorAfter.segment, app->GetEditorSegment());
  EXPECT_EQ(app->editorSource, EditorSourceIndependent);
  EXPECT_EQ(app->modified, 1);
}

// Whatever the editor showed before (a track's or a loop's colours), imported
// audio is independent audio and shows in its colours.
TEST_F(ImportTest, AnImportToTheEditorShowsTheIndependentAudiosColours) {
  app->config.colorSets[ProConfig::kIndependentColorSet] = {0x111111, 0x222222, 0x333333, 0x444444};
  app->useTrackColors = 1;
  seams.view.calls.clear();
  ASSERT_EQ(Import(Target::Editor, WriteWave("coloured.wav", 44100, 1, Staircase(44100, 1))), status::kDone);
  std::vector<std::string> colours;
  for (const std::string& call : seams.view.calls) {
    if (call.rfind("SetEditorColors", 0) == 0) colours.push_back(call);
  }
  EXPECT_EQ(colours, std::vector<std::string>{"SetEditorColors(111111,222222,333333,444444)"});
}

TEST_F(ImportTest, TheLoopBankTakesThirtySecondsAndThirtyTwoLoops) {
  const std::string exact = WriteWave("Thirty Seconds.wav", 44100, 1, Constant(1323000, 1, 100, 0));
  ASSERT_EQ(Import(Target::LoopBank, exact), status::kDone);
  std::shared_ptr<CAudioLoop> loop;
  ASSERT_EQ(app->loopBank.FindLoop(0, &loop), 1);
  EXPECT_EQ(loop->GetTitle(), "Thirty Seconds");
  EXPECT_EQ(loop->GetMeasures(), 15);
  EXPECT_EQ(loop->GetColors().waveformFill, app->config.colorSets[25].waveformFill);
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationAddLoop);

  const size_t files = TempAudio().size();
  EXPECT_EQ(Import(Target::LoopBank, WriteWave("more.wav", 44100, 1, Constant(1323001, 1, 100, 0)),
                   "Cannot load loop file.  Imported audio length is greater than the 30 seconds limit."),
            status::kNothingDone);
  EXPECT_EQ(TempAudio().size(), files);

  while (app->loopBank.GetCount() < 32) app->loopBank.AddLoop(std::make_shared<CAudioLoop>());
  seams.ui.ExpectBox("Maximum number of loops has been reached.");
  EXPECT_EQ(app->ImportAudioToLoopBank(), status::kNothingDone);
}

}  // namespace
}  // namespace tessiro::test
