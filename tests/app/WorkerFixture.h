// The edit workers on their own: a temporary folder, the work buffer, an
// operation record and a progress function that counts reports and can
// cancel at the k-th.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AudioSegment.h"
#include "EditFixture.h"
#include "PageBuffer.h"
#include "TempFolder.h"
#include "edit/EditWorkers.h"

namespace tessiro::test {

class WorkerTest : public ::testing::Test {
 protected:
  WorkerTest();

  std::shared_ptr<CAudioSegment> Make(const std::vector<int16_t>& samples, uint16_t channels) {
    return WriteSegment(folder.Path(), samples, channels);
  }
  // Runs worker on source for operation over range; the result lands in result.
  OperationResult Run(EditWorker worker, CAudioSegment& source, int32_t operation, int32_t range);
  // The result's samples; fails the test when there is no result.
  std::vector<int16_t> ResultSamples() const;
  std::vector<std::string> Files() const;

  CTempFolder folder;
  platform::CPageBuffer work;
  OperationParameters params;
  std::shared_ptr<CAudioSegment> result;
  int reports = 0;
  uint64_t reportedFrames = 0;
  int cancelAt = 0;  // the report that answers 0; 0 for none
};

// Sample c of frame f of interleaved samples.
inline int16_t At(const std::vector<int16_t>& samples, uint16_t channels, uint32_t f, uint16_t c = 0) {
  return samples[static_cast<size_t>(f) * channels + c];
}

}  // namespace tessiro::test
