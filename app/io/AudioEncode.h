// Writes what a source gives into a WAV or MP3 file through the codecs,
// behind the progress window with Cancel.
//
// WAV: the codec pulls blocks (ExportDataCallback), each converted from the
// source's 44100 Hz 16-bit to the chosen channels, rate and bits; a rate
// converter of its own is drained at the end. MP3: LAME reads a segment's own
// file when it holds exactly the audio; anything else (a mix) streams through
// LAME's input while it is made, so rendering and encoding overlap. The codecs write beside the destination
// and rename only a complete file over it, so a cancelled or failed write
// leaves an existing file as it was.
//
// Threads: the user-interface thread; the codecs call back on it.
#pragma once

#include <cstdint>
#include <string>

#include "AudioQuality.h"
#include "tarvex.h"

class CProApp;

namespace io {

class CExportSource;

class CAudioEncode {
 public:
  CAudioEncode(CProApp& app, CExportSource& source, const char* caption);
  ~CAudioEncode();
  CAudioEncode(const CAudioEncode&) = delete;
  CAudioEncode& operator=(const CAudioEncode&) = delete;

  // 1 written; 2 cancelled; 3 fault reported.
  int WriteWave(const std::string& path, const AudioQuality& quality);
  int WriteMp3(const std::string& path, short kbps);

  static void ExportDataCallback(unsigned char* buffer, uint32_t capacity, uint32_t* bytesGot, int* cancel);
  static void ExportProgressCallback(short percent, int* cancel);

 private:
  void OnData(unsigned char* buffer, uint32_t capacity, uint32_t* bytesGot, int* cancel);
  // Converted frames into buffer (capacityFrames of the chosen format); false after a fault.
  bool Fill(unsigned char* buffer, uint32_t capacityFrames, uint32_t* made);
  bool ReadSource(uint32_t frames, uint32_t* got);
  int Begin();
  int Finish(unsigned int codecResult, int reports);

  CProApp& app_;
  CExportSource& source_;
  const char* caption_;
  AudioQuality from_{};
  AudioQuality to_{};
  bool resampling_ = false;
  bool sourceEnded_ = false;
  bool flushed_ = false;
  bool converterFull_ = false;  // the last conversion filled the buffer: the converter may hold more
  bool cancelled_ = false;
  bool failed_ = false;
  CTarvex converter_;
};

}  // namespace io
