// The template list: rows and checks after a refill, the command rules,
// adding, deleting and pasting copies (from another data file too: from
// SQLite into PostgreSQL), and every write kept whole or not at all when a
// statement fails or a layout table cannot be written.

#include "KvTemplateListTestSupport.h"
#include "app/KvDocOpenMode.h"
#include "forms/CKvDocTemplate.h"
#include "ui/KvCommands.h"
#include "ui/KvRowClipboard.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QTest>
#include <QTreeView>

#include <tuple>

TEST_P(KvTemplateListTest, RefillShowsTypesAndStoredCopiesWithTheRightAsCheck) {
  KvStoredTemplate copy = KvSampleTemplate(QStringLiteral("复件_收费表"));
  copy.entry.nOption = 2;
  ASSERT_TRUE(copy.Write(appDb(), 300, 5, 1));
  // A layout stored for a built-in type under nOpen 1 renames it but keeps
  // it built in; hidden rows (nOpen 0) and copies of a template without
  // copies are not listed.
  ASSERT_TRUE(store(300, 1, QStringLiteral("改名表")));
  ASSERT_TRUE(store(300, 7, QStringLiteral("隐藏"), 0));
  ASSERT_TRUE(store(301, 3, QStringLiteral("不可复制")));
  list().Refill();

  ASSERT_EQ(list().GetItemCount(), 4);
  EXPECT_EQ(list().GetItemText(0, 0), QStringLiteral("收费表"));
  EXPECT_EQ(list().GetItemText(1, 0), QStringLiteral("改名表"));
  EXPECT_EQ((QStringList{list().GetItemText(2, 0), list().GetItemText(2, 1), list().GetItemText(2, 2),
                         list().GetItemText(2, 3)}),
            (QStringList{"复件_收费表", "300", "5", "复件_收费表"}));
  EXPECT_EQ(list().GetItemText(3, 1), QStringLiteral("301"));
  KvDocTypeEntry entry;
  ASSERT_TRUE(m_pModule->GetEntry(300, 5, &entry));
  EXPECT_EQ(entry.bStored, 1);
  EXPECT_EQ(entry.nOption, 2);
  EXPECT_EQ(entry.nLock, 1);  // taken from the template's last type
  ASSERT_TRUE(m_pModule->GetEntry(300, 1, &entry));
  EXPECT_EQ(entry.bStored, 0);

  // 3001 is held, 3002 (the locked type and its copy) is not.
  EXPECT_TRUE(list().GetCheck(0));
  EXPECT_FALSE(list().GetCheck(1));
  EXPECT_FALSE(list().GetCheck(2));
  EXPECT_TRUE(list().GetCheck(3));
  // A click on a check box changes nothing.
  QAbstractItemModel* model = list().View()->model();
  EXPECT_TRUE(model->flags(model->index(1, 0)) & Qt::ItemIsUserCheckable);
  model->setData(model->index(1, 0), Qt::Checked, Qt::CheckStateRole);
  model->setData(model->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
  EXPECT_FALSE(list().GetCheck(1));
  EXPECT_TRUE(list().GetCheck(0));

  // A deleted copy disappears at the next refill.
  ASSERT_TRUE(KvDeleteForms(300, 5, appDb()));
  list().Refill();
  EXPECT_EQ(list().GetItemCount(), 3);
  EXPECT_FALSE(m_pModule->GetEntry(300, 5));
}

TEST_P(KvTemplateListTest, CommandsFollowTheSelectionTheRightsAndTheModule) {
  ASSERT_TRUE(store(300, 5, QStringLiteral("复件_收费表")));
  list().Refill();
  const auto enabled = [this](int id) { return list().IsCmdEnabled(id); };
  select({});
  EXPECT_FALSE(enabled(KV_CMD_NEW));
  EXPECT_FALSE(enabled(KV_CMD_EXPORT_STRUCTURE));
  EXPECT_FALSE(enabled(KV_CMD_DELETE));
  {
    // Nor is anything asked about nothing.
    KvMessageRecorder recorder;
    list().OnDelete();
    EXPECT_TRUE(recorder.messages().isEmpty());
  }
  EXPECT_TRUE(enabled(KV_CMD_IMPORT_STRUCTURE));
  EXPECT_TRUE(enabled(KV_CMD_EDIT_PASTE));
  EXPECT_FALSE(enabled(KV_CMD_EDIT_CUT));

  select({{300, 0}});
  for (int id : {KV_CMD_NEW, KV_CMD_OPEN, KV_CMD_DOC_PROPERTIES, KV_CMD_ADD_TEMPLATE,
                 KV_CMD_EXPORT_STRUCTURE, KV_CMD_EDIT_COPY, KV_CMD_DELETE})
    EXPECT_TRUE(enabled(id)) << id;
  EXPECT_FALSE(enabled(KV_CMD_MODIFY));
  EXPECT_FALSE(enabled(KV_CMD_EDIT_CUT));

  // Locked and without the right: no new, open or copy; a copy may be made.
  select({{300, 1}});
  for (int id : {KV_CMD_NEW, KV_CMD_OPEN, KV_CMD_DOC_PROPERTIES, KV_CMD_EDIT_COPY})
    EXPECT_FALSE(enabled(id)) << id;
  EXPECT_TRUE(enabled(KV_CMD_ADD_TEMPLATE));
  // Enter and a double click open a document only as 打开 does: not
  // without the right, nor while the module refuses the open command alone.
  list().show();
  QAbstractItemView* view = list().View();
  KvFakeControl().allowOpen = false;
  for (const auto& [form, vetoed, opens] : {std::tuple{1, 0, false}, std::tuple{0, int(KV_CMD_OPEN), false},
                                            std::tuple{0, 0, true}}) {
    m_pModule->vetoed = vetoed;
    const QRect row = view->visualRect(view->model()->index(list().FindRow(300, form), 0));
    for (bool click : {false, true}) {
      select({{300, form}});
      KvFakeControl().argsAtOpen = {QStringLiteral("none")};
      if (click) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, row.center());
      } else {
        QTest::keyClick(view, Qt::Key_Return);
      }
      EXPECT_EQ(KvFakeControl().argsAtOpen != QStringList{QStringLiteral("none")}, opens) << form << vetoed << click;
    }
  }
  select({{300, 5}});
  EXPECT_TRUE(enabled(KV_CMD_MODIFY));
  // A template without copies.
  select({{301, 0}});
  EXPECT_TRUE(enabled(KV_CMD_NEW));
  EXPECT_FALSE(enabled(KV_CMD_ADD_TEMPLATE));

  select({{300, 0}, {301, 0}});
  EXPECT_FALSE(enabled(KV_CMD_OPEN));
  EXPECT_TRUE(enabled(KV_CMD_MODIFY));
  EXPECT_TRUE(enabled(KV_CMD_EXPORT_STRUCTURE));
  EXPECT_TRUE(enabled(KV_CMD_EDIT_COPY));
}

TEST_P(KvTemplateListTest, AddingACopyTakesTheNextNumberAndThePrefixOnce) {
  KvMessageRecorder recorder;
  // Nothing is stored for the type yet: nothing to copy.
  select({{300, 0}});
  list().OnAddTemplate();
  EXPECT_EQ(list().GetItemCount(), 3);

  ASSERT_TRUE(store(300, 0, QStringLiteral("收费表"), 0, 222));
  list().OnAddTemplate();
  // One above the template's last type (1), not the selected one (0).
  ASSERT_GE(list().FindRow(300, 2), 0);
  EXPECT_EQ(selectedKeys(), (QList<QPair<int, int>>{{300, 2}}));
  KvStoredTemplate copy;
  ASSERT_EQ(copy.Load(appDb(), 300, 2), 1);
  EXPECT_EQ(copy.entry.sFna, QStringLiteral("复件_收费表"));
  EXPECT_EQ(copy.entry.nOpen, 1);
  EXPECT_EQ(copy.entry.nOption, 1);
  EXPECT_EQ(copy.entry.formulas, KvSampleTemplate(QString()).entry.formulas);
  EXPECT_EQ(copy.entry.topWords, KvSampleTemplate(QString()).entry.topWords);
  EXPECT_EQ(copy.entry.headNotes, KvSampleTemplate(QString()).entry.headNotes);
  EXPECT_EQ(copy.print.PageLeft, 222);
  EXPECT_EQ(logged(QStringLiteral("增加文档模板：复件_收费表")), 1);

  // A copy of the copy keeps one prefix.
  list().OnAddTemplate();
  ASSERT_EQ(copy.Load(appDb(), 300, 3), 1);
  EXPECT_EQ(copy.entry.sFna, QStringLiteral("复件_收费表"));
  EXPECT_EQ(list().GetItemCount(), 5);
  EXPECT_TRUE(recorder.messages().isEmpty());
  // A name the store could not keep whole with the prefix makes no copy.
  ASSERT_TRUE(store(300, 0, QString(99, u'收'), 0));
  select({{300, 0}});
  list().OnAddTemplate();
  EXPECT_EQ(list().GetItemCount() + recorder.messages().size(), 6);  // no new row, one message
  // A copy stored at the top of the column's range: the next is refused, never wrapped onto copy 2.
  ASSERT_TRUE(store(300, 0, QStringLiteral("收费表"), 0) && store(300, 2147483647, QStringLiteral("顶")));
  const QStringList before = KvTemplateRows(appDb());
  list().OnAddTemplate();
  EXPECT_TRUE(KvTemplateRows(appDb()) == before && recorder.messages().last().text == QStringLiteral("模板号300的复件序号已到2147483647，不能再增加复件！"));
}

TEST_P(KvTemplateListTest, DeletingRemovesOnlyCopiesAndForgetsHowTheyOpened) {
  ASSERT_TRUE(store(300, 5, QStringLiteral("复件_甲")));
  ASSERT_TRUE(store(300, 6, QStringLiteral("复件_乙")));
  // Another printer's settings of a copy go with it.
  ASSERT_TRUE(KvSampleTemplate(QString()).print.Save(appDb(), 300, QStringLiteral("5"), QStringLiteral("其他打印机")));
  KvSaveDocOpenMode(300, 5, {QStringLiteral("2024"), QStringLiteral("1")});
  list().Refill();
  select({{300, 0}, {300, 5}, {300, 6}});

  KvMessageRecorder recorder;
  recorder.script({KV_IDNO});
  list().OnDelete();
  EXPECT_EQ(list().GetItemCount(), 5);

  recorder.script({KV_IDYES});
  list().OnDelete();
  ASSERT_EQ(recorder.messages().size(), 2);
  EXPECT_EQ(recorder.messages().at(1).text, QStringLiteral("真的要删除文档模板吗？"));
  EXPECT_EQ(list().GetItemCount(), 3);
  EXPECT_EQ(KvTemplateRowCount(appDb(), 300, 5), 0);
  EXPECT_EQ(KvTemplateRowCount(appDb(), 300, 6), 0);
  QStringList args;
  EXPECT_EQ(KvReadDocOpenMode(300, 5, args), 0);
  EXPECT_EQ(logged(QStringLiteral("删除文档模板：复件_甲")), 1);
  // The built-in type stays, selected.
  EXPECT_EQ(selectedKeys(), (QList<QPair<int, int>>{{300, 0}}));
}

TEST_P(KvTemplateListTest, PasteFromAnotherDataFileKeepsNumbersAndAsksBeforeReplacing) {
  // The source is always an SQLite file: on the server kinds this pastes
  // from SQLite into PostgreSQL.
  KvTestDb source(0);
  KV_CREATE_TEST_DB(source);
  ASSERT_TRUE(m_app.CreateAllTables(&source.db()));
  ASSERT_TRUE(KvSampleTemplate(QStringLiteral("外来收费表"), 333).Write(&source.db(), 300, 0, 1));
  ASSERT_TRUE(KvSampleTemplate(QStringLiteral("外来复件"), 444).Write(&source.db(), 300, 7, 1));
  ASSERT_TRUE(KvSampleTemplate(QStringLiteral("未知"), 444).Write(&source.db(), 999, 1, 1));
  ASSERT_TRUE(store(300, 0, QStringLiteral("本地收费表"), 1));
  list().Refill();

  KvMessageRecorder recorder;
  KvCopyRowsToClipboard(&source.db(), KV_ROW_CLIPBOARD_FORMAT,
                        {QStringLiteral("300 0"), QStringLiteral("300 7"), QStringLiteral("999 1"),
                         QStringLiteral("300 8")},
                        false);
  recorder.script({KV_IDYES});
  list().ExecuteCmd(KV_CMD_EDIT_PASTE);

  QStringList texts;
  for (const auto& message : recorder.messages())
    texts << message.text;
  EXPECT_EQ(texts, (QStringList{QStringLiteral("〔本地收费表〕已存在，覆盖吗？"),
                                QStringLiteral("系统不能接受该种文档模板：999-1！"),
                                QStringLiteral("源文档模板(300-8)尚未存盘，无法粘贴！")}));
  KvStoredTemplate pasted;
  ASSERT_EQ(pasted.Load(appDb(), 300, 0), 1);
  EXPECT_EQ(pasted.entry.sFna, QStringLiteral("外来收费表"));
  EXPECT_EQ(pasted.print.PageLeft, 333);
  ASSERT_EQ(pasted.Load(appDb(), 300, 7), 1);
  EXPECT_EQ(pasted.entry.sFna, QStringLiteral("外来复件"));
  EXPECT_EQ(pasted.entry.nOpen, 1);
  EXPECT_EQ(pasted.print.PageLeft, 444);
  EXPECT_EQ(KvTemplateRowCount(appDb(), 999, 1), 0);
  EXPECT_EQ(selectedKeys(), (QList<QPair<int, int>>{{300, 0}, {300, 7}}));
  EXPECT_EQ(logged(QStringLiteral("从%1粘贴文档模板：外来复件").arg(source.db().GetDatabaseName(true))), 1);

  // Answering No leaves the type as it is.
  recorder.clear();
  recorder.script({KV_IDNO});
  KvCopyRowsToClipboard(&source.db(), KV_ROW_CLIPBOARD_FORMAT, {QStringLiteral("300 7")}, false);
  ASSERT_TRUE(store(300, 7, QStringLiteral("改过"), 1));
  list().ExecuteCmd(KV_CMD_EDIT_PASTE);
  ASSERT_EQ(pasted.Load(appDb(), 300, 7), 1);
  EXPECT_EQ(pasted.entry.sFna, QStringLiteral("改过"));
}

TEST_P(KvTemplateListTest, PasteFromTheSameDataFileMakesANewCopy) {
  ASSERT_TRUE(store(300, 0, QStringLiteral("收费表"), 0));
  list().Refill();
  select({{300, 0}});
  list().ExecuteCmd(KV_CMD_EDIT_COPY);
  KvMessageRecorder recorder;
  list().ExecuteCmd(KV_CMD_EDIT_PASTE);
  list().ExecuteCmd(KV_CMD_EDIT_PASTE);
  EXPECT_TRUE(recorder.messages().isEmpty());
  KvStoredTemplate copy;
  ASSERT_EQ(copy.Load(appDb(), 300, 2), 1);
  EXPECT_EQ(copy.entry.sFna, QStringLiteral("复件_收费表"));
  ASSERT_EQ(copy.Load(appDb(), 300, 3), 1);
  EXPECT_EQ(selectedKeys(), (QList<QPair<int, int>>{{300, 3}}));
  // The built-in type is unchanged.
  ASSERT_EQ(copy.Load(appDb(), 300, 0), 1);
  EXPECT_EQ(copy.entry.nOpen, 0);
}

TEST_P(KvTemplateListTest, AddingIsWholeOrNothingWhicheverStatementFails) {
  ASSERT_TRUE(store(300, 0, QStringLiteral("收费表"), 0));
  list().Refill();
  select({{300, 0}});
  const int whole = KvTemplateRowCount(appDb(), 300, 0);
  KvMessageRecorder recorder;
  int failures = 0;
  for (int n = 1; n < 200; ++n) {
    const QStringList before = KvTemplateRows(appDb());
    appDb()->FailNthStatement(n);
    list().OnAddTemplate();
    const int sent = appDb()->GetStatementsSent();
    appDb()->FailNthStatement(0);
    const int written = KvTemplateRowCount(appDb(), 300, 2);
    if (written == 0) {
      EXPECT_EQ(KvTemplateRows(appDb()), before) << "statement " << n;
      ++failures;
    } else {
      EXPECT_EQ(written, whole) << "statement " << n;
      ASSERT_TRUE(KvDeleteForms(300, 2, appDb()));
    }
    if (sent < n)
      break;  // the add ran to its end without reaching statement n
  }
  EXPECT_GT(failures, 10);
}

TEST_P(KvTemplateListTest, APasteIntoARenamedLayoutTableChangesNothing) {
  KvTestDb source(0);
  KV_CREATE_TEST_DB(source);
  ASSERT_TRUE(m_app.CreateAllTables(&source.db()));
  ASSERT_TRUE(KvSampleTemplate(QStringLiteral("外来复件")).Write(&source.db(), 300, 7, 1));
  ASSERT_TRUE(store(300, 5, QStringLiteral("复件_甲")));
  list().Refill();
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Alter Table KvFormTopWord Rename To KvFormTopWordX")));
  const QStringList before = KvTemplateRows(appDb());

  KvMessageRecorder recorder;
  KvCopyRowsToClipboard(&source.db(), KV_ROW_CLIPBOARD_FORMAT, {QStringLiteral("300 7")}, false);
  list().ExecuteCmd(KV_CMD_EDIT_PASTE);
  EXPECT_FALSE(recorder.messages().isEmpty());
  EXPECT_EQ(KvTemplateRows(appDb()), before);
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Alter Table KvFormTopWordX Rename To KvFormTopWord")));
  EXPECT_EQ(KvTemplateRowCount(appDb(), 300, 7), 0);
  EXPECT_EQ(list().FindRow(300, 7), -1);
  EXPECT_EQ(logged(QStringLiteral("从%1粘贴文档模板：外来复件").arg(source.db().GetDatabaseName(true))), 0);
}

TEST_P(KvTemplateListTest, AListOutOfDateNeverOverwritesCopiesStoredElsewhere) {
  // The list is filled once; every later store() stands for another
  // workstation, which this list has not seen.
  ASSERT_TRUE(store(300, 0, QStringLiteral("收费表"), 0));
  list().Refill();
  const int whole = KvTemplateRowCount(appDb(), 300, 0);
  KvTestDb source(0);
  KV_CREATE_TEST_DB(source);
  ASSERT_TRUE(m_app.CreateAllTables(&source.db()));
  ASSERT_TRUE(KvSampleTemplate(QStringLiteral("外来收费表")).Write(&source.db(), 300, 0, 1));
  ASSERT_TRUE(KvSampleTemplate(QStringLiteral("外来复件")).Write(&source.db(), 300, 9, 1));
  KvMessageRecorder recorder;

  struct Case {
    const char* action;
    int elsewhere;  // the number another workstation stores first
    int expected;   // where the action's copy goes (one above the highest
                    // stored number); -1 none
  };
  const Case cases[] = {{"add", 2, 3}, {"paste", 4, 5}, {"paste-other", 9, -1}, {"import", 6, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    ASSERT_TRUE(store(300, c.elsewhere, QStringLiteral("别处%1").arg(c.elsewhere), 1, 500 + c.elsewhere));
    recorder.clear();
    const QString action = QString::fromLatin1(c.action);
    if (action == u"add") {
      select({{300, 0}});
      list().OnAddTemplate();
    } else if (action == u"paste") {
      select({{300, 0}});
      list().ExecuteCmd(KV_CMD_EDIT_COPY);
      list().ExecuteCmd(KV_CMD_EDIT_PASTE);
    } else if (action == u"import") {
      // "No" to replacing the type: a copy; the other one is left alone.
      recorder.script({KV_IDNO, KV_IDCANCEL});
      EXPECT_TRUE(list().ImportTemplates(&source.db(), appDb()));
    } else {
      // Under its own number, which the list does not know to be stored.
      KvCopyRowsToClipboard(&source.db(), KV_ROW_CLIPBOARD_FORMAT, {QStringLiteral("300 9")}, false);
      list().ExecuteCmd(KV_CMD_EDIT_PASTE);
      EXPECT_EQ(recorder.last(), QStringLiteral("文档模板(300-9)已存在，不能写入！"));
    }
    // What was stored elsewhere is intact; the copy is whole and listed.
    KvStoredTemplate kept;
    ASSERT_EQ(kept.Load(appDb(), 300, c.elsewhere), 1);
    EXPECT_EQ(kept.entry.sFna, QStringLiteral("别处%1").arg(c.elsewhere));
    EXPECT_EQ(kept.print.PageLeft, 500 + c.elsewhere);
    EXPECT_EQ(KvTemplateRowCount(appDb(), 300, c.elsewhere), whole);
    EXPECT_GE(list().FindRow(300, c.elsewhere), 0);
    if (c.expected >= 0) {
      KvStoredTemplate copy;
      ASSERT_EQ(copy.Load(appDb(), 300, c.expected), 1);
      EXPECT_EQ(copy.entry.sFna.endsWith(QStringLiteral("收费表")), true) << copy.entry.sFna.toStdString();
      EXPECT_EQ(KvTemplateRowCount(appDb(), 300, c.expected), whole);
      EXPECT_GE(list().FindRow(300, c.expected), 0);
    }
  }
  QStringList numbers;
  appDb()->QueryTexts(QStringLiteral("Select nForm From KvFormList Where nFlag=300 Order By nForm"), &numbers, 1);
  EXPECT_EQ(numbers, (QStringList{"0", "2", "3", "4", "5", "6", "9", "10"}));
}

KV_DB_KIND_TEST_SUITE(KvTemplateListTest);
