#include "OperationWindow.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "FormWidget.h"

namespace dialogs {

COperationWindow::COperationWindow(forms::CFXDialog& form, QWidget* parent) : QDialog(parent) {
  setObjectName(QString("dlg%1").arg(form.TemplateId()));
  setWindowTitle(QString::fromStdString(form.Caption()));
  auto* layout = new QVBoxLayout(this);
  widget_ = new CFormWidget(form, this);
  layout->addWidget(widget_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QString::number(forms::id::kOk));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QString::number(forms::id::kCancel));
  connect(buttons, &QDialogButtonBox::accepted, this, &COperationWindow::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &COperationWindow::reject);
  layout->addWidget(buttons);
}

void COperationWindow::accept() {
  widget_->CommitTypedEdits();
  QDialog::accept();
}

namespace {
template <class Request>
void Answer(ui::CRequestHandlers& handlers, COperationDialogs& dialogs) {
  handlers.On<Request>([&dialogs](const Request& request) { return dialogs.Ask(request); });
}
}  // namespace

void AnswerOperationRequests(ui::CRequestHandlers& handlers, COperationDialogs& dialogs) {
  Answer<MuteDialogRequest>(handlers, dialogs);
  Answer<MixPasteDialogRequest>(handlers, dialogs);
  Answer<VolumeDialogRequest>(handlers, dialogs);
  Answer<FadeDialogRequest>(handlers, dialogs);
  Answer<ReverseDialogRequest>(handlers, dialogs);
  Answer<SwapDialogRequest>(handlers, dialogs);
  Answer<CopyChannelDialogRequest>(handlers, dialogs);
  Answer<StretchCompressDialogRequest>(handlers, dialogs);
  Answer<PitchShiftDialogRequest>(handlers, dialogs);
}

void COperationDialogs::SetPresetFolder(const std::string& folder) {
  for (forms::CFXDialog* form : std::initializer_list<forms::CFXDialog*>{
           &mute_, &mixPaste_, &volume_, &fade_, &reverse_, &swap_, &copyChannel_, &stretch_, &pitch_}) {
    form->SetPresetFolder(folder);
  }
}

int RunOperationWindow(COperationWindow& window, forms::CFXDialog& form,
                       const std::function<void(COperationWindow&)>& before) {
  form.SetInform([&window](const std::string& text) {
    QMessageBox::information(&window, window.windowTitle(), QString::fromStdString(text));
  });
  int answer = QDialog::Rejected;
  if (before) {
    before(window);
    answer = window.result();
  } else {
    answer = window.exec();
  }
  form.SetInform({});
  return answer;
}

std::optional<OperationDialogValues> COperationDialogs::Run(forms::CFXDialog& form, const OperationDialogSetup& setup) {
  form.SetChannelCount(setup.channels);
  form.SetAvailable(setup.highlightAvailable != 0, setup.markersAvailable != 0);
  form.SetScope(setup.scope);
  form.InitDialog();
  COperationWindow window(form, parent_);
  if (RunOperationWindow(window, form, before_) != QDialog::Accepted) return std::nullopt;
  OperationDialogValues values;
  form.GetParameters(&values);
  return values;
}

}  // namespace dialogs
