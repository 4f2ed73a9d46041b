// The older program's ".mix" projects, from files a test writer makes after
// that program's layout: each opens as a new, modified, untitled project.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

#include "ByteFields.h"
#include "FileReplace.h"
#include "Folders.h"
#include "ProjectFixture.h"

namespace tessiro::test {
namespace {

struct OldTrack {
  const char* description;
  int8_t volumeLeft, volumeRight;  // a "QRVZ30" file keeps only the left one, for both
  int32_t armed, solo, mute;
  int32_t audioBytes;  // 0: no audio file
  int32_t trackerStart, trackerEnd, markerStart, markerEnd;
};

const OldTrack kOldTracks[8] = {
    {"Vocals", 10, 10, 1, 0, 0, 44100, 400, 4000, 4000, -1},
    {"Empty", 16, 16, 1, 0, 1, 0, 0, 0, -1, -1},
    {"Guitar", 4, 22, 1, 1, 0, 17640, 0, 0, 800, 1600},
    {"", 10, 10, 1, 0, 0, 0, 0, 0, -1, -1},
    {"Keys", 10, 10, 1, 0, 0, 4000, 0, 0, -1, -1},
    {"", 10, 10, 1, 0, 0, 0, 0, 0, -1, -1},
    {"", 10, 10, 0, 0, 0, 0, 0, 0, -1, -1},
    {"Last", 0, 0, 0, 0, 0, 4, 0, 0, -1, -1},
};

// The header as the older program wrote it, field by field at its offsets.
std::vector<uint8_t> OldProject(const char* magic, const std::string& folder) {
  std::vector<uint8_t> b(5892, 0);
  std::memcpy(b.data(), magic, 6);
  std::memcpy(b.data() + 7, folder.data(), folder.size());
  const char description[] = "An old song";
  std::memcpy(b.data() + 269, description, sizeof description);
  b[1293] = 10;
  b[1294] = 16;
  for (int t = 0; t < 8; ++t) {
    uint8_t* r = b.data() + 1296 + 572 * t;
    const OldTrack& track = kOldTracks[t];
    std::memcpy(r, track.description, std::strlen(track.description));
    r[512] = static_cast<uint8_t>(track.volumeLeft);
    r[513] = static_cast<uint8_t>(track.volumeLeft);
    r[514] = static_cast<uint8_t>(track.volumeRight);
    bytes::PutI32(r + 520, track.armed);
    bytes::PutI32(r + 524, track.solo);
    bytes::PutI32(r + 528, track.mute);
    bytes::PutI32(r + 532, track.trackerStart);
    bytes::PutI32(r + 536, track.trackerEnd);
    bytes::PutI32(r + 548, track.audioBytes);
    bytes::PutI32(r + 564, track.markerStart);
    bytes::PutI32(r + 568, track.markerEnd);
  }
  bytes::PutI32(b.data() + 5876, 1);
  b[5880] = 2;
  b[5881] = 1;
  bytes::PutI32(b.data() + 5884, 1);
  bytes::PutI16(b.data() + 5888, 132);
  b[5890] = 12;
  return b;
}

// Frame n of track t: left n + t, right -n.
int16_t Sample(int t, uint32_t n, int channel) {
  return static_cast<int16_t>(channel == 0 ? static_cast<int>(n % 30000) + t : -static_cast<int>(n % 30000));
}

class MixImportTest : public ProjectTest {
 protected:
  std::string WriteOldProject(const char* magic, uint32_t framesPerByte = 1) {
    const std::string folder = audio / "quillon";
    platform::CreateFolder(folder);
    for (int t = 0; t < 8; ++t) {
      if (kOldTracks[t].audioBytes == 0) continue;
      const uint32_t frames = static_cast<uint32_t>(kOldTracks[t].audioBytes) / 4 * framesPerByte;
      std::vector<uint8_t> raw(size_t{frames} * 4);
      for (uint32_t n = 0; n < frames; ++n) {
        bytes::PutI16(raw.data() + 4 * n, Sample(t, n, 0));
        bytes::PutI16(raw.data() + 4 * n + 2, Sample(t, n, 1));
      }
      std::ofstream(folder + "/track" + std::to_string(t) + ".pcm", std::ios::binary)
          .write(reinterpret_cast<const char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
    }
    // The folder the older program stored is one of its own system; the files now lie beside the project.
    const std::vector<uint8_t> header = OldProject(magic, "C:\\Quillon\\Songs\\Old");
    const std::string path = folder + "/old.mix";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    return path;
  }
};

TEST_F(MixImportTest, EachOlderVersionOpensAsANewProjectWithItsEightTracks) {
  StartApp();
  const float unity = 1.0f, minus6 = std::pow(10.0f, -6.0f / 20.0f), plus6 = std::pow(10.0f, 6.0f / 20.0f),
              minus12 = std::pow(10.0f, -12.0f / 20.0f), plus10 = std::pow(10.0f, 10.0f / 20.0f);
  struct Version {
    const char* magic;
    float masterRight;
    float guitarLeft, guitarRight;
  } versions[] = {{"QRVZ30", unity, plus6, plus6}, {"QRVZ32", unity, plus6, minus12}, {"QRVZ33", minus6, plus6, minus12}};
  for (const Version& v : versions) {
    SCOPED_TRACE(v.magic);
    app->modified = 0;
    const std::string path = WriteOldProject(v.magic);
    ASSERT_EQ(app->OpenProject(path), 1);
    EXPECT_TRUE(app->projectPath.empty());
    EXPECT_EQ(app->modified, 1);
    EXPECT_EQ(seams.view.title, "Untitled - Tessiro");
    EXPECT_TRUE(app->recentFiles.GetFiles().empty());
    EXPECT_FLOAT_EQ(app->project.tempo, 132.0f);
    EXPECT_EQ(app->projectTags.description, "An old song");
    EXPECT_NEAR(app->project.masterLeftGain, unity, 1e-5);
    EXPECT_NEAR(app->project.masterRightGain, v.masterRight, 1e-5);
    EXPECT_EQ(app->project.soloActive, 1);
    EXPECT_EQ(app->metronome.parameters.on, 1);
    EXPECT_EQ(app->metronome.parameters.pattern, 2);
    EXPECT_EQ(app->metronome.parameters.clickOnly, 1);
    EXPECT_EQ(app->metronome.parameters.accent, 1);
    EXPECT_EQ(app->metronome.parameters.level, 12);
    EXPECT_FLOAT_EQ(app->metronome.parameters.bpm, 132.0f);
    EXPECT_EQ(app->editorSource, EditorSourceNothing);
    EXPECT_EQ(app->project.projectEnd, 11025u);

    const float wantLeft[8] = {unity, minus6, v.guitarLeft, unity, unity, unity, unity, plus10};
    const float wantRight[8] = {unity, minus6, v.guitarRight, unity, unity, unity, unity, plus10};
    int armed = 0;
    for (int t = 0; t < 24; ++t) {
      SCOPED_TRACE("track " + std::to_string(t));
      CAudioTrack* track = nullptr;
      ASSERT_EQ(app->project.FindTrack(t, &track), 1);
      const bool old = t < 8;
      const size_t snippets = old && kOldTracks[t].audioBytes ? 1 : 0;
      ASSERT_EQ(track->Snippets().GetCount(), snippets);
      EXPECT_EQ(track->GetType(), CAudioTrack::kTypeExtended);
      if (!old) continue;
      EXPECT_EQ(track->description, kOldTracks[t].description);
      EXPECT_NEAR(track->leftGain, wantLeft[t], 1e-5);
      EXPECT_NEAR(track->rightGain, wantRight[t], 1e-5);
      EXPECT_EQ(track->solo, kOldTracks[t].solo);
      EXPECT_EQ(track->mute, kOldTracks[t].mute);
      armed += track->armed;
      if (track->armed) {
        EXPECT_EQ(track->recordingSlot, armed);
      }
      EXPECT_FLOAT_EQ(track->Snippets().trackPitch, 0.0f);
      if (!snippets) continue;
      const auto& snippet = *static_cast<const CAudioSnippetExtended*>(track->Snippets().Snippets()[0].get());
      const uint32_t frames = static_cast<uint32_t>(kOldTracks[t].audioBytes) / 4;
      EXPECT_EQ(snippet.start, 0u);
      EXPECT_EQ(snippet.length, frames);
      EXPECT_EQ(snippet.end, frames);
      EXPECT_FLOAT_EQ(snippet.ratio, 1.0f);
      EXPECT_FLOAT_EQ(snippet.tempo, 132.0f);
      CAudioSegment* segment = snippet.Segment();
      EXPECT_EQ(segment->length, frames);
      EXPECT_EQ(segment->GetChannels(), 2);
      EXPECT_FLOAT_EQ(segment->tempo, 132.0f);
      EXPECT_EQ(platform::FolderOfPath(segment->GetPcmFileName()), app->tempFolder);
      EXPECT_EQ(segment->trackerStart, static_cast<uint32_t>(kOldTracks[t].trackerStart) / 4);
      EXPECT_EQ(segment->trackerSize, segment->trackerEnd - segment->trackerStart);
      const uint32_t unset = CAudioSegment::kMarkerUnset;
      EXPECT_EQ(segment->markerStart, kOldTracks[t].markerStart < 0 ? unset : kOldTracks[t].markerStart / 4u);
      EXPECT_EQ(segment->markerEnd, kOldTracks[t].markerEnd < 0 ? unset : kOldTracks[t].markerEnd / 4u);
      // The audio is the track file's, frame for frame.
      std::vector<int16_t> read(size_t{frames} * 2 + 1024);
      uint32_t got = 0;
      segment->Seek(0, nullptr);
      ASSERT_EQ(segment->Read(read.data(), frames, &got), 1);
      ASSERT_EQ(got, frames);
      for (uint32_t n = 0; n < frames; n += 97) {
        ASSERT_EQ(read[2 * n], Sample(t, n, 0)) << n;
        ASSERT_EQ(read[2 * n + 1], Sample(t, n, 1)) << n;
      }
      segment->Close();
    }
    EXPECT_EQ(armed, 4);  // the fifth armed track is disarmed
    EXPECT_NE(std::find(seams.progress.Messages().begin(), seams.progress.Messages().end(), "Importing Audio Data..."),
              seams.progress.Messages().end());
  }
}

TEST_F(MixImportTest, AMissingTrackFileRefusesTheImportBeforeAnythingChanges) {
  StartApp();
  AddTempSnippet(3, 0, 1000, 2, 1);
  const std::string path = WriteOldProject("QRVZ32");
  std::remove((audio / "quillon/track2.pcm").c_str());
  seams.ui.ExpectBox("The project " + path + " cannot be opened: the audio files of its tracks are missing (track2.pcm).");
  EXPECT_EQ(app->OpenProject(path), 3);
  EXPECT_EQ(app->modified, 1);
  EXPECT_EQ(app->project.GetLastEnd(), 1000u);
  // Found in any letter case, as the older program's system did.
  std::rename((audio / "quillon/track0.pcm").c_str(), (audio / "quillon/TRACK2.PCM").c_str());
  seams.ui.ExpectBox("The project " + path + " cannot be opened: the audio files of its tracks are missing (track0.pcm).");
  EXPECT_EQ(app->OpenProject(path), 3);
}

// A track whose header claims more audio than its file holds plays what the
// file holds; one that claims more than 90 minutes is no project to open.
TEST_F(MixImportTest, ATrackTakesTheLengthItsFileReallyHas) {
  StartApp();
  const std::string path = WriteOldProject("QRVZ33");
  const std::string vocals = audio / "quillon/track0.pcm";
  std::vector<uint8_t> raw = ReadFile(vocals);
  raw.resize(4 * 5000);  // 5,000 of the 11,025 frames claimed
  std::ofstream(vocals, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
  ASSERT_EQ(app->OpenProject(path), 1);
  CAudioTrack* track = nullptr;
  ASSERT_EQ(app->project.FindTrack(0, &track), 1);
  ASSERT_EQ(track->Snippets().GetCount(), 1u);
  EXPECT_EQ(track->Snippets().Snippets().front()->end, 5000u);
  EXPECT_EQ(track->Snippets().Snippets().front()->length, 5000u);

  AddTempSnippet(3, 0, 1000, 2, 1);
  std::vector<uint8_t> header = ReadFile(path);
  bytes::PutI32(header.data() + 1296 + 572 * 2 + 548, 4 * 238140001);  // track 3's claim
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  const uint32_t end = app->project.GetLastEnd();
  seams.ui.ExpectBox("The project " + path + " cannot be opened: track 3 claims more than 90 minutes of audio.");
  EXPECT_EQ(app->OpenProject(path), 3);
  EXPECT_EQ(app->project.GetLastEnd(), end);
}

TEST_F(MixImportTest, ACancelledImportLeavesAnEmptyProjectWithNothingToSave) {
  StartApp();
  const std::string path = WriteOldProject("QRVZ33", 10);  // track 0 now fills two blocks
  seams.progress.CancelAtPump(1, &app->progressWindow);
  EXPECT_EQ(app->OpenProject(path), 2);
  EXPECT_EQ(app->project.GetLastEnd(), 0u);
  EXPECT_EQ(app->modified, 0);
  EXPECT_EQ(seams.view.title, "Untitled - Tessiro");
  EXPECT_FALSE(seams.progress.Exists());
}

}  // namespace
}  // namespace tessiro::test
