#include "PropertiesDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace dialogs {

namespace {

constexpr int kPathMinWidth = 340;
constexpr int kPathMaxWidth = 560;

// A read-only edit drawn on the dialog's own background, so that it cannot be taken for one to type in.
void ShowReadOnly(QLineEdit* edit, bool readOnly) {
  edit->setReadOnly(readOnly);
  QPalette palette = edit->palette();
  if (readOnly) palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  edit->setPalette(palette);
  // Tab passes it by: the focus starts on what can be changed.
  edit->setFocusPolicy(readOnly ? Qt::ClickFocus : Qt::StrongFocus);
}

QLabel* MakeText(int id, const std::string& text, QWidget* parent) {
  auto* label = new QLabel(Qs(text), parent);
  label->setObjectName(CtlName(id));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// A path may be longer than the dialog: wide enough for most, scrollable and
// copyable for the rest, and whole in its tool tip.
QLineEdit* MakePath(int id, const std::string& path, QWidget* parent) {
  QLineEdit* edit = MakeEdit(id, parent);
  ShowReadOnly(edit, true);
  edit->setText(Qs(path));
  edit->setToolTip(edit->text());
  edit->setCursorPosition(0);
  const int wanted = edit->fontMetrics().horizontalAdvance(edit->text()) + 16;
  edit->setMinimumWidth(std::clamp(wanted, kPathMinWidth, kPathMaxWidth));
  return edit;
}

}  // namespace

CAudioLoopPropertiesDialog::CAudioLoopPropertiesDialog(const LoopPropertiesRequest& request,
                                             std::function<void(const std::string&)> tell, QWidget* parent)
    : CFormDialog(parent), form_(request), tell_(std::move(tell)) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle("Loop Properties");
  auto* fields = new QFormLayout;
  fields->addRow("Loop Number:", MakeText(kNumber, form_.NumberText(), this));
  title_ = MakeEdit(kTitle, this);
  title_->setMaxLength(127);
  title_->setText(Qs(form_.title));
  fields->addRow("Title:", title_);
  spin_ = new QSpinBox(this);
  spin_->setObjectName(CtlName(kSpin));
  spin_->setRange(forms::LoopPropertiesForm::kMinMeasures, forms::LoopPropertiesForm::kMaxMeasures);
  // The measures change by the arrows only: each step is the form's to take or refuse.
  if (auto* measures = spin_->findChild<QLineEdit*>()) {
    measures->setObjectName(CtlName(kMeasures));
    measures->setReadOnly(true);
  }
  spin_->setFixedWidth(70);
  fields->addRow("Measures:", spin_);
  tempo_ = MakeText(kTempo, "", this);
  fields->addRow("Tempo (BPM):", tempo_);
  fields->addRow("Length:", MakeText(kLength, form_.LengthText(), this));
  fields->addRow("Audio File:", MakePath(kAudioFile, form_.AudioFile(), this));

  connect(title_, &QLineEdit::textEdited, this, [this](const QString& text) { form_.title = Std(text); });
  connect(spin_, &QSpinBox::valueChanged, this, [this](int position) {
    std::string refusal;
    if (!form_.SetMeasures(position, &refusal) && tell_) tell_(refusal);
    Render();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(MakeOkCancel(this));
  Render();
}

void CAudioLoopPropertiesDialog::Render() {
  const QSignalBlocker block(spin_);
  spin_->setValue(form_.measures);
  tempo_->setText(Qs(form_.TempoText()));
}

std::optional<LoopPropertiesRequest::Result> CAudioLoopPropertiesDialog::Ask(const LoopPropertiesRequest& request,
                                                                        std::function<void(const std::string&)> tell,
                                                                        QWidget* parent) {
  CAudioLoopPropertiesDialog dialog(request, std::move(tell), parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

CSnippetPropertiesDialog::CSnippetPropertiesDialog(const SnippetPropertiesRequest& request, QWidget* parent)
    : CFormDialog(parent), form_(request) {
  setObjectName("dlg" + QString::number(kTemplateId));
  setWindowTitle("Audio Snippet Properties");
  auto* fields = new QFormLayout;
  fields->addRow("Type:", MakeText(kType, form_.TypeText(), this));
  tempo_ = MakeEdit(kTempo, this);
  tempo_->setFixedWidth(70);
  ShowReadOnly(tempo_, form_.TempoReadOnly());
  fields->addRow("Tempo (BPM):", tempo_);
  fields->addRow("Identifier:", MakeText(kIdentifier, form_.IdentifierText(), this));
  fields->addRow("Audio File:", MakePath(kAudioFile, form_.AudioFile(), this));
  if (!form_.TempoReadOnly()) {
    OnCommit(tempo_, [this](const std::string& text) { form_.SetTypedTempo(text); });
  }

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(MakeOkCancel(this));
  Render();
}

void CSnippetPropertiesDialog::Render() { tempo_->setText(Qs(form_.TempoText())); }

std::optional<SnippetPropertiesRequest::Result> CSnippetPropertiesDialog::Ask(const SnippetPropertiesRequest& request,
                                                                              QWidget* parent) {
  CSnippetPropertiesDialog dialog(request, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Result();
}

}  // namespace dialogs
