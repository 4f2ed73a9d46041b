// The whole program as its main builds it, driven through its window as a
// user drives it: menu items picked, tool bar buttons and row buttons
// clicked, text typed, snippets dragged, modal windows answered by their ids.
// It plays and records on a virtual sound card that keeps what it played.
//
// With TESSIRO_WALK_SHOTS naming a folder, each step leaves a picture of the
// screen there (step-N.png).
#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ModalDriver.h"
#include "TempFolder.h"
#include "VirtualWaveSystem.h"

class CAudioSegment;
class CAudioSnippet;
class CAudioTrack;
class CProApp;
class CProView;
class CProgram;
class CTrackViewGUI;
class CWaveformEditorGUI;
class QWidget;

namespace tessiro::test {

class CWalk {
 public:
  CWalk();
  ~CWalk();

  // Starts the program as main does; a first start when no configuration exists.
  bool StartProgram();
  // Answers a first start's two pages with OK, the walk's audio folder typed
  // into the second; the hooks see each page before its OK.
  void AnswerFirstStart(std::function<void(QWidget& page)> onSettings = {},
                        std::function<void(QWidget& page)> onWelcome = {});
  // File > Exit, then the program is gone as after main returns.
  void ExitProgram();

  CProgram& Program() { return *program_; }
  CProApp& App();
  CProView& View();
  CTrackViewGUI& TrackView();
  CWaveformEditorGUI& Editor();
  CModalDriver& Driver() { return *driver_; }
  platform::CVirtualWaveSystem& Card() { return *wave_; }
  const CTempFolder& AudioFolder() const { return audio_; }
  const CTempFolder& UserFiles() const { return files_; }

  // ---- Input as a user gives it ------------------------------------------------
  // Picks the item of the shown menu bar; false when it is missing or disabled.
  bool Pick(int commandId);
  // Clicks the button of a tool bar of the main window; false when none shows it enabled.
  bool Press(int commandId);
  // Clicks, drags and types on the view at its client points.
  void Click(QPoint at, Qt::KeyboardModifiers modifiers = {});
  void Drag(QPoint from, QPoint to);
  // A right click, then the item of the context menu it opened; false when none was there.
  bool PickFromContextMenu(QPoint at, int commandId);
  void Type(QWidget* edit, const QString& text);
  // A file dialog's answer: the name typed, then Enter.
  CModalDriver::Answer ChooseFile(const std::string& path);

  // ---- The Track View as drawn -------------------------------------------------
  // Scrolls the rows until the track shows; its row on screen.
  int ShowTrack(int trackIndex);
  // Clicks the track's header.
  void SelectTrack(int trackIndex);
  // The middle of a snippet's box as last drawn.
  QPoint SnippetPoint(CAudioSnippet& snippet);
  CAudioTrack& Track(int trackIndex);
  std::vector<std::shared_ptr<CAudioSnippet>> SnippetsOn(int trackIndex);

  // ---- The Audio Editor as drawn ------------------------------------------------
  // The point of the waveform at a frame of the audio shown.
  QPoint EditorPoint(uint32_t frame);
  // Drags the highlight from one frame to another.
  void Highlight(uint32_t from, uint32_t to);

  // ---- Sound ----------------------------------------------------------------------
  // Waits until nothing plays or records (a few seconds of audio play in real time).
  bool WaitUntilIdle(int timeoutMs = 60000);
  // What the card played since the last call (16-bit stereo).
  std::vector<int16_t> TakePlayed();
  // The project mixed from frame 0 as the player mixes it, block by block.
  std::vector<int16_t> RenderProject(size_t frames);
  // The samples of a segment's audio file.
  static std::vector<int16_t> ReadSegment(const CAudioSegment& segment);

  // The picture of the screen for the step, when pictures are asked for.
  void Shot(const std::string& name);

 private:
  CTempFolder audio_;
  CTempFolder files_;
  std::shared_ptr<platform::CVirtualWaveSystem> wave_;
  std::unique_ptr<CModalDriver> driver_;
  std::unique_ptr<CProgram> program_;
  size_t playedTaken_ = 0;
};

// A 16-bit PCM WAV file of interleaved samples; false when it could not be written.
bool WriteWaveFile(const std::string& path, uint32_t rate, uint16_t channels, const std::vector<int16_t>& samples);

}  // namespace tessiro::test
