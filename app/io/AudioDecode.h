// One decode of a WAV or MP3 file into a new segment of the temporary folder.
//
// The codec calls back block by block (ImportDataCallback); each block is
// checked, converted to 44100 Hz 16-bit with the file's channels through the
// application's import converter, in pieces whose result fits the work
// buffer, and appended to the segment. The converter starts afresh for every
// decode, so no frame of one import reaches the next. A converted file keeps
// its length to the frame (its frames x 44100 / its rate, rounded, as sox
// makes it): the converter keeps the last frame back, so the file's last
// frame, repeated, carries it far enough, and the converted frames are held
// back a little so that what runs past the length can still be cut. Each block lets the progress window handle one
// pending event; its Cancel ends the decode.
//
// Threads: the user-interface thread; the codecs call back on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AudioQuality.h"
#include "IoCommon.h"

class CAudioSegment;
class CProApp;

namespace io {

class CAudioDecode {
 public:
  enum class Outcome {
    Done,       // the segment is finished
    Cancelled,  // Cancel pressed
    Refused,    // Refusal() says why
    Failed,     // a fault was reported
  };

  explicit CAudioDecode(CProApp& app);
  ~CAudioDecode();
  CAudioDecode(const CAudioDecode&) = delete;
  CAudioDecode& operator=(const CAudioDecode&) = delete;

  // Whether a decode is under way (an event it pumped may start another import).
  static bool Running();
  // Anything but Done leaves no segment and no file behind.
  Outcome Run(const std::string& path, AudioFileType type);
  std::shared_ptr<CAudioSegment> TakeSegment() { return std::move(segment_); }
  const char* Refusal() const { return refusal_; }

  // The callbacks handed to the codecs; they reach the decode under way.
  static void ImportDataCallback(unsigned char* samples, uint32_t bytes, AudioQuality* format, short percent,
                                 int* cancel);
  static void ImportProgressCallback(short percent, int* cancel);

 private:
  void OnData(unsigned char* samples, uint32_t bytes, const AudioQuality* format, short percent, int* cancel);
  // The first block fixes the formats and prepares the converter.
  bool Prepare(const AudioQuality& format);
  bool Convert(const unsigned char* samples, uint32_t bytes);
  // Converts and passes on, holding the last converted frames back.
  bool ConvertPiece(const unsigned char* piece, uint32_t frames);
  bool Hold(const int16_t* frames, uint32_t count);
  uint64_t Converted() const;
  bool Drain();
  bool TopUp(uint64_t missing);
  bool Flush();
  bool PadToOneSecond();
  bool Append(const int16_t* frames, uint32_t count);
  bool Refuse(const char* text);
  Outcome Decode(const std::string& path, AudioFileType type, CReportWatch& watch);
  void Finish(const std::string& path);

  CProApp& app_;
  std::shared_ptr<CAudioSegment> segment_;
  const char* refusal_ = nullptr;
  bool cancelled_ = false;
  bool writeFailed_ = false;
  bool prepared_ = false;
  bool resampling_ = false;
  AudioQuality source_{};
  AudioQuality target_{};
  uint32_t pieceFrames_ = 0;     // source frames converted per step
  uint32_t capacityFrames_ = 0;  // target frames the work buffer holds
  uint64_t sourceFrames_ = 0;    // frames the file has given
  std::vector<uint8_t> lastFrame_;  // the file's last frame, as it gave it
  std::vector<int16_t> held_;       // converted frames not yet appended
};

// Whether a WAV file ends before its data chunk does, as a file cut short
// while it was copied or written does (a file that leaves the size open does not count).
bool IsWaveCutShort(const std::string& path);

}  // namespace io
