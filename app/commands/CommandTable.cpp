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
      {32969, "New Project", P, [](CProApp& a) { a.NewProject(); }},
      {32924, "Open Project", P, kMissing},
      {32923, "Save Project", P, kMissing},
      {32935, "Save Project As", P, kMissing},
      // Transport of the project.
      {32834, "Play", P, kMissing},
      {32776, "Record", P, kMissing},
      {32835, "Stop", R, kMissing},
      {32931, "Rewind", P, kMissing},
      {32932, "Fast-Forward", P, kMissing},
      // Transport of the Audio Editor.
      {32986, "Play Audio", P, kMissing},
      {32987, "Play Audio in Loop Mode", P, kMissing},
      {32988, "Rewind Audio", P, kMissing},
      {32989, "Fast-Forward Audio", P, kMissing},
      {32990, "Stop Audio", A, kMissing},
      {32991, "Record Audio", P, kMissing},
      {32850, "Play key", A, kMissing},
      {32851, "Stop key", A, kMissing},
      // Transport by the shown view.
      {32955, "Stop by view", A, kMissing},
      {32956, "Play by view", A, kMissing},
      {32959, "Record by view", A, kMissing},
      {32958, "Rewind by view", A, kMissing},
      {32957, "Fast-forward by view", A, kMissing},
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
      {32838, "Cut", P, kMissing},
      {32837, "Copy", P, kMissing},
      {32836, "Paste", P, kMissing},
      {32801, "Delete", P, kMissing},
      {32962, "Delete key", A, kMissing},
      {32964, "Cut key", A, kMissing},
      {32965, "Copy key", A, kMissing},
      {32966, "Paste key", A, kMissing},
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
      {32779, "Undo", P, kMissing},
      {32780, "Redo", P, kMissing},
      {32864, "Cut Highlighted Section", E, kMissing},
      {32865, "Paste Insert", Rule::kEditorPaste, kMissing},
      {32866, "Copy Highlighted Section", E, kMissing},
      {32867, "Paste Over", E, kMissing},
      {32868, "Paste Mix", E, kMissing},
      {32869, "Delete Highlighted Section", E, kMissing},
      {32870, "Cut Between Markers", E, kMissing},
      {32871, "Copy Between Markers", E, kMissing},
      {32872, "Paste Insert at Begin Marker", E, kMissing},
      {32873, "Paste Over at Begin Marker", E, kMissing},
      {32812, "Delete Between Markers", E, kMissing},
      {32813, "Paste Mix at Begin Marker", E, kMissing},
      {32857, "Set Begin Marker", E, kMissing},
      {32858, "Set End Marker", E, kMissing},
      {32859, "Set Highlighted Section as Marker", E, kMissing},
      {32860, "Erase Begin Marker", E, kMissing},
      {32861, "Erase End Marker", E, kMissing},
      {32862, "Erase Both Markers", E, kMissing},
      {32937, "Clear Current Audio", E, kMissing},
      {32938, "Convert to Mono / Stereo", E, kMissing},
      {32844, "Mute Audio", E, kMissing},
      {32874, "Adjust Volume", E, kMissing},
      {32804, "Fade / Pan", E, kMissing},
      {32875, "Reverse Audio", E, kMissing},
      {32876, "Swap Left / Right Channels", E, kMissing},
      {32877, "Copy Channel", E, kMissing},
      {32911, "Stretch / Compress", E, kMissing},
      {32912, "Pitch Shift", E, kMissing},
      {32908, "Echo / Delay", E, kMissing},
      {32909, "Flange", E, kMissing},
      {32930, "Chorus", E, kMissing},
      {32910, "Reverb", E, kMissing},
      {32878, "Equalizer", E, kMissing},
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
      {msg::kEditorPlay, "Audio Editor play", nullptr},
      {msg::kEditorPlayAlso, "Audio Editor play", nullptr},
      {msg::kEditorStop, "Audio Editor stop", nullptr},
      {msg::kCreateLoopFromEditor, "Create loop from the Audio Editor", [](CProApp& a, int64_t, int64_t) { a.OnCreateLoopMessage(); }},
      {msg::kStartEditorRecording, "Start editor recording", nullptr},
      {msg::kFinishEditorRecording, "Finish editor recording", nullptr},
      {msg::kCancelEditorRecording, "Cancel editor recording", nullptr},
      {msg::kTempoUp, "Tempo up", [](CProApp& a, int64_t, int64_t) { a.TempoUp(); }},
      {msg::kTempoDown, "Tempo down", [](CProApp& a, int64_t, int64_t) { a.TempoDown(); }},
      {msg::kEditLoopAudio, "Edit loop audio", [](CProApp& a, int64_t, int64_t) { a.OnEditLoopAudio(); }},
      {msg::kPlayLoopPreview, "Play loop preview", nullptr},
      {msg::kStopLoopPreview, "Stop loop preview", nullptr},
      {msg::kDropoutNotice, "Dropout notice", nullptr},
      {msg::kDropoutNoticeAlso, "Dropout notice", nullptr},
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
