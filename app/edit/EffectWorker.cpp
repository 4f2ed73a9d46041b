// An effect of the chain library applied to the range: a chain of its own with
// the one effect, fed the range and then silence for the effect's tail, of
// which exactly the range's length is kept.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "AudioSegment.h"
#include "EditPass.h"
#include "Zelmo.h"

namespace {

constexpr uint32_t kCopyBlockFrames = 176400;
constexpr uint32_t kOutputBlockFrames = 88200;
constexpr uint32_t kMaxInputFrames = 96392;
constexpr size_t kZeroedBytes = kMaxInputFrames * 4;
constexpr int kLineNoEffectRecord = __LINE__;
constexpr int kLineNoChain = __LINE__;
constexpr int kLineEffectNotAdded = __LINE__;
constexpr int kLineInputTooLarge = __LINE__;
constexpr int kLineNotProcessed = __LINE__;

struct EffectChoice {
  ZelmoEffectType type = 0;
  void* record = nullptr;
};

EffectChoice ChooseEffect(const FXOperationParams& v, int32_t operation) {
  switch (operation) {
    case EditOpEcho:
      return {ZelmoEcho, v.echo.get()};
    case EditOpFlange:
      return {ZelmoFlange, v.chorusFlange.get()};
    case EditOpReverb:
      return {ZelmoReverb, v.reverb.get()};
    case EditOpEqualizer:
      return {ZelmoEqualizer, v.equalizer.get()};
    case EditOpChorus:
      return {ZelmoChorus, v.chorusFlange.get()};
    default:
      return {};
  }
}

}  // namespace

OperationResult EditApplyEffect(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result,
                                OperationParameters* params) {
  CEditPass pass(source, result, params);
  if (OperationResult begun = pass.Begin(); begun != OperationResultDone) return begun;
  const EffectChoice effect = ChooseEffect(pass.Values(), pass.Params().request.operation);
  if (!effect.record) return pass.Fail(kLineNoEffectRecord);

  std::unique_ptr<CZelmo> chain(new (std::nothrow) CZelmo());
  if (!chain) return pass.Fail(kLineNoChain);
  chain->SetSizeOutputBufferSample(kOutputBlockFrames);
  chain->SetSizeMaxInputBufferSample(kMaxInputFrames);
  chain->SetChannels(static_cast<short>(pass.Channels()));
  EqualizerInit bands{{60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000}, 4096};
  short number = -1;
  chain->AddEffect(effect.type, &number, effect.type == ZelmoEqualizer ? &bands : nullptr);
  if (number < 0 || chain->NumberOfEffects() != 1) return pass.Fail(kLineEffectNotAdded);
  chain->SetEffectParameters(number, effect.record);

  const FrameRange range = pass.Range();
  int16_t* work = pass.Work();
  auto* bytes = reinterpret_cast<uint8_t*>(work);
  if (!pass.Copy(0, range.first, kCopyBlockFrames) || !pass.Seek(range.first)) return pass.Stop();
  uint32_t in = range.first;
  for (uint32_t out = range.first; out < range.End();) {
    const uint32_t keep = std::min(kOutputBlockFrames, range.End() - out);
    const uint32_t needed = chain->GetMinSamplesNeededForOutput();
    if (needed > kMaxInputFrames) return pass.Fail(kLineInputTooLarge);
    uint32_t got = 0;
    if (in < range.End() && !pass.Read(work, std::min(needed, range.End() - in), &got)) return pass.Stop();
    // Past the range (and past what a read left in the buffer) the effect hears silence.
    std::memset(bytes + static_cast<size_t>(got) * pass.FrameBytes(), 0,
                kZeroedBytes - static_cast<size_t>(got) * pass.FrameBytes());
    if (chain->ProcessAudio(work, needed) == 0) return pass.Fail(kLineNotProcessed);
    if (!pass.AppendAndReport(work, keep)) return pass.Stop();
    in += got;
    out += keep;
  }
  if (!pass.Copy(range.End(), pass.Length(), kCopyBlockFrames)) return pass.Stop();
  return pass.Finish();
}
