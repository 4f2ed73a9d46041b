// Seams for a CProApp outside the program, in the preview tool and the views'
// benchmark: every box answers OK, every dialog is cancelled, nothing posted
// is delivered, and the view host only passes the view's own calls on to it.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "QuietProgress.h"
#include "UiServices.h"
#include "frame/ProViewHost.h"
#include "view/ProView.h"

namespace tools {

class CQuietUi final : public ui::IUserInterface {
 public:
  int MessageBox(const std::string& text, ui::Icon, ui::Buttons) override {
    std::fprintf(stderr, "box: %s\n", text.c_str());
    return ui::kAnswerOk;
  }
  std::optional<std::string> ChooseFile(const ui::FileChooser&) override { return std::nullopt; }
  std::optional<std::string> ChooseFolder(const ui::FolderChooser&) override { return std::nullopt; }

 protected:
  std::any Ask(std::type_index, const void*, const char* kind) override {
    std::fprintf(stderr, "dialog not shown: %s\n", kind);
    return {};
  }
};

class CQuietThread final : public ui::IUiThread {
 public:
  void SetReceiver(ui::IMessageReceiver*) override {}
  bool Post(uint32_t, int64_t, int64_t) override { return false; }
  void Close() override {}
  void SetTimer(uint32_t, uint32_t) override {}
  void KillTimer(uint32_t) override {}
  bool IsTimerRunning(uint32_t) const override { return false; }
  uint32_t TickCount() const override { return 0; }
};

class CQuietProfile final : public ui::IProfile {
 public:
  std::string GetString(const std::string& section, const std::string& entry) override {
    return values_[section + "/" + entry];
  }
  void WriteString(const std::string& section, const std::string& entry, const std::string& value) override {
    values_[section + "/" + entry] = value;
  }

 private:
  std::map<std::string, std::string> values_;
};

struct QuietServices {
  CQuietUi ui;
  ui::CQuietProgress progress;
  CProViewHost view;
  CQuietThread thread;
  CQuietProfile profile;
  ui::UiServices Services() { return {ui, progress, view, thread, profile}; }
};

}  // namespace tools
