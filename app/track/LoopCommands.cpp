// Loops: inserting one on a track, deleting, editing and describing the
// Loop Bank's loops, a new loop from a segment, and the loops' audio in memory.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "AudioSnippetLoop.h"
#include "EditRunning.h"
#include "Generic.h"
#include "ReportErrorDll.h"
#include "edit/EditWorkers.h"
#include "pro.h"
#include "requests/TrackViewRequests.h"
#include "track/TrackCommands.h"
#include "track/TrackWorkers.h"

namespace {

constexpr int kLineNoLoop = __LINE__;
constexpr int kLineNoMemory = __LINE__;
constexpr int kLineNoSegment = __LINE__;
constexpr int kLineLoadNoSegment = __LINE__;
constexpr int kLineLoadNoMemory = __LINE__;
constexpr int kLineLoadOpen = __LINE__;
constexpr int kLineLoadRead = __LINE__;
constexpr int kLineInsertTempo = __LINE__;
constexpr int kLineLoopTempo = __LINE__;
constexpr uint32_t kLoadBlockFrames = 16384;

int Fault(int line, const char* message = "") {
  ReportError(track::kSource, line, message);
  return status::kFaultReported;
}

// The Loop Bank's selected loop; nullptr (reported) when the bank has none of that number.
std::shared_ptr<CAudioLoop> SelectedLoop(CProApp& app) {
  std::shared_ptr<CAudioLoop> loop;
  if (app.loopBank.FindLoop(app.loopBank.GetSelectedLoopNumber(), &loop) != 1 || !loop) {
    ReportError(track::kSource, kLineNoLoop, "");
    return nullptr;
  }
  return loop;
}

// The selected loop when the project does not play it; otherwise nullptr,
// the user told why (or the fault reported) and *result set.
std::shared_ptr<CAudioLoop> UnusedSelectedLoop(CProApp& app, const char* inUseText, int* result) {
  *result = status::kNothingDone;
  if (track::Refused(app)) return nullptr;
  if (app.loopBank.GetCount() == 0) {
    app.services.ui.Inform(track::kNoLoopsText);
    return nullptr;
  }
  std::shared_ptr<CAudioLoop> loop = SelectedLoop(app);
  if (!loop) {
    *result = status::kFaultReported;
    return nullptr;
  }
  if (app.project.IsLoopInUse(loop->GetIdentifier())) {
    app.services.ui.Inform(inUseText);
    return nullptr;
  }
  return loop;
}

std::string LoopTitleOf(const CAudioSegment& segment) {
  if (segment.sourceName.empty()) return track::kUntitledLoop;
  std::vector<char> title(segment.sourceName.size() + 1, '\0');
  GetFileTitleFromPath(segment.sourceName.c_str(), title.data());
  const std::string text(title.data());
  return text.empty() ? std::string(track::kUntitledLoop) : CutText(text, CAudioLoop::kMaxTitleBytes);
}

}  // namespace

int LoadLoopAudio(CAudioLoop& loop, const OperationProgress& progress) {
  CAudioSegment* segment = loop.Segment();
  if (!segment) return Fault(kLineLoadNoSegment);
  void* memory = nullptr;
  if (loop.AllocateBuffer(&memory) != 1 || !memory) return Fault(kLineLoadNoMemory);
  const uint32_t channels = segment->GetChannels();
  uint32_t at = 0;
  if (segment->Open(0) != 1 || segment->Seek(0, &at) != 0) {
    segment->Close();
    loop.FreeBuffer();
    return Fault(kLineLoadOpen);
  }
  auto* samples = static_cast<int16_t*>(memory);
  for (uint32_t frame = 0; frame < segment->length;) {
    const uint32_t frames = std::min(kLoadBlockFrames, segment->length - frame);
    uint32_t got = 0;
    if (segment->Read(samples + static_cast<size_t>(channels) * frame, frames, &got) != 1) {
      segment->Close();
      loop.FreeBuffer();
      return Fault(kLineLoadRead);
    }
    // A file shorter than its length leaves silence in place of what is missing.
    if (got == 0) break;
    if (progress) progress(static_cast<int>(got));
    frame += got;
  }
  segment->Close();
  return status::kDone;
}

void CProApp::UpdateLoopMemory(bool showProgress) {
  std::shared_ptr<CAudioLoop> loop;
  loopBank.ResetIterator();
  while (loopBank.GetNextLoop(&loop) == 1 && loop) {
    const bool used = loop->useCount != 0;
    if (!used && loop->IsInMemory()) loop->FreeBuffer();
    if (!used || loop->IsInMemory()) continue;
    if (!showProgress) {
      LoadLoopAudio(*loop, nullptr);
      continue;
    }
    COperationRunning running(*this);
    progressWindow.Begin();
    progressWindow.SetMessage(track::kLoadingLoopCaption, 1);
    progressWindow.DisableCancel();
    progressWindow.SetTotal(loop->Segment() ? loop->Segment()->length : 0);
    LoadLoopAudio(*loop, OperationProgressCallback);
    progressWindow.End();
  }
}

int CProApp::InsertLoop(int loopNumber) {
  if (track::Refused(*this)) return status::kNothingDone;
  const int index = project.GetSelectedTrackIndex();
  const bool extended = project.GetTrackType(index) == CAudioTrack::kTypeExtended;
  if (extended && track::HasSnippets(project, index)) {
    services.ui.Inform(track::kLoopIntoExtendedText);
    return status::kNothingDone;
  }
  std::shared_ptr<CAudioLoop> loop;
  if (loopBank.FindLoop(loopNumber, &loop) != 1 || !loop) return Fault(kLineNoLoop);
  if (!loop->Segment()) return Fault(kLineNoSegment);
  const CAudioSegment& segment = *loop->Segment();
  std::shared_ptr<CAudioSnippetLoop> snippet(new (std::nothrow) CAudioSnippetLoop(loop));
  std::unique_ptr<CAudioTrack> inserted(new (std::nothrow) CAudioTrack(CAudioSnippetList::kModeSnapshot));
  if (!snippet || !inserted) return Fault(kLineNoMemory);
  float ratio = 1.0f;
  if (segment.tempo == 0.0f) {
    ReportError(track::kSource, kLineInsertTempo, track::kDivideByZero);
  } else {
    ratio = project.tempo / segment.tempo;
  }
  snippet->ratio = ratio;
  snippet->tempo = project.tempo;
  snippet->start = playCursor;
  const double stretched = static_cast<double>(static_cast<float>(segment.length) / ratio);
  snippet->length = static_cast<uint32_t>(std::clamp(stretched, 0.0, double{kMaxProjectFrames}));
  snippet->end = static_cast<uint32_t>(std::clamp(stretched + playCursor, 0.0, double{UINT32_MAX}));
  if (RefusePastProjectEnd(snippet->end)) return status::kNothingDone;
  if (extended) project.SetTrackType(index, CAudioTrack::kTypeLoopBased);
  project.AddSnippetToTrack(snippet, index);
  inserted->index = static_cast<int16_t>(index);
  inserted->SetType(CAudioTrack::kTypeLoopBased);
  inserted->AddSnippet(snippet);
  auto record = std::make_unique<COperation>(OperationInsertSnippets);
  record->listB = track::NewSnapshot();
  record->listB->AddTrack(std::move(inserted));
  project.RecomputeProjectEnd();
  UpdateLoopMemory(true);
  track::Record(*this, std::move(record));
  ShowLength(project.projectEnd);
  services.view.RefreshTrackView();
  return status::kDone;
}

int CProApp::OnInsertLoopCommand(uint32_t commandId) {
  const uint32_t first = CAudioLoopList::kFirstLoopCommand;
  if (commandId < first || commandId >= first + track::kInsertLoopMenuEntries) return status::kNothingDone;
  return InsertLoop(static_cast<int>(commandId - first));
}

int CProApp::OnDeleteSelectedLoop() {
  int refused = status::kNothingDone;
  std::shared_ptr<CAudioLoop> loop = UnusedSelectedLoop(*this, track::kDeleteUsedLoopText, &refused);
  if (!loop) return refused;
  const int number = loop->loopNumber;
  loopBank.RemoveLoop(loop->GetIdentifier());
  services.view.RefreshLoopBankRow(number);
  auto record = std::make_unique<COperation>(OperationDeleteLoop);
  record->oldLoop = loop;
  // The loop itself, not its number: the numbers after it have just moved.
  if (editorSource == EditorSourceLoop && editorLoop == loop) {
    record->editorBefore.loop = loop;
    ClearEditor();
  }
  undoList.Add(std::move(record));
  modified = 1;
  services.view.RefreshAllViews();
  return status::kDone;
}

int CProApp::OnLoopProperties() {
  if (IsOperationRunning()) return status::kNothingDone;
  if (loopBank.GetCount() == 0) {
    services.ui.Inform(track::kNoLoopsText);
    return status::kNothingDone;
  }
  return OnLoopProperties(loopBank.GetSelectedLoopNumber());
}

int CProApp::OnLoopProperties(int loopNumber) {
  if (IsOperationRunning()) return status::kNothingDone;
  if (!services.view.HasView()) return Fault(track::kLineLoopPropertiesNoView);
  std::shared_ptr<CAudioLoop> loop;
  if (loopBank.FindLoop(loopNumber, &loop) != 1 || !loop) return Fault(kLineNoLoop);
  CAudioSegment* segment = loop->Segment();
  if (!segment) return Fault(kLineNoSegment);
  LoopPropertiesRequest request;
  request.loopNumber = loop->loopNumber;
  request.title = loop->GetTitle();
  request.measures = loop->GetMeasures();
  request.tempo = segment->tempo;
  request.audioFile = segment->GetPcmFileName();
  request.lengthFrames = segment->length;
  request.inUse = project.IsLoopInUse(loop->GetIdentifier());
  std::optional<LoopPropertiesRequest::Result> answer = services.ui.Request(request);
  if (!answer) return status::kNothingDone;
  // A loop the project plays keeps its timing: its snippets were laid out by it.
  if (!request.inUse) {
    if (const char* tooFast = RefuseLoopTempo(answer->tempo)) {
      services.ui.Inform(tooFast);
      return status::kNothingDone;
    }
    const int measures = std::clamp(answer->measures, 1, int{kMaxLoopMeasures});
    if (measures != loop->GetMeasures()) {
      loop->SetMeasures(measures);
      modified = 1;
    }
    if (IsPlayableTempo(answer->tempo) && answer->tempo != segment->tempo) {
      segment->tempo = answer->tempo;
      modified = 1;
    }
  }
  const std::string title = CutText(answer->title, CAudioLoop::kMaxTitleBytes);
  if (title != loop->GetTitle()) {
    loop->SetTitle(title);
    modified = 1;
  }
  services.view.RefreshCurrentView();
  return status::kDone;
}

int CProApp::OnEditLoopAudio() {
  int refused = status::kNothingDone;
  std::shared_ptr<CAudioLoop> loop = UnusedSelectedLoop(*this, track::kEditUsedLoopText, &refused);
  if (!loop) return refused;
  auto record = std::make_unique<COperation>(OperationEditorContent);
  record->editorBefore = track::ShownContent(*this);
  record->editorAfter.loop = loop;
  undoList.Add(std::move(record));
  modified = 1;
  OpenLoopInEditor(loop);
  services.view.SwitchView(ViewModeEditor);
  services.view.RefreshCurrentView();
  return status::kDone;
}

int CProApp::CreateLoopFromSegment(CAudioSegment* segment, int measures) {
  if (IsOperationRunning()) return status::kNothingDone;
  if (!segment) return Fault(kLineNoSegment);
  // The same limits as every other way into the Loop Bank.
  const char* refusal = loopBank.RefuseNewLoop();
  if (!refusal) refusal = RefuseLoopCreateLength(segment->length);
  const float seconds = segment->GetLengthSeconds();
  if (!refusal && seconds > 0.0f && measures > 0) {
    refusal = RefuseLoopTempo(LoopTempoOf(seconds, std::min(measures, int{kMaxLoopMeasures}), track::kBeatsPerMeasure));
  }
  if (refusal) {
    services.ui.Inform(refusal);
    return status::kNothingDone;
  }
  std::shared_ptr<CAudioLoop> loop(new (std::nothrow) CAudioLoop());
  if (!loop) return Fault(kLineNoMemory);

  // The loop gets audio of its own: the segment stays with whoever holds it.
  COperationRunning running(*this);
  progressWindow.Begin();
  progressWindow.SetMessage(track::kCreatingLoopCaption, 1);
  progressWindow.SetTotal(segment->length);
  OperationParameters params;
  FillOperationRecord(params, EditOpCopyWhole, EditRangeWhole);
  std::shared_ptr<CAudioSegment> copy;
  const OperationResult copied = RunEditOperation(segment, &copy, &params);
  progressWindow.End();
  if (copied != OperationResultDone) {
    track::DiscardAudio(copy);
    return copied == OperationResultCancelled ? status::kCancelled : status::kFaultReported;
  }
  track::FinishSegment(*copy);

  loop->SetMeasures(measures);
  loop->SetTitle(LoopTitleOf(*segment));
  if (seconds == 0.0f || measures == 0) {
    ReportError(track::kSource, kLineLoopTempo, track::kDivideByZero);
    copy->tempo = 1.0f;
  } else {
    copy->tempo = LoopTempoOf(seconds, loop->GetMeasures(), track::kBeatsPerMeasure);
  }
  loop->SetSegment(copy);
  loopBank.AddLoop(loop);
  loop->SetColors(config.colorSets[static_cast<size_t>(ProConfig::kFirstLoopColorSet + loop->loopNumber)]);
  auto record = std::make_unique<COperation>(OperationAddLoop);
  record->newLoop = loop;
  undoList.Add(std::move(record));
  modified = 1;
  services.view.RefreshLoopBank();
  services.view.RefreshAllViews();
  return status::kDone;
}
