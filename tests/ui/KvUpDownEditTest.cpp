// The edit with up and down arrows: the arrows keep to the range, typed
// numbers stay as typed so that the dialog can refuse them by name, and
// only whole numbers can be typed.

#include "ui/KvUpDownEdit.h"

#include <gtest/gtest.h>

#include <QTest>

TEST(KvUpDownEditTest, ArrowsKeepToTheRangeWhileTypedNumbersStayAsTyped) {
  KvUpDownEdit edit;
  edit.SetRange(1, 10);
  edit.SetPos(9);
  edit.stepBy(5);
  EXPECT_EQ(edit.Pos(), 10);
  EXPECT_TRUE(edit.InRange());
  edit.stepBy(-20);
  EXPECT_EQ(edit.Pos(), 1);

  // Outside the range: kept, not in range; the arrows come back from the
  // nearer end.
  edit.SetPos(15);
  EXPECT_EQ(edit.Pos(), 15);
  EXPECT_FALSE(edit.InRange());
  edit.stepBy(-1);
  EXPECT_EQ(edit.Pos(), 10);

  // No number: not in range; a range with no numbers holds none.
  edit.clear();
  bool ok = true;
  edit.Pos(&ok);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(edit.InRange());
  edit.SetRange(1, 0);
  edit.SetPos(1);
  EXPECT_FALSE(edit.InRange());
  edit.stepBy(1);
  EXPECT_EQ(edit.Pos(), 1);
}

TEST(KvUpDownEditTest, OnlyWholeNumbersCanBeTyped) {
  KvUpDownEdit edit;
  edit.SetRange(0, 100);
  edit.clear();
  QTest::keyClicks(&edit, QStringLiteral("-1a2.5"));
  EXPECT_EQ(edit.text(), QStringLiteral("-125"));
  edit.clear();
  QTest::keyClicks(&edit, QStringLiteral("12345678901"));
  EXPECT_EQ(edit.text(), QStringLiteral("123456789"));
}
