// The settings, properties and creation dialogs as the answers of the core's requests.
#pragma once

#include <functional>
#include <string>

#include "ProSettingsDialog.h"
#include "UiServices.h"

class QWidget;

namespace dialogs {

struct DialogServices {
  std::function<QWidget*()> parent;  // the window the dialogs are shown over (the main frame)
  FolderBrowsing browsing;           // "Browse..." of the application settings
  std::function<void(const std::string&)> inform;  // refusals, with the information icon
};

void AnswerSettingsRequests(ui::CRequestHandlers& handlers, const DialogServices& services);

}  // namespace dialogs
