#include "TrackSnippetDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dialogs {

namespace {

constexpr int kTimeWidth = 90;

// The start edit and its units combo on one row.
QHBoxLayout* TimeRow(QLineEdit* edit, QComboBox* units) {
  edit->setFixedWidth(kTimeWidth);
  auto* row = new QHBoxLayout;
  row->addWidget(edit);
  row->addWidget(units);
  row->addStretch();
  return row;
}

}  // namespace

CCreateTrackSnippet::CCreateTrackSnippet(const CreateTrackSnippetRequest& request, QWidget* parent)
    : CFormDialog(parent), form_(request) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle("Create Track Snippet");
  target_ = MakeCombo(kTarget, TrackNames(), this);
  start_ = MakeEdit(kStart, this);
  units_ = MakeCombo(kUnits, {"Standard", "Tempo"}, this);
  auto* fields = new QFormLayout;
  fields->addRow("Target Track:", target_);
  fields->addRow("Start Time:", TimeRow(start_, units_));

  connect(target_, &QComboBox::activated, this, [this](int index) { form_.target = index; });
  OnCommit(start_, [this](const std::string& text) { form_.start.SetTyped(text); });
  connect(units_, &QComboBox::activated, this, [this](int index) {
    form_.start.SetUnitsIndex(index);
    Render();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(MakeOkCancel(this));
  Render();
}

void CCreateTrackSnippet::Render() {
  target_->setCurrentIndex(form_.target);
  start_->setText(Qs(form_.start.Text()));
  units_->setCurrentIndex(form_.start.UnitsIndex());
}

std::optional<CreateTrackSnippetRequest::Result> CCreateTrackSnippet::Ask(
    const CreateTrackSnippetRequest& request, QWidget* parent) {
  CCreateTrackSnippet dialog(request, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

CShiftTracksDialog::CShiftTracksDialog(const ShiftTracksRequest& request, QWidget* parent)
    : CFormDialog(parent), form_(request) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle("Shift Tracks");
  auto* selection = new QGroupBox("Tracks to Shift", this);
  auto* grid = new QGridLayout(selection);
  std::array<int, forms::ShiftTracksForm::kTracks> ids{};
  for (int t = 0; t < forms::ShiftTracksForm::kTracks; ++t) ids[t] = kFirstTrack + t;
  const TrackBoxes boxes = AddTrackBoxes(grid, ids, kCheckAll, kClearAll);
  tracks_ = boxes.boxes;
  WireTrackBoxes(boxes, form_.tracks, form_);

  start_ = MakeEdit(kStart, this);
  units_ = MakeCombo(kUnits, {"Standard", "Tempo"}, this);
  auto* fields = new QFormLayout;
  fields->addRow("New Starting Position:", TimeRow(start_, units_));
  OnCommit(start_, [this](const std::string& text) { form_.start.SetTyped(text); });
  connect(units_, &QComboBox::activated, this, [this](int index) {
    form_.start.SetUnitsIndex(index);
    Render();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(selection);
  layout->addLayout(fields);
  layout->addWidget(MakeOkCancel(this));
  Render();
}

void CShiftTracksDialog::Render() {
  for (int t = 0; t < forms::ShiftTracksForm::kTracks; ++t) tracks_[t]->setChecked(form_.tracks[t]);
  start_->setText(Qs(form_.start.Text()));
  units_->setCurrentIndex(form_.start.UnitsIndex());
}

std::optional<ShiftTracksRequest::Result> CShiftTracksDialog::Ask(const ShiftTracksRequest& request,
                                                                  QWidget* parent) {
  CShiftTracksDialog dialog(request, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

}  // namespace dialogs
