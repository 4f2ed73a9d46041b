// The recording windows as Qt windows over their forms: "Recording..." while
// armed tracks record, and "Record Audio..." that records one input into the
// Audio Editor. Their buttons call the application's transport; the
// application opens and closes them through the view host.
//
// Threads: user-interface thread only.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "RecordingForms.h"
#include "frame/FrameViewHost.h"

class CProApp;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace dialogs {

struct RecordingServices {
  std::function<QWidget*()> parent;  // the main window they are shown over
  std::function<uint32_t()> tick;    // the millisecond tick count; the monotonic clock when unset
};

class CRecordingWindow : public QDialog {
  Q_OBJECT
 public:
  CRecordingWindow(CProApp& app, std::function<uint32_t()> tick, QWidget* parent);
  // Shown for a new recording, its time counting from now.
  void Start();
  // The application ended the recording.
  void End();
  // Esc and the window's close button are Cancel.
  void reject() override;
  const forms::CRecordingDialog& Form() const { return form_; }

 private:
  void Tick();

  CProApp& app_;
  std::function<uint32_t()> tick_;
  forms::CRecordingDialog form_;
  QLineEdit* time_;
  QLineEdit* tempoTime_;
  QTimer timer_;
};

class CRecordSegmentWindow : public QDialog {
  Q_OBJECT
 public:
  CRecordSegmentWindow(CProApp& app, std::function<uint32_t()> tick, QWidget* parent);
  void Open(int channels);
  void StartTimer();
  void Close();
  // Esc and the window's close button are Cancel.
  void reject() override;
  const forms::CRecordSegmentDialog& Form() const { return form_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The virtual inputs' names in the combo, the chosen one selected.
  void FillInputDevices();
  void Render();
  void Tick();

  CProApp& app_;
  std::function<uint32_t()> tick_;
  forms::CRecordSegmentDialog form_;
  QComboBox* inputs_;
  QRadioButton* stereo_;
  QRadioButton* mono_;
  QLineEdit* time_;
  QPushButton* start_;
  QPushButton* stop_;
  QPushButton* cancel_;
  QTimer timer_;
};

// What the view host calls; each window is made on its first use, over the main window.
class CRecordingWindows final : public IRecordingWindows {
 public:
  CRecordingWindows(CProApp& app, RecordingServices services);
  ~CRecordingWindows() override;
  CRecordingWindows(const CRecordingWindows&) = delete;
  CRecordingWindows& operator=(const CRecordingWindows&) = delete;

  void ShowRecordingWindow() override;
  void CloseRecordingWindow() override;
  void OpenRecordSegmentWindow(int channels) override;
  void StartRecordSegmentTimer() override;
  void CloseRecordSegmentWindow() override;

  CRecordingWindow* RecordingWindow() const { return recording_.data(); }
  CRecordSegmentWindow* RecordSegmentWindow() const { return segment_.data(); }

 private:
  QWidget* Parent() const { return services_.parent ? services_.parent() : nullptr; }

  CProApp& app_;
  RecordingServices services_;
  QPointer<CRecordingWindow> recording_;
  QPointer<CRecordSegmentWindow> segment_;
};

}  // namespace dialogs
