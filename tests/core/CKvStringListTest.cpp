#include "core/CKvStringList.h"

#include <gtest/gtest.h>

TEST(CKvStringList, CopiesAreIndependentAndBlankKeepsTheCount) {
  CKvStringList list(QStringList{"甲", "乙"});
  CKvStringList copy(list);
  list.Blank();
  EXPECT_EQ(list, QStringList({QString(), QString()}));
  EXPECT_EQ(copy, QStringList({"甲", "乙"}));
  copy = list;
  EXPECT_EQ(copy.size(), 2);
  EXPECT_TRUE(copy.first().isEmpty());
}
