// Stretches a raw little-endian 16-bit file with one CTarvex, fed the way the
// program feeds a playing snippet: each call gets what the processor asks for.
//
//   tarvex_stretch [--channels 1|2] [--tempo T] [--semitones S] [--rate R]
//                  [--block FRAMES] [--quality 1..5] in.raw out.raw
//
// Prints the frame counts and the processing time (file reading and writing
// excluded) to stderr.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BestFitKernels.h"
#include "tarvex.h"

namespace {

struct Preset {
  uint32_t skip;
  float shave, limit;
};
// The program's quality levels 1 (best) to 5 (fastest).
constexpr Preset kPresets[] = {{1, 0.0f, 0.0f}, {1, 0.08f, 0.05f}, {1, 0.15f, 0.10f}, {2, 0.08f, 0.05f},
                               {2, 0.13f, 0.08f}};

[[noreturn]] void Usage() {
  std::fprintf(stderr,
               "usage: tarvex_stretch [--channels 1|2] [--tempo T] [--semitones S] [--rate R] [--block FRAMES] "
               "[--quality 1..5] in.raw out.raw\n");
  std::exit(2);
}

// The input, mapped whole: no copy, as a decoder's block would be.
struct Input {
  const int16_t* samples = nullptr;
  size_t count = 0;
};

bool Map(const char* path, Input& input) {
  const int fd = open(path, O_RDONLY);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || info.st_size < 2) {
    close(fd);
    return false;
  }
  void* p = mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  close(fd);
  if (p == MAP_FAILED) return false;
  input.samples = static_cast<const int16_t*>(p);
  input.count = static_cast<size_t>(info.st_size) / 2;
  return true;
}

bool WriteAll(int fd, const int16_t* samples, size_t count) {
  if (count == 0) return true;
  const char* p = reinterpret_cast<const char*>(samples);
  size_t left = count * 2;
  while (left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n <= 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int channels = 2;
  float tempo = 1.0f, semitones = 0.0f, rate = 1.0f;
  uint32_t block = 32768;
  int quality = 1;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) Usage();
      return argv[++i];
    };
    if (a == "--channels") channels = std::atoi(value());
    else if (a == "--tempo") tempo = std::strtof(value(), nullptr);
    else if (a == "--semitones") semitones = std::strtof(value(), nullptr);
    else if (a == "--rate") rate = std::strtof(value(), nullptr);
    else if (a == "--block") block = static_cast<uint32_t>(std::strtoul(value(), nullptr, 10));
    else if (a == "--quality") quality = std::atoi(value());
    else if (a.rfind("--", 0) == 0) Usage();
    else files.push_back(argv[i]);
  }
  if (files.size() != 2 || (channels != 1 && channels != 2) || quality < 1 || quality > 5 || block == 0) Usage();

  Input in;
  if (!Map(files[0], in)) {
    std::perror(files[0]);
    return 1;
  }
  const int out = open(files[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0) {
    std::perror(files[1]);
    return 1;
  }

  CTarvex t;
  t.SetChannels(static_cast<int16_t>(channels));
  t.SetSizeOutputBufferSample(block);
  t.SetTempo(tempo);
  t.SetRate(rate);
  t.SetPitchViaSemitones(semitones);
  const Preset& p = kPresets[quality - 1];
  t.bestFitSkip = p.skip;
  t.bestFitShave = p.shave;
  t.bestFitCorrLimit = p.limit;
  t.Init();

  const uint32_t total = static_cast<uint32_t>(in.count / channels);
  std::vector<int16_t> buffer(static_cast<size_t>(block) * channels);
  std::chrono::steady_clock::duration busy{};
  uint64_t made = 0;
  auto keep = [&](uint32_t frames) -> bool {
    made += frames;
    return WriteAll(out, buffer.data(), static_cast<size_t>(frames) * channels);
  };
  uint32_t fed = 0;
  for (;;) {
    const auto start = std::chrono::steady_clock::now();
    uint32_t n = t.GetMinSamplesNeededForOutput();
    if (n > total - fed) n = total - fed;
    uint32_t got = 0;
    t.ProcessAudio(in.samples + static_cast<size_t>(fed) * channels, n, buffer.data(), block, &got);
    busy += std::chrono::steady_clock::now() - start;
    fed += n;
    if (!keep(got)) {
      std::perror(files[1]);
      return 1;
    }
    if (fed == total && got == 0) break;
  }
  uint32_t got = 0;
  do {
    const auto start = std::chrono::steady_clock::now();
    t.FlushStorage(buffer.data(), block, &got);
    busy += std::chrono::steady_clock::now() - start;
    if (!keep(got)) {
      std::perror(files[1]);
      return 1;
    }
  } while (got == block);
  close(out);

  const double seconds = std::chrono::duration<double>(busy).count();
  const double expected = static_cast<double>(total) * tempo * rate;
  std::fprintf(stderr, "in %u frames, out %llu frames (expected %.0f), %.3f s processing, %.1fx real time, %s\n",
               total, static_cast<unsigned long long>(made), expected, seconds, total / 44100.0 / seconds,
               tarvex::SumAbsDiffVersion());
  return 0;
}
