// The toolbars' strips, labels and separator.
#include <QString>

#include "skin/Glyphs.h"
#include "skin/SkinEntries.h"
#include "skin/SkinIds.h"
#include "skin/SkinPalette.h"

namespace skin {

namespace {

struct Cell {
  Glyph glyph;
  const char* caption;  // nullptr: the glyph alone
};

// In the order of the bars' buttons.
constexpr Cell kUpperCellsArt[kUpperCells] = {
    {Glyph::New, "New"},     {Glyph::Open, "Open"},   {Glyph::Save, "Save"},       {Glyph::Cut, "Cut"},
    {Glyph::Copy, "Copy"},   {Glyph::Paste, "Paste"}, {Glyph::Delete, "Delete"},   {Glyph::Undo, "Undo"},
    {Glyph::Redo, "Redo"},   {Glyph::Properties, "Project"}, {Glyph::Help, "Help"},
};
constexpr Glyph kTrackBarGlyphs[] = {Glyph::Play, Glyph::Rewind, Glyph::FastForward, Glyph::Stop, Glyph::Record};
constexpr Glyph kEditorBarGlyphs[] = {Glyph::Play,        Glyph::PlayLoop, Glyph::Rewind,
                                      Glyph::FastForward, Glyph::Stop,     Glyph::Record};

void CellGround(CArt& art, int x, int width, int height, CellState state) {
  if (state == CellState::Hot) art.Panel(x + 1, 1, width - 2, height - 2, kHotGround, kHotBorder, kWhite);
  if (state == CellState::Pressed) art.Panel(x + 1, 1, width - 2, height - 2, kPressedGround, kAccent, kWhite);
}

draw::COLORREF AccentOf(Glyph glyph, CellState state) {
  if (state == CellState::Disabled) return kDisabled;
  return glyph == Glyph::Record ? kRecord : kAccent;
}

void DrawCell(CArt& art, int x, int width, int height, CellState state, Glyph glyph, const char* caption) {
  CellGround(art, x, width, height, state);
  const draw::COLORREF ink = state == CellState::Disabled ? kDisabled : kGlyph;
  const int shift = state == CellState::Pressed ? 1 : 0;  // a pressed button gives a little
  if (!caption) {
    DrawGlyph(art, glyph, QRectF(x + (width - 16) / 2, (height - 16) / 2 + shift, 16, 16), ink,
              AccentOf(glyph, state));
    return;
  }
  DrawGlyph(art, glyph, QRectF(x + 5, (height - 16) / 2 + shift, 16, 16), ink, AccentOf(glyph, state));
  art.Text(x + 24, shift, width - 25, height, QString::fromLatin1(caption), {11, true},
           state == CellState::Disabled ? kDisabled : kText, Qt::AlignLeft | Qt::AlignVCenter);
}

SkinEntry UpperStrip(int id, CellState state) {
  return {id, kUpperCells * kUpperCellWidth, kUpperCellHeight, false, [state](CArt& art) {
            art.Fill(kWhite);
            for (int k = 0; k < kUpperCells; ++k) {
              DrawCell(art, k * kUpperCellWidth, kUpperCellWidth, kUpperCellHeight, state, kUpperCellsArt[k].glyph,
                       kUpperCellsArt[k].caption);
            }
          }};
}

// The track bar's sixth cell lies under the position slider and stays empty.
template <size_t N>
SkinEntry LowerStrip(int id, CellState state, const Glyph (&glyphs)[N]) {
  return {id, kLowerCells * kLowerCellWidth, kLowerCellHeight, false, [state, &glyphs](CArt& art) {
            art.Fill(kWhite);
            for (size_t k = 0; k < N; ++k) {
              DrawCell(art, static_cast<int>(k) * kLowerCellWidth, kLowerCellWidth, kLowerCellHeight, state,
                       glyphs[k], nullptr);
            }
          }};
}

// Small capitals in quiet grey, the labels above and beside the time boxes.
constexpr TextStyle kLabelStyle{9, true, 100};

SkinEntry Label(int id, int width, int height, const char* text, int alignment) {
  return {id, width, height, false, [=](CArt& art) {
            art.Fill(kWhite);
            art.Text(0, 0, width, height, QString::fromLatin1(text), kLabelStyle, kQuietText, alignment);
          }};
}

}  // namespace

std::vector<SkinEntry> ToolbarSkins() {
  std::vector<SkinEntry> entries = {
      UpperStrip(kUpperNormal, CellState::Normal),
      UpperStrip(kUpperHot, CellState::Hot),
      UpperStrip(kUpperPressed, CellState::Pressed),
      UpperStrip(kUpperDisabled, CellState::Disabled),
      LowerStrip(kTrackBarNormal, CellState::Normal, kTrackBarGlyphs),
      LowerStrip(kTrackBarHot, CellState::Hot, kTrackBarGlyphs),
      LowerStrip(kTrackBarPressed, CellState::Pressed, kTrackBarGlyphs),
      LowerStrip(kTrackBarDisabled, CellState::Disabled, kTrackBarGlyphs),
      LowerStrip(kEditorBarNormal, CellState::Normal, kEditorBarGlyphs),
      LowerStrip(kEditorBarHot, CellState::Hot, kEditorBarGlyphs),
      LowerStrip(kEditorBarPressed, CellState::Pressed, kEditorBarGlyphs),
      LowerStrip(kEditorBarDisabled, CellState::Disabled, kEditorBarGlyphs),
      // Beside the position and length boxes, set against them.
      Label(kTrackBarPositionLabel, 86, 11, "POSITION", Qt::AlignRight | Qt::AlignVCenter),
      Label(kTrackBarLengthLabel, 49, 9, "LENGTH", Qt::AlignRight | Qt::AlignVCenter),
  };
  // Above the start, end and size boxes at 5, 90 and 175 of the bar (the strip stands at 8).
  entries.push_back({kEditorBarLabels, 237, 12, false, [](CArt& art) {
                       art.Fill(kWhite);
                       const char* names[] = {"START", "END", "SIZE"};
                       for (int k = 0; k < 3; ++k) {
                         art.Text(1 + 85 * k, 0, 80, 12, QString::fromLatin1(names[k]), kLabelStyle, kQuietText,
                                  Qt::AlignLeft | Qt::AlignVCenter);
                       }
                     }});
  entries.push_back({kUpperSeparator, 1, 35, false, [](CArt& art) {
                       art.Fill(kWhite);
                       art.VLine(0, 5, 25, kHairline);
                     }});
  entries.push_back({kLoopBar, 59, 21, false, [](CArt& art) {
                       art.Fill(kWhite);
                       DrawGlyph(art, Glyph::Loop, QRectF(3, 3, 15, 15), kGlyph, kAccent);
                       art.Text(21, 0, 37, 21, QStringLiteral("Loops"), {11, true}, kText,
                                Qt::AlignLeft | Qt::AlignVCenter);
                     }});
  return entries;
}

}  // namespace skin
