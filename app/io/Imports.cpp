// The imports: a WAV or MP3 file onto the selected track, into the Audio
// Editor or into the Loop Bank; and the Audio Editor's audio copied into a new
// loop or a new snippet on a track. Each is one undo step.
#include <algorithm>
#include <optional>
#include <vector>

#include "AudioDecode.h"
#include "AudioSnippetExtended.h"
#include "Generic.h"
#include "IoCommon.h"
#include "SegmentWriter.h"
#include "TrackInsert.h"
#include "pro.h"
#include "requests/ImportExportRequests.h"

using namespace io;

namespace {

std::optional<std::string> ChooseAudioFile(CProApp& app) {
  ui::FileChooser chooser;
  chooser.caption = "Open";
  chooser.filter = kAudioFileFilters;
  chooser.initialPath = app.audioFolder;
  std::optional<std::string> path = app.services.ui.ChooseFile(chooser);
  if (!path || path->empty()) return std::nullopt;
  return path;
}

int ChooseAndDecode(CProApp& app, std::shared_ptr<CAudioSegment>* segment) {
  const std::optional<std::string> path = ChooseAudioFile(app);
  if (!path) return status::kNothingDone;
  return app.DecodeAudioFile(*path, segment);
}

int AddLoopOf(CProApp& app, const std::shared_ptr<CAudioSegment>& segment, const std::string& title) {
  auto loop = std::make_shared<CAudioLoop>();
  loop->SetTitle(title);
  loop->SetSegment(segment);
  loop->ComputeMeasuresAndTempo(app.project.beatsPerBarChoice);
  // Audio shorter than one measure at the fastest tempo (a short take) makes no loop.
  if (const char* tooFast = RefuseLoopTempo(segment->tempo)) {
    app.services.ui.Inform(tooFast);
    DeleteSegmentFiles(*segment);
    return status::kNothingDone;
  }
  app.loopBank.AddLoop(loop);
  const int colorSet = ProConfig::kIndependentColorSet + 1 + loop->loopNumber;
  if (colorSet < ProConfig::kColorSets) loop->SetColors(app.config.colorSets[colorSet]);
  auto record = std::make_unique<COperation>(OperationAddLoop);
  record->newLoop = loop;
  app.undoList.Add(std::move(record));
  app.modified = 1;
  app.services.view.RefreshAllViews();
  // The Loop Bank's rows and the Insert Loop menu list the new loop.
  app.services.view.RefreshLoopBank();
  return status::kDone;
}

EditorContent ContentShown(const CProApp& app) {
  EditorContent content;
  if (app.editorSource == EditorSourceSnippet) {
    content.snippet = app.editorSnippet;
    content.trackIndex = app.editorTrackIndex;
  } else if (app.editorSource == EditorSourceLoop) {
    content.loop = app.editorLoop;
  } else if (app.editorSource == EditorSourceIndependent) {
    content.segment = app.editorSegment;
  }
  return content;
}

}  // namespace

int CProApp::DecodeAudioFile(const std::string& path, std::shared_ptr<CAudioSegment>* segment) {
  const AudioFileType type = AudioFileTypeOf(path);
  // A second import started from an event the first one pumped would write into the first one's segment.
  if (type == AudioFileType::None || CAudioDecode::Running()) return status::kNothingDone;
  const bool cutShort = type == AudioFileType::Wave && IsWaveCutShort(path);
  CAudioDecode decode(*this);
  switch (decode.Run(path, type)) {
    case CAudioDecode::Outcome::Done:
      *segment = decode.TakeSegment();
      if (cutShort) services.ui.Inform(kCutShortText);
      return status::kDone;
    case CAudioDecode::Outcome::Cancelled:
      return status::kCancelled;
    case CAudioDecode::Outcome::Refused:
      services.ui.Inform(decode.Refusal());
      return status::kNothingDone;
    case CAudioDecode::Outcome::Failed:
      break;
  }
  return status::kFaultReported;
}

int CProApp::ImportAudioToTrack() {
  const CIoCommand command(*this);
  if (!command.MayRun()) return status::kNothingDone;
  const int index = project.GetSelectedTrackIndex();
  if (!AcceptsExtendedAudio(*this, index)) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment;
  const int result = ChooseAndDecode(*this, &segment);
  if (result != status::kDone) return result;
  return InsertExtendedSnippet(*this, segment, index, playCursor);
}

int CProApp::ImportAudioToEditor() {
  const CIoCommand command(*this);
  if (!command.MayRun()) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment;
  const int result = ChooseAndDecode(*this, &segment);
  if (result != status::kDone) return result;
  auto record = std::make_unique<COperation>(OperationEditorContent);
  record->editorBefore = ContentShown(*this);
  record->editorAfter.segment = segment;
  undoList.Add(std::move(record));
  modified = 1;
  SetEditorIndependentAudio(segment);
  // Independent audio shows in its own colours, whatever the editor held before.
  ApplyEditorColorSet();
  services.view.RefreshAllViews();
  return status::kDone;
}

int CProApp::ImportAudioToLoopBank() {
  const CIoCommand command(*this);
  if (!command.MayRun()) return status::kNothingDone;
  if (const char* full = loopBank.RefuseNewLoop()) {
    services.ui.Inform(full);
    return status::kNothingDone;
  }
  std::shared_ptr<CAudioSegment> segment;
  const int result = ChooseAndDecode(*this, &segment);
  if (result != status::kDone) return result;
  if (const char* tooLong = RefuseLoopImportLength(segment->length)) {
    services.ui.Inform(tooLong);
    DeleteSegmentFiles(*segment);
    return status::kNothingDone;
  }
  return AddLoopOf(*this, segment, FileTitleOf(segment->sourceName));
}

int CProApp::CreateLoopFromEditor() {
  const CIoCommand command(*this);
  if (!command.MayRun()) return status::kNothingDone;
  const std::shared_ptr<CAudioSegment> source = GetEditorSegment();
  if (!source || source->length == 0) return status::kNothingDone;
  if (const char* full = loopBank.RefuseNewLoop()) {
    services.ui.Inform(full);
    return status::kNothingDone;
  }
  if (const char* tooLong = RefuseLoopCreateLength(source->length)) {
    services.ui.Inform(tooLong);
    return status::kNothingDone;
  }
  std::shared_ptr<CAudioSegment> copy;
  const int result = CopySegment(*this, *source, kCreatingLoopCaption, &copy);
  if (result != status::kDone) return result;
  return AddLoopOf(*this, copy, kLoopFromEditorTitle);
}

int CProApp::CreateSnippetFromEditor() {
  const CIoCommand command(*this);
  if (!command.MayRun()) return status::kNothingDone;
  const std::shared_ptr<CAudioSegment> source = GetEditorSegment();
  if (!source || source->length == 0) return status::kNothingDone;
  CreateTrackSnippetRequest request;
  request.projectTempo = project.tempo;
  request.beatsPerBarChoice = project.beatsPerBarChoice;
  const std::optional<CreateTrackSnippetRequest::Result> answer = services.ui.Request(request);
  if (!answer) return status::kNothingDone;
  if (answer->targetTrack < 0 || answer->targetTrack >= CAudioTrackList::kProjectTracks) {
    ReportError(kSource, __LINE__, "");
    return status::kFaultReported;
  }
  if (!AcceptsExtendedAudio(*this, answer->targetTrack)) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> copy;
  const int result = CopySegment(*this, *source, kCreatingSnippetCaption, &copy);
  if (result != status::kDone) return result;
  copy->tempo = source->tempo;
  return InsertExtendedSnippet(*this, copy, answer->targetTrack, answer->startFrame);
}
