// The workers that change samples where they stand (mute, volume, fade, swap,
// copy channel) and those that only choose frames (copy, delete).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "AudioSegment.h"
#include "EditPass.h"
#include "SampleMath.h"

namespace {

constexpr uint32_t kBlockFrames = 262144;

// Head unchanged, the range through change(samples, frames, firstFrame), tail unchanged.
template <class Change>
OperationResult ChangeRange(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                            OperationParameters* params, Change change) {
  CEditPass pass(source, result, params);
  if (OperationResult begun = pass.Begin(); begun != OperationResultDone) return begun;
  const FrameRange range = pass.Range();
  int16_t* work = pass.Work();
  if (!pass.Copy(0, range.first, kBlockFrames) || !pass.Seek(range.first)) return pass.Stop();
  for (uint32_t at = range.first; at < range.End();) {
    uint32_t got = 0;
    if (!pass.Read(work, std::min(kBlockFrames, range.End() - at), &got)) return pass.Stop();
    if (got == 0) break;
    change(pass, work, got, at);
    if (!pass.AppendAndReport(work, got)) return pass.Stop();
    at += got;
  }
  if (!pass.Copy(range.End(), pass.Length(), kBlockFrames)) return pass.Stop();
  return pass.Finish();
}

// Mono audio in the channel workers is taken as stereo frames of two samples;
// an odd last sample stays as it is.
template <class PerFrame>
void ForEachStereoFrame(int16_t* samples, uint32_t frames, uint16_t channels, PerFrame perFrame) {
  const size_t pairs = static_cast<size_t>(frames) * channels / 2;
  for (size_t i = 0; i < pairs; ++i) perFrame(samples[2 * i], samples[2 * i + 1]);
}

}  // namespace

OperationResult EditCopyRange(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                              OperationParameters* params) {
  CEditPass pass(source, result, params);
  if (OperationResult begun = pass.Begin(CEditPass::Attributes::FormatOnly, 0, true); begun != OperationResultDone) {
    return begun;
  }
  if (!pass.Copy(pass.Range().first, pass.Range().End(), kBlockFrames)) return pass.Stop();
  return pass.Finish();
}

OperationResult EditDeleteRange(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                                OperationParameters* params) {
  CEditPass pass(source, result, params);
  if (OperationResult begun = pass.Begin(); begun != OperationResultDone) return begun;
  if (!pass.Copy(0, pass.Range().first, kBlockFrames)) return pass.Stop();
  if (!pass.Copy(pass.Range().End(), pass.Length(), kBlockFrames)) return pass.Stop();
  return pass.Finish();
}

OperationResult EditMute(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result, OperationParameters* params) {
  return ChangeRange(source, result, params, [](CEditPass& pass, int16_t* samples, uint32_t frames, uint32_t) {
    const int32_t mode = pass.Values().channelMode;
    if (pass.Channels() == 1) {
      pass.Silence(samples, frames);
      return;
    }
    const bool left = mode == ChannelModeBoth || mode == ChannelModeLeft;
    const bool right = mode == ChannelModeBoth || mode == ChannelModeRight;
    for (uint32_t f = 0; f < frames; ++f) {
      if (left) samples[2 * f] = 0;
      if (right) samples[2 * f + 1] = 0;
    }
  });
}

OperationResult EditVolume(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result, OperationParameters* params) {
  return ChangeRange(source, result, params, [](CEditPass& pass, int16_t* samples, uint32_t frames, uint32_t) {
    const float left = pass.Values().level1Left;
    const float right = pass.Values().level1Right;
    if (pass.Channels() == 1) {
      for (uint32_t f = 0; f < frames; ++f) samples[f] = ScaleSample(samples[f], left);
      return;
    }
    for (uint32_t f = 0; f < frames; ++f) {
      samples[2 * f] = ScaleSample(samples[2 * f], left);
      samples[2 * f + 1] = ScaleSample(samples[2 * f + 1], right);
    }
  });
}

OperationResult EditFade(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result, OperationParameters* params) {
  return ChangeRange(source, result, params, [](CEditPass& pass, int16_t* samples, uint32_t frames, uint32_t first) {
    const FXOperationParams& v = pass.Values();
    const float count = static_cast<float>(pass.Range().count);
    const bool logarithmic = v.curve == 1;
    const uint16_t channels = pass.Channels();
    for (uint32_t f = 0; f < frames; ++f) {
      // t runs from 0 towards 1 over the range; the log curve bends it up early.
      float t = static_cast<float>(first + f - pass.Range().first) / count;
      if (logarithmic) t = std::log10(9.0f * t + 1.0f);
      const float gainLeft = t * (v.level2Left - v.level1Left) + v.level1Left;
      samples[channels * f] = ScaleSample(samples[channels * f], gainLeft);
      if (channels == 2) {
        const float gainRight = t * (v.level2Right - v.level1Right) + v.level1Right;
        samples[2 * f + 1] = ScaleSample(samples[2 * f + 1], gainRight);
      }
    }
  });
}

OperationResult EditSwapChannels(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                                 OperationParameters* params) {
  return ChangeRange(source, result, params, [](CEditPass& pass, int16_t* samples, uint32_t frames, uint32_t) {
    ForEachStereoFrame(samples, frames, pass.Channels(), [](int16_t& left, int16_t& right) { std::swap(left, right); });
  });
}

OperationResult EditCopyChannel(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                                OperationParameters* params) {
  return ChangeRange(source, result, params, [](CEditPass& pass, int16_t* samples, uint32_t frames, uint32_t) {
    if (pass.Values().copyLeftToRight) {
      ForEachStereoFrame(samples, frames, pass.Channels(), [](int16_t& left, int16_t& right) { right = left; });
    } else if (pass.Values().copyRightToLeft) {
      ForEachStereoFrame(samples, frames, pass.Channels(), [](int16_t& left, int16_t& right) { left = right; });
    }
  });
}
