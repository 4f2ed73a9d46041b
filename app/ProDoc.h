// The document shell: it holds no project data, only the title the main window
// shows ("<title> - Tessiro"); the project itself lives in CProApp.
#pragma once

#include <string>

class CProDoc {
 public:
  static constexpr const char* kUntitled = "Untitled";

  const std::string& GetTitle() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  // The main window's caption for the title.
  std::string GetWindowTitle() const { return title_ + " - Tessiro"; }

 private:
  std::string title_ = kUntitled;
};
