#include "editor/AudioEditorToolDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

#include "AudioLoop.h"
#include "AudioSegment.h"
#include "AudioSnippet.h"
#include "Generic.h"
#include "pro.h"

namespace {

constexpr const char* kSource = "AudioEditorToolDialog";
constexpr int kLineNoApp = 168;
constexpr int kLineLoopMissing = 290;
constexpr int kLineLengthNoEditor = 340;
constexpr int kLineTrackerNoEditor = 376;
constexpr int kLineNoSnippet = 539;
constexpr const char* kDuringPlaybackText = "Sorry, cannot perform this operation during playback.";
constexpr const char* kUnsetText = "--";
constexpr const char* kNoProjectTime = "00:00.000";

}  // namespace

CAudioEditorToolDialog::CAudioEditorToolDialog(CProApp* app, CWaveformEditorGUI* editor, QWidget* parent)
    : QDialog(parent), app_(app), editor_(editor) {
  setWindowTitle(QStringLiteral("Audio Editor Tool"));
  setObjectName(QStringLiteral("AudioEditorTool"));
  setModal(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(AddField(kTitleId));

  auto* settings = new QGroupBox(QStringLiteral("Editing Time Settings"), this);
  auto* settingsRow = new QHBoxLayout(settings);
  useProjectValues_ = new QCheckBox(QStringLiteral("Use Project Values"), settings);
  useProjectValues_->setObjectName(QString::number(kUseProjectValuesId));
  timeUnits_ = new QComboBox(settings);
  timeUnits_->setObjectName(QString::number(kTimeUnitsId));
  settingsRow->addWidget(useProjectValues_);
  settingsRow->addStretch(1);
  settingsRow->addWidget(new QLabel(QStringLiteral("Time Units:"), settings));
  settingsRow->addWidget(timeUnits_);
  layout->addWidget(settings);

  auto* grid = new QGridLayout();
  auto label = [this](const char* text) { return new QLabel(QString::fromLatin1(text), this); };
  grid->addWidget(label("Total Length:"), 0, 0);
  grid->addWidget(AddField(kTotalLengthId), 0, 1);
  const struct {
    const char* name;
    int start, end, size;
  } rows[] = {{"Tracker Start:", kTrackerStartId, kTrackerEndId, kTrackerSizeId},
              {"Marker Start:", kMarkerStartId, kMarkerEndId, kMarkerSizeId},
              {"Project Start:", kProjectStartId, kProjectEndId, kProjectSizeId}};
  int row = 1;
  for (const auto& r : rows) {
    grid->addWidget(label(r.name), row, 0);
    grid->addWidget(AddField(r.start), row, 1);
    grid->addWidget(label("End:"), row, 2);
    grid->addWidget(AddField(r.end), row, 3);
    grid->addWidget(label("Size:"), row, 4);
    grid->addWidget(AddField(r.size), row, 5);
    ++row;
  }
  grid->addWidget(label("Current Audio Tempo:"), row, 0, 1, 2);
  grid->addWidget(AddField(kAudioTempoId), row, 3);
  ++row;
  grid->addWidget(label("Current Project Tempo:"), row, 0, 1, 2);
  grid->addWidget(AddField(kProjectTempoId), row, 3);
  layout->addLayout(grid);

  timeUnits_->addItem(QStringLiteral("Standard"));
  timeUnits_->addItem(QStringLiteral("Tempo"));
  QObject::connect(useProjectValues_, &QCheckBox::clicked, this, [this] { OnUseProjectValues(); });
  QObject::connect(timeUnits_, &QComboBox::activated, this, [this] { OnTimeUnitsChanged(); });
}

QLineEdit* CAudioEditorToolDialog::AddField(int id) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(QString::number(id));
  edit->setReadOnly(true);
  edit->setMinimumWidth(id == kTitleId ? 300 : 84);
  fields_.emplace_back(id, edit);
  return edit;
}

QLineEdit* CAudioEditorToolDialog::Field(int id) const {
  for (const auto& [fieldId, edit] : fields_) {
    if (fieldId == id) return edit;
  }
  return nullptr;
}

// ---- Opening and closing ----------------------------------------------------------------

void CAudioEditorToolDialog::Open() {
  OnInitDialog();
  show();
  raise();
}

void CAudioEditorToolDialog::OnInitDialog() {
  timeUnits_->setCurrentIndex(timeUnits == kUnitsStandard ? 0 : 1);
  UpdateContentFields();
  UpdateTimeFields(0);
  UpdateTempoFields();
  shown = 1;
}

void CAudioEditorToolDialog::UpdateContentFields() {
  UpdateUseProjectValuesCheck();
  UpdateTitle();
  DisableProjectFields();
}

void CAudioEditorToolDialog::Close() {
  hide();
  shown = 0;
}

void CAudioEditorToolDialog::closeEvent(QCloseEvent* event) {
  shown = 0;
  QDialog::closeEvent(event);
}

void CAudioEditorToolDialog::reject() { Close(); }

draw::Rect CAudioEditorToolDialog::WindowRect() const {
  const QRect r = frameGeometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CAudioEditorToolDialog::ShowAt(const draw::Rect& rect) {
  move(rect.left, rect.top);
  show();
  raise();
}

// ---- The fields -----------------------------------------------------------------------

void CAudioEditorToolDialog::UpdateTitle() {
  QString title = QStringLiteral("Independent Audio");
  if (app_ && app_->editorSource == EditorSourceSnippet && app_->editorSnippet) {
    char text[96];
    std::snprintf(text, sizeof text, "Track %d - Snippet ID #%ld", app_->editorTrackIndex + 1,
                  static_cast<long>(app_->editorSnippet->GetIdentifier()));
    title = QString::fromLatin1(text);
  } else if (app_ && app_->editorSource == EditorSourceLoop) {
    if (!app_->editorLoop) {
      ReportError(kSource, kLineLoopMissing, "");
    } else {
      title = QStringLiteral("Loop %1 - %2")
                  .arg(app_->editorLoopIndex + 1)
                  .arg(QString::fromStdString(app_->editorLoop->GetTitle()));
    }
  }
  Field(kTitleId)->setText(title);
}

void CAudioEditorToolDialog::UpdateUseProjectValuesCheck() {
  useProjectValues_->setChecked(app_ && app_->editorUsesProjectSettings == 1);
}

void CAudioEditorToolDialog::DisableProjectFields() {
  const bool snippet = app_ && app_->editorSource == EditorSourceSnippet;
  useProjectValues_->setEnabled(snippet);
  for (const int id : {kProjectStartId, kProjectEndId, kProjectSizeId}) Field(id)->setEnabled(snippet);
  if (snippet) return;
  useProjectValues_->setChecked(false);
  for (const int id : {kProjectStartId, kProjectEndId, kProjectSizeId}) {
    Field(id)->setText(QString::fromLatin1(kNoProjectTime));
  }
}

void CAudioEditorToolDialog::UpdateTempoFields() {
  char text[32];
  const CAudioSegment* segment = app_ ? app_->editorSegment.get() : nullptr;
  if (segment) {
    std::snprintf(text, sizeof text, "%.2f", segment->tempo);
    Field(kAudioTempoId)->setText(QString::fromLatin1(text));
  }
  if (app_) {
    std::snprintf(text, sizeof text, "%.2f", app_->project.tempo);
    Field(kProjectTempoId)->setText(QString::fromLatin1(text));
  }
}

float CAudioEditorToolDialog::Factor(bool takeIt) const {
  if (!takeIt) return 1.0f;
  const float ratio = editor_ ? editor_->tempoRatio : 1.0f;
  return ratio > 0.0f && std::isfinite(ratio) ? ratio : 1.0f;
}

std::string CAudioEditorToolDialog::UnitsText(uint32_t frames, uint32_t rate) const {
  char text[64] = {};
  if (timeUnits == kUnitsStandard || !app_) {
    FormatSamplesAsTime(frames, rate, text);
  } else {
    FormatSamplesAsTempoTime(frames, rate, app_->project.tempo, app_->project.beatsPerBarChoice, text);
  }
  return text;
}

void CAudioEditorToolDialog::UpdateTimeFields(int ignoreProjectValues) {
  const CAudioSegment* segment = app_ ? app_->editorSegment.get() : nullptr;
  const bool flag = app_ && app_->editorUsesProjectSettings != 0;
  auto set = [this](int id, const std::string& text) { Field(id)->setText(QString::fromStdString(text)); };

  if (!editor_) ReportError(kSource, kLineLengthNoEditor, "");
  const float lengthFactor = Factor(editor_ && (flag || timeUnits == kUnitsTempo));
  const uint32_t lengthRate = static_cast<uint32_t>(44100.0f / lengthFactor);
  set(kTotalLengthId, segment ? UnitsText(segment->length, lengthRate) : "");

  if (!editor_) ReportError(kSource, kLineTrackerNoEditor, "");
  const float trackerFactor = Factor(editor_ && ((ignoreProjectValues == 0 && flag) || timeUnits == kUnitsTempo));
  const uint32_t trackerRate = static_cast<uint32_t>(44100.0f / trackerFactor);
  set(kTrackerStartId, segment ? UnitsText(segment->trackerStart, trackerRate) : "");
  set(kTrackerEndId, segment ? UnitsText(segment->trackerEnd, trackerRate) : "");
  set(kTrackerSizeId, segment ? UnitsText(segment->trackerSize, trackerRate) : "");

  // Markers are frames of the audio itself, whatever the project does to it.
  auto marker = [&](uint32_t frames) -> std::string {
    if (!segment) return "";
    return frames == CAudioSegment::kMarkerUnset ? kUnsetText : UnitsText(frames, 44100);
  };
  set(kMarkerStartId, marker(segment ? segment->markerStart : 0));
  set(kMarkerEndId, marker(segment ? segment->markerEnd : 0));
  set(kMarkerSizeId, marker(segment ? segment->markerSize : 0));

  if (app_ && app_->editorSource == EditorSourceSnippet) {
    const CAudioSnippet* snippet = app_->editorSnippet.get();
    if (!snippet) ReportError(kSource, kLineNoSnippet, "");
    set(kProjectStartId, snippet ? UnitsText(snippet->start, 44100) : "");
    set(kProjectEndId, snippet ? UnitsText(snippet->end, 44100) : "");
    set(kProjectSizeId, snippet ? UnitsText(snippet->length, 44100) : "");
  }
}

// ---- The controls' handlers ----------------------------------------------------------------

void CAudioEditorToolDialog::OnTimeUnitsChanged() {
  timeUnits = timeUnits_->currentIndex() == 0 ? kUnitsStandard : kUnitsTempo;
  UpdateTimeFields(1);
}

void CAudioEditorToolDialog::OnUseProjectValues() {
  if (!app_) {
    ReportError(kSource, kLineNoApp, "");
    return;
  }
  if (app_->playing.load() == 1) {
    const QSignalBlocker quiet(useProjectValues_);
    useProjectValues_->setChecked(app_->editorUsesProjectSettings == 1);
    app_->services.ui.Inform(kDuringPlaybackText);
    return;
  }
  app_->editorUsesProjectSettings = useProjectValues_->isChecked() ? 1 : 0;
  if (editor_) {
    editor_->UpdateToolBarTimes();
    editor_->Redraw();
  }
  app_->services.view.RefreshAllViews();
}
