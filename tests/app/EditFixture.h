// A started CProApp for the Audio Editor's content and edit tests, with
// helpers that make segments of generated audio and read results back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "AudioLoop.h"
#include "AudioSegment.h"
#include "AudioSnippet.h"

namespace tessiro::test {

class EditTest : public AppTest {
 protected:
  void SetUp() override;

  // A closed segment in the temporary folder holding samples (interleaved).
  std::shared_ptr<CAudioSegment> MakeSegment(const std::vector<int16_t>& samples, uint16_t channels);
  // segment as an extended snippet at 1 s on track, at the project's tempo.
  std::shared_ptr<CAudioSnippet> TrackSnippet(const std::shared_ptr<CAudioSegment>& segment, int track);
  // segment as a one-measure loop appended to the Loop Bank.
  std::shared_ptr<CAudioLoop> BankLoop(const std::shared_ptr<CAudioSegment>& segment);
  // The names of the audio files in the temporary folder, sorted.
  std::vector<std::string> TempFiles() const;
};

// A closed segment in folder holding samples (interleaved), its view on all of it.
std::shared_ptr<CAudioSegment> WriteSegment(const std::string& folder, const std::vector<int16_t>& samples,
                                            uint16_t channels);

// Sets the highlighted range, or both markers, to [first, end).
void Highlight(CAudioSegment& segment, uint32_t first, uint32_t end);
void Mark(CAudioSegment& segment, uint32_t first, uint32_t end);

// Every sample of a segment's raw audio file.
std::vector<int16_t> ReadSamples(const CAudioSegment& segment);
// A segment's peak file, as bytes.
std::vector<uint8_t> ReadPeaks(const CAudioSegment& segment);

// Test signals, frame f: a staircase f % period (both channels of stereo, the
// right negated), and a constant.
std::vector<int16_t> Staircase(uint32_t frames, uint16_t channels, uint32_t period = 30000);
std::vector<int16_t> Constant(uint32_t frames, uint16_t channels, int16_t left, int16_t right);

}  // namespace tessiro::test
