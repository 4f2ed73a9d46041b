// Reads LAME's progress records out of its console output as it arrives through
// the pipe, in pieces that may split a record anywhere. Only complete records
// count; what could still become one is carried into the next piece, and never
// more than a record's length.
//   decoding: "Frame#  1250/5000 ..." gives 1250 * 100 / 5000 = 25
//   encoding: "... ( 37%)|..."         gives 37
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lunder {

class CLameProgress {
 public:
  enum class Kind { Decode, Encode };

  explicit CLameProgress(Kind kind) : kind_(kind) {}

  // One piece as read from the pipe; the percents of the records it completes
  // are appended to percents (0..100).
  void Feed(const char* piece, size_t bytes, std::vector<short>* percents);
  // The output has ended: a record cut short only by the end counts now.
  void Finish(std::vector<short>* percents);

 private:
  void Scan(bool atEnd, std::vector<short>* percents);

  Kind kind_;
  int pieces_ = 0;
  bool stopped_ = false;
  std::string pending_;
};

}  // namespace lunder
