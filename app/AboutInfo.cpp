#include "AboutInfo.h"

std::string ManualAddress(const std::string& manualFolder, const std::string& section) {
  std::string address = "file://" + manualFolder + "/index.html";
  if (!section.empty()) address += "#" + section;
  return address;
}

AboutInfo MakeAboutInfo(const std::string& manualFolder) {
  AboutInfo info;
  info.links[0] = {1335, "Tessiro on the web", ManualAddress(manualFolder)};
  info.links[1] = {1336, AboutInfo::kSupportAddress, std::string("mailto:") + AboutInfo::kSupportAddress};
  info.links[2] = {1337, "The L.A.M.E. encoder", ManualAddress(manualFolder, "mp3")};
  info.links[3] = {1338, "Online tutorial", ManualAddress(manualFolder, "tutorial")};
  return info;
}
