// The document shell: it holds no project data, only the title the main window
// shows ("<title> - Tessiro") and a view of the application's modified flag;
// the project itself lives in CProApp.
#pragma once

#include <cstdint>
#include <string>

class CProDoc {
 public:
  static constexpr const char* kUntitled = "Untitled";

  // flag: the application's project-modified flag, which outlives the document.
  explicit CProDoc(int32_t& flag) : modified_(&flag) {}
  bool IsModified() const { return *modified_ != 0; }
  void SetModifiedFlag(bool modified = true) { *modified_ = modified ? 1 : 0; }

  const std::string& GetTitle() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  // The main window's caption for the title.
  std::string GetWindowTitle() const { return title_ + " - Tessiro"; }

 private:
  int32_t* modified_;
  std::string title_ = kUntitled;
};
