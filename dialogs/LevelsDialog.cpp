#include "LevelsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "DialogKit.h"

namespace dialogs {

using forms::CLevelsForm;

namespace {
constexpr int kSliderIds[4] = {CLevelsForm::kMasterLeft, CLevelsForm::kMasterRight, CLevelsForm::kChannelLeft,
                               CLevelsForm::kChannelRight};
constexpr int kLabelIds[4] = {CLevelsForm::kMasterLeftLabel, CLevelsForm::kMasterRightLabel,
                              CLevelsForm::kChannelLeftLabel, CLevelsForm::kChannelRightLabel};
}  // namespace

CLevelsDialog::CLevelsDialog(const LevelsCallbacks& callbacks, int inputDeviceCount, CLevelsForm::Host host,
                             QWidget* parent)
    : QDialog(parent), form_(callbacks, inputDeviceCount, std::move(host)) {
  setWindowTitle("Audio Levels");
  auto* layout = new QVBoxLayout(this);
  auto* groups = new QHBoxLayout;
  for (int g = 0; g < 2; ++g) {
    auto* box = new QGroupBox(g == 0 ? "Main Levels" : "Channel Levels", this);
    auto* grid = new QGridLayout(box);
    const int first = 2 * g;
    if (g == 1) {
      channel_ = MakeCombo(CLevelsForm::kChannelCombo, form_.ChannelItems(), box);
      grid->addWidget(channel_, 0, 0, 1, 4);
    }
    sliders_[first] = AddSlider(kSliderIds[first]);
    meters_[first] = AddMeter(CLevelsForm::kMeterIds[first]);
    meters_[first + 1] = AddMeter(CLevelsForm::kMeterIds[first + 1]);
    sliders_[first + 1] = AddSlider(kSliderIds[first + 1]);
    grid->addWidget(sliders_[first], 1, 0, Qt::AlignHCenter);
    grid->addWidget(meters_[first], 1, 1, Qt::AlignHCenter);
    grid->addWidget(meters_[first + 1], 1, 2, Qt::AlignHCenter);
    grid->addWidget(sliders_[first + 1], 1, 3, Qt::AlignHCenter);
    for (int side = 0; side < 2; ++side) {
      auto* label = new QLabel("-50", box);
      label->setObjectName(CtlName(kLabelIds[first + side]));
      label->setAlignment(Qt::AlignCenter);
      label->setMinimumWidth(32);
      labels_[static_cast<size_t>(first + side)] = label;
      grid->addWidget(label, 2, side == 0 ? 0 : 3);
    }
    groups->addWidget(box);
  }
  layout->addLayout(groups);
  lock_ = new QCheckBox("Lock Channel Sliders", this);
  lock_->setObjectName(CtlName(CLevelsForm::kLock));
  monitor_ = new QCheckBox("Monitor Input Device", this);
  monitor_->setObjectName(CtlName(CLevelsForm::kMonitor));
  auto* checks = new QHBoxLayout;
  checks->addWidget(lock_);
  checks->addWidget(monitor_);
  checks->addStretch();
  layout->addLayout(checks);

  timer_ = new QTimer(this);
  timer_->setInterval(kMeterMs);
  connect(timer_, &QTimer::timeout, this, &CLevelsDialog::TickMeters);
  for (size_t i = 0; i < 4; ++i) {
    connect(sliders_[i], &QSlider::valueChanged, this, [this, i](int position) { OnSlider(kSliderIds[i], position); });
  }
  connect(channel_, &QComboBox::activated, this, &CLevelsDialog::OnChannelChange);
  connect(lock_, &QCheckBox::clicked, this, [this](bool on) { form_.SetLocked(on); });
  connect(monitor_, &QCheckBox::clicked, this, &CLevelsDialog::OnMonitorCheck);

  form_.Init();
  if (form_.MetersRunning()) timer_->start();
  Show();
}

QSlider* CLevelsDialog::AddSlider(int id) {
  QSlider* slider = MakeSlider(id, 0, CLevelsForm::kSliderMax, this);
  slider->setOrientation(Qt::Vertical);
  // Position 0 (+20 dB) at the top.
  slider->setInvertedAppearance(true);
  slider->setInvertedControls(true);
  slider->setPageStep(1);
  slider->setMinimumHeight(150);
  return slider;
}

QProgressBar* CLevelsDialog::AddMeter(int id) {
  auto* meter = new QProgressBar(this);
  meter->setObjectName(CtlName(id));
  meter->setOrientation(Qt::Vertical);
  meter->setRange(0, 100);
  meter->setValue(0);
  meter->setTextVisible(false);
  meter->setFixedWidth(14);
  meter->setMinimumHeight(150);
  return meter;
}

void CLevelsDialog::OnSlider(int sliderId, int position) {
  if (showing_) return;
  form_.MoveSlider(sliderId, position);
  Show();
}

void CLevelsDialog::OnChannelChange(int index) {
  form_.SelectChannel(index);
  Show();
}

void CLevelsDialog::OnMonitorCheck(bool ticked) {
  form_.ClickMonitor(ticked);
  if (form_.MetersRunning() && !timer_->isActive()) timer_->start();
  Show();
}

void CLevelsDialog::Show() {
  showing_ = true;
  for (size_t i = 0; i < 4; ++i) {
    sliders_[i]->setValue(form_.Position(kSliderIds[i]));
    labels_[i]->setText(QString::fromStdString(form_.Label(kLabelIds[i])));
    meters_[i]->setValue(form_.Meters()[i]);
  }
  for (size_t i = 2; i < 4; ++i) {
    sliders_[i]->setEnabled(form_.ChannelSlidersEnabled());
    labels_[i]->setEnabled(form_.ChannelSlidersEnabled());
  }
  channel_->setCurrentIndex(form_.ChannelSelection());
  channel_->setEnabled(form_.ChannelComboEnabled());
  lock_->setChecked(form_.Locked());
  monitor_->setChecked(form_.Monitoring());
  monitor_->setEnabled(form_.MonitorEnabled());
  showing_ = false;
}

void CLevelsDialog::TickMeters() {
  if (!form_.Tick()) timer_->stop();
  for (size_t i = 0; i < 4; ++i) meters_[i]->setValue(form_.Meters()[i]);
}

void CLevelsDialog::RunMeters() {
  form_.RunMeters();
  timer_->start();
}

void CLevelsDialog::StopMeters() { form_.StopMeters(); }

void CLevelsDialog::StopMonitor() {
  form_.StopMonitor();
  Show();
}

void CLevelsDialog::LoadGains() {
  form_.LoadGains();
  Show();
}

void CLevelsDialog::hideEvent(QHideEvent* event) {
  // Closing the window ends the monitoring it started.
  if (form_.Monitoring()) StopMonitor();
  QDialog::hideEvent(event);
}

}  // namespace dialogs
