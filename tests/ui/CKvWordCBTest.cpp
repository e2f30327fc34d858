// The word-saving combo box on each back-end kind: saving and deleting words
// through its right-click menu, the rows it keeps in SysCsTab, quotes in
// words, and lists that share a number.

#include "ui/CKvWordCB.h"

#include "core/CKvCsTab.h"
#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"
#include "ui/KvCommands.h"
#include "ui/KvUiTestSupport.h"

#include <QContextMenuEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

class CKvWordCBTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_EQ(CKvCsTab(&db()).CreateTable(), 2);
  }

  // Right-clicks the box beside its edit field and chooses `command`;
  // returns the names and captions of the menu that was shown.
  QStringList RightClick(CKvWordCB& box, int command) {
    QStringList shown;
    KvScopedPopupMenuExec popup([&](QMenu* menu, const QPoint&) -> QAction* {
      shown.append(menu->objectName());
      for (QAction* action : menu->actions())
        shown.append(action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (off)")));
      return KvMenuAction(menu, command);
    });
    const QPoint arrow(box.width() - 3, box.height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, arrow, box.mapToGlobal(arrow));
    QApplication::sendEvent(&box, &event);
    return shown;
  }

  void Type(CKvWordCB& box, const QString& text) {
    box.lineEdit()->clear();
    // Key by key, as typed (Chinese characters as an input method sends them).
    for (const QChar ch : text)
      QTest::sendKeyEvent(QTest::Click, box.lineEdit(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
    ASSERT_EQ(box.currentText(), text);
  }

  // The words stored for (list, second), in the store's order.
  QStringList Stored(int list, int second) {
    QList<CKvCsRec> rows;
    CKvCsTab(&db()).SelectByCsN(9007, list, &rows);
    QStringList words;
    for (const CKvCsRec& row : rows) {
      if (row.CsNa == QString::number(second))
        words.append(row.CsVal);
    }
    return words;
  }

  static QStringList Items(const CKvWordCB& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
      items.append(box.itemText(i));
    return items;
  }
};

TEST_P(CKvWordCBTest, SavesAndDeletesWordsThroughItsMenu) {
  CKvWordCB box;
  box.SetWordList(&db(), 1005, 0);
  box.LoadContextMenu();
  box.resize(200, 24);
  box.show();

  Type(box, QStringLiteral("病假"));
  EXPECT_EQ(RightClick(box, KV_CMD_SAVE_WORD),
            (QStringList{"menu_320", "保存词语", "删除词条"}));
  EXPECT_EQ(Items(box), QStringList{QStringLiteral("病假")});
  EXPECT_EQ(box.currentIndex(), 0);
  EXPECT_EQ(Stored(1005, 0), QStringList{QStringLiteral("病假")});

  // An item that begins with the text, in any ASCII case, keeps it out.
  Type(box, QStringLiteral("Abc"));
  RightClick(box, KV_CMD_SAVE_WORD);
  Type(box, QStringLiteral("ab"));
  RightClick(box, KV_CMD_SAVE_WORD);
  Type(box, QStringLiteral("ABC"));
  RightClick(box, KV_CMD_SAVE_WORD);
  Type(box, QString());
  RightClick(box, KV_CMD_SAVE_WORD);
  EXPECT_EQ(Items(box), (QStringList{"病假", "Abc"}));
  EXPECT_EQ(Stored(1005, 0), (QStringList{"Abc", "病假"}));

  // Another box of the same list sees the words when it fills its list.
  CKvWordCB other;
  other.SetWordList(&db(), 1005, 0);
  EXPECT_EQ(other.FillWords(), 2);
  EXPECT_EQ(Items(other), (QStringList{"Abc", "病假"}));

  Type(box, QStringLiteral("病假"));
  RightClick(box, KV_CMD_DELETE_WORD);
  EXPECT_EQ(Items(box), QStringList{QStringLiteral("Abc")});
  EXPECT_EQ(box.currentText(), QStringLiteral("病假"));
  EXPECT_EQ(Stored(1005, 0), QStringList{QStringLiteral("Abc")});
  // The saved spelling goes, whatever the case typed.
  Type(box, QStringLiteral("aBC"));
  RightClick(box, KV_CMD_DELETE_WORD);
  EXPECT_EQ(box.count(), 0);
  EXPECT_TRUE(Stored(1005, 0).isEmpty());
}

TEST_P(CKvWordCBTest, WordsHoldingQuotesRoundTrip) {
  CKvWordCB box;
  box.SetWordList(&db(), 1006, 2);
  const QString word = QStringLiteral("it's 张三's 'x' = '' Or 1=1 --");
  box.setEditText(word);
  box.OnSaveWord();
  EXPECT_EQ(Stored(1006, 2), QStringList{word});

  CKvWordCB other;
  other.SetWordList(&db(), 1006, 2);
  other.FillWords();
  EXPECT_EQ(Items(other), QStringList{word});

  // Deleting a word the list does not show still deletes its rows.
  other.clear();
  other.setEditText(word);
  other.OnDeleteWord();
  EXPECT_TRUE(Stored(1006, 2).isEmpty());
}

TEST_P(CKvWordCBTest, ListsSharingANumberKeepApartByTheSecondNumber) {
  CKvWordCB first;
  first.SetWordList(&db(), 1007, 1);
  CKvWordCB second;
  second.SetWordList(&db(), 1007, 2);
  first.setEditText(QStringLiteral("事假"));
  first.OnSaveWord();
  second.setEditText(QStringLiteral("事假"));
  second.OnSaveWord();
  second.setEditText(QStringLiteral("公假"));
  second.OnSaveWord();

  first.setEditText(QStringLiteral("typed"));
  EXPECT_EQ(first.FillWords(), 1);
  EXPECT_EQ(first.currentText(), QStringLiteral("typed"));
  EXPECT_EQ(second.FillWords(), 2);

  second.setEditText(QStringLiteral("事假"));
  second.OnDeleteWord();
  EXPECT_EQ(Stored(1007, 1), QStringList{QStringLiteral("事假")});
  EXPECT_EQ(Stored(1007, 2), QStringList{QStringLiteral("公假")});
}

KV_DB_KIND_TEST_SUITE(CKvWordCBTest);

TEST(CKvWordCB, WithoutAMenuTheRightClickGoesToTheParent) {
  int shown = 0;
  KvScopedPopupMenuExec popup([&](QMenu*, const QPoint&) -> QAction* {
    ++shown;
    return nullptr;
  });
  CKvWordCB box;
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
  QApplication::sendEvent(&box, &event);
  EXPECT_EQ(shown, 0);
  EXPECT_FALSE(event.isAccepted());
}

TEST(CKvWordCB, AFailedSaveOrDeleteLeavesTheListAsStored) {
  KvMessageRecorder recorder;
  CKvWordCB box;  // no database
  box.setEditText(QStringLiteral("词"));
  box.OnSaveWord();
  EXPECT_EQ(box.count(), 0);
  EXPECT_EQ(box.currentText(), QStringLiteral("词"));
  EXPECT_TRUE(recorder.last().startsWith(QStringLiteral("数据库对象为空，无法执行：\n")));
  // A word whose row could not be deleted stays in the list.
  box.addItem(QStringLiteral("词"));
  box.OnDeleteWord();
  EXPECT_EQ(box.count(), 1);
}
