#include "ColorSettingsForm.h"

namespace forms {
namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

}  // namespace

const std::array<PaletteColor, kPaletteColors> kPalette = {{
    {"Blue", Rgb(0, 128, 255)},
    {"Yellow", Rgb(240, 240, 0)},
    {"Medium Gray", Rgb(165, 165, 165)},
    {"Red", Rgb(225, 15, 15)},
    {"Black", Rgb(0, 0, 0)},
    {"White", Rgb(255, 255, 255)},
    {"Light Gray", Rgb(180, 180, 180)},
    {"Dark Gray", Rgb(110, 110, 110)},
    {"Orange", Rgb(255, 110, 0)},
    {"Green", Rgb(0, 105, 0)},
    {"Maroon", Rgb(127, 0, 0)},
    {"Purple", Rgb(105, 105, 255)},
}};

int PaletteIndex(uint32_t colorref) {
  for (int i = 0; i < kPaletteColors; ++i) {
    if (kPalette[i].colorref == (colorref & 0xFFFFFF)) return i;
  }
  return 0;
}

uint32_t& MemberOf(TrackColorSet& set, ColorMember member) {
  switch (member) {
    case ColorMember::Background: return set.snippetBox;
    case ColorMember::Waveform: return set.waveformFill;
    case ColorMember::Outline: return set.waveformOutline;
    case ColorMember::Markers: break;
  }
  return set.marker;
}

uint32_t MemberOf(const TrackColorSet& set, ColorMember member) {
  return MemberOf(const_cast<TrackColorSet&>(set), member);
}

ColorSettingsForm::ColorSettingsForm(const ColorSettingsRequest& request) {
  state_.trackColors = request.trackColors;
  state_.loopColors = request.loopColors;
  state_.editorColors = request.editorColors;
  state_.useTrackColors = request.useTrackColors != 0;
}

std::vector<std::string> ColorSettingsForm::Items() const {
  std::vector<std::string> items;
  const bool tracks = view_ == kTrackView;
  const int count = tracks ? ColorSettingsRequest::kTracks : ColorSettingsRequest::kLoops;
  for (int i = 1; i <= count; ++i) items.push_back((tracks ? "Track " : "Loop ") + std::to_string(i));
  return items;
}

const TrackColorSet& ColorSettingsForm::CurrentSet() const {
  return view_ == kTrackView ? state_.trackColors[selectedTrack_] : state_.loopColors[selectedLoop_];
}

TrackColorSet& ColorSettingsForm::CurrentSet() {
  return view_ == kTrackView ? state_.trackColors[selectedTrack_] : state_.loopColors[selectedLoop_];
}

int ColorSettingsForm::CurrentIndex(ColorMember member) const { return PaletteIndex(MemberOf(CurrentSet(), member)); }

int ColorSettingsForm::EditorIndex(ColorMember member) const {
  return PaletteIndex(MemberOf(state_.editorColors, member));
}

void ColorSettingsForm::OnView(int view) { view_ = view == kLoopBank ? kLoopBank : kTrackView; }

void ColorSettingsForm::OnItem(int selection) {
  const int count = view_ == kTrackView ? ColorSettingsRequest::kTracks : ColorSettingsRequest::kLoops;
  if (selection < 0 || selection >= count) return;
  (view_ == kTrackView ? selectedTrack_ : selectedLoop_) = selection;
}

void ColorSettingsForm::OnColor(ColorMember member, int paletteIndex) {
  if (paletteIndex < 0 || paletteIndex >= kPaletteColors) return;
  MemberOf(CurrentSet(), member) = kPalette[paletteIndex].colorref;
}

void ColorSettingsForm::OnEditorColor(ColorMember member, int paletteIndex) {
  if (paletteIndex < 0 || paletteIndex >= kPaletteColors) return;
  MemberOf(state_.editorColors, member) = kPalette[paletteIndex].colorref;
}

void ColorSettingsForm::OnSetAll() {
  const TrackColorSet current = CurrentSet();
  state_.trackColors.fill(current);
  state_.loopColors.fill(current);
  state_.editorColors = current;
}

}  // namespace forms
