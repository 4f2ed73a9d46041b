// Writes the real-time effects window as PNG files into a folder, offscreen:
// an empty master chain, a track with four effects on each panel's tab, the
// same track with its effects bypassed, and a levels effect with a shaped
// envelope on its tab; the effect holder with each of its five panels; and
// the Audio Levels window with its meters showing a full-scale and a -20 dB
// signal.
#include <QApplication>
#include <QDir>
#include <QFont>
#include <cstdio>
#include <memory>

#include "ZelmoSettingsDialog.h"
#include "FXHolderWindow.h"
#include "LevelEnvelopeWidget.h"
#include "LevelsDialog.h"
#include "QuietServices.h"
#include "pro.h"

namespace {

bool Save(QWidget& window, const QString& path) {
  window.resize(window.sizeHint().expandedTo(window.minimumSizeHint()));
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
  // The program's font, so that the windows come out at the program's sizes.
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  QApplication::setFont(font);
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
    dialogs::CZelmoSettingsDialog window(*app);
    window.Form().SetPresetFolder(QDir::tempPath().toStdString());
    ok &= Save(window, folder + "/effects-empty.png");
    forms::CEffectsWindowForm& form = window.Form();
    form.SelectChain(3);
    using F = forms::CEffectsWindowForm;
    for (int item : {F::kAddEcho, F::kAddReverb, F::kAddChorus, F::kAddEqualizer}) form.AddEffect(item);
    const char* names[] = {"echo", "reverb", "chorus", "equalizer"};
    for (int tab = 0; tab < 4; ++tab) {
      form.SelectTab(tab);
      window.RefreshTabs();
      ok &= Save(window, folder + "/effects-" + names[tab] + ".png");
    }
    form.SelectTab(1);
    form.SetCurrentBypass(true);
    form.SetTrackBypass(true);
    window.RefreshTabs();
    ok &= Save(window, folder + "/effects-bypassed.png");

    // A levels effect on the master with a fade in, a dip and a swell over a ten-second project.
    app->project.projectEnd = 441000;
    form.SelectChain(0);
    form.SetAskIndependent([] { return 0; });
    form.AddEffect(F::kAddLevels);
    CZelmo* master = app->effectChains[0].get();
    const short number = static_cast<short>(form.CurrentTab());
    const std::pair<uint32_t, float> points[] = {{66150, 1.6f}, {176400, 0.4f}, {264600, 0.4f}, {396900, 2.4f}};
    for (const auto& [frame, gain] : points) {
      Zelmo_Level_Entry entry{frame, app->project.tempo, gain, frame, frame};
      master->AddLevelEntry(number, &entry, 1);
    }
    master->SetLevelEntryGain(number, 1, 1, 0.2f);
    window.RefreshTabs();
    if (auto* editor = window.findChild<dialogs::CLevelEnvelopeWidget*>()) {
      editor->Form().MouseMove(109, 106);  // over the point at 1.5 s: the fields show it
      editor->Form().MouseMove(300, 150);  // the pointer's read-out
      editor->Render();
    }
    ok &= Save(window, folder + "/effects-levels.png");
  }
  {
    dialogs::CFXHolderDialogs holders;
    holders.Holder().SetPresetFolder(QDir::tempPath().toStdString());
    const std::pair<int32_t, const char*> panels[] = {{HolderEcho, "echo"},     {HolderReverb, "reverb"},
                                                      {HolderChorus, "chorus"}, {HolderFlange, "flange"},
                                                      {HolderEqualizer, "equalizer"}};
    for (const auto& [panel, name] : panels) {
      FXHolderRequest request;
      request.panel = panel;
      request.setup = {2, 1, 0, kScopeHighlighted};
      const QString path = folder + "/holder-" + name + ".png";
      holders.SetBeforeRun([&ok, path](dialogs::COperationWindow& window) {
        ok &= Save(window, path);
        window.reject();
      });
      holders.Ask(request);
    }
  }
  {
    forms::CLevelsForm::Host host{[] { return true; }, [] {}, [] {}};
    dialogs::CLevelsDialog levels({&PreviewSetGain, &PreviewGetGain, &PreviewOutput, &PreviewChannel,
                                   &PreviewMonitor, &PreviewStopMonitor},
                                  4, host);
    levels.TickMeters();
    ok &= Save(levels, folder + "/levels.png");
  }
  return ok ? 0 : 1;
}
