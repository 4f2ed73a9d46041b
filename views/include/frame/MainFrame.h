// The main window: the menu bar of the shown view, the upper tool bar, the
// view, and at the foot the band bar with one lower tool bar per view, of
// which only the shown view's band is visible. It routes every menu item and
// tool bar button through the command router, turns the skinned buttons'
// messages into the editors' zoom and row operations, remembers its placement
// and, when closed, stops what plays and asks about the project first.
//
// The frame assembles its parts; what the commands do lives in the core.
//
// Threads: user-interface thread only.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "MainWndPlacement.h"
#include "frame/FrameView.h"

class CEmptyView;
class CLoopToolBar;
class CMyMenu;
class CMyToolBarEditorLower;
class CMyToolBarTrackLower;
class CMyToolBarUpper;
class CReBar;
class QTimer;
class QVBoxLayout;

class CMainFrame final : public QMainWindow {
 public:
  // Wide enough that the lower tool bars keep their transport buttons and a
  // position slider a hand can move (its left edge is at 625).
  static constexpr int kMinimumWidth = 700;
  static constexpr int kMinimumHeight = 400;
  // The skinned buttons' messages.
  static constexpr uint32_t kFirstButtonMessage = 42935;
  static constexpr uint32_t kLastButtonMessage = 42944;
  static constexpr const char* kResolutionNotice = "Sorry, minimum resolution must be 800 x 600.";

  // Where the window opens on a screen of that size; no rectangle: the screen is
  // too small, the notice is shown and the window keeps its default size.
  static std::optional<QRect> StartGeometry(QSize screen);

  CMainFrame(ui::IUserInterface& ui, ui::IProfile& profile, CCommandRouter& router, CProApp* app,
             QWidget* parent = nullptr);
  ~CMainFrame() override;

  // Makes the bars, the menus and the bands, and sizes the window for the
  // screen; 0, or -1 when a part could not be made.
  int Create(QSize screen);
  // What Create did, in order (for whoever needs to check the assembly).
  const std::vector<std::string>& CreationSteps() const { return creationSteps_; }

  // The menu bar shows this menu's items; null removes the menu.
  void SetOwnerDrawnMenu(CMyMenu* menu);
  CMyMenu* OwnerDrawnMenu() const { return shownMenu_; }
  CMyMenu* MenuForView(int mode) const;
  // Shows the lower band of the view mode (1, 2, 3) and hides the others.
  void ShowToolBarForView(int mode);

  // The hosted view; null hosts the empty view area.
  void SetView(IFrameView* view);
  IFrameView* View() const { return context_.view; }
  // Shows the window; restorePlacement: the stored placement comes back once it has painted.
  void ShowMainWindow(bool restorePlacement);
  // The modified-project question when the window closes: 2 keeps it open.
  void SetCloseQuery(std::function<int()> query) { closeQuery_ = std::move(query); }
  // Called once, after the window's next paint has reached the screen.
  void CallAfterNextPaint(std::function<void()> handler) { afterNextPaint_ = std::move(handler); }
  // Called when the window has closed for good.
  void SetClosedHandler(std::function<void()> handler) { onClosed_ = std::move(handler); }
  // The recent projects in the File menus (their commands are the router's).
  void SetRecentFiles(const std::vector<std::string>& paths);
  // Enabled states of the bars' buttons from the router.
  void UpdateCommandUi();
  bool HasPainted() const { return painted_; }
  FrameContext& Context() { return context_; }

  // Parts, in the order the frame holds them.
  CReBar* reBar = nullptr;
  CMyToolBarTrackLower* trackToolBar = nullptr;
  CMyToolBarUpper* upperToolBar = nullptr;
  CMyToolBarEditorLower* editorToolBar = nullptr;
  CLoopToolBar* loopToolBar = nullptr;
  int shownBand = 0;
  std::unique_ptr<CMyMenu> trackMenu, editorMenu, loopMenu;

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void OnButtonMessage(uint32_t message);
  void OnCommand(int id);
  void ApplyStoredPlacement();
  void SavePlacement();

  FrameContext context_;
  CMainWndPlacement placement_;
  std::optional<WindowPlacement> pendingPlacement_;
  QWidget* central_ = nullptr;
  QVBoxLayout* layout_ = nullptr;
  CEmptyView* emptyView_ = nullptr;
  CMyMenu* shownMenu_ = nullptr;
  QTimer* updateTimer_ = nullptr;
  std::vector<std::string> recentFiles_;
  std::vector<std::string> creationSteps_;
  std::function<int()> closeQuery_;
  std::function<void()> afterNextPaint_;
  std::function<void()> onClosed_;
  bool painted_ = false;
  bool closed_ = false;
};

// Whether a dropped file is a project the program opens (".qvk", or ".mix" to import).
bool IsProjectFile(const std::string& path);
