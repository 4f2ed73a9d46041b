// Construction, start-up and shut-down of the application object.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "AudioFolder.h"
#include "File.h"
#include "FileReplace.h"
#include "Folders.h"
#include "Generic.h"
#include "DeviceCallbacks.h"
#include "Messages.h"
#include "ReportSink.h"
#include "pro.h"
#include "requests/StartupRequests.h"

namespace {

constexpr const char* kSource = "pro";
constexpr int kLineWorkBuffer = 2491;
constexpr int kLineNoMainWindow = 2673;
constexpr int kLineNoViewForSnap = 2839;
constexpr int kLineNoViewForTracks = 2883;
constexpr int kLineDecommit = 2575;
constexpr int kLineRelease = 2578;

constexpr uint32_t kCustomColorSeeds[CProApp::kCustomColors] = {
    0xFF8000, 0x00F0F0, 0xA5A5A5, 0x0F0FE1, 0x000000, 0xFFFFFF, 0xB4B4B4, 0x6E6E6E, 0x006EFF, 0x006900, 0x00007F, 0xFF6969,
};

constexpr int kMetronomeAccentEveryFourth = 1;
constexpr int32_t kMaxMetronomeLevel = 60;
constexpr uint32_t kTrackBufferFrames = 65536;
constexpr int kTrackBufferBlocks = 2;

CProApp* g_instance = nullptr;

}  // namespace

// Files that exist already are no audio this run creates: an older project's audio is never listed.
void NoteCreatedAudio(void* context, const CAudioSegment& segment) {
  auto* app = static_cast<CProApp*>(context);
  const std::string& pcm = segment.GetPcmFileName();
  if (platform::FolderOfPath(pcm) != app->tempFolder) return;
  platform::CFile existing;
  if (existing.Open(pcm, platform::CFile::Mode::ReadRegular) && existing.Size() > 0) return;
  app->audioJournal_.Note(pcm, segment.GetPeakFileName(), segment.GetChannels());
}

CProApp* CProApp::Instance() { return g_instance; }

CProApp::CProApp(const ui::UiServices& uiServices)
    : services(uiServices),
      progressWindow(uiServices.progress, [this] { return services.thread.TickCount(); }),
      recentFiles(uiServices.profile) {
  g_instance = this;
  if (!workBuffer.Allocate(kWorkBufferAllocation)) ReportError(kSource, kLineWorkBuffer, "");
  std::copy(std::begin(kCustomColorSeeds), std::end(kCustomColorSeeds), customColors.begin());
  ApplyQualityPreset(2);
  initialised = 0;
  services.thread.SetReceiver(this);
  // The object is made on the user-interface thread; reports raised on any
  // other wait in their ring until this thread shows them.
  SetUserInterfaceThread();
  SetThreadReportWakeUp(
      [](void* app) { static_cast<CProApp*>(app)->services.thread.Post(msg::kShowPostedReports); }, this);
  CAudioSegment::SetWriteObserver(&NoteCreatedAudio, this);
}

CProApp::~CProApp() {
  // Nothing may play into what is about to go.
  StopAllForClose();
  SetThreadReportWakeUp(nullptr, nullptr);
  services.thread.Close();
  SaveConfig();
  snippetClipboard.reset();
  audioClipboard.reset();
  {
    // The player reads the chains under the track list's lock.
    std::lock_guard<platform::CCriticalSection> hold(project.GetLock());
    for (auto& chain : effectChains) {
      if (!chain) continue;
      chain->Reset();
      chain.reset();
    }
  }
  if (workBuffer.IsReserved()) {
    if (!workBuffer.Decommit(0, workBufferSize + 32768)) ReportError(kSource, kLineDecommit, "");
    if (!workBuffer.Release()) ReportError(kSource, kLineRelease, "");
  }
  undoList.Clear();
  DeleteTempAudioFiles();
  CAudioSegment::SetWriteObserver(nullptr, nullptr);
  services.thread.SetReceiver(nullptr);
  g_instance = nullptr;
}

int CProApp::ExitInstance() { return 0; }

bool CProApp::IsDevicePresent(const std::string& text) const {
  auto contains = [&text](const char* name) {
    std::string upper(name, strnlen(name, sizeof(PobixDevice::name)));
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find(text) != std::string::npos;
  };
  int inputs = std::min<int>(devices.GetInputPhysicalDeviceCount(), kMaxPhysicalInputs);
  for (int i = 0; i < inputs; ++i) {
    if (contains(devices.physicalInputDevices[i].name)) return true;
  }
  int outputs = std::min<int>(devices.GetOutputDeviceCount(), kPobixMaxOutputs);
  for (int i = 0; i < outputs; ++i) {
    if (contains(devices.outputDevices[i].name)) return true;
  }
  return false;
}

int CProApp::DeleteTempAudioFiles() {
  if (tempFolder.size() < 3) return 1;
  // Only what this run made: audio an older project keeps in the temporary
  // folder is its only copy. What only the undo history or a clipboard named
  // ends with them; what the open project or a saved one names stays.
  std::set<std::string> named = savedAudio_;
  for (const CAudioSegment* segment : ProjectSegments()) {
    named.insert(segment->GetPcmFileName());
    named.insert(segment->GetPeakFileName());
  }
  audioJournal_.End(named);
  return 1;
}

std::shared_ptr<CAudioSegment> CProApp::NewAudioSegment() {
  // Someone may have deleted the folder while the program ran.
  platform::CreateFolder(tempFolder);
  return std::make_shared<CAudioSegment>(tempFolder);
}

bool CProApp::InitInstance(const StartupOptions& options) {
  // The profile's recent files; the window and the view come from the front end.
  recentFiles.Load();
  const std::string commandLineProject = options.projectPath;
  if (!services.view.HasFrame()) {
    ReportError(kSource, kLineNoMainWindow, "");
    return false;
  }
  services.view.ShowMainWindow(ConfigExists());

  firstStart_ = false;
  if (!LoadConfig()) {
    firstStart_ = true;
    services.ui.Request(InitDialog1Request{});
    InitDialog2Request page;
    page.audioPath = platform::DefaultAudioFolder();
    for (int i = 0; i < devices.GetOutputDeviceCount(); ++i) {
      page.outputDevices.emplace_back(devices.outputDevices[i].name,
                                      strnlen(devices.outputDevices[i].name, sizeof(PobixDevice::name)));
    }
    std::string folder = page.audioPath;
    int32_t device = 0;
    if (std::optional<InitDialog2Request::Result> chosen = services.ui.Request(page)) {
      folder = chosen->audioPath;
      device = chosen->outputDevice;
    }
    // A folder too long to be kept is neither made nor cut: it is asked for again below.
    if (CheckAudioFolderLength(folder) == FolderCheck::Accepted) platform::CreateFolder(folder);
    config.ApplyFirstStartDefaults(folder, device);
    configFilled_ = true;
    if (IsDevicePresent("M-AUDIO")) services.ui.Request(MAudioFoundRequest{});
    if (!TakeUsableAudioFolder(folder)) return false;
  } else if (audioFolderAbandoned_) {
    return false;
  }

  progressWindow.SetMessage("Performing Initialization...", 1);
  progressWindow.Begin();
  progressWindow.SetPercent(0);
  audioFolder = config.GetAudioFolder();
  tempFolder = audioFolder + "/qvk_temp";
  dataFolder = audioFolder + "/qvk_data";
  platform::CreateFolder(tempFolder);
  platform::CreateFolder(dataFolder);
  // Before this run's journal exists: what dead runs left, never what a live one holds.
  const RecoveredAudio recovered = RecoverAudioOfEndedRuns(tempFolder, audioFolder);
  audioJournal_.Begin(tempFolder);
  progressWindow.SetPercent(10);

  ApplyConfigAtStart();
  progressWindow.SetPercent(35);

  for (auto& chain : effectChains) chain.reset();
  project.CreateTracks(CAudioSnippetList::kModeProject, CAudioTrack::kTypeExtended, CAudioTrackList::kProjectTracks);
  project.SetEffectsChains(&effectChains);
  project.SelectTrack(0);
  for (int i = 0; i < CAudioTrackList::kProjectTracks; ++i) project.SetTrackColors(i, config.colorSets[i]);
  project.AllocateBuffers(kTrackBufferBlocks, kTrackBufferFrames);
  if (!services.view.HasView()) {
    ReportError(kSource, kLineNoViewForTracks, "");
    progressWindow.End();
    return false;
  }
  progressWindow.SetPercent(70);

  InitOutput();
  int inputs = std::min<int>(devices.GetInputPhysicalDeviceCount(), kMaxPhysicalInputs);
  for (int i = 0; i < inputs; ++i) devices.SetupPhysicalInput(i, 44100, 16);
  devices.SetInternalLogging(config.internalLogging);
  progressWindow.SetPercent(100);
  playing = 0;
  recording = 0;
  initialised = 1;
  progressWindow.End();

  // Asked to close while a first-start page or the progress window was up: the program ends next.
  if (options.closing && options.closing()) return true;
  OpenStartupProject(commandLineProject);
  // Over the whole window, once it shows what the user left.
  if (const std::string text = RecoveredAudioText(recovered); !text.empty()) services.ui.Inform(text);
  return true;
}

void CProApp::ApplyConfigAtStart() {
  outputDevice = config.outputDevice;
  if (outputDevice < 0 || outputDevice >= devices.GetOutputDeviceCount()) outputDevice = 0;
  followWaveform = config.followWaveform;
  ApplyQualityPreset(config.qualityLevel);
  useTrackColors = config.useTrackColors;
  // A hand-edited file can hold any number; the buffers only take whole steps of 8192.
  bufferFrames = static_cast<int32_t>(ClampBufferFrames(static_cast<uint32_t>(std::max(config.bufferFrames, 0))));
  editorUsesProjectSettings = config.editorUsesProjectSettings;
  project.SetTailSeconds(static_cast<uint32_t>(config.extendPlaybackFrames) / 44100u);
  project.timeDisplay = config.timeDisplay;
  recordingWindow.logging = config.internalLogging;
  if (services.view.HasView()) {
    services.view.SetSnapToGrid(config.snapToGrid);
  } else {
    ReportError(kSource, kLineNoViewForSnap, "");
  }
  metronome.parameters.on = config.metronomeOn;
  metronome.parameters.pattern = kMetronomeAccentEveryFourth;
  metronome.parameters.clickOnly = config.metronomeClickOnly;
  metronome.parameters.accent = config.metronomeAccent;
  metronome.parameters.level = std::clamp(config.metronomeVolume, 0, kMaxMetronomeLevel);
  metronome.SetBPM(120.0f);
  metronome.SetSizeMixBuffer(static_cast<uint32_t>(bufferFrames) * 4);
  project.SetTempoPitchSettings(TempoPitchSettings{static_cast<uint32_t>(bufferFrames),
                                                   static_cast<uint32_t>(bestFitSkip), bestFitShave,
                                                   bestFitCorrelationLimit});
}

int CProApp::InitOutput() {
  outputOpen = false;
  project.SetBlockFrames(static_cast<uint32_t>(bufferFrames));
  if (devices.GetOutputDeviceCount() == 0) return status::kNothingDone;
  if (devices.OutputInit(static_cast<uint32_t>(outputDevice), &ProjectOutputCallback) != 1) {
    return status::kFaultReported;
  }
  devices.SetOutputBufferInfo(2, static_cast<uint32_t>(bufferFrames) * 4);
  devices.UpdatePlayerDropoutMessageCallback(&DropoutCallback);
  outputOpen = true;
  return status::kDone;
}

void CProApp::OnPostedMessage(uint32_t message, int64_t wParam, int64_t lParam) {
  // An edit pumps events while it runs: nothing posted may touch the model then.
  if (IsOperationRunning() && message != msg::kShowPostedReports) return;
  if (OnTransportMessage(message, wParam, lParam)) return;
}

void CProApp::OnTimer(uint32_t timerId) {
  if (timerId == kPlayTimerId) OnPlayTimer();
}
