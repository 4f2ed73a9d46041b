// Audio fixtures made in code for the codec tests: hand-built RIFF files, test
// signals, a capture for decode callbacks, and the external tools (sox, lame)
// that serve as independent readers and writers where installed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "AudioQuality.h"

namespace tessiro::test {

// Little-endian bytes, field by field.
class CByteWriter {
 public:
  CByteWriter& U8(uint8_t v);
  CByteWriter& U16(uint16_t v);
  CByteWriter& U24(uint32_t v);
  CByteWriter& U32(uint32_t v);
  CByteWriter& F32(float v);
  CByteWriter& F64(double v);
  CByteWriter& Tag(const char* fourCharacters);
  CByteWriter& Append(const std::vector<uint8_t>& more);
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

struct RiffChunk {
  std::string id;               // four characters
  std::vector<uint8_t> body;
  int64_t declaredSize = -1;    // the size field when it should lie; -1: the body's size
};

// "RIFF" <size> "WAVE" and the chunks (bodies padded to even length).
// riffSize -1 writes the true size.
std::vector<uint8_t> MakeRiffWave(const std::vector<RiffChunk>& chunks, int64_t riffSize = -1);

// A 16-byte "fmt " body; blockAlign and avgBytes -1 are computed from channels and bits.
std::vector<uint8_t> FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                                int32_t blockAlign = -1, int64_t avgBytes = -1);
// A 40-byte extensible "fmt " body whose sub-format is subTag (1 PCM, 3 float).
std::vector<uint8_t> ExtensibleFormatBody(uint16_t subTag, uint16_t channels, uint32_t rate, uint16_t bits);

// The bytes of 16-bit samples, little-endian.
std::vector<uint8_t> Pcm16Bytes(const std::vector<int16_t>& samples);
// A canonical PCM WAV file of the given bytes.
std::vector<uint8_t> MakePcmWave(const AudioQuality& format, const std::vector<uint8_t>& data);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Interleaved sine, amplitude in 16-bit units; channel c runs at frequency * (1 + c / 2).
std::vector<int16_t> Sine(size_t frames, int channels, double amplitude, double frequency, double rate);
// Normalised correlation of two equally long signals.
double Correlation(const std::vector<double>& a, const std::vector<double>& b);
// One channel of interleaved samples as doubles, from frame first on.
std::vector<double> Channel(const std::vector<int16_t>& samples, int channels, int channel, size_t first = 0,
                            size_t frames = SIZE_MAX);

// Collects what a decode callback receives. The callback is a plain function,
// as the codecs take it, reaching this one capture.
struct DecodedBlock {
  std::vector<uint8_t> bytes;
  AudioQuality format;
  short percent = 0;
};
struct DecodeCapture {
  std::vector<DecodedBlock> blocks;
  int cancelAtBlock = -1;  // sets cancel in the callback of this block (0-based)
  std::vector<uint8_t> AllBytes() const;
  std::vector<int16_t> AllSamples16() const;
};
DecodeCapture& Capture();  // cleared by ResetCapture
void ResetCapture();
void CaptureDecoded(unsigned char* data, uint32_t bytes, AudioQuality* format, short percent, int* cancel);

// Whether a program is on the PATH, and running one to its end with its output
// discarded; returns its exit status, -1 when it could not run.
bool ProgramAvailable(const std::string& name);
int RunProgram(const std::vector<std::string>& argv);

// True when this process has no child process left, running or unreaped.
bool NoChildProcesses();

// Runs work on a thread of its own. When it is still running after seconds,
// blocked on the FIFO at fifo, it is released by opening the FIFO's other end
// (again and again until it ends), and the answer is false.
bool RunsWithoutBlockingOn(const std::string& fifo, const std::function<void()>& work, int seconds = 10);

}  // namespace tessiro::test
