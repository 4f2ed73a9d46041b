// The Audio Editor in a view on an application with scripted seams: known
// audio shown, the tool bar's boxes recorded, the device's clock set by hand,
// and the columns of the waveform that are inverted against a picture of the
// same audio drawn without a tracker.
#pragma once

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "AudioSegment.h"
#include "Generic.h"
#include "ReportRecorder.h"
#include "ScriptedUi.h"
#include "TempFolder.h"
#include "WaveformFixtures.h"
#include "editor/WaveformEditorGUI.h"
#include "pro.h"
#include "view/ProView.h"

namespace tessiro::test {

class CRecordedBoxes final : public editor::IEditorTimeBoxes {
 public:
  void SetTimeText(int id, uint32_t frames) override {
    char text[64];
    FormatSamplesAsTime(frames, 44100, text);
    texts[id] = text;
  }
  void SetText(int id, const std::string& text) override { texts[id] = text; }
  void UpdatePositionSlider() override { ++sliderUpdates; }
  std::map<int, std::string> texts;
  int sliderUpdates = 0;
};

// A wave that differs from column to column, so an inversion shows everywhere.
inline int16_t Ramp(uint32_t frame, int channel) {
  return static_cast<int16_t>(static_cast<int32_t>(frame % 4000) * 8 - 16000 + channel * 500);
}

class EditorTest : public ::testing::Test {
 protected:
  void TearDown() override {
    view.reset();
    app.reset();
    seams.ui.CheckDone();
  }

  // The editor of an area of width x height showing frames of audio, whole.
  CWaveformEditorGUI& Make(int width, int height, uint32_t frames, uint16_t channels = 1) {
    view.reset();
    app.reset();
    app = std::make_unique<CProApp>(seams.Services());
    // A test's home has no metronome sounds: the application's start says so, not the editor.
    Reports().Take();
    app->project.timeDisplay = TimeDisplayStandard;
    segment = MakeWaveSegment(folder.Path(), channels, frames, Ramp);
    segment->tempo = app->project.tempo;
    segment->viewStart = 0;
    segment->viewEnd = segment->viewWidth = frames;
    view = std::make_unique<CProView>(app.get());
    auto made = std::make_unique<CWaveformEditorGUI>(app.get());
    editor = made.get();
    editor->SetTimeBoxes(&boxes);
    editor->SetPlayedClock([this] { return playedMs; });
    view->InstallAudioEditor(std::move(made));
    view->viewMode = ViewModeEditor;
    view->resize(width + 14, height + 31);
    view->show();
    editor->SetSegment(segment.get());
    return *editor;
  }

  QPoint At(int editorX, int editorY) const { return {editor->area.x + editorX, editor->area.y + editorY}; }
  void Click(int x, int y = 100) {
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, At(x, y));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(x, y));
  }
  // A move with the left button held, as the window system sends it.
  void MoveHeld(int x, int y) {
    const QPoint at = At(x, y);
    QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.get(), &move);
  }
  void Drag(int fromX, int toX, int y = 100) {
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, At(fromX, y));
    MoveHeld((fromX + toX) / 2, y);
    MoveHeld(toX, y);
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(toX, y));
  }
  void SetView(uint32_t start, uint32_t end) {
    segment->viewStart = start;
    segment->viewEnd = end;
    segment->viewWidth = end - start;
  }
  void DoubleClick(int x, int y = 100) {
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, At(x, y));
    QTest::mouseDClick(view.get(), Qt::LeftButton, Qt::NoModifier, At(x, y));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(x, y));
  }

  // The picture with no tracker shown: a point past the view is not drawn.
  void TakeReference() {
    const uint32_t start = segment->trackerStart, end = segment->trackerEnd;
    segment->trackerStart = segment->trackerEnd = segment->viewEnd + 1;
    editor->UpdateSelectionPixels(1);
    editor->Redraw();
    reference = editor->BackBuffer().Copy(editor->BackBuffer().Bounds());
    segment->trackerStart = start;
    segment->trackerEnd = end;
    segment->trackerSize = end - start;
  }
  // Columns of the waveform inverted over its whole height against the reference;
  // a column inverted over part of it counts as -1 - x.
  // Every row, or only the top, middle and bottom ones (quicker, for many steps).
  std::set<int> InvertedColumns(bool everyRow = true) const {
    std::set<int> columns;
    const draw::CBitmap& now = editor->BackBuffer();
    const int top = 10, bottom = 10 + editor->waveHeight;
    std::vector<int> rows;
    if (everyRow) {
      for (int y = top; y < bottom; ++y) rows.push_back(y);
    } else {
      rows = {top, (top + bottom) / 2, bottom - 1};
    }
    for (int x = editor->waveRect.left; x <= editor->waveRect.right; ++x) {
      size_t inverted = 0;
      for (const int y : rows) {
        if (now.Pixel(x, y) == (reference.Pixel(x, y) ^ 0xFFFFFFu)) ++inverted;
      }
      if (inverted == rows.size()) columns.insert(x);
      if (inverted != 0 && inverted != rows.size()) columns.insert(-1 - x);
    }
    return columns;
  }
  static std::set<int> Columns(int from, int to) {
    std::set<int> columns;
    for (int x = from; x < to; ++x) columns.insert(x);
    return columns;
  }

  ScriptedServices seams;
  CTempFolder folder;
  std::unique_ptr<CProApp> app;
  std::unique_ptr<CProView> view;
  std::unique_ptr<CAudioSegment> segment;
  CWaveformEditorGUI* editor = nullptr;
  CRecordedBoxes boxes;
  uint32_t playedMs = 0;
  draw::CBitmap reference;
};

}  // namespace tessiro::test
