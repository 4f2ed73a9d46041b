#include "DialogKit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

namespace dialogs {

QString Qs(const std::string& text) { return QString::fromStdString(text); }
std::string Std(const QString& text) { return text.toStdString(); }

QDialogButtonBox* MakeOkCancel(QDialog* dialog) {
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  box->button(QDialogButtonBox::Ok)->setObjectName(CtlName(kOkId));
  box->button(QDialogButtonBox::Cancel)->setObjectName(CtlName(kCancelId));
  box->button(QDialogButtonBox::Ok)->setDefault(true);
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return box;
}

QSlider* MakeSlider(int id, int minimum, int maximum, QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setObjectName(CtlName(id));
  slider->setRange(minimum, maximum);
  slider->setSingleStep(1);
  slider->setPageStep(10);
  return slider;
}

QComboBox* MakeCombo(int id, const std::vector<std::string>& entries, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(CtlName(id));
  for (const std::string& entry : entries) combo->addItem(Qs(entry));
  return combo;
}

QComboBox* MakeOutputCombo(int id, const std::vector<std::string>& devices, QWidget* parent) {
  QComboBox* combo = MakeCombo(id, devices, parent);
  if (devices.empty()) {
    combo->addItem(QString::fromUtf8(kNoOutputDeviceText));
    combo->setToolTip(QStringLiteral("The sound system offers no output. Without a sound card, the virtual one "
                                     "plays in real time and records a test signal."));
  }
  return combo;
}

QLineEdit* MakeEdit(int id, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(CtlName(id));
  return edit;
}

QLineEdit* MakeNumberEdit(int id, QWidget* parent) {
  QLineEdit* edit = MakeEdit(id, parent);
  edit->setFixedWidth(70);
  return edit;
}

QRadioButton* MakeRadio(int id, const char* text, QWidget* parent) {
  auto* radio = new QRadioButton(text, parent);
  radio->setObjectName(CtlName(id));
  return radio;
}

void Exclusive(std::initializer_list<QRadioButton*> radios, QObject* owner) {
  auto* group = new QButtonGroup(owner);
  for (QRadioButton* radio : radios) group->addButton(radio);
}

LevelRow AddLevelRow(QGridLayout* grid, int row, const char* caption, const int ids[3]) {
  QWidget* parent = grid->parentWidget();
  LevelRow level{MakeSlider(ids[0], 0, forms::kLevelSliderMax, parent), MakeNumberEdit(ids[1], parent),
                 new QLabel(parent)};
  level.unit->setObjectName(CtlName(ids[2]));
  level.unit->setMinimumWidth(20);
  grid->addWidget(new QLabel(caption, parent), row, 0);
  grid->addWidget(level.slider, row, 1);
  grid->addWidget(level.edit, row, 2);
  grid->addWidget(level.unit, row, 3);
  return level;
}

void ShowLevelRow(const LevelRow& row, int position, const std::string& text, const char* unit) {
  const QSignalBlocker block(row.slider);
  row.slider->setValue(position);
  row.edit->setText(Qs(text));
  row.unit->setText(unit);
}

QSlider* MakePitchSlider(int id, QWidget* parent) { return MakeSlider(id, 0, forms::kPitchSliderMax, parent); }

QCheckBox* MakeLockBox(int id, QWidget* parent) {
  auto* lock = new QCheckBox("Lock Left and Right Channels", parent);
  lock->setObjectName(CtlName(id));
  return lock;
}

QComboBox* MakeUnitsCombo(int id, QWidget* parent) { return MakeCombo(id, {"Decibel", "Percentage"}, parent); }

QComboBox* MakePitchUnitsCombo(int id, QWidget* parent) { return MakeCombo(id, {"Semitones", "Ratio"}, parent); }

void ShowLevelsAndPitch(const LevelPitchControls& controls, const forms::LevelsAndPitch& form) {
  for (int channel = 0; channel < 2; ++channel) {
    ShowLevelRow(controls.levels[channel], form.LevelSlider(channel), form.LevelText(channel), form.UnitLabel());
  }
  {
    const QSignalBlocker block(controls.pitchSlider);
    controls.pitchSlider->setValue(form.PitchSlider());
  }
  controls.pitchEdit->setText(Qs(form.PitchText()));
  controls.lock->setChecked(form.Lock());
  controls.units->setCurrentIndex(form.UnitsSelection());
  controls.pitchUnits->setCurrentIndex(form.PitchUnitsSelection());
}

std::vector<std::string> TrackNames() {
  std::vector<std::string> names;
  for (int t = 1; t <= TrackBoxes::kTracks; ++t) names.push_back("Track " + std::to_string(t));
  return names;
}

TrackBoxes AddTrackBoxes(QGridLayout* grid, const std::array<int, TrackBoxes::kTracks>& ids, int checkAllId,
                         int clearAllId) {
  constexpr int kColumns = 4;
  QWidget* parent = grid->parentWidget();
  TrackBoxes tracks;
  for (int t = 0; t < TrackBoxes::kTracks; ++t) {
    tracks.boxes[t] = new QCheckBox("Track " + QString::number(t + 1), parent);
    tracks.boxes[t]->setObjectName(CtlName(ids[t]));
    grid->addWidget(tracks.boxes[t], t / kColumns, t % kColumns);
  }
  tracks.checkAll = new QPushButton("Check All Tracks", parent);
  tracks.checkAll->setObjectName(CtlName(checkAllId));
  tracks.clearAll = new QPushButton("Clear All Tracks", parent);
  tracks.clearAll->setObjectName(CtlName(clearAllId));
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {tracks.checkAll, tracks.clearAll}) {
    button->setAutoDefault(false);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  grid->addLayout(buttons, TrackBoxes::kTracks / kColumns, 0, 1, kColumns);
  return tracks;
}

forms::SliderAction SliderActionOf(int sliderAction) {
  switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepSub: return forms::SliderAction::LineLess;
    case QAbstractSlider::SliderSingleStepAdd: return forms::SliderAction::LineMore;
    case QAbstractSlider::SliderPageStepSub: return forms::SliderAction::PageLess;
    case QAbstractSlider::SliderPageStepAdd: return forms::SliderAction::PageMore;
    case QAbstractSlider::SliderMove: return forms::SliderAction::Track;
    default: return forms::SliderAction::Other;
  }
}

void OnScroll(QSlider* slider, std::function<void(forms::SliderAction, int)> onScroll) {
  // The form decides where the slider goes: the step is taken back and
  // the form's position shown by the render that follows.
  QObject::connect(slider, &QAbstractSlider::actionTriggered, slider, [slider, onScroll](int action) {
    const forms::SliderAction code = SliderActionOf(action);
    if (code == forms::SliderAction::Other) {
      slider->setSliderPosition(slider->value());  // a step the form does not take moves nothing
      return;
    }
    onScroll(code, slider->sliderPosition());
  });
}

CFormDialog::CFormDialog(QWidget* parent) : QDialog(parent) {}

void CFormDialog::OnCommit(QLineEdit* edit, std::function<void(const std::string&)> commit) {
  commits_.emplace_back(edit, commit);
  QObject::connect(edit, &QLineEdit::editingFinished, this, [this, edit, commit] {
    if (rendering_) return;
    commit(Std(edit->text()));
    rendering_ = true;
    Render();
    rendering_ = false;
  });
}

void CFormDialog::WireLevelsAndPitch(const LevelPitchControls& controls, forms::LevelsAndPitch& form) {
  OnScroll(controls.pitchSlider, [this, &form](forms::SliderAction code, int thumb) {
    form.OnPitchScroll(code, thumb);
    Render();
  });
  OnCommit(controls.pitchEdit, [&form](const std::string& text) { form.OnPitchTyped(text); });
  connect(controls.lock, &QCheckBox::clicked, this, [&form](bool ticked) { form.OnLock(ticked); });
  connect(controls.units, &QComboBox::activated, this, [this, &form](int index) {
    form.OnUnits(index);
    Render();
  });
  connect(controls.pitchUnits, &QComboBox::activated, this, [this, &form](int index) {
    form.OnPitchUnits(index);
    Render();
  });
}

void CFormDialog::accept() {
  // OK pressed with Enter, or called directly, while an edit still has the focus.
  for (auto& [edit, commit] : commits_) {
    if (edit->hasFocus()) {
      commit(Std(edit->text()));
      rendering_ = true;
      Render();
      rendering_ = false;
    }
  }
  if (CanAccept()) QDialog::accept();
}

}  // namespace dialogs
