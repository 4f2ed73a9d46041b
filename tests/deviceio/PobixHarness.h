// A device object over a virtual sound card whose clock the test moves, with
// callbacks that record what they were given and when.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Pobix.h"
#include "VirtualWaveSystem.h"

namespace tessiro::test {

using platform::CVirtualWaveSystem;
using Direction = CVirtualWaveSystem::Direction;

// 17640 bytes are exactly 100 ms: late thresholds and positions stay whole numbers.
constexpr uint32_t kBufferBytes = 17640;
constexpr uint32_t kFull = 0xFFFFFFFF;

// One answer of the fill callback: bytes to give (kFull: the whole buffer), the end
// flag, and how long the fill takes on the device clock.
struct FillStep {
  uint32_t bytes = kFull;
  bool end = false;
  uint32_t slowMs = 0;
};

// The byte at an offset of the stream the fill callback plays.
uint8_t StreamByte(uint64_t offset);

struct CallbackLog {
  std::vector<uint64_t> ends;           // clock of each player end of audio
  std::vector<uint64_t> recorderEnds;   // clock of each recorder end of audio
  std::vector<std::string> sequence;    // "end", "dropout", "recorder end", "recorder dropout" in order
  std::vector<std::pair<std::string, std::string>> dropouts;
  std::vector<uint32_t> fillSizes;      // bytes asked of each fill
  std::vector<uint8_t> filled;          // what the fills gave, in order
  std::map<uint32_t, std::vector<uint8_t>> delivered;  // by record slot
  std::map<uint32_t, std::vector<uint32_t>> deliveries;  // sizes, by record slot
};

class PobixTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Swaps the test's device clock for one that follows real time, or for a
  // manual one that starts at startMs.
  void UseRealTime();
  void UseClockStart(uint64_t startMs);
  // Scripted devices, numbered from 0 in order.
  void Devices(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs);
  // Builds the device object as the program does at start-up: output first, then
  // one recorder per physical input, and the callbacks.
  void MakePobix(uint32_t outputBytes = kBufferBytes);
  unsigned int AddInput(int32_t inputIndex, bool stereo, int32_t slot, uint32_t inputBytes = kBufferBytes);
  void Advance(uint32_t ms, uint32_t stepMs = 10);

  void Plan(std::vector<FillStep> steps);
  // The fill callback's answers after the plan: full buffers, never the end.
  CallbackLog Log();
  std::vector<uint8_t> Delivered(uint32_t slot);
  // Polls until the condition holds, for at most five seconds.
  static bool Eventually(const std::function<bool()>& condition);

  std::shared_ptr<CVirtualWaveSystem> system;
  std::unique_ptr<CPobix> pobix;
};

// Hooks the callbacks run, on the device threads, after recording what they saw.
struct Hooks {
  std::function<void()> onEnd;
  std::function<void()> onRecorderEnd;
  std::function<void(uint32_t slot, size_t deliveryNumber)> onInput;
  std::function<void(size_t fillNumber)> onFill;
};
Hooks& TestHooks();

void EndCallback();
void RecorderEndCallback();
void DropoutCallback(const char* where, const char* what);
void FillCallback(uint32_t zero, unsigned char* buffer, uint32_t bytes, uint32_t* filled, int32_t* end);
void InputCallback(uint32_t slot, unsigned char* data, uint32_t bytes, uint32_t* taken, int32_t* reserved);

// The known signal of a virtual input at a frame of the device clock.
struct Frame {
  int16_t left;
  int16_t right;
};
Frame SignalFrame(uint64_t clockFrame);
int16_t SampleAt(const std::vector<uint8_t>& bytes, size_t index);

}  // namespace tessiro::test
