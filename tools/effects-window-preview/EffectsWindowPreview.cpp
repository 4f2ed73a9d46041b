// Writes the real-time effects window as PNG files into a folder, offscreen:
// an empty master chain, a track with four effects on each panel's tab, and
// the same track with its effects bypassed; and the Audio Levels window with
// its meters showing a full-scale and a -20 dB signal.
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <memory>

#include "EffectsWindow.h"
#include "LevelsWindow.h"
#include "QuietServices.h"
#include "pro.h"

namespace {

bool Save(QWidget& window, const QString& path) {
  window.adjustSize();
  window.show();
  QApplication::processEvents();
  const bool saved = window.grab().save(path);
  std::printf("%s %s (%dx%d)\n", saved ? "wrote" : "could not write", qPrintable(path), window.width(),
              window.height());
  return saved;
}

// Made-up program for the level window: a full-scale output on the left and
// -20 dB on the right, a track at -6 dB.
void PreviewSetGain(uint32_t, int32_t, int32_t) {}
void PreviewGetGain(uint32_t channel, int16_t* left, int16_t* right) {
  *left = channel == 0 ? 0 : -6;
  *right = channel == 0 ? -3 : -6;
}
void FillPeaks(unsigned char** buffer, uint32_t bytes, int16_t left, int16_t right) {
  auto* frames = reinterpret_cast<int16_t*>(*buffer);
  for (uint32_t f = 0; f < bytes / 4; ++f) {
    frames[2 * f] = f % 2 ? left : 0;
    frames[2 * f + 1] = f % 2 ? right : 0;
  }
}
void PreviewOutput(unsigned char** buffer, uint32_t bytes) { FillPeaks(buffer, bytes, 32767, 3277); }
void PreviewChannel(int16_t, unsigned char** buffer, uint32_t bytes) { FillPeaks(buffer, bytes, 16422, 16422); }
void PreviewMonitor(int16_t) {}
void PreviewStopMonitor() {}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: effects_window_preview <folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  tools::QuietServices seams;
  auto app = std::make_unique<CProApp>(seams.Services());
  bool ok = true;
  {
    dialogs::CEffectsWindow window(*app);
    window.Form().SetPresetFolder(QDir::tempPath().toStdString());
    ok &= Save(window, folder + "/effects-empty.png");
    forms::CEffectsWindowForm& form = window.Form();
    form.SelectChain(3);
    using F = forms::CEffectsWindowForm;
    for (int item : {F::kAddEcho, F::kAddReverb, F::kAddChorus, F::kAddEqualizer}) form.AddEffect(item);
    const char* names[] = {"echo", "reverb", "chorus", "equalizer"};
    for (int tab = 0; tab < 4; ++tab) {
      form.SelectTab(tab);
      window.RebuildTabs();
      ok &= Save(window, folder + "/effects-" + names[tab] + ".png");
    }
    form.SelectTab(1);
    form.SetCurrentBypass(true);
    form.SetTrackBypass(true);
    window.RebuildTabs();
    ok &= Save(window, folder + "/effects-bypassed.png");
  }
  {
    forms::CLevelsForm::Host host{[] { return true; }, [] {}, [] {}};
    dialogs::CLevelsWindow levels({&PreviewSetGain, &PreviewGetGain, &PreviewOutput, &PreviewChannel,
                                   &PreviewMonitor, &PreviewStopMonitor},
                                  4, host);
    levels.TickMeters();
    ok &= Save(levels, folder + "/levels.png");
  }
  return ok ? 0 : 1;
}
