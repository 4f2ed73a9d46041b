#include "frame/MainFrame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <utility>

#include "controls/PostedMessage.h"
#include "frame/Accelerators.h"
#include "frame/LoopToolBar.h"
#include "frame/MenuStyle.h"
#include "frame/MyMenu.h"
#include "frame/ReBar.h"
#include "frame/ScreenFit.h"
#include "frame/ToolBarEditorLower.h"
#include "frame/ToolBarTrackLower.h"
#include "frame/ToolBarUpper.h"
#include "pro.h"
#include "skin/SkinFactory.h"

namespace {

// How often the bars read their buttons' states (playing can end on its own).
constexpr int kUpdateIntervalMs = 200;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

bool IsProjectFile(const std::string& path) {
  const std::string name = Lower(path);
  auto endsWith = [&](const char* suffix) {
    const size_t n = std::char_traits<char>::length(suffix);
    return name.size() > n && name.compare(name.size() - n, n, suffix) == 0;
  };
  return endsWith(".qvk") || endsWith(".mix");
}

std::optional<QRect> CMainFrame::StartGeometry(QSize screen) {
  if (screen.width() < 800 && screen.height() < 600) return std::nullopt;
  if (screen == QSize(800, 600)) return QRect(0, 0, 800, 600);
  return QRect(100, 100, 835, 550);
}

CMainFrame::CMainFrame(ui::IUserInterface& ui, ui::IProfile& profile, CCommandRouter& router, CProApp* app,
                       QWidget* parent)
    : QMainWindow(parent), context_{ui, profile, router, app, nullptr}, placement_(profile) {
  setObjectName(QStringLiteral("mainframe"));
  setAcceptDrops(true);
  setMinimumSize(kMinimumWidth, kMinimumHeight);
}

CMainFrame::~CMainFrame() {
  if (MainWindow() == this) SetMainWindow(nullptr);
  // The menu bar lets go of the menus' actions before the menus go.
  menuBar()->clear();
  trackMenu.reset();
  editorMenu.reset();
  loopMenu.reset();
}

int CMainFrame::Create(QSize screen) {
  SetMainWindow(this);
  creationSteps_.push_back("frame");
  central_ = new QWidget(this);
  central_->setObjectName(QStringLiteral("central"));
  layout_ = new QVBoxLayout(central_);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  setCentralWidget(central_);

  editorToolBar = new CMyToolBarEditorLower(context_, central_);
  creationSteps_.push_back("toolbar 349");
  loopToolBar = new CLoopToolBar(central_);
  creationSteps_.push_back("toolbar 280");
  trackToolBar = new CMyToolBarTrackLower(context_, central_);
  creationSteps_.push_back("toolbar 235");

  menuBar()->setStyle(&CMenuStyle::Instance());
  menuBar()->setFont(CMenuStyle::Font());
  menuBar()->setNativeMenuBar(false);
  auto makeMenu = [this](int resource) {
    auto menu = std::make_unique<CMyMenu>(this);
    if (!menu->LoadOwnerDrawn(resource)) return std::unique_ptr<CMyMenu>();
    menu->SetCommandHandler([this](int id) { OnCommand(id); });
    // Exit is the frame's own: it may always be chosen.
    menu->SetEnabledQuery([this](int id) { return id == menu::kAppExit || context_.router.IsEnabled(id); });
    creationSteps_.push_back("menu " + std::to_string(resource));
    return menu;
  };
  trackMenu = makeMenu(menu::kTrackViewMenu);
  editorMenu = makeMenu(menu::kAudioEditorMenu);
  loopMenu = makeMenu(menu::kLoopBankMenu);
  if (trackMenu) SetOwnerDrawnMenu(trackMenu.get());

  upperToolBar = new CMyToolBarUpper(central_);
  creationSteps_.push_back("toolbar 128");

  emptyView_ = new CEmptyView(central_);
  context_.view = emptyView_;

  reBar = new CReBar(central_);
  creationSteps_.push_back("rebar");
  for (CSkinToolBar* band : {static_cast<CSkinToolBar*>(trackToolBar), static_cast<CSkinToolBar*>(editorToolBar),
                             static_cast<CSkinToolBar*>(loopToolBar)}) {
    const int index = reBar->AddBand(band);
    creationSteps_.push_back("band " + std::to_string(index) + " " + std::to_string(band->ResourceId()));
  }
  reBar->ShowBand(1, false);
  reBar->ShowBand(2, false);
  shownBand = 0;

  layout_->addWidget(upperToolBar);
  layout_->addWidget(emptyView_, 1);
  layout_->addWidget(reBar);
  for (CSkinToolBar* bar : {static_cast<CSkinToolBar*>(upperToolBar), static_cast<CSkinToolBar*>(trackToolBar),
                            static_cast<CSkinToolBar*>(editorToolBar), static_cast<CSkinToolBar*>(loopToolBar)}) {
    bar->SetRouter(&context_.router);
  }

  if (std::optional<QRect> start = StartGeometry(screen)) {
    setGeometry(*start);
    FitOnScreen(*this);
  } else {
    context_.ui.MessageBox(kResolutionNotice, ui::Icon::Information);
  }

  InstallAccelerators(*this, [this](int id) { OnCommand(id); });

  updateTimer_ = new QTimer(this);
  connect(updateTimer_, &QTimer::timeout, this, [this] { UpdateCommandUi(); });
  updateTimer_->start(kUpdateIntervalMs);
  return 0;
}

void CMainFrame::SetOwnerDrawnMenu(CMyMenu* menu) {
  if (menu == shownMenu_ && menu) return;
  menuBar()->clear();
  shownMenu_ = menu;
  if (!menu) {
    menuBar()->hide();
    return;
  }
  for (QAction* action : menu->Actions()) menuBar()->addAction(action);
  menuBar()->show();
}

CMyMenu* CMainFrame::MenuForView(int mode) const {
  switch (mode) {
    case ViewModeTrack: return trackMenu.get();
    case ViewModeEditor: return editorMenu.get();
    case ViewModeLoopBank: return loopMenu.get();
    default: return nullptr;
  }
}

void CMainFrame::ShowToolBarForView(int mode) {
  if (mode < ViewModeTrack || mode > ViewModeLoopBank || !reBar) return;
  const int band = mode - 1;
  if (band == shownBand) return;
  for (int i = 0; i < reBar->BandCount(); ++i) reBar->ShowBand(i, i == band);
  shownBand = band;
  UpdateCommandUi();
}

void CMainFrame::SetView(IFrameView* view) {
  QWidget* old = context_.view ? context_.view->Widget() : nullptr;
  IFrameView* next = view ? view : emptyView_;
  if (!layout_ || next == context_.view) return;
  if (old) {
    layout_->removeWidget(old);
    old->hide();
  }
  context_.view = next;
  layout_->insertWidget(1, next->Widget(), 1);
  next->Widget()->show();
}

void CMainFrame::ShowMainWindow(bool restorePlacement) {
  pendingPlacement_.reset();
  if (restorePlacement) pendingPlacement_ = placement_.Read(WindowPlacement::kShow);
  show();
}

void CMainFrame::ApplyStoredPlacement() {
  if (!pendingPlacement_ || placement_.restored) return;
  placement_.restored = true;
  const WindowPlacement p = *pendingPlacement_;
  pendingPlacement_.reset();
  QRect normal(p.left, p.top, p.right - p.left, p.bottom - p.top);
  normal.setSize(normal.size().expandedTo(QSize(kMinimumWidth, kMinimumHeight)));
  // A window stored on a screen that is gone comes back on the primary one.
  bool onScreen = false;
  for (QScreen* screen : QGuiApplication::screens()) onScreen |= screen->availableGeometry().intersects(normal);
  if (!onScreen && QGuiApplication::primaryScreen()) {
    normal.moveTopLeft(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
  }
  setGeometry(normal);
  FitOnScreen(*this);
  if (p.IsMaximized()) showMaximized();
}

void CMainFrame::SavePlacement() {
  WindowPlacement p;
  const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
  p.left = normal.left();
  p.top = normal.top();
  p.right = normal.left() + normal.width();
  p.bottom = normal.top() + normal.height();
  // A window closed minimised comes back as it was before, never minimised.
  p.showCmd = WindowPlacement::kShowNormal;
  placement_.Write(p, isMaximized());
}

void CMainFrame::SetRecentFiles(const std::vector<std::string>& paths) {
  if (paths == recentFiles_) return;
  recentFiles_ = paths;
  std::vector<std::pair<int, std::string>> entries;
  for (size_t i = 0; i < paths.size() && menu::kRecentFileFirst + static_cast<int>(i) <= menu::kRecentFileLast; ++i) {
    std::string label = std::to_string(i + 1);
    label.insert(label.begin(), '&');
    label.push_back(' ');
    // A literal ampersand in a path must not become a mnemonic.
    for (char c : paths[i]) {
      if (c == '&') label.push_back('&');
      label.push_back(c);
    }
    entries.emplace_back(menu::kRecentFileFirst + static_cast<int>(i), label);
  }
  for (CMyMenu* menu : {trackMenu.get(), editorMenu.get(), loopMenu.get()}) {
    if (menu) menu->ReplacePlaceholder(menu::kRecentFileFirst, entries);
  }
}

void CMainFrame::UpdateCommandUi() {
  if (upperToolBar) upperToolBar->UpdateButtons();
  if (reBar) {
    for (int i = 0; i < reBar->BandCount(); ++i) {
      if (reBar->IsBandShown(i)) static_cast<CSkinToolBar*>(reBar->Band(i))->UpdateButtons();
    }
  }
}

void CMainFrame::OnCommand(int id) {
  if (id == menu::kAppExit) {
    close();
    return;
  }
  context_.router.Dispatch(id);
  UpdateCommandUi();
}

void CMainFrame::OnButtonMessage(uint32_t message) {
  IFrameView* view = context_.view;
  if (!context_.app || !view) return;
  switch (message) {
    case 42935: view->TrackViewFewerRows(); break;
    case 42936: view->TrackViewMoreRows(); break;
    case 42937: view->TrackViewZoomToProject(); break;
    case 42938: view->TrackViewZoomIn(); break;
    case 42939: view->TrackViewZoomOut(); break;
    case 42940: view->AudioEditorZoomIn(); break;
    case 42941: view->AudioEditorZoomOut(); break;
    case 42942: view->AudioEditorShowWholeAudio(); break;
    case 42943: view->LoopBankFewerRows(); break;
    case 42944: view->LoopBankMoreRows(); break;
    default: return;
  }
  view->Invalidate(true);
}

bool CMainFrame::event(QEvent* event) {
  if (event->type() == CPostedMessageEvent::EventType()) {
    auto* posted = static_cast<CPostedMessageEvent*>(event);
    if (posted->Message() >= kFirstButtonMessage && posted->Message() <= kLastButtonMessage) {
      OnButtonMessage(posted->Message());
    } else {
      context_.router.DispatchMessage(posted->Message(), posted->WParam(), posted->LParam());
    }
    return true;
  }
  const bool handled = QMainWindow::event(event);
  if (event->type() == QEvent::Paint) {
    // What waits for a paint runs once this paint has reached the screen.
    if (!painted_) {
      painted_ = true;
      QTimer::singleShot(0, this, [this] {
        ApplyStoredPlacement();
        // Painting the icon at every size costs more than the window needs before it shows.
        setWindowIcon(CSkinFactory::ProgramIcon());
      });
    }
    if (afterNextPaint_) QTimer::singleShot(0, this, std::exchange(afterNextPaint_, nullptr));
  }
  return handled;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  if (context_.app) context_.app->StopAllForClose();
  const int answer = closeQuery_ ? closeQuery_() : 1;
  if (answer == ui::kAnswerCancel) {
    event->ignore();
    return;
  }
  SavePlacement();
  closed_ = true;
  if (updateTimer_) updateTimer_->stop();
  event->accept();
  if (onClosed_) onClosed_();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile() && IsProjectFile(url.toLocalFile().toStdString())) {
      event->acceptProposedAction();
      return;
    }
  }
}

void CMainFrame::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    const std::string path = url.toLocalFile().toStdString();
    if (!url.isLocalFile() || !IsProjectFile(path)) continue;
    event->acceptProposedAction();
    // One project at a time: the first one dropped.
    if (context_.app) context_.app->OpenDocument(path);
    return;
  }
}
