// The modal windows of the edit operations and the answers they give the
// core's typed requests. The nine forms live as long as this object, so each
// showing starts from the values of the last one.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "OperationDialogs.h"
#include "UiServices.h"

namespace dialogs {

class CFormWidget;

// One form in a window with OK and Cancel. OK first hands over what was typed
// into an edit not yet left, so that value counts.
class COperationWindow : public QDialog {
  Q_OBJECT

 public:
  COperationWindow(forms::CFXDialog& form, QWidget* parent = nullptr);
  void accept() override;
  CFormWidget& Form() { return *widget_; }

 private:
  CFormWidget* widget_;
};

// Readies the form for a showing (its presets among it). What it told meanwhile
// (a preset file it could not read) is kept for the window to show.
std::vector<std::string> InitForm(forms::CFXDialog& form);

// Shows the window modally, or hands it to before (which acts on it and closes
// it) when set; what InitForm kept, and the form's information boxes, open
// over it. The window's result.
int RunOperationWindow(COperationWindow& window, forms::CFXDialog& form, const std::vector<std::string>& told,
                       const std::function<void(COperationWindow&)>& before);

class COperationDialogs {
 public:
  explicit COperationDialogs(QWidget* parent = nullptr) : parent_(parent) {}

  // Shows the request's dialog modally; the values after OK, nothing after Cancel.
  template <class Request>
  std::optional<OperationDialogValues> Ask(const Request& request) {
    return Run(FormOf<Request>(), request.setup);
  }

  // The form a request is answered with, for the caller to look into.
  template <class Request>
  forms::CFXDialog& FormOf();

  // Runs instead of the modal loop: whoever is given the window acts on it and
  // closes it (the tests, with no one to click).
  void SetBeforeRun(std::function<void(COperationWindow&)> before) { before_ = std::move(before); }
  void SetPresetFolder(const std::string& folder);

 private:
  std::optional<OperationDialogValues> Run(forms::CFXDialog& form, const OperationDialogSetup& setup);

  QWidget* parent_;
  std::function<void(COperationWindow&)> before_;
  forms::CMuteDialog mute_;
  forms::CMixPasteDialog mixPaste_;
  forms::CVolumeDialog volume_;
  forms::CFadeDialog fade_;
  forms::CReverseDialog reverse_;
  forms::CSwapDialog swap_;
  forms::CCopyChannelDialog copyChannel_;
  forms::CStretchCompressDialog stretch_;
  forms::CPitchShiftDialog pitch_;
};

template <> inline forms::CFXDialog& COperationDialogs::FormOf<MuteDialogRequest>() { return mute_; }
template <> inline forms::CFXDialog& COperationDialogs::FormOf<MixPasteDialogRequest>() { return mixPaste_; }
template <> inline forms::CFXDialog& COperationDialogs::FormOf<VolumeDialogRequest>() { return volume_; }
template <> inline forms::CFXDialog& COperationDialogs::FormOf<FadeDialogRequest>() { return fade_; }
template <> inline forms::CFXDialog& COperationDialogs::FormOf<ReverseDialogRequest>() { return reverse_; }
template <> inline forms::CFXDialog& COperationDialogs::FormOf<SwapDialogRequest>() { return swap_; }
template <> inline forms::CFXDialog& COperationDialogs::FormOf<CopyChannelDialogRequest>() { return copyChannel_; }
template <> inline forms::CFXDialog& COperationDialogs::FormOf<StretchCompressDialogRequest>() { return stretch_; }
template <> inline forms::CFXDialog& COperationDialogs::FormOf<PitchShiftDialogRequest>() { return pitch_; }

// The nine edit operations' requests answered by dialogs.
void AnswerOperationRequests(ui::CRequestHandlers& handlers, COperationDialogs& dialogs);

}  // namespace dialogs
