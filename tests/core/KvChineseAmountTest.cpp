#include "core/KvChineseAmount.h"

#include <gtest/gtest.h>

#include <limits>

TEST(KvChineseAmount, WritesZerosAndUnitsAsOnReceipts) {
  EXPECT_EQ(KvAmountToChinese(105), QStringLiteral("壹佰零伍元整"));
  EXPECT_EQ(KvAmountToChinese(0.5), QStringLiteral("伍角整"));
  EXPECT_EQ(KvAmountToChinese(0.05), QStringLiteral("伍分"));
  EXPECT_EQ(KvAmountToChinese(100000000), QStringLiteral("壹亿元整"));
  EXPECT_EQ(KvAmountToChinese(1000000), QStringLiteral("壹佰万元整"));
  EXPECT_EQ(KvAmountToChinese(10010), QStringLiteral("壹万零壹拾元整"));
  EXPECT_EQ(KvAmountToChinese(1234.56), QStringLiteral("壹仟贰佰叁拾肆元伍角陆分"));
  EXPECT_EQ(KvAmountToChinese(100.05), QStringLiteral("壹佰元零伍分"));
  EXPECT_EQ(KvAmountToChinese(200000001), QStringLiteral("贰亿零壹元整"));
}

TEST(KvChineseAmount, SignsZeroAndOutOfRangeAmounts) {
  EXPECT_EQ(KvAmountToChinese(0), QStringLiteral("零元整"));
  EXPECT_EQ(KvAmountToChinese(0.004), QStringLiteral("零元整"));
  EXPECT_EQ(KvAmountToChinese(-0.004), QStringLiteral("零元整"));
  EXPECT_EQ(KvAmountToChinese(-12.5), QStringLiteral("负壹拾贰元伍角整"));
  EXPECT_EQ(KvAmountToChinese(-0.5), QStringLiteral("负伍角整"));
  EXPECT_EQ(KvAmountToChinese(-0.007), QStringLiteral("负壹分"));
  EXPECT_EQ(KvAmountToChinese(1e12), QStringLiteral("壹万亿元整"));
  EXPECT_EQ(KvAmountToChinese(std::numeric_limits<double>::infinity()), QString());
}

TEST(KvChineseAmount, DigitCapitalsByPosition) {
  QString out = QStringLiteral("old");
  KvDigitToCapital(3, 1, &out);
  EXPECT_EQ(out, QStringLiteral("叁拾"));
  KvDigitToCapital(9, -2, &out);
  EXPECT_EQ(out, QStringLiteral("玖分"));
  KvDigitToCapital(0, 4, &out);
  EXPECT_EQ(out, QStringLiteral("万"));
  KvDigitToCapital(0, 3, &out);
  EXPECT_EQ(out, QString());
  KvDigitToCapital(12, 0, &out);
  EXPECT_EQ(out, QString());
  KvDigitToCapital(1, 0, nullptr);
}
