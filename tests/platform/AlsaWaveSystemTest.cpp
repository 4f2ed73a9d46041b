#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "AlsaFileDevice.h"
#include "AlsaWaveSystem.h"

using platform::CAlsaWaveSystem;
using platform::CMessageQueue;
using platform::CWaveIn;
using platform::CWaveOut;
using platform::ThreadMessage;
using platform::WaveFormat;
using platform::WaveHeader;
using tessiro::test::CAlsaFileDevice;
using tessiro::test::NoiseFrames;

namespace {

struct Buffers {
  Buffers(int count, uint32_t bytes) : memory(static_cast<size_t>(count), std::vector<uint8_t>(bytes, 0)) {
    headers = std::vector<WaveHeader>(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      headers[static_cast<size_t>(i)].data = memory[static_cast<size_t>(i)].data();
      headers[static_cast<size_t>(i)].bufferLength = bytes;
    }
  }
  std::vector<std::vector<uint8_t>> memory;
  std::vector<WaveHeader> headers;
};

// Takes notices of one kind until count have come; false on a five-second silence.
bool Expect(CMessageQueue& queue, uint32_t id, size_t count, std::vector<uintptr_t>& params) {
  ThreadMessage m;
  while (params.size() < count) {
    if (!queue.Get(m, 5000)) return false;
    if (m.id == id) params.push_back(m.param);
  }
  return true;
}

constexpr uint32_t kPlayFrames = 4410;     // 100 ms a buffer
constexpr uint32_t kCaptureFrames = 2205;  // 50 ms a buffer

// Plays three buffers of these frames through an output and checks the notices and the position.
void PlaysThrough(CWaveOut& out, CMessageQueue& queue, const std::vector<uint8_t>& frames) {
  Buffers buffers(3, kPlayFrames * 4);
  ASSERT_EQ(frames.size(), 3u * kPlayFrames * 4);
  for (size_t i = 0; i < 3; ++i) {
    std::copy_n(frames.begin() + static_cast<ptrdiff_t>(i * kPlayFrames * 4), kPlayFrames * 4, buffers.memory[i].begin());
  }
  for (WaveHeader& h : buffers.headers) {
    ASSERT_EQ(out.Prepare(h), platform::kWaveOk);
    ASSERT_EQ(out.Write(h), platform::kWaveOk);
  }
  std::vector<uintptr_t> done;
  ASSERT_TRUE(Expect(queue, platform::kWaveOutDone, 3, done));
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(done[i], reinterpret_cast<uintptr_t>(&buffers.headers[i]));
  uint32_t position = 0;
  ASSERT_EQ(out.GetPosition(position), platform::kWaveOk);
  EXPECT_EQ(position, 3u * kPlayFrames * 4);

  // Reset hands back what is still queued, and the position starts again.
  for (WaveHeader& h : buffers.headers) out.Write(h);
  ASSERT_EQ(out.Reset(), platform::kWaveOk);
  for (WaveHeader& h : buffers.headers) EXPECT_TRUE(h.Has(platform::kWaveDone));
  ASSERT_EQ(out.GetPosition(position), platform::kWaveOk);
  EXPECT_EQ(position, 0u);
  EXPECT_EQ(out.Close(), platform::kWaveOk);
}

// Captures count buffers, handing each back a moment after it came, as a
// recorder does once it has written it away: what they held in order.
std::vector<uint8_t> CaptureTake(CWaveIn& in, CMessageQueue& queue, size_t count) {
  std::vector<uint8_t> take;
  Buffers buffers(2, kCaptureFrames * 4);
  for (WaveHeader& h : buffers.headers) {
    EXPECT_EQ(in.Prepare(h), platform::kWaveOk);
    EXPECT_EQ(in.AddBuffer(h), platform::kWaveOk);
  }
  EXPECT_EQ(in.Start(), platform::kWaveOk);
  ThreadMessage m;
  for (size_t received = 0; received < count;) {
    if (!queue.Get(m, 5000)) {
      ADD_FAILURE() << "capture stopped after " << received << " buffers";
      break;
    }
    if (m.id != platform::kWaveInData) continue;
    auto* header = reinterpret_cast<WaveHeader*>(m.param);
    EXPECT_EQ(header->bytesRecorded, kCaptureFrames * 4);
    take.insert(take.end(), header->data, header->data + header->bytesRecorded);
    if (++received == count) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(in.Prepare(*header), platform::kWaveOk);
    EXPECT_EQ(in.AddBuffer(*header), platform::kWaveOk);
  }
  uint32_t position = 0;
  EXPECT_EQ(in.GetPosition(position), platform::kWaveOk);
  EXPECT_GE(position, take.size());
  EXPECT_EQ(in.Stop(), platform::kWaveOk);
  EXPECT_EQ(in.Reset(), platform::kWaveOk);
  EXPECT_EQ(in.Close(), platform::kWaveOk);
  return take;
}

}  // namespace

// The whole ALSA path on ALSA's own plugins, which needs no sound hardware: the
// default device plays into a file and records from one (see CAlsaFileDevice).
// Neither keeps time, so capture runs ahead of any recorder: a take must still
// come back whole, with no frame lost while the recorder held both buffers.
TEST(AlsaWave, PlaysAndCapturesOnARealDevice) {
  constexpr size_t kTakeBuffers = 12;
  const std::vector<uint8_t> recordFrom = NoiseFrames(20 * kCaptureFrames, 1);
  CAlsaFileDevice device(recordFrom);
  CAlsaWaveSystem system;
  std::string name;
  ASSERT_EQ(system.GetOutputName(0, name), platform::kWaveOk);
  EXPECT_EQ(name, "Default Device");
  ASSERT_EQ(system.QueryOutputFormat(0, WaveFormat{}), platform::kWaveOk);

  CMessageQueue queue;
  std::unique_ptr<CWaveOut> out;
  ASSERT_EQ(system.OpenOutput(0, WaveFormat{}, &queue, out), platform::kWaveOk);
  const std::vector<uint8_t> played = NoiseFrames(3 * kPlayFrames, 2);
  PlaysThrough(*out, queue, played);
  out.reset();
  const std::vector<uint8_t> heard = device.Played();
  ASSERT_GE(heard.size(), played.size());
  EXPECT_TRUE(std::equal(played.begin(), played.end(), heard.begin())) << "the device played something else";

  std::unique_ptr<CWaveIn> in;
  ASSERT_GE(system.InputCount(), 1u);
  ASSERT_EQ(system.OpenInput(0, WaveFormat{}, &queue, in), platform::kWaveOk);
  const std::vector<uint8_t> take = CaptureTake(*in, queue, kTakeBuffers);
  ASSERT_EQ(take.size(), kTakeBuffers * kCaptureFrames * 4);
  const size_t firstWrong =
      static_cast<size_t>(std::mismatch(take.begin(), take.end(), recordFrom.begin()).first - take.begin());
  EXPECT_EQ(firstWrong, take.size()) << "the take differs from what was recorded from frame " << firstWrong / 4;
}

// alsa-lib's "null" device takes and gives audio at once, unpaced; it runs the
// whole backend where no card exists.
TEST(AlsaWave, NullDeviceGoesThroughTheWholeLifecycle) {
  CAlsaWaveSystem system({{"null", "Null Output"}}, {{"null", "Null Input"}});
  std::string name;
  ASSERT_EQ(system.GetOutputName(0, name), platform::kWaveOk);
  EXPECT_EQ(name, "Null Output");
  EXPECT_EQ(system.GetOutputName(1, name), platform::kWaveBadDeviceId);
  if (system.QueryOutputFormat(0, WaveFormat{}) != platform::kWaveOk) GTEST_SKIP() << "alsa-lib has no null device";

  CMessageQueue queue;
  std::unique_ptr<CWaveOut> out;
  ASSERT_EQ(system.OpenOutput(0, WaveFormat{}, &queue, out), platform::kWaveOk);
  PlaysThrough(*out, queue, NoiseFrames(3 * kPlayFrames, 3));

  std::unique_ptr<CWaveIn> in;
  ASSERT_EQ(system.OpenInput(0, WaveFormat{}, &queue, in), platform::kWaveOk);
  EXPECT_EQ(CaptureTake(*in, queue, 4).size(), 4u * kCaptureFrames * 4);
}

TEST(AlsaWave, MissingDevicesFailWithResults) {
  CAlsaWaveSystem system({{"hw:CARD=NoSuchCard,DEV=0", "Gone"}}, {{"hw:CARD=NoSuchCard,DEV=0", "Gone"}});
  CMessageQueue queue;
  std::unique_ptr<CWaveOut> out;
  std::unique_ptr<CWaveIn> in;
  EXPECT_NE(system.QueryOutputFormat(0, WaveFormat{}), platform::kWaveOk);
  EXPECT_NE(system.OpenOutput(0, WaveFormat{}, &queue, out), platform::kWaveOk);
  EXPECT_NE(system.OpenInput(0, WaveFormat{}, &queue, in), platform::kWaveOk);
  EXPECT_FALSE(out);
  EXPECT_FALSE(in);
}

// A capture card pulled out while it records: after a short while of failing
// the input says so once, and can still be stopped, reset and closed.
TEST(AlsaWave, ACaptureDeviceThatFailsForGoodSaysSoOnce) {
  const std::string config = std::string("pcm_type.tessiro_failing { lib \"") + TESSIRO_FAILING_CAPTURE_PLUGIN +
                             "\" }\npcm.tessiro_failing { type tessiro_failing frames 4410 }\n";
  ASSERT_GE(snd_config_update(), 0);
  snd_input_t* input = nullptr;
  ASSERT_GE(snd_input_buffer_open(&input, config.c_str(), static_cast<ssize_t>(config.size())), 0);
  ASSERT_GE(snd_config_load(snd_config, input), 0);
  snd_input_close(input);

  CAlsaWaveSystem system({}, {{"tessiro_failing", "Pulled Out"}});
  CMessageQueue queue;
  std::unique_ptr<CWaveIn> in;
  ASSERT_EQ(system.OpenInput(0, WaveFormat{}, &queue, in), platform::kWaveOk);
  Buffers buffers(2, 2205 * 4);
  for (WaveHeader& h : buffers.headers) {
    ASSERT_EQ(in->Prepare(h), platform::kWaveOk);
    ASSERT_EQ(in->AddBuffer(h), platform::kWaveOk);
  }
  ASSERT_EQ(in->Start(), platform::kWaveOk);
  // The 4410 frames it gives fill both buffers; then the device is gone.
  std::vector<uintptr_t> data;
  ASSERT_TRUE(Expect(queue, platform::kWaveInData, 2, data));
  std::vector<uintptr_t> failed;
  ASSERT_TRUE(Expect(queue, platform::kWaveInFailed, 1, failed));
  ThreadMessage m;
  EXPECT_FALSE(queue.Get(m, 300)) << "notice " << m.id;

  ASSERT_EQ(in->Prepare(buffers.headers[0]), platform::kWaveOk);
  ASSERT_EQ(in->AddBuffer(buffers.headers[0]), platform::kWaveOk);
  EXPECT_EQ(in->Stop(), platform::kWaveOk);
  EXPECT_EQ(in->Reset(), platform::kWaveOk);
  EXPECT_TRUE(buffers.headers[0].Has(platform::kWaveDone));
  EXPECT_NE(in->Start(), platform::kWaveOk);
  EXPECT_EQ(in->Close(), platform::kWaveOk);
}
