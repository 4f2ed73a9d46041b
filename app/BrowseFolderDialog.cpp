#include "BrowseFolderDialog.h"

int CBrowseFolderDialog::BrowseForFolder(std::string& folder) {
  const std::optional<std::string> chosen = ui_.ChooseFolder({kTitle, folder});
  if (!chosen || chosen->empty()) return 0;
  if (IsRootFolder(*chosen)) ui_.Inform(kRootWarning);
  folder = *chosen;
  return 1;
}

bool CBrowseFolderDialog::IsRootFolder(const std::string& folder) {
  return !folder.empty() && folder.find_first_not_of('/') == std::string::npos;
}
