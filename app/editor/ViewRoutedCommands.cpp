// Cut, Copy, Paste and Delete, from the menu or the keys, on whichever view is
// shown: the Track View's snippets, the Audio Editor's highlight, the Loop Bank's loops.
#include "editor/EditorCommon.h"

using namespace editor;

namespace {

enum class Routed { Copy, Cut, Delete, Paste };

// The Audio Editor's side: its highlight, or why not.
int OnEditorHighlight(CProApp& app, Routed command) {
  std::shared_ptr<CAudioSegment> segment = app.GetEditorSegment();
  if (command == Routed::Paste) return app.OnPasteInsert();
  if (!segment) {
    app.services.ui.Inform(command == Routed::Copy  ? kNoAudioToCopyText
                           : command == Routed::Cut ? kNoAudioToCutText
                                                    : kNoAudioToDeleteText);
    return status::kNothingDone;
  }
  if (segment->trackerSize == 0) {
    app.services.ui.Inform(kNoAudioSelectedText);
    return status::kNothingDone;
  }
  return command == Routed::Copy  ? app.OnCopyHighlighted()
         : command == Routed::Cut ? app.OnCutHighlighted()
                                  : app.OnDeleteHighlighted();
}

int Route(CProApp& app, Routed command) {
  if (track::Refused(app)) return status::kNothingDone;
  switch (app.services.view.GetViewMode()) {
    case ViewModeTrack:
      return command == Routed::Copy  ? app.CopySnippets()
             : command == Routed::Cut ? app.CutSnippets()
             : command == Routed::Delete ? app.DeleteSelectedSnippets()
                                         : app.PasteSnippets();
    case ViewModeEditor:
      return OnEditorHighlight(app, command);
    case ViewModeLoopBank:
      if (command == Routed::Delete) return app.OnDeleteSelectedLoop();
      app.services.ui.Inform(kLoopBankClipboardText);
      return status::kNothingDone;
    default:
      return status::kNothingDone;
  }
}

}  // namespace

int CProApp::OnViewCopy() { return Route(*this, Routed::Copy); }
int CProApp::OnViewCut() { return Route(*this, Routed::Cut); }
int CProApp::OnViewDelete() { return Route(*this, Routed::Delete); }
int CProApp::OnViewPaste() { return Route(*this, Routed::Paste); }

int CProApp::OnViewKey(uint32_t commandId) {
  struct Key {
    uint32_t id;
    int (CProApp::*trackView)();
    int (CProApp::*editor)();
    int (CProApp::*loopBank)();
  };
  static constexpr Key kKeys[] = {
      {kIdCopyKey, &CProApp::CopySnippets, &CProApp::OnCopyHighlighted, nullptr},
      {kIdCutKey, &CProApp::CutSnippets, &CProApp::OnCutHighlighted, nullptr},
      {kIdDeleteKey, &CProApp::DeleteSelectedSnippets, &CProApp::OnDeleteHighlighted, &CProApp::OnDeleteSelectedLoop},
      {kIdPasteKey, &CProApp::PasteSnippets, &CProApp::OnPasteInsert, nullptr},
  };
  for (const Key& key : kKeys) {
    if (key.id != commandId) continue;
    if (track::Refused(*this)) return status::kNothingDone;
    const int mode = services.view.GetViewMode();
    int (CProApp::*handler)() = mode == ViewModeTrack    ? key.trackView
                                : mode == ViewModeEditor ? key.editor
                                : mode == ViewModeLoopBank ? key.loopBank
                                                           : nullptr;
    return handler ? (this->*handler)() : status::kNothingDone;
  }
  return status::kNothingDone;
}
