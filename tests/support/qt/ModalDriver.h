// Drives the program's modal windows as a user would: each window, as it
// opens, is answered by the handler of its object name (the dialog's id), or
// else of its class name (a file dialog, a message box). The names it
// answered are kept in order.
//
// Threads: user-interface thread only.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace tessiro::test {

// A control of a window by its id.
template <class W>
W* Control(QWidget* window, int id) {
  return window ? window->findChild<W*>(QString::number(id)) : nullptr;
}

class CModalDriver {
 public:
  using Answer = std::function<void(QWidget& window)>;
  explicit CModalDriver(std::map<QString, Answer> answers = {}) : answers_(std::move(answers)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(10);
  }
  // Adds or replaces the answer to a window.
  void On(const QString& name, Answer answer) { answers_[name] = std::move(answer); }
  const std::vector<QString>& Met() const { return met_; }
  // Whether a window of that name was answered.
  bool HasMet(const QString& name) const { return std::find(met_.begin(), met_.end(), name) != met_.end(); }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == last_) return;
    last_ = modal;
    QString name = modal->objectName();
    auto answer = answers_.find(name);
    if (answer == answers_.end()) {
      name = QString::fromLatin1(modal->metaObject()->className());
      answer = answers_.find(name);
    }
    if (answer == answers_.end()) return;
    met_.push_back(name);
    answer->second(*modal);
    // A window its answer left open would hold the program for good.
    QTimer::singleShot(kAnswerMs, modal, [window = QPointer<QWidget>(modal), name] {
      if (!window || !window->isVisible()) return;
      ADD_FAILURE() << name.toStdString() << " was still open after its answer";
      window->close();
    });
  }

  static constexpr int kAnswerMs = 10000;

  std::map<QString, Answer> answers_;
  std::vector<QString> met_;
  QPointer<QWidget> last_;
  QTimer timer_;
};

// Clicks a window's button of that id (1 is OK, 2 Cancel).
inline void ClickButton(QWidget& window, int id) {
  QPushButton* button = Control<QPushButton>(&window, id);
  if (!button) {
    ADD_FAILURE() << window.objectName().toStdString() << " has no button " << id;
    return;
  }
  QTest::mouseClick(button, Qt::LeftButton);
}
inline void ClickOk(QWidget& window) { ClickButton(window, 1); }

}  // namespace tessiro::test
