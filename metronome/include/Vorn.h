// The Vorn library: the metronome that is mixed into what the player sends
// out while the project records.
//
// What it owns: four click sounds of 4096 16-bit samples each (2048 stereo
// frames, read once from "metro.dat", "bass.dat", "snare.dat" and "hihat.dat"
// in the program folder), a table of 61 volume levels, and the beat grid of
// the current tempo. It adds a click at every beat that falls inside the block
// it is given: the same click on every beat, or drums (bass and snare on the
// beats, a hi-hat on every half beat) with an optional accent on the first beat
// of a bar. A click that does not fit into a block finishes in the next one.
//
// Threads: the user-interface thread constructs it, edits `parameters` in
// place and sets the tempo, only while nothing plays (the commands that do so
// are refused during playback); the player thread calls Process after each
// mixed block. There is no lock and no thread inside.
//
// The audio path (Process) never allocates, never does I/O and never blocks;
// the sample files are read in the constructor only.
#pragma once

#include <cstdint>

// The metronome's settings, stored by the program in its configuration and
// projects; plain, 24 bytes, in this order.
struct Vorn_Parameters {
  int32_t on;         // 0: nothing is mixed
  int32_t pattern;    // 1: accent every 4th beat, bass/snare alternating; 2: accent and bass
                      // every 3rd beat; 0 (or anything else): no accent, alternating
  int32_t clickOnly;  // nonzero: "metro.dat" on every beat; 0: drums
  int32_t accent;     // nonzero: accented beats at double gain
  float bpm;          // beats per minute
  int32_t level;      // 0..60 into the gain table; 10 is the recorded amplitude, each step about -1 dB
};
static_assert(sizeof(Vorn_Parameters) == 24, "Vorn_Parameters is a stored record");

class CVorn {
 public:
  static constexpr uint32_t kClickSamples = 4096;   // 2048 interleaved stereo frames
  static constexpr uint32_t kClickBytes = 8192;
  static constexpr int32_t kLevels = 61;
  static constexpr uint32_t kBytesPerSecond = 176400;  // 44100 stereo 16-bit frames
  static constexpr uint32_t kBytesPerBeatAtZeroBpm = 105840;  // 100 BPM
  static constexpr int16_t kClipLimit = 32000;

  // Reads the four sample files from the program folder; each file that cannot
  // be read is reported and leaves its sound silent, and then nothing is mixed.
  CVorn();
  CVorn(const CVorn&) = default;
  CVorn& operator=(const CVorn&) = default;

  // Edited in place by the program (configuration, projects, metronome dialog).
  Vorn_Parameters parameters;

  void GetParameters(Vorn_Parameters* out) const;
  void SetParameters(const Vorn_Parameters* in);

  // bpm = value, then CalculateBytesPerBeat.
  void SetBPM(float bpm);
  // Beat length in bytes of the stereo stream from parameters.bpm: trunc(60 / bpm x 176400)
  // rounded down to whole frames; 0, negative or NaN tempos count as 0 BPM (105840).
  void CalculateBytesPerBeat();
  // Clears the beat counter and the pending clicks; the counter restarts from
  // the position of the next block mixed.
  void ResetMetronome();
  // The size in bytes of every block later given to Process (0 until set: nothing is mixed).
  void SetSizeMixBuffer(uint32_t bytes);

  // Mixes the clicks into one block of interleaved 16-bit stereo of the size set
  // with SetSizeMixBuffer; position is the stream position of the block's first
  // byte (frames x 4), counted from the start of the project.
  void Process(int16_t* block, uint32_t position);

  // Mixes one click stream into the block: a click at every multiple of interval
  // (bytes), finishing first the pendingTail bytes of the click that did not fit
  // into the previous block. A patterned stream takes onSlot or offSlot and the
  // accent from the beat counter and advances it; an unpatterned one always takes
  // onSlot. Slots hold kClickSamples samples; a null slot mixes nothing.
  // Returns the bytes of the last click still to be mixed into the next block.
  uint32_t InternalMixMetronome(int16_t* block, uint32_t position, const int16_t* onSlot, const int16_t* offSlot,
                                uint32_t interval, uint32_t pendingTail, int patterned);

  uint32_t GetBytesPerBeat() const { return bytesPerBeat_; }
  bool SamplesMissing() const { return samplesMissing_ != 0; }

 private:
  enum Slot { kMetro, kBass, kSnare, kHiHat, kSlots };

  bool LoadSample(const char* name, int line, int16_t* slot);
  void ChooseBeatSound(const int16_t* onSlot, const int16_t* offSlot, int patterned, const int16_t** slot,
                       float* factor) const;

  int32_t samplesMissing_ = 0;
  float gainTable_[kLevels];
  uint32_t bytesPerBeat_ = kBytesPerBeatAtZeroBpm;
  // Bytes of a click still to be mixed at the start of the next block: the click
  // stream (click only) or the bass/snare stream, and the hi-hat stream.
  uint32_t pendingClickTail_ = 0;
  uint32_t pendingDrumTail_ = 0;
  uint32_t pendingHiHatTail_ = 0;
  int16_t slots_[kSlots][kClickSamples];
  uint32_t beatCounter_ = 0;  // the beat whose click is pending or comes next
  bool beatCounterSynced_ = false;
  uint32_t mixBlockBytes_ = 0;
};
