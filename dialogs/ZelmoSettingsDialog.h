// The "Realtime Audio Effects" window: the chain's effects as tabs over the
// shown effect's live panel, and the controls that add, move, remove and
// bypass effects. All it knows is in its form; it shows what the form says.
#pragma once

#include <QDialog>
#include <memory>

#include "EffectsWindowForm.h"

class QCheckBox;
class QKeyEvent;
class QComboBox;
class QTabBar;
class QVBoxLayout;

namespace dialogs {

class CFormWidget;
class CLevelEnvelopeWidget;

class CZelmoSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTabs = 1033, kChainCombo = 1034, kAddCombo = 1035, kAdd = 1030, kMove = 1031;
  static constexpr int kMoveForward = 10311, kMoveBack = 10312;
  static constexpr int kRemove = 1126, kRemoveAll = 1127;
  static constexpr int kBypassCurrent = 1207, kBypassTrack = 1208, kBypassAll = 1209;

  CZelmoSettingsDialog(CProApp& app, QWidget* parent = nullptr);
  ~CZelmoSettingsDialog() override;
  forms::CEffectsWindowForm& Form() { return form_; }
  QWidget* PanelWidget() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 public slots:
  // The chains changed elsewhere (undo, a project opened).
  void RefreshTabs();

 private:
  void Show();
  void Act(const std::function<void()>& action);

  forms::CEffectsWindowForm form_;
  QTabBar* tabs_ = nullptr;
  QWidget* area_ = nullptr;
  QVBoxLayout* areaLayout_ = nullptr;
  CFormWidget* panel_ = nullptr;
  CLevelEnvelopeWidget* envelope_ = nullptr;
  QComboBox* chain_ = nullptr;
  QComboBox* add_ = nullptr;
  QCheckBox* bypassCurrent_ = nullptr;
  QCheckBox* bypassTrack_ = nullptr;
  QCheckBox* bypassAll_ = nullptr;
  bool showing_ = false;
};

// "Use Independent Channels?": 1 Yes, 0 No.
int AskLevelsIndependent(QWidget* parent);

}  // namespace dialogs
