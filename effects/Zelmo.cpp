#include "Zelmo.h"

#include <new>
#include <vector>

#include "Echo.h"
#include "EffectList.h"
#include "Equalizer.h"
#include "Levels.h"
#include "Phaser.h"
#include "ReportErrorDll.h"
#include "reverb.h"

namespace {

constexpr int kCreateList = 40;
constexpr int kNullNumber = 168;
constexpr int kCannotCreate = 198;
constexpr int kNullLevelParameters = 390;

using Guard = std::lock_guard<std::recursive_mutex>;

std::unique_ptr<CEffect> CreateEffect(ZelmoEffectType type) {
  switch (type) {
    case ZelmoEcho: return std::unique_ptr<CEffect>(new (std::nothrow) CEcho);
    case ZelmoReverb: return std::unique_ptr<CEffect>(new (std::nothrow) CReverb);
    case ZelmoChorus: return std::unique_ptr<CEffect>(new (std::nothrow) CPhaser(ZelmoChorus));
    case ZelmoFlange: return std::unique_ptr<CEffect>(new (std::nothrow) CPhaser(ZelmoFlange));
    case ZelmoEqualizer: return std::unique_ptr<CEffect>(new (std::nothrow) CEqualizer);
    case ZelmoLevels: return std::unique_ptr<CEffect>(new (std::nothrow) CLevels);
    default: return nullptr;
  }
}

}  // namespace

CZelmo::CZelmo() : list_(new (std::nothrow) CEffectList) {
  if (!list_) ReportErrorDll(__FILE__, kCreateList, "");
}

CZelmo::~CZelmo() {
  Guard guard(lock_);
  list_.reset();
}

unsigned int CZelmo::SetChannels(short channels) {
  Guard guard(lock_);
  if (!list_) return 0;
  channels_ = channels;
  list_->set_channels(channels);
  return 1;
}

unsigned int CZelmo::SetSizeMaxInputBufferSample(uint32_t frames) {
  Guard guard(lock_);
  if (!list_) return 0;
  list_->SetMaxInput(frames);
  return 1;
}

unsigned int CZelmo::SetSizeOutputBufferSample(uint32_t frames) {
  Guard guard(lock_);
  if (!list_) return 0;
  list_->set_output_block(frames);
  return 1;
}

unsigned int CZelmo::UpdateBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames) {
  Guard guard(lock_);
  if (!list_) return 0;
  list_->UpdateBufferSizes(outputFrames, maxInputFrames);
  if (prepared_) PrepareForPlayback();  // buffers made anew are only address space
  return 0;
}

namespace {
std::unique_ptr<CEffect> BuildEffect(ZelmoEffectType type, short channels, uint32_t maxInput, bool prepared,
                                     void* initData) {
  std::unique_ptr<CEffect> effect = CreateEffect(type);
  if (!effect) return nullptr;
  effect->set_channels(channels);
  effect->set_max_input(maxInput);
  effect->AllocateWorkBuffers();
  effect->Init(initData);
  if (prepared) effect->PrepareForPlayback();
  return effect;
}
}  // namespace

unsigned int CZelmo::AddEffect(ZelmoEffectType type, short* number, void* initData) {
  short channels = 0;
  uint32_t maxInput = 0;
  bool prepared = false;
  {
    Guard guard(lock_);
    if (!list_) return 0;
    if (!number) {
      ReportErrorDll(__FILE__, kNullNumber, "");
      return 0;
    }
    channels = list_->channels();
    maxInput = list_->max_input();
    prepared = prepared_;
  }
  // Made, sized and backed with memory outside the lock: a chain that plays
  // waits for the insertion only, never for an effect's seconds of history.
  std::unique_ptr<CEffect> effect = BuildEffect(type, channels, maxInput, prepared, initData);
  if (!effect) {
    ReportErrorDll(__FILE__, kCannotCreate, "");
    return 0;
  }
  Guard guard(lock_);
  if (list_->channels() != channels || list_->max_input() != maxInput || prepared_ != prepared) {
    // The chain was set up anew meanwhile: build to its new sizes.
    effect = BuildEffect(type, list_->channels(), list_->max_input(), prepared_, initData);
    if (!effect) {
      ReportErrorDll(__FILE__, kCannotCreate, "");
      return 0;
    }
  }
  *number = list_->Add(std::move(effect));
  return 0;
}

unsigned int CZelmo::ProcessAudio(short* block, uint32_t frames) {
  Guard guard(lock_);
  if (!list_) return 0;
  if (bypass_) {
    list_->Skip(frames);
    return 0;
  }
  return list_->Process(block, frames);
}

unsigned int CZelmo::SkipAudio(uint32_t frames) {
  Guard guard(lock_);
  if (!list_) return 0;
  list_->Skip(frames);
  return 1;
}

uint32_t CZelmo::GetMinSamplesNeededForOutput() {
  Guard guard(lock_);
  if (!list_) return 0;
  return list_->LatencyFrames() + list_->output_block();
}

unsigned int CZelmo::PrepareForPlayback() {
  Guard guard(lock_);
  if (!list_) return 0;
  prepared_ = true;
  for (short n = 0; n < list_->count(); ++n) list_->Find(n)->PrepareForPlayback();
  return 1;
}

unsigned int CZelmo::Reset() {
  Guard guard(lock_);
  if (list_) list_->Reset();
  return 0;
}

unsigned int CZelmo::SetEffectParameters(short effect, void* record) {
  Guard guard(lock_);
  if (!list_) return 0;
  return list_->SetEffectParameters(effect, record);
}

unsigned int CZelmo::GetEffectParameters(short effect, void* out) {
  Guard guard(lock_);
  if (!list_) return 0;
  return list_->GetEffectParameters(effect, out);
}

unsigned int CZelmo::SetEffectBypass(short effect, int bypass) {
  Guard guard(lock_);
  CEffect* found = list_ ? list_->Find(effect) : nullptr;
  if (!found) return 0;
  // An effect coming back starts from silence, not from what it held when it
  // was bypassed: that history would sound as a click or a stale echo.
  if (found->bypass() && !bypass) found->Reset();
  found->set_bypass(bypass);
  return 1;
}

int CZelmo::GetEffectBypass(short effect) {
  Guard guard(lock_);
  CEffect* found = list_ ? list_->Find(effect) : nullptr;
  return found ? found->bypass() : 0;
}

unsigned int CZelmo::SetBypass(int bypass) {
  Guard guard(lock_);
  if (!list_) return 0;
  if (bypass_ && !bypass) list_->Reset();  // as for one effect coming back
  bypass_ = bypass;
  return 1;
}

int CZelmo::GetBypass() {
  Guard guard(lock_);
  if (!list_) return 0;
  return bypass_;
}

short CZelmo::GetChannels() {
  Guard guard(lock_);
  if (!list_) return 0;
  return channels_;
}

short CZelmo::NumberOfEffects() {
  Guard guard(lock_);
  if (!list_) return 0;
  return list_->count();
}

unsigned int CZelmo::GetEffectType(short effect, unsigned int* type) {
  Guard guard(lock_);
  CEffect* found = list_ ? list_->Find(effect) : nullptr;
  if (found && type) *type = found->type();
  return 0;
}

int CZelmo::DoesEqualizerExistInList() {
  Guard guard(lock_);
  return list_ && list_->HasEqualizer() ? 1 : 0;
}

unsigned int CZelmo::InitGetAllEffects() {
  Guard guard(lock_);
  if (list_) list_->InitGetAllEffects();
  return 0;
}

unsigned int CZelmo::GetNextEffect(CEffect** out) {
  Guard guard(lock_);
  CEffect* next = list_ ? list_->GetNextEffect() : nullptr;
  if (out) *out = next;
  return next ? 1 : 0;
}

unsigned int CZelmo::GetNextEffectType(unsigned int* type) {
  Guard guard(lock_);
  CEffect* next = list_ ? list_->GetNextEffect() : nullptr;
  if (type) *type = next ? next->type() : 0;
  return next ? 1 : 0;
}

unsigned int CZelmo::MoveEffectFoward(short effect) {
  Guard guard(lock_);
  if (list_) list_->MoveForward(effect);
  return 0;
}

unsigned int CZelmo::MoveEffectBack(short effect) {
  Guard guard(lock_);
  if (list_) list_->MoveBack(effect);
  return 0;
}

unsigned int CZelmo::SetLevelsChannelsIndependent(short effect, int independent) {
  Guard guard(lock_);
  if (!list_) return 0;
  return list_->SetLevelsChannelsIndependent(effect, independent);
}

int CZelmo::GetLevelsChannelsIndependent(short effect) {
  Guard guard(lock_);
  if (!list_) return 0;
  return list_->GetLevelsChannelsIndependent(effect);
}

unsigned int CZelmo::AddLevelEntry(short effect, Zelmo_Level_Entry* entry, unsigned int channel) {
  // Declared before the guard, so what is left of it is freed after the lock is let go.
  CLevels::Spare spare;
  if (entry) {
    CLevels::Room room;
    {
      Guard guard(lock_);
      CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
      if (!levels) return 0;
      room = levels->GetRoom();
    }
    spare = CLevels::MakeSpare(*entry, channel, room);
  }
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  return levels ? levels->AddLevelEntry(entry, channel, &spare) : 0;
}

unsigned int CZelmo::RemoveLevelEntryByNumber(short effect, unsigned int number, unsigned int channel) {
  std::unique_ptr<Zelmo_Level_Entry> removed;  // freed after the lock is let go
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  return levels ? levels->RemoveLevelEntryByNumber(number, channel, &removed) : 0;
}

unsigned int CZelmo::InitGetAllLevelEntries(short effect, unsigned int channel) {
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  return levels ? levels->InitGetAllLevelEntries(channel) : 0;
}

unsigned int CZelmo::InitGetLevelEntriesBetween(short effect, uint32_t from, uint32_t to, unsigned int channel) {
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  return levels ? levels->InitGetLevelEntriesBetween(from, to, channel) : 0;
}

unsigned int CZelmo::GetNextLevelEntry(short effect, Zelmo_Level_Entry** out, unsigned int channel) {
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  if (!levels) {
    if (out) *out = nullptr;
    return 0;
  }
  return levels->GetNextLevelEntry(out, channel);
}

unsigned int CZelmo::GetLevelEntryNumber(short effect, Zelmo_Level_Entry** out, short number, unsigned int channel) {
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  if (!levels) {
    if (out) *out = nullptr;
    return 0;
  }
  return levels->GetLevelEntryNumber(out, number, channel);
}

short CZelmo::GetLevelBeginPointNumber(short effect) {
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  return levels ? levels->GetLevelBeginPointNumber() : 0;
}

short CZelmo::GetTotalLevelPoints(short effect, unsigned int channel) {
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  return levels ? levels->GetTotalLevelPoints(channel) : 0;
}

unsigned int CZelmo::CheckIfLevelPointExists(short effect, uint32_t samplePosition, unsigned int channel) {
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  return levels ? levels->CheckIfLevelPointExists(samplePosition, channel) : 0;
}

float CZelmo::GetLevelVolumeAt(short effect, uint32_t samplePosition, unsigned int channel) {
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  return levels ? levels->GetLevelVolumeAt(samplePosition, channel) : 0.0f;
}

short CZelmo::CopyLevelEntries(short effect, unsigned int channel, Zelmo_Level_Entry* out, short capacity) {
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  return levels ? levels->CopyLevelEntries(channel, out, capacity) : 0;
}

unsigned int CZelmo::SetLevelEntryGain(short effect, short number, unsigned int channel, float gain) {
  Guard guard(lock_);
  CLevels* levels = list_ ? list_->FindLevels(effect) : nullptr;
  return levels ? levels->SetLevelEntryGain(number, channel, gain) : 0;
}

unsigned int CZelmo::UpdateAllLevelParameters(Zelmo_Levels_Parameters* parameters) {
  Guard guard(lock_);
  if (!list_) return 0;
  if (!parameters) {
    ReportErrorDll(__FILE__, kNullLevelParameters, "");
    return 0;
  }
  list_->UpdateAllLevelParameters(*parameters);
  return 1;
}

unsigned int CZelmo::SetEndAudioSample(uint32_t frame) {
  Guard guard(lock_);
  if (!list_) return 0;
  list_->SetEndAudioSample(frame);
  return 1;
}

unsigned int CZelmo::RemoveEffect(short effect) {
  std::unique_ptr<CEffect> taken;
  {
    Guard guard(lock_);
    if (list_) taken = list_->Take(effect);
  }
  // Freed after the lock: a playing chain never waits for its buffers to go.
  return 0;
}

unsigned int CZelmo::RemoveAllEffects() {
  std::vector<std::unique_ptr<CEffect>> taken;
  {
    Guard guard(lock_);
    if (!list_) return 0;
    taken.reserve(static_cast<size_t>(list_->count()));
    while (list_->count() > 0) taken.push_back(list_->Take(0));
  }
  return 0;
}
