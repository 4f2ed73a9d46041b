// The project rendered through its mixer exactly as playback renders it: the
// same block size, every track's snippets, mute and solo, gains and chain,
// then the master chain and gains, with the chains reset and the level
// envelopes placed at the first frame. A render to a track leaves the master
// out (the track plays through it again) and renders at pitch 0 (the project
// pitch is applied again when it plays).
//
// The render covers the content and then the time playback runs on past it
// (the extra playback time), for echoes and reverbs to ring out; silence at
// the very end is left out.
//
// What the render changes for its time (the mixer's playing flag, the mute and
// solo of tracks left out, the master, the pitch) is put back when it ends.
//
// Threads: the user-interface thread, while nothing plays.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "AudioTrackList.h"
#include "ExportSource.h"

class CProApp;

namespace io {

struct MixOptions {
  bool master = true;       // the master chain and gains
  bool projectPitch = true; // the project's global pitch
  std::array<bool, CAudioTrackList::kProjectTracks> tracks = AllTracks();

  static std::array<bool, CAudioTrackList::kProjectTracks> AllTracks() {
    std::array<bool, CAudioTrackList::kProjectTracks> all{};
    all.fill(true);
    return all;
  }
};

class CMixSource final : public CExportSource {
 public:
  // Renders from first to contentEnd and then the extra playback time.
  CMixSource(CProApp& app, uint32_t first, uint32_t contentEnd, const MixOptions& options);
  ~CMixSource() override;
  CMixSource(const CMixSource&) = delete;
  CMixSource& operator=(const CMixSource&) = delete;

  uint16_t Channels() const override { return 2; }
  uint32_t TotalFrames() const override { return limit_ - first_; }
  uint32_t FramesDone() const override { return position_ - first_; }
  bool Read(int16_t* out, uint32_t frames, uint32_t* got) override;

 private:
  struct TrackState {
    int32_t mute, solo;
  };
  bool RenderBlock();

  CProApp& app_;
  const MixOptions options_;
  const uint32_t first_, contentEnd_, limit_;
  uint32_t position_;
  uint32_t blockFrames_;
  std::vector<int16_t> block_;
  uint32_t blockPos_ = 0, blockEnd_ = 0;  // frames of block_ still to hand out
  uint32_t zerosToGive_ = 0;              // silence handed out before them
  uint32_t heldZeros_ = 0;                // silence kept back until sound follows
  // What the render changed, to put back.
  std::array<TrackState, CAudioTrackList::kProjectTracks> tracks_{};
  std::unique_ptr<CZelmo> parkedMaster_;
  float masterLeft_ = 1.0f, masterRight_ = 1.0f;
  float pitch_ = 0.0f;
};

}  // namespace io
