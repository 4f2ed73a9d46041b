// Writes every skin bitmap, a contact sheet of them, painted waveforms and the
// skinned controls as PNG files into a folder, offscreen, for people to look at.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "AudioSegment.h"
#include "WaveformFixtures.h"
#include "Folders.h"
#include "controls/HyperLink.h"
#include "controls/SkinProgress.h"
#include "draw/Canvas.h"
#include "skin/SkinFactory.h"
#include "skin/SkinPalette.h"
#include "waveform/WaveformPainter.h"

namespace {

QString g_folder;

void Save(const QImage& image, const QString& name) {
  const QString path = g_folder + QLatin1Char('/') + name;
  if (!image.save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// Bitmaps magnified, each with its id, on a neutral ground, in rows no wider
// than a screen.
void ContactSheet(const QString& name, const std::vector<int>& ids, int magnify) {
  const int sheetWidth = 1000;
  int x = 10, y = 10, rowHeight = 0;
  std::vector<std::pair<QPoint, int>> places;
  for (const int id : ids) {
    const QSize size = CSkinFactory::Size(id) * magnify;
    if (x + size.width() > sheetWidth && x > 10) {
      x = 10;
      y += rowHeight + 24;
      rowHeight = 0;
    }
    places.push_back({QPoint(x, y + 14), id});
    x += std::max(size.width(), 40) + 14;
    rowHeight = std::max(rowHeight, size.height());
  }
  QImage sheet(sheetWidth + 10, y + rowHeight + 40, QImage::Format_RGB32);
  sheet.fill(QColor(205, 205, 205));
  QPainter painter(&sheet);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(11);
  painter.setFont(font);
  for (const auto& [at, id] : places) {
    const draw::CBitmap& bitmap = CSkinFactory::Get(id);
    painter.drawText(at + QPoint(0, -3), QString::number(id));
    painter.drawImage(QRect(at, bitmap.Image().size() * magnify), bitmap.Image());
  }
  painter.end();
  Save(sheet, name);
}

// A part of one bitmap, magnified, to look at single pixels.
void Zoom(const QString& name, int id, const QRect& part, int magnify) {
  const QImage& image = CSkinFactory::Get(id).Image();
  Save(image.copy(part).scaled(part.size() * magnify, Qt::IgnoreAspectRatio, Qt::FastTransformation), name);
}

int16_t Music(uint32_t frame, int channel) {
  const double t = frame / 44100.0;
  const double envelope = 0.55 + 0.45 * std::sin(2 * M_PI * 0.7 * t + channel);
  const double tone = std::sin(2 * M_PI * 220 * t) * 0.6 + std::sin(2 * M_PI * 331 * t + channel) * 0.3;
  const double beat = std::exp(-std::fmod(t, 0.5) * 9.0);
  return static_cast<int16_t>(std::clamp((tone * envelope * 0.7 + beat * 0.3 * std::sin(2 * M_PI * 60 * t)) * 28000,
                                         -32767.0, 32767.0));
}


// The waveform in the default track colours (box 0xB4B4B4, fill azure, black
// outline) and in the Audio Editor's way (frame brush, dotted quarter lines).
void Waveforms(const std::string& folder) {
  auto mono = tessiro::test::MakeWaveSegment(folder, 1, 44100 * 20, Music);
  auto stereo = tessiro::test::MakeWaveSegment(folder, 2, 44100 * 20, Music);
  draw::CBitmap sheet(1240, 700, 1.0, skin::kEditorGround);
  draw::CCanvas canvas(sheet);
  const draw::CPen outline = draw::CPen::Solid(0x000000);
  const draw::CBrush fill = draw::CBrush::Solid(0xFF8000);
  const draw::CPen quarter = draw::CPen::Dotted(0x646464);
  struct Strip {
    CAudioSegment* segment;
    uint32_t first, last;
  } strips[] = {
      {mono.get(), 0, 44100 * 20},    {stereo.get(), 0, 44100 * 20},     {mono.get(), 44100, 44100 + 12000},
      {stereo.get(), 44100, 56100},   {mono.get(), 50000, 50000 + 200},  {stereo.get(), 50000, 50012},
  };
  int k = 0;
  for (const Strip& s : strips) {
    const int x = 10 + (k % 2) * 615;
    const int y = 10 + (k / 2) * 230;
    canvas.SelectPen(draw::CPen::Solid(0x000000));
    DrawWaveform(s.segment, &canvas, &outline, &fill, draw::CBrush::Solid(0xB4B4B4), x, y, 600, 210, s.first, s.last,
                 &quarter);
    ++k;
  }
  Save(sheet.Image(), QStringLiteral("waveforms.png"));
}

// The view's frame with its tab strip, corners and two track headers, composed
// at the places the view and the Track View give them.
void ViewMock() {
  const int w = 835, h = 420;
  draw::CBitmap view(w, h, 1.0, skin::kViewGround);
  draw::CCanvas c(view);
  c.Blit(6, 3, CSkinFactory::Get(skin::kTabsTrackView));
  c.SelectPen(draw::CPen::Solid(skin::kFrame));
  const draw::Point frame[] = {{6, 24}, {6, h - 4}, {w - 4, h - 4}, {w - 4, 23}, {245 + 5, 23}};
  c.Polyline(frame, 5);
  c.FillSolidRect({7, h - 7, w - 4, h - 4}, 0xFFFFFF);
  c.FillSolidRect({w - 7, 24, w - 4, h - 4}, 0xFFFFFF);
  c.Blit(6, h - 6, CSkinFactory::Get(skin::kCornerBottomLeft));
  c.Blit(w - 6, h - 8, CSkinFactory::Get(skin::kCornerBottomRight));
  c.Blit(w - 5, 22, CSkinFactory::Get(skin::kCornerTopRight));
  // The Track View's area at (7, 24).
  const int ax = 7, ay = 24, aw = w - 14, ah = h - 31;
  c.FillSolidRect({ax, ay, ax + aw, ay + ah}, skin::kEditorGround);
  const int pitch = (ah - 41) / 3, b = pitch - 4;
  for (int r = 0; r < 3; ++r) {
    const int y = ay + 4 + r * pitch;
    const bool selected = r == 1;
    c.Blit(ax + 5, y, CSkinFactory::Get(skin::kTrackHeader));
    for (int band = y + 43; band < y + b - 3; band += 24) {
      c.Blit(ax + 5, band, 189, std::min(24, y + b - 3 - band),
             CSkinFactory::Get(selected ? skin::kTrackBodySelected : skin::kTrackBody));
    }
    c.Blit(ax + 5, y + b - 3, CSkinFactory::Get(skin::kTrackUnderline));
    c.Blit(ax + 47, y + 7, 14, 10, CSkinFactory::Get(skin::kTrackNumbers), (r % 8) * 14, (r / 8) * 10);
    if (r == 2) c.Blit(ax + 11, y + 27, CSkinFactory::Get(skin::kLoopTrackMark));
    if (selected) {
      c.Blit(ax + 5, y, CSkinFactory::Get(skin::kSelectionTop));
      c.Blit(ax + 5, y + b - 3, CSkinFactory::Get(skin::kSelectionBottom));
      c.Blit(ax + 5, y, CSkinFactory::Get(skin::kSelectionLeft));
      c.Blit(ax + 5 + 186, y, CSkinFactory::Get(skin::kSelectionRight));
    }
    c.SelectPen(draw::CPen::Solid(0));
    c.SelectBrush(draw::CBrush::Solid(skin::kEditorGround));
    c.Rectangle(ax + 199, y, ax + 199 + aw - 224 + 1, y + b + 1);
  }
  const int y0 = ay + ah - 39, rw = aw - 25 - 199;
  c.Blit(ax + 199, y0, CSkinFactory::Get(skin::kRulerEnd));
  for (int x = 200; x < 200 + rw - 2; x += 50) {
    c.Blit(ax + x, y0, std::min(50, 200 + rw - 2 - x), 20, CSkinFactory::Get(skin::kRulerTile));
  }
  c.Blit(ax + aw - 26, y0, CSkinFactory::Get(skin::kRulerEnd));
  for (int x = 1; x < rw; x += 120) {
    c.Blit(ax + 199 + x, y0, CSkinFactory::Get(skin::kRulerTick));
    for (int j = 1; j < 4; ++j) c.Blit(ax + 199 + x + j * 30, y0, CSkinFactory::Get(skin::kRulerSubTick));
  }
  c.Blit(ax + 5, ay + ah - 39, CSkinFactory::Get(skin::kTempoPanel));
  c.Blit(ax + aw - 12 - 7, ay + ah - 29 - 24 + 24, CSkinFactory::Get(skin::kPlusNormal));
  c.Blit(ax + aw - 12 - 7, ay + ah - 11 - 24 + 24, CSkinFactory::Get(skin::kMinusHot));
  Save(view.Image(), QStringLiteral("view-mock.png"));
}

// The Audio Editor's frame, tiled from its pieces as the editor lays them out.
void EditorMock() {
  const int w = 600, h = 300;
  draw::CBitmap editor(w, h, 1.0, skin::kEditorGround);
  draw::CCanvas c(editor);
  c.Blit(5, 4, CSkinFactory::Get(skin::kEditorTopLeft));
  c.Blit(w - 16, 4, CSkinFactory::Get(skin::kEditorTopRight));
  c.Blit(w - 16, h - 30, CSkinFactory::Get(skin::kEditorBottomRight));
  c.Blit(5, h - 30, CSkinFactory::Get(skin::kEditorBottomLeft));
  for (int x = 18; x < w - 16; x += 12) {
    c.Blit(x, 4, std::min(12, w - 16 - x), 11, CSkinFactory::Get(skin::kEditorTop));
    c.Blit(x, h - 31, std::min(12, w - 16 - x), 12, CSkinFactory::Get(skin::kEditorBottom));
  }
  for (int y = 15; y < h - 30; y += 12) {
    c.Blit(5, y, 14, std::min(12, h - 30 - y), CSkinFactory::Get(skin::kEditorLeft));
    c.Blit(w - 15, y, 14, std::min(12, h - 30 - y), CSkinFactory::Get(skin::kEditorRight));
  }
  c.FillSolidRect({13, 10, 48, h - 38}, skin::kPanel);
  c.FillSolidRect({w - 46, 10, w - 11, h - 38}, skin::kPanel);
  c.FillSolidRect({13, h - 38, w - 11, h - 25}, skin::kPanel);
  c.SelectPen(draw::CPen::Solid(0));
  c.SelectBrush(draw::CBrush::Solid(0xB4B4B4));
  c.Rectangle(48, 10, w - 46, h - 38);
  const int wh = h - 48;
  c.Blit(19, wh / 4 - 19, CSkinFactory::Get(skin::kChannelUpper));
  c.Blit(19, static_cast<int>(0.75 * wh - 22), CSkinFactory::Get(skin::kChannelLower));
  c.Blit(w - 14, h - 52, CSkinFactory::Get(skin::kPlusNormal));
  c.Blit(w - 14, h - 34, CSkinFactory::Get(skin::kMinusNormal));
  c.Blit(w - 14, h - 16, CSkinFactory::Get(skin::kWholePressed));
  Save(editor.Image(), QStringLiteral("editor-mock.png"));
}

void Controls() {
  QWidget dialog;
  dialog.resize(460, 230);
  dialog.setAutoFillBackground(true);
  QPalette colours = dialog.palette();
  colours.setColor(QPalette::Window, draw::ToQColor(skin::kViewGround));
  dialog.setPalette(colours);
  std::vector<std::unique_ptr<CSkinProgress>> bars;
  const struct {
    QRect place;
    int pos;
    int reverse;
  } cases[] = {
      {{10, 10, 300, 20}, 0, 0},  {{10, 40, 300, 20}, 37, 0},  {{10, 70, 300, 20}, 100, 0},
      {{10, 100, 300, 20}, 37, 1}, {{10, 130, 300, 14}, 64, 0}, {{330, 10, 20, 150}, 60, 0},
  };
  for (const auto& c : cases) {
    auto* covered = new QLabel(&dialog);
    covered->setGeometry(c.place);
    bars.push_back(std::make_unique<CSkinProgress>(covered, 100, nullptr, c.reverse));
    bars.back()->SetPos(c.pos);
  }
  auto* link = new CHyperLink(QStringLiteral("Getting started with Tessiro"), &dialog);
  link->move(10, 170);
  link->SetURL(QStringLiteral("manual.html"));
  auto* visited = new CHyperLink(QStringLiteral("Tessiro on the web"), &dialog);
  visited->move(10, 195);
  visited->SetVisited(1);
  dialog.show();
  Save(dialog.grab().toImage(), QStringLiteral("controls.png"));
}

void Icons() {
  QImage sheet(760, 290, QImage::Format_ARGB32);
  sheet.fill(Qt::white);
  QPainter painter(&sheet);
  int x = 4;
  for (const int size : {16, 22, 32, 48, 64, 128, 256}) {
    painter.drawImage(QPoint(x, 8), CSkinFactory::ProgramIconImage(size));
    x += size + 8;
  }
  // The smallest ones as their pixels.
  painter.drawImage(QRect(4, 200, 64, 64), CSkinFactory::ProgramIconImage(16));
  painter.drawImage(QRect(80, 200, 88, 88), CSkinFactory::ProgramIconImage(22));
  painter.end();
  Save(sheet, QStringLiteral("icons.png"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: skin_preview <folder>\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  QApplication::setFont(font);
  g_folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(g_folder);
  for (const int id : CSkinFactory::Ids()) {
    Save(CSkinFactory::Get(id).Image(), QStringLiteral("skin-%1.png").arg(id));
    Save(CSkinFactory::Get(id, 2.0).Image(), QStringLiteral("skin-%1@2x.png").arg(id));
  }
  using namespace skin;
  ContactSheet(QStringLiteral("sheet-upper.png"), {kUpperNormal, kUpperHot, kUpperPressed, kUpperDisabled}, 1);
  ContactSheet(QStringLiteral("sheet-lower.png"),
               {kTrackBarNormal, kTrackBarHot, kTrackBarPressed, kTrackBarDisabled, kEditorBarNormal, kEditorBarHot,
                kEditorBarPressed, kEditorBarDisabled, kTrackBarPositionLabel, kTrackBarLengthLabel, kEditorBarLabels,
                kUpperSeparator, kLoopBar},
               2);
  ContactSheet(QStringLiteral("sheet-buttons.png"),
               {kPlusNormal, kPlusHot, kPlusPressed, kMinusNormal, kMinusHot, kMinusPressed, kWholeNormal, kWholeHot,
                kWholePressed, kCornerBottomLeft, kCornerBottomRight, kCornerTopRight},
               6);
  ContactSheet(QStringLiteral("sheet-tabs.png"), {kTabsTrackView, kTabsAudioEditor, kTabsLoopBank}, 3);
  ContactSheet(QStringLiteral("sheet-headers.png"),
               {kTrackHeader, kTrackBody, kTrackBodySelected, kTrackUnderline, kSelectionTop, kSelectionBottom,
                kSelectionLeft, kSelectionRight, kTrackNumbers, kLoopTrackMark, kTempoPanel, kLoopHeader, kLoopBody,
                kLoopUnderline, kLoopNumbers},
               2);
  ContactSheet(QStringLiteral("sheet-editor.png"),
               {kEditorTopLeft, kEditorTop, kEditorTopRight, kEditorLeft, kEditorRight, kEditorBottomLeft,
                kEditorBottom, kEditorBottomRight, kChannelUpper, kChannelLower, kRulerEnd, kRulerTile, kRulerTick,
                kRulerSubTick, kRulerLabel, kProgressSkin},
               6);
  ContactSheet(QStringLiteral("sheet-pictures.png"), {kAboutPicture, kArmPicture, kDriverPicture}, 2);
  Zoom(QStringLiteral("zoom-upper.png"), kUpperNormal, QRect(0, 0, 260, 31), 4);
  Zoom(QStringLiteral("zoom-upper-hot.png"), kUpperHot, QRect(455, 0, 260, 31), 4);
  Zoom(QStringLiteral("zoom-editorbar.png"), kEditorBarNormal, QRect(0, 0, 300, 26), 3);
  Zoom(QStringLiteral("zoom-header.png"), kTrackHeader, QRect(0, 0, 189, 43), 4);
  const std::string audio = (g_folder + QStringLiteral("/audio")).toStdString();
  platform::CreateFolder(audio);
  Waveforms(audio);
  QDir(QString::fromStdString(audio)).removeRecursively();
  ViewMock();
  EditorMock();
  Controls();
  Icons();
  return 0;
}
