#include "AudioTrackPropertiesDialog.h"

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
  extended_ = MakeRadio(kExtended, "Extended Audio", track);
  loopBased_ = MakeRadio(kLoopBased, "Loop Based", track);
  Exclusive({extended_, loopBased_}, this);
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
  AddLevelRows(grid, ids, controls_.levels, form_);
  controls_.pitchSlider = MakePitchSlider(kPitch, levels);
  controls_.pitchEdit = MakeNumberEdit(kPitchEdit, levels);
  grid->addWidget(new QLabel("Pitch:", levels), 2, 0);
  grid->addWidget(controls_.pitchSlider, 2, 1);
  grid->addWidget(controls_.pitchEdit, 2, 2);
  controls_.lock = MakeLockBox(kLock, levels);
  controls_.units = MakeUnitsCombo(kUnits, levels);
  controls_.pitchUnits = MakePitchUnitsCombo(kPitchUnits, levels);
  auto* unitsRow = new QHBoxLayout;
  unitsRow->addWidget(controls_.lock);
  unitsRow->addStretch();
  unitsRow->addWidget(controls_.units);
  unitsRow->addWidget(controls_.pitchUnits);
  grid->addLayout(unitsRow, 3, 0, 1, 4);
  WireLevelsAndPitch(controls_, form_);

  auto* recording = new QGroupBox("Recording", this);
  auto* recordingForm = new QFormLayout(recording);
  std::vector<std::string> inputs = request.inputDevices;
  input_ = MakeCombo(kInput, inputs, recording);
  mono_ = MakeRadio(kMono, "Mono", recording);
  stereo_ = MakeRadio(kStereo, "Stereo", recording);
  Exclusive({mono_, stereo_}, this);
  auto* channelRow = new QHBoxLayout;
  channelRow->addWidget(mono_);
  channelRow->addWidget(stereo_);
  channelRow->addStretch();
  recordingForm->addRow("Input Device:", input_);
  recordingForm->addRow("Channels:", channelRow);
  input_->setCurrentIndex(request.input);
  (request.recordChannels == 1 ? mono_ : stereo_)->setChecked(true);

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
  ShowLevelsAndPitch(controls_, form_);
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
