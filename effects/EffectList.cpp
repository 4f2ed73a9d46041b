#include "EffectList.h"

#include <utility>

#include "Levels.h"
#include "ReportErrorDll.h"

namespace {

constexpr int kNullEffect = 50;
constexpr int kSetMissingEffect = 430;
constexpr int kGetNullOut = 460;
constexpr int kGetMissingEffect = 467;
constexpr int kSetIndependentMissing = 853;
constexpr int kGetIndependentMissing = 869;

}  // namespace

CEffectList::~CEffectList() = default;

void CEffectList::SetMaxInput(uint32_t frames) {
  // Only the figure: buffers follow with UpdateBufferSizes, never on a block.
  maxInput_ = frames;
  for (auto& effect : effects_) effect->set_max_input(frames);
}

void CEffectList::UpdateBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames) {
  if (maxInputFrames > maxInput_) maxInput_ = maxInputFrames;
  for (auto& effect : effects_) effect->SetBufferSizes(outputFrames, maxInputFrames);
}

short CEffectList::Add(std::unique_ptr<CEffect> effect) {
  if (!effect) {
    ReportErrorDll(__FILE__, kNullEffect, "");
    return -1;
  }
  const short number = count();
  effect->set_number(number);
  effects_.push_back(std::move(effect));
  return number;
}

CEffect* CEffectList::Find(short number) const {
  if (number < 0 || number >= count()) return nullptr;
  return effects_[number].get();
}

CLevels* CEffectList::FindLevels(short number) const {
  CEffect* effect = Find(number);
  return effect && effect->type() == ZelmoLevels ? static_cast<CLevels*>(effect) : nullptr;
}

void CEffectList::Renumber() {
  for (size_t i = 0; i < effects_.size(); ++i) effects_[i]->set_number(static_cast<short>(i));
}

bool CEffectList::Remove(short number) {
  // The effect's destructor joins its workers before its buffers go.
  return Take(number) != nullptr;
}

std::unique_ptr<CEffect> CEffectList::Take(short number) {
  if (number < 0 || number >= count()) return nullptr;
  std::unique_ptr<CEffect> taken = std::move(effects_[static_cast<size_t>(number)]);
  effects_.erase(effects_.begin() + number);
  Renumber();
  if (cursor_ > static_cast<size_t>(number)) --cursor_;
  return taken;
}

void CEffectList::MoveForward(short number) {
  if (count() < 2 || number <= 0 || number >= count()) return;
  std::swap(effects_[number - 1], effects_[number]);
  Renumber();
}

void CEffectList::MoveBack(short number) {
  if (count() < 2 || number < 0 || number + 1 >= count()) return;
  std::swap(effects_[number], effects_[number + 1]);
  Renumber();
}

unsigned int CEffectList::Process(short* block, uint32_t frames) {
  // The equalizer turns any input length into one output block.
  const auto outputOf = [this](const CEffect& effect, uint32_t in) {
    return effect.type() == ZelmoEqualizer ? outputBlock_ : in;
  };
  uint32_t n = frames;
  CEffect* holder = nullptr;  // keeps the block's channels, not yet written back
  for (size_t i = 0; i < effects_.size(); ++i) {
    CEffect& effect = *effects_[i];
    const uint32_t out = outputOf(effect, n);
    const bool takenIn = holder && effect.CanTakeChannelsOf(*holder, n, out);
    if (holder && !takenIn) holder->WriteBackChannels(block, n);
    if (takenIn) effect.TakeChannelsOf(*holder);
    const CEffect* next = i + 1 < effects_.size() ? effects_[i + 1].get() : nullptr;
    const bool handOn = block && next && (takenIn || effect.CanTakeChannelsOf(effect, n, out)) &&
                        next->CanTakeChannelsOf(effect, out, outputOf(*next, out));
    effect.SetChannelHandOff(takenIn, handOn);
    effect.Process(block, n, out);
    effect.SetChannelHandOff(false, false);
    holder = handOn ? &effect : nullptr;
    n = out;
  }
  if (holder) holder->WriteBackChannels(block, n);
  return 1;
}

void CEffectList::Skip(uint32_t frames) {
  uint32_t n = frames;
  for (auto& effect : effects_) {
    if (effect->type() == ZelmoEqualizer) {
      n = outputBlock_;
    } else {
      effect->SkipFrames(n);
    }
  }
}

uint32_t CEffectList::LatencyFrames() const {
  uint32_t sum = 0;
  for (const auto& effect : effects_) sum += effect->GetLatencySamples();
  return sum;
}

void CEffectList::Reset() {
  for (auto& effect : effects_) effect->Reset();
}

bool CEffectList::HasEqualizer() const {
  for (const auto& effect : effects_) {
    if (effect->type() == ZelmoEqualizer) return true;
  }
  return false;
}

unsigned int CEffectList::SetEffectParameters(short number, const void* record) {
  CEffect* effect = Find(number);
  if (!effect) {
    ReportErrorDll(__FILE__, kSetMissingEffect, "");
    return 0;
  }
  return effect->SetParameters(record) ? 1 : 0;
}

unsigned int CEffectList::GetEffectParameters(short number, void* out) const {
  if (!out) {
    ReportErrorDll(__FILE__, kGetNullOut, "");
    return 0;
  }
  CEffect* effect = Find(number);
  if (!effect) {
    ReportErrorDll(__FILE__, kGetMissingEffect, "");
    return 0;
  }
  effect->GetParameters(out);
  return 1;
}

unsigned int CEffectList::SetLevelsChannelsIndependent(short number, int independent) {
  CLevels* levels = FindLevels(number);
  if (!levels) {
    ReportErrorDll(__FILE__, kSetIndependentMissing, "");
    return 0;
  }
  levels->SetChannelsIndependent(independent);
  return 1;
}

int CEffectList::GetLevelsChannelsIndependent(short number) const {
  CLevels* levels = FindLevels(number);
  if (!levels) {
    ReportErrorDll(__FILE__, kGetIndependentMissing, "");
    return 0;
  }
  return levels->GetChannelsIndependent();
}

void CEffectList::UpdateAllLevelParameters(const Zelmo_Levels_Parameters& parameters) {
  for (auto& effect : effects_) {
    if (effect->type() == ZelmoLevels) effect->SetParameters(&parameters);
  }
}

void CEffectList::SetEndAudioSample(uint32_t frame) {
  for (auto& effect : effects_) {
    if (effect->type() == ZelmoLevels) static_cast<CLevels*>(effect.get())->SetEndAudioSample(frame);
  }
}

void CEffectList::InitGetAllEffects() {
  cursor_ = 0;
  lowNumber_ = 0;
  highNumber_ = 16;
}

CEffect* CEffectList::GetNextEffect() {
  while (cursor_ < effects_.size()) {
    CEffect* effect = effects_[cursor_++].get();
    if (effect->number() >= lowNumber_ && effect->number() <= highNumber_) return effect;
  }
  return nullptr;
}
