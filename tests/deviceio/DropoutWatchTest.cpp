// A buffer's time and the lateness the player and the recorders judge by it.
#include <gtest/gtest.h>

#include "DropoutWatch.h"

namespace tessiro::test {
namespace {

TEST(DropoutWatchTest, ABufferIsLateAfterThreeBuffersTimeAndWithoutARateIsTakenAsATenthOfASecond) {
  struct Case {
    uint32_t bytes;
    int32_t bytesPerSecond;
    float ms;
    uint32_t late;
  } cases[] = {
      {17640, 176400, 100.0f, 300},    // a tenth of a second of 44100 Hz 16-bit stereo
      {4096, 176400, 23.2199f, 69},    // 69.66 ms, cut to whole ones
      {88200, 88200, 1000.0f, 3000},
      {4, 192000 * 8, 0.0026f, 0},
      {4096, 0, 100.0f, 300},
  };
  for (const Case& c : cases) {
    const float ms = CDropoutWatch::BufferMilliseconds(c.bytes, c.bytesPerSecond);
    EXPECT_NEAR(ms, c.ms, 1e-3f) << c.bytes << " at " << c.bytesPerSecond;
    EXPECT_EQ(CDropoutWatch::LateThreshold(ms), c.late) << c.bytes << " at " << c.bytesPerSecond;
  }
}

}  // namespace
}  // namespace tessiro::test
