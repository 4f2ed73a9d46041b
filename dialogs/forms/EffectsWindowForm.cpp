#include "EffectsWindowForm.h"

#include <mutex>

#include "Clock.h"
#include "pro.h"

namespace forms {

namespace {
// Room a chain keeps beyond a block for what its effects read ahead.
constexpr uint32_t kChainReadAheadFrames = 16384;
constexpr unsigned int kBothChannels = 3;

EchoParams DefaultEcho() { return {0.7943f, 0.7943f, 0.631f, 0.631f, 0.5f, 0.5f, 300.0f, 300.0f}; }
ReverbParams DefaultReverb() {
  return {0.7499f, 0.7499f, 0.5623f, 0.5623f, 0.25f, 0.25f, 150.0f, 150.0f, 300.0f, 300.0f};
}
ChorusFlangeParams DefaultModulated() {
  return {0.3981f, 0.3981f, 0.5012f, 0.5012f, 0.5f, 0.5f, 0.0f, 0.0f, 4.0f, 4.0f, 3.0f, 3.0f};
}
EqualizerInit DefaultEqualizerInit() {
  return {{60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000}, 4096};
}
EqualizerParams FlatEqualizer() {
  EqualizerParams flat{};
  flat.interpolationMode = 0;
  for (int b = 0; b < kEqualizerBandCount; ++b) flat.left.gains[b] = flat.right.gains[b] = 1.0f;
  return flat;
}
}  // namespace

CEffectsWindowForm::CEffectsWindowForm(CProApp& app) : app_(app) {
  for (CEffectPanel* panel : {static_cast<CEffectPanel*>(&echo_), static_cast<CEffectPanel*>(&reverb_),
                              static_cast<CEffectPanel*>(&chorus_), static_cast<CEffectPanel*>(&flange_),
                              static_cast<CEffectPanel*>(&equalizer_)}) {
    panel->SetOnModified([this] { Modified(); });
    // A preset name missing or a preset file that cannot be written is told, not passed over.
    panel->SetInform([this](const std::string& text) { app_.services.ui.Inform(text); });
  }
  levels_.SetOnModified([this] { Modified(); });
  levels_.SetInform([this](const std::string& text) { app_.services.ui.Inform(text); });
}

void CEffectsWindowForm::SetPresetFolder(const std::string& folder) {
  echo_.SetPresetFolder(folder);
  reverb_.SetPresetFolder(folder);
  chorus_.SetPresetFolder(folder);
  flange_.SetPresetFolder(folder);
  equalizer_.SetPresetFolder(folder);
}

std::string CEffectsWindowForm::ChainName(int index) {
  return index == 0 ? std::string("Main Output") : "Track " + std::to_string(index);
}

std::string CEffectsWindowForm::TabText(ZelmoEffectType type) {
  switch (type) {
    case ZelmoEcho: return "Echo";
    case ZelmoReverb: return "Reverb";
    case ZelmoChorus: return "Chorus";
    case ZelmoFlange: return "Flange";
    case ZelmoEqualizer: return "Equalizer";
    case ZelmoLevels: return "Levels";
    default: return "";
  }
}

CZelmo* CEffectsWindowForm::Chain() const { return app_.effectChains[static_cast<size_t>(chainIndex_)].get(); }

CZelmo* CEffectsWindowForm::MakeChain() {
  if (CZelmo* chain = Chain()) return chain;
  // Set up completely before the player can see it.
  auto made = std::make_unique<CZelmo>();
  const auto block = static_cast<uint32_t>(app_.bufferFrames);
  made->SetSizeOutputBufferSample(block);
  made->SetSizeMaxInputBufferSample(block + kChainReadAheadFrames);
  made->SetChannels(2);
  made->PrepareForPlayback();
  CZelmo* chain = made.get();
  std::lock_guard<platform::CCriticalSection> hold(app_.project.GetLock());
  app_.effectChains[static_cast<size_t>(chainIndex_)] = std::move(made);
  return chain;
}

CEffectPanel* CEffectsWindowForm::PanelFor(ZelmoEffectType type) {
  switch (type) {
    case ZelmoEcho: return &echo_;
    case ZelmoReverb: return &reverb_;
    case ZelmoChorus: return &chorus_;
    case ZelmoFlange: return &flange_;
    case ZelmoEqualizer: return &equalizer_;
    default: return nullptr;
  }
}

void CEffectsWindowForm::Modified() { app_.modified = 1; }

void CEffectsWindowForm::UnbindShown() {
  if (shown_) shown_->Unbind();
  shown_ = nullptr;
  levels_.Unbind();
}

void CEffectsWindowForm::SelectChain(int index) {
  if (index < 0 || index >= kChains) return;
  chainIndex_ = index;
  RebuildTabs();
}

void CEffectsWindowForm::RebuildTabs() {
  tabs_.clear();
  UnbindShown();
  CZelmo* chain = Chain();
  // Walked by number: the chain's shared cursor is not ours to move.
  const short count = chain ? chain->NumberOfEffects() : 0;
  for (short i = 0; i < count; ++i) {
    unsigned int type = 0;
    chain->GetEffectType(i, &type);
    tabs_.push_back(TabText(type));
  }
  short& remembered = currentTab_[static_cast<size_t>(chainIndex_)];
  if (remembered < 0 || remembered >= count) remembered = 0;
  ShowTab(remembered);
}

void CEffectsWindowForm::SelectTab(int tab) {
  if (tab < 0 || tab >= static_cast<int>(tabs_.size())) return;
  UnbindShown();
  currentTab_[static_cast<size_t>(chainIndex_)] = static_cast<short>(tab);
  ShowTab(tab);
}

void CEffectsWindowForm::ShowTab(int tab) {
  CZelmo* chain = Chain();
  if (!chain || chain->NumberOfEffects() == 0 || tab >= chain->NumberOfEffects()) {
    currentBypass_ = trackBypass_ = false;
    return;
  }
  unsigned int type = 0;
  chain->GetEffectType(static_cast<short>(tab), &type);
  shown_ = PanelFor(type);
  if (shown_) {
    shown_->Bind(chain, static_cast<short>(tab));
    shown_->LoadFromEngine();
    shown_->InitDialog();
  } else if (type == ZelmoLevels) {
    levels_.Bind(chain, static_cast<short>(tab));
    levels_.SetProjectSource({app_.project.projectEnd, app_.project.tempo, app_.project.beatsPerBarChoice});
    levels_.InitDialog();
  }
  currentBypass_ = chain->GetEffectBypass(static_cast<short>(tab)) != 0;
  trackBypass_ = chain->GetBypass() != 0;
}

bool CEffectsWindowForm::AddEffect(int item) {
  CZelmo* existing = Chain();
  if (existing && existing->NumberOfEffects() >= kMaxEffects) {
    app_.services.ui.Inform(kTooManyText);
    return false;
  }
  if (item == kAddEqualizer) {
    if (existing && existing->DoesEqualizerExistInList()) {
      app_.services.ui.Inform(kSecondEqualizerText);
      return false;
    }
    if (app_.playing.load() != 0) {
      app_.services.ui.Inform(kEqualizerPlayingText);
      return false;
    }
  }
  CZelmo* chain = MakeChain();
  const auto block = static_cast<uint32_t>(app_.bufferFrames);
  chain->UpdateBufferSizes(block, block + kChainReadAheadFrames);
  short number = -1;
  switch (item) {
    case kAddEcho: {
      chain->AddEffect(ZelmoEcho, &number, nullptr);
      EchoParams p = DefaultEcho();
      if (number >= 0) chain->SetEffectParameters(number, &p);
      break;
    }
    case kAddReverb: {
      chain->AddEffect(ZelmoReverb, &number, nullptr);
      ReverbParams p = DefaultReverb();
      if (number >= 0) chain->SetEffectParameters(number, &p);
      break;
    }
    case kAddChorus:
    case kAddFlange: {
      chain->AddEffect(item == kAddChorus ? ZelmoChorus : ZelmoFlange, &number, nullptr);
      ChorusFlangeParams p = DefaultModulated();
      if (number >= 0) chain->SetEffectParameters(number, &p);
      break;
    }
    case kAddEqualizer: {
      EqualizerInit init = DefaultEqualizerInit();
      chain->AddEffect(ZelmoEqualizer, &number, &init);
      EqualizerParams p = FlatEqualizer();
      if (number >= 0) chain->SetEffectParameters(number, &p);
      break;
    }
    case kAddLevels: {
      chain->AddEffect(ZelmoLevels, &number, nullptr);
      if (number < 0) break;
      chain->SetLevelsChannelsIndependent(number, askIndependent_ ? askIndependent_() : 0);
      const uint32_t length = chainIndex_ == 0 ? app_.project.GetLastEnd()
                                               : app_.project.GetTrackLength(chainIndex_ - 1);
      Zelmo_Levels_Parameters p{0, length, app_.project.tempo};
      chain->SetEffectParameters(number, &p);
      Zelmo_Level_Entry first{platform::GetTickCount32() + 2, app_.project.tempo, 1.0f, 0, 0};
      chain->AddLevelEntry(number, &first, kBothChannels);
      break;
    }
    default: return false;
  }
  if (number < 0) return false;
  currentTab_[static_cast<size_t>(chainIndex_)] = number;
  Modified();
  RebuildTabs();
  return true;
}

void CEffectsWindowForm::MoveForward() {
  CZelmo* chain = Chain();
  short& c = currentTab_[static_cast<size_t>(chainIndex_)];
  if (!chain || c <= 0 || c >= chain->NumberOfEffects()) return;
  chain->MoveEffectFoward(c);
  --c;
  Modified();
  RebuildTabs();
}

void CEffectsWindowForm::MoveBack() {
  CZelmo* chain = Chain();
  short& c = currentTab_[static_cast<size_t>(chainIndex_)];
  if (!chain || c < 0 || c >= chain->NumberOfEffects() - 1) return;
  chain->MoveEffectBack(c);
  ++c;
  Modified();
  RebuildTabs();
}

void CEffectsWindowForm::RemoveEffect() {
  CZelmo* chain = Chain();
  if (!chain || chain->NumberOfEffects() == 0) return;
  UnbindShown();  // before its effect goes
  chain->RemoveEffect(currentTab_[static_cast<size_t>(chainIndex_)]);
  currentTab_[static_cast<size_t>(chainIndex_)] = 0;
  Modified();
  RebuildTabs();
}

void CEffectsWindowForm::RemoveAllEffects() {
  CZelmo* chain = Chain();
  if (!chain) return;
  UnbindShown();
  chain->RemoveAllEffects();
  Modified();
  RebuildTabs();
}

void CEffectsWindowForm::SetCurrentBypass(bool on) {
  CZelmo* chain = Chain();
  if (chain && chain->NumberOfEffects() > 0) {
    chain->SetEffectBypass(currentTab_[static_cast<size_t>(chainIndex_)], on ? 1 : 0);
    currentBypass_ = on;
  }
  Modified();
}

void CEffectsWindowForm::SetTrackBypass(bool on) {
  if (CZelmo* chain = Chain()) {
    chain->SetBypass(on ? 1 : 0);
    trackBypass_ = on;
  }
  Modified();
}

bool CEffectsWindowForm::AllBypass() const { return app_.project.bypass.load() != 0; }

void CEffectsWindowForm::SetAllBypass(bool on) {
  if (!on && AllBypass()) {
    // The chains start again from silence; reset while the mixer still skips
    // them, so no block hears what they held before.
    for (auto& chain : app_.effectChains) {
      if (chain) chain->Reset();
    }
  }
  app_.SetBypassAllEffects(on ? 1 : 0);
  Modified();
}

}  // namespace forms
