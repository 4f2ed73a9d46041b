// A CProApp on scripted seams and a virtual sound card, with its own audio folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedUi.h"
#include "TempFolder.h"
#include "VirtualWaveSystem.h"
#include "pro.h"

namespace tessiro::test {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The sound card the next CProApp sees; by default one output and two inputs.
  void UseDevices(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs);
  void MakeApp();
  // Makes the application and runs its start-up; a first start is scripted
  // with the audio folder of the test and output device 0.
  bool Start(const std::string& projectPath = "");
  // The first-start pages, answered with folder and device.
  void ExpectFirstStart(const std::string& folder, int32_t device = 0);
  // Ends the application as the program does (shut-down in the destructor).
  void Stop();

  std::string ConfigPath() const;
  // A configuration file as a first start with this folder writes it, changed by edit.
  void WriteConfig(const std::string& folder, void (*edit)(ProConfig&) = nullptr);
  std::vector<uint8_t> ReadFile(const std::string& path) const;

  ScriptedServices seams;
  CTempFolder audio;
  std::shared_ptr<platform::CVirtualWaveSystem> wave;
  std::unique_ptr<CProApp> app;
};

}  // namespace tessiro::test
