// A snippet of an Extended Audio track: it streams its audio segment from disk.
// Per block the mixer first has every snippet read its source range
// (Prefetch), then renders them (Render / RenderRange), which runs the
// processor over what was read.
#pragma once

#include <memory>

#include "AudioSnippet.h"

class CAudioSnippetExtended : public CAudioSnippet {
 public:
  explicit CAudioSnippetExtended(std::shared_ptr<CAudioSegment> segment = nullptr);
  ~CAudioSnippetExtended() override;

  int SetSegment(std::shared_ptr<CAudioSegment> segment) override;
  int GetSegment(std::shared_ptr<CAudioSegment>* segment) const override;
  int16_t GetChannels() const override;
  int IsSourceClosed() const override;
  int CloseSource() override;
  AudioQuality GetFormat() const override;
  int ReleaseSource() override;
  int Prefetch(uint32_t position, uint32_t frames, uint32_t blockFrames) override;
  int Render(int16_t* out, uint32_t position, uint32_t frames, uint32_t blockFrames) override;

  // A new extended snippet with this one's attributes, sharing its segment
  // until the caller gives it another.
  int Clone(std::shared_ptr<CAudioSnippetExtended>* out) const;

  CAudioSegment* Segment() const { return segment_.get(); }
  uint32_t GetFramesWanted() const { return framesWanted_; }

 protected:
  int ProduceRange(uint32_t position, uint32_t frames, uint32_t blockFrames, uint32_t* produced) override;

 private:
  std::shared_ptr<CAudioSegment> segment_;
  // The read of the last prefetch, waiting for the render of the same range.
  bool hasPending_ = false;
  uint32_t pendingPosition_ = 0;
  uint32_t pendingFrames_ = 0;
};
