// The settings commands: each applies exactly what its dialog's answer
// changed to the application, the configuration and the project, and a
// cancelled dialog changes nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "AppFixture.h"
#include "AudioFolder.h"
#include "Folders.h"
#include "Generic.h"
#include "ReportRecorder.h"
#include "requests/SettingsRequests.h"

namespace tessiro::test {
namespace {

constexpr const char* kDuringPlayback = "Sorry, cannot perform this operation during playback.";

// What the settings may touch, to compare before and after.
struct Settings {
  std::vector<uint8_t> config;
  float tempo, pitch, gainLeft, gainRight;
  int32_t beatsPerBar, timeDisplay, modified, outputDevice, bufferFrames, quality, follow, editorUsesProject;
  uint32_t tailSeconds;
  Vorn_Parameters metronome;
  ProjectTags tags;
  std::string audioFolder;
  std::array<TrackColorSet, 24> trackColors;

  bool operator==(const Settings& o) const {
    return config == o.config && tempo == o.tempo && pitch == o.pitch && gainLeft == o.gainLeft &&
           gainRight == o.gainRight && beatsPerBar == o.beatsPerBar && timeDisplay == o.timeDisplay &&
           modified == o.modified && outputDevice == o.outputDevice && bufferFrames == o.bufferFrames &&
           quality == o.quality && follow == o.follow && editorUsesProject == o.editorUsesProject &&
           tailSeconds == o.tailSeconds && std::memcmp(&metronome, &o.metronome, sizeof metronome) == 0 &&
           tags == o.tags && audioFolder == o.audioFolder &&
           std::memcmp(trackColors.data(), o.trackColors.data(), sizeof trackColors) == 0;
  }
};

class SettingsTest : public AppTest {
 protected:
  void StartApp() {
    WriteConfig(audio.Path());
    ASSERT_TRUE(Start());
    seams.ui.CheckDone();
  }
  Settings Take() const {
    Settings s;
    s.config.resize(ProConfig::kBytes);
    app->config.Serialize(s.config.data());
    s.tempo = app->project.tempo;
    s.pitch = app->project.globalPitch;
    s.gainLeft = app->project.masterLeftGain;
    s.gainRight = app->project.masterRightGain;
    s.beatsPerBar = app->project.beatsPerBarChoice;
    s.timeDisplay = app->project.timeDisplay;
    s.modified = app->modified;
    s.outputDevice = app->outputDevice;
    s.bufferFrames = app->bufferFrames;
    s.quality = app->qualityLevel;
    s.follow = app->followWaveform;
    s.editorUsesProject = app->editorUsesProjectSettings;
    s.tailSeconds = app->project.tailSeconds;
    app->metronome.GetParameters(&s.metronome);
    s.tags = app->projectTags;
    s.audioFolder = app->audioFolder;
    for (int t = 0; t < 24; ++t) app->project.GetTrackColors(t, &s.trackColors[t]);
    return s;
  }
};

// The answer of a dialog whose user pressed OK without changing anything.
ProjectSettingsRequest::Result Unchanged(const ProjectSettingsRequest& r) {
  return {r.title, r.artist, r.album, r.year, r.description, r.genre, r.masterGainLeft, r.masterGainRight,
          r.pitch, r.tempo,  r.timeSignature, r.lock, r.units, r.pitchUnits};
}

TEST_F(SettingsTest, ProjectSettingsApplyWhatChangedAndMarkTheProjectModified) {
  StartApp();
  const Settings before = Take();
  seams.ui.ExpectRequest<ProjectSettingsRequest>(std::nullopt);
  EXPECT_EQ(app->OnProjectSettings(), status::kCancelled);
  seams.ui.ExpectRequest<ProjectSettingsRequest>(Unchanged);
  EXPECT_EQ(app->OnProjectSettings(), status::kDone);
  EXPECT_TRUE(Take() == before);  // OK without a change is no change

  seams.view.calls.clear();
  seams.ui.ExpectRequest<ProjectSettingsRequest>([](const ProjectSettingsRequest& r) {
    ProjectSettingsRequest::Result a = Unchanged(r);
    a.tempo = 100.0f;
    a.timeSignature = 1;
    a.masterGainLeft = 0.5f;
    a.title = "Night Drive";
    a.genre = 147;
    a.units = 2;
    a.lock = 0;
    return a;
  });
  EXPECT_EQ(app->OnProjectSettings(), status::kDone);
  Settings expected = before;
  expected.tempo = 100.0f;
  expected.beatsPerBar = 1;
  expected.gainLeft = 0.5f;
  expected.tags.title = "Night Drive";
  expected.tags.genre = 147;
  expected.metronome.pattern = 2;  // an accent every third beat
  expected.metronome.bpm = 100.0f;
  expected.modified = 1;
  EXPECT_TRUE(Take() == expected);
  EXPECT_EQ(seams.view.calls.back(), "RefreshTrackView");
  EXPECT_EQ(seams.view.Count("SetTempoText(100)"), 1);

  // The dialog's choices come back next time; each time signature marks the project modified.
  app->modified = 0;
  seams.ui.ExpectRequest<ProjectSettingsRequest>([](const ProjectSettingsRequest& r) {
    EXPECT_EQ(r.units, 2);
    EXPECT_EQ(r.lock, 0);
    EXPECT_EQ(r.title, "Night Drive");
    EXPECT_FLOAT_EQ(r.masterGainLeft, 0.5f);
    ProjectSettingsRequest::Result a = Unchanged(r);
    a.timeSignature = 0;
    return a;
  });
  EXPECT_EQ(app->OnProjectSettings(), status::kDone);
  EXPECT_EQ(app->project.beatsPerBarChoice, 0);
  EXPECT_EQ(app->metronome.parameters.pattern, 1);
  EXPECT_EQ(app->modified, 1);
}

TEST_F(SettingsTest, ApplicationSettingsReachTheLiveMembersAndTheConfiguration) {
  StartApp();
  const std::string folder = audio / "Other Music";
  ASSERT_TRUE(platform::CreateFolder(folder));
  const Settings before = Take();
  seams.ui.ExpectRequest<AppSettingsRequest>(std::nullopt);
  EXPECT_EQ(app->OnApplicationSettings(), status::kCancelled);
  EXPECT_TRUE(Take() == before);

  seams.ui.ExpectRequest<AppSettingsRequest>([&](const AppSettingsRequest& r) {
    EXPECT_EQ(r.audioPath, before.audioFolder);
    EXPECT_EQ(r.outputDevices.size(), 1u);
    EXPECT_EQ(r.outputDevices.at(0), app->devices.GetOutputDevices()[0].name);
    EXPECT_EQ(r.bufferFrames, before.bufferFrames);
    AppSettingsRequest::Result a;
    a.audioPath = folder;
    a.outputDevice = 0;
    a.timeDisplay = 1;
    a.snapToGrid = 1;
    a.followWaveform = 0;
    a.editorUsesProjectSettings = 1;
    a.qualityLevel = 4;
    a.bufferLevel = 2;
    a.extendPlaybackSeconds = 3;
    return a;
  });
  EXPECT_EQ(app->OnApplicationSettings(), status::kDone);
  EXPECT_EQ(app->qualityLevel, 4);
  EXPECT_EQ(app->config.qualityLevel, 4);
  EXPECT_EQ(app->project.timeDisplay, TimeDisplayStandard);
  EXPECT_EQ(app->config.timeDisplay, TimeDisplayStandard);
  EXPECT_EQ(app->followWaveform, 0);
  EXPECT_EQ(app->config.followWaveform, 0);
  EXPECT_EQ(app->editorUsesProjectSettings, 1);
  EXPECT_EQ(app->config.editorUsesProjectSettings, 1);
  EXPECT_EQ(app->project.tailSeconds, 3u);
  EXPECT_EQ(app->config.extendPlaybackFrames, 3 * 44100);
  EXPECT_EQ(app->config.snapToGrid, 1);
  EXPECT_EQ(seams.view.snapToGrid, 1);
  EXPECT_EQ(app->bufferFrames, 16384);
  EXPECT_EQ(app->config.bufferFrames, 16384);
  EXPECT_TRUE(app->outputOpen);
  EXPECT_EQ(app->audioFolder, folder);
  EXPECT_EQ(app->config.GetAudioFolder(), folder);
  EXPECT_EQ(app->tempFolder, folder + "/qvk_temp");
  EXPECT_TRUE(platform::FolderExists(folder + "/qvk_temp"));
  EXPECT_TRUE(platform::FolderExists(folder + "/qvk_data"));
  EXPECT_EQ(app->modified, 0);  // the program's settings are not the project's
}

// A folder the dialog should not have let through is refused here too, never cut
// into the configuration; the folder the program had stays.
TEST_F(SettingsTest, AnAudioFolderTooLongToKeepIsRefusedAndTheOldOneKept) {
  StartApp();
  const std::string tooLong = audio.Path() + "/" + std::string(kMaxAudioFolderBytes - audio.Path().size(), 'x');
  ASSERT_TRUE(platform::CreateFolder(tooLong));  // writable: only its length is wrong
  const Settings before = Take();
  seams.ui.ExpectRequest<AppSettingsRequest>([&tooLong](const AppSettingsRequest& r) {
    AppSettingsRequest::Result a;
    a.audioPath = tooLong;
    a.outputDevice = r.outputDevice;
    a.timeDisplay = r.timeDisplay;
    a.snapToGrid = r.snapToGrid;
    a.followWaveform = r.followWaveform;
    a.editorUsesProjectSettings = r.editorUsesProjectSettings;
    a.qualityLevel = r.qualityLevel;
    a.bufferLevel = r.bufferFrames / AppSettingsRequest::kBufferUnitFrames;
    a.extendPlaybackSeconds = r.extendPlaybackSeconds;
    a.unlimitedUndo = r.unlimitedUndo;
    a.undoLevels = r.undoLevels;
    return a;
  });
  seams.ui.ExpectBox(TooLongFolderText(tooLong));
  EXPECT_EQ(app->OnApplicationSettings(), status::kDone);
  seams.ui.CheckDone();
  EXPECT_TRUE(Take() == before);
  EXPECT_FALSE(platform::FolderExists(tooLong + "/qvk_temp"));
}

TEST_F(SettingsTest, ColoursAndTheMetronomeKeepTheirChoicesInTheConfiguration) {
  StartApp();
  const Settings before = Take();
  const TrackColorSet red{0x0F0FE1, 0x0F0FE1, 0x0F0FE1, 0x0F0FE1};
  seams.ui.ExpectRequest<ColorSettingsRequest>([&](const ColorSettingsRequest& r) {
    ColorSettingsRequest::Result a{r.trackColors, r.loopColors, r.editorColors, r.useTrackColors};
    a.trackColors[5] = red;
    a.loopColors[31] = red;
    a.editorColors = red;
    a.useTrackColors = 0;
    return a;
  });
  EXPECT_EQ(app->OnColorSettings(), status::kDone);
  TrackColorSet got;
  ASSERT_EQ(app->project.GetTrackColors(5, &got), 1);
  EXPECT_EQ(got.marker, red.marker);
  EXPECT_EQ(app->config.colorSets[5].snippetBox, red.snippetBox);
  EXPECT_EQ(app->config.colorSets[ProConfig::kFirstLoopColorSet + 31].waveformFill, red.waveformFill);
  EXPECT_EQ(app->config.colorSets[ProConfig::kIndependentColorSet].waveformOutline, red.waveformOutline);
  EXPECT_EQ(app->useTrackColors, 0);
  EXPECT_EQ(app->config.useTrackColors, 0);
  ASSERT_EQ(app->project.GetTrackColors(4, &got), 1);
  EXPECT_EQ(got.marker, before.trackColors[4].marker);

  seams.ui.ExpectRequest<MetronomeSettingsRequest>([](const MetronomeSettingsRequest& r) {
    MetronomeSettingsRequest::Result a{r.on, r.pattern, r.clickOnly, r.accent, r.bpm, r.level};
    a.on = 1;
    a.clickOnly = 1;
    a.accent = 1;
    a.level = 60;
    a.pattern = 0;   // the dialog cannot change these
    a.bpm = 333.0f;
    return a;
  });
  EXPECT_EQ(app->OnMetronomeSettings(), status::kDone);
  Vorn_Parameters p;
  app->metronome.GetParameters(&p);
  EXPECT_EQ(p.on, 1);
  EXPECT_EQ(p.clickOnly, 1);
  EXPECT_EQ(p.accent, 1);
  EXPECT_EQ(p.level, 60);
  EXPECT_EQ(p.pattern, before.metronome.pattern);
  EXPECT_FLOAT_EQ(p.bpm, before.metronome.bpm);
  EXPECT_EQ(app->config.metronomeOn, 1);
  EXPECT_EQ(app->config.metronomeClickOnly, 1);
  EXPECT_EQ(app->config.metronomeAccent, 1);
  EXPECT_EQ(app->config.metronomeVolume, 60);
  EXPECT_EQ(app->modified, 0);
}

// A new output device that cannot be opened (or a buffer it refuses) leaves
// the previous device open with the previous buffer, and the user is told.
TEST_F(SettingsTest, AnOutputThatCannotOpenKeepsThePreviousOne) {
  UseDevices({"Speakers", "Headphones"}, {"Line In"});
  StartApp();
  ASSERT_EQ(app->devices.GetOutputDeviceCount(), 2);
  ASSERT_TRUE(app->outputOpen);
  const uint32_t speakers = app->devices.GetOutputDevices()[0].deviceId;
  const uint32_t headphones = app->devices.GetOutputDevices()[1].deviceId;
  ASSERT_TRUE(wave->IsOpen(platform::CVirtualWaveSystem::Direction::Output, speakers));
  wave->SetOpenError(platform::CVirtualWaveSystem::Direction::Output, headphones, platform::kWaveAllocated);
  const Settings before = Take();
  auto choose = [](int32_t device, int32_t bufferLevel) {
    return [device, bufferLevel](const AppSettingsRequest& r) {
      return AppSettingsRequest::Result{r.audioPath, device, r.timeDisplay, r.snapToGrid, r.followWaveform,
                                        r.editorUsesProjectSettings, r.qualityLevel, bufferLevel,
                                        r.extendPlaybackSeconds, r.unlimitedUndo, r.undoLevels};
    };
  };
  seams.ui.ExpectRequest<AppSettingsRequest>(choose(1, 3));
  seams.ui.ExpectBox(
      "The chosen output device could not be opened with these settings.  The previous output is kept.");
  EXPECT_EQ(app->OnApplicationSettings(), status::kDone);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.message, "Failed to open audio output device");
  EXPECT_TRUE(Take() == before) << "device, buffer and configuration as they were";
  EXPECT_TRUE(app->outputOpen);
  EXPECT_TRUE(wave->IsOpen(platform::CVirtualWaveSystem::Direction::Output, speakers));
  EXPECT_FALSE(wave->IsOpen(platform::CVirtualWaveSystem::Direction::Output, headphones));

  // Once the device can be opened, the same choice takes it and the new buffer.
  wave->SetOpenError(platform::CVirtualWaveSystem::Direction::Output, headphones, platform::kWaveOk);
  seams.ui.ExpectRequest<AppSettingsRequest>(choose(1, 3));
  EXPECT_EQ(app->OnApplicationSettings(), status::kDone);
  EXPECT_EQ(app->outputDevice, 1);
  EXPECT_EQ(app->config.outputDevice, 1);
  EXPECT_EQ(app->bufferFrames, 3 * AppSettingsRequest::kBufferUnitFrames);
  EXPECT_TRUE(wave->IsOpen(platform::CVirtualWaveSystem::Direction::Output, headphones));
  EXPECT_FALSE(wave->IsOpen(platform::CVirtualWaveSystem::Direction::Output, speakers));
}

TEST_F(SettingsTest, NoSettingsChangeWhileAudioPlays) {
  StartApp();
  const Settings before = Take();
  app->playing = 1;
  for (int (CProApp::*command)() : {&CProApp::OnProjectSettings, &CProApp::OnApplicationSettings,
                                    &CProApp::OnMetronomeSettings}) {
    seams.ui.ExpectBox(kDuringPlayback);
    EXPECT_EQ((app.get()->*command)(), status::kFaultReported);
  }
  seams.ui.ExpectBox(kDuringPlayback);
  EXPECT_EQ(app->OnTrackProperties(0), status::kFaultReported);
  app->playing = 0;
  EXPECT_TRUE(Take() == before);
}

TEST_F(SettingsTest, TrackPropertiesApplyOnOkButInputAndChannelsAtOnce) {
  StartApp();
  CAudioTrack* track = nullptr;
  ASSERT_EQ(app->project.FindTrack(3, &track), 1);
  const Settings before = Take();
  seams.ui.ExpectRequest<TrackPropertiesRequest>([&](const TrackPropertiesRequest& r) {
    EXPECT_EQ(r.trackIndex, 3);
    EXPECT_EQ(r.inputDevices.size(), static_cast<size_t>(app->devices.GetInputDeviceCount()));
    EXPECT_EQ(r.inputDevices.at(1), app->devices.GetInputDevices()[1].name);
    EXPECT_EQ(r.units, 2);  // percent the first time
    r.setInput(1);
    r.setRecordChannels(1);
    return std::nullopt;  // Cancel
  });
  EXPECT_EQ(app->OnTrackProperties(3), status::kCancelled);
  EXPECT_EQ(track->inputIndex, 1);
  EXPECT_EQ(track->recordingChannels, 1);
  EXPECT_TRUE(Take() == before);

  seams.ui.ExpectRequest<TrackPropertiesRequest>([](const TrackPropertiesRequest& r) {
    EXPECT_EQ(r.input, 1);
    EXPECT_EQ(r.recordChannels, 1);
    TrackPropertiesRequest::Result a;
    a.trackType = 1;
    a.description = "Bass";
    a.gainLeft = 0.5f;
    a.gainRight = r.gainRight;
    a.pitch = -12.0f;
    a.units = 1;
    return a;
  });
  EXPECT_EQ(app->OnTrackProperties(3), status::kDone);
  EXPECT_EQ(track->GetType(), CAudioTrack::kTypeLoopBased);
  EXPECT_EQ(track->description, "Bass");
  EXPECT_FLOAT_EQ(track->leftGain, 0.5f);
  EXPECT_FLOAT_EQ(track->rightGain, 1.0f);
  EXPECT_FLOAT_EQ(track->Snippets().trackPitch, -12.0f);
  EXPECT_EQ(app->modified, 1);
  CAudioTrack* other = nullptr;
  ASSERT_EQ(app->project.FindTrack(2, &other), 1);
  EXPECT_EQ(other->description, "");
  EXPECT_FLOAT_EQ(other->leftGain, 1.0f);

  // The units chosen come back; an unchanged answer is no change.
  app->modified = 0;
  seams.ui.ExpectRequest<TrackPropertiesRequest>([](const TrackPropertiesRequest& r) {
    EXPECT_EQ(r.units, 1);
    return TrackPropertiesRequest::Result{r.trackType, r.description, r.gainLeft, r.gainRight,
                                          r.pitch,     r.lock,        r.units,    r.pitchUnits};
  });
  EXPECT_EQ(app->OnTrackProperties(3), status::kDone);
  EXPECT_EQ(app->modified, 0);
  EXPECT_EQ(app->OnTrackProperties(24), status::kFaultReported);
  EXPECT_EQ(Reports().Take().size(), 1u);
}

}  // namespace
}  // namespace tessiro::test
