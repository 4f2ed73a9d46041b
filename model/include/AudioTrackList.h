// The project and its mixer: 24 tracks, the project-wide playback settings
// (tempo, global pitch, master gains, effects bypass, the time played past the
// end), the Track View's window over the timeline, and MixAllTracks, which
// turns every track into one stereo block for the output device. Further lists
// serve as snapshots for the undo history and the snippet clipboard (mode 2)
// and as the Track View's hit list (mode 3); they share snippets with the
// project or hold plain copies.
//
// Threads: MixAllTracks runs on the player thread for every device buffer and
// allocates nothing, also in the blocks where snippets begin and stop to
// sound: every snippet's tempo/pitch processor comes from a pool that
// PreparePlayback fills on the user-interface thread before playback starts
// (the program calls it before each play, project or single-track, once
// anything that may play has changed: a load, an edit, a new tempo, pitch or
// block size); it also backs the effect chains' buffers with memory, which a
// load leaves as address space only. A start that finds no ready processor still plays, making its
// own (counted in the pool's misses). The project list keeps
// a few helper threads that render tracks (snippets, gains, chain) side by
// side while the player thread waits; the sums into the mix are made on the
// player thread in the fixed order, so the result never depends on them.
// The list's lock orders it against the tempo change, ResetPlayback and the
// single-track renders of the user-interface thread; every operation that
// takes it releases it on every return. Edits of tracks and snippets take no lock: the commands that
// make them are refused while audio runs. Mute, solo, gains and the master
// gains may change while audio plays. Effect chains take their own locks; they
// all run inside this one, the tracks' chains first, then the master chain.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "AudioTrack.h"
#include "Events.h"
#include "MixWorkers.h"

class CAudioTrackList {
 public:
  static constexpr int kProjectTracks = 24;
  static constexpr uint32_t kFramesPerSecond = 44100;
  static constexpr uint32_t kMinViewFrames = 8192;
  // The mix block's room beyond a device block, for what the master chain reads ahead.
  static constexpr uint32_t kMixSlackFrames = kChainSlackFrames;

  // A project list: view 0..441000 and tempo 120.
  CAudioTrackList();
  // A snapshot, clipboard or view list, without the project's defaults.
  explicit CAudioTrackList(int listMode);
  virtual ~CAudioTrackList();
  CAudioTrackList(const CAudioTrackList&) = delete;
  CAudioTrackList& operator=(const CAudioTrackList&) = delete;

  int CreateTracks(int listMode, int32_t type, int count);
  // Inserted by index; the project end rises to the track's last end.
  int AddTrack(std::unique_ptr<CAudioTrack> track);
  int DeleteAllTracks();
  int FindTrack(int index, CAudioTrack** out) const;
  void ResetIterator();
  void SetIteratorRange(int first, int last);
  int GetNextTrack(CAudioTrack** out);
  size_t GetTrackCount() const { return tracks_.size(); }

  // Every track's ring of blocks of frames frames, and the mix block.
  int AllocateBuffers(int blocks, uint32_t frames);
  // The block the tracks are set up for. The mixer follows the block the
  // device actually asks for, so a device that differs (or changes) neither
  // skips nor repeats audio; blocks beyond the allocated buffers are cut and
  // reported once.
  void SetBlockFrames(uint32_t frames);
  int SetEffectsChains(EffectChainArray* chains);
  int SetEnabled(int flag);
  // Helper threads that render tracks side by side (0: the calling thread
  // renders them all). A project list starts with one fewer than the cores.
  void SetMixThreads(unsigned threads);
  unsigned GetMixThreads() const;
  // While tracks are rendered side by side, the tracks' effects run their
  // channel workers on the rendering threads (true, the default: the fastest
  // by measurement) or beside them on the effects library's crew; the master
  // chain, run after them, then runs its channels on the player thread or on
  // the crew. The mix is the same either way.
  void SetEffectWorkersOnMixThreads(bool onMixThreads) { workersOnMixThreads_ = onMixThreads; }
  // The processors' settings for every snippet that starts playing.
  void SetTempoPitchSettings(const TempoPitchSettings& settings);
  const TempoPitchSettings& GetTempoPitchSettings() const { return settings_; }

  // Makes ready, on the calling (user-interface) thread, a tempo/pitch
  // processor for every snippet that can sound at once anywhere in the
  // project, at the current tempo, pitches, block size and settings, so that
  // the mixer and the single-track renders never make one: snippets that
  // begin to sound take one from here and give it back when they stop.
  // Stops every running processor first. Call it while nothing plays, before
  // each start of playback (project play, a single-track or one-snippet
  // render) and after anything that changes what may play (a load, an edit,
  // a new tempo, pitch or block size); it only makes what is missing, so a
  // repeated call costs little. 1 done, 0 not a project list, 3 memory failed
  // (reported; playback then makes what it lacks as it goes).
  int PreparePlayback();
  // The project's ready processors; nullptr for snapshot and view lists.
  const std::shared_ptr<CTempoPitchPool>& GetTempoPitchPool() const { return pool_; }

  // Mixes frames stereo frames from position into out. 1 mixed, 0 not
  // playing (out untouched), 3 fault.
  int MixAllTracks(int16_t* out, uint32_t position, uint32_t frames);
  int ResetPlayback();
  // One track alone, without gains or effects.
  int RenderTrack(int index, int16_t* out, uint32_t position, uint32_t frames);
  // The selected snippets of one Extended Audio track; 0 for a Loop Based track.
  int RenderTrackSelected(int index, int16_t* out, uint32_t position, uint32_t frames);
  // One snippet through its track's gains and chain, the master chain and the master gains.
  int RenderSnippetWithEffects(int index, uint32_t snippetIdentifier, int16_t* out, uint32_t position,
                               uint32_t frames);

  // Re-times every snippet for a new project tempo and moves the view's end
  // by the project's change of length: 0. When a snippet would then end past
  // lastEnd nothing changes: kTempoPastLastEnd.
  static constexpr int kTempoPastLastEnd = 2;
  int SetTempo(float projectTempo, uint32_t lastEnd = 0xFFFFFFFF);
  void SetTailSeconds(uint32_t seconds);
  // Empties the project for a new one.
  int Reset();

  int SetTrackType(int index, int32_t type);
  int32_t GetTrackType(int index) const;
  int SetTrackGains(int index, float left, float right);
  int GetTrackGains(int index, float* left, float* right) const;
  int SetTrackColors(int index, const TrackColorSet& colors);
  int GetTrackColors(int index, TrackColorSet* colors) const;
  int SetTrackRect(int index, int32_t left, int32_t top, int32_t right, int32_t bottom);
  void SelectTrack(int index);
  int GetSelectedTrackIndex() const;
  // The track holding the snippet, -1 when none does.
  int FindTrackOfSnippet(uint32_t snippetIdentifier) const;
  int FindSnippet(int index, uint32_t snippetIdentifier, std::shared_ptr<CAudioSnippet>* out) const;
  int HitTestSnippet(int32_t x, int32_t y, std::shared_ptr<CAudioSnippet>* out) const;
  int AddSnippetToTrack(std::shared_ptr<CAudioSnippet> snippet, int index);
  // AddSnippetToTrack for each in turn, in one pass.
  int AddSnippetsToTrack(const std::vector<std::shared_ptr<CAudioSnippet>>& snippets, int index);
  int RemoveSnippet(int index, uint32_t snippetIdentifier);
  int RemoveAllSnippetNodes();

  int DeselectAllSnippets();
  int DeselectSnippetsExceptTrack(int index);
  int SelectAllSnippetsOfTrack(int index);
  int SetSelectionAnchor(int index, uint32_t snippetIdentifier);
  int SelectSnippet(int index, uint32_t snippetIdentifier);
  int DeselectUnselectedTracks();
  // Of the selected track.
  int GetSelectionMoveLimits(uint32_t* lowest, uint32_t* highest, uint32_t* firstStart, uint32_t* lastEnd);
  int MoveSelectedTo(uint32_t frame);
  int MoveMatchingTo(const CAudioTrackList* other, uint32_t frame);
  int MoveAllTo(uint32_t frame);
  // Moves each track's snippets so that its first starts where the same
  // track of other starts.
  int AlignTracksTo(const CAudioTrackList* other);

  // The selected track's selected snippets into other's track of the same
  // index: the same objects, or plain copies.
  int ShareSelectedInto(CAudioTrackList* other) const;
  int CopySelectedInto(CAudioTrackList* other) const;
  // Every track, or one, into other, sharing the snippets.
  int CopyInto(CAudioTrackList* other) const;
  int CopyTrackInto(int index, CAudioTrackList* other) const;
  // One track into other as plain copies that stay where they are when the
  // project's snippets move (what a record of a shift needs).
  int CopyTrackPlainInto(int index, CAudioTrackList* other) const;
  int RemoveSnippetsOf(const CAudioTrackList* other);
  int MergeFrom(const CAudioTrackList* other);
  // Undo of clearing tracks: each track that other also has is emptied and
  // its effect chain parked in other, which keeps it until it is reattached
  // (and deletes it with itself).
  int DetachTracksFor(CAudioTrackList* other);
  int ReattachTracksFrom(CAudioTrackList* other);

  int UpdateSoloState();
  int CountArmedTracks() const;
  int ToggleArm(int index);
  int ToggleMute(int index);
  int ToggleSolo(int index);

  // The smallest first start of the tracks, an empty track counting as 0.
  uint32_t GetFirstStart() const;
  uint32_t GetLastEnd() const;
  // The smallest snippet start of all tracks; 0 when there is none.
  uint32_t GetFirstSnippetStart() const;
  int RecomputeProjectEnd();
  int RecomputeTrackExtent(int index);
  uint32_t GetTrackLength(int index) const;
  int HasStereoSnippet() const;
  bool IsLoopInUse(uint32_t loopIdentifier) const;
  // Selected snippets of the selected track.
  uint16_t CountSelectedSnippets() const;
  int GetTrackHistory(int index, int slot, uint32_t frame, int16_t* destination, uint32_t frames) const;

  platform::CCriticalSection& GetLock() { return lock_; }
  int GetListMode() const { return listMode_; }
  int16_t* GetMixBlock() const { return static_cast<int16_t*>(mixBlock_.Data()); }
  uint32_t GetMixBlockFrames() const { return mixFrames_; }
  CZelmo* MasterChain() const;
  // The chain parked for the track index, if any.
  CZelmo* ParkedChain(int index) const;

  uint32_t tailSeconds = 5;
  uint32_t tailFrames = 5 * kFramesPerSecond;
  std::atomic<int32_t> bypass{0};   // no chain runs or adds latency while set
  std::atomic<int32_t> playing{0};  // the mixer produces nothing while clear
  uint32_t viewStart = 0, viewEnd = 0, viewWidth = 0;  // the Track View's window, frames
  uint32_t projectEnd = 0;  // the largest snippet end
  float tempo = 120.0f;
  std::atomic<float> globalPitch{0.0f};  // semitones
  std::atomic<float> masterLeftGain{1.0f};
  std::atomic<float> masterRightGain{1.0f};
  std::atomic<int32_t> soloActive{0};
  int32_t beatsPerBarChoice = 0;  // 1 three beats to the bar, else four
  int32_t timeDisplay = 2;        // TimeDisplayMode

 private:
  // The track of an index, reporting line when there is none.
  CAudioTrack* TrackAt(int index, int line) const;
  CAudioTrack* SelectedTrack() const;
  // other's track of the index, made (in snapshot mode) when missing.
  static CAudioTrack* TrackFor(CAudioTrackList* other, int index, int line);
  // The selected track's selected snippets into other (shared or as plain
  // copies); lines for a missing other list, track and memory.
  int SelectedInto(CAudioTrackList* other, bool plainCopies, const int lines[3]) const;
  int TrackInto(int index, CAudioTrackList* other, bool plainCopies) const;
  // The track of a single-track render, after checking the out block and the
  // mix block; lines for a missing out block, mix block and track.
  CAudioTrack* RenderTarget(const int16_t* out, int index, const int lines[3]) const;
  int RenderAlone(CAudioTrack& track, int16_t* out, uint32_t position, uint32_t frames, bool selectedOnly);
  // Mix block frames that fit; a larger request is cut and reported once.
  uint32_t FitMix(uint32_t frames);
  // A device block that fits beside the chains' read-ahead; cut and reported once.
  uint32_t FitBlock(uint32_t frames);
  void FollowDeviceBlock(uint32_t frames, CZelmo* master);
  struct MixJob {
    CAudioTrackList* list;
    uint32_t position, frames;
    int32_t soloActive, bypass;
    bool workersHere;  // the tracks' effects run their channels on the rendering thread
  };
  static void RenderTrackForMix(void* context, size_t index);
  void WriteOutput(int16_t* out, uint32_t frames) const;

  std::shared_ptr<CTempoPitchPool> pool_;  // before the tracks: outlives their snippet lists
  std::vector<std::unique_ptr<CAudioTrack>> tracks_;
  size_t iterator_ = 0;
  int iteratorFirst_ = 0;
  int iteratorLast_ = kProjectTracks;
  platform::CPageBuffer mixBlock_;
  uint32_t mixFrames_ = 0;
  EffectChainArray* chains_ = nullptr;
  std::array<std::unique_ptr<CZelmo>, kProjectTracks> parked_;
  mutable platform::CCriticalSection lock_;
  int listMode_;
  uint32_t blockFrames_ = 32768;
  TempoPitchSettings settings_;
  bool overflowReported_ = false;
  std::vector<CAudioTrack*> mixOrder_;  // loop tracks, then extended tracks, by index
  std::unique_ptr<CMixWorkers> workers_;
  bool workersOnMixThreads_ = true;
};
