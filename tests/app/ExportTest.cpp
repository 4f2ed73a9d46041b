#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>

#include "AudioFixtures.h"
#include "AudioLoop.h"
#include "AudioSnippetExtended.h"
#include "ByteFields.h"
#include "Folders.h"
#include "ImportFixture.h"
#include "ProgramStub.h"
#include "ReportRecorder.h"
#include "requests/EditRequests.h"
#include "requests/ImportExportRequests.h"

namespace tessiro::test {
namespace {

using Command = int (CProApp::*)();
using Quality = WaveQualityRequest::Result;

class ExportTest : public ImportTest {
 protected:
  // An extended snippet of samples from start on the track, timed at the project tempo.
  void Place(int track, const std::vector<int16_t>& samples, uint16_t channels, uint32_t start) {
    std::shared_ptr<CAudioSegment> segment = MakeSegment(samples, channels);
    segment->tempo = app->project.tempo;
    auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
    snippet->start = start;
    snippet->tempo = app->project.tempo;
    snippet->SetTempo(app->project.tempo);
    ASSERT_EQ(app->project.AddSnippetToTrack(snippet, track), 1);
  }
  int Write(Command command, const std::string& path, std::optional<Quality> quality = Quality{}) {
    seams.ui.ExpectFile(path);
    if (quality) seams.ui.ExpectRequest<WaveQualityRequest>(*quality);
    return (app.get()->*command)();
  }
  // The file brought back through an import into the Audio Editor.
  std::vector<int16_t> ReadBack(const std::string& path, uint16_t* channels = nullptr) {
    return ImportSamples(Target::Editor, path, channels);
  }
  void SetChain(int track, const EchoParams& echo) {
    auto chain = std::make_unique<CZelmo>();
    chain->SetChannels(2);
    chain->UpdateBufferSizes(static_cast<uint32_t>(app->bufferFrames), static_cast<uint32_t>(app->bufferFrames) + 16384);
    short number = 0;
    chain->AddEffect(ZelmoEcho, &number, nullptr);
    chain->SetEffectParameters(number, const_cast<EchoParams*>(&echo));
    std::lock_guard<platform::CCriticalSection> hold(app->project.GetLock());
    app->effectChains[1 + track] = std::move(chain);
  }
};

int16_t Scaled(int16_t sample, float gain) { return static_cast<int16_t>(static_cast<float>(sample) * gain); }

TEST_F(ExportTest, TheProjectMixRoundTripsThroughWaveWithGainsMuteAndMaster) {
  const std::vector<int16_t> music = Staircase(60000, 2);
  Place(0, music, 2, 0);
  Place(1, Constant(60000, 1, 1000, 0), 1, 10000);
  app->project.SetTrackGains(0, 0.5f, 0.25f);
  app->project.ToggleMute(1);
  app->project.masterRightGain = 0.5f;
  std::vector<int16_t> expected(70000 * 2, 0);
  for (size_t f = 0; f < 60000; ++f) {
    expected[2 * f] = Scaled(music[2 * f], 0.5f);
    expected[2 * f + 1] = Scaled(Scaled(music[2 * f + 1], 0.25f), 0.5f);
  }
  ASSERT_EQ(Write(&CProApp::ExportProjectAsAudioFile, audio / "mix.wav"), status::kDone);
  EXPECT_EQ(ReadBack(audio / "mix.wav"), expected);
  ASSERT_EQ(Write(&CProApp::MixdownToWaveFile, audio / "mixdown"), status::kDone);
  EXPECT_EQ(ReadBytes(audio / "mixdown.wav"), ReadBytes(audio / "mix.wav"));
  // Nothing of the render stays: mute, gains and the master are as they were.
  EXPECT_EQ(app->project.soloActive, 0);
  EXPECT_FLOAT_EQ(app->project.masterRightGain, 0.5f);
  EXPECT_EQ(app->project.playing, 0);
}

TEST_F(ExportTest, ASoloTracksChainSoundsAndRingsOutPastTheProjectEnd) {
  std::vector<int16_t> impulse(60000 * 2, 0);
  impulse[2 * 1000] = impulse[2 * 1000 + 1] = 10000;
  impulse[2 * 59000] = impulse[2 * 59000 + 1] = 8000;
  Place(2, impulse, 2, 0);
  Place(0, Constant(60000, 2, 3000, 3000), 2, 0);
  app->project.ToggleSolo(2);
  app->project.UpdateSoloState();
  app->project.SetTailSeconds(1);  // "Extend Playback": what plays on past the end
  SetChain(2, EchoParams{1.0f, 1.0f, 0.5f, 0.5f, 1.0f, 1.0f, 100.0f, 100.0f});  // one tap, 4410 frames later
  ASSERT_EQ(Write(&CProApp::ExportProjectAsAudioFile, audio / "echo.wav"), status::kDone);
  const std::vector<int16_t> mix = ReadBack(audio / "echo.wav");
  ASSERT_EQ(mix.size(), (59000u + 4410u + 1u) * 2);
  std::vector<int16_t> expected(mix.size(), 0);
  for (auto [frame, value] : {std::pair{1000, 10000}, {5410, 5000}, {59000, 8000}, {63410, 4000}}) {
    expected[2 * frame] = expected[2 * frame + 1] = static_cast<int16_t>(value);
  }
  EXPECT_EQ(mix, expected);
}

TEST_F(ExportTest, Mp3ExportsOfTheMixALoopAndTheEditorCorrelateWithTheirAudio) {
  if (!ProgramAvailable("lame")) GTEST_SKIP() << "lame is not installed";
  const std::vector<int16_t> sine = Sine(88200, 2, 12000, 440, 44100);
  Place(0, sine, 2, 0);
  auto loop = std::make_shared<CAudioLoop>();
  loop->SetSegment(MakeSegment(sine, 2));
  app->loopBank.AddLoop(loop);
  app->SetEditorIndependentAudio(MakeSegment(Sine(88200, 1, 12000, 440, 44100), 1));
  const struct {
    Command command;
    const char* name;
    uint16_t channels;
  } exports[] = {{&CProApp::MixdownToMp3File, "mix.mp3", 2},
                 {&CProApp::ExportSelectedLoopAsAudioFile, "loop.mp3", 2},
                 {&CProApp::ExportCurrentAudioAsAudioFile, "editor.mp3", 1}};
  for (const auto& e : exports) {
    SCOPED_TRACE(e.name);
    ASSERT_EQ(Write(e.command, audio / e.name, std::nullopt), status::kDone);
    uint16_t channels = 0;
    // Onto a track: the loop and the editor's audio still to export stay as they are.
    const std::vector<int16_t> back = ImportSamples(Target::Track, audio / e.name, &channels);
    ASSERT_EQ(channels, e.channels);
    for (int c = 0; c < channels; ++c) {
      EXPECT_GT(BestCorrelation(Channel(sine, 2, c, 4410, 66150), Channel(back, channels, c, 4410), 2400), 0.99);
    }
  }
}

TEST_F(ExportTest, ALoopAndTheEditorsAudioRoundTripThroughWaveUnchanged) {
  const std::vector<int16_t> stereo = Staircase(70000, 2);
  auto loop = std::make_shared<CAudioLoop>();
  loop->SetSegment(MakeSegment(stereo, 2));
  app->loopBank.AddLoop(loop);
  ASSERT_EQ(Write(&CProApp::ExportSelectedLoopAsAudioFile, audio / "loop.wav"), status::kDone);
  EXPECT_EQ(ImportSamples(Target::LoopBank, audio / "loop.wav"), stereo);

  const std::vector<int16_t> mono = Staircase(50000, 1);
  app->SetEditorIndependentAudio(MakeSegment(mono, 1));
  ASSERT_EQ(Write(&CProApp::ExportCurrentAudioAsAudioFile, audio / "editor.wav", Quality{1, 44100, 16}),
            status::kDone);
  EXPECT_EQ(ReadBack(audio / "editor.wav"), mono);
}

TEST_F(ExportTest, AWaveExportTakesTheChosenChannelsRateAndBits) {
  app->SetEditorIndependentAudio(MakeSegment(Sine(88200, 2, 12000, 440, 44100), 2));
  ASSERT_EQ(Write(&CProApp::ExportCurrentAudioAsAudioFile, audio / "small.wav", Quality{1, 22050, 8}), status::kDone);
  const std::vector<uint8_t> file = ReadBytes(audio / "small.wav");
  ASSERT_GE(file.size(), 44u);
  EXPECT_EQ(bytes::GetU16(&file[22]), 1);
  EXPECT_EQ(bytes::GetU32(&file[24]), 22050u);
  EXPECT_EQ(bytes::GetU16(&file[34]), 8);
  EXPECT_NEAR(static_cast<double>(bytes::GetU32(&file[40])), 44100.0, 2.0);
  const std::vector<int16_t> back = ReadBack(audio / "small.wav");
  EXPECT_NEAR(FrequencyOf(back, 1, 0, 8820, 66150, 440), 440, 4.4);

  seams.ui.ExpectFile(audio / "bad.wav");
  seams.ui.ExpectRequest<WaveQualityRequest>(Quality{2, 7999, 16});
  seams.ui.ExpectBox("Sample rate must be between 8000 and 44100.");
  EXPECT_EQ(app->ExportCurrentAudioAsAudioFile(), status::kNothingDone);
  EXPECT_FALSE(std::filesystem::exists(audio / "bad.wav"));
}

TEST_F(ExportTest, ACancelledOrFailedExportLeavesTheExistingFileAsItWas) {
  const std::vector<uint8_t> kept(1000, 0x42);
  WriteBytes(audio / "keep.wav", kept);
  WriteBytes(audio / "keep.mp3", kept);
  std::shared_ptr<CAudioSegment> segment = MakeSegment(Staircase(600000, 2), 2);
  app->SetEditorIndependentAudio(segment);
  const std::vector<std::string> before = TempAudio();
  for (const char* name : {"keep.wav", "keep.mp3"}) {
    const bool mp3 = std::string(name).ends_with("mp3");
    if (mp3 && !ProgramAvailable("lame")) continue;
    seams.progress.CancelAtPump(2, &app->progressWindow);
    EXPECT_EQ(Write(&CProApp::ExportCurrentAudioAsAudioFile, audio / name, mp3 ? std::nullopt : std::optional(Quality{})),
              status::kCancelled);
    EXPECT_EQ(ReadBytes(audio / name), kept) << name;
  }
  // A segment whose file holds less than its length says cannot pass for whole.
  std::filesystem::resize_file(segment->GetPcmFileName(), 300000 * 4);
  EXPECT_EQ(Write(&CProApp::ExportCurrentAudioAsAudioFile, audio / "keep.wav"), status::kFaultReported);
  EXPECT_EQ(Reports().Take().size(), 1u);
  EXPECT_EQ(ReadBytes(audio / "keep.wav"), kept);
  EXPECT_EQ(TempAudio(), before);
}

// A read-only file is the user's to keep: the export says so before it renders
// and asks for another name; the one chosen then gets the audio.
TEST_F(ExportTest, AReadOnlyFileIsNotExportedOverAndAnotherNameIsAsked) {
  const std::vector<uint8_t> kept(1000, 0x42);
  const std::string locked = audio / "locked.wav";
  WriteBytes(locked, kept);
  ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
  const std::string link = audio / "to-locked.wav";
  ASSERT_EQ(::symlink(locked.c_str(), link.c_str()), 0);
  const std::vector<int16_t> mono = Staircase(50000, 1);
  app->SetEditorIndependentAudio(MakeSegment(mono, 1));
  for (const std::string& refused : {locked, link}) {
    SCOPED_TRACE(refused);
    const std::string other = audio / "other.wav";
    std::remove(other.c_str());
    seams.ui.ExpectFile(refused);
    seams.ui.ExpectBox("Cannot write the audio file.  The file is read-only:\n" + refused +
                       "\n\nPlease choose another name.");
    EXPECT_EQ(Write(&CProApp::ExportCurrentAudioAsAudioFile, other, Quality{1, 44100, 16}), status::kDone);
    EXPECT_EQ(seams.ui.FileChoosers().back().initialPath, refused);
    EXPECT_EQ(ReadBack(other), mono);
    EXPECT_EQ(ReadBytes(locked), kept);
  }
  // Cancelled at the second name: nothing is written anywhere.
  seams.ui.ExpectFile(locked);
  seams.ui.ExpectBoxWhere([](const std::string& text) { return text.find("read-only") != std::string::npos; });
  seams.ui.ExpectFile(std::nullopt);
  EXPECT_EQ(app->ExportCurrentAudioAsAudioFile(), status::kNothingDone);
  EXPECT_EQ(ReadBytes(locked), kept);
  ::chmod(locked.c_str(), 0644);
}

// A LAME that writes the first bytes of an MP3 frame as its output, its last argument.
std::string WritesMp3(const std::string& before) {
  return before + "\nfor last; do :; done\nprintf '\\377\\373\\220\\144MP3' > \"$last\"";
}

TEST_F(ExportTest, AnMp3MixdownStreamsTheMixToLameWhileItIsMadeAndShowsItsProgress) {
  Place(0, Staircase(300000, 2), 2, 0);
  Place(1, Constant(200000, 1, 1000, 0), 1, 50000);
  {
    CProgramStub reader("lame", WritesMp3("cat > \"$(dirname \"$0\")/received.raw\""));
    const size_t percentsBefore = seams.progress.Percents().size();
    ASSERT_EQ(Write(&CProApp::MixdownToMp3File, audio / "mix.mp3", std::nullopt), status::kDone);
    const std::vector<std::string> percents(seams.progress.Percents().begin() + percentsBefore,
                                            seams.progress.Percents().end());
    // Block by block as the mix is made: 65,536 frames each.
    ASSERT_GE(percents.size(), 4u);
    for (size_t i = 1; i < percents.size(); ++i) EXPECT_GT(std::stoi(percents[i]), std::stoi(percents[i - 1]));
    EXPECT_GE(std::stoi(percents.back()), 90);
    ASSERT_EQ(Write(&CProApp::MixdownToWaveFile, audio / "mix.wav"), status::kDone);
    const std::vector<uint8_t> wave = ReadBytes(audio / "mix.wav");
    ASSERT_GT(wave.size(), 44u);
    EXPECT_EQ(ReadBytes(reader / "bin/received.raw"), std::vector<uint8_t>(wave.begin() + 44, wave.end()))
        << "LAME read the mix a WAV mixdown writes";
  }
  EXPECT_EQ(TempAudio().size(), 4u) << "the two tracks' audio and peaks, nothing more";
}

TEST_F(ExportTest, AnMp3MixdownKeepsTheOldFileWhenLameFailsPartWayIsMissingOrIsCancelled) {
  Place(0, Staircase(600000, 2), 2, 0);  // 2.4 MB: more than LAME's input pipe holds
  const std::vector<uint8_t> kept(1000, 0x42);
  WriteBytes(audio / "keep.mp3", kept);
  const std::vector<std::string> folderBefore = platform::ListFolder(audio.Path());
  const std::vector<std::string> tempBefore = TempAudio();
  struct Case {
    const char* name;
    std::string lame;  // "": not installed
    int cancelAtPump;
    int status;
    size_t reports;
  } cases[] = {
      {"fails part way", "head -c 200000 > /dev/null\nexit 2", 0, status::kFaultReported, 1},
      {"stops reading part way", WritesMp3("head -c 200000 > /dev/null"), 0, status::kFaultReported, 1},
      {"missing", "", 0, status::kFaultReported, 1},
      {"cancelled", WritesMp3("cat > /dev/null"), 3, status::kCancelled, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CProgramStub lame("lame", c.lame);
    if (c.cancelAtPump > 0) seams.progress.CancelAtPump(c.cancelAtPump, &app->progressWindow);
    EXPECT_EQ(Write(&CProApp::MixdownToMp3File, audio / "keep.mp3", std::nullopt), c.status);
    EXPECT_EQ(Reports().Take().size(), c.reports);
    EXPECT_EQ(ReadBytes(audio / "keep.mp3"), kept);
    EXPECT_EQ(platform::ListFolder(audio.Path()), folderBefore) << "no half-written file left";
    EXPECT_EQ(TempAudio(), tempBefore);
    EXPECT_TRUE(NoChildProcesses());
    EXPECT_FALSE(seams.progress.Exists()) << "the progress window is closed";
  }
}

TEST_F(ExportTest, MixdownToTrackRendersTheTickedTracksOntoTheTarget) {
  const std::vector<int16_t> music = Staircase(50000, 2);
  Place(0, music, 2, 1000);
  Place(1, Constant(20000, 1, 100, 0), 1, 3000);
  Place(2, Constant(90000, 2, 7000, 7000), 2, 0);  // not ticked
  app->project.SetTrackGains(0, 0.5f, 0.5f);
  app->project.masterLeftGain = 0.25f;  // the new snippet plays through the master again
  MixdownDialogRequest::Result ticked;
  ticked.sourceTracks[0] = ticked.sourceTracks[1] = 1;
  ticked.targetTrack = 5;
  seams.ui.ExpectRequest<MixdownDialogRequest>(ticked);
  ASSERT_EQ(app->MixdownToTrack(), status::kDone);
  CAudioTrack* track = nullptr;
  ASSERT_EQ(app->project.FindTrack(5, &track), 1);
  ASSERT_EQ(track->Snippets().GetCount(), 1u);
  const std::shared_ptr<CAudioSnippet> snippet = track->Snippets().Snippets().front();
  EXPECT_EQ(snippet->start, 1000u);
  std::shared_ptr<CAudioSegment> segment;
  snippet->GetSegment(&segment);
  std::vector<int16_t> expected(50000 * 2, 0);
  for (size_t f = 0; f < 50000; ++f) {
    const int16_t tick = f >= 2000 && f < 22000 ? 100 : 0;
    expected[2 * f] = static_cast<int16_t>(Scaled(music[2 * f], 0.5f) + tick);
    expected[2 * f + 1] = static_cast<int16_t>(Scaled(music[2 * f + 1], 0.5f) + tick);
  }
  EXPECT_EQ(ReadSamples(*segment), expected);
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationInsertSnippets);
  EXPECT_FLOAT_EQ(app->project.masterLeftGain, 0.25f);
  CAudioTrack* untouched = nullptr;
  ASSERT_EQ(app->project.FindTrack(2, &untouched), 1);
  EXPECT_EQ(untouched->mute, 0);
}

TEST_F(ExportTest, EveryImportAndExportIsRefusedDuringPlayback) {
  app->playing = 1;
  for (Command command : {&CProApp::ImportAudioToTrack, &CProApp::ImportAudioToEditor, &CProApp::ImportAudioToLoopBank,
                          &CProApp::CreateLoopFromEditor, &CProApp::CreateSnippetFromEditor,
                          &CProApp::ExportProjectAsAudioFile, &CProApp::ExportSelectedLoopAsAudioFile,
                          &CProApp::ExportCurrentAudioAsAudioFile, &CProApp::MixdownToWaveFile,
                          &CProApp::MixdownToMp3File, &CProApp::MixdownToTrack}) {
    seams.ui.ExpectBox("Sorry, cannot perform this operation during playback.");
    EXPECT_EQ((app.get()->*command)(), status::kNothingDone);
  }
  app->playing = 0;
}

}  // namespace
}  // namespace tessiro::test
