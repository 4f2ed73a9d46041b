// A project of 24 tracks set up as the application sets it up, with helpers
// to place audio on tracks, build effect chains and play blocks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "AudioTrackList.h"
#include "SnippetFixtures.h"
#include "TempFolder.h"

namespace tessiro::test {

inline int16_t Saturated(int32_t v) { return static_cast<int16_t>(std::clamp(v, -32767, 32767)); }

// The equalizer's creation record as the program passes it.
inline EqualizerInit ProgramEqualizerBands() {
  return EqualizerInit{{60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000}, 4096};
}

inline EqualizerParams FlatEqualizer() {
  EqualizerParams p{0, {}, {}};
  for (int b = 0; b < kEqualizerBandCount; ++b) p.left.gains[b] = p.right.gains[b] = 1.0f;
  return p;
}

inline EchoParams SomeEcho() { return EchoParams{0.8f, 0.7f, 0.5f, 0.4f, 0.3f, 0.35f, 20.0f, 31.0f}; }

// A chain set up as the project reader sets one up.
inline std::unique_ptr<CZelmo> MakeProjectChain(uint32_t blockFrames) {
  auto chain = std::make_unique<CZelmo>();
  chain->SetChannels(2);
  chain->SetSizeMaxInputBufferSample(blockFrames + kChainSlackFrames);
  chain->SetSizeOutputBufferSample(blockFrames);
  return chain;
}

// Adds an effect with the parameters the tests use for its type.
inline void AddProjectEffect(CZelmo& chain, ZelmoEffectType type) {
  short number = -1;
  if (type == ZelmoEqualizer) {
    EqualizerInit init = ProgramEqualizerBands();
    chain.AddEffect(type, &number, &init);
    EqualizerParams params = FlatEqualizer();
    chain.SetEffectParameters(number, &params);
  } else if (type == ZelmoEcho) {
    chain.AddEffect(type, &number, nullptr);
    EchoParams params = SomeEcho();
    chain.SetEffectParameters(number, &params);
  } else {
    chain.AddEffect(type, &number, nullptr);
    ReverbParams params;
    chain.SetEffectParameters(number, &params);
  }
}

class CTestProject {
 public:
  explicit CTestProject(uint32_t blockFrames = 8192, uint32_t ringFrames = 65536) : blockFrames_(blockFrames) {
    list.CreateTracks(CAudioSnippetList::kModeProject, CAudioTrack::kTypeExtended, CAudioTrackList::kProjectTracks);
    list.SetEffectsChains(&chains);
    list.SetBlockFrames(blockFrames);
    list.AllocateBuffers(2, ringFrames);
    list.SelectTrack(0);
    list.playing = 1;
  }

  CAudioTrack& Track(int index) {
    CAudioTrack* track = nullptr;
    list.FindTrack(index, &track);
    return *track;
  }

  std::shared_ptr<CAudioSnippetExtended> Place(int track, const SignalFn& signal, uint32_t frames, uint32_t start = 0,
                                               uint16_t channels = 2, float projectTempo = 100.0f) {
    auto snippet = MakeExtended(MakeSegment(folder.Path(), channels, frames, signal), start, projectTempo);
    list.AddSnippetToTrack(snippet, track);
    return snippet;
  }

  std::shared_ptr<CAudioSnippetLoop> PlaceLoop(int track, const SignalFn& signal, uint32_t frames, uint32_t start = 0) {
    auto snippet = MakeLoopSnippet(MakeLoop(folder.Path(), 2, frames, signal), start);
    list.AddSnippetToTrack(snippet, track);
    return snippet;
  }

  // Chain slot 0 is the master chain, 1 + i the chain of track i.
  CZelmo& Chain(int slot) {
    if (!chains[slot]) chains[slot] = MakeProjectChain(blockFrames_);
    return *chains[slot];
  }

  // Mixes blocks of blockFrames from position on, as the output callback asks for them.
  std::vector<int16_t> Play(uint32_t position, uint32_t frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    std::vector<int16_t> block(static_cast<size_t>(blockFrames_) * 2);
    for (uint32_t done = 0; done < frames; done += blockFrames_) {
      std::fill(block.begin(), block.end(), 0);
      list.MixAllTracks(block.data(), position + done, blockFrames_);
      const uint32_t n = std::min(blockFrames_, frames - done);
      std::copy_n(block.begin(), static_cast<size_t>(n) * 2, out.begin() + static_cast<ptrdiff_t>(done) * 2);
    }
    return out;
  }

  CTempFolder folder;
  EffectChainArray chains;
  CAudioTrackList list;

 private:
  uint32_t blockFrames_;
};

}  // namespace tessiro::test
