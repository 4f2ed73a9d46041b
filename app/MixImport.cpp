// Importing the older program's ".mix" projects: 8 tracks, each with one
// headerless stereo file copied into a new segment of the temporary folder.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "File.h"
#include "Generic.h"
#include "LargeFile.h"
#include "pro.h"

namespace {

constexpr const char* kSource = "pro";
// The lines of each type's reader: no view, open, read.
struct MixLines {
  int noView, open, read, noTrack, noSnippet;
};
constexpr MixLines kLinesQrvz30 = {17457, 17464, 17471, 17516, 17540};
constexpr MixLines kLinesQrvz32 = {17700, 17707, 17714, 17763, 17787};
constexpr MixLines kLinesQrvz33 = {17897, 17904, 17911, 17963, 17987};
constexpr int kLineRawOpen = 3007;
constexpr int kLineRawNoBuffer = 3014;
constexpr int kLineRawSegmentOpen = 3019;
constexpr int kLineRawRead = 3043;
constexpr int kLineRawWrite = 3050;
constexpr uint32_t kRawBlockBytes = 65536 * 2;  // 65536 / channels frames of 16-bit samples

const MixLines& LinesOf(ProjectFileType type) {
  return type == ProjectFileQrvz30 ? kLinesQrvz30 : type == ProjectFileQrvz32 ? kLinesQrvz32 : kLinesQrvz33;
}

uint32_t BytesToFrames(int32_t bytes) { return bytes < 0 ? 0 : static_cast<uint32_t>(bytes) / mix::kBytesPerFrame; }
// A marker the older program left unset (negative) stays unset.
uint32_t MarkerFrame(int32_t bytes) { return bytes < 0 ? CAudioSegment::kMarkerUnset : BytesToFrames(bytes); }

}  // namespace

// false with *problem, or with *problem empty when the fault was reported.
bool ReadMixFile(const std::string& path, ProjectFileType type, MixProject* project, std::string* problem) {
  problem->clear();
  platform::CFile file;
  uint8_t header[mix::kHeaderBytes] = {};
  if (!file.Open(path, platform::CFile::Mode::ReadRegular)) {
    ReportError(kSource, LinesOf(type).open, path.c_str());
    return false;
  }
  const int64_t got = file.ReadAt(header, sizeof header, 0);
  if (got < 0) {
    ReportError(kSource, LinesOf(type).read, path.c_str());
    return false;
  }
  if (!ParseMixProject(header, static_cast<size_t>(got), type, project, problem)) return false;
  std::vector<std::string> missing;
  FindMixTrackFiles(path, project, &missing);
  if (missing.empty()) return true;
  *problem = "the audio files of its tracks are missing (";
  for (size_t i = 0; i < missing.size(); ++i) *problem += (i ? ", " : "") + missing[i];
  *problem += ")";
  return false;
}

int CProApp::OpenMixProject(const std::string& path, ProjectFileType type) {
  MixProject mixProject;
  std::string problem;
  // The whole header and every track's audio are checked before the open project is given up.
  if (!ReadMixFile(path, type, &mixProject, &problem)) {
    if (!problem.empty()) services.ui.Inform(ProjectRefusalText(path, problem));
    return status::kFaultReported;
  }
  if (QuerySaveModified() == status::kCancelled) return status::kCancelled;
  ClearProject();
  const int result = ImportParsedMix(mixProject);
  if (result != status::kDone) return result;  // nothing was imported: the new project stays unmodified
  undoList.Clear();
  modified = 1;
  SetDocumentTitle(CProDoc::kUntitled);
  return status::kDone;
}

int CProApp::ImportMixProject(const std::string& path, ProjectFileType type) {
  if (!services.view.HasView()) {
    ReportError(kSource, LinesOf(type).noView, "");
    return status::kFaultReported;
  }
  MixProject mixProject;
  std::string problem;
  if (!ReadMixFile(path, type, &mixProject, &problem)) {
    if (!problem.empty()) services.ui.Inform(ProjectRefusalText(path, problem));
    return status::kFaultReported;
  }
  return ImportParsedMix(mixProject);
}

int CProApp::ImportParsedMix(const MixProject& mixProject) {
  const MixLines& lines = LinesOf(mixProject.type);
  project.tempo = std::clamp(static_cast<float>(mixProject.tempo), qvk::kMinTempo, qvk::kMaxTempo);
  project.soloActive = 0;
  project.masterLeftGain = MixVolumeGain(mixProject.masterVolumeLeft);
  project.masterRightGain = MixVolumeGain(mixProject.masterVolumeRight);
  projectTags.description = CutText(mixProject.description, qvk::kDescriptionBytes - 1);
  int slot = 0;
  for (int t = 0; t < mix::kTracks; ++t) {
    const MixTrackRecord& record = mixProject.tracks[t];
    std::shared_ptr<CAudioSnippetExtended> snippet;
    if (record.audioBytes != 0) {
      const int result = ImportRawTrack(mixProject.trackFiles[t], 2, project.tempo, &snippet);
      if (result != status::kDone) {
        ClearProject();
        return result;
      }
    }
    CAudioTrack* track = nullptr;
    if (project.FindTrack(t, &track) != 1 || !track) {
      ReportError(kSource, lines.noTrack, "");
      continue;
    }
    project.SetTrackType(t, CAudioTrack::kTypeExtended);
    project.SetTrackGains(t, MixVolumeGain(record.volumeLeft), MixVolumeGain(record.volumeRight));
    if (record.solo) project.soloActive = 1;
    track->Snippets().trackPitch = 0.0f;
    track->armed = record.armed ? 1 : 0;
    track->recordingSlot = record.armed ? ++slot : 0;
    track->solo = record.solo;
    track->mute = record.mute;
    track->description = CutText(record.description, CAudioTrack::kMaxDescription);
    if (!snippet) continue;
    CAudioSegment* segment = snippet->Segment();
    if (!segment) {
      ReportError(kSource, lines.noSnippet, "");
      continue;
    }
    snippet->ratio = 1.0f;
    snippet->carry = 0.0f;
    // Timed for the project's tempo, so that a later tempo change moves it from there.
    snippet->tempo = project.tempo;
    segment->trackerStart = BytesToFrames(record.trackerStart);
    segment->trackerEnd = std::max(BytesToFrames(record.trackerEnd), segment->trackerStart);
    segment->trackerSize = segment->trackerEnd - segment->trackerStart;
    segment->markerStart = MarkerFrame(record.markerStart);
    segment->markerEnd = MarkerFrame(record.markerEnd);
    segment->markerSize = segment->markerEnd - segment->markerStart;
    snippet->start = 0;
    // A header that claims more audio than the track's file holds plays what is there.
    snippet->end = snippet->length = std::min(BytesToFrames(record.audioBytes), segment->length);
    snippet->selected = 0;
    project.AddSnippetToTrack(snippet, t);
  }
  ClearEditor();
  project.RecomputeProjectEnd();
  metronome.parameters.on = mixProject.metronomeOn ? 1 : 0;
  metronome.parameters.pattern = mixProject.metronomePattern <= 2 ? mixProject.metronomePattern : 1;
  metronome.parameters.clickOnly = mixProject.metronomeClickOnly;
  metronome.parameters.accent = mixProject.metronomeAccent;
  metronome.parameters.level = std::min<int>(mixProject.metronomeLevel, 60);
  metronome.SetBPM(project.tempo);
  services.view.SetEditorProjectTempo(project.tempo);
  services.view.SwitchView(ViewModeTrack);
  services.view.SetTempoText(project.tempo);
  services.view.RefreshCurrentView();
  return status::kDone;
}

int CProApp::ImportRawTrack(const std::string& path, int channels, float tempo,
                            std::shared_ptr<CAudioSnippetExtended>* snippet) {
  if (snippet) snippet->reset();
  CLargeFile file(path);
  if (file.Open(0) != 1) {
    ReportError(kSource, kLineRawOpen, "");
    return status::kFaultReported;
  }
  if (!workBuffer.Data()) {
    ReportError(kSource, kLineRawNoBuffer, "");
    return status::kFaultReported;
  }
  auto segment = NewAudioSegment();
  segment->SetFormat(AudioQuality{44100, static_cast<uint16_t>(channels), 16});
  const uint32_t frameBytes = static_cast<uint32_t>(channels) * 2;
  const uint32_t frames = file.KnownSize() / frameBytes;
  if (segment->Open(1) != 1) {
    ReportError(kSource, kLineRawSegmentOpen, "");
    return status::kFaultReported;
  }
  BeginProgress(progressWindow, project_text::kImportingAudio);
  progressWindow.SetTotal(frames);
  const uint32_t blockFrames = kRawBlockBytes / frameBytes;
  auto* work = static_cast<uint8_t*>(workBuffer.Data());
  int result = status::kDone;
  for (uint32_t done = 0; done < frames;) {
    const uint32_t want = std::min(blockFrames, frames - done);
    uint32_t bytesRead = 0;
    uint32_t written = 0;
    if (file.Read(work, want * frameBytes, &bytesRead) != 1 || bytesRead < want * frameBytes) {
      ReportError(kSource, kLineRawRead, path.c_str());
      result = status::kFaultReported;
      break;
    }
    if (segment->Write(work, want, &written) != 0 || written != want) {
      ReportError(kSource, kLineRawWrite, "");
      result = status::kFaultReported;
      break;
    }
    done += want;
    progressWindow.AddDone(want);
    if (progressWindow.ProgressAnswer() == 0) {
      result = status::kCancelled;
      break;
    }
  }
  progressWindow.End();
  file.Close();
  segment->Close();
  if (result != status::kDone) return result;
  segment->length = frames;
  MapStoredPeaks(*segment);
  segment->viewStart = 0;
  segment->viewEnd = segment->viewWidth = frames;
  segment->tempo = tempo;
  auto made = std::make_shared<CAudioSnippetExtended>(segment);
  made->start = 0;
  made->end = made->length = frames;
  if (snippet) *snippet = made;
  return status::kDone;
}
