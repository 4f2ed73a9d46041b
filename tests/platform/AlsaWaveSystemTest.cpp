#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AlsaWaveSystem.h"

using platform::CAlsaWaveSystem;
using platform::CMessageQueue;
using platform::CWaveIn;
using platform::CWaveOut;
using platform::ThreadMessage;
using platform::WaveFormat;
using platform::WaveHeader;

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

// Plays silence through an output and checks the notices and the position.
void PlaysThrough(CWaveOut& out, CMessageQueue& queue) {
  Buffers buffers(3, 4410 * 4);  // 100 ms each
  for (WaveHeader& h : buffers.headers) {
    ASSERT_EQ(out.Prepare(h), platform::kWaveOk);
    ASSERT_EQ(out.Write(h), platform::kWaveOk);
  }
  std::vector<uintptr_t> done;
  ASSERT_TRUE(Expect(queue, platform::kWaveOutDone, 3, done));
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(done[i], reinterpret_cast<uintptr_t>(&buffers.headers[i]));
  uint32_t position = 0;
  ASSERT_EQ(out.GetPosition(position), platform::kWaveOk);
  EXPECT_EQ(position, 3u * 4410 * 4);

  // Reset hands back what is still queued, and the position starts again.
  for (WaveHeader& h : buffers.headers) out.Write(h);
  ASSERT_EQ(out.Reset(), platform::kWaveOk);
  for (WaveHeader& h : buffers.headers) EXPECT_TRUE(h.Has(platform::kWaveDone));
  ASSERT_EQ(out.GetPosition(position), platform::kWaveOk);
  EXPECT_EQ(position, 0u);
  EXPECT_EQ(out.Close(), platform::kWaveOk);
}

void CapturesThrough(CWaveIn& in, CMessageQueue& queue) {
  Buffers buffers(2, 2205 * 4);
  for (WaveHeader& h : buffers.headers) {
    ASSERT_EQ(in.Prepare(h), platform::kWaveOk);
    ASSERT_EQ(in.AddBuffer(h), platform::kWaveOk);
  }
  ASSERT_EQ(in.Start(), platform::kWaveOk);
  std::vector<uintptr_t> data;
  ASSERT_TRUE(Expect(queue, platform::kWaveInData, 2, data));
  EXPECT_EQ(data[0], reinterpret_cast<uintptr_t>(&buffers.headers[0]));
  EXPECT_EQ(buffers.headers[0].bytesRecorded, 2205u * 4);
  uint32_t position = 0;
  ASSERT_EQ(in.GetPosition(position), platform::kWaveOk);
  EXPECT_GE(position, 2u * 2205 * 4);
  ASSERT_EQ(in.Stop(), platform::kWaveOk);
  ASSERT_EQ(in.Reset(), platform::kWaveOk);
  EXPECT_EQ(in.Close(), platform::kWaveOk);
}

}  // namespace

// Runs where the machine has a sound device; the audio played is silence.
TEST(AlsaWave, PlaysAndCapturesOnARealDevice) {
  CAlsaWaveSystem system;
  ASSERT_GE(system.OutputCount(), 1u);  // "default" is always listed
  int output = -1;
  for (uint32_t id = 0; id < system.OutputCount() && output < 0; ++id) {
    if (system.QueryOutputFormat(id, WaveFormat{}) == platform::kWaveOk) output = static_cast<int>(id);
  }
  if (output < 0) GTEST_SKIP() << "no sound device on this machine";
  CMessageQueue queue;
  std::unique_ptr<CWaveOut> out;
  const uint32_t opened = system.OpenOutput(static_cast<uint32_t>(output), WaveFormat{}, &queue, out);
  if (opened == platform::kWaveAllocated) GTEST_SKIP() << "the sound device is busy";
  ASSERT_EQ(opened, platform::kWaveOk);
  PlaysThrough(*out, queue);

  for (uint32_t id = 0; id < system.InputCount(); ++id) {
    std::unique_ptr<CWaveIn> in;
    if (system.OpenInput(id, WaveFormat{}, &queue, in) != platform::kWaveOk) continue;
    CapturesThrough(*in, queue);
    break;
  }
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
  PlaysThrough(*out, queue);

  std::unique_ptr<CWaveIn> in;
  ASSERT_EQ(system.OpenInput(0, WaveFormat{}, &queue, in), platform::kWaveOk);
  CapturesThrough(*in, queue);
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
