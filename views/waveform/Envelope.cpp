#include "waveform/Envelope.h"

#include <algorithm>

CEnvelope::CEnvelope(int x, int width, int centre)
    : x_(x), width_(std::max(0, width)), centre_(centre), points_(2 * static_cast<size_t>(width_)) {}

void CEnvelope::Set(int column, int top, int bottom) {
  if (column < 0 || column >= width_) return;
  points_[column] = {x_ + column, top};
  points_[2 * static_cast<size_t>(width_) - 1 - column] = {x_ + column, bottom};
}

void CEnvelope::CloseColumn(int column, int top, int bottom, int nextColumn) {
  const int last = std::min(nextColumn, width_);
  Set(column, top, bottom);
  for (int skipped = column + 1; skipped < last; ++skipped) Set(skipped, top, bottom);
}

void CEnvelope::Finish(int lastColumn) {
  for (int column = std::max(0, lastColumn + 1); column < width_; ++column) Set(column, centre_, centre_);
  if (width_ == 0) return;
  points_.front() = {x_, centre_};
  points_.back() = {x_, centre_};
}

// Between two neighbouring columns the polygon is bounded by the segment of the
// top points and the segment of the bottom points; a pixel is inside when its
// centre (x + 0.5, y + 0.5) is: below the top edge, and above or on the bottom one.
// The last column's centre lies right of the last points: only the outline is there.
void CEnvelope::Draw(draw::CCanvas& dc) const {
  if (width_ == 0) return;
  const draw::CBrush brush = dc.SelectedBrush();
  if (!brush.hollow) {
    const size_t last = 2 * static_cast<size_t>(width_) - 1;
    for (int c = 0; c + 1 < width_; ++c) {
      // Twice the edges' heights at the column's centre, in whole numbers.
      const int top2 = points_[c].y + points_[c + 1].y;
      const int bottom2 = points_[last - c].y + points_[last - c - 1].y;
      // The first row whose centre lies below a height: 2y + 1 > twice.
      const auto firstRowBelow = [](int twice) { return twice >= 0 ? (twice + 1) / 2 : -((-twice) / 2); };
      const int from = firstRowBelow(std::min(top2, bottom2));
      const int to = firstRowBelow(std::max(top2, bottom2));
      dc.FillSolidRect({x_ + c, from, x_ + c + 1, to}, brush.colour);
    }
  }
  const draw::CBrush previous = dc.SelectBrush(draw::CBrush::Hollow());
  dc.Polygon(points_);
  dc.SelectBrush(previous);
}
