#include "core/KvClipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

TEST(KvClipboard, PlainTextRoundTripKeepsChinese) {
  const QString text = QStringLiteral("学号\t姓名\r\n0101\t张三");
  ASSERT_TRUE(KvSetClipboardText(text));
  QString back = QStringLiteral("stale");
  ASSERT_TRUE(KvGetClipboardText(&back));
  EXPECT_EQ(back, text);
  ASSERT_TRUE(KvGetClipboardText(&back, 0));
  EXPECT_EQ(back, text);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
}

TEST(KvClipboard, PrivateFormatIsSeparateFromPlainText) {
  const QString rows = QStringLiteral("0101\t初一(1)班\n0102\t初一(2)班");
  ASSERT_TRUE(KvSetClipboardText(rows, 0x200));
  QString back;
  ASSERT_TRUE(KvGetClipboardText(&back, 0x200));
  EXPECT_EQ(back, rows);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->data(QStringLiteral("application/x-kvqy-format-512")), rows.toUtf8());

  // Another private format or plain text finds nothing and leaves `out` empty.
  back = QStringLiteral("stale");
  EXPECT_FALSE(KvGetClipboardText(&back, 0x201));
  EXPECT_TRUE(back.isEmpty());
  EXPECT_FALSE(KvGetClipboardText(&back));

  // Setting plain text replaces the private rows.
  ASSERT_TRUE(KvSetClipboardText(QStringLiteral("文本")));
  EXPECT_FALSE(KvGetClipboardText(&back, 0x200));
  ASSERT_TRUE(KvGetClipboardText(&back));
  EXPECT_EQ(back, QStringLiteral("文本"));
}

TEST(KvClipboard, EveryLineBreakStyleGivesTheSameTable) {
  const QStringList pasted = {
      QStringLiteral("代码\t名称\t金额\r\n01\t学费\t1200\r\n02\t书费"),
      QStringLiteral("代码\t名称\t金额\r01\t学费\t1200\r02\t书费"),
      QStringLiteral("代码\t名称\t金额\n\r01\t学费\t1200\n\r02\t书费"),
      QStringLiteral("代码\t名称\t金额\n01\t学费\t1200\n02\t书费"),
  };
  for (const QString& text : pasted) {
    SCOPED_TRACE(text.toStdString());
    int rows = 0;
    int columns = 0;
    KvTextTableSize(text, &rows, &columns);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(columns, 3);
    EXPECT_EQ(KvTextTableCell(text, 0, 0), QStringLiteral("代码"));
    EXPECT_EQ(KvTextTableCell(text, 1, 2), QStringLiteral("1200"));
    EXPECT_EQ(KvTextTableCell(text, 2, 1), QStringLiteral("书费"));
    EXPECT_EQ(KvTextTableCell(text, 2, 2), QString());
    EXPECT_EQ(KvTextTableCell(text, 3, 0), QString());
  }
}

TEST(KvClipboard, EmptyLinesInAPastedTableStayLines) {
  int rows = 0;
  int columns = 0;
  KvTextTableSize(QStringLiteral("a\tb\r\n\r\nc\r\n"), &rows, &columns);
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(columns, 2);
  EXPECT_EQ(KvTextTableCell(QStringLiteral("a\tb\r\n\r\nc\r\n"), 2, 0), QStringLiteral("c"));
  KvTextTableSize(QString(), &rows, &columns);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(columns, 1);
}
