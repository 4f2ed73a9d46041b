// The application's "operation running" state for the span of one edit.
#pragma once

#include "pro.h"

class COperationRunning {
 public:
  explicit COperationRunning(CProApp& app) : app_(app) { ++app_.operationRunning_; }
  ~COperationRunning() { --app_.operationRunning_; }
  COperationRunning(const COperationRunning&) = delete;
  COperationRunning& operator=(const COperationRunning&) = delete;

 private:
  CProApp& app_;
};
