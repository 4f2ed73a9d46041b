#include "AudioTrackPropertiesDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace dialogs {
namespace {

QRadioButton* Radio(int id, const char* text, QWidget* parent, QButtonGroup* group) {
  auto* radio = new QRadioButton(text, parent);
  radio->setObjectName(CtlName(id));
  group->addButton(radio);
  return radio;
}

}  // namespace

CAudioTrackPropertiesDialog::CAudioTrackPropertiesDialog(const TrackPropertiesRequest& request,
                                               std::function<void(const std::string&)> tell, QWidget* parent)
    : CFormDialog(parent), form_(request), request_(request), tell_(std::move(tell)) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle(Qs(form_.Caption()));

  auto* track = new QGroupBox("Track", this);
  auto* trackForm = new QFormLayout(track);
  description_ = MakeEdit(kDescription, track);
  description_->setMaxLength(static_cast<int>(forms::TrackPropertiesForm::kDescriptionBytes));
  trackForm->addRow("Description:", description_);
  auto* typeGroup = new QButtonGroup(this);
  extended_ = Radio(kExtended, "Extended Audio", track, typeGroup);
  loopBased_ = Radio(kLoopBased, "Loop Based", track, typeGroup);
  convert_ = new QPushButton("Convert to Extended", track);
  convert_->setObjectName(CtlName(kConvert));
  convert_->setAutoDefault(false);
  auto* typeRow = new QHBoxLayout;
  typeRow->addWidget(extended_);
  typeRow->addWidget(loopBased_);
  typeRow->addStretch();
  typeRow->addWidget(convert_);
  trackForm->addRow("Type:", typeRow);

  auto* levels = new QGroupBox("Audio Units", this);
  auto* grid = new QGridLayout(levels);
  const int ids[2][3] = {{kLeft, kLeftEdit, kLeftUnit}, {kRight, kRightEdit, kRightUnit}};
  AddLevelRows(grid, ids, levels_, form_);
  pitchSlider_ = MakeSlider(kPitch, 0, forms::kPitchSliderMax, levels);
  pitchEdit_ = MakeEdit(kPitchEdit, levels);
  pitchEdit_->setFixedWidth(70);
  grid->addWidget(new QLabel("Pitch:", levels), 2, 0);
  grid->addWidget(pitchSlider_, 2, 1);
  grid->addWidget(pitchEdit_, 2, 2);
  lock_ = new QCheckBox("Lock Left and Right Channels", levels);
  lock_->setObjectName(CtlName(kLock));
  units_ = MakeCombo(kUnits, {"Decibel", "Percentage"}, levels);
  pitchUnits_ = MakeCombo(kPitchUnits, {"Semitones", "Ratio"}, levels);
  auto* unitsRow = new QHBoxLayout;
  unitsRow->addWidget(lock_);
  unitsRow->addStretch();
  unitsRow->addWidget(units_);
  unitsRow->addWidget(pitchUnits_);
  grid->addLayout(unitsRow, 3, 0, 1, 4);
  OnScroll(pitchSlider_, [this](forms::SliderAction code, int thumb) {
    form_.OnPitchScroll(code, thumb);
    Render();
  });
  OnCommit(pitchEdit_, [this](const std::string& text) { form_.OnPitchTyped(text); });

  auto* recording = new QGroupBox("Recording", this);
  auto* recordingForm = new QFormLayout(recording);
  std::vector<std::string> inputs = request.inputDevices;
  input_ = MakeCombo(kInput, inputs, recording);
  auto* channelGroup = new QButtonGroup(this);
  mono_ = Radio(kMono, "Mono", recording, channelGroup);
  stereo_ = Radio(kStereo, "Stereo", recording, channelGroup);
  auto* channelRow = new QHBoxLayout;
  channelRow->addWidget(mono_);
  channelRow->addWidget(stereo_);
  channelRow->addStretch();
  recordingForm->addRow("Input Device:", input_);
  recordingForm->addRow("Channels:", channelRow);
  input_->setCurrentIndex(request.input);
  (request.recordChannels == 1 ? mono_ : stereo_)->setChecked(true);

  connect(lock_, &QCheckBox::clicked, this, [this](bool ticked) { form_.OnLock(ticked); });
  connect(units_, &QComboBox::activated, this, [this](int index) {
    form_.OnUnits(index);
    Render();
  });
  connect(pitchUnits_, &QComboBox::activated, this, [this](int index) {
    form_.OnPitchUnits(index);
    Render();
  });
  auto onType = [this](bool extended) {
    const std::optional<std::string> refusal = form_.OnTypeClicked(extended);
    if (refusal && tell_) tell_(*refusal);
    Render();
  };
  connect(extended_, &QRadioButton::clicked, this, [onType] { onType(true); });
  connect(loopBased_, &QRadioButton::clicked, this, [onType] { onType(false); });
  // Input and channels reach the track at once.
  connect(input_, &QComboBox::activated, this, [this](int index) {
    if (request_.setInput && index >= 0) request_.setInput(index);
  });
  connect(mono_, &QRadioButton::clicked, this, [this] {
    if (request_.setRecordChannels) request_.setRecordChannels(1);
  });
  connect(stereo_, &QRadioButton::clicked, this, [this] {
    if (request_.setRecordChannels) request_.setRecordChannels(2);
  });
  connect(convert_, &QPushButton::clicked, this, [this] {
    if (!request_.convertToExtended) return;
    form_.OnConverted(request_.convertToExtended());
    Render();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(track);
  layout->addWidget(levels);
  layout->addWidget(recording);
  layout->addWidget(MakeOkCancel(this));
  description_->setText(Qs(form_.description));
  Render();
}

void CAudioTrackPropertiesDialog::Render() {
  for (int channel = 0; channel < 2; ++channel) {
    ShowLevelRow(levels_[channel], form_.LevelSlider(channel), form_.LevelText(channel), form_.UnitLabel());
  }
  {
    const QSignalBlocker block(pitchSlider_);
    pitchSlider_->setValue(form_.PitchSlider());
  }
  pitchEdit_->setText(Qs(form_.PitchText()));
  lock_->setChecked(form_.Lock());
  units_->setCurrentIndex(form_.UnitsSelection());
  pitchUnits_->setCurrentIndex(form_.PitchUnitsSelection());
  (form_.Extended() ? extended_ : loopBased_)->setChecked(true);
  convert_->setEnabled(form_.ConvertEnabled() && request_.convertToExtended != nullptr);
}

TrackPropertiesRequest::Result CAudioTrackPropertiesDialog::Result() {
  form_.description = Std(description_->text());
  return form_.Result();
}

std::optional<TrackPropertiesRequest::Result> CAudioTrackPropertiesDialog::Ask(
    const TrackPropertiesRequest& request, std::function<void(const std::string&)> tell, QWidget* parent) {
  CAudioTrackPropertiesDialog dialog(request, std::move(tell), parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

}  // namespace dialogs
