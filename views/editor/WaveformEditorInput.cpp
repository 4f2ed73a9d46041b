// The Audio Editor's mouse: clicks and drags set the tracker, a double click
// selects the visible audio or works a zoom button; the tracker is painted by
// inverting only the columns that changed.
#include <QAction>
#include <QMenu>
#include <algorithm>

#include "AudioSegment.h"
#include "editor/WaveformEditorGUI.h"
#include "view/ProView.h"

bool CWaveformEditorGUI::FramePoint(int x, int y, int* waveX) const {
  const int px = x - area.x;
  const int py = y - area.y;
  if (!frameRect.ContainsInclusive(px, py)) return false;
  *waveX = std::clamp(px, waveRect.left, std::max(waveRect.left, waveRect.right));
  return true;
}

void CWaveformEditorGUI::SetTrackerFromColumns(int x1, int x2) {
  // A waveform of no width has no fractions: everything is its start.
  const float width = waveWidth > 0 ? static_cast<float>(waveWidth) : 0.0f;
  const float first = width > 0.0f ? static_cast<float>(x1 - waveRect.left) / width : 0.0f;
  const float second = width > 0.0f ? static_cast<float>(x2 - waveRect.left) / width : 0.0f;
  segment->SetTrackerFromView(first, second);
}

void CWaveformEditorGUI::OnLButtonDown(unsigned, int x, int y) {
  int waveX = 0;
  if (!segment || !FramePoint(x, y, &waveX)) return;
  trackerX1 = trackerX2 = anchorX = static_cast<int16_t>(waveX);
  SetTrackerFromColumns(waveX, waveX);
  tracking = 1;
  PaintTracker();
  UpdateToolBarTimes();
  Invalidate();
}

void CWaveformEditorGUI::OnMouseMove(unsigned, int x, int y) {
  int waveX = 0;
  if (!segment || !tracking || !FramePoint(x, y, &waveX)) return;
  dragging = 1;
  trackerX1 = std::min<int16_t>(anchorX, static_cast<int16_t>(waveX));
  trackerX2 = std::max<int16_t>(anchorX, static_cast<int16_t>(waveX));
  SetTrackerFromColumns(trackerX1, trackerX2);
  PaintTracker();
  UpdateToolBarTimes();
  Invalidate();
}

void CWaveformEditorGUI::OnLButtonUp(unsigned, int, int) {
  if (!tracking) return;
  tracking = 0;
  dragging = 0;
  PaintTracker();
  UpdateToolBarTimes();
  Invalidate();
}

void CWaveformEditorGUI::OnLButtonDblClk(unsigned flags, int x, int y) {
  if (!segment) return;
  const int px = x - area.x;
  const int py = y - area.y;
  if (zoomInHit.ContainsInclusive(px, py)) {
    ZoomIn();
  } else if (zoomOutHit.ContainsInclusive(px, py)) {
    ZoomOut();
  } else if (wholeViewHit.ContainsInclusive(px, py)) {
    ShowWholeAudio();
  } else if (frameRect.ContainsInclusive(px, py)) {
    trackerX1 = static_cast<int16_t>(waveRect.left);
    trackerX2 = static_cast<int16_t>(waveRect.right);
    segment->SetTrackerFromView(0.0f, 1.0f);
    selectAllPending = 1;
    PaintTracker();
    UpdateToolBarTimes();
    Invalidate();
  } else {
    OnLButtonDown(flags, x, y);
  }
}

// What is inverted is either the single column shownX1 or [shownX1, shownX2).
void CWaveformEditorGUI::InvertShownTracker() {
  if (singleLineShown) {
    InvertColumns(shownX1, shownX1 + 1);
  } else {
    InvertColumns(shownX1, shownX2);
  }
  singleLineShown = 0;
  shownX2 = shownX1;
}

void CWaveformEditorGUI::PaintTracker() {
  const bool point = trackerX1 == trackerX2;
  // A point is shown as its column once the drag is over; a range as its columns.
  const bool same = shownX1 == trackerX1 && shownX2 == trackerX2 && (!point || singleLineShown || dragging);
  if (same && !selectAllPending) return;
  if (selectAllPending) {
    InvertShownTracker();
    InvertColumns(trackerX1, trackerX2);
    selectAllPending = 0;
  } else if (dragging) {
    if (singleLineShown) InvertShownTracker();
    // Inverting between the old and new place of each end turns the old range into the new.
    InvertColumns(std::min(shownX1, trackerX1), std::max(shownX1, trackerX1));
    InvertColumns(std::min(shownX2, trackerX2), std::max(shownX2, trackerX2));
  } else {
    InvertShownTracker();
    InvertColumns(trackerX1, trackerX1 + 1);
    singleLineShown = 1;
  }
  shownX1 = trackerX1;
  shownX2 = trackerX2;
}

void CWaveformEditorGUI::ShowContextMenu(int screenX, int screenY) {
  QMenu menu(view);
  for (const editor::EditorMenuItem& item : editor::EditorContextMenu()) {
    if (item.id == 0) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(QString::fromLatin1(item.text));
    action->setData(item.id);
  }
  QAction* chosen = menu.exec(QPoint(screenX, screenY));
  if (chosen && commandSink) commandSink(chosen->data().toInt());
}
