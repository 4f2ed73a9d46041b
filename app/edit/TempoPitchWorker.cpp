// Stretch/compress and pitch shift of the range through a tempo/pitch
// processor of its own, the value gliding linearly from the initial to the
// final one across the range. The result is never shorter than one second.
#include <algorithm>
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
  if (!pass.Copy(0, range.first, kBlockFrames) || !pass.Seek(range.first)) return pass.Stop();
  for (uint32_t at = range.first; at < range.End();) {
    const uint32_t needed = std::min({processor->GetMinSamplesNeededForOutput(), range.End() - at, capacity});
    uint32_t got = 0;
    if (needed > 0 && !pass.Read(work, needed, &got)) return pass.Stop();
    uint32_t out = 0;
    // Refused only when the processor could not be set up: the range would be lost.
    if (processor->ProcessAudio(work, got, work, capacity, &out) == 0) return pass.Fail(kLineNotProcessed);
    if (got == 0 && out == 0) {
      if (needed == 0) return pass.Fail(kLineStalled);
      break;  // the source ended early
    }
    if (!pass.Append(work, out) || !pass.Report(got)) return pass.Stop();
    at += got;
    const float done = static_cast<float>(at - range.first) / static_cast<float>(range.count);
    SetValue(*processor, stretch, initial + done * (final - initial));
  }
  // What the processor still holds comes out in blocks; a short block is the last.
  for (uint32_t out = kBlockFrames; out == kBlockFrames;) {
    pass.Silence(work, kBlockFrames);
    processor->FlushStorage(work, kBlockFrames, &out);
    if (out > 0 && !pass.Append(work, out)) return pass.Stop();
  }
  if (!pass.Copy(range.End(), pass.Length(), kBlockFrames)) return pass.Stop();
  if (pass.Written() < kOneSecond) {
    const uint32_t padding = kOneSecond - pass.Written();
    pass.Silence(work, padding);
    if (!pass.Append(work, padding)) return pass.Stop();
  }
  return pass.Finish();
}
