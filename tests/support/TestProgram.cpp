#include "TestProgram.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>

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

CTestProgram::CTestProgram(int* argc, char** argv) {
  std::string home = platform::TemporaryFolder() + "/tessiro-home-XXXXXX";
  if (!mkdtemp(home.data())) {
    std::perror("mkdtemp");
    return;
  }
  home_ = home;
  setenv("TESSIRO_HOME", home_.c_str(), 1);
  setenv("TESSIRO_AUDIO", "virtual", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);

  SetReportSink(&Reports());
  ::testing::InitGoogleTest(argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new CUnexpectedReportCheck);
}

CTestProgram::~CTestProgram() {
  SetReportSink(nullptr);
  if (home_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(home_, ignored);
}

int CTestProgram::Run() {
  int result = RUN_ALL_TESTS();
  if (result == 0 && g_unexpectedReports) result = 1;
  return result;
}

}  // namespace tessiro::test
