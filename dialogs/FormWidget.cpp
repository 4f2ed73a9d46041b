#include "FormWidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "EffectPanels.h"
#include "OperationDialogs.h"

namespace dialogs {
namespace {

using forms::CFXDialog;
using forms::SliderAction;
namespace id = forms::id;

QString Name(int id) { return QString::number(id); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

constexpr int kEditWidth = 72;
// The equalizer's twenty boxes: room for "-140.00" and no more, so that its ten
// bands and its options fit a window beside the effects window's controls.
constexpr int kBandEditWidth = 54;
constexpr int kBandSpacing = 4;
// The preset list asks for a handful of rows; it grows with the window.
constexpr int kPresetListHeight = 96;
constexpr int kSliderWidth = 150;
constexpr int kPresetNameChars = static_cast<int>(forms::kPresetNameBytes) - 1;

SliderAction ActionOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return SliderAction::LineLess;
    case QAbstractSlider::SliderSingleStepAdd: return SliderAction::LineMore;
    case QAbstractSlider::SliderPageStepSub: return SliderAction::PageLess;
    case QAbstractSlider::SliderPageStepAdd: return SliderAction::PageMore;
    case QAbstractSlider::SliderMove: return SliderAction::Track;
    default: return SliderAction::Other;
  }
}

QGroupBox* Group(const QString& title, QLayout* layout) {
  auto* box = new QGroupBox(title);
  box->setLayout(layout);
  return box;
}

}  // namespace

CFormWidget::CFormWidget(CFXDialog& form, QWidget* parent) : QWidget(parent), form_(form) {
  setObjectName(Name(form.TemplateId()));
  auto* columns = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  columns->addLayout(left, 1);
  for (QWidget* part : {BuildEqualizer(), BuildLevels(), BuildValues(), BuildInitialFinal(), BuildPitch(),
                        BuildCopyChannel(), BuildScrollTool()}) {
    if (part) left->addWidget(part);
  }
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  for (QWidget* part : {BuildScope(), BuildOptions(), BuildPresets()}) {
    if (part) right->addWidget(part);
  }
  right->addStretch(1);
  if (right->count() > 1) columns->addLayout(right);
  Render();
}

QLineEdit* CFormWidget::AddEdit(int id) {
  auto* edit = new QLineEdit;
  edit->setObjectName(Name(id));
  edit->setFixedWidth(kEditWidth);
  edit->setAlignment(Qt::AlignRight);
  connect(edit, &QLineEdit::editingFinished, this, [this, id, edit] {
    // Reading back a shown, rounded value would move the value it stands for.
    if (!edit->isModified()) return;
    form_.Commit(id, edit->text().toStdString());
    Render();
  });
  edits_[id] = edit;
  return edit;
}

QAbstractButton* CFormWidget::AddCheck(int id) {
  auto* check = new QCheckBox(Q(form_.Label(id)));
  check->setObjectName(Name(id));
  connect(check, &QCheckBox::clicked, this, [this, id](bool ticked) {
    form_.Check(id, ticked);
    Render();
  });
  buttons_[id] = check;
  return check;
}

QAbstractButton* CFormWidget::AddRadio(int id) {
  auto* radio = new QRadioButton(Q(form_.Label(id)));
  radio->setObjectName(Name(id));
  // The model decides which radio of a group is ticked.
  radio->setAutoExclusive(false);
  connect(radio, &QRadioButton::clicked, this, [this, id] {
    form_.Click(id);
    Render();
  });
  buttons_[id] = radio;
  return radio;
}

QComboBox* CFormWidget::AddCombo(int id) {
  auto* combo = new QComboBox;
  combo->setObjectName(Name(id));
  for (const std::string& item : form_.Items(id)) combo->addItem(Q(item));
  // activated: the user's choices only, never the ones Render makes.
  connect(combo, &QComboBox::activated, this, [this, id](int index) {
    form_.Select(id, index);
    Render();
  });
  combos_[id] = combo;
  return combo;
}

QAbstractSlider* CFormWidget::AddSlider(int id, int steps, Qt::Orientation orientation) {
  auto* slider = new QSlider(orientation);
  slider->setObjectName(Name(id));
  slider->setRange(0, steps);
  slider->setSingleStep(1);
  slider->setPageStep(10);
  // Position 0 at the top, as the bands' +20 dB.
  if (orientation == Qt::Vertical) slider->setInvertedAppearance(true);
  if (orientation == Qt::Horizontal) slider->setMinimumWidth(kSliderWidth);
  connect(slider, &QSlider::actionTriggered, this, [this, id, slider](int action) { Slid(id, slider, action); });
  connect(slider, &QSlider::sliderReleased, this, [this, id] {
    form_.Scroll(id, SliderAction::End, 0);
    Render();
  });
  sliders_[id] = slider;
  return slider;
}

void CFormWidget::Slid(int id, QAbstractSlider* slider, int action) {
  form_.Scroll(id, ActionOf(action), slider->sliderPosition());
  // The model's position replaces the one Qt would take.
  slider->setSliderPosition(form_.Position(id));
  Render();
}

QLabel* CFormWidget::AddLabel(int id) {
  auto* label = new QLabel;
  label->setObjectName(Name(id));
  labels_[id] = label;
  return label;
}

QWidget* CFormWidget::BuildScope() {
  if (!form_.Has(id::kScopeWhole)) return nullptr;
  auto* layout = new QVBoxLayout;
  for (int radio : {id::kScopeHighlighted, id::kScopeMarkers, id::kScopeWhole}) layout->addWidget(AddRadio(radio));
  return Group("Apply To", layout);
}

QWidget* CFormWidget::BuildLevels() {
  if (!form_.Level(1).present && !form_.Level(2).present) return nullptr;
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Left"), 0, 1, 1, 2);
  grid->addWidget(new QLabel("Right"), 0, 3, 1, 2);
  int row = 1;
  for (int pair = 1; pair <= 2; ++pair) {
    const forms::LevelPair& level = form_.Level(pair);
    if (!level.present) continue;
    const forms::PairControls& c = forms::kPairControls[pair - 1];
    grid->addWidget(new QLabel(Q(level.label)), row, 0);
    for (int side = 0; side < 2; ++side) {
      grid->addWidget(AddEdit(c.edit[side]), row, 1 + 2 * side);
      grid->addWidget(AddLabel(c.unitLabel[side]), row, 2 + 2 * side);
    }
    ++row;
    if (level.ownSliders) {
      grid->addWidget(AddSlider(c.slider[0], forms::kSliderSteps, Qt::Horizontal), row, 1, 1, 2);
      grid->addWidget(AddSlider(c.slider[1], forms::kSliderSteps, Qt::Horizontal), row, 3, 1, 2);
      ++row;
    }
  }
  grid->setColumnStretch(0, 1);
  return Group("Levels", grid);
}

QWidget* CFormWidget::BuildValues() {
  auto* grid = new QGridLayout;
  int row = 0;
  for (int pair = 3; pair <= forms::kPairs; ++pair) {
    const forms::ValuePair& value = form_.Value(pair);
    if (!value.present) continue;
    grid->addWidget(new QLabel(Q(value.label)), row, 0);
    for (int side = 0; side < 2; ++side) grid->addWidget(AddEdit(forms::kPairControls[pair - 1].edit[side]), row, 1 + side);
    ++row;
  }
  if (row == 0) {
    delete grid;
    return nullptr;
  }
  grid->setColumnStretch(0, 1);
  return Group("Settings", grid);
}

QWidget* CFormWidget::BuildOptions() {
  auto* layout = new QFormLayout;
  if (form_.Has(id::kUnits)) layout->addRow(Q(form_.Label(id::kUnits)), AddCombo(id::kUnits));
  if (dynamic_cast<forms::CPitchShiftDialog*>(&form_)) {
    layout->addRow("Units:", AddCombo(forms::CPitchShiftDialog::kPitchUnits));
  }
  if (form_.Has(id::kSlope)) layout->addRow(Q(form_.Label(id::kSlope)), AddCombo(id::kSlope));
  if (form_.Has(id::kLock)) layout->addRow(AddCheck(id::kLock));
  if (form_.Has(id::kSame)) layout->addRow(AddCheck(id::kSame));
  if (form_.Has(id::kLeft)) {
    layout->addRow(AddCheck(id::kLeft));
    layout->addRow(AddCheck(id::kRight));
  }
  if (layout->rowCount() == 0) {
    delete layout;
    return nullptr;
  }
  return Group("Options", layout);
}

QWidget* CFormWidget::BuildScrollTool() {
  if (!form_.Has(id::kScrollItem)) return nullptr;
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(Q(form_.Label(id::kScrollItem))), 0, 0);
  grid->addWidget(AddCombo(id::kScrollItem), 0, 1, 1, 2);
  grid->addWidget(new QLabel("Left"), 1, 0);
  grid->addWidget(AddSlider(id::kScrollLeft, forms::kSliderSteps, Qt::Horizontal), 1, 1, 1, 2);
  grid->addWidget(new QLabel("Right"), 2, 0);
  grid->addWidget(AddSlider(id::kScrollRight, forms::kSliderSteps, Qt::Horizontal), 2, 1, 1, 2);
  return Group("Scroll Tool", grid);
}

QWidget* CFormWidget::BuildInitialFinal() {
  if (!form_.Has(id::kInitial)) return nullptr;
  auto* grid = new QGridLayout;
  const int edits[2] = {id::kInitial, id::kFinal};
  const int sliders[2] = {id::kInitialSlider, id::kFinalSlider};
  const char* names[2] = {"Initial", "Final"};
  for (int i = 0; i < 2; ++i) {
    grid->addWidget(new QLabel(names[i]), i, 0);
    if (form_.Has(sliders[i])) grid->addWidget(AddSlider(sliders[i], forms::kSliderSteps, Qt::Horizontal), i, 1);
    grid->addWidget(AddEdit(edits[i]), i, 2);
  }
  grid->setColumnStretch(1, 1);
  return Group("Ratio", grid);
}

QWidget* CFormWidget::BuildPitch() {
  if (!dynamic_cast<forms::CPitchShiftDialog*>(&form_)) return nullptr;
  using P = forms::CPitchShiftDialog;
  auto* grid = new QGridLayout;
  const int edits[2] = {P::kInitialEdit, P::kFinalEdit};
  const int sliders[2] = {P::kInitialSlider, P::kFinalSlider};
  const char* names[2] = {"Initial", "Final"};
  for (int i = 0; i < 2; ++i) {
    grid->addWidget(new QLabel(names[i]), i, 0);
    grid->addWidget(AddSlider(sliders[i], P::kSliderSteps, Qt::Horizontal), i, 1);
    grid->addWidget(AddEdit(edits[i]), i, 2);
  }
  grid->setColumnStretch(1, 1);
  return Group("Pitch", grid);
}

QWidget* CFormWidget::BuildCopyChannel() {
  if (!dynamic_cast<forms::CCopyChannelDialog*>(&form_)) return nullptr;
  auto* layout = new QVBoxLayout;
  layout->addWidget(AddRadio(forms::CCopyChannelDialog::kLeftToRight));
  layout->addWidget(AddRadio(forms::CCopyChannelDialog::kRightToLeft));
  return Group("Direction", layout);
}

QWidget* CFormWidget::BuildEqualizer() {
  if (!dynamic_cast<forms::CEqualizerDialog*>(&form_)) return nullptr;
  using E = forms::CEqualizerDialog;
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(kBandSpacing);
  grid->addWidget(new QLabel("Left"), 2, 0);
  grid->addWidget(new QLabel("Right"), 3, 0);
  for (int band = 0; band < E::kBands; ++band) {
    auto* slider = AddSlider(E::kSliders[band], forms::kSliderSteps, Qt::Vertical);
    slider->setMinimumHeight(140);
    grid->addWidget(slider, 0, band + 1, Qt::AlignHCenter);
    auto* name = new QLabel(E::kBandNames[band]);
    name->setAlignment(Qt::AlignCenter);
    grid->addWidget(name, 1, band + 1);
    for (int side = 0; side < 2; ++side) {
      QLineEdit* edit = AddEdit(side == 0 ? E::kLeftEdits[band] : E::kRightEdits[band]);
      edit->setFixedWidth(kBandEditWidth);
      grid->addWidget(edit, 2 + side, band + 1);
    }
  }
  auto* shown = new QHBoxLayout;
  shown->addWidget(AddRadio(E::kLeftChannel));
  shown->addWidget(AddRadio(E::kRightChannel));
  shown->addStretch(1);
  grid->addLayout(shown, 4, 0, 1, E::kBands + 1);
  return Group("Bands", grid);
}

QWidget* CFormWidget::BuildPresets() {
  if (!form_.Has(id::kPresetList)) return nullptr;
  auto* layout = new QVBoxLayout;
  presets_ = new QListWidget;
  presets_->setObjectName(Name(id::kPresetList));
  presets_->setMinimumHeight(kPresetListHeight);
  presets_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  connect(presets_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    form_.OnApplyPreset(presets_->row(item));
    Render();
  });
  presetName_ = new QLineEdit;
  presetName_->setObjectName(Name(id::kPresetName));
  presetName_->setMaxLength(kPresetNameChars);
  auto* buttons = new QHBoxLayout;
  for (int button : {id::kPresetAdd, id::kPresetRemove}) {
    auto* push = new QPushButton(Q(form_.Label(button)));
    push->setObjectName(Name(button));
    push->setAutoDefault(false);
    connect(push, &QPushButton::clicked, this, [this, button] {
      if (button == id::kPresetAdd) {
        const size_t before = form_.PresetNames().size();
        form_.OnAddPreset(presetName_->text().toStdString());
        if (form_.PresetNames().size() > before) presetName_->clear();
      } else {
        form_.OnRemovePreset(presets_->currentRow());
      }
      Render();
    });
    buttons->addWidget(push);
  }
  layout->addWidget(presets_);
  layout->addWidget(presetName_);
  layout->addLayout(buttons);
  return Group("Presets", layout);
}

void CFormWidget::CommitTypedEdits() {
  bool typed = false;
  for (const auto& [id, edit] : edits_) {
    if (!edit->isModified()) continue;
    form_.Commit(id, edit->text().toStdString());
    typed = true;
  }
  if (typed) Render();
}

void CFormWidget::Render() {
  for (const auto& [id, edit] : edits_) {
    const QSignalBlocker quiet(edit);
    edit->setText(Q(form_.Text(id)));  // also clears isModified: the model has it
    edit->setCursorPosition(0);
  }
  for (const auto& [id, label] : labels_) label->setText(Q(form_.Text(id)));
  for (const auto& [id, button] : buttons_) {
    const QSignalBlocker quiet(button);
    button->setCheckable(true);
    button->setChecked(form_.Checked(id));
    button->setEnabled(form_.Enabled(id));
  }
  for (const auto& [id, combo] : combos_) {
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(form_.Selection(id));
  }
  for (const auto& [id, slider] : sliders_) {
    const QSignalBlocker quiet(slider);
    slider->setValue(form_.Position(id));
  }
  if (presets_) {
    const int row = presets_->currentRow();
    QStringList names;
    for (const std::string& name : form_.PresetNames()) names << Q(name);
    QStringList shown;
    for (int i = 0; i < presets_->count(); ++i) shown << presets_->item(i)->text();
    if (names != shown) {
      presets_->clear();
      presets_->addItems(names);
      if (row < presets_->count()) presets_->setCurrentRow(row);
    }
  }
}

}  // namespace dialogs
