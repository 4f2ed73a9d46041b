#include "MP3Decoder.h"

#include "FileReplace.h"
#include "Folders.h"
#include "LameProcess.h"
#include "ReportErrorDll.h"

namespace lunder {
namespace {

constexpr const char* kSource = "MP3Decoder";
constexpr int kLineTemporaryFile = 60;
constexpr int kLinePipe = 84;
constexpr int kLineStart = 165;

}  // namespace

CMP3Decoder::CMP3Decoder(const char* mp3Path, LunderProgressCallback progress, OmbrelDecodeCallback data)
    : mp3Path_(mp3Path ? mp3Path : ""), hasPath_(mp3Path && *mp3Path), progress_(progress), data_(data) {}

CMP3Decoder::~CMP3Decoder() = default;

unsigned int CMP3Decoder::Decode() {
  if (!hasPath_ || !data_) {
    ReportErrorDll(kSource, __LINE__, hasPath_ ? "" : "No MP3 file was given.");
    return kLunderDone;
  }
  platform::CTemporaryFileGuard wave(platform::MakeUniqueFile(platform::TemporaryFolder(), "QRVD-MP3", ".wav"));
  if (wave.Path().empty()) {
    ReportErrorDll(kSource, kLineTemporaryFile, "Could not create a temporary file for the decoded MP3 audio.");
    return kLunderDone;
  }

  CLameProcess lame(kSource, kLinePipe, kLineStart);
  // Absolute paths: LAME has no "--", so a name starting with '-' would read as an option.
  if (!lame.Start({"--decode", platform::AbsolutePath(mp3Path_), platform::AbsolutePath(wave.Path())})) {
    return kLunderDone;
  }
  CLameProgress parser(CLameProgress::Kind::Decode);
  switch (lame.Run(parser, progress_)) {
    case CLameProcess::End::Cancelled: return kLunderCancelled;
    case CLameProcess::End::Failed: return kLunderDone;
    case CLameProcess::End::Finished: break;
  }
  COmbrel wav;
  return wav.Decode(wave.Path().c_str(), data_) == kOmbrelCancelled ? kLunderCancelled : kLunderDone;
}

}  // namespace lunder
