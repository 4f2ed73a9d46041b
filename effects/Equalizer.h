// Ten-band graphic equalizer in the frequency domain: each channel's input is
// queued, cut into Hann-windowed frames of N samples every N/2, transformed,
// scaled bin by bin by a gain curve drawn through the ten band gains,
// transformed back and overlap-added. It is the one effect whose output length
// is not its input length: it always delivers the chain's output block and
// keeps what it made beyond it for the next call. Its latency asks the chain
// for enough input that queue and carry hold 2N samples.
#pragma once

#include <cstdint>
#include <vector>

#include "ChannelWorker.h"
#include "Effect.h"
#include "FFT.h"

class CEqualizer final : public CEffect {
 public:
  CEqualizer();
  ~CEqualizer() override;

  unsigned int Init(void* initData) override;
  unsigned int Reset() override;
  unsigned int ProcessMono() override;
  unsigned int ProcessStereo() override;
  uint32_t GetLatencySamples() override;
  unsigned int SetBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames) override;
  // Not before it is ready: until then it passes the block by untouched.
  bool JoinsOwnChannels() const override { return ready_; }
  bool SetParameters(const void* record) override;
  void GetParameters(void* out) const override;
  uint32_t ParameterBytes() const override { return sizeof(EqualizerParams); }

  // The gain of each bin below N/2 (channel 0 left, 1 right); empty until Init.
  const std::vector<float>& GainCurve(int channel) const { return channel_[channel].curve; }

 private:
  struct Channel {
    std::vector<short> input;  // queued input; `queued` samples are valid
    size_t queued = 0;
    std::vector<short> carry;  // output made beyond the last block
    size_t carried = 0;
    std::vector<short> frame;  // one transformed frame, N samples
    std::vector<short> tail;   // the frame's second half, waiting for the next
    std::vector<float> curve;
    std::vector<float> time;
    std::vector<float> spectrum;
    CFFT fft;
    bool firstFrame = true;
    bool overflowReported = false;
  };

  static void WorkerBody(void* owner, int channel);
  bool AllocateQueues();
  void BuildCurve(int channel);
  // Fills the time buffer from index `first` on with queued samples from `from`,
  // windowed at the same indices.
  void LoadFrame(Channel& ch, size_t from, int32_t first);
  void TransformFrame(Channel& ch);
  void ProcessChannel(int channel);
  unsigned int RunWorkers(int count);

  EqualizerInit init_ = {};
  EqualizerParams params_ = {};
  int32_t length_ = 0;  // N
  int32_t half_ = 0;    // N / 2
  bool ready_ = false;
  Channel channel_[2];
  CChannelWorker workers_[2];
};
