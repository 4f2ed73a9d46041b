// The effects of one chain, in order; an effect's number is its place, 0 first.
// Not locked: the chain (CZelmo) holds its lock around every call.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Effect.h"

class CLevels;

class CEffectList {
 public:
  CEffectList() = default;
  virtual ~CEffectList();
  CEffectList(const CEffectList&) = delete;
  CEffectList& operator=(const CEffectList&) = delete;

  short channels() const { return channels_; }
  void set_channels(short channels) { channels_ = channels; }
  uint32_t output_block() const { return outputBlock_; }
  void set_output_block(uint32_t frames) { outputBlock_ = frames; }
  uint32_t max_input() const { return maxInput_; }
  void SetMaxInput(uint32_t frames);
  void UpdateBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames);

  // Appends the effect as number count; returns its number.
  short Add(std::unique_ptr<CEffect> effect);
  CEffect* Find(short number) const;
  CLevels* FindLevels(short number) const;
  short count() const { return static_cast<short>(effects_.size()); }
  bool Remove(short number);
  // Out of the list, for the caller to free where it likes.
  std::unique_ptr<CEffect> Take(short number);
  void MoveForward(short number);
  void MoveBack(short number);

  unsigned int Process(short* block, uint32_t frames);
  // The block went by without the chain running: each effect hears of the
  // frames it would have seen.
  void Skip(uint32_t frames);
  uint32_t LatencyFrames() const;
  void Reset();
  bool HasEqualizer() const;
  unsigned int SetEffectParameters(short number, const void* record);
  unsigned int GetEffectParameters(short number, void* out) const;
  unsigned int SetLevelsChannelsIndependent(short number, int independent);
  int GetLevelsChannelsIndependent(short number) const;
  void UpdateAllLevelParameters(const Zelmo_Levels_Parameters& parameters);
  void SetEndAudioSample(uint32_t frame);

  // The one enumeration that callers drive across calls. The chain's own walks
  // never touch it, so a block processed in between does not disturb it.
  void InitGetAllEffects();
  CEffect* GetNextEffect();

 private:
  void Renumber();

  std::vector<std::unique_ptr<CEffect>> effects_;
  size_t cursor_ = 0;
  short lowNumber_ = 0;
  short highNumber_ = 16;
  short channels_ = 0;
  uint32_t outputBlock_ = 0;
  uint32_t maxInput_ = 0;
};
