// The two pages of the first start, as models with no widgets: what they show,
// what the user changed, and what they hand back to the core.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "AudioFolder.h"
#include "requests/StartupRequests.h"

namespace forms {

struct HyperLink {
  int id;
  std::string text;
  std::string target;
};

class CInitDialog1 {
 public:
  static constexpr int kIdWebSite = 1262;
  static constexpr int kIdSupportMail = 1263;
  static constexpr int kIdManual = 1264;
  static constexpr int kIdWelcome = 1123;
  static constexpr int kIdSetupNote = 1124;

  static const char* Caption();
  static const char* WelcomeText();
  static const char* SetupNote();
  static std::vector<HyperLink> Links();
};

class CInitDialog2 {
 public:
  static constexpr int kIdOutputDevice = 1330;
  static constexpr int kIdAudioPath = 1331;
  static constexpr int kIdBrowse = 1104;
  static constexpr int kIdLicense = 1122;
  static constexpr const char* kNoOutputDevice = "No CD Quality Audio Output Devices Detected";

  explicit CInitDialog2(const InitDialog2Request& request);

  static const char* Caption();
  static const char* AudioPathNote();
  static const char* LicenseText();

  // Reports a machine with no output device; the page still opens.
  void OnInitDialog();

  const std::vector<std::string>& OutputDevices() const { return outputDevices_; }
  // The combo's selection; -1 when there is nothing to choose.
  int OutputDevice() const { return outputDevice_; }
  void SelectOutputDevice(int index);

  const std::string& AudioPath() const { return audioPath_; }
  void SetAudioPath(const std::string& typed) { audioPath_ = typed; }
  // The folder browser's answer: a chosen folder replaces the path, a cancel
  // keeps it. A folder too long to be kept is refused (TooLong, path kept).
  FolderCheck ApplyBrowsed(const std::optional<std::string>& chosen);

  // OK: refuses a path too long to be kept (TooLong, nothing made); otherwise
  // makes the folder (an existing one is fine): NotUsable when it could not be
  // made, which the core asks about again before it uses the folder.
  FolderCheck OnOK();
  InitDialog2Request::Result Result() const;

 private:
  std::vector<std::string> outputDevices_;
  std::string audioPath_;
  int outputDevice_ = 0;
};

}  // namespace forms
