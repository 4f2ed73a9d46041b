// How the skin factory knows its bitmaps: each part of the skin lists its
// bitmaps with their pinned sizes and the code that draws them.
#pragma once

#include <QImage>
#include <functional>
#include <vector>

#include "skin/SkinArt.h"

namespace skin {

struct SkinEntry {
  int id = 0;
  int width = 0;
  int height = 0;
  bool alpha = false;  // drawn on a transparent ground
  std::function<void(CArt&)> draw;
};

// The four looks of a button.
enum class CellState { Normal, Hot, Pressed, Disabled };

std::vector<SkinEntry> ToolbarSkins();
std::vector<SkinEntry> ButtonSkins();
std::vector<SkinEntry> ViewSkins();
std::vector<SkinEntry> TrackViewSkins();
std::vector<SkinEntry> LoopBankSkins();
std::vector<SkinEntry> EditorSkins();
std::vector<SkinEntry> PictureSkins();

draw::CBitmap DrawProgressSkin(int thickness, double scale);
QImage DrawProgramIcon(int pixels);

// Shared by the track and loop headers and the notice pictures: a header card
// of 189 x 43 with a caption ("Track", "Loop") left of where the number goes.
void DrawHeaderCard(CArt& art, int x, int y, const QString& caption, int captionWidth);

}  // namespace skin
