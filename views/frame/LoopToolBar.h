// The Loop Bank's lower tool bar: a plain bar with its one button.
#pragma once

#include "frame/SkinToolBar.h"

class CLoopToolBar final : public CSkinToolBar {
 public:
  static constexpr int kResource = 280;
  static constexpr int kButton = 32922;
  explicit CLoopToolBar(QWidget* parent = nullptr);
};
