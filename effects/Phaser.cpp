#include "Phaser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "DspMath.h"
#include "ReportErrorDll.h"

namespace {

constexpr int kThreadLeft = 329;
constexpr int kThreadRight = 358;
constexpr int kHistoryLeft = 340;
constexpr int kHistoryRight = 365;
constexpr int kNullRecord = 380;
constexpr int kAllocateTable = 444;
constexpr int kEmptyTable = 449;

// The longest delay the chorus offers; depth never exceeds the delay.
constexpr float kLongestDelayMs = 60.0f;
// Periods longer than this (under 0.0026 Hz) are no oscillation worth a table.
constexpr double kLongestTable = 16777216.0;

using Guard = std::lock_guard<std::recursive_mutex>;

}  // namespace

CPhaser::CPhaser(ZelmoEffectType type) : CEffect(type) {}

CPhaser::~CPhaser() = default;

uint32_t CPhaser::HistoryCapacity(uint32_t maxInputFrames) {
  const uint64_t longest = MsToSamples(kLongestDelayMs);
  const uint64_t capacity = std::max(2 * uint64_t{maxInputFrames}, 2 * longest + maxInputFrames + 2);
  return capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<uint32_t>(capacity);
}

unsigned int CPhaser::Init(void*) {
  Guard guard(lock_);
  const int count = ChannelCount();
  // One worker per channel: a mono chorus has one.
  for (int c = 0; c < count; ++c) {
    if (!workers_[c].Start(&CPhaser::WorkerBody, this, c)) {
      ReportErrorDll(__FILE__, c == 0 ? kThreadLeft : kThreadRight, "");
    }
  }
  const bool allocated = AllocateHistories();
  for (int c = 0; c < count; ++c) {
    BuildTable(c);
    CheckFit(c, true);
  }
  Reset();
  return allocated ? 1 : 0;
}

void CPhaser::PrepareForPlayback() {
  Guard guard(lock_);
  CEffect::PrepareForPlayback();
  Populate(history_[0]);
  Populate(history_[1]);
}

bool CPhaser::AllocateHistories() {
  history_[0].Release();
  history_[1].Release();
  capacity_ = 0;
  const uint32_t capacity = HistoryCapacity(maxInput_);
  for (int c = 0; c < ChannelCount(); ++c) {
    if (!history_[c].Allocate(size_t{capacity} * sizeof(short))) {
      ReportErrorDll(__FILE__, c == 0 ? kHistoryLeft : kHistoryRight, "");
      history_[0].Release();
      return false;
    }
  }
  capacity_ = capacity;
  historyFor_ = maxInput_;
  for (Channel& ch : channel_) ch.fill = std::min(ch.fill, capacity_);
  return true;
}

unsigned int CPhaser::SetBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames) {
  Guard guard(lock_);
  const unsigned int result = CEffect::SetBufferSizes(outputFrames, maxInputFrames);
  if (maxInput_ > historyFor_ || capacity_ == 0) {
    if (!AllocateHistories()) return 0;
    Reset();
  }
  for (int c = 0; c < ChannelCount(); ++c) CheckFit(c, true);
  return result;
}

bool CPhaser::SetParameters(const void* record) {
  if (!record) {
    ReportErrorDll(__FILE__, kNullRecord, "");
    return false;
  }
  Guard guard(lock_);
  const ChorusFlangeParams before = params_;
  std::memcpy(&params_, record, sizeof params_);
  for (int c = 0; c < ChannelCount(); ++c) {
    BuildTable(c);
    const float delay = c == 0 ? params_.delayMsLeft : params_.delayMsRight;
    const float wasDelay = c == 0 ? before.delayMsLeft : before.delayMsRight;
    const float depth = c == 0 ? params_.depthMsLeft : params_.depthMsRight;
    const float wasDepth = c == 0 ? before.depthMsLeft : before.depthMsRight;
    // Told once when the delay or depth changes, not every time a gain moves.
    CheckFit(c, delay != wasDelay || depth != wasDepth);
  }
  Reset();
  return true;
}

void CPhaser::GetParameters(void* out) const { std::memcpy(out, &params_, sizeof params_); }

void CPhaser::BuildTable(int c) {
  Channel& ch = channel_[c];
  const float hz = c == 0 ? params_.lfoHzLeft : params_.lfoHzRight;
  const float phase = c == 0 ? params_.lfoPhaseDegLeft : params_.lfoPhaseDegRight;
  // Rebuilt when the frequency or the phase moves (the phase shapes the table too).
  if (ch.tableBuilt && hz == ch.tableHz && phase == ch.tablePhase) return;
  ch.tableBuilt = true;
  ch.tableHz = hz;
  ch.tablePhase = phase;
  ch.table.clear();
  ch.lfoIndex = 0;
  const float period = kSampleRate / hz;
  if (!(hz > 0.0f) || !(period >= 1.0f)) {
    // Reported here, once, rather than on every block: the channel passes through.
    ReportErrorDll(__FILE__, kEmptyTable, "Divide by Zero Error");
    return;
  }
  if (period > kLongestTable) {
    char message[96];
    std::snprintf(message, sizeof message, "An LFO of %g Hz is too slow; the channel passes through.", hz);
    ReportErrorDll(__FILE__, kEmptyTable, message);
    return;
  }
  const uint32_t n = static_cast<uint32_t>(period);
  try {
    ch.table.resize(n);
  } catch (const std::bad_alloc&) {
    ReportErrorDll(__FILE__, kAllocateTable, "");
    return;
  }
  // sin(phase in half-radians + one period over the table - pi/4), moved to 0 .. 1.
  for (uint32_t i = 0; i < n; ++i) {
    const double angle = phase * 3.1415927 / 360 + i * 6.2831855 / n - 0.7853982;
    ch.table[i] = static_cast<float>(std::sin(angle) * 0.5 + 0.5);
  }
}

void CPhaser::CheckFit(int c, bool report) {
  Channel& ch = channel_[c];
  const uint64_t delay = MsToSamples(c == 0 ? params_.delayMsLeft : params_.delayMsRight);
  // The read position never passes the newest sample once depth <= delay, so
  // the history must hold the delay, a block and the sample after it.
  const bool fits = capacity_ > 0 && delay + historyFor_ + 2 <= capacity_;
  if (!fits && report) {
    char message[96];
    std::snprintf(message, sizeof message, "A delay of %u samples does not fit the history; the channel passes through.",
                  static_cast<unsigned>(delay));
    ReportErrorDll(__FILE__, __LINE__, message);
  }
  ch.fits = fits;
}

unsigned int CPhaser::Reset() {
  Guard guard(lock_);
  total_ = 0;
  for (Channel& ch : channel_) {
    ch.written = ch.start = ch.fill = 0;
    ch.lfoIndex = 0;
    ch.counter = 0;
  }
  return 0;
}

unsigned int CPhaser::RunWorkers() {
  Guard guard(lock_);
  const int count = ChannelCount();
  RunChannels(workers_, count);
  total_ += blockFrames_;
  InterleaveWorkBuffers(blockFrames_);
  return 1;
}

unsigned int CPhaser::ProcessMono() { return RunWorkers(); }

unsigned int CPhaser::ProcessStereo() { return RunWorkers(); }

void CPhaser::WorkerBody(void* owner, int channel) { static_cast<CPhaser*>(owner)->ProcessChannel(channel); }

void CPhaser::ProcessChannel(int c) {
  Channel& ch = channel_[c];
  short* h = static_cast<short*>(history_[c].Data());
  const uint32_t n = static_cast<uint32_t>(ch.table.size());
  const uint32_t frames = blockFrames_;
  // Settings that cannot be played leave the block as it came (already reported).
  if (!h || n == 0 || !ch.fits || uint64_t{ch.fill} + frames + 1 > capacity_) return;

  short* work = WorkBuffer(c);
  const float dry = c == 0 ? params_.dryGainLeft : params_.dryGainRight;
  const float wet = c == 0 ? params_.wetGainLeft : params_.wetGainRight;
  const uint32_t delay = MsToSamples(c == 0 ? params_.delayMsLeft : params_.delayMsRight);
  const uint32_t depth = std::min(MsToSamples(c == 0 ? params_.depthMsLeft : params_.depthMsRight), delay);
  const float depthSamples = static_cast<float>(depth);
  const float* table = ch.table.data();

  std::memcpy(h + ch.fill, work, size_t{frames} * sizeof(short));
  uint32_t used = 0;
  uint32_t index = ch.lfoIndex % n;
  for (uint32_t j = 0; j < frames; ++j) {
    const float in = static_cast<float>(work[j]);
    float out;
    if (ch.counter < delay) {
      out = std::trunc(dry * in);
    } else {
      // The oscillator places the read between delay - depth and delay behind.
      const float position = table[index] * depthSamples + static_cast<float>(used);
      const uint32_t k = static_cast<uint32_t>(position);
      const float a = h[k];
      const float b = h[k + 1];
      out = wet * (a + (position - static_cast<float>(k)) * (b - a)) + dry * in;
      ++used;
      if (++index == n) index = 0;
    }
    work[j] = ClipSample(out);
    if (ch.counter != 0xFFFFFFFF) ++ch.counter;
  }
  ch.lfoIndex = index;
  const uint32_t left = ch.fill + frames - used;
  std::memmove(h, h + used, size_t{left} * sizeof(short));
  ch.fill = left;
  ch.start += used;
  ch.written += frames;
}
