// The outline of a waveform over a rectangle's columns: one top and one bottom
// point per pixel column, held as the polygon that is drawn (the top points left
// to right, then the bottom points right to left), sized to the width.
#pragma once

#include <vector>

#include "draw/Canvas.h"
#include "draw/Geometry.h"

class CEnvelope {
 public:
  // Columns 0..width - 1 at x + column, around the centre line y = centre.
  CEnvelope(int x, int width, int centre);

  // Closes a column with its top and bottom y; the columns up to (not including)
  // nextColumn get copies of its points.
  void CloseColumn(int column, int top, int bottom, int nextColumn);
  // After the last column closed: the columns after it lie on the centre line,
  // and the polygon begins and ends at (x, centre).
  void Finish(int lastColumn);

  const std::vector<draw::Point>& Points() const { return points_; }

  // Fills the polygon with the selected brush and outlines it, closed, with the
  // selected pen: the pixels a polygon fill and outline of Points() cover, found
  // column by column, since a general polygon fill slows down badly on the long
  // edges of a busy waveform.
  void Draw(draw::CCanvas& dc) const;

 private:
  void Set(int column, int top, int bottom);

  int x_;
  int width_;
  int centre_;
  std::vector<draw::Point> points_;
};
