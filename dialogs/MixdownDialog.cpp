#include "MixdownDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dialogs {

CMixdownDialog::CMixdownDialog(const MixdownDialogRequest& request, std::function<void(const std::string&)> tell,
                               QWidget* parent)
    : CFormDialog(parent), form_(request), tell_(std::move(tell)) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle("Mixdown to Track");
  auto* selection = new QGroupBox("Track Selection", this);
  auto* grid = new QGridLayout(selection);
  for (int t = 0; t < forms::MixdownForm::kTracks; ++t) {
    sources_[t] = new QCheckBox("Track " + QString::number(t + 1), selection);
    sources_[t]->setObjectName(CtlName(kSourceIds[t]));
    grid->addWidget(sources_[t], t / 4, t % 4);
    connect(sources_[t], &QCheckBox::clicked, this, [this, t](bool ticked) { form_.sources[t] = ticked; });
  }
  auto* checkAll = new QPushButton("Check All Tracks", selection);
  checkAll->setObjectName(CtlName(kCheckAll));
  auto* clearAll = new QPushButton("Clear All Tracks", selection);
  clearAll->setObjectName(CtlName(kClearAll));
  for (QPushButton* button : {checkAll, clearAll}) button->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(checkAll);
  buttons->addWidget(clearAll);
  buttons->addStretch();
  grid->addLayout(buttons, 6, 0, 1, 4);
  connect(checkAll, &QPushButton::clicked, this, [this] {
    form_.CheckAll();
    Render();
  });
  connect(clearAll, &QPushButton::clicked, this, [this] {
    form_.ClearAll();
    Render();
  });

  std::vector<std::string> tracks;
  for (int t = 1; t <= forms::MixdownForm::kTracks; ++t) tracks.push_back("Track " + std::to_string(t));
  target_ = MakeCombo(kTarget, tracks, this);
  connect(target_, &QComboBox::activated, this, [this](int index) { form_.target = index; });
  auto* targetRow = new QHBoxLayout;
  targetRow->addWidget(new QLabel("Mix into:", this));
  targetRow->addWidget(target_);
  targetRow->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(selection);
  layout->addLayout(targetRow);
  layout->addWidget(MakeOkCancel(this));
  Render();
}

void CMixdownDialog::Render() {
  for (int t = 0; t < forms::MixdownForm::kTracks; ++t) sources_[t]->setChecked(form_.sources[t]);
  target_->setCurrentIndex(form_.target);
}

bool CMixdownDialog::CanAccept() {
  std::string refusal;
  const std::optional<MixdownDialogRequest::Result> result = form_.Accept(&refusal);
  if (!result) {
    if (tell_) tell_(refusal);
    return false;
  }
  accepted_ = *result;
  return true;
}

std::optional<MixdownDialogRequest::Result> CMixdownDialog::Ask(const MixdownDialogRequest& request,
                                                                std::function<void(const std::string&)> tell,
                                                                QWidget* parent) {
  CMixdownDialog dialog(request, std::move(tell), parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

}  // namespace dialogs
