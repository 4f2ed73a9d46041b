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
  const TrackBoxes boxes = AddTrackBoxes(grid, kSourceIds, kCheckAll, kClearAll);
  sources_ = boxes.boxes;
  WireTrackBoxes(boxes, form_.sources, form_);

  target_ = MakeCombo(kTarget, TrackNames(), this);
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
