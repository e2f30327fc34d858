#include "ui/CKvButton.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QImage>
#include <QPixmap>
#include <QTest>

namespace {
const QColor kIconColor(255, 0, 0);

QIcon solidIcon() {
  QPixmap pixmap(8, 8);
  pixmap.fill(kIconColor);
  return QIcon(pixmap);
}

// Top-left corner of the icon in a picture of the button.
QPoint iconCorner(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == kIconColor.rgb())
        return QPoint(x, y);
  return QPoint(-1, -1);
}

struct CKvButtonTest : ::testing::Test {
  void SetUp() override {
    button.SetIcon(solidIcon(), 8, 8);
    button.resize(16, 16);
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    // Start with the mouse away from the button, wherever the platform put it.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
  }
  QImage picture() { return button.grab().toImage().convertToFormat(QImage::Format_RGB32); }
  QRgb color(QPalette::ColorRole role) const { return button.palette().color(role).rgb(); }

  CKvButton button;
};
}  // namespace

TEST_F(CKvButtonTest, PressingMovesTheIconOnePixelAndSinksTheFlatFrame) {
  EXPECT_TRUE(button.isFlat());
  const QImage before = picture();
  EXPECT_EQ(before.pixel(0, 0), color(QPalette::Button));
  const QPoint normal = iconCorner(before);
  ASSERT_NE(normal, QPoint(-1, -1));

  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_TRUE(button.IsPressed());
  const QImage held = picture();
  EXPECT_EQ(iconCorner(held), normal + QPoint(1, 1));
  EXPECT_EQ(held.pixel(0, 0), color(QPalette::Dark));
  EXPECT_EQ(held.pixel(15, 15), color(QPalette::Light));

  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_FALSE(button.IsPressed());
  EXPECT_EQ(iconCorner(picture()), normal);
}

TEST_F(CKvButtonTest, FlatButtonShowsItsFrameOnlyUnderTheMouse) {
  QEnterEvent enter(QPointF(8, 8), QPointF(8, 8), QPointF(8, 8));
  QApplication::sendEvent(&button, &enter);
  const QImage hovered = picture();
  EXPECT_EQ(hovered.pixel(0, 0), color(QPalette::Light));
  EXPECT_EQ(hovered.pixel(15, 15), color(QPalette::Dark));
  EXPECT_TRUE(CKvButton::IsHoverDrawn());

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&button, &leave);
  EXPECT_FALSE(CKvButton::IsHoverDrawn());
  EXPECT_EQ(picture().pixel(0, 0), color(QPalette::Button));
}

TEST_F(CKvButtonTest, RaisedButtonDrawsTwoFramesAndInvertsThemWhenPressed) {
  button.setFlat(false);
  const QImage up = picture();
  EXPECT_EQ(up.pixel(0, 0), color(QPalette::Light));
  EXPECT_EQ(up.pixel(15, 15), color(QPalette::Shadow));
  EXPECT_EQ(up.pixel(14, 14), color(QPalette::Dark));

  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(8, 8));
  const QImage down = picture();
  EXPECT_EQ(down.pixel(0, 0), color(QPalette::Shadow));
  EXPECT_EQ(down.pixel(1, 1), color(QPalette::Dark));
  EXPECT_EQ(down.pixel(15, 15), color(QPalette::Light));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(8, 8));
}
