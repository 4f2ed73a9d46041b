// Notices of the transport: no track armed for a recording, and a dropout of
// playback or recording.
#pragma once

struct ArmButtonRequest {
  static constexpr const char* kKind = "CArmButtonDialog";
  struct Result {};
};

struct DropoutNoticeRequest {
  static constexpr const char* kKind = "CDropoutDialog";
  struct Result {};
};
