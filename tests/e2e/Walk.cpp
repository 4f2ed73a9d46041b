#include "Walk.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "AudioSegment.h"
#include "Folders.h"
#include "Program.h"
#include "WaveAudio.h"
#include "frame/MainFrame.h"
#include "frame/MyMenu.h"
#include "frame/SkinToolBar.h"
#include "pro.h"
#include "editor/WaveformEditorGUI.h"
#include "trackview/TrackViewGUI.h"
#include "view/ProView.h"

namespace tessiro::test {

CWalk::CWalk() {
  wave_ = std::make_shared<platform::CVirtualWaveSystem>(platform::CVirtualWaveSystem::ClockMode::RealTime);
  wave_->SetKeepPlayed(wave_->AddOutput("Virtual Output"), true);
  wave_->AddInput("Virtual Input 1");
  wave_->AddInput("Virtual Input 2");
  platform::SetWaveSystem(wave_);
  driver_ = std::make_unique<CModalDriver>();
}

CWalk::~CWalk() {
  program_.reset();
  platform::SetWaveSystem(nullptr);
}

bool CWalk::StartProgram() {
  CProgram::Options options;
  options.watchSignals = false;
  program_ = std::make_unique<CProgram>(options);
  if (!program_->Start()) return false;
  // As main shows it: the window on the screen, painted.
  program_->Frame().activateWindow();
  return QTest::qWaitForWindowExposed(&program_->Frame(), 5000) || QGuiApplication::platformName() == "offscreen";
}

void CWalk::AnswerFirstStart(std::function<void(QWidget& page)> onSettings,
                             std::function<void(QWidget& page)> onWelcome) {
  driver_->On(QStringLiteral("298"), [onWelcome](QWidget& page) {
    if (onWelcome) onWelcome(page);
    ClickOk(page);
  });
  driver_->On(QStringLiteral("299"), [this, onSettings](QWidget& page) {
    if (onSettings) onSettings(page);
    QLineEdit* path = Control<QLineEdit>(&page, 1331);
    ASSERT_NE(path, nullptr);
    path->setFocus();
    path->selectAll();
    QTest::keyClicks(path, QString::fromStdString(audio_.Path()));
    ClickOk(page);
  });
}

void CWalk::ExitProgram() {
  EXPECT_TRUE(Pick(menu::kAppExit));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !program_->Frame().isVisible(); }, 5000));
  program_.reset();
  playedTaken_ = 0;
  wave_->ClearPlayed(0);
}

CProApp& CWalk::App() { return program_->App(); }

CProView& CWalk::View() { return *dynamic_cast<CProView*>(program_->Frame().View()); }

CTrackViewGUI& CWalk::TrackView() { return *dynamic_cast<CTrackViewGUI*>(View().TrackView()); }

bool CWalk::Pick(int commandId) {
  CMyMenu* menu = program_->Frame().OwnerDrawnMenu();
  if (!menu) return false;
  // As its drop-down opens, each item reads its state.
  menu->UpdateItems();
  QAction* action = menu->FindAction(commandId);
  if (!action || !action->isEnabled()) return false;
  action->trigger();
  return true;
}

bool CWalk::Press(int commandId) {
  // The bars have no meta-object of their own: every widget is asked.
  for (QWidget* widget : program_->Frame().findChildren<QWidget*>()) {
    auto* bar = dynamic_cast<CSkinToolBar*>(widget);
    if (!bar) continue;
    const CSkinToolBar::Item* item = bar->FindItem(commandId);
    if (!item || !bar->isVisible()) continue;
    bar->UpdateButtons();
    if (!bar->IsButtonEnabled(commandId)) return false;
    QTest::mouseClick(bar, Qt::LeftButton, {}, item->rect.center());
    return true;
  }
  return false;
}

void CWalk::Click(QPoint at, Qt::KeyboardModifiers modifiers) {
  QTest::mouseClick(&View(), Qt::LeftButton, modifiers, at);
}

void CWalk::Drag(QPoint from, QPoint to) {
  QTest::mousePress(&View(), Qt::LeftButton, {}, from);
  // A hand moves in steps, each seen by the view.
  const int steps = 8;
  for (int k = 1; k <= steps; ++k) QTest::mouseMove(&View(), from + (to - from) * k / steps, 5);
  QTest::mouseRelease(&View(), Qt::LeftButton, {}, to);
}

bool CWalk::PickFromContextMenu(QPoint at, int commandId) {
  // The press, then the context-menu event the window system makes of it.
  QTest::mousePress(&View(), Qt::RightButton, {}, at);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, View().mapToGlobal(at));
  QApplication::sendEvent(&View(), &event);
  QTest::mouseRelease(&View(), Qt::RightButton, {}, at);
  QApplication::processEvents();
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  if (!menu) return false;
  for (QAction* action : menu->actions()) {
    if (action->data().toInt() != commandId || !action->isEnabled()) continue;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    return true;
  }
  menu->close();
  return false;
}

void CWalk::Type(QWidget* edit, const QString& text) {
  ASSERT_NE(edit, nullptr);
  QTest::mouseClick(edit, Qt::LeftButton);
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}

CModalDriver::Answer CWalk::ChooseFile(const std::string& path) {
  return [path](QWidget& window) {
    auto* dialog = qobject_cast<QFileDialog*>(&window);
    auto* buttons = window.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    auto* name = window.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(dialog && buttons && name) << "a file dialog with its name box and buttons";
    // Typed into the name box. (The dialog's selectFile leaves a box that has the
    // focus as it was: whether the window was active yet would decide the answer.)
    name->setFocus();
    name->setText(QString::fromStdString(path));
    for (QAbstractButton* button : buttons->buttons()) {
      if (buttons->buttonRole(button) != QDialogButtonBox::AcceptRole) continue;
      // The dialog weighs a typed name as its folder's listing comes in.
      ASSERT_TRUE(QTest::qWaitFor([button] { return button->isEnabled(); }, 5000)) << path;
      QTest::mouseClick(button, Qt::LeftButton);
      return;
    }
    ADD_FAILURE() << "the file dialog has no Open or Save button";
  };
}

CWaveformEditorGUI& CWalk::Editor() { return *dynamic_cast<CWaveformEditorGUI*>(View().AudioEditor()); }

QPoint CWalk::EditorPoint(uint32_t frame) {
  CWaveformEditorGUI& editor = Editor();
  int64_t offset = 0;
  EXPECT_TRUE(editor.FrameOffset(frame, &offset));
  return QPoint(editor.area.x + editor.waveRect.left + static_cast<int>(offset),
                editor.area.y + (editor.waveRect.top + editor.waveRect.bottom) / 2);
}

void CWalk::Highlight(uint32_t from, uint32_t to) { Drag(EditorPoint(from), EditorPoint(to)); }

CAudioTrack& CWalk::Track(int trackIndex) {
  CAudioTrack* track = nullptr;
  App().project.FindTrack(trackIndex, &track);
  EXPECT_NE(track, nullptr);
  return *track;
}

std::vector<std::shared_ptr<CAudioSnippet>> CWalk::SnippetsOn(int trackIndex) {
  return Track(trackIndex).Snippets().Snippets();
}

int CWalk::ShowTrack(int trackIndex) {
  CTrackViewGUI& tracks = TrackView();
  QScrollBar* bar = tracks.VScrollBar();
  for (int tries = 0; tries < 30 && (trackIndex < tracks.FirstRow() || trackIndex > tracks.LastRow()); ++tries) {
    bar->triggerAction(trackIndex < tracks.FirstRow() ? QAbstractSlider::SliderSingleStepSub
                                                      : QAbstractSlider::SliderSingleStepAdd);
    QApplication::processEvents();
  }
  EXPECT_TRUE(tracks.FirstRow() <= trackIndex && trackIndex <= tracks.LastRow()) << "track " << trackIndex;
  return trackIndex - tracks.FirstRow();
}

void CWalk::SelectTrack(int trackIndex) {
  const int row = ShowTrack(trackIndex);
  const view::EditorArea& area = View().trackViewArea;
  // The header's left part, beside its name box and buttons.
  Click(QPoint(area.x + 20, area.y + row * TrackView().RowPitch() + 10));
}

QPoint CWalk::SnippetPoint(CAudioSnippet& snippet) {
  const view::EditorArea& area = View().trackViewArea;
  CPointList& rects = snippet.GetScreenRects();
  EXPECT_GT(rects.GetCount(), 0u) << "the snippet is drawn";
  if (rects.GetCount() == 0) return {};
  const ScreenRect& box = rects.GetRect(0);
  return QPoint(area.x + (box.left + box.right) / 2, area.y + (box.top + box.bottom) / 2);
}

bool CWalk::WaitUntilIdle(int timeoutMs) {
  return QTest::qWaitFor([&] { return App().playing.load() == 0 && App().recording.load() == 0; }, timeoutMs);
}

std::vector<int16_t> CWalk::TakePlayed() {
  const std::vector<uint8_t> bytes = wave_->PlayedBytes(0);
  std::vector<int16_t> samples;
  for (size_t i = playedTaken_; i + 1 < bytes.size(); i += 2) {
    samples.push_back(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  playedTaken_ = bytes.size();
  return samples;
}

std::vector<int16_t> CWalk::RenderProject(size_t frames) {
  CProApp& app = App();
  CAudioTrackList& project = app.project;
  // Play starts every chain from silence.
  const auto resetChains = [&app] {
    for (auto& chain : app.effectChains) {
      if (chain) chain->Reset();
    }
  };
  resetChains();
  project.ResetPlayback();
  project.playing = 1;
  project.PreparePlayback();
  const uint32_t block = static_cast<uint32_t>(app.bufferFrames);
  std::vector<int16_t> mix;
  std::vector<int16_t> out(size_t{block} * 2);
  for (uint32_t position = 0; position < frames; position += block) {
    std::fill(out.begin(), out.end(), int16_t{0});
    EXPECT_EQ(project.MixAllTracks(out.data(), position, block), 1);
    mix.insert(mix.end(), out.begin(), out.end());
  }
  project.ResetPlayback();
  project.playing = 0;
  resetChains();
  mix.resize(frames * 2);
  return mix;
}

std::vector<int16_t> CWalk::ReadSegment(const CAudioSegment& segment) {
  std::ifstream file(segment.GetPcmFileName(), std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return samples;
}

void CWalk::Shot(const std::string& name) {
  const char* folder = std::getenv("TESSIRO_WALK_SHOTS");
  if (!folder || !*folder || !program_) return;
  QDir().mkpath(QString::fromUtf8(folder));
  QApplication::processEvents();
  const std::string path = std::string(folder) + "/" + name + ".png";
  // On a real X server the whole screen, so that windows beside the main one show too.
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      EXPECT_TRUE(screen->grabWindow(0).save(QString::fromStdString(path), "PNG")) << name;
      return;
    }
  }
  EXPECT_TRUE(SaveScreenshot(program_->Frame(), path)) << name;
}

bool WriteWaveFile(const std::string& path, uint32_t rate, uint16_t channels, const std::vector<int16_t>& samples) {
  std::ofstream file(path, std::ios::binary);
  const auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) file.put(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  const auto u16 = [&](uint16_t v) {
    file.put(static_cast<char>(v & 0xFF));
    file.put(static_cast<char>(v >> 8));
  };
  const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
  file.write("RIFF", 4);
  u32(36 + data);
  file.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(channels);
  u32(rate);
  u32(rate * channels * 2);
  u16(static_cast<uint16_t>(channels * 2));
  u16(16);
  file.write("data", 4);
  u32(data);
  for (int16_t s : samples) u16(static_cast<uint16_t>(s));
  return static_cast<bool>(file);
}

}  // namespace tessiro::test
