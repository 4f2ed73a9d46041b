// Records one armed track over playback on a virtual sound card, for a test
// that kills it while it records. It prints the take's file and, after every
// step of the card's clock, the bytes delivered to the take so far and the
// card's frame at which playback began:
//   PCM <path>
//   BYTES <delivered> <first played frame>
// Usage: recording_helper <program folder> <audio folder>
#include <stdlib.h>

#include <cstdio>
#include <fstream>

#include "Folders.h"
#include "ScriptedUi.h"
#include "VirtualWaveSystem.h"
#include "pro.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <program folder> <audio folder>\n", argv[0]);
    return 2;
  }
  setenv("TESSIRO_HOME", argv[1], 1);
  auto wave = std::make_shared<platform::CVirtualWaveSystem>();
  wave->AddOutput("Virtual Output");
  wave->AddInput("Virtual Input 1");
  platform::SetWaveSystem(wave);

  ProConfig config;
  config.ApplyFirstStartDefaults(argv[2], 0);
  config.bufferFrames = 8192;
  uint8_t image[ProConfig::kBytes];
  config.Serialize(image);
  platform::CreateFolder(platform::ProgramFolder());
  std::ofstream(platform::ProgramFolder() + "/qvk.cfg", std::ios::binary)
      .write(reinterpret_cast<const char*>(image), sizeof image);

  tessiro::test::ScriptedServices seams;
  CProApp app(seams.Services());
  if (!app.InitInstance({})) return 1;
  app.project.ToggleArm(0);
  app.OnRecordProject();
  if (app.recording.load() != 1 || !app.recordSegments[0]) return 1;
  std::printf("PCM %s\n", app.recordSegments[0]->GetPcmFileName().c_str());
  std::fflush(stdout);
  // Until it is killed; a minute of audio at most.
  for (int step = 0; step < 1200; ++step) {
    wave->Advance(50);
    seams.thread.Advance(50);
    const auto runs = wave->PlayedRuns(0);
    std::printf("BYTES %u %llu\n", app.devices.GetOutputBytesWritten(1),
                static_cast<unsigned long long>(runs.empty() ? 0 : runs[0].firstFrame));
    std::fflush(stdout);
  }
  return 0;
}
