#include "Equalizer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "DspKernels.h"
#include "DspMath.h"
#include "ReportErrorDll.h"

namespace {

constexpr int kNullInit = 765;
constexpr int kCreateLeftTransform = 774;
constexpr int kCreateRightTransform = 780;
constexpr int kThreadLeft = 811;
constexpr int kThreadRight = 815;
constexpr int kAllocateBuffers = 823;
constexpr int kNullRecord = 895;
constexpr int kAllocateQueue = 1088;

constexpr float kNyquistHz = 22050.0f;

}  // namespace

CEqualizer::CEqualizer() : CEffect(ZelmoEqualizer) {
  // Flat until the first record arrives.
  params_.interpolationMode = 0;
  for (int b = 0; b < kEqualizerBandCount; ++b) params_.left.gains[b] = params_.right.gains[b] = 1.0f;
}

CEqualizer::~CEqualizer() = default;

unsigned int CEqualizer::Init(void* initData) {
  if (!initData) {
    ReportErrorDll(__FILE__, kNullInit, "");
    return 0;
  }
  std::memcpy(&init_, initData, sizeof init_);
  for (int c = 0; c < 2; ++c) {
    if (!channel_[c].fft.Init(init_.fftSize, false, true)) {
      ReportErrorDll(__FILE__, c == 0 ? kCreateLeftTransform : kCreateRightTransform, "");
      return 0;
    }
  }
  length_ = init_.fftSize;
  half_ = length_ / 2;
  try {
    for (Channel& ch : channel_) {
      ch.frame.assign(static_cast<size_t>(length_), 0);
      ch.tail.assign(static_cast<size_t>(half_), 0);
      ch.time.assign(static_cast<size_t>(length_), 0.0f);
      ch.spectrum.assign(static_cast<size_t>(length_), 0.0f);
      ch.curve.assign(static_cast<size_t>(half_), 1.0f);
      // The carry never reaches half a frame (see ProcessChannel).
      ch.carry.assign(static_cast<size_t>(half_), 0);
    }
  } catch (const std::bad_alloc&) {
    ReportErrorDll(__FILE__, kAllocateBuffers, "");
    return 0;
  }
  if (!AllocateQueues()) return 0;
  BuildCurve(0);
  BuildCurve(1);
  // Two workers whatever the channel count; a mono block runs the left one only.
  if (!workers_[0].Start(&CEqualizer::WorkerBody, this, 0)) ReportErrorDll(__FILE__, kThreadLeft, "");
  if (!workers_[1].Start(&CEqualizer::WorkerBody, this, 1)) ReportErrorDll(__FILE__, kThreadRight, "");
  ready_ = true;
  return 1;
}

bool CEqualizer::AllocateQueues() {
  // Room for the largest block on top of what the latency keeps queued (2N)
  // and a frame of slack: the steady state never grows a queue.
  const size_t capacity = size_t{maxInput_} + 3 * static_cast<size_t>(length_);
  try {
    for (Channel& ch : channel_) {
      if (ch.input.size() < capacity) ch.input.resize(capacity, 0);
      ch.overflowReported = false;
    }
  } catch (const std::bad_alloc&) {
    ReportErrorDll(__FILE__, kAllocateQueue, "");
    return false;
  }
  return true;
}

unsigned int CEqualizer::SetBufferSizes(uint32_t outputFrames, uint32_t maxInputFrames) {
  const unsigned int result = CEffect::SetBufferSizes(outputFrames, maxInputFrames);
  if (ready_ && !AllocateQueues()) return 0;
  return result;
}

bool CEqualizer::SetParameters(const void* record) {
  if (!record) {
    ReportErrorDll(__FILE__, kNullRecord, "");
    return false;
  }
  std::memcpy(&params_, record, sizeof params_);
  BuildCurve(0);
  BuildCurve(1);
  return true;
}

void CEqualizer::GetParameters(void* out) const { std::memcpy(out, &params_, sizeof params_); }

void CEqualizer::BuildCurve(int channel) {
  std::vector<float>& curve = channel_[channel].curve;
  if (length_ < 2 || curve.size() != static_cast<size_t>(half_)) return;
  const float* g = channel == 0 ? params_.left.gains : params_.right.gains;
  int32_t bin[kEqualizerBandCount];
  for (int b = 0; b < kEqualizerBandCount; ++b) {
    const float at = static_cast<float>(length_) * 0.5f / kNyquistHz * static_cast<float>(init_.centreHz[b]) + 0.5f;
    bin[b] = static_cast<int32_t>(std::clamp(at, -1.0e9f, 1.0e9f));  // a stored centre may be anything
  }
  const bool logarithmic = params_.interpolationMode == 1;
  for (int32_t k = 0; k < half_; ++k) {
    float value;
    if (k <= bin[0]) {
      value = g[0];
    } else if (k >= bin[kEqualizerBandCount - 1]) {
      value = g[kEqualizerBandCount - 1];
    } else {
      value = g[0];
      for (int c = 0; c + 1 < kEqualizerBandCount; ++c) {
        if (bin[c] < k && k <= bin[c + 1]) {
          float f = static_cast<float>(k - bin[c]) / static_cast<float>(bin[c + 1] - bin[c]);
          // Logarithmic: leaves the lower band faster, log10(9 f + 1).
          if (logarithmic) f = std::copysign(std::log10(9.0f * std::fabs(f) + 1.0f), f);
          value = g[c] + f * (g[c + 1] - g[c]);
          break;
        }
      }
    }
    curve[static_cast<size_t>(k)] = value;
  }
}

unsigned int CEqualizer::Reset() {
  for (Channel& ch : channel_) {
    ch.firstFrame = true;
    ch.queued = 0;
    ch.carried = 0;
  }
  return 0;
}

uint32_t CEqualizer::GetLatencySamples() {
  if (bypass_ || !ready_) return 0;
  const size_t target = 2 * static_cast<size_t>(length_);
  const size_t queued = channel_[0].queued;
  const size_t carried = channel_[0].carried;
  if (queued >= target || queued + carried >= target) return 0;
  return static_cast<uint32_t>(target - queued - carried);
}

unsigned int CEqualizer::RunWorkers(int count) {
  if (!ready_) return 0;  // passes the block through as it came
  RunChannels(workers_, count);
  InterleaveWorkBuffers(outputFrames_);
  return 1;
}

unsigned int CEqualizer::ProcessMono() { return RunWorkers(1); }

unsigned int CEqualizer::ProcessStereo() { return RunWorkers(2); }

void CEqualizer::WorkerBody(void* owner, int channel) { static_cast<CEqualizer*>(owner)->ProcessChannel(channel); }

void CEqualizer::LoadFrame(Channel& ch, size_t from, int32_t first) {
  // Samples past the queue read as silence: a short feed never reads stale data.
  // (Silence divided by the window is +0 everywhere, the infinite ends included.)
  const size_t held = ch.queued > from ? ch.queued - from : 0;
  const int32_t count = static_cast<int32_t>(std::min(held, static_cast<size_t>(length_ - first)));
  if (count > 0) Kernels().divide(ch.time.data() + first, ch.input.data() + from, ch.fft.InverseWindow() + first, count);
  std::fill(ch.time.begin() + first + count, ch.time.end(), 0.0f);
}

void CEqualizer::TransformFrame(Channel& ch) {
  ch.fft.DoFft(ch.spectrum.data(), ch.time.data());
  const DspKernels& kernels = Kernels();
  float* spectrum = ch.spectrum.data();
  // Each bin's real part by its own gain, and the value at N - 1 - k (the
  // imaginary part of bin N/2 - 1 - k) by that bin's gain: index half + j
  // takes gain j.
  kernels.multiply(spectrum, ch.curve.data(), half_);
  kernels.multiply(spectrum + half_, ch.curve.data(), half_);
  ch.fft.DoIfft(ch.time.data(), spectrum);
  // Dividing by N / 32768 is multiplying by 32768 / N: both are powers of
  // two, so the two give the same bits.
  kernels.clipScaled(ch.frame.data(), ch.time.data(), 32768.0f / static_cast<float>(length_), length_);
}

void CEqualizer::ProcessChannel(int c) {
  Channel& ch = channel_[c];
  short* work = WorkBuffer(c);
  const uint32_t frames = blockFrames_;
  const uint32_t output = outputFrames_;

  const size_t room = ch.input.size() - ch.queued;
  const size_t take = std::min<size_t>(frames, room);
  if (take < frames && !ch.overflowReported) {
    // Only a caller that feeds more than the latency asks for gets here.
    ch.overflowReported = true;
    char message[96];
    std::snprintf(message, sizeof message, "The input queue is full; %zu frames were dropped.", frames - take);
    ReportErrorDll(__FILE__, __LINE__, message);
  }
  std::memcpy(ch.input.data() + ch.queued, work, take * sizeof(short));
  ch.queued += take;

  // What was made last time goes first, as far as the block holds it.
  size_t delivered = std::min<size_t>(ch.carried, output);
  std::memcpy(work, ch.carry.data(), delivered * sizeof(short));
  std::memmove(ch.carry.data(), ch.carry.data() + delivered, (ch.carried - delivered) * sizeof(short));
  ch.carried -= delivered;

  size_t consumed = 0;
  if (delivered < output && ch.firstFrame) {
    // The first frame's first half has nothing before it to overlap: prime the
    // tail with a frame whose first half is silence.
    ch.firstFrame = false;
    std::fill(ch.time.begin(), ch.time.begin() + half_, 0.0f);
    LoadFrame(ch, 0, half_);
    TransformFrame(ch);
    std::memcpy(ch.tail.data(), ch.frame.data() + half_, static_cast<size_t>(half_) * sizeof(short));
  }
  // Here either nothing is carried or the block is full, so what is carried
  // after the loop is the part of one frame past the block: under N/2.
  const DspKernels& kernels = Kernels();
  while (delivered < output) {
    LoadFrame(ch, consumed, 0);
    TransformFrame(ch);
    // Overlap-add: what fits goes to the block, the rest to the carry as far as it holds.
    const size_t inBlock = std::min(static_cast<size_t>(half_), output - delivered);
    const size_t kept = std::min(static_cast<size_t>(half_) - inBlock, ch.carry.size() - ch.carried);
    kernels.addClipped(work + delivered, ch.tail.data(), ch.frame.data(), static_cast<int32_t>(inBlock));
    kernels.addClipped(ch.carry.data() + ch.carried, ch.tail.data() + inBlock, ch.frame.data() + inBlock,
                       static_cast<int32_t>(kept));
    ch.carried += kept;
    std::memcpy(ch.tail.data(), ch.frame.data() + half_, static_cast<size_t>(half_) * sizeof(short));
    delivered += static_cast<size_t>(half_);
    consumed += static_cast<size_t>(half_);
  }
  const size_t removed = std::min(consumed, ch.queued);
  std::memmove(ch.input.data(), ch.input.data() + removed, (ch.queued - removed) * sizeof(short));
  ch.queued -= removed;
}
