// A tool bar of our own: a row of items (buttons, separators, slots for child
// controls) laid out left to right, each button drawn as one cell of the bar's
// bitmap strips in the state it is in (disabled, pressed, hot, normal). What a
// button does and whether it is enabled comes from the command router.
//
// A button is its cell plus 7 pixels each way; a separator is 6 pixels wide
// unless the bar gives it a width; spacer ids and the slots of child controls
// become separators of the widths the bar gives.
//
// Threads: user-interface thread only.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "draw/Bitmap.h"

class CCommandRouter;
namespace draw {
class CCanvas;
}

class CSkinToolBar : public QWidget {
 public:
  static constexpr int kButtonPadding = 7;
  static constexpr int kSeparatorWidth = 6;
  static constexpr draw::COLORREF kGround = 0xFFFFFF;
  static constexpr draw::COLORREF kBorder = 0xD9D4CB;

  enum class Border { Top, Bottom };
  struct Strips {
    int normal = 0, hot = 0, pressed = 0, disabled = 0;
  };
  struct Item {
    int id = 0;
    bool separator = false;
    QRect rect;
  };

  // ids: the bar's items in order, 0 for a separator.
  CSkinToolBar(int resourceId, std::vector<int> ids, QSize cell, Border border, QWidget* parent);

  // Where the enabled states come from and where clicks go; null: every button disabled.
  void SetRouter(CCommandRouter* router);
  // Reads the enabled states again and repaints the buttons that changed.
  void UpdateButtons();

  int ResourceId() const { return resourceId_; }
  const std::vector<Item>& Items() const { return items_; }
  // The item of an id, or null.
  const Item* FindItem(int id) const;
  bool IsButtonEnabled(int id) const;
  int HotItemId() const { return hotId_; }
  int PressedItemId() const { return pressedId_; }
  QSize Cell() const { return cell_; }
  QSize sizeHint() const override;

  // The whole bar as it paints, into a bitmap of its size.
  void Render(draw::CBitmap& target) const;

 protected:
  // Layout, set by the bars before Layout(): spacers and control slots become
  // separators of these widths; skipped ids are not drawn as cells.
  void SetSeparator(int id, int width);
  void SetSkipped(std::set<int> ids);
  void SetStrips(Strips strips) { strips_ = strips; }
  // A bar of one plain bitmap (no state strips): disabled is drawn faded, hot framed.
  void SetPlainBitmap(int id) { plainBitmap_ = id; }
  void Layout();
  // What a bar draws before its buttons (labels), and after them (separator lines).
  virtual void RenderBackground(draw::CCanvas& canvas) const;
  virtual void RenderSeparator(draw::CCanvas& canvas, const Item& item) const;
  double Scale() const;

  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  const Item* ButtonAt(const QPoint& point) const;
  void SetHot(int id);
  void RenderButtons(draw::CCanvas& canvas) const;

  int resourceId_;
  std::vector<int> ids_;
  QSize cell_;
  Border border_;
  Strips strips_;
  int plainBitmap_ = 0;
  std::map<int, int> separatorWidths_;
  std::set<int> skipped_;
  std::vector<Item> items_;
  std::map<int, bool> enabled_;
  CCommandRouter* router_ = nullptr;
  int hotId_ = 0;
  int pressedId_ = 0;
  int width_ = 0;
  int height_ = 0;
};

// The status text and tool tip of a command id ("" for none), as the string table gives them.
std::string ToolTipText(int id);
