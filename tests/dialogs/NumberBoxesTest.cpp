// Text that is no number typed into a level, tempo, pitch or time box, in every
// dialog that has one: the box takes it as 0, exactly as when 0 is typed.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>

#include "AudioTrackPropertiesDialog.h"
#include "DialogDriving.h"
#include "OperationWindow.h"
#include "ProjectPropertiesDialog.h"
#include "PropertiesDialogs.h"
#include "TempFolder.h"
#include "TrackSnippetDialogs.h"

namespace dialogs {
namespace {

struct Box {
  const char* dialog;
  std::function<std::unique_ptr<QDialog>()> make;
  std::vector<int> ids;
};

// What the box shows once the text typed into it is taken (the focus moves on).
QString TakenText(QDialog& dialog, int id, const QString& typed) {
  auto* edit = Item<QLineEdit>(&dialog, id);
  EXPECT_NE(edit, nullptr) << id;
  if (!edit) return {};
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, typed);
  QTest::keyClick(edit, Qt::Key_Tab);
  return edit->text();
}

TEST(NumberBoxes, TextThatIsNoNumberIsTakenAsZeroInEveryDialog) {
  tessiro::test::CTempFolder presets;
  COperationDialogs operations;
  operations.SetPresetFolder(presets.Path());
  const auto told = [](const std::string&) {};
  const Box boxes[] = {
      {"Project Settings", [] { return std::make_unique<CProjectPropertiesDialog>(ProjectSettingsRequest{}); },
       {CProjectPropertiesDialog::kLevelLeftEdit, CProjectPropertiesDialog::kLevelRightEdit,
        CProjectPropertiesDialog::kTempoEdit, CProjectPropertiesDialog::kPitchEdit}},
      {"Audio Track Properties",
       [told] { return std::make_unique<CAudioTrackPropertiesDialog>(TrackPropertiesRequest{}, told); },
       {1214, 1216, 1220}},
      {"Audio Snippet Properties",
       [] { return std::make_unique<CSnippetPropertiesDialog>(SnippetPropertiesRequest{}); },
       {CSnippetPropertiesDialog::kTempo}},
      {"Create Track Snippet", [] { return std::make_unique<CCreateTrackSnippet>(CreateTrackSnippetRequest{}); },
       {CCreateTrackSnippet::kStart}},
      {"Shift Tracks", [] { return std::make_unique<CShiftTracksDialog>(ShiftTracksRequest{}); },
       {CShiftTracksDialog::kStart}},
      {"Mix Paste Audio",
       [&operations] { return std::make_unique<COperationWindow>(operations.FormOf<MixPasteDialogRequest>()); },
       {1163, 1164, 1178, 1179}},
      {"Stretch / Compress Audio",
       [&operations] { return std::make_unique<COperationWindow>(operations.FormOf<StretchCompressDialogRequest>()); },
       {1174, 1175}},
  };
  for (const Box& box : boxes) {
    for (int id : box.ids) {
      std::unique_ptr<QDialog> dialog = box.make();
      Show(*dialog);
      const QString zero = TakenText(*dialog, id, QStringLiteral("0"));
      for (const char* typed : {"nan", "-nan", "inf", "-Infinity", "abc", ""}) {
        TakenText(*dialog, id, QStringLiteral("7"));
        EXPECT_EQ(TakenText(*dialog, id, QString::fromLatin1(typed)), zero)
            << box.dialog << ", box " << id << ": \"" << typed << "\"";
      }
    }
  }
}

}  // namespace
}  // namespace dialogs
