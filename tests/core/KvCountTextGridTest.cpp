#include "core/KvCountTextGrid.h"

#include <gtest/gtest.h>

TEST(KvCountTextGrid, LineBreaksBecomeLineFeedsInPlace) {
  QString text = QStringLiteral("学号\t姓名\t金额\r\n01\t张三\r02\n\r03\n");
  int rows = 0;
  int columns = 0;
  KvCountTextGrid(text, rows, columns);
  EXPECT_EQ(text, QStringLiteral("学号\t姓名\t金额\n01\t张三\n02\n03\n"));
  EXPECT_EQ(rows, 5);  // the final break starts an empty line
  EXPECT_EQ(columns, 3);

  text.clear();
  KvCountTextGrid(text, rows, columns);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(columns, 1);
}
