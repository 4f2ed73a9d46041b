#include "OperationWindow.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
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

std::vector<std::string> InitForm(forms::CFXDialog& form) {
  std::vector<std::string> told;
  form.SetInform([&told](const std::string& text) { told.push_back(text); });
  form.InitDialog();
  form.SetInform({});
  return told;
}

int RunOperationWindow(COperationWindow& window, forms::CFXDialog& form, const std::vector<std::string>& told,
                       const std::function<void(COperationWindow&)>& before) {
  const auto inform = [&window](const std::string& text) {
    QMessageBox::information(&window, window.windowTitle(), QString::fromStdString(text));
  };
  form.SetInform(inform);
  int answer = QDialog::Rejected;
  if (before) {
    for (const std::string& text : told) inform(text);
    before(window);
    answer = window.result();
  } else {
    // Once the window is up, so that the box stands over what it speaks of.
    QTimer::singleShot(0, &window, [told, inform] {
      for (const std::string& text : told) inform(text);
    });
    answer = window.exec();
  }
  form.SetInform({});
  return answer;
}

std::optional<OperationDialogValues> COperationDialogs::Run(forms::CFXDialog& form, const OperationDialogSetup& setup) {
  form.SetChannelCount(setup.channels);
  form.SetAvailable(setup.highlightAvailable != 0, setup.markersAvailable != 0);
  form.SetScope(setup.scope);
  const std::vector<std::string> told = InitForm(form);
  COperationWindow window(form, parent_);
  if (RunOperationWindow(window, form, told, before_) != QDialog::Accepted) return std::nullopt;
  OperationDialogValues values;
  form.GetParameters(&values);
  return values;
}

}  // namespace dialogs
