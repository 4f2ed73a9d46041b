// Message boxes, file and folder choosers and the typed requests of the core,
// shown as Qt windows over the main window.
//
// A request kind that no dialog answers yet is taken as cancelled, with a line
// on standard error naming it: the core treats "no answer" as the user's
// cancel, so the program goes on with its defaults.
//
// Threads: user-interface thread only; each call may run a modal loop.
#pragma once

#include <QString>
#include <functional>

#include "UiServices.h"

class QWidget;

// "Projects (*.qvk; *.mix)" or "Wave|*.wav|MP3|*.mp3||" as a Qt name filter list.
QString QtFileFilter(const std::string& filter);
// A typed file name gets the default extension when it has none.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

class CQtUserInterface final : public ui::IUserInterface {
 public:
  static constexpr const char* kTitle = "Tessiro";

  // parent: the window the boxes belong to (the main frame once it exists).
  explicit CQtUserInterface(std::function<QWidget*()> parent = {});

  int MessageBox(const std::string& text, ui::Icon icon, ui::Buttons buttons = ui::Buttons::Ok) override;
  std::optional<std::string> ChooseFile(const ui::FileChooser& chooser) override;
  std::optional<std::string> ChooseFolder(const ui::FolderChooser& chooser) override;

  // Where the dialogs register the request kinds they answer.
  ui::CRequestHandlers& Handlers() { return handlers_; }

 protected:
  std::any Ask(std::type_index kind, const void* request, const char* kindName) override;

 private:
  QWidget* Parent() const { return parent_ ? parent_() : nullptr; }

  std::function<QWidget*()> parent_;
  ui::CRequestHandlers handlers_;
};
