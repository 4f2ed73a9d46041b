// The level-envelope editor's widgets offscreen: the mouse drags a point, the
// context menu inserts one, the buttons zoom, a typed level counts, and the
// effects window shows the editor on a levels effect's tab.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>

#include "ZelmoSettingsDialog.h"
#include "LevelEnvelopeWidget.h"
#include "TempFolder.h"
#include "pro.h"
#include "ui/ScriptedUi.h"

namespace {

using dialogs::CLevelEnvelopeWidget;
using Form = forms::CAudioLevelsVisualDialog;

template <class W>
W* Item(const QWidget* root, int id) {
  return root->findChild<W*>(QString::number(id));
}

TEST(LevelEnvelopeWidget, TheMouseTheMenuAndTheButtonsEditThroughTheForm) {
  CZelmo chain;
  chain.SetChannels(2);
  chain.SetSizeOutputBufferSample(1024);
  chain.SetSizeMaxInputBufferSample(1024 + 16384);
  short number = -1;
  chain.AddEffect(ZelmoLevels, &number, nullptr);
  Zelmo_Levels_Parameters p{0, 441000, 120.0f};
  chain.SetEffectParameters(number, &p);
  Zelmo_Level_Entry first{1, 120.0f, 1.0f, 0, 0};
  chain.AddLevelEntry(number, &first, 3);
  Form form;
  form.Bind(&chain, number);
  form.SetProjectSource({441000, 120.0f, 0});
  form.InitDialog();
  CLevelEnvelopeWidget widget(form);
  widget.resize(widget.sizeHint());
  widget.show();

  for (int id : {1285, 1068, 1287, 1286, 1288, 1032, 1283, 1284, 1276, 1291, 1292, 1160}) {
    EXPECT_NE(Item<QWidget>(&widget, id), nullptr) << id;
  }
  ASSERT_NE(widget.findChild<QAction*>("32918"), nullptr);
  ASSERT_NE(widget.findChild<QAction*>("32920"), nullptr);
  const QImage picture = widget.Picture();
  EXPECT_EQ(picture.size(), QSize(484, 199));
  EXPECT_EQ(picture.pixelColor(33, 119), QColor(Qt::black)) << "point 1's square";
  EXPECT_EQ(picture.pixelColor(33, 58), QColor(220, 220, 220)) << "nothing at 200 % yet";
  EXPECT_EQ(picture.pixelColor(200, 30), QColor(220, 220, 220)) << "the background";

  // Drag point 1 up to 200 %.
  QTest::mouseMove(&widget, QPoint(45, 142));
  EXPECT_EQ(Item<QLineEdit>(&widget, 1283)->text(), "1");
  QTest::mousePress(&widget, Qt::LeftButton, {}, QPoint(45, 142));
  QTest::mouseMove(&widget, QPoint(45, 81));
  QTest::mouseRelease(&widget, Qt::LeftButton, {}, QPoint(45, 81));
  EXPECT_FLOAT_EQ(form.Points()[0].gain, 2.0f);
  EXPECT_EQ(Item<QLineEdit>(&widget, 1276)->text(), "6.02");
  EXPECT_EQ(Item<QWidget>(&widget, 1291)->property("text").toString(), "dB");
  EXPECT_EQ(widget.Picture().pixelColor(33, 58), QColor(Qt::black)) << "drawn where it went";

  // A level typed and confirmed.
  QLineEdit* level = Item<QLineEdit>(&widget, 1276);
  level->setFocus();
  level->selectAll();
  QTest::keyClicks(level, "-6");
  QTest::keyClick(level, Qt::Key_Return);
  EXPECT_NEAR(form.Points()[0].gain, 0.501187f, 1e-5f);

  // Insert from the context menu where it was opened; Zoom In halves the view.
  form.OpenContextMenu(257, 100);
  widget.findChild<QAction*>("32918")->trigger();
  ASSERT_EQ(form.Points().size(), 2u);
  EXPECT_EQ(form.Points()[1].samplePosition, 220500u);
  QTest::mouseClick(Item<QAbstractButton>(&widget, 1286), Qt::LeftButton);
  auto* scroll = Item<QScrollBar>(&widget, 1285);
  EXPECT_EQ(scroll->pageStep(), 500);
  EXPECT_EQ(scroll->maximum(), 500);
  scroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(form.ViewStart(), 220500u);
  EXPECT_EQ(scroll->value(), 500);
}

TEST(LevelEnvelopeWidget, ALevelsTabShowsTheEditorOnItsEffect) {
  tessiro::test::ScriptedServices seams;
  tessiro::test::CTempFolder presets;
  auto app = std::make_unique<CProApp>(seams.Services());
  {
    dialogs::CZelmoSettingsDialog window(*app);
    window.Form().SetPresetFolder(presets.Path());
    window.Form().SetAskIndependent([] { return 1; });
    auto* combo = Item<QComboBox>(&window, dialogs::CZelmoSettingsDialog::kAddCombo);
    for (const char* item : {"Echo", "Levels"}) {
      combo->setCurrentText(item);
      QTest::mouseClick(Item<QAbstractButton>(&window, dialogs::CZelmoSettingsDialog::kAdd), Qt::LeftButton);
    }
    auto* tabs = Item<QTabBar>(&window, dialogs::CZelmoSettingsDialog::kTabs);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), "Levels");
    auto* editor = window.findChild<CLevelEnvelopeWidget*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Item<QComboBox>(editor, 1068)->count(), 2) << "independent: left and right";
    EXPECT_EQ(editor->Form().Points().size(), 1u);
    // Enter in the level field takes the level and presses no button of the window.
    window.show();
    editor->Form().MouseMove(45, 142);
    editor->Render();
    QLineEdit* level = Item<QLineEdit>(editor, 1276);
    level->setFocus();
    level->selectAll();
    QTest::keyClicks(level, "-6");
    QTest::keyClick(level, Qt::Key_Return);
    EXPECT_EQ(app->effectChains[0]->NumberOfEffects(), 2);
    EXPECT_NEAR(editor->Form().Points()[0].gain, 0.501187f, 1e-5f);
    emit tabs->tabBarClicked(0);
    EXPECT_EQ(window.findChild<CLevelEnvelopeWidget*>(), nullptr) << "the echo's tab has the echo's panel";
    EXPECT_FALSE(window.Form().Levels().IsBound());
    emit tabs->tabBarClicked(1);
    ASSERT_NE(window.findChild<CLevelEnvelopeWidget*>(), nullptr);
    QTest::mouseClick(Item<QAbstractButton>(&window, dialogs::CZelmoSettingsDialog::kRemove), Qt::LeftButton);
    EXPECT_EQ(window.findChild<CLevelEnvelopeWidget*>(), nullptr);
    EXPECT_FALSE(window.Form().Levels().IsBound()) << "unbound before its effect went";
  }
  app.reset();
  seams.ui.CheckDone();
}

}  // namespace
