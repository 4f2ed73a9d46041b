#include "frame/ToolBarUpper.h"

#include "draw/Canvas.h"
#include "draw/Font.h"
#include "skin/SkinFactory.h"

CMyToolBarUpper::CMyToolBarUpper(QWidget* parent)
    : CSkinToolBar(kResource, {32879, 32969, 32924, 32923, 0, 32838, 32837, 32836, 32801, 0, 32779, 32780, 0, 32913, 32921},
                   QSize(65, 31), Border::Bottom, parent) {
  SetStrips({319, 324, 322, 323});
  SetSeparator(32879, 10);
  SetSkipped({32879});
  Layout();
  setFont(draw::CFont::FromPointTenths("Arial Bold", 100).Get());
}

void CMyToolBarUpper::RenderSeparator(draw::CCanvas& canvas, const Item& item) const {
  const draw::CBitmap& line = CSkinFactory::Get(kSeparatorLine, canvas.Target().Scale());
  canvas.Blit(item.rect.left() + 2, item.rect.top() + 2, line);
}
