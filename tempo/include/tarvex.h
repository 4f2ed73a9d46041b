// Tarvex: tempo, pitch and rate processing of an interleaved 16-bit stream.
//
// What it owns: one CTarvex per stream (a playing snippet, a tempo/pitch edit,
// the import's rate converter), with three sample stores (input, rate, tempo),
// the splice work areas and the cross-fade ramps, all page-allocated by Init.
// Each call runs two stages: a linear-interpolation rate stage (length and
// pitch change together), then a tempo stage that cuts the rate stage's output
// into fixed windows and splices each one at a best-fit point with a linear
// cross-fade (length changes, pitch stays). All factors are length factors:
// tempo 2 makes the audio twice as long, rate 2 doubles the frame count, pitch
// 0.5 sounds an octave higher.
//
// Threads: none inside and no lock. An object serves one stream on one thread
// at a time; the caller serialises. Snippets run theirs on the player thread.
//
// On the audio thread: once the stores have grown to the caller's block size
// (the first calls of a stream), ProcessAudio and GetMinSamplesNeededForOutput
// allocate nothing. Faults go to ReportErrorDll (title "tarvex"), which never
// blocks a thread other than the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>

class CTarvex {
 public:
  CTarvex();
  ~CTarvex();
  // A copy would share the page-allocated arrays and free them twice.
  CTarvex(const CTarvex&) = delete;
  CTarvex& operator=(const CTarvex&) = delete;

  void SetSizeOutputBufferSample(uint32_t frames);
  void SetChannels(int16_t count);
  void SetFrequency(uint32_t hz);

  void SetTempo(float factor);
  void SetRate(float factor);
  // The rate that turns frames of fromHz into frames of toHz, kept exact: a
  // float's rounding would shift an hour of converted audio by frames.
  void SetRateRatio(uint32_t toHz, uint32_t fromHz);
  void SetPitch(float factor);
  // +12 semitones halves the pitch factor (an octave up).
  void SetPitchViaSemitones(float semitones);
  float GetTempo() const { return tempo_; }
  float GetRate() const { return rate_; }
  float GetPitch() const { return pitch_; }

  void SetBestFitShave(float fraction) { bestFitShave = fraction; }
  float GetBestFitShave() const { return bestFitShave; }
  void SetBestFitSkip(uint32_t frames) { bestFitSkip = frames; }
  uint32_t GetBestFitSkip() const { return bestFitSkip; }
  void SetBestFitCorrLimit(float limit) { bestFitCorrLimit = limit; }
  // Truncated to a whole number, as callers have always read it.
  uint32_t GetBestFitCorrLimit() const;

  // Derives the sizes from the frequency and allocates the arrays for the
  // current channel count and output block. Returns 0 whether or not it
  // succeeded; after a failure the stages report and produce nothing. A second
  // call releases the first call's arrays.
  unsigned Init();
  // Empties the stores for a new stream; the arrays and the carry stay.
  unsigned Reset();
  // Reset, and the carry too: the next stream comes out as from a processor
  // fresh from Init, without allocating (a reused processor sounds like a new one).
  unsigned Restart();

  // Appends inFrames frames of in, runs both stages and writes at most
  // outCapacity frames to out; *produced tells how many. in and out may be
  // the same buffer (the input is taken before anything is written). Returns
  // 1, or 0 when in is null or Init did not succeed.
  unsigned ProcessAudio(const int16_t* in, uint32_t inFrames, int16_t* out, uint32_t outCapacity,
                        uint32_t* produced);
  // The same with room for one output block (outputBlockFrames).
  unsigned ProcessAudio(const int16_t* in, uint32_t inFrames, int16_t* out, uint32_t* produced);
  // Input frames still needed before one output block can be delivered.
  uint32_t GetMinSamplesNeededForOutput();
  // Drains the stores at the end of a stream; call until fewer than capacity
  // frames come back.
  unsigned FlushStorage(int16_t* out, uint32_t capacity, uint32_t* produced);

  // Written directly by the program (quality presets, channel count, block).
  float bestFitShave = 0.0f;      // fraction of half the overlap left out at each end
  uint32_t bestFitSkip = 1;       // comparison stride in frames; 0 counts as 1
  float bestFitCorrLimit = 0.0f;  // early stop, in 1/65536 of full scale per sample
  int16_t channels = 2;           // 1 or 2
  uint32_t outputBlockFrames = 0x8000;

 private:
  friend struct TarvexProbe;  // tests read the derived sizes and stores
  struct Pages;                   // the page-allocated memory behind the arrays

  // A store of interleaved frames. Frames before start have been removed; they
  // are squeezed out only when an append needs the room, so removing a window
  // costs nothing.
  struct Store {
    int16_t* data = nullptr;
    uint32_t capacity = 0;  // frames
    uint32_t count = 0;     // frames held
    uint32_t start = 0;     // frames removed but not yet squeezed out
  };
  enum StoreId : unsigned { kInputStore = 1, kRateStore = 2, kTempoStore = 3 };

  void CalculateRateAndTempoForPitch();
  uint32_t MonoInterpolator(float rate, const int16_t* in, uint32_t inFrames, int16_t* out, uint32_t maxOut,
                            uint32_t* consumed);
  uint32_t StereoInterpolator(float rate, const int16_t* in, uint32_t inFrames, int16_t* out, uint32_t maxOut,
                              uint32_t* consumed);
  template <int C>
  uint32_t Interpolate(float rate, const int16_t* in, uint32_t inFrames, int16_t* out, uint32_t maxOut,
                       uint32_t* consumed, int16_t* const (&heldState)[C]);
  void PerformRateChange(float rate, float tempo);
  void PerformTempoChange(float tempo, int16_t* out, uint32_t capacity, uint32_t* produced);
  void PerformSingleMend(int64_t length, uint32_t* produced);
  void PerformMultiMend(int64_t length, uint32_t* produced);
  uint32_t GetBestFitIndexMono(const int16_t* p);
  uint32_t GetBestFitIndexStereo(const int16_t* p);
  // The search both share: sample offsets shave <= k < end, one group of
  // `channels` samples every skip frames; stops once the best sum is at or
  // below (mono) or below (stereo) the threshold.
  uint32_t SearchBestFit(const int16_t* p, size_t shave, size_t end, size_t skip, int64_t threshold,
                         bool stopAtOrBelow);
  uint32_t SearchDecimated(const int16_t* p, size_t shave, size_t end, size_t skip, int64_t threshold,
                           bool stopAtOrBelow);
  uint32_t GetMinTempoSamplesNeededForOutput(float tempo);
  void CalcMinOutputPossibleSingleMend(int64_t length, int64_t* out) const;
  bool VerifyEnoughBufferSpace(unsigned store, uint64_t frames);
  void RemoveSamplesFromBuffer(unsigned store, uint64_t frames);

  Store* StoreById(unsigned store);
  int16_t* Front(const Store& s) const { return s.data + static_cast<size_t>(s.start) * channelsAtInit_; }
  int16_t* Back(const Store& s) const {
    return s.data + static_cast<size_t>(s.start + s.count) * channelsAtInit_;
  }
  // Appends the cross-fade of a (fading out) into the overlap buffer (fading in).
  void AppendCrossFade(int16_t* dst, const int16_t* a) const;
  void ReleaseArrays();
  uint32_t MoveFromStore(Store& s, int16_t* out, uint32_t room, int missingStoreLine, int missingOutLine);

  float tempo_ = 1.0f;
  float pitch_ = 1.0f;
  float rate_ = 1.0f;
  float lastTempoQuery_ = 1.0f;
  float effectiveTempo_ = 1.0f;  // tempo / pitch: what the tempo stage applies
  float effectiveRate_ = 1.0f;   // rate * pitch: what the rate stage applies
  double exactRate_ = 1.0;       // the rate as given, before a float rounds it
  double exactEffectiveRate_ = 1.0;
  uint32_t frequency_ = 44100;

  Store input_, rateStore_, tempoStore_;
  uint32_t singleMendMinimum_ = 0;   // shortest window output that is spliced
  uint32_t multiMendThreshold_ = 0;  // longer window outputs splice repeatedly
  float carry_ = 0.0f;               // frames produced minus frames wanted so far

  int16_t* overlapBuffer_ = nullptr;    // the segment that fades in at a splice
  int16_t* savedHalfWindow_ = nullptr;  // kept while windows are skipped
  int skipping_ = 0;
  uint16_t* fadeOut_ = nullptr;
  uint16_t* fadeIn_ = nullptr;
  int16_t* searchScratch_ = nullptr;  // decimated copies for searches that skip frames

  int16_t windowMs_ = 82, seekMs_ = 14, overlapMs_ = 12;
  uint32_t windowFrames_ = 0, seekFrames_ = 0, overlapFrames_ = 0;
  int32_t halfSeekRounded_ = 0;
  uint32_t halfOverlapRounded_ = 0;
  uint32_t overlapSamplesStereo_ = 0;
  int32_t halfWindowFrames_ = 0;
  float halfSeek_ = 0.0f, halfOverlap_ = 0.0f;

  int16_t lastMono_ = 0, lastLeft_ = 0, lastRight_ = 0;  // the interpolator's held frame
  int interpolatorFirst_ = 1;
  double interpolatorPhase_ = 0.0;  // 0 <= phase < 1 between calls

  int16_t channelsAtInit_ = 0;  // the arrays are laid out for this many channels
  std::unique_ptr<Pages> pages_;
};
