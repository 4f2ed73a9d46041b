// Loading a ".qvk" project: the checked file image turned into loops, tracks,
// snippets, effect chains, level points and the Audio Editor's source.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "AudioPathResolver.h"
#include "AudioSnippetLoop.h"
#include "File.h"
#include "FileReplace.h"
#include "Folders.h"
#include "Generic.h"
#include "pro.h"

namespace {

constexpr const char* kSource = "pro";
constexpr int kLineNoView = 18833;
constexpr int kLineNoTrack = 18969;
constexpr int kLineNoChain = 19118;
constexpr int kLineNoMasterChain = 19229;

constexpr short kNoEffect = 999;  // AddEffect leaves the number alone when it adds nothing
constexpr uint32_t kChainInputSlackFrames = 16384;
constexpr int kMasterChain = 0;
constexpr uint32_t kLoopReadFrames = 16384;
constexpr size_t kMissingNamesShown = 20;

// The equalizer's bands and transform size, as every chain has made them.
const EqualizerInit kEqualizerInit = {{60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000}, 4096};

void SetPercent(COperationDialog& progress, int percent) {
  progress.SetPercent(percent);
  progress.PumpMessages();
}

// The loops' audio the project plays, in memory (loop snippets never read the disk).
void LoadUsedLoopAudio(CAudioLoopList& bank) {
  std::shared_ptr<CAudioLoop> loop;
  bank.ResetIterator();
  while (bank.GetNextLoop(&loop) == 1) {
    if (loop->useCount == 0 || loop->IsInMemory()) continue;
    void* memory = nullptr;
    CAudioSegment* segment = loop->Segment();
    if (loop->AllocateBuffer(&memory) != 1 || !segment) continue;
    const uint32_t frameBytes = segment->GetChannels() * 2u;
    segment->Seek(0, nullptr);
    for (uint32_t done = 0; done < segment->length;) {
      uint32_t read = 0;
      const uint32_t want = std::min(kLoopReadFrames, segment->length - done);
      if (segment->Read(static_cast<char*>(memory) + size_t{done} * frameBytes, want, &read) != 1 || read == 0) break;
      done += read;
    }
    segment->Close();
  }
}

}  // namespace

void MapStoredPeaks(CAudioSegment& segment) {
  struct stat info;
  const std::string& path = segment.GetPeakFileName();
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) segment.GetPeakFile().Open(0);
}

// What one load needs besides the application.
struct CProApp::ProjectLoadState {
  CAudioPathResolver resolver;
  bool tempFolderMade = false;
  std::vector<std::string> missing;
  std::unordered_map<int, std::shared_ptr<CAudioLoop>> loopsByStoredNumber;
  std::array<std::array<short, qvk::kChainSlots>, kEffectChainCount> effectOfSlot{};
};

bool ReadProjectFile(const std::string& path, ProjectImage* image, std::string* problem) {
  platform::CFile file;
  if (!file.Open(path, platform::CFile::Mode::ReadRegular)) {
    *problem = std::string("it cannot be read (") + std::strerror(errno) + ")";
    return false;
  }
  const int64_t size = file.Size();
  std::vector<uint8_t> bytes(qvk::kHeaderBytes);
  if (size < static_cast<int64_t>(qvk::kHeaderBytes)) {
    return ParseProject(bytes.data(), static_cast<size_t>(std::max<int64_t>(size, 0)), image, problem);
  }
  if (file.ReadAt(bytes.data(), bytes.size(), 0) != static_cast<int64_t>(bytes.size())) {
    *problem = std::string("it cannot be read (") + std::strerror(errno) + ")";
    return false;
  }
  // Only as much as the header's counts need: a huge file of garbage is never read whole.
  const uint64_t required = RequiredProjectBytes(bytes.data(), problem);
  if (required == 0) return false;
  const uint64_t take = std::min<uint64_t>(required, static_cast<uint64_t>(size));
  bytes.resize(static_cast<size_t>(take));
  const int64_t rest = static_cast<int64_t>(take - qvk::kHeaderBytes);
  if (rest > 0 && file.ReadAt(bytes.data() + qvk::kHeaderBytes, static_cast<size_t>(rest),
                              static_cast<int64_t>(qvk::kHeaderBytes)) != rest) {
    *problem = std::string("it cannot be read (") + std::strerror(errno) + ")";
    return false;
  }
  return ParseProject(bytes.data(), bytes.size(), image, problem);
}

int CProApp::LoadProject(const std::string& path) {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineNoView, "");
    return status::kFaultReported;
  }
  ProjectImage image;
  std::string problem;
  if (!ReadProjectFile(path, &image, &problem)) {
    services.ui.Inform(ProjectRefusalText(path, problem));
    return status::kFaultReported;
  }
  ApplyProjectImage(image, platform::FolderOfPath(platform::AbsolutePath(path)));
  return status::kDone;
}

std::shared_ptr<CAudioSegment> CProApp::MakeProjectSegment(const ProjectSegmentRecord& record,
                                                           ProjectLoadState& load) {
  auto segment = load.tempFolderMade ? std::make_shared<CAudioSegment>(tempFolder, CAudioSegment::FolderExists{})
                                     : std::make_shared<CAudioSegment>(tempFolder);
  segment->SetFormat(AudioQuality{44100, static_cast<uint16_t>(record.channels), 16});
  segment->tempo = record.tempo;
  const SegmentState& s = record.state;
  segment->length = s[kStateLength];
  segment->viewStart = s[kStateViewStart];
  segment->viewEnd = s[kStateViewEnd];
  segment->viewWidth = s[kStateViewSpan];
  segment->trackerStart = s[kStateTrackerStart];
  segment->trackerEnd = s[kStateTrackerEnd];
  segment->trackerSize = s[kStateTrackerSize];
  segment->markerStart = s[kStateMarkerStart];
  segment->markerEnd = s[kStateMarkerEnd];
  segment->markerSize = s[kStateMarkerSize];
  const std::string pcm(load.resolver.Find(record.pcmPath));
  const std::string pek(load.resolver.Find(record.pekPath));
  if (pcm.empty() || pek.empty()) {
    unresolvedAudio_.push_back({segment, record.pcmPath, record.pekPath, pcm.empty(), pek.empty()});
    if (pcm.empty()) load.missing.push_back(record.pcmPath);
    if (pek.empty()) load.missing.push_back(record.pekPath);
  }
  // Audio found nowhere plays as silence from an empty file of the segment's own.
  if (pcm.empty()) audioJournal_.Note(segment->GetPcmFileName(), segment->GetPeakFileName(), segment->GetChannels());
  if (pcm.empty()) {
    segment->SetPcmFileName(segment->GetPcmFileName());
  } else {
    segment->SetFoundPcmFileName(pcm);
  }
  // The peak file maps itself when the waveform is first drawn: thousands of
  // snippets would otherwise hold thousands of mappings from the moment of loading.
  if (!pek.empty()) segment->SetPeakFileName(pek);
  return segment;
}

void CProApp::LoadProjectChain(int chainIndex, const ProjectChainRecord& record, int32_t chainBypass,
                               int32_t levelsLength, ProjectLoadState& load) {
  load.effectOfSlot[chainIndex].fill(kNoEffect);
  if (record.effects.empty()) return;
  CZelmo* chain = effectChains[chainIndex].get();
  if (chain) {
    chain->RemoveAllEffects();
  } else {
    auto made = std::make_unique<CZelmo>();
    made->SetSizeOutputBufferSample(static_cast<uint32_t>(bufferFrames));
    made->SetSizeMaxInputBufferSample(static_cast<uint32_t>(bufferFrames) + kChainInputSlackFrames);
    made->SetChannels(2);
    chain = made.get();
    // The player reads the chains under the track list's lock.
    std::lock_guard<platform::CCriticalSection> hold(project.GetLock());
    effectChains[chainIndex] = std::move(made);
  }
  for (size_t i = 0; i < record.effects.size(); ++i) {
    const ProjectEffectSlot& slot = record.effects[i];
    short index = kNoEffect;
    EffectParameters parameters;
    switch (slot.type) {
      case static_cast<int32_t>(ZelmoEcho):
      case static_cast<int32_t>(ZelmoReverb):
      case static_cast<int32_t>(ZelmoChorus):
      case static_cast<int32_t>(ZelmoFlange):
      case static_cast<int32_t>(ZelmoEqualizer): {
        void* init = slot.type == static_cast<int32_t>(ZelmoEqualizer) ? const_cast<EqualizerInit*>(&kEqualizerInit)
                                                                       : nullptr;
        chain->AddEffect(static_cast<ZelmoEffectType>(slot.type), &index, init);
        DecodeEffectParameters(slot.type, slot.parameters.data(), &parameters);
        if (index != kNoEffect) chain->SetEffectParameters(index, EffectParameterRecord(slot.type, &parameters));
        break;
      }
      case static_cast<int32_t>(ZelmoLevels):
        chain->AddEffect(ZelmoLevels, &index, nullptr);
        if (index == kNoEffect) break;
        chain->SetLevelsChannelsIndependent(index, slot.channelsIndependent ? 1 : 0);
        parameters.levels = {0, static_cast<uint32_t>(levelsLength), project.tempo};
        chain->SetEffectParameters(index, &parameters.levels);
        break;
      default:
        break;  // not an effect this program has: the slot is skipped, the others load
    }
    if (index == kNoEffect) continue;
    chain->SetEffectBypass(index, slot.bypass);
    load.effectOfSlot[chainIndex][i] = index;
  }
  chain->SetBypass(chainBypass);
}

void CProApp::LoadProjectPoints(int chainIndex, const ProjectChainRecord& record, ProjectLoadState& load) {
  CZelmo* chain = effectChains[chainIndex].get();
  for (size_t i = 0; i < record.effects.size(); ++i) {
    const ProjectEffectSlot& slot = record.effects[i];
    const short index = load.effectOfSlot[chainIndex][i];
    if (slot.type != static_cast<int32_t>(ZelmoLevels) || index == kNoEffect || !chain) continue;
    // Points go to the effect the slot became, even when skipped slots came before it.
    const unsigned int dependentChannel = chainIndex == kMasterChain ? 1 : 3;
    for (Zelmo_Level_Entry point : slot.points1) {
      chain->AddLevelEntry(index, &point, slot.channelsIndependent ? 1 : dependentChannel);
    }
    if (!slot.channelsIndependent) continue;
    for (Zelmo_Level_Entry point : slot.points2) chain->AddLevelEntry(index, &point, 2);
  }
}

void CProApp::ApplyProjectImage(const ProjectImage& image, const std::string& projectFolder) {
  ProjectLoadState load{CAudioPathResolver({projectFolder, dataFolder, tempFolder}), false, {}, {}, {}};
  // Where the segments are made; it may have been deleted.
  load.tempFolderMade = platform::CreateFolder(tempFolder);
  BeginProgress(progressWindow, project_text::kLoading);
  // A load cannot stop half-way without leaving half a project.
  progressWindow.DisableCancel();
  SetPercent(progressWindow, 0);

  projectTags = image.tags;
  // Stored as it is: the snippets are timed for it already, and re-timing them from 120 would move them.
  project.tempo = image.tempo;

  // Loops, in the order of their numbers so that each takes its place in the bank.
  std::vector<const ProjectLoopRecord*> loops;
  for (const ProjectLoopRecord& loop : image.loops) loops.push_back(&loop);
  std::sort(loops.begin(), loops.end(), [](auto* a, auto* b) { return a->number < b->number; });
  for (size_t i = 0; i < loops.size(); ++i) {
    auto loop = std::make_shared<CAudioLoop>();
    loop->loopNumber = loops[i]->number;
    loop->SetMeasures(loops[i]->measures);
    loop->selected = loops[i]->loopWord;
    loop->SetTitle(loops[i]->title);
    loop->SetSegment(MakeProjectSegment(loops[i]->segment, load));
    loopBank.AddLoop(loop);
    loop->SetColors(config.colorSets[ProConfig::kFirstLoopColorSet + loop->loopNumber]);
    load.loopsByStoredNumber[loops[i]->number] = loop;
    SetPercent(progressWindow, static_cast<int>(static_cast<float>(i) / loops.size() * 25));
  }
  SetPercent(progressWindow, 25);

  project.masterLeftGain = image.masterGainLeft;
  project.masterRightGain = image.masterGainRight;
  project.viewStart = static_cast<uint32_t>(image.viewStart);
  project.viewEnd = static_cast<uint32_t>(image.viewEnd);
  project.viewWidth = static_cast<uint32_t>(image.viewSpan);
  project.soloActive = image.soloActive;
  project.bypass = image.bypassAll;

  const ProjectEditorRecord& editor = image.editor;
  std::shared_ptr<CAudioSnippetExtended> editedSnippet;
  for (int t = 0; t < qvk::kTracks; ++t) {
    const ProjectTrackRecord& record = image.tracks[t];
    project.SetTrackType(t, record.type);
    project.SetTrackGains(t, record.gainLeft, record.gainRight);
    CAudioTrack* track = nullptr;
    if (project.FindTrack(t, &track) != 1 || !track) {
      ReportError(kSource, kLineNoTrack, "");
      continue;
    }
    track->Snippets().trackPitch = record.pitch;
    track->armed = record.armed;
    track->solo = record.solo;
    track->mute = record.mute;
    track->selected = record.selected;
    track->recordingSlot = record.recordSlot;
    track->description = CutText(record.description, CAudioTrack::kMaxDescription);
    track->colors = record.colors;
    std::vector<std::shared_ptr<CAudioSnippet>> snippets;
    for (const ProjectSnippetRecord& s : record.snippets) {
      std::shared_ptr<CAudioSnippet> snippet;
      if (s.IsExtended()) {
        auto extended = std::make_shared<CAudioSnippetExtended>(MakeProjectSegment(s.segment, load));
        if (editor.source == qvk::kEditorSnippet && editor.trackIndex == t && editor.savedSnippetId == s.savedId) {
          editedSnippet = extended;
        }
        snippet = extended;
        snippet->kind = CAudioSnippet::kKindExtended;
      } else {
        snippet = std::make_shared<CAudioSnippetLoop>(load.loopsByStoredNumber.at(s.loopNumber));
        snippet->kind = CAudioSnippet::kKindLoop;
      }
      // Its layer is its identifier, new and rising in file order: later records play on top.
      snippet->tempo = s.tempo;
      snippet->ratio = s.ratio;
      snippet->carry = s.carry;
      snippet->start = static_cast<uint32_t>(s.start);
      snippet->end = static_cast<uint32_t>(s.end);
      snippet->length = static_cast<uint32_t>(s.length);
      snippet->selected = s.selected;
      snippets.push_back(std::move(snippet));
    }
    project.AddSnippetsToTrack(snippets, t);
    LoadProjectChain(1 + t, record.chain, record.chainBypass, record.levelsLength, load);
    SetPercent(progressWindow, 25 + static_cast<int>(t / 24.0f * 50));
  }
  LoadUsedLoopAudio(loopBank);

  SetPercent(progressWindow, 75);
  LoadProjectChain(kMasterChain, image.masterChain, image.bypassAll, image.masterLevelsLength, load);
  LoadProjectPoints(kMasterChain, image.masterChain, load);
  for (int t = 0; t < qvk::kTracks; ++t) {
    LoadProjectPoints(1 + t, image.tracks[t].chain, load);
    SetPercent(progressWindow, 75 + static_cast<int>(t / 24.0f * 25));
  }
  SetPercent(progressWindow, 100);

  // The Audio Editor's source; one that names nothing shows nothing.
  if (editor.source == qvk::kEditorIndependent) {
    SetEditorIndependentAudio(MakeProjectSegment(editor.segment, load));
  } else if (editedSnippet) {
    SetEditorSnippet(editedSnippet, editor.trackIndex);
  } else if (editor.source == qvk::kEditorLoop) {
    // A loop the project plays is not edited: the editor stays empty.
    OpenLoopInEditor(load.loopsByStoredNumber.at(editor.loopNumber));
  } else {
    ClearEditor();
  }

  metronome.SetBPM(project.tempo);
  services.view.SetEditorProjectTempo(project.tempo);
  if (services.view.GetViewMode() != ViewModeTrack) services.view.SwitchView(ViewModeTrack);
  services.view.SetTempoText(project.tempo);
  project.globalPitch = std::clamp(image.pitch, -12.0f, 12.0f);
  services.view.SetPitchText(project.globalPitch);
  project.RecomputeProjectEnd();
  ShowPosition(playCursor);
  ShowLength(project.projectEnd);
  services.view.RefreshCurrentView();
  // The opened project's loops, in the Loop Bank and the Insert Loop menu.
  services.view.RefreshLoopBank();
  progressWindow.End();

  if (!load.missing.empty()) {
    std::sort(load.missing.begin(), load.missing.end());
    load.missing.erase(std::unique(load.missing.begin(), load.missing.end()), load.missing.end());
    std::string text = "Some audio files of this project could not be found; their snippets play silence:";
    for (size_t i = 0; i < load.missing.size() && i < kMissingNamesShown; ++i) text += "\n" + load.missing[i];
    if (load.missing.size() > kMissingNamesShown) {
      text += "\n(and " + std::to_string(load.missing.size() - kMissingNamesShown) + " more)";
    }
    services.ui.MessageBox(text, ui::Icon::Warning);
  }
}
