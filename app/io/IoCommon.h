// What the imports, exports and mixdowns share: their texts, the file types
// they handle, and small helpers over segments and fault reports.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "ReportSink.h"

class CAudioSegment;
class COperationDialog;
class COperationRunning;
class CProApp;

namespace io {

constexpr const char* kSource = "pro";

// Refusals and notices.
constexpr const char* kLoopTrackText = "Cannot insert extended audio into a loop based audio track.";
constexpr const char* kNoSizeText = "Imported audio file has no size.";
constexpr const char* kUnsupportedFormatText =
    "Cannot import audio file.  Only audio of 1000 to 384000 Hz with one or two channels can be imported.";
constexpr const char* kTooLongText =
    "Cannot import audio file.  Its audio is longer than the maximum project length of 90 minutes.";
constexpr const char* kCutShortText =
    "The audio file ends before the audio its header announces.  The audio it holds has been imported.";
constexpr const char* kProjectTooLongText =
    "Cannot insert audio.  Doing so would exceed maximum project length of 90 minutes.";
constexpr const char* kNoProjectAudioText = "No audio currently exists in this project.";
constexpr const char* kNoLoopsText = "No audio loops exist.";
constexpr const char* kNoEditorAudioText = "No audio exists to export.";
constexpr const char* kNoMixdownSourceText = "None of the selected tracks contain data to mix down.";
constexpr const char* kWaveRateText = "Sample rate must be between 8000 and 44100.";

// Progress captions.
constexpr const char* kImportingCaption = "Importing Audio File";
constexpr const char* kDecodingMp3Caption = "Decoding MP3 File";
constexpr const char* kCreatingLoopCaption = "Creating Loop...";
constexpr const char* kCreatingSnippetCaption = "Creating Extended Audio Snippet...";
constexpr const char* kExportingCaption = "Exporting Audio...";
constexpr const char* kEncodingMp3Caption = "Encoding MP3 File...";
constexpr const char* kMixdownCaption = "Performing Mixdown Operation...";
constexpr const char* kLoopFromEditorTitle = "Via Audio Editor";

// The open and save dialogs of audio files.
constexpr const char* kAudioFileFilters = "Audio Files (*.wav; *.mp3);;wav (*.wav);;mp3 (*.mp3);;All files (*.*)";
constexpr const char* kWaveFileFilter = "wav (*.wav)";
constexpr const char* kMp3FileFilter = "mp3 (*.mp3)";

constexpr uint32_t kOneSecondFrames = 44100;
// The WAV qualities an export may be asked for.
constexpr int32_t kLowestWaveRate = 8000;
constexpr int32_t kHighestWaveRate = 44100;

enum class AudioFileType { None, Wave, Mp3 };
// By the name's extension, as GetAudioFileType tells it.
AudioFileType AudioFileTypeOf(const std::string& path);

// The file name of a path without its folder and extension.
std::string FileTitleOf(const std::string& path);

// The start of every import, export and mixdown command: none while another
// operation runs (its progress window lets events through, and one of them
// may be this command), the refusal while anything plays; for the command's
// span the application counts an operation running.
class CIoCommand {
 public:
  explicit CIoCommand(CProApp& app);
  ~CIoCommand();
  CIoCommand(const CIoCommand&) = delete;
  CIoCommand& operator=(const CIoCommand&) = delete;
  bool MayRun() const { return running_ != nullptr; }

 private:
  std::unique_ptr<COperationRunning> running_;
};

// Closes the segment and removes its two files: what a refused, failed or
// cancelled piece of work leaves of the segment it was making.
void DeleteSegmentFiles(CAudioSegment& segment);
// Maps the peaks for the painter once the file holds any.
void MapPeaks(CAudioSegment& segment);
// A finished segment shows the whole of itself.
void ViewWhole(CAudioSegment& segment);

// The codecs' callbacks, on the user-interface thread: the progress window
// handles one pending event, and once its Cancel was pressed the codec is told
// to stop and cancelled is set; true then.
bool CancelAfterPump(COperationDialog& window, bool& cancelled, int* cancel);
// A codec's progress callback: unless cancelled, shows the percent (when the
// codec knows one) and lets the codec go on.
void FollowCodecProgress(COperationDialog& window, short percent, bool& cancelled, int* cancel);

// While alive, counts the fault reports raised anywhere (and passes each on
// as ever): a codec reports what went wrong and still answers "done", so a
// report is how a failed decode or encode is told from a whole one.
class CReportWatch final : public CReportSink {
 public:
  CReportWatch();
  ~CReportWatch() override;
  CReportWatch(const CReportWatch&) = delete;
  CReportWatch& operator=(const CReportWatch&) = delete;

  int Count() const { return count_.load(); }

  int Show(const ErrorReport& report, const char* caption, BoxIcon icon) override;
  void Post(const ErrorReport& report) override;
  ClipboardStep CopyToClipboard(const std::string& text) override;
  void Notice(const char* text, const char* caption) override;

 private:
  CReportSink* previous_;
  std::atomic<int> count_{0};
};

}  // namespace io
