// The Track View's and the Loop Bank's row headers, number sheets, selection
// frame, tempo panel and ruler pieces. A header is a card 189 wide: the header
// piece on top, body tiles down the row, the underline closing it; the row's
// name box and buttons are placed over it.
#include <QString>

#include "skin/Glyphs.h"
#include "skin/SkinEntries.h"
#include "skin/SkinIds.h"
#include "skin/SkinPalette.h"

namespace skin {

namespace {

constexpr int kCardWidth = 189;
constexpr int kHeaderHeight = 43;
constexpr int kTileHeight = 24;
constexpr int kFrameThickness = 3;
// The selection's border inside the selection pieces.
constexpr int kSelectionLine = 2;

const TextStyle kCaptionStyle{9, true, 100};
const TextStyle kNumberStyle{9, true, 100};

void CardSides(CArt& art, int y, int height, draw::COLORREF side, int thickness) {
  art.Fill(0, y, thickness, height, side);
  art.Fill(kCardWidth - thickness, y, thickness, height, side);
}

SkinEntry Body(int id, bool selected) {
  return {id, kCardWidth, kTileHeight, false, [selected](CArt& art) {
            art.Fill(kCard);
            if (selected) {
              CardSides(art, 0, kTileHeight, kAccent, kSelectionLine);
            } else {
              CardSides(art, 0, kTileHeight, kFrame, 1);
            }
          }};
}

SkinEntry Underline(int id) {
  return {id, kCardWidth, kFrameThickness, false, [](CArt& art) {
            art.Fill(kCard);
            CardSides(art, 0, kFrameThickness, kFrame, 1);
            art.HLine(0, kFrameThickness - 1, kCardWidth, kFrame);
            art.Pixel(0, kFrameThickness - 1, draw::Blend(kFrame, kEditorGround, 150));
            art.Pixel(kCardWidth - 1, kFrameThickness - 1, draw::Blend(kFrame, kEditorGround, 150));
          }};
}

// Numbers 1..count in cells of 14 x 10, 8 to a row, centred. The rows copy a
// track's cell to y + 7 and a loop's to y + 8: a loop's number is drawn a pixel
// higher in its cell, so that both headers read "CAPTION  n" on one line.
SkinEntry Numbers(int id, int count, int raise) {
  const int rows = (count + kNumbersPerRow - 1) / kNumbersPerRow;
  return {id, kNumberCellWidth * kNumbersPerRow, kNumberCellHeight * rows, false, [=](CArt& art) {
            art.Fill(kCard);
            for (int n = 0; n < count; ++n) {
              art.Text((n % kNumbersPerRow) * kNumberCellWidth, (n / kNumbersPerRow) * kNumberCellHeight - raise,
                       kNumberCellWidth, kNumberCellHeight, QString::number(n + 1), kNumberStyle, kText,
                       Qt::AlignHCenter | Qt::AlignVCenter);
            }
          }};
}

void DrawRulerTile(CArt& art) {
  art.Fill(kPanel);
  art.HLine(0, 0, art.Width(), kFrame);
  art.HLine(0, art.Height() - 1, art.Width(), kHairline);
}

}  // namespace

void DrawHeaderCard(CArt& art, int x, int y, const QString& caption, int captionWidth) {
  art.Fill(x, y, kCardWidth, kHeaderHeight, kCard);
  art.HLine(x, y, kCardWidth, kFrame);
  art.VLine(x, y, kHeaderHeight, kFrame);
  art.VLine(x + kCardWidth - 1, y, kHeaderHeight, kFrame);
  art.Pixel(x, y, draw::Blend(kFrame, kEditorGround, 150));
  art.Pixel(x + kCardWidth - 1, y, draw::Blend(kFrame, kEditorGround, 150));
  // The caption ends two pixels before the number cell at 42.
  art.Text(x + 40 - captionWidth, y + 6, captionWidth, 12, caption, kCaptionStyle, kQuietText,
           Qt::AlignRight | Qt::AlignVCenter);
  // Between the name row and the button row.
  art.HLine(x + 4, y + 23, kCardWidth - 8, kHairline);
}

std::vector<SkinEntry> TrackViewSkins() {
  return {
      {kTrackHeader, kCardWidth, kHeaderHeight, false,
       [](CArt& art) { DrawHeaderCard(art, 0, 0, QStringLiteral("TRACK"), 36); }},
      Body(kTrackBody, false),
      Body(kTrackBodySelected, true),
      Underline(kTrackUnderline),
      Numbers(kTrackNumbers, 24, 0),
      {kLoopTrackMark, 15, 14, false,
       [](CArt& art) {
         art.Fill(kCard);
         DrawGlyph(art, Glyph::Loop, QRectF(0.5, 0, 14, 14), kGlyph, kAccent);
       }},
      {kSelectionTop, kCardWidth, kFrameThickness, false,
       [](CArt& art) {
         art.Fill(kCard);
         art.Fill(0, 0, kCardWidth, kSelectionLine, kAccent);
         CardSides(art, 0, kFrameThickness, kAccent, kSelectionLine);
       }},
      {kSelectionBottom, kCardWidth, kFrameThickness, false,
       [](CArt& art) {
         art.Fill(kCard);
         art.Fill(0, kFrameThickness - kSelectionLine, kCardWidth, kSelectionLine, kAccent);
         CardSides(art, 0, kFrameThickness, kAccent, kSelectionLine);
       }},
      {kSelectionLeft, kFrameThickness, kHeaderHeight, false,
       [](CArt& art) {
         art.Fill(kCard);
         art.Fill(0, 0, kSelectionLine, kHeaderHeight, kAccent);
       }},
      {kSelectionRight, kFrameThickness, kHeaderHeight, false,
       [](CArt& art) {
         art.Fill(kCard);
         art.Fill(kFrameThickness - kSelectionLine, 0, kSelectionLine, kHeaderHeight, kAccent);
       }},
      // Under the tempo box (x 26..66, spin to 83) and the pitch box (123..163).
      {kTempoPanel, kCardWidth, 37, false,
       [](CArt& art) {
         art.Panel(0, 0, kCardWidth, 37, kCard, kFrame, kEditorGround);
         art.Text(26, 4, 60, 11, QStringLiteral("TEMPO"), kCaptionStyle, kQuietText, Qt::AlignLeft | Qt::AlignVCenter);
         art.Text(123, 4, 60, 11, QStringLiteral("PITCH"), kCaptionStyle, kQuietText, Qt::AlignLeft | Qt::AlignVCenter);
         art.Text(87, 17, 32, 17, QStringLiteral("BPM"), kCaptionStyle, kQuietText, Qt::AlignLeft | Qt::AlignVCenter);
       }},
      {kRulerTile, 50, 20, false, DrawRulerTile},
      {kRulerEnd, 1, 20, false, [](CArt& art) { art.Fill(kFrame); }},
      {kRulerTick, 1, 5, false, [](CArt& art) { art.Fill(kGlyph); }},
      {kRulerSubTick, 1, 3, false, [](CArt& art) { art.Fill(kQuietText); }},
      {kRulerLabel, 80, 10, false, [](CArt& art) { art.Fill(kPanel); }},
  };
}

std::vector<SkinEntry> LoopBankSkins() {
  return {
      {kLoopHeader, kCardWidth, kHeaderHeight, false,
       [](CArt& art) { DrawHeaderCard(art, 0, 0, QStringLiteral("LOOP"), 36); }},
      Body(kLoopBody, false),
      Underline(kLoopUnderline),
      Numbers(kLoopNumbers, 32, 1),
  };
}

}  // namespace skin
