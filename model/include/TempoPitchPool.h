// Tempo/pitch processors made ready before playback, so that the player
// thread never makes one. A snippet that starts to sound takes a slot (a
// processor with its work buffer) from its track list's pool and gives it
// back when it stops; taking and giving back allocate nothing and free
// nothing. The pool is sized on the user-interface thread for the most
// snippets that can sound at once (CAudioTrackList::PreparePlayback).
//
// Threads: Take and Give run on the player thread (or a single-track render)
// and on the user-interface thread when a snippet is destroyed; a small lock
// held only for a pointer move orders them. Prepare runs on the
// user-interface thread while nothing plays.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "PageBuffer.h"
#include "tarvex.h"

struct TempoPitchSettings;

// One processor and the work buffer it processes in place: what a playing
// snippet needs for as long as it sounds.
struct CTempoPitchSlot {
  CTarvex processor;
  platform::CPageBuffer work;
  uint32_t workFrames = 0;   // frames of channels samples the work buffer holds
  uint32_t rangeFrames = 0;  // the longest range of a block it was sized for
  uint16_t channels = 0;
  bool pooled = false;       // goes back to a pool when its snippet stops

  // A processor for channels (1 or 2) with stores for ranges up to
  // rangeFrames and a work buffer of workFrames (none for 0); nullptr
  // (reported by the caller) when memory fails.
  static std::unique_ptr<CTempoPitchSlot> Make(uint16_t channels, uint32_t rangeFrames, uint32_t workFrames);
};

class CTempoPitchPool {
 public:
  CTempoPitchPool() = default;
  ~CTempoPitchPool() = default;
  CTempoPitchPool(const CTempoPitchPool&) = delete;
  CTempoPitchPool& operator=(const CTempoPitchPool&) = delete;

  // Holds at least count slots for sources of channels channels, each for
  // ranges of rangeFrames with a work buffer of workFrames; slots made for
  // less are made anew. Call while no slot is out. False when memory failed
  // (the slots made so far stay).
  bool Prepare(uint16_t channels, uint32_t count, uint32_t rangeFrames, uint32_t workFrames);
  // A free slot for a range of rangeFrames whose reads need workFrames, or
  // nullptr when none is left (the miss is counted).
  std::unique_ptr<CTempoPitchSlot> Take(uint16_t channels, uint32_t rangeFrames, uint32_t workFrames);
  void Give(std::unique_ptr<CTempoPitchSlot> slot);

  uint32_t GetFreeSlots(uint16_t channels) const;
  // Starts that found no slot ready since the pool was made.
  uint32_t GetMisses() const { return misses_.load(); }

 private:
  struct Kind {
    std::vector<std::unique_ptr<CTempoPitchSlot>> free;  // capacity: every slot made, so a give never grows it
    uint32_t made = 0;
    uint32_t rangeFrames = 0;
    uint32_t workFrames = 0;
  };
  static size_t KindOf(uint16_t channels) { return channels == 1 ? 0 : 1; }

  mutable std::mutex lock_;
  Kind kinds_[2];
  std::atomic<uint32_t> misses_{0};
};
