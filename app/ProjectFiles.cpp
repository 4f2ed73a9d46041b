// Opening, starting and asking about projects: the type test, Open, New,
// the modified-project question, and the file commands.
#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "File.h"
#include "FileReplace.h"
#include "Generic.h"
#include "ReportErrorDll.h"
#include "pro.h"
#include "requests/ProjectRequests.h"

namespace {

constexpr const char* kSource = "pro";
constexpr int kLineNewNoView = 17036;
constexpr int kLineTypeOpen = 17235;
constexpr int kLineTypeClose = 17257;
constexpr int kLineOpenNoView = 17297;

constexpr uint32_t kNewViewEnd = 441000;  // ten seconds
constexpr float kNewTempo = 120.0f;

bool EndsWithProjectExtension(const std::string& path) {
  const std::string ending = std::string(".") + project_text::kProjectExtension;
  return path.size() > ending.size() && strcasecmp(path.c_str() + path.size() - ending.size(), ending.c_str()) == 0;
}

}  // namespace

void BeginProgress(COperationDialog& progress, const std::string& text) {
  progress.SetMessage(text, 1);
  progress.Begin();
  // A window that was cancelled ignores a new message until it has begun again.
  if (progress.GetMessage() != text) progress.SetMessage(text, 1);
}

std::string ProjectTitleOf(const std::string& path) {
  std::vector<char> title(path.size() + 1);
  GetFileTitleFromPath(path.c_str(), title.data());
  return title.data();
}

std::string ProjectRefusalText(const std::string& path, const std::string& problem) {
  return "The project " + path + " cannot be opened: " + problem + ".";
}

std::string ReadOnlyProjectText(const std::string& path) {
  return "Cannot save the project.  The file is read-only:\n" + path +
         "\n\nWould you like to save the project under another name?";
}

void CProApp::OpenStartupProject(const std::string& commandLineProject) {
  if (!commandLineProject.empty()) {
    // A project that cannot be opened still leaves the program with one.
    if (OpenProject(commandLineProject) != status::kDone) NewProject();
  } else if (firstStart_) {
    OpenIntroProject();
  } else {
    NewProject();
  }
}

void CProApp::OpenDocument(const std::string& path) {
  if (!initialised) return;
  OpenProject(path);
}

void CProApp::SetDocumentTitle(const std::string& title) {
  document.SetTitle(title);
  services.view.SetTitle(document.GetWindowTitle());
}

ProjectFileType CProApp::GetProjectFileType(const std::string& path) {
  // A folder, a pipe or a device is no project, and opening a pipe would wait for ever.
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return ProjectFileUnknown;
  platform::CFile file;
  if (!file.Open(path, platform::CFile::Mode::ReadRegular)) {
    ReportError(kSource, kLineTypeOpen, ("Failed to open project file " + path).c_str());
    return ProjectFileFault;
  }
  char magic[7] = {};
  // A shorter file leaves zeros, which match no magic; so does a failed read.
  if (file.Read(magic, 6) < 0) magic[0] = 0;
  if (!file.Close()) {
    ReportError(kSource, kLineTypeClose, "");
    return ProjectFileFault;
  }
  // Seven bytes with the terminator: exactly these six bytes must begin the file.
  static const struct {
    const char* magic;
    ProjectFileType type;
  } kTypes[] = {{"QRVD12", ProjectFileQrvd12},
                {"QRVZ30", ProjectFileQrvz30},
                {"QRVZ32", ProjectFileQrvz32},
                {"QRVZ33", ProjectFileQrvz33}};
  for (const auto& known : kTypes) {
    if (std::memcmp(magic, known.magic, sizeof magic) == 0) return known.type;
  }
  return ProjectFileUnknown;
}

int CProApp::OpenProject(const std::string& path) {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineOpenNoView, "");
    return status::kFaultReported;
  }
  const ProjectFileType type = GetProjectFileType(path);
  switch (type) {
    case ProjectFileFault:
      recentFiles.Remove(platform::AbsolutePath(path));
      return status::kFaultReported;
    case ProjectFileUnknown:
      services.ui.Inform(project_text::kNotAProject);
      return status::kFaultReported;
    case ProjectFileQrvd12:
      return OpenQvkProject(path);
    default:
      return OpenMixProject(path, type);
  }
}

int CProApp::OpenQvkProject(const std::string& given) {
  const std::string path = platform::AbsolutePath(given);
  ProjectImage image;
  std::string problem;
  // The whole file is checked before the open project is given up.
  if (!ReadProjectFile(path, &image, &problem)) {
    services.ui.Inform(ProjectRefusalText(path, problem));
    recentFiles.Remove(path);
    return status::kFaultReported;
  }
  const uint32_t savesBefore = saves_;
  if (QuerySaveModified() == status::kCancelled) return status::kCancelled;
  // Saving the open project may have written this very file: what opens is what is there now.
  if (saves_ != savesBefore && !ReadProjectFile(path, &image, &problem)) {
    services.ui.Inform(ProjectRefusalText(path, problem));
    return status::kFaultReported;
  }
  ClearProject();
  projectPath = path;
  ApplyProjectImage(image, platform::FolderOfPath(path));
  undoList.Clear();
  modified = 0;
  SetDocumentTitle(ProjectTitleOf(path));
  recentFiles.Add(path);
  return status::kDone;
}

int CProApp::NewProject() {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  if (QuerySaveModified() == status::kCancelled) return status::kCancelled;
  if (!services.view.HasView()) {
    ReportError(kSource, kLineNewNoView, "");
    return status::kFaultReported;
  }
  ClearProject();
  return status::kDone;
}

void CProApp::ClearProject() {
  snippetClipboard.reset();
  project.Reset();
  loopBank.DeleteAllLoops();
  {
    std::lock_guard<platform::CCriticalSection> hold(project.GetLock());
    for (auto& chain : effectChains) {
      if (!chain) continue;
      chain->RemoveAllEffects();
      chain.reset();
    }
  }
  project.viewStart = 0;
  project.viewEnd = kNewViewEnd;
  project.viewWidth = kNewViewEnd;
  // The tempo and pitch a new project starts with (the list's reset set the tempo already).
  project.tempo = kNewTempo;
  project.globalPitch = 0.0f;
  services.view.SetPitchText(0.0f);
  services.view.RefreshTrackView();
  ClearEditor();
  metronome.SetBPM(project.tempo);
  services.view.SetEditorProjectTempo(project.tempo);
  mixPosition = 0;
  playCursor = 0;
  services.view.SwitchView(ViewModeTrack);
  services.view.SetTempoText(project.tempo);
  ShowPosition(0);
  ShowLength(project.projectEnd);
  services.view.RefreshCurrentView();
  // No loops are left to list.
  services.view.RefreshLoopBank();
  projectPath.clear();
  undoList.Clear();
  modified = 0;
  SetDocumentTitle(CProDoc::kUntitled);
  projectTags = ProjectTags{};
  unresolvedAudio_.clear();
}

int CProApp::QuerySaveModified() {
  if (!document.IsModified()) return status::kDone;
  const std::optional<ModifiedProjectRequest::Result> answer = services.ui.Request(ModifiedProjectRequest{});
  if (!answer || answer->answer == ModifiedProjectRequest::Answer::Cancel) return status::kCancelled;
  if (answer->answer == ModifiedProjectRequest::Answer::No) return status::kDone;
  // A save that was cancelled or failed keeps everything: the whole action stops.
  return OnFileSave() == status::kDone ? status::kDone : status::kCancelled;
}

int CProApp::OnFileNew() { return NewProject(); }

int CProApp::OnFileOpen() {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  ui::FileChooser chooser;
  chooser.caption = "Open";
  chooser.filter = project_text::kOpenFilters;
  chooser.initialPath = projectPath.empty() ? audioFolder : platform::FolderOfPath(projectPath);
  const std::optional<std::string> path = services.ui.ChooseFile(chooser);
  if (!path || path->empty()) return status::kNothingDone;
  return OpenProject(*path);
}

int CProApp::OnFileSave() {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  if (projectPath.empty()) return OnFileSaveAs();
  return SaveProject(projectPath);
}

int CProApp::OnFileSaveAs() {
  if (RefuseDuringPlayback()) return status::kFaultReported;
  ui::FileChooser chooser;
  chooser.save = true;
  chooser.caption = "Save As";
  chooser.filter = project_text::kFileFilter;
  chooser.defaultExtension = project_text::kProjectExtension;
  chooser.initialPath = projectPath.empty() ? audioFolder : projectPath;
  const std::optional<std::string> chosen = services.ui.ChooseFile(chooser);
  if (!chosen || chosen->empty()) return status::kCancelled;
  // Always a ".qvk": an older ".mix" project of the same name is never written over.
  std::string path = platform::AbsolutePath(*chosen);
  if (!EndsWithProjectExtension(path)) path += std::string(".") + project_text::kProjectExtension;
  const int result = SaveProject(path);
  if (result == status::kDone) recentFiles.Add(path);
  return result;
}
