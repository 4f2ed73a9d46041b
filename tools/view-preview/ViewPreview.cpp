// Writes the view in each view mode as PNG files into a folder, offscreen, at
// the size the view has in a main window of 835 x 550 and at 838 x 600, with
// a project when one is named ("busy" makes one of 2,000 snippets), and the
// Track View while the project plays.
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "BusyProject.h"
#include "PreviewMain.h"
#include "QuietServices.h"
#include "pro.h"
#include "trackview/TrackViewGUI.h"

namespace {

// The view's client in a main window of 835 x 550: the menu bar, the upper
// tool bar and the lower band take the rest.
constexpr int kWindowViewWidth = 835;
constexpr int kWindowViewHeight = 440;

// The frame's corners and the tab strip, magnified eight times, to see the pixels.
bool SaveDetails(const QImage& shot, const QString& folder) {
  const int w = shot.width();
  const int h = shot.height();
  const struct {
    const char* name;
    QRect part;
  } details[] = {{"tabs", QRect(0, 0, 280, 30)},
                 {"top-right", QRect(w - 30, 14, 30, 20)},
                 {"bottom-right", QRect(w - 30, h - 20, 30, 20)},
                 {"bottom-left", QRect(0, h - 20, 30, 20)}};
  bool saved = true;
  for (const auto& detail : details) {
    const QImage magnified = shot.copy(detail.part).scaled(detail.part.size() * 8, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    saved = magnified.save(folder + QStringLiteral("/detail-%1.png").arg(QLatin1String(detail.name))) && saved;
  }
  return saved;
}

bool SaveModes(CProView& view, const QString& folder, const char* size) {
  const char* const names[] = {"track-view", "audio-editor", "loop-bank"};
  bool saved = true;
  for (int mode = ViewModeTrack; mode <= ViewModeLoopBank; ++mode) {
    view.SwitchView(mode);
    const QString path = folder + QStringLiteral("/view-%1-%2.png").arg(QLatin1String(names[mode - 1]), QLatin1String(size));
    if (!view.grab().save(path)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      saved = false;
    }
  }
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  // The program's own files of a preview stay out of the user's.
  return tools::RunViewPreview(argc, argv, "view_preview <folder> [project]", "view-preview-home",
                               [&](const QString& folder, const QString& home) {
    tools::QuietServices seams;
    auto app = std::make_unique<CProApp>(seams.Services());
    const std::string project = argc > 2 ? argv[2] : "";
    if (project == "busy") {
      const std::string audio = home.toStdString() + "/busy-audio";
      QDir().mkpath(QString::fromStdString(audio));
      tools::FillBusyProject(*app, audio, 2000);
      app->project.viewEnd = app->project.viewWidth = 44100 * 120;
    } else if (!project.empty() && app->OpenProject(project) != status::kDone) {
      std::fprintf(stderr, "could not open %s\n", project.c_str());
    }
    app->initialised = 1;
    CProView view(app.get());
    seams.view.SetView(&view);
    view.InstallTrackView(std::make_unique<CTrackViewGUI>(app.get()));
    view.resize(kWindowViewWidth, kWindowViewHeight);
    view.show();
    bool saved = SaveModes(view, folder, "window");
    view.SwitchView(ViewModeTrack);
    saved = SaveDetails(view.grab().toImage(), folder) && saved;
    view.resize(838, 600);
    saved = SaveModes(view, folder, "838x600") && saved;
    // While the project plays: the mouse locked out, the bar moved by the play timer.
    view.SwitchView(ViewModeTrack);
    app->playing = 1;
    view.LockInput(1);
    view.MoveTrackingBar(app->project.viewStart + app->project.viewWidth / 3, true);
    saved = view.grab().save(folder + QStringLiteral("/view-track-view-playing.png")) && saved;
    view.LockInput(0);
    app->playing = 0;
    seams.view.SetView(nullptr);
    return saved;
  });
}
