#include "SettingsDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace dialogs {
namespace {

QIcon Swatch(uint32_t colorref) {
  QPixmap pixmap(14, 14);
  pixmap.fill(QColor(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF));
  QPainter painter(&pixmap);
  painter.setPen(QColor(80, 80, 80));
  painter.drawRect(0, 0, 13, 13);
  return QIcon(pixmap);
}

QComboBox* MakePaletteCombo(int id, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(CtlName(id));
  for (const forms::PaletteColor& color : forms::kPalette) combo->addItem(Swatch(color.colorref), color.name);
  return combo;
}

}  // namespace

// ---- Metronome ---------------------------------------------------------------

CMetronomeDialog::CMetronomeDialog(const MetronomeSettingsRequest& request, QWidget* parent)
    : CFormDialog(parent), form_(request) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle("Metronome Settings");
  auto* state = new QGroupBox("Metronome", this);
  auto* stateRow = new QHBoxLayout(state);
  on_ = MakeRadio(kOn, "On", state);
  off_ = MakeRadio(kOff, "Off", state);
  stateRow->addWidget(on_);
  stateRow->addWidget(off_);
  stateRow->addStretch();
  auto* sound = new QGroupBox("Sound", this);
  auto* soundGrid = new QGridLayout(sound);
  drums_ = MakeRadio(kDrumBeat, "Drum Beat", sound);
  click_ = MakeRadio(kClassicClick, "Classic Click", sound);
  accent_ = new QCheckBox("Accent the first beat", sound);
  accent_->setObjectName(CtlName(kAccent));
  soundGrid->addWidget(drums_, 0, 0);
  soundGrid->addWidget(click_, 0, 1);
  soundGrid->addWidget(accent_, 1, 0, 1, 2);
  auto* volume = new QGroupBox("Volume", this);
  auto* volumeRow = new QHBoxLayout(volume);
  level_ = MakeSlider(kLevel, 0, forms::MetronomeForm::kMaxLevel, volume);
  levelText_ = new QLabel(volume);
  levelText_->setObjectName(CtlName(kLevelText));
  levelText_->setMinimumWidth(28);
  levelText_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  volumeRow->addWidget(level_);
  volumeRow->addWidget(levelText_);
  volumeRow->addWidget(new QLabel("dB", volume));
  Exclusive({on_, off_}, this);
  Exclusive({drums_, click_}, this);

  OnScroll(level_, [this](forms::SliderAction code, int thumb) {
    form_.OnScroll(code, thumb);
    Render();
  });
  connect(on_, &QRadioButton::clicked, this, [this] { form_.on = true; });
  connect(off_, &QRadioButton::clicked, this, [this] { form_.on = false; });
  connect(drums_, &QRadioButton::clicked, this, [this] { form_.clickOnly = false; });
  connect(click_, &QRadioButton::clicked, this, [this] { form_.clickOnly = true; });
  connect(accent_, &QCheckBox::clicked, this, [this](bool ticked) { form_.accent = ticked; });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(state);
  layout->addWidget(sound);
  layout->addWidget(volume);
  layout->addWidget(MakeOkCancel(this));
  Render();
}

void CMetronomeDialog::Render() {
  (form_.on ? on_ : off_)->setChecked(true);
  (form_.clickOnly ? click_ : drums_)->setChecked(true);
  accent_->setChecked(form_.accent);
  const QSignalBlocker block(level_);
  level_->setValue(form_.SliderPosition());
  levelText_->setText(Qs(form_.LevelText()));
}

std::optional<MetronomeSettingsRequest::Result> CMetronomeDialog::Ask(const MetronomeSettingsRequest& request,
                                                                      QWidget* parent) {
  CMetronomeDialog dialog(request, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

// ---- Colours -------------------------------------------------------------------

CColorSettingsDialog::CColorSettingsDialog(const ColorSettingsRequest& request, QWidget* parent)
    : CFormDialog(parent), form_(request), apply_(request.apply) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle("Color Settings");
  using forms::ColorMember;
  const ColorMember members[4] = {ColorMember::Background, ColorMember::Waveform, ColorMember::Outline,
                                  ColorMember::Markers};
  const char* names[4] = {"Background:", "Waveform:", "Outline:", "Markers:"};

  auto* views = new QGroupBox("Multiple Waveform Views", this);
  auto* viewsForm = new QFormLayout(views);
  auto* viewRow = new QHBoxLayout;
  trackView_ = MakeRadio(kTrackView, "Track View", views);
  loopBank_ = MakeRadio(kLoopBank, "Loop Bank", views);
  viewRow->addWidget(trackView_);
  viewRow->addWidget(loopBank_);
  viewRow->addStretch();
  viewsForm->addRow(viewRow);
  item_ = new QComboBox(views);
  item_->setObjectName(CtlName(kItem));
  viewsForm->addRow("Item:", item_);
  const int viewIds[4] = {kBackground, kWaveform, kOutline, kMarkers};
  for (int i = 0; i < 4; ++i) {
    viewColors_[i] = MakePaletteCombo(viewIds[i], views);
    viewsForm->addRow(names[i], viewColors_[i]);
    connect(viewColors_[i], &QComboBox::activated, this, [this, member = members[i]](int index) {
      form_.OnColor(member, index);
      Apply();
    });
  }
  auto* setAll = new QPushButton("Set All To Current Color", views);
  setAll->setObjectName(CtlName(kSetAll));
  setAll->setAutoDefault(false);
  viewsForm->addRow(setAll);

  auto* editor = new QGroupBox("Audio Editor Colors", this);
  auto* editorForm = new QFormLayout(editor);
  const int editorIds[4] = {kEditorBackground, kEditorWaveform, kEditorOutline, kEditorMarkers};
  for (int i = 0; i < 4; ++i) {
    editorColors_[i] = MakePaletteCombo(editorIds[i], editor);
    editorForm->addRow(names[i], editorColors_[i]);
    connect(editorColors_[i], &QComboBox::activated, this, [this, member = members[i]](int index) {
      form_.OnEditorColor(member, index);
      Apply();
    });
  }
  useTrackColors_ = new QCheckBox("Use Track or Loop Color", editor);
  useTrackColors_->setObjectName(CtlName(kUseTrackColors));
  editorForm->addRow(useTrackColors_);

  connect(trackView_, &QRadioButton::clicked, this, [this] {
    form_.OnView(forms::ColorSettingsForm::kTrackView);
    Render();
  });
  connect(loopBank_, &QRadioButton::clicked, this, [this] {
    form_.OnView(forms::ColorSettingsForm::kLoopBank);
    Render();
  });
  connect(item_, &QComboBox::activated, this, [this](int index) {
    form_.OnItem(index);
    Render();
  });
  connect(useTrackColors_, &QCheckBox::clicked, this, [this](bool ticked) {
    form_.OnUseTrackColors(ticked);
    Apply();
  });
  connect(setAll, &QPushButton::clicked, this, [this] {
    form_.OnSetAll();
    Apply();
    Render();
  });

  auto* columns = new QHBoxLayout;
  columns->addWidget(views);
  columns->addWidget(editor, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addWidget(MakeOkCancel(this));
  Render();
}

void CColorSettingsDialog::Render() {
  using forms::ColorMember;
  const ColorMember members[4] = {ColorMember::Background, ColorMember::Waveform, ColorMember::Outline,
                                  ColorMember::Markers};
  const bool tracks = form_.View() == forms::ColorSettingsForm::kTrackView;
  (tracks ? trackView_ : loopBank_)->setChecked(true);
  const std::vector<std::string> items = form_.Items();
  if (item_->count() != static_cast<int>(items.size()) || item_->itemText(0) != Qs(items[0])) {
    item_->clear();
    for (const std::string& entry : items) item_->addItem(Qs(entry));
  }
  item_->setCurrentIndex(form_.ItemSelection());
  for (int i = 0; i < 4; ++i) {
    viewColors_[i]->setCurrentIndex(form_.CurrentIndex(members[i]));
    editorColors_[i]->setCurrentIndex(form_.EditorIndex(members[i]));
  }
  useTrackColors_->setChecked(form_.UseTrackColors());
}

void CColorSettingsDialog::Apply() {
  if (apply_) apply_(form_.Result());
}

std::optional<ColorSettingsRequest::Result> CColorSettingsDialog::Ask(const ColorSettingsRequest& request,
                                                                      QWidget* parent) {
  CColorSettingsDialog dialog(request, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

// ---- Wave quality ----------------------------------------------------------------

CWaveDialog::CWaveDialog(const forms::WaveQuality& quality, std::function<void(const std::string&)> tell,
                         QWidget* parent)
    : CFormDialog(parent), form_(quality), tell_(std::move(tell)), accepted_(quality) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle("Wave Quality");
  auto* settings = new QGroupBox("Audio Settings", this);
  auto* grid = new QGridLayout(settings);
  mono_ = MakeRadio(kMono, "Mono", settings);
  stereo_ = MakeRadio(kStereo, "Stereo", settings);
  bits8_ = MakeRadio(k8Bit, "8 Bit", settings);
  bits16_ = MakeRadio(k16Bit, "16 Bit", settings);
  rates_[forms::WaveQualityForm::Rate11025] = MakeRadio(k11025, "11025 Hz", settings);
  rates_[forms::WaveQualityForm::Rate22050] = MakeRadio(k22050, "22050 Hz", settings);
  rates_[forms::WaveQualityForm::Rate44100] = MakeRadio(k44100, "44100 Hz", settings);
  rates_[forms::WaveQualityForm::RateUser] = MakeRadio(kUserRate, "User Specified (in Hz):", settings);
  userRate_ = MakeEdit(kUserRateEdit, settings);
  userRate_->setFixedWidth(70);
  userRate_->installEventFilter(this);
  Exclusive({mono_, stereo_}, this);
  Exclusive({bits8_, bits16_}, this);
  Exclusive({rates_[0], rates_[1], rates_[2], rates_[3]}, this);
  grid->addWidget(mono_, 0, 0);
  grid->addWidget(stereo_, 1, 0);
  grid->addWidget(bits8_, 0, 1);
  grid->addWidget(bits16_, 1, 1);
  for (int i = 0; i < 4; ++i) grid->addWidget(rates_[i], i, 2);
  grid->addWidget(userRate_, 3, 3);

  connect(mono_, &QRadioButton::clicked, this, [this] { form_.stereo = false; });
  connect(stereo_, &QRadioButton::clicked, this, [this] { form_.stereo = true; });
  connect(bits8_, &QRadioButton::clicked, this, [this] { form_.sixteenBits = false; });
  connect(bits16_, &QRadioButton::clicked, this, [this] { form_.sixteenBits = true; });
  for (int i = 0; i < 4; ++i) {
    connect(rates_[i], &QRadioButton::clicked, this,
            [this, i] { form_.rate = static_cast<forms::WaveQualityForm::Rate>(i); });
  }
  connect(userRate_, &QLineEdit::textEdited, this, [this](const QString& text) { form_.userRate = Std(text); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(settings);
  layout->addWidget(MakeOkCancel(this));
  Render();
}

bool CWaveDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == userRate_ && event->type() == QEvent::FocusIn) {
    form_.OnUserRateFocus();
    Render();
  }
  return CFormDialog::eventFilter(watched, event);
}

void CWaveDialog::Render() {
  (form_.stereo ? stereo_ : mono_)->setChecked(true);
  (form_.sixteenBits ? bits16_ : bits8_)->setChecked(true);
  rates_[form_.rate]->setChecked(true);
  if (userRate_->text() != Qs(form_.userRate)) userRate_->setText(Qs(form_.userRate));
}

bool CWaveDialog::CanAccept() {
  std::string refusal;
  const std::optional<forms::WaveQuality> quality = form_.Accept(&refusal);
  if (!quality) {
    if (tell_) tell_(refusal);
    return false;
  }
  accepted_ = *quality;
  return true;
}

std::optional<forms::WaveQuality> CWaveDialog::Ask(const forms::WaveQuality& quality,
                                                   std::function<void(const std::string&)> tell, QWidget* parent) {
  CWaveDialog dialog(quality, std::move(tell), parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

}  // namespace dialogs
