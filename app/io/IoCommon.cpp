#include "IoCommon.h"

#include <cstring>
#include <vector>

#include "AudioSegment.h"
#include "EditRunning.h"
#include "Folders.h"
#include "Generic.h"
#include "Lunder.h"
#include "ReportErrorDll.h"
#include "pro.h"

namespace io {

AudioFileType AudioFileTypeOf(const std::string& path) {
  char type[4];
  GetAudioFileType(path.c_str(), type);
  if (std::strcmp(type, "WAV") == 0) return AudioFileType::Wave;
  if (std::strcmp(type, "MP3") == 0) return AudioFileType::Mp3;
  return AudioFileType::None;
}

std::string FileTitleOf(const std::string& path) {
  std::vector<char> title(path.size() + 1);
  GetFileTitleFromPath(path.c_str(), title.data());
  return title.data();
}

CIoCommand::CIoCommand(CProApp& app) {
  if (app.IsOperationRunning()) return;
  if (app.RefuseDuringPlayback()) return;
  running_ = std::make_unique<COperationRunning>(app);
}

CIoCommand::~CIoCommand() = default;

void DeleteSegmentFiles(CAudioSegment& segment) {
  segment.Close();
  platform::RemoveFile(segment.GetPcmFileName());
  platform::RemoveFile(segment.GetPeakFileName());
}

void MapPeaks(CAudioSegment& segment) {
  if (segment.GetPeakFile().KnownSize() > 0) segment.GetPeakFile().Open(0);
}

void ViewWhole(CAudioSegment& segment) {
  segment.viewStart = 0;
  segment.viewEnd = segment.length;
  segment.viewWidth = segment.length;
}

bool CancelAfterPump(COperationDialog& window, bool& cancelled, int* cancel) {
  window.PumpMessages();
  if (!window.IsCancelled()) return false;
  cancelled = true;
  *cancel = 1;
  return true;
}

void FollowCodecProgress(COperationDialog& window, short percent, bool& cancelled, int* cancel) {
  if (!cancel) {
    ReportError(kSource, __LINE__, "");
    return;
  }
  if (CancelAfterPump(window, cancelled, cancel)) return;
  if (percent != kLunderNoPercent) window.SetPercent(percent);
  *cancel = 0;
}

CReportWatch::CReportWatch() : previous_(SetReportSink(this)) {}

CReportWatch::~CReportWatch() { SetReportSink(previous_); }

int CReportWatch::Show(const ErrorReport& report, const char* caption, BoxIcon icon) {
  ++count_;
  return previous_->Show(report, caption, icon);
}

void CReportWatch::Post(const ErrorReport& report) {
  ++count_;
  previous_->Post(report);
}

ClipboardStep CReportWatch::CopyToClipboard(const std::string& text) { return previous_->CopyToClipboard(text); }

void CReportWatch::Notice(const char* text, const char* caption) { previous_->Notice(text, caption); }

}  // namespace io
