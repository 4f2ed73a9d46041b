// Requests of the edit-operation dialogs, the effect holder and the mixdown
// dialog. The core tells each dialog the edited audio's channel count and
// which scope choices it offers; OK answers with the values its
// GetParameters gives.
#pragma once

#include <array>
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

struct MuteDialogRequest : OperationDialogRequest {
  static constexpr const char* kKind = "CMuteDialog";
};
struct MixPasteDialogRequest : OperationDialogRequest {
  static constexpr const char* kKind = "CMixPasteDialog";
};
struct VolumeDialogRequest : OperationDialogRequest {
  static constexpr const char* kKind = "CVolumeDialog";
};
struct FadeDialogRequest : OperationDialogRequest {
  static constexpr const char* kKind = "CFadeDialog";
};
struct ReverseDialogRequest : OperationDialogRequest {
  static constexpr const char* kKind = "CReverseDialog";
};
struct SwapDialogRequest : OperationDialogRequest {
  static constexpr const char* kKind = "CSwapDialog";
};
struct CopyChannelDialogRequest : OperationDialogRequest {
  static constexpr const char* kKind = "CCopyChannelDialog";
};
struct StretchCompressDialogRequest : OperationDialogRequest {
  static constexpr const char* kKind = "CStretchCompressDialog";
};
// Its values are pitch factors: 1 / 2^(semitones / 12).
struct PitchShiftDialogRequest : OperationDialogRequest {
  static constexpr const char* kKind = "CPitchShiftDialog";
};

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
