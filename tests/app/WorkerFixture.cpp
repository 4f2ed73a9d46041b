#include "WorkerFixture.h"

#include <algorithm>

#include "Folders.h"

namespace tessiro::test {

WorkerTest::WorkerTest() {
  EXPECT_TRUE(work.Allocate(OperationParameters::kWorkBytes));
  params.workBuffer = static_cast<int16_t*>(work.Data());
  params.tempFolder = folder.Path();
  params.progress = [this](int frames) {
    ++reports;
    reportedFrames += static_cast<uint64_t>(frames);
    return reports == cancelAt ? 0 : 1;
  };
}

OperationResult WorkerTest::Run(EditWorker worker, CAudioSegment& source, int32_t operation, int32_t range) {
  params.request.operation = operation;
  params.request.range = range;
  params.request.params.range = range;
  return worker(&source, &result, &params);
}

std::vector<int16_t> WorkerTest::ResultSamples() const {
  EXPECT_TRUE(result);
  return result ? ReadSamples(*result) : std::vector<int16_t>{};
}

std::vector<std::string> WorkerTest::Files() const {
  std::vector<std::string> names = platform::ListFolder(folder.Path());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tessiro::test
