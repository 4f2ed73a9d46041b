// Zelmo: the real-time effect chains.
//
// What it owns: each CZelmo is one chain of effects (echo, reverb, chorus,
// flange, ten-band equalizer, level envelope) that processes a block of
// interleaved 16-bit PCM in place. The chain owns its effects; an effect owns
// its work buffers and its histories. Buffers handed in stay the caller's.
//
// Threads: the player thread runs ProcessAudio, GetMinSamplesNeededForOutput
// and Reset block by block while the user-interface thread adds, removes,
// moves and edits effects. Every call takes the chain's own recursive lock for
// its whole run, so a block is never processed half-edited. Echo, reverb,
// chorus/flange and equalizer run their second channel beside the first on an
// idle thread of a small crew the library keeps for the whole process (started
// with the first such effect), and on the calling thread when none is idle; the
// calling thread runs the first channel and waits for the second. An effect
// has no thread of its own, so making and removing one never waits for one.
//
// The audio path (ProcessAudio, GetMinSamplesNeededForOutput, Reset) never
// allocates, never waits on the user-interface thread and never blocks on a
// report: faults raised there are posted. Buffers are sized when a chain is set
// up (SetSizeMaxInputBufferSample before adding effects, or UpdateBufferSizes);
// a block that does not fit them is refused and reported once.
//
// Results: 1 done, 0 nothing done (or a fault already reported), as each call
// says. Effect numbers are the effects' places in the chain, 0 first.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

class CEffect;
class CEffectList;

// Effect codes of a chain; there is no code 5.
using ZelmoEffectType = unsigned int;
constexpr ZelmoEffectType ZelmoEcho = 1;
constexpr ZelmoEffectType ZelmoReverb = 2;
constexpr ZelmoEffectType ZelmoChorus = 3;
constexpr ZelmoEffectType ZelmoFlange = 4;
constexpr ZelmoEffectType ZelmoEqualizer = 6;
constexpr ZelmoEffectType ZelmoLevels = 7;

// Parameter records. Project files keep them at the start of fixed-size slots,
// so their layouts are part of the file format: plain floats and 32-bit ints,
// no padding. Gains are linear factors (1.0 = unity), delays in milliseconds.

struct EchoParams {
  float dryGainLeft, dryGainRight;
  float echoGainLeft, echoGainRight;
  float decayLeft, decayRight;  // fraction of the echo gain lost per tap
  float delayMsLeft, delayMsRight;
};
static_assert(sizeof(EchoParams) == 32);

struct ReverbParams {
  float dryGainLeft = 0.75f, dryGainRight = 0.75f;
  float reverbGainLeft = 0.65f, reverbGainRight = 0.65f;
  float decayLeft = 0.25f, decayRight = 0.25f;
  float delayMsLeft = 150.0f, delayMsRight = 150.0f;
  float secondDelayMsLeft = 300.0f, secondDelayMsRight = 300.0f;  // kept, not used by the sound
};
static_assert(sizeof(ReverbParams) == 40);

struct ChorusFlangeParams {
  float dryGainLeft = 0.5f, dryGainRight = 0.5f;
  float wetGainLeft = 0.5f, wetGainRight = 0.5f;
  float lfoHzLeft = 0.5f, lfoHzRight = 0.5f;
  float lfoPhaseDegLeft = 0.0f, lfoPhaseDegRight = 0.0f;
  float delayMsLeft = 3.0f, delayMsRight = 3.0f;
  float depthMsLeft = 6.0f, depthMsRight = 6.0f;  // shown as "LFO Delay"
};
static_assert(sizeof(ChorusFlangeParams) == 48);

constexpr int kEqualizerBandCount = 10;

// Ten band gains of one channel, linear (1.0 = flat).
struct EqualizerBands {
  float gains[kEqualizerBandCount];
};
static_assert(sizeof(EqualizerBands) == 40);

struct EqualizerParams {
  int32_t interpolationMode;  // 1 logarithmic between bands, otherwise linear
  EqualizerBands left;
  EqualizerBands right;
};
static_assert(sizeof(EqualizerParams) == 84);

// The equalizer's creation record (AddEffect's initData).
struct EqualizerInit {
  int32_t centreHz[kEqualizerBandCount];  // the program passes 60 ... 16000
  int32_t fftSize;                        // a power of two; the program passes 4096
};
static_assert(sizeof(EqualizerInit) == 44);

// One volume-envelope point. Project files store these back to back.
struct Zelmo_Level_Entry {
  uint32_t identifier;      // chosen by the caller
  float tempo;              // BPM when the point was made
  float gain;               // linear, 1.0 = unity
  uint32_t position;        // frames at that tempo
  uint32_t samplePosition;  // frames at the current tempo; kept by the engine
};
static_assert(sizeof(Zelmo_Level_Entry) == 20);

struct Zelmo_Levels_Parameters {
  uint32_t currentSample;  // frame of the next block
  uint32_t projectLength;  // kept, not used
  float currentTempo;      // BPM that point positions are scaled to
};
static_assert(sizeof(Zelmo_Levels_Parameters) == 12);

class CZelmo {
 public:
  CZelmo();
  ~CZelmo();
  CZelmo(const CZelmo&) = delete;
  // A copy would share the effect list and the lock with the original.
  CZelmo& operator=(const CZelmo&) = delete;

  // Set-up.
  unsigned int SetChannels(short channels);
  unsigned int SetSizeMaxInputBufferSample(uint32_t frames);
  unsigned int SetSizeOutputBufferSample(uint32_t frames);
  unsigned int UpdateBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames);
  // Stores the new effect's number in *number; returns 0 (also when nothing was added).
  unsigned int AddEffect(ZelmoEffectType type, short* number, void* initData);

  // Use.
  unsigned int ProcessAudio(short* block, uint32_t frames);
  // For a block of frames that the caller passes by without processing (all
  // effects bypassed): level envelopes move on as if it had gone through, as
  // they do when the chain or they themselves are bypassed.
  unsigned int SkipAudio(uint32_t frames);
  uint32_t GetMinSamplesNeededForOutput();
  // Before playback, on the thread that sets the chain up: backs every
  // effect's buffers with memory, so the audio thread never faults pages in.
  // Effects added to a chain that was prepared are prepared as they come.
  unsigned int PrepareForPlayback();
  unsigned int Reset();
  unsigned int SetEffectParameters(short effect, void* record);
  unsigned int GetEffectParameters(short effect, void* out);
  unsigned int SetEffectBypass(short effect, int bypass);
  int GetEffectBypass(short effect);
  unsigned int SetBypass(int bypass);
  int GetBypass();
  short GetChannels();
  short NumberOfEffects();
  unsigned int GetEffectType(short effect, unsigned int* type);
  int DoesEqualizerExistInList();
  // One enumeration cursor per chain, shared by every caller of these three.
  unsigned int InitGetAllEffects();
  unsigned int GetNextEffect(CEffect** out);
  unsigned int GetNextEffectType(unsigned int* type);
  unsigned int MoveEffectFoward(short effect);
  unsigned int MoveEffectBack(short effect);

  // Level envelopes. Channel 1 is left, 2 right; AddLevelEntry also takes 3 (both).
  unsigned int SetLevelsChannelsIndependent(short effect, int independent);
  int GetLevelsChannelsIndependent(short effect);
  unsigned int AddLevelEntry(short effect, Zelmo_Level_Entry* entry, unsigned int channel);
  unsigned int RemoveLevelEntryByNumber(short effect, unsigned int number, unsigned int channel);
  unsigned int InitGetAllLevelEntries(short effect, unsigned int channel);
  unsigned int InitGetLevelEntriesBetween(short effect, uint32_t from, uint32_t to, unsigned int channel);
  // *out points at the engine's own entry, valid until that point is removed.
  unsigned int GetNextLevelEntry(short effect, Zelmo_Level_Entry** out, unsigned int channel);
  unsigned int GetLevelEntryNumber(short effect, Zelmo_Level_Entry** out, short number, unsigned int channel);
  short GetLevelBeginPointNumber(short effect);
  short GetTotalLevelPoints(short effect, unsigned int channel);
  unsigned int CheckIfLevelPointExists(short effect, uint32_t samplePosition, unsigned int channel);
  float GetLevelVolumeAt(short effect, uint32_t samplePosition, unsigned int channel);
  // For an editor of the points while blocks play: copies of up to capacity
  // points of the channel, their frames at the current tempo; the number copied.
  short CopyLevelEntries(short effect, unsigned int channel, Zelmo_Level_Entry* out, short capacity);
  // The gain (finite, not negative) of point number (from 1) of the channel; 1 done, 0 not.
  unsigned int SetLevelEntryGain(short effect, short number, unsigned int channel, float gain);
  // These two reach every levels effect of the chain.
  unsigned int UpdateAllLevelParameters(Zelmo_Levels_Parameters* parameters);
  unsigned int SetEndAudioSample(uint32_t frame);

  // Tear-down.
  unsigned int RemoveEffect(short effect);
  unsigned int RemoveAllEffects();

 private:
  std::unique_ptr<CEffectList> list_;
  short channels_ = 0;
  int bypass_ = 0;
  bool prepared_ = false;
  std::recursive_mutex lock_;
};

// Effects created after this call run their channel workers on the calling
// thread (true) or beside it on the library's crew (false). The output is the same
// bit for bit; inline runs serve tests and single-core measurements. The
// default is threaded unless the build chose otherwise.
void ZelmoSetInlineWorkers(bool inlineWorkers);
bool ZelmoInlineWorkers();

// Chains processed on the calling thread from now on run their effects'
// channel workers on this thread (true) instead of handing them to the crew
// (false, every thread's default). A caller that already spreads
// chains over threads of its own (the mixer's helpers) saves the hand-overs;
// a chain run alone keeps its channels side by side. The output is the same
// bit for bit either way.
void ZelmoSetThreadRunsWorkers(bool runsWorkers);
bool ZelmoThreadRunsWorkers();
