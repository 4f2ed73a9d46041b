// Saving a project: its audio moved into the data folder, the model captured
// as a file image, and the file replaced in one step.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include "AudioSnippetLoop.h"
#include "File.h"
#include "FileReplace.h"
#include "Folders.h"
#include "Generic.h"
#include "pro.h"

namespace {

constexpr size_t kMaxPathBytes = qvk::kPathBytes - 1;
constexpr const char* kTemporarySuffix = ".tmp";

std::function<bool(const std::string&)>& ReplaceFaultHook() {
  static std::function<bool(const std::string&)> hook;
  return hook;
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SyncPath(const std::string& path, bool folder) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0 || (folder && errno == EINVAL);
  ::close(fd);
  return synced;
}

bool CopyFileSynced(const std::string& from, const std::string& to) {
  platform::CFile in, out;
  if (!in.Open(from, platform::CFile::Mode::Read) || !out.Open(to, platform::CFile::Mode::Create)) return false;
  std::vector<uint8_t> block(1 << 20);
  for (;;) {
    const int64_t got = in.Read(block.data(), block.size());
    if (got < 0) return false;
    if (got == 0) break;
    if (out.Write(block.data(), static_cast<size_t>(got)) != got) return false;
  }
  return out.Flush() && out.Close();
}

// Renames, or across file systems copies and then removes the original.
bool MoveFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return SyncPath(to, false);
  if (errno != EXDEV) return false;
  const std::string part = to + ".part";
  if (!CopyFileSynced(from, part) || ::rename(part.c_str(), to.c_str()) != 0) {
    const int error = errno;
    ::unlink(part.c_str());
    errno = error;
    return false;
  }
  ::unlink(from.c_str());
  return true;
}

// A name in the data folder that no other file has: saved projects may share the folder.
std::string FreeTarget(const std::string& folder, const std::string& name) {
  std::string target = folder + "/" + name;
  const size_t dot = name.find_last_of('.');
  for (int n = 1; platform::FileExists(target); ++n) {
    target = folder + "/" + name.substr(0, dot) + "_" + std::to_string(n) + (dot == std::string::npos ? "" : name.substr(dot));
  }
  return target;
}

ProjectSegmentRecord SegmentRecordOf(const CAudioSegment& segment) {
  ProjectSegmentRecord r;
  r.tempo = segment.tempo;
  r.channels = static_cast<int16_t>(segment.GetChannels());
  r.pcmPath = segment.GetPcmFileName();
  r.pekPath = segment.GetPeakFileName();
  r.state = {segment.length,       segment.viewStart,  segment.viewEnd,   segment.viewWidth,
             segment.trackerStart, segment.trackerEnd, segment.trackerSize, segment.markerStart,
             segment.markerEnd,    segment.markerSize};
  return r;
}

bool CaptureChain(CZelmo* chain, const std::string& name, ProjectChainRecord* out, int32_t* levelsLength,
                  std::string* problem) {
  out->effects.clear();
  *levelsLength = 0;
  if (!chain) return true;
  const short count = chain->NumberOfEffects();
  if (count > qvk::kChainSlots) {
    *problem = name + " hold more than 10 effects";
    return false;
  }
  bool lengthTaken = false;
  for (short i = 0; i < count; ++i) {
    ProjectEffectSlot slot;
    unsigned int type = 0;
    chain->GetEffectType(i, &type);
    slot.type = static_cast<int32_t>(type);
    slot.bypass = chain->GetEffectBypass(i);
    EffectParameters p;
    chain->GetEffectParameters(i, EffectParameterRecord(slot.type, &p));
    EncodeEffectParameters(slot.type, p, slot.parameters.data());
    if (type == ZelmoLevels) {
      // Every levels effect of a chain is given the one length the file keeps per chain.
      if (!lengthTaken) *levelsLength = static_cast<int32_t>(p.levels.projectLength);
      lengthTaken = true;
      slot.channelsIndependent = chain->GetLevelsChannelsIndependent(i) ? 1 : 0;
      for (unsigned int channel = 1; channel <= (slot.channelsIndependent ? 2u : 1u); ++channel) {
        std::vector<Zelmo_Level_Entry>& points = channel == 1 ? slot.points1 : slot.points2;
        chain->InitGetAllLevelEntries(i, channel);
        Zelmo_Level_Entry* entry = nullptr;
        while (chain->GetNextLevelEntry(i, &entry, channel) == 1 && entry) points.push_back(*entry);
      }
    }
    out->effects.push_back(std::move(slot));
  }
  return true;
}

}  // namespace

void SetReplaceFaultHookForTest(std::function<bool(const std::string&)> hook) { ReplaceFaultHook() = std::move(hook); }

bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
  // Through a link: the file it names, so that the link stays and that file gets the save.
  const std::string target = platform::ReplacedFile(path);
  const std::string folder = platform::FolderOfPath(target);
  const std::string prefix =
      platform::FittingUniquePrefix(folder, std::string(".").append(NameOf(target)).append("."), kTemporarySuffix);
  // What a killed save of this file left beside it.
  platform::RemoveAbandonedUniqueFiles(folder, prefix, kTemporarySuffix);
  const std::string temporary = platform::MakeUniqueFile(folder, prefix, kTemporarySuffix);
  if (temporary.empty()) return false;
  platform::CTemporaryFileGuard guard(temporary);
  platform::CFile file;
  if (!file.Open(temporary, platform::CFile::Mode::Create)) return false;
  for (size_t done = 0; done < bytes.size();) {
    const int64_t wrote = file.Write(bytes.data() + done, bytes.size() - done);
    if (wrote <= 0) {
      if (wrote == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  if (!file.Close()) return false;
  if (ReplaceFaultHook() && !ReplaceFaultHook()(temporary)) {
    errno = EIO;
    return false;
  }
  if (!platform::ReplaceFileWith(temporary, target)) return false;
  guard.Release();
  return true;
}

std::set<CAudioSegment*> CProApp::ProjectSegments() {
  std::set<CAudioSegment*> named;
  std::shared_ptr<CAudioLoop> loop;
  loopBank.ResetIterator();
  while (loopBank.GetNextLoop(&loop) == 1) {
    if (loop->Segment()) named.insert(loop->Segment());
  }
  for (int t = 0; t < qvk::kTracks; ++t) {
    CAudioTrack* track = nullptr;
    if (project.FindTrack(t, &track) != 1 || !track) continue;
    for (const auto& snippet : track->Snippets().Snippets()) {
      if (auto* extended = dynamic_cast<CAudioSnippetExtended*>(snippet.get()); extended && extended->Segment()) {
        named.insert(extended->Segment());
      }
    }
  }
  if (editorSource == EditorSourceIndependent && editorSegment) named.insert(editorSegment.get());
  return named;
}

bool CProApp::MoveAudioToDataFolder(std::string* problem) {
  const std::set<CAudioSegment*> named = ProjectSegments();

  std::set<const CAudioSegment*> unresolved;
  for (const UnresolvedAudio& u : unresolvedAudio_) {
    if (auto segment = u.segment.lock()) unresolved.insert(segment.get());
  }
  // Old path -> new path.
  std::map<std::string, std::string> moves;
  for (CAudioSegment* segment : named) {
    if (unresolved.count(segment)) continue;  // placeholders of audio found nowhere stay where they are
    for (const std::string* path : {&segment->GetPcmFileName(), &segment->GetPeakFileName()}) {
      if (platform::FolderOfPath(*path) != tempFolder || !platform::FileExists(*path) || moves.count(*path)) continue;
      std::string target = FreeTarget(dataFolder, NameOf(*path));
      if (target.size() > kMaxPathBytes) {
        *problem = "the audio file path " + target + " is longer than 260 bytes";
        return false;
      }
      moves[*path] = target;
    }
  }
  if (!moves.empty()) platform::CreateFolder(dataFolder);  // made at start; the user may have removed it since
  for (const auto& [from, to] : moves) {
    if (!MoveFile(from, to)) {
      *problem = "its audio file " + from + " could not be moved to " + to + " (" + std::strerror(errno) + ")";
      return false;
    }
    // Every holder follows, not only the project: an undo record, a clipboard or
    // the editor may share the file through a segment of its own.
    CAudioSegment::FollowMove(from, to);
  }
  // The moves themselves must be on disk before a project that names the new places is.
  if (!moves.empty()) SyncPath(dataFolder, true);
  return true;
}

bool CProApp::CaptureProjectImage(ProjectImage* image, std::string* problem) {
  *image = ProjectImage{};
  image->tags = projectTags;
  image->tempo = project.tempo;
  image->pitch = project.globalPitch;
  image->masterGainLeft = project.masterLeftGain;
  image->masterGainRight = project.masterRightGain;
  image->viewStart = static_cast<int32_t>(project.viewStart);
  image->viewEnd = static_cast<int32_t>(project.viewEnd);
  image->viewSpan = static_cast<int32_t>(project.viewWidth);
  image->soloActive = project.soloActive;
  image->bypassAll = project.bypass;
  if (!CaptureChain(effectChains[0].get(), "the master effects", &image->masterChain, &image->masterLevelsLength,
                    problem)) {
    return false;
  }
  auto recordOf = [this](const CAudioSegment& segment) {
    ProjectSegmentRecord r = SegmentRecordOf(segment);
    for (const UnresolvedAudio& u : unresolvedAudio_) {
      if (u.segment.lock().get() != &segment) continue;
      // Saved with the names it had, so that the audio is found when it is back.
      if (u.pcmMissing) r.pcmPath = u.pcmPath;
      if (u.pekMissing) r.pekPath = u.pekPath;
    }
    return r;
  };
  std::shared_ptr<CAudioLoop> loop;
  loopBank.ResetIterator();
  while (loopBank.GetNextLoop(&loop) == 1) {
    if (!loop->Segment()) continue;
    ProjectLoopRecord record;
    record.number = loop->loopNumber;
    record.measures = loop->GetMeasures();
    record.loopWord = loop->selected;
    record.title = loop->GetTitle();
    record.segment = recordOf(*loop->Segment());
    image->loops.push_back(std::move(record));
  }
  for (int t = 0; t < qvk::kTracks; ++t) {
    CAudioTrack* track = nullptr;
    if (project.FindTrack(t, &track) != 1 || !track) continue;
    ProjectTrackRecord& record = image->tracks[t];
    record.type = static_cast<int16_t>(track->GetType());
    record.description = track->description;
    record.pitch = track->Snippets().trackPitch;
    record.gainLeft = track->leftGain;
    record.gainRight = track->rightGain;
    record.armed = track->armed;
    record.solo = track->solo;
    record.mute = track->mute;
    record.selected = track->selected;
    record.recordSlot = track->recordingSlot;
    record.colors = track->colors;
    CZelmo* chain = effectChains[1 + t].get();
    record.chainBypass = chain ? chain->GetBypass() : 0;
    if (!CaptureChain(chain, "the effects of track " + std::to_string(t + 1), &record.chain, &record.levelsLength,
                      problem)) {
      return false;
    }
    // In layer order: a reader gives later records the higher layers, so the stacking survives.
    std::vector<std::shared_ptr<CAudioSnippet>> snippets = track->Snippets().Snippets();
    std::stable_sort(snippets.begin(), snippets.end(), [](const auto& a, const auto& b) { return a->layer < b->layer; });
    for (const auto& snippet : snippets) {
      ProjectSnippetRecord s;
      s.savedId = static_cast<int32_t>(snippet->GetIdentifier());
      s.selected = snippet->selected;
      s.tempo = snippet->tempo;
      s.ratio = snippet->ratio;
      s.start = static_cast<int32_t>(snippet->start);
      s.end = static_cast<int32_t>(snippet->end);
      s.length = static_cast<int32_t>(snippet->length);
      s.carry = snippet->carry;
      if (auto* extended = dynamic_cast<CAudioSnippetExtended*>(snippet.get())) {
        if (!extended->Segment()) continue;
        s.kind = 1;
        s.segment = recordOf(*extended->Segment());
      } else if (auto* looped = dynamic_cast<CAudioSnippetLoop*>(snippet.get())) {
        std::shared_ptr<CAudioLoop> inBank;
        if (!looped->GetLoop() || loopBank.FindLoop(looped->GetLoop()->loopNumber, &inBank) != 1 ||
            inBank.get() != looped->GetLoop()) {
          *problem = "a loop snippet on track " + std::to_string(t + 1) + " plays a loop that is not in the Loop Bank";
          return false;
        }
        s.kind = 0;
        s.loopNumber = looped->GetLoop()->loopNumber;
      } else {
        continue;  // a snippet without audio of its own is nothing a project holds
      }
      record.snippets.push_back(std::move(s));
    }
  }
  ProjectEditorRecord& editor = image->editor;
  if (editorSource == EditorSourceIndependent && editorSegment) {
    editor.source = qvk::kEditorIndependent;
    editor.segment = recordOf(*editorSegment);
  } else if (editorSource == EditorSourceSnippet && editorSnippet) {
    editor.source = qvk::kEditorSnippet;
    editor.savedSnippetId = static_cast<int32_t>(editorSnippet->GetIdentifier());
    editor.trackIndex = editorTrackIndex;
  } else if (editorSource == EditorSourceLoop && editorLoop) {
    editor.source = qvk::kEditorLoop;
    editor.loopNumber = editorLoop->loopNumber;
  }
  return true;
}

int CProApp::SaveProject(const std::string& given) {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  const std::string path = platform::AbsolutePath(given);
  // The user keeps this file as it is: nothing moves, and another name is offered.
  if (platform::IsReadOnlyFile(platform::ReplacedFile(path))) {
    if (services.ui.MessageBox(ReadOnlyProjectText(path), ui::Icon::Information, ui::Buttons::YesNo) ==
        ui::kAnswerYes) {
      return OnFileSaveAs();
    }
    return status::kCancelled;
  }
  std::string problem;
  ProjectImage image;
  std::vector<uint8_t> bytes;
  bool saved = MoveAudioToDataFolder(&problem) && CaptureProjectImage(&image, &problem) &&
               SerializeProject(image, &bytes, &problem);
  if (saved && !WriteFileReplacing(path, bytes)) {
    problem = std::string("it could not be written (") + std::strerror(errno) + ")";
    saved = false;
  }
  if (!saved) {
    services.ui.MessageBox("The project was not saved to " + path + ": " + problem +
                               ". The file there is as it was before.",
                           ui::Icon::Error);
    return status::kFaultReported;
  }
  // The audio it names is never deleted at exit, whatever this run does with it later.
  auto keep = [this](const ProjectSegmentRecord& segment) {
    savedAudio_.insert(segment.pcmPath);
    savedAudio_.insert(segment.pekPath);
  };
  for (const ProjectLoopRecord& loop : image.loops) keep(loop.segment);
  for (const ProjectTrackRecord& track : image.tracks) {
    for (const ProjectSnippetRecord& snippet : track.snippets) {
      if (snippet.kind == 1) keep(snippet.segment);
    }
  }
  if (image.editor.source == qvk::kEditorIndependent) keep(image.editor.segment);
  projectPath = path;
  modified = 0;
  SetDocumentTitle(ProjectTitleOf(path));
  ++saves_;
  return status::kDone;
}
