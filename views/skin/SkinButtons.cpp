// The skinned buttons of the editors' corners, 17 x 18 each: "+" (fewer rows,
// zoom in), "-" (more rows, zoom out) and the whole project or audio.
#include "skin/SkinEntries.h"
#include "skin/SkinIds.h"
#include "skin/SkinPalette.h"

namespace skin {

namespace {

enum class Sign { Plus, Minus, Whole };

void DrawButton(CArt& art, Sign sign, CellState state) {
  const bool pressed = state == CellState::Pressed;
  const draw::COLORREF ground = pressed ? kAccent : state == CellState::Hot ? kHotGround : kWhite;
  const draw::COLORREF border = state == CellState::Normal ? kFrame : kAccent;
  const draw::COLORREF ink = pressed ? kWhite : state == CellState::Hot ? kAccent : kGlyph;
  art.Panel(0, 0, 17, 18, ground, border, kEditorGround);
  // The sign sits on whole pixels around the centre column 8 and row 8.
  switch (sign) {
    case Sign::Plus:
      art.HLine(4, 8, 9, ink);
      art.VLine(8, 4, 9, ink);
      break;
    case Sign::Minus:
      art.HLine(4, 8, 9, ink);
      break;
    case Sign::Whole:
      // Two stops with an arrow between them: all of it in view.
      art.VLine(3, 4, 9, ink);
      art.VLine(13, 4, 9, ink);
      art.HLine(5, 8, 7, ink);
      for (const int side : {-1, 1}) {
        const int tip = 8 + side * 3;
        art.Pixel(tip - side, 7, ink);
        art.Pixel(tip - side, 9, ink);
        art.Pixel(tip - 2 * side, 6, ink);
        art.Pixel(tip - 2 * side, 10, ink);
      }
      break;
  }
}

SkinEntry Button(int id, Sign sign, CellState state) {
  return {id, 17, 18, false, [=](CArt& art) { DrawButton(art, sign, state); }};
}

}  // namespace

std::vector<SkinEntry> ButtonSkins() {
  return {
      Button(kPlusNormal, Sign::Plus, CellState::Normal),     Button(kPlusHot, Sign::Plus, CellState::Hot),
      Button(kPlusPressed, Sign::Plus, CellState::Pressed),   Button(kMinusNormal, Sign::Minus, CellState::Normal),
      Button(kMinusHot, Sign::Minus, CellState::Hot),         Button(kMinusPressed, Sign::Minus, CellState::Pressed),
      Button(kWholeNormal, Sign::Whole, CellState::Normal),   Button(kWholeHot, Sign::Whole, CellState::Hot),
      Button(kWholePressed, Sign::Whole, CellState::Pressed),
  };
}

}  // namespace skin
