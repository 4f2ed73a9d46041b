#include "DropoutWatch.h"

#include "ReportErrorDll.h"

CDropoutWatch::CDropoutWatch(const char* where, const char* source, FaultLines lines)
    : where_(where), source_(source), lines_(lines) {}

float CDropoutWatch::BufferMilliseconds(uint32_t bytes, int32_t bytesPerSecond) {
  if (bytesPerSecond == 0) return 100.0f;
  return static_cast<float>(bytes) * 1000.0f / static_cast<float>(bytesPerSecond);
}

void CDropoutWatch::Reset() {
  consecutiveLate_ = 0;
  accumulatedLate_ = 0;
  dropoutReported_ = false;
  endNotified_ = false;
}

void CDropoutWatch::Count(bool late) {
  if (late) {
    ++consecutiveLate_;
    ++accumulatedLate_;
  } else {
    consecutiveLate_ = 0;
  }
}

bool CDropoutWatch::CheckDropout() {
  if (dropoutReported_) return false;
  if (consecutiveLate_ >= 2) return Dropout("Consecutive Delays", lines_.consecutiveEnd, lines_.consecutiveDropout);
  if (accumulatedLate_ >= 5) return Dropout("Accumulated Delays", lines_.accumulatedEnd, lines_.accumulatedDropout);
  return false;
}

bool CDropoutWatch::DeviceLost() {
  if (dropoutReported_) return false;
  return Dropout("Consecutive Delays", lines_.consecutiveEnd, lines_.consecutiveDropout);
}

bool CDropoutWatch::Dropout(const char* what, int endLine, int dropoutLine) {
  if (!endOfAudio_.load()) {
    ReportErrorDll(source_, endLine, "");
    return true;
  }
  NotifyEnd(endLine);
  PobixDropoutCallback dropout = dropout_.load();
  if (!dropout) {
    ReportErrorDll(source_, dropoutLine, "");
    return true;
  }
  dropout(where_, what);
  dropoutReported_ = true;
  return true;
}

void CDropoutWatch::NotifyEnd(int missingLine) {
  if (endNotified_) return;
  endNotified_ = true;
  if (PobixNotifyCallback end = endOfAudio_.load()) {
    end();
  } else {
    ReportErrorDll(source_, missingLine, "");
  }
}
