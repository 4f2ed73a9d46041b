#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "OperationDialog.h"
#include "OperationDialogWindow.h"
#include "controls/SkinProgress.h"

namespace {

class ProgressWindow : public ::testing::Test {
 protected:
  ProgressWindow() : window([this] { return &owner; }), dialog(window, [this] { return now; }) {
    owner.setGeometry(100, 100, 835, 550);
    owner.show();
    window.SetCancelHandler([this] { dialog.OnCancelButton(); });
  }
  QString Text(int id) const {
    auto* label = window.Window()->findChild<QLabel*>(QString::number(id));
    return label ? label->text() : QStringLiteral("<none>");
  }
  QPushButton* Cancel() const { return window.Window()->findChild<QPushButton*>(QStringLiteral("2")); }

  QWidget owner;
  uint32_t now = 5000;
  COperationDialogWindow window;
  COperationDialog dialog;
};

TEST_F(ProgressWindow, ShowsTheMessageCentredOverTheMainWindowAndBlocksIt) {
  dialog.SetMessage("Applying Echo...", 1);
  ASSERT_EQ(dialog.Begin(), 1);
  ASSERT_TRUE(window.Exists());
  QDialog* w = window.Window();
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->windowTitle().isEmpty());
  EXPECT_EQ(Text(1000), QStringLiteral("Applying Echo..."));
  EXPECT_EQ(Text(1004), QStringLiteral("100"));
  EXPECT_EQ(Text(1003), QStringLiteral("N/A"));
  EXPECT_EQ(w->pos(), QPoint(100 + 835 / 2 - w->width() / 2, 100 + 550 / 2 - w->height() / 2));
  EXPECT_EQ(QApplication::activeModalWidget(), w) << "the rest of the program takes no input";
  ASSERT_NE(window.Bar(), nullptr);
  EXPECT_EQ(window.Bar()->geometry(), w->findChild<QWidget*>(QStringLiteral("1001"))->geometry());
  dialog.End();
  EXPECT_FALSE(window.Exists());
}

TEST_F(ProgressWindow, ShowsThePercentTheBarAndTheRemainingTime) {
  dialog.Begin();
  dialog.SetMessage("Importing...", 1);
  EXPECT_EQ(Text(1004), QStringLiteral("0"));
  dialog.SetTotal(100000);  // 1000 units of 100
  struct Step {
    uint32_t work;
    uint32_t ms;
    const char* percent;
    const char* remaining;
  };
  // 6 % after 6 s: 6 / 6 x 94 + 1 = 95 s left; 50 % after 130 s: 131 s.
  const Step steps[] = {
      {5000, 1000, "5", "N/A"},
      {1000, 5000, "6", "1 minute 35 seconds"},
      {44000, 124000, "50", "2 minutes 11 seconds"},
      {49000, 1000, "99", "2 seconds"},
  };
  for (const Step& s : steps) {
    now += s.ms;
    dialog.AddDone(s.work);
    EXPECT_EQ(Text(1004), QString::fromLatin1(s.percent));
    EXPECT_EQ(Text(1003), QString::fromLatin1(s.remaining)) << s.percent;
    EXPECT_EQ(window.Bar()->GetPos(), QString::fromLatin1(s.percent).toInt());
  }
  dialog.End();
}

TEST_F(ProgressWindow, CancelClosesTheWindowAndEndsTheRunAtTheNextReport) {
  dialog.Begin();
  dialog.SetTotal(100000);
  dialog.AddDone(1000);
  QTest::mouseClick(Cancel(), Qt::LeftButton);
  EXPECT_FALSE(window.Exists());
  EXPECT_TRUE(dialog.IsCancelled());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(dialog.ProgressAnswer(), 1);
  dialog.AddDone(1000);
  EXPECT_EQ(dialog.ProgressAnswer(), 0);
  EXPECT_EQ(dialog.SetMessage("ignored", 1), 0);
  dialog.End();
  // The next operation starts afresh.
  dialog.Begin();
  EXPECT_FALSE(dialog.IsCancelled());
  EXPECT_EQ(dialog.ProgressAnswer(), 1);
  dialog.End();
}

TEST_F(ProgressWindow, EscapeIsCancelUnlessCancelIsDisabled) {
  dialog.Begin();
  dialog.DisableCancel();
  EXPECT_FALSE(Cancel()->isEnabled());
  QTest::keyClick(window.Window(), Qt::Key_Escape);
  EXPECT_TRUE(window.Exists());
  EXPECT_FALSE(dialog.IsCancelled());
  dialog.End();
  dialog.Begin();
  QTest::keyClick(window.Window(), Qt::Key_Escape);
  EXPECT_FALSE(window.Exists());
  EXPECT_TRUE(dialog.IsCancelled());
}

TEST_F(ProgressWindow, APumpHandlesWhatIsPending) {
  dialog.Begin();
  bool ran = false;
  QMetaObject::invokeMethod(&owner, [&] { ran = true; }, Qt::QueuedConnection);
  EXPECT_EQ(dialog.PumpMessages(), 1);
  EXPECT_TRUE(ran);
  dialog.End();
}

}  // namespace
