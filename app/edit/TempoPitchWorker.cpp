// Stretch/compress and pitch shift of the range through a tempo/pitch
// processor of its own, the value gliding linearly from the initial to the
// final one across the range. The range comes out exactly as long as asked:
// a pitch shift keeps its length, a stretch gives the glide's mean times it.
// The processor hands back the end of its input (a part of a window) only
// when more follows, so silence is fed after the range until the length is
// reached, and what the processor makes beyond it is dropped. The result is
// never shorter than one second.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>

#include "AudioSegment.h"
#include "EditPass.h"
#include "tarvex.h"

namespace {

constexpr uint32_t kBlockFrames = 8192;
constexpr uint32_t kOneSecond = 44100;
constexpr int kLineNoProcessor = __LINE__;
constexpr int kLineStalled = __LINE__;
constexpr int kLineNotProcessed = __LINE__;

void SetValue(CTarvex& processor, bool stretch, float value) {
  if (stretch) {
    processor.SetTempo(value);
  } else {
    processor.SetPitch(value);
  }
}

// The frames the range becomes: the mean of a linear glide is its middle.
uint32_t PromisedLength(bool stretch, uint64_t frames, float initial, float final) {
  if (!stretch) return static_cast<uint32_t>(frames);
  const double mean = (static_cast<double>(initial) + static_cast<double>(final)) / 2.0;
  return static_cast<uint32_t>(std::min<double>(std::llround(static_cast<double>(frames) * mean), UINT32_MAX));
}

}  // namespace

OperationResult EditTempoPitch(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                               OperationParameters* params) {
  CEditPass pass(source, result, params);
  if (OperationResult begun = pass.Begin(); begun != OperationResultDone) return begun;
  const bool stretch = pass.Params().request.operation == EditOpStretch;
  const float initial = pass.Values().initialValue;
  const float final = pass.Values().finalValue;

  std::unique_ptr<CTarvex> processor(new (std::nothrow) CTarvex());
  if (!processor) return pass.Fail(kLineNoProcessor);
  processor->SetChannels(static_cast<int16_t>(pass.Channels()));
  processor->SetSizeOutputBufferSample(kBlockFrames);
  SetValue(*processor, stretch, initial);
  processor->Init();

  const FrameRange range = pass.Range();
  int16_t* work = pass.Work();
  const uint32_t capacity = pass.Params().workFrames;
  const bool glides = initial != final;
  const uint32_t promised = PromisedLength(stretch, range.count, initial, final);
  double asked = 0;   // what the frames read so far are to become
  uint32_t made = 0;  // frames of the processed range appended
  // What the processor gave, up to length frames of the range in all.
  auto appendUpTo = [&](uint32_t length, uint32_t out) {
    const uint32_t n = made < length ? std::min(out, length - made) : 0;
    made += n;
    return pass.Append(work, n);
  };
  if (!pass.Copy(0, range.first, kBlockFrames) || !pass.Seek(range.first)) return pass.Stop();
  uint32_t at = range.first;
  while (at < range.End()) {
    const uint32_t needed = std::min({processor->GetMinSamplesNeededForOutput(), range.End() - at, capacity});
    uint32_t got = 0;
    if (needed > 0 && !pass.Read(work, needed, &got)) return pass.Stop();
    // The value at the middle of the block: the lengths of the blocks add up to the glide's.
    float value = initial;
    if (glides) {
      const double middle = (at - range.first) + got / 2.0;
      value = static_cast<float>(initial + middle / range.count * (final - initial));
      SetValue(*processor, stretch, value);
    }
    asked += got * static_cast<double>(stretch ? value : 1.0f);
    uint32_t out = 0;
    // Refused only when the processor could not be set up: the range would be lost.
    if (processor->ProcessAudio(work, got, work, capacity, &out) == 0) return pass.Fail(kLineNotProcessed);
    if (got == 0 && out == 0) {
      if (needed == 0) return pass.Fail(kLineStalled);
      break;  // the source ended early
    }
    if (!appendUpTo(promised, out) || !pass.Report(got)) return pass.Stop();
    at += got;
  }
  // A source that ended early asks for what was read of it.
  const uint32_t length =
      at == range.End() ? promised : static_cast<uint32_t>(std::min<double>(promised, std::llround(asked)));
  // Silence carries the end of the range through the processor.
  while (made < length) {
    const uint32_t needed = std::min(processor->GetMinSamplesNeededForOutput(), capacity);
    pass.Silence(work, needed);
    uint32_t out = 0;
    if (processor->ProcessAudio(work, needed, work, capacity, &out) == 0) return pass.Fail(kLineNotProcessed);
    if (needed == 0 && out == 0) return pass.Fail(kLineStalled);
    if (!appendUpTo(length, out)) return pass.Stop();
  }
  if (!pass.Copy(range.End(), pass.Length(), kBlockFrames)) return pass.Stop();
  if (pass.Written() < kOneSecond) {
    const uint32_t padding = kOneSecond - pass.Written();
    pass.Silence(work, padding);
    if (!pass.Append(work, padding)) return pass.Stop();
  }
  return pass.Finish();
}
