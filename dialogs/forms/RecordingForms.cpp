#include "RecordingForms.h"

#include "Generic.h"

namespace forms {

namespace {
constexpr uint32_t kRate = 44100;
}

void CRecordingDialog::CreateAndStart(uint32_t tickMs) {
  stopped_ = false;
  startTick_ = tickMs;
  active_ = true;
  stopRequested_ = false;
  cancelRequested_ = false;
}

bool CRecordingDialog::End(bool keep) {
  if (!active_) return false;
  active_ = false;
  stopRequested_ = keep;
  cancelRequested_ = !keep;
  Reset();
  if (stop_) stop_();
  return true;
}

CRecordingDialog::Elapsed CRecordingDialog::OnTimer(uint32_t tickMs, float tempoBpm, int beatsPerBarChoice) const {
  // Unsigned difference: a tick count that wrapped during the take still counts forward.
  const uint64_t frames = static_cast<uint64_t>(tickMs - startTick_) * kRate / 1000;
  const uint32_t shown = frames > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(frames);
  char time[64] = {};
  char tempoTime[64] = {};
  FormatSamplesAsTime(shown, kRate, time);
  FormatSamplesAsTempoTime(shown, kRate, tempoBpm, beatsPerBarChoice, tempoTime);
  return {time, tempoTime};
}

}  // namespace forms
