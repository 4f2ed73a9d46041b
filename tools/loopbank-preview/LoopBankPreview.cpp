// Writes the Loop Bank as PNG files into a folder, offscreen, with 1, 8 and 32
// loops of made-up audio at the view's size in a main window of 835 x 550 and
// at 838 x 600; in each, one loop is selected and one previews with its
// playhead a third of the way in.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "AudioLoop.h"
#include "PreviewMain.h"
#include "QuietServices.h"
#include "loopbank/LoopBankGUI.h"
#include "pro.h"

namespace {

// Stereo audio of a few seconds: a tone under an envelope of beats, a
// different tempo and colour for each loop.
std::shared_ptr<CAudioSegment> MakeLoopAudio(const std::string& folder, int n) {
  auto segment = std::make_shared<CAudioSegment>(folder);
  segment->SetFormat(AudioQuality{44100, 2, 16});
  segment->Open(1);
  const uint32_t frames = 44100 * (2 + n % 5);
  const double beat = 44100.0 * 60.0 / (90 + 7 * n);
  std::vector<int16_t> block;
  for (uint32_t done = 0; done < frames;) {
    const uint32_t count = std::min<uint32_t>(8192, frames - done);
    block.resize(count * 2);
    for (uint32_t f = 0; f < count; ++f) {
      const double t = done + f;
      const double envelope = std::exp(-std::fmod(t, beat) / (beat / 4));
      for (int c = 0; c < 2; ++c) {
        block[f * 2 + c] = static_cast<int16_t>(26000 * envelope * std::sin(t * (0.03 + 0.004 * c + 0.001 * n)));
      }
    }
    uint32_t written = 0;
    segment->Write(block.data(), count, &written);
    done += count;
  }
  segment->Close();
  segment->length = frames;
  segment->GetPeakFile().Open(0);
  return segment;
}

const TrackColorSet kColours[] = {{0xE8F4FF, 0xD08030, 0x804010, 0x0000FF},
                                  {0xE8FFE8, 0x40A040, 0x205020, 0x0000FF},
                                  {0xF4E8FF, 0xA050C0, 0x502060, 0x0000FF},
                                  {0xE8FFFF, 0x30A0C0, 0x105060, 0x0000FF}};

bool Shoot(const QString& folder, const std::string& audio, int loops, int width, int height, const char* size) {
  tools::QuietServices seams;
  auto app = std::make_unique<CProApp>(seams.Services());
  for (int n = 0; n < loops; ++n) {
    auto loop = std::make_shared<CAudioLoop>();
    loop->SetTitle(n == 2 ? std::string("A title much longer than the name box has room for, cut at 63 chars") :
                            "Groove " + std::to_string(n + 1));
    loop->SetSegment(MakeLoopAudio(audio, n));
    loop->SetColors(kColours[n % 4]);
    app->loopBank.AddLoop(loop);
  }
  app->config.showEmptyLoopBankNotice = 0;
  CProView view(app.get());
  seams.view.SetView(&view);
  auto editor = std::make_unique<CLoopBankGUI>(app.get());
  CLoopBankGUI* bank = editor.get();
  uint32_t milliseconds = 0;
  bank->millisecondsPlayed = [&milliseconds] { return milliseconds; };
  view.InstallLoopBank(std::move(editor));
  view.resize(width, height);
  view.show();
  view.SwitchView(ViewModeLoopBank);
  bank->RebuildRows();
  for (int i = 0; i < 8; ++i) bank->MoreRows();
  if (loops > 8) bank->Scroll(view::kScrollThumbTrack, 12);
  const int previewRow = loops > 1 ? 1 : 0;
  // The selected loop's row previews; with more rows another is selected after.
  bank->OnPlayButton(previewRow);
  bank->StartPlayhead();
  std::shared_ptr<CAudioLoop> previewed;
  app->loopBank.FindLoop(bank->previewLoop, &previewed);
  milliseconds = static_cast<uint32_t>(previewed->Segment()->length / 44.1 / 3);
  bank->OnPlayheadTimer();
  if (loops > 2) app->loopBank.SelectLoop(bank->firstRow + 2);
  bank->Redraw();
  bank->OnPlayheadTimer();
  view.Invalidate();
  const QString path = folder + QStringLiteral("/loop-bank-%1-%2.png").arg(loops).arg(QLatin1String(size));
  const bool saved = view.grab().save(path);
  if (!saved) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  seams.view.SetView(nullptr);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  return tools::RunViewPreview(argc, argv, "loopbank_preview <folder>", "loopbank-preview-home",
                               [](const QString& folder, const QString&) {
    const QString audio = QDir::temp().filePath(QStringLiteral("loopbank-preview-audio"));
    QDir().mkpath(audio);
    bool saved = true;
    for (int loops : {1, 8, 32}) {
      saved = Shoot(folder, audio.toStdString(), loops, 835, 440, "window") && saved;
      saved = Shoot(folder, audio.toStdString(), loops, 838, 600, "838x600") && saved;
    }
    QDir(audio).removeRecursively();
    return saved;
  });
}
