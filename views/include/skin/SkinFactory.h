// Every bitmap of the skin, drawn by our own code at the size the views pin
// for it, in one flat look (see SkinPalette.h), at the screen's device pixel
// ratio. Bitmaps are drawn on first use and kept for the run.
//
// User-interface thread only.
#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <vector>

#include "draw/Bitmap.h"
#include "skin/SkinIds.h"

class CSkinFactory {
 public:
  // The bitmap of an id (SkinIds.h); a null bitmap for an id the skin does not have.
  static const draw::CBitmap& Get(int id, double scale = 1.0);
  // The logical size of an id's bitmap; empty for an unknown id.
  static QSize Size(int id);
  static std::vector<int> Ids();

  // The progress bar's built-in skin drawn for a bar of the given thickness: nine
  // pieces side by side, the mask colour 0xFFFF00 where the bar shows through.
  static draw::CBitmap ProgressSkin(int thickness, double scale);

  static QImage ProgramIconImage(int pixels);
  static QIcon ProgramIcon();
};
