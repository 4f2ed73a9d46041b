#include "FXHolder.h"

#include "Generic.h"

namespace forms {

namespace {
constexpr const char* kSource = "FXHolder";
}  // namespace

CFXHolder::CFXHolder() {
  equalizer_.SetDestructive(EffectNone);
  echo_.SetDestructive(EffectEcho);
  flange_.SetDestructive(EffectFlange);
  chorus_.SetDestructive(EffectChorus);
  reverb_.SetDestructive(EffectReverb);
}

void CFXHolder::SetPresetFolder(const std::string& folder) {
  for (CEffectPanel* panel : std::initializer_list<CEffectPanel*>{&equalizer_, &echo_, &flange_, &chorus_, &reverb_}) {
    panel->SetPresetFolder(folder);
  }
}

CEffectPanel* CFXHolder::Chosen() {
  switch (effectType_) {
    case HolderEqualizer: return &equalizer_;
    case HolderEcho: return &echo_;
    case HolderFlange: return &flange_;
    case HolderReverb: return &reverb_;
    case HolderChorus: return &chorus_;
    default: return nullptr;
  }
}

int CFXHolder::Refuse(int line) const {
  ReportError(kSource, line, "");
  return kFault;
}

CEffectPanel* CFXHolder::Panel() {
  CEffectPanel* panel = Chosen();
  if (!panel) Refuse(__LINE__);
  return panel;
}

void CFXHolder::SetSectionAvailable(int available) {
  if (CEffectPanel* panel = Panel()) panel->SetAvailable(available != 0, markersAvailable_ != 0);
  highlightAvailable_ = available;
}

void CFXHolder::SetMarkersAvailable(int available) {
  if (CEffectPanel* panel = Panel()) panel->SetAvailable(highlightAvailable_ != 0, available != 0);
  markersAvailable_ = available;
}

void CFXHolder::SetScope(int scope) {
  if (CEffectPanel* panel = Panel()) panel->SetScope(scope);
}

std::string CFXHolder::Caption() const {
  switch (effectType_) {
    case HolderEqualizer: return "Equalizer Effect";
    case HolderEcho: return "Echo Effect";
    case HolderFlange: return "Flange Effect";
    case HolderReverb: return "Reverb Effect";
    case HolderChorus: return "Chorus Effect";
    default: return "";
  }
}

int CFXHolder::BuildEffectRecord(FXHolderRequest::Result* out) {
  if (!out) return Refuse(__LINE__);
  switch (effectType_) {
    case HolderEqualizer: {
      EqualizerParams record{};
      equalizer_.FillEffectRecord(&record);
      out->effect = record;
      break;
    }
    case HolderEcho: {
      EchoParams record{};
      echo_.FillEffectRecord(&record);
      out->effect = record;
      break;
    }
    case HolderReverb: {
      ReverbParams record{};
      reverb_.FillEffectRecord(&record);
      out->effect = record;
      break;
    }
    case HolderFlange:
    case HolderChorus: {
      ChorusFlangeParams record{};
      CModulatedPanel& panel = effectType_ == HolderFlange ? static_cast<CModulatedPanel&>(flange_) : chorus_;
      panel.FillEffectRecord(&record);
      out->effect = record;
      break;
    }
    default: return Refuse(__LINE__);
  }
  return Chosen()->GetParameters(&out->values) == 0 ? kBuilt : kFault;
}

}  // namespace forms
