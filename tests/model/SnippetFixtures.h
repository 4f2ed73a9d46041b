// Segments with known audio, snippets placed on them, and block-by-block
// renders of snippet lists, for the snippet, track and mixer tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AudioLoop.h"
#include "AudioSegment.h"
#include "AudioSnippetExtended.h"
#include "AudioSnippetList.h"
#include "AudioSnippetLoop.h"

namespace tessiro::test {

using SignalFn = std::function<int16_t(uint32_t frame, int channel)>;

// Every frame and channel differs from its neighbours, over the whole 16-bit range.
inline int16_t HashSignal(uint32_t frame, int channel) {
  const uint32_t mixed = frame * 2654435761u + static_cast<uint32_t>(channel) * 40503u + 12345u;
  return static_cast<int16_t>(mixed >> 16);
}

inline SignalFn Constant(int16_t value) {
  return [value](uint32_t, int) { return value; };
}

// A segment of frames frames of signal in folder, closed and ready to play.
inline std::shared_ptr<CAudioSegment> MakeSegment(const std::string& folder, uint16_t channels, uint32_t frames,
                                                  const SignalFn& signal, float tempo = 100.0f) {
  auto segment = std::make_shared<CAudioSegment>(folder);
  segment->SetFormat(AudioQuality{44100, channels, 16});
  segment->Open(1);
  std::vector<int16_t> block;
  constexpr uint32_t kBlock = 8192;
  for (uint32_t done = 0; done < frames;) {
    const uint32_t n = std::min(kBlock, frames - done);
    block.resize(static_cast<size_t>(n) * channels);
    for (uint32_t f = 0; f < n; ++f) {
      for (int c = 0; c < channels; ++c) block[static_cast<size_t>(f) * channels + c] = signal(done + f, c);
    }
    uint32_t written = 0;
    segment->Write(block.data(), n, &written);
    done += n;
  }
  segment->Close();
  segment->length = frames;
  segment->tempo = tempo;
  return segment;
}

// An extended snippet on segment starting at start, timed for the project
// tempo (re-timed when that differs from the segment's tempo).
inline std::shared_ptr<CAudioSnippetExtended> MakeExtended(std::shared_ptr<CAudioSegment> segment, uint32_t start,
                                                           float projectTempo = 100.0f) {
  auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
  snippet->start = start;
  snippet->length = segment->length;
  snippet->end = start + segment->length;
  snippet->tempo = projectTempo;
  if (projectTempo != segment->tempo) snippet->SetTempo(projectTempo);
  return snippet;
}

// A loop of frames frames of signal, its audio in memory as the loop bank keeps it.
inline std::shared_ptr<CAudioLoop> MakeLoop(const std::string& folder, uint16_t channels, uint32_t frames,
                                            const SignalFn& signal) {
  auto loop = std::make_shared<CAudioLoop>();
  loop->SetSegment(MakeSegment(folder, channels, frames, signal));
  void* memory = nullptr;
  loop->AllocateBuffer(&memory);
  auto* samples = static_cast<int16_t*>(memory);
  for (uint32_t f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) samples[static_cast<size_t>(f) * channels + c] = signal(f, c);
  }
  return loop;
}

// A loop snippet playing loop once from start, at the loop's own tempo.
inline std::shared_ptr<CAudioSnippetLoop> MakeLoopSnippet(std::shared_ptr<CAudioLoop> loop, uint32_t start) {
  auto snippet = std::make_shared<CAudioSnippetLoop>(loop);
  snippet->start = start;
  snippet->length = loop->Segment()->length;
  snippet->end = start + snippet->length;
  return snippet;
}

// Plays [from, to) of a list block by block, cycling through block sizes, and
// returns the stereo frames.
inline std::vector<int16_t> RenderList(CAudioSnippetList& list, uint32_t from, uint32_t to,
                                       const std::vector<uint32_t>& blockSizes, float pitch = 0.0f) {
  std::vector<int16_t> out(static_cast<size_t>(to - from) * 2);
  std::vector<int16_t> block;
  size_t next = 0;
  for (uint32_t x = from; x < to;) {
    const uint32_t n = std::min(blockSizes[next++ % blockSizes.size()], to - x);
    block.assign(static_cast<size_t>(n) * 2, 0);
    list.Prefetch(x, n, pitch, 1);
    list.Render(block.data(), x, n);
    std::copy(block.begin(), block.end(), out.begin() + static_cast<ptrdiff_t>(x - from) * 2);
    x += n;
  }
  return out;
}

}  // namespace tessiro::test
