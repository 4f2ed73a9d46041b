// The whole program offscreen through its real windows: the first start's
// pages, the recording window over two armed tracks, "Record Audio..." into
// the Audio Editor, and the notices of the transport.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "Folders.h"
#include "ModalDriver.h"
#include "Program.h"
#include "ProConfig.h"
#include "TempFolder.h"
#include "VirtualWaveSystem.h"
#include "frame/MainFrame.h"
#include "pro.h"
#include "WaveAudio.h"

namespace tessiro::test {
namespace {

class RecordingProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::remove(ConfigPath().c_str());
    std::remove((platform::ProgramFolder() + "/profile.ini").c_str());
    // A card with two outputs, so that the device chosen on the first start shows in the configuration.
    wave = std::make_shared<platform::CVirtualWaveSystem>(platform::CVirtualWaveSystem::ClockMode::RealTime);
    wave->AddOutput("Virtual Output 1");
    wave->AddOutput("Virtual Output 2");
    wave->AddInput("Virtual Input 1");
    wave->AddInput("Virtual Input 2");
    platform::SetWaveSystem(wave);
  }
  void TearDown() override {
    program.reset();
    platform::SetWaveSystem(nullptr);
  }

  static std::string ConfigPath() { return platform::ProgramFolder() + "/qvk.cfg"; }

  // A first start answered through the real pages: the folder typed, the second output chosen.
  void StartFirstTime() {
    driver = std::make_unique<CModalDriver>(std::map<QString, CModalDriver::Answer>{
        {QStringLiteral("298"), ClickOk},
        {QStringLiteral("299"),
         [this](QWidget& page) {
           QLineEdit* path = Control<QLineEdit>(&page, 1331);
           QComboBox* devices = Control<QComboBox>(&page, 1330);
           ASSERT_TRUE(path && devices);
           EXPECT_EQ(devices->count(), 2);
           path->selectAll();
           QTest::keyClicks(path, QString::fromStdString(audio / "chosen"));
           devices->setCurrentIndex(1);
           ClickOk(page);
         }},
        {QStringLiteral("CArmButtonDialog"), ClickOk},
        {QStringLiteral("CDropoutDialog"), ClickOk},
        // "Save Modified Project?": No.
        {QStringLiteral("301"),
         [](QWidget& question) {
           QPushButton* no = Control<QPushButton>(&question, 3);
           ASSERT_NE(no, nullptr);
           QTest::mouseClick(no, Qt::LeftButton);
         }},
    });
    CProgram::Options options;
    options.watchSignals = false;
    program = std::make_unique<CProgram>(options);
    ASSERT_TRUE(program->Start());
    // The intro plays after a first start; the recordings begin once it is stopped (Esc).
    ASSERT_EQ(program->App().playing.load(), 1);
    program->Router().Dispatch(32955);
    ASSERT_TRUE(QTest::qWaitFor([this] { return program->App().playing.load() == 0; }, 5000));
  }

  void Arm(int index, int32_t inputIndex) {
    CAudioTrack* track = nullptr;
    ASSERT_EQ(program->App().project.FindTrack(index, &track), 1);
    track->inputIndex = inputIndex;
    track->recordingChannels = 2;
    if (!track->armed) program->App().project.ToggleArm(index);
  }

  size_t SnippetsOn(int index) {
    CAudioTrack* track = nullptr;
    program->App().project.FindTrack(index, &track);
    return track ? track->Snippets().GetCount() : 0;
  }

  // Records until both slots have taken audio, then ends with the window's button.
  void RecordAndPress(int button) {
    CProApp& app = program->App();
    // The Record command of the menus and keys, as the transport has it.
    app.OnRecordProject();
    ASSERT_EQ(app.recording.load(), 1);
    QWidget* window = program->Frame().findChild<QWidget*>(QStringLiteral("284"));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Recording..."));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return app.devices.GetOutputBytesWritten(1) > 0 && app.devices.GetOutputBytesWritten(2) > 0; }, 20000));
    QLineEdit* time = Control<QLineEdit>(window, 1328);
    ASSERT_NE(time, nullptr);
    EXPECT_NE(time->text(), QStringLiteral("00:00.000")) << "the elapsed time runs";
    QPushButton* press = Control<QPushButton>(window, button);
    ASSERT_NE(press, nullptr);
    QTest::mouseClick(press, Qt::LeftButton);
    EXPECT_EQ(app.recording.load(), 0);
    EXPECT_FALSE(window->isVisible());
  }

  CTempFolder audio;
  std::shared_ptr<platform::CVirtualWaveSystem> wave;
  std::unique_ptr<CModalDriver> driver;
  std::unique_ptr<CProgram> program;
};

TEST_F(RecordingProgram, FirstStartThroughThePagesThenTwoTracksKeptByStopAndDiscardedByCancel) {
  StartFirstTime();
  CProApp& app = program->App();
  EXPECT_EQ(app.audioFolder, audio / "chosen");
  EXPECT_TRUE(platform::FolderExists(audio / "chosen"));

  // Record with nothing armed: the notice, and nothing starts.
  app.OnRecordProject();
  EXPECT_EQ(app.recording.load(), 0);

  // Two tracks the intro project leaves empty, from two inputs.
  std::vector<int> empty;
  for (int i = 0; i < CAudioTrackList::kProjectTracks && empty.size() < 2; ++i) {
    if (SnippetsOn(i) == 0) empty.push_back(i);
  }
  ASSERT_EQ(empty.size(), 2u);
  Arm(empty[0], 0);
  Arm(empty[1], 3);
  RecordAndPress(1016);  // Stop
  EXPECT_EQ(SnippetsOn(empty[0]), 1u);
  EXPECT_EQ(SnippetsOn(empty[1]), 1u);
  EXPECT_EQ(app.modified, 1);
  RecordAndPress(1329);  // Cancel
  EXPECT_EQ(SnippetsOn(empty[0]), 1u) << "the cancelled take added nothing";
  EXPECT_EQ(SnippetsOn(empty[1]), 1u);
  // A new project asks about the recorded one first: No throws it away.
  program->Router().Dispatch(32969);
  EXPECT_EQ(app.modified, 0);
  EXPECT_EQ(SnippetsOn(empty[0]), 0u);

  // The end of the program writes what the pages chose.
  program->RequestClose();
  std::vector<std::string> met;
  for (const QString& name : driver->Met()) met.push_back(name.toStdString());
  EXPECT_EQ(met, (std::vector<std::string>{"298", "299", "CArmButtonDialog", "301"}));
  program.reset();
  std::ifstream file(ConfigPath(), std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), ProConfig::kBytes);
  ProConfig config;
  config.Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  EXPECT_EQ(config.GetAudioFolder(), audio / "chosen");
  EXPECT_EQ(config.outputDevice, 1);
}

TEST_F(RecordingProgram, RecordAudioIntoTheEditorInMonoStartingOnce) {
  StartFirstTime();
  CProApp& app = program->App();
  app.OpenRecordSegmentWindow();
  QWidget* window = program->Frame().findChild<QWidget*>(QStringLiteral("221"));
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(window->isVisible());
  EXPECT_EQ(QApplication::activeModalWidget(), window) << "the main window waits while it shows";
  QComboBox* inputs = Control<QComboBox>(window, 1028);
  QPushButton* start = Control<QPushButton>(window, 2);
  QPushButton* stop = Control<QPushButton>(window, 1025);
  QRadioButton* mono = Control<QRadioButton>(window, 1026);
  ASSERT_TRUE(inputs && start && stop && mono);
  EXPECT_EQ(inputs->count(), app.devices.GetInputDeviceCount());
  EXPECT_TRUE(start->isEnabled());
  EXPECT_FALSE(stop->isEnabled());
  inputs->setCurrentIndex(3);
  QTest::mouseClick(mono, Qt::LeftButton);
  QTest::mouseClick(start, Qt::LeftButton);
  ASSERT_EQ(app.recording.load(), 1);
  EXPECT_FALSE(start->isEnabled()) << "Start is pressed once";
  EXPECT_FALSE(inputs->isEnabled());
  EXPECT_FALSE(mono->isEnabled());
  EXPECT_TRUE(stop->isEnabled());
  EXPECT_EQ(app.recordSegmentWindow.inputIndex, 3);
  EXPECT_EQ(app.recordSegmentWindow.channels, 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return app.devices.GetOutputBytesWritten(1) > 0; }, 20000));
  QTest::mouseClick(stop, Qt::LeftButton);
  EXPECT_EQ(app.recording.load(), 0);
  EXPECT_FALSE(window->isVisible());
  ASSERT_TRUE(app.editorSegment);
  EXPECT_EQ(app.editorSegment->GetFormat().channels, 1) << "a mono take";
  EXPECT_GT(app.editorSegment->length, 0u);

  // Opened again it remembers Mono; Esc discards the take and closes it.
  app.OpenRecordSegmentWindow();
  ASSERT_TRUE(window->isVisible());
  EXPECT_TRUE(mono->isChecked());
  std::shared_ptr<CAudioSegment> kept = app.editorSegment;
  QTest::mouseClick(start, Qt::LeftButton);
  ASSERT_EQ(app.recording.load(), 1);
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_EQ(app.recording.load(), 0);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(app.editorSegment, kept) << "the cancelled take replaced nothing";
}

}  // namespace
}  // namespace tessiro::test
