// The application core: CProApp, the one application object.
//
// Owns, for the program's lifetime, the project (24 tracks and the mixer), the
// Loop Bank, the undo history, the 25 effect chains (0 the master, 1 + i track
// i), the device object, the metronome, the import converter, the two
// clipboards, the work buffer of the edit workers and the configuration. Every
// command of the three views arrives here; the views and dialogs read the
// public members and change the project only through CProApp's operations.
//
// The core uses no widgets: whatever it asks of a user interface goes through
// the seams of UiServices.h, so every command runs headless in tests.
//
// Threads: everything here runs on the user-interface thread, except the
// device callbacks (player and recorder threads), which only mix, read or
// append audio and post what must happen on the user-interface thread (the
// stop at the end of audio, dropout notices, a recorder's end). They never
// allocate, never wait on the user-interface thread, never touch a window.
// The members they share with it are atomics.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "AudioJournal.h"
#include "AudioLoop.h"
#include "AudioLoopList.h"
#include "AudioSegment.h"
#include "AudioSnippet.h"
#include "AudioSnippetExtended.h"
#include "AudioTrackList.h"
#include "MixFormat.h"
#include "OperationDialog.h"
#include "OperationList.h"
#include "PageBuffer.h"
#include "Pobix.h"
#include "ProConfig.h"
#include "ProDoc.h"
#include "ProjectFiles.h"
#include "ProjectFormat.h"
#include "ProgramFolder.h"
#include "Profile.h"
#include "UiServices.h"
#include "Vorn.h"
#include "Zelmo.h"
#include "edit/EditOperation.h"
#include "tarvex.h"

// What the Audio Editor holds.
enum EditorSource : int32_t {
  EditorSourceNothing = 1,
  EditorSourceIndependent = 2,
  EditorSourceSnippet = 3,
  EditorSourceLoop = 4,
};

// The editor shown by the view.
enum ViewMode : int32_t { ViewModeTrack = 1, ViewModeEditor = 2, ViewModeLoopBank = 3 };

// Results of the core's own operations.
namespace status {
constexpr int kNothingDone = 0;
constexpr int kDone = 1;
constexpr int kCancelled = 2;
constexpr int kFaultReported = 3;
}  // namespace status

// How the program was started.
struct StartupOptions {
  std::string projectPath;  // the command line's project; empty for none
  // True once the program was asked to close during start-up: no project is opened then.
  std::function<bool()> closing = {};
};

class CProApp final : public ui::IMessageReceiver {
 public:
  static constexpr int kEffectChains = 25;
  static constexpr int kRecordSlots = 4;
  static constexpr uint32_t kWorkBufferAllocation = 0x108000;
  static constexpr uint32_t kWorkBufferSize = 0x100000;
  static constexpr uint32_t kWorkBlockSize = 0x40000;
  static constexpr int kCustomColors = 12;
  static constexpr uint32_t kPlayTimerId = 101;
  static constexpr uint32_t kMaxProjectFrames = 238140000;  // 90 minutes
  static constexpr int kMaxPhysicalInputs = 16;

  // Constructs the members in order (the device object lists the devices, the
  // metronome reads its samples) and allocates the work buffer.
  explicit CProApp(const ui::UiServices& services);
  // Shut-down in order: the configuration saved, clipboards, windows and chains
  // released, the undo history cleared, temporary audio deleted, devices last.
  ~CProApp() override;
  CProApp(const CProApp&) = delete;
  CProApp& operator=(const CProApp&) = delete;

  // The one application object, for the device callbacks; null outside its lifetime.
  static CProApp* Instance();

  // ---- Start-up and shut-down --------------------------------------------
  // The start-up sequence; false ends the program.
  bool InitInstance(const StartupOptions& options);
  int ExitInstance();
  // Stops whatever plays or records, by view (the main window's close).
  void StopAllForClose();
  bool IsDevicePresent(const std::string& text) const;
  // At exit: deletes the temporary audio this run created (its journal) that
  // neither the open project nor a project saved in this run names, then the journal.
  int DeleteTempAudioFiles();
  // The segments the project names: its loops, its extended snippets, the editor's own audio.
  std::set<CAudioSegment*> ProjectSegments();
  // A new segment in the temporary folder, which is made again when it was deleted.
  std::shared_ptr<CAudioSegment> NewAudioSegment();
  // Opens the output device with the project output callback and the
  // configured buffers; every track's block follows the buffer frames.
  int InitOutput();

  // ---- Configuration ------------------------------------------------------
  std::string GetConfigPath() const;
  bool ConfigExists() const;
  bool LoadConfig();
  // Nothing is written before the record was read or a first start filled it.
  void SaveConfig();
  void ApplyQualityPreset(int level);
  // Takes folder into the configuration once it is one the program can use
  // (it can be written, and it fits the configuration and the project files),
  // asking for another until then. false when the user gave up choosing one
  // (start-up then ends, saying why); the configuration is then as it was.
  bool TakeUsableAudioFolder(std::string folder);
  static constexpr const char* kNoAudioFolderText =
      "Tessiro cannot run without an audio folder it can write to, so it will close now.\n\n"
      "Start it again to choose a folder for your recordings.";

  // ---- Posted messages and timers (user-interface thread) -----------------
  void OnPostedMessage(uint32_t message, int64_t wParam, int64_t lParam) override;
  void OnTimer(uint32_t timerId) override;

  // ---- Project files --------------------------------------------------------
  // The command line's project, else the intro on a first start, else a new project.
  void OpenStartupProject(const std::string& commandLineProject);
  // Opens a ".qvk" project or imports a ".mix" one; the whole file is checked
  // before the open project is given up, and a file that cannot be opened
  // leaves it as it was. 1 opened, 2 cancelled, 3 refused or fault.
  int OpenProject(const std::string& path);
  // 1 done, 2 cancelled (the modified project was kept), 3 refused or fault.
  int NewProject();
  int OpenIntroProject();
  // A file opened through the window (recent files, drag and drop): ignored
  // until start-up has finished, then opened as a project.
  void OpenDocument(const std::string& path);
  ProjectFileType GetProjectFileType(const std::string& path);
  // Reads a ".qvk" file into the emptied project; 1, or 3 when the file was refused.
  int LoadProject(const std::string& path);
  // Reads an older ".mix" project of the type into the emptied project.
  int ImportMixProject(const std::string& path, ProjectFileType type);
  // A headerless 16-bit file as a new extended snippet of the whole file;
  // 1 done, 2 cancelled, 3 fault.
  int ImportRawTrack(const std::string& path, int channels, float tempo,
                     std::shared_ptr<CAudioSnippetExtended>* snippet);
  // Before the project is discarded: 1 go on (saved, or the user let it go), 2 cancel.
  int QuerySaveModified();
  // Writes the project to path (its audio moved from the temporary folder to
  // the data folder first); 1 saved, 3 refused or failed (said so, project still modified).
  // A read-only file is not written: Save As is offered, and its result returned
  // when taken; 2 when declined.
  int SaveProject(const std::string& path);
  // The file commands: New 32969, Open 32924, Save 32923, Save As 32935.
  int OnFileNew();
  int OnFileOpen();
  int OnFileSave();
  int OnFileSaveAs();

  // ---- Transport ------------------------------------------------------------
  // One output device plays one thing at a time: the project (play, or play
  // and record), the Audio Editor's audio (plain or in a loop), a Loop Bank
  // preview; recording into the editor and input monitoring use the inputs
  // alone. Every start installs its output and end callbacks just before
  // CPobix::Start. Whatever a device thread must have done on this thread
  // (the end of audio, a recorder's end, a dropout, an input fault) arrives
  // as a posted message carrying the run it belongs to; a message of a run
  // that has since been stopped is dropped, so a new run is never ended by
  // an old one.
  static constexpr uint32_t kPlayTimerMs = 50;
  static constexpr uint32_t kEditorRecordBufferBytes = 131072;
  static constexpr uint32_t kMonitorBufferBytes = 131072;
  static constexpr uint32_t kFollowMinViewFrames = 88200;  // two seconds
  // The tempo ratios (project tempo / source tempo) that project tempos of
  // 50..250 can make; a snippet outside them is played at the nearest.
  static constexpr float kMinSnippetRatio = 0.2f;
  static constexpr float kMaxSnippetRatio = 5.0f;
  static constexpr float kMinTempo = 50.0f;
  static constexpr float kMaxTempo = 250.0f;
  static constexpr float kMaxPitch = 12.0f;

  void OnPlayProject();
  void OnRecordProject();
  int PrepareRecording();
  void OnStopProject();
  int FinishProjectRecording();
  void DiscardRecording();
  void OnRecorderEnd();
  void OnRewindProject();
  void OnFastForwardProject();
  // The "Recording..." window's Stop (keep) and Cancel or Esc (discard); a
  // second press, or one after the recording ended, does nothing.
  void OnRecordingWindowStop();
  void OnRecordingWindowCancel();

  void OnEditorPlay();
  void OnEditorPlayLoop();
  // The checks Play and Loop Play share, in their order: the editor's segment
  // when it has audio to play from the tracker, else null with the reason told.
  // loop adds Loop Play's refusal of a snippet played with project settings.
  CAudioSegment* EditorSegmentToPlay(bool loop, int noViewLine, int noSegmentLine);
  // The run's region, its tracking and meters, and the device started.
  void StartEditorRun(bool loop, uint32_t start, uint32_t end, PobixOutputCallback output);
  // 1 when the editor's region is at least one output buffer long.
  int CheckLoopPlayLength(uint32_t start, uint32_t end) const;
  void OnStopPlayback();
  void OnEditorRewind();
  void OnEditorFastForward();
  // toEnd false: rewind to the start; true: fast-forward to the end.
  void MoveEditorTrackerToEnd(bool toEnd);
  void PlayLoopPreview();
  void StopLoopPreview();

  void OpenRecordSegmentWindow();
  // The record-into-editor window's Start, with the virtual input and the
  // channels (1 mono, 2 stereo) chosen there.
  void StartEditorRecording(int32_t inputIndex, int16_t channels);
  void FinishEditorRecording();
  void CancelEditorRecording();

  void OnPlayByView();
  void OnStopByView();
  void OnRecordByView();
  void OnRewindByView();
  void OnFastForwardByView();

  void SetProjectTempo(float bpm);
  void SetProjectPitch(float semitones);
  void SetPlayPosition(uint32_t frames);
  void SetPlayPositionFraction(float fraction);
  // The frame's position and length texts in the project's time display.
  void ShowPosition(uint32_t frames);
  void ShowLength(uint32_t frames);
  void UpdateLevelEffectsPosition(uint32_t frames, float tempo);
  void RestoreViewAfterPlay();
  void OnPlayTimer();
  // Brings every snippet's ratio into the range the tempo/pitch processor
  // plays soundly; the number of snippets changed.
  int ClampSnippetRatios();
  // Input monitoring for the level window (channels 25.. are physical inputs).
  void StartInputMonitoring(int16_t channel);
  void StopInputMonitoring();
  bool IsMonitoring() const { return monitoringInput_ >= 0; }
  // The run the device callbacks of the current start belong to.
  uint32_t CurrentRun() const { return run_.load(); }
  // Reports an input fault once per run and stops that slot taking audio
  // (recorder thread: posts, never reports there).
  void NoteInputFault(uint32_t slot, int line);
  bool IsInputFaulted(uint32_t slot) const;
  // A take could not be written (a full disk): from now on no slot takes
  // anything, and the user-interface thread stops the recording, keeping what
  // was written, and says why. Recorder thread; cause is the write's errno.
  void HaltRecording(int cause);
  bool IsRecordingHalted() const { return recordingHalted_.load() != 0; }

  // ---- Edit operations ------------------------------------------------------
  // Shows the operation's dialog and fills the record from it: 1 go on, 0 do
  // nothing. channels: the edited audio's. request is params.request.
  int GetOperationParameters(OperationRequest& request, OperationParameters& params, int16_t channels);
  // The progress window's caption of an operation.
  void SetOperationCaption(int32_t operation);
  // Preconditions of the Edit commands on the segment the Audio Editor shows:
  // 1 allowed, 0 after telling the user why not.
  int CheckHighlighted();
  int CheckMarkersSet();
  int CheckRangeLeavesOneSecond(int32_t range);
  // Runs an operation on what the Audio Editor holds and records its undo step.
  // range 0 lets the dialog choose. Results are OperationResult values.
  int ApplySnippetEdit(int32_t operation, int32_t range);
  int ApplyIndependentEdit(int32_t operation, int32_t range);
  int ApplyLoopEdit(int32_t operation, int32_t range);
  // Copy: the range into the audio clipboard (not an undo step). 1 done, 2
  // cancelled (the clipboard is then empty), 3 fault.
  int CopyToAudioClipboard(CAudioSegment* source, int32_t range);
  // Deletes the record's effect record, if any.
  void FreeEffectRecord(FXOperationParams& params);
  // While an operation runs, its progress window lets events through: every
  // command and posted message is then refused or dropped, Cancel excepted.
  bool IsOperationRunning() const { return operationRunning_ != 0; }

  // ---- Audio Editor commands --------------------------------------------------
  // What the Audio Editor holds. Each closes the segment shown before (its read
  // side and peak view) and tells the view what it shows now.
  // A null snippet leaves EditorSource 3 with nothing shown.
  void SetEditorSnippet(std::shared_ptr<CAudioSnippet> snippet, int16_t trackIndex);
  void SetEditorIndependentAudio(std::shared_ptr<CAudioSegment> segment);
  void ClearEditor();
  // A loop the project plays cannot be edited: the editor is cleared instead.
  // Otherwise the loop's audio in memory is released while the editor holds it.
  void OpenLoopInEditor(std::shared_ptr<CAudioLoop> loop);
  // The segment of what the editor holds; nullptr with nothing in it.
  std::shared_ptr<CAudioSegment> GetEditorSegment() const;

  // The Audio Editor's Edit menu, markers and tools. Results are status::
  // codes. Each does nothing while an operation runs or audio plays (the
  // menus disable them then), and treats an editor without audio as nothing
  // to do, with the command's own "No audio exists to ..." where it has one.
  int OnCopyHighlighted();
  int OnCopyBetweenMarkers();
  int OnCutHighlighted();
  int OnCutBetweenMarkers();
  int OnPasteInsert();
  int OnPasteOver();
  int OnPasteMix();
  int OnPasteInsertAtMarker();
  int OnPasteOverAtMarker();
  int OnPasteMixAtMarker();
  int OnDeleteHighlighted();
  int OnDeleteBetweenMarkers();
  int OnConvertChannels();
  // An undo step that empties the editor; nothing is deleted.
  int OnClearCurrentAudio();
  // Paste Insert into an empty editor: a copy of the clipboard, at least one
  // second long, becomes independent audio.
  int PasteIntoEmptyEditor();
  int OnSetBeginMarker();
  int OnSetEndMarker();
  int OnHighlightToMarkers();
  int OnEraseBeginMarker();
  int OnEraseEndMarker();
  int OnEraseBothMarkers();
  // A tool or effect of the Tools menu by its command id: its dialog chooses the range.
  int OnEditorTool(uint32_t commandId);
  // Cut, Copy, Paste and Delete from the menu, and their keys, on the view shown.
  int OnViewCopy();
  int OnViewCut();
  int OnViewDelete();
  int OnViewPaste();
  int OnViewKey(uint32_t commandId);
  // Undo and redo of the history, then what the editor and the views show.
  int OnUndo();
  int OnRedo();
  // While an operation runs or audio plays or records the editor's commands do nothing.
  bool EditorCommandsBlocked() const;

  // ---- Track View commands and loops ------------------------------------------
  // Results are status:: codes. The snippet clipboard shares the copied
  // snippets with the project; Paste gives each pasted extended snippet a
  // copy of its audio of its own.
  int CopySnippets();
  int CutSnippets();
  int DeleteSelectedSnippets();
  int PasteSnippets();
  int OnSelectAllSnippets();
  int OnDeselectAllSnippets();
  // Joins the selected track's selected snippets into one, rendered as they sound.
  int OnJoinSnippets() { return JoinSnippets(); }
  int JoinSnippets();
  int OnClearSelectedTrack() { return ClearSelectedTrack(); }
  int ClearSelectedTrack();
  // A loop-based track rendered whole into one extended snippet.
  int ConvertToExtendedAudioTrack(int trackIndex);
  // The selected snippets moved so that the first starts at newStart (the
  // Track View's drag ends here).
  int MoveSelectedSnippets(uint32_t newStart);
  int OnShiftAllSnippets() { return ShiftTracks(); }
  int ShiftTracks();
  // On the Track View's right-clicked snippet.
  int OnEditSnippet();
  int OnSetSnippetOnTop();
  int OnSnippetProperties();
  // The snippet properties dialog on snippet (of track trackIndex): a new
  // tempo of its audio re-times it. kDone on OK, kNothingDone on Cancel.
  int EditSnippetProperties(const std::shared_ptr<CAudioSnippet>& snippet, int trackIndex);
  // The tempo buttons: one beat per minute, within 50..250 and 90 minutes.
  int TempoUp();
  int TempoDown();
  // True, after the box the imports show, when audio reaching end would make
  // the project longer than 90 minutes: every road into the project asks.
  bool RefusePastProjectEnd(uint64_t end);

  // Loops. A loop menu command id is 55100 + the loop number.
  int InsertLoop(int loopNumber);
  int OnInsertLoopCommand(uint32_t commandId);
  int OnDeleteSelectedLoop();
  int OnLoopProperties();
  int OnLoopProperties(int loopNumber);
  int OnEditLoopAudio();
  // A new loop made from a copy of segment, counted in measures of four beats.
  int CreateLoopFromSegment(CAudioSegment* segment, int measures);
  // The hidden "Create Loop" entry's message: the Audio Editor's audio in two measures.
  int OnCreateLoopMessage() { return CreateLoopFromSegment(GetEditorSegment().get(), 2); }
  // Every loop the project plays has its audio in memory, every other loop none.
  void UpdateLoopMemory(bool showProgress);

  // ---- Imports, exports and mixdowns -------------------------------------------
  // Imports decode a WAV or MP3 file through the codecs into a new segment of
  // the temporary folder, converted block by block to 44100 Hz 16-bit with the
  // file's channels through the import converter, behind the progress window.
  // A refused, failed or cancelled decode adds nothing and leaves no file.
  // Exports and mixdowns render the project through the mixer as playback
  // does (gains, mute, solo, chains, master), or read a segment, and write it
  // through the codecs; a cancelled or failed write leaves an existing file as
  // it was. Each command returns a status:: code (0 also after a refusal).
  static constexpr short kMp3ExportKbps = 192;

  int ImportAudioToTrack();       // 32789
  int ImportAudioToEditor();      // 32845
  int ImportAudioToLoopBank();    // 32833
  int CreateLoopFromEditor();     // 32928
  int CreateSnippetFromEditor();  // 32927
  int ExportProjectAsAudioFile();       // 32914
  int ExportSelectedLoopAsAudioFile();  // 32832
  int ExportCurrentAudioAsAudioFile();  // 32846
  int MixdownToWaveFile();  // 32807
  int MixdownToMp3File();   // 32806
  int MixdownToTrack();     // 32805
  // Decodes a ".wav" or ".mp3" file into a new segment, closed, named after the
  // file, its peaks mapped, timed at the project tempo and at least one second
  // long. 1 with *segment set; 0 refused (the refusal shown) or not an audio
  // file; 2 cancelled; 3 fault reported.
  int DecodeAudioFile(const std::string& path, std::shared_ptr<CAudioSegment>* segment);

  // ---- User-interface commands --------------------------------------------------
  // The core's part of a view switch: the Audio Editor's project tempo, then
  // the menu and lower tool bar of the mode. Refused during playback (0); 3
  // without a main window, else 0.
  int SwitchView(int mode);
  // The Track View menu's "Insert Loop" entries after the Loop Bank changed;
  // with no loops left they stay as they were. 3 without that menu, else 0.
  int RebuildLoopMenu();
  // The Audio Editor's colours for what it holds: with track colours in use,
  // the snippet's track or the loop's set, else the independent audio's. 3
  // without a view or for a loop numbered outside the bank, else 0.
  int ApplyEditorColorSet();
  // The settings commands: Project Settings 32913, Application Settings 32787,
  // Color Settings 32929, Metronome Settings 32792. Each asks its dialog and
  // applies what changed; 1 applied, 2 cancelled, 3 refused (during playback) or fault.
  int OnProjectSettings();
  int OnApplicationSettings();
  int OnColorSettings();
  int OnMetronomeSettings();
  // A new output device or buffer size: the output opened again with it; a
  // device that cannot be opened leaves the previous output working, said so.
  void ApplyOutputSettings(int32_t device, int32_t frames);
  // A track's properties (refused during playback); the same results.
  int OnTrackProperties(int trackIndex);
  // What "Project Settings" and the track properties keep between runs.
  struct SettingsChoices {
    int32_t lock = 1, units = 1, pitchUnits = 1;
  };
  SettingsChoices projectSettingsChoices{1, 1, 1};
  SettingsChoices trackPropertiesChoices{1, 2, 1};
  // While anything plays: the refusal box, and true (the command then does nothing).
  bool RefuseDuringPlayback();
  // The command map's own commands; results are status:: codes. The key
  // commands act on the shown view; each refuses or does nothing where the view
  // mode has no such thing.
  int OnShowView(int mode);
  int OnArmKey();
  int OnMuteKey();
  int OnSoloKey();
  int OnPropertiesKey();
  int OnPreviousKey();
  int OnNextKey();
  int OnPageKey(bool down);
  int OnZoomKey(bool in);
  int OnEditLoopAudioKey();
  // The tool windows: each is made on first use and keeps what it shows until
  // the program ends; a second toggle only takes it off the screen.
  int ToggleEffectsWindow();
  int ToggleLevelsWindow();
  int ToggleEditorToolWindow();
  // "Audio Properties" of what the Audio Editor holds.
  int OnAudioProperties();
  // The effects window's "All Effects - All Tracks": the mixer skips every chain.
  void SetBypassAllEffects(int flag);

  // ---- Members, in construction order ---------------------------------------
  ui::UiServices services;
 private:
  CProgramFolder programFolder_;  // made and filled before the metronome reads its samples
 public:
  std::atomic<uint32_t> mixPosition{0};  // frames; the next block the output callback mixes
  uint32_t playCursor = 0;               // where play starts and Stop returns
  CPobix devices;
  std::atomic<int32_t> mixing{0};        // 1 while an output callback is to mix
  std::unique_ptr<CAudioTrackList> snippetClipboard;
  std::shared_ptr<CAudioSegment> audioClipboard;
  std::shared_ptr<CAudioSegment> importTarget;
  CAudioTrackList project;
  CAudioLoopList loopBank;
  uint32_t playTimerId = 0;
  std::string projectPath;  // empty for a new or imported project
  EffectChainArray effectChains;
  std::array<std::shared_ptr<CAudioSegment>, kRecordSlots> recordSegments;
  COperationDialog progressWindow;
  // Lock order: the device object's lock, then this one, never the other way.
  // CPobix::Start fills the first buffers under its own lock on this thread,
  // and the preview's fill takes this lock there; so nothing that holds this
  // lock may call CPobix::Start or CPobix::Stop.
  std::mutex previewLock;
  CVorn metronome;
  CTarvex importConverter;
  platform::CPageBuffer workBuffer;
  uint32_t workBufferSize = kWorkBufferSize;
  uint32_t workBlockSize = kWorkBlockSize;
  std::shared_ptr<CAudioSnippet> editorSnippet;
  std::shared_ptr<CAudioSegment> editorSegment;
  int32_t editorSource = 0;
  int16_t editorTrackIndex = 0;
  int16_t editorLoopIndex = 0;
  std::shared_ptr<CAudioLoop> editorLoop;
  int32_t editorUsesProjectSettings = 0;
  std::string audioFolder;
  std::string tempFolder;  // every new audio segment is made here
  std::string dataFolder;  // saved projects keep their audio here
  int32_t outputDevice = 0;
  int32_t qualityLevel = 2;
  float bestFitShave = 0.08f;
  int32_t bestFitSkip = 1;
  float bestFitCorrelationLimit = 0.05f;
  int32_t useTrackColors = 0;
  int32_t bufferFrames = 8192;
  std::atomic<int32_t> playing{0};
  std::atomic<int32_t> recording{0};
  int32_t followWaveform = 1;
  uint32_t editorPlayStart = 0, editorPlayEnd = 0, editorPlayLength = 0;
  uint32_t savedViewStart = 0, savedViewEnd = 0, savedViewWidth = 0;
  ProConfig config;
  int32_t unlimitedUndo = 0;
  int32_t undoLevels = 10;
  int32_t modified = 0;
  CProDoc document{modified};
  int32_t initialised = 0;
  std::atomic<int32_t> stopGuard{0};
  COperationList undoList;
  std::array<uint32_t, kCustomColors> customColors{};
  CRecentFileList recentFiles;
  bool outputOpen = false;  // an output device was opened (there may be none)
  // The "Recording..." window's state; the window itself is the front end's.
  struct RecordingWindowState {
    int32_t stopRequested = 0;  // ended with Stop: keep the take
    int32_t cancelRequested = 0;
    int32_t active = 0;
    int32_t logging = 0;
  } recordingWindow;
  // The record-into-editor window's state; the window itself is the front end's.
  struct RecordSegmentWindowState {
    int32_t open = 0;
    int16_t channels = 2;     // 1 mono, 2 stereo
    int32_t inputIndex = 0;   // the chosen virtual input
  } recordSegmentWindow;
  std::shared_ptr<CAudioSegment> previewSegment;  // the loop a preview reads

  bool IsFirstStart() const { return firstStart_; }

  // Project files: the description fields of Project Settings.
  ProjectTags projectTags;

 private:
  void ApplyConfigAtStart();

  // Project files.
  struct UnresolvedAudio {
    std::weak_ptr<CAudioSegment> segment;
    std::string pcmPath, pekPath;  // as the project file named them
    bool pcmMissing = false, pekMissing = false;
  };
  struct ProjectLoadState;  // one load's working state
  // Empties the project for a new one, without asking.
  void ClearProject();
  void ApplyProjectImage(const ProjectImage& image, const std::string& projectFolder);
  std::shared_ptr<CAudioSegment> MakeProjectSegment(const ProjectSegmentRecord& record, ProjectLoadState& load);
  void LoadProjectChain(int chainIndex, const ProjectChainRecord& record, int32_t chainBypass, int32_t levelsLength,
                        ProjectLoadState& load);
  void LoadProjectPoints(int chainIndex, const ProjectChainRecord& record, ProjectLoadState& load);
  int OpenQvkProject(const std::string& path);
  int OpenMixProject(const std::string& path, ProjectFileType type);
  int ImportParsedMix(const MixProject& mix);
  bool CaptureProjectImage(ProjectImage* image, std::string* problem);
  bool MoveAudioToDataFolder(std::string* problem);
  void SetDocumentTitle(const std::string& title);
  // Audio a loaded project named that was found nowhere: saved with the names it had.
  std::vector<UnresolvedAudio> unresolvedAudio_;
  std::set<std::string> savedAudio_;  // audio files named by projects saved in this run
  uint32_t saves_ = 0;  // successful saves, to notice a save made while asking

  // User-interface commands.
  // The playback buffer's frames for the chains and the metronome.
  void SetBufferFrames(int32_t frames);

  bool firstStart_ = false;
  bool audioFolderAbandoned_ = false;
  // The record holds settings to keep: read whole, or filled by a first start.
  // Until then there is nothing to save (an empty record would be taken for
  // a configuration with no audio folder).
  bool configFilled_ = false;
  friend void NoteCreatedAudio(void* app, const CAudioSegment& segment);
  CAudioJournal audioJournal_;

  // Edit operations.
  friend class COperationRunning;
  enum class EditTarget { Snippet, Independent, Loop };
  int ApplyEdit(EditTarget target, int32_t operation, int32_t range);
  void FillOperationRecord(OperationParameters& params, int32_t operation, int32_t range);
  int operationRunning_ = 0;

  // Track View commands. Join (undoKind 6) or Convert (15) rendered into a
  // new snippet behind the progress window: a status:: code.
  int RenderIntoSnippet(int32_t undoKind, int index, CAudioTrackList& parts, std::shared_ptr<CAudioSnippet>* made);
  // The shift dialog keeps its units and start between runs.
  int32_t shiftTimeUnits_ = 1;
  uint32_t shiftStart_ = 0;

  // Transport.
  // Stops the device and waits until no callback of the run can still come;
  // from then on the run's posted messages are stale.
  void StopDevice();
  void ResetEffectChains();
  void StartPlayTimer();
  // The play start that Play and Record share (steps 3 and 4 of Play).
  void BeginProjectRun(bool record);
  void PositionSlider(uint32_t frames);
  // The transport's posted messages; false for one that is not the transport's.
  bool OnTransportMessage(uint32_t message, int64_t wParam, int64_t lParam);
  void ShowDropoutNotice();
  // Monitoring ends before anything else starts on the device.
  void EndMonitoringForRun();
  // The command of the view shown (none for a null member); line reports a missing view.
  void RunByView(int line, void (CProApp::*track)(), void (CProApp::*editor)(), void (CProApp::*loops)());
  // The Loop Bank's Play (or Stop) key: the selected loop's row button when it
  // is visible, else the preview itself.
  void PressLoopByView(bool play);
  void PlayLoopByView();
  void StopLoopByView();
  // Ends the "Recording..." window's part in a recording, keeping the take or
  // not; false when the window had already ended it.
  bool EndRecordingWindow(bool keep);
  // Ends the writing of a take and puts it on the disk before anything points at it.
  void CloseTake(CAudioSegment& segment);

  // What the device was last started for; None once it was stopped.
  enum class RunKind { None, Project, Editor, Preview, EditorRecording, Monitor };
  RunKind runKind_ = RunKind::None;
  std::atomic<uint32_t> run_{1};
  std::array<std::atomic<int32_t>, kRecordSlots + 1> inputFaults_{};
  std::atomic<int32_t> recordingHalted_{0};
  // A new recording takes audio again on every slot.
  void ClearInputFaults();
  void OnRecordingWriteFailed(int cause);
  int32_t monitoringInput_ = -1;     // the physical input monitored, -1 for none
  bool editorPlayUsesProject_ = false;  // the editor plays through the project's mixer

  // Audio Editor commands.
  int RunOnEditor(int32_t operation, int32_t range);
  int RemoveBetweenMarkers(int32_t operation);
  int PasteByHighlight(int32_t operation);
  int PasteAtBeginMarker(int32_t operation);
  void ShowEditorContent(const EditorContent& content);
  void FollowUndo(const COperation& record, int loopRow);
  void FollowRedo(const COperation& record, int loopRow);
  void AfterHistoryStep();
};
