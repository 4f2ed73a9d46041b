#include "RecordingForms.h"

#include "Generic.h"

namespace forms {

namespace {

constexpr uint32_t kRate = 44100;
constexpr int kMinutesAndSeconds = 1;

std::string TimeText(uint32_t frames) {
  char text[64] = {};
  FormatSamplesAsTime(frames, kRate, text);
  return text;
}

std::string TempoTimeText(uint32_t frames, float tempoBpm, int beatsPerBarChoice) {
  char text[64] = {};
  FormatSamplesAsTempoTime(frames, kRate, tempoBpm, beatsPerBarChoice, text);
  return text;
}

}  // namespace

uint32_t ElapsedFrames(uint32_t startTickMs, uint32_t nowTickMs) {
  const uint64_t frames = static_cast<uint64_t>(nowTickMs - startTickMs) * kRate / 1000;
  return frames > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(frames);
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
  if (end_) end_(keep);
  return true;
}

void CRecordingDialog::Closed() {
  active_ = false;
  Reset();
}

CRecordingDialog::Elapsed CRecordingDialog::OnTimer(uint32_t tickMs, float tempoBpm, int beatsPerBarChoice) const {
  const uint32_t frames = ElapsedFrames(startTick_, tickMs);
  return {TimeText(frames), TempoTimeText(frames, tempoBpm, beatsPerBarChoice)};
}

void CRecordSegmentDialog::OnInitDialog(std::vector<std::string> inputs, int16_t channels, int timeDisplay) {
  inputs_ = std::move(inputs);
  if (inputIndex_ < 0 || inputIndex_ >= static_cast<int>(inputs_.size())) inputIndex_ = 0;
  SelectChannels(channels);
  timeDisplay_ = timeDisplay;
  initialTime_ = timeDisplay == kMinutesAndSeconds ? "00:00.000" : "0:0:0.00";
  started_ = false;
  timing_ = false;
  open_ = true;
}

void CRecordSegmentDialog::SelectInput(int index) {
  // An emptied combo (-1) or a stale index keeps the input chosen.
  if (index >= 0 && index < static_cast<int>(inputs_.size())) inputIndex_ = index;
}

void CRecordSegmentDialog::OnStart() {
  if (!StartEnabled()) return;
  started_ = true;
  if (actions_.start) actions_.start(inputIndex_, channels_);
  if (!timing_ && open_) started_ = false;
}

void CRecordSegmentDialog::StartTimer(uint32_t tickMs) {
  if (!open_) return;
  startTick_ = tickMs;
  timing_ = true;
}

std::string CRecordSegmentDialog::OnTimer(uint32_t tickMs, float tempoBpm, int beatsPerBarChoice) const {
  const uint32_t frames = ElapsedFrames(startTick_, tickMs);
  return timeDisplay_ == kMinutesAndSeconds ? TimeText(frames) : TempoTimeText(frames, tempoBpm, beatsPerBarChoice);
}

bool CRecordSegmentDialog::OnStopRecording() {
  if (!timing_) return false;
  timing_ = false;
  if (actions_.finish) actions_.finish();
  return true;
}

bool CRecordSegmentDialog::OnCancel() {
  if (!open_) return false;
  timing_ = false;
  if (actions_.cancel) actions_.cancel();
  return true;
}

void CRecordSegmentDialog::Close() {
  open_ = false;
  timing_ = false;
  started_ = false;
}

}  // namespace forms
