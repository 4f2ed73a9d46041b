// The effect holder's modal window: one effect panel with OK and Cancel, for a
// destructive effect on audio, and the answer it gives the core's request.
#pragma once

#include <functional>
#include <optional>

#include "FXHolder.h"
#include "OperationWindow.h"

namespace dialogs {

class CFXHolderWindow : public COperationWindow {
  Q_OBJECT

 public:
  // The panel's room in the window.
  static constexpr int kPanelWidth = 510, kPanelHeight = 335;

  // The holder's chosen panel, under the holder's caption.
  CFXHolderWindow(forms::CFXHolder& holder, forms::CEffectPanel& panel, QWidget* parent = nullptr);
};

class CFXHolderDialogs {
 public:
  explicit CFXHolderDialogs(QWidget* parent = nullptr) : parent_(parent) {}

  // Shows the request's panel modally: the record and values after OK, nothing after Cancel.
  std::optional<FXHolderRequest::Result> Ask(const FXHolderRequest& request);
  forms::CFXHolder& Holder() { return holder_; }
  // Runs instead of the modal loop: whoever is given the window acts on it and closes it.
  void SetBeforeRun(std::function<void(COperationWindow&)> before) { before_ = std::move(before); }

 private:
  QWidget* parent_;
  std::function<void(COperationWindow&)> before_;
  forms::CFXHolder holder_;
};

// The effect operations' requests answered by the holder.
void AnswerHolderRequests(ui::CRequestHandlers& handlers, CFXHolderDialogs& dialogs);

}  // namespace dialogs
