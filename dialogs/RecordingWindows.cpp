#include "RecordingWindows.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstring>

#include "Clock.h"
#include "DialogKit.h"
#include "pro.h"

namespace dialogs {

namespace {

std::function<uint32_t()> TickOrClock(std::function<uint32_t()> tick) {
  return tick ? std::move(tick) : std::function<uint32_t()>(&platform::GetTickCount32);
}

QLineEdit* TimeBox(int id, const QString& text, QWidget* parent) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(CtlName(id));
  box->setReadOnly(true);
  box->setFocusPolicy(Qt::NoFocus);
  box->setAlignment(Qt::AlignCenter);
  // Wide enough for "100:00.000" and "999:3:3.99" in the program's font.
  box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("000:00.0000")) + 12);
  return box;
}

QPushButton* Button(int id, const char* text, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(CtlName(id));
  button->setAutoDefault(false);
  return button;
}

// Over the middle of the main window, where the user is looking.
void CentreOver(QWidget& window) {
  window.adjustSize();
  if (QWidget* owner = window.parentWidget()) {
    window.move(owner->window()->geometry().center() - window.rect().center());
  }
}

std::vector<std::string> InputNames(CProApp& app) {
  std::vector<std::string> names;
  const PobixDevice* inputs = app.devices.GetInputDevices();
  for (int i = 0; i < app.devices.GetInputDeviceCount(); ++i) {
    names.emplace_back(inputs[i].name, strnlen(inputs[i].name, sizeof(inputs[i].name)));
  }
  return names;
}

}  // namespace

CRecordingWindow::CRecordingWindow(CProApp& app, std::function<uint32_t()> tick, QWidget* parent)
    : QDialog(parent), app_(app), tick_(TickOrClock(std::move(tick))), form_([this](bool keep) {
        keep ? app_.OnRecordingWindowStop() : app_.OnRecordingWindowCancel();
      }) {
  using forms::CRecordingDialog;
  setObjectName(QStringLiteral("284"));
  setWindowTitle(QStringLiteral("Recording..."));
  auto* layout = new QVBoxLayout(this);
  auto* times = new QHBoxLayout;
  times->addWidget(new QLabel(QStringLiteral("Recorded Audio:"), this));
  time_ = TimeBox(CRecordingDialog::kIdTime, QString(), this);
  tempoTime_ = TimeBox(CRecordingDialog::kIdTempoTime, QString(), this);
  times->addWidget(time_);
  times->addWidget(tempoTime_);
  layout->addLayout(times);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QPushButton* stop = Button(CRecordingDialog::kIdStop, "Stop", this);
  QPushButton* cancel = Button(CRecordingDialog::kIdCancel, "Cancel", this);
  stop->setDefault(true);
  buttons->addWidget(stop);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(stop, &QPushButton::clicked, this, [this] { form_.OnStop(); });
  connect(cancel, &QPushButton::clicked, this, [this] { form_.OnCancelRecording(); });
  timer_.setInterval(CRecordingDialog::kTimerMs);
  connect(&timer_, &QTimer::timeout, this, &CRecordingWindow::Tick);
}

void CRecordingWindow::Start() {
  form_.Reset();
  form_.CreateAndStart(tick_());
  Tick();
  if (!isVisible()) CentreOver(*this);
  show();
  raise();
  timer_.start();
}

void CRecordingWindow::End() {
  timer_.stop();
  form_.Closed();
  hide();
}

void CRecordingWindow::reject() { form_.OnCancel(); }

void CRecordingWindow::Tick() {
  const forms::CRecordingDialog::Elapsed shown =
      form_.OnTimer(tick_(), app_.project.tempo, app_.project.beatsPerBarChoice);
  time_->setText(QString::fromStdString(shown.time));
  tempoTime_->setText(QString::fromStdString(shown.tempoTime));
}

CRecordSegmentWindow::CRecordSegmentWindow(CProApp& app, std::function<uint32_t()> tick, QWidget* parent)
    : QDialog(parent),
      app_(app),
      tick_(TickOrClock(std::move(tick))),
      form_({[this](int32_t input, int16_t channels) { app_.StartEditorRecording(input, channels); },
             [this] { app_.FinishEditorRecording(); }, [this] { app_.CancelEditorRecording(); }}) {
  using forms::CRecordSegmentDialog;
  setObjectName(QStringLiteral("221"));
  setWindowTitle(QStringLiteral("Record Audio..."));
  // The main window waits while it shows; the tool windows (the levels) stay usable.
  setWindowModality(Qt::WindowModal);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Input Device:"), this), 0, 0);
  inputs_ = new QComboBox(this);
  inputs_->setObjectName(CtlName(CRecordSegmentDialog::kIdInput));
  grid->addWidget(inputs_, 0, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Channels:"), this), 1, 0);
  stereo_ = new QRadioButton(QStringLiteral("Stereo"), this);
  stereo_->setObjectName(CtlName(CRecordSegmentDialog::kIdStereo));
  mono_ = new QRadioButton(QStringLiteral("Mono"), this);
  mono_->setObjectName(CtlName(CRecordSegmentDialog::kIdMono));
  auto* channels = new QHBoxLayout;
  channels->addWidget(stereo_);
  channels->addWidget(mono_);
  channels->addStretch(1);
  grid->addLayout(channels, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Recorded Audio:"), this), 1, 2, Qt::AlignRight);
  time_ = TimeBox(CRecordSegmentDialog::kIdTime, QString(), this);
  grid->addWidget(time_, 1, 3);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QVBoxLayout;
  start_ = Button(CRecordSegmentDialog::kIdStart, "Start", this);
  stop_ = Button(CRecordSegmentDialog::kIdStop, "Stop", this);
  cancel_ = Button(CRecordSegmentDialog::kIdCancel, "Cancel", this);
  start_->setDefault(true);
  buttons->addWidget(start_);
  buttons->addWidget(stop_);
  buttons->addWidget(cancel_);
  buttons->addStretch(1);
  grid->addLayout(buttons, 0, 4, 3, 1);
  grid->setRowStretch(2, 1);
  setMinimumWidth(480);

  connect(inputs_, &QComboBox::currentIndexChanged, this, [this](int index) { form_.SelectInput(index); });
  connect(mono_, &QRadioButton::toggled, this, [this](bool on) { form_.SelectChannels(on ? 1 : 2); });
  connect(start_, &QPushButton::clicked, this, [this] {
    form_.OnStart();
    Render();
    if (form_.StopEnabled()) stop_->setFocus();
  });
  connect(stop_, &QPushButton::clicked, this, [this] {
    timer_.stop();
    form_.OnStopRecording();
    Render();
  });
  connect(cancel_, &QPushButton::clicked, this, &CRecordSegmentWindow::reject);
  timer_.setInterval(CRecordSegmentDialog::kTimerMs);
  connect(&timer_, &QTimer::timeout, this, &CRecordSegmentWindow::Tick);
}

void CRecordSegmentWindow::Open(int channels) {
  form_.OnInitDialog(InputNames(app_), static_cast<int16_t>(channels), app_.project.timeDisplay);
  FillInputDevices();
  {
    const QSignalBlocker blockMono(mono_);
    (form_.Channels() == 1 ? mono_ : stereo_)->setChecked(true);
  }
  time_->setText(QString::fromStdString(form_.InitialTime()));
  Render();
  CentreOver(*this);
  show();
  raise();
  start_->setFocus();
}

void CRecordSegmentWindow::FillInputDevices() {
  const QSignalBlocker blockInputs(inputs_);
  inputs_->clear();
  for (const std::string& name : form_.Inputs()) inputs_->addItem(QString::fromStdString(name));
  inputs_->setCurrentIndex(form_.Inputs().empty() ? -1 : form_.InputIndex());
}

void CRecordSegmentWindow::StartTimer() {
  form_.StartTimer(tick_());
  timer_.start();
}

void CRecordSegmentWindow::Close() {
  timer_.stop();
  form_.Close();
  hide();
}

void CRecordSegmentWindow::reject() {
  timer_.stop();
  form_.OnCancel();
  Render();
}

void CRecordSegmentWindow::closeEvent(QCloseEvent* event) {
  // The application hides the window once its recording has ended.
  event->ignore();
  // A close the user did not make (the program asked to end) keeps a take under way.
  if (!event->spontaneous() && form_.Timing()) {
    timer_.stop();
    form_.OnStopRecording();
    return;
  }
  reject();
}

void CRecordSegmentWindow::Render() {
  const bool choices = form_.ChoicesEnabled();
  inputs_->setEnabled(choices);
  stereo_->setEnabled(choices);
  mono_->setEnabled(choices);
  start_->setEnabled(form_.StartEnabled());
  stop_->setEnabled(form_.StopEnabled());
}

void CRecordSegmentWindow::Tick() {
  time_->setText(
      QString::fromStdString(form_.OnTimer(tick_(), app_.project.tempo, app_.project.beatsPerBarChoice)));
}

CRecordingWindows::CRecordingWindows(CProApp& app, RecordingServices services)
    : app_(app), services_(std::move(services)) {}

CRecordingWindows::~CRecordingWindows() {
  // Windows without a main window to own them are this object's.
  if (recording_ && !recording_->parent()) delete recording_.data();
  if (segment_ && !segment_->parent()) delete segment_.data();
}

void CRecordingWindows::ShowRecordingWindow() {
  if (!recording_) recording_ = new CRecordingWindow(app_, services_.tick, Parent());
  recording_->Start();
}

void CRecordingWindows::CloseRecordingWindow() {
  if (recording_) recording_->End();
}

void CRecordingWindows::OpenRecordSegmentWindow(int channels) {
  if (!segment_) segment_ = new CRecordSegmentWindow(app_, services_.tick, Parent());
  segment_->Open(channels);
}

void CRecordingWindows::StartRecordSegmentTimer() {
  if (segment_) segment_->StartTimer();
}

void CRecordingWindows::CloseRecordSegmentWindow() {
  if (segment_) segment_->Close();
}

}  // namespace dialogs
