// Writes the real-time effects window as PNG files into a folder, offscreen:
// an empty master chain, a track with four effects on each panel's tab, and
// the same track with its effects bypassed.
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <memory>

#include "EffectsWindow.h"
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
  return ok ? 0 : 1;
}
