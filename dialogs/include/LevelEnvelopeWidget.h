// The level-envelope editor on the effects window's "Levels" tab: the graph
// of one levels effect's points, drawn and edited with the mouse and its
// context menu, the view's zoom and scroll, and the selected point's fields.
// All it knows is in its form; it shows what the form says.
#pragma once

#include <QWidget>

#include "LevelEnvelopeForm.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;

namespace dialogs {

class CLevelEnvelopeWidget : public QWidget {
  Q_OBJECT

 public:
  CLevelEnvelopeWidget(forms::CAudioLevelsVisualDialog& form, QWidget* parent = nullptr);
  forms::CAudioLevelsVisualDialog& Form() { return form_; }
  // Shows the form's state in every control and draws the graph again.
  void Render();
  // A level typed and not yet left counts, as leaving the field would make it.
  void CommitTypedEdits();
  // The graph's picture, as a paint draws it.
  QImage Picture() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QComboBox* AddCombo(int id);
  QLineEdit* AddEdit(int id, bool readOnly);
  void Act(const std::function<void()>& action);

  forms::CAudioLevelsVisualDialog& form_;
  QScrollBar* scroll_ = nullptr;
  QComboBox* channel_ = nullptr;
  QComboBox* timeUnits_ = nullptr;
  QComboBox* units_ = nullptr;
  QLineEdit* pointer_ = nullptr;
  QLineEdit* point_ = nullptr;
  QLineEdit* time_ = nullptr;
  QLineEdit* level_ = nullptr;
  QLabel* levelUnit_ = nullptr;
  QMenu* menu_ = nullptr;
  QAction* insert_ = nullptr;
  QAction* delete_ = nullptr;
  bool showing_ = false;
};

}  // namespace dialogs
