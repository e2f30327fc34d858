#include "ui/CKvComboBoxEx.h"

#include <gtest/gtest.h>

namespace {
void fill(CKvComboBoxEx& combo) {
  combo.AddItem(QStringLiteral("一年级"), 0);
  combo.AddItem(QStringLiteral("二年级"), 1, 2);
  combo.AddItem(QString());
  combo.AddItem(QStringLiteral("一年级一班"), 0, -1, 1);
}
}  // namespace

TEST(CKvComboBoxEx, FindItemSearchesAfterTheStartByTheTextsBeginning) {
  CKvComboBoxEx combo;
  fill(combo);
  combo.setCurrentIndex(1);

  EXPECT_EQ(combo.FindItem(-1, QStringLiteral("一年级")), 0);
  EXPECT_EQ(combo.currentIndex(), 0);
  // The item text only has to begin with the text searched for.
  EXPECT_EQ(combo.FindItem(0, QStringLiteral("一年级")), 3);
  EXPECT_EQ(combo.currentIndex(), 3);
  EXPECT_EQ(combo.FindItem(-1, QString()), 2);
  EXPECT_EQ(combo.FindItem(-1, QStringLiteral("三年级")), -1);
  EXPECT_EQ(combo.currentIndex(), 2);
}

TEST(CKvComboBoxEx, FindItemFromTheLastItemFindsNothingAndKeepsTheSelection) {
  CKvComboBoxEx combo;
  fill(combo);
  combo.setCurrentIndex(1);
  EXPECT_EQ(combo.FindItem(combo.count() - 1, QStringLiteral("一年级")), -1);
  EXPECT_EQ(combo.currentIndex(), 1);
}

TEST(CKvComboBoxEx, InsertItemKeepsImagesSelectedImagesAndIndent) {
  CKvComboBoxEx combo;
  fill(combo);
  EXPECT_EQ(combo.InsertItem(1, QStringLiteral("幼儿园"), 3, -2, -1), 1);
  EXPECT_EQ(combo.InsertItem(99, QStringLiteral("毕业班")), 5);

  EXPECT_EQ(combo.itemData(0, CKvComboBoxEx::SelectedImageRole).toInt(), 0);
  EXPECT_EQ(combo.itemData(2, CKvComboBoxEx::SelectedImageRole).toInt(), 2);
  EXPECT_FALSE(combo.itemData(1, CKvComboBoxEx::SelectedImageRole).isValid());
  EXPECT_FALSE(combo.itemData(3, CKvComboBoxEx::ImageRole).isValid());
  EXPECT_EQ(combo.itemData(4, CKvComboBoxEx::IndentRole).toInt(), 1);
  EXPECT_FALSE(combo.itemData(5, CKvComboBoxEx::IndentRole).isValid());
}
