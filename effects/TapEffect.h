// What echo and reverb share: a long history of each channel's input, a
// worker per channel, and the walk that adds delayed copies of the history to
// the block with a gain that falls from copy to copy. The two differ only in
// where the copies sit and how fast the gain falls (AddTaps).
#pragma once

#include <cstdint>

#include "ChannelWorker.h"
#include "DspMath.h"
#include "Effect.h"
#include "PageBuffer.h"

// Fault codes of one tap effect; title is the source title its reports show.
struct TapEffectFaults {
  const char* title;
  int threadLeft, threadRight;
  int historyLeft, historyRight;
  int resizeLeft, resizeRight;
  int missingHistory;
};

class CTapEffect : public CEffect {
 public:
  ~CTapEffect() override;

  unsigned int Init(void* initData) override;
  unsigned int Reset() override;
  unsigned int ProcessMono() override;
  unsigned int ProcessStereo() override;
  unsigned int SetBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames) override;
  bool JoinsOwnChannels() const override { return true; }
  void PrepareForPlayback() override;

  // Samples each channel's history holds for a largest input block of maxInputFrames.
  static uint32_t HistoryCapacity(uint32_t maxInputFrames);

 protected:
  CTapEffect(ZelmoEffectType type, const TapEffectFaults& faults);

  // Where the block of this call begins in the channel's history, and the gains.
  struct ChannelBlock {
    short* out;      // this channel's samples of the block, dry gain applied
    uint32_t frames;
    uint32_t begin;  // history index of the block's first frame
    uint32_t fill;   // history samples, the block included
  };
  virtual float DryGain(int channel) const = 0;
  virtual float DelayMs(int channel) const = 0;
  virtual void AddTaps(int channel, const ChannelBlock& block) const = 0;

  // out[offset + k] += gain * history[first + k] for k < count, clipped.
  void AddCopy(int channel, short* out, uint32_t first, uint32_t count, float gain) const;
  // Moves one step of `step` samples back through the history. Returns false
  // when this and every later step lie wholly after the block.
  static bool StepBack(uint32_t step, uint32_t frames, uint32_t& t, uint64_t& offset);
  // The copy at the current step: history from t into the block from offset.
  void AddStep(int channel, const ChannelBlock& block, uint32_t t, uint64_t offset, float gain) const;

 private:
  static void WorkerBody(void* owner, int channel);
  void ProcessChannel(int channel);
  bool AllocateHistories();
  void ReleaseHistories();
  void RunWorkers(int count);

  TapEffectFaults faults_;
  CChannelWorker workers_[2];
  // Per channel: frames written, absolute frame of history index 0, samples held,
  // and where index 0 sits in the ring.
  uint32_t written_[2] = {0, 0};
  uint32_t start_[2] = {0, 0};
  uint32_t fill_[2] = {0, 0};
  uint32_t head_[2] = {0, 0};
  uint32_t capacity_ = 0;
  uint32_t historyFor_ = 0;  // the largest input the histories were sized for
  uint32_t total_ = 0;
  platform::CPageBuffer history_[2];
  bool missingReported_[2] = {false, false};
};
