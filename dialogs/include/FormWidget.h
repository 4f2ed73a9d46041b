// The Qt face of a parameter form: builds the controls its model has, each
// named by its number, hands every user action to the model and shows what
// the model then says. It keeps no values of its own.
#pragma once

#include <QWidget>
#include <map>

#include "FXDialog.h"

class QAbstractSlider;
class QComboBox;
class QLineEdit;
class QListWidget;
class QAbstractButton;
class QLabel;

namespace dialogs {

class CFormWidget : public QWidget {
  Q_OBJECT

 public:
  explicit CFormWidget(forms::CFXDialog& form, QWidget* parent = nullptr);

  // Shows the model's values in every control.
  void Render();
  // Hands every edit typed in and not yet left to the model, as leaving it would.
  void CommitTypedEdits();
  forms::CFXDialog& Form() { return form_; }

 private:
  QLineEdit* AddEdit(int id);
  QAbstractButton* AddCheck(int id);
  QAbstractButton* AddRadio(int id);
  QComboBox* AddCombo(int id);
  QAbstractSlider* AddSlider(int id, int steps, Qt::Orientation orientation);
  QLabel* AddLabel(int id);
  QWidget* BuildScope();
  QWidget* BuildLevels();
  QWidget* BuildValues();
  QWidget* BuildOptions();
  QWidget* BuildScrollTool();
  QWidget* BuildInitialFinal();
  QWidget* BuildCopyChannel();
  QWidget* BuildPitch();
  QWidget* BuildEqualizer();
  QWidget* BuildPresets();
  void Slid(int id, QAbstractSlider* slider, int action);

  forms::CFXDialog& form_;
  std::map<int, QLineEdit*> edits_;
  std::map<int, QAbstractButton*> buttons_;
  std::map<int, QComboBox*> combos_;
  std::map<int, QAbstractSlider*> sliders_;
  std::map<int, QLabel*> labels_;
  QListWidget* presets_ = nullptr;
  QLineEdit* presetName_ = nullptr;
};

}  // namespace dialogs
