#include "AppFixture.h"

#include <fstream>
#include <iterator>

#include "Folders.h"
#include "requests/StartupRequests.h"

namespace tessiro::test {

void AppTest::SetUp() { UseDevices({"Virtual Output"}, {"Virtual Input 1", "Virtual Input 2"}); }

void AppTest::TearDown() {
  Stop();
  seams.ui.CheckDone();
  platform::SetWaveSystem(nullptr);
  std::remove(ConfigPath().c_str());
}

void AppTest::UseDevices(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs) {
  wave = std::make_shared<platform::CVirtualWaveSystem>();
  for (const std::string& name : outputs) wave->AddOutput(name);
  for (const std::string& name : inputs) wave->AddInput(name);
  platform::SetWaveSystem(wave);
}

void AppTest::MakeApp() { app = std::make_unique<CProApp>(seams.Services()); }

bool AppTest::Start(const std::string& projectPath) {
  MakeApp();
  return app->InitInstance({projectPath});
}

void AppTest::ExpectFirstStart(const std::string& folder, int32_t device) {
  seams.ui.ExpectRequest<InitDialog1Request>();
  seams.ui.ExpectRequest<InitDialog2Request>(InitDialog2Request::Result{folder, device});
}

void AppTest::Stop() { app.reset(); }

std::string AppTest::ConfigPath() const { return platform::ProgramFolder() + "/qvk.cfg"; }

void AppTest::WriteConfig(const std::string& folder, void (*edit)(ProConfig&)) {
  ProConfig config;
  config.ApplyFirstStartDefaults(folder, 0);
  if (edit) edit(config);
  uint8_t image[ProConfig::kBytes];
  config.Serialize(image);
  platform::CreateFolder(platform::ProgramFolder());
  std::ofstream(ConfigPath(), std::ios::binary).write(reinterpret_cast<const char*>(image), sizeof image);
}

std::vector<uint8_t> AppTest::ReadFile(const std::string& path) const {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace tessiro::test
