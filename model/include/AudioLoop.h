// One loop of the loop bank: its audio segment, a copy of the audio in memory
// for loop snippets to play without disk reads, its place in the bank, its
// length in measures, its title and colours.
//
// Threads: loop snippets read the audio in memory on the player thread
// (ReadFrames neither allocates nor locks); everything else happens on the
// user-interface thread while nothing plays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "AudioSegment.h"
#include "PageBuffer.h"
#include "TrackColorSet.h"

// The loop bank's limits: the commands that add loops refuse beyond them with these texts.
constexpr int kMaxLoops = 32;
constexpr uint32_t kMaxLoopFrames = 1323000;  // 30 seconds
constexpr int16_t kMaxLoopMeasures = 16;
constexpr const char* kLoopBankFullText = "Maximum number of loops has been reached.";
constexpr const char* kLoopImportTooLongText =
    "Cannot load loop file.  Imported audio length is greater than the 30 seconds limit.";
constexpr const char* kLoopCreateTooLongText =
    "Cannot create loop file.  Current audio length is greater than the 30 second loop limit.";

// The refusal for audio of frames frames becoming a loop (an import, or the
// Audio Editor's audio), or nullptr when it fits.
const char* RefuseLoopImportLength(uint32_t frames);
const char* RefuseLoopCreateLength(uint32_t frames);

// A loop's tempo follows from its length and measures. Above the project's
// fastest tempo its snippets could not be played at their length: such a
// loop is refused with this text, wherever its measures are set.
constexpr float kMaxLoopTempo = 250.0f;
constexpr const char* kLoopTempoTooHighText =
    "Cannot perform this operation.  The loop's measures would give a tempo greater than the 250 BPM limit.";
// kLoopTempoTooHighText for a tempo above kMaxLoopTempo, or nullptr when it fits.
const char* RefuseLoopTempo(float tempo);
// Beats in a measure: three when the project's beats-per-bar choice is 1, else four.
inline int BeatsPerMeasure(int beatsPerBarChoice) { return beatsPerBarChoice == 1 ? 3 : 4; }
// The tempo at which measures measures of beats beats last seconds (not 0).
inline float LoopTempoOf(float seconds, int measures, int beats) {
  return 60.0f / (seconds / static_cast<float>(measures * beats));
}

// text cut to at most maxBytes bytes, never inside a UTF-8 character.
std::string CutText(const std::string& text, size_t maxBytes);

class CAudioLoop {
 public:
  static constexpr int16_t kAppendNumber = 16000;  // not yet in a bank: goes to its end
  static constexpr size_t kMaxTitleBytes = 63;

  CAudioLoop();
  virtual ~CAudioLoop();
  CAudioLoop(const CAudioLoop&) = delete;
  CAudioLoop& operator=(const CAudioLoop&) = delete;

  uint32_t GetIdentifier() const { return identifier_; }

  void SetSegment(std::shared_ptr<CAudioSegment> segment) { segment_ = std::move(segment); }
  int GetSegment(std::shared_ptr<CAudioSegment>* segment) const;
  CAudioSegment* Segment() const { return segment_.get(); }

  void SetTitle(const std::string& title);
  const std::string& GetTitle() const { return title_; }
  void SetColors(const TrackColorSet& colors) { colors_ = colors; }
  const TrackColorSet& GetColors() const { return colors_; }
  // Kept within 1..16.
  void SetMeasures(int measures);
  int16_t GetMeasures() const { return measures_; }

  // Reserves and commits room for the segment's audio (length * channels * 2 +
  // 2048 bytes, the slack a segment read needs); the caller reads the audio into it.
  int AllocateBuffer(void** address);
  // 0 when nothing was in memory.
  int FreeBuffer();
  bool IsInMemory() const { return memory_.IsReserved(); }
  void* GetBuffer() const { return memory_.Data(); }

  // Copies frames from the audio in memory at position into destination, after
  // zeroing frames of it: a loop plays once, then gives silence.
  int ReadFrames(void* destination, uint32_t position, uint32_t frames, uint32_t* framesRead) const;

  // Number, measures, selection, title and colours.
  int CopyAttributesTo(CAudioLoop* other) const;
  // Measures from the length (one per 2 seconds at four beats to the bar, one
  // per 1.5 at three; beatsPerBarChoice 1 means three), and the segment's tempo from them.
  int ComputeMeasuresAndTempo(int beatsPerBarChoice);

  int16_t loopNumber = kAppendNumber;  // 0-based place in the bank
  int32_t selected = 0;
  int32_t useCount = 0;  // loop snippets in project tracks that play it

 private:
  const uint32_t identifier_;
  std::shared_ptr<CAudioSegment> segment_;
  platform::CPageBuffer memory_;
  uint32_t memoryBytes_ = 0;
  uint32_t memoryFrames_ = 0;
  uint16_t memoryChannels_ = 0;
  int16_t measures_ = 1;
  std::string title_;
  TrackColorSet colors_;
};
