#include "FirstStartForms.h"

#include "Folders.h"
#include "Generic.h"

namespace forms {

namespace {
constexpr const char* kSourceInit2 = "InitDialog2";
constexpr int kLineNoOutputDevice = 40;
}  // namespace

const char* CInitDialog1::Caption() { return "Welcome to Tessiro"; }

const char* CInitDialog1::WelcomeText() {
  return "Welcome to Tessiro, the multi-track recorder and editor.  Everything it does is described in the "
         "manual behind the \"Help\" toolbar button, and online at the address below.";
}

const char* CInitDialog1::SetupNote() {
  return "We will now prompt you with setup selections.  You can change your choices at any time by selecting "
         "the \"Settings\" pull down menu.  We also suggest you take a moment to read the following license "
         "agreement.";
}

std::vector<HyperLink> CInitDialog1::Links() {
  return {{kIdWebSite, "www.tessiro.org", "https://www.tessiro.org/"},
          {kIdSupportMail, "support@tessiro.org", "mailto:support@tessiro.org"},
          {kIdManual, "The online manual", "https://www.tessiro.org/manual/"}};
}

CInitDialog2::CInitDialog2(const InitDialog2Request& request)
    : outputDevices_(request.outputDevices), audioPath_(request.audioPath) {
  outputDevice_ = outputDevices_.empty() ? -1 : 0;
  SelectOutputDevice(request.outputDevice);
}

const char* CInitDialog2::Caption() { return "Tessiro Setup"; }

const char* CInitDialog2::AudioPathNote() {
  return "The Audio Path contains all digital audio associated with a project as well as any temporary files "
         "needed while working on a project.  To change the Audio Path, click the \"Browse...\" button.";
}

const char* CInitDialog2::LicenseText() {
  return "TESSIRO LICENSE AGREEMENT\n\n"
         "You may install and use this program on any number of computers you own.  You may make copies of it "
         "for your own backup.\n\n"
         "The audio you record, import and create with this program is yours.\n\n"
         "This program is provided as it is, without warranty of any kind.  Keep copies of the recordings that "
         "matter to you: the authors are not liable for any loss of data or other damage arising from its use.";
}

void CInitDialog2::OnInitDialog() {
  if (outputDevices_.empty()) ReportError(kSourceInit2, kLineNoOutputDevice, kNoOutputDevice);
}

void CInitDialog2::SelectOutputDevice(int index) {
  // A stored index past the list would name no device: keep the one shown.
  if (index >= 0 && static_cast<size_t>(index) < outputDevices_.size()) outputDevice_ = index;
}

FolderCheck CInitDialog2::ApplyBrowsed(const std::optional<std::string>& chosen) {
  if (!chosen || chosen->empty()) return FolderCheck::Accepted;
  const FolderCheck check = CheckAudioFolderLength(*chosen);
  if (check == FolderCheck::Accepted) audioPath_ = *chosen;
  return check;
}

FolderCheck CInitDialog2::OnOK() {
  if (CheckAudioFolderLength(audioPath_) == FolderCheck::TooLong) return FolderCheck::TooLong;
  return !audioPath_.empty() && platform::CreateFolder(audioPath_) ? FolderCheck::Accepted : FolderCheck::NotUsable;
}

InitDialog2Request::Result CInitDialog2::Result() const {
  InitDialog2Request::Result result;
  result.audioPath = audioPath_;
  result.outputDevice = outputDevice_ < 0 ? 0 : outputDevice_;
  return result;
}

}  // namespace forms
