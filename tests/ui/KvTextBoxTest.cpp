#include "ui/KvTextBox.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {
const QString kIndent = QStringLiteral("    ");

KvTextBox wrappingBox(const QString& text) {
  KvTextBox box;
  box.text = text;
  box.noWrap = 0;
  return box;
}

QImage blank(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// Number of non-white pixels inside the rectangle.
int inked(const QImage& image, const QRect& rect) {
  int count = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x)
      if (image.pixelColor(x, y) != QColor(Qt::white))
        ++count;
  return count;
}
}  // namespace

// A box 100 wide with a left frame leaves 99 for the text; with a "T" 8 wide
// that is 12 letters, four of them the indent, so lines hold 8 columns.
TEST(KvTextBox, WrapsAtTheWidthOfTAndMovesAWideCharacterWhole) {
  EXPECT_EQ(wrappingBox(QStringLiteral("ABCDEFGHIJ")).Lines(99, 8),
            QStringList({kIndent + QStringLiteral("ABCDEFGH"), kIndent + QStringLiteral("IJ")}));
  EXPECT_EQ(wrappingBox(QStringLiteral("ABCDEFG中文")).Lines(99, 8),
            QStringList({kIndent + QStringLiteral("ABCDEFG"), kIndent + QStringLiteral("中文")}));
  // Lines given with "\" keep their own indent and each wraps on its own.
  EXPECT_EQ(wrappingBox(QStringLiteral("    学生\\班级名称很长的")).Lines(99, 8),
            QStringList({kIndent + QStringLiteral("学生"), kIndent + QStringLiteral("班级名称"),
                         kIndent + QStringLiteral("很长的")}));
  // A narrow box still takes two columns per line.
  EXPECT_EQ(wrappingBox(QStringLiteral("中文")).Lines(10, 8),
            QStringList({kIndent + QStringLiteral("中"), kIndent + QStringLiteral("文")}));

  KvTextBox plain;
  plain.text = QStringLiteral("ABCDEFGHIJKLMNOP\\第二行");
  EXPECT_EQ(plain.Lines(20, 8), QStringList({QStringLiteral("ABCDEFGHIJKLMNOP"),
                                             QStringLiteral("第二行")}));
}

TEST(KvTextBox, SetLineMakesAFramelessLineOnTheDefaults) {
  KvTextBox box;
  box.Set(QStringLiteral("标题"), 5, 6, 7, 8, 2, 2, 2, 2, 9, 9, 9, 9, 9, 0, 0, 0);
  box.SetLine(30, QStringLiteral("收费单据"));
  EXPECT_EQ(box.text, QStringLiteral("收费单据"));
  EXPECT_EQ(QRect(box.left, box.top, box.right, box.bottom), QRect(0, 0, 0, 30));
  EXPECT_EQ(box.leftFrame + box.topFrame + box.rightFrame + box.bottomFrame, 0);
  EXPECT_EQ(box.font1, 0);
  EXPECT_EQ(box.font2, 1);
  EXPECT_EQ(box.drawText, 0);
  EXPECT_EQ(box.align, 6);
}

TEST(KvTextBox, DrawsFramesAndTextOnTheScreen) {
  KvTextBox box;
  box.Set(QStringLiteral("TT"), 10, 10, 90, 50, 2, 1, 1, 0, 1, 1, 0, 2, 2, 1, 0, 1);
  QImage image = blank(100, 60);
  {
    QPainter painter(&image);
    box.Draw(&painter);
  }
  // Both lines of the double left frame survive the text band's background.
  EXPECT_EQ(image.pixelColor(10, 30), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(11, 30), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(50, 10), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(90, 30), QColor(Qt::black));
  EXPECT_EQ(inked(image, QRect(12, 49, 77, 2)), 0);
  // Left-aligned text starts 3 + 2 units inside the text area.
  EXPECT_EQ(inked(image, QRect(12, 11, 4, 38)), 0);
  EXPECT_GT(inked(image, QRect(16, 11, 40, 38)), 0);
}

TEST(KvTextBox, FramesOnlyLeavesOutTextThatIsNotForOverlayPrinting) {
  KvTextBox box;
  box.Set(QStringLiteral("姓名"), 0, 0, 80, 30, 1, 1, 1, 1, 1, 1, 0, 2, 2, 1, 6, 0);
  QImage framesOnly = blank(100, 40);
  {
    QPainter painter(&framesOnly);
    box.Draw(&painter, true);
  }
  EXPECT_EQ(framesOnly.pixelColor(0, 15), QColor(Qt::black));
  EXPECT_EQ(inked(framesOnly, QRect(2, 2, 76, 26)), 0);

  box.drawText = 1;
  QImage both = blank(100, 40);
  {
    QPainter painter(&both);
    box.Draw(&painter, true);
  }
  EXPECT_GT(inked(both, QRect(2, 2, 76, 26)), 0);
}

TEST(KvTextBox, BoundsCoverEveryBox) {
  KvTextBoxArray boxes;
  EXPECT_EQ(boxes.GetBounds(), QRect(0, 0, 0, 0));
  KvTextBox box;
  box.Set(QString(), 10, 5, 40, 6, 1, 1, 0, 0, 1, 1, 0, 2, 2, 1, 6, 1);
  boxes.append(box);
  box.Set(QString(), 0, 20, 30, 21, 1, 1, 0, 0, 1, 1, 0, 2, 2, 1, 6, 1);
  boxes.append(box);
  EXPECT_EQ(boxes.GetBounds(), QRect(0, 5, 40, 16));
  EXPECT_EQ(boxes.GetAt(1).top, 20);
}
