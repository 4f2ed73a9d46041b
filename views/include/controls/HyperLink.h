// A label that is a link: its text in link colours (hover, visited), underlined,
// a hand over it, its target as its tooltip, opened in the desktop's browser or
// mail program when clicked. A target that is neither a web nor a mail address
// is a page in the program folder.
//
// User-interface thread only.
#pragma once

#include <QLabel>
#include <QString>
#include <QUrl>
#include <functional>

#include "draw/Colour.h"

class CHyperLink : public QLabel {
  Q_OBJECT

 public:
  static constexpr draw::COLORREF kLinkColour = 0xEE0000;     // blue 238
  static constexpr draw::COLORREF kVisitedColour = 0x8B1A55;  // a deep violet
  // Above this the target was opened, as the shell counts.
  static constexpr int kOpened = 33;

  // The target starts as the text; a link without text shows its target.
  explicit CHyperLink(const QString& text = QString(), QWidget* parent = nullptr);

  void SetURL(const QString& url);
  const QString& GetURL() const { return url_; }
  void SetUnderline(int underline);
  int GetUnderline() const { return underline_; }
  void SetVisited(int visited);
  int GetVisited() const { return visited_; }
  bool IsHovering() const { return hovering_ != 0; }
  // The colour the text is drawn in now.
  draw::COLORREF TextColour() const;
  draw::COLORREF HoverColour() const { return hoverColour_; }

  // Opens the target; above 32 when it opened, else the code of what went wrong:
  // 2 a page of the program folder that does not exist, 31 nothing to open it with.
  static int GotoURL(const QString& url, int showCommand = 0);
  // What a target opens: web and mail addresses as they are, anything else as a
  // file of the program folder.
  static QUrl TargetOf(const QString& url);
  // "Unable to open hyperlink:\n\n" and the text for a result of GotoURL.
  static QString FailureText(int result);

  // How links open and tell a failure (tests put their own in; nullptr restores).
  using Opener = std::function<bool(const QUrl&)>;
  using FailureNotice = std::function<void(QWidget* link, const QString& text)>;
  static void SetOpener(Opener opener);
  static void SetFailureNotice(FailureNotice notice);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void OnClicked();
  void ApplyColour();
  void PositionWindow();

  draw::COLORREF hoverColour_;
  int hovering_ = 0;
  int visited_ = 0;
  int underline_ = 1;
  int adjustToFit_ = 1;
  bool pressed_ = false;
  QString url_;
};
