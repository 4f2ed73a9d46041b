#include "frame/FrameView.h"

#include <QPaintEvent>
#include <QPainter>

#include "AboutInfo.h"
#include "draw/Colour.h"

void IFrameView::OnEnterKey() {
  QWidget* widget = Widget();
  if (!widget) return;
  const QList<QWidget*> children = widget->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  (children.isEmpty() ? widget : children.front())->setFocus();
}

CEmptyView::CEmptyView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setObjectName(QStringLiteral("view"));
}

void CEmptyView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), draw::ToQColor(kGround));
}

std::string AppMissingText(const char* where) {
  return std::string("Pointer to app is NULL in ") + where +
         ".\n\nPlease report this error to " + AboutInfo::kSupportAddress + ".";
}

CProApp* RequireApp(FrameContext& context, const char* where) {
  if (!context.app) context.ui.MessageBox(AppMissingText(where), ui::Icon::Error);
  return context.app;
}
