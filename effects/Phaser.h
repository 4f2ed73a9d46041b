// Chorus and flange: each channel reads its own input history at a delay that
// a low-frequency oscillator moves between `delay` and `delay - depth`,
// interpolates between neighbouring samples and mixes the result with the dry
// signal. The two effects differ only in their code and in the settings the
// user gives them. The oscillator is a table of one period per channel.
//
// After a reset or a parameter change the first `delay` samples are dry only
// while the history fills.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "ChannelWorker.h"
#include "Effect.h"
#include "PageBuffer.h"

class CPhaser final : public CEffect {
 public:
  explicit CPhaser(ZelmoEffectType type);
  ~CPhaser() override;

  unsigned int Init(void* initData) override;
  unsigned int Reset() override;
  unsigned int ProcessMono() override;
  unsigned int ProcessStereo() override;
  unsigned int SetBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames) override;
  bool JoinsOwnChannels() const override { return true; }
  void PrepareForPlayback() override;
  bool SetParameters(const void* record) override;
  void GetParameters(void* out) const override;
  uint32_t ParameterBytes() const override { return sizeof(ChorusFlangeParams); }

  // Samples each history holds: room for the longest delay the effects offer
  // (60 ms) on top of the largest block, and never less than two blocks.
  static uint32_t HistoryCapacity(uint32_t maxInputFrames);
  // One period of the oscillator, values 0 .. 1 (channel 0 left, 1 right).
  const std::vector<float>& LfoTable(int channel) const { return channel_[channel].table; }

 private:
  struct Channel {
    std::vector<float> table;
    float tableHz = 0.0f;  // what the table was built for
    float tablePhase = 0.0f;
    bool tableBuilt = false;
    uint32_t lfoIndex = 0;
    uint32_t counter = 0;  // samples since the last reset, held at its maximum
    uint32_t written = 0;
    uint32_t start = 0;
    uint32_t fill = 0;
    bool fits = true;  // the stored delay fits the history
  };

  static void WorkerBody(void* owner, int channel);
  int ChannelCount() const { return channels_ == 2 ? 2 : 1; }
  void BuildTable(int channel);
  void CheckFit(int channel, bool report);
  bool AllocateHistories();
  void ProcessChannel(int channel);
  unsigned int RunWorkers();

  std::recursive_mutex lock_;
  ChorusFlangeParams params_;
  Channel channel_[2];
  platform::CPageBuffer history_[2];
  uint32_t capacity_ = 0;
  uint32_t historyFor_ = 0;
  uint32_t total_ = 0;
  CChannelWorker workers_[2];
};
