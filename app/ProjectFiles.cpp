// Opening projects: the start-up project, new projects.
#include "pro.h"

void CProApp::OpenStartupProject(const std::string& commandLineProject) {
  if (!commandLineProject.empty()) {
    OpenProject(commandLineProject);
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

int CProApp::NewProject() {
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
  project.viewEnd = 441000;
  project.viewWidth = 441000;
  project.SetTempo(120.0f);
  project.globalPitch = 0.0f;
  editorSource = EditorSourceNothing;
  editorSnippet.reset();
  editorSegment.reset();
  editorLoop.reset();
  metronome.SetBPM(project.tempo);
  mixPosition = 0;
  playCursor = 0;
  services.view.SwitchView(ViewModeTrack);
  services.view.SetTempoText(project.tempo);
  ShowPosition(0);
  ShowLength(project.projectEnd);
  services.view.RefreshCurrentView();
  projectPath.clear();
  undoList.Clear();
  modified = 0;
  document.SetTitle(CProDoc::kUntitled);
  services.view.SetTitle(document.GetWindowTitle());
  return status::kDone;
}

// Until the project reader arrives a project cannot be read; the program starts empty.
int CProApp::OpenProject(const std::string&) { return NewProject(); }
int CProApp::OpenIntroProject() { return NewProject(); }
