#include "AudioDecode.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "AudioSegment.h"
#include "ByteFields.h"
#include "File.h"
#include "Generic.h"
#include "Lunder.h"
#include "Ombrel.h"
#include "pro.h"

namespace io {
namespace {

constexpr uint32_t kLowestRate = 1000;
// More than the repeated last frame can make past the length (some 130 frames from 1000 Hz).
constexpr uint32_t kHeldFrames = 4096;
constexpr int kTopUpRounds = 4;
constexpr uint32_t kHighestRate = 384000;
// Data sizes a writer leaves in the header when it could not know the length.
constexpr uint32_t kOpenSizeZero = 0;
constexpr uint32_t kOpenSizeAll = 0xFFFFFFFF;

CAudioDecode* g_running = nullptr;

bool SameFormat(const AudioQuality& a, const AudioQuality& b) {
  return a.samplesPerSecond == b.samplesPerSecond && a.channels == b.channels && a.bitsPerSample == b.bitsPerSample;
}

}  // namespace

CAudioDecode::CAudioDecode(CProApp& app) : app_(app) {}

CAudioDecode::~CAudioDecode() {
  if (g_running == this) g_running = nullptr;
}

void CAudioDecode::ImportDataCallback(unsigned char* samples, uint32_t bytes, AudioQuality* format, short percent,
                                      int* cancel) {
  if (g_running) {
    g_running->OnData(samples, bytes, format, percent, cancel);
  } else {
    ReportError(kSource, __LINE__, "");
    if (cancel) *cancel = 1;
  }
}

void CAudioDecode::ImportProgressCallback(short percent, int* cancel) {
  if (g_running) {
    FollowCodecProgress(g_running->app_.progressWindow, percent, g_running->cancelled_, cancel);
  } else if (cancel) {
    *cancel = 1;
  }
}

bool CAudioDecode::Running() { return g_running != nullptr; }

CAudioDecode::Outcome CAudioDecode::Run(const std::string& path, AudioFileType type) {
  if (!app_.workBuffer.Data()) {
    ReportError(kSource, __LINE__, "");
    return Outcome::Failed;
  }
  segment_ = app_.NewAudioSegment();
  app_.importTarget = segment_;
  g_running = this;
  Outcome outcome = Outcome::Failed;
  {
    CReportWatch watch;
    outcome = Decode(path, type, watch);
  }
  g_running = nullptr;
  app_.importTarget.reset();
  app_.progressWindow.End();
  if (outcome == Outcome::Done) {
    Finish(path);
  } else {
    DeleteSegmentFiles(*segment_);
    segment_.reset();
  }
  return outcome;
}

CAudioDecode::Outcome CAudioDecode::Decode(const std::string& path, AudioFileType type, CReportWatch& watch) {
  if (segment_->Open(1) != 1) return Outcome::Failed;
  app_.progressWindow.SetMessage(type == AudioFileType::Mp3 ? kDecodingMp3Caption : kImportingCaption, 1);
  if (app_.progressWindow.Begin() != 1) return Outcome::Failed;
  unsigned int result = 0;
  if (type == AudioFileType::Mp3) {
    result = CLunder().Decode(path.c_str(), &ImportProgressCallback, &ImportDataCallback);
  } else {
    result = COmbrel().Decode(path.c_str(), &ImportDataCallback);
  }
  // Our own stops come first: the codec answers "cancelled" to them as well.
  if (cancelled_) return Outcome::Cancelled;
  if (refusal_) return Outcome::Refused;
  if (watch.Count() > 0 || writeFailed_ || result == kOmbrelNoWorker) return Outcome::Failed;
  if (result == kOmbrelCancelled) return Outcome::Cancelled;
  if (!Flush()) return refusal_ ? Outcome::Refused : Outcome::Failed;
  if (segment_->length == 0) {
    Refuse(kNoSizeText);
    return Outcome::Refused;
  }
  // The close writes what is still held back; a fault there loses audio too.
  if (!PadToOneSecond() || segment_->Close() != 1 || watch.Count() > 0) return Outcome::Failed;
  return Outcome::Done;
}

void CAudioDecode::Finish(const std::string& path) {
  segment_->sourceName = path;
  MapPeaks(*segment_);
  ViewWhole(*segment_);
  segment_->tempo = app_.project.tempo;
}

void CAudioDecode::OnData(unsigned char* samples, uint32_t bytes, const AudioQuality* format, short percent,
                          int* cancel) {
  if (!cancel) {
    ReportError(kSource, __LINE__, "");
    return;
  }
  if (!samples || !format) {
    ReportError(kSource, __LINE__, "");
    *cancel = 1;
    return;
  }
  if (!app_.importTarget) {
    ReportError(kSource, __LINE__, "");
    *cancel = 1;
    return;
  }
  if (CancelAfterPump(app_.progressWindow, cancelled_, cancel)) return;
  *cancel = 0;
  const bool fits = prepared_ ? (SameFormat(*format, source_) || Refuse(kUnsupportedFormatText)) : Prepare(*format);
  if (!fits || !Convert(samples, bytes)) {
    *cancel = 1;
    return;
  }
  app_.progressWindow.SetPercent(percent);
}

bool CAudioDecode::Refuse(const char* text) {
  if (!refusal_) refusal_ = text;
  return false;
}

bool CAudioDecode::Prepare(const AudioQuality& format) {
  // A rate from a damaged header would make the converted block grow without bound.
  if (format.samplesPerSecond < kLowestRate || format.samplesPerSecond > kHighestRate ||
      (format.channels != 1 && format.channels != 2) || (format.bitsPerSample != 8 && format.bitsPerSample != 16)) {
    return Refuse(kUnsupportedFormatText);
  }
  source_ = format;
  target_ = AudioQuality{kOneSecondFrames, format.channels, 16};
  app_.progressWindow.SetMessage(kImportingCaption, 1);
  segment_->SetFormat(target_);
  capacityFrames_ = app_.workBufferSize / (target_.channels * 2u);
  resampling_ = source_.samplesPerSecond != target_.samplesPerSecond;
  if (resampling_) {
    // Half the room per piece, so what the converter still holds always fits beside it.
    const double ratio = static_cast<double>(target_.samplesPerSecond) / source_.samplesPerSecond;
    pieceFrames_ = std::max<uint32_t>(1, static_cast<uint32_t>(capacityFrames_ / 2 / ratio));
    const uint32_t pieceBytes = pieceFrames_ * source_.channels * (source_.bitsPerSample / 8u);
    app_.importConverter.Reset();
    SetupRateConversion(&app_.importConverter, &source_, &target_, pieceBytes);
  } else {
    pieceFrames_ = capacityFrames_;
  }
  prepared_ = true;
  return true;
}

bool CAudioDecode::Convert(const unsigned char* samples, uint32_t bytes) {
  const uint32_t frameBytes = source_.channels * (source_.bitsPerSample / 8u);
  const uint32_t frames = bytes / frameBytes;
  if (frames == 0) return true;
  sourceFrames_ += frames;
  lastFrame_.assign(samples + static_cast<size_t>(frames - 1) * frameBytes,
                    samples + static_cast<size_t>(frames) * frameBytes);
  for (uint32_t done = 0; done < frames;) {
    const uint32_t n = std::min(pieceFrames_, frames - done);
    if (!ConvertPiece(samples + static_cast<size_t>(done) * frameBytes, n)) return false;
    done += n;
  }
  return true;
}

bool CAudioDecode::ConvertPiece(const unsigned char* piece, uint32_t frames) {
  const uint32_t frameBytes = source_.channels * (source_.bitsPerSample / 8u);
  auto* work = static_cast<int16_t*>(app_.workBuffer.Data());
  const uint32_t workBytes = capacityFrames_ * target_.channels * 2u;
  uint32_t made = 0;
  ConvertAudioFormat(&source_, &target_, piece, work, frames * frameBytes, workBytes, &app_.importConverter, &made);
  if (!Hold(work, made)) return false;
  // A full buffer may leave frames in the converter; they come out before the next piece goes in.
  while (made == capacityFrames_) {
    ConvertAudioFormat(&source_, &target_, piece, work, 0, workBytes, &app_.importConverter, &made);
    if (!Hold(work, made)) return false;
  }
  return true;
}

bool CAudioDecode::Hold(const int16_t* frames, uint32_t count) {
  if (!resampling_) return Append(frames, count);
  const size_t ch = target_.channels;
  if (count >= kHeldFrames) {
    // What was held, and all of these but their end, go on.
    const uint32_t passed = count - kHeldFrames;
    if (!Append(held_.data(), static_cast<uint32_t>(held_.size() / ch)) || !Append(frames, passed)) return false;
    held_.assign(frames + passed * ch, frames + static_cast<size_t>(count) * ch);
    return true;
  }
  held_.insert(held_.end(), frames, frames + static_cast<size_t>(count) * ch);
  const size_t over = held_.size() / ch > kHeldFrames ? held_.size() / ch - kHeldFrames : 0;
  if (over == 0) return true;
  if (!Append(held_.data(), static_cast<uint32_t>(over))) return false;
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(over * ch));
  return true;
}

uint64_t CAudioDecode::Converted() const { return segment_->length + held_.size() / target_.channels; }

bool CAudioDecode::Drain() {
  auto* work = static_cast<int16_t*>(app_.workBuffer.Data());
  for (;;) {
    uint32_t made = 0;
    app_.importConverter.FlushStorage(work, capacityFrames_, &made);
    if (!Hold(work, made)) return false;
    if (made < capacityFrames_) return true;
  }
}

// Enough repeats of the file's last frame to make the missing frames, and a few more.
bool CAudioDecode::TopUp(uint64_t missing) {
  const double ratio = static_cast<double>(target_.samplesPerSecond) / source_.samplesPerSecond;
  const auto repeats = static_cast<uint32_t>(std::min<double>(pieceFrames_, std::ceil(missing / ratio) + 2));
  std::vector<uint8_t> pad;
  pad.reserve(static_cast<size_t>(repeats) * lastFrame_.size());
  for (uint32_t i = 0; i < repeats; ++i) pad.insert(pad.end(), lastFrame_.begin(), lastFrame_.end());
  return ConvertPiece(pad.data(), repeats);
}

bool CAudioDecode::Flush() {
  if (!resampling_) return true;
  const uint64_t from = source_.samplesPerSecond;
  const uint64_t wanted = (sourceFrames_ * target_.samplesPerSecond * 2 + from) / (2 * from);
  for (int round = 0; round < kTopUpRounds; ++round) {
    if (!Drain()) return false;
    if (Converted() >= wanted) break;
    if (!TopUp(wanted - Converted())) return false;
  }
  // What ran past the length goes.
  const uint64_t appended = segment_->length;
  const uint64_t keep = wanted > appended ? std::min<uint64_t>(wanted - appended, held_.size() / target_.channels) : 0;
  const bool kept = Append(held_.data(), static_cast<uint32_t>(keep));
  held_.clear();
  return kept;
}

bool CAudioDecode::PadToOneSecond() {
  if (segment_->length >= kOneSecondFrames) return true;
  const uint32_t missing = kOneSecondFrames - segment_->length;
  auto* work = static_cast<int16_t*>(app_.workBuffer.Data());
  std::memset(work, 0, static_cast<size_t>(missing) * target_.channels * 2u);
  return Append(work, missing);
}

bool CAudioDecode::Append(const int16_t* frames, uint32_t count) {
  if (count == 0) return true;
  if (count > app_.kMaxProjectFrames - segment_->length) return Refuse(kTooLongText);
  uint32_t written = 0;
  if (segment_->Write(frames, count, &written) != 0 || written != count) {
    // The segment's file has reported why.
    writeFailed_ = true;
    return false;
  }
  segment_->length += count;
  return true;
}

bool IsWaveCutShort(const std::string& path) {
  // A FIFO or a device would block the probe; the decode refuses those itself.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  OmbrelWaveHeaderInfo info{};
  if (COmbrel().GetHeaderParameters(path.c_str(), &info) != 0 || info.dataOffset < 4) return false;
  platform::CFile file;
  if (!file.Open(path, platform::CFile::Mode::ReadRegular)) return false;
  uint8_t field[4];
  if (file.ReadAt(field, sizeof field, static_cast<int64_t>(info.dataOffset) - 4) != 4) return false;
  const uint32_t declared = bytes::GetU32(field);
  if (declared == kOpenSizeZero || declared == kOpenSizeAll) return false;
  // The codec's data size stops where the file does.
  return declared > info.dataSize;
}

}  // namespace io
