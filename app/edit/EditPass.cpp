#include "EditPass.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "AudioFileIo.h"
#include "AudioSegment.h"
#include "File.h"
#include "Folders.h"
#include "Generic.h"

namespace {

constexpr const char* kSource = "pro";
constexpr int kLineNoRecord = __LINE__;
constexpr int kLineNoSegment = __LINE__;
constexpr int kLineNoProgress = __LINE__;
constexpr int kLineNoWorkBuffer = __LINE__;
constexpr int kLineBadFormat = __LINE__;
constexpr int kLineBadRange = __LINE__;
constexpr int kLineNoResult = __LINE__;
constexpr int kLineOpenSource = __LINE__;
constexpr int kLineOpenResult = __LINE__;
constexpr int kLineShortWrite = __LINE__;
constexpr int kLineCloseResult = __LINE__;
constexpr int kLineSyncFailed = __LINE__;

// A result is on disk, not just in the page cache, before anything points at it.
bool SyncToDisk(const std::string& path) {
  platform::CFile file;
  if (!file.Open(path, platform::CFile::Mode::Read)) return false;
  const bool synced = file.Flush();
  return file.Close() && synced;
}

}  // namespace

FrameRange ResolveRange(const CAudioSegment& segment, int32_t range) {
  uint32_t first = 0;
  uint32_t count = segment.length;
  if (range == EditRangeHighlighted) {
    first = segment.trackerStart;
    count = segment.trackerSize;
  } else if (range == EditRangeMarkers) {
    first = segment.markerStart;
    count = segment.markerSize;
  }
  FrameRange r;
  r.first = std::min(first, segment.length);
  r.count = std::min(count, segment.length - r.first);
  return r;
}

uint32_t InsertionPoint(const CAudioSegment& segment, int32_t range) {
  uint32_t point = 0;
  if (range == EditRangeHighlighted) point = segment.trackerStart;
  if (range == EditRangeMarkers) point = segment.markerStart;
  return std::min(point, segment.length);
}

void ClampSelection(CAudioSegment& s) {
  const uint32_t length = s.length;
  if (s.trackerStart > length || s.trackerEnd > length || s.trackerEnd < s.trackerStart) {
    s.trackerStart = std::min(s.trackerStart, length);
    s.trackerEnd = std::clamp(s.trackerEnd, s.trackerStart, length);
    s.trackerSize = s.trackerEnd - s.trackerStart;
  }
  constexpr uint32_t kUnset = CAudioSegment::kMarkerUnset;
  bool moved = false;
  for (uint32_t* marker : {&s.markerStart, &s.markerEnd}) {
    if (*marker != kUnset && *marker > length) {
      *marker = length;
      moved = true;
    }
  }
  // A lone marker keeps its size (unset or erased); a moved pair is measured again.
  if (moved && s.markerStart != kUnset && s.markerEnd != kUnset && s.markerEnd >= s.markerStart) {
    s.markerSize = s.markerEnd - s.markerStart;
  }
}

CEditPass::CEditPass(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result, OperationParameters* params)
    : source_(source), result_(result), params_(params) {}

CEditPass::~CEditPass() {
  if (!finished_) Discard();
}

OperationResult CEditPass::Begin(Attributes attributes, uint16_t resultChannels, bool alwaysNew) {
  if (!params_) return ReportedFault(kLineNoRecord);
  if (!source_ || !result_) return ReportedFault(kLineNoSegment);
  if (!params_->progress) return ReportedFault(kLineNoProgress);
  if (!params_->workBuffer) return ReportedFault(kLineNoWorkBuffer);
  channels_ = source_->GetChannels();
  if ((channels_ != 1 && channels_ != 2) || source_->GetFormat().bitsPerSample != 16) return ReportedFault(kLineBadFormat);
  const int32_t range = Values().range;
  if (range != EditRangeHighlighted && range != EditRangeMarkers && range != EditRangeWhole) {
    return ReportedFault(kLineBadRange);
  }
  range_ = ResolveRange(*source_, range);

  if (!*result_ || alwaysNew) {
    try {
      *result_ = std::make_shared<CAudioSegment>(params_->tempFolder);
    } catch (const std::bad_alloc&) {
      result_->reset();
      return ReportedFault(kLineNoResult);
    }
    if (attributes == Attributes::All) source_->CopyAttributesTo(result_->get());
  }
  AudioQuality format = source_->GetFormat();
  if (resultChannels != 0) format.channels = resultChannels;
  Result().SetFormat(format);
  Result().length = 0;

  open_ = true;
  uint32_t at = 0;
  if (source_->Open(0) != 1 || source_->Seek(0, &at) != 0) return Fail(kLineOpenSource);
  if (Result().Open(1) != 1) return Fail(kLineOpenResult);
  return OperationResultDone;
}

bool CEditPass::Seek(uint32_t frame) {
  uint32_t at = 0;
  if (source_->Seek(frame, &at) == 0) return true;
  stop_ = OperationResultFault;
  return false;
}

bool CEditPass::Read(void* buffer, uint32_t frames, uint32_t* got) {
  if (source_->Read(buffer, frames, got) == 1) return true;
  stop_ = OperationResultFault;
  return false;
}

bool CEditPass::Append(const void* samples, uint32_t frames) {
  if (frames == 0) return true;
  uint32_t written = 0;
  const int result = Result().Write(samples, frames, &written);
  written_ += written;
  if (result == 0 && written == frames) return true;
  if (result == 0) ReportError(kSource, kLineShortWrite, "");
  stop_ = OperationResultFault;
  return false;
}

bool CEditPass::Report(uint32_t frames) {
  if (params_->progress(static_cast<int>(frames)) != 0) return true;
  stop_ = OperationResultCancelled;
  return false;
}

bool CEditPass::Copy(uint32_t from, uint32_t to, uint32_t block) {
  if (from >= to) return true;
  if (!Seek(from)) return false;
  for (uint32_t at = from; at < to;) {
    uint32_t got = 0;
    if (!Read(Work(), std::min(block, to - at), &got)) return false;
    if (got == 0) break;
    if (!AppendAndReport(Work(), got)) return false;
    at += got;
  }
  return true;
}

void CEditPass::Silence(void* buffer, uint32_t frames) const {
  std::memset(buffer, 0, static_cast<size_t>(frames) * FrameBytes());
}

OperationResult CEditPass::Finish() {
  source_->Close();
  CAudioSegment& result = Result();
  const int closed = result.Close();
  result.length = written_;
  if (closed != 1) return Fail(kLineCloseResult);
  for (const std::string* path : {&result.GetPcmFileName(), &result.GetPeakFileName()}) {
    if (path == &result.GetPeakFileName() && !result.peaks) continue;
    if (!SyncToDisk(*path)) {
      ReportFileFault(kSource, kLineSyncFailed, "Failed to write to (%s)", path->c_str());
      stop_ = OperationResultFault;
      return Stop();
    }
  }
  finished_ = true;
  open_ = false;
  return OperationResultDone;
}

OperationResult CEditPass::Stop() {
  Discard();
  return stop_;
}

OperationResult CEditPass::Fail(int line) {
  ReportError(kSource, line, "");
  stop_ = OperationResultFault;
  return Stop();
}

OperationResult CEditPass::Abandon() {
  stop_ = OperationResultFault;
  return Stop();
}

void CEditPass::Discard() {
  finished_ = true;
  if (!open_) return;
  open_ = false;
  source_->Close();
  if (!*result_) return;
  CAudioSegment& result = Result();
  result.Close();
  result.length = written_;
  platform::RemoveFile(result.GetPcmFileName());
  platform::RemoveFile(result.GetPeakFileName());
  result_->reset();
}
