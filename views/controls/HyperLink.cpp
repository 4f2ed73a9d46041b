#include "controls/HyperLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>

#include "Folders.h"

namespace {

CHyperLink::Opener& OpenerHook() {
  static CHyperLink::Opener opener;
  return opener;
}

CHyperLink::FailureNotice& NoticeHook() {
  static CHyperLink::FailureNotice notice;
  return notice;
}

const char* ResultText(int result) {
  switch (result) {
    case 0: return "The operating system is out\nof memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 5: return "The operating system denied\naccess to the specified file.";
    case 8: return "There was not enough memory to complete the operation.";
    case 11: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26: return "A sharing violation occurred. ";
    case 27: return "The filename association is\nincomplete or invalid.";
    case 28: return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29: return "The DDE transaction failed.";
    case 30: return "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
    case 31: return "There is no application associated\nwith the given filename extension.";
    case 32: return "The specified dynamic-link library was not found.";
    default: return nullptr;
  }
}

}  // namespace

CHyperLink::CHyperLink(const QString& text, QWidget* parent)
    : QLabel(text, parent), hoverColour_(draw::FromQColor(QApplication::palette().color(QPalette::Highlight))) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setTextFormat(Qt::PlainText);
  setAutoFillBackground(false);  // the parent's ground shows through
  setCursor(Qt::PointingHandCursor);
  url_ = text;
  SetUnderline(underline_);
  ApplyColour();
  PositionWindow();
  setToolTip(url_);
}

void CHyperLink::SetURL(const QString& url) {
  url_ = url;
  if (text().isEmpty()) setText(url);
  PositionWindow();
  setToolTip(url_);
}

void CHyperLink::SetUnderline(int underline) {
  underline_ = underline;
  QFont linkFont = font();
  linkFont.setUnderline(underline != 0);
  setFont(linkFont);
  update();
}

void CHyperLink::SetVisited(int visited) {
  visited_ = visited;
  ApplyColour();
}

draw::COLORREF CHyperLink::TextColour() const {
  return hovering_ ? hoverColour_ : visited_ ? kVisitedColour : kLinkColour;
}

void CHyperLink::ApplyColour() {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, draw::ToQColor(TextColour()));
  setPalette(colours);
  update();
}

void CHyperLink::PositionWindow() {
  if (!adjustToFit_) return;
  const QSize extent = fontMetrics().size(Qt::TextSingleLine, text().isEmpty() ? QStringLiteral(" ") : text());
  QRect place = geometry();
  const Qt::Alignment align = alignment();
  if (align & Qt::AlignVCenter) {
    place.setTop(place.top() + (place.height() - extent.height()) / 2);
  }
  place.setHeight(extent.height());
  if (align & Qt::AlignHCenter) {
    place.setLeft(place.left() + (place.width() - extent.width()) / 2);
    place.setWidth(extent.width());
  } else if (align & Qt::AlignRight) {
    place.setLeft(place.right() + 1 - extent.width());
  } else {
    place.setWidth(extent.width());
  }
  setGeometry(place);
}

void CHyperLink::enterEvent(QEnterEvent* event) {
  hovering_ = 1;
  ApplyColour();
  QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
  hovering_ = 0;
  ApplyColour();
  QLabel::leaveEvent(event);
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  if (click) OnClicked();
}

void CHyperLink::OnClicked() {
  const int result = GotoURL(url_, 0);
  visited_ = result > 32 ? 1 : 0;
  if (visited_) {
    SetVisited(1);
    return;
  }
  ApplyColour();
  QApplication::beep();
  const QString text = FailureText(result);
  if (NoticeHook()) {
    NoticeHook()(this, text);
  } else {
    QMessageBox::warning(window(), QApplication::applicationName(), text);
  }
}

QUrl CHyperLink::TargetOf(const QString& url) {
  if (url.startsWith(QLatin1String("http")) || url.startsWith(QLatin1String("mail"))) return QUrl(url);
  // A page given by its whole address (the manual the program ships) opens as it is.
  if (url.startsWith(QLatin1String("file:"))) return QUrl(url);
  return QUrl::fromLocalFile(QString::fromStdString(platform::ProgramFolder()) + QLatin1Char('/') + url);
}

int CHyperLink::GotoURL(const QString& url, int) {
  const QUrl target = TargetOf(url);
  if (target.isLocalFile() && !QFileInfo::exists(target.toLocalFile())) return 2;
  const bool opened = OpenerHook() ? OpenerHook()(target) : QDesktopServices::openUrl(target);
  return opened ? kOpened : 31;
}

QString CHyperLink::FailureText(int result) {
  const char* text = ResultText(result);
  const QString reason = text ? QString::fromLatin1(text) : QStringLiteral("Unknown Error (%1) occurred.").arg(result);
  return QStringLiteral("Unable to open hyperlink:\n\n") + reason;
}

void CHyperLink::SetOpener(Opener opener) { OpenerHook() = std::move(opener); }

void CHyperLink::SetFailureNotice(FailureNotice notice) { NoticeHook() = std::move(notice); }
