#include "frame/ToolBarEditorLower.h"

#include <QResizeEvent>
#include <algorithm>
#include <QSignalBlocker>
#include <cmath>

#include "Generic.h"
#include "controls/MyEdit.h"
#include "draw/Canvas.h"
#include "draw/Font.h"
#include "frame/PositionSlider.h"
#include "pro.h"
#include "skin/SkinFactory.h"

CMyToolBarEditorLower::CMyToolBarEditorLower(FrameContext& context, QWidget* parent)
    : CSkinToolBar(kResource,
                   {32977, 32978, kStartBoxId, 32980, kEndBoxId, 32982, kSizeBoxId, 32986, 32987, 32988, 32989, 32990,
                    32991},
                   QSize(50, 26), Border::Top, parent),
      context_(context) {
  SetStrips({348, 354, 355, 353});
  for (int spacer : {32977, 32978, 32980, 32982}) SetSeparator(spacer, 5);
  for (int box : {kStartBoxId, kEndBoxId, kSizeBoxId}) SetSeparator(box, 80);
  SetSkipped({32977, 32978, kStartBoxId, 32980, kEndBoxId, 32982, kSizeBoxId});
  Layout();
  setFont(draw::CFont::FromPointTenths("Arial Bold", 100).Get());
  startBox = CMyEdit::MakeTimeBox(kStartBoxId, this, QRect(5, 14, 76, 18));
  endBox = CMyEdit::MakeTimeBox(kEndBoxId, this, QRect(90, 14, 76, 18));
  sizeBox = CMyEdit::MakeTimeBox(kSizeBoxId, this, QRect(175, 14, 76, 18));

  positionSlider = new CPositionSlider(kSliderId, this);
  positionSlider->setGeometry(kSliderLeft, 3, 160, 20);
  positionSlider->SetScrollHandler([this](int code, int position) { OnHScroll(code, position); });
}

CMyEdit* CMyToolBarEditorLower::Box(int id) const {
  switch (id) {
    case kStartBoxId: return startBox;
    case kEndBoxId: return endBox;
    case kSizeBoxId: return sizeBox;
    default: return nullptr;
  }
}

void CMyToolBarEditorLower::SetTimeText(int id, int frames) {
  char text[64];
  FormatSamplesAsTime(static_cast<uint32_t>(frames), 44100, text);
  SetText(id, text);
}

void CMyToolBarEditorLower::SetText(int id, const std::string& text) {
  if (CMyEdit* box = Box(id)) box->setText(QString::fromStdString(text));
}

void CMyToolBarEditorLower::UpdatePositionSlider() {
  CProApp* app = RequireApp(context_, "CMyToolBarEditorLower::OnHScroll");
  if (!app) return;
  const CAudioSegment* segment = app->editorSegment.get();
  int position = 0;
  if (segment && segment->length > 0) {
    position = static_cast<int>(std::trunc(static_cast<double>(segment->trackerStart) / segment->length * 1000.0));
  }
  positionSlider->setValue(position);
  positionSlider->update();
}

void CMyToolBarEditorLower::RenderBackground(draw::CCanvas& canvas) const {
  canvas.Blit(8, 1, 237, 12, CSkinFactory::Get(kLabels, canvas.Target().Scale()));
}

void CMyToolBarEditorLower::resizeEvent(QResizeEvent* event) {
  CSkinToolBar::resizeEvent(event);
  const int width = event->size().width();
  if (width > kSliderLeft) {
    positionSlider->setGeometry(kSliderLeft, 3, std::max(width - kSliderLeft - kSliderRightMargin, 1), 25);
  }
}

void CMyToolBarEditorLower::OnHScroll(int code, int position) {
  CProApp* app = RequireApp(context_, "CMyToolBarEditorLower::OnHScroll");
  if (!app) return;
  CAudioSegment* segment = app->editorSegment.get();
  if (!segment || segment->length == 0) {
    // Nothing to move through: the thumb goes back to the start once the move is done.
    positionSlider->setSliderPosition(0);
    return;
  }
  if (!CPositionSlider::MovesPosition(code)) return;
  const uint32_t frame =
      static_cast<uint32_t>(std::trunc(static_cast<double>(position) * segment->length / 1000.0));
  segment->trackerStart = frame;
  segment->trackerEnd = frame;
  if (context_.view) {
    context_.view->AudioEditorTrackerMoved();
    context_.view->Invalidate(false);
  }
}
