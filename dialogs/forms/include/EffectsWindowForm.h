// The real-time effects window as plain C++: the chain chosen (the master or
// a track), one tab per effect of it, adding, moving, removing and bypassing
// effects, and the effect panel bound to the tab shown. The chains are the
// application's and may be playing: every change goes through the chain's own
// calls, each under its lock, so the player sees it between two blocks.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "EffectPanels.h"
#include "LevelEnvelopeForm.h"

class CProApp;

namespace forms {

class CEffectsWindowForm {
 public:
  static constexpr int kChains = 25;
  static constexpr int kMaxEffects = 10;
  // The add combo's items, in order.
  static constexpr int kAddLevels = 0, kAddEcho = 1, kAddReverb = 2, kAddChorus = 3, kAddFlange = 4,
                       kAddEqualizer = 5;
  static constexpr const char* kAddItems[6] = {"Levels", "Echo", "Reverb", "Chorus", "Flange", "Equalizer"};
  static constexpr const char* kTooManyText = "Sorry, maximum number of allowable effect per track are 10.";
  static constexpr const char* kSecondEqualizerText = "Sorry, only one equalizer may exist per track.";
  static constexpr const char* kEqualizerPlayingText = "Sorry, cannot add Equalizer effect during playback.";

  explicit CEffectsWindowForm(CProApp& app);

  // Asked when a levels effect is added: 1 the channels are independent, 0 not.
  void SetAskIndependent(std::function<int()> ask) { askIndependent_ = std::move(ask); }
  void SetPresetFolder(const std::string& folder);

  static std::string ChainName(int index);
  static std::string TabText(ZelmoEffectType type);

  int ChainIndex() const { return chainIndex_; }
  void SelectChain(int index);
  // Tabs from the chain as it is now (also after changes made elsewhere).
  void RebuildTabs();
  void SelectTab(int tab);
  const std::vector<std::string>& Tabs() const { return tabs_; }
  int CurrentTab() const { return currentTab_[static_cast<size_t>(chainIndex_)]; }

  // The panel bound to the tab shown; null with no effects and for a levels effect.
  CEffectPanel* ShownPanel() const { return shown_; }
  // The envelope editor when the tab shown is a levels effect, else null.
  CAudioLevelsVisualDialog* ShownLevels() { return levels_.IsBound() ? &levels_ : nullptr; }
  CAudioLevelsVisualDialog& Levels() { return levels_; }
  // Every effect panel the window may show (the levels editor aside).
  std::array<CEffectPanel*, 5> Panels() { return {&echo_, &reverb_, &chorus_, &flange_, &equalizer_}; }

  // The effect chosen in the add combo: true when added.
  bool AddEffect(int item);
  void MoveForward();
  void MoveBack();
  void RemoveEffect();
  void RemoveAllEffects();

  void SetCurrentBypass(bool on);
  void SetTrackBypass(bool on);
  void SetAllBypass(bool on);
  bool CurrentBypass() const { return currentBypass_; }
  bool TrackBypass() const { return trackBypass_; }
  bool AllBypass() const;
  bool CurrentBypassEnabled() const { return !trackBypass_ && !AllBypass(); }
  bool TrackBypassEnabled() const { return !AllBypass(); }

 private:
  CZelmo* Chain() const;
  CZelmo* MakeChain();
  void ShowTab(int tab);
  CEffectPanel* PanelFor(ZelmoEffectType type);
  void Modified();
  // No panel or editor is bound to an effect any more.
  void UnbindShown();

  CProApp& app_;
  std::function<int()> askIndependent_;
  CEchoDialog echo_;
  CReverbDialog reverb_;
  CChorusDialog chorus_;
  CFlangeDialog flange_;
  CEqualizerDialog equalizer_;
  CAudioLevelsVisualDialog levels_;
  CEffectPanel* shown_ = nullptr;
  int chainIndex_ = 0;
  std::array<short, kChains> currentTab_{};
  std::vector<std::string> tabs_;
  bool currentBypass_ = false;
  bool trackBypass_ = false;
};

}  // namespace forms
