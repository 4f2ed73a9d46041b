#include "frame/ToolBarTrackLower.h"

#include <QResizeEvent>
#include <algorithm>
#include <cmath>

#include "controls/MyEdit.h"
#include "draw/Canvas.h"
#include "draw/Font.h"
#include "frame/PositionSlider.h"
#include "pro.h"
#include "skin/SkinFactory.h"

CMyToolBarTrackLower::CMyToolBarTrackLower(FrameContext& context, QWidget* parent)
    : CSkinToolBar(kResource,
                   {32879, 32971, kPositionBoxId, 32882, 32972, kLengthBoxId, 32970, 0, 32834, 32931, 32932, 32835,
                    32776, 0, kSliderId},
                   QSize(50, 26), Border::Top, parent),
      context_(context) {
  SetStrips({330, 331, 329, 335});
  for (int spacer : {32879, 32882, 32970}) SetSeparator(spacer, 5);
  SetSeparator(32971, 90);
  SetSeparator(32972, 70);
  SetSeparator(kPositionBoxId, 80);
  SetSeparator(kLengthBoxId, 80);
  SetSkipped({32879, kPositionBoxId, 32882, kLengthBoxId, 32970, 32971, 32972});
  Layout();
  setFont(draw::CFont::FromPointTenths("Arial Bold", 100).Get());
  positionBox = CMyEdit::MakeTimeBox(kPositionBoxId, this, QRect(100, 7, 76, 19));
  lengthBox = CMyEdit::MakeTimeBox(kLengthBoxId, this, QRect(255, 7, 76, 19));

  positionSlider = new CPositionSlider(kSliderId, this);
  const QRect slot = FindItem(kSliderId)->rect;
  positionSlider->setGeometry(slot.x(), slot.y() + (slot.height() - 20) / 2, 10, 20);
  positionSlider->SetScrollHandler([this](int code, int position) { OnHScroll(code, position); });
}

void CMyToolBarTrackLower::RenderBackground(draw::CCanvas& canvas) const {
  const double scale = canvas.Target().Scale();
  canvas.Blit(7, 12, 86, 11, CSkinFactory::Get(kPositionLabel, scale));
  canvas.Blit(200, 12, 49, 9, CSkinFactory::Get(kLengthLabel, scale));
}

void CMyToolBarTrackLower::resizeEvent(QResizeEvent* event) {
  CSkinToolBar::resizeEvent(event);
  const int width = event->size().width();
  if (width >= kSliderLeft + 1 && width != lastWidth_) {
    positionSlider->setGeometry(kSliderLeft, 3, std::max(width - kSliderLeft - kSliderRightMargin, 1), 25);
    lastWidth_ = static_cast<int16_t>(width);
  }
}

void CMyToolBarTrackLower::OnHScroll(int code, int position) {
  if (!CPositionSlider::MovesPosition(code)) return;
  CProApp* app = RequireApp(context_, "CMyToolBarTrackLower::OnHScroll");
  if (!app) return;
  // The play cursor at the fraction of the project, rounded to a frame, as the transport sets it.
  const double fraction = position / 1000.0;
  app->playCursor = static_cast<uint32_t>(std::trunc(fraction * app->project.projectEnd + 0.5));
  app->ShowPosition(app->playCursor);
  if (context_.view) context_.view->RefreshTrackingBar();
}
