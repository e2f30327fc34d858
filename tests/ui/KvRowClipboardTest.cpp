// Rows copied, cut and pasted between lists through the private clipboard
// format: the header that names the source data file (never with a
// password), whether a paste comes from the receiver's own data file, and a
// cut that can be pasted only once.

#include "ui/KvRowClipboard.h"

#include "core/KvClipboard.h"
#include "support/KvTestDb.h"
#include "ui/KvCommands.h"
#include "KvListTestSupport.h"

#include <gtest/gtest.h>

#include <QClipboard>

namespace {
QString clipboardRows() {
  QString text;
  KvGetClipboardText(&text, KV_ROW_CLIPBOARD_FORMAT);
  return text;
}

void pressCtrl(CKvListCtrl& list, Qt::Key key) { QTest::keyClick(list.View(), key, Qt::ControlModifier); }
}  // namespace

class KvRowClipboardTest : public KvDbKindTest {};

TEST_P(KvRowClipboardTest, CopyHeaderNamesTheDataFileWithoutItsPassword) {
  KvScopedAppDb app(&db());
  KvRecordingList list;
  KvFillPupils(list);
  KvSelectRows(list, {0, 2});
  pressCtrl(list, Qt::Key_C);

  if (kind() == 0) {
    EXPECT_EQ(clipboardRows(), QStringLiteral("0复制") + testDb().name() + QStringLiteral("\n001\n003\n"));
    return;
  }
  // The live connection holds a password; the clipboard does not.
  ASSERT_FALSE(db().GetConnectInfo().m_strPassword.isEmpty());
  CKvDbInfo expected = db().GetConnectInfo();
  expected.m_strPassword.clear();
  EXPECT_EQ(clipboardRows(), QString::number(kind()) + QStringLiteral("复制") +
                                 expected.GetConnectString(kind()) + QStringLiteral("\n001\n003\n"));
  CKvDbInfo header;
  header.ParseConnectString(clipboardRows().section(u'\n', 0, 0).mid(3), kind());
  EXPECT_TRUE(header.m_strPassword.isEmpty());
  EXPECT_EQ(header.m_strDatabase, testDb().name());
}

TEST_P(KvRowClipboardTest, PasteTellsItsOwnDataFileFromAnother) {
  {
    KvScopedAppDb app(&db());
    KvRecordingList source;
    KvFillPupils(source);
    KvSelectRows(source, {1});
    pressCtrl(source, Qt::Key_C);
  }

  CKvDb same(kind());
  ASSERT_TRUE(testDb().OpenAnother(same));
  {
    KvScopedAppDb app(&same);
    KvRecordingList target;
    pressCtrl(target, Qt::Key_V);
    ASSERT_EQ(target.pastes.size(), 1);
    EXPECT_EQ(target.pastes[0].texts, QStringList{QStringLiteral("002")});
    EXPECT_FALSE(target.pastes[0].cut);
    EXPECT_TRUE(target.pastes[0].sameFile);
    if (kind() != 0) {
      EXPECT_EQ(target.pastes[0].from.m_strDatabase, testDb().name());
      EXPECT_TRUE(target.pastes[0].from.m_strPassword.isEmpty());
    }
  }

  KvTestDb other(kind());
  KV_CREATE_TEST_DB(other);
  {
    KvScopedAppDb app(&other.db());
    KvRecordingList target;
    pressCtrl(target, Qt::Key_V);
    ASSERT_EQ(target.pastes.size(), 1);
    EXPECT_FALSE(target.pastes[0].sameFile);
  }

  if (kind() == 2) {
    // The same database reached through the ODBC data source is the same
    // data file.
    CKvDb odbc(1);
    ASSERT_TRUE(odbc.Open(testDb().name(), KvTestDb::ServerInfo(1)));
    KvScopedAppDb app(&odbc);
    KvRecordingList target;
    pressCtrl(target, Qt::Key_V);
    ASSERT_EQ(target.pastes.size(), 1);
    EXPECT_TRUE(target.pastes[0].sameFile);
  }
}

KV_DB_KIND_TEST_SUITE(KvRowClipboardTest);

TEST(KvRowClipboard, CutRowsArePastedOnceAndStayInTheirList) {
  KvRecordingList source;
  KvFillPupils(source);
  KvSelectRows(source, {0, 3});
  pressCtrl(source, Qt::Key_X);
  // Without an open connection the header is the kind and the word alone.
  EXPECT_EQ(clipboardRows(), QStringLiteral("0剪切\n001\n004\n"));
  EXPECT_EQ(source.GetItemCount(), 4);

  KvRecordingList target;
  EXPECT_TRUE(KvCmdEnabled(&target, KV_CMD_EDIT_PASTE));
  pressCtrl(target, Qt::Key_V);
  ASSERT_EQ(target.pastes.size(), 1);
  EXPECT_TRUE(target.pastes[0].cut);
  EXPECT_TRUE(target.pastes[0].sameFile);
  EXPECT_EQ(target.pastes[0].texts, (QStringList{"001", "004"}));

  EXPECT_FALSE(KvCmdEnabled(&target, KV_CMD_EDIT_PASTE));
  QTest::keyClick(target.View(), Qt::Key_Home, Qt::ShiftModifier);
  pressCtrl(target, Qt::Key_V);
  EXPECT_EQ(target.pastes.size(), 1);
}

TEST(KvRowClipboard, ReadsOlderHeadersAndDropsAnUnfinishedLine) {
  KvClipboardRows rows;
  // An older header has no kind: the word, then the file.
  EXPECT_EQ(KvParseRowClipboardText(QStringLiteral("剪切/data/a.xxd\nA\nB"), nullptr, &rows), 1);
  EXPECT_TRUE(rows.cut);
  EXPECT_EQ(rows.texts, QStringList{QStringLiteral("A")});
  // A header shorter than two characters holds nothing.
  EXPECT_EQ(KvParseRowClipboardText(QStringLiteral("0\nA\n"), nullptr, &rows), 0);
  EXPECT_EQ(KvParseRowClipboardText(QString(), nullptr, &rows), 0);
  // Lines keep their blanks and may be empty.
  EXPECT_EQ(KvParseRowClipboardText(QStringLiteral("0复制\n a \n\n"), nullptr, &rows), 2);
  EXPECT_EQ(rows.texts, (QStringList{" a ", ""}));
  EXPECT_FALSE(rows.cut);
}
