// The skin's symbols, drawn in a 16 x 16 box (scaled with the box) in two
// colours: ink for the shape, accent for the part that says what it does.
#pragma once

#include <QRectF>

#include "draw/Colour.h"
#include "skin/SkinArt.h"

namespace skin {

enum class Glyph {
  New,
  Open,
  Save,
  Cut,
  Copy,
  Paste,
  Delete,
  Undo,
  Redo,
  Properties,
  Help,
  Play,
  PlayLoop,
  Rewind,
  FastForward,
  Stop,
  Record,
  Loop,
};

void DrawGlyph(CArt& art, Glyph glyph, const QRectF& box, draw::COLORREF ink, draw::COLORREF accent);

}  // namespace skin
