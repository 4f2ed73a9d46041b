// A CProView showing a real Loop Bank over an application with scripted
// seams, with loops of known audio made in its own folder.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <memory>
#include <string>

#include "AudioLoop.h"
#include "ReportRecorder.h"
#include "ScriptedUi.h"
#include "TempFolder.h"
#include "WaveformFixtures.h"
#include "loopbank/LoopBankGUI.h"
#include "pro.h"
#include "view/ProView.h"

namespace tessiro::test {

class LoopBankTest : public ::testing::Test {
 protected:
  void TearDown() override {
    view.reset();
    app.reset();
    seams.ui.CheckDone();
  }

  // The view of that client size showing the Loop Bank with loops loops.
  CLoopBankGUI& Make(int loops, int width = 838, int height = 600) {
    app = std::make_unique<CProApp>(seams.Services());
    for (int i = 0; i < loops; ++i) AddLoop("Loop " + std::to_string(i + 1));
    view = std::make_unique<CProView>(app.get());
    auto editor = std::make_unique<CLoopBankGUI>(app.get());
    bank = editor.get();
    bank->millisecondsPlayed = [this] { return milliseconds; };
    bank->loopPropertiesCallback = [this](int loop) { propertiesAsked.push_back(loop); };
    view->InstallLoopBank(std::move(editor));
    view->resize(width, height);
    view->show();
    app->config.showEmptyLoopBankNotice = 0;
    view->SwitchView(ViewModeLoopBank);
    if (loops > 0) bank->RebuildRows();
    bank->Redraw();
    return *bank;
  }
  // A loop of a second of a stereo sine (a third of a second per extra loop),
  // appended to the bank with its colours.
  std::shared_ptr<CAudioLoop> AddLoop(const std::string& title, uint32_t frames = 0) {
    const int n = app->loopBank.GetCount();
    if (frames == 0) frames = 44100 + 14700u * static_cast<uint32_t>(n % 4);
    std::shared_ptr<CAudioSegment> segment = MakeWaveSegment(folder.Path(), 2, frames, [n](uint32_t f, int c) {
      return static_cast<int16_t>(12000 * std::sin(f * (0.002 + 0.001 * n) + c));
    });
    segment->GetPeakFile().Open(0);
    auto loop = std::make_shared<CAudioLoop>();
    loop->SetTitle(title);
    loop->SetSegment(segment);
    loop->SetColors(TrackColorSet{0xE0F0FF, 0x40A0F0 + static_cast<uint32_t>(n), 0x205080, 0x0000FF});
    app->loopBank.AddLoop(loop);
    return loop;
  }
  // Loops shown: "first..last/visible".
  std::string Rows() const {
    return std::to_string(bank->firstRow) + ".." + std::to_string(bank->lastRow) + "/" +
           std::to_string(bank->visibleRows);
  }
  // A point of the area in the view's client coordinates.
  QPoint InArea(int x, int y) const { return {bank->areaX + x, bank->areaY + y}; }
  draw::COLORREF BackPixel(int x, int y) const { return bank->BackBuffer().Pixel(x, y); }

  CTempFolder folder;
  ScriptedServices seams;
  std::unique_ptr<CProApp> app;
  std::unique_ptr<CProView> view;
  CLoopBankGUI* bank = nullptr;
  uint32_t milliseconds = 0;
  std::vector<int> propertiesAsked;
};

}  // namespace tessiro::test
