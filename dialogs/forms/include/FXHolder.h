// The effect holder as plain C++: the five effect panels, not live, one of
// which collects the values of a destructive effect on audio, and the engine
// record built from it. The panels live as long as the holder, so each
// showing starts from the values the user left.
#pragma once

#include <string>

#include "EffectPanels.h"
#include "requests/EditRequests.h"

namespace forms {

class CFXHolder {
 public:
  static constexpr int kTemplateId = 256;
  // BuildEffectRecord's results.
  static constexpr int kBuilt = 0, kFault = 3;

  CFXHolder();

  void SetPresetFolder(const std::string& folder);
  // 1 to 5 (HolderEffectType); set before the window opens.
  void SetEffectType(int32_t type) { effectType_ = type; }
  int32_t EffectType() const { return effectType_; }
  // The chosen panel's scope choices; an effect type outside 1 to 5 is reported.
  void SetSectionAvailable(int available);
  void SetMarkersAvailable(int available);
  void SetScope(int scope);

  // "Echo Effect", ...; "" for an unknown type.
  std::string Caption() const;
  // The chosen panel; null (and reported) for an unknown type.
  CEffectPanel* Panel();

  // The chosen effect's record and the operation's values from the panel:
  // kBuilt, or kFault for an unknown type (reported).
  int BuildEffectRecord(FXHolderRequest::Result* out);

  CEqualizerDialog& Equalizer() { return equalizer_; }
  CEchoDialog& Echo() { return echo_; }
  CFlangeDialog& Flange() { return flange_; }
  CChorusDialog& Chorus() { return chorus_; }
  CReverbDialog& Reverb() { return reverb_; }

 private:
  CEffectPanel* Chosen();
  int Refuse(int line) const;

  CEqualizerDialog equalizer_;
  CEchoDialog echo_;
  CFlangeDialog flange_;
  CChorusDialog chorus_;
  CReverbDialog reverb_;
  int32_t effectType_ = HolderEcho;
  int32_t highlightAvailable_ = 0, markersAvailable_ = 0;
};

}  // namespace forms
