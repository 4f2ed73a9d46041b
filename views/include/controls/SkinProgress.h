// A progress bar drawn from a skin of nine pieces, laid over a control of a
// dialog (it takes that control's place and size and follows it), that can
// write the percentage or a time estimate after a label into a text window.
//
// The skin is cut into nine pieces of equal width, scaled to the bar's
// thickness (transposed for a bar higher than wide); pixels of the colour
// 0xFFFF00 are see-through. Without a skin the bar draws its own.
//
// Positions along the bar (L its length, p a piece's length): the filled part
// runs from startPixel to endPixel + p, endPixel = p + (pos - lower) x (L - 2p)
// / (upper - lower), never past lengthPixels = L - p; a reverse bar fills from
// the far end.
//
// User-interface thread only.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <string>

#include "controls/ProgressText.h"
#include "draw/Bitmap.h"
#include "draw/Canvas.h"

class CSkinProgress : public QWidget {
  Q_OBJECT

 public:
  // coveredControl must have a parent; textMode as ProgressText.h: |textMode| 0 none,
  // 1 percentage, 2 time, 3 time when it fits; above 0 in parentheses.
  CSkinProgress(QWidget* coveredControl, int upper, const QImage* skin = nullptr, int reverse = 0,
                QWidget* textWindow = nullptr, const QString& label = QString(), int textMode = 0);
  ~CSkinProgress() override;

  // rescale keeps start and pos where they stand in proportion. 0 when the bar does
  // not exist, else 1.
  int SetRange(int lower, int upper, int step = 1, int rescale = 0, int redraw = 1);
  // Clamped to the range; returns the previous position.
  int SetPos(int position, int redraw = 1);
  int GetPos() const { return pos_; }
  // Starts the time estimate again, from lower.
  void ResetTimer(int redraw = 1);
  // A skin of the caller, or nullptr for the built-in one; 0 when the bar has no size.
  int SetBitmap(const QImage* skin, int redraw = 1);

  int StartPixel() const { return startPixel_; }
  int EndPixel() const { return endPixel_; }
  int LengthPixels() const { return lengthPixels_; }
  int PieceLength() const { return pieceLength_; }
  bool IsVertical() const { return vertical_; }
  // The bar as last drawn, inside the one-pixel edge.
  const draw::CBitmap& Bar() const { return bar_; }
  // Timer, erase and range changes: the text, then the bar.
  void Refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  QRect CoveredRect() const;
  void ComputePixels();
  void DrawBar();
  void DrawPiece(draw::CCanvas& canvas, int piece, int at);
  void RefreshText();

  QPointer<QWidget> covered_;
  QPointer<QWidget> textWindow_;
  QString label_;
  std::string lastText_;
  QString savedText_;
  int textMode_ = 0;
  bool vertical_ = false;
  int lower_ = 0;
  int upper_ = 100;
  int step_ = 1;
  int start_ = 0;
  int pos_ = 0;
  int previousPos_ = 0;
  int reverse_ = 0;
  int startPixel_ = 0;
  int endPixel_ = 0;
  int lengthPixels_ = 0;
  int pieceLength_ = 0;
  bool hasSkin_ = false;
  QImage callerSkin_;
  std::array<draw::CBitmap, 9> pieces_;
  draw::CBitmap bar_;
  ProgressClockTime startTime_;
  int timerId_ = 0;
};
