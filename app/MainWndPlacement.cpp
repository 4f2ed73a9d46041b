#include "MainWndPlacement.h"

#include <cstdio>

std::string FormatWindowPlacement(const WindowPlacement& p) {
  char text[160];
  std::snprintf(text, sizeof text, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd, p.minX, p.minY, p.maxX, p.maxY,
                p.left, p.top, p.right, p.bottom);
  return text;
}

std::optional<WindowPlacement> ParseWindowPlacement(const std::string& text) {
  if (text.empty()) return std::nullopt;
  WindowPlacement p;
  int consumed = 0;
  int n = std::sscanf(text.c_str(), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d%n", &p.flags, &p.showCmd, &p.minX, &p.minY, &p.maxX,
                      &p.maxY, &p.left, &p.top, &p.right, &p.bottom, &consumed);
  if (n != 10) return std::nullopt;
  return p;
}

std::optional<WindowPlacement> CMainWndPlacement::Read(uint32_t showCmd) const {
  std::optional<WindowPlacement> p = ParseWindowPlacement(profile_.GetString(kSection, kEntry));
  if (!p) return std::nullopt;
  if (showCmd != WindowPlacement::kShowNormal && showCmd != WindowPlacement::kShow) p->showCmd = showCmd;
  return p;
}

void CMainWndPlacement::Write(WindowPlacement placement, bool maximized) {
  placement.flags = maximized ? WindowPlacement::kRestoreToMaximized : 0;
  if (maximized) placement.showCmd = WindowPlacement::kShowMaximized;
  profile_.WriteString(kSection, kEntry, FormatWindowPlacement(placement));
}
