#include "AudioSegment.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <mutex>

#include "AudioFileIo.h"
#include "Folders.h"
#include "Generic.h"

namespace {

constexpr const char* kSource = "AudioSegment";
constexpr const char* kDivideByZero = "Divide By Zero Violation";

// Fault codes: the report lines of this file.
constexpr int kLineNoFolder = 119;
constexpr int kLineReadNoOut = 211;
constexpr int kLineReadSampleWidth = 221;
constexpr int kLineReadChannels = 225;
constexpr int kLineWriteNoSamples = 245;
constexpr int kLineWriteNoOut = 250;
constexpr int kLineWriteSampleWidth = 258;
constexpr int kLineWriteChannels = 262;
constexpr int kLineSeekSampleWidth = 298;
constexpr int kLineSeekChannels = 302;
constexpr int kLineCompleteReadFailed = 349;
constexpr int kLineCompleteSampleWidth = 355;
constexpr int kLineNoOtherSegment = 377;
constexpr int kLineLengthSampleWidth = 407;
constexpr int kLineLengthChannels = 411;
constexpr int kLineWriteTooLarge = __LINE__;

// A float frame position as a frame: truncated, and never below 0 or past the 32-bit range.
uint32_t TruncateToFrame(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 4294967296.0f) return std::numeric_limits<uint32_t>::max();
  return static_cast<uint32_t>(value);
}

std::mutex g_liveLock;
CAudioSegment* g_liveFirst = nullptr;
std::mutex g_observerLock;
CAudioSegment::WriteObserver g_writeObserver = nullptr;
void* g_writeObserverContext = nullptr;

uint32_t ClampBytes(uint64_t bytes) {
  return bytes > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                      : static_cast<uint32_t>(bytes);
}

// The local time stamp of file names, made once a second: a load names thousands of segments.
void StampNow(char stamp[15]) {
  thread_local std::time_t madeAt = -1;
  thread_local char made[15] = "00000000000000";
  const std::time_t now = std::time(nullptr);
  if (now != madeAt) {
    GetTimestampText(made);
    madeAt = now;
  }
  std::memcpy(stamp, made, sizeof made);
}

}  // namespace

CAudioSegment::CAudioSegment(const std::string& folder) : CAudioSegment(folder, true) {}

CAudioSegment::CAudioSegment(const std::string& folder, FolderExists) : CAudioSegment(folder, false) {}

CAudioSegment::CAudioSegment(const std::string& folder, bool checkFolder)
    : identifier_(GetUniqueTickCount()), raw_(std::string()), peaks_(std::string()) {
  std::string where = folder;
  if (folder.empty() || (checkFolder && !platform::FolderExists(folder))) {
    ReportError(kSource, kLineNoFolder, "");
    // Without a folder the files go where temporary files go, never into
    // whatever folder the program happens to run in.
    if (where.empty()) where = platform::TemporaryFolder();
  }
  char stamp[15];
  StampNow(stamp);
  // "<folder>/QRVD_<stamp>_<identifier>", made without a format: a load makes thousands.
  char number[16];
  char* const numberEnd = std::to_chars(number, number + sizeof number, identifier_).ptr;
  std::string name = where;
  name.append("/QRVD_").append(stamp).append("_").append(number, numberEnd);
  raw_.SetPath(name + ".pcm");
  peaks_.SetPath(name + ".pek");
  Link();
}

CAudioSegment::~CAudioSegment() { Unlink(); }

void CAudioSegment::Link() {
  std::lock_guard hold(g_liveLock);
  liveNext_ = g_liveFirst;
  if (g_liveFirst) g_liveFirst->livePrevious_ = this;
  g_liveFirst = this;
}

void CAudioSegment::Unlink() {
  std::lock_guard hold(g_liveLock);
  if (livePrevious_) {
    livePrevious_->liveNext_ = liveNext_;
  } else {
    g_liveFirst = liveNext_;
  }
  if (liveNext_) liveNext_->livePrevious_ = livePrevious_;
  livePrevious_ = liveNext_ = nullptr;
}

void CAudioSegment::ForEachLive(const std::function<void(CAudioSegment&)>& visit) {
  std::lock_guard hold(g_liveLock);
  for (CAudioSegment* segment = g_liveFirst; segment; segment = segment->liveNext_) visit(*segment);
}

int CAudioSegment::FollowMove(const std::string& from, const std::string& to) {
  int moved = 0;
  ForEachLive([&](CAudioSegment& segment) {
    if (segment.GetPcmFileName() == from) {
      segment.SetPcmFileName(to);
      ++moved;
    }
    if (segment.GetPeakFileName() == from) {
      segment.SetPeakFileName(to);
      ++moved;
    }
  });
  return moved;
}

void CAudioSegment::SetWriteObserver(WriteObserver observer, void* context) {
  std::lock_guard hold(g_observerLock);
  g_writeObserver = observer;
  g_writeObserverContext = context;
}

void CAudioSegment::SetQuietWrites(bool quiet) {
  raw_.SetQuietWrites(quiet);
  peaks_.SetQuietWrites(quiet);
}

uint32_t CAudioSegment::FrameBytes(int lineNoSampleWidth, int lineNoChannels) const {
  if (bytesPerSample_ == 0) {
    ReportError(kSource, lineNoSampleWidth, kDivideByZero);
    return 0;
  }
  if (format_.channels == 0) {
    ReportError(kSource, lineNoChannels, kDivideByZero);
    return 0;
  }
  return bytesPerSample_ * format_.channels;
}

int CAudioSegment::Open(int mode) {
  if (mode == 1 || mode == 2) {
    std::lock_guard hold(g_observerLock);
    if (g_writeObserver) g_writeObserver(g_writeObserverContext, *this);
  }
  std::lock_guard lock(readLock_);
  int result = raw_.Open(mode);
  if (mode == 1 && peaks && peaks_.Open(1) != 1) result = 3;
  return result == 1 ? 1 : 3;
}

int CAudioSegment::Close() {
  std::lock_guard lock(readLock_);
  const int raw = raw_.Close();
  const int peakResult = peaks_.Close();
  return raw == 1 && peakResult == 1 ? 1 : 3;
}

int CAudioSegment::Read(void* buffer, uint32_t frames, uint32_t* framesRead) {
  if (!framesRead) {
    ReportError(kSource, kLineReadNoOut, "");
    return 3;
  }
  *framesRead = 0;
  const uint32_t frameBytes = FrameBytes(kLineReadSampleWidth, kLineReadChannels);
  if (frameBytes == 0) return 3;
  std::lock_guard lock(readLock_);
  uint32_t bytes = 0;
  // A failed read is passed on: a caller that took it for the end of the
  // audio would write a shortened result as if it were whole.
  if (raw_.Read(buffer, ClampBytes(static_cast<uint64_t>(frames) * frameBytes), &bytes) != 1) return 3;
  *framesRead = bytes / frameBytes;
  return 1;
}

int CAudioSegment::Write(const void* samples, uint32_t frames, uint32_t* framesWritten) {
  if (!samples) {
    ReportError(kSource, kLineWriteNoSamples, "");
    return 3;
  }
  if (!framesWritten) {
    ReportError(kSource, kLineWriteNoOut, "");
    return 3;
  }
  *framesWritten = 0;
  const uint32_t frameBytes = FrameBytes(kLineWriteSampleWidth, kLineWriteChannels);
  if (frameBytes == 0) return 3;
  const uint64_t bytes = static_cast<uint64_t>(frames) * frameBytes;
  if (bytes > std::numeric_limits<uint32_t>::max()) {
    errno = EFBIG;
    return ReportFileFault(kSource, kLineWriteTooLarge, "Failed to write to (%s)", raw_.GetPath().c_str());
  }
  uint32_t written = 0;
  int result = raw_.Write(samples, static_cast<uint32_t>(bytes), &written, frameBytes) == 1 ? 0 : 3;
  *framesWritten = written / frameBytes;
  // Peaks follow what reached the raw file, so the two stay aligned even after a failure.
  if (peaks && peaks_.AppendPeaksOf(static_cast<const int16_t*>(samples), *framesWritten, format_.channels) != 1) {
    result = 3;
  }
  return result;
}

int CAudioSegment::Seek(uint32_t frame, uint32_t* newFrame) {
  const uint32_t frameBytes = FrameBytes(kLineSeekSampleWidth, kLineSeekChannels);
  if (frameBytes == 0) {
    if (newFrame) *newFrame = 0;
    return 3;
  }
  std::lock_guard lock(readLock_);
  uint32_t position = 0;
  const int result = raw_.Seek(ClampBytes(static_cast<uint64_t>(frame) * frameBytes), &position);
  if (newFrame) *newFrame = position / frameBytes;
  return result == 1 ? 0 : 3;
}

int CAudioSegment::BeginRead(uint32_t firstFrame, uint32_t frames, uint32_t* transferred, void* buffer) {
  const uint64_t frameBytes = static_cast<uint64_t>(bytesPerSample_) * format_.channels;
  std::lock_guard lock(readLock_);
  return raw_.StartRead(ClampBytes(firstFrame * frameBytes), ClampBytes(frames * frameBytes), transferred, buffer);
}

int CAudioSegment::CompleteRead(uint32_t* frames, void* buffer) {
  if (frames) *frames = 0;
  if (bytesPerSample_ == 0) {
    ReportError(kSource, kLineCompleteSampleWidth, kDivideByZero);
    return 3;
  }
  uint32_t bytes = 0;
  if (raw_.FinishRead(&bytes, buffer) != 1) {
    ReportError(kSource, kLineCompleteReadFailed, "");
    return 3;
  }
  uint32_t count = bytes / bytesPerSample_;
  if (format_.channels == 2) count /= 2;
  if (frames) *frames = count;
  return 1;
}

int CAudioSegment::CloseReadHandle() {
  std::lock_guard lock(readLock_);
  return raw_.CloseReadHandle();
}

bool CAudioSegment::IsReadHandleClosed() const {
  std::lock_guard lock(readLock_);
  return raw_.IsReadHandleClosed();
}

float CAudioSegment::GetLengthSeconds() const {
  return static_cast<float>(length) / static_cast<float>(kFramesPerSecond);
}

void CAudioSegment::SetLengthFromBytes(uint32_t bytes) {
  const uint32_t frameBytes = FrameBytes(kLineLengthSampleWidth, kLineLengthChannels);
  length = frameBytes ? bytes / frameBytes : 0;
}

void CAudioSegment::SetPcmFileName(const std::string& path) {
  std::lock_guard lock(readLock_);
  raw_.SetPath(path);
  if (raw_.Open(0) == 1) raw_.Close();
}

void CAudioSegment::SetFoundPcmFileName(const std::string& path) {
  std::lock_guard lock(readLock_);
  raw_.SetPath(path);
}

void CAudioSegment::SetPeakFileName(const std::string& path) { peaks_.SetPath(path); }

uint32_t CAudioSegment::GetPeakCount() const {
  return peaks_.IsMapped() ? peaks_.MappedBytes() : peaks_.KnownSize();
}

void CAudioSegment::SetFormat(const AudioQuality& format) {
  format_ = format;
  bytesPerSample_ = format.bitsPerSample / 8u;
}

void CAudioSegment::SetTrackerFromView(float first, float second) {
  const float start = static_cast<float>(viewStart);
  const float width = static_cast<float>(viewWidth);
  trackerStart = TruncateToFrame(first * width + start);
  trackerEnd = TruncateToFrame(start + width * second);
  // Fractions in the wrong order make an empty range, never a wrapped one.
  trackerSize = trackerEnd >= trackerStart ? trackerEnd - trackerStart : 0;
}

int CAudioSegment::AdjustMarkers(int operation, uint32_t first, uint32_t end) {
  if (operation != 1 && operation != 2) return 0;
  const uint32_t moved = end - first;
  uint32_t& start = markerStart;
  uint32_t& stop = markerEnd;
  const bool startSet = start != kMarkerUnset;
  const bool stopSet = stop != kMarkerUnset;
  if (operation == 2) {
    if (startSet && start > first) start += moved;
    if (stopSet && stop > first) stop += moved;
  } else {
    if (!startSet && !stopSet) return 0;
    if (start < first && end < stop && stopSet) {
      stop -= moved;  // the cut lies inside the marked range
    } else if (end < start) {
      if (startSet) start -= moved;  // the cut lies before
      if (stopSet) stop -= moved;
    } else if (start < first && first <= stop && stop <= end) {
      stop = kMarkerUnset;  // the cut takes the end marker
    } else if (start < first) {
      // the cut lies after
    } else if (stopSet && end >= stop) {
      start = stop = kMarkerUnset;  // the cut takes both
    } else if (stopSet) {
      start = stop - moved;  // the cut takes the start; the moved end is the single marker
      stop = kMarkerUnset;
    } else {
      start = kMarkerUnset;  // the cut takes the single marker
    }
  }
  markerSize = stop - start;
  return 0;
}

int CAudioSegment::CopyAttributesTo(CAudioSegment* other) const {
  if (!other) {
    ReportError(kSource, kLineNoOtherSegment, "");
    return 3;
  }
  other->SetFormat(format_);
  other->tempo = tempo;
  other->length = length;
  other->viewStart = viewStart;
  other->viewEnd = viewEnd;
  other->viewWidth = viewWidth;
  other->markerStart = markerStart;
  other->markerEnd = markerEnd;
  other->markerSize = markerSize;
  other->trackerStart = trackerStart;
  other->trackerEnd = trackerEnd;
  other->trackerSize = trackerSize;
  return 1;
}

const char* CAudioSegment::SetNameFromBuffer(const char* text) {
  if (!text) return nullptr;
  const size_t size = std::strlen(text);
  sourceName.assign(text, size);
  return text + size + 1;
}
