#include "frame/LoopToolBar.h"

CLoopToolBar::CLoopToolBar(QWidget* parent) : CSkinToolBar(kResource, {kButton}, QSize(59, 21), Border::Top, parent) {
  SetPlainBitmap(kResource);
  Layout();
}
