// The volume envelope of a track or of the master output: per channel a list
// of points (gain at a position) with straight gain ramps between them. Points
// are kept in musical time (position at the tempo they were made at) and
// mapped to frames at the current tempo, so the envelope follows tempo
// changes. Runs on the calling thread; every call comes under the chain's lock.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Effect.h"

class CLevels final : public CEffect {
 public:
  CLevels();
  ~CLevels() override;

  unsigned int ProcessMono() override;
  unsigned int ProcessStereo() override;
  // A bypassed envelope keeps its place, so it is in time again when it comes back.
  void SkipFrames(uint32_t frames) override { currentSample_ += frames; }
  bool SetParameters(const void* record) override;
  void GetParameters(void* out) const override;
  uint32_t ParameterBytes() const override { return sizeof(Zelmo_Levels_Parameters); }

  using PointList = std::vector<std::unique_ptr<Zelmo_Level_Entry>>;
  // The lists' sizes and capacities, read under the chain's lock.
  struct Room {
    size_t size[2] = {0, 0};
    size_t capacity[2] = {0, 0};
  };
  // What adding a point asks of the heap, made before the chain's lock is
  // taken so the player never waits behind an allocation: the point's copies
  // and, for a full list, a longer one to move it into. Whatever is left in it
  // afterwards (the old list's buffer) is freed by its owner after the lock.
  struct Spare {
    std::unique_ptr<Zelmo_Level_Entry> entries[2];
    PointList lists[2];
  };
  Room GetRoom() const;
  static Spare MakeSpare(const Zelmo_Level_Entry& entry, unsigned int channel, const Room& room);

  // Channel 1 left, 2 right; AddLevelEntry also takes 3 (both lists).
  unsigned int AddLevelEntry(const Zelmo_Level_Entry* entry, unsigned int channel, Spare* spare = nullptr);
  // The removed point is handed to `removed` when given, to be freed after the lock.
  unsigned int RemoveLevelEntryByNumber(unsigned int number, unsigned int channel,
                                        std::unique_ptr<Zelmo_Level_Entry>* removed = nullptr);
  unsigned int InitGetAllLevelEntries(unsigned int channel);
  unsigned int InitGetLevelEntriesBetween(uint32_t from, uint32_t to, unsigned int channel);
  unsigned int GetNextLevelEntry(Zelmo_Level_Entry** out, unsigned int channel);
  unsigned int GetLevelEntryNumber(Zelmo_Level_Entry** out, short number, unsigned int channel);
  short GetLevelBeginPointNumber() const { return beginPointNumber_; }
  short GetTotalLevelPoints(unsigned int channel) const;
  unsigned int CheckIfLevelPointExists(uint32_t samplePosition, unsigned int channel);
  float GetLevelVolumeAt(uint32_t samplePosition, unsigned int channel);
  short CopyLevelEntries(unsigned int channel, Zelmo_Level_Entry* out, short capacity);
  unsigned int SetLevelEntryGain(short number, unsigned int channel, float gain);
  void SetChannelsIndependent(int independent) { independent_ = independent; }
  int GetChannelsIndependent() const { return independent_; }
  void SetEndAudioSample(uint32_t frame) { endAudioSample_ = frame; }

 private:
  struct Cursor {
    size_t index = 0;
    uint32_t from = 0;
    uint32_t to = 0xFFFFFFFF;
  };

  static bool ValidChannel(unsigned int channel) { return channel == 1 || channel == 2; }
  // The entry's frame at the current tempo, refreshed in the entry when it moved.
  uint32_t Visit(Zelmo_Level_Entry& entry);
  uint32_t SamplePositionOf(const Zelmo_Level_Entry& entry);
  void RefreshPositions();
  void Insert(PointList& list, const Zelmo_Level_Entry& entry, std::unique_ptr<Zelmo_Level_Entry> made,
              PointList* longer);
  void ApplyChannel(int channel);
  void ApplySegment(int channel, uint64_t from, uint64_t to, float fromGain, float toGain);

  PointList points_[2];
  Cursor cursors_[2];
  uint32_t currentSample_ = 0;
  uint32_t endAudioSample_ = 0;
  short beginPointNumber_ = 1;
  int independent_ = 1;
  Zelmo_Levels_Parameters params_ = {0, 0, 0.0f};
  bool tempoGiven_ = false;  // until a record arrives positions map one to one
  bool zeroTempoReported_ = false;
};
