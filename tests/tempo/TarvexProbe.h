// Test access to a CTarvex's derived sizes, stores and splice steps, and the
// signals and drivers the tempo tests share.
#pragma once

#include <cstdint>
#include <vector>

#include "tarvex.h"

struct TarvexProbe {
  explicit TarvexProbe(CTarvex& t) : t(t) {}
  CTarvex& t;

  uint32_t windowFrames() const { return t.windowFrames_; }
  uint32_t seekFrames() const { return t.seekFrames_; }
  uint32_t overlapFrames() const { return t.overlapFrames_; }
  int32_t halfSeekRounded() const { return t.halfSeekRounded_; }
  uint32_t halfOverlapRounded() const { return t.halfOverlapRounded_; }
  uint32_t overlapSamplesStereo() const { return t.overlapSamplesStereo_; }
  int32_t halfWindowFrames() const { return t.halfWindowFrames_; }
  float halfSeek() const { return t.halfSeek_; }
  float halfOverlap() const { return t.halfOverlap_; }
  uint32_t singleMendMinimum() const { return t.singleMendMinimum_; }
  uint32_t multiMendThreshold() const { return t.multiMendThreshold_; }
  float effectiveTempo() const { return t.effectiveTempo_; }
  float effectiveRate() const { return t.effectiveRate_; }
  float carry() const { return t.carry_; }
  const uint16_t* fadeIn() const { return t.fadeIn_; }
  const uint16_t* fadeOut() const { return t.fadeOut_; }
  uint32_t inputCapacity() const { return t.input_.capacity; }
  uint32_t rateCapacity() const { return t.rateStore_.capacity; }
  uint32_t tempoCapacity() const { return t.tempoStore_.capacity; }
  uint32_t inputCount() const { return t.input_.count; }
  uint32_t rateCount() const { return t.rateStore_.count; }
  int skipping() const { return t.skipping_; }

  // Runs the best-fit search of window frames p against the given overlap frames.
  uint32_t BestFit(const std::vector<int16_t>& overlap, const int16_t* p) {
    std::copy(overlap.begin(), overlap.end(), t.overlapBuffer_);
    return t.channelsAtInit_ == 1 ? t.GetBestFitIndexMono(p) : t.GetBestFitIndexStereo(p);
  }
};

namespace tarvex_test {

// Interleaved sine of `frames` frames; channel c is shifted by c quarter periods.
std::vector<int16_t> Sine(double hz, double rate, uint32_t frames, int channels, double amplitude = 10000);
// Uniform noise from a fixed seed.
std::vector<int16_t> Noise(uint32_t frames, int channels, uint32_t seed, int amplitude = 20000);
// Frequency of one channel from its rising zero crossings, skipping the first and
// last `margin` frames.
double MeasureHz(const std::vector<int16_t>& samples, int channels, int channel, double rate, uint32_t margin);

// Streams `in` the way the program does: each call feeds what
// GetMinSamplesNeededForOutput asks for (at most `maxFeed` frames), then the
// processor is emptied with FlushStorage.
std::vector<int16_t> StreamAsAsked(CTarvex& t, const std::vector<int16_t>& in, int channels,
                                   uint32_t maxFeed = UINT32_MAX);
// Streams `in` in blocks of `block` frames whatever the processor asks for, then
// calls it without input until it gives nothing more, then flushes.
std::vector<int16_t> StreamInBlocks(CTarvex& t, const std::vector<int16_t>& in, int channels, uint32_t block,
                                    bool drainBeforeFlush = true);
std::vector<int16_t> Flush(CTarvex& t, int channels);

}  // namespace tarvex_test
