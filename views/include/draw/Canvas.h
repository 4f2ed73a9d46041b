// The drawing layer every editor, toolbar and skinned control paints through:
// a canvas over a bitmap, with selected pen, brush and font, keeping the pixel
// rules the views' coordinates were worked out with:
// - a rectangle covers left..right - 1 and top..bottom - 1;
// - a line from a to b covers a and not b, so a polyline leaves out only its
//   last point;
// - Rectangle outlines with the pen and fills the inside with the brush; with
//   the null pen it fills one pixel less to the right and below;
// - inversion flips the colour bits exactly, so inverting twice restores;
// - shapes are never antialiased; text is.
// Coordinates are logical pixels of the bitmap; at a scale above 1 each
// logical pixel is drawn as its block of device pixels, text at device
// resolution.
//
// User-interface thread only. While a canvas lives, its bitmap must not be
// copied: the canvas writes into the bitmap's own pixels.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "draw/Bitmap.h"
#include "draw/Font.h"
#include "draw/PenBrush.h"
#include "draw/Pixels.h"

namespace draw {

enum class BackMode { Transparent, Opaque };

// Text placement flags of DrawText; they combine with |.
enum TextFormat : unsigned {
  kTextLeft = 0,
  kTextCenter = 1u << 0,
  kTextRight = 1u << 1,
  kTextVCenter = 1u << 2,
  kTextBottom = 1u << 3,
  kTextSingleLine = 1u << 4,
  kTextWordBreak = 1u << 5,
  kTextExpandTabs = 1u << 6,
  kTextNoPrefix = 1u << 7,  // "&" is a character; without it "&x" underlines x and "&&" shows "&"
  kTextNoClip = 1u << 8,
};

class CCanvas {
 public:
  explicit CCanvas(CBitmap& target);
  ~CCanvas();
  CCanvas(const CCanvas&) = delete;
  CCanvas& operator=(const CCanvas&) = delete;

  CBitmap& Target() { return target_; }
  int Width() const { return target_.Width(); }
  int Height() const { return target_.Height(); }

  // Each returns what was selected before.
  CPen SelectPen(const CPen& pen);
  CBrush SelectBrush(const CBrush& brush);
  CFont SelectFont(const CFont& font);
  const CPen& SelectedPen() const { return pen_; }
  const CBrush& SelectedBrush() const { return brush_; }
  const CFont& SelectedFont() const { return font_; }
  COLORREF SetTextColour(COLORREF colour);
  COLORREF SetBackColour(COLORREF colour);
  BackMode SetBackMode(BackMode mode);

  void FillRect(const Rect& rect, const CBrush& brush);
  void FillSolidRect(const Rect& rect, COLORREF colour);
  // A one-pixel border just inside the rectangle, in the brush's colour.
  void FrameRect(const Rect& rect, const CBrush& brush);
  // Outline with the selected pen, inside with the selected brush.
  void Rectangle(int left, int top, int right, int bottom);

  void MoveTo(int x, int y);
  // From the current position to (x, y), leaving (x, y) out; (x, y) becomes current.
  void LineTo(int x, int y);
  Point CurrentPosition() const { return current_; }
  // Lines through the points with the selected pen; the current position stays.
  void Polyline(const Point* points, size_t count);
  void Polyline(const std::vector<Point>& points) { Polyline(points.data(), points.size()); }
  // Filled with the selected brush (odd-even rule), then outlined, closed, with the pen.
  void Polygon(const Point* points, size_t count);
  void Polygon(const std::vector<Point>& points) { Polygon(points.data(), points.size()); }

  void InvertRect(const Rect& rect);
  void SetPixel(int x, int y, COLORREF colour);
  COLORREF GetPixel(int x, int y) const { return target_.Pixel(x, y); }

  // Copies width x height of the source from (sourceX, sourceY) to (x, y); a source
  // with alpha is blended over what is there.
  void Blit(int x, int y, int width, int height, const CBitmap& source, int sourceX = 0, int sourceY = 0);
  void Blit(int x, int y, const CBitmap& source) { Blit(x, y, source.Width(), source.Height(), source); }
  // As Blit, leaving the pixels of the mask colour out.
  void BlitMasked(int x, int y, int width, int height, const CBitmap& source, int sourceX, int sourceY,
                  COLORREF mask);
  // Scales a part of the source into the target rectangle, smoothly.
  void StretchBlit(const Rect& target, const CBitmap& source, const Rect& part);

  // Text with its top-left corner at (x, y), in the text colour; an opaque back
  // mode first fills the text's extent with the back colour.
  void TextOut(int x, int y, const QString& text);
  // Text placed in a rectangle by TextFormat flags; returns the text's height.
  int DrawText(const QString& text, const Rect& rect, unsigned format);
  // Width and height of a line of text in the selected font.
  QSize TextExtent(const QString& text) const;

 private:
  QPainter& Painter();
  void PlotLine(Point from, Point to, int* dotPhase);
  void PlotPenPixel(int x, int y);
  int TextFlags(unsigned format) const;

  CBitmap& target_;
  CPixelWriter pixels_;
  std::unique_ptr<QPainter> painter_;
  CPen pen_;
  CBrush brush_;
  CFont font_;
  COLORREF textColour_ = 0;
  COLORREF backColour_ = 0xFFFFFF;
  BackMode backMode_ = BackMode::Opaque;
  Point current_;
};

}  // namespace draw
