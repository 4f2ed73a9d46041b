// Snippets: one piece of audio placed on a track's timeline, where it starts
// and ends in project frames, the project tempo it is timed for, how far it is
// stretched against its source, and the tempo/pitch processor that plays it.
// CAudioSnippetExtended streams an audio segment from disk, CAudioSnippetLoop
// plays a loop of the loop bank from memory; this base class keeps the timing,
// runs the processor and adds its output into a track's block with saturation.
//
// Ownership: snippets are held through std::shared_ptr by track lists, undo
// records, the clipboard and the Audio Editor. An extended snippet shares its
// segment, a loop snippet its loop; nothing here frees what another holds.
//
// Threads: the mixer starts, feeds and stops the processor on the player
// thread under the track list's lock; the user-interface thread edits the
// timing while nothing plays. A start given a pool takes a processor made
// ready there (CTempoPitchPool, filled by CAudioTrackList::PreparePlayback)
// and a stop gives it back, so neither allocates; a start without a pool, or
// that finds it empty, makes its own (the single-track renders of the
// user-interface thread may). Reading a block, processing it and adding it
// never allocate. Faults on the player thread are posted.
#pragma once

#include <cstdint>
#include <memory>

#include "AudioQuality.h"
#include "PointList.h"
#include "TempoPitchPool.h"

class CAudioSegment;

// What the application hands every snippet's processor: its output buffer
// size and its tempo/pitch quality preset (level 2 by default).
struct TempoPitchSettings {
  uint32_t bufferFrames = 32768;
  uint32_t bestFitSkip = 1;
  float bestFitShave = 0.08f;
  float bestFitCorrLimit = 0.05f;
};

// Tempos that timing can be derived from: finite and above zero.
inline bool IsPlayableTempo(float bpm) { return bpm > 0.0f && bpm <= 3.4e38f; }

// Device buffer sizes are whole multiples of 8192 frames from 8192 to 65536,
// whatever a configuration file says.
uint32_t ClampBufferFrames(uint32_t frames);

// Frames beyond a device block that a track may render ahead to feed effect
// latency (a master equalizer and a track equalizer, with room to spare).
constexpr uint32_t kChainSlackFrames = 3 * 8192;

// Adds frames stereo frames of src into dst, each sum saturated to -32767..32767.
void AddSaturated(int16_t* dst, const int16_t* src, uint32_t frames);

// Project frames that sourceFrames of a source at sourceTempo last at
// projectTempo, rounded up only above one half; both tempos playable.
uint32_t ScaledFrames(uint64_t sourceFrames, float sourceTempo, float projectTempo);

// Where a snippet lands at a new project tempo, worked out before anything moves.
struct SnippetTiming {
  uint32_t start = 0, length = 0;
  float carry = 0.0f;
  uint64_t End() const { return uint64_t{start} + length; }
};

class CAudioSnippet {
 public:
  static constexpr int32_t kKindLoop = 0;
  static constexpr int32_t kKindExtended = 1;
  static constexpr int32_t kStateRunning = 1;
  static constexpr int32_t kStateIdle = 2;
  static constexpr int32_t kClearedScreenLeft = 32000;

  CAudioSnippet();
  virtual ~CAudioSnippet();
  CAudioSnippet(const CAudioSnippet&) = delete;
  CAudioSnippet& operator=(const CAudioSnippet&) = delete;

  uint32_t GetIdentifier() const { return identifier_; }
  // The snippet this one was copied from; its own identifier when it is an original.
  uint32_t GetSourceIdentifier() const { return sourceIdentifier_; }

  // The source. A plain snippet (a snapshot of attributes) has none.
  virtual int SetSegment(std::shared_ptr<CAudioSegment> segment);
  virtual int GetSegment(std::shared_ptr<CAudioSegment>* segment) const;
  virtual int16_t GetChannels() const;
  virtual int IsSourceClosed() const;
  virtual int CloseSource();
  virtual AudioQuality GetFormat() const;
  virtual int ReleaseSource();

  // Starts the source read for the range [position, position + frames) of
  // the next render (extended snippets; the others read when they render).
  virtual int Prefetch(uint32_t position, uint32_t frames, uint32_t blockFrames);
  // Renders [position, position + frames) and adds it into out from its first frame.
  virtual int Render(int16_t* out, uint32_t position, uint32_t frames, uint32_t blockFrames);

  // Renders [position, position + frames) into the work buffer without adding
  // it anywhere; *produced tells how many frames the processor delivered.
  int RenderRange(uint32_t position, uint32_t frames, uint32_t blockFrames, uint32_t* produced);
  // Adds frames [first, first + frames) of the last rendered range into out;
  // frames the processor did not deliver are silence.
  int AddRendered(int16_t* out, uint32_t first, uint32_t frames) const;

  uint32_t GetSourceLength() const;
  float GetSourceTempo() const;
  int CopyAttributesTo(CAudioSnippet* other) const;

  int AddScreenRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
  int ClearScreenRects();
  CPointList& GetScreenRects() { return screenRects_; }

  // Re-times start, length and end for a new project tempo and sets the ratio.
  int SetTempo(float projectTempo);
  // The timing SetTempo would give; false (nothing computed) when either
  // tempo or the source's is not playable.
  bool TimingAt(float projectTempo, SnippetTiming* timing) const;
  // A timing TimingAt gave for projectTempo, taken over with the ratio.
  void ApplyTiming(const SnippetTiming& timing, float projectTempo);

  // Starts the processor for ranges of blockFrames at most, from the pool when
  // one is given and holds a processor that fits.
  int StartTempoPitch(float semitones, uint32_t blockFrames, const TempoPitchSettings& settings,
                      const std::shared_ptr<CTempoPitchPool>& pool = nullptr);
  int StopTempoPitch();
  // Work buffer frames a processor needs to play this snippet at semitones
  // in ranges of rangeFrames; probe is any initialised processor of the
  // source's channel count (it is reconfigured).
  uint32_t WorkFramesNeeded(CTarvex& probe, float semitones, const TempoPitchSettings& settings,
                            uint32_t rangeFrames) const;
  // Runs the processor over sourceFrames frames of the work buffer and adds
  // what it delivers (at most frames) into out.
  int MixProcessed(int16_t* out, uint32_t sourceFrames, uint32_t frames);

  int32_t GetState() const { return state_; }
  int32_t GetRestartFlag() const { return restart_; }
  uint32_t GetReadPosition() const { return readPosition_; }
  CTarvex* GetProcessor() const { return slot_ ? &slot_->processor : nullptr; }
  uint32_t GetWorkBufferFrames() const { return slot_ ? slot_->workFrames : 0; }
  // Whether the running processor came from a pool.
  bool HasPooledProcessor() const { return slot_ && slot_->pooled; }

  // Plain values the commands, the views and the project file read and write
  // on the user-interface thread while nothing plays.
  int32_t kind = kKindExtended;
  int32_t selected = 0;
  uint32_t layer = 0;    // the higher layer is heard where snippets overlap
  float tempo = 100.0f;  // project tempo the snippet is timed for
  float ratio = 1.0f;    // project tempo / source tempo
  uint32_t start = 0, end = 0, length = 0;  // project frames
  float carry = 0.0f;    // fraction left when the start was last re-timed
  int32_t screenLeftX = kClearedScreenLeft, screenLeftY = 0;
  int32_t screenRightX = 0, screenRightY = 0;

 protected:
  // Reads (or takes from memory) the source for the range and runs the processor.
  virtual int ProduceRange(uint32_t position, uint32_t frames, uint32_t blockFrames, uint32_t* produced);
  // A range that does not continue where the last one ended re-derives the
  // read position and starts the processor's stream afresh.
  void CheckContinuity(uint32_t position);
  // The read position in the source for a project frame of this snippet.
  uint32_t SourcePositionOf(uint32_t position) const;
  // The source frames one read may bring into the work buffer.
  uint32_t SourceCapacity() const;
  int16_t* Work() const { return slot_ ? static_cast<int16_t*>(slot_->work.Data()) : nullptr; }
  CTarvex* Processor() const { return GetProcessor(); }
  uint32_t WorkFrames() const { return GetWorkBufferFrames(); }
  uint16_t WorkChannels() const { return slot_ ? slot_->channels : 0; }
  // Sets the processor up for this snippet as a fresh one would be; returns
  // the input frames its largest range needs.
  uint32_t ConfigureProcessor(CTarvex& processor, float semitones, const TempoPitchSettings& settings,
                              uint32_t rangeFrames) const;
  // Runs the processor in place over sourceFrames frames; capacity bounds the output.
  int ProcessWork(uint32_t sourceFrames, uint32_t capacity, uint32_t* produced);
  void ReportOverflowOnce(int line);

  int32_t state_ = kStateIdle;
  int32_t restart_ = 1;
  uint32_t readPosition_ = 0;
  uint32_t framesWanted_ = 0;   // source frames the last read asked for
  uint32_t nextPosition_ = 0;   // project frame after the last rendered range
  bool hasNextPosition_ = false;
  uint32_t produced_ = 0;       // frames of the work buffer the last render delivered
  std::unique_ptr<CTempoPitchSlot> slot_;  // processor and work buffer while running
  std::weak_ptr<CTempoPitchPool> pool_;      // where a pooled slot goes back
  bool overflowReported_ = false;

 private:
  friend class CAudioSnippetList;  // marks the snippets heard in the block being played

  uint32_t identifier_;
  uint32_t sourceIdentifier_;
  CPointList screenRects_;
  uint64_t listMark_ = 0;      // the list's block serial when the snippet was last found heard
  uint32_t rangeStart_ = 0;    // the range the list rendered for that block
};
