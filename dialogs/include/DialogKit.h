// What every dialog built in code shares: controls named by their ids (so
// tests and screenshots find them), OK and Cancel as ids 1 and 2, sliders
// that report line, page and thumb steps, and edits that commit when they
// lose the focus, when Enter is pressed, or when OK is pressed with the
// focus still in them.
//
// Threads: user-interface thread only.
#pragma once

#include <QAbstractSlider>
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "DialogValues.h"

class QComboBox;
class QDialogButtonBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace dialogs {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;

inline QString CtlName(int id) { return QString::number(id); }

template <class W>
W* Item(const QWidget* root, int id) {
  return root->findChild<W*>(CtlName(id));
}

QString Qs(const std::string& text);
std::string Std(const QString& text);

// OK (default) and Cancel, named 1 and 2, wired to accept and reject.
QDialogButtonBox* MakeOkCancel(QDialog* dialog);
QSlider* MakeSlider(int id, int minimum, int maximum, QWidget* parent);
QComboBox* MakeCombo(int id, const std::vector<std::string>& entries, QWidget* parent);
// The output devices to choose from; with none, the one entry says so and how to get one.
QComboBox* MakeOutputCombo(int id, const std::vector<std::string>& devices, QWidget* parent);
constexpr const char* kNoOutputDeviceText =
    "None found: connect a sound device, or start Tessiro with TESSIRO_AUDIO=virtual";
QLineEdit* MakeEdit(int id, QWidget* parent);
// The edit beside a slider, its number's width.
QLineEdit* MakeNumberEdit(int id, QWidget* parent);
QRadioButton* MakeRadio(int id, const char* text, QWidget* parent);
// Radios of one group box exclude each other; two groups in a box need their own group.
void Exclusive(std::initializer_list<QRadioButton*> radios, QObject* owner);

// The slider's step as the forms take it.
forms::SliderAction SliderActionOf(int sliderAction);
// Calls onScroll(code, thumb) for every step the user makes on the slider.
void OnScroll(QSlider* slider, std::function<void(forms::SliderAction, int)> onScroll);

// One channel's level: "Left:" or "Right:", its slider (0..1000), its edit and its unit label.
struct LevelRow {
  QSlider* slider;
  QLineEdit* edit;
  QLabel* unit;
};
LevelRow AddLevelRow(QGridLayout* grid, int row, const char* caption, const int ids[3]);
void ShowLevelRow(const LevelRow& row, int position, const std::string& text, const char* unit);

// The level rows, pitch, lock and units of a forms::LevelsAndPitch; each
// dialog lays them out its own way.
struct LevelPitchControls {
  LevelRow levels[2];
  QSlider* pitchSlider;
  QLineEdit* pitchEdit;
  QCheckBox* lock;
  QComboBox* units;
  QComboBox* pitchUnits;
};
QSlider* MakePitchSlider(int id, QWidget* parent);
QCheckBox* MakeLockBox(int id, QWidget* parent);
QComboBox* MakeUnitsCombo(int id, QWidget* parent);
QComboBox* MakePitchUnitsCombo(int id, QWidget* parent);
void ShowLevelsAndPitch(const LevelPitchControls& controls, const forms::LevelsAndPitch& form);

// The 24 "Track n" boxes in four columns, "Check All Tracks" and "Clear All
// Tracks" under them, in the grid of a group box.
struct TrackBoxes {
  static constexpr int kTracks = 24;
  std::array<QCheckBox*, kTracks> boxes{};
  QPushButton* checkAll;
  QPushButton* clearAll;
};
// "Track 1".."Track 24", the entries of the target track combos.
std::vector<std::string> TrackNames();
TrackBoxes AddTrackBoxes(QGridLayout* grid, const std::array<int, TrackBoxes::kTracks>& ids, int checkAllId,
                         int clearAllId);

// A dialog whose edits commit their text to the form: on Enter, on losing the
// focus, and before OK for the edit that still has the focus.
class CFormDialog : public QDialog {
 public:
  explicit CFormDialog(QWidget* parent);
  void accept() override;

 protected:
  // commit runs with the edit's text; Render is called after it.
  void OnCommit(QLineEdit* edit, std::function<void(const std::string&)> commit);
  // The left and right level rows of a form with OnLevelScroll and OnLevelTyped.
  template <class Form>
  void AddLevelRows(QGridLayout* grid, const int (&ids)[2][3], LevelRow (&rows)[2], Form& form) {
    const char* names[2] = {"Left:", "Right:"};
    for (int channel = 0; channel < 2; ++channel) {
      rows[channel] = AddLevelRow(grid, channel, names[channel], ids[channel]);
      OnScroll(rows[channel].slider, [this, &form, channel](forms::SliderAction action, int thumb) {
        form.OnLevelScroll(channel, action, thumb);
        Render();
      });
      OnCommit(rows[channel].edit, [&form, channel](const std::string& text) { form.OnLevelTyped(channel, text); });
    }
  }
  // The pitch, lock and units controls change the form (AddLevelRows wires the level rows).
  void WireLevelsAndPitch(const LevelPitchControls& controls, forms::LevelsAndPitch& form);
  // The track boxes tick the form's flags; Check All and Clear All set them all.
  template <class Form>
  void WireTrackBoxes(const TrackBoxes& boxes, std::array<bool, TrackBoxes::kTracks>& ticked, Form& form) {
    for (int t = 0; t < TrackBoxes::kTracks; ++t) {
      connect(boxes.boxes[t], &QCheckBox::clicked, this, [&ticked, t](bool on) { ticked[t] = on; });
    }
    connect(boxes.checkAll, &QPushButton::clicked, this, [this, &form] {
      form.CheckAll();
      Render();
    });
    connect(boxes.clearAll, &QPushButton::clicked, this, [this, &form] {
      form.ClearAll();
      Render();
    });
  }
  // Shows the form's state in every control, without echoes of their signals.
  virtual void Render() = 0;
  // Last word before the dialog closes with OK: false keeps it open.
  virtual bool CanAccept() { return true; }

 private:
  std::vector<std::pair<QLineEdit*, std::function<void(const std::string&)>>> commits_;
  bool rendering_ = false;
  friend class CRenderGuard;
};

}  // namespace dialogs
