#include <gtest/gtest.h>

#include <QLabel>

#include "AboutDlg.h"
#include "AboutInfo.h"
#include "controls/HyperLink.h"

namespace {

TEST(AboutDlg, ShowsTheVersionTheCreditAndFourLinks) {
  const AboutInfo info = MakeAboutInfo("/usr/share/tessiro/manual");
  CAboutDlg about(info);
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About the Orvane Tessiro..."));
  QStringList texts;
  for (QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
  EXPECT_TRUE(texts.contains(QStringLiteral("Version 1.6.3")));
  EXPECT_TRUE(texts.contains(QStringLiteral("MP3 Conversions Provided by L.A.M.E. Open Source Project")));
  for (const AboutLink& link : info.links) {
    CHyperLink* label = about.Link(link.controlId);
    ASSERT_NE(label, nullptr) << link.controlId;
    EXPECT_EQ(label->GetURL().toStdString(), link.address);
    EXPECT_EQ(label->text().toStdString(), link.text);
  }
  EXPECT_EQ(about.Link(1339), nullptr);
}

TEST(AboutDlg, TheManualsLinksOpenTheShippedPage) {
  const AboutInfo info = MakeAboutInfo("/usr/share/tessiro/manual");
  const QUrl tutorial = CHyperLink::TargetOf(QString::fromStdString(info.links[3].address));
  EXPECT_TRUE(tutorial.isLocalFile());
  EXPECT_EQ(tutorial.toLocalFile(), QStringLiteral("/usr/share/tessiro/manual/index.html"));
  EXPECT_EQ(tutorial.fragment(), QStringLiteral("tutorial"));
  EXPECT_EQ(CHyperLink::TargetOf(QStringLiteral("mailto:support@tessiro.org")).scheme(), QStringLiteral("mailto"));
}

}  // namespace
