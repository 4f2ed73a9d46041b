// Recording along with playback lines up to the frame, whatever the buffers'
// length in milliseconds and wherever playback begins between two ticks, and
// keeps every frame captured up to the stop, the partly filled last buffer too.
#include <ostream>

#include "PobixHarness.h"

namespace tessiro::test {
namespace {

struct AlignCase {
  const char* name;
  uint32_t bufferBytes;  // of both sides
  uint32_t lateStartMs;  // playback held back this long after the recording started
  uint32_t slipMs;       // time that passes right after the first read of the capture position
  uint32_t recordMs;     // from the start to the stop
};
void PrintTo(const AlignCase& c, std::ostream* os) { *os << c.name; }


class RecorderAlignment : public PobixTest, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(RecorderAlignment, EveryRecordedFrameWasCapturedWhileTheSameFramePlayed) {
  const AlignCase c = GetParam();
  Devices({"Speakers"}, {"Line In"});
  MakePobix(c.bufferBytes);
  AddInput(0, true, 1, c.bufferBytes);
  if (c.lateStartMs) system->SetStalled(Direction::Output, 0, true);
  pobix->Start(kPobixPlayAndRecord);
  if (c.lateStartMs) {
    Advance(c.lateStartMs, 1);
    system->SetStalled(Direction::Output, 0, false);
  }
  if (c.slipMs) system->SetDelayAfterPosition(Direction::Input, 0, c.slipMs);
  Advance(c.recordMs);
  const uint64_t stopFrame = CVirtualWaveSystem::FrameAt(system->NowMs());
  pobix->Stop();

  const uint64_t playStart = system->PlayedRuns(0).at(0).firstFrame;
  const std::vector<uint8_t> recorded = Delivered(1);
  // From the frame that played first to the last one captured.
  ASSERT_EQ(recorded.size() / 4, stopFrame - playStart);
  // Capture begins with playback or before it, so every frame of the take was
  // heard, from the first: none of it is silence put in for audio taken.
  for (size_t k = 0; k < recorded.size() / 4; ++k) {
    const Frame f = SignalFrame(playStart + k);
    ASSERT_EQ(SampleAt(recorded, 2 * k), f.left) << "frame " << k;
    ASSERT_EQ(SampleAt(recorded, 2 * k + 1), f.right) << "frame " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pobix, RecorderAlignment,
    ::testing::Values(AlignCase{"BuffersOf8192Frames", 32768, 0, 0, 3000},
                      AlignCase{"BuffersOf32768Frames", 131072, 0, 0, 3000},
                      AlignCase{"PlaybackSevenMillisecondsLate", 32768, 7, 0, 3000},
                      AlignCase{"PlaybackLateByMoreThanABuffer", 32768, 250, 0, 3000},
                      AlignCase{"TimePassesBetweenTheTwoPositionReads", 32768, 0, 1, 3000},
                      AlignCase{"TwoSecondsOf32768FrameBuffers", 131072, 0, 0, 2000},
                      AlignCase{"ShorterThanOneBuffer", 131072, 0, 0, 300},
                      AlignCase{"ShorterThanOneBufferPlaybackLate", 131072, 40, 0, 500},
                      AlignCase{"StoppedJustAfterABufferFilled", 32768, 0, 0, 2230}),
    [](const ::testing::TestParamInfo<AlignCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tessiro::test
