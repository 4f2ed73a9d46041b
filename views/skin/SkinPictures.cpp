// The progress bar's built-in skin, the program's icon and the pictures of the
// about box and the notices.
#include <QPainterPath>
#include <cmath>
#include <QString>

#include "skin/Glyphs.h"
#include "skin/SkinEntries.h"
#include "skin/SkinIds.h"
#include "skin/SkinPalette.h"

namespace skin {

namespace {

constexpr int kProgressPieces = 9;

// One piece of the progress skin: an end of the track (left or right, or none),
// white or filled inside, its outside corners in the mask colour.
enum class End { None, Left, Right };

void DrawProgressPiece(CArt& art, int x, int width, int height, End end, bool filled) {
  const draw::COLORREF inside = filled ? kAccent : kWhite;
  art.Fill(x, 0, width, height, inside);
  art.HLine(x, 0, width, kFrame);
  art.HLine(x, height - 1, width, kFrame);
  if (end == End::None) return;
  const int edge = end == End::Left ? x : x + width - 1;
  const int step = end == End::Left ? 1 : -1;
  // A corner rounded by two pixels: the mask shows what lies under the bar.
  art.VLine(edge, 2, height - 4, kFrame);
  art.Pixel(edge + step, 1, kFrame);
  art.Pixel(edge + step, height - 2, kFrame);
  for (const int y : {0, 1, height - 2, height - 1}) art.Pixel(edge, y, kMaskColour);
  art.Pixel(edge + step, 0, kMaskColour);
  art.Pixel(edge + step, height - 1, kMaskColour);
}

// The bars and their heights (of the half height) in the icon's waveform.
constexpr double kIconBars[] = {0.28, 0.55, 0.85, 0.6, 1.0, 0.72, 0.42, 0.66, 0.3};
constexpr double kSmallIconBars[] = {0.45, 1.0, 0.7, 0.4};

void DrawFakeButton(CArt& art, int x, int y, int width, int height, const QString& text, bool down) {
  art.Panel(x, y, width, height, down ? kAccent : kWhite, down ? kAccent : kFrame, kCard);
  art.Text(x, y, width, height, text, {10, down}, down ? kWhite : kText, Qt::AlignCenter);
}

}  // namespace

draw::CBitmap DrawProgressSkin(int thickness, double scale) {
  const int height = std::max(6, thickness);
  // Narrow pieces keep the sliver a bar shows at 0 % small.
  const int width = std::max(3, height / 4);
  draw::CBitmap bitmap(width * kProgressPieces, height, scale, kMaskColour);
  {
    CArt art(bitmap);
    const struct {
      End end;
      bool filled;
    } pieces[kProgressPieces] = {
        {End::Left, false},  // the track's start
        {End::None, false},  // before the filled part
        {End::Left, true},   // the filled part's start
        {End::None, true},   // its middle
        {End::None, true},   // the filled part, repeated
        {End::Right, true},  // its end, which also closes the track at 100 %
        {End::None, false},  // after it
        {End::None, false},  // the empty track, repeated
        {End::Right, false}, // the track's end
    };
    for (int k = 0; k < kProgressPieces; ++k) {
      DrawProgressPiece(art, k * width, width, height, pieces[k].end, pieces[k].filled);
    }
  }
  return bitmap;
}

QImage DrawProgramIcon(int pixels) {
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const double size = pixels;
  const double margin = size / 16.0;
  QPainterPath tile;
  tile.addRoundedRect(QRectF(margin, margin, size - 2 * margin, size - 2 * margin), size * 0.2, size * 0.2);
  painter.fillPath(tile, draw::ToQColor(kAccent));
  // A waveform of bars on whole pixels; small icons get fewer, wider ones so that
  // they stay apart.
  const bool small = pixels < 32;
  const double* heights = small ? kSmallIconBars : kIconBars;
  const int count = small ? 4 : 9;
  const int pitch = std::max(2, static_cast<int>(std::lround(size * (small ? 0.72 : 0.64) / count)));
  const int barWidth = small ? pitch - 1 : std::max(1, static_cast<int>(std::lround(pitch * 0.55)));
  const int left = static_cast<int>(std::lround((size - count * pitch) / 2.0 + (pitch - barWidth) / 2.0));
  const double half = size * 0.3;
  for (int k = 0; k < count; ++k) {
    const double h = std::max<double>(barWidth, std::round(half * heights[k]));
    QPainterPath bar;
    const double round = small ? 0.0 : barWidth / 2.0;
    bar.addRoundedRect(QRectF(left + k * pitch, std::round(size / 2.0 - h), barWidth, 2 * h), round, round);
    painter.fillPath(bar, Qt::white);
  }
  painter.end();
  return image;
}

std::vector<SkinEntry> PictureSkins() {
  return {
      {kProgressSkin, 6 * kProgressPieces, 16, false,
       [](CArt& art) {
         const draw::CBitmap skin = DrawProgressSkin(16, 1.0);
         art.Painter().drawImage(QRectF(0, 0, art.Width(), art.Height()), skin.Image());
       }},
      {kAboutPicture, 80, 80, true,
       [](CArt& art) { art.Painter().drawImage(QRectF(0, 0, 80, 80), DrawProgramIcon(320)); }},
      // A track header with its Arm button down, for the notice that asks for one.
      {kArmPicture, 199, 53, false,
       [](CArt& art) {
         art.Fill(kEditorGround);
         DrawHeaderCard(art, 5, 5, QStringLiteral("TRACK"), 36);
         art.Fill(5, 48, 189, 1, kFrame);
         art.Text(47, 12, 14, 10, QStringLiteral("1"), {9, true}, kText, Qt::AlignCenter);
         art.Panel(63, 10, 126, 17, kWhite, kFrame, kCard);
         art.Text(67, 10, 120, 17, QStringLiteral("Vocals"), {10, false}, kText, Qt::AlignLeft | Qt::AlignVCenter);
         const char* names[] = {"Arm", "Mute", "Solo", "Props"};
         for (int k = 0; k < 4; ++k) {
           DrawFakeButton(art, 30 + 40 * k, 29, 38, 17, QString::fromLatin1(names[k]), k == 0);
         }
       }},
      // The driver setting the notice about multitrack devices asks for.
      {kDriverPicture, 200, 64, false,
       [](CArt& art) {
         art.Fill(kViewGround);
         art.Panel(4, 4, 192, 56, kWhite, kFrame, kViewGround);
         art.Text(14, 10, 176, 14, QStringLiteral("Multitrack Driver Devices"), {11, true}, kText,
                  Qt::AlignLeft | Qt::AlignVCenter);
         art.Panel(14, 30, 150, 22, kWhite, kAccent, kWhite);
         art.Frame(15, 31, 148, 20, kHotBorder);
         art.Text(22, 30, 110, 22, QStringLiteral("Independent"), {11, false}, kText,
                  Qt::AlignLeft | Qt::AlignVCenter);
         art.Polygon({{146.5, 38.5}, {155.5, 38.5}, {151, 44}}, kGlyph);
       }},
  };
}

}  // namespace skin
