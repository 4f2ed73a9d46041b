// Drives the program's modal windows as a user would: each window, as it
// opens, is answered by the handler of its object name (the dialog's id), or
// else of its class name (a file dialog, a message box). The names it
// answered are kept in order. A window nobody answers, or one its answer left
// open, is a failure and is closed, so that a test never waits for good.
//
// Threads: user-interface thread only.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
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
    // Answered once it is the active window with its focus given, as a user
    // meets it, so that no answer depends on how soon it came.
    if (modal != seen_) {
      seen_ = modal;
      seenAt_.start();
    }
    if (!modal->isActiveWindow() && seenAt_.elapsed() < kActivationMs) return;
    last_ = modal;
    QString name = modal->objectName();
    auto answer = answers_.find(name);
    if (answer == answers_.end()) {
      name = QString::fromLatin1(modal->metaObject()->className());
      answer = answers_.find(name);
    }
    if (answer == answers_.end()) {
      CloseLater(modal, name + QStringLiteral(" opened with no answer given"));
      return;
    }
    met_.push_back(name);
    // Answered from a timer of its own, so that this poll returns: a window the
    // answer opens in turn is polled (a timer never fires inside its own slot).
    QTimer::singleShot(0, modal, [window = QPointer<QWidget>(modal), respond = answer->second] {
      if (window) respond(*window);
    });
    CloseLater(modal, name + QStringLiteral(" was still open after its answer"));
  }

  // A window left open would hold the program for good.
  static void CloseLater(QWidget* modal, const QString& failure) {
    QTimer::singleShot(kAnswerMs, modal, [window = QPointer<QWidget>(modal), failure] {
      if (!window || !window->isVisible()) return;
      ADD_FAILURE() << failure.toStdString();
      window->close();
    });
  }

  static constexpr int kAnswerMs = 10000;
  static constexpr int kActivationMs = 1000;

  std::map<QString, Answer> answers_;
  std::vector<QString> met_;
  QPointer<QWidget> last_;
  QPointer<QWidget> seen_;
  QElapsedTimer seenAt_;
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
