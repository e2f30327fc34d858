#include "ui/CKvProgressWnd.h"

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QTest>

namespace {
QImage barPicture(CKvProgressWnd& window) {
  return window.findChild<QWidget*>(QStringLiteral("id_1000"))->grab().toImage();
}
}  // namespace

TEST(CKvProgressWnd, ThreeStepsShowAThirdTwoThirdsAndAllThenStayThere) {
  CKvProgressWnd window;
  ASSERT_TRUE(window.Create(3));
  window.Show();
  EXPECT_EQ(window.objectName(), QStringLiteral("dlg_801"));
  EXPECT_TRUE(window.isVisible());

  QStringList shown;
  QList<int> filledWidths;
  for (int i = 0; i < 4; ++i) {
    window.Step();
    shown << window.PercentText();
    const QImage bar = barPicture(window);
    const int middle = bar.height() / 2;
    int filled = 0;
    for (int x = 0; x < bar.width(); ++x)
      if (bar.pixelColor(x, middle) == CKvProgressWnd::BarColor() ||
          bar.pixelColor(x, 2) == CKvProgressWnd::BarColor())
        ++filled;
    filledWidths << filled;
  }
  EXPECT_EQ(shown, QStringList({QStringLiteral("33％"), QStringLiteral("66％"),
                                QStringLiteral("100％"), QStringLiteral("100％")}));
  EXPECT_EQ(window.Position(), 3);
  const int inner = barPicture(window).width() - 4;
  EXPECT_EQ(filledWidths.at(0), inner / 3);
  EXPECT_EQ(filledWidths.at(2), inner);
  EXPECT_EQ(filledWidths.at(3), inner);

  // Showing again starts from the beginning.
  window.Hide();
  EXPECT_FALSE(window.isVisible());
  window.Show();
  EXPECT_EQ(window.Position(), 1);
  window.Step();
  EXPECT_EQ(window.PercentText(), QStringLiteral("33％"));
}

TEST(CKvProgressWnd, NoStepsCountsAsOneInsteadOfDividingByZero) {
  CKvProgressWnd window;
  window.Create(0);
  window.Show();
  window.Step();
  EXPECT_EQ(window.PercentText(), QStringLiteral("100％"));
}

TEST(CKvProgressWnd, SitsCentredNearTheMainWindowsBottom) {
  QMainWindow main;
  main.setGeometry(100, 100, 800, 600);
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));

  CKvProgressWnd window;
  window.Create(10, &main);
  const QRect frame = main.frameGeometry();
  EXPECT_EQ(window.x(), frame.left() + (frame.width() - window.width()) / 2);
  EXPECT_EQ(window.y(), frame.bottom() + 1 - 2 * window.height());
}
