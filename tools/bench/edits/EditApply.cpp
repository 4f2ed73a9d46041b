// Runs one edit worker over a raw audio file, as the Audio Editor runs it (the
// work buffer, the result written with its peaks and put on disk), so that a
// script can time it against the same edit done by sox.
//
//   edit_apply [options] IN.pcm OUT.pcm OPERATION [VALUE]
//     --mono             the input has one channel (else two)
//     --range FIRST N    the highlighted range (else the whole file)
//     --at FRAME         the insertion point of a paste (else 0)
//     --clip FILE        the audio clipboard of a paste (same channels as IN)
//     --no-peaks         the result writes no peak file
//     --inline           effects run their channel halves on this thread
//   operations: reverse fade volume G swap copy-channel convert mute delete copy
//     paste-insert paste-over paste-mix echo reverb chorus flange equalizer
//     stretch RATIO pitch SEMITONES
//   edit_apply sync FILE...      puts the files on disk (the other tool's output)
//   edit_apply compare A B      prints: largest sample difference, differing
//                                samples, samples of A, samples of B
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "AudioSegment.h"
#include "PageBuffer.h"
#include "Zelmo.h"
#include "edit/EditWorkers.h"
#include "../SampleDifference.h"

namespace {

constexpr int kUsage = 2;
constexpr int kFailed = 1;

int Usage() {
  std::fprintf(stderr,
               "usage: edit_apply [--mono] [--range FIRST N] [--at FRAME] [--clip FILE] [--no-peaks] [--inline]\n"
               "                  IN.pcm OUT.pcm OPERATION [VALUE]\n"
               "       edit_apply sync FILE...\n"
               "       edit_apply compare A B\n");
  return kUsage;
}

int64_t FileBytes(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  std::fseek(f, 0, SEEK_END);
  const long bytes = std::ftell(f);
  std::fclose(f);
  return bytes;
}

int Sync(int argc, char** argv) {
  for (int i = 2; i < argc; ++i) {
    const int fd = ::open(argv[i], O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) {
      std::perror(argv[i]);
      return kFailed;
    }
    ::close(fd);
  }
  return 0;
}

bool ReadAll(const char* path, std::vector<int16_t>& out) {
  const int64_t bytes = FileBytes(path);
  FILE* f = std::fopen(path, "rb");
  if (!f || bytes < 0) return false;
  out.resize(static_cast<size_t>(bytes) / 2);
  const size_t got = std::fread(out.data(), 2, out.size(), f);
  std::fclose(f);
  return got == out.size();
}

int Compare(const char* a, const char* b) {
  std::vector<int16_t> x, y;
  if (!ReadAll(a, x) || !ReadAll(b, y)) return kFailed;
  const bench::SampleDifference d = bench::Difference(x, y);
  std::printf("%d %zu %zu %zu\n", d.worst, d.differing, x.size(), y.size());
  return 0;
}

// The values each operation runs with; the script gives sox the same ones.
bool SetOperation(const std::string& name, float value, OperationParameters& p) {
  static const std::map<std::string, int32_t> kCodes = {
      {"reverse", EditOpReverse},       {"fade", EditOpFade},
      {"volume", EditOpVolume},         {"swap", EditOpSwapChannels},
      {"copy-channel", EditOpCopyChannel}, {"convert", EditOpConvertChannels},
      {"mute", EditOpMute},             {"delete", EditOpDelete},
      {"copy", EditOpCopy},             {"paste-insert", EditOpPasteInsert},
      {"paste-over", EditOpPasteOver},  {"paste-mix", EditOpPasteMix},
      {"echo", EditOpEcho},             {"reverb", EditOpReverb},
      {"chorus", EditOpChorus},         {"flange", EditOpFlange},
      {"equalizer", EditOpEqualizer},   {"stretch", EditOpStretch},
      {"pitch", EditOpPitchShift}};
  const auto code = kCodes.find(name);
  if (code == kCodes.end()) return false;
  p.request.operation = code->second;
  FXOperationParams& v = p.request.params;
  v.channelMode = ChannelModeBoth;
  v.copyLeftToRight = 1;
  v.level1Left = v.level1Right = name == "volume" ? value : 1.0f;
  v.level2Left = v.level2Right = name == "fade" ? 0.0f : 1.0f;
  v.initialValue = v.finalValue = name == "pitch" ? std::pow(2.0f, -value / 12.0f) : value;
  if (name == "echo") v.echo = std::make_unique<EchoParams>(EchoParams{1, 1, 0.5f, 0.5f, 0.25f, 0.25f, 250, 250});
  if (name == "reverb") v.reverb = std::make_unique<ReverbParams>();
  if (name == "chorus") {
    v.chorusFlange = std::make_unique<ChorusFlangeParams>(
        ChorusFlangeParams{0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0, 0, 25, 25, 6, 6});
  }
  if (name == "flange") {
    v.chorusFlange = std::make_unique<ChorusFlangeParams>(
        ChorusFlangeParams{0.5f, 0.5f, 0.5f, 0.5f, 0.25f, 0.25f, 0, 0, 2, 2, 2, 2});
  }
  if (name == "equalizer") {
    constexpr float kDb[kEqualizerBandCount] = {4, 3, 1, -1, -3, -3, -1, 2, 3, 4};
    v.equalizer = std::make_unique<EqualizerParams>(EqualizerParams{0, {}, {}});
    for (int b = 0; b < kEqualizerBandCount; ++b) {
      v.equalizer->left.gains[b] = v.equalizer->right.gains[b] = std::pow(10.0f, kDb[b] / 20.0f);
    }
  }
  return true;
}

std::shared_ptr<CAudioSegment> OpenRaw(const std::string& path, const std::string& folder, uint16_t channels) {
  auto segment = std::make_shared<CAudioSegment>(folder);
  segment->SetFormat(AudioQuality{44100, channels, 16});
  segment->SetPcmFileName(path);
  const int64_t bytes = FileBytes(path);
  segment->length = bytes > 0 ? static_cast<uint32_t>(bytes / (2 * channels)) : 0;
  segment->viewEnd = segment->viewWidth = segment->length;
  return segment;
}

int Apply(int argc, char** argv) {
  uint16_t channels = 2;
  bool peaks = true, inlineWorkers = false, ranged = false;
  uint32_t first = 0, count = 0, at = 0;
  std::string clipPath;
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string flag = argv[i];
    if (flag == "--mono") {
      channels = 1;
    } else if (flag == "--no-peaks") {
      peaks = false;
    } else if (flag == "--inline") {
      inlineWorkers = true;
    } else if (flag == "--range" && i + 2 < argc) {
      ranged = true;
      first = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
      count = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (flag == "--at" && i + 1 < argc) {
      at = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (flag == "--clip" && i + 1 < argc) {
      clipPath = argv[++i];
    } else {
      return Usage();
    }
  }
  if (argc - i < 3) return Usage();
  const std::string in = argv[i], out = argv[i + 1], operation = argv[i + 2];
  const float value = argc - i > 3 ? std::strtof(argv[i + 3], nullptr) : 1.0f;
  const std::string folder = out.substr(0, out.find_last_of('/') == std::string::npos ? 0 : out.find_last_of('/'));

  OperationParameters params;
  if (!SetOperation(operation, value, params)) return Usage();
  platform::CPageBuffer work;
  if (!work.Allocate(OperationParameters::kWorkBytes)) return kFailed;
  params.workBuffer = static_cast<int16_t*>(work.Data());
  params.progress = [](int) { return 1; };
  params.tempFolder = folder.empty() ? "." : folder;
  ZelmoSetInlineWorkers(inlineWorkers);

  std::shared_ptr<CAudioSegment> source = OpenRaw(in, params.tempFolder, channels);
  std::shared_ptr<CAudioSegment> clipboard;
  if (!clipPath.empty()) clipboard = OpenRaw(clipPath, params.tempFolder, channels);
  params.audioClipboard = &clipboard;
  const bool paste = !clipPath.empty();
  params.request.params.range = ranged || paste ? EditRangeHighlighted : EditRangeWhole;
  source->trackerStart = paste ? at : first;
  source->trackerSize = paste ? 0 : count;
  source->trackerEnd = source->trackerStart + source->trackerSize;
  std::shared_ptr<CAudioSegment> result;
  if (!peaks) {
    result = std::make_shared<CAudioSegment>(params.tempFolder);
    source->CopyAttributesTo(result.get());
    result->peaks = 0;
  }

  const auto start = std::chrono::steady_clock::now();
  const OperationResult done = RunEditOperation(source.get(), &result, &params);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  if (done != OperationResultDone || !result) {
    std::fprintf(stderr, "%s failed (%d)\n", operation.c_str(), static_cast<int>(done));
    return kFailed;
  }
  if (std::rename(result->GetPcmFileName().c_str(), out.c_str()) != 0) return kFailed;
  const std::string peakOut = out.substr(0, out.size() - 4) + ".pek";
  if (result->peaks && std::rename(result->GetPeakFileName().c_str(), peakOut.c_str()) != 0) return kFailed;
  std::fprintf(stderr, "%s: %u frames in %.3f s\n", operation.c_str(), result->length, seconds.count());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && !std::strcmp(argv[1], "sync")) return Sync(argc, argv);
  if (argc == 4 && !std::strcmp(argv[1], "compare")) return Compare(argv[2], argv[3]);
  return Apply(argc, argv);
}
