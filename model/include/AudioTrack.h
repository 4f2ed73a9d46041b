// One of the project's 24 tracks: its snippets, its type (Extended Audio
// streams segments from disk, Loop Based plays loops from memory), the mixer
// flags a user sets on it, its gains, recording input and colours, and the
// ring of scratch blocks through which it is mixed. Per block it renders its
// heard snippets, applies mute and solo, its gains and its effect chain, and
// adds the result into the mix with saturation.
//
// Threads: the prefetch and mix steps and the renders run on the player
// thread (or a single-track render) under the track list's lock and allocate
// nothing; mute, solo, enabled and the gains may change from the
// user-interface thread while audio plays; everything else changes while
// nothing plays.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "AudioSnippetList.h"
#include "PageBuffer.h"
#include "PointList.h"
#include "TrackColorSet.h"
#include "Zelmo.h"

// The application's effect chains: entry 0 the master chain, entry 1 + i the
// chain of track i; an empty entry is a track without effects.
constexpr int kEffectChainCount = 25;
using EffectChainArray = std::array<std::unique_ptr<CZelmo>, kEffectChainCount>;

// Colours of a new track: grey box, blue waveform, black outline, yellow marker.
constexpr TrackColorSet kDefaultTrackColors{0x00B4B4B4, 0x00FF8000, 0x00000000, 0x0000F0F0};

// Scales each sample of a stereo block by its channel's gain, truncated
// toward zero and saturated to -32767..32767.
void ApplyGains(int16_t* block, uint32_t frames, float leftGain, float rightGain);

class CAudioTrack {
 public:
  static constexpr int32_t kTypeExtended = 0;
  static constexpr int32_t kTypeLoopBased = 1;
  static constexpr int32_t kSlotsTaken = 999;  // armed while all four recording slots were held
  static constexpr size_t kMaxDescription = 255;

  explicit CAudioTrack(int listMode = CAudioSnippetList::kModeProject);
  virtual ~CAudioTrack();
  CAudioTrack(const CAudioTrack&) = delete;
  CAudioTrack& operator=(const CAudioTrack&) = delete;

  uint32_t GetIdentifier() const { return identifier_; }
  int GetListMode() const { return listMode_; }

  // Takes a NUL-terminated description (at most 255 bytes kept); returns what follows its terminator.
  const char* ReadDescription(const char* text);
  // A track that becomes Loop Based is disarmed.
  void SetType(int32_t type);
  int32_t GetType() const { return type_; }

  // blocks scratch blocks of frames stereo frames each, plus room for what
  // effect chains read ahead.
  int AllocateRing(int blocks, uint32_t frames);
  int FreeRing();
  // The type follows the kind of the snippet.
  int AddSnippet(std::shared_ptr<CAudioSnippet> snippet);
  // AddSnippet for each in turn, in one pass.
  int AddSnippets(const std::vector<std::shared_ptr<CAudioSnippet>>& snippets);

  // The two steps of the mixer for one block of frames at position.
  int PrefetchBlock(uint32_t position, uint32_t frames, float pitch, int bypass);
  int MixBlock(int16_t* mix, uint32_t position, uint32_t frames, int soloActive, int bypass);
  // The mix step in two halves: the render (snippets, mute and solo, gains,
  // chain), which tracks may run side by side, then the add into the mix,
  // which the mixer makes in its own order.
  int RenderForMix(uint32_t position, uint32_t frames, int soloActive, int bypass);
  int AddForMix(int16_t* mix);

  // The track alone, without gains or effects, added into block.
  int PrefetchAll(uint32_t position, uint32_t frames);
  int RenderInto(int16_t* block, uint32_t position, uint32_t frames);
  int PrefetchSelected(uint32_t position, uint32_t frames);
  int RenderSelectedInto(int16_t* block, uint32_t position, uint32_t frames);
  // One snippet through the track's gains and chain.
  int PrefetchSnippetWithEffects(uint32_t identifier, uint32_t position, uint32_t frames, float pitch, int bypass);
  int RenderSnippetWithEffects(uint32_t identifier, int16_t* block, uint32_t position, uint32_t frames, int bypass);
  int ResetPlayback();

  int GetSelectionMoveLimits(uint32_t* lowest, uint32_t* highest, uint32_t* firstStart, uint32_t* lastEnd);
  int MoveSelectedTo(uint32_t frame) { return snippets_.MoveSelectedTo(frame); }
  int MoveMatchingTo(uint32_t frame, const CAudioTrack* other);
  int MoveAllTo(uint32_t frame) { return snippets_.MoveAllTo(frame); }
  int SelectAll() { return snippets_.SelectAll(); }
  int DeselectAll() { return snippets_.DeselectAll(); }
  int SelectSnippet(uint32_t identifier) { return snippets_.SelectSnippet(identifier); }
  void SetSelectionAnchor(uint32_t identifier) { snippets_.selectionAnchor = identifier; }
  uint16_t CountSelected() const { return snippets_.CountSelected(); }
  uint32_t GetFirstStart() const { return snippets_.GetFirstStart(); }

  // The other track gets the same selected snippet objects.
  int AddSelectedSnippetsTo(CAudioTrack* other) const;
  // The other track gets plain snippets carrying the selected ones' attributes.
  int CopySelectedSnippetsTo(CAudioTrack* other) const;
  // The other track gets every snippet object, the description, type, gains and pitch.
  int CopyTo(CAudioTrack* other) const;
  // The same with plain copies of the snippets, which keep where they were
  // when the project's snippets move.
  int CopyPlainTo(CAudioTrack* other) const;
  int RemoveSnippetsOf(const CAudioTrack* other);
  int MergeFrom(const CAudioTrack* other);

  // The frames rendered into ring block slot that end at its frame frame,
  // for the level meters; earlier frames come from the other block.
  int GetRingHistory(int slot, uint32_t frame, int16_t* destination, uint32_t frames) const;

  int ToggleMute();
  int ToggleSolo();
  int ClearScreenRects();
  int HasStereoSource() const;
  bool UsesLoop(uint32_t loopIdentifier) const;
  void Clear();

  CAudioSnippetList& Snippets() { return snippets_; }
  const CAudioSnippetList& Snippets() const { return snippets_; }
  void SetEffectsChains(EffectChainArray* chains) { chains_ = chains; }
  // This track's chain, or nullptr.
  CZelmo* Chain() const;
  void SetBlockFrames(uint32_t frames) { blockFrames_ = frames; }
  uint32_t GetBlockFrames() const { return blockFrames_; }
  uint32_t GetTrackOffset() const { return trackOffset_; }
  uint32_t GetBlocksRendered() const { return blocksRendered_; }
  uint16_t GetRingIndex() const { return ringIndex_; }
  uint32_t GetRingStride() const { return ringStride_; }

  int32_t inputIndex = 0;         // recording input
  int16_t recordingChannels = 2;  // 1 mono, 2 stereo
  int16_t index = 0;              // 0..23
  std::string description;
  int32_t armed = 0;
  int32_t selected = 0;
  int32_t recordingSlot = 0;  // 1..4 while armed, kSlotsTaken when none was free
  ScreenRect screenRect;
  TrackColorSet colors = kDefaultTrackColors;
  // Read by the player thread while the user interface may change them.
  std::atomic<int32_t> solo{0};
  std::atomic<int32_t> mute{0};
  std::atomic<int32_t> enabled{1};
  std::atomic<float> leftGain{1.0f};
  std::atomic<float> rightGain{1.0f};

 private:
  int16_t* RingBlock(uint16_t slot) const;
  // Frames that fit a ring block; a longer request is cut and reported once.
  uint32_t FitRing(uint32_t frames);
  // Frames the snippets must read for a block of frames: more when the chain
  // has latency to feed.
  uint32_t PrefetchDemand(uint32_t frames, int bypass);
  int RenderAlone(int16_t* block, uint32_t position, uint32_t frames, bool selectedOnly, int noBlockLine,
                  int noRingLine);
  void AdvanceRing(uint32_t frames);
  void CopySettingsTo(CAudioTrack* other) const;
  static int AddPlainCopy(const CAudioSnippet& snippet, CAudioTrack* other);

  uint32_t identifier_;
  int listMode_;
  int32_t type_ = kTypeExtended;
  uint32_t blockFrames_ = 32768;
  CAudioSnippetList snippets_;
  uint32_t trackOffset_ = 0;
  EffectChainArray* chains_ = nullptr;
  platform::CPageBuffer ring_;
  uint32_t ringStride_ = 0;
  uint32_t blocksRendered_ = 0;
  uint16_t ringBlockCount_ = 0;
  uint16_t ringIndex_ = 0;
  bool overflowReported_ = false;
  bool mixReady_ = false;       // a block was rendered for the mix and not yet added
  uint32_t renderedFrames_ = 0; // frames that block's snippets and chain produced
  uint32_t mixFrames_ = 0;      // frames of it the mix takes
};
