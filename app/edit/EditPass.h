// The frame every edit worker shares: the checks, the range, the result
// segment, the reads of the source and the appends to the result through the
// work buffer, progress, and the end of the pass. A pass that does not reach
// Finish leaves nothing behind: the result is closed, its files removed and
// the caller's pointer cleared.
//
// Threads: user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "AudioSegment.h"
#include "EditWorkers.h"

class CEditPass {
 public:
  enum class Attributes { All, FormatOnly };

  CEditPass(CAudioSegment* source, std::shared_ptr<CAudioSegment>* result, OperationParameters* params);
  ~CEditPass();
  CEditPass(const CEditPass&) = delete;
  CEditPass& operator=(const CEditPass&) = delete;

  // Checks the arguments, takes the range, makes the result when none was
  // passed (or always, with alwaysNew), opens both. resultChannels 0: the
  // source's. Anything but Done has been reported.
  OperationResult Begin(Attributes attributes = Attributes::All, uint16_t resultChannels = 0, bool alwaysNew = false);

  CAudioSegment& Source() const { return *source_; }
  CAudioSegment& Result() const { return **result_; }
  OperationParameters& Params() const { return *params_; }
  const FXOperationParams& Values() const { return params_->request.params; }
  int16_t* Work() const { return params_->workBuffer; }
  uint16_t Channels() const { return channels_; }
  uint32_t FrameBytes() const { return channels_ * 2u; }
  const FrameRange& Range() const { return range_; }
  uint32_t Length() const { return source_->length; }
  uint32_t Written() const { return written_; }

  // Each returns false once the pass must stop: a fault (reported) or Cancel.
  bool Seek(uint32_t frame);
  // At most frames from the read position; *got is 0 at the end of the audio.
  bool Read(void* buffer, uint32_t frames, uint32_t* got);
  // frames of the result's format.
  bool Append(const void* samples, uint32_t frames);
  bool Report(uint32_t frames);
  bool AppendAndReport(const void* samples, uint32_t frames) { return Append(samples, frames) && Report(frames); }
  // The source's [from, to) unchanged, in blocks of at most block frames;
  // ends early where the audio ends.
  bool Copy(uint32_t from, uint32_t to, uint32_t block);
  // Zeroes frames of the source's format.
  void Silence(void* buffer, uint32_t frames) const;

  // Closes both, gives the result its length and puts it on disk: Done, or a
  // fault when that fails (the result then goes too).
  OperationResult Finish();
  // After a false: closes both, removes the result; Cancelled or Fault.
  OperationResult Stop();
  // For a fault a worker finds itself, with the line it reports.
  OperationResult Fail(int line);
  // For a fault already reported.
  OperationResult Abandon();

 private:
  void Discard();

  CAudioSegment* source_;
  std::shared_ptr<CAudioSegment>* result_;
  OperationParameters* params_;
  uint16_t channels_ = 0;
  FrameRange range_;
  uint32_t written_ = 0;
  bool open_ = false;
  bool finished_ = false;
  OperationResult stop_ = OperationResultFault;
};
