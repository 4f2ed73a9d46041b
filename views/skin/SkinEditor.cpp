// The Audio Editor's frame pieces and channel labels. The pieces are cut from
// one rounded panel: its border lies on the frame rectangle's first and last
// columns and rows, whatever piece it shows.
#include <QFontMetricsF>
#include <QPainterPath>
#include <QString>

#include "skin/SkinEntries.h"
#include "skin/SkinIds.h"
#include "skin/SkinPalette.h"

namespace skin {

namespace {

constexpr double kRadius = 3.0;
constexpr double kFar = 40.0;  // how far the panel reaches past a piece it does not end in

// The panel, in the piece's coordinates, of which the piece shows a part.
SkinEntry FramePiece(int id, int width, int height, QRectF panel) {
  return {id, width, height, false, [=](CArt& art) {
            art.Fill(kEditorGround);
            QPainterPath shape;
            shape.addRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), kRadius, kRadius);
            art.Shape(shape, kPanel);
            art.Stroke(shape, kFrame, 1.0);
          }};
}

// The channel's name, reading upwards, its capitals centred across the 7 columns.
SkinEntry ChannelLabel(int id, int height, const char* name) {
  return {id, 7, height, false, [=](CArt& art) {
            art.Fill(kPanel);
            QFont font(QStringLiteral("Liberation Sans"));
            font.setPixelSize(8);
            font.setBold(true);
            const QFontMetricsF metrics(font);
            const QString text = QString::fromLatin1(name);
            QPainter& painter = art.Painter();
            painter.save();
            painter.setRenderHint(QPainter::TextAntialiasing, true);
            painter.translate(0, height);
            painter.rotate(-90);
            painter.setFont(font);
            painter.setPen(draw::ToQColor(kQuietText));
            const double baseline = (7.0 + metrics.capHeight()) / 2.0;
            painter.drawText(QPointF((height - metrics.horizontalAdvance(text)) / 2.0, baseline), text);
            painter.restore();
          }};
}

}  // namespace

std::vector<SkinEntry> EditorSkins() {
  return {
      FramePiece(kEditorTopLeft, 13, 11, QRectF(0, 0, kFar, kFar)),
      FramePiece(kEditorTopRight, 13, 11, QRectF(13 - kFar, 0, kFar, kFar)),
      FramePiece(kEditorBottomRight, 13, 11, QRectF(13 - kFar, 11 - kFar, kFar, kFar)),
      FramePiece(kEditorBottomLeft, 13, 11, QRectF(0, 11 - kFar, kFar, kFar)),
      FramePiece(kEditorTop, 12, 11, QRectF(-kFar, 0, 3 * kFar, kFar)),
      FramePiece(kEditorBottom, 12, 12, QRectF(-kFar, 12 - kFar, 3 * kFar, kFar)),
      FramePiece(kEditorLeft, 14, 12, QRectF(0, -kFar, kFar, 3 * kFar)),
      // The right edge is placed 2 pixels further right than the corners: its
      // border stands on its twelfth column, in line with theirs.
      FramePiece(kEditorRight, 14, 12, QRectF(12 - kFar, -kFar, kFar, 3 * kFar)),
      ChannelLabel(kChannelUpper, 59, "LEFT"),
      ChannelLabel(kChannelLower, 66, "RIGHT"),
  };
}

}  // namespace skin
