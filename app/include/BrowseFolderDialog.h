// The folder chooser of the audio folder, the same wherever it opens: the
// first start's settings, Application Settings and the start-up's question
// for a usable folder.
//
// Threads: user-interface thread only (it runs a modal chooser).
#pragma once

#include <string>

#include "UiServices.h"

class CBrowseFolderDialog {
 public:
  static constexpr const char* kTitle = "Please Select an Audio Path:";
  static constexpr const char* kRootWarning =
      "We recommend that you use a folder instead of a root direcotry.\nFeel free to click 'Browse' to make a change.";

  explicit CBrowseFolderDialog(ui::IUserInterface& ui) : ui_(ui) {}

  // Shows the chooser once, opened at the folder in `folder`: 1 with the choice
  // in `folder`, 0 (folder kept) when cancelled. The root of the file system is
  // taken after the warning; paths keep their case.
  int BrowseForFolder(std::string& folder);

  // "/" alone earns the root warning.
  static bool IsRootFolder(const std::string& folder);

 private:
  ui::IUserInterface& ui_;
};
