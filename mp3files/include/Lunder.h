// Lunder: the MP3 codec, driving the LAME encoder program ("lame" on the PATH).
//
// What it owns: nothing between calls. Each call runs one LAME process to its
// end, or ends it on a cancel, and reaps it before returning; no process and no
// temporary file outlives the call.
//
// Decode has LAME write the MP3 as a WAV stream to its output, read through a
// pipe while LAME decodes, so the caller receives PCM blocks as from a WAV
// import, as soon as LAME makes them. Should LAME fail part way, or its WAV
// stream end short of the length its header gives, that is reported after the
// blocks delivered so far: the caller must drop what it received then.
// Encode has LAME turn a raw PCM file (8-bit unsigned or 16-bit signed
// little-endian) into an MP3 file; EncodeStream hands LAME the PCM a callback
// makes, through LAME's input, while LAME encodes. Either writes the MP3 file
// beside the destination (beside the file a symbolic link names) and renames
// it over the destination only when LAME has finished successfully: it exited
// 0, printed no fatal error (it exits 0 when the disk fills while it writes its
// tag), read all the audio and wrote a file that starts as an MP3 file does. A
// failure or a cancel keeps the old file; the new one keeps the old one's
// permission bits.
// Only regular files are taken as input: a FIFO or a device is refused.
//
// While LAME runs, the progress callback hears a percent at least every
// 250 ms (the last one again while LAME is quiet), so a cancel always reaches
// a LAME that hangs. LAME cannot know the length of a stream it encodes: there
// the callback hears kLunderNoPercent, and the percent is the caller's own.
//
// Threads: the caller's thread blocks reading LAME's output; both callbacks run
// on it. Never call from the audio thread. Faults are reported through
// ReportErrorDll; results: 1 done (also after a reported failure), 2 cancelled,
// 3 the worker object could not be created.
#pragma once

#include "AudioQuality.h"
#include "Ombrel.h"

// LAME's progress, 0..100, or kLunderNoPercent. Storing nonzero in *cancel ends LAME.
using LunderProgressCallback = void (*)(short percent, int* cancel);
constexpr short kLunderNoPercent = -1;

// How LAME is scheduled while it encodes: at the lowest priority, so that it
// leaves the processor to what must not stop (audio playing), or as any program.
enum class LunderPriority { Lowest, Normal };

constexpr unsigned int kLunderDone = 1;
constexpr unsigned int kLunderCancelled = 2;
constexpr unsigned int kLunderNoWorker = 3;

class CLunder {
 public:
  CLunder();
  CLunder(const CLunder&) = default;
  CLunder& operator=(const CLunder&);

  // progress may be null; data receives the decoded PCM.
  unsigned int Decode(const char* mp3Path, LunderProgressCallback progress, OmbrelDecodeCallback data);
  // rawInputPath holds headerless PCM in format (1 or 2 channels, 8 or 16 bits).
  unsigned int Encode(const char* rawInputPath, short kbps, AudioQuality format, const char* destinationPath,
                      LunderProgressCallback progress, LunderPriority priority = LunderPriority::Lowest);
  // The PCM comes from pull, as COmbrel::Encode takes it: a count of 0 ends it,
  // a cancel abandons the file (the result is then 2).
  unsigned int EncodeStream(OmbrelEncodeCallback pull, short kbps, AudioQuality format, const char* destinationPath,
                            LunderProgressCallback progress, LunderPriority priority = LunderPriority::Lowest);
};
