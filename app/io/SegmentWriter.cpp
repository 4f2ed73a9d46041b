#include "SegmentWriter.h"

#include <algorithm>

#include "AudioSegment.h"
#include "ExportSource.h"
#include "Generic.h"
#include "IoCommon.h"
#include "pro.h"

namespace io {
namespace {

constexpr uint32_t kCopyBlockSamples = 131072;  // per block, across the channels

}  // namespace

int WriteToSegment(CProApp& app, CExportSource& source, const char* caption, uint32_t blockFrames,
                   std::shared_ptr<CAudioSegment>* segment) {
  auto* work = static_cast<int16_t*>(app.workBuffer.Data());
  const uint32_t frameBytes = source.Channels() * 2u;
  if (!work || frameBytes == 0 || blockFrames == 0 || static_cast<uint64_t>(blockFrames) * frameBytes > app.workBufferSize) {
    ReportError(kSource, __LINE__, "");
    return status::kFaultReported;
  }
  auto target = app.NewAudioSegment();
  target->SetFormat(source.Format());
  if (target->Open(1) != 1) {
    DeleteSegmentFiles(*target);
    return status::kFaultReported;
  }
  COperationDialog& progress = app.progressWindow;
  progress.SetMessage(caption, 1);
  if (progress.Begin() != 1) {
    DeleteSegmentFiles(*target);
    return status::kFaultReported;
  }
  progress.SetTotal(source.TotalFrames());
  int result = status::kDone;
  while (result == status::kDone) {
    const uint32_t before = source.FramesDone();
    uint32_t got = 0, written = 0;
    if (!source.Read(work, blockFrames, &got)) {
      result = status::kFaultReported;
      break;
    }
    if (got == 0) break;
    if (got > CProApp::kMaxProjectFrames - target->length) {
      ReportError(kSource, __LINE__, "The audio is longer than the maximum project length of 90 minutes.");
      result = status::kFaultReported;
    } else if (target->Write(work, got, &written) != 0 || written != got) {
      result = status::kFaultReported;  // the segment's file has said why
    } else {
      target->length += got;
      progress.AddDone(source.FramesDone() - before);
      if (progress.IsCancelled()) result = status::kCancelled;
    }
  }
  progress.End();
  if (result == status::kDone && target->Close() != 1) result = status::kFaultReported;
  if (result != status::kDone) {
    DeleteSegmentFiles(*target);
    return result;
  }
  ViewWhole(*target);
  MapPeaks(*target);
  *segment = std::move(target);
  return status::kDone;
}

int CopySegment(CProApp& app, CAudioSegment& source, const char* caption, std::shared_ptr<CAudioSegment>* copy) {
  if (source.GetChannels() == 0) {
    ReportError(kSource, __LINE__, "");
    return status::kFaultReported;
  }
  CSegmentSource reader(source);
  return WriteToSegment(app, reader, caption, kCopyBlockSamples / source.GetChannels(), copy);
}

}  // namespace io
