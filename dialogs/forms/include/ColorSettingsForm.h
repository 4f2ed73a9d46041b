// "Color Settings": the colour sets of the tracks, the loops and the Audio
// Editor, chosen from a palette of twelve.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "requests/SettingsRequests.h"

namespace forms {

struct PaletteColor {
  const char* name;
  uint32_t colorref;  // 0x00BBGGRR
};
constexpr int kPaletteColors = 12;
extern const std::array<PaletteColor, kPaletteColors> kPalette;

// Index of a colour in the palette; a colour that is not there is the first.
int PaletteIndex(uint32_t colorref);

// The four members of a set, in the order of the set.
enum class ColorMember { Background, Waveform, Outline, Markers };

class ColorSettingsForm {
 public:
  static constexpr int kTrackView = 1;
  static constexpr int kLoopBank = 2;

  explicit ColorSettingsForm(const ColorSettingsRequest& request);

  int View() const { return view_; }
  // The item combo's entries ("Track 1".."Track 24" or "Loop 1".."Loop 32") and selection.
  std::vector<std::string> Items() const;
  int ItemSelection() const { return view_ == kTrackView ? selectedTrack_ : selectedLoop_; }
  const TrackColorSet& CurrentSet() const;
  int CurrentIndex(ColorMember member) const;
  int EditorIndex(ColorMember member) const;
  bool UseTrackColors() const { return state_.useTrackColors != 0; }

  void OnView(int view);
  void OnItem(int selection);
  void OnColor(ColorMember member, int paletteIndex);
  void OnEditorColor(ColorMember member, int paletteIndex);
  void OnUseTrackColors(bool ticked) { state_.useTrackColors = ticked ? 1 : 0; }
  // "Set All To Current Color": every track, every loop number and the Audio Editor.
  void OnSetAll();

  const ColorSettingsRequest::Result& Result() const { return state_; }

 private:
  TrackColorSet& CurrentSet();
  ColorSettingsRequest::Result state_;
  int view_ = kTrackView;
  int selectedTrack_ = 0;
  int selectedLoop_ = 0;
};

uint32_t& MemberOf(TrackColorSet& set, ColorMember member);
uint32_t MemberOf(const TrackColorSet& set, ColorMember member);

}  // namespace forms
