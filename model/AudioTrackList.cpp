#include "AudioTrackList.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>

#include "Generic.h"

namespace {

constexpr int kLineDestroyDecommit = 152;
constexpr int kLineDestroyRelease = 156;
constexpr int kLineSetTypeNoTrack = 182;
constexpr int kLineGetTypeNoTrack = 198;
constexpr int kLineCreateNoMemory = 215;
constexpr int kLineSetGainsNoTrack = 246;
constexpr int kLineGetGainsNoTrack = 272;
constexpr int kLineAddTrackNoTrack = 288;
constexpr int kLineAddTrackNoMemory = 298;
constexpr int kLineAddSnippetNoTrack = 343;
constexpr int kLineRenderNoOut = 607;
constexpr int kLineRenderNoMix = 615;
constexpr int kLineRenderNoTrack = 623;
constexpr int kLineSelectedNoOut = 723;
constexpr int kLineSelectedNoMix = 731;
constexpr int kLineSelectedNoTrack = 745;
constexpr int kLineSnippetNoOut = 804;
constexpr int kLineSnippetNoMix = 809;
constexpr int kLineSnippetNoTrack = 817;
constexpr int kLineMixNoMix = 894;
constexpr int kLineMixNoOut = 899;
constexpr int kLineMatchingNoOther = 1579;
constexpr int kLineAlignNoOther = 1654;
constexpr int kLineSelectAllOfTrack = 1767;
constexpr int kLineSetAnchor = 1789;
constexpr int kLineSelectSnippet = 1810;
constexpr int kLineTempoZero = 1829;
constexpr int kLineShareNoOther = 1954;
constexpr int kLineShareNoTrack = 1963;
constexpr int kLineShareNoMemory = 1973;
constexpr int kLineCopySelectedNoOther = 1996;
constexpr int kLineCopySelectedNoTrack = 2005;
constexpr int kLineCopySelectedNoMemory = 2015;
constexpr int kLineCopyNoOther = 2047;
constexpr int kLineCopyNoMemory = 2067;
constexpr int kLineCopyTrackNoOther = 2142;
constexpr int kLineCopyTrackNoTrack = 2149;
constexpr int kLineCopyTrackNoMemory = 2157;
constexpr int kLineRemoveOfNoOther = 2189;
constexpr int kLineMergeNoOther = 2232;
constexpr int kLineRemoveSnippetNoTrack = 2269;
constexpr int kLineAllocateNoMemory = 2331;
constexpr int kLineHistoryNoTrack = 2346;
constexpr int kLineRectNoTrack = 2359;
constexpr int kLineToggleArmNoTrack = 2540;
constexpr int kLineToggleMuteNoTrack = 2560;
constexpr int kLineToggleSoloNoTrack = 2580;
constexpr int kLineDetachNoOther = 2601;
constexpr int kLineReattachNoOther = 2656;

constexpr const char* kDivideByZero = "Divide By Zero Violation";
constexpr size_t kFrameBytes = 2 * sizeof(int16_t);
constexpr int kRecordingSlots = 4;

inline int16_t Saturate(int32_t value) { return static_cast<int16_t>(std::clamp(value, -32767, 32767)); }

bool HasEffects(CZelmo* chain) { return chain && chain->NumberOfEffects() > 0; }

// Whether the project's chains are known and have a place for the track index.
bool HoldsChainOf(const EffectChainArray* chains, int index) {
  return chains && index >= 0 && index < CAudioTrackList::kProjectTracks;
}

// A fault reported at its line, and the code it answers.
int Fault(int line) {
  ReportError(__FILE__, line, "");
  return 3;
}

}  // namespace

CAudioTrackList::CAudioTrackList()
    : pool_(std::make_shared<CTempoPitchPool>()), listMode_(CAudioSnippetList::kModeProject) {
  viewEnd = 10 * kFramesPerSecond;
  viewWidth = viewEnd;
  mixOrder_.reserve(kProjectTracks);
}

CAudioTrackList::CAudioTrackList(int listMode)
    : pool_(listMode == CAudioSnippetList::kModeProject ? std::make_shared<CTempoPitchPool>() : nullptr),
      listMode_(listMode) {
  mixOrder_.reserve(kProjectTracks);
}

CAudioTrackList::~CAudioTrackList() {
  workers_.reset();
  tracks_.clear();
  if (mixBlock_.IsReserved()) {
    if (!mixBlock_.Decommit(0, static_cast<size_t>(mixFrames_) * kFrameBytes)) {
      ReportError(__FILE__, kLineDestroyDecommit, "");
    }
    if (!mixBlock_.Release()) ReportError(__FILE__, kLineDestroyRelease, "");
  }
}

CAudioTrack* CAudioTrackList::TrackAt(int index, int line) const {
  for (const auto& t : tracks_) {
    if (t->index == index) return t.get();
  }
  if (line) ReportError(__FILE__, line, "");
  return nullptr;
}

CAudioTrack* CAudioTrackList::SelectedTrack() const { return TrackAt(GetSelectedTrackIndex(), 0); }

int CAudioTrackList::CreateTracks(int listMode, int32_t type, int count) {
  for (int i = 0; i < count; ++i) {
    std::unique_ptr<CAudioTrack> track(new (std::nothrow) CAudioTrack(listMode));
    if (!track) return Fault(kLineCreateNoMemory);
    track->index = static_cast<int16_t>(i);
    track->SetType(type);
    if (AddTrack(std::move(track)) != 1) return 3;
  }
  return 1;
}

int CAudioTrackList::AddTrack(std::unique_ptr<CAudioTrack> track) {
  if (!track) return Fault(kLineAddTrackNoTrack);
  track->SetEffectsChains(chains_);
  track->SetBlockFrames(blockFrames_);
  track->Snippets().SetTempoPitchSettings(settings_);
  track->Snippets().SetTempoPitchPool(pool_);
  projectEnd = std::max(projectEnd, track->Snippets().GetLastEnd());
  const int index = track->index;
  auto at = std::find_if(tracks_.begin(), tracks_.end(),
                         [index](const std::unique_ptr<CAudioTrack>& t) { return t->index > index; });
  try {
    tracks_.insert(at, std::move(track));
  } catch (const std::bad_alloc&) {
    ReportError(__FILE__, kLineAddTrackNoMemory, "");
    return 3;
  }
  return 1;
}

int CAudioTrackList::DeleteAllTracks() {
  for (const auto& t : tracks_) t->Snippets().DeleteAllSnippets();
  tracks_.clear();
  return 0;
}

int CAudioTrackList::FindTrack(int index, CAudioTrack** out) const {
  CAudioTrack* track = TrackAt(index, 0);
  if (out) *out = track;
  return track ? 1 : 3;
}

void CAudioTrackList::ResetIterator() {
  iterator_ = 0;
  iteratorFirst_ = 0;
  iteratorLast_ = kProjectTracks;
}

void CAudioTrackList::SetIteratorRange(int first, int last) {
  iterator_ = 0;
  iteratorFirst_ = first;
  iteratorLast_ = last;
}

int CAudioTrackList::GetNextTrack(CAudioTrack** out) {
  while (iterator_ < tracks_.size()) {
    CAudioTrack* t = tracks_[iterator_++].get();
    if (t->index >= iteratorFirst_ && t->index <= iteratorLast_) {
      if (out) *out = t;
      return 1;
    }
  }
  if (out) *out = nullptr;
  return 0;
}

int CAudioTrackList::AllocateBuffers(int blocks, uint32_t frames) {
  for (const auto& t : tracks_) {
    if (t->AllocateRing(blocks, frames) != 1) return 3;
  }
  const uint32_t capacity = frames + kMixSlackFrames;
  const size_t bytes = static_cast<size_t>(capacity) * kFrameBytes;
  platform::CPageBuffer block;
  if (!block.Reserve(bytes) || !block.Commit(0, bytes)) return Fault(kLineAllocateNoMemory);
  mixBlock_ = std::move(block);
  mixFrames_ = capacity;
  // The project renders its tracks side by side, one fewer helper than there are cores.
  if (listMode_ == CAudioSnippetList::kModeProject && !workers_) {
    const unsigned cores = std::thread::hardware_concurrency();
    SetMixThreads(std::min<unsigned>(cores > 1 ? cores - 1 : 0, kProjectTracks - 1));
  }
  return 1;
}

void CAudioTrackList::SetBlockFrames(uint32_t frames) {
  blockFrames_ = ClampBufferFrames(frames);
  for (const auto& t : tracks_) t->SetBlockFrames(blockFrames_);
}

int CAudioTrackList::SetEffectsChains(EffectChainArray* chains) {
  chains_ = chains;
  for (const auto& t : tracks_) t->SetEffectsChains(chains);
  return 0;
}

int CAudioTrackList::SetEnabled(int flag) {
  for (const auto& t : tracks_) t->enabled = flag;
  return 1;
}

void CAudioTrackList::SetTempoPitchSettings(const TempoPitchSettings& settings) {
  settings_ = settings;
  settings_.bufferFrames = ClampBufferFrames(settings.bufferFrames);
  for (const auto& t : tracks_) t->Snippets().SetTempoPitchSettings(settings_);
}

int CAudioTrackList::PreparePlayback() {
  if (!pool_) return 0;
  platform::CLock lock(lock_);
  if (chains_) {
    for (const auto& chain : *chains_) {
      if (chain) chain->PrepareForPlayback();
    }
  }
  // Every range a block can ask of a track fits its ring block.
  uint32_t range = 0;
  for (const auto& t : tracks_) {
    t->Snippets().StopAllProcessors();
    range = std::max(range, t->GetRingStride());
  }
  if (range == 0) range = settings_.bufferFrames + kChainSlackFrames;
  uint32_t counts[2] = {0, 0};
  uint32_t workFrames[2] = {0, 0};
  std::unique_ptr<CTempoPitchSlot> probes[2];
  const float pitch = globalPitch;
  for (const auto& t : tracks_) {
    CAudioSnippetList& snippets = t->Snippets();
    snippets.CountPlayableAtOnce(range, counts);
    for (const auto& s : snippets.Snippets()) {
      const int16_t channels = s->GetChannels();
      if (channels == 0) continue;
      const int kind = channels == 1 ? 0 : 1;
      if (!probes[kind]) probes[kind] = CTempoPitchSlot::Make(static_cast<uint16_t>(channels), range, 0);
      if (!probes[kind]) {
        ReportError(__FILE__, __LINE__, "No memory for the tempo/pitch processors.");
        return 3;
      }
      // Played with the project's pitch, or at 0 by the single-track renders.
      for (const float semitones : {pitch + snippets.trackPitch, 0.0f}) {
        workFrames[kind] =
            std::max(workFrames[kind], s->WorkFramesNeeded(probes[kind]->processor, semitones, settings_, range));
      }
    }
  }
  for (int kind = 0; kind < 2; ++kind) {
    if (counts[kind] == 0) continue;
    if (!pool_->Prepare(static_cast<uint16_t>(kind + 1), counts[kind], range, workFrames[kind])) {
      ReportError(__FILE__, __LINE__, "No memory for the tempo/pitch processors.");
      return 3;
    }
  }
  return 1;
}

CZelmo* CAudioTrackList::MasterChain() const { return chains_ ? (*chains_)[0].get() : nullptr; }

CZelmo* CAudioTrackList::ParkedChain(int index) const {
  return index >= 0 && index < kProjectTracks ? parked_[index].get() : nullptr;
}

uint32_t CAudioTrackList::FitMix(uint32_t frames) {
  if (frames <= mixFrames_) return frames;
  if (!overflowReported_) {
    overflowReported_ = true;
    ReportError(__FILE__, __LINE__, "A block and its effects' read-ahead do not fit the mix buffer.");
  }
  return mixFrames_;
}

uint32_t CAudioTrackList::FitBlock(uint32_t frames) {
  // Room beyond the block is for what chains read ahead; the block itself fits the rest.
  const uint32_t capacity = mixFrames_ > kMixSlackFrames ? mixFrames_ - kMixSlackFrames : mixFrames_;
  if (frames <= capacity) return frames;
  if (!overflowReported_) {
    overflowReported_ = true;
    ReportError(__FILE__, __LINE__, "A device block is larger than the buffers the tracks were given.");
  }
  return capacity;
}

// What a block hands out is the device's block, whatever the tracks and the
// master chain were set up for: each track reads ahead only what its chain
// asks beyond it, and each chain delivers exactly what the mix takes.
void CAudioTrackList::FollowDeviceBlock(uint32_t frames, CZelmo* master) {
  for (const auto& t : tracks_) {
    if (t->GetBlockFrames() != frames) t->SetBlockFrames(frames);
  }
  if (master) master->SetSizeOutputBufferSample(frames);
}

void CAudioTrackList::WriteOutput(int16_t* out, uint32_t frames) const {
  const int16_t* mix = GetMixBlock();
  const float left = masterLeftGain, right = masterRightGain;
  if (left == 1.0f && right == 1.0f) {
    // The mix never holds -32768, but a master chain may put it there.
    for (size_t i = 0; i < size_t{frames} * 2; ++i) out[i] = Saturate(mix[i]);
    return;
  }
  std::memcpy(out, mix, static_cast<size_t>(frames) * kFrameBytes);
  ApplyGains(out, frames, left, right);
}

int CAudioTrackList::MixAllTracks(int16_t* out, uint32_t position, uint32_t frames) {
  if (!mixBlock_.IsReserved()) return Fault(kLineMixNoMix);
  if (!out) return Fault(kLineMixNoOut);
  platform::CLock lock(lock_);
  int16_t* mix = GetMixBlock();
  if (!playing) return 0;
  const int32_t noEffects = bypass;
  CZelmo* master = MasterChain();
  const bool masterEffects = !noEffects && HasEffects(master);
  frames = FitBlock(frames);
  FollowDeviceBlock(frames, masterEffects ? master : nullptr);
  uint32_t demand = frames;
  if (masterEffects) demand = FitMix(std::max(frames, master->GetMinSamplesNeededForOutput()));
  std::memset(mix, 0, static_cast<size_t>(demand) * kFrameBytes);

  const float pitch = globalPitch;
  // Spread over the helpers, each track reads its audio in its own job (the
  // reads take turns while other tracks compute): the player thread alone
  // reading 24 tracks was the longest part of a block that no helper shared.
  // A track's processors go back to the pool before it takes new ones, and
  // the pool holds each track's most at once, so no order of the jobs finds
  // the pool empty.
  const bool spread = workers_ != nullptr;
  if (!spread) {
    for (const auto& t : tracks_) t->PrefetchBlock(position, demand, pitch, noEffects);
  }
  // Loop tracks first: the extended tracks' reads have longer to land, and
  // where sums saturate the loop tracks' part is taken first.
  mixOrder_.clear();
  for (const auto& t : tracks_) {
    if (t->GetType() == CAudioTrack::kTypeLoopBased) mixOrder_.push_back(t.get());
  }
  for (const auto& t : tracks_) {
    if (t->GetType() != CAudioTrack::kTypeLoopBased) mixOrder_.push_back(t.get());
  }
  // Spread over the helpers, the tracks already keep every core busy: handing
  // each effect's second channel to yet another thread only adds hand-overs.
  MixJob job{this, position, demand, soloActive, noEffects, spread && workersOnMixThreads_};
  if (spread) {
    struct SpreadJob {
      MixJob mix;
      float pitch;
      int16_t* block;
    } spreadJob{job, pitch, mix};
    const auto readAndRender = [](void* context, size_t index) {
      auto& each = *static_cast<SpreadJob*>(context);
      each.mix.list->mixOrder_[index]->PrefetchBlock(each.mix.position, each.mix.frames, each.pitch, each.mix.bypass);
      RenderTrackForMix(&each.mix, index);
    };
    // The player adds each track in the mix order as soon as it and those
    // before it are rendered, while the helpers finish the last ones.
    const auto add = [](void* context, size_t index) {
      auto& each = *static_cast<SpreadJob*>(context);
      each.mix.list->mixOrder_[index]->AddForMix(each.block);
    };
    workers_->Run(mixOrder_.size(), readAndRender, &spreadJob, add);
  } else {
    for (size_t i = 0; i < mixOrder_.size(); ++i) RenderTrackForMix(&job, i);
    for (CAudioTrack* t : mixOrder_) t->AddForMix(mix);
  }
  if (masterEffects) {
    // Measured: handing the master chain's second channels to other threads
    // costs more in wake-ups than it saves, most of all on a busy machine.
    ZelmoSetThreadRunsWorkers(job.workersHere);
    master->ProcessAudio(mix, demand);
    ZelmoSetThreadRunsWorkers(false);
  } else if (noEffects && HasEffects(master)) {
    master->SkipAudio(demand);
  }
  WriteOutput(out, frames);
  return 1;
}

void CAudioTrackList::RenderTrackForMix(void* context, size_t index) {
  const auto& job = *static_cast<const MixJob*>(context);
  ZelmoSetThreadRunsWorkers(job.workersHere);
  job.list->mixOrder_[index]->RenderForMix(job.position, job.frames, job.soloActive, job.bypass);
  ZelmoSetThreadRunsWorkers(false);
}

void CAudioTrackList::SetMixThreads(unsigned threads) {
  workers_.reset();
  if (threads > 0) workers_ = std::make_unique<CMixWorkers>(threads);
}

unsigned CAudioTrackList::GetMixThreads() const { return workers_ ? workers_->GetThreadCount() : 0; }

int CAudioTrackList::ResetPlayback() {
  platform::CLock lock(lock_);
  for (const auto& t : tracks_) t->ResetPlayback();
  return 1;
}

CAudioTrack* CAudioTrackList::RenderTarget(const int16_t* out, int index, const int lines[3]) const {
  if (!out) {
    ReportError(__FILE__, lines[0], "");
    return nullptr;
  }
  if (!mixBlock_.IsReserved()) {
    ReportError(__FILE__, lines[1], "");
    return nullptr;
  }
  return TrackAt(index, lines[2]);
}

// Under the lock from the prefetch to the copy out, so a render never meets
// the mixer in the mix block.
int CAudioTrackList::RenderAlone(CAudioTrack& track, int16_t* out, uint32_t position, uint32_t frames,
                                 bool selectedOnly) {
  platform::CLock lock(lock_);
  frames = FitMix(frames);
  track.SetBlockFrames(frames);
  int16_t* mix = GetMixBlock();
  std::memset(mix, 0, static_cast<size_t>(frames) * kFrameBytes);
  if (selectedOnly) {
    track.PrefetchSelected(position, frames);
    track.RenderSelectedInto(mix, position, frames);
  } else {
    track.PrefetchAll(position, frames);
    track.RenderInto(mix, position, frames);
  }
  std::memcpy(out, mix, static_cast<size_t>(frames) * kFrameBytes);
  return 1;
}

int CAudioTrackList::RenderTrack(int index, int16_t* out, uint32_t position, uint32_t frames) {
  static constexpr int kLines[3] = {kLineRenderNoOut, kLineRenderNoMix, kLineRenderNoTrack};
  CAudioTrack* track = RenderTarget(out, index, kLines);
  return track ? RenderAlone(*track, out, position, frames, false) : 3;
}

int CAudioTrackList::RenderTrackSelected(int index, int16_t* out, uint32_t position, uint32_t frames) {
  static constexpr int kLines[3] = {kLineSelectedNoOut, kLineSelectedNoMix, kLineSelectedNoTrack};
  CAudioTrack* track = RenderTarget(out, index, kLines);
  if (!track) return 3;
  if (track->GetType() == CAudioTrack::kTypeLoopBased) return 0;
  return RenderAlone(*track, out, position, frames, true);
}

int CAudioTrackList::RenderSnippetWithEffects(int index, uint32_t snippetIdentifier, int16_t* out,
                                              uint32_t position, uint32_t frames) {
  static constexpr int kLines[3] = {kLineSnippetNoOut, kLineSnippetNoMix, kLineSnippetNoTrack};
  CAudioTrack* track = RenderTarget(out, index, kLines);
  if (!track) return 3;
  platform::CLock lock(lock_);
  const int32_t noEffects = bypass;
  CZelmo* master = MasterChain();
  const bool masterEffects = !noEffects && HasEffects(master);
  frames = FitBlock(frames);
  FollowDeviceBlock(frames, masterEffects ? master : nullptr);
  uint32_t demand = frames;
  if (masterEffects) demand = FitMix(std::max(frames, master->GetMinSamplesNeededForOutput()));
  int16_t* mix = GetMixBlock();
  std::memset(mix, 0, static_cast<size_t>(demand) * kFrameBytes);
  track->PrefetchSnippetWithEffects(snippetIdentifier, position, demand, globalPitch, noEffects);
  track->RenderSnippetWithEffects(snippetIdentifier, mix, position, demand, noEffects);
  if (masterEffects) master->ProcessAudio(mix, demand);
  WriteOutput(out, frames);
  return 1;
}

int CAudioTrackList::SetTempo(float projectTempo, uint32_t lastEnd) {
  // Refused with one report, and nothing changes: a tempo that is not a
  // finite positive number (a damaged project file) would move every snippet
  // to frame 0 for good.
  if (!IsPlayableTempo(projectTempo)) {
    ReportError(__FILE__, kLineTempoZero,
                projectTempo == 0.0f ? kDivideByZero : "A tempo must be a finite number above zero.");
    return 0;
  }
  // Every new place worked out once and checked before a snippet moves: a
  // refused change leaves each exactly where it was.
  struct Planned {
    CAudioSnippet* snippet;
    bool timed;
    SnippetTiming timing;
  };
  std::vector<Planned> planned;
  uint64_t newEnd = 0;
  for (const auto& t : tracks_) {
    for (const auto& s : t->Snippets().Snippets()) {
      Planned p{s.get(), false, {}};
      p.timed = s->TimingAt(projectTempo, &p.timing);
      newEnd = std::max<uint64_t>(newEnd, p.timed ? p.timing.End() : s->end);
      planned.push_back(p);
    }
  }
  if (newEnd > lastEnd) return kTempoPastLastEnd;
  platform::CLock lock(lock_);
  for (const Planned& p : planned) {
    if (p.timed) {
      p.snippet->ApplyTiming(p.timing, projectTempo);
    } else {
      p.snippet->SetTempo(projectTempo);  // reported there; the snippet keeps its timing
    }
  }
  for (const auto& t : tracks_) {
    // Rounding may reorder snippets a frame apart; the layering walk needs start order.
    t->Snippets().SortByStart();
    t->Snippets().RecomputeExtent();
  }
  const uint32_t end = static_cast<uint32_t>(newEnd);
  const uint32_t change = end > projectEnd ? end - projectEnd : projectEnd - end;
  if (projectTempo > tempo) {
    // The project shrank: pull the view's end in, unless the view would get too narrow.
    if (viewWidth >= change && viewWidth - change >= kMinViewFrames) viewEnd -= change;
  } else {
    viewEnd += change;
  }
  viewWidth = viewEnd - viewStart;
  projectEnd = end;
  tempo = projectTempo;
  return 0;
}

void CAudioTrackList::SetTailSeconds(uint32_t seconds) {
  tailSeconds = seconds;
  tailFrames = seconds * kFramesPerSecond;
}

int CAudioTrackList::Reset() {
  platform::CLock lock(lock_);
  for (const auto& t : tracks_) t->Clear();
  bypass = 0;
  playing = 1;
  for (auto& chain : parked_) {
    if (chain) chain->RemoveAllEffects();
    chain.reset();
  }
  tempo = 120.0f;
  viewStart = viewEnd = viewWidth = 0;
  projectEnd = 0;
  globalPitch = 0.0f;
  masterLeftGain = 1.0f;
  masterRightGain = 1.0f;
  soloActive = 0;
  beatsPerBarChoice = 0;
  return 0;
}

int CAudioTrackList::SetTrackType(int index, int32_t type) {
  CAudioTrack* track = TrackAt(index, kLineSetTypeNoTrack);
  if (!track) return 3;
  track->SetType(type);
  return 1;
}

int32_t CAudioTrackList::GetTrackType(int index) const {
  CAudioTrack* track = TrackAt(index, kLineGetTypeNoTrack);
  return track ? track->GetType() : 0;
}

int CAudioTrackList::SetTrackGains(int index, float left, float right) {
  CAudioTrack* track = TrackAt(index, kLineSetGainsNoTrack);
  if (!track) return 3;
  track->leftGain = left;
  track->rightGain = right;
  return 1;
}

int CAudioTrackList::GetTrackGains(int index, float* left, float* right) const {
  CAudioTrack* track = TrackAt(index, kLineGetGainsNoTrack);
  if (!track) return 0;
  if (left) *left = track->leftGain;
  if (right) *right = track->rightGain;
  return 1;
}

int CAudioTrackList::SetTrackColors(int index, const TrackColorSet& colors) {
  CAudioTrack* track = TrackAt(index, __LINE__);
  if (!track) return 3;
  track->colors = colors;
  return 1;
}

int CAudioTrackList::GetTrackColors(int index, TrackColorSet* colors) const {
  CAudioTrack* track = TrackAt(index, __LINE__);
  if (!track) return 0;
  if (colors) *colors = track->colors;
  return 1;
}

int CAudioTrackList::SetTrackRect(int index, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  CAudioTrack* track = TrackAt(index, kLineRectNoTrack);
  if (!track) return 0;
  track->screenRect = ScreenRect{left, top, right, bottom};
  return 1;
}

void CAudioTrackList::SelectTrack(int index) {
  for (const auto& t : tracks_) t->selected = t->index == index ? 1 : 0;
}

int CAudioTrackList::GetSelectedTrackIndex() const {
  for (const auto& t : tracks_) {
    if (t->selected) return t->index;
  }
  return 0;
}

int CAudioTrackList::FindTrackOfSnippet(uint32_t snippetIdentifier) const {
  for (const auto& t : tracks_) {
    if (t->Snippets().ContainsSnippet(snippetIdentifier)) return t->index;
  }
  return -1;
}

int CAudioTrackList::FindSnippet(int index, uint32_t snippetIdentifier, std::shared_ptr<CAudioSnippet>* out) const {
  CAudioTrack* track = TrackAt(index, 0);
  if (!track) {
    if (out) out->reset();
    return 0;
  }
  return track->Snippets().FindSnippet(snippetIdentifier, out) == 1 ? 1 : 0;
}

int CAudioTrackList::HitTestSnippet(int32_t x, int32_t y, std::shared_ptr<CAudioSnippet>* out) const {
  for (const auto& t : tracks_) {
    if (t->Snippets().HitTest(x, y, out) == 1) return 1;
  }
  if (out) out->reset();
  return 0;
}

int CAudioTrackList::AddSnippetToTrack(std::shared_ptr<CAudioSnippet> snippet, int index) {
  CAudioTrack* track = TrackAt(index, kLineAddSnippetNoTrack);
  if (!track) return 3;
  const int result = track->AddSnippet(std::move(snippet));
  projectEnd = std::max(projectEnd, track->Snippets().GetLastEnd());
  return result;
}

int CAudioTrackList::AddSnippetsToTrack(const std::vector<std::shared_ptr<CAudioSnippet>>& snippets, int index) {
  CAudioTrack* track = TrackAt(index, kLineAddSnippetNoTrack);
  if (!track) return 3;
  const int result = track->AddSnippets(snippets);
  projectEnd = std::max(projectEnd, track->Snippets().GetLastEnd());
  return result;
}

int CAudioTrackList::RemoveSnippet(int index, uint32_t snippetIdentifier) {
  CAudioTrack* track = TrackAt(index, kLineRemoveSnippetNoTrack);
  if (!track) return 3;
  track->Snippets().RemoveSnippet(snippetIdentifier);
  return 1;
}

int CAudioTrackList::RemoveAllSnippetNodes() {
  for (const auto& t : tracks_) t->Snippets().RemoveAllNodes();
  return 0;
}

int CAudioTrackList::DeselectAllSnippets() {
  for (const auto& t : tracks_) t->DeselectAll();
  return 0;
}

int CAudioTrackList::DeselectSnippetsExceptTrack(int index) {
  for (const auto& t : tracks_) {
    if (t->index != index) t->DeselectAll();
  }
  return 0;
}

int CAudioTrackList::SelectAllSnippetsOfTrack(int index) {
  CAudioTrack* track = TrackAt(index, kLineSelectAllOfTrack);
  if (!track) return 3;
  track->SelectAll();
  return 0;
}

int CAudioTrackList::SetSelectionAnchor(int index, uint32_t snippetIdentifier) {
  CAudioTrack* track = TrackAt(index, kLineSetAnchor);
  if (!track) return 3;
  track->SetSelectionAnchor(snippetIdentifier);
  return 0;
}

int CAudioTrackList::SelectSnippet(int index, uint32_t snippetIdentifier) {
  CAudioTrack* track = TrackAt(index, kLineSelectSnippet);
  if (!track) return 3;
  return track->SelectSnippet(snippetIdentifier);
}

int CAudioTrackList::DeselectUnselectedTracks() {
  for (const auto& t : tracks_) {
    if (!t->selected) t->DeselectAll();
  }
  return 0;
}

int CAudioTrackList::GetSelectionMoveLimits(uint32_t* lowest, uint32_t* highest, uint32_t* firstStart,
                                            uint32_t* lastEnd) {
  CAudioTrack* track = SelectedTrack();
  if (!track) return 3;
  return track->GetSelectionMoveLimits(lowest, highest, firstStart, lastEnd);
}

int CAudioTrackList::MoveSelectedTo(uint32_t frame) {
  CAudioTrack* track = SelectedTrack();
  if (!track) return 3;
  const int result = track->MoveSelectedTo(frame);
  RecomputeProjectEnd();
  return result;
}

int CAudioTrackList::MoveMatchingTo(const CAudioTrackList* other, uint32_t frame) {
  if (!other) return Fault(kLineMatchingNoOther);
  int result = 0;
  for (const auto& o : other->tracks_) {
    CAudioTrack* track = TrackAt(o->index, 0);
    if (track && track->MoveMatchingTo(frame, o.get()) == 3) result = 3;
  }
  RecomputeProjectEnd();
  return result;
}

int CAudioTrackList::MoveAllTo(uint32_t frame) {
  for (const auto& t : tracks_) t->MoveAllTo(frame);
  RecomputeProjectEnd();
  return 0;
}

int CAudioTrackList::AlignTracksTo(const CAudioTrackList* other) {
  if (!other) return Fault(kLineAlignNoOther);
  for (const auto& o : other->tracks_) {
    CAudioTrack* track = TrackAt(o->index, 0);
    const uint32_t first = o->GetFirstStart();
    if (track && first != CAudioSnippetList::kNoStart && track->Snippets().GetCount()) track->MoveAllTo(first);
  }
  RecomputeProjectEnd();
  return 1;
}

CAudioTrack* CAudioTrackList::TrackFor(CAudioTrackList* other, int index, int line) {
  CAudioTrack* track = other->TrackAt(index, 0);
  if (track) return track;
  std::unique_ptr<CAudioTrack> made(new (std::nothrow) CAudioTrack(CAudioSnippetList::kModeSnapshot));
  if (!made) {
    ReportError(__FILE__, line, "");
    return nullptr;
  }
  made->index = static_cast<int16_t>(index);
  track = made.get();
  if (other->AddTrack(std::move(made)) != 1) return nullptr;
  return track;
}

int CAudioTrackList::SelectedInto(CAudioTrackList* other, bool plainCopies, const int lines[3]) const {
  if (!other) return Fault(lines[0]);
  CAudioTrack* track = TrackAt(GetSelectedTrackIndex(), lines[1]);
  if (!track) return 3;
  CAudioTrack* target = TrackFor(other, track->index, lines[2]);
  if (!target) return 3;
  target->selected = 1;
  const int result = plainCopies ? track->CopySelectedSnippetsTo(target) : track->AddSelectedSnippetsTo(target);
  if (result != 1) return 3;
  target->SetType(track->GetType());
  other->projectEnd = std::max(other->projectEnd, target->Snippets().GetLastEnd());
  return 0;
}

int CAudioTrackList::ShareSelectedInto(CAudioTrackList* other) const {
  static constexpr int kLines[3] = {kLineShareNoOther, kLineShareNoTrack, kLineShareNoMemory};
  return SelectedInto(other, false, kLines);
}

int CAudioTrackList::CopySelectedInto(CAudioTrackList* other) const {
  static constexpr int kLines[3] = {kLineCopySelectedNoOther, kLineCopySelectedNoTrack, kLineCopySelectedNoMemory};
  return SelectedInto(other, true, kLines);
}

int CAudioTrackList::CopyInto(CAudioTrackList* other) const {
  if (!other) return Fault(kLineCopyNoOther);
  other->projectEnd = 0;
  for (const auto& t : tracks_) {
    CAudioTrack* target = TrackFor(other, t->index, kLineCopyNoMemory);
    if (!target) return 3;
    if (t->CopyTo(target) != 1) return 3;
    other->projectEnd = std::max(other->projectEnd, target->Snippets().GetLastEnd());
  }
  return 0;
}

int CAudioTrackList::CopyTrackInto(int index, CAudioTrackList* other) const {
  return TrackInto(index, other, false);
}

int CAudioTrackList::CopyTrackPlainInto(int index, CAudioTrackList* other) const {
  return TrackInto(index, other, true);
}

int CAudioTrackList::TrackInto(int index, CAudioTrackList* other, bool plainCopies) const {
  if (!other) return Fault(kLineCopyTrackNoOther);
  CAudioTrack* track = TrackAt(index, kLineCopyTrackNoTrack);
  if (!track) return 3;
  CAudioTrack* target = TrackFor(other, index, kLineCopyTrackNoMemory);
  if (!target) return 3;
  if ((plainCopies ? track->CopyPlainTo(target) : track->CopyTo(target)) != 1) return 3;
  other->projectEnd = std::max(other->projectEnd, target->Snippets().GetLastEnd());
  return 1;
}

int CAudioTrackList::RemoveSnippetsOf(const CAudioTrackList* other) {
  if (!other) return Fault(kLineRemoveOfNoOther);
  for (const auto& t : tracks_) {
    for (const auto& o : other->tracks_) t->RemoveSnippetsOf(o.get());
  }
  return 1;
}

int CAudioTrackList::MergeFrom(const CAudioTrackList* other) {
  if (!other) return Fault(kLineMergeNoOther);
  for (const auto& o : other->tracks_) {
    for (const auto& t : tracks_) t->MergeFrom(o.get());
    projectEnd = std::max(projectEnd, o->Snippets().GetLastEnd());
  }
  return 1;
}

int CAudioTrackList::DetachTracksFor(CAudioTrackList* other) {
  if (!other) return Fault(kLineDetachNoOther);
  for (const auto& o : other->tracks_) {
    CAudioTrack* track = TrackAt(o->index, 0);
    if (!track) continue;
    track->Snippets().RemoveAllNodes();
    track->description.clear();
    track->leftGain = 1.0f;
    track->rightGain = 1.0f;
    track->Snippets().trackPitch = 0.0f;
    // Parked in the record's own list, so each record keeps its own chain.
    if (HoldsChainOf(chains_, o->index)) other->parked_[o->index] = std::move((*chains_)[o->index + 1]);
  }
  return 0;
}

int CAudioTrackList::ReattachTracksFrom(CAudioTrackList* other) {
  if (!other) return Fault(kLineReattachNoOther);
  for (const auto& o : other->tracks_) {
    CAudioTrack* track = TrackAt(o->index, 0);
    if (!track) continue;
    track->MergeFrom(o.get());
    track->SetType(o->GetType());
    track->description = o->description;
    track->leftGain = o->leftGain.load();
    track->rightGain = o->rightGain.load();
    track->Snippets().trackPitch = o->Snippets().trackPitch;
    if (HoldsChainOf(chains_, o->index)) (*chains_)[o->index + 1] = std::move(other->parked_[o->index]);
  }
  RecomputeProjectEnd();
  return 0;
}

int CAudioTrackList::UpdateSoloState() {
  int32_t any = 0;
  for (const auto& t : tracks_) any |= t->solo ? 1 : 0;
  soloActive = any;
  return 0;
}

int CAudioTrackList::CountArmedTracks() const {
  int count = 0;
  for (const auto& t : tracks_) count += t->armed ? 1 : 0;
  return count;
}

int CAudioTrackList::ToggleArm(int index) {
  CAudioTrack* track = TrackAt(index, kLineToggleArmNoTrack);
  if (!track) return 3;
  if (track->armed) {
    track->armed = 0;
    return 0;
  }
  track->armed = 1;
  track->recordingSlot = CAudioTrack::kSlotsTaken;
  for (int slot = 1; slot <= kRecordingSlots; ++slot) {
    const bool held = std::any_of(tracks_.begin(), tracks_.end(), [&](const std::unique_ptr<CAudioTrack>& t) {
      return t.get() != track && t->armed && t->recordingSlot == slot;
    });
    if (!held) {
      track->recordingSlot = slot;
      break;
    }
  }
  return 1;
}

int CAudioTrackList::ToggleMute(int index) {
  CAudioTrack* track = TrackAt(index, kLineToggleMuteNoTrack);
  return track ? track->ToggleMute() : 3;
}

int CAudioTrackList::ToggleSolo(int index) {
  CAudioTrack* track = TrackAt(index, kLineToggleSoloNoTrack);
  return track ? track->ToggleSolo() : 3;
}

uint32_t CAudioTrackList::GetFirstStart() const {
  if (tracks_.empty()) return 0;
  uint32_t first = 0xFFFFFFFF;
  for (const auto& t : tracks_) first = std::min(first, t->Snippets().GetExtentStart());
  return first;
}

uint32_t CAudioTrackList::GetLastEnd() const {
  uint32_t last = 0;
  for (const auto& t : tracks_) last = std::max(last, t->Snippets().GetLastEnd());
  return last;
}

uint32_t CAudioTrackList::GetFirstSnippetStart() const {
  uint32_t first = CAudioSnippetList::kNoStart;
  for (const auto& t : tracks_) first = std::min(first, t->GetFirstStart());
  return first == CAudioSnippetList::kNoStart ? 0 : first;
}

int CAudioTrackList::RecomputeProjectEnd() {
  uint32_t last = 0;
  for (const auto& t : tracks_) last = std::max(last, t->Snippets().GetLastEnd());
  projectEnd = last;
  return 0;
}

int CAudioTrackList::RecomputeTrackExtent(int index) {
  CAudioTrack* track = TrackAt(index, __LINE__);
  if (!track) return 3;
  track->Snippets().RecomputeExtent();
  return 1;
}

uint32_t CAudioTrackList::GetTrackLength(int index) const {
  CAudioTrack* track = TrackAt(index, __LINE__);
  return track ? track->Snippets().GetExtentLength() : 0;
}

int CAudioTrackList::HasStereoSnippet() const {
  for (const auto& t : tracks_) {
    if (t->HasStereoSource() == 1) return 1;
  }
  return 0;
}

bool CAudioTrackList::IsLoopInUse(uint32_t loopIdentifier) const {
  return std::any_of(tracks_.begin(), tracks_.end(),
                     [loopIdentifier](const std::unique_ptr<CAudioTrack>& t) { return t->UsesLoop(loopIdentifier); });
}

uint16_t CAudioTrackList::CountSelectedSnippets() const {
  CAudioTrack* track = SelectedTrack();
  return track ? track->CountSelected() : 0;
}

int CAudioTrackList::GetTrackHistory(int index, int slot, uint32_t frame, int16_t* destination,
                                     uint32_t frames) const {
  CAudioTrack* track = TrackAt(index, kLineHistoryNoTrack);
  if (!track) return 3;
  return track->GetRingHistory(slot, frame, destination, frames);
}
