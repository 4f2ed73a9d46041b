// A snippet of a Loop Based track: it plays a loop of the loop bank from the
// loop's audio in memory, always through its processor. While it sits in a
// project track it counts as one use of its loop.
#pragma once

#include <memory>

#include "AudioSnippet.h"

class CAudioLoop;

class CAudioSnippetLoop : public CAudioSnippet {
 public:
  explicit CAudioSnippetLoop(std::shared_ptr<CAudioLoop> loop = nullptr);
  ~CAudioSnippetLoop() override;

  int GetSegment(std::shared_ptr<CAudioSegment>* segment) const override;
  int16_t GetChannels() const override;
  int IsSourceClosed() const override;
  AudioQuality GetFormat() const override;
  int Render(int16_t* out, uint32_t position, uint32_t frames, uint32_t blockFrames) override;

  void SetLoop(std::shared_ptr<CAudioLoop> loop) { loop_ = std::move(loop); }
  CAudioLoop* GetLoop() const { return loop_.get(); }
  const std::shared_ptr<CAudioLoop>& GetLoopPtr() const { return loop_; }
  uint32_t GetFramesWanted() const { return framesWanted_; }

 protected:
  int ProduceRange(uint32_t position, uint32_t frames, uint32_t blockFrames, uint32_t* produced) override;

 private:
  std::shared_ptr<CAudioLoop> loop_;
};
