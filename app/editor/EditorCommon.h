// What the Audio Editor's commands share: their texts, their command ids and
// the status they give back.
#pragma once

#include <cstdint>

#include "edit/EditOperation.h"
#include "pro.h"
#include "track/TrackCommands.h"

namespace editor {

constexpr const char* kSource = "pro";

constexpr const char* kNoAudioToCopyText = "No audio exists to copy.";
constexpr const char* kNoAudioToCutText = "No audio exists to cut.";
constexpr const char* kNoAudioToDeleteText = "No audio exists to delete.";
constexpr const char* kNoAudioToEditText = "No audio exists to edit.";
constexpr const char* kNoAudioSelectedText = "No audio selected.";
constexpr const char* kMarkersNotSetText = "Both markers not set.";
constexpr const char* kBeginMarkerNotSetText = "Begin marker not set.";
constexpr const char* kClipboardEmptyText = "Clipboard is empty.  Please \"copy\" a section of audio first.";
constexpr const char* kMonoAudioText = "Cannot perform this operation on mono audio.";
constexpr const char* kNothingToUndoText = "No operation to undo.";
constexpr const char* kNothingToRedoText = "No operation to redo.";
constexpr const char* kLoopBankClipboardText = "Sorry, cut, copy and paste are unavailable within the Loop Bank.";
constexpr const char* kPastingCaption = "Pasting Audio...";

// Command ids of the Audio Editor and of the commands routed by the view shown.
enum CommandId : uint32_t {
  kIdViewDelete = 32801,
  kIdViewPaste = 32836,
  kIdViewCopy = 32837,
  kIdViewCut = 32838,
  kIdDeleteKey = 32962,
  kIdCutKey = 32964,
  kIdCopyKey = 32965,
  kIdPasteKey = 32966,
  kIdMute = 32844,
  kIdVolume = 32874,
  kIdFadePan = 32804,
  kIdReverse = 32875,
  kIdSwapChannels = 32876,
  kIdCopyChannel = 32877,
  kIdStretchCompress = 32911,
  kIdPitchShift = 32912,
  kIdEcho = 32908,
  kIdFlange = 32909,
  kIdChorus = 32930,
  kIdReverb = 32910,
  kIdEqualizer = 32878,
};

// An applier's OperationResult as a command's status.
inline int ToStatus(int32_t result) {
  switch (result) {
    case OperationResultDone:
      return status::kDone;
    case OperationResultCancelled:
      return status::kCancelled;
    case OperationResultFault:
      return status::kFaultReported;
    default:
      return status::kNothingDone;
  }
}

}  // namespace editor
