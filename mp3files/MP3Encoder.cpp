#include "MP3Encoder.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>

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
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

void ReportAbout(int line, const std::string& text, const std::string& path) {
  ReportAboutFile(kSource, line, text, path);
}

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
                           platform::AbsolutePath(rawPath), platform::AbsolutePath(mp3Path)});
  return args;
}

CMP3Encoder::CMP3Encoder(const char* rawInputPath, short kbps, AudioQuality format, const char* destinationPath,
                         LunderProgressCallback progress)
    : rawPath_(rawInputPath ? rawInputPath : ""),
      destinationPath_(destinationPath ? destinationPath : ""),
      hasPaths_(rawInputPath && *rawInputPath && destinationPath && *destinationPath),
      kbps_(kbps),
      format_(format),
      progress_(progress) {}

CMP3Encoder::~CMP3Encoder() = default;

unsigned int CMP3Encoder::Encode() {
  if (!hasPaths_) {
    ReportErrorDll(kSource, __LINE__, "The MP3 export was given no source or no destination file.");
    return kLunderDone;
  }
  if ((format_.channels != 1 && format_.channels != 2) ||
      (format_.bitsPerSample != 8 && format_.bitsPerSample != 16) || format_.samplesPerSecond == 0 || kbps_ <= 0) {
    char text[160];
    std::snprintf(text, sizeof text, "Cannot encode %u channel(s) of %u-bit audio at %u Hz and %d kbit/s to MP3.",
                  static_cast<unsigned>(format_.channels), static_cast<unsigned>(format_.bitsPerSample),
                  static_cast<unsigned>(format_.samplesPerSecond), static_cast<int>(kbps_));
    ReportAbout(__LINE__, text, destinationPath_);
    return kLunderDone;
  }
  if (!CanRead(rawPath_)) {
    ReportAbout(__LINE__, "The audio to encode could not be read.", rawPath_);
    return kLunderDone;
  }
  platform::CTemporaryFileGuard mp3(
      platform::MakeUniqueFile(platform::FolderOfPath(platform::AbsolutePath(destinationPath_)), "Hello", ".mp3"));
  if (mp3.Path().empty()) {
    ReportAbout(kLineTemporaryFile, "Could not create a new file in the destination folder.", destinationPath_);
    return kLunderDone;
  }

  CLameProcess lame(kSource, kLinePipe, kLineStart);
  if (!lame.Start(LameEncodeArguments(kbps_, format_, rawPath_, mp3.Path()))) return kLunderDone;
  if (!lame.LowerPriority()) ReportErrorDll(kSource, kLinePriority, "");
  CLameProgress parser(CLameProgress::Kind::Encode);
  switch (lame.Run(parser, progress_)) {
    case CLameProcess::End::Cancelled: return kLunderCancelled;
    case CLameProcess::End::Failed: return kLunderDone;
    case CLameProcess::End::Finished: break;
  }
  if (!platform::ReplaceFileWith(mp3.Path(), destinationPath_)) {
    ReportAbout(kLineReplace, "The new MP3 file could not replace the destination; the old file is kept.",
                destinationPath_);
    return kLunderDone;
  }
  mp3.Release();
  return kLunderDone;
}

}  // namespace lunder
