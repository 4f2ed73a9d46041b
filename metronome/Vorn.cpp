#include "Vorn.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "File.h"
#include "Folders.h"
#include "ReportErrorDll.h"

namespace {

// Fault codes of this library's reports.
constexpr int kLineMetroMissing = 197;
constexpr int kLineBassMissing = 211;
constexpr int kLineSnareMissing = 225;
constexpr int kLineHiHatMissing = 239;
constexpr int kLineZeroInterval = 462;

// Level 10 plays a click as recorded; each step is about 1 dB; 54 and up are silent.
constexpr float kGainTable[CVorn::kLevels] = {
    3.16f, 2.81f, 2.51f, 2.24f, 1.99f, 1.77f, 1.58f, 1.41f, 1.26f, 1.12f, 1.0f,  0.89f, 0.79f,
    0.7f,  0.62f, 0.56f, 0.5f,  0.44f, 0.39f, 0.35f, 0.31f, 0.28f, 0.25f, 0.22f, 0.19f, 0.17f,
    0.16f, 0.13f, 0.12f, 0.11f, 0.1f,  0.09f, 0.08f, 0.07f, 0.06f, 0.05f, 0.05f, 0.04f, 0.04f,
    0.03f, 0.03f, 0.03f, 0.02f, 0.02f, 0.02f, 0.02f, 0.02f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f,
    0.01f, 0.01f, 0.0f,  0.0f,  0.0f,  0.0f,  0.0f,  0.0f,  0.0f};

// Adds count click samples scaled by gain, saturating at +-32000 (the metronome
// keeps a little headroom below the mixer's +-32767).
void MixClick(int16_t* out, const int16_t* click, uint32_t count, float gain) {
  constexpr float limit = CVorn::kClipLimit;
  for (uint32_t i = 0; i < count; ++i) {
    float sum = gain * static_cast<float>(click[i]) + static_cast<float>(out[i]);
    sum = std::clamp(sum, -limit, limit);
    out[i] = static_cast<int16_t>(sum);
  }
}

}  // namespace

CVorn::CVorn() {
  parameters = Vorn_Parameters{1, 1, 0, 1, 100.0f, 10};
  std::memcpy(gainTable_, kGainTable, sizeof gainTable_);
  // A metronome with a sound missing is not a metronome: any missing file keeps it silent.
  bool missing = !LoadSample("metro.dat", kLineMetroMissing, slots_[kMetro]);
  missing = !LoadSample("bass.dat", kLineBassMissing, slots_[kBass]) || missing;
  missing = !LoadSample("snare.dat", kLineSnareMissing, slots_[kSnare]) || missing;
  missing = !LoadSample("hihat.dat", kLineHiHatMissing, slots_[kHiHat]) || missing;
  samplesMissing_ = missing ? 1 : 0;
  if (missing) parameters.on = 0;
  CalculateBytesPerBeat();
  ResetMetronome();
}

bool CVorn::LoadSample(const char* name, int line, int16_t* slot) {
  std::fill_n(slot, kClickSamples, int16_t{0});
  const std::string path = platform::ProgramFolder() + "/" + name;
  std::vector<uint8_t> bytes;
  // A read error, or a folder, FIFO or device of that name, counts as missing too.
  if (!platform::ReadRegularFile(path, kClickBytes, &bytes)) {
    const std::string message = "Cannot read the metronome sound " + path;
    ReportErrorDll(__FILE__, line, message.c_str());
    return false;
  }
  // Little-endian samples; a short file leaves the rest of the click silent.
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    slot[i / 2] = static_cast<int16_t>(static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return true;
}

void CVorn::GetParameters(Vorn_Parameters* out) const {
  if (!out) {
    ReportErrorDll(__FILE__, __LINE__, "");
    return;
  }
  *out = parameters;
}

void CVorn::SetParameters(const Vorn_Parameters* in) {
  if (!in) {
    ReportErrorDll(__FILE__, __LINE__, "");
    return;
  }
  parameters = *in;
}

void CVorn::SetBPM(float bpm) {
  parameters.bpm = bpm;
  CalculateBytesPerBeat();
}

void CVorn::CalculateBytesPerBeat() {
  const float bpm = parameters.bpm;
  if (!(bpm > 0.0f)) {  // also NaN: a tempo read from a file is not trusted
    bytesPerBeat_ = kBytesPerBeatAtZeroBpm;
    return;
  }
  const float bytes = std::trunc(60.0f / bpm * static_cast<float>(kBytesPerSecond));
  // Whole frames, at least one; absurdly slow tempos stop at the largest stream position.
  constexpr float kTwoTo32 = 4294967296.0f;
  const uint32_t clamped = bytes >= kTwoTo32 ? 0xFFFFFFFCu : static_cast<uint32_t>(bytes);
  bytesPerBeat_ = std::max(clamped & ~3u, 4u);
}

void CVorn::ResetMetronome() {
  beatCounter_ = 0;
  beatCounterSynced_ = false;
  pendingClickTail_ = 0;
  pendingDrumTail_ = 0;
  pendingHiHatTail_ = 0;
}

void CVorn::SetSizeMixBuffer(uint32_t bytes) { mixBlockBytes_ = bytes; }

void CVorn::Process(int16_t* block, uint32_t position) {
  if (!block) return;
  if (parameters.clickOnly) {
    pendingClickTail_ = InternalMixMetronome(block, position, slots_[kMetro], slots_[kMetro], bytesPerBeat_,
                                             pendingClickTail_, 1);
    return;
  }
  pendingDrumTail_ =
      InternalMixMetronome(block, position, slots_[kBass], slots_[kSnare], bytesPerBeat_, pendingDrumTail_, 1);
  pendingHiHatTail_ =
      InternalMixMetronome(block, position, slots_[kHiHat], nullptr, bytesPerBeat_ / 2, pendingHiHatTail_, 0);
}

void CVorn::ChooseBeatSound(const int16_t* onSlot, const int16_t* offSlot, int patterned, const int16_t** slot,
                            float* factor) const {
  *slot = onSlot;
  *factor = 1.0f;
  if (!patterned) return;
  const int32_t pattern = parameters.pattern == 1 || parameters.pattern == 2 ? parameters.pattern : 0;
  const uint32_t beat = beatCounter_;
  if (pattern == 2) {
    *slot = beat % 3 == 0 ? onSlot : offSlot;
  } else {
    *slot = beat % 2 == 0 ? onSlot : offSlot;
  }
  const bool accented = (pattern == 1 && beat % 4 == 0) || (pattern == 2 && beat % 3 == 0);
  if (parameters.accent && accented) *factor = 2.0f;
}

uint32_t CVorn::InternalMixMetronome(int16_t* block, uint32_t position, const int16_t* onSlot,
                                     const int16_t* offSlot, uint32_t interval, uint32_t pendingTail,
                                     int patterned) {
  if (!parameters.on || samplesMissing_ || !block) return 0;
  if (interval == 0) {
    ReportErrorDll(__FILE__, kLineZeroInterval, "Divide by Zero Error");
    return 0;
  }
  const float gain = gainTable_[std::clamp(parameters.level, 0, kLevels - 1)];
  const uint64_t blockBytes = mixBlockBytes_;
  const uint32_t blockSamples = mixBlockBytes_ / 2;

  // The first block after a reset names the beat that comes next, so that accents
  // and drums follow the bars of the project wherever recording starts; a block
  // that starts on a beat begins with that beat.
  if (patterned && !beatCounterSynced_) {
    beatCounter_ = static_cast<uint32_t>((uint64_t{position} + interval - 1) / interval);
    beatCounterSynced_ = true;
  }

  const int16_t* slot = nullptr;
  float factor = 1.0f;
  uint32_t tailSamples = std::min(pendingTail / 2 + pendingTail % 2, kClickSamples);
  if (tailSamples > 0) {
    ChooseBeatSound(onSlot, offSlot, patterned, &slot, &factor);
    const uint32_t count = std::min(tailSamples, blockSamples);
    if (slot) MixClick(block, slot + (kClickSamples - tailSamples), count, factor * gain);
    tailSamples -= count;  // a block shorter than the tail carries the rest again
    if (tailSamples == 0 && patterned) ++beatCounter_;
  }

  // Beats at multiples of interval within [position, position + block size).
  const uint64_t start = position;
  for (uint64_t beat = (start + interval - 1) / interval * interval; beat < start + blockBytes; beat += interval) {
    if (tailSamples > 0) {
      // Only at tempos far beyond any project's: the sounding click is cut here but still counts.
      tailSamples = 0;
      if (patterned) ++beatCounter_;
    }
    ChooseBeatSound(onSlot, offSlot, patterned, &slot, &factor);
    const uint32_t first = static_cast<uint32_t>((beat - start) / 2);
    const uint32_t count = std::min(kClickSamples, blockSamples - first);
    if (slot) MixClick(block + first, slot, count, factor * gain);
    if (count < kClickSamples) {
      tailSamples = kClickSamples - count;
    } else if (patterned) {
      ++beatCounter_;
    }
  }
  return tailSamples * 2;
}
