// The "Audio Editor Tool" window: what the Audio Editor holds, in numbers.
// Total length, tracker and markers, where a track snippet lies in the
// project, the audio's tempo and the project's, in the window's own time units
// (standard or tempo), and the "Use Project Values" switch.
//
// Modeless; closing it or Esc takes it down (the object stays, with its time
// units, until the program ends). Enter does not close it.
// User-interface thread only. Faults are reported under "AudioEditorToolDialog".
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "editor/WaveformEditorGUI.h"
#include "view/EditorSlots.h"

class CProApp;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CAudioEditorToolDialog final : public QDialog,
                                     public view::IEditorToolWindow,
                                     public editor::IEditorToolFields {
 public:
  static constexpr int kTemplate = 243;
  static constexpr int kTitleId = 1285;
  static constexpr int kUseProjectValuesId = 1021;
  static constexpr int kTimeUnitsId = 1151;
  static constexpr int kTotalLengthId = 1280;
  static constexpr int kTrackerStartId = 1301, kTrackerEndId = 1276, kTrackerSizeId = 1277;
  static constexpr int kMarkerStartId = 1302, kMarkerEndId = 1281, kMarkerSizeId = 1282;
  static constexpr int kProjectStartId = 1303, kProjectEndId = 1283, kProjectSizeId = 1284;
  static constexpr int kAudioTempoId = 1278, kProjectTempoId = 1279;
  static constexpr int kUnitsStandard = 1;
  static constexpr int kUnitsTempo = 2;

  CAudioEditorToolDialog(CProApp* app, CWaveformEditorGUI* editor, QWidget* parent = nullptr);

  // ---- IEditorToolWindow and IEditorToolFields ---------------------------------
  void Open() override;
  void Close() override;
  bool IsShown() const override { return shown != 0; }
  draw::Rect WindowRect() const override;
  void Hide() override { hide(); }
  void ShowAt(const draw::Rect& rect) override;
  void UpdateContentFields() override;
  void UpdateTimeFields(int ignoreProjectValues) override;
  void UpdateTempoFields() override;

  void UpdateTitle();
  void UpdateUseProjectValuesCheck();
  void DisableProjectFields();
  void OnUseProjectValues();
  void OnTimeUnitsChanged();

  // A control by its id; null for an unknown id.
  QLineEdit* Field(int id) const;
  QCheckBox* UseProjectValuesBox() const { return useProjectValues_; }
  QComboBox* TimeUnitsBox() const { return timeUnits_; }

  int shown = 0;
  int timeUnits = kUnitsStandard;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Esc
  void accept() override {}  // Enter

 private:
  void OnInitDialog();
  QLineEdit* AddField(int id);
  float Factor(bool takeIt) const;
  std::string UnitsText(uint32_t frames, uint32_t rate) const;

  CProApp* app_;
  CWaveformEditorGUI* editor_;
  QCheckBox* useProjectValues_ = nullptr;
  QComboBox* timeUnits_ = nullptr;
  std::vector<std::pair<int, QLineEdit*>> fields_;
};
