// What the offscreen dialog tests do as a user would: type into an edit, show
// a dialog and wait for it, press a button of the modal dialog about to open.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "DialogKit.h"

namespace dialogs {

// Types text into an edit that has the focus, as a user would.
inline void TypeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

inline void Show(QDialog& dialog) {
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

// Presses a button of the modal dialog that will be open once control returns
// to the event loop; shown, when given, takes the dialog's object name.
inline void PressWhenOpen(int buttonId, QString* shown = nullptr) {
  QTimer::singleShot(0, [buttonId, shown] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    if (shown) *shown = modal->objectName();
    Item<QPushButton>(modal, buttonId)->click();
  });
}

}  // namespace dialogs
