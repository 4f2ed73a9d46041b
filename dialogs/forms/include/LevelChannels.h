// A level of the parameter forms: each channel keeps a value in dB and one in
// percent, and a flag naming the one that is valid (the one the user typed).
#pragma once

#include <cmath>
#include <cstdint>

#include "Generic.h"

namespace forms {

constexpr float kSilenceDb = -140.0f;

// 0 %, a negative percent and no number at all are silence: a logarithm of
// them would give no number that any clamp could catch.
inline float PercentToDb(float percent) {
  if (!(percent > 0.0f)) return kSilenceDb;
  float db = kSilenceDb;
  PercentToDecibel(percent, &db);
  return db;
}

inline float DbToPercent(float db) {
  if (std::isnan(db)) return 0.0f;
  float percent = 0.0f;
  DecibelToPercent(db, &percent);
  return percent;
}

struct LevelChannel {
  float db = 0.0f;
  float percent = 100.0f;
  int32_t percentValid = 0;  // 1: percent is the value, 0: db is

  float Db() const { return percentValid == 1 ? PercentToDb(percent) : db; }
  float Percent() const { return percentValid == 1 ? percent : DbToPercent(db); }
  float Gain() const { return Percent() / 100.0f; }
  // The value as the preset files keep it: in the unit the flag names.
  float Stored() const { return percentValid == 1 ? percent : db; }
  void SetStored(float value, int32_t flag) {
    percentValid = flag == 1 ? 1 : 0;
    (percentValid == 1 ? percent : db) = value;
  }
  void SetDb(float value) { db = value, percentValid = 0; }
  void SetPercent(float value) { percent = value, percentValid = 1; }
};

}  // namespace forms
