#include "MP3Encoder.h"

#include <charconv>
#include <cstdio>

#include "EncodeTemporary.h"
#include "File.h"
#include "FileReplace.h"
#include "FileReport.h"
#include "LameProcess.h"
#include "ReportErrorDll.h"

namespace lunder {
namespace {

using ombrel::ReportAboutFile;

constexpr const char* kSource = "MP3Encoder";
constexpr int kLineTemporaryFile = 58;
constexpr int kLinePipe = 88;
constexpr int kLineReplace = 143;
constexpr int kLineStart = 180;
constexpr int kLinePriority = 185;

// kHz with six decimals ("44.100000"), whatever the process's locale.
std::string KilohertzText(uint32_t samplesPerSecond) {
  char text[32];
  const auto result =
      std::to_chars(text, text + sizeof text, samplesPerSecond / 1000.0, std::chars_format::fixed, 6);
  return std::string(text, result.ptr);
}

bool CanRead(const std::string& path) {
  platform::CFile file;
  return file.Open(path, platform::CFile::Mode::ReadRegular);
}

// What LAME writes first: an ID3v2 tag, or an MPEG audio frame header (sync,
// a layer, a bitrate and a sample rate that exist). An empty file or one that
// starts otherwise is not an MP3 file LAME finished.
bool StartsLikeMp3(const std::string& path) {
  platform::CFile file;
  uint8_t head[4] = {};
  if (!file.Open(path, platform::CFile::Mode::ReadRegular) || file.Read(head, sizeof head) != sizeof head) {
    return false;
  }
  if (head[0] == 'I' && head[1] == 'D' && head[2] == '3') return true;
  const bool sync = head[0] == 0xFF && (head[1] & 0xE0) == 0xE0;
  const bool version = ((head[1] >> 3) & 0x03) != 0x01;
  const bool layer = (head[1] & 0x06) != 0;
  const bool bitrate = (head[2] >> 4) != 0x0F;
  const bool rate = ((head[2] >> 2) & 0x03) != 0x03;
  return sync && version && layer && bitrate && rate;
}

void ReportAbout(int line, const std::string& text, const std::string& path) {
  ReportAboutFile(kSource, line, text, path);
}

constexpr const char* kLameInput = "-";

// The caller's PCM, pulled as LAME takes it.
class CPulledAudio final : public CLameAudio {
 public:
  explicit CPulledAudio(OmbrelEncodeCallback pull) : pull_(pull) {}

  Step Give(uint8_t* buffer, size_t capacity, size_t* got) override {
    OmbrelByteCount count = 0;
    int cancel = 0;
    pull_(buffer, static_cast<OmbrelByteCount>(capacity), &count, &cancel);
    *got = 0;
    if (cancel) return Step::Cancelled;
    if (count > capacity) {
      ReportErrorDll(kSource, __LINE__, "The audio to encode overran its buffer.");
      return Step::Failed;
    }
    *got = count;
    return count == 0 ? Step::Ended : Step::Go;
  }

 private:
  OmbrelEncodeCallback pull_;
};

}  // namespace

std::vector<std::string> LameEncodeArguments(short kbps, const AudioQuality& format, const std::string& rawPath,
                                             const std::string& mp3Path) {
  std::vector<std::string> args{"--brief", "--disptime", ".05", "-r", "-b", std::to_string(kbps)};
  if (format.bitsPerSample == 16) {
    args.insert(args.end(), {"--signed", "--little-endian"});
  } else {
    args.push_back("--unsigned");
  }
  args.insert(args.end(), {"-s", KilohertzText(format.samplesPerSecond), "--bitwidth",
                           std::to_string(format.bitsPerSample), "-m", format.channels == 1 ? "m" : "s",
                           rawPath == kLameInput ? rawPath : platform::AbsolutePath(rawPath),
                           platform::AbsolutePath(mp3Path)});
  return args;
}

CMP3Encoder::CMP3Encoder(const char* rawInputPath, OmbrelEncodeCallback pull, short kbps, AudioQuality format,
                         const char* destinationPath, LunderProgressCallback progress, LunderPriority priority)
    : rawPath_(pull ? kLameInput : rawInputPath ? rawInputPath : ""),
      pull_(pull),
      destinationPath_(destinationPath ? destinationPath : ""),
      hasPaths_(!rawPath_.empty() && destinationPath && *destinationPath),
      kbps_(kbps),
      format_(format),
      progress_(progress),
      priority_(priority) {}

CMP3Encoder::~CMP3Encoder() = default;

// What LAME cannot be asked for, reported.
bool CMP3Encoder::Refused() {
  if (!hasPaths_) {
    ReportErrorDll(kSource, __LINE__, "The MP3 export was given no source or no destination file.");
    return true;
  }
  if ((format_.channels != 1 && format_.channels != 2) ||
      (format_.bitsPerSample != 8 && format_.bitsPerSample != 16) || format_.samplesPerSecond == 0 || kbps_ <= 0) {
    char text[160];
    std::snprintf(text, sizeof text, "Cannot encode %u channel(s) of %u-bit audio at %u Hz and %d kbit/s to MP3.",
                  static_cast<unsigned>(format_.channels), static_cast<unsigned>(format_.bitsPerSample),
                  static_cast<unsigned>(format_.samplesPerSecond), static_cast<int>(kbps_));
    ReportAbout(__LINE__, text, destinationPath_);
    return true;
  }
  if (!pull_ && !CanRead(rawPath_)) {
    ReportAbout(__LINE__, "The audio to encode could not be read.", rawPath_);
    return true;
  }
  return false;
}

unsigned int CMP3Encoder::Encode() {
  if (Refused()) return kLunderDone;
  // Beside the file replaced (through a link: beside its target).
  const std::string target = platform::ReplacedFile(platform::AbsolutePath(destinationPath_));
  platform::CTemporaryFileGuard mp3(
      ombrel::MakeEncodeTemporary(platform::FolderOfPath(target), ombrel::kMp3TemporarySuffix));
  if (mp3.Path().empty()) {
    ReportAbout(kLineTemporaryFile, "Could not create a new file in the destination folder.", destinationPath_);
    return kLunderDone;
  }

  CLameProcess lame(kSource, kLinePipe, kLineStart);
  platform::ChildStreams streams;
  streams.input = pull_ != nullptr;
  if (!lame.Start(LameEncodeArguments(kbps_, format_, rawPath_, mp3.Path()), streams)) return kLunderDone;
  if (priority_ == LunderPriority::Lowest && !lame.LowerPriority()) ReportErrorDll(kSource, kLinePriority, "");
  // LAME reading a stream knows no total: its percents would all be 0.
  CLameProgress parser(CLameProgress::Kind::Encode);
  CPulledAudio pulled(pull_);
  switch (pull_ ? lame.Run(nullptr, progress_, &pulled) : lame.Run(&parser, progress_)) {
    case CLameProcess::End::Cancelled: return kLunderCancelled;
    case CLameProcess::End::Failed: return kLunderDone;
    case CLameProcess::End::Finished: break;
  }
  if (!StartsLikeMp3(mp3.Path())) {
    ReportAbout(__LINE__, "The MP3 encoder program \"lame\" wrote no usable MP3 file; the old file is kept.",
                destinationPath_);
    return kLunderDone;
  }
  if (!platform::ReplaceFileWith(mp3.Path(), target)) {
    ReportAbout(kLineReplace, "The new MP3 file could not replace the destination; the old file is kept.",
                destinationPath_);
    return kLunderDone;
  }
  mp3.Release();
  return kLunderDone;
}

}  // namespace lunder
