// Private messages posted to the user-interface thread: those of the skinned
// buttons and modeless windows, and the program's own from device threads.
#pragma once

#include <cstdint>

namespace msg {
// Audio Editor play and stop from the skinned buttons.
constexpr uint32_t kEditorPlay = 0x804F;
constexpr uint32_t kEditorStop = 0x8050;
constexpr uint32_t kEditorPlayAlso = 0x8051;
constexpr uint32_t kCreateLoopFromEditor = 0x8054;
// The record-into-editor window.
constexpr uint32_t kStartEditorRecording = 0x8056;
constexpr uint32_t kFinishEditorRecording = 0x8057;
constexpr uint32_t kCancelEditorRecording = 0x8058;
constexpr uint32_t kTempoUp = 0x8079;
constexpr uint32_t kTempoDown = 0x807A;
constexpr uint32_t kEditLoopAudio = 0x809D;
constexpr uint32_t kPlayLoopPreview = 0x0D7D;
constexpr uint32_t kStopLoopPreview = 0x0D7E;
// The dropout notice (playback, recording).
constexpr uint32_t kDropoutNotice = 0xB9B7;
constexpr uint32_t kDropoutNoticeAlso = 0xB9B8;

// The program's own, from device threads: what ran there on the platform the
// program came from now runs on the user-interface thread. wParam is the run
// the message belongs to (CProApp::CurrentRun when it was posted).
constexpr uint32_t kProjectEndOfAudio = 0xC001;
constexpr uint32_t kEditorEndOfAudio = 0xC002;
constexpr uint32_t kPreviewEndOfAudio = 0xC003;
constexpr uint32_t kRecorderEndOfAudio = 0xC004;
// An input callback met a fault: wParam the run, lParam the fault's line and
// record slot (line * 16 + slot); reported once on the user-interface thread.
constexpr uint32_t kInputFault = 0xC005;
// A take could not be written: wParam the run, lParam the write's errno.
constexpr uint32_t kRecordingWriteFailed = 0xC006;
// Reports raised on audio threads wait to be shown.
constexpr uint32_t kShowPostedReports = 0xC010;
}  // namespace msg
