// The audio the program keeps in its temporary folder: at a clean exit only
// what this run made and no project names goes; an older project's audio there is
// never touched; Save's move reaches every holder of the moved file; what a run
// that died made comes back as WAV files at the next start; leftovers of
// killed saves and exports go; deleted folders are made again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "AudioFixtures.h"
#include "AudioJournal.h"
#include "FileReplace.h"
#include "Folders.h"
#include "ProjectFixture.h"
#include "ProjectSamples.h"
#include "ReportRecorder.h"
#include "requests/ImportExportRequests.h"

namespace tessiro::test {
namespace {

constexpr const char* kOlderName = "QRVD_20190304050607_42";

bool Exists(const std::string& path) { return platform::FileExists(path); }

std::vector<uint8_t> Ramp(size_t bytes, int seed) {
  std::vector<uint8_t> data(bytes);
  for (size_t i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>(i * 7 + seed);
  return data;
}

class TemporaryAudioTest : public ProjectTest {
 protected:
  std::string Temp() const { return audio / "qvk_temp"; }
  std::string OlderPcm() const { return Temp() + "/" + kOlderName + ".pcm"; }
  std::string OlderPek() const { return Temp() + "/" + kOlderName + ".pek"; }

  // A project an older version saved: its audio lies in the temporary folder,
  // made before this run, and tracks 0 and 1 play the same file.
  std::string WriteOlderProject() {
    platform::CreateFolder(Temp());
    ProjectImage image;
    ProjectSnippetRecord snippet;
    snippet.tempo = image.tempo;
    snippet.length = snippet.end = kSampleAudioFrames;
    snippet.segment.tempo = image.tempo;
    snippet.segment.pcmPath = OlderPcm();
    snippet.segment.pekPath = OlderPek();
    snippet.segment.state = {kSampleAudioFrames, 0, kSampleAudioFrames, kSampleAudioFrames, 0, 0, 0,
                             CAudioSegment::kMarkerUnset, CAudioSegment::kMarkerUnset, CAudioSegment::kMarkerUnset};
    image.tracks[0].snippets = {snippet};
    snippet.start = 1000;
    snippet.end = 1000 + kSampleAudioFrames;
    image.tracks[1].snippets = {snippet};
    WriteAudioOf(image);
    return WriteBytes("older.qvk", BytesOf(image));
  }

  std::vector<std::string> Journals() const { return platform::ListFolder(Temp(), ".journal"); }

  // The one snippet on a track.
  std::shared_ptr<CAudioSnippet> OnlySnippetOf(int track) {
    CAudioTrack* t = nullptr;
    app->project.FindTrack(track, &t);
    if (!t) return nullptr;
    const auto snippets = t->Snippets().Snippets();
    return snippets.size() == 1 ? snippets[0] : nullptr;
  }

  void DeleteOnly(int track) {
    app->project.DeselectAllSnippets();
    app->project.SelectTrack(track);
    std::shared_ptr<CAudioSnippet> snippet = OnlySnippetOf(track);
    ASSERT_TRUE(snippet);
    snippet->selected = 1;
    ASSERT_EQ(app->DeleteSelectedSnippets(), status::kDone);
  }

  // The card's clock and the user-interface thread moved on together.
  void Run(uint32_t ms) {
    for (uint32_t done = 0; done < ms; done += 10) {
      wave->Advance(10);
      seams.thread.Advance(10);
    }
  }
};

TEST_F(TemporaryAudioTest, AtExitOnlyAudioThisRunMadeThatNoProjectNamesIsDeleted) {
  const std::string older = WriteOlderProject();
  WriteBytes("qvk_temp/keep.txt", {1});
  WriteBytes("qvk_temp/QRVDx.wav", {2});
  StartApp();
  ASSERT_EQ(app->OpenProject(older), status::kDone);  // and closed unchanged

  struct Made {
    const char* what;
    std::string pcm, pek;
    bool stays;
  };
  std::vector<Made> made;
  auto note = [&made](const char* what, const CAudioSegment& segment, bool stays) {
    made.push_back({what, segment.GetPcmFileName(), segment.GetPeakFileName(), stays});
  };
  note("what nothing names", *MakeTempSegment(100, 2, 1), false);
  // The undo history and the clipboards end with the program: nothing can reach their audio after it.
  note("what only the undo history names", *AddTempSnippet(2, 0, 200, 2, 2)->Segment(), false);
  DeleteOnly(2);
  app->audioClipboard = MakeTempSegment(300, 1, 3);
  note("the audio clipboard's", *app->audioClipboard, false);
  note("what the open project names, not saved", *AddTempSnippet(3, 0, 400, 1, 4)->Segment(), true);
  auto empty = std::make_shared<CAudioSegment>(app->tempFolder);
  empty->SetFormat(AudioQuality{44100, 2, 16});
  ASSERT_EQ(empty->Open(1), 1);
  ASSERT_EQ(empty->Close(), 1);
  auto holdsNothing = std::make_shared<CAudioSnippetExtended>(empty);
  holdsNothing->tempo = app->project.tempo;
  holdsNothing->length = holdsNothing->end = 100;
  ASSERT_EQ(app->project.AddSnippetToTrack(holdsNothing, 4), 1);
  note("an empty file the open project names", *empty, false);
  empty.reset();
  holdsNothing.reset();
  for (const Made& m : made) ASSERT_TRUE(Exists(m.pcm)) << m.what;
  ASSERT_EQ(Journals().size(), 1u);

  Stop();
  for (const Made& m : made) {
    EXPECT_EQ(Exists(m.pcm), m.stays) << m.what;
    EXPECT_EQ(Exists(m.pek), m.stays) << m.what;
  }
  // The older project's only copy, and files that are none of the program's.
  for (const std::string& path : {OlderPcm(), OlderPek(), Temp() + "/keep.txt", Temp() + "/QRVDx.wav"}) {
    EXPECT_TRUE(Exists(path)) << path;
  }
  EXPECT_TRUE(Journals().empty());
}

TEST_F(TemporaryAudioTest, SavingMovesSharedAudioForEveryHolderSoUndoRestoresItsSound) {
  const std::string older = WriteOlderProject();
  StartApp();
  ASSERT_EQ(app->OpenProject(older), status::kDone);
  const uint32_t frames = kSampleAudioFrames + 1000;
  const std::vector<int16_t> both = RenderMix(frames);
  ASSERT_TRUE(std::any_of(both.begin() + 2000, both.end(), [](int16_t s) { return s != 0; }));
  // Loading gave each snippet a segment of its own on the one file; the deleted
  // one lives on in the undo history, and a copy of the other in the clipboard.
  DeleteOnly(1);
  app->project.SelectTrack(0);
  OnlySnippetOf(0)->selected = 1;
  ASSERT_EQ(app->CopySnippets(), status::kDone);

  ASSERT_EQ(app->SaveProject(audio / "saved.qvk"), status::kDone);
  ASSERT_FALSE(Exists(OlderPcm()));
  ASSERT_EQ(app->OnUndo(), status::kDone);
  EXPECT_EQ(RenderMix(frames), both);
  CAudioSegment::ForEachLive([this](CAudioSegment& segment) {
    EXPECT_EQ(platform::FolderOfPath(segment.GetPcmFileName()), audio / "qvk_data");
    EXPECT_TRUE(Exists(segment.GetPcmFileName()));
    EXPECT_TRUE(Exists(segment.GetPeakFileName()));
  });
  EXPECT_TRUE(Reports().Take().empty());
}

TEST_F(TemporaryAudioTest, WhatADeadRunMadeComesBackAsWaveFilesOnceAndNothingElseIsTouched) {
  WriteOlderProject();  // its audio: no journal lists it
  const std::vector<uint8_t> stereo = Ramp(44100 * 4, 1);
  // A take cut in the middle of a frame: the file keeps whole frames.
  const std::vector<uint8_t> mono = Ramp(22050 * 2 + 1, 2);
  std::string stamp, journal;
  std::vector<std::string> raw;
  {
    CAudioJournal dead;
    ASSERT_TRUE(dead.Begin(Temp()));
    journal = dead.Path();
    auto add = [&](const std::string& name, uint16_t channels, const std::vector<uint8_t>* data) {
      const std::string pcm = Temp() + "/" + name + ".pcm";
      dead.Note(pcm, Temp() + "/" + name + ".pek", channels);
      if (!data) return;  // a file its run moved away (a save), or never wrote
      platform::CreateFolder(Temp());
      tessiro::test::WriteBytes(pcm, *data);
      tessiro::test::WriteBytes(Temp() + "/" + name + ".pek", {1, 2, 3, 4});
      raw.push_back(pcm);
    };
    const std::vector<uint8_t> none;
    add("QRVD_20240102030405_1", 2, &stereo);
    add("QRVD_20240102030405_2", 1, &mono);
    add("QRVD_20240102030405_3", 2, &none);
    add("QRVD_20240102030405_4", 2, nullptr);
    // The run dies here: its journal stays, and nobody holds it.
  }
  const std::string name = platform::ListFolder(Temp(), ".journal").at(0);
  stamp = name.substr(std::string("qvk_run_").size(), 14);
  const std::string folder = audio / ("qvk_recovered/" + stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" +
                                      stamp.substr(6, 2) + "_" + stamp.substr(8, 2) + "-" + stamp.substr(10, 2) +
                                      "-" + stamp.substr(12, 2));
  seams.ui.ExpectBox("Tessiro did not end properly the last time it ran. The audio it had recorded or made and not "
                     "saved is kept as 2 WAV files of up to 1.0 seconds each in:\n\n" +
                     folder + "\n\nFile > Import Audio File to Track brings them into a project.");
  StartApp();

  EXPECT_EQ(platform::ListFolder(folder),
            (std::vector<std::string>{"QRVD_20240102030405_1.wav", "QRVD_20240102030405_2.wav"}));
  std::vector<uint8_t> wholeMono = mono;
  wholeMono.pop_back();
  EXPECT_EQ(ReadBytes(folder + "/QRVD_20240102030405_1.wav"), MakePcmWave({44100, 2, 16}, stereo));
  EXPECT_EQ(ReadBytes(folder + "/QRVD_20240102030405_2.wav"), MakePcmWave({44100, 1, 16}, wholeMono));
  for (const std::string& pcm : raw) EXPECT_FALSE(Exists(pcm)) << pcm;
  for (const std::string& path : platform::ListFolder(Temp(), ".pek")) EXPECT_EQ(path, std::string(kOlderName) + ".pek");
  EXPECT_TRUE(Exists(OlderPcm()));
  EXPECT_FALSE(Exists(journal));
  EXPECT_EQ(Journals().size(), 1u);  // this run's own

  // A user can import it.
  seams.ui.ExpectFile(folder + "/QRVD_20240102030405_1.wav");
  ASSERT_EQ(app->ImportAudioToEditor(), status::kDone);
  std::shared_ptr<CAudioSegment> imported = app->GetEditorSegment();
  ASSERT_TRUE(imported);
  EXPECT_EQ(imported->length, 44100u);
  EXPECT_EQ(ReadBytes(imported->GetPcmFileName()), stereo);

  // Said once: the next start finds nothing more.
  Stop();
  StartApp();
  const auto recoveries = std::distance(std::filesystem::directory_iterator(audio / "qvk_recovered"),
                                        std::filesystem::directory_iterator());
  EXPECT_EQ(recoveries, 1);
  EXPECT_EQ(platform::ListFolder(folder).size(), 2u);
}

TEST_F(TemporaryAudioTest, AnotherRunningProgramsAudioIsNeitherRecoveredNorDeleted) {
  platform::CreateFolder(Temp());
  CAudioJournal live;
  ASSERT_TRUE(live.Begin(Temp()));
  const std::string pcm = Temp() + "/QRVD_20240102030405_7.pcm";
  live.Note(pcm, Temp() + "/QRVD_20240102030405_7.pek", 2);
  tessiro::test::WriteBytes(pcm, Ramp(4096, 3));

  StartApp();
  Stop();
  EXPECT_TRUE(Exists(pcm));
  EXPECT_TRUE(Exists(live.Path()));
  EXPECT_FALSE(platform::FolderExists(audio / "qvk_recovered"));
  live.End({});
  EXPECT_FALSE(Exists(pcm));
}

TEST_F(TemporaryAudioTest, LeftoversOfKilledSavesAndExportsGoWhenThatFileIsWrittenAgain) {
  StartApp();
  AddTempSnippet(0, 0, 44100, 2, 1);
  struct Leftover {
    const char* name;
    bool goes;
  };
  const std::vector<Leftover> leftovers = {
      {".song.qvk.Ab12Cd.tmp", true},    // a save of song.qvk killed a moment ago
      {"HelloZz0Yy1.tmp", true},         // a WAV export's
      {"HelloQq9Pp8.mp3", true},         // an MP3 export's
      {".other.qvk.Ab12Cd.tmp", false},  // another project's
      {".song.qvk.tmp", false},          // not a name of ours
  };
  for (const Leftover& l : leftovers) WriteBytes(l.name, {1, 2, 3});
  // A save of the same file under way elsewhere holds its temporary file.
  platform::CTemporaryFileGuard underWay(platform::MakeUniqueFile(audio.Path(), ".song.qvk.", ".tmp"));
  ASSERT_FALSE(underWay.Path().empty());

  ASSERT_EQ(app->SaveProject(audio / "song.qvk"), status::kDone);
  seams.ui.ExpectFile(audio / "song.wav");
  seams.ui.ExpectRequest<WaveQualityRequest>(WaveQualityRequest::Result{});
  ASSERT_EQ(app->ExportProjectAsAudioFile(), status::kDone);
  for (const Leftover& l : leftovers) EXPECT_EQ(Exists(audio / l.name), !l.goes) << l.name;
  EXPECT_TRUE(Exists(underWay.Path()));
}

TEST_F(TemporaryAudioTest, DeletedAudioFoldersAreMadeAgainByRecordingImportingAndSaving) {
  StartApp();
  auto remove = [this](const char* folder) {
    std::filesystem::remove_all(audio / folder);
    ASSERT_FALSE(platform::FolderExists(audio / folder));
  };
  remove("qvk_temp");
  remove("qvk_data");
  const std::string wave = audio / "in.wav";
  tessiro::test::WriteBytes(wave, MakePcmWave({44100, 2, 16}, Ramp(44100 * 4, 5)));
  app->project.SelectTrack(1);
  seams.ui.ExpectFile(wave);
  EXPECT_EQ(app->ImportAudioToTrack(), status::kDone);
  EXPECT_TRUE(OnlySnippetOf(1));

  remove("qvk_temp");
  app->project.ToggleArm(0);
  app->OnRecordProject();
  ASSERT_EQ(app->recording.load(), 1);
  Run(1000);
  app->OnRecordingWindowStop();
  std::shared_ptr<CAudioSnippet> take = OnlySnippetOf(0);
  ASSERT_TRUE(take);
  EXPECT_GT(take->length, 40000u);
  // The journal came back with the folder, and lists the take.
  ASSERT_EQ(Journals().size(), 1u);
  std::shared_ptr<CAudioSegment> segment;
  take->GetSegment(&segment);
  const std::vector<uint8_t> journal = ReadBytes(Temp() + "/" + Journals()[0]);
  EXPECT_NE(std::string(journal.begin(), journal.end()).find(segment->GetPcmFileName()), std::string::npos);

  remove("qvk_data");
  ASSERT_EQ(app->SaveProject(audio / "again.qvk"), status::kDone);
  const std::string data = audio / "qvk_data";
  EXPECT_EQ(segment->GetPcmFileName().rfind(data, 0), 0u);
  EXPECT_TRUE(Exists(segment->GetPcmFileName()));
  EXPECT_TRUE(Exists(segment->GetPeakFileName()));
}

}  // namespace
}  // namespace tessiro::test
