#include "PeakFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "AudioFileIo.h"
#include "Generic.h"

namespace {

constexpr const char* kSource = "PeakFile";

// Fault codes: the report lines of this file.
constexpr int kLineOpenRead = 74;
constexpr int kLineOpenWrite = 88;
constexpr int kLineCloseWrite = 119;
constexpr int kLineCreateMapping = 135;
constexpr int kLineMapView = 143;
constexpr int kLineUnmap = 156;
constexpr int kLineWriteFailed = 186;
constexpr WriteSideFaults kWriteFaults = {.title = kSource,
                                          .writeNoHandle = 193,
                                          .noHandleNamesFile = false,
                                          .writeFailed = kLineWriteFailed,
                                          .writeFailedFormat = "Write failed for file %s.",
                                          .sizeNoHandle = 261,
                                          .sizeTell = 237,
                                          .sizeSeekEnd = 245,
                                          .sizeSeekBack = 255,
                                          .tellNoHandle = 284,
                                          .tell = 276};

// Peak writes anywhere in the program, counted: a view looks at its file's
// size on disk again only after one (a redraw asks every snippet for its
// peaks, and each look is a system call).
std::atomic<uint64_t> g_peakWrites{0};

uint8_t MaximumByte(int maximum) { return static_cast<uint8_t>(maximum >> 7); }

// A full-scale negative peak (-32768) would give 256; it is kept at 255 so it
// never draws as silence.
uint8_t MinimumByte(int minimum) { return static_cast<uint8_t>(std::min(255, (-minimum) >> 7)); }

// Running extremes in eight lanes of interleaved samples. A record starts on a
// frame, so in stereo the even lanes hold the left channel and the odd lanes
// the right. Whole records fold eight samples per step in vector registers.
using Lanes = int16_t __attribute__((vector_size(16)));
constexpr size_t kLanes = 8;

struct LaneExtremes {
  Lanes maximum = {};
  Lanes minimum = {};

  void Fold(const int16_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      maximum[i % kLanes] = std::max(maximum[i % kLanes], samples[i]);
      minimum[i % kLanes] = std::min(minimum[i % kLanes], samples[i]);
    }
  }
  // count is a multiple of eight.
  void FoldLanes(const int16_t* samples, size_t count) {
    for (size_t i = 0; i < count; i += kLanes) {
      Lanes v;
      std::memcpy(&v, samples + i, sizeof v);
      maximum = v > maximum ? v : maximum;
      minimum = v < minimum ? v : minimum;
    }
  }
  // The record bytes of the lanes first, first + step, ...
  void Emit(size_t first, size_t step, uint8_t* out) const {
    int high = 0, low = 0;
    for (size_t k = first; k < kLanes; k += step) {
      high = std::max<int>(high, maximum[k]);
      low = std::min<int>(low, minimum[k]);
    }
    out[0] = MaximumByte(high);
    out[1] = MinimumByte(low);
  }
};

}  // namespace

size_t MakePeakRecords(const int16_t* samples, uint32_t frames, uint16_t channels, uint32_t firstRecord,
                       uint32_t recordCount, uint8_t* out) {
  uint8_t* at = out;
  for (uint32_t j = firstRecord; j < firstRecord + recordCount; ++j) {
    // Record j folds frames [64j + 1, 64j + 65): the frame at each multiple of
    // 64 closes the record that ends there. The first record also folds frame 0.
    const uint64_t begin = static_cast<uint64_t>(j) * kFramesPerPeak + 1;
    const uint64_t end = std::min<uint64_t>(begin + kFramesPerPeak, frames);
    LaneExtremes lanes;
    if (j == 0 && frames > 0) lanes.Fold(samples, channels);
    const int16_t* from = samples + begin * channels;
    if (end - begin == kFramesPerPeak) {
      lanes.FoldLanes(from, kFramesPerPeak * channels);
    } else if (end > begin) {
      lanes.Fold(from, (end - begin) * channels);
    }
    if (channels == 1) {
      lanes.Emit(0, 1, at);
      at += 2;
    } else {
      lanes.Emit(0, 2, at);
      lanes.Emit(1, 2, at + 2);
      at += 4;
    }
  }
  return static_cast<size_t>(at - out);
}

CPeakFile::CPeakFile(const std::string& path)
    : identifier_(GetUniqueTickCount()), path_(path), writer_(kWriteFaults) {}

CPeakFile::~CPeakFile() = default;

int CPeakFile::SetPath(const std::string& path) {
  view_.Unmap();
  if (writer_.IsOpen()) writer_.Close();
  ResetSession();
  emptyReported_ = false;
  path_ = path;
  return 1;
}

int CPeakFile::Open(int mode) {
  if (mode == 0) {
    mode_ = 0;
    if (view_.IsMapped() && UnmapFile() != 1) return 3;
    return MapFile();
  }
  if (mode == 1) {
    mode_ = 1;
    if (writer_.IsOpen()) return 1;
    ResetSession();
    if (!writer_.Open(path_)) {
      return ReportFileFault(kSource, kLineOpenWrite, "Failed to open file %s for write.", path_.c_str());
    }
    uint32_t size = 0;
    if (GetSize(&size) != 1) return 3;
    size_ = size;
    return 1;
  }
  return 1;
}

uint32_t CPeakFile::SizeOnDisk() const {
  struct stat info;
  if (::stat(path_.c_str(), &info) != 0) return 0;
  return ClampToFileSize(info.st_size);
}

// The descriptor is closed once the view exists: a project maps hundreds of
// peak files, and the view keeps the file's pages by itself.
int CPeakFile::MapFile() {
  if (view_.IsMapped()) return 1;
  writesSeen_ = g_peakWrites.load(std::memory_order_acquire);
  platform::CFile file;
  if (!file.Open(path_, platform::CFile::Mode::ReadRegular)) {
    if (errno != ENOENT || !file.Open(path_, platform::CFile::Mode::ReadWrite)) {
      return ReportFileFault(kSource, kLineOpenRead, "Failed to open file %s for read.", path_.c_str());
    }
  }
  size_ = ClampToFileSize(file.Size());
  if (size_ == 0) {
    emptyReported_ = true;
    errno = EINVAL;
    return ReportFileFault(kSource, kLineCreateMapping, "Failed to create mapping file %s.", path_.c_str());
  }
  emptyReported_ = false;
  if (!view_.Map(file, size_)) {
    return ReportFileFault(kSource, kLineMapView, "Failed to map view file %s.", path_.c_str());
  }
  return 1;
}

int CPeakFile::UnmapFile() {
  if (!view_.IsMapped()) return 1;
  if (!view_.Unmap()) return ReportFileFault(kSource, kLineUnmap, "Failed to unmap view file %s.", path_.c_str());
  return 1;
}

int CPeakFile::GetData(const uint8_t** data, uint32_t* size) {
  if (data) *data = nullptr;
  if (size) *size = 0;
  // Whether the file may have grown since it was last looked at.
  const uint64_t writes = g_peakWrites.load(std::memory_order_acquire);
  const bool written = writes != writesSeen_;
  writesSeen_ = writes;
  if (view_.IsMapped()) {
    // A view made before the file grew would leave the new records unseen.
    if (written && SizeOnDisk() > view_.Length() && (UnmapFile() != 1 || MapFile() != 1)) return 3;
  } else {
    if (emptyReported_ && (!written || SizeOnDisk() == 0)) return 3;
    Open(0);
    if (!view_.IsMapped()) return 3;
  }
  if (data) *data = view_.Data();
  if (size) *size = static_cast<uint32_t>(view_.Length());
  return 1;
}

int CPeakFile::Write(const void* bytes, uint32_t count, uint32_t* written) {
  const int result = writer_.Write(path_, bytes, count, written, &size_);
  g_peakWrites.fetch_add(1, std::memory_order_release);
  return result;
}

// Built in chunks on the stack: a write of any length is safe, and the
// recorder thread that calls this never allocates.
int CPeakFile::WritePeaksOf(const int16_t* samples, uint32_t frames, uint16_t channels) {
  if (channels != 1 && channels != 2) {
    errno = EINVAL;
    return ReportFileFault(kSource, kLineWriteFailed, "Write failed for file %s.", path_.c_str());
  }
  uint8_t chunk[8192];
  const uint32_t recordBytes = 2u * channels;
  const uint32_t perChunk = sizeof chunk / recordBytes;
  const uint32_t records = frames / kFramesPerPeak;
  for (uint32_t first = 0; first < records; first += perChunk) {
    const uint32_t count = std::min(perChunk, records - first);
    const size_t made = MakePeakRecords(samples, frames, channels, first, count, chunk);
    if (Write(chunk, static_cast<uint32_t>(made), nullptr) != 1) return 3;
  }
  return 1;
}

void CPeakFile::ResetSession() {
  sessionFrames_ = 0;
  sessionChannels_ = 0;
  std::fill(std::begin(openMaximum_), std::end(openMaximum_), 0);
  std::fill(std::begin(openMinimum_), std::end(openMinimum_), 0);
}

// A session whose frame count is a multiple of 64 owes its last record: the
// frame that would close it never comes.
int CPeakFile::WriteOpenRecord() {
  if (sessionFrames_ == 0 || sessionFrames_ % kFramesPerPeak != 0) return 1;
  LaneExtremes open;
  std::memcpy(&open.maximum, openMaximum_, sizeof openMaximum_);
  std::memcpy(&open.minimum, openMinimum_, sizeof openMinimum_);
  uint8_t record[4];
  open.Emit(0, sessionChannels_, record);
  if (sessionChannels_ == 2) open.Emit(1, 2, record + 2);
  return Write(record, 2u * sessionChannels_, nullptr);
}

// Frame f of the session closes a record after it when f > 0 is a multiple of
// 64. From a frame just after one, whole records fold 64 frames at a time.
int CPeakFile::AppendPeaksOf(const int16_t* samples, uint32_t frames, uint16_t channels) {
  if (channels != 1 && channels != 2) {
    errno = EINVAL;
    return ReportFileFault(kSource, kLineWriteFailed, "Write failed for file %s.", path_.c_str());
  }
  if (sessionChannels_ != channels) {
    ResetSession();
    sessionChannels_ = channels;
  }
  LaneExtremes open;
  std::memcpy(&open.maximum, openMaximum_, sizeof openMaximum_);
  std::memcpy(&open.minimum, openMinimum_, sizeof openMinimum_);
  uint8_t chunk[8192];
  size_t used = 0;
  const size_t recordBytes = 2u * channels;
  int result = 1;
  auto close = [&] {
    open.Emit(0, channels, chunk + used);
    if (channels == 2) open.Emit(1, 2, chunk + used + 2);
    used += recordBytes;
    open = LaneExtremes{};
    if (used + recordBytes > sizeof chunk) {
      if (Write(chunk, static_cast<uint32_t>(used), nullptr) != 1) result = 3;
      used = 0;
    }
  };
  uint64_t f = sessionFrames_;
  const int16_t* at = samples;
  for (uint32_t left = frames; left > 0;) {
    if (f % kFramesPerPeak == 1 && left >= kFramesPerPeak) {
      open.FoldLanes(at, kFramesPerPeak * channels);
      at += kFramesPerPeak * channels;
      f += kFramesPerPeak;
      left -= kFramesPerPeak;
      close();
      continue;
    }
    open.Fold(at, channels);
    at += channels;
    if (f > 0 && f % kFramesPerPeak == 0) close();
    ++f;
    --left;
  }
  if (used > 0 && Write(chunk, static_cast<uint32_t>(used), nullptr) != 1) result = 3;
  sessionFrames_ = f;
  std::memcpy(openMaximum_, &open.maximum, sizeof openMaximum_);
  std::memcpy(openMinimum_, &open.minimum, sizeof openMinimum_);
  return result;
}

int CPeakFile::Tell(uint32_t* position) { return writer_.Tell(path_, position); }

int CPeakFile::GetSize(uint32_t* size) { return writer_.GetSize(path_, size); }

int CPeakFile::Close() {
  int result = UnmapFile();
  if (writer_.IsOpen()) {
    if (WriteOpenRecord() != 1) result = 3;
    if (!writer_.Close()) result = ReportFileFault(kSource, kLineCloseWrite, "Failed to close file %s.", path_.c_str());
  }
  ResetSession();
  return result;
}
