// The upper tool bar: project files, the clipboard, undo and redo, project
// properties and help, drawn from its four strips with a thin line in each
// separator.
#pragma once

#include "frame/SkinToolBar.h"

class CMyToolBarUpper final : public CSkinToolBar {
 public:
  static constexpr int kResource = 128;
  static constexpr int kSeparatorLine = 321;

  explicit CMyToolBarUpper(QWidget* parent = nullptr);

 protected:
  void RenderSeparator(draw::CCanvas& canvas, const Item& item) const override;
};
