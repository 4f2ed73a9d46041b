// Ombrel: the WAV codec.
//
// What it owns: nothing between calls. Each Decode, Encode or GetHeaderParameters
// opens the file, does its work and closes everything before it returns.
//
// Decode hands a WAV file's audio to the caller as PCM blocks. Plain PCM of 8 or
// 16 bits with one or two channels goes out as it is stored, in 32 KB blocks.
// Every other format (24/32-bit integers, floats, mu-law, A-law, MS and IMA ADPCM,
// GSM 6.10, extensible) is converted to 16-bit in blocks of about one second;
// more than two channels are folded to the first two.
// Only regular files are decoded: a FIFO, a device or a folder is refused at once.
// Encode pulls PCM from the caller and writes a canonical PCM WAV file. The file
// is written beside the destination (beside the file a symbolic link names)
// under a temporary name and renamed over it only once complete: a failed or
// cancelled encode leaves the old file as it was, and the new file keeps the
// old one's permission bits. Temporary files that killed encodes left in that
// folder more than a minute ago are removed.
//
// Threads: everything runs on the caller's thread, callbacks included; nothing
// here may be called from the audio thread (it reads and writes files).
// Faults are reported through ReportErrorDll; results cross the boundary as
// status codes: 1 done (also after a reported failure), 2 cancelled by the
// callback, 3 the worker object could not be created.
#pragma once

#include <cstdint>

#include "AudioQuality.h"

// A WAV header's summary, as GetHeaderParameters reports it.
struct OmbrelWaveHeaderInfo {
  int32_t samplesPerSecond;
  int16_t bitsPerSample;
  int16_t channels;
  int16_t formatTag;
  uint32_t dataOffset;  // bytes from the start of the file
  uint32_t dataSize;    // bytes, at most what the file holds
};

// Byte counts of the callbacks.
using OmbrelByteCount = uint32_t;

// One block of decoded PCM in the given format; percent 0..100 of the file.
// Storing nonzero in *cancel stops the decode (Decode then returns 2).
using OmbrelDecodeCallback = void (*)(unsigned char* data, OmbrelByteCount bytes, AudioQuality* format,
                                      short percent, int* cancel);

// Fills up to capacity bytes of PCM and stores the count in *bytesGot; a count
// of 0 ends the file, nonzero in *cancel abandons it (Encode then returns 2).
using OmbrelEncodeCallback = void (*)(unsigned char* buffer, OmbrelByteCount capacity, OmbrelByteCount* bytesGot,
                                      int* cancel);

constexpr unsigned int kOmbrelDone = 1;
constexpr unsigned int kOmbrelCancelled = 2;
constexpr unsigned int kOmbrelNoWorker = 3;

class COmbrel {
 public:
  COmbrel();
  ~COmbrel();
  COmbrel(const COmbrel&) = default;
  COmbrel& operator=(const COmbrel&);

  unsigned int Decode(const char* path, OmbrelDecodeCallback callback);
  unsigned int Encode(const char* path, AudioQuality format, OmbrelEncodeCallback callback);
  // Fills info from the file's header; returns 0, or 1 when the file has no
  // usable WAV header (info is then zeroed), 3 when no worker could be made.
  unsigned int GetHeaderParameters(const char* path, OmbrelWaveHeaderInfo* info);
};
