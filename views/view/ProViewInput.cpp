// The view's input: every mouse, wheel, scroll bar, timer, context-menu and
// row-control message goes to the editor that is shown, by the view mode.
#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <cstdlib>

#include "pro.h"
#include "view/ProView.h"
#include "view/TabStrip.h"

namespace {

constexpr int kWheelNotch = 120;
constexpr const char* kControlIdProperty = "controlId";

unsigned MouseFlags(const QMouseEvent& event) {
  unsigned flags = 0;
  if (event.buttons() & Qt::LeftButton) flags |= view::kMouseLeft;
  if (event.buttons() & Qt::RightButton) flags |= view::kMouseRight;
  if (event.buttons() & Qt::MiddleButton) flags |= view::kMouseMiddle;
  if (event.modifiers() & Qt::ShiftModifier) flags |= view::kMouseShift;
  if (event.modifiers() & Qt::ControlModifier) flags |= view::kMouseControl;
  return flags;
}

// A scroll bar's action as the scroll code the editors take; -1 for none.
int ScrollCode(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return view::kScrollLineUp;
    case QAbstractSlider::SliderSingleStepAdd: return view::kScrollLineDown;
    case QAbstractSlider::SliderPageStepSub: return view::kScrollPageUp;
    case QAbstractSlider::SliderPageStepAdd: return view::kScrollPageDown;
    case QAbstractSlider::SliderMove: return view::kScrollThumbTrack;
    case QAbstractSlider::SliderToMinimum: return view::kScrollTop;
    case QAbstractSlider::SliderToMaximum: return view::kScrollBottom;
    default: return -1;
  }
}

}  // namespace

bool CProView::InsideShownArea(int x, int y) {
  const view::EditorArea& area = AreaOf(viewMode);
  return area.x <= x && x <= area.x + area.width && area.y <= y && y <= area.y + area.height;
}

void CProView::OnLeftButtonDown(unsigned flags, int x, int y) {
  if (inputLocked == 1) return;
  if (const std::optional<int> target = view::TabClickTarget(viewMode, x, y)) {
    if (*target != 0) SwitchView(*target);
    return;
  }
  if (view::IViewEditor* editor = ShownEditor(); editor && InsideShownArea(x, y)) editor->OnLButtonDown(flags, x, y);
  Invalidate(true);
}

void CProView::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const unsigned flags = MouseFlags(*event);
  if (event->button() == Qt::LeftButton) {
    OnLeftButtonDown(flags, at.x(), at.y());
  } else if (event->button() == Qt::RightButton) {
    if (inputLocked == 1) return;
    if (viewMode == ViewModeTrack && trackView && InsideShownArea(at.x(), at.y())) {
      trackView->OnRButtonDown(flags, at.x(), at.y());
    }
    Invalidate();
  }
  event->accept();
}

void CProView::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (inputLocked == 1) return;
  const QPoint at = event->position().toPoint();
  const unsigned flags = MouseFlags(*event);
  if (event->button() == Qt::LeftButton) {
    if (viewMode == ViewModeTrack && trackView) {
      trackView->OnLButtonUp(flags, at.x(), at.y());
      Invalidate();
    } else if (viewMode == ViewModeEditor && audioEditor) {
      audioEditor->OnLButtonUp(flags, at.x(), at.y());
      Invalidate();
    }
  } else if (event->button() == Qt::RightButton) {
    Invalidate();
  }
}

void CProView::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  if (inputLocked == 1 || event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  const unsigned flags = MouseFlags(*event);
  if (viewMode == ViewModeTrack && trackView) trackView->OnLButtonDblClk(flags, at.x(), at.y());
  if (viewMode == ViewModeEditor && audioEditor) audioEditor->OnLButtonDblClk(flags, at.x(), at.y());
  Invalidate();
}

void CProView::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (inputLocked == 1) return;
  const QPoint at = event->position().toPoint();
  const unsigned flags = MouseFlags(*event);
  if (viewMode == ViewModeTrack && trackView) trackView->OnMouseMove(flags, at.x(), at.y());
  if (viewMode == ViewModeEditor && audioEditor) audioEditor->OnMouseMove(flags, at.x(), at.y());
}

void CProView::wheelEvent(QWheelEvent* event) {
  event->accept();
  OnWheel(event->angleDelta().y());
}

// One zoom step per notch: a wheel that reports parts of a notch adds them up
// first, so a touchpad's stream of small turns does not zoom at every event.
void CProView::OnWheel(int delta) {
  if (inputLocked == 1 || delta == 0) return;
  if ((wheelDelta_ > 0) != (delta > 0)) wheelDelta_ = 0;
  wheelDelta_ += delta;
  if (std::abs(wheelDelta_) < kWheelNotch) return;
  const bool in = wheelDelta_ > 0;
  wheelDelta_ = 0;
  if (viewMode == ViewModeTrack && trackView) in ? trackView->ZoomIn() : trackView->ZoomOut();
  if (viewMode == ViewModeEditor && audioEditor) in ? audioEditor->ZoomIn() : audioEditor->ZoomOut();
  Invalidate();
}

void CProView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  const QPoint at = event->globalPos();
  if (viewMode == ViewModeTrack && trackView) trackView->ShowContextMenu(at.x(), at.y());
  if (viewMode == ViewModeEditor && audioEditor) audioEditor->ShowContextMenu(at.x(), at.y());
}

// ---- Scroll bars, timers and commands: not held back while input is locked ----------

void CProView::OnHScroll(int code, int position) {
  if (viewMode == ViewModeTrack && trackView) trackView->OnHScroll(code, position);
  if (viewMode == ViewModeEditor && audioEditor) audioEditor->Scroll(code, position);
}

void CProView::OnVScroll(int code, int position) {
  if (viewMode == ViewModeTrack && trackView) trackView->OnVScroll(code, position);
  if (viewMode == ViewModeLoopBank && loopBank) loopBank->Scroll(code, position);
}

void CProView::OnTimer(int timerId) {
  if (viewMode == ViewModeEditor && timerId == kCursorTimer && audioEditor) audioEditor->OnCursorTimer();
  if (viewMode == ViewModeLoopBank && timerId == kPlayheadTimer && loopBank) loopBank->OnPlayheadTimer();
}

// Row controls arrive whatever the mode (only the shown editor's are visible)
// and while input is locked: mute, solo and a preview's Stop work during play,
// and the editors refuse what must wait.
void CProView::OnCommand(int id, int notification) {
  constexpr int kRowIdSpan = 10 * kRows;
  if (id >= kTrackRowIds && id < kTrackRowIds + kRowIdSpan) {
    if (!trackView) return;
    const int row = (id - kTrackRowIds) / 10;
    const int control = (id - kTrackRowIds) % 10;
    if (control == 0 && notification == view::kEditChange) trackView->OnTrackNameChanged(row);
    if (notification != view::kButtonClicked) return;
    if (control == 1) trackView->OnArmClicked(row);
    if (control == 2) trackView->OnMuteClicked(row);
    if (control == 3) trackView->OnSoloClicked(row);
    if (control == 4) trackView->OnTrackPropertiesClicked(row);
    return;
  }
  if (id >= kLoopRowIds && id < kLoopRowIds + kRowIdSpan) {
    if (!loopBank) return;
    const int row = (id - kLoopRowIds) / 10;
    const int control = (id - kLoopRowIds) % 10;
    if (control == 0 && notification == view::kEditChange) loopBank->OnLoopNameChanged(row);
    if (notification != view::kButtonClicked) return;
    if (control == 1) loopBank->OnPlayButton(row);
    if (control == 2) loopBank->OnEditClicked(row);
    if (control == 3) loopBank->OnLoopPropertiesClicked(row);
    return;
  }
  if (notification == view::kEditKillFocus && trackView) {
    if (id == kTempoEditId) trackView->OnTempoEdited();
    if (id == kPitchEditId) trackView->OnPitchEdited();
    return;
  }
  if (id < kEditorZoomInCommand || id > kEditorWholeAudioCommand || notification != view::kButtonClicked) return;
  // The Audio Editor's zoom commands, whatever the mode, as the mouse is held back.
  if (inputLocked == 1) return;
  if (audioEditor) {
    if (id == kEditorZoomInCommand) audioEditor->ZoomIn();
    if (id == kEditorZoomOutCommand) audioEditor->ZoomOut();
    if (id == kEditorWholeAudioCommand) audioEditor->ShowWholeAudio();
  }
  Invalidate();
}

void CProView::RouteScrollBar(QScrollBar* bar) {
  if (!bar) return;
  if (bar->parentWidget() != this) bar->setParent(this);
  connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
    const int code = ScrollCode(action);
    if (code < 0) return;
    bar->orientation() == Qt::Horizontal ? OnHScroll(code, bar->sliderPosition())
                                         : OnVScroll(code, bar->sliderPosition());
  });
  connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar] {
    bar->orientation() == Qt::Horizontal ? OnHScroll(view::kScrollThumbPosition, bar->sliderPosition())
                                         : OnVScroll(view::kScrollThumbPosition, bar->sliderPosition());
  });
}

void CProView::AdoptControl(QWidget* control, int id) {
  if (control->parentWidget() != this) control->setParent(this);
  control->setObjectName(QString::number(id));
  control->setProperty(kControlIdProperty, id);
}

// What the user types is a change; the text an editor puts in while drawing is not.
void CProView::RouteControl(QLineEdit* edit, int id) {
  if (!edit) return;
  AdoptControl(edit, id);
  edit->installEventFilter(this);
  connect(edit, &QLineEdit::textEdited, this, [this, id] { OnCommand(id, view::kEditChange); });
}

void CProView::RouteControl(QAbstractButton* button, int id) {
  if (!button) return;
  AdoptControl(button, id);
  connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id, view::kButtonClicked); });
}

bool CProView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    const QVariant id = watched->property(kControlIdProperty);
    if (id.isValid() && id.toInt() != appliedByEnter_) OnCommand(id.toInt(), view::kEditKillFocus);
  }
  return QWidget::eventFilter(watched, event);
}

int CProView::GetFocusedControlId() const {
  const QWidget* focus = QApplication::focusWidget();
  if (!focus || focus->parentWidget() != this) return 0;
  return focus->property(kControlIdProperty).toInt();
}

void CProView::OnEnterKey() {
  const int id = GetFocusedControlId();
  if (viewMode == ViewModeTrack && trackView && (id == kTempoEditId || id == kPitchEditId)) {
    // Set before applying: a refusal box takes the focus from the edit too.
    appliedByEnter_ = id;
    id == kTempoEditId ? trackView->OnTempoEdited() : trackView->OnPitchEdited();
  }
  IFrameView::OnEnterKey();
  appliedByEnter_ = 0;
}
