// Every test program starts here: a fresh program folder, the virtual sound
// device, the offscreen display, and fault reports recorded instead of shown.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "Folders.h"
#include "ReportRecorder.h"

namespace tessiro::test {

CReportRecorder& Reports() {
  static CReportRecorder recorder;
  return recorder;
}

namespace {

bool g_unexpectedReports = false;

class CUnexpectedReportCheck : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { Reports().Clear(); }
  void OnTestEnd(const ::testing::TestInfo& info) override {
    const std::vector<RecordedReport> left = Reports().Take();
    if (left.empty()) return;
    g_unexpectedReports = true;
    std::fprintf(stderr, "%s.%s raised %zu fault report(s) it did not expect:\n", info.test_suite_name(),
                 info.name(), left.size());
    for (const RecordedReport& r : left) {
      std::fprintf(stderr, "  %s::%d \"%s\"\n", r.report.title.c_str(), r.report.line, r.report.message.c_str());
    }
  }
};

}  // namespace
}  // namespace tessiro::test

int main(int argc, char** argv) {
  std::string home = platform::TemporaryFolder() + "/tessiro-home-XXXXXX";
  if (!mkdtemp(home.data())) {
    std::perror("mkdtemp");
    return 2;
  }
  setenv("TESSIRO_HOME", home.c_str(), 1);
  setenv("TESSIRO_AUDIO", "virtual", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);

  SetReportSink(&tessiro::test::Reports());
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new tessiro::test::CUnexpectedReportCheck);
  int result = RUN_ALL_TESTS();
  SetReportSink(nullptr);

  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  if (result == 0 && tessiro::test::g_unexpectedReports) result = 1;
  return result;
}
