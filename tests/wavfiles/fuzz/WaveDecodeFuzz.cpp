// Any bytes as a whole WAV file through COmbrel::Decode: the header parser, the
// direct path, the converter over libsndfile and the codec's own file class.
// Besides the sanitizers' checks, what reaches the callback must be PCM the
// program can take, in whole frames, and no more than the input can hold.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "Clock.h"
#include "Ombrel.h"
#include "ReportSink.h"

namespace {

// Reports of damaged input are expected by the thousand; they go nowhere.
class CQuietSink final : public CReportSink {
 public:
  int Show(const ErrorReport&, const char*, BoxIcon) override { return kIdCancel; }
  void Post(const ErrorReport&) override {}
  ClipboardStep CopyToClipboard(const std::string&) override { return ClipboardStep::None; }
  void Notice(const char*, const char*) override {}
};

// The most PCM a byte of input becomes: GSM 6.10 turns 65 bytes into 320
// 16-bit samples; every other format expands less.
constexpr uint64_t kMaxExpansion = 10;
// Room for the converter's last block of codec padding.
constexpr uint64_t kSlackBytes = 1 << 20;

uint64_t g_inputBytes = 0;
uint64_t g_delivered = 0;

void Check(unsigned char* data, OmbrelByteCount bytes, AudioQuality* format, short percent, int* cancel) {
  *cancel = 0;
  if (!data || !format || bytes == 0) __builtin_trap();
  if (format->bitsPerSample != 8 && format->bitsPerSample != 16) __builtin_trap();
  if (format->channels != 1 && format->channels != 2) __builtin_trap();
  if (format->samplesPerSecond == 0) __builtin_trap();
  if (bytes % (format->channels * format->bitsPerSample / 8u) != 0) __builtin_trap();
  if (percent < 0 || percent > 100) __builtin_trap();
  // Touch every byte, so a block pointing past its buffer is caught.
  volatile unsigned char sum = 0;
  for (OmbrelByteCount i = 0; i < bytes; ++i) sum = static_cast<unsigned char>(sum + data[i]);
  g_delivered += bytes;
  if (g_delivered > g_inputBytes * kMaxExpansion + kSlackBytes) __builtin_trap();
}

// One in-memory file, reached by path like any file the user picks.
struct MemoryFile {
  int fd = ::memfd_create("wave-decode-fuzz", MFD_CLOEXEC);
  std::string path = "/proc/self/fd/" + std::to_string(fd);
};

}  // namespace

// The codec's file waits 2 ms on each side of taking its identifier, which
// would hold the fuzzer to a hundred files a second; identifiers do not
// matter here. This definition takes the place of the platform's.
void platform::SleepMs(uint32_t) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CQuietSink sink;
  static MemoryFile file;
  static const bool installed = (SetReportSink(&sink), true);
  (void)installed;
  if (file.fd < 0) __builtin_trap();
  if (::ftruncate(file.fd, 0) != 0 || ::pwrite(file.fd, data, size, 0) != static_cast<ssize_t>(size)) {
    __builtin_trap();
  }
  g_inputBytes = size;
  g_delivered = 0;
  if (COmbrel().Decode(file.path.c_str(), Check) != kOmbrelDone) __builtin_trap();
  OmbrelWaveHeaderInfo info;
  const unsigned int header = COmbrel().GetHeaderParameters(file.path.c_str(), &info);
  if (header == 0 && (info.dataOffset > size || info.dataSize > size - info.dataOffset)) __builtin_trap();
  return 0;
}
