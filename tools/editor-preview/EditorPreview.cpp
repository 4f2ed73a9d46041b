// Writes pictures of the Audio Editor into a folder: mono and stereo audio,
// a selection, both markers, the play cursor during playback, an empty editor,
// and the tool window beside it.
#include <QApplication>
#include <QDir>
#include <cmath>
#include <cstdio>
#include <memory>

#include "Folders.h"
#include "Generic.h"
#include "QuietServices.h"
#include "WaveformFixtures.h"
#include "editor/AudioEditorToolDialog.h"
#include "editor/WaveformEditorGUI.h"
#include "pro.h"

namespace {

int16_t Voice(uint32_t frame, int channel) {
  const double t = frame / 44100.0;
  const double swell = 0.5 + 0.5 * std::sin(t * 2.1 + channel);
  const double tone = std::sin(t * 2 * M_PI * 3.0) * 0.6 + std::sin(t * 2 * M_PI * 11.0 + channel) * 0.3;
  return static_cast<int16_t>(std::lround(24000.0 * swell * tone));
}

struct Picture {
  const char* name;
  uint16_t channels;
  uint32_t viewStart, viewEnd;
  uint32_t trackerStart, trackerEnd;
  uint32_t markerStart, markerEnd;
  uint32_t playedMs;  // 0: not playing
};

void Render(const QString& folder, const std::string& audio, const Picture& p, bool withTool) {
  tools::QuietServices seams;
  CProApp app(seams.Services());
  app.project.timeDisplay = TimeDisplayStandard;
  CProView view(&app);
  auto made = std::make_unique<CWaveformEditorGUI>(&app);
  CWaveformEditorGUI* editor = made.get();
  uint32_t played = p.playedMs;
  editor->SetPlayedClock([&played] { return played; });
  view.InstallAudioEditor(std::move(made));
  view.viewMode = ViewModeEditor;
  view.resize(835, 440);
  view.show();
  std::shared_ptr<CAudioSegment> segment;
  if (p.channels) {
    segment = tessiro::test::MakeWaveSegment(audio, p.channels, 10 * 44100, Voice);
    segment->GetPeakFile().Open(0);
    segment->tempo = 120.0f;
    segment->viewStart = p.viewStart;
    segment->viewEnd = p.viewEnd;
    segment->viewWidth = p.viewEnd - p.viewStart;
    segment->trackerStart = p.trackerStart;
    segment->trackerEnd = p.trackerEnd;
    segment->trackerSize = p.trackerEnd - p.trackerStart;
    segment->markerStart = p.markerStart;
    segment->markerEnd = p.markerEnd;
    TrackColorSet colours{0xFFFFFF, 0xE0B070, 0x804010, 0x0000E0};
    editor->SetColors(colours);
    app.editorSource = EditorSourceIndependent;
    app.editorSegment = segment;
    editor->SetSegment(segment.get());
  }
  if (p.playedMs) {
    app.editorPlayStart = p.trackerStart;
    app.editorPlayEnd = p.trackerEnd;
    app.editorPlayLength = p.trackerEnd - p.trackerStart;
    editor->StartTracking(0);
    editor->OnCursorTimer();
  }
  view.Invalidate();
  if (!view.grab().save(folder + QStringLiteral("/editor-%1.png").arg(QString::fromLatin1(p.name)))) {
    std::fprintf(stderr, "cannot write %s\n", p.name);
  }
  if (withTool) {
    CAudioEditorToolDialog tool(&app, editor);
    tool.Open();
    tool.grab().save(folder + QStringLiteral("/editor-tool-window.png"));
    tool.Close();
  }
  if (p.playedMs) editor->StopTracking();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("TESSIRO_AUDIO", "virtual");
  if (argc < 2) {
    std::fprintf(stderr, "usage: editor_preview <folder>\n");
    return 2;
  }
  const std::string home = platform::TemporaryFolder() + "/tessiro-editor-preview";
  QDir().mkpath(QString::fromStdString(home));
  if (qEnvironmentVariableIsEmpty("TESSIRO_HOME")) qputenv("TESSIRO_HOME", home.c_str());
  QApplication application(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  const uint32_t unset = CAudioSegment::kMarkerUnset;
  const Picture pictures[] = {
      {"empty", 0, 0, 0, 0, 0, unset, unset, 0},
      {"mono", 1, 0, 441000, 0, 0, unset, unset, 0},
      {"stereo-selection-markers", 2, 0, 441000, 110250, 220500, 66150, 330750, 0},
      {"stereo-zoomed", 2, 88200, 132300, 99225, 99225, unset, unset, 0},
      {"mono-playing", 1, 0, 441000, 44100, 396900, 22050, unset, 2000},
  };
  for (const Picture& p : pictures) Render(folder, home, p, p.markerStart != unset && p.channels == 2);
  QDir(QString::fromStdString(home)).removeRecursively();
  return 0;
}
