// The "Realtime Audio Effects" window: the chain's effects as tabs over the
// shown effect's live panel, and the controls that add, move, remove and
// bypass effects. All it knows is in its form; it shows what the form says.
#pragma once

#include <QDialog>
#include <QTabBar>
#include <memory>

#include "EffectsWindowForm.h"

class QCheckBox;
class QKeyEvent;
class QComboBox;
class QVBoxLayout;

namespace dialogs {

class CFormWidget;
class CLevelEnvelopeWidget;

// The tabs of the chosen chain, one per effect in chain order; which chain and
// which tab are the form's, remembered per chain.
class CZelmoSettingsTabCtrl final : public QTabBar {
 public:
  CZelmoSettingsTabCtrl(forms::CEffectsWindowForm& form, QWidget* parent);
  void SelectChain(int index);
  // From the chain as it is now (also after changes made elsewhere).
  void RebuildTabs();
  // The form's tabs, its current one selected.
  void ShowTabs();

 private:
  forms::CEffectsWindowForm& form_;
};

class CZelmoSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTabs = 1033, kChainCombo = 1034, kAddCombo = 1035, kAdd = 1030, kMove = 1031;
  static constexpr int kMoveForward = 10311, kMoveBack = 10312;
  // The move spin's positions: towards the chain's start, towards its end.
  static constexpr int kMoveForwardPosition = 0, kMoveBackPosition = 1;
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

 private slots:
  void OnChainChange(int index);
  void OnAddEffect();
  void OnMoveEffect(int position);
  void OnRemoveEffect();
  void OnRemoveAllEffects();

 private:
  void Show();
  void Act(const std::function<void()>& action);
  // The room the largest of the panels asks for.
  QSize LargestPanel();

  forms::CEffectsWindowForm form_;
  CZelmoSettingsTabCtrl* tabs_ = nullptr;
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

// "Use Independent Channels?", asked when a levels effect is added; closed
// without an answer it is a No.
class CLevelsIndependentDialog final : public QDialog {
 public:
  static constexpr int kYes = 1289, kNo = 1290;
  explicit CLevelsIndependentDialog(QWidget* parent = nullptr);
  int independent = 0;  // Yes 1, No 0

 private:
  void Answer(int answer);
};

}  // namespace dialogs
