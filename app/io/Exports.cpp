// Exports and mixdowns to files: the project's mix, the selected loop or the
// Audio Editor's audio, written as WAV (in the quality the user chooses) or
// MP3, named through the save dialog.
#include <optional>
#include <vector>

#include "AudioEncode.h"
#include "ExportSource.h"
#include "FileReplace.h"
#include "Generic.h"
#include "IoCommon.h"
#include "MixSource.h"
#include "pro.h"
#include "requests/ImportExportRequests.h"

using namespace io;

namespace {

constexpr const char* kWaveExtension = "wav";
constexpr const char* kMp3Extension = "mp3";
constexpr const char* kExportFilters = "wav (*.wav);;mp3 (*.mp3)";

// The refusal of an export to a file the user keeps as it is.
std::string ReadOnlyExportText(const std::string& path) {
  return "Cannot write the audio file.  The file is read-only:\n" + path + "\n\nPlease choose another name.";
}

struct ExportFile {
  std::string path;
  AudioFileType type;
};

// The file to write, chosen with a proposed name; its type by its extension.
// A name of another type gets the extension of the one asked for (WAV when
// either will do).
std::optional<ExportFile> ChooseExportFile(CProApp& app, AudioFileType only, const std::string& proposedTitle) {
  ui::FileChooser chooser;
  chooser.save = true;
  chooser.caption = "Save As";
  chooser.filter = only == AudioFileType::Wave ? kWaveFileFilter
                   : only == AudioFileType::Mp3 ? kMp3FileFilter
                                                : kExportFilters;
  chooser.defaultExtension = only == AudioFileType::Mp3 ? kMp3Extension : kWaveExtension;
  chooser.initialPath = app.audioFolder;
  if (!proposedTitle.empty()) chooser.initialPath += "/" + proposedTitle + "." + chooser.defaultExtension;
  for (;;) {
    const std::optional<std::string> chosen = app.services.ui.ChooseFile(chooser);
    if (!chosen || chosen->empty()) return std::nullopt;
    ExportFile file{platform::AbsolutePath(*chosen), AudioFileTypeOf(*chosen)};
    if (file.type == AudioFileType::None || (only != AudioFileType::None && file.type != only)) {
      file.type = only == AudioFileType::Mp3 ? AudioFileType::Mp3 : AudioFileType::Wave;
      file.path += std::string(".") + (file.type == AudioFileType::Mp3 ? kMp3Extension : kWaveExtension);
    }
    // Told before the audio is rendered; the encoders would not replace it either.
    if (!platform::IsReadOnlyFile(platform::ReplacedFile(file.path))) return file;
    app.services.ui.Inform(ReadOnlyExportText(file.path));
    chooser.initialPath = file.path;
  }
}

// The WAV format to write, offered as the audio's own.
std::optional<AudioQuality> ChooseWaveQuality(CProApp& app, uint16_t channels) {
  WaveQualityRequest request;
  request.channels = channels;
  const std::optional<WaveQualityRequest::Result> answer = app.services.ui.Request(request);
  if (!answer) return std::nullopt;
  if ((answer->channels != 1 && answer->channels != 2) || (answer->bitsPerSample != 8 && answer->bitsPerSample != 16)) {
    ReportError(kSource, __LINE__, "");
    return std::nullopt;
  }
  if (answer->samplesPerSecond < kLowestWaveRate || answer->samplesPerSecond > kHighestWaveRate) {
    app.services.ui.Inform(kWaveRateText);
    return std::nullopt;
  }
  return AudioQuality{static_cast<uint32_t>(answer->samplesPerSecond), static_cast<uint16_t>(answer->channels),
                      static_cast<uint16_t>(answer->bitsPerSample)};
}

// WAV files are written in a quality the user chooses, asked before the
// render begins (the mixer is not left set up under a dialog).
struct ExportPlan {
  ExportFile file;
  AudioQuality quality{};
};

std::optional<ExportPlan> PlanExport(CProApp& app, AudioFileType only, const std::string& proposedTitle,
                                     uint16_t channels) {
  const std::optional<ExportFile> file = ChooseExportFile(app, only, proposedTitle);
  if (!file) return std::nullopt;
  ExportPlan plan{*file, AudioQuality{44100, channels, 16}};
  if (file->type == AudioFileType::Wave) {
    const std::optional<AudioQuality> quality = ChooseWaveQuality(app, channels);
    if (!quality) return std::nullopt;
    plan.quality = *quality;
  }
  return plan;
}

int Write(CProApp& app, CExportSource& source, const ExportPlan& plan, const char* caption) {
  CAudioEncode encode(app, source, caption);
  if (plan.file.type == AudioFileType::Mp3) return encode.WriteMp3(plan.file.path, CProApp::kMp3ExportKbps);
  return encode.WriteWave(plan.file.path, plan.quality);
}

int ExportMix(CProApp& app, AudioFileType only, const char* caption) {
  const CIoCommand command(app);
  if (!command.MayRun()) return status::kNothingDone;
  if (app.project.projectEnd == 0) {
    app.services.ui.Inform(kNoProjectAudioText);
    return status::kNothingDone;
  }
  const std::optional<ExportPlan> plan = PlanExport(app, only, "", 2);
  if (!plan) return status::kNothingDone;
  CMixSource mix(app, 0, app.project.projectEnd, MixOptions{});
  return Write(app, mix, *plan, caption);
}

int ExportSegment(CProApp& app, CAudioSegment& segment, const std::string& title) {
  const std::optional<ExportPlan> plan = PlanExport(app, AudioFileType::None, title, segment.GetChannels());
  if (!plan) return status::kNothingDone;
  CSegmentSource source(segment);
  return Write(app, source, *plan, kExportingCaption);
}

}  // namespace

int CProApp::ExportProjectAsAudioFile() { return ExportMix(*this, AudioFileType::None, kExportingCaption); }

int CProApp::MixdownToWaveFile() { return ExportMix(*this, AudioFileType::Wave, kMixdownCaption); }

int CProApp::MixdownToMp3File() { return ExportMix(*this, AudioFileType::Mp3, kMixdownCaption); }

int CProApp::ExportSelectedLoopAsAudioFile() {
  const CIoCommand command(*this);
  if (!command.MayRun()) return status::kNothingDone;
  std::shared_ptr<CAudioLoop> loop;
  if (loopBank.GetCount() == 0 || loopBank.FindLoop(loopBank.GetSelectedLoopNumber(), &loop) != 1 || !loop ||
      !loop->Segment() || loop->Segment()->length == 0) {
    services.ui.Inform(kNoLoopsText);
    return status::kNothingDone;
  }
  return ExportSegment(*this, *loop->Segment(), loop->GetTitle());
}

int CProApp::ExportCurrentAudioAsAudioFile() {
  const CIoCommand command(*this);
  if (!command.MayRun()) return status::kNothingDone;
  const std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (!segment || segment->length == 0) {
    services.ui.Inform(kNoEditorAudioText);
    return status::kNothingDone;
  }
  return ExportSegment(*this, *segment, segment->sourceName.empty() ? "" : FileTitleOf(segment->sourceName));
}
