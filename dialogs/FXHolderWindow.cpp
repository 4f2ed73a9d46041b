#include "FXHolderWindow.h"

#include "FormWidget.h"

namespace dialogs {

CFXHolderWindow::CFXHolderWindow(forms::CFXHolder& holder, forms::CEffectPanel& panel, QWidget* parent)
    : COperationWindow(panel, parent) {
  setObjectName(QString("dlg%1").arg(forms::CFXHolder::kTemplateId));
  setWindowTitle(QString::fromStdString(holder.Caption()));
  Form().setMinimumSize(QSize(kPanelWidth, kPanelHeight).expandedTo(Form().sizeHint()));
}

std::optional<FXHolderRequest::Result> CFXHolderDialogs::Ask(const FXHolderRequest& request) {
  holder_.SetEffectType(request.panel);
  forms::CEffectPanel* panel = holder_.Panel();
  if (!panel) return std::nullopt;
  panel->SetChannelCount(request.setup.channels);
  holder_.SetSectionAvailable(request.setup.highlightAvailable);
  holder_.SetMarkersAvailable(request.setup.markersAvailable);
  holder_.SetScope(request.setup.scope);
  const std::vector<std::string> told = InitForm(*panel);
  CFXHolderWindow window(holder_, *panel, parent_);
  if (RunOperationWindow(window, *panel, told, before_) != QDialog::Accepted) return std::nullopt;
  FXHolderRequest::Result result;
  if (holder_.BuildEffectRecord(&result) != forms::CFXHolder::kBuilt) return std::nullopt;
  return result;
}

void AnswerHolderRequests(ui::CRequestHandlers& handlers, CFXHolderDialogs& dialogs) {
  handlers.On<FXHolderRequest>([&dialogs](const FXHolderRequest& request) { return dialogs.Ask(request); });
}

}  // namespace dialogs
