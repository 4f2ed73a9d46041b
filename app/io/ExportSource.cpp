#include "ExportSource.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "AudioSegment.h"
#include "Generic.h"
#include "IoCommon.h"

namespace io {
namespace {

constexpr uint32_t kStagingFrames = 32768;

}  // namespace

CSegmentSource::CSegmentSource(CAudioSegment& segment) : segment_(segment) {}

uint16_t CSegmentSource::Channels() const { return segment_.GetChannels(); }

uint32_t CSegmentSource::TotalFrames() const { return segment_.length; }

bool CSegmentSource::Read(int16_t* out, uint32_t frames, uint32_t* got) {
  *got = 0;
  const uint32_t frameBytes = segment_.GetChannels() * 2u;
  if (frameBytes == 0) return false;
  if (staging_.empty()) {
    staging_.resize(static_cast<size_t>(kStagingFrames) * frameBytes + CLargeFile::kReadSlackBytes);
    uint32_t at = 0;
    if (segment_.Seek(0, &at) != 0) return false;
  }
  while (*got < frames && done_ < segment_.length) {
    const uint32_t want = std::min({kStagingFrames, frames - *got, segment_.length - done_});
    uint32_t n = 0;
    if (segment_.Read(staging_.data(), want, &n) != 1) return false;
    if (n == 0) {
      ReportError(kSource, __LINE__, "The audio could not be read to its end.");
      return false;
    }
    n = std::min(n, want);
    std::memcpy(out + static_cast<size_t>(*got) * segment_.GetChannels(), staging_.data(),
                static_cast<size_t>(n) * frameBytes);
    *got += n;
    done_ += n;
  }
  return true;
}

std::string CSegmentSource::RawFile() const {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(segment_.GetPcmFileName(), error);
  if (error || bytes != static_cast<uintmax_t>(segment_.length) * segment_.GetChannels() * 2u) return {};
  return segment_.GetPcmFileName();
}

}  // namespace io
