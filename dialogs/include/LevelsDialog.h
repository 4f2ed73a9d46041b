// The "Audio Levels" tool window: the master's and one track's gain sliders
// with their peak meters, the channel choice and input monitoring. Its form
// holds the state; the frame reaches it through its slots.
#pragma once

#include <QDialog>
#include <array>

#include "LevelsForm.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QSlider;
class QTimer;

namespace dialogs {

class CLevelsDialog : public QDialog {
  Q_OBJECT
  Q_PROPERTY(bool monitoring READ Monitoring)

 public:
  static constexpr int kMeterMs = 50;

  CLevelsDialog(const LevelsCallbacks& callbacks, int inputDeviceCount, forms::CLevelsForm::Host host,
                QWidget* parent = nullptr);
  forms::CLevelsForm& Form() { return form_; }
  bool Monitoring() const { return form_.Monitoring(); }
  // One meter tick now, as the timer makes it.
  void TickMeters();

 public slots:
  void RunMeters();
  void StopMeters();
  void StopMonitor();
  void LoadGains();

 private slots:
  // A gain slider moved (a locked pair moves together).
  void OnSlider(int sliderId, int position);
  void OnChannelChange(int index);
  void OnMonitorCheck(bool ticked);

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  QSlider* AddSlider(int id);
  QProgressBar* AddMeter(int id);
  void Show();

  forms::CLevelsForm form_;
  std::array<QSlider*, 4> sliders_{};
  std::array<QLabel*, 4> labels_{};
  std::array<QProgressBar*, 4> meters_{};
  QComboBox* channel_ = nullptr;
  QCheckBox* lock_ = nullptr;
  QCheckBox* monitor_ = nullptr;
  QTimer* timer_ = nullptr;
  bool showing_ = false;
};

}  // namespace dialogs
