#include "MixSource.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>

#include "Generic.h"
#include "IoCommon.h"
#include "pro.h"

namespace io {
namespace {

uint32_t EndOf(uint32_t contentEnd, uint32_t tailFrames) {
  const uint64_t end = static_cast<uint64_t>(contentEnd) + tailFrames;
  return static_cast<uint32_t>(std::min<uint64_t>(end, std::numeric_limits<uint32_t>::max()));
}

// As a play start does: every chain empty of what it last played, the level
// envelopes at the first frame.
void StartChains(CProApp& app, uint32_t frame) {
  for (auto& chain : app.effectChains) {
    if (!chain) continue;
    chain->Reset();
    Zelmo_Levels_Parameters parameters{};
    parameters.currentSample = frame;
    parameters.currentTempo = app.project.tempo;
    chain->UpdateAllLevelParameters(&parameters);
  }
}

}  // namespace

CMixSource::CMixSource(CProApp& app, uint32_t first, uint32_t contentEnd, const MixOptions& options)
    : app_(app),
      options_(options),
      first_(first),
      contentEnd_(std::max(contentEnd, first)),
      limit_(EndOf(contentEnd_, app.project.tailFrames)),
      position_(first),
      blockFrames_(static_cast<uint32_t>(std::max(app.bufferFrames, 1))) {
  block_.resize(static_cast<size_t>(blockFrames_) * 2);
  CAudioTrackList& project = app_.project;
  for (int i = 0; i < CAudioTrackList::kProjectTracks; ++i) {
    CAudioTrack* track = nullptr;
    if (project.FindTrack(i, &track) != 1 || !track) continue;
    tracks_[i] = {track->mute.load(), track->solo.load()};
    if (!options_.tracks[i]) {
      track->mute = 1;
      track->solo = 0;
    }
  }
  project.UpdateSoloState();
  if (!options_.master) {
    masterLeft_ = project.masterLeftGain;
    masterRight_ = project.masterRightGain;
    project.masterLeftGain = 1.0f;
    project.masterRightGain = 1.0f;
    std::lock_guard<platform::CCriticalSection> hold(project.GetLock());
    parkedMaster_ = std::move(app_.effectChains[0]);
  }
  if (!options_.projectPitch) {
    pitch_ = project.globalPitch;
    project.globalPitch = 0.0f;
  }
  StartChains(app_, first_);
  project.ResetPlayback();
  project.playing = 1;
}

CMixSource::~CMixSource() {
  CAudioTrackList& project = app_.project;
  project.playing = 0;
  project.ResetPlayback();
  for (auto& chain : app_.effectChains) {
    if (chain) chain->Reset();
  }
  if (!options_.master) {
    {
      std::lock_guard<platform::CCriticalSection> hold(project.GetLock());
      app_.effectChains[0] = std::move(parkedMaster_);
    }
    if (app_.effectChains[0]) app_.effectChains[0]->Reset();
    project.masterLeftGain = masterLeft_;
    project.masterRightGain = masterRight_;
  }
  if (!options_.projectPitch) project.globalPitch = pitch_;
  for (int i = 0; i < CAudioTrackList::kProjectTracks; ++i) {
    CAudioTrack* track = nullptr;
    if (project.FindTrack(i, &track) != 1 || !track) continue;
    track->mute = tracks_[i].mute;
    track->solo = tracks_[i].solo;
  }
  project.UpdateSoloState();
}

bool CMixSource::Read(int16_t* out, uint32_t frames, uint32_t* got) {
  *got = 0;
  while (*got < frames) {
    if (zerosToGive_ > 0) {
      const uint32_t n = std::min(zerosToGive_, frames - *got);
      std::memset(out + static_cast<size_t>(*got) * 2, 0, static_cast<size_t>(n) * 4);
      zerosToGive_ -= n;
      *got += n;
    } else if (blockPos_ < blockEnd_) {
      const uint32_t n = std::min(blockEnd_ - blockPos_, frames - *got);
      std::memcpy(out + static_cast<size_t>(*got) * 2, block_.data() + static_cast<size_t>(blockPos_) * 2,
                  static_cast<size_t>(n) * 4);
      blockPos_ += n;
      *got += n;
    } else if (position_ >= limit_) {
      break;
    } else if (!RenderBlock()) {
      return false;
    }
  }
  return true;
}

bool CMixSource::RenderBlock() {
  const uint32_t n = std::min(blockFrames_, limit_ - position_);
  const int mixed = app_.project.MixAllTracks(block_.data(), position_, n);
  if (mixed != 1) {
    if (mixed == 0) ReportError(kSource, __LINE__, "");
    return false;
  }
  // Up to the content's end everything counts; after it, silence waits until
  // sound follows (an echo can come back after a quiet block), and what is
  // still waiting at the end is left out.
  uint32_t keep = contentEnd_ > position_ ? std::min(n, contentEnd_ - position_) : 0;
  for (uint32_t f = n; f > keep; --f) {
    if (block_[2 * f - 2] != 0 || block_[2 * f - 1] != 0) {
      keep = f;
      break;
    }
  }
  if (keep > 0) {
    zerosToGive_ = heldZeros_;
    heldZeros_ = 0;
  }
  heldZeros_ += n - keep;
  blockPos_ = 0;
  blockEnd_ = keep;
  position_ += n;
  return true;
}

}  // namespace io
