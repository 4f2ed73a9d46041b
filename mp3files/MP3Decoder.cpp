#include "MP3Decoder.h"

#include <string>

#include "File.h"
#include "FileReplace.h"
#include "FileReport.h"
#include "LameProcess.h"
#include "ReportErrorDll.h"
#include "WaveStream.h"

namespace lunder {
namespace {

constexpr const char* kSource = "MP3Decoder";
constexpr int kLinePipe = 84;
constexpr int kLineStart = 165;
// LAME writes the WAV to its standard output.
constexpr const char* kLameOutput = "-";

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
  CLameProcess lame(kSource, kLinePipe, kLineStart);
  platform::ChildStreams streams;
  streams.data = true;
  // An absolute path: LAME has no "--", so a name starting with '-' would read as an option.
  if (!lame.Start({"--decode", platform::AbsolutePath(mp3Path_), kLameOutput}, streams)) return kLunderDone;
  CLameProgress parser(CLameProgress::Kind::Decode);
  CWaveStream wave(mp3Path_, data_, kSource);
  return lame.Run(&parser, progress_, &wave) == CLameProcess::End::Cancelled ? kLunderCancelled : kLunderDone;
}

}  // namespace lunder
