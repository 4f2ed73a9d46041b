// The record of one destructive edit of the Audio Editor: what to do, over
// which range, with which values, and where the work buffer, the clipboard and
// the progress report are. The appliers build it on their stack; the
// dispatcher and the workers read it.
//
// Threads: user-interface thread only, while no audio runs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Zelmo.h"

class CAudioLoop;
class CAudioSegment;
class CAudioSnippet;
class CAudioTrackList;

// The operation codes; code 2 is never issued.
enum EditOperationType : int32_t {
  EditOpMute = 1,
  EditOpCopyWhole = 3,  // a whole segment copied (the Track View's paste)
  EditOpCut = 4,
  EditOpPasteInsert = 5,
  EditOpPasteOver = 6,
  EditOpPasteMix = 7,
  EditOpCopy = 8,
  EditOpDelete = 9,
  EditOpVolume = 10,
  EditOpFade = 11,
  EditOpReverse = 12,
  EditOpSwapChannels = 13,
  EditOpCopyChannel = 14,
  EditOpEcho = 15,
  EditOpFlange = 16,
  EditOpReverb = 17,
  EditOpEqualizer = 18,
  EditOpStretch = 19,
  EditOpPitchShift = 20,
  EditOpMixdown = 21,
  EditOpChorus = 22,
  EditOpConvertChannels = 23,
};

// Where an operation works; 0 lets the dialog's scope choose one of the others.
enum EditRange : int32_t {
  EditRangeFromDialog = 0,
  EditRangeHighlighted = 1,  // tracker start and size
  EditRangeMarkers = 2,      // marker start and size
  EditRangeWhole = 3,
};

enum FXChannelMode : int32_t {
  ChannelModeBoth = 1,
  ChannelModeLeft = 2,
  ChannelModeRight = 3,
  ChannelModeNone = 4,
};

// Results of the workers, the dispatcher and the appliers.
enum OperationResult : int32_t {
  OperationResultDone = 0,
  OperationResultNothing = 1,    // dialog cancelled, refused or not applicable
  OperationResultCancelled = 2,  // cancelled in the progress window; the partial result is gone
  OperationResultFault = 3,      // reported
};

// A fault of the edit code reported at its line; what the code answers then.
OperationResult ReportedFault(int line);

// The values an operation dialog fills. Levels are gains (1.0 = 100 %). At
// most one effect record is set; it belongs to the record and goes with it or
// with FreeEffectRecord.
struct FXOperationParams {
  int32_t range = EditRangeFromDialog;
  int32_t channelMode = 0;
  float level1Left = 0.0f, level1Right = 0.0f;
  float level2Left = 0.0f, level2Right = 0.0f;
  int32_t copyLeftToRight = 0, copyRightToLeft = 0;
  float initialValue = 0.0f, finalValue = 0.0f;  // stretch ratio or pitch factor
  int32_t curve = 0;                              // 0 linear, 1 logarithmic
  std::unique_ptr<EchoParams> echo;
  std::unique_ptr<ReverbParams> reverb;
  std::unique_ptr<EqualizerParams> equalizer;
  std::unique_ptr<ChorusFlangeParams> chorusFlange;
};

// What the parameter request receives and fills.
struct OperationRequest {
  int32_t operation = 0;  // EditOperationType
  int32_t range = EditRangeFromDialog;
  std::array<int32_t, 24>* mixdownSources = nullptr;  // the tracks a mixdown mixes (1 = mixed), its answer too
  int32_t targetTrack = 0;                            // a mixdown's answer
  FXOperationParams params;
};

// Called after every block with the frames it produced; 0 stops the operation.
using OperationProgress = std::function<int(int frames)>;

struct OperationParameters {
  static constexpr uint32_t kWorkFrames = 262144;  // stereo frames in the first 1 MiB of the work buffer
  static constexpr uint32_t kWorkBytes = 0x108000;  // the whole buffer, with room for read slack

  int32_t undoKind = 0;  // OperationType the applier records: 19, 20 or 21
  int16_t trackIndex = 0;
  CAudioTrackList* listA = nullptr;  // Track View operations only
  CAudioTrackList* listB = nullptr;
  std::shared_ptr<CAudioSnippet> sourceSnippet;
  std::shared_ptr<CAudioSnippet>* resultSnippet = nullptr;
  std::shared_ptr<CAudioLoop> sourceLoop;
  std::shared_ptr<CAudioLoop> resultLoop;
  CAudioSegment* sourceSegment = nullptr;
  std::shared_ptr<CAudioSegment>* resultSegment = nullptr;
  std::shared_ptr<CAudioSegment>* audioClipboard = nullptr;
  int16_t* workBuffer = nullptr;  // kWorkBytes bytes
  uint32_t workFrames = kWorkFrames;
  OperationProgress progress;
  std::string tempFolder;  // where new segments are made
  float projectTempo = 120.0f;     // a snippet's result is timed for it
  int32_t beatsPerBarChoice = 0;   // the project's; a loop's result takes its tempo from it
  OperationRequest request;
};

// The progress function the appliers hand the workers: it adds the frames to
// the application's progress window and answers 0 once Cancel was pressed.
int OperationProgressCallback(int frames);
