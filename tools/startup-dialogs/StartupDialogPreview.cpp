// Writes each first-start page and notice, as a user first sees it, into a
// folder as PNG files, offscreen.
#include <QApplication>
#include <QFont>
#include <cstdio>

#include "StartupWindows.h"

namespace {

bool Save(QWidget& widget, const QString& folder, const QString& name) {
  widget.adjustSize();
  widget.show();
  QApplication::processEvents();
  const QString path = folder + QLatin1Char('/') + name + ".png";
  const bool saved = widget.grab().save(path);
  if (!saved) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  widget.hide();
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: startup_dialog_preview <folder>\n");
    return 2;
  }
  QApplication application(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  bool saved = true;
  dialogs::CInitWindow1 welcome;
  saved &= Save(welcome, folder, "init1");
  InitDialog2Request page;
  page.audioPath = "/home/user/orvane_audio";
  page.outputDevices = {"Built-in Audio Analog Stereo", "USB Interface 2x2"};
  dialogs::CInitWindow2 settings(page, {});
  saved &= Save(settings, folder, "init2");
  for (const forms::NoticeForm& notice : {forms::ArmButtonNotice(), forms::DropoutNotice(), forms::MAudioFoundNotice(),
                                          forms::NoAudioEditingNotice(), forms::NoLoopsNotice()}) {
    dialogs::CNoticeWindow window(notice);
    saved &= Save(window, folder, QString::fromUtf8(notice.kind));
  }
  return saved ? 0 : 1;
}
