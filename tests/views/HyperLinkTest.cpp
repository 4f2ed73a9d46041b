#include "controls/HyperLink.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <QWidget>
#include <vector>

#include "Folders.h"

namespace {

class HyperLink : public ::testing::Test {
 protected:
  void SetUp() override {
    CHyperLink::SetOpener([this](const QUrl& url) {
      opened_.push_back(url);
      return openerWorks_;
    });
    CHyperLink::SetFailureNotice([this](QWidget*, const QString& text) { notices_.push_back(text); });
  }
  void TearDown() override {
    CHyperLink::SetOpener(nullptr);
    CHyperLink::SetFailureNotice(nullptr);
  }
  static QString InProgramFolder(const QString& name) {
    return QString::fromStdString(platform::ProgramFolder()) + QLatin1Char('/') + name;
  }

  QWidget parent_;
  bool openerWorks_ = true;
  std::vector<QUrl> opened_;
  std::vector<QString> notices_;
};

draw::COLORREF Shown(const CHyperLink& link) { return draw::FromQColor(link.palette().color(QPalette::WindowText)); }

}  // namespace

TEST_F(HyperLink, LinkVisitedAndHoverColours) {
  CHyperLink link(QStringLiteral("Manual"), &parent_);
  EXPECT_EQ(Shown(link), 0xEE0000u);  // blue 238
  EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 238));
  EXPECT_TRUE(link.font().underline());
  link.SetVisited(1);
  EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0x55, 0x1A, 0x8B));
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QCoreApplication::sendEvent(&link, &enter);
  EXPECT_TRUE(link.IsHovering());
  EXPECT_EQ(Shown(link), draw::FromQColor(QApplication::palette().color(QPalette::Highlight)));
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&link, &leave);
  EXPECT_FALSE(link.IsHovering());
  EXPECT_EQ(Shown(link), 0x8B1A55u);
  link.SetUnderline(0);
  EXPECT_FALSE(link.font().underline());
  EXPECT_FALSE(link.autoFillBackground());
}

TEST_F(HyperLink, TargetRuleAndTooltipAndCursor) {
  struct Case {
    const char* url;
    QUrl target;
  } cases[] = {
      {"manual.html", QUrl::fromLocalFile(InProgramFolder(QStringLiteral("manual.html")))},
      {"help/start.html", QUrl::fromLocalFile(InProgramFolder(QStringLiteral("help/start.html")))},
      {"https://example.org/tessiro", QUrl(QStringLiteral("https://example.org/tessiro"))},
      {"mailto:help@example.org", QUrl(QStringLiteral("mailto:help@example.org"))},
  };
  for (const Case& c : cases) EXPECT_EQ(CHyperLink::TargetOf(QString::fromLatin1(c.url)), c.target) << c.url;
  EXPECT_EQ(CHyperLink::TargetOf(QStringLiteral("manual.html")).toString(),
            QStringLiteral("file://") + InProgramFolder(QStringLiteral("manual.html")));

  CHyperLink link(QStringLiteral("Getting started"), &parent_);
  EXPECT_EQ(link.GetURL(), QStringLiteral("Getting started"));  // the text until a target is set
  link.SetURL(QStringLiteral("manual.html"));
  EXPECT_EQ(link.toolTip(), QStringLiteral("manual.html"));
  EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(link.width(), link.fontMetrics().horizontalAdvance(QStringLiteral("Getting started")));
}

TEST_F(HyperLink, ClickOpensTheTargetAndMarksItVisited) {
  QFile page(InProgramFolder(QStringLiteral("manual.html")));
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.close();
  CHyperLink link(QStringLiteral("Manual"), &parent_);
  link.SetURL(QStringLiteral("manual.html"));
  QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], CHyperLink::TargetOf(QStringLiteral("manual.html")));
  EXPECT_EQ(link.GetVisited(), 1);
  EXPECT_TRUE(notices_.empty());
  QFile::remove(page.fileName());
}

TEST_F(HyperLink, FailuresAreToldWithTheirReason) {
  CHyperLink link(QStringLiteral("Web"), &parent_);
  link.SetURL(QStringLiteral("https://example.org"));
  link.SetVisited(1);
  openerWorks_ = false;
  QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_EQ(notices_[0], QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\n"
                                        "with the given filename extension."));
  EXPECT_EQ(link.GetVisited(), 0);

  // A page of the program folder that is not there is not handed to the desktop.
  openerWorks_ = true;
  link.SetURL(QStringLiteral("missing-page.html"));
  QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(opened_.size(), 1u);
  ASSERT_EQ(notices_.size(), 2u);
  EXPECT_EQ(notices_[1], QStringLiteral("Unable to open hyperlink:\n\nThe specified file was not found."));
}

TEST_F(HyperLink, AReleaseOutsideTheLinkIsNoClick) {
  CHyperLink link(QStringLiteral("Manual"), &parent_);
  link.SetURL(QStringLiteral("https://example.org"));
  QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(2, 2));
  QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(-5, 40));
  EXPECT_TRUE(opened_.empty());
}

TEST(HyperLinkText, EveryResultHasItsText) {
  struct Case {
    int result;
    const char* text;
  } cases[] = {
      {0, "The operating system is out\nof memory or resources."},
      {2, "The specified file was not found."},
      {3, "The specified path was not found."},
      {5, "The operating system denied\naccess to the specified file."},
      {8, "There was not enough memory to complete the operation."},
      {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
      {26, "A sharing violation occurred. "},
      {27, "The filename association is\nincomplete or invalid."},
      {28, "The DDE transaction could not\nbe completed because the request timed out."},
      {29, "The DDE transaction failed."},
      {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
      {31, "There is no application associated\nwith the given filename extension."},
      {32, "The specified dynamic-link library was not found."},
      {99, "Unknown Error (99) occurred."},
      {-4, "Unknown Error (-4) occurred."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CHyperLink::FailureText(c.result), QStringLiteral("Unable to open hyperlink:\n\n") + QString::fromLatin1(c.text));
  }
}
