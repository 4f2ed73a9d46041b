// Writes each edit-operation window and each effect panel, as a user first
// sees it, into a folder as PNG files, offscreen.
#include <QApplication>
#include <QDir>
#include <QFont>
#include <cstdio>

#include "EffectPanels.h"
#include "FormWidget.h"
#include "OperationWindow.h"

namespace {

QString g_folder;

void Save(QWidget& widget, const QString& name) {
  widget.adjustSize();
  widget.show();
  QApplication::processEvents();
  const QString path = g_folder + QLatin1Char('/') + name + ".png";
  if (!widget.grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  widget.hide();
}

void Show(forms::CFXDialog& form, const QString& name, bool withOneHighlight) {
  form.SetPresetFolder(QDir::tempPath().toStdString());
  form.SetAvailable(withOneHighlight, false);
  form.InitDialog();
  dialogs::COperationWindow window(form);
  Save(window, name);
}

void ShowPanel(forms::CEffectPanel& panel, forms::EffectKind kind, const QString& name) {
  panel.SetPresetFolder(QDir::tempPath().toStdString());
  panel.SetDestructive(kind);
  panel.InitDialog();
  dialogs::CFormWidget widget(panel);
  widget.setAutoFillBackground(true);
  Save(widget, name);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: effect_dialog_preview <folder>\n");
    return 2;
  }
  g_folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(g_folder);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  QApplication::setFont(font);

  forms::CMuteDialog mute;
  forms::CMixPasteDialog mix;
  forms::CVolumeDialog volume;
  forms::CFadeDialog fade;
  forms::CReverseDialog reverse;
  forms::CSwapDialog swap;
  forms::CCopyChannelDialog copy;
  forms::CStretchCompressDialog stretch;
  forms::CPitchShiftDialog pitch;
  Show(mute, "226-mute", true);
  Show(mix, "229-mix-paste", true);
  Show(volume, "230-volume", true);
  Show(fade, "231-fade", true);
  Show(reverse, "232-reverse", false);
  Show(swap, "233-swap", true);
  Show(copy, "234-copy-channel", true);
  Show(stretch, "254-stretch", true);
  Show(pitch, "255-pitch-shift", true);

  forms::CEchoDialog echo;
  forms::CReverbDialog reverb;
  forms::CChorusDialog chorus;
  forms::CFlangeDialog flange;
  forms::CEqualizerDialog equalizer;
  ShowPanel(echo, forms::EffectEcho, "227-echo");
  ShowPanel(reverb, forms::EffectReverb, "244-reverb");
  ShowPanel(chorus, forms::EffectChorus, "228-chorus");
  ShowPanel(flange, forms::EffectFlange, "245-flange");
  ShowPanel(equalizer, forms::EffectNone, "247-equalizer");
  return 0;
}
