#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include "ReportErrorDll.h"
#include "ReportRecorder.h"

int ReportFromProbe_a(int line);
int ReportFromProbe_b(int line);

using tessiro::test::Reports;

namespace {

std::string Title(const char* path) {
  char title[256];
  GetFileTitleFromPath(path, title);
  return title;
}

const char* kClosing =
    "\n\nClicking \"OK\" copies this information to the clipboard.  You\n"
    "will then be able to easily paste the information into an email.\n"
    "Please send to support@tessiro.org - we will resolve\nthe problem as soon as possible.  Thank you.";

}  // namespace

TEST(FileTitle, TakesTextAfterLastSeparatorUpToLastDot) {
  EXPECT_EQ(Title(".\\tarvex.cpp"), "tarvex");
  EXPECT_EQ(Title(".\\EffectList.cpp"), "EffectList");
  EXPECT_EQ(Title("/work/effects/reverb.cpp"), "reverb");
  EXPECT_EQ(Title("dir/archive.tar.gz"), "archive.tar");
  // A dot before the last separator belongs to a folder, not the file.
  EXPECT_EQ(Title("C:\\my.folder\\Makefile"), "Makefile");
  EXPECT_EQ(Title("one.dir/two"), "two");
  EXPECT_EQ(Title("Generic"), "Generic");
  EXPECT_EQ(Title(""), "");
  EXPECT_EQ(Title("folder/"), "");
  EXPECT_EQ(Title(".hidden"), "");
}

TEST(ReportErrorDll, EmptyMessageWithoutErrorShowsGeneralHeading) {
  errno = 0;
  EXPECT_EQ(ReportErrorDll(".\\EffectList.cpp", 40, ""), kIdCancel);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  const ErrorReport& r = reports[0].report;
  EXPECT_EQ(r.title, "EffectList");
  EXPECT_EQ(r.line, 40);
  EXPECT_EQ(reports[0].caption, "Error");
  EXPECT_EQ(r.text, std::string("An error has occurred.  Please send us this information.\n"
                                "We will resolve the issue as soon as possible.\n\nSystem Error Code: 0 "
                                "(EffectList::40)\n\nSystem Error Message: Invalid pointer in module.") +
                        kClosing);
}

TEST(ReportErrorDll, MessageAndSystemErrorAreShown) {
  errno = ENOENT;
  ReportErrorDll("/src/tempo/tarvex.cpp", 1139, "Divide By Zero Violation");
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  const ErrorReport& r = reports[0].report;
  EXPECT_EQ(r.code, ENOENT);
  EXPECT_EQ(r.message, "Divide By Zero Violation");
  EXPECT_EQ(r.text.rfind("Error Message: Divide By Zero Violation\n\nSystem Error Code: 2 (tarvex::1139)\n\n"
                         "System Error Message: No such file or directory\n\n",
                         0),
            0u);
}

TEST(ReportErrorDll, OkCopiesReportAndCancelCopiesNothing) {
  Reports().SetAnswer(kIdCancel);
  ReportErrorDll("Zelmo", 1, "cancelled");
  EXPECT_TRUE(Reports().Clipboard().empty());

  Reports().SetAnswer(kIdOk);
  EXPECT_EQ(ReportErrorDll("Zelmo", 2, "accepted"), kIdOk);
  const auto clipboard = Reports().Clipboard();
  ASSERT_EQ(clipboard.size(), 1u);
  EXPECT_EQ(clipboard[0].rfind("Error Message: accepted", 0), 0u);
  EXPECT_EQ(Reports().Take().size(), 2u);
}

TEST(ReportErrorDll, LongReportIsCutToClipboardBlock) {
  Reports().SetAnswer(kIdOk);
  const std::string message(20000, 'x');
  ReportErrorDll("Zelmo", 3, message.c_str());
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  const auto clipboard = Reports().Clipboard();
  ASSERT_EQ(clipboard.size(), 1u);
  EXPECT_EQ(clipboard[0].size(), kClipboardBlockBytes - 1);
  EXPECT_EQ(clipboard[0], reports[0].report.text.substr(0, kClipboardBlockBytes - 1));
}

TEST(ReportErrorDll, FailedClipboardStepGivesItsOwnNotice) {
  Reports().SetAnswer(kIdOk);
  Reports().SetClipboardFailure(ClipboardStep::SetClipboard);
  ReportErrorDll("Zelmo", 4, "");
  Reports().Take();
  EXPECT_EQ(Reports().TakeNotices(), std::vector<std::string>{"Clipboard copy failed on Set Clipboard."});
  EXPECT_STREQ(ClipboardFailureText(ReportOrigin::Program, ClipboardStep::SetClipboard),
               "Clipboard copy failedon SetClipboard.");
  EXPECT_STREQ(ClipboardFailureText(ReportOrigin::Library, ClipboardStep::CloseClipboard),
               "Clipboard copy failed on Close Clipboard.");
  EXPECT_STREQ(ClipboardFailureText(ReportOrigin::Program, ClipboardStep::WindowHandle),
               "Clipboard copy failed on m_hWnd.");
}

TEST(ReportErrorDll, ReportFromAnotherThreadIsPostedNotShown) {
  SetUserInterfaceThread();
  Reports().SetAnswer(kIdOk);
  int result = 0;
  std::thread worker([&] { result = ReportErrorDll("Echo", 7, "from a worker"); });
  worker.join();
  EXPECT_EQ(result, kIdCancel);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].posted);
  EXPECT_TRUE(Reports().Clipboard().empty());
}

TEST(ReportErrorDll, EveryLibraryCopyReportsToTheOneSink) {
  ReportFromProbe_a(11);
  ReportFromProbe_b(12);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].report.title, "Probe_a");
  EXPECT_EQ(reports[1].report.title, "Probe_b");
  EXPECT_EQ(reports[1].report.line, 12);
}
