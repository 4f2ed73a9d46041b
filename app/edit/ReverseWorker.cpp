// Reverse: the range is written front to back from blocks read back to front
// at mirrored positions, each block reversed in place. Reversing one channel
// of stereo keeps the other from a second buffer of the same frames.
#include <algorithm>
#include <utility>

#include "AudioSegment.h"
#include "EditPass.h"
#include "Generic.h"
#include "PageBuffer.h"

namespace {

constexpr uint32_t kBlockFrames = 262144;
constexpr size_t kKeptBytes = 1050624;  // one block of stereo frames and the read slack
constexpr int kLineKeptBuffer = __LINE__;

void ReverseFrames(int16_t* samples, uint32_t frames, uint16_t channels) {
  if (frames < 2) return;
  if (channels == 1) {
    std::reverse(samples, samples + frames);
    return;
  }
  for (uint32_t i = 0, j = frames - 1; i < j; ++i, --j) {
    std::swap(samples[2 * i], samples[2 * j]);
    std::swap(samples[2 * i + 1], samples[2 * j + 1]);
  }
}

}  // namespace

OperationResult EditReverse(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                            OperationParameters* params) {
  CEditPass pass(source, result, params);
  if (OperationResult begun = pass.Begin(); begun != OperationResultDone) return begun;
  const FrameRange range = pass.Range();
  const uint16_t channels = pass.Channels();
  const int32_t mode = pass.Values().channelMode;
  // In stereo the channel that is not chosen keeps its samples.
  const bool keepLeft = channels == 2 && mode != ChannelModeBoth && mode != ChannelModeLeft;
  const bool keepRight = channels == 2 && mode != ChannelModeBoth && mode != ChannelModeRight;
  platform::CPageBuffer keptFrames;
  if ((keepLeft || keepRight) && !keptFrames.Allocate(kKeptBytes)) return pass.Fail(kLineKeptBuffer);
  auto* original = static_cast<int16_t*>(keptFrames.Data());

  int16_t* work = pass.Work();
  if (!pass.Copy(0, range.first, kBlockFrames)) return pass.Stop();
  for (uint32_t at = range.first; at < range.End();) {
    const uint32_t h = std::min(kBlockFrames, range.End() - at);
    uint32_t got = 0;
    // The frames that land at [at, at + h) come from the mirror image of that span.
    if (!pass.Seek(2 * range.first + range.count - h - at) || !pass.Read(work, h, &got)) return pass.Stop();
    if (got < h) pass.Silence(work + static_cast<size_t>(got) * channels, h - got);
    ReverseFrames(work, h, channels);
    if (keepLeft || keepRight) {
      uint32_t same = 0;
      if (!pass.Seek(at) || !pass.Read(original, h, &same)) return pass.Stop();
      for (uint32_t f = 0; f < same; ++f) {
        if (keepLeft) work[2 * f] = original[2 * f];
        if (keepRight) work[2 * f + 1] = original[2 * f + 1];
      }
    }
    if (!pass.AppendAndReport(work, h)) return pass.Stop();
    at += h;
  }
  if (!pass.Copy(range.End(), pass.Length(), kBlockFrames)) return pass.Stop();
  return pass.Finish();
}
