// The find and replace dialog on each back end: the phrase history kept in
// SysCsTab (its length, the place of a phrase entered again, phrases stored
// as typed), the start texts, the shared whole-match option and what the
// owner view receives.

#include "KvGridTestDoc.h"
#include "support/KvTestDb.h"

#include "core/CKvCsRec.h"
#include "forms/CKvHeadFieldDlg.h"
#include "forms/CKvReplaceDlg.h"
#include "ui/CKvListFindDlg.h"
#include "ui/CKvWordCB.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

// What the test types into the dialog before it presses a button.
struct Answer {
  explicit Answer(const QString& f, const QString& r = QString(), int w = -1, bool o = true)
      : find(f), replace(r), wholeMatch(w), ok(o) {}
  QString find;
  QString replace;
  int wholeMatch;  // -1 leaves the check box
  bool ok;
};

// What the dialog showed when it opened.
struct Shown {
  QString caption;
  QString find;
  QString replace;
  bool replaceVisible = false;
  bool wholeMatch = false;
  QStringList findList;
  bool downOpensList = false;
};

class CKvReplaceDlgTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_EQ(CKvCsRec(&db()).CreateTable(), 2);
    doc.Open();
    view = std::make_unique<CForthView>(&doc);
    view->InitLayout();
    doc.m_pDb = &db();
  }

  // Runs command 57636 (find) or 57641 (replace) with the answer typed; a
  // positive failAt refuses that statement of the OK's writes.
  Shown run(int command, const Answer& answer, int failAt = 0) {
    Shown shown;
    KvScopedDialogExec exec([&](QDialog* dialog) {
      dialog->show();
      auto* find = KvDlgItem<QComboBox>(dialog, CKvReplaceDlg::IDC_FIND);
      auto* replace = KvDlgItem<QComboBox>(dialog, CKvReplaceDlg::IDC_REPLACE);
      auto* whole = KvDlgItem<QCheckBox>(dialog, CKvReplaceDlg::IDC_WHOLE_MATCH);
      shown.caption = dialog->windowTitle();
      shown.find = find->currentText();
      shown.replace = replace->currentText();
      shown.replaceVisible = replace->isVisible();
      shown.wholeMatch = whole->isChecked();
      for (int i = 0; i < find->count(); ++i)
        shown.findList.append(find->itemText(i));
      QTest::keyClick(find, Qt::Key_Down);
      shown.downOpensList = find->view()->isVisible() && find->currentText() == shown.find;
      find->hidePopup();
      find->setEditText(answer.find);
      replace->setEditText(answer.replace);
      if (answer.wholeMatch >= 0)
        whole->setChecked(answer.wholeMatch != 0);
      db().FailNthStatement(failAt);
      KvDlgItem<QPushButton>(dialog, answer.ok ? KV_IDOK : KV_IDCANCEL)->click();
      db().FailNthStatement(0);
      const int result = dialog->isVisible() ? QDialog::Rejected : dialog->result();
      dialog->hide();
      return result;
    });
    view->ExecuteCmd(command);
    return shown;
  }

  // The category's phrases as stored: "CsN:CsVal" in age order.
  QStringList history(int cs) {
    QList<CKvCsRec> rows;
    CKvCsRec(&db()).SelectByCs(cs, &rows);
    QStringList texts;
    for (const CKvCsRec& row : rows)
      texts.append(QStringLiteral("%1:%2").arg(row.CsN).arg(row.CsVal));
    return texts;
  }

  KvGridTestDoc doc;
  std::unique_ptr<CForthView> view;
  KvMessageRecorder messages;
};

}  // namespace

TEST_P(CKvReplaceDlgTest, FiftyTwoPhrasesLeaveTheNewestFiftyOne) {
  for (int i = 1; i <= 52; ++i)
    run(KV_CMD_EDIT_FIND, Answer{QStringLiteral("词%1").arg(i)});
  const QStringList rows = history(CKvReplaceDlg::CS_FIND);
  ASSERT_EQ(rows.size(), 51);
  EXPECT_EQ(rows.first(), QStringLiteral("0:词52"));
  EXPECT_EQ(rows.last(), QStringLiteral("50:词2"));
  // No statement failed: the only messages say that the grid holds none.
  for (const QString& text : messages.texts())
    EXPECT_TRUE(text.startsWith(QStringLiteral("没有查找到"))) << text.toStdString();

  // The dialog offers them newest first and shows the newest.
  const Shown shown = run(KV_CMD_EDIT_FIND, Answer{QStringLiteral("词40")});
  EXPECT_EQ(shown.findList.size(), 51);
  EXPECT_EQ(shown.find, QStringLiteral("词52"));
  EXPECT_TRUE(shown.downOpensList);
  EXPECT_FALSE(shown.replaceVisible);
  EXPECT_EQ(shown.caption, QStringLiteral("查找"));
  // A phrase entered again keeps its place.
  EXPECT_EQ(history(CKvReplaceDlg::CS_FIND), rows);
  EXPECT_EQ(view->m_strFind, QStringLiteral("词40"));
}

TEST_P(CKvReplaceDlgTest, PhrasesAreStoredAsTypedPerKind) {
  const QString quoted = QStringLiteral("O'Neil's \"班\" \\ 100%_*");
  run(KV_CMD_EDIT_FIND, Answer{quoted});
  EXPECT_EQ(history(CKvReplaceDlg::CS_FIND), QStringList{QStringLiteral("0:") + quoted});
  EXPECT_EQ(view->m_strFind, quoted);
  const Shown again = run(KV_CMD_EDIT_FIND, Answer{quoted});
  EXPECT_EQ(again.findList, QStringList{quoted});
  EXPECT_EQ(history(CKvReplaceDlg::CS_FIND).size(), 1);

  // Replacing keeps its own two lists; the find list is not touched.
  view->PlaceCaret(0, 2, 0, QStringLiteral("TEXT"));
  const Shown replace =
      run(KV_CMD_EDIT_REPLACE, Answer{QStringLiteral("秋季"), QStringLiteral("春季'"), 1});
  EXPECT_EQ(replace.caption, QStringLiteral("替换"));
  EXPECT_TRUE(replace.replaceVisible);
  EXPECT_EQ(history(CKvReplaceDlg::CS_REPLACE_FIND), QStringList{QStringLiteral("0:秋季")});
  EXPECT_EQ(history(CKvReplaceDlg::CS_REPLACE_WITH), QStringList{QStringLiteral("0:春季'")});
  EXPECT_EQ(history(CKvReplaceDlg::CS_FIND).size(), 1);
  EXPECT_EQ(view->m_strReplaceFind, QStringLiteral("秋季"));
  EXPECT_EQ(view->m_strReplaceWith, QStringLiteral("春季'"));
  EXPECT_TRUE(view->m_bWholeMatch);
  // The whole-match option is stored for both modes; after OK the view
  // replaced (whole cells only: none matched).
  EXPECT_EQ(history(CKvReplaceDlg::CS_WHOLE_MATCH), QStringList{QStringLiteral("0:1")});
  EXPECT_EQ(doc.m_rows.at(0).at(2), QStringLiteral("秋季学期"));
  EXPECT_TRUE(run(KV_CMD_EDIT_FIND, Answer{quoted, QString(), 0}).wholeMatch);
  EXPECT_EQ(history(CKvReplaceDlg::CS_WHOLE_MATCH), QStringList{QStringLiteral("0:0")});
}

TEST_P(CKvReplaceDlgTest, SelectedCharactersStartBothBoxesAndCancelWritesNothing) {
  run(KV_CMD_EDIT_REPLACE, Answer{QStringLiteral("甲"), QStringLiteral("乙")});
  view->SetExtend(false);
  view->PlaceCaret(0, 2, 0, QStringLiteral("TEXT"));
  view->SetExtend(true);
  view->PlaceCaret(0, 2, 2, QStringLiteral("TEXT"));  // "秋季"
  view->SetExtend(false);
  const Shown shown = run(KV_CMD_EDIT_REPLACE, Answer{QStringLiteral("秋季"), QStringLiteral("春季"), -1, false});
  EXPECT_EQ(shown.find, QStringLiteral("秋季"));
  EXPECT_EQ(shown.replace, QStringLiteral("秋季"));
  EXPECT_EQ(history(CKvReplaceDlg::CS_REPLACE_FIND), QStringList{QStringLiteral("0:甲")});
  EXPECT_EQ(view->m_strReplaceFind, QStringLiteral("甲"));

  // An empty find text keeps the dialog open and writes nothing.
  run(KV_CMD_EDIT_FIND, Answer{QString()});
  EXPECT_TRUE(history(CKvReplaceDlg::CS_FIND).isEmpty());
}

TEST_P(CKvReplaceDlgTest, AFailedWriteKeepsTheHistoryAsItWas) {
  run(KV_CMD_EDIT_FIND, Answer{QStringLiteral("甲")});
  run(KV_CMD_EDIT_FIND, Answer{QStringLiteral("乙"), QString(), 1});
  const QStringList before = history(CKvReplaceDlg::CS_FIND);
  // Refused: the insertion after the older phrases aged, then the option row.
  for (int failAt : {4, 6}) {
    messages.clear();
    run(KV_CMD_EDIT_FIND, Answer{QStringLiteral("丙"), QString(), 0}, failAt);
    EXPECT_EQ(history(CKvReplaceDlg::CS_FIND), before) << failAt;
    EXPECT_EQ(history(CKvReplaceDlg::CS_WHOLE_MATCH), QStringList{QStringLiteral("0:1")}) << failAt;
    EXPECT_FALSE(messages.texts().filter(QStringLiteral("执行下列SQL语句时出错")).isEmpty()) << failAt;
    // The search still runs with the text.
    EXPECT_EQ(view->m_strFind, QStringLiteral("丙"));
  }
}

// No editable combo box completes "1250" typed to the "12500" of its list.
TEST_P(CKvReplaceDlgTest, NoEditableComboCompletesWhatIsTyped) {
  CKvReplaceDlg replace(nullptr, view.get(), 0);
  CKvListFindDlg listFind(nullptr, 0);
  CKvWordCB words(nullptr);
  KvFormEntry entry;
  CKvHeadFieldDlg field(nullptr, &doc, &entry, true, 0);
  for (QComboBox* combo : {KvDlgItem<QComboBox>(&replace, CKvReplaceDlg::IDC_REPLACE),
                           KvDlgItem<QComboBox>(&listFind, CKvListFindDlg::IDC_FIND_TEXT),
                           static_cast<QComboBox*>(&words), KvDlgItem<QComboBox>(&field, CKvHeadFieldDlg::IDC_WORDS)}) {
    combo->addItem(QStringLiteral("12500"));
    combo->clearEditText();
    ASSERT_TRUE(KvShowActive(combo->window()));  // a completer acts in the field with the focus
    combo->setFocus();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("1250"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("1250"));
  }
}

KV_DB_KIND_TEST_SUITE(CKvReplaceDlgTest);
