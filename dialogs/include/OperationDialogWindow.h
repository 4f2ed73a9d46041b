// The progress window of long operations: the operation's message, a skinned
// bar, the percentage, the estimated remaining time and Cancel. It shows
// itself modeless while the operation runs on the user-interface thread, and
// while it shows every other window of the program takes no input, as if its
// owner were disabled. The logic (counting, the estimate, what Cancel does) is
// the core's COperationDialog; this window only shows and reports Cancel.
//
// Threads: user-interface thread only.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>

#include "UiServices.h"
#include "controls/SkinProgress.h"

class QLabel;
class QPushButton;

class COperationDialogWindow final : public ui::IProgressDisplay {
 public:
  static constexpr int kMessageId = 1000;
  static constexpr int kProgressId = 1001;
  static constexpr int kRemainingId = 1003;
  static constexpr int kPercentId = 1004;
  static constexpr int kCancelId = 2;
  static constexpr int kWidth = 360;
  static constexpr int kHeight = 124;

  // owner: the window the progress window is centred over (the main frame).
  explicit COperationDialogWindow(std::function<QWidget*()> owner = {});
  ~COperationDialogWindow() override;

  // What Cancel (the button, Esc, closing the window) does: the core's OnCancelButton.
  void SetCancelHandler(std::function<void()> handler) { onCancel_ = std::move(handler); }

  bool Create(const std::string& message) override;
  void Destroy() override;
  bool Exists() const override { return !dialog_.isNull(); }
  void SetMessageText(const std::string& text) override;
  void SetPercentText(const std::string& text) override;
  void SetRemainingText(const std::string& text) override;
  void SetBarPosition(int percent) override;
  void DisableCancel() override;
  bool PumpOne() override;

  // The window while it exists (tests, screenshots).
  QDialog* Window() const { return dialog_.data(); }
  CSkinProgress* Bar() const { return bar_.data(); }

 private:
  void Cancel();

  std::function<QWidget*()> owner_;
  std::function<void()> onCancel_;
  QPointer<QDialog> dialog_;
  QPointer<QLabel> message_, percent_, remaining_;
  QPointer<QPushButton> cancel_;
  QPointer<CSkinProgress> bar_;
};
