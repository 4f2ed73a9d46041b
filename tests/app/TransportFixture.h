// A started program on the virtual sound card, with helpers to build a
// project of known audio and to move the card's clock and the user-interface
// thread on together.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "AppFixture.h"
#include "AudioSnippetExtended.h"

namespace tessiro::test {

// Buffer frames of the tests: the smallest the program takes.
constexpr uint32_t kTestBufferFrames = 8192;

// A sample of a channel at a frame, for made-up audio.
using SampleFunction = std::function<int16_t(uint32_t frame, int channel)>;

// A staircase that tells frames and channels apart.
int16_t Staircase(uint32_t frame, int channel);

class TransportTest : public AppTest {
 protected:
  // Starts with 8192-frame buffers, no tracking-bar follow and no time played
  // past the end, then what edit changes.
  void StartApp(const std::function<void(ProConfig&)>& edit = nullptr);

  // A segment in the program's temporary folder holding frames of sample.
  std::shared_ptr<CAudioSegment> MakeSegment(uint32_t frames, uint16_t channels,
                                             const SampleFunction& sample = Staircase);
  // An extended snippet of the segment on a track at start, timed for the project's tempo.
  std::shared_ptr<CAudioSnippetExtended> AddSnippet(int track, uint32_t start,
                                                    std::shared_ptr<CAudioSegment> segment);
  // A project of frames frames of staircase audio on track 0.
  void MakeProject(uint32_t frames);
  CAudioTrack* Track(int index);
  // Arms a track for recording from a virtual input.
  void Arm(int track, int32_t inputIndex, int16_t channels);

  // Moves the card's clock and the user-interface thread's on by ms, in steps.
  void Run(uint32_t ms, uint32_t stepMs = 10);
  // Runs until nothing plays or records; false when that took longer than maxMs.
  bool RunUntilIdle(uint32_t maxMs);

  std::vector<int16_t> Played() const;
  size_t PlayedFrames() const;
  // The samples of a segment's raw audio file as they are on disk.
  std::vector<int16_t> ReadPcm(const CAudioSegment& segment) const;
  // Every report raised since the last call, as "title:line".
  std::vector<std::string> TakeReports();
};

}  // namespace tessiro::test
