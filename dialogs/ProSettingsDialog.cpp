#include "ProSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace dialogs {
namespace {

QLabel* Caption(const char* text, QWidget* parent) { return new QLabel(text, parent); }

QCheckBox* MakeCheck(int id, const char* text, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(CtlName(id));
  return box;
}

QSpinBox* MakeSpin(int id, int maximum, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(CtlName(id));
  spin->setRange(0, maximum);
  spin->setFixedWidth(60);
  return spin;
}

}  // namespace

CProSettingsDialog::CProSettingsDialog(const AppSettingsRequest& request, FolderBrowsing browsing, QWidget* parent)
    : CFormDialog(parent), form_(request), browsing_(std::move(browsing)) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle("Application Settings");

  auto* processing = new QGroupBox("Tempo and Pitch Processing", this);
  auto* processingGrid = new QGridLayout(processing);
  quality_ = MakeSlider(kQuality, forms::AppSettingsForm::kMinQuality, forms::AppSettingsForm::kMaxQuality, processing);
  quality_->setPageStep(1);
  quality_->setTickPosition(QSlider::TicksBelow);
  qualityText_ = new QLabel(processing);
  qualityText_->setObjectName(CtlName(kQualityText));
  qualityText_->setAlignment(Qt::AlignCenter);
  processingGrid->addWidget(Caption("Higher Quality", processing), 0, 0);
  processingGrid->addWidget(quality_, 0, 1);
  processingGrid->addWidget(Caption("Faster Processing", processing), 0, 2);
  processingGrid->addWidget(qualityText_, 1, 1);
  editorUsesProject_ = MakeCheck(kEditorUsesProject, "Apply Project's Tempo, Pitch and Effect Settings in Audio Editor",
                                 processing);
  processingGrid->addWidget(editorUsesProject_, 2, 0, 1, 3);

  auto* playback = new QGroupBox("Playback", this);
  auto* playbackGrid = new QGridLayout(playback);
  output_ = MakeOutputCombo(kOutput, form_.OutputDevices(), playback);
  buffer_ = MakeSlider(kBuffer, forms::AppSettingsForm::kMinBufferLevel, forms::AppSettingsForm::kMaxBufferLevel,
                       playback);
  buffer_->setPageStep(1);
  buffer_->setTickPosition(QSlider::TicksBelow);
  bufferText_ = new QLabel(playback);
  bufferText_->setObjectName(CtlName(kBufferText));
  bufferText_->setAlignment(Qt::AlignCenter);
  extend_ = MakeSpin(kExtend, forms::AppSettingsForm::kMaxExtendSeconds, playback);
  playbackGrid->addWidget(Caption("Output Device:", playback), 0, 0);
  playbackGrid->addWidget(output_, 0, 1, 1, 2);
  playbackGrid->addWidget(Caption("Lower Latency", playback), 1, 0);
  playbackGrid->addWidget(buffer_, 1, 1);
  playbackGrid->addWidget(Caption("Safer Playback", playback), 1, 2);
  playbackGrid->addWidget(bufferText_, 2, 1);
  auto* extendRow = new QHBoxLayout;
  extendRow->addWidget(Caption("Extend Playback:", playback));
  extendRow->addWidget(extend_);
  extendRow->addWidget(Caption("Seconds ", playback));
  extendRow->addStretch();
  playbackGrid->addLayout(extendRow, 3, 0, 1, 3);

  auto* display = new QGroupBox("Track View", this);
  auto* displayGrid = new QGridLayout(display);
  timeDisplay_ = MakeCombo(kTimeDisplay, {"Standard", "Tempo"}, display);
  snap_ = MakeCheck(kSnap, "Snap-to-Grid Snippet Movement on Track View", display);
  follow_ = MakeCheck(kFollow, "Follow Waveform with Tracking Bar During Playback", display);
  auto* timeRow = new QHBoxLayout;
  timeRow->addWidget(Caption("Time Display:", display));
  timeRow->addWidget(timeDisplay_);
  timeRow->addStretch();
  displayGrid->addLayout(timeRow, 0, 0);
  displayGrid->addWidget(snap_, 1, 0);
  displayGrid->addWidget(follow_, 2, 0);

  auto* folder = new QGroupBox("Audio Path", this);
  auto* folderRow = new QHBoxLayout(folder);
  audioPath_ = MakeEdit(kAudioPath, folder);
  audioPath_->setReadOnly(true);
  auto* browse = new QPushButton("Browse...", folder);
  browse->setObjectName(CtlName(kBrowse));
  browse->setAutoDefault(false);
  folderRow->addWidget(audioPath_);
  folderRow->addWidget(browse);

  // Hidden, as they always were; their values still travel.
  unlimitedUndo_ = MakeCheck(kUnlimitedUndo, "Unlim Undo", this);
  undoLevels_ = MakeSpin(kUndoLevels, forms::AppSettingsForm::kMaxUndoLevels, this);
  unlimitedUndo_->hide();
  undoLevels_->hide();

  connect(quality_, &QSlider::valueChanged, this, [this](int level) {
    form_.OnQuality(level);
    Render();
  });
  connect(buffer_, &QSlider::valueChanged, this, [this](int level) {
    form_.OnBufferLevel(level);
    Render();
  });
  connect(extend_, &QSpinBox::valueChanged, this, [this](int seconds) { form_.OnExtendSeconds(seconds); });
  connect(undoLevels_, &QSpinBox::valueChanged, this, [this](int levels) { form_.OnUndoLevels(levels); });
  connect(output_, &QComboBox::activated, this, [this](int index) { form_.OnOutputDevice(index); });
  connect(timeDisplay_, &QComboBox::activated, this, [this](int index) { form_.OnTimeDisplay(index); });
  connect(snap_, &QCheckBox::clicked, this, [this](bool ticked) { form_.OnSnap(ticked); });
  connect(follow_, &QCheckBox::clicked, this, [this](bool ticked) { form_.OnFollow(ticked); });
  connect(editorUsesProject_, &QCheckBox::clicked, this, [this](bool ticked) { form_.OnEditorUsesProject(ticked); });
  connect(unlimitedUndo_, &QCheckBox::clicked, this, [this](bool ticked) {
    form_.OnUnlimitedUndo(ticked);
    Render();
  });
  connect(browse, &QPushButton::clicked, this, &CProSettingsDialog::Browse);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(processing);
  layout->addWidget(playback);
  layout->addWidget(display);
  layout->addWidget(folder);
  layout->addWidget(MakeOkCancel(this));
  Render();
}

void CProSettingsDialog::Render() {
  const QSignalBlocker blocks[] = {QSignalBlocker(quality_), QSignalBlocker(buffer_), QSignalBlocker(extend_),
                                   QSignalBlocker(undoLevels_)};
  quality_->setValue(form_.Quality());
  qualityText_->setText(Qs(form_.QualityText()));
  buffer_->setValue(form_.BufferLevel());
  bufferText_->setText(Qs(form_.BufferText() + " ms"));
  extend_->setValue(form_.ExtendSeconds());
  undoLevels_->setValue(form_.UndoLevels());
  undoLevels_->setEnabled(form_.UndoSpinEnabled());
  unlimitedUndo_->setChecked(form_.UnlimitedUndo());
  output_->setCurrentIndex(form_.OutputSelection());
  timeDisplay_->setCurrentIndex(form_.TimeDisplaySelection());
  snap_->setChecked(form_.Snap());
  follow_->setChecked(form_.Follow());
  editorUsesProject_->setChecked(form_.EditorUsesProject());
  audioPath_->setText(Qs(form_.AudioPath()));
}

void CProSettingsDialog::Browse() {
  if (!browsing_.chooseFolder) return;
  std::string from = form_.AudioPath();
  for (;;) {
    const std::optional<std::string> chosen = browsing_.chooseFolder(from);
    // A cancel keeps the folder the dialog had, which was usable.
    if (!chosen || chosen->empty()) break;
    const FolderCheck check = form_.OnFolderChosen(*chosen);
    if (check == FolderCheck::Accepted) break;
    if (browsing_.tell) browsing_.tell(FolderRefusalText(*chosen, check), true);
    from = *chosen;
  }
  Render();
}

std::optional<AppSettingsRequest::Result> CProSettingsDialog::Ask(const AppSettingsRequest& request,
                                                                  FolderBrowsing browsing, QWidget* parent) {
  CProSettingsDialog dialog(request, std::move(browsing), parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

}  // namespace dialogs
