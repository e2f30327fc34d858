// The SQL console: texts that control the transaction are refused wherever
// they stand; the statements of a text run in one transaction, on a session
// of their own, whose rows and log entries are kept together or not at all;
// who may open it; the safety backup before a run; statement files in UTF-8
// or GBK.

#include "KvToolsTestSupport.h"
#include "KvDataFileTestSupport.h"

#include "app/CKvMainFrm.h"
#include "app/CKvOperation.h"
#include "app/CKvTemplateBox.h"
#include "app/KvBackup.h"
#include "app/KvLoggedWrite.h"
#include "core/CKvRecordset.h"
#include "core/KvPresenceLock.h"
#include "core/KvText.h"
#include "datafile/CKvSqlDlg.h"
#include "datafile/KvSqlConsole.h"
#include "support/KvTestEnv.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"
#include "ui/KvDataFileRefusalRow.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

TEST(KvSqlConsoleText, TransactionControlIsFoundOutsideLiteralsAndComments) {
  const struct {
    const char* sql;
    bool refused;
  } cases[] = {
      {"commit", true},
      {"Update T Set A=1; COMMIT", true},
      {"/* first */ Begin", true},
      {"-- note\nEND", true},
      {"start transaction", true},
      {"Rollback", true},
      {"rollback to savepoint s", true},
      {"SAVEPOINT s", true},
      {"release s", true},
      {"abort", true},
      {"prepare transaction 'x'", true},
      {"Commit Prepared 'x'", true},
      {"ROLLBACK PREPARED 'x'", true},
      {"Update T Set A='COMMIT'", false},
      {"Delete From PC -- then commit", false},
      {"Update T Set A=1 /* rollback */; Delete From T Where B='begin'", false},
      {"Select StartDate From T", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KvHasTransactionControl(QString::fromUtf8(c.sql)), c.refused) << c.sql;
}

class KvSqlConsoleDb : public KvToolsDbTest {
 protected:
  void SetUp() override {
    KvToolsDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table T(A Long,B Char(20))")));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into T(A,B) Values(1,'a')")));
  }
  QStringList State() {
    return Rows(QStringLiteral("T"), QStringLiteral("A,B")) + LogNotes(26);
  }
  // Runs the text answering the question; the question's text is kept.
  bool Run(const QString& sql, int answer) {
    question.clear();
    return KvRunSqlText(pdb(), sql, [&](int nRows) {
      question = QStringLiteral("SQL语句处理完毕，%1记录。提交吗？").arg(KvSqlRowsText(nRows));
      return answer == KV_IDYES;
    });
  }
  QString question;
};

TEST_P(KvSqlConsoleDb, StatementsRunInOneTransactionAndOnlyYesKeepsThemWithTheirLog) {
  const QString sql = QStringLiteral(
      "Insert Into T(A,B) Values(2,'b');Insert Into T(A,B) Values(3,'c');\n"
      "Update T Set B='COMMIT' Where A<=2");
  const QStringList before = State();
  for (int answer : {int(KV_IDNO), int(KV_IDCANCEL)}) {
    EXPECT_FALSE(Run(sql, answer));
    EXPECT_EQ(question, QStringLiteral("SQL语句处理完毕，处理了4条记录。提交吗？"));
    EXPECT_EQ(State(), before);
  }
  EXPECT_FALSE(Run(QStringLiteral("Delete From T Where A>10"), KV_IDNO));
  EXPECT_EQ(question, QStringLiteral("SQL语句处理完毕，没有处理任何记录。提交吗？"));

  EXPECT_TRUE(Run(sql, KV_IDYES));
  EXPECT_EQ(Rows(QStringLiteral("T"), QStringLiteral("A,B")),
            (QStringList{QStringLiteral("1|COMMIT"), QStringLiteral("2|COMMIT"), QStringLiteral("3|c")}));
  EXPECT_EQ(LogNotes(26), QStringList{QStringLiteral("执行SQL语句：") + QString(sql).replace(u'\'', u'"')});

  // A login that could not register its work period (another station held
  // KvTask) registers it before the run: the run's entry carries it.
  CKvDb station(kind());
  ASSERT_TRUE(testDb().OpenAnother(station) && station.BeginTrans() && station.LockTable(QStringLiteral("KvTask")));
  {
    KvScriptedAnswers told;
    m_app->GetTask().BeginWork();
    EXPECT_EQ(told.Stops().size(), 1);
  }
  ASSERT_TRUE(station.Rollback());
  EXPECT_TRUE(Run(QStringLiteral("Update T Set B='x' Where A=1"), KV_IDYES));
  ASSERT_NE(m_app->GetTask().nTask, 0);
  EXPECT_EQ(pdb()->GetLong(QStringLiteral("Select Count(*) From KvLog Where nTaskID=26 And nTask=%1")
                               .arg(m_app->GetTask().nTask)),
            1);
  m_app->GetTask().EndWork();
}

// Texts whose quoting or comments hide a COMMIT from a reading that is not
// the engine's own: each statement is looked at as the engine reads it, so
// none commits the change before it; texts of the same shapes without a
// transaction word run.
TEST_P(KvSqlConsoleDb, ATransactionWordHiddenInQuotingCommitsNothing) {
  const bool server = kind() != 0;
  const struct {
    bool onServer;
    const char* sql;
    bool odbcOnly = false;
    bool refusedByServer = false;  // one statement whose literal never ends
  } hidden[] = {
      {false, "Update T Set B='y' Where A=1 Or $k$=1;COMMIT;Select $k$"},
      {false, "Update T Set B='y' Where A=1 Or :k=1;Commit;Select :k"},
      {false, "Update T Set B='y' Where A=1 Or @k=1;End;Select @k"},
      {false, "Update T Set B='y' Where A=1 /* /* */ ;Rollback; Select 1"},
      {true, "Update T Set B=E'\\'' Where A=1;COMMIT;Select 'x'"},
      {true, "Update T Set B=(ARRAY['a]'])[1] Where A=1;COMMIT;Select 1"},
      {true, "Update T Set B=$$;'$$ Where A=1;COMMIT;Select $$'$$"},
      {true, "Update T Set B=$q$'$q$ Where A=1;COMMIT;Select $q$'$q$"},
      {true, "Update T Set B=U&'\\0041' Where A=1;COMMIT;Select U&'x'"},
      {true, "Update T Set B='[' Where A=(ARRAY[1])[1];COMMIT;Select ']'"},
      {true, "Update T Set B='`' Where A=1;COMMIT;Select `x`"},
      {true, "Update T Set B='y' Where A=1 /* /* */ ' */;COMMIT;Select 1 --'"},
      {true, "Update T Set B='y' Where A=1;Prepare Transaction 'kv'"},
      {true, "Update T Set B='y' Where A=1;Savepoint s;Release s"},
      // Backslashes in plain literals are escapes while the session does
      // not conform; the database's default does not reach the session.
      {true, "SET standard_conforming_strings=off;Update T Set B='\\'' Where A=1;COMMIT;Select 'x'", true},
      {true, "Update T Set B='\\'' Where A=1;COMMIT;Select 'x'", true, true},
  };
  if (kind() == 1) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("ALTER DATABASE %1 SET standard_conforming_strings = off")
                                   .arg(KvLower(testDb().name()))));
    pdb()->Close();
    ASSERT_TRUE(pdb()->Open(testDb().name(), testDb().info()));
  }
  const QStringList before = State();
  for (const auto& c : hidden) {
    if (c.onServer != server || (c.odbcOnly && kind() != 1))
      continue;
    KvScriptedAnswers answers;
    EXPECT_FALSE(Run(QString::fromUtf8(c.sql), KV_IDYES)) << c.sql;
    EXPECT_TRUE(question.isEmpty()) << c.sql;
    if (c.refusedByServer)
      EXPECT_TRUE(answers.Stops().value(0).contains(QStringLiteral("执行下列SQL语句时出错！"))) << c.sql;
    else
      EXPECT_EQ(answers.Stops(), QStringList{KvSqlControlRefusedText()}) << c.sql;
    ASSERT_EQ(State(), before) << c.sql;
    EXPECT_EQ(pdb()->TransactionDepth(), 0) << c.sql;
  }
  const QString runs = server ? QStringLiteral("Update T Set B=E'x\\'' || $q$;$q$ Where A=1 /* /* */ */")
                              : QStringLiteral("Update T Set B='x'';' Where A=1 Or :k=1 Or $k$=1");
  EXPECT_TRUE(Run(runs, KV_IDYES));
  EXPECT_EQ(Rows(QStringLiteral("T"), QStringLiteral("A,B")), QStringList{QStringLiteral("1|x';")});
}

// While the run's question is open its locks stay: a save of the same row
// on another connection gives up after a while, says why and keeps nothing.
TEST_P(KvSqlConsoleDb, ASaveBlockedByTheOpenRunGivesUpAndSaysWhy) {
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  // A limit of the waiting session's own, longer than the bound: without
  // the bound the save fails there instead of waiting for ever.
  if (kind() != 0) {
    ASSERT_TRUE(other.Execute(QStringLiteral("SET statement_timeout = 30000")));
  }
  KvScriptedAnswers answers;
  EXPECT_FALSE(KvRunSqlText(pdb(), QStringLiteral("Update T Set B='x' Where A=1"), [&](int) {
    return other.Execute(QStringLiteral("Update T Set B='y' Where A=1"));
  }));
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("数据正被另一工作站锁定（其修改尚未提交），等待10秒后已放弃，本次操作未作任何修改！")});
  EXPECT_EQ(Rows(QStringLiteral("T"), QStringLiteral("A,B")), QStringList{QStringLiteral("1|a")});
}

// A workstation that comes on while the question is open stops the commit.
TEST_P(KvSqlConsoleDb, AWorkstationThatCameOnDuringTheRunStopsItsCommit) {
  const QStringList before = State();
  CKvDb other(kind());
  int lockFile = -1;
  KvScriptedAnswers answers;
  EXPECT_FALSE(KvRunSqlText(pdb(), QStringLiteral("Update T Set B='x' Where A=1"), [&](int) {
    if (kind() == 0) {
      // Another open file description stands for another program's hold.
      lockFile = ::open(QFile::encodeName(KvPresenceLock::lockFilePath(testDb().name())).constData(), O_RDWR);
      struct flock shared {};
      shared.l_type = F_RDLCK;
      EXPECT_EQ(::fcntl(lockFile, F_OFD_SETLK, &shared), 0);
    } else if (testDb().OpenAnother(other)) {
      other.Execute(QStringLiteral("SET application_name = 'kv|1|另一工作站'"));
    }
    return true;
  }));
  if (lockFile >= 0)
    ::close(lockFile);
  EXPECT_EQ(answers.Stops(),
            QStringList{QStringLiteral("SQL语句执行期间别的工作站登录了当前数据文件，所做修改已撤销，数据未被改动！")});
  EXPECT_EQ(State(), before);
}

// What a run leaves on its session, kept or not, never reaches the
// program's connection: after each run a logged save of the program is
// stored, as another connection reads it, and a kept run's log row too.
TEST_P(KvSqlConsoleDb, WhatARunLeavesOnItsSessionNeverReachesTheProgramsSaves) {
  const struct {
    int kinds;  // 1 the data file, 2 the servers
    const char* sql;
    bool kept = true;  // false: the read-only session refuses the run's log row
  } runs[] = {{3, "CREATE TEMP TABLE PC AS SELECT * FROM PC"}, {2, "DEALLOCATE ALL"},
              {1, "PRAGMA query_only = 1", false}, {2, "SET default_transaction_read_only = on"},
              {2, "SET standard_conforming_strings = off"}};
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  int saves = 0, logged = 0;
  for (const auto& c : runs)
    for (const int answer : {int(KV_IDNO), int(KV_IDYES)}) {
      if (!(c.kinds & (kind() == 0 ? 1 : 2)))
        continue;
      const std::string after = c.sql + std::to_string(answer);
      const bool kept = answer == KV_IDYES && c.kept;
      KvScriptedAnswers answers;
      EXPECT_EQ(Run(QString::fromUtf8(c.sql), answer), kept) << after;
      EXPECT_EQ(answers.Stops().size(), answer == KV_IDYES && !kept ? 1 : 0) << after;
      const QString value = QStringLiteral("存\\'%1").arg(++saves);
      EXPECT_TRUE(KvLoggedWrite(pdb(), 27, value, [&] {
        return pdb()->Execute(
            QStringLiteral("Insert Into PC(T,Mry) Values('%1','%2')").arg(saves).arg(pdb()->QuoteText(value)));
      })) << after;
      const QString count = QStringLiteral("Select Count(*) From KvLog Where nTaskID=");
      EXPECT_EQ(other.GetLong(count + QStringLiteral("27 And sNote=(Select Mry From PC Where T='%1')").arg(saves)), 1)
          << after;
      EXPECT_EQ(other.GetLong(count + QStringLiteral("26")), logged += kept) << after;
    }
}

TEST_P(KvSqlConsoleDb, AFailingStatementUndoesTheRunAndIsNotLogged) {
  KvScriptedAnswers answers;
  const QStringList before = State();
  // A statement the engine refuses; a text an engine would run up to its NUL.
  for (const QString& sql : {QStringLiteral("Insert Into T(A,B) Values(2,'b');Insert Into Nowhere(A) Values(1)"),
                             QStringLiteral("Update T Set A=9") + QChar(0) + QStringLiteral(" Where A=2")})
    EXPECT_FALSE(Run(sql, KV_IDYES));
  EXPECT_TRUE(question.isEmpty());
  EXPECT_EQ(State(), before);
  ASSERT_EQ(answers.Stops().size(), 2);
  EXPECT_TRUE(answers.Stops().first().contains(QStringLiteral("执行下列SQL语句时出错！")));
  EXPECT_EQ(answers.Stops().last(), QStringLiteral("SQL语句中含有空字符，不能执行！"));

  // Refused at any statement, the commit too, the rows and their log entry
  // stay together, and the refusal is told once.
  const int sent = ExpectAllOrNothing(
      [this] {
        KvScriptedAnswers refused;
        const bool kept = Run(QStringLiteral("Update T Set B='x';Insert Into T(A,B) Values(5,'e')"), KV_IDYES);
        EXPECT_EQ(refused.Stops().size(), kept ? 0 : 1);
        return kept;
      },
      [this] { return State(); });
  EXPECT_GT(sent, 2);
  EXPECT_EQ(LogNotes(26).size(), 1);

  // In a year another workstation carried since the session read it, a run that drops a table, or puts another
  // table in a dropped log table's place, is refused at its commit (a data file is never checked).
  if (kind() == 0)
    return;
  CKvDb carrier(kind());
  pdb()->SetCarriedBaseline(0);
  ASSERT_TRUE(testDb().OpenAnother(carrier) && carrier.Execute(QStringLiteral("Update SysTab Set MM=12")));
  const QStringList carried = State();
  for (const char* sql : {"Drop Table T", "Drop Table KvLogOp;Alter Table T Rename To KvLogOp"}) {
    KvScriptedAnswers refused;
    EXPECT_FALSE(Run(QString::fromUtf8(sql), KV_IDYES)) << sql;
    EXPECT_EQ(refused.Stops(), QStringList{QStringLiteral("本年度数据已结转到新年度，不能再保存！")}) << sql;
    EXPECT_EQ(State(), carried) << sql;
  }
}

TEST_P(KvSqlConsoleDb, ALongStatementIsLoggedWholeOverNumberedEntries) {
  QString filler;
  for (int i = 0; i < 40; ++i)
    filler += QStringLiteral("第%1段'文字' ").arg(i);
  const QString sql = QStringLiteral("Update T Set B='长' Where B<>'") + QString(filler).replace(u'\'', QStringLiteral("''")) +
                      u'\'';
  ASSERT_TRUE(Run(sql, KV_IDYES));
  const QStringList notes = LogNotes(26);
  ASSERT_GT(notes.size(), 2);
  QString joined;
  for (int i = 0; i < notes.size(); ++i) {
    const QString prefix = QStringLiteral("执行SQL语句(%1/%2)：").arg(i + 1).arg(notes.size());
    ASSERT_TRUE(notes.at(i).startsWith(prefix)) << notes.at(i).toStdString();
    joined += notes.at(i).mid(prefix.size());
  }
  EXPECT_EQ(joined, QString(sql).replace(u'\'', u'"'));
}

KV_DB_KIND_TEST_SUITE(KvSqlConsoleDb);

namespace {

// Answers file boxes with a path and records the dialogs that ran.
class KvFileBoxAnswer {
 public:
  QString path;
  int boxes = 0;
  int run(QDialog* dialog) {
    auto* box = qobject_cast<QFileDialog*>(dialog);
    if (!box)
      return QDialog::Rejected;
    ++boxes;
    if (path.isEmpty())
      return QDialog::Rejected;
    box->selectFile(path);
    return QDialog::Accepted;
  }
};

}  // namespace

// The window on the data file: rights, refusals and the safety backup.
class KvSqlDlgFile : public KvSqlConsoleDb {
 protected:
  std::unique_ptr<CKvSqlDlg> Open() {
    m_app->GetDataFile().SetYear(2024);  // the data file as the login read it
    EXPECT_TRUE(m_app->GetDataFile().ReadSysTab(pdb(), false));
    auto dialog = std::make_unique<CKvSqlDlg>(pdb());
    dialog->show();
    QApplication::processEvents();
    return dialog;
  }
  void RunText(CKvSqlDlg& dialog, const QString& sql) {
    KvDlgItem<QPlainTextEdit>(&dialog, CKvSqlDlg::IDC_STATEMENT)->setPlainText(sql);
    KvDlgItem<QPushButton>(&dialog, KV_IDOK)->click();
  }
  // Removes the byte copies the safety backup named.
  static void RemoveCopies(const QStringList& texts) {
    for (const QString& text : texts)
      if (text.contains(u'＜'))
        QFile::remove(text.section(u'＜', 1).section(u'＞', 0, 0));
  }
};

TEST_P(KvSqlDlgFile, Right0007OpensItAndItsLackKeepsItClosed) {
  {
    LoginAs(QStringLiteral("102"));
    KvScriptedAnswers answers;
    auto dialog = Open();
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("你无SQL语言数据维护权！")});
    EXPECT_FALSE(dialog->isVisible());
  }
  {
    LoginAs(QStringLiteral("102"), {QStringLiteral("0007")});
    KvScriptedAnswers answers;
    auto dialog = Open();
    EXPECT_TRUE(dialog->isVisible());
    // Enter in the statement is a line break; nothing runs.
    auto* edit = KvDlgItem<QPlainTextEdit>(dialog.get(), CKvSqlDlg::IDC_STATEMENT);
    edit->setPlainText(QStringLiteral("Delete From T"));
    edit->moveCursor(QTextCursor::End);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("Delete From T\n"));
    EXPECT_TRUE(answers.texts.isEmpty());
  }
}

TEST_P(KvSqlDlgFile, RefusedTextsAndAFailedSafetyBackupRunNothing) {
  auto dialog = Open();
  const QStringList before = State();
  // Refused before the safety backup: nothing else is said.
  for (const auto& [sql, refusal] :
       {std::pair{QStringLiteral("Delete From T;\ncommit"), QStringLiteral("SQL语句中不能含有事务控制语句！")},
        std::pair{QStringLiteral("Update T Set A=9") + QChar(0) + QStringLiteral(" Where A=2"),
                  QStringLiteral("SQL语句中含有空字符，不能执行！")}}) {
    KvScriptedAnswers answers;
    RunText(*dialog, sql);
    EXPECT_EQ(answers.texts, QStringList{refusal});
    EXPECT_TRUE(dialog->isVisible());
  }
  {
    // The archive copy fails and the operator does not go on with one copy.
    KvSetBackupArchiveWriter([](CKvDb*, const QString&, QString*) { return false; });
    KvScriptedAnswers answers({KV_IDNO});
    RunText(*dialog, QStringLiteral("Delete From T"));
    RemoveCopies(answers.texts);
    EXPECT_EQ(answers.texts.last(), QStringLiteral("两种数据备份方法中只成功了一种，继续吗？"));
    EXPECT_FALSE(answers.texts.join(u'\n').contains(QStringLiteral("提交吗")));
  }
  EXPECT_EQ(State(), before);
  {
    // Going on with one copy runs the statement, and Yes keeps it.
    KvScriptedAnswers answers({KV_IDYES, KV_IDYES});
    RunText(*dialog, QStringLiteral("Delete From T"));
    RemoveCopies(answers.texts);
    EXPECT_EQ(answers.texts.last(), QStringLiteral("SQL语句处理完毕，处理了1条记录。提交吗？"));
  }
  EXPECT_TRUE(Rows(QStringLiteral("T"), QStringLiteral("A")).isEmpty());
  EXPECT_EQ(LogNotes(26), QStringList{QStringLiteral("执行SQL语句：Delete From T")});
  EXPECT_TRUE(dialog->isVisible());
}

// Beside the main window's lists of the data file a kept run commits (no
// list holds a read that keeps the commit waiting), and the program reads
// the data file's settings again.
TEST_P(KvSqlDlgFile, AKeptRunCommitsBesideTheMainWindowsListsAndIsReadAgain) {
  CKvMainFrm frame;
  frame.show();
  frame.RestoreTemplateTabs();
  ASSERT_GT(frame.TemplateBox()->TabCount(), 0);
  auto dialog = Open();
  KvScriptedAnswers answers;
  RunText(*dialog, QStringLiteral("Update SysTab Set NA='新单位名称'"));
  RemoveCopies(answers.texts);
  EXPECT_EQ(answers.Stops(), QStringList());
  EXPECT_EQ(m_app->GetDataFile().GetShownFields().NA, QStringLiteral("新单位名称"));
}

TEST_P(KvSqlDlgFile, StatementFilesAreReadAsUtf8OrGbkAndSavedAsUtf8) {
  auto dialog = Open();
  auto* edit = KvDlgItem<QPlainTextEdit>(dialog.get(), CKvSqlDlg::IDC_STATEMENT);
  KvFileBoxAnswer box;
  KvScopedDialogExec exec([&box](QDialog* d) { return box.run(d); });
  const QString gbk = KvTestHome() + QStringLiteral("/gbk.sql");
  QFile file(gbk);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("Update T Set B='\xd6\xd0\xce\xc4'");
  file.close();
  box.path = gbk;
  dialog->OnRead();
  EXPECT_EQ(edit->toPlainText(), QStringLiteral("Update T Set B='中文'"));

  // Saving writes UTF-8; an empty editor asks for no file at all.
  const QString saved = KvTestHome() + QStringLiteral("/保存.sql");
  QFile::remove(saved);
  box.path = saved;
  dialog->OnSave();
  QFile back(saved);
  ASSERT_TRUE(back.open(QIODevice::ReadOnly));
  EXPECT_EQ(back.readAll(), QStringLiteral("Update T Set B='中文'").toUtf8());
  back.close();
  // An existing file is replaced only after 是 to the program's own question.
  edit->setPlainText(QStringLiteral("Delete From T"));
  {
    KvScriptedAnswers replace({KV_IDYES});
    dialog->OnSave();
    EXPECT_EQ(replace.texts, QStringList{QStringLiteral("文件“%1”已经存在，要替换它吗？").arg(saved)});
  }
  ASSERT_TRUE(back.open(QIODevice::ReadOnly));
  EXPECT_EQ(back.readAll(), QByteArray("Delete From T"));
  box.path = gbk;
  dialog->OnRead();
  const int boxes = box.boxes;
  edit->clear();
  dialog->OnSave();
  EXPECT_EQ(box.boxes, boxes);

  // A place that cannot be written says so.
  edit->setPlainText(QStringLiteral("Delete From T"));
  box.path = KvTestHome() + QStringLiteral("/没有此目录/x.sql");
  KvScriptedAnswers answers;
  dialog->OnSave();
  EXPECT_EQ(answers.Stops().size(), 1);

  // The open data file is refused, and the file dialog asks again.
  if (kind() != 0)
    return;
  KvDataFileRefusalRow row(pdb()->GetDatabaseName(true), true, false);
  dialog->OnSave();
  row.Check(2);
  EXPECT_TRUE(row.questionLeftToProgram);
}

TEST_P(KvSqlDlgFile, TheWindowRenders) {
  auto dialog = Open();
  KvDlgItem<QPlainTextEdit>(dialog.get(), CKvSqlDlg::IDC_STATEMENT)
      ->setPlainText(QStringLiteral("Update STD Set NA='张三' Where STD='010201001'"));
  KvGrabWindow(dialog.get(), QStringLiteral("dlg_795"));
}

INSTANTIATE_TEST_SUITE_P(File, KvSqlDlgFile, ::testing::Values(0), KvDbKindName);
