#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>
#include <vector>

#include "controls/MyButton.h"
#include "controls/MyEdit.h"
#include "controls/PostedMessage.h"
#include "draw/Canvas.h"
#include "skin/SkinFactory.h"

namespace {

// Stands in for the main window: keeps what is posted to it.
class CMessageSink final : public QObject {
 public:
  CMessageSink() { SetMainWindow(this); }
  ~CMessageSink() override { SetMainWindow(nullptr); }
  bool event(QEvent* event) override {
    if (event->type() != CPostedMessageEvent::EventType()) return QObject::event(event);
    messages.push_back(static_cast<CPostedMessageEvent*>(event)->Message());
    return true;
  }
  std::vector<uint32_t> messages;
};

std::vector<uint32_t> Delivered(CMessageSink& sink) {
  QCoreApplication::sendPostedEvents(&sink);
  return std::exchange(sink.messages, {});
}

TEST(MyButton, PostsItsMessageOnPressAndAgainOnDoubleClick) {
  CMessageSink sink;
  CMyButton button(42938, 341, 342, 343);
  button.resize(17, 18);
  button.show();
  QTest::mousePress(&button, Qt::LeftButton);
  EXPECT_EQ(button.IsPressed(), 1);
  EXPECT_TRUE(sink.messages.empty()) << "posted, not sent";
  QTest::mouseRelease(&button, Qt::LeftButton);
  EXPECT_EQ(button.IsPressed(), 0);
  EXPECT_EQ(Delivered(sink), std::vector<uint32_t>{42938});
  // A double click comes as press, release, double click, release.
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                            QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&button, &event);
  }
  EXPECT_EQ(Delivered(sink), (std::vector<uint32_t>{42938, 42938}));
  QTest::mouseClick(&button, Qt::RightButton);
  EXPECT_TRUE(Delivered(sink).empty());
}

TEST(MyButton, DrawsTheBitmapOfItsState) {
  CMyButton button(42940, 341, 342, 343);
  button.resize(17, 18);
  auto shows = [&](int id) {
    draw::CBitmap rendered(17, 18);
    button.Render(rendered);
    draw::CBitmap expected(17, 18);
    draw::CCanvas(expected).Blit(0, 0, CSkinFactory::Get(id));
    for (int y = 0; y < 18; ++y) {
      for (int x = 0; x < 17; ++x) {
        if (rendered.Pixel(x, y) != expected.Pixel(x, y)) return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(shows(341));
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QCoreApplication::sendEvent(&button, &enter);
  EXPECT_EQ(button.IsHot(), 1);
  EXPECT_TRUE(shows(342));
  QTest::mousePress(&button, Qt::LeftButton);
  EXPECT_TRUE(shows(343));
  QTest::mouseRelease(&button, Qt::LeftButton);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&button, &leave);
  EXPECT_EQ(button.IsHot(), 0);
  EXPECT_TRUE(shows(341));
  QCoreApplication::sendPostedEvents();
}

TEST(MyEdit, TakesItsColoursAtOnce) {
  CMyEdit box(32880, nullptr);
  box.resize(76, 19);
  box.setText(QStringLiteral("00:00.000"));
  box.SetBackgroundColour(0x00F0F0);
  box.SetTextColour(0x323232);
  EXPECT_EQ(box.objectName(), QStringLiteral("32880"));
  const QImage image = box.grab().toImage();
  // Inside the edge, left of the right-aligned text.
  EXPECT_EQ(draw::FromQRgb(image.pixel(3, 9)), 0x00F0F0u);
  EXPECT_EQ(draw::FromQRgb(image.pixel(0, 9)), CMyEdit::kEdge);
  EXPECT_EQ(draw::FromQRgb(image.pixel(75, 9)), CMyEdit::kEdgeLight);
  EXPECT_EQ(box.palette().color(QPalette::Text), draw::ToQColor(0x323232));
}

}  // namespace
