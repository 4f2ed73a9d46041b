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
