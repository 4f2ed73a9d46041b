// The main window's placement, remembered in the profile ("Settings",
// "MainWndPos") as ten numbers: flags, show command, minimised x and y,
// maximised x and y, and the normal rectangle's left, top, right and bottom.
// The window side (applying it after the first paint, reading it when the
// window is destroyed) belongs to the main frame; this is the stored form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "UiServices.h"

struct WindowPlacement {
  static constexpr uint32_t kRestoreToMaximized = 2;
  static constexpr uint32_t kShowNormal = 1;
  static constexpr uint32_t kShowMaximized = 3;
  static constexpr uint32_t kShow = 5;

  uint32_t flags = 0;
  uint32_t showCmd = kShowNormal;
  int32_t minX = -1, minY = -1;
  int32_t maxX = -1, maxY = -1;
  int32_t left = 0, top = 0, right = 0, bottom = 0;

  bool IsMaximized() const { return flags == kRestoreToMaximized || showCmd == kShowMaximized; }
};

// "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d"
std::string FormatWindowPlacement(const WindowPlacement& placement);
// Succeeds only when the text is not empty and all ten values parse.
std::optional<WindowPlacement> ParseWindowPlacement(const std::string& text);

class CMainWndPlacement {
 public:
  static constexpr const char* kSection = "Settings";
  static constexpr const char* kEntry = "MainWndPos";

  explicit CMainWndPlacement(ui::IProfile& profile) : profile_(profile) {}

  // The stored placement, with the show command to use: a given show command
  // replaces the stored one unless it is the plain show (1 or 5).
  std::optional<WindowPlacement> Read(uint32_t showCmd) const;
  // What the window reports when it is destroyed; flags 2 when maximised.
  void Write(WindowPlacement placement, bool maximized);

  // Set once the stored placement has been applied (after the first paint).
  bool restored = false;

 private:
  ui::IProfile& profile_;
};
