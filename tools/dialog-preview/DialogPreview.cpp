// Renders each dialog, filled with sample values, to <folder>/<name>.png.
#include <QApplication>
#include <QFont>
#include <QPixmap>
#include <cstdio>

#include "ProSettingsDialog.h"
#include "ColorSettingsForm.h"
#include "MixdownDialog.h"
#include "ProjectPropertiesDialog.h"
#include "PropertiesDialogs.h"
#include "SettingsDialogs.h"
#include "AudioTrackPropertiesDialog.h"
#include "TrackSnippetDialogs.h"

namespace {

bool Save(QDialog& dialog, const QString& folder, const char* name) {
  dialog.adjustSize();
  dialog.show();
  QApplication::processEvents();
  const QString path = folder + "/" + name + ".png";
  const bool saved = dialog.grab().save(path);
  std::printf("%s %s (%dx%d)\n", saved ? "wrote" : "FAILED", qPrintable(path), dialog.width(), dialog.height());
  dialog.hide();
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dialog_preview <folder>\n");
    return 2;
  }
  QApplication application(argc, argv);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  QApplication::setFont(font);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  bool ok = true;

  ProjectSettingsRequest project;
  project.title = "Night Drive";
  project.artist = "The Tessiro Band";
  project.album = "Demos";
  project.year = "2026";
  project.genre = 52;
  project.description = "Four takes of the bass line, the second one kept.";
  project.masterGainLeft = 0.8f;
  project.masterGainRight = 0.8f;
  project.tempo = 97.5f;
  project.pitch = -2.0f;
  dialogs::CProjectPropertiesDialog projectDialog(project);
  ok &= Save(projectDialog, folder, "project-settings");

  AppSettingsRequest settings;
  settings.audioPath = "/home/musician/orvane_audio";
  settings.outputDevices = {"default", "HDA Intel PCH: ALC892 Analog (hw:0,0)"};
  settings.bufferFrames = 16384;
  settings.extendPlaybackSeconds = 2;
  dialogs::CProSettingsDialog settingsDialog(settings, {});
  ok &= Save(settingsDialog, folder, "application-settings");

  ColorSettingsRequest colors;
  for (auto& set : colors.trackColors) {
    set = {forms::kPalette[6].colorref, forms::kPalette[0].colorref, forms::kPalette[7].colorref,
           forms::kPalette[3].colorref};
  }
  colors.editorColors = colors.trackColors[0];
  colors.useTrackColors = 1;
  dialogs::CColorSettingsDialog colorDialog(colors);
  ok &= Save(colorDialog, folder, "color-settings");

  MetronomeSettingsRequest metronome;
  metronome.on = 1;
  metronome.accent = 1;
  dialogs::CMetronomeDialog metronomeDialog(metronome);
  ok &= Save(metronomeDialog, folder, "metronome-settings");

  dialogs::CWaveDialog waveDialog(forms::WaveQuality{2, 32000, 16}, {});
  ok &= Save(waveDialog, folder, "wave-quality");

  MixdownDialogRequest mixdown;
  mixdown.sourceTracks[0] = mixdown.sourceTracks[1] = mixdown.sourceTracks[5] = 1;
  dialogs::CMixdownDialog mixdownDialog(mixdown, {});
  ok &= Save(mixdownDialog, folder, "mixdown");

  TrackPropertiesRequest track;
  track.trackIndex = 4;
  track.inputDevices = {"Virtual Input 1", "Virtual Input 2"};
  track.description = "Bass, second take";
  track.gainLeft = 0.9f;
  track.gainRight = 0.9f;
  track.pitch = -2.0f;
  dialogs::CAudioTrackPropertiesDialog trackDialog(track, {});
  ok &= Save(trackDialog, folder, "track-properties");

  LoopPropertiesRequest loop;
  loop.loopNumber = 2;
  loop.title = "Four on the floor";
  loop.measures = 2;
  loop.tempo = 120.0f;
  loop.audioFile = "/home/musician/orvane_audio/qvk_data/QRVD_20261209151000_4012345678.pcm";
  loop.lengthFrames = 176400;
  dialogs::CAudioLoopPropertiesDialog loopDialog(loop, {});
  ok &= Save(loopDialog, folder, "loop-properties");

  SnippetPropertiesRequest snippet;
  snippet.tempo = 97.5f;
  snippet.identifier = 4012345678u;
  snippet.audioFile = "/home/musician/orvane_audio/qvk_temp/20261209151200.pcm";
  dialogs::CSnippetPropertiesDialog snippetDialog(snippet);
  ok &= Save(snippetDialog, folder, "snippet-properties");
  snippet.loopSnippet = true;
  snippet.loopNumber = 2;
  dialogs::CSnippetPropertiesDialog loopSnippetDialog(snippet);
  ok &= Save(loopSnippetDialog, folder, "snippet-properties-loop");

  dialogs::CCreateTrackSnippet createDialog(CreateTrackSnippetRequest{});
  ok &= Save(createDialog, folder, "create-track-snippet");

  ShiftTracksRequest shift;
  shift.newStart = 44100 * 12;
  dialogs::CShiftTracksDialog shiftDialog(shift);
  ok &= Save(shiftDialog, folder, "shift-tracks");
  return ok ? 0 : 1;
}
