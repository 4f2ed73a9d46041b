#include "PobixHarness.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tessiro::test {
namespace {

std::mutex g_lock;
CallbackLog g_log;
std::vector<FillStep> g_plan;
size_t g_planIndex = 0;
uint64_t g_streamOffset = 0;
CVirtualWaveSystem* g_system = nullptr;

uint64_t Now() { return g_system ? g_system->NowMs() : 0; }

}  // namespace

Hooks& TestHooks() {
  static Hooks hooks;
  return hooks;
}

void EndCallback() {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_log.ends.push_back(Now());
    g_log.sequence.push_back("end");
  }
  if (TestHooks().onEnd) TestHooks().onEnd();
}

void RecorderEndCallback() {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_log.recorderEnds.push_back(Now());
    g_log.sequence.push_back("recorder end");
  }
  if (TestHooks().onRecorderEnd) TestHooks().onRecorderEnd();
}

void DropoutCallback(const char* where, const char* what) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_log.dropouts.emplace_back(where, what);
  g_log.sequence.push_back(std::string(where) == "recording" ? "recorder dropout" : "dropout");
}

uint8_t StreamByte(uint64_t offset) { return static_cast<uint8_t>(offset * 31 + (offset >> 9) + 7); }

void FillCallback(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* filled, int32_t* end) {
  EXPECT_EQ(zero, 0u);
  FillStep step;
  size_t number;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_planIndex < g_plan.size()) step = g_plan[g_planIndex++];
    const uint32_t n = step.bytes == kFull ? bytes : std::min(step.bytes, bytes);
    for (uint32_t i = 0; i < n; ++i) buffer[i] = StreamByte(g_streamOffset + i);
    g_log.filled.insert(g_log.filled.end(), buffer, buffer + n);
    g_streamOffset += n;
    g_log.fillSizes.push_back(bytes);
    number = g_log.fillSizes.size();
    *filled = n;
    *end = step.end ? 1 : 0;
  }
  if (step.slowMs) g_system->Advance(step.slowMs);
  if (TestHooks().onFill) TestHooks().onFill(number);
}

void InputCallback(uint32_t slot, unsigned char* data, uint32_t bytes, uint32_t* taken, int32_t* reserved) {
  EXPECT_NE(reserved, nullptr);
  size_t number;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    auto& into = g_log.delivered[slot];
    into.insert(into.end(), data, data + bytes);
    g_log.deliveries[slot].push_back(bytes);
    number = g_log.deliveries[slot].size();
  }
  *taken = bytes;
  if (TestHooks().onInput) TestHooks().onInput(slot, number);
}

Frame SignalFrame(uint64_t clockFrame) {
  return {static_cast<int16_t>(static_cast<int64_t>(clockFrame % 30000) - 15000),
          static_cast<int16_t>(14000 - static_cast<int64_t>((clockFrame * 7) % 28001))};
}

int16_t SampleAt(const std::vector<uint8_t>& bytes, size_t index) {
  return static_cast<int16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

void PobixTest::SetUp() {
  system = std::make_shared<CVirtualWaveSystem>(CVirtualWaveSystem::ClockMode::Manual);
  platform::SetWaveSystem(system);
  std::lock_guard<std::mutex> guard(g_lock);
  g_system = system.get();
  g_log = CallbackLog{};
  g_plan.clear();
  g_planIndex = 0;
  g_streamOffset = 0;
  TestHooks() = Hooks{};
}

void PobixTest::TearDown() {
  pobix.reset();  // joins the device threads before anything they use goes
  TestHooks() = Hooks{};
  platform::SetWaveSystem(nullptr);
  std::lock_guard<std::mutex> guard(g_lock);
  g_system = nullptr;
}

void PobixTest::UseRealTime() {
  system = std::make_shared<CVirtualWaveSystem>(CVirtualWaveSystem::ClockMode::RealTime);
  platform::SetWaveSystem(system);
  std::lock_guard<std::mutex> guard(g_lock);
  g_system = system.get();
}

void PobixTest::UseClockStart(uint64_t startMs) {
  system = std::make_shared<CVirtualWaveSystem>(CVirtualWaveSystem::ClockMode::Manual, startMs);
  platform::SetWaveSystem(system);
  std::lock_guard<std::mutex> guard(g_lock);
  g_system = system.get();
}

void PobixTest::Devices(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs) {
  for (const std::string& name : outputs) system->AddOutput(name);
  for (const std::string& name : inputs) system->AddInput(name);
}

void PobixTest::MakePobix(uint32_t outputBytes) {
  pobix = std::make_unique<CPobix>();
  EXPECT_EQ(pobix->OutputInit(0, FillCallback), 1u);
  pobix->SetOutputBufferInfo(2, outputBytes);
  pobix->UpdatePlayerDropoutMessageCallback(DropoutCallback);
  pobix->UpdateEndOfAudioCallback(EndCallback);
  for (int i = 0; i < pobix->inputPhysicalDeviceCount; ++i) pobix->SetupPhysicalInput(static_cast<uint32_t>(i), 44100, 16);
  pobix->UpdateRecorderEndOfAudioCallback(RecorderEndCallback);
  pobix->UpdateRecorderDropoutMessageCallback(DropoutCallback);
}

unsigned int PobixTest::AddInput(int32_t inputIndex, bool stereo, int32_t slot, uint32_t inputBytes) {
  PobixInit init{};
  init.inputIndex = inputIndex;
  init.bitsPerSample = 16;
  init.samplesPerSecond = 44100;
  init.recordSlot = slot;
  init.stereo = stereo ? 1 : 0;
  init.callback = InputCallback;
  const unsigned int result = pobix->AddInput(&init);
  if (result == 0) pobix->SetInputBufferInfo(static_cast<int16_t>(inputIndex), 2, inputBytes);
  return result;
}

void PobixTest::Advance(uint32_t ms, uint32_t stepMs) {
  while (ms > 0) {
    const uint32_t step = std::min(ms, stepMs);
    system->Advance(step);
    ms -= step;
  }
}

void PobixTest::Plan(std::vector<FillStep> steps) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_plan = std::move(steps);
  g_planIndex = 0;
}

CallbackLog PobixTest::Log() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_log;
}

std::vector<uint8_t> PobixTest::Delivered(uint32_t slot) {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_log.delivered[slot];
}

bool PobixTest::Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 5000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return condition();
}

}  // namespace tessiro::test
