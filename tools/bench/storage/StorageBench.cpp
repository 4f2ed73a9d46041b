// Ten minutes of stereo audio through the storage layer: written in recorder
// blocks with its peak file, then read back in the mixer's block sizes. The
// anchor is cp copying the same bytes, timed in the same iterations.
//
// Two settings (argument "disk"): 0 keeps everything in the page cache and
// shows the layer's own cost; 1 makes the disk the limit for both sides: the
// written files are flushed to the disk and dropped from the cache, so the
// read-back comes from the disk, and cp copies a source dropped from the
// cache and flushes its copy. On a folder in memory (tmpfs, ramfs) there is
// no disk below: mode 1 then measures the flush calls over memory, and the
// run says so in its label. Files go to $TESSIRO_BENCH_FOLDER, else the
// temporary folder. Every block read back is compared whole with what was
// written, and every peak file and peak block with the peak rule worked out
// frame by frame (the tests' slow reference).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "AudioSegment.h"
#include "Folders.h"
#include "PeakReference.h"
#include "ReportSink.h"

extern char** environ;

namespace {

constexpr uint32_t kFrames = 10 * 60 * 44100;  // 26,460,000 stereo frames, 105.84 MB
constexpr uint32_t kWriteBlock = 32768;         // a recorder buffer
constexpr uint16_t kChannels = 2;

std::string BenchFolder() {
  const char* chosen = std::getenv("TESSIRO_BENCH_FOLDER");
  std::string base = chosen && *chosen ? chosen : platform::TemporaryFolder();
  std::string folder = base + "/tessiro-storage-bench-" + std::to_string(::getpid());
  platform::CreateFolder(folder);
  return folder;
}

// A fixed-seed noise block; sample (frame, channel) of the whole take is block[(frame % kWriteBlock) * 2 + channel].
const std::vector<int16_t>& NoiseBlock() {
  static const std::vector<int16_t> block = [] {
    std::mt19937 random(10);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<int16_t> samples(static_cast<size_t>(kWriteBlock) * kChannels);
    for (int16_t& s : samples) s = static_cast<int16_t>(sample(random));
    return samples;
  }();
  return block;
}

// The peak file of the whole take, worked out frame by frame: what a write
// session of it must leave, however its blocks were cut.
const std::vector<uint8_t>& TakePeaks() {
  static const std::vector<uint8_t> peaks = [] {
    const std::vector<int16_t>& block = NoiseBlock();
    std::vector<int16_t> take(static_cast<size_t>(kFrames) * kChannels);
    for (size_t at = 0; at < take.size(); at += block.size()) {
      std::copy_n(block.begin(), std::min(block.size(), take.size() - at), take.begin() + static_cast<ptrdiff_t>(at));
    }
    return ReferencePeaks(take, kFrames, kChannels);
  }();
  return peaks;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    uint8_t chunk[65536];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
  }
  return bytes;
}

// Whether a folder lives in memory, where "the disk" is the page cache itself.
bool InMemory(const std::string& folder) {
  constexpr long kTmpfsMagic = 0x01021994, kRamfsMagic = 0x858458f6;
  struct statfs info;
  return ::statfs(folder.c_str(), &info) == 0 && (info.f_type == kTmpfsMagic || info.f_type == kRamfsMagic);
}

int64_t FileSize(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

// Puts a file's data on the disk and drops its pages from the cache, so the next read comes from the disk.
bool FlushAndDrop(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool done = ::fdatasync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
  ::close(fd);
  return done;
}

bool Fail(benchmark::State& state, const char* why) {
  state.SkipWithError(why);
  return false;
}

// Writes the take through a segment, with or without peaks; false (and the
// benchmark marked failed) when the files are not what they must be.
bool WriteTake(benchmark::State& state, CAudioSegment& segment, bool peaks = true) {
  const std::vector<int16_t>& block = NoiseBlock();
  segment.peaks = peaks ? 1 : 0;
  segment.SetFormat(AudioQuality{44100, kChannels, 16});
  if (segment.Open(1) != 1) return Fail(state, "open for writing failed");
  for (uint32_t done = 0; done < kFrames;) {
    const uint32_t n = std::min(kWriteBlock, kFrames - done);
    uint32_t written = 0;
    if (segment.Write(block.data(), n, &written) != 0 || written != n) return Fail(state, "write failed");
    done += n;
  }
  if (segment.Close() != 1) return Fail(state, "close failed");
  segment.length = kFrames;
  if (FileSize(segment.GetPcmFileName()) != int64_t{kFrames} * 4) return Fail(state, "wrong raw audio size");
  return true;
}

// The written peak file against the reference, outside any timing.
bool PeaksAreRight(benchmark::State& state, CAudioSegment& segment) {
  return FileBytes(segment.GetPeakFileName()) == TakePeaks() || Fail(state, "the peak file is not the take's peaks");
}

// Reads the take back as playback does, in blocks of the given frames into a
// page-sized work buffer; checks every block against the written noise.
bool ReadTake(benchmark::State& state, CAudioSegment& segment, uint32_t blockFrames, std::vector<double>* blockMs) {
  const std::vector<int16_t>& noise = NoiseBlock();
  std::vector<int16_t> work(static_cast<size_t>(blockFrames) * kChannels + CLargeFile::kReadSlackBytes / 2);
  for (uint32_t at = 0; at < kFrames; at += blockFrames) {
    const auto begin = std::chrono::steady_clock::now();
    uint32_t transferred = 0, frames = 0;
    if (segment.BeginRead(at, blockFrames, &transferred, work.data()) != 1 ||
        segment.CompleteRead(&frames, work.data()) != 1) {
      return Fail(state, "read failed");
    }
    blockMs->push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    if (frames != std::min(blockFrames, kFrames - at)) return Fail(state, "short read");
    // The whole block, against the noise written there (outside the block's time).
    for (uint32_t f = 0; f < frames;) {
      const uint32_t inNoise = (at + f) % kWriteBlock;
      const uint32_t run = std::min(frames - f, kWriteBlock - inNoise);
      if (std::memcmp(work.data() + static_cast<size_t>(f) * kChannels,
                      noise.data() + static_cast<size_t>(inNoise) * kChannels,
                      static_cast<size_t>(run) * kChannels * sizeof(int16_t)) != 0) {
        return Fail(state, "read gave the wrong audio");
      }
      f += run;
    }
  }
  return segment.CloseReadHandle() == 1 || Fail(state, "close read side failed");
}

void ReportBlocks(benchmark::State& state, std::vector<double>& blockMs, uint32_t blockFrames) {
  if (blockMs.empty()) return;
  std::sort(blockMs.begin(), blockMs.end());
  state.counters["block_median_ms"] = blockMs[blockMs.size() / 2];
  state.counters["block_worst_ms"] = blockMs.back();
  state.counters["block_budget_ms"] = 1000.0 * blockFrames / 44100.0;
}

// Copies source to target with cp; false when cp failed.
bool CopyWithCp(const std::string& source, const std::string& target) {
  const char* argv[] = {"cp", source.c_str(), target.c_str(), nullptr};
  pid_t pid;
  int status = 0;
  return posix_spawnp(&pid, "cp", nullptr, nullptr, const_cast<char* const*>(argv), environ) == 0 &&
         waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
         FileSize(target) == int64_t{kFrames} * 4;
}

double MsSince(std::chrono::steady_clock::time_point begin) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

// Each iteration writes a take with peaks and reads it back, then has cp copy
// the same raw audio, back to back so both see the same machine. The time
// reported is the storage layer's; cp_ms and ratio_to_cp set it against cp.
void BM_StorageAgainstCp(benchmark::State& state) {
  const uint32_t blockFrames = static_cast<uint32_t>(state.range(0));
  const bool disk = state.range(1) != 0;
  const std::string folder = BenchFolder();
  const std::string copy = folder + "/copy.pcm";
  if (disk && InMemory(folder)) state.SetLabel("folder on tmpfs: no disk, flushes over memory");
  std::vector<double> blockMs;
  double oursMs = 0, cpMs = 0;
  for (auto _ : state) {
    CAudioSegment segment(folder);
    auto begin = std::chrono::steady_clock::now();
    if (!WriteTake(state, segment)) break;
    if (disk && (!FlushAndDrop(segment.GetPcmFileName()) || !FlushAndDrop(segment.GetPeakFileName()))) {
      state.SkipWithError("flush failed");
      break;
    }
    if (!ReadTake(state, segment, blockFrames, &blockMs)) break;
    const double ours = MsSince(begin);
    state.SetIterationTime(ours / 1000.0);
    oursMs += ours;
    if (!PeaksAreRight(state, segment)) break;

    if (disk && !FlushAndDrop(segment.GetPcmFileName())) {
      state.SkipWithError("flush failed");
      break;
    }
    begin = std::chrono::steady_clock::now();
    if (!CopyWithCp(segment.GetPcmFileName(), copy) || (disk && !FlushAndDrop(copy))) {
      state.SkipWithError("cp failed");
      break;
    }
    cpMs += MsSince(begin);
    platform::RemoveFile(copy);
    platform::RemoveFile(segment.GetPcmFileName());
    platform::RemoveFile(segment.GetPeakFileName());
  }
  ReportBlocks(state, blockMs, blockFrames);
  if (cpMs > 0) {
    state.counters["cp_ms"] = cpMs / static_cast<double>(state.iterations());
    state.counters["ratio_to_cp"] = oursMs / cpMs;
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kFrames} * 4);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_StorageAgainstCp)
    ->ArgNames({"block", "disk"})
    ->ArgsProduct({{8192, 32768, 65536}, {0, 1}})
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// The writer alone, to show what the peaks cost.
void BM_StorageWrite(benchmark::State& state) {
  const std::string folder = BenchFolder();
  for (auto _ : state) {
    CAudioSegment segment(folder);
    if (!WriteTake(state, segment, state.range(0) != 0)) break;
    state.PauseTiming();
    if (state.range(0) != 0 && !PeaksAreRight(state, segment)) break;
    platform::RemoveFile(segment.GetPcmFileName());
    platform::RemoveFile(segment.GetPeakFileName());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kFrames} * 4);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_StorageWrite)->ArgName("peaks")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// The peak builder alone, in memory: one recorder block of stereo noise.
void BM_PeakRecords(benchmark::State& state) {
  const std::vector<int16_t>& block = NoiseBlock();
  std::vector<uint8_t> records(kWriteBlock / 64 * 4);
  size_t made = 0;
  for (auto _ : state) {
    made = MakePeakRecords(block.data(), kWriteBlock, kChannels, 0, kWriteBlock / 64, records.data());
    benchmark::DoNotOptimize(made);
    benchmark::ClobberMemory();
  }
  // One write of the block: a record per 64 frames, the last closed by the block's end.
  const std::vector<uint8_t> reference = ReferencePeaks(block, kWriteBlock, kChannels);
  if (made != records.size() || records != reference) state.SkipWithError("the records are not the block's peaks");
  state.SetBytesProcessed(state.iterations() * int64_t{kWriteBlock} * 4);
}
BENCHMARK(BM_PeakRecords)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
