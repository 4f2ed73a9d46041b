// The keys of the accelerator table through real key events on the main
// window, and the tool windows the view host keeps.
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "FrameFixture.h"
#include "frame/Accelerators.h"
#include "frame/FrameViewHost.h"

namespace tessiro::test {
namespace {

class AcceleratorTest : public FrameTest {
 protected:
  CMainFrame& Shown() {
    CMainFrame& f = Make(false);
    for (const AcceleratorEntry& e : AcceleratorTable()) router.On(e.id, [this, id = e.id] { ran.push_back(id); });
    f.show();
    f.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
    return f;
  }
  std::vector<int> ran;
};

TEST_F(AcceleratorTest, EveryKeyOfTheTableRunsItsCommand) {
  CMainFrame& f = Shown();
  for (const AcceleratorEntry& e : AcceleratorTable()) {
    ran.clear();
    QTest::keyClick(&f, e.key.key(), e.key.keyboardModifiers());
    EXPECT_EQ(ran, std::vector<int>{e.id}) << QKeySequence(e.key).toString().toStdString();
  }
  EXPECT_EQ(AcceleratorTable().size(), 31u);
}

TEST_F(AcceleratorTest, AnEditBoxKeepsItsEditingKeysAndTheOthersStillRun) {
  CMainFrame& f = Shown();
  auto* edit = new QLineEdit(QStringLiteral("Bass"), f.centralWidget());
  edit->show();
  edit->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
  edit->setCursorPosition(0);
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(edit->text(), QStringLiteral("ass"));
  QTest::keyClick(edit, Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(ran, std::vector<int>{32944}) << "only the Track View key ran";
}

TEST_F(FrameTest, AToolWindowIsMadeOnceAndKeepsWhatItShows) {
  CMainFrame& f = Make(false);
  CFrameViewHost host;
  host.SetFrame(&f);
  int made = 0;
  host.SetToolWindowMaker(ui::ToolWindow::Effects, [&made](QWidget* owner) -> QWidget* {
    ++made;
    return new QCheckBox(QStringLiteral("All Effects - All Tracks"), owner);
  });
  host.ShowToolWindow(ui::ToolWindow::Effects, true);
  auto* box = qobject_cast<QCheckBox*>(host.ToolWindowWidget(ui::ToolWindow::Effects));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(host.IsToolWindowShown(ui::ToolWindow::Effects));
  box->setChecked(true);
  host.ShowToolWindow(ui::ToolWindow::Effects, false);
  EXPECT_FALSE(host.IsToolWindowShown(ui::ToolWindow::Effects));
  host.ShowToolWindow(ui::ToolWindow::Effects, true);
  EXPECT_EQ(host.ToolWindowWidget(ui::ToolWindow::Effects), box);
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(made, 1);

  // A window this build cannot make is refused with a notice, and stays unmade.
  seams.ui.ExpectBox(ToolWindowMissingText(ui::ToolWindow::Levels));
  host.ShowToolWindow(ui::ToolWindow::Levels, true);
  EXPECT_FALSE(host.IsToolWindowShown(ui::ToolWindow::Levels));
  EXPECT_EQ(host.ToolWindowWidget(ui::ToolWindow::Levels), nullptr);
  host.SetFrame(nullptr);
}

}  // namespace
}  // namespace tessiro::test
