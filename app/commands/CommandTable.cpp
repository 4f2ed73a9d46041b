#include "commands/CommandTable.h"

#include <algorithm>

#include "CommandRouter.h"
#include "Messages.h"
#include "pro.h"

namespace commands {
namespace {

constexpr Rule A = Rule::kAlways;
constexpr Rule P = Rule::kNotPlaying;
constexpr Rule R = Rule::kNotRecording;
constexpr Rule E = Rule::kEditorAudio;

// A command whose operation is not built yet.
constexpr Handler kMissing = nullptr;

std::vector<CommandEntry> MakeTable() {
  return {
      // File.
      {32969, "New Project", P, [](CProApp& a) { a.OnFileNew(); }},
      {32924, "Open Project", P, [](CProApp& a) { a.OnFileOpen(); }},
      {32923, "Save Project", P, [](CProApp& a) { a.OnFileSave(); }},
      {32935, "Save Project As", P, [](CProApp& a) { a.OnFileSaveAs(); }},
      // Transport of the project.
      {32834, "Play", P, [](CProApp& a) { a.OnPlayProject(); }},
      {32776, "Record", P, [](CProApp& a) { a.OnRecordProject(); }},
      {32835, "Stop", R, [](CProApp& a) { a.OnStopProject(); }},
      {32931, "Rewind", P, [](CProApp& a) { a.OnRewindProject(); }},
      {32932, "Fast-Forward", P, [](CProApp& a) { a.OnFastForwardProject(); }},
      // Transport of the Audio Editor.
      {32986, "Play Audio", P, [](CProApp& a) { a.OnEditorPlay(); }},
      {32987, "Play Audio in Loop Mode", P, [](CProApp& a) { a.OnEditorPlayLoop(); }},
      {32988, "Rewind Audio", P, [](CProApp& a) { a.OnEditorRewind(); }},
      {32989, "Fast-Forward Audio", P, [](CProApp& a) { a.OnEditorFastForward(); }},
      {32990, "Stop Audio", A, [](CProApp& a) { a.OnStopPlayback(); }},
      {32991, "Record Audio", P, [](CProApp& a) { a.OpenRecordSegmentWindow(); }},
      {32850, "Play key", A, [](CProApp& a) { a.OnEditorPlay(); }},
      {32851, "Stop key", A, [](CProApp& a) { a.OnStopPlayback(); }},
      // Transport by the shown view.
      {32955, "Stop by view", A, [](CProApp& a) { a.OnStopByView(); }},
      {32956, "Play by view", A, [](CProApp& a) { a.OnPlayByView(); }},
      {32959, "Record by view", A, [](CProApp& a) { a.OnRecordByView(); }},
      {32958, "Rewind by view", A, [](CProApp& a) { a.OnRewindByView(); }},
      {32957, "Fast-forward by view", A, [](CProApp& a) { a.OnFastForwardByView(); }},
      // Imports and creations.
      {32789, "Import Audio File to Track", P, [](CProApp& a) { a.ImportAudioToTrack(); }},
      {32845, "Import Audio File to Editor", P, [](CProApp& a) { a.ImportAudioToEditor(); }},
      {32833, "Import Audio File to Loop Bank", P, [](CProApp& a) { a.ImportAudioToLoopBank(); }},
      {32927, "Create Track Snippet", E, [](CProApp& a) { a.CreateSnippetFromEditor(); }},
      {32928, "Create Audio Loop", E, [](CProApp& a) { a.CreateLoopFromEditor(); }},
      // Mixdowns and exports.
      {32805, "Mixdown to Track", P, [](CProApp& a) { a.MixdownToTrack(); }},
      {32807, "Mixdown to Wave File", P, [](CProApp& a) { a.MixdownToWaveFile(); }},
      {32806, "Mixdown to MP3 File", P, [](CProApp& a) { a.MixdownToMp3File(); }},
      {32914, "Export Project as Audio File", P, [](CProApp& a) { a.ExportProjectAsAudioFile(); }},
      {32832, "Export Selected Loop as Audio File", P, [](CProApp& a) { a.ExportSelectedLoopAsAudioFile(); }},
      {32846, "Export Current Audio As Audio File", P, [](CProApp& a) { a.ExportCurrentAudioAsAudioFile(); }},
      // Cut, copy, paste and delete of the shown view.
      {32838, "Cut", P, [](CProApp& a) { a.OnViewCut(); }},
      {32837, "Copy", P, [](CProApp& a) { a.OnViewCopy(); }},
      {32836, "Paste", P, [](CProApp& a) { a.OnViewPaste(); }},
      {32801, "Delete", P, [](CProApp& a) { a.OnViewDelete(); }},
      {32962, "Delete key", A, [](CProApp& a) { a.OnViewKey(32962); }},
      {32964, "Cut key", A, [](CProApp& a) { a.OnViewKey(32964); }},
      {32965, "Copy key", A, [](CProApp& a) { a.OnViewKey(32965); }},
      {32966, "Paste key", A, [](CProApp& a) { a.OnViewKey(32966); }},
      // Track View.
      {32842, "Select All Snippets", P, [](CProApp& a) { a.OnSelectAllSnippets(); }},
      {32843, "Deselect All Snippets", P, [](CProApp& a) { a.OnDeselectAllSnippets(); }},
      {32802, "Clear Selected Track", P, [](CProApp& a) { a.OnClearSelectedTrack(); }},
      {32803, "Shift All Snippets", P, [](CProApp& a) { a.OnShiftAllSnippets(); }},
      {32841, "Join Selected Snippets", P, [](CProApp& a) { a.OnJoinSnippets(); }},
      {32915, "Edit Snippet", A, [](CProApp& a) { a.OnEditSnippet(); }},
      {32916, "Snippet Properties", A, [](CProApp& a) { a.OnSnippetProperties(); }},
      {32917, "Set Snippet on Top", A, [](CProApp& a) { a.OnSetSnippetOnTop(); }},
      // Loops.
      {32826, "Edit Selected Loop's Properties", P, [](CProApp& a) { a.OnLoopProperties(); }},
      {32827, "Delete Selected Loop", P, [](CProApp& a) { a.OnDeleteSelectedLoop(); }},
      {32925, "Edit Selected Loop's Audio", P, [](CProApp& a) { a.OnEditLoopAudio(); }},
      // Audio Editor: history, edit menu, markers, tools.
      {32779, "Undo", P, [](CProApp& a) { a.OnUndo(); }},
      {32780, "Redo", P, [](CProApp& a) { a.OnRedo(); }},
      {32864, "Cut Highlighted Section", E, [](CProApp& a) { a.OnCutHighlighted(); }},
      {32865, "Paste Insert", Rule::kEditorPaste, [](CProApp& a) { a.OnPasteInsert(); }},
      {32866, "Copy Highlighted Section", E, [](CProApp& a) { a.OnCopyHighlighted(); }},
      {32867, "Paste Over", E, [](CProApp& a) { a.OnPasteOver(); }},
      {32868, "Paste Mix", E, [](CProApp& a) { a.OnPasteMix(); }},
      {32869, "Delete Highlighted Section", E, [](CProApp& a) { a.OnDeleteHighlighted(); }},
      {32870, "Cut Between Markers", E, [](CProApp& a) { a.OnCutBetweenMarkers(); }},
      {32871, "Copy Between Markers", E, [](CProApp& a) { a.OnCopyBetweenMarkers(); }},
      {32872, "Paste Insert at Begin Marker", E, [](CProApp& a) { a.OnPasteInsertAtMarker(); }},
      {32873, "Paste Over at Begin Marker", E, [](CProApp& a) { a.OnPasteOverAtMarker(); }},
      {32812, "Delete Between Markers", E, [](CProApp& a) { a.OnDeleteBetweenMarkers(); }},
      {32813, "Paste Mix at Begin Marker", E, [](CProApp& a) { a.OnPasteMixAtMarker(); }},
      {32857, "Set Begin Marker", E, [](CProApp& a) { a.OnSetBeginMarker(); }},
      {32858, "Set End Marker", E, [](CProApp& a) { a.OnSetEndMarker(); }},
      {32859, "Set Highlighted Section as Marker", E, [](CProApp& a) { a.OnHighlightToMarkers(); }},
      {32860, "Erase Begin Marker", E, [](CProApp& a) { a.OnEraseBeginMarker(); }},
      {32861, "Erase End Marker", E, [](CProApp& a) { a.OnEraseEndMarker(); }},
      {32862, "Erase Both Markers", E, [](CProApp& a) { a.OnEraseBothMarkers(); }},
      {32937, "Clear Current Audio", E, [](CProApp& a) { a.OnClearCurrentAudio(); }},
      {32938, "Convert to Mono / Stereo", E, [](CProApp& a) { a.OnConvertChannels(); }},
      {32844, "Mute Audio", E, [](CProApp& a) { a.OnEditorTool(32844); }},
      {32874, "Adjust Volume", E, [](CProApp& a) { a.OnEditorTool(32874); }},
      {32804, "Fade / Pan", E, [](CProApp& a) { a.OnEditorTool(32804); }},
      {32875, "Reverse Audio", E, [](CProApp& a) { a.OnEditorTool(32875); }},
      {32876, "Swap Left / Right Channels", E, [](CProApp& a) { a.OnEditorTool(32876); }},
      {32877, "Copy Channel", E, [](CProApp& a) { a.OnEditorTool(32877); }},
      {32911, "Stretch / Compress", E, [](CProApp& a) { a.OnEditorTool(32911); }},
      {32912, "Pitch Shift", E, [](CProApp& a) { a.OnEditorTool(32912); }},
      {32908, "Echo / Delay", E, [](CProApp& a) { a.OnEditorTool(32908); }},
      {32909, "Flange", E, [](CProApp& a) { a.OnEditorTool(32909); }},
      {32930, "Chorus", E, [](CProApp& a) { a.OnEditorTool(32930); }},
      {32910, "Reverb", E, [](CProApp& a) { a.OnEditorTool(32910); }},
      {32878, "Equalizer", E, [](CProApp& a) { a.OnEditorTool(32878); }},
      // Windows.
      {32890, "Realtime Effects", A, [](CProApp& a) { a.ToggleEffectsWindow(); }},
      {32793, "Audio Levels", A, [](CProApp& a) { a.ToggleLevelsWindow(); }},
      {32907, "Editor Tool", A, [](CProApp& a) { a.ToggleEditorToolWindow(); }},
      // Settings and properties.
      {32913, "Project Settings", P, [](CProApp& a) { a.OnProjectSettings(); }},
      {32787, "Application Settings", P, [](CProApp& a) { a.OnApplicationSettings(); }},
      {32929, "Color Settings", P, [](CProApp& a) { a.OnColorSettings(); }},
      {32792, "Metronome Settings", P, [](CProApp& a) { a.OnMetronomeSettings(); }},
      {32926, "Audio Properties", E, [](CProApp& a) { a.OnAudioProperties(); }},
      // Keys.
      {32944, "Show Track View", A, [](CProApp& a) { a.OnShowView(ViewModeTrack); }},
      {32945, "Show Audio Editor", A, [](CProApp& a) { a.OnShowView(ViewModeEditor); }},
      {32946, "Show Loop Bank", A, [](CProApp& a) { a.OnShowView(ViewModeLoopBank); }},
      {32947, "Arm", A, [](CProApp& a) { a.OnArmKey(); }},
      {32949, "Mute", A, [](CProApp& a) { a.OnMuteKey(); }},
      {32948, "Solo", A, [](CProApp& a) { a.OnSoloKey(); }},
      {32950, "Properties", A, [](CProApp& a) { a.OnPropertiesKey(); }},
      {32951, "Previous", A, [](CProApp& a) { a.OnPreviousKey(); }},
      {32952, "Next", A, [](CProApp& a) { a.OnNextKey(); }},
      {32953, "Page Up", A, [](CProApp& a) { a.OnPageKey(false); }},
      {32954, "Page Down", A, [](CProApp& a) { a.OnPageKey(true); }},
      {32960, "Zoom In", A, [](CProApp& a) { a.OnZoomKey(true); }},
      {32961, "Zoom Out", A, [](CProApp& a) { a.OnZoomKey(false); }},
      {32968, "Edit Loop Audio key", A, [](CProApp& a) { a.OnEditLoopAudioKey(); }},
      // The front end's (About, Help, Enter need its windows).
      {kAboutCommand, "About", A, kMissing},
      {kHelpCommand, "Launch Web Based Help", A, kMissing},
      {kEnterCommand, "Enter", A, kMissing},
  };
}

std::vector<MessageEntry> MakeMessages() {
  return {
      {msg::kEditorPlay, "Audio Editor play", [](CProApp& a, int64_t w, int64_t l) { a.OnPostedMessage(msg::kEditorPlay, w, l); }},
      {msg::kEditorPlayAlso, "Audio Editor play", [](CProApp& a, int64_t w, int64_t l) { a.OnPostedMessage(msg::kEditorPlayAlso, w, l); }},
      {msg::kEditorStop, "Audio Editor stop", [](CProApp& a, int64_t w, int64_t l) { a.OnPostedMessage(msg::kEditorStop, w, l); }},
      {msg::kCreateLoopFromEditor, "Create loop from the Audio Editor", [](CProApp& a, int64_t, int64_t) { a.OnCreateLoopMessage(); }},
      {msg::kStartEditorRecording, "Start editor recording", [](CProApp& a, int64_t w, int64_t l) { a.OnPostedMessage(msg::kStartEditorRecording, w, l); }},
      {msg::kFinishEditorRecording, "Finish editor recording", [](CProApp& a, int64_t w, int64_t l) { a.OnPostedMessage(msg::kFinishEditorRecording, w, l); }},
      {msg::kCancelEditorRecording, "Cancel editor recording", [](CProApp& a, int64_t w, int64_t l) { a.OnPostedMessage(msg::kCancelEditorRecording, w, l); }},
      {msg::kTempoUp, "Tempo up", [](CProApp& a, int64_t, int64_t) { a.TempoUp(); }},
      {msg::kTempoDown, "Tempo down", [](CProApp& a, int64_t, int64_t) { a.TempoDown(); }},
      {msg::kEditLoopAudio, "Edit loop audio", [](CProApp& a, int64_t, int64_t) { a.OnEditLoopAudio(); }},
      {msg::kPlayLoopPreview, "Play loop preview", [](CProApp& a, int64_t w, int64_t l) { a.OnPostedMessage(msg::kPlayLoopPreview, w, l); }},
      {msg::kStopLoopPreview, "Stop loop preview", [](CProApp& a, int64_t w, int64_t l) { a.OnPostedMessage(msg::kStopLoopPreview, w, l); }},
      {msg::kDropoutNotice, "Dropout notice", [](CProApp& a, int64_t w, int64_t l) { a.OnPostedMessage(msg::kDropoutNotice, w, l); }},
      {msg::kDropoutNoticeAlso, "Dropout notice", [](CProApp& a, int64_t w, int64_t l) { a.OnPostedMessage(msg::kDropoutNoticeAlso, w, l); }},
  };
}

}  // namespace

const std::vector<CommandEntry>& CommandTable() {
  static const std::vector<CommandEntry> table = MakeTable();
  return table;
}

const std::vector<MessageEntry>& MessageTable() {
  static const std::vector<MessageEntry> table = MakeMessages();
  return table;
}

const CommandEntry* FindCommand(int id) {
  const auto& table = CommandTable();
  auto it = std::find_if(table.begin(), table.end(), [id](const CommandEntry& e) { return e.id == id; });
  return it == table.end() ? nullptr : &*it;
}

bool RuleAllows(Rule rule, const CProApp& app) {
  const bool playing = app.playing.load() != 0;
  switch (rule) {
    case Rule::kAlways: return true;
    case Rule::kNotPlaying: return !playing;
    case Rule::kNotRecording: return app.recording.load() == 0;
    case Rule::kEditorAudio: return !playing && app.editorSource != EditorSourceNothing;
    case Rule::kEditorPaste: return !playing;
  }
  return false;
}

void RegisterCommandMap(CCommandRouter& router, CProApp& app) {
  for (const CommandEntry& entry : CommandTable()) {
    if (!entry.run) continue;
    const Handler run = entry.run;
    const Rule rule = entry.rule;
    router.On(
        entry.id, [&app, run] { run(app); },
        [&app, rule] { return !app.IsOperationRunning() && RuleAllows(rule, app); });
  }
  router.OnRange(
      kFirstLoopCommand, kLastLoopCommand, [&app](int id) { app.OnInsertLoopCommand(static_cast<uint32_t>(id)); },
      [&app] { return !app.IsOperationRunning() && RuleAllows(kLoopCommandRule, app); });
  for (const MessageEntry& entry : MessageTable()) {
    if (!entry.run) continue;
    const MessageHandler run = entry.run;
    router.OnMessage(entry.message, [&app, run](int64_t wParam, int64_t lParam) {
      if (!app.IsOperationRunning()) run(app, wParam, lParam);
    });
  }
}

}  // namespace commands
