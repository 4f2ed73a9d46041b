// The configuration file "qvk.cfg": read once at start-up, written once at exit.
#include <cerrno>
#include <cstdio>
#include <vector>

#include "AudioFolder.h"
#include "BrowseFolderDialog.h"
#include "File.h"
#include "FileReplace.h"
#include "Folders.h"
#include "Generic.h"
#include "pro.h"

namespace {

constexpr const char* kSource = "pro";
constexpr int kLineShortRead = 20008;
constexpr int kLineWriteFailed = 20086;

bool WriteWhole(const std::string& path, const uint8_t* data, size_t count) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(data, 1, count, file) == count;
  ok = std::fflush(file) == 0 && ok;
  return std::fclose(file) == 0 && ok;
}

}  // namespace

std::string CProApp::GetConfigPath() const { return programFolder_.Path() + "/qvk.cfg"; }

bool CProApp::ConfigExists() const {
  std::vector<uint8_t> none;
  int64_t size = 0;
  return platform::ReadRegularFile(GetConfigPath(), 0, &none, &size) && size > 0;
}

bool CProApp::LoadConfig() {
  const std::string path = GetConfigPath();
  std::vector<uint8_t> image;
  int64_t size = 0;
  // Anything but a plain file (a folder, a FIFO, a device) reads as nothing at all.
  const bool opened = platform::ReadRegularFile(path, ProConfig::kBytes, &image, &size);
  if (opened ? size < 1 : errno == ENOENT) return false;
  if (!image.empty()) config.Parse(image.data(), image.size());
  if (image.size() < ProConfig::kBytes) {
    char message[600];
    std::snprintf(message, sizeof message,
                  "The entire config file was not read in.  Config file: (%s).  Amount read in: %ld", path.c_str(),
                  static_cast<long>(image.size()));
    ReportError(kSource, kLineShortRead, message);
    return false;
  }
  configFilled_ = true;
  audioFolderAbandoned_ = !TakeUsableAudioFolder(config.GetAudioFolder());
  return true;
}

bool CProApp::TakeUsableAudioFolder(std::string folder) {
  for (FolderCheck check; (check = CheckAudioFolder(folder)) != FolderCheck::Accepted;) {
    services.ui.MessageBox(FolderRefusalText(folder, check), ui::Icon::Error, ui::Buttons::Ok);
    std::string chosen = platform::DefaultAudioFolder();
    // Without a folder there is nowhere to record to; the user may still leave, told why.
    if (CBrowseFolderDialog(services.ui).BrowseForFolder(chosen) != 1) {
      services.ui.MessageBox(kNoAudioFolderText, ui::Icon::Error, ui::Buttons::Ok);
      return false;
    }
    folder = chosen;
  }
  return config.SetAudioFolder(folder);
}

void CProApp::SaveConfig() {
  if (!configFilled_) return;
  config.useTrackColors = useTrackColors;
  uint8_t image[ProConfig::kBytes];
  config.Serialize(image);
  const std::string path = GetConfigPath();
  platform::CreateFolder(platform::FolderOfPath(path));
  // Through a link: the file it names gets the settings, and the link stays.
  const std::string target = platform::ReplacedFile(path);
  // The old file stays whole until the new one is complete on disk; a
  // read-only one is not replaced at all.
  platform::CTemporaryFileGuard temporary(
      platform::MakeUniqueFile(platform::FolderOfPath(target), ".qvk.cfg-", ".tmp"));
  bool written = !temporary.Path().empty() && WriteWhole(temporary.Path(), image, sizeof image) &&
                 platform::ReplaceFileWith(temporary.Path(), target);
  if (written) {
    temporary.Release();
    return;
  }
  char message[600];
  std::snprintf(message, sizeof message, "Failed to write to Quillon config file (%s)", path.c_str());
  ReportError(kSource, kLineWriteFailed, message);
}

void CProApp::ApplyQualityPreset(int level) {
  qualityLevel = static_cast<int16_t>(level);
  QualityPreset preset;
  if (!GetQualityPreset(level, &preset)) return;
  bestFitSkip = preset.skip;
  bestFitShave = preset.shave;
  bestFitCorrelationLimit = preset.correlationLimit;
}
