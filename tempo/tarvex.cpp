#include "tarvex.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "BestFitKernels.h"
#include "PageBuffer.h"
#include "ReportErrorDll.h"

namespace {

// The report lines are the processor's fault codes.
constexpr int kLineReleaseSavedHalfWindow = 191;
constexpr int kLineReleaseInputStore = 200;
constexpr int kLineReleaseRateStore = 209;
constexpr int kLineReleaseTempoStore = 218;
constexpr int kLineReleaseOverlapBuffer = 227;
constexpr int kLineReleaseFadeOut = 236;
constexpr int kLineReleaseFadeIn = 245;
constexpr int kLinePitchZero = 275;
constexpr int kLineTempoPitchZero = 291;
constexpr int kLineAllocSavedHalfWindow = 337;
constexpr int kLineAllocInputStore = 354;
constexpr int kLineAllocRateStore = 373;
constexpr int kLineAllocTempoStore = 392;
constexpr int kLineAllocOverlapBuffer = 405;
constexpr int kLineAllocFadeOut = 415;
constexpr int kLineAllocFadeIn = 421;
constexpr int kLineOverlapZero = 426;
constexpr int kLineChannelCount = __LINE__;     // Init: neither mono nor stereo
constexpr int kLineAllocSearchScratch = __LINE__;
constexpr int kLineReleaseSearchScratch = __LINE__;
constexpr int kLineChannelsChanged = __LINE__;  // channels changed after Init
constexpr int kLineNullInput = 456;
constexpr int kLineNoInputStore = 468;
constexpr int kLineRateNoRateStore = 533;
constexpr int kLineRateNoInputStore = 538;
constexpr int kLineMonoNullIn = 577;
constexpr int kLineMonoNullOut = 582;
constexpr int kLineMonoNullConsumed = 587;
constexpr int kLineMonoRateZero = 597;
constexpr int kLineStereoNullIn = 658;
constexpr int kLineStereoNullOut = 663;
constexpr int kLineStereoNullConsumed = 668;
constexpr int kLineStereoRateZero = 678;
constexpr int kLineTempoNullOut = 748;
constexpr int kLineTempoNullProduced = 753;
constexpr int kLineTempoNoTempoStore = 772;
constexpr int kLineTempoNoRateStore = 800;
constexpr int kLineSkipNoSavedHalfWindow = 858;
constexpr int kLineSkipNoRateStore = 863;
constexpr int kLineRestoreNoSavedHalfWindow = 885;
constexpr int kLineRestoreNoRateStore = 890;
constexpr int kLineTempoMoveNoTempoStore = 949;
constexpr int kLineNeededRateZero = 977;
constexpr int kLineNeedTempoZero = 1139;
constexpr int kLineSingleNoOverlap = 1178;
constexpr int kLineSingleNoRateStore = 1183;
constexpr int kLineSingleNoTempoStore = 1207;
constexpr int kLineSingleWindowBounds = 1236;
constexpr int kLineSingleStoreBounds = 1241;
constexpr int kLineSingleNullProduced = 1249;
constexpr int kLineMinOutputNull = 1269;
constexpr int kLineMultiNullProduced = 1321;
constexpr int kLineMultiSplicesZero = 1334;
constexpr int kLineMultiNoOverlap = 1369;
constexpr int kLineMultiNoRateStore = 1374;
constexpr int kLineMultiOverlapBounds = 1401;
constexpr int kLineMultiSearchBounds = 1435;
constexpr int kLineMultiStoreBounds = 1440;
constexpr int kLineMultiReplayBounds = 1489;
constexpr int kLineGrowStore = 1738;
constexpr int kLineRemoveNoStore = 1797;
constexpr int kLineMonoNullWindow = 1847;
constexpr int kLineMonoNoOverlap = 1852;
constexpr int kLineStereoNullWindow = 1906;
constexpr int kLineStereoNoOverlap = 1911;
constexpr int kLineFlushNullProduced = 1958;
constexpr int kLineFlushNoTempoStore = 1975;
constexpr int kLineFlushTempoNullOut = 1980;
constexpr int kLineFlushNoRateStore = 2009;
constexpr int kLineFlushRateNullOut = 2014;
constexpr int kLineFlushHeldNullOut = 2032;
constexpr int kLineFlushNoInputStore = 2055;
constexpr int kLineFlushInputNullOut = 2060;

constexpr const char* kDivideByZero = "Divide By Zero Violation";

// Frames a multi mend advances per splice at 44100 Hz; fixed, whatever the frequency.
constexpr int64_t kMultiMendStep = 2470;
// Skips up to this many frames compare in decimated copies; longer ones compare
// so little that the plain strided loop is as quick.
constexpr size_t kMostDecimatedSkip = 8;
// Store sizes grow in whole steps of this many frames.
constexpr uint64_t kStoreStep = 1024;
// The need estimate stops counting here: no store could hold more.
constexpr uint64_t kNeedCeiling = std::numeric_limits<uint32_t>::max();

void Report(int line, const char* message = "") { ReportErrorDll(__FILE__, line, message); }

// Truncation toward zero, saturated instead of undefined for values no frame
// count can take.
int64_t TruncSaturated(double x) {
  constexpr double kLimit = 4.0e18;
  if (std::isnan(x)) return 0;
  if (x >= kLimit) return static_cast<int64_t>(kLimit);
  if (x <= -kLimit) return -static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(x);
}

// trunc(x + 0.5), the rounding used throughout.
int64_t RoundHalfUp(double x) { return TruncSaturated(x + 0.5); }

uint64_t RoundUpToStep(uint64_t frames) { return (frames + kStoreStep - 1) / kStoreStep * kStoreStep; }

uint32_t Clamp32(uint64_t value) {
  return static_cast<uint32_t>(std::min<uint64_t>(value, std::numeric_limits<uint32_t>::max()));
}

// The early-stop threshold of the best-fit search; -1 never stops it.
int64_t StopThreshold(float product) {
  if (!(product > -1.0f)) return -1;
  if (product >= 4.0e18f) return static_cast<int64_t>(4.0e18);
  return static_cast<int64_t>(product);
}

bool IsUsableFactor(float factor) { return factor > 0.0f && std::isfinite(factor); }

}  // namespace

struct CTarvex::Pages {
  platform::CPageBuffer savedHalfWindow, input, rate, tempo, overlap, fadeOut, fadeIn, searchScratch;

  platform::CPageBuffer* ForStore(unsigned store) {
    switch (store) {
      case kInputStore: return &input;
      case kRateStore: return &rate;
      case kTempoStore: return &tempo;
      default: return nullptr;
    }
  }
};

CTarvex::CTarvex() : pages_(std::make_unique<Pages>()) {}

CTarvex::~CTarvex() { ReleaseArrays(); }

void CTarvex::ReleaseArrays() {
  struct Entry {
    platform::CPageBuffer& pages;
    int line;
  };
  const Entry entries[] = {
      {pages_->savedHalfWindow, kLineReleaseSavedHalfWindow}, {pages_->input, kLineReleaseInputStore},
      {pages_->rate, kLineReleaseRateStore},                  {pages_->tempo, kLineReleaseTempoStore},
      {pages_->overlap, kLineReleaseOverlapBuffer},           {pages_->fadeOut, kLineReleaseFadeOut},
      {pages_->fadeIn, kLineReleaseFadeIn},                   {pages_->searchScratch, kLineReleaseSearchScratch},
  };
  for (const Entry& e : entries) {
    if (!e.pages.IsReserved()) continue;
    if (!e.pages.Decommit(0, e.pages.ReservedBytes())) Report(e.line);
    e.pages.Release();
    e.pages = platform::CPageBuffer();  // gives the address space back even when the release step failed
  }
  input_ = rateStore_ = tempoStore_ = Store();
  overlapBuffer_ = savedHalfWindow_ = nullptr;
  fadeOut_ = fadeIn_ = nullptr;
  searchScratch_ = nullptr;
}

void CTarvex::SetSizeOutputBufferSample(uint32_t frames) { outputBlockFrames = frames; }
void CTarvex::SetChannels(int16_t count) { channels = count; }
void CTarvex::SetFrequency(uint32_t hz) { frequency_ = hz; }

void CTarvex::SetTempo(float factor) {
  tempo_ = factor;
  if (pitch_ == 0.0f) {
    Report(kLineTempoPitchZero, kDivideByZero);
    effectiveTempo_ = 1.0f;
    return;
  }
  effectiveTempo_ = factor / pitch_;
  // A factor of zero or below would make the tempo stage wait for ever.
  if (!IsUsableFactor(effectiveTempo_)) {
    Report(kLineTempoPitchZero, kDivideByZero);
    effectiveTempo_ = 1.0f;
  }
}

void CTarvex::SetRate(float factor) {
  rate_ = factor;
  exactRate_ = factor;
  effectiveRate_ = factor * pitch_;
  exactEffectiveRate_ = exactRate_ * pitch_;
}

void CTarvex::SetRateRatio(uint32_t toHz, uint32_t fromHz) {
  SetRate(fromHz == 0 ? 0.0f : static_cast<float>(static_cast<double>(toHz) / fromHz));
  if (fromHz != 0) exactRate_ = static_cast<double>(toHz) / fromHz;
  exactEffectiveRate_ = exactRate_ * pitch_;
}

void CTarvex::SetPitch(float factor) {
  pitch_ = factor;
  CalculateRateAndTempoForPitch();
}

void CTarvex::SetPitchViaSemitones(float semitones) {
  pitch_ = static_cast<float>(440.0 / (std::pow(2.0, semitones / 12.0) * 440.0));
  CalculateRateAndTempoForPitch();
}

void CTarvex::CalculateRateAndTempoForPitch() {
  if (pitch_ == 0.0f) {
    Report(kLinePitchZero, kDivideByZero);
    effectiveTempo_ = 1.0f;
  } else {
    effectiveTempo_ = (1.0f / pitch_) * tempo_;
    if (!IsUsableFactor(effectiveTempo_)) {
      Report(kLinePitchZero, kDivideByZero);
      effectiveTempo_ = 1.0f;
    }
  }
  effectiveRate_ = rate_ * pitch_;
  exactEffectiveRate_ = exactRate_ * pitch_;
}

uint32_t CTarvex::GetBestFitCorrLimit() const {
  if (!(bestFitCorrLimit > 0.0f)) return 0;
  if (bestFitCorrLimit >= 4294967295.0f) return std::numeric_limits<uint32_t>::max();
  return static_cast<uint32_t>(bestFitCorrLimit);
}

unsigned CTarvex::Init() {
  ReleaseArrays();
  skipping_ = 0;
  interpolatorFirst_ = 1;
  carry_ = 0.0f;

  const float framesPerMs = static_cast<float>(frequency_) / 1000.0f;
  windowFrames_ = static_cast<uint32_t>(RoundHalfUp(windowMs_ * framesPerMs));
  seekFrames_ = static_cast<uint32_t>(RoundHalfUp(seekMs_ * framesPerMs));
  overlapFrames_ = static_cast<uint32_t>(RoundHalfUp(overlapMs_ * framesPerMs));
  halfSeek_ = seekFrames_ * 0.5f;
  halfOverlap_ = overlapFrames_ * 0.5f;
  halfWindowFrames_ = static_cast<int32_t>(windowFrames_ * 0.5f);
  halfSeekRounded_ = static_cast<int32_t>(RoundHalfUp(halfSeek_));
  halfOverlapRounded_ = static_cast<uint32_t>(RoundHalfUp(halfOverlap_));
  overlapSamplesStereo_ = 2 * overlapFrames_;
  singleMendMinimum_ = seekFrames_ + overlapFrames_;
  multiMendThreshold_ = 2 * windowFrames_ - overlapFrames_ - seekFrames_;

  if (channels != 1 && channels != 2) {
    Report(kLineChannelCount);
    channelsAtInit_ = 0;
    return 0;
  }
  channelsAtInit_ = channels;
  const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(channels);
  // An empty first block must not leave the stores without room.
  const uint64_t storeFrames = std::max<uint64_t>(kStoreStep, RoundUpToStep(2ull * outputBlockFrames));

  // Zero-sized arrays still get a page, so that only a real failure stops here.
  auto allocate = [](platform::CPageBuffer& pages, size_t bytes, int line) {
    if (pages.Allocate(std::max<size_t>(bytes, 1))) return true;
    Report(line);
    return false;
  };
  if (!allocate(pages_->savedHalfWindow, frameBytes * static_cast<size_t>(halfWindowFrames_),
                kLineAllocSavedHalfWindow)) {
    return 0;
  }
  savedHalfWindow_ = static_cast<int16_t*>(pages_->savedHalfWindow.Data());
  Store* stores[] = {&input_, &rateStore_, &tempoStore_};
  platform::CPageBuffer* storePages[] = {&pages_->input, &pages_->rate, &pages_->tempo};
  const int storeLines[] = {kLineAllocInputStore, kLineAllocRateStore, kLineAllocTempoStore};
  for (int i = 0; i < 3; ++i) {
    if (!allocate(*storePages[i], frameBytes * storeFrames, storeLines[i])) return 0;
    *stores[i] = Store();
    stores[i]->data = static_cast<int16_t*>(storePages[i]->Data());
    stores[i]->capacity = static_cast<uint32_t>(storeFrames);
  }
  if (!allocate(pages_->overlap, frameBytes * overlapFrames_, kLineAllocOverlapBuffer)) return 0;
  overlapBuffer_ = static_cast<int16_t*>(pages_->overlap.Data());
  if (!allocate(pages_->fadeOut, sizeof(uint16_t) * overlapFrames_, kLineAllocFadeOut)) return 0;
  fadeOut_ = static_cast<uint16_t*>(pages_->fadeOut.Data());
  if (!allocate(pages_->fadeIn, sizeof(uint16_t) * overlapFrames_, kLineAllocFadeIn)) return 0;
  fadeIn_ = static_cast<uint16_t*>(pages_->fadeIn.Data());
  // The decimated overlap and search range, with room for the rounding of
  // each residue class.
  const size_t scratchSamples = (seekFrames_ + 3 * static_cast<size_t>(overlapFrames_)) * channels +
                                4 * kMostDecimatedSkip * channels;
  if (!allocate(pages_->searchScratch, sizeof(int16_t) * scratchSamples, kLineAllocSearchScratch)) return 0;
  searchScratch_ = static_cast<int16_t*>(pages_->searchScratch.Data());

  if (overlapFrames_ == 0) {
    // No splice can be made at this frequency: behave as a failed set-up.
    Report(kLineOverlapZero, kDivideByZero);
    ReleaseArrays();
    return 0;
  }
  for (uint32_t i = 0; i < overlapFrames_; ++i) {
    const float x = static_cast<float>(i) / overlapFrames_;
    fadeIn_[i] = static_cast<uint16_t>(RoundHalfUp(x * 65535));
    fadeOut_[i] = static_cast<uint16_t>(RoundHalfUp((1 - x) * 65535));
  }
  return 0;
}

unsigned CTarvex::Reset() {
  input_.count = input_.start = 0;
  rateStore_.count = rateStore_.start = 0;
  tempoStore_.count = tempoStore_.start = 0;
  skipping_ = 0;
  interpolatorFirst_ = 1;
  return 0;
}

unsigned CTarvex::Restart() {
  Reset();
  carry_ = 0.0f;
  interpolatorPhase_ = 0.0;
  return 0;
}

unsigned CTarvex::ProcessAudio(const int16_t* in, uint32_t inFrames, int16_t* out, uint32_t* produced) {
  return ProcessAudio(in, inFrames, out, outputBlockFrames, produced);
}

unsigned CTarvex::ProcessAudio(const int16_t* in, uint32_t inFrames, int16_t* out, uint32_t outCapacity,
                               uint32_t* produced) {
  if (produced) *produced = 0;
  if (!in) {
    Report(kLineNullInput);
    return 0;
  }
  if (!input_.data) {
    Report(kLineNoInputStore);
    return 0;
  }
  if (channels != channelsAtInit_) {
    Report(kLineChannelsChanged);
    return 0;
  }
  if (!VerifyEnoughBufferSpace(kInputStore, inFrames)) return 0;
  // Taken before anything is written, so in and out may be one buffer.
  std::memcpy(Back(input_), in, sizeof(int16_t) * channelsAtInit_ * static_cast<size_t>(inFrames));
  input_.count += inFrames;
  PerformRateChange(effectiveRate_, effectiveTempo_);
  PerformTempoChange(effectiveTempo_, out, outCapacity, produced);
  return 1;
}

uint32_t CTarvex::GetMinSamplesNeededForOutput() {
  uint64_t needed = GetMinTempoSamplesNeededForOutput(effectiveTempo_);
  if (effectiveRate_ != 1.0f) {
    if (!IsUsableFactor(effectiveRate_)) {
      Report(kLineNeededRateZero, kDivideByZero);
      return 0;
    }
    const float frames = static_cast<uint32_t>(needed) / effectiveRate_ + 1;
    needed = static_cast<uint64_t>(std::max<int64_t>(0, TruncSaturated(frames))) + 1;
  }
  return needed > input_.count ? Clamp32(needed - input_.count) : 0;
}

uint32_t CTarvex::GetMinTempoSamplesNeededForOutput(float tempo) {
  lastTempoQuery_ = tempo;
  const uint64_t block = outputBlockFrames;
  uint64_t have = std::min<uint64_t>(tempoStore_.count, block);
  if (have == block) return 0;
  if (tempo != 1.0f && !IsUsableFactor(tempo)) {
    Report(kLineNeedTempoZero, kDivideByZero);
    tempo = 1.0f;
  }
  uint64_t need;
  if (tempo == 1.0f || windowFrames_ == 0) {
    need = block - have;
  } else {
    // Each window is counted with the least a splice can give.
    float carry = carry_;
    const float target = tempo * windowFrames_;
    uint64_t windows = 0;
    while (have < block) {
      float wanted = target - carry;
      if (wanted < 0) wanted = 0;
      const int64_t length = RoundHalfUp(wanted);
      int64_t yield = 0;
      CalcMinOutputPossibleSingleMend(length, &yield);
      if (length < singleMendMinimum_ || yield < 0) yield = 0;
      have += static_cast<uint64_t>(yield);
      carry = static_cast<float>(yield) - wanted;
      ++windows;
      if (windows * windowFrames_ >= kNeedCeiling) break;
    }
    const int64_t lookAhead = std::max<int64_t>(0, RoundHalfUp(windowFrames_ / tempo));
    need = windows * windowFrames_ + static_cast<uint64_t>(lookAhead);
  }
  return need > rateStore_.count ? Clamp32(need - rateStore_.count) : 0;
}

void CTarvex::CalcMinOutputPossibleSingleMend(int64_t length, int64_t* out) const {
  if (!out) {
    Report(kLineMinOutputNull);
    return;
  }
  *out = length - halfSeekRounded_;
}

void CTarvex::PerformRateChange(float rate, float tempo) {
  const uint64_t need = static_cast<uint64_t>(GetMinTempoSamplesNeededForOutput(tempo)) + 1;
  if (!rateStore_.data) {
    Report(kLineRateNoRateStore);
    return;
  }
  if (!input_.data) {
    Report(kLineRateNoInputStore);
    return;
  }
  // Grow only for what the held input can give, however much the estimate asks.
  const float step = IsUsableFactor(rate) ? rate : 1.0f;
  const uint64_t possible =
      rate == 1.0f ? input_.count
                   : static_cast<uint64_t>(std::min<double>((input_.count + 2.0) * step + 2.0, 4.0e18));
  const uint64_t grow = std::min(need, possible);
  VerifyEnoughBufferSpace(kRateStore, grow);
  const uint32_t room = rateStore_.capacity - rateStore_.start - rateStore_.count;
  const uint32_t most = Clamp32(std::min<uint64_t>(grow, room));
  if (rate == 1.0f) {
    const uint32_t n = std::min(most, input_.count);
    std::memcpy(Back(rateStore_), Front(input_), sizeof(int16_t) * channelsAtInit_ * static_cast<size_t>(n));
    rateStore_.count += n;
    RemoveSamplesFromBuffer(kInputStore, n);
    return;
  }
  uint32_t consumed = 0;
  const uint32_t made = channelsAtInit_ == 1
                            ? MonoInterpolator(rate, Front(input_), input_.count, Back(rateStore_), most, &consumed)
                            : StereoInterpolator(rate, Front(input_), input_.count, Back(rateStore_), most, &consumed);
  RemoveSamplesFromBuffer(kInputStore, consumed);
  rateStore_.count += made;
}

uint32_t CTarvex::MonoInterpolator(float rate, const int16_t* in, uint32_t inFrames, int16_t* out,
                                   uint32_t maxOut, uint32_t* consumed) {
  if (!in || !out || !consumed) {
    Report(!in ? kLineMonoNullIn : !out ? kLineMonoNullOut : kLineMonoNullConsumed);
    return 0;
  }
  if (!IsUsableFactor(rate)) {
    Report(kLineMonoRateZero, kDivideByZero);
    rate = 1.0f;
  }
  int16_t* held[] = {&lastMono_};
  return Interpolate<1>(rate, in, inFrames, out, maxOut, consumed, held);
}

uint32_t CTarvex::StereoInterpolator(float rate, const int16_t* in, uint32_t inFrames, int16_t* out,
                                     uint32_t maxOut, uint32_t* consumed) {
  if (!in || !out || !consumed) {
    Report(!in ? kLineStereoNullIn : !out ? kLineStereoNullOut : kLineStereoNullConsumed);
    return 0;
  }
  if (!IsUsableFactor(rate)) {
    Report(kLineStereoRateZero, kDivideByZero);
    rate = 1.0f;
  }
  int16_t* held[] = {&lastLeft_, &lastRight_};
  return Interpolate<2>(rate, in, inFrames, out, maxOut, consumed, held);
}

// Linear interpolation between the held frame and the next one. Advances owed
// from the last call are made first, so the phase is below 1 whenever a frame is
// computed and a block edge never extrapolates.
template <int C>
uint32_t CTarvex::Interpolate(float rate, const int16_t* in, uint32_t inFrames, int16_t* out, uint32_t maxOut,
                              uint32_t* consumed, int16_t* const (&heldState)[C]) {
  *consumed = 0;
  if (inFrames == 0) return 0;
  // In double, from the exact rate when it is the one in use: in float the
  // timeline would drift by frames over an hour.
  const double step = rate == effectiveRate_ ? 1.0 / exactEffectiveRate_ : 1.0 / rate;
  uint32_t read = 0;
  if (interpolatorFirst_) {
    interpolatorPhase_ = 0.0;
    for (int c = 0; c < C; ++c) *heldState[c] = in[c];
    interpolatorFirst_ = 0;
    read = 1;
  }
  double phase = interpolatorPhase_;
  int held[C];
  for (int c = 0; c < C; ++c) held[c] = *heldState[c];
  auto advance = [&] {
    while (phase >= 1.0 && read < inFrames) {
      for (int c = 0; c < C; ++c) held[c] = in[C * read + c];
      ++read;
      phase -= 1.0;
    }
  };
  advance();
  uint32_t made = 0;
  for (; made < maxOut && read < inFrames; ++made) {
    for (int c = 0; c < C; ++c) {
      const int next = in[C * read + c];
      out[C * made + c] = static_cast<int16_t>((next - held[c]) * phase + held[c]);
    }
    phase += step;
    advance();
  }
  interpolatorPhase_ = phase;
  for (int c = 0; c < C; ++c) *heldState[c] = static_cast<int16_t>(held[c]);
  *consumed = read;
  return made;
}

void CTarvex::PerformTempoChange(float tempo, int16_t* out, uint32_t capacity, uint32_t* produced) {
  if (!out) {
    Report(kLineTempoNullOut);
    return;
  }
  if (!produced) {
    Report(kLineTempoNullProduced);
    return;
  }
  *produced = 0;
  const size_t ch = static_cast<size_t>(channelsAtInit_);
  if (tempoStore_.count > 0) {
    *produced = MoveFromStore(tempoStore_, out, capacity, kLineTempoNoTempoStore, kLineTempoNullOut);
    if (*produced == capacity) return;
  }
  if (tempo == 1.0f) {
    if (!rateStore_.data) {
      Report(kLineTempoNoRateStore);
      return;
    }
    *produced += MoveFromStore(rateStore_, out + ch * *produced, capacity - *produced, kLineTempoNoRateStore,
                               kLineTempoNullOut);
    return;
  }

  const float target = tempo * windowFrames_;
  while (windowFrames_ > 0 && tempoStore_.count < capacity && rateStore_.count >= windowFrames_) {
    float wanted = target - carry_;
    if (wanted < 0) wanted = 0;
    const int64_t length = RoundHalfUp(wanted);
    uint32_t yield = 0;
    const size_t halfBytes = sizeof(int16_t) * ch * static_cast<size_t>(halfWindowFrames_);
    if (length < singleMendMinimum_) {
      // Too short to splice: the window yields nothing and its share waits in
      // the carry. The start of the first skipped window is kept so that the
      // next splice carries on from there.
      if (!skipping_) {
        if (!savedHalfWindow_) {
          Report(kLineSkipNoSavedHalfWindow);
        } else if (!rateStore_.data) {
          Report(kLineSkipNoRateStore);
        } else {
          std::memcpy(savedHalfWindow_, Front(rateStore_), halfBytes);
          skipping_ = 1;
        }
      }
    } else if (length > multiMendThreshold_) {
      PerformMultiMend(length, &yield);
    } else {
      if (skipping_) {
        if (!savedHalfWindow_) {
          Report(kLineRestoreNoSavedHalfWindow);
        } else if (!rateStore_.data) {
          Report(kLineRestoreNoRateStore);
        } else {
          std::memcpy(Front(rateStore_), savedHalfWindow_, halfBytes);
          skipping_ = 0;
        }
      }
      PerformSingleMend(length, &yield);
    }
    RemoveSamplesFromBuffer(kRateStore, std::min(rateStore_.count, windowFrames_));
    carry_ = static_cast<float>(yield) - wanted;
  }
  if (!tempoStore_.data) {
    Report(kLineTempoMoveNoTempoStore);
    return;
  }
  *produced += MoveFromStore(tempoStore_, out + ch * *produced, capacity - *produced, kLineTempoMoveNoTempoStore,
                             kLineTempoNullOut);
}

uint32_t CTarvex::MoveFromStore(Store& s, int16_t* out, uint32_t room, int missingStoreLine, int missingOutLine) {
  if (s.count == 0 || room == 0) return 0;
  if (!s.data) {
    Report(missingStoreLine);
    return 0;
  }
  if (!out) {
    Report(missingOutLine);
    return 0;
  }
  const uint32_t n = std::min(room, s.count);
  std::memmove(out, Front(s), sizeof(int16_t) * channelsAtInit_ * static_cast<size_t>(n));
  s.start += n;
  s.count -= n;
  if (s.count == 0) s.start = 0;
  return n;
}

void CTarvex::AppendCrossFade(int16_t* dst, const int16_t* a) const {
  const int16_t* b = overlapBuffer_;
  if (channelsAtInit_ == 1) {
    for (uint32_t j = 0; j < overlapFrames_; ++j) {
      dst[j] = static_cast<int16_t>((a[j] * fadeOut_[j] + b[j] * fadeIn_[j]) >> 16);
    }
    return;
  }
  for (uint32_t j = 0; j < overlapFrames_; ++j) {
    const int32_t out = fadeOut_[j];
    const int32_t in = fadeIn_[j];
    dst[2 * j] = static_cast<int16_t>((a[2 * j] * out + b[2 * j] * in) >> 16);
    dst[2 * j + 1] = static_cast<int16_t>((a[2 * j + 1] * out + b[2 * j + 1] * in) >> 16);
  }
}

// One splice: the window W keeps its start up to the best fit, fades into the
// part that begins at d, and keeps its end; the output is `length` frames plus
// the best-fit offset, less half the search range.
void CTarvex::PerformSingleMend(int64_t length, uint32_t* produced) {
  if (!produced) {
    Report(kLineSingleNullProduced);
    return;
  }
  *produced = 0;
  if (!overlapBuffer_) {
    Report(kLineSingleNoOverlap);
    return;
  }
  if (!rateStore_.data) {
    Report(kLineSingleNoRateStore);
    return;
  }
  const int64_t window = windowFrames_;
  const int64_t overlap = overlapFrames_;
  const int64_t c = RoundHalfUp(length * 0.5 - halfOverlap_ - halfSeek_);
  const int64_t d = halfSeekRounded_ + window + c - length;
  const int64_t a = length - overlap - halfSeekRounded_ - c;
  const int64_t searched = std::max<int64_t>(seekFrames_, 1) - 1;
  if (c < 0 || d < 0 || a < 0 || c + searched + overlap > window || rateStore_.count < windowFrames_) {
    Report(kLineSingleWindowBounds);
    return;
  }
  const size_t ch = static_cast<size_t>(channelsAtInit_);
  const int16_t* w = Front(rateStore_);
  std::memcpy(overlapBuffer_, w + ch * d, sizeof(int16_t) * ch * overlap);
  const int64_t e = channelsAtInit_ == 1 ? GetBestFitIndexMono(w + ch * c) : GetBestFitIndexStereo(w + ch * c);
  const int64_t total = c + e + overlap + a;
  VerifyEnoughBufferSpace(kTempoStore, static_cast<uint64_t>(total));
  if (!tempoStore_.data) {
    Report(kLineSingleNoTempoStore);
    return;
  }
  if (static_cast<int64_t>(tempoStore_.capacity) - tempoStore_.start - tempoStore_.count < total) {
    Report(kLineSingleStoreBounds);
    return;
  }
  int16_t* dst = Back(tempoStore_);
  std::memcpy(dst, w, sizeof(int16_t) * ch * (c + e));
  dst += ch * (c + e);
  AppendCrossFade(dst, w + ch * (c + e));
  dst += ch * overlap;
  std::memcpy(dst, w + ch * (d + overlap), sizeof(int16_t) * ch * a);
  tempoStore_.count += static_cast<uint32_t>(total);
  *produced = static_cast<uint32_t>(total);
}

// For windows that must grow by more than one splice can give: the material
// from W[h] on is played once more per splice, with a cross-fade at every seam,
// and a last splice lands on the window's end.
void CTarvex::PerformMultiMend(int64_t length, uint32_t* produced) {
  if (!produced) {
    Report(kLineMultiNullProduced);
    return;
  }
  *produced = 0;
  const int64_t window = windowFrames_;
  const int64_t overlap = overlapFrames_;
  const int64_t seek = seekFrames_;
  const int64_t k = (length - static_cast<int64_t>(multiMendThreshold_)) / kMultiMendStep + 2;
  if (k + 1 == 0) {
    Report(kLineMultiSplicesZero, kDivideByZero);
    return;
  }
  const float base = static_cast<float>(length) / static_cast<float>(k + 1);
  const int64_t lead = halfOverlap_ + halfSeek_ > base ? 0 : RoundHalfUp(base - halfOverlap_ - halfSeek_);
  int64_t h = windowFrames_ < base + overlapFrames_ + halfSeek_ + 0.5
                  ? 0
                  : RoundHalfUp(windowFrames_ - (base + overlapFrames_ + halfSeek_));
  if (window < overlap + seek + h) h = window - seek - overlap;
  const int64_t m = std::max<int64_t>(0, window - seek - 2 * overlap - h);
  const int64_t v = overlap + h + m;

  if (!overlapBuffer_) {
    Report(kLineMultiNoOverlap);
    return;
  }
  if (!rateStore_.data) {
    Report(kLineMultiNoRateStore);
    return;
  }
  if (h < 0 || h + overlap > window || rateStore_.count < windowFrames_) {
    Report(kLineMultiOverlapBounds);
    return;
  }
  const int64_t searched = std::max<int64_t>(seek, 1) - 1;
  if (lead + searched + overlap > window || v + searched + overlap > window) {
    Report(kLineMultiSearchBounds);
    return;
  }
  if (overlap + h + m > window) {
    Report(kLineMultiReplayBounds);
    return;
  }
  const int64_t reserve = (seek + overlap + m) * (k + 1) + window + seek + lead;
  VerifyEnoughBufferSpace(kTempoStore, static_cast<uint64_t>(reserve));
  if (!tempoStore_.data ||
      static_cast<int64_t>(tempoStore_.capacity) - tempoStore_.start - tempoStore_.count < reserve) {
    Report(kLineMultiStoreBounds);
    return;
  }

  const size_t ch = static_cast<size_t>(channelsAtInit_);
  const size_t frameBytes = sizeof(int16_t) * ch;
  const int16_t* w = Front(rateStore_);
  int16_t* const first = Back(tempoStore_);
  int16_t* dst = first;
  auto append = [&](int64_t from, int64_t frames) {
    std::memcpy(dst, w + ch * from, frameBytes * frames);
    dst += ch * frames;
  };
  auto bestFit = [&](int64_t from) -> int64_t {
    return channelsAtInit_ == 1 ? GetBestFitIndexMono(w + ch * from) : GetBestFitIndexStereo(w + ch * from);
  };

  std::memcpy(overlapBuffer_, w + ch * h, frameBytes * overlap);
  append(0, lead);
  for (int64_t i = 0; i < k; ++i) {
    const int64_t from = i == 0 ? lead : v;
    const int64_t fit = bestFit(from);
    append(from, fit);
    AppendCrossFade(dst, w + ch * (from + fit));
    dst += ch * overlap;
    append(overlap + h, m);
  }
  // The last splice lands so that the window's end completes the length. The
  // sum can pass the length when the best fits fall late; the seam then goes
  // to the latest place it can, never back to the window's start.
  const int64_t sum = (dst - first) / static_cast<int64_t>(ch);
  const int64_t landing = std::clamp<int64_t>(window + sum - length, 0, window - overlap);
  std::memcpy(overlapBuffer_, w + ch * landing, frameBytes * overlap);
  const int64_t fit = bestFit(v);
  append(v, fit);
  AppendCrossFade(dst, w + ch * (v + fit));
  dst += ch * overlap;
  append(landing + overlap, window - landing - overlap);

  const int64_t yield = (dst - first) / static_cast<int64_t>(ch);
  tempoStore_.count += static_cast<uint32_t>(yield);
  *produced = static_cast<uint32_t>(yield);
}

// The offset in [0, seekFrames) where the frames from p best match the overlap
// buffer, by the sum of absolute differences; the earliest wins a tie.
uint32_t CTarvex::GetBestFitIndexMono(const int16_t* p) {
  if (!p) {
    Report(kLineMonoNullWindow);
    return 0;
  }
  if (!overlapBuffer_) {
    Report(kLineMonoNoOverlap);
    return 0;
  }
  const size_t shave =
      static_cast<size_t>(std::clamp<int64_t>(RoundHalfUp(halfOverlap_ * bestFitShave), 0, overlapFrames_));
  const int64_t threshold = StopThreshold(static_cast<float>(uint64_t{overlapFrames_} * 65536) * bestFitCorrLimit);
  return SearchBestFit(p, shave, overlapFrames_ - shave, bestFitSkip ? bestFitSkip : 1, threshold, true);
}

uint32_t CTarvex::GetBestFitIndexStereo(const int16_t* p) {
  if (!p) {
    Report(kLineStereoNullWindow);
    return 0;
  }
  if (!overlapBuffer_) {
    Report(kLineStereoNoOverlap);
    return 0;
  }
  // Counted in samples, so an odd shave pairs a right sample with the next left.
  const size_t shave = static_cast<size_t>(
      std::clamp<int64_t>(RoundHalfUp(overlapFrames_ * bestFitShave), 0, overlapSamplesStereo_));
  const int64_t threshold =
      StopThreshold(static_cast<float>(uint64_t{overlapSamplesStereo_} * 65536) * bestFitCorrLimit);
  return SearchBestFit(p, shave, overlapSamplesStereo_ - shave, bestFitSkip ? bestFitSkip : 1, threshold, false);
}

uint32_t CTarvex::SearchBestFit(const int16_t* p, size_t shave, size_t end, size_t skip, int64_t threshold,
                                bool stopAtOrBelow) {
  if (skip > 1 && skip <= kMostDecimatedSkip && searchScratch_) {
    return SearchDecimated(p, shave, end, skip, threshold, stopAtOrBelow);
  }
  const size_t ch = static_cast<size_t>(channelsAtInit_);
  auto stop = [&](uint64_t best) {
    return stopAtOrBelow ? static_cast<int64_t>(best) <= threshold : static_cast<int64_t>(best) < threshold;
  };
  uint64_t best = tarvex::SumAbsDiffStrided(overlapBuffer_, p, shave, end, skip * ch, ch, UINT64_MAX);
  uint32_t bestIndex = 0;
  for (uint32_t i = 1; i < seekFrames_ && !stop(best); ++i) {
    // A candidate stops being summed once it cannot beat the best.
    const uint64_t sum = tarvex::SumAbsDiffStrided(overlapBuffer_, p + ch * i, shave, end, skip * ch, ch, best);
    if (sum < best) {
      best = sum;
      bestIndex = i;
    }
  }
  return bestIndex;
}

// With a skip of s frames a candidate compares one group of samples every s
// frames. Copying the overlap's groups side by side, and the search range's
// groups side by side per residue class, makes every candidate one contiguous
// comparison of the same samples, so skipping frames saves time.
uint32_t CTarvex::SearchDecimated(const int16_t* p, size_t shave, size_t end, size_t skip, int64_t threshold,
                                  bool stopAtOrBelow) {
  const size_t ch = static_cast<size_t>(channelsAtInit_);
  const size_t stride = skip * ch;
  const size_t groups = end > shave ? (end - shave + stride - 1) / stride : 0;
  const size_t n = groups * ch;
  int16_t* overlap = searchScratch_;
  for (size_t j = 0; j < groups; ++j) {
    for (size_t g = 0; g < ch; ++g) overlap[j * ch + g] = overlapBuffer_[shave + j * stride + g];
  }
  // Candidate i starts at sample ch * i + shave: class (that mod stride), group
  // (that div stride). Only classes of shave's parity occur in stereo.
  const size_t lastStart = ch * (seekFrames_ ? seekFrames_ - 1 : 0) + shave;
  int16_t* classes[2 * kMostDecimatedSkip] = {};
  int16_t* next = overlap + n;
  for (size_t r = shave % ch; r < stride && r <= lastStart; r += ch) {
    classes[r] = next;
    const size_t copied = (lastStart - r) / stride + groups;  // up to the last candidate's last group
    for (size_t j = 0; j < copied; ++j) {
      for (size_t g = 0; g < ch; ++g) *next++ = p[r + j * stride + g];
    }
  }
  auto stop = [&](uint64_t best) {
    return stopAtOrBelow ? static_cast<int64_t>(best) <= threshold : static_cast<int64_t>(best) < threshold;
  };
  auto candidate = [&](size_t i) {
    const size_t start = ch * i + shave;
    return classes[start % stride] + (start / stride) * ch;
  };
  uint64_t best = tarvex::SumAbsDiff(overlap, candidate(0), n, UINT64_MAX);
  uint32_t bestIndex = 0;
  for (uint32_t i = 1; i < seekFrames_ && !stop(best); ++i) {
    const uint64_t sum = tarvex::SumAbsDiff(overlap, candidate(i), n, best);
    if (sum < best) {
      best = sum;
      bestIndex = i;
    }
  }
  return bestIndex;
}

CTarvex::Store* CTarvex::StoreById(unsigned store) {
  switch (store) {
    case kInputStore: return &input_;
    case kRateStore: return &rateStore_;
    case kTempoStore: return &tempoStore_;
    default: return nullptr;
  }
}

// Makes room for frames more at the back of a store. The store grows only when
// what it holds and the newcomers do not fit in its capacity; otherwise frames
// already removed are squeezed out.
bool CTarvex::VerifyEnoughBufferSpace(unsigned store, uint64_t frames) {
  Store* s = StoreById(store);
  platform::CPageBuffer* pages = pages_->ForStore(store);
  if (!s || !pages || !s->data) {
    Report(kLineGrowStore);
    return false;
  }
  const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(channelsAtInit_);
  if (frames < s->capacity - s->count) {
    if (s->start + s->count + frames > s->capacity) {
      std::memmove(s->data, Front(*s), frameBytes * s->count);
      s->start = 0;
    }
    return true;
  }
  const uint64_t capacity = RoundUpToStep(s->count + frames);
  platform::CPageBuffer grown;
  if (capacity > std::numeric_limits<uint32_t>::max() || !grown.Allocate(frameBytes * capacity)) {
    Report(kLineGrowStore);
    return false;
  }
  std::memcpy(grown.Data(), Front(*s), frameBytes * s->count);
  *pages = std::move(grown);
  s->data = static_cast<int16_t*>(pages->Data());
  s->capacity = static_cast<uint32_t>(capacity);
  s->start = 0;
  return true;
}

void CTarvex::RemoveSamplesFromBuffer(unsigned store, uint64_t frames) {
  Store* s = StoreById(store);
  if (!s || !s->data) {
    Report(kLineRemoveNoStore);
    return;
  }
  const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>({frames, s->count, s->capacity}));
  s->start += n;
  s->count -= n;
  if (s->count == 0) s->start = 0;
}

unsigned CTarvex::FlushStorage(int16_t* out, uint32_t capacity, uint32_t* produced) {
  if (!produced) {
    Report(kLineFlushNullProduced);
    return 0;
  }
  *produced = 0;
  const size_t ch = static_cast<size_t>(channelsAtInit_);
  if (effectiveTempo_ != 1.0f) PerformTempoChange(effectiveTempo_, out, capacity, produced);
  auto at = [&]() { return out ? out + ch * *produced : nullptr; };
  if (*produced < capacity && effectiveTempo_ != 1.0f) {
    *produced += MoveFromStore(tempoStore_, at(), capacity - *produced, kLineFlushNoTempoStore,
                               kLineFlushTempoNullOut);
  }
  if (*produced < capacity) {
    *produced += MoveFromStore(rateStore_, at(), capacity - *produced, kLineFlushNoRateStore, kLineFlushRateNullOut);
  }
  // The interpolator's last frame, once per stream.
  if (*produced < capacity && effectiveRate_ > 1.0f && !interpolatorFirst_) {
    if (!out) {
      Report(kLineFlushHeldNullOut);
    } else {
      int16_t* o = at();
      if (ch == 1) {
        o[0] = lastMono_;
      } else {
        o[0] = lastLeft_;
        o[1] = lastRight_;
      }
      ++*produced;
      interpolatorFirst_ = 1;
    }
  }
  if (*produced < capacity) {
    *produced += MoveFromStore(input_, at(), capacity - *produced, kLineFlushNoInputStore, kLineFlushInputNullOut);
  }
  return 0;
}
