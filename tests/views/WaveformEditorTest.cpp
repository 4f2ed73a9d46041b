// The Audio Editor: the tracker set by the mouse and painted by inversion,
// zoom and scroll of the view window, the play cursor and the tool bar's times.
#include <QScrollBar>
#include <random>

#include "ReportRecorder.h"
#include "WaveformEditorFixture.h"
#include "controls/MyButton.h"

namespace tessiro::test {
namespace {

// A 44100-frame mono segment in an area of 600 x 400: the waveform is 506 wide.
TEST_F(EditorTest, ClickAndDragSetTheTrackerTheBoxesAndExactlyTheColumnsBetween) {
  Make(600, 400, 44100);
  ASSERT_EQ(editor->waveWidth, 506);
  TakeReference();
  QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, At(100, 100));
  QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(100, 100));
  EXPECT_EQ(segment->trackerStart, 4532u);
  EXPECT_EQ(segment->trackerEnd, 4532u);
  EXPECT_EQ(boxes.texts[32979], "00:00.102");
  EXPECT_EQ(boxes.texts[32981], "00:00.102");
  EXPECT_EQ(boxes.texts[32983], "00:01.000");  // a point: the whole length
  EXPECT_EQ(InvertedColumns(), Columns(100, 101));

  Drag(100, 301);
  EXPECT_EQ(segment->trackerStart, 4532u);
  EXPECT_EQ(segment->trackerEnd, 22050u);
  EXPECT_EQ(segment->trackerSize, 22050u - 4532u);
  EXPECT_EQ(boxes.texts[32979], "00:00.102");
  EXPECT_EQ(boxes.texts[32981], "00:00.500");
  EXPECT_EQ(boxes.texts[32983], "00:00.397");
  EXPECT_EQ(InvertedColumns(), Columns(100, 301));

  // Left of the anchor the anchor becomes the end.
  Drag(200, 150);
  EXPECT_EQ(editor->trackerX1, 150);
  EXPECT_EQ(editor->trackerX2, 200);
  EXPECT_EQ(InvertedColumns(), Columns(150, 200));

  // Beyond the waveform's edges the point is the edge; outside the frame nothing happens.
  Click(20);
  EXPECT_EQ(segment->trackerStart, 0u);
  EXPECT_EQ(InvertedColumns(), Columns(48, 49));
  Click(590);
  EXPECT_EQ(segment->trackerStart, 44100u);
  Click(300, 2);
  EXPECT_EQ(segment->trackerStart, 44100u);
  EXPECT_EQ(InvertedColumns(), Columns(554, 555));

  app->project.timeDisplay = TimeDisplayTempo;
  Drag(48, 554);
  char start[64], end[64];
  FormatSamplesAsTempoTime(0, 44100, app->project.tempo, 0, start);
  FormatSamplesAsTempoTime(44100, 44100, app->project.tempo, 0, end);
  EXPECT_EQ(boxes.texts[32979], start);
  EXPECT_EQ(boxes.texts[32981], end);
  EXPECT_EQ(boxes.texts[32983], end);
  EXPECT_NE(boxes.texts[32981].find(':'), std::string::npos);
}

TEST_F(EditorTest, ADoubleClickSelectsTheVisibleAudioOrWorksTheZoomButtonsHitAreas) {
  Make(600, 400, 100000);
  SetView(20000, 60000);
  editor->TrackerMoved();
  TakeReference();
  DoubleClick(300);
  EXPECT_EQ(segment->trackerStart, 20000u);
  EXPECT_EQ(segment->trackerEnd, 60000u);
  EXPECT_EQ(InvertedColumns(), Columns(48, 554));
  Click(300);
  EXPECT_EQ(InvertedColumns(), Columns(300, 301));

  // The zoom buttons' hit areas sit at the right edge, below the frame's corner.
  segment->trackerStart = segment->trackerEnd = 40000;
  const struct {
    int x, y;
    uint32_t viewStart, viewEnd;
  } hits[] = {{590, 350, 30000, 50000}, {590, 370, 20000, 60000}, {590, 395, 0, 100000}};
  for (const auto& hit : hits) {
    editor->OnLButtonDblClk(view::kMouseLeft, editor->area.x + hit.x, editor->area.y + hit.y);
    EXPECT_EQ(segment->viewStart, hit.viewStart) << hit.y;
    EXPECT_EQ(segment->viewEnd, hit.viewEnd) << hit.y;
    EXPECT_EQ(segment->viewWidth, hit.viewEnd - hit.viewStart);
  }
}

TEST_F(EditorTest, TheInvertedColumnsAreTheSelectionAfterAThousandClicksAndDrags) {
  Make(600, 400, 44100, 2);
  TakeReference();
  Click(300);
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> x(-20, 620), kind(0, 9);
  for (int i = 0; i < 1000; ++i) {
    const int k = kind(random);
    if (k < 3) {
      Click(x(random));
    } else if (k == 3) {
      DoubleClick(x(random));
    } else {
      // A drag in several steps, some outside the frame, ending anywhere.
      const int from = x(random);
      QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, At(from, 100));
      for (int step = 0; step < 4; ++step) MoveHeld(x(random), step == 2 ? 2 : 100);
      QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(x(random), 100));
    }
    const std::set<int> expected = editor->trackerX1 == editor->trackerX2
                                       ? Columns(editor->trackerX1, editor->trackerX1 + 1)
                                       : Columns(editor->trackerX1, editor->trackerX2);
    ASSERT_EQ(InvertedColumns(false), expected) << "after step " << i << " of kind " << k;
  }
}

struct ZoomCase {
  const char* name;
  uint32_t length, viewStart, viewEnd, trackerStart, trackerEnd;
  int operation;  // 0 zoom in, 1 zoom out, 2 whole audio
  uint32_t expectStart, expectEnd;
};

TEST_F(EditorTest, ZoomFollowsTheTrackerAndKeepsInsideTheAudio) {
  const ZoomCase cases[] = {
      {"point near the start", 44100, 0, 44100, 100, 100, 0, 0, 22048},
      {"point in the middle", 44100, 0, 44100, 22050, 22050, 0, 22050 - 11024, 22050 + 11024},
      {"point near the end moves left", 44100, 0, 44100, 44000, 44000, 0, 44100 - 22048, 44100},
      {"point outside the view", 44100, 1000, 2000, 5000, 5000, 0, 1000, 2000},
      {"width of eight refused", 44100, 100, 108, 104, 104, 0, 100, 108},
      {"width of twelve keeps eight", 44100, 100, 112, 106, 106, 0, 102, 110},
      {"range ending inside becomes the view", 44100, 1000, 5000, 500, 3000, 0, 500, 3000},
      {"range starting inside becomes the view", 44100, 1000, 5000, 4000, 9000, 0, 4000, 9000},
      {"range over the view moves both ends in", 44100, 1000, 5000, 0, 44100, 0, 2000, 4000},
      {"range wholly outside", 44100, 1000, 5000, 6000, 7000, 0, 1000, 5000},
      {"out by half each side", 44100, 10000, 20000, 0, 0, 1, 5000, 25000},
      {"out of four frames by four", 44100, 100, 104, 0, 0, 1, 96, 108},
      {"out stops at the ends", 44100, 1000, 40000, 0, 0, 1, 0, 44100},
      {"whole audio", 44100, 1000, 2000, 0, 0, 2, 0, 44100},
  };
  for (const ZoomCase& c : cases) {
    Make(600, 400, c.length);
    SetView(c.viewStart, c.viewEnd);
    segment->trackerStart = c.trackerStart;
    segment->trackerEnd = c.trackerEnd;
    if (c.operation == 0) editor->ZoomIn();
    if (c.operation == 1) editor->ZoomOut();
    if (c.operation == 2) editor->ShowWholeAudio();
    EXPECT_EQ(segment->viewStart, c.expectStart) << c.name;
    EXPECT_EQ(segment->viewEnd, c.expectEnd) << c.name;
    EXPECT_EQ(segment->viewWidth, c.expectEnd - c.expectStart) << c.name;
  }
  // A range that becomes the view takes the whole waveform.
  Make(600, 400, 44100);
  segment->trackerStart = 1000;
  segment->trackerEnd = 3000;
  editor->ZoomIn();
  EXPECT_EQ(editor->trackerX1, 48);
  EXPECT_EQ(editor->trackerX2, 554);
}

TEST_F(EditorTest, ScrollingMovesTheViewAndNeverPastTheAudio) {
  const struct {
    const char* name;
    uint32_t viewStart, viewEnd;
    int code, position;
    uint32_t expectStart, expectEnd;
  } cases[] = {
      {"line left", 40000, 48000, view::kScrollLineUp, 0, 38000, 46000},
      {"line left to the start", 1000, 9000, view::kScrollLineUp, 0, 0, 8000},
      {"page left", 40000, 48000, view::kScrollPageUp, 0, 32000, 40000},
      {"page left to the start", 8000, 16000, view::kScrollPageUp, 0, 0, 8000},
      {"line right", 40000, 48000, view::kScrollLineDown, 0, 42000, 50000},
      {"line right to the end", 40000, 99000, view::kScrollLineDown, 0, 41000, 100000},
      {"page right to the end", 40000, 48000, view::kScrollPageDown, 0, 48000, 56000},
      {"right from past the end stays", 99000, 101000, view::kScrollLineDown, 0, 99000, 101000},
      {"page right from past the end stays", 99000, 101000, view::kScrollPageDown, 0, 99000, 101000},
      {"thumb", 0, 8000, view::kScrollThumbTrack, 250, 25000, 33000},
      {"thumb at the far end", 0, 8000, view::kScrollThumbTrack, 1000, 100000, 108000},
      {"other codes", 40000, 48000, view::kScrollEnd, 0, 40000, 48000},
  };
  for (const auto& c : cases) {
    Make(600, 400, 100000);
    SetView(c.viewStart, c.viewEnd);
    editor->Scroll(c.code, c.position);
    EXPECT_EQ(segment->viewStart, c.expectStart) << c.name;
    EXPECT_EQ(segment->viewEnd, c.expectEnd) << c.name;
  }
  // The bar's thumb is the view's share of the audio, at least 30 of 1000.
  Make(600, 400, 100000);
  SetView(25000, 75000);
  editor->TrackerMoved();
  editor->UpdateScrollBar();
  ASSERT_NE(editor->ScrollBar(), nullptr);
  EXPECT_EQ(editor->ScrollBar()->pageStep(), 500);
  EXPECT_EQ(editor->ScrollBar()->value(), 250);
  SetView(25000, 25010);
  editor->UpdateScrollBar();
  EXPECT_EQ(editor->ScrollBar()->pageStep(), 30);
}

TEST_F(EditorTest, ThePlayCursorIsOneInvertedColumnInsideThePlayRangeOnly) {
  Make(600, 400, 44100);
  segment->trackerStart = segment->trackerEnd = 44100;  // out of the way at the right edge
  editor->TrackerMoved();
  TakeReference();
  const std::set<int> tracker = InvertedColumns();
  app->editorPlayStart = 0;
  app->editorPlayEnd = 44100;
  app->editorPlayLength = 44100;
  editor->StartTracking(0);
  EXPECT_TRUE(view->IsTimerRunning(CProView::kCursorTimer));
  auto cursorOnly = [&] {
    std::set<int> columns = InvertedColumns();
    for (const int x : tracker) columns.erase(x);
    return columns;
  };
  const struct {
    const char* name;
    uint32_t ms;
    int loop;
    uint32_t playStart, playEnd;
    std::set<int> expect;
    const char* text;
  } ticks[] = {
      {"half way", 500, 0, 0, 44100, Columns(301, 302), "00:00.500"},
      {"a quarter", 250, 0, 0, 44100, Columns(174, 175), "00:00.250"},
      {"at the start of the range", 0, 0, 0, 44100, {}, "00:00.000"},
      {"past the end", 1200, 0, 0, 44100, {}, "00:01.200"},
      {"looping wraps", 1250, 1, 0, 44100, Columns(174, 175), "00:00.250"},
      {"range from the middle", 250, 0, 22050, 44100, Columns(427, 428), "00:00.750"},
  };
  for (const auto& t : ticks) {
    playedMs = t.ms;
    editor->loopWrap = t.loop;
    app->editorPlayStart = t.playStart;
    app->editorPlayEnd = t.playEnd;
    app->editorPlayLength = t.playEnd - t.playStart;
    editor->OnCursorTimer();
    EXPECT_EQ(cursorOnly(), t.expect) << t.name;
    EXPECT_EQ(boxes.texts[32979], t.text) << t.name;
  }
  // A play range left of the view: the cursor never wraps into it.
  SetView(30000, 44100);
  editor->TrackerMoved();
  TakeReference();
  app->editorPlayStart = 0;
  app->editorPlayEnd = 44100;
  app->editorPlayLength = 44100;
  for (uint32_t ms = 0; ms < 700; ms += 40) {
    playedMs = ms;
    editor->OnCursorTimer();
    EXPECT_TRUE(InvertedColumns().empty()) << ms;
  }
  editor->StopTracking();
  EXPECT_FALSE(view->IsTimerRunning(CProView::kCursorTimer));
  EXPECT_EQ(editor->cursorX, CWaveformEditorGUI::kNotDrawn);
}

TEST_F(EditorTest, MarkersAreDrawnInTheirColourAndTheControlsFollowTheHeight) {
  Make(600, 400, 44100, 2);
  TrackColorSet colours;
  colours.snippetBox = 0xFFFFFF;
  colours.waveformFill = 0x808080;
  colours.waveformOutline = 0x404040;
  colours.marker = 0x0000FF;
  editor->SetColors(colours);
  segment->markerStart = 22050;
  segment->markerEnd = 44100;
  segment->trackerStart = segment->trackerEnd = 0;
  editor->TrackerMoved();
  const draw::CBitmap& picture = editor->BackBuffer();
  EXPECT_EQ(picture.Pixel(301, 200), 0x0000FFu);
  EXPECT_EQ(picture.Pixel(303, 12), 0x0000FFu);   // the begin marker's box, below the top
  EXPECT_EQ(picture.Pixel(551, 359), 0x0000FFu);  // the end marker's box, left of its line
  ASSERT_NE(editor->ZoomInButton(), nullptr);
  EXPECT_TRUE(editor->ZoomInButton()->isVisible());
  editor->HideControls();
  EXPECT_EQ(editor->ScrollBar(), nullptr);
  EXPECT_FALSE(editor->ZoomInButton()->isVisible());

  // Too low for controls: none are made.
  Make(600, 200, 44100);
  EXPECT_EQ(editor->ZoomInButton(), nullptr);
  EXPECT_EQ(editor->ScrollBar(), nullptr);
}

TEST_F(EditorTest, AViewOfNoWidthIsReportedAndChangesNothing) {
  Make(600, 400, 44100);
  segment->viewStart = segment->viewEnd = 100;
  segment->viewWidth = 0;
  editor->trackerX1 = 77;
  editor->UpdateSelectionPixels(1);
  EXPECT_EQ(editor->trackerX1, 77);
  playedMs = 100;
  app->editorPlayLength = 0;
  editor->StartTracking(0);
  editor->OnCursorTimer();
  EXPECT_EQ(editor->cursorX, CWaveformEditorGUI::kNotDrawn);
  std::vector<RecordedReport> reports = Reports().Take();
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports[0].report.title, "WaveformEditorGUI");
  EXPECT_EQ(reports[0].report.line, 2550);
}

}  // namespace
}  // namespace tessiro::test
