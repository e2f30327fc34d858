// The backup archive over a data file of each kind: what it keeps, the
// files it refuses, and that a restore changes the data file only when it
// succeeds (damaged archives, refused statements of the staging copy,
// another program on the data file).

#include "KvBackupTestSupport.h"

#include "app/CKvApp.h"
#include "app/KvBackup.h"
#include "app/KvUserSettings.h"
#include "core/CKvCsRec.h"
#include "core/CKvDb.h"
#include "core/KvArchive.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "core/KvSqliteBackend.h"
#include "core/KvText.h"
#include "datafile/CKvMDBBak.h"
#include "support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <QtEndian>

namespace {

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// Where the parts of an archive begin: after the header, the first block's
// row count, its rows, its end.
struct Layout {
  qint64 blocksAt = 0;
  qint64 rowCountAt = 0;
  qint64 rowsAt = 0;
  qint64 firstBlockEnd = 0;
  QStringList tables;
};

Layout layoutOf(const QString& path) {
  Layout layout;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return layout;
  KvArchiveReader reader(&file);
  const auto at = [&] { return file.size() - reader.Remaining(); };
  KvArchiveHeader header;
  qint32 count = 0;
  reader.ReadHeader(&header);
  reader.ReadTableCount(&count);
  layout.blocksAt = at();
  KvArchiveTable table;
  KvArchiveRow row;
  for (qint32 t = 0; t < count; ++t) {
    reader.ReadTable(&table);
    if (t == 0) {
      layout.rowsAt = at();
      layout.rowCountAt = layout.rowsAt - 4;
    }
    for (qint32 r = 0; r < table.rowCount; ++r)
      reader.ReadRow(table, &row);
    if (t == 0)
      layout.firstBlockEnd = at();
    layout.tables.append(table.name);
  }
  return layout;
}

const QString kDamaged = QStringLiteral("所选择的备份件已损坏，不能用于恢复！\n");
const QString kFailed = QStringLiteral("数据恢复失败，当前数据文件未被改动！\n");

}  // namespace

class KvMDBBakTest : public KvBackupDbTest {};

TEST_P(KvMDBBakTest, RestoreGivesBackTheRowsAndRefusesFilesThatAreNoArchive) {
  KvScriptedAnswers answers;
  {
    // Enough rows for the loads that send them in batches.
    KvDbTransaction transaction(*pdb());
    for (int id = 100; id < 800; ++id)
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into T(ID,X,S) Values(%1,%1.5,'行%1')").arg(id)));
    ASSERT_TRUE(transaction.Commit());
  }
  const QStringList before = State();
  // NULLs come back as 0 and as the empty text.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into T(ID) Values(4)")));
  const QString path = Archive(QStringLiteral("a_xxd.bak"));
  const Layout layout = layoutOf(path);
  ASSERT_GE(layout.tables.size(), 3);
  EXPECT_EQ(layout.tables.mid(0, 2), QStringList({QStringLiteral("SysTab"), QStringLiteral("SysCsTab")}));

  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From T Where ID=1")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into T(ID,S) Values(9,'新')")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update OPR Set NA='改' Where OPNO='102'")));
  ASSERT_TRUE(Restore(path)) << answers.texts.join(u'\n').toStdString();
  EXPECT_TRUE(answers.texts.isEmpty()) << answers.texts.join(u'\n').toStdString();
  EXPECT_TRUE(pdb()->IsOpen());
  EXPECT_EQ(pdb()->GetLong(QStringLiteral("Select Count(*) From T Where ID=4 And X=0 And (S Is Null Or S='')")), 1);
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From T Where ID=4")));
  EXPECT_EQ(KvStateDiff(State(), before), QStringList());
  EXPECT_TRUE(State().contains(QStringLiteral("t:1|1.5|a'b|c")));
  EXPECT_FALSE(StagingLeft());
  // The binary column is there again, empty.
  EXPECT_EQ(pdb()->GetLong(QStringLiteral("Select Count(*) From T Where B Is Null")), 703);
  const QStringList binary = CKvMDBBak(pdb()).TablesWithBinaryColumns();
  ASSERT_EQ(binary.size(), 1);
  EXPECT_EQ(KvLower(binary.first()), u"t");
  // The restore is in the log.
  EXPECT_EQ(pdb()->GetLong(QStringLiteral("Select Count(*) From KvLog Where sNote Like '\x07*\x08恢复数据'")), 1);

  // Files that are no archive of this year, in every mode, changing nothing.
  const QString empty = m_dir.filePath(QStringLiteral("empty_xxd.bak"));
  const QString tiny = m_dir.filePath(QStringLiteral("tiny_xxd.bak"));
  const QString foreign = m_dir.filePath(QStringLiteral("foreign_xxd.bak"));
  writeAll(empty, QByteArray());
  writeAll(tiny, QByteArray("\x09KvqyA", 6));
  QByteArray other = readAll(path);
  other[1] = 'X';  // another signature
  writeAll(foreign, other);
  for (const QString& file : {empty, tiny, foreign}) {
    for (int mode : {0, 1, 2}) {
      CKvMDBBak bak(pdb());
      bak.SetSafetyBackup(false);
      EXPECT_FALSE(bak.LoadBackup(file, mode)) << file.toStdString() << " mode " << mode;
    }
  }
  CKvMDBBak probe(pdb());
  EXPECT_TRUE(probe.LoadBackup(path, 0));
  EXPECT_TRUE(probe.LoadBackup(path, 1));
  EXPECT_EQ(probe.m_nYear, 2024);
  // An archive of another year: refused without a question.
  m_app->GetDataFile().SetYear(2025);
  CKvMDBBak later(pdb());
  later.SetSafetyBackup(false);
  EXPECT_FALSE(later.LoadBackup(path, 1));
  EXPECT_FALSE(later.LoadBackup(path, 2));
  m_app->GetDataFile().SetYear(2024);
  EXPECT_TRUE(answers.texts.isEmpty()) << answers.texts.join(u'\n').toStdString();
  EXPECT_EQ(KvStateDiff(State(), before), QStringList());

  // A workstation whose open meets the last moment of the swap works on the
  // restored file, not on the one it replaced.
  if (kind() == 0) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into T(ID,S) Values(9,'新')")));
    KvSqliteBackend::setBeforeHoldHook([&](const QString&) {
      KvSqliteBackend::setBeforeHoldHook({});
      EXPECT_TRUE(Restore(path));
    });
    CKvDb station(kind());
    ASSERT_TRUE(testDb().OpenAnother(station));
    EXPECT_EQ(station.GetLong(QStringLiteral("Select Count(*) From T Where ID=9")), 0);
    EXPECT_TRUE(station.Execute(QStringLiteral("Insert Into T(ID,S) Values(10,'站')")));
    EXPECT_EQ(pdb()->GetLong(QStringLiteral("Select Count(*) From T Where ID=10")), 1);
  }
}

TEST_P(KvMDBBakTest, DamagedArchivesAreRefusedAndChangeNothing) {
  const QString path = Archive(QStringLiteral("sound_xxd.bak"));
  const QByteArray sound = readAll(path);
  const Layout layout = layoutOf(path);
  ASSERT_GT(layout.rowsAt, layout.blocksAt);
  // A table the data file has that the archive's block names a column of
  // which it has none.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table U(ID Long,Z Char(4))")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into U(ID,Z) Values(1,'z')")));
  const QString withZ = Archive(QStringLiteral("z_xxd.bak"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Drop Table U")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table U(ID Long,Y Char(4))")));
  // A sound archive whose SysTab holds two rows.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into SysTab(NA,PY,MM,AN) Values('二',2024,0,'')")));
  const QString twoYears = Archive(QStringLiteral("two_xxd.bak"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From SysTab Where NA='二'")));
  // Archives whose work period, or whose mark of the highest one, is at the
  // top of its column.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into KvTask(nTask,nThreadID,sT1,sT2,sComputer,sUser) "
                                            "Values(2147483647,1,'a','a','c','u')")));
  const QString topPeriod = Archive(QStringLiteral("period_xxd.bak"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From KvTask")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal,LPO) "
                                            "Values(0,2,'最大工作期号','2147483647','')")));
  const QString topMark = Archive(QStringLiteral("mark_xxd.bak"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From SysCsTab Where Cs=0 And CsN=2")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update T Set S='现在'")));
  const QStringList before = State();

  QByteArray countFlipped = sound;
  qToLittleEndian<qint32>(qFromLittleEndian<qint32>(sound.constData() + layout.rowCountAt) + 1,
                          countFlipped.data() + layout.rowCountAt);
  QByteArray lengthFlipped = sound;
  lengthFlipped[layout.blocksAt] = char(lengthFlipped[layout.blocksAt] + 1);
  QByteArray textChanged = sound;
  textChanged.replace("a'b", "a'x");
  const QString changed = kFailed + QStringLiteral("备份件在恢复期间被改动或不能读取。");
  const struct {
    const char* name;
    QByteArray bytes;
    QString message;
    bool duringRestore = false;  // written over the sound archive once it was scanned
  } cases[] = {
      {"after the header", sound.left(layout.blocksAt), kDamaged},
      {"at a block boundary", sound.left(layout.firstBlockEnd), kDamaged},
      {"inside a row", sound.left(layout.rowsAt + 3), kDamaged},
      {"flipped row count", countFlipped, kDamaged},
      {"flipped text length", lengthFlipped, kDamaged},
      {"a column the target lacks", readAll(withZ), kFailed},
      {"two SysTab rows", readAll(twoYears), kFailed},
      {"a work period at the top", readAll(topPeriod), kFailed},
      {"the highest period's mark at the top", readAll(topMark), kFailed},
      {"a text changed during the restore", textChanged, changed, true},
      {"grown during the restore", sound + "x", changed, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString file = m_dir.filePath(QStringLiteral("damaged_xxd.bak"));
    writeAll(file, c.duringRestore ? sound : c.bytes);
    CKvMDBBak::SetStagingHook([&](CKvDb&, bool bClosing) {
      if (c.duringRestore && !bClosing)
        writeAll(file, c.bytes);
    });
    KvScriptedAnswers answers;
    EXPECT_FALSE(Restore(file));
    CKvMDBBak::SetStagingHook({});
    ASSERT_FALSE(answers.Stops().isEmpty());
    EXPECT_TRUE(answers.Stops().last().startsWith(c.message)) << answers.Stops().last().toStdString();
    EXPECT_TRUE(pdb()->IsOpen());
    EXPECT_EQ(KvStateDiff(State(), before), QStringList());
    EXPECT_FALSE(StagingLeft());
  }
}

TEST_P(KvMDBBakTest, RefusedStagingStatementsLeaveTheDataFileUnchanged) {
  if (kind() == 1)
    GTEST_SKIP() << "the refused-statement runs cover the file and libpq";
  const QString path = Archive(QStringLiteral("small_xxd.bak"));
  const QStringList archived = State();
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update T Set S='现在'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From OPR Where OPNO='102'")));
  const QStringList before = State();
  const QString beforePath = Archive(QStringLiteral("before_xxd.bak"));

  int armed = 0;
  int sent = 0;
  CKvMDBBak::SetStagingHook([&](CKvDb& staging, bool bClosing) {
    if (bClosing)
      sent = staging.GetStatementsSent();
    else
      staging.FailNthStatement(armed);
  });
  // A clean count: every statement of the staging copy, and those of
  // making its tables.
  armed = 1 << 30;
  {
    KvScriptedAnswers answers;
    ASSERT_TRUE(Restore(path));
  }
  const int total = sent;
  ASSERT_EQ(KvStateDiff(State(), archived), QStringList());
  ASSERT_TRUE(Restore(beforePath));
  ASSERT_EQ(KvStateDiff(State(), before), QStringList());
  int creation = 0;
  {
    KvTestDb scratch(kind());
    KV_CREATE_TEST_DB(scratch);
    scratch.db().FailNthStatement(1 << 30);
    m_app->CreateAllTables(&scratch.db());
    creation = scratch.db().GetStatementsSent();
    m_app->OpenModuleData(pdb());
  }
  ASSERT_GT(creation, 10);
  ASSERT_GT(total, creation);

  QList<int> runs = {1, 2, creation - 1, creation};
  if (kind() == 0) {
    for (int n = creation + 1; n <= total; ++n)
      runs.append(n);
  } else {
    const int middle = (creation + total) / 2;
    runs << creation + 1 << creation + 2 << middle << middle + 1 << total - 1 << total;
  }
  // A refused statement fails the restore and changes nothing, unless the
  // restore can do without it: then the data file equals the archive.
  for (int n : runs) {
    SCOPED_TRACE(n);
    armed = n;
    KvScriptedAnswers answers;
    if (Restore(path)) {
      EXPECT_EQ(KvStateDiff(State(), archived), QStringList());
      armed = 0;
      ASSERT_TRUE(Restore(beforePath));
    } else {
      ASSERT_FALSE(answers.Stops().isEmpty());
      EXPECT_TRUE(answers.Stops().last().startsWith(kFailed)) << answers.Stops().last().toStdString();
    }
    EXPECT_EQ(KvStateDiff(State(), before), QStringList());
    EXPECT_FALSE(StagingLeft());
    if (HasFailure())
      return;
  }
  armed = total + 1;
  KvScriptedAnswers answers;
  EXPECT_TRUE(Restore(path));
  EXPECT_EQ(KvStateDiff(State(), archived), QStringList());
}

TEST_P(KvMDBBakTest, AnotherProgramOrAWriteDuringTheStagingStopsTheRestoreBeforeAnyChange) {
  if (KvServeAsWorker())
    return;
  // Two receipts, two lines of one reviewer each, and a number whose text
  // depends on the session's float digits.
  for (const char* row : {"4,120.5,'收据'", "7,980,'收据'", "5,0,'张三'", "6,0,'李四'", "8,0.30000000000000004,''"})
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into T(ID,X,S) Values(%1)").arg(QString::fromUtf8(row))));
  const QString path = Archive(QStringLiteral("held_xxd.bak"));

  // Another workstation changes the data file while the archive is staged,
  // with and without the safety backups: the restore is refused and the
  // change stays. Two receipts' amounts exchanged, two reviewers exchanged
  // and rows renumbered leave every column with the values it had, in
  // other rows.
  KvWriteBackupSettings(1, 0, Folder());
  const struct {
    const char* statement;
    bool safety;
    const char* kept;  // the rows that show the change
  } changes[] = {
      {"Insert Into T(ID,S) Values(70,'收据')", false, "ID=70"},
      {"Insert Into T(ID,S) Values(71,'收据')", true, "ID=71"},
      {"Update T Set X=1100.5-X Where ID In (4,7)", true, "ID=4 And X=980"},
      {"Update T Set S=Case When ID=5 Then '李四' Else '张三' End Where ID In (5,6)", false, "ID=6 And S='张三'"},
      {"Update T Set ID=11-ID Where ID In (5,6)", true, "ID=5 And S='张三'"},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.statement);
    CKvMDBBak::SetStagingHook([&](CKvDb&, bool bClosing) {
      CKvDb station(kind());
      if (!bClosing && testDb().OpenAnother(station))
        station.Execute(QString::fromUtf8(change.statement));
    });
    KvScriptedAnswers stored;
    CKvMDBBak restore(pdb());
    restore.SetSafetyBackup(change.safety);
    EXPECT_FALSE(restore.LoadBackup(path, 2));
    EXPECT_EQ(stored.Stops().value(0), kFailed + QStringLiteral("恢复期间其他工作站修改了数据。"));
    EXPECT_EQ(pdb()->GetLong(QStringLiteral("Select Count(*) From T Where ") + QString::fromUtf8(change.kept)), 1);
    EXPECT_FALSE(StagingLeft());
    // The byte copy beside a data file goes with the test.
    for (const QString& text : stored.texts)
      if (kind() == 0 && text.contains(u'＜'))
        QFile::remove(text.section(u'＜', 1).section(u'＞', 0, 0));
  }
  CKvMDBBak::SetStagingHook({});

  // A setting given to the live database alone (new sessions take it)
  // changes neither look: the restore with its safety copy goes through.
  if (kind() != 0) {
    const QString database = pdb()->GetBackend()->databaseName();
    for (const char* setting : {"DateStyle='SQL, DMY'", "extra_float_digits=-3"})
      ASSERT_TRUE(pdb()->GetBackend()->execute(
          QStringLiteral("ALTER DATABASE \"%1\" SET %2").arg(database, QLatin1String(setting)), nullptr));
    ASSERT_TRUE(pdb()->Reopen());
    KvScriptedAnswers restored;
    CKvMDBBak restore(pdb());
    EXPECT_TRUE(restore.LoadBackup(path, 2)) << restored.texts.join(u'\n').toStdString();
  }

  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update T Set S='现在'")));
  const QStringList before = State();
  KvWorkerProcess other;
  ASSERT_TRUE(other.Start(QStringLiteral("hold"), kind(), testDb().name()));
  KvScriptedAnswers answers;
  CKvMDBBak bak(pdb());
  EXPECT_FALSE(bak.LoadBackup(path, 2));
  EXPECT_FALSE(answers.Stops().isEmpty());
  EXPECT_TRUE(pdb()->IsOpen());
  // Refused at its swap, a restore gives the session back the baseline it had: a year another station carried
  // before stays refused.
  if (kind() != 0) {
    pdb()->SetCarriedBaseline(0);
    CKvDb carrier(kind());
    ASSERT_TRUE(testDb().OpenAnother(carrier) && carrier.Execute(QStringLiteral("Update SysTab Set MM=12")));
    KvScriptedAnswers refused;
    EXPECT_FALSE(Restore(path));
    EXPECT_FALSE(pdb()->Execute(QStringLiteral("Insert Into T(ID,S) Values(72,'收据')")));
    EXPECT_EQ(refused.Stops().value(1), QStringLiteral("本年度数据已结转到新年度，不能再保存！"));
    ASSERT_TRUE(carrier.Execute(QStringLiteral("Update SysTab Set MM=0")));
  }
  EXPECT_EQ(KvStateDiff(State(), before), QStringList());
  EXPECT_FALSE(StagingLeft());
}

TEST_P(KvMDBBakTest, ScheduledBackupWritesAnArchiveThatRestores) {
  ASSERT_TRUE(KvHasBackupArchiveWriter());
  const QString folder = m_dir.filePath(QStringLiteral("auto"));
  KvWriteBackupSettings(1, 0, folder);
  CKvCsRec row(pdb());
  row.Set(0, 1, QStringLiteral("最近一次数据备份时间"), QStringLiteral("20200101"));
  ASSERT_TRUE(row.Insert());
  // Chinese names, which the restore makes in its staging copy; a NUL in a note.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table 临时表(编号 Long,名称 Char(10))")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into 临时表(编号,名称) Values(1,'甲')")));
  ASSERT_TRUE(kind() != 0 || pdb()->GetBackend()->execute(
                                 QStringLiteral("Insert Into KvLog(nTaskID,sNote) Values(99,'甲'||char(0)||'乙')"), nullptr));
  const QStringList before = State();
  QString text;
  ASSERT_TRUE(KvScheduledBackup(true, &text)) << text.toStdString();
  const QStringList made = QDir(folder).entryList({QStringLiteral("*.bak")}, QDir::Files);
  ASSERT_EQ(made.size(), 1);
  EXPECT_EQ(text, QStringLiteral("按例执行备份成功，备件：\n") + folder + u'/' + made.first());
  // Another workstation's user restores it: it has the permissions any new
  // file of this user gets, not those of a private temporary file.
  QFile plain(m_dir.filePath(QStringLiteral("plain")));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  EXPECT_EQ(QFileInfo(folder + u'/' + made.first()).permissions(), plain.permissions());

  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From T")));
  ASSERT_TRUE(Restore(folder + u'/' + made.first()));
  QStringList restored = State();
  // The date of the backup is the one row that differs.
  EXPECT_EQ(restored.size(), before.size());
  restored.removeIf([](const QString& r) { return r.contains(QStringLiteral("最近一次数据备份时间")); });
  QStringList expected = before;
  expected.removeIf([](const QString& r) { return r.contains(QStringLiteral("最近一次数据备份时间")); });
  EXPECT_EQ(KvStateDiff(restored, expected), QStringList());
  EXPECT_TRUE(restored.contains(QStringLiteral("临时表:1|甲")));
  EXPECT_EQ(pdb()->GetLong(QStringLiteral("Select Count(*) From KvLog Where nTaskID=99 And sNote='甲乙'")),
            kind() == 0 ? 1 : 0);
  // The archive holds the note without its NUL, as every kind can store it.
  EXPECT_EQ(readAll(folder + u'/' + made.first()).contains(QStringLiteral("甲乙").toUtf8()), kind() == 0);

  // Before a risky operation both copies are made and nothing is asked.
  KvScriptedAnswers answers({KV_IDNO});
  EXPECT_TRUE(KvBackupBeforeRiskyOp());
  for (unsigned style : answers.styles)
    EXPECT_NE(style & KV_MB_ICONMASK, unsigned(KV_MB_ICONQUESTION));
  ASSERT_EQ(answers.texts.size(), 2);
  EXPECT_TRUE(answers.texts[0].startsWith(QStringLiteral("执行操作前系统已将数据文件原样拷贝成：")));
  EXPECT_TRUE(answers.texts[1].startsWith(QStringLiteral("执行此操作前，已为你作了一次数据备份，备件：\n") + folder));

  // A name the archive cannot carry: nothing is left in the folder, and the
  // backup before a risky operation asks whether to go on with one copy.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table %1(N Long)")
                                 .arg(kind() == 0 ? QStringLiteral("[临时 表]") : QStringLiteral("\"临时 表\""))));
  const QString refusal = QStringLiteral("数据表“临时 表”的名称不能写入备份件，请在SQL语言数据维护中更名或删除。");
  const QStringList kept = QDir(folder).entryList(QDir::Files | QDir::Hidden);
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SysCsTab Set CsVal='20200101' Where Cs=0 And CsN=1")));
  EXPECT_FALSE(KvScheduledBackup(true, &text));
  EXPECT_EQ(text, QStringLiteral("按例执行备份失败！\n") + refusal);
  KvScriptedAnswers one({KV_IDNO});
  EXPECT_FALSE(KvBackupBeforeRiskyOp());
  ASSERT_EQ(one.texts.size(), 3);
  EXPECT_EQ(one.texts[1], QStringLiteral("执行操作前备份数据失败！\n") + refusal);
  EXPECT_EQ(one.texts[2], QStringLiteral("两种数据备份方法中只成功了一种，继续吗？"));
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), kept);

  // Places a backup cannot be written to, and a backup whose written file
  // does not read back: the one box says why, and nothing is left.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Drop Table %1")
                                 .arg(kind() == 0 ? QStringLiteral("[临时 表]") : QStringLiteral("\"临时 表\""))));
  const QString file = plain.fileName();
  const struct {
    QString folder;
    bool damaged;
    QString reason;
  } failures[] = {
      {QStringLiteral("/proc/sys"), false, QStringLiteral("备份位置不能写入：/proc/sys")},
      {file, false, QStringLiteral("备份位置不是文件夹，已有同名文件：") + file},
      {folder, true, QStringLiteral("备份件写成后读回检查未通过：")},
  };
  for (const auto& f : failures) {
    SCOPED_TRACE(f.folder.toStdString());
    KvWriteBackupSettings(1, 0, f.folder);
    CKvMDBBak::SetWrittenHook([&](QFile& written) {
      if (f.damaged)
        written.resize(written.size() - 1);
    });
    EXPECT_FALSE(KvScheduledBackup(false, &text));
    EXPECT_TRUE(text.startsWith(QStringLiteral("执行操作前备份数据失败！\n") + f.reason)) << text.toStdString();
  }
  CKvMDBBak::SetWrittenHook({});
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), kept);
}

TEST_P(KvMDBBakTest, ArchiveCarriesTheRowsFromTheFileToTheServerAndBack) {
  if (kind() != 2)
    GTEST_SKIP() << "one file, one server";
  KvScriptedAnswers answers;
  const auto makeFile = [&](KvTestDb& file) {
    ASSERT_TRUE(file.Create());
    file.db().Close();
    ASSERT_TRUE(m_app->OpenOn(file));
    ASSERT_TRUE(m_app->CreateAllTables(pdb()));
    ASSERT_TRUE(m_app->InsertDefaultRows(pdb(), 2024));
    ASSERT_TRUE(SetTreeParams(pdb()));
  };
  KvTestDb first(0);
  makeFile(first);
  ASSERT_TRUE(AddSampleRows(pdb()));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update OPR Set NA='王''五|甲' Where OPNO='102'")));
  const QStringList original = State();
  const QString fromFile = Archive(QStringLiteral("file_xxd.bak"));

  ASSERT_TRUE(m_app->OpenOn(testDb()));
  ASSERT_TRUE(Restore(fromFile)) << answers.texts.join(u'\n').toStdString();
  EXPECT_EQ(KvStateDiff(State(), original), QStringList());
  const QString fromServer = Archive(QStringLiteral("server_xxd.bak"));

  KvTestDb back(0);
  makeFile(back);
  ASSERT_TRUE(AddSampleRows(pdb()));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From T")));
  ASSERT_TRUE(Restore(fromServer)) << answers.texts.join(u'\n').toStdString();
  EXPECT_EQ(KvStateDiff(State(), original), QStringList());
  pdb()->Close();
  ASSERT_TRUE(m_app->OpenOn(testDb()));
}

TEST_P(KvMDBBakTest, BackupTakenWhileAnotherProgramWritesPairsKeepsThemPaired) {
  if (KvServeAsWorker())
    return;
  if (kind() == 1)
    GTEST_SKIP() << "the process tests run on the file and libpq";
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table P1(N Long)")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table P2(N Long)")));
  KvWorkerProcess writer;
  ASSERT_TRUE(writer.Start(QStringLiteral("pairs"), kind(), testDb().name()));
  const QString path = Archive(QStringLiteral("pairs_xxd.bak"));
  writer.Stop();
  ASSERT_TRUE(Restore(path));
  const int pairs = pdb()->GetLong(QStringLiteral("Select Count(*) From P1"));
  EXPECT_GT(pairs, 0);
  EXPECT_EQ(pdb()->GetLong(QStringLiteral("Select Count(*) From P2")), pairs);
}

TEST_P(KvMDBBakTest, KilledRestoreLeavesTheOldRowsOrTheArchivesAndTheNextRestoreCleansUp) {
  if (KvServeAsWorker())
    return;
  if (kind() == 1)
    GTEST_SKIP() << "the process tests run on the file and libpq";
  const QString path = Archive(QStringLiteral("new_xxd.bak"));
  const QStringList archived = State();
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update T Set S='旧'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From OPR Where OPNO='102'")));
  const QString oldPath = Archive(QStringLiteral("old_xxd.bak"));
  const QStringList old = State();
  // The kill comes at random within twice the time the last restore of the
  // old archive took here, so that the machine's pace sets the window and
  // some kills come after the worker's first swap.
  QRandomGenerator random(20240901);
  int window = 0;
  const auto restoreOld = [&] {
    KvScriptedAnswers answers;
    QElapsedTimer clock;
    clock.start();
    const bool done = Restore(oldPath);
    window = int(2 * clock.elapsed()) + 1;
    EXPECT_TRUE(done) << answers.texts.join(u'\n').toStdString();
    return done;
  };
  ASSERT_TRUE(restoreOld());
  int restored = 0;
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    pdb()->Close();
    {
      KvWorkerProcess worker;
      ASSERT_TRUE(worker.Start(QStringLiteral("restore"), kind(), testDb().name(), path));
      QThread::msleep(random.bounded(window));
      worker.Kill(kind());
    }
    ASSERT_TRUE(pdb()->Open(testDb().name(), testDb().info()));
    const QStringList now = State();
    EXPECT_TRUE(now == old || now == archived) << KvStateDiff(now, old).join(u'\n').toStdString();
    restored += now == archived ? 1 : 0;
    ASSERT_TRUE(restoreOld());
    EXPECT_FALSE(StagingLeft());
    EXPECT_EQ(KvStateDiff(State(), old), QStringList());
    if (HasFailure())
      return;
  }
  // Some kills came after a restore was through.
  EXPECT_GT(restored, 0);
}

TEST_P(KvMDBBakTest, QuestionsComeFirstAndTablesNeitherFileHasAreSkipped) {
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SysTab Set AN='A1'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table Z(N Long)")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into Z(N) Values(1)")));
  const QString path = Archive(QStringLiteral("z_xxd.bak"));
  const QStringList archived = State();
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Drop Table Z")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SysTab Set AN='B2'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update T Set S='现在'")));
  const QStringList before = State();
  const QString codes = QStringLiteral(
      "当前数据文件的标识码为：“B2”，\n备份件的标识码为：“A1”，\n两者不一致！\n用备份件替换当前数据文件吗？");
  const QString counts = QStringLiteral("备份集中的表数目与当前数据文件中的表数目不一致，继续吗！");
  const struct {
    QList<int> script;
    QStringList asked;
    bool restored;
  } cases[] = {
      {{KV_IDNO}, {codes}, false},
      {{KV_IDYES, KV_IDCANCEL}, {codes, counts}, false},
      {{KV_IDYES, KV_IDYES}, {codes, counts}, true},
  };
  for (const auto& c : cases) {
    KvScriptedAnswers answers(c.script);
    CKvMDBBak bak(pdb());
    bak.SetSafetyBackup(false);
    EXPECT_EQ(bak.LoadBackup(path, 2), c.restored);
    EXPECT_EQ(answers.texts.mid(0, 2), c.asked);
    if (!c.restored) {
      EXPECT_EQ(KvStateDiff(State(), before), QStringList());
      continue;
    }
    ASSERT_EQ(bak.SkippedTables().size(), 1);
    EXPECT_EQ(KvLower(bak.SkippedTables().first()), u"z");
    EXPECT_FALSE(pdb()->TableExists(QStringLiteral("Z")));
    QStringList expected = archived;
    expected.removeIf([](const QString& line) { return line.startsWith(QStringLiteral("z:")); });
    EXPECT_EQ(KvStateDiff(State(), expected), QStringList());
  }
}

KV_DB_KIND_TEST_SUITE(KvMDBBakTest);
