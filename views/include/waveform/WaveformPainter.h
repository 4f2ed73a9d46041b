// The one waveform painter of the Track View, the Audio Editor and the Loop
// Bank. It draws a stretch of audio into a rectangle of a canvas in one of three
// ways, chosen by how many frames the stretch holds, so the cost of a call is
// bounded by the rectangle's width, not by the audio:
// - up to 256 frames: every sample, a polyline with a mark per sample;
// - 257 to 16384 frames: the minimum and maximum per pixel column, read from the audio;
// - more: the maxima per column from the peak file, about 64 records a column.
// A mono waveform is centred in the rectangle; stereo draws the left channel in
// the upper half and the right one in the lower half.
//
// Nothing is read or drawn past the end of the audio: frames beyond it count as
// silence, samples beyond it are not drawn. Keeps no state between calls;
// user-interface thread only. Faults are reported under "TrackViewGUI".
#pragma once

#include <cstdint>
#include <variant>

#include "draw/Canvas.h"
#include "waveform/WaveformSource.h"

class CAudioSegment;

// What is selected before the frame rectangle is drawn: nothing, a pen or a brush.
using WaveFrameObject = std::variant<std::monostate, draw::CPen, draw::CBrush>;

// The renderings' limits in frames.
constexpr uint32_t kMaxSampleSpan = 256;
constexpr uint32_t kMaxBlockSpan = 16384;

// Draws frames firstFrame..lastFrame of the audio into (x, y, width, height): the
// rectangle with the pen and brush selected after frameObject, then the waveform
// in wavePen and waveBrush, and with quarterPen the quarter lines. Returns 1 when
// nothing was drawn (missing arguments, an empty rectangle), else 0. Leaves the
// wave pen and brush selected when a waveform was drawn.
int DrawWaveform(CAudioSegment* segment, draw::CCanvas* dc, const draw::CPen* wavePen,
                 const draw::CBrush* waveBrush, const WaveFrameObject& frameObject, int x, int y, int16_t width,
                 int16_t height, uint32_t firstFrame, uint32_t lastFrame, const draw::CPen* quarterPen);
int DrawWaveform(CWaveformSource& source, draw::CCanvas* dc, const draw::CPen* wavePen,
                 const draw::CBrush* waveBrush, const WaveFrameObject& frameObject, int x, int y, int16_t width,
                 int16_t height, uint32_t firstFrame, uint32_t lastFrame, const draw::CPen* quarterPen);

// The two renderings from the audio (DrawWaveform chooses them); 3 when there is no
// memory for the samples, else 0.
int DrawSampleWaveform(CWaveformSource& source, draw::CCanvas& dc, const draw::CPen& wavePen,
                       const draw::CBrush& waveBrush, const WaveFrameObject& frameObject, int x, int y,
                       int16_t width, int16_t height, uint32_t firstFrame, uint32_t lastFrame,
                       const draw::CPen* quarterPen);
int DrawBlockWaveform(CWaveformSource& source, draw::CCanvas& dc, const draw::CPen& wavePen,
                      const draw::CBrush& waveBrush, const WaveFrameObject& frameObject, int x, int y,
                      int16_t width, int16_t height, uint32_t firstFrame, uint32_t lastFrame,
                      const draw::CPen* quarterPen);

// Vertical lines from y to y + height at a quarter, half and three quarters of
// 4 x quarterWidth from x; nothing without a pen.
void DrawQuarterLines(draw::CCanvas& dc, const draw::CPen* pen, int x, int y, int quarterWidth, int height);
