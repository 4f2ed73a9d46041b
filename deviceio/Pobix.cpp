#include "Pobix.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "AudioPlayer.h"
#include "AudioRecorder.h"
#include "ReportErrorDll.h"
#include "WaveAudio.h"

namespace {

enum FaultLine {
  kLineStopTimeout = 741,
};

constexpr uint32_t kStopWaitMs = 5000;
static_assert(kPobixMaxRecorders <= kPobixStopEvents, "every recorder has a stop event of its own");
// Device names are cut to this length before their number and suffix are added.
constexpr size_t kNameCut = 42;

void Report(int line, const char* message = "") { ReportErrorDll(__FILE__, line, message); }

platform::WaveFormat DeviceFormat() {
  platform::WaveFormat format;
  format.channels = 2;
  format.samplesPerSecond = 44100;
  format.bitsPerSample = 16;
  return format;
}

void SetName(PobixDevice& entry, const std::string& name) {
  std::snprintf(entry.name, sizeof entry.name, "%s", name.c_str());
}

}  // namespace

CPobix::CPobix() : waveSystem_(platform::GetWaveSystem()) {
  recorderCount = 0;
  InitInputDeviceList();
  InitOutputDeviceList();
}

CPobix::~CPobix() {
  // Every thread ends before anything it might touch goes; the recorders first,
  // since they read the player's start estimate.
  for (auto& recorder : recorders) {
    if (recorder) recorder->StopThread();
  }
  if (player) player->StopThread();
  if (player) player->Close();
  player.reset();
  for (auto& recorder : recorders) recorder.reset();
}

unsigned int CPobix::InitInputDeviceList() {
  inputDeviceCount = 0;
  inputPhysicalDeviceCount = 0;
  const uint32_t count = waveSystem_->InputCount();
  static const char* const kSuffixes[3] = {"%s (%d) - Stereo", "%s (%d) - Left Channel", "%s (%d) - Right Channel"};
  for (uint32_t d = 0; d < count && d < kPobixMaxVirtualInputs && inputPhysicalDeviceCount < kPobixMaxPhysicalInputs;
       ++d) {
    std::string name;
    if (waveSystem_->GetInputName(d, name) != platform::kWaveOk) continue;
    std::unique_ptr<platform::CWaveIn> trial;
    if (waveSystem_->OpenInput(d, DeviceFormat(), nullptr, trial) != platform::kWaveOk) continue;
    trial->Close();
    trial.reset();

    const int p = inputPhysicalDeviceCount;
    physicalInputDevices[p].deviceId = static_cast<int32_t>(d);
    SetName(physicalInputDevices[p], name);
    const std::string cut = name.substr(0, kNameCut);
    for (const char* suffix : kSuffixes) {
      PobixDevice& entry = inputDevices[inputDeviceCount];
      entry.deviceId = p;
      entry.ordinal = inputDeviceCount;
      std::snprintf(entry.name, sizeof entry.name, suffix, cut.c_str(), p);
      ++inputDeviceCount;
    }
    ++inputPhysicalDeviceCount;
  }
  return 0;
}

unsigned int CPobix::InitOutputDeviceList() {
  outputDeviceCount = 0;
  outputPhysicalDeviceCount = 0;
  const uint32_t count = waveSystem_->OutputCount();
  for (uint32_t d = 0; d < count && outputDeviceCount < kPobixMaxOutputs; ++d) {
    std::string name;
    if (waveSystem_->GetOutputName(d, name) != platform::kWaveOk) continue;
    if (waveSystem_->QueryOutputFormat(d, DeviceFormat()) != platform::kWaveOk) continue;
    const int k = outputDeviceCount;
    PobixDevice& entry = outputDevices[k];
    entry.deviceId = static_cast<int32_t>(d);
    entry.ordinal = k;
    std::snprintf(entry.name, sizeof entry.name, "%s (%d)", name.substr(0, kNameCut).c_str(), k);
    ++outputDeviceCount;
    ++outputPhysicalDeviceCount;
  }
  return 0;
}

unsigned int CPobix::OutputInit(uint32_t outputIndex, PobixOutputCallback fill) {
  if (!player) {
    player = std::make_unique<CAudioPlayer>(waveSystem_);
    if (!player->IsUsable()) {
      player.reset();
      Report(__LINE__);
      return 0;
    }
  }
  // An index beyond the list (a device that has gone since the settings were
  // saved) falls back to the first output; with none, the open fails and says so.
  int32_t deviceId = -1;
  if (outputDeviceCount > 0) {
    deviceId = outputDevices[outputIndex < static_cast<uint32_t>(outputDeviceCount) ? outputIndex : 0].deviceId;
  }
  // A device that cannot be opened is a failed init (the player has said so), not a silent output.
  return player->Open(deviceId, 16, 44100, fill);
}

unsigned int CPobix::SetOutputBufferInfo(uint32_t count, uint32_t bytes) {
  if (!player) {
    Report(__LINE__);
    return 0;
  }
  player->SetBufferInfo(static_cast<int16_t>(count > 0x7FFF ? 0x7FFF : count), bytes);
  return 0;
}

void CPobix::UpdateOutputStereoCallback(PobixOutputCallback fill) {
  if (player) player->SetFillCallback(fill);
}

void CPobix::UpdateEndOfAudioCallback(PobixNotifyCallback endOfAudio) {
  if (player) player->SetEndOfAudioCallback(endOfAudio);
}

void CPobix::UpdatePlayerDropoutMessageCallback(PobixDropoutCallback dropout) {
  if (player) player->SetDropoutCallback(dropout);
}

unsigned int CPobix::SetupPhysicalInput(uint32_t physicalIndex, uint32_t samplesPerSecond, int16_t bitsPerSample) {
  if (recorderCount >= kPobixMaxRecorders || physicalIndex >= static_cast<uint32_t>(inputPhysicalDeviceCount)) {
    Report(__LINE__);
    return 0;
  }
  auto recorder = std::make_unique<CAudioRecorder>(waveSystem_);
  if (!recorder->IsUsable()) {
    Report(__LINE__);
    return 0;
  }
  recorder->Open(physicalInputDevices[physicalIndex].deviceId, static_cast<int32_t>(samplesPerSecond), bitsPerSample);
  recorder->SetPlayer(player.get());
  // Each recorder keeps an event of its own, so that a stop still under way on one
  // can never signal another's.
  recorder->SetStopEvent(&stopEvents[recorderCount]);
  recorders[recorderCount] = std::move(recorder);
  ++recorderCount;
  return 0;
}

CAudioRecorder* CPobix::FindRecorder(int32_t physicalIndex) {
  if (physicalIndex < 0 || physicalIndex >= inputPhysicalDeviceCount) return nullptr;
  const int32_t deviceId = physicalInputDevices[physicalIndex].deviceId;
  for (int i = 0; i < recorderCount; ++i) {
    if (recorders[i] && recorders[i]->DeviceId() == deviceId) return recorders[i].get();
  }
  return nullptr;
}

bool CPobix::HasInputs(int index) const {
  return index >= 0 && index < recorderCount && recorders[index] && recorders[index]->InputCount() > 0;
}

unsigned int CPobix::AddInput(const PobixInit* init) {
  if (!init) {
    Report(__LINE__);
    return 0;
  }
  if (init->inputIndex < 0 || init->inputIndex >= inputDeviceCount) return 2;
  const int32_t physicalIndex = init->inputIndex / 3;
  const int32_t deviceId = physicalInputDevices[physicalIndex].deviceId;
  int index = -1;
  for (int i = 0; i < recorderCount && index < 0; ++i) {
    if (!recorders[i]) {
      Report(__LINE__);
      return 0;
    }
    if (recorders[i]->DeviceId() == deviceId) index = i;
  }
  if (index < 0) return 2;
  CAudioRecorder& recorder = *recorders[index];
  const bool first = recorder.InputCount() == 0;
  if (!recorder.AddInput(physicalIndex, init->inputIndex % 3,
                         init->stereo ? CAudioRecorder::kModeStereo : CAudioRecorder::kModeMono, init->recordSlot,
                         init->callback)) {
    return 1;
  }
  if (first && stopEventCount < kPobixStopEvents) ++stopEventCount;
  return 0;
}

unsigned int CPobix::SetInputBufferInfo(int16_t inputIndex, uint32_t count, uint32_t bytes) {
  CAudioRecorder* recorder = inputIndex >= 0 ? FindRecorder(inputIndex / 3) : nullptr;
  if (!recorder) {
    Report(__LINE__);
    return 0;
  }
  recorder->SetBufferInfo(static_cast<int16_t>(count > 0x7FFF ? 0x7FFF : count), bytes);
  return 0;
}

unsigned int CPobix::SetInputBufferInfoAllDevices(uint32_t count, uint32_t bytes) {
  for (int i = 0; i < recorderCount; ++i) {
    if (!recorders[i]) {
      Report(__LINE__);
      break;
    }
    recorders[i]->SetBufferInfo(static_cast<int16_t>(count > 0x7FFF ? 0x7FFF : count), bytes);
  }
  return 0;
}

unsigned int CPobix::RemoveAllInputs() {
  for (int i = 0; i < recorderCount; ++i) {
    if (recorders[i]) recorders[i]->RemoveAllInputs();
  }
  stopEventCount = 0;
  return 0;
}

void CPobix::SetActiveInput(int16_t recorderIndex, int32_t active) {
  if (recorderIndex >= 0 && recorderIndex < recorderCount && recorders[recorderIndex]) {
    recorders[recorderIndex]->SetActive(active);
  }
}

void CPobix::SetAllInputsFalseActive() {
  for (int i = 0; i < recorderCount; ++i) {
    if (recorders[i]) recorders[i]->SetActive(0);
  }
  stopEventCount = 0;
}

void CPobix::UpdateRecorderEndOfAudioCallback(PobixNotifyCallback endOfAudio) {
  for (int i = 0; i < recorderCount; ++i) {
    if (recorders[i]) recorders[i]->SetEndOfAudioCallback(endOfAudio);
  }
}

void CPobix::UpdateRecorderDropoutMessageCallback(PobixDropoutCallback dropout) {
  for (int i = 0; i < recorderCount; ++i) {
    if (recorders[i]) recorders[i]->SetDropoutCallback(dropout);
  }
}

void CPobix::SetInternalLogging(int32_t logging) {
  for (int i = 0; i < recorderCount; ++i) {
    if (recorders[i]) recorders[i]->SetInternalLogging(logging);
  }
  if (player) player->SetInternalLogging(logging);
  internalLogging = logging;
}

unsigned int CPobix::Start(uint32_t type) {
  uint32_t callbackRun = 0;
  if (OnDeviceThread(callbackRun)) {
    // Its first buffers would be filled, and its recorders begun, under a callback
    // of the run it replaces.
    Report(__LINE__);
    return 1;
  }
  platform::CLock guard(lock);
  lastStartType = type;
  const uint32_t run = run_.load() + 1;
  run_ = run;
  runRecorders_ = 0;
  runStopEventCount_ = 0;
  if (type == kPobixPlay || type == kPobixPlayAndRecord) {
    if (player) {
      player->Start(run);
    } else {
      Report(__LINE__);
    }
  }
  if (type == kPobixRecord || type == kPobixPlayAndRecord || type == kPobixMonitor) {
    for (int i = 0; i < recorderCount; ++i) {
      if (!HasInputs(i)) continue;
      if (type == kPobixMonitor) {
        recorders[i]->StartMonitoring(run);
      } else {
        recorders[i]->Start(run, type == kPobixPlayAndRecord);
      }
      runRecorders_ |= 1u << i;
      runStopEvents_[runStopEventCount_++] = &stopEvents[i];
    }
  }
  return 1;
}

bool CPobix::OnDeviceThread(uint32_t& run) const {
  if (player && player->IsCurrentThread()) {
    run = player->Run();
    return true;
  }
  for (int i = 0; i < recorderCount; ++i) {
    if (recorders[i] && recorders[i]->IsCurrentThread()) {
      run = recorders[i]->Run();
      return true;
    }
  }
  return false;
}

unsigned int CPobix::Stop() {
  uint32_t callbackRun = 0;
  if (OnDeviceThread(callbackRun)) {
    // A device thread cannot wait for itself, nor take the lock: the program's
    // thread may hold it inside Start or Stop while it waits for this very thread.
    if (player) player->RequestStop(callbackRun);
    for (int i = 0; i < recorderCount; ++i) {
      if (recorders[i]) recorders[i]->RequestStop(callbackRun);
    }
    return 1;
  }
  platform::CLock guard(lock);
  const uint32_t run = run_.load();
  const auto inRun = [this](int i) { return (runRecorders_ >> i & 1u) != 0 && recorders[i]; };
  if (lastStartType == kPobixMonitor) {
    for (int i = 0; i < recorderCount; ++i) {
      if (inRun(i)) recorders[i]->RequestStopMonitoring(run);
    }
  }
  // The recorders stop first: a take's last buffer is placed against playback
  // that still runs.
  if (lastStartType == kPobixRecord || lastStartType == kPobixPlayAndRecord) {
    for (int i = 0; i < recorderCount; ++i) {
      if (inRun(i)) recorders[i]->RequestStop(run);
    }
    if (runStopEventCount_ > 0) {
      const std::span<platform::CEvent* const> waited(runStopEvents_, static_cast<size_t>(runStopEventCount_));
      if (waveSystem_->WaitForEvents(waited, true, kStopWaitMs) == platform::kWaitTimeout) Report(kLineStopTimeout);
    }
  }
  if (lastStartType == kPobixPlay || lastStartType == kPobixPlayAndRecord) {
    if (player) {
      player->RequestStop(run);
    } else {
      Report(__LINE__);
    }
  }
  return 1;
}

uint32_t CPobix::GetMillisecondsPlayed() { return player ? player->GetMillisecondsPlayed() : 0; }

void CPobix::GetCurrentOutputBufferNumberAndPosition(int16_t* number, uint32_t* position) {
  if (!player) {
    Report(__LINE__);
    return;
  }
  player->GetBufferNumberAndPosition(number, position);
}

void CPobix::GetCurrentOutputBuffer(unsigned char** dst, uint32_t bytes) {
  if (player) {
    player->GetCurrentBuffer(dst, bytes);
  } else if (dst && *dst) {
    std::memset(*dst, 0, bytes);
  }
}

void CPobix::GetCurrentInputBuffer(int16_t recorderIndex, unsigned char** dst, uint32_t bytes) {
  if (HasInputs(recorderIndex)) recorders[recorderIndex]->GetCurrentBuffer(dst, bytes);
}

uint32_t CPobix::GetOutputBytesWritten(uint32_t recordSlot) {
  for (int i = 0; i < recorderCount; ++i) {
    if (recorders[i] && recorders[i]->HasSlot(static_cast<int32_t>(recordSlot))) {
      return recorders[i]->GetBytesTaken(static_cast<int32_t>(recordSlot));
    }
  }
  return 0;
}

void CPobix::GetOutputBufferAndTime(unsigned char** buffer, uint32_t* bufferBytes, uint32_t* bufferMilliseconds,
                                    uint32_t* elapsedMilliseconds, int16_t* bufferCount) {
  if (!player) {
    Report(__LINE__);
    return;
  }
  player->GetBufferAndTime(buffer, bufferBytes, bufferMilliseconds, elapsedMilliseconds, bufferCount);
}

void CPobix::GetInputBufferAndTime(int16_t recorderIndex, unsigned char** buffer, uint32_t* bufferBytes,
                                   uint32_t* bufferMilliseconds, uint32_t* elapsedMilliseconds,
                                   int16_t* bufferCount) {
  if (recorderIndex < 0 || recorderIndex >= recorderCount || !recorders[recorderIndex]) {
    Report(__LINE__);
    return;
  }
  recorders[recorderIndex]->GetBufferAndTime(buffer, bufferBytes, bufferMilliseconds, elapsedMilliseconds,
                                             bufferCount);
}
