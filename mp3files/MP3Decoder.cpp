#include "MP3Decoder.h"

#include <cerrno>
#include <string>

#include "File.h"
#include "FileReplace.h"
#include "FileReport.h"
#include "Folders.h"
#include "Generic.h"
#include "LameProcess.h"
#include "LargeFile.h"
#include "ReportErrorDll.h"

namespace lunder {
namespace {

constexpr const char* kSource = "MP3Decoder";
constexpr int kLineTemporaryFile = 60;
constexpr int kLinePipe = 84;
constexpr int kLineStart = 165;

// LAME exits 0 when the temporary folder fills up under its WAV file, which
// then holds only part of the audio its header announces. A user's own cut WAV
// file is read as far as it goes; this one would pass for the whole MP3.
bool WaveIsCutShort(const std::string& mp3Path, const std::string& path) {
  ombrel::CLargeFile file;
  if (file.Open(path.c_str(), ombrel::CLargeFile::kModeRead) != ombrel::CLargeFile::kOk) return false;
  ombrel::CLargeFileSource source(file);
  ombrel::WaveHeader header;
  const bool parsed = ombrel::ParseWaveHeader(source, &header) == ombrel::WaveHeaderError::None;
  file.Close();
  // A file that is no WAV at all is the WAV decoder's to report.
  if (!parsed || !header.dataTruncated) return false;
  const std::string text = "The decoded audio of " + mp3Path + " was cut short (is the temporary folder full?): " +
                           "the temporary WAV file is " + std::to_string(file.Size()) + " bytes and holds " +
                           std::to_string(header.dataSize) + " of the " + std::to_string(header.declaredDataSize) +
                           " bytes of audio it announces. Nothing was imported.";
  errno = 0;  // the report's system error would be unrelated
  ombrel::ReportAboutFile(kSource, __LINE__, text, path);
  return true;
}

}  // namespace

CMP3Decoder::CMP3Decoder(const char* mp3Path, LunderProgressCallback progress, OmbrelDecodeCallback data)
    : mp3Path_(mp3Path ? mp3Path : ""), hasPath_(mp3Path && *mp3Path), progress_(progress), data_(data) {}

CMP3Decoder::~CMP3Decoder() = default;

unsigned int CMP3Decoder::Decode() {
  if (!hasPath_ || !data_) {
    ReportErrorDll(kSource, __LINE__, hasPath_ ? "" : "No MP3 file was given.");
    return kLunderDone;
  }
  // LAME would wait for ever on a FIFO, or read a device without end.
  if (!platform::CFile().Open(mp3Path_, platform::CFile::Mode::ReadRegular)) {
    ombrel::ReportAboutFile(kSource, __LINE__, "Failed to open file", mp3Path_);
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
  if (WaveIsCutShort(mp3Path_, wave.Path())) return kLunderDone;
  COmbrel wav;
  return wav.Decode(wave.Path().c_str(), data_) == kOmbrelCancelled ? kLunderCancelled : kLunderDone;
}

}  // namespace lunder
