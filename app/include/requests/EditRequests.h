// Requests of the edit-operation dialogs, the effect holder and the mixdown
// dialog. The core tells each dialog the edited audio's channel count and
// which scope choices it offers; OK answers with the values its
// GetParameters gives.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <variant>

#include "Zelmo.h"

// The scope radio buttons.
constexpr int32_t kScopeHighlighted = 1155;
constexpr int32_t kScopeBetweenMarkers = 1156;
constexpr int32_t kScopeWhole = 1158;

// What every edit dialog is told before it is shown.
struct OperationDialogSetup {
  int16_t channels = 2;
  int32_t highlightAvailable = 0;
  int32_t markersAvailable = 0;
  int32_t scope = kScopeWhole;  // preselected
};

// What an edit dialog gives after OK. range: 1 highlighted, 2 between markers,
// 3 whole, from the scope chosen; levels are gains (1.0 = 100 %).
struct OperationDialogValues {
  int32_t range = 3;
  int32_t channelMode = 1;  // 1 both, 2 left only, 3 right only, 4 none
  float level1Left = 1.0f, level1Right = 1.0f;
  float level2Left = 1.0f, level2Right = 1.0f;
  int32_t copyLeftToRight = 0, copyRightToLeft = 0;
  float initialValue = 1.0f, finalValue = 1.0f;
  int32_t curve = 0;  // 0 linear, 1 logarithmic
};

// What every edit dialog's request holds; each dialog kind is its own type.
struct OperationDialogRequest {
  OperationDialogSetup setup;
  using Result = OperationDialogValues;
};

// A dialog kind's name as a template argument: one type per kind, named once.
template <size_t N>
struct DialogKindName {
  constexpr DialogKindName(const char (&name)[N]) { std::copy_n(name, N, text); }
  char text[N];
};

template <DialogKindName Kind>
struct OperationDialogOf : OperationDialogRequest {
  static constexpr const char* kKind = Kind.text;
};

using MuteDialogRequest = OperationDialogOf<"CMuteDialog">;
using MixPasteDialogRequest = OperationDialogOf<"CMixPasteDialog">;
using VolumeDialogRequest = OperationDialogOf<"CVolumeDialog">;
using FadeDialogRequest = OperationDialogOf<"CFadeDialog">;
using ReverseDialogRequest = OperationDialogOf<"CReverseDialog">;
using SwapDialogRequest = OperationDialogOf<"CSwapDialog">;
using CopyChannelDialogRequest = OperationDialogOf<"CCopyChannelDialog">;
using StretchCompressDialogRequest = OperationDialogOf<"CStretchCompressDialog">;
// Its values are pitch factors: 1 / 2^(semitones / 12).
using PitchShiftDialogRequest = OperationDialogOf<"CPitchShiftDialog">;

// The effect holder's panels, numbered as the holder numbers them.
enum HolderEffectType : int32_t {
  HolderEqualizer = 1,
  HolderEcho = 2,
  HolderFlange = 3,
  HolderReverb = 4,
  HolderChorus = 5,
};

struct FXHolderRequest {
  static constexpr const char* kKind = "CFXHolder";
  int32_t panel = HolderEcho;
  OperationDialogSetup setup;
  struct Result {
    OperationDialogValues values;
    // The panel's record: echo, reverb, equalizer, or flange and chorus.
    std::variant<EchoParams, ReverbParams, EqualizerParams, ChorusFlangeParams> effect;
  };
};

struct MixdownDialogRequest {
  static constexpr const char* kKind = "CMixdownDialog";
  static constexpr int kTracks = 24;
  std::array<int32_t, kTracks> sourceTracks{};  // 1 = mixed
  struct Result {
    std::array<int32_t, kTracks> sourceTracks{};
    int16_t targetTrack = 0;
  };
};
