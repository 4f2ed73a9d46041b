#include "frame/MenuResources.h"

namespace {

using Items = std::vector<MenuResourceItem>;

MenuResourceItem Item(int id, const char* text) { return {id, text, {}}; }
MenuResourceItem Separator() { return {0, nullptr, {}}; }
MenuResourceItem DropDown(const char* text, Items items) { return {0, text, std::move(items)}; }

Items FileTop() {
  return {Item(32969, "&New Project"), Item(32924, "&Open Project...\tCtrl+O"), Item(32934, "&Close"),
          Item(32923, "&Save Project\tCtrl+S"), Item(32935, "Save Project &As..."), Separator()};
}

Items FileBottom() {
  return {Separator(), Item(menu::kRecentFileFirst, "Recent File"), Separator(), Item(menu::kAppExit, "E&xit")};
}

Items Concat(Items a, const Items& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

MenuResourceItem ViewMenu(bool editorTool) {
  Items items = {Item(32944, "&Track View\tCtrl+T"), Item(32945, "&Audio Editor\tCtrl+E"),
                 Item(32946, "&Loop Bank\tCtrl+B"), Separator()};
  if (editorTool) items.push_back(Item(32907, "Editor &Tool"));
  items.push_back(Item(32890, "Realtime &Effects"));
  items.push_back(Item(32793, "Audio Le&vels"));
  return DropDown("&View", std::move(items));
}

MenuResourceItem SettingsMenu() {
  return DropDown("&Settings", {Item(32913, "&Project Settings"), Item(32787, "&Application Settings"),
                                Item(32929, "&Color Settings"), Item(32792, "&Metronome Settings")});
}

MenuResourceItem HelpMenu() {
  return DropDown("&Help", {Item(32921, "Launch Web Based &Help\tF1"), Separator(),
                            Item(menu::kAppAbout, "&About Tessiro...")});
}

MenuResourceItem Filler() { return Item(0, menu::kFillerText); }

Items TrackViewMenu() {
  return {
      DropDown("&File", Concat(Concat(FileTop(),
                                      {Item(32789, "&Import Audio File to Track"),
                                       Item(32914, "&Export Project as Audio File..."), Separator(),
                                       Item(32805, "&Mixdown to Track..."), Item(32807, "Mixdown to &Wave File..."),
                                       Item(32806, "Mixdown to MP&3 File...")}),
                               FileBottom())),
      // Position 15 holds the Insert Loop submenu, which the Loop Bank fills.
      DropDown("&Edit", {Item(32779, "&Undo\tCtrl+Z"),
                         Item(32780, "&Redo\tCtrl+Y"),
                         Separator(),
                         Item(32838, "Cu&t\tCtrl+X"),
                         Item(32837, "&Copy\tCtrl+C"),
                         Item(32836, "&Paste\tCtrl+V"),
                         Item(32801, "&Delete\tDel"),
                         Separator(),
                         Item(32842, "&Select All Snippets"),
                         Item(32843, "&Deselect All Snippets"),
                         Item(32841, "&Join Selected Snippets"),
                         Item(32915, "&Edit Snippet"),
                         Item(32917, "&Set Snippet on Top"),
                         Item(32916, "Snippet &Properties"),
                         Separator(),
                         DropDown("&Insert Loop", {Item(menu::kLoopBankIsEmpty, "Loop Bank is Empty")}),
                         Separator(),
                         Item(32802, "&Clear Selected Track"),
                         Item(32803, "&Shift All Snippets")}),
      DropDown("&Track", {Item(32947, "&Arm\tCtrl+A"), Item(32949, "&Mute\tCtrl+M"), Item(32948, "S&olo\tCtrl+L"),
                          Item(32950, "&Properties\tCtrl+P"), Separator(), Item(32834, "P&lay\tCtrl+Space"),
                          Item(32835, "&Stop\tEsc"), Item(32776, "&Record\tCtrl+R"),
                          Item(32931, "Re&wind\tCtrl+Left"), Item(32932, "&Fast-Forward\tCtrl+Right")}),
      ViewMenu(false),
      SettingsMenu(),
      HelpMenu(),
      Filler(),
  };
}

Items AudioEditorMenu() {
  return {
      DropDown("&File", Concat(Concat(FileTop(), {Item(32845, "&Import Audio File to Editor"),
                                                  Item(32846, "&Export Current Audio As Audio File...")}),
                               FileBottom())),
      DropDown("&Edit", {Item(32779, "&Undo\tCtrl+Z"),
                         Item(32780, "&Redo\tCtrl+Y"),
                         Separator(),
                         Item(32864, "&Cut Highlighted Section\tCtrl+X"),
                         Item(32866, "&Copy Highlighted Section\tCtrl+C"),
                         Item(32865, "&Paste Insert\tCtrl+V"),
                         Item(32867, "&Paste Over"),
                         Item(32868, "&Paste Mix"),
                         Item(32869, "&Delete Highlighted Section\tDel"),
                         Separator(),
                         Item(32870, "&Cut Between Markers"),
                         Item(32871, "&Copy Between Markers"),
                         Item(32872, "&Paste Insert at Begin Marker"),
                         Item(32873, "&Paste Over at Begin Marker"),
                         Item(32813, "&Paste Mix at Begin Marker"),
                         Item(32812, "&Delete Between Markers"),
                         Separator(),
                         Item(32938, "&Convert to Mono / Stereo"),
                         Item(32937, "&Clear Current Audio")}),
      DropDown("&Markers", {Item(32857, "&Set Begin Marker"), Item(32858, "Set &End Marker"),
                            Item(32859, "Set &Highlighted Section as Marker"), Separator(),
                            Item(32860, "&Erase Begin Marker"), Item(32861, "Erase End &Marker"),
                            Item(32862, "Erase &Both Markers")}),
      DropDown("&Tools", {Item(32844, "&Mute Audio"), Item(32874, "&Adjust Volume"), Item(32804, "&Fade / Pan"),
                          Item(32875, "&Reverse Audio"), Item(32876, "&Swap Left / Right Channels"),
                          Item(32877, "&Copy Channel"), Separator(), Item(32911, "&Stretch / Compress"),
                          Item(32912, "&Pitch Shift"), Separator(), Item(32908, "&Echo / Delay"),
                          Item(32909, "&Flange"), Item(32930, "&Chorus"), Item(32910, "&Reverb"),
                          Item(32878, "&Equalizer")}),
      DropDown("&Audio", {Item(32986, "&Play"), Item(32987, "Play in &Loop Mode"), Item(32990, "&Stop"),
                          Item(32991, "&Record"), Item(32988, "Re&wind"), Item(32989, "&Fast-Forward"), Separator(),
                          Item(32926, "Audio Pr&operties"), Item(32927, "&Create Track Snippet"),
                          Item(32928, "&Create Audio Loop")}),
      ViewMenu(true),
      SettingsMenu(),
      HelpMenu(),
      Filler(),
  };
}

Items LoopBankMenu() {
  return {
      DropDown("&File", Concat(Concat(FileTop(), {Item(32833, "&Import Audio File to Loop Bank"),
                                                  Item(32832, "&Export Selected Loop as Audio File...")}),
                               FileBottom())),
      DropDown("&Edit", {Item(32779, "&Undo\tCtrl+Z"), Item(32780, "&Redo\tCtrl+Y"), Separator(),
                         Item(32925, "Edit &Selected Loop's Audio"),
                         Item(32826, "Edit Selected &Loop's Properties"), Item(32827, "&Delete Selected Loop\tDel")}),
      ViewMenu(false),
      SettingsMenu(),
      HelpMenu(),
      Filler(),
  };
}

// The Track View's right-click menu: one popup, whose snippet items (from the
// first separator through Snippet Properties) go when no snippet was hit.
Items TrackContextMenu() {
  return {DropDown("", {Item(32838, "Cu&t\tCtrl+X"), Item(32837, "&Copy\tCtrl+C"), Item(32836, "&Paste\tCtrl+V"),
                        Item(32801, "&Delete\tDel"), Item(32802, "&Clear Selected Track"), Separator(),
                        Item(32915, "&Edit Snippet"), Item(32917, "&Set Snippet on Top"),
                        Item(32916, "Snippet &Properties"), Separator(),
                        DropDown("&Insert Loop", {Item(menu::kContextLoopBankIsEmpty, "Loop Bank is Empty")})})};
}

}  // namespace

const std::vector<MenuResourceItem>& MenuResource(int resourceId) {
  static const Items kTrack = TrackViewMenu();
  static const Items kEditor = AudioEditorMenu();
  static const Items kLoop = LoopBankMenu();
  static const Items kContext = TrackContextMenu();
  static const Items kNone;
  switch (resourceId) {
    case menu::kTrackViewMenu: return kTrack;
    case menu::kAudioEditorMenu: return kEditor;
    case menu::kLoopBankMenu: return kLoop;
    case menu::kTrackContextMenu: return kContext;
    default: return kNone;
  }
}
