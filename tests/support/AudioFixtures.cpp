#include "AudioFixtures.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "ChildProcess.h"

namespace tessiro::test {

CByteWriter& CByteWriter::U8(uint8_t v) {
  bytes_.push_back(v);
  return *this;
}
CByteWriter& CByteWriter::U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
CByteWriter& CByteWriter::U24(uint32_t v) { return U8(v & 0xFF).U8((v >> 8) & 0xFF).U8((v >> 16) & 0xFF); }
CByteWriter& CByteWriter::U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
CByteWriter& CByteWriter::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return U32(bits);
}
CByteWriter& CByteWriter::F64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  return U32(static_cast<uint32_t>(bits)).U32(static_cast<uint32_t>(bits >> 32));
}
CByteWriter& CByteWriter::Tag(const char* fourCharacters) {
  for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(fourCharacters[i]));
  return *this;
}
CByteWriter& CByteWriter::Append(const std::vector<uint8_t>& more) {
  bytes_.insert(bytes_.end(), more.begin(), more.end());
  return *this;
}

std::vector<uint8_t> MakeRiffWave(const std::vector<RiffChunk>& chunks, int64_t riffSize) {
  CByteWriter body;
  body.Tag("WAVE");
  for (const RiffChunk& c : chunks) {
    body.Tag(c.id.c_str());
    body.U32(static_cast<uint32_t>(c.declaredSize >= 0 ? c.declaredSize : static_cast<int64_t>(c.body.size())));
    body.Append(c.body);
    if (c.body.size() % 2 != 0) body.U8(0);
  }
  CByteWriter file;
  file.Tag("RIFF").U32(static_cast<uint32_t>(riffSize >= 0 ? riffSize : static_cast<int64_t>(body.Bytes().size())));
  file.Append(body.Bytes());
  return file.Bytes();
}

std::vector<uint8_t> FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, int32_t blockAlign,
                                int64_t avgBytes) {
  const uint32_t align = blockAlign >= 0 ? static_cast<uint32_t>(blockAlign) : channels * ((bits + 7u) / 8u);
  const uint32_t avg = avgBytes >= 0 ? static_cast<uint32_t>(avgBytes) : align * rate;
  CByteWriter w;
  w.U16(tag).U16(channels).U32(rate).U32(avg).U16(static_cast<uint16_t>(align)).U16(bits);
  return w.Bytes();
}

std::vector<uint8_t> ExtensibleFormatBody(uint16_t subTag, uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint32_t align = channels * ((bits + 7u) / 8u);
  CByteWriter w;
  w.U16(0xFFFE).U16(channels).U32(rate).U32(align * rate).U16(static_cast<uint16_t>(align)).U16(bits);
  w.U16(22).U16(bits).U32(channels == 2 ? 3u : 0u);
  // The sub-format GUID: the tag, then the fixed tail every audio sub-format shares.
  w.U16(subTag).U16(0x0000).U16(0x0000).U16(0x0010).U8(0x80).U8(0x00).U8(0x00).U8(0xAA).U8(0x00).U8(0x38).U8(0x9B).U8(0x71);
  return w.Bytes();
}

std::vector<uint8_t> Pcm16Bytes(const std::vector<int16_t>& samples) {
  CByteWriter w;
  for (int16_t s : samples) w.U16(static_cast<uint16_t>(s));
  return w.Bytes();
}

std::vector<uint8_t> MakePcmWave(const AudioQuality& format, const std::vector<uint8_t>& data) {
  return MakeRiffWave({{"fmt ", FormatBody(1, format.channels, format.samplesPerSecond, format.bitsPerSample)},
                       {"data", data}});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<int16_t> Sine(size_t frames, int channels, double amplitude, double frequency, double rate) {
  std::vector<int16_t> samples(frames * static_cast<size_t>(channels));
  for (size_t f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      const double hz = frequency * (1.0 + c / 2.0);
      samples[f * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
          static_cast<int16_t>(std::lround(amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(f) / rate)));
    }
  }
  return samples;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const size_t n = std::min(a.size(), b.size());
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < n; ++i) {
    ab += a[i] * b[i];
    aa += a[i] * a[i];
    bb += b[i] * b[i];
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

std::vector<double> Channel(const std::vector<int16_t>& samples, int channels, int channel, size_t first,
                            size_t frames) {
  std::vector<double> out;
  const size_t total = samples.size() / static_cast<size_t>(channels);
  for (size_t f = first; f < total && out.size() < frames; ++f) {
    out.push_back(samples[f * static_cast<size_t>(channels) + static_cast<size_t>(channel)]);
  }
  return out;
}

std::vector<uint8_t> DecodeCapture::AllBytes() const {
  std::vector<uint8_t> all;
  for (const DecodedBlock& b : blocks) all.insert(all.end(), b.bytes.begin(), b.bytes.end());
  return all;
}

std::vector<int16_t> DecodeCapture::AllSamples16() const {
  const std::vector<uint8_t> bytes = AllBytes();
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return samples;
}

DecodeCapture& Capture() {
  static DecodeCapture capture;
  return capture;
}

void ResetCapture() { Capture() = DecodeCapture{}; }

void CaptureDecoded(unsigned char* data, uint32_t bytes, AudioQuality* format, short percent, int* cancel) {
  DecodeCapture& capture = Capture();
  DecodedBlock block;
  block.bytes.assign(data, data + bytes);
  block.format = *format;
  block.percent = percent;
  capture.blocks.push_back(std::move(block));
  *cancel = static_cast<int>(capture.blocks.size()) - 1 == capture.cancelAtBlock ? 1 : 0;
}

bool ProgramAvailable(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = folders.find(':', start);
    const std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

int RunProgram(const std::vector<std::string>& argv) {
  platform::CChildProcess child;
  if (child.Start(argv) != platform::CChildProcess::StartFailure::None) return -1;
  char discard[4096];
  while (child.ReadOutput(discard, sizeof discard) > 0) {
  }
  platform::ChildExit exit;
  if (!child.Wait(&exit)) return -1;
  return exit.exited ? exit.code : -1;
}

bool RunsWithoutBlockingOn(const std::string& fifo, const std::function<void()>& work, int seconds) {
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  std::thread worker([&] {
    work();
    done.set_value();
  });
  const bool inTime = finished.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready;
  // A writer that comes and goes lets each blocked open for reading return, and its read end.
  while (finished.wait_for(std::chrono::milliseconds(inTime ? 0 : 100)) != std::future_status::ready) {
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
  }
  worker.join();
  return inTime;
}

bool NoChildProcesses() {
  const pid_t r = ::waitpid(-1, nullptr, WNOHANG);
  return r == -1 && errno == ECHILD;
}

}  // namespace tessiro::test
