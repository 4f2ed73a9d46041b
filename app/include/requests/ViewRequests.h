// Notices of the view: shown when the user opens the Audio Editor while it
// holds no audio, or the Loop Bank while the project has no loop. Each has a
// box against showing it again; the answer says whether it was ticked.
#pragma once

#include <cstdint>

struct NoAudioEditingExistsRequest {
  static constexpr const char* kKind = "CNoAudioEditingExistsDialog";
  struct Result {
    int32_t dontShowAgain = 0;
  };
};

struct NoLoopsExistRequest {
  static constexpr const char* kKind = "CNoLoopsExistDialog";
  struct Result {
    int32_t dontShowAgain = 0;
  };
};
