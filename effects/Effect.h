// The base of every effect in a chain: bypass, place in the chain, the block
// of the current call, and the per-channel work buffers the block is split
// into before an effect sees it.
#pragma once

#include <cstdint>

#include "PageBuffer.h"
#include "Zelmo.h"

class CEffect {
 public:
  virtual ~CEffect();
  CEffect(const CEffect&) = delete;
  CEffect& operator=(const CEffect&) = delete;

  virtual unsigned int Init(void* initData);
  virtual unsigned int Reset();
  virtual unsigned int ProcessMono();
  virtual unsigned int ProcessStereo();
  virtual uint32_t GetLatencySamples();
  // Re-sizes the work buffers for a new largest input block (never smaller).
  virtual unsigned int SetBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames);

  // Backs the effect's buffers with memory before playback, off the audio
  // thread: a fresh buffer is only address space, and a first write there on
  // the audio thread would fault pages in (12 s of history do so for 12 s).
  virtual void PrepareForPlayback();

  // A block of frames went by without the effect running (it, or its chain,
  // was bypassed): effects that keep a position in the stream move it on.
  virtual void SkipFrames(uint32_t frames);

  // The parameter record of the effect's type; false when the record was refused.
  virtual bool SetParameters(const void* record);
  virtual void GetParameters(void* out) const;
  virtual uint32_t ParameterBytes() const { return 0; }

  // Runs one block in place: frames in, outputFrames left in the caller's buffer.
  // Returns 0 without touching the block when bypassed or when it does not fit.
  unsigned int Process(short* buffer, uint32_t frames, uint32_t outputFrames);

  // Effects that work on their channels apart and write them back at the end
  // can hand their channels straight to the next such effect of the chain,
  // saving a write-back and a split: the same samples either way.
  virtual bool JoinsOwnChannels() const { return false; }
  bool Fits(uint32_t frames, uint32_t outputFrames) const {
    return workCapacity_ != 0 && frames <= workCapacity_ && outputFrames <= workCapacity_;
  }
  bool CanTakeChannelsOf(const CEffect& from, uint32_t frames, uint32_t outputFrames) const {
    return !bypass_ && JoinsOwnChannels() && (channels_ == 1 || channels_ == 2) && channels_ == from.channels_ &&
           workCapacity_ == from.workCapacity_ && Fits(frames, outputFrames);
  }
  // The next Process finds the block's channels in the work buffers already
  // (taken from the effect before it) and leaves its own there when handOn.
  void TakeChannelsOf(CEffect& from);
  void SetChannelHandOff(bool takenIn, bool handOn) {
    channelsIn_ = takenIn;
    handOn_ = handOn;
  }
  // Writes channels an effect kept for the next back into the block, interleaved.
  void WriteBackChannels(short* block, uint32_t frames);

  bool AllocateWorkBuffers();
  // Backs every byte of buf with memory (see PrepareForPlayback).
  static void Populate(platform::CPageBuffer& buf);
  void ReleaseWorkBuffers();

  uint32_t identifier() const { return identifier_; }
  ZelmoEffectType type() const { return type_; }
  short number() const { return number_; }
  void set_number(short number) { number_ = number; }
  int bypass() const { return bypass_; }
  void set_bypass(int bypass) { bypass_ = bypass; }
  short channels() const { return channels_; }
  void set_channels(short channels) { channels_ = channels; }
  uint32_t max_input() const { return maxInput_; }
  void set_max_input(uint32_t frames) { maxInput_ = frames; }
  // Samples each work buffer really holds; a block is refused beyond it.
  uint32_t work_capacity() const { return workCapacity_; }

 protected:
  explicit CEffect(ZelmoEffectType type);

  short* WorkBuffer(int channel) const {
    return static_cast<short*>(channel == 0 ? workLeft_.Data() : workRight_.Data());
  }
  // Writes the work buffers back into the caller's block, interleaved.
  void InterleaveWorkBuffers(uint32_t frames) const;

  uint32_t identifier_ = 0;
  int bypass_ = 0;
  short number_ = 0;
  ZelmoEffectType type_ = 0;
  uint32_t blockFrames_ = 0;
  uint32_t maxInput_ = 0;
  uint32_t outputFrames_ = 0;
  short* buffer_ = nullptr;
  short channels_ = 0;

 private:
  platform::CPageBuffer workLeft_;
  platform::CPageBuffer workRight_;
  uint32_t workCapacity_ = 0;
  bool oversizeReported_ = false;
  bool channelsIn_ = false;
  bool handOn_ = false;
};
