// The device object over the real ALSA backend, on ALSA's own plugins (no sound
// hardware needed): a play reaches the device whole, and a take recorded from
// it holds every frame the device gave, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "AlsaFileDevice.h"
#include "AlsaWaveSystem.h"
#include "Pobix.h"
#include "WaveAudio.h"
#include "Within.h"

namespace tessiro::test {
namespace {

constexpr uint32_t kBufferFrames = 8192;
constexpr uint32_t kBufferBytes = kBufferFrames * 4;

std::mutex g_lock;
std::vector<uint8_t> g_stream;  // what the fill callback plays, from g_streamAt on
size_t g_streamAt = 0;
std::vector<uint8_t> g_take;
std::vector<uint32_t> g_deliveries;
std::atomic<int> g_ends{0};
std::atomic<int> g_dropouts{0};

void Fill(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* filled, int32_t* end) {
  std::lock_guard<std::mutex> guard(g_lock);
  const size_t n = std::min<size_t>(bytes, g_stream.size() - g_streamAt);
  std::copy_n(g_stream.begin() + static_cast<ptrdiff_t>(g_streamAt), n, buffer);
  g_streamAt += n;
  *filled = static_cast<uint32_t>(n);
  *end = g_streamAt == g_stream.size() ? 1 : 0;
}

void Take(uint32_t, unsigned char* data, uint32_t bytes, uint32_t* taken, int32_t*) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_take.insert(g_take.end(), data, data + bytes);
  g_deliveries.push_back(bytes);
  *taken = bytes;
}

void End() { ++g_ends; }
void Dropout(const char*, const char*) { ++g_dropouts; }

size_t TakeBytes() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_take.size();
}

class AlsaDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    g_stream.clear();
    g_streamAt = 0;
    g_take.clear();
    g_deliveries.clear();
    g_ends = 0;
    g_dropouts = 0;
  }
  void TearDown() override { platform::SetWaveSystem(nullptr); }

  // The device object as the program sets it up at start, on the first output and input: ALSA's default.
  std::unique_ptr<CPobix> MakePobix() {
    platform::SetWaveSystem(std::make_shared<platform::CAlsaWaveSystem>());
    auto pobix = std::make_unique<CPobix>();
    EXPECT_GE(pobix->GetOutputDeviceCount(), 1);
    EXPECT_GE(pobix->GetInputPhysicalDeviceCount(), 1);
    EXPECT_STREQ(pobix->outputDevices[0].name, "Default Device (0)");
    EXPECT_EQ(pobix->OutputInit(0, &Fill), 1u);
    pobix->SetOutputBufferInfo(2, kBufferBytes);
    pobix->UpdatePlayerDropoutMessageCallback(&Dropout);
    pobix->SetupPhysicalInput(0, 44100, 16);
    return pobix;
  }
};

TEST_F(AlsaDevice, APlayReachesTheDeviceWhole) {
  const std::vector<uint8_t> stream = NoiseFrames(5 * kBufferFrames + 1000, 7);
  CAlsaFileDevice device({});
  {
    std::unique_ptr<CPobix> pobix = MakePobix();
    g_stream = stream;
    pobix->UpdateOutputStereoCallback(&Fill);
    pobix->UpdateEndOfAudioCallback(&End);
    ASSERT_EQ(pobix->Start(kPobixPlay), 1u);
    ASSERT_TRUE(Within(std::chrono::seconds(10), [] { return g_ends.load() > 0; })) << "the play never ended";
    pobix->Stop();
  }
  EXPECT_EQ(g_dropouts.load(), 0);
  const std::vector<uint8_t> played = device.Played();
  ASSERT_GE(played.size(), stream.size());
  const size_t firstWrong =
      static_cast<size_t>(std::mismatch(stream.begin(), stream.end(), played.begin()).first - stream.begin());
  EXPECT_EQ(firstWrong, stream.size()) << "the device played something else from frame " << firstWrong / 4;
}

// The device gives frames far faster than real time, so the recorder is
// always late to hand a buffer back: nothing may be lost meanwhile.
TEST_F(AlsaDevice, ATakeHoldsEveryFrameTheDeviceGave) {
  const std::vector<uint8_t> recordFrom = NoiseFrames(12 * kBufferFrames, 11);
  CAlsaFileDevice device(recordFrom);
  std::unique_ptr<CPobix> pobix = MakePobix();
  pobix->UpdateRecorderEndOfAudioCallback(&End);
  pobix->UpdateRecorderDropoutMessageCallback(&Dropout);
  PobixInit input{};
  input.inputIndex = 0;  // the first physical input, stereo
  input.bitsPerSample = 16;
  input.samplesPerSecond = 44100;
  input.recordSlot = 1;
  input.stereo = 1;
  input.callback = &Take;
  ASSERT_EQ(pobix->AddInput(&input), 0u);
  pobix->SetInputBufferInfo(0, 2, kBufferBytes);
  ASSERT_EQ(pobix->Start(kPobixRecord), 1u);
  ASSERT_TRUE(Within(std::chrono::seconds(10), [&] { return TakeBytes() >= recordFrom.size(); }))
      << "the take stopped at " << TakeBytes() << " bytes";
  pobix->Stop();
  pobix->RemoveAllInputs();

  std::lock_guard<std::mutex> guard(g_lock);
  EXPECT_EQ(g_ends.load(), 0);
  EXPECT_EQ(g_dropouts.load(), 0);
  EXPECT_EQ(pobix->GetOutputBytesWritten(1), 0u) << "the inputs are gone";
  // Whole buffers; one cut at Stop may end the take.
  ASSERT_FALSE(g_deliveries.empty());
  for (size_t i = 0; i + 1 < g_deliveries.size(); ++i) EXPECT_EQ(g_deliveries[i], kBufferBytes) << "delivery " << i;
  const size_t firstWrong = static_cast<size_t>(
      std::mismatch(recordFrom.begin(), recordFrom.end(), g_take.begin()).first - recordFrom.begin());
  EXPECT_EQ(firstWrong, recordFrom.size()) << "the take differs from what the device gave from frame " << firstWrong / 4;
}

}  // namespace
}  // namespace tessiro::test
