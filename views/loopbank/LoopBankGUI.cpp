#include "loopbank/LoopBankGUI.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

#include "AudioLoop.h"
#include "AudioLoopList.h"
#include "Generic.h"
#include "Messages.h"
#include "TrackViewCallbacks.h"
#include "controls/MyButton.h"
#include "pro.h"
#include "skin/SkinIds.h"
#include "view/ProView.h"

namespace {

constexpr const char* kSource = "LoopBankGUI";
constexpr const char* kDuringPlaybackText = "Sorry, cannot perform this operation during playback.";
constexpr int kLineHideRow = 1238;
constexpr int kLineNoPropertiesCallback = 1640;
constexpr int kLinePlayRow = 1681;  // also any row command on a row without a loop
constexpr int kLinePlayButton = 1717;
constexpr int kLineNoLoopList = 614;
// Controls come only with an area at least this large.
constexpr int kMinControlsArea = 200;
// Where the row controls sit over a row's header card, in the view.
constexpr int kNameX = 65, kNameRight = 190, kNameY = 33, kNameHeight = 17;
constexpr int kButtonXs[4] = {0, 15, 76, 137};
constexpr int kButtonY = 53, kButtonWidth = 59, kButtonHeight = 19;
constexpr const char* kButtonTexts[4] = {"", CLoopBankGUI::kPlayText, "Edit", "Props"};

}  // namespace

CLoopBankGUI::CLoopBankGUI(CProApp* app)
    : app_(app), rowFont(draw::CFont::FromPointTenths("Tohama", 85)) {
  if (app_) {
    loopList = &app_->loopBank;
    millisecondsPlayed = [app] { return app->devices.GetMillisecondsPlayed(); };
    loopPropertiesCallback = [app](int loopNumber) { LoopPropertiesCallback(*app, loopNumber); };
  }
}

// The controls are the view's children; they go with the editor, not later.
CLoopBankGUI::~CLoopBankGUI() {
  for (RowControls& row : rowControls) {
    delete row.name.data();
    for (QPointer<QPushButton>& button : row.buttons) delete button.data();
  }
  delete vScrollBar.data();
  delete fewerRowsButton.data();
  delete moreRowsButton.data();
}

void CLoopBankGUI::AttachView(CProView& view) { ownerView = &view; }

bool CLoopBankGUI::ShowsLoopBank() const { return ownerView && ownerView->GetViewMode() == ViewModeLoopBank; }

void CLoopBankGUI::Layout(const view::EditorArea& area) {
  SetArea(area.x, area.y, area.width, area.height);
  CreateBackBuffer();
}

void CLoopBankGUI::SetArea(int x, int y, int width, int height) {
  areaX = x;
  areaY = y;
  areaWidth = static_cast<int16_t>(std::clamp(width, 0, 32767));
  areaHeight = static_cast<int16_t>(std::clamp(height, 0, 32767));
  const int w = areaWidth, h = areaHeight;
  headerRect = {5, 4, 194, h};
  laneRect = {199, 4, w - 25, h};
  laneWidth = w - 224;
  pitch = visibleRows > 0 && loopList ? (h - 4) / visibleRows : 0;
  boxHeight = pitch - 4;
  scrollBarRect = {w - 18, 4, w, h - 36};
  fewerRowsRect = {w - 18, h - 34, w - 2, h - 17};
  moreRowsRect = {w - 18, h - 15, w - 2, h + 2};
  CreateControls();
  if (ShowsLoopBank()) PlaceControls();
}

void CLoopBankGUI::CreateControls() {
  if (controlsCreated || !ownerView || areaWidth < kMinControlsArea || areaHeight < kMinControlsArea) return;
  for (int i = 0; i < kRows; ++i) {
    const int base = kRowIds + 10 * i;
    RowControls& row = rowControls[i];
    row.name = new QLineEdit(ownerView);
    row.name->setFont(rowFont.Get());
    row.name->setMaxLength(static_cast<int>(CAudioLoop::kMaxTitleBytes));
    row.name->hide();
    ownerView->RouteControl(row.name.data(), base);
    for (int k = kPlay; k <= kProps; ++k) {
      auto* button = new QPushButton(QString::fromUtf8(kButtonTexts[k]), ownerView);
      button->setCheckable(true);
      button->setFocusPolicy(Qt::NoFocus);
      button->setFont(rowFont.Get());
      button->hide();
      row.buttons[k] = button;
      ownerView->RouteControl(button, base + k);
    }
  }
  vScrollBar = new QScrollBar(Qt::Vertical, ownerView);
  vScrollBar->setObjectName(QString::number(kScrollBarId));
  vScrollBar->hide();
  ownerView->RouteScrollBar(vScrollBar.data());
  fewerRowsButton = new CMyButton(kFewerRowsMessage, skin::kPlusNormal, skin::kPlusHot, skin::kPlusPressed, ownerView);
  moreRowsButton = new CMyButton(kMoreRowsMessage, skin::kMinusNormal, skin::kMinusHot, skin::kMinusPressed, ownerView);
  fewerRowsButton->setObjectName(QString::number(kFewerRowsWindowId));
  moreRowsButton->setObjectName(QString::number(kMoreRowsWindowId));
  fewerRowsButton->hide();
  moreRowsButton->hide();
  controlsCreated = 1;
}

void CLoopBankGUI::PlaceControls() {
  if (!controlsCreated) return;
  const int w = areaWidth, h = areaHeight;
  for (int r = 0; r < kRows; ++r) {
    RowControls& row = rowControls[r];
    if (!row.name) continue;
    const bool shown = r < visibleRows;
    row.name->setGeometry(kNameX, kNameY + r * pitch, kNameRight - kNameX, kNameHeight);
    row.name->setVisible(shown);
    for (int k = kPlay; k <= kProps; ++k) {
      if (!row.buttons[k]) continue;
      row.buttons[k]->setGeometry(kButtonXs[k], kButtonY + r * pitch, kButtonWidth, kButtonHeight);
      row.buttons[k]->setVisible(shown);
    }
  }
  const draw::Rect bar = scrollBarRect.Offset(5, 24);
  vScrollBar->setGeometry(bar.ToQRect());
  vScrollBar->show();
  fewerRowsButton->setGeometry(w - 12, h - 10, 17, 18);
  moreRowsButton->setGeometry(w - 12, h + 8, 17, 18);
  fewerRowsButton->show();
  moreRowsButton->show();
  UpdateScrollBar();
  if (ownerView) ownerView->update();
}

void CLoopBankGUI::HideControls() {
  if (vScrollBar) vScrollBar->hide();
  for (RowControls& row : rowControls) {
    if (!row.name) {
      if (controlsCreated) ReportError(kSource, kLineHideRow, "");
      continue;
    }
    row.name->hide();
    for (int k = kPlay; k <= kProps; ++k) {
      if (row.buttons[k]) row.buttons[k]->hide();
    }
  }
  if (fewerRowsButton) fewerRowsButton->hide();
  if (moreRowsButton) moreRowsButton->hide();
}

QLineEdit* CLoopBankGUI::NameEdit(int row) const {
  return row >= 0 && row < kRows ? rowControls[row].name.data() : nullptr;
}

QPushButton* CLoopBankGUI::RowButton(int row, int control) const {
  if (row < 0 || row >= kRows || control < kPlay || control > kProps) return nullptr;
  return rowControls[row].buttons[control].data();
}

QScrollBar* CLoopBankGUI::VScrollBar() const { return vScrollBar.data(); }
CMyButton* CLoopBankGUI::FewerRowsButton() const { return fewerRowsButton.data(); }
CMyButton* CLoopBankGUI::MoreRowsButton() const { return moreRowsButton.data(); }

void CLoopBankGUI::InvalidateView() {
  if (ownerView) ownerView->Invalidate(true);
}

void CLoopBankGUI::SelectLoop(int loopNumber) {
  if (loopList) loopList->SelectLoop(loopNumber);
}

std::shared_ptr<CAudioLoop> CLoopBankGUI::LoopOfRow(int row, int line) const {
  std::shared_ptr<CAudioLoop> loop;
  if (!loopList || row < 0 || row >= std::min<int>(visibleRows, kRows) ||
      loopList->FindLoop(firstRow + row, &loop) != 1 || !loop) {
    ReportError(kSource, line, "");
    return nullptr;
  }
  return loop;
}

// ---- Clicks ---------------------------------------------------------------------

void CLoopBankGUI::OnLButtonDown(unsigned, int x, int y) {
  if (!loopList) {
    ReportError(kSource, kLineNoLoopList, "");
    return;
  }
  const draw::Point at{x - areaX, y - areaY};
  const auto inside = [&at](const draw::Rect& r) {
    return r.left <= at.x && at.x < r.right && r.top <= at.y && at.y < r.bottom;
  };
  if (inside(headerRect) || inside(laneRect)) {
    // A pitch of 0 (no rows) names no row; nor does a point below the last loop.
    if (pitch <= 0) return;
    const int row = at.y / pitch;
    const int loopNumber = firstRow + row;
    if (row >= visibleRows || loopNumber > lastRow || loopNumber >= loopList->GetCount()) return;
    if (loopNumber == loopList->GetSelectedLoopNumber()) return;
    SelectLoop(loopNumber);
  } else if (inside(fewerRowsRect) || inside(moreRowsRect)) {
    if (app_ && app_->playing.load() == 1) {
      app_->services.ui.Inform(kDuringPlaybackText);
      return;
    }
    inside(fewerRowsRect) ? FewerRows() : MoreRows();
  } else {
    return;
  }
  RefreshView(0);
}

// ---- Row commands ------------------------------------------------------------------

void CLoopBankGUI::OnLoopNameChanged(int row) {
  QLineEdit* edit = NameEdit(row);
  const std::shared_ptr<CAudioLoop> loop = edit ? LoopOfRow(row, kLinePlayRow) : nullptr;
  if (!loop) return;
  // The loop keeps at most its title's room; the edit shows what it kept.
  loop->SetTitle(edit->text().toStdString());
  const QString kept = QString::fromStdString(loop->GetTitle());
  if (kept != edit->text()) edit->setText(kept);
}

void CLoopBankGUI::OnPlayButton(int row) {
  QPushButton* button = RowButton(row, kPlay);
  if (!button) {
    ReportError(kSource, row < 0 || row >= kRows ? kLinePlayRow : kLinePlayButton, "");
    return;
  }
  button->setChecked(false);
  const bool play = button->text() == QLatin1String(kPlayText);
  if (play && app_ && app_->playing.load() == 1) return;
  const std::shared_ptr<CAudioLoop> loop = LoopOfRow(row, kLinePlayRow);
  if (!loop) return;
  SelectLoop(firstRow + row);
  previewLoop = static_cast<int16_t>(firstRow + row);
  RefreshView(0);
  InvalidateView();
  button->setText(QString::fromUtf8(play ? kStopText : kPlayText));
  if (app_) app_->services.thread.Post(play ? msg::kPlayLoopPreview : msg::kStopLoopPreview);
}

void CLoopBankGUI::OnEditClicked(int row) {
  if (QPushButton* button = RowButton(row, kEdit)) button->setChecked(false);
  if (!LoopOfRow(row, kLinePlayRow)) return;
  SelectLoop(firstRow + row);
  if (app_) app_->OnEditLoopAudio();
}

void CLoopBankGUI::OnLoopPropertiesClicked(int row) {
  QPushButton* button = RowButton(row, kProps);
  if (!loopPropertiesCallback) {
    ReportError(kSource, kLineNoPropertiesCallback, "");
    return;
  }
  if (app_ && app_->playing.load() == 1) {
    // The click checked it; a refused click leaves it as it was.
    if (button) button->setChecked(!button->isChecked());
    app_->services.ui.Inform(kDuringPlaybackText);
    return;
  }
  if (button) button->setChecked(false);
  if (!LoopOfRow(row, kLinePlayRow)) return;
  loopPropertiesCallback(firstRow + row);
}

void CLoopBankGUI::ResetPlayButton() {
  if (!loopList) return;
  const int selected = loopList->GetSelectedLoopNumber();
  if (!IsRowVisible(selected)) return;
  if (QPushButton* button = RowButton(selected - firstRow, kPlay)) button->setText(QString::fromUtf8(kPlayText));
}

bool CLoopBankGUI::IsRowVisible(int loopNumber) const {
  return visibleRows > 0 && loopNumber >= firstRow && loopNumber <= lastRow && loopNumber - firstRow < kRows;
}

void CLoopBankGUI::PressPlayButton(int loopNumber) {
  if (IsRowVisible(loopNumber)) OnPlayButton(loopNumber - firstRow);
}

// ---- Preview playhead -----------------------------------------------------------------

void CLoopBankGUI::StartPlayhead() {
  playheadX = kNoPlayhead;
  if (vScrollBar) vScrollBar->setEnabled(false);
  if (ownerView) ownerView->SetTimer(CProView::kPlayheadTimer, kPlayheadMs);
  InvalidateView();
}

void CLoopBankGUI::StopPlayhead() {
  if (ownerView) ownerView->KillTimer(CProView::kPlayheadTimer);
  if (vScrollBar) vScrollBar->setEnabled(true);
  RefreshView(0);
  InvalidateView();
}

void CLoopBankGUI::InvertPlayhead(draw::CCanvas& dc) {
  const int rowTop = 4 + (previewLoop - firstRow) * pitch;
  dc.InvertRect(draw::Rect::FromSize(playheadX, rowTop, 1, boxHeight));
}

void CLoopBankGUI::OnPlayheadTimer() {
  if (!IsRowVisible(previewLoop) || !loopList || backBitmap.IsNull()) return;
  std::shared_ptr<CAudioLoop> loop;
  if (loopList->FindLoop(previewLoop, &loop) != 1 || !loop || !loop->Segment()) return;
  const uint32_t ms = millisecondsPlayed ? millisecondsPlayed() : 0;
  const uint32_t start = app_ ? app_->editorPlayStart : 0;
  // In wide arithmetic: frames past 2^32 or a column past 16 bits must not wrap into the lane.
  const int64_t frame = static_cast<int64_t>(static_cast<double>(ms) * 44.1) + start;
  const int64_t length = loop->Segment()->length;
  draw::CCanvas dc(backBitmap);
  if (playheadX != kNoPlayhead) InvertPlayhead(dc);
  playheadX = kNoPlayhead;
  if (frame > 0 && frame < length && laneWidth > 0) {
    const int64_t x = 199 + static_cast<int64_t>(static_cast<double>(frame) / static_cast<double>(length) * laneWidth);
    if (x >= 199 && x < 199 + laneWidth) {
      playheadX = static_cast<int16_t>(x);
      InvertPlayhead(dc);
    }
  }
  InvalidateView();
}

// ---- The view's scroll bar --------------------------------------------------------

void CLoopBankGUI::UpdateScrollBar() {
  if (!vScrollBar || !loopList) return;
  const int loops = loopList->GetCount();
  // Qt's range leaves out the page: its maximum is the last first row.
  vScrollBar->setRange(0, std::max(0, loops - std::max<int>(visibleRows, 1)));
  vScrollBar->setPageStep(std::max<int>(visibleRows, 1));
  vScrollBar->setValue(firstRow);
}
