#include "ProjectPropertiesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "Genres.h"

namespace dialogs {
namespace {

std::vector<std::string> GenreNames() { return {forms::kGenres.begin(), forms::kGenres.end()}; }

}  // namespace

CProjectPropertiesDialog::CProjectPropertiesDialog(const ProjectSettingsRequest& request, QWidget* parent)
    : CFormDialog(parent), form_(request) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle("Project Settings");

  auto* tags = new QGroupBox("Project Information", this);
  auto* tagForm = new QFormLayout(tags);
  title_ = MakeEdit(kTitle, tags);
  artist_ = MakeEdit(kArtist, tags);
  album_ = MakeEdit(kAlbum, tags);
  year_ = MakeEdit(kYear, tags);
  year_->setMaxLength(static_cast<int>(forms::ProjectSettingsForm::kYearChars));
  year_->setMaximumWidth(60);
  genre_ = MakeCombo(kGenre, GenreNames(), tags);
  description_ = new QPlainTextEdit(tags);
  description_->setObjectName(CtlName(kDescription));
  description_->setFixedHeight(72);
  tagForm->addRow("Title:", title_);
  tagForm->addRow("Artist:", artist_);
  tagForm->addRow("Album:", album_);
  tagForm->addRow("Year:", year_);
  tagForm->addRow("Genre:", genre_);
  tagForm->addRow("Description:", description_);

  auto* levels = new QGroupBox("Main Levels", this);
  auto* levelGrid = new QGridLayout(levels);
  const int ids[2][3] = {{kLevelLeft, kLevelLeftEdit, kLevelLeftUnit}, {kLevelRight, kLevelRightEdit, kLevelRightUnit}};
  AddLevelRows(levelGrid, ids, controls_.levels, form_);
  controls_.lock = MakeLockBox(kLock, levels);
  controls_.units = MakeUnitsCombo(kUnits, levels);
  levelGrid->addWidget(controls_.lock, 2, 1);
  levelGrid->addWidget(controls_.units, 2, 2, 1, 2);

  auto* timing = new QGroupBox("Tempo and Pitch", this);
  auto* timingGrid = new QGridLayout(timing);
  tempoSlider_ = MakeSlider(kTempoSlider, forms::ProjectSettingsForm::kMinTempo, forms::ProjectSettingsForm::kMaxTempo,
                            timing);
  tempoEdit_ = MakeNumberEdit(kTempoEdit, timing);
  controls_.pitchSlider = MakePitchSlider(kPitchSlider, timing);
  controls_.pitchEdit = MakeNumberEdit(kPitchEdit, timing);
  controls_.pitchUnits = MakePitchUnitsCombo(kPitchUnits, timing);
  timeSignature_ = MakeCombo(kTimeSignature, {"4/4", "3/4", "None"}, timing);
  timingGrid->addWidget(new QLabel("Tempo:", timing), 0, 0);
  timingGrid->addWidget(tempoSlider_, 0, 1);
  timingGrid->addWidget(tempoEdit_, 0, 2);
  timingGrid->addWidget(new QLabel("BPM", timing), 0, 3);
  timingGrid->addWidget(new QLabel("Pitch:", timing), 1, 0);
  timingGrid->addWidget(controls_.pitchSlider, 1, 1);
  timingGrid->addWidget(controls_.pitchEdit, 1, 2);
  timingGrid->addWidget(controls_.pitchUnits, 1, 3);
  timingGrid->addWidget(new QLabel("Time Signature:", timing), 2, 0);
  timingGrid->addWidget(timeSignature_, 2, 1, Qt::AlignLeft);

  OnScroll(tempoSlider_, [this](forms::SliderAction code, int thumb) {
    form_.OnTempoScroll(code, thumb);
    Render();
  });
  OnCommit(tempoEdit_, [this](const std::string& text) { form_.OnTempoTyped(text); });
  WireLevelsAndPitch(controls_, form_);
  connect(timeSignature_, &QComboBox::activated, this, [this](int index) { form_.timeSignature = index; });
  connect(genre_, &QComboBox::activated, this, [this](int index) { form_.genre = index; });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tags);
  layout->addWidget(levels);
  layout->addWidget(timing);
  layout->addWidget(MakeOkCancel(this));

  title_->setText(Qs(form_.title));
  artist_->setText(Qs(form_.artist));
  album_->setText(Qs(form_.album));
  year_->setText(Qs(form_.year));
  description_->setPlainText(Qs(form_.description));
  Render();
}

void CProjectPropertiesDialog::Render() {
  ShowLevelsAndPitch(controls_, form_);
  {
    const QSignalBlocker block(tempoSlider_);
    tempoSlider_->setValue(form_.TempoSlider());
  }
  tempoEdit_->setText(Qs(form_.TempoText()));
  timeSignature_->setCurrentIndex(form_.timeSignature);
  genre_->setCurrentIndex(form_.genre);
}

ProjectSettingsRequest::Result CProjectPropertiesDialog::Result() {
  form_.title = Std(title_->text());
  form_.artist = Std(artist_->text());
  form_.album = Std(album_->text());
  form_.year = Std(year_->text());
  form_.description = Std(description_->toPlainText());
  return form_.Result();
}

std::optional<ProjectSettingsRequest::Result> CProjectPropertiesDialog::Ask(const ProjectSettingsRequest& request,
                                                                          QWidget* parent) {
  CProjectPropertiesDialog dialog(request, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

}  // namespace dialogs
