#include "WaveStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "FileReport.h"

namespace lunder {
namespace {

// LAME's header is 44 bytes; a stream whose header has not ended by here is no WAV.
constexpr size_t kMaxHeaderBytes = 64 * 1024;
// Sizes a writer gives when it cannot know the length.
constexpr uint32_t kOpenSizes[] = {0, 0x7FFFFFFF, 0xFFFFFFFF};

}  // namespace

CWaveStream::CWaveStream(std::string mp3Path, OmbrelDecodeCallback data, const char* reportSource)
    : mp3Path_(std::move(mp3Path)), data_(data), source_(reportSource) {}

CLameAudio::Step CWaveStream::Fail(int line, const std::string& text) {
  errno = 0;  // the report's system error would be unrelated
  ombrel::ReportAboutFile(source_, line, text, mp3Path_);
  return Step::Failed;
}

CLameAudio::Step CWaveStream::Take(const uint8_t* bytes, size_t count, short percent) {
  if (haveHeader_) return Deliver(bytes, count, percent);
  const size_t take = std::min(count, kMaxHeaderBytes - head_.size());
  head_.insert(head_.end(), bytes, bytes + take);
  const Step step = ReadHeader(percent);
  if (step != Step::Go || !haveHeader_ || take == count) return step;
  return Deliver(bytes + take, count - take, percent);
}

// Once the header is whole, the data bytes read with it go on.
CLameAudio::Step CWaveStream::ReadHeader(short percent) {
  ombrel::CMemorySource source(head_.data(), head_.size());
  const ombrel::WaveHeaderError error = ombrel::ParseWaveHeader(source, &header_);
  if (error != ombrel::WaveHeaderError::None) {
    if (head_.size() < kMaxHeaderBytes) return Step::Go;  // more may make it whole
    return Fail(__LINE__, std::string("The MP3 decoder's output is not a WAV file: ") +
                              ombrel::DescribeWaveHeaderError(error));
  }
  if (!ombrel::IsDirectPcm(header_)) {
    return Fail(__LINE__, "The MP3 decoder wrote audio of a kind that cannot be read (only 8 or 16 bits in one or "
                          "two channels).");
  }
  haveHeader_ = true;
  format_ = AudioQuality{header_.samplesPerSecond, header_.channels, header_.bitsPerSample};
  sizeOpen_ = std::find(std::begin(kOpenSizes), std::end(kOpenSizes), header_.declaredDataSize) !=
              std::end(kOpenSizes);
  remaining_ = header_.declaredDataSize;
  std::vector<uint8_t> head = std::move(head_);
  head_.clear();
  const size_t at = static_cast<size_t>(std::min<uint64_t>(header_.dataOffset, head.size()));
  return Deliver(head.data() + at, head.size() - at, percent);
}

CLameAudio::Step CWaveStream::Deliver(const uint8_t* bytes, size_t count, short percent) {
  if (!sizeOpen_) {
    count = static_cast<size_t>(std::min<uint64_t>(count, remaining_));
    remaining_ -= count;
  }
  if (count == 0) return Step::Go;
  piece_.insert(piece_.end(), bytes, bytes + count);
  delivered_ += count;
  const size_t whole = piece_.size() - piece_.size() % header_.blockAlign;
  if (whole == 0) return Step::Go;
  int cancel = 0;
  data_(piece_.data(), static_cast<OmbrelByteCount>(whole), &format_, percent, &cancel);
  piece_.erase(piece_.begin(), piece_.begin() + static_cast<std::ptrdiff_t>(whole));
  return cancel ? Step::Cancelled : Step::Go;
}

CLameAudio::Step CWaveStream::Finish() {
  if (!haveHeader_) {
    const std::string said = head_.empty() ? "it wrote nothing" : "it is not a WAV file";
    return Fail(__LINE__, "The MP3 decoder's output is not a WAV file: " + said + ". Nothing was imported.");
  }
  if (!sizeOpen_ && remaining_ > 0) {
    return Fail(__LINE__, "The decoded audio was cut short: the MP3 decoder wrote " + std::to_string(delivered_) +
                              " of the " + std::to_string(header_.declaredDataSize) + " bytes of audio it announced.");
  }
  return Step::Go;
}

}  // namespace lunder
