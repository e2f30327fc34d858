// The operation log on each back-end kind: work periods and their entries,
// the cut of long notes, the unit prefix, the log switch, the viewer's
// queries and the deletion of periods; and several programs beginning their
// periods at the same moment on one data file (this test binary run again
// as the other programs).

#include "KvShellTestApp.h"
#include "app/CKvDwRec.h"
#include "app/CKvOperation.h"
#include "app/CKvTaskLog.h"
#include "app/KvLoggedWrite.h"
#include "core/KvMessage.h"
#include "core/KvWidth.h"
#include "support/KvTestEnv.h"
#include "support/KvTestWorkers.h"
#include "ui/KvAppServices.h"

#include <gtest/gtest.h>

#include <QThread>

#include <algorithm>

namespace {

QStringList column(CKvDb* pDb, const QString& sql) {
  QStringList values;
  pDb->QueryTexts(sql, &values, 1);
  return values;
}

const QString kCjk = QStringLiteral("中");

}  // namespace

class CKvOperationTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    m_app.createModules = [](KvShellTestApp& a) { a.AddDataType(new KvShellTestModule(19)); };
    m_app.InitInstance();
    ASSERT_TRUE(m_app.OpenOn(testDb()));
    ASSERT_TRUE(m_app.CreateAllTables(appDb()));
  }
  void TearDown() override {
    KvGetCurrentDw().Clear();
    KvDbKindTest::TearDown();
  }
  CKvDb* appDb() { return m_app.GetDb(); }
  QStringList notes() { return column(appDb(), QStringLiteral("Select sNote From KvLog Order By sT,nTaskID")); }

  KvShellTestApp m_app;
};

TEST_P(CKvOperationTest, FirstPeriodIsOneAndCarriesItsEntries) {
  KvMessageRecorder recorder;
  CKvOperation& task = m_app.GetTask();
  task.BeginWork();
  EXPECT_EQ(task.nTask, 1);
  EXPECT_EQ(task.nThreadID, static_cast<int>(::gettid()));
  EXPECT_EQ(task.sT1.size(), 14);
  CKvOperation(13, QString());
  CKvOperation(19, 5, QString());
  KvAppServiceLog(17, QStringLiteral("打印“名册”"));
  EXPECT_EQ(column(appDb(), QStringLiteral("Select nTaskID From KvLog Where nTask=1 Order By nTaskID")),
            (QStringList{"0", "13", "17", "1905"}));
  EXPECT_EQ(column(appDb(), QStringLiteral("Select sNote From KvLog Where nTaskID=1905")),
            QStringList{"排课操作"});
  EXPECT_EQ(column(appDb(), QStringLiteral("Select sNote From KvLog Where nTaskID=0")),
            QStringList{"操作员：管理员(101) 开始工作"});
  EXPECT_EQ(column(appDb(), QStringLiteral("Select sOp From KvLogOp")), QStringList{"管理员(101)"});

  // The same period found again keeps its number; another one takes the next.
  CKvOperation again = task;
  again.nTask = 0;
  EXPECT_TRUE(CKvOperation::RegisterTask(again, appDb()));
  EXPECT_EQ(again.nTask, 1);
  CKvOperation other = task;
  other.nThreadID += 1;
  EXPECT_FALSE(CKvOperation::RegisterTask(other, appDb()));
  EXPECT_EQ(other.nTask, 2);
  // Period 2 deleted while its operator works on: a new one goes above it.
  ASSERT_TRUE(CKvTaskLog::DeleteTask(2, appDb()));
  CKvOperation::InsertLogRow(2, QStringLiteral("乙(102)"), CKvOperation::NowText(), 13, QString(), appDb());
  other.nThreadID += 1;
  EXPECT_FALSE(CKvOperation::RegisterTask(other, appDb()));
  EXPECT_EQ(other.nTask, 3);
  // The latest period deleted before its operator's next entry: its number is not given again.
  ASSERT_TRUE(CKvTaskLog::DeleteTask(3, appDb()));
  other.nThreadID += 1;
  EXPECT_FALSE(CKvOperation::RegisterTask(other, appDb()));
  EXPECT_EQ(other.nTask, 4);

  CKvOperation::AddLogOperator(QStringLiteral("管理员(101)"), appDb());
  EXPECT_EQ(column(appDb(), QStringLiteral("Select sOp From KvLogOp")).size(), 1);

  task.EndWork();
  EXPECT_EQ(column(appDb(), QStringLiteral("Select sNote From KvLog Where nTaskID=1")),
            QStringList{"操作员：管理员(101) 结束工作"});
  const QStringList ends = column(appDb(), QStringLiteral("Select sT2 From KvTask Where nTask=1"));
  ASSERT_EQ(ends.size(), 1);
  EXPECT_GE(ends.at(0), task.sT1);
  EXPECT_TRUE(recorder.messages().isEmpty());

  // A login while another station holds KvTask: one message, nothing
  // written, a write meanwhile refused; once free, the next entry registers
  // the period, which the viewer lists with the login's entry first.
  CKvDb station(kind());
  ASSERT_TRUE(testDb().OpenAnother(station) && station.BeginTrans() && station.LockTable(QStringLiteral("KvTask")));
  while (CKvOperation::NowText() == task.sT1)  // a login of another second
    QThread::msleep(50);
  task.BeginWork();
  EXPECT_EQ(recorder.messages().size(), 1);
  EXPECT_FALSE(KvLoggedWrite(appDb(), 13, QString(), [] { return true; }));
  EXPECT_EQ(recorder.texts().value(1), recorder.texts().value(0));
  ASSERT_TRUE(station.Rollback());
  EXPECT_TRUE(KvLoggedWrite(appDb(), 13, QString(), [] { return true; }));
  task.EndWork();
  QList<CKvOperation> listed;
  QList<CKvLogRec> entries;
  EXPECT_EQ(CKvTaskLog::LoadTasks(QStringLiteral("Where nTask=5"), QString(), &listed, appDb()), 1);
  ASSERT_EQ(CKvTaskLog::LoadLog(5, &entries, appDb()), 3);
  EXPECT_EQ(entries.at(0).sNote, u"操作员：管理员(101) 开始工作");
  EXPECT_EQ(column(appDb(), QStringLiteral("Select Count(*) From KvLog Where nTask=0")), QStringList{"0"});
  EXPECT_EQ(recorder.messages().size(), 2);
}

TEST_P(CKvOperationTest, NotesAreCutByWidthWithoutSplittingACharacter) {
  const QString ascii230(230, u'a');
  EXPECT_EQ(CKvOperation::MakeNote(5, ascii230, QString()), ascii230);
  EXPECT_EQ(CKvOperation::MakeNote(5, ascii230 + u'b', QString()), ascii230 + QStringLiteral("..."));
  EXPECT_EQ(CKvOperation::MakeNote(5, kCjk.repeated(115), QString()), kCjk.repeated(115));
  EXPECT_EQ(CKvOperation::MakeNote(5, kCjk.repeated(116), QString()),
            kCjk.repeated(115) + QStringLiteral("..."));
  // A 240 cut that would end inside a character ends before it.
  const QString unit = QStringLiteral("01234567890123");
  const QString cut = CKvOperation::MakeNote(5, u'a' + kCjk.repeated(114), unit);
  EXPECT_EQ(KvTextWidth(cut), 239);
  EXPECT_TRUE(cut.endsWith(kCjk));
  EXPECT_TRUE(cut.startsWith(QStringLiteral("<01234567890123>a")));

  // Stored as made, apostrophes intact.
  CKvOperation(5, kCjk.repeated(120));
  CKvOperation(6, QStringLiteral("O'Neil's 笔记"));
  EXPECT_EQ(notes(), (QStringList{kCjk.repeated(115) + QStringLiteral("..."), "O'Neil's 笔记"}));
}

TEST_P(CKvOperationTest, CurrentUnitPrefixesTheNote) {
  KvGetCurrentDw().KNO = QStringLiteral("0101");
  CKvOperation(13, QString());
  EXPECT_EQ(notes(), QStringList{"<0101>打开文档"});
}

TEST_P(CKvOperationTest, SwitchOffWritesNothingAndSwitchedOnRegistersThePeriod) {
  CKvOperation& task = m_app.GetTask();
  m_app.GetDataFile().SetLogOn(false);
  for (bool switchedOn : {false, true}) {
    task.BeginWork();
    CKvOperation(13, QStringLiteral("x"));
    EXPECT_TRUE(KvLoggedWrite(appDb(), 13, QString(), [] { return true; }));
    for (const char* table : {"KvTask", "KvLog", "KvLogOp"})
      EXPECT_EQ(column(appDb(), QStringLiteral("Select Count(*) From %1").arg(QLatin1String(table))),
                QStringList{"0"})
          << table;
    // Switched on during the session: its next entry registers the period,
    // which the viewer lists with the login's entry, dated at the login.
    m_app.GetDataFile().SetLogOn(switchedOn);
    EXPECT_TRUE(KvLoggedWrite(appDb(), 14, QString(), [] { return true; }));
    task.EndWork();
  }
  QList<CKvOperation> listed;
  QList<CKvLogRec> entries;
  ASSERT_EQ(CKvTaskLog::LoadTasks(QString(), QString(), &listed, appDb()), 1);
  EXPECT_EQ(listed.first().sT1, task.sT1);
  ASSERT_EQ(CKvTaskLog::LoadLog(listed.first().nTask, &entries, appDb()), 3);
  const auto start = std::find_if(entries.cbegin(), entries.cend(), [](const CKvLogRec& e) { return e.nTaskID == 0; });
  ASSERT_NE(start, entries.cend());
  EXPECT_EQ(start->sNote, u"操作员：管理员(101) 开始工作");
  EXPECT_EQ(start->sT, task.sT1);
  EXPECT_EQ(column(appDb(), QStringLiteral("Select Count(*) From KvLog Where nTask<>%1").arg(listed.first().nTask)),
            QStringList{"0"});
}

TEST_P(CKvOperationTest, ViewerQueriesAndPeriodDeletion) {
  const struct {
    int task;
    const char* start;
    const char* computer;
  } periods[] = {{1, "20240305080000", "pc1"},
                 {2, "20240317090000", "pc'2"},
                 {3, "20240402100000", "pc1"},
                 {4, "20231201000000", "pc1"}};
  for (const auto& period : periods)
    ASSERT_TRUE(appDb()->Execute(
        QStringLiteral("Insert Into KvTask(nTask,nThreadID,sT1,sT2,sComputer,sUser) "
                       "Values(%1,7,'%2','%2','%3','u')")
            .arg(QString::number(period.task), QLatin1String(period.start),
                 appDb()->QuoteText(QLatin1String(period.computer)))));
  QStringList groups;
  EXPECT_EQ(CKvTaskLog::QueryGroups(QString(), &groups, appDb()), 2);
  EXPECT_EQ(groups, (QStringList{"2023", "2024"}));
  EXPECT_EQ(CKvTaskLog::QueryGroups(QStringLiteral("2024"), &groups, appDb()), 2);
  EXPECT_EQ(groups, (QStringList{"03", "04"}));
  EXPECT_EQ(CKvTaskLog::QueryGroups(QStringLiteral("202403"), &groups, appDb()), 2);
  EXPECT_EQ(groups, (QStringList{"05", "17"}));
  EXPECT_EQ(CKvTaskLog::QueryGroups(QStringLiteral("20243"), &groups, appDb()), 0);

  QList<CKvOperation> tasks;
  EXPECT_EQ(CKvTaskLog::LoadTasks(QStringLiteral("Where sT1 Like '2024\x07*\x08'"),
                                  QStringLiteral("Order By nTask"), &tasks, appDb()),
            3);
  EXPECT_EQ(tasks.at(1).sComputer, u"pc'2");
  QStringList computers;
  EXPECT_EQ(CKvTaskLog::LoadComputers(&computers, appDb()), 2);
  CKvOperation task;
  EXPECT_TRUE(CKvTaskLog::LoadTask(3, &task, appDb()));
  EXPECT_EQ(task.sT1, u"20240402100000");
  EXPECT_FALSE(CKvTaskLog::LoadTask(99, &task, appDb()));
  EXPECT_EQ(task.nTask, 3);

  // Within one second the higher operation code comes first.
  CKvOperation::InsertLogRow(1, QStringLiteral("甲(101)"), QStringLiteral("20240305080001"), 5,
                             QStringLiteral("later low"), appDb());
  CKvOperation::InsertLogRow(1, QStringLiteral("甲(101)"), QStringLiteral("20240305080001"), 17,
                             QStringLiteral("later high"), appDb());
  CKvOperation::InsertLogRow(1, QStringLiteral("甲(101)"), QStringLiteral("20240305080000"), 2,
                             QString(), appDb());
  CKvOperation::InsertLogRow(2, QStringLiteral("乙(102)"), QStringLiteral("20240317090000"), 2,
                             QString(), appDb());
  CKvOperation::AddLogOperator(QStringLiteral("甲(101)"), appDb());
  CKvOperation::AddLogOperator(QStringLiteral("乙(102)"), appDb());
  QList<CKvLogRec> rows;
  ASSERT_EQ(CKvTaskLog::LoadLog(1, &rows, appDb()), 3);
  EXPECT_EQ(rows.at(0).sOpName, u"年度文件信息");
  EXPECT_EQ(rows.at(1).sNote, u"later high");
  EXPECT_EQ(rows.at(2).nTaskID, 5);

  QList<int> found{42};
  EXPECT_EQ(CKvTaskLog::LoadLogTasks(QString(), &found, appDb()), -1);
  EXPECT_EQ(found, QList<int>{42});
  EXPECT_EQ(CKvTaskLog::LoadLogTasks(QStringLiteral("Where nTaskID=17"), &found, appDb()), 2);
  EXPECT_EQ(found, (QList<int>{42, 1}));

  // Another station carried the year since this connection read it: an old period is deleted with no stop, a
  // business write is still refused.
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into SysTab(MM) Values(0)")));
  appDb()->SetCarriedBaseline(0);
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other) && other.Execute(QStringLiteral("Update SysTab Set MM=12")));
  KvMessageRecorder recorder;
  EXPECT_TRUE(CKvTaskLog::DeleteTask(2, appDb()));
  EXPECT_TRUE(recorder.texts().isEmpty());
  EXPECT_EQ(appDb()->Execute(QStringLiteral("Insert Into OPR(OPNO) Values('109')")), kind() == 0);
  EXPECT_EQ(recorder.texts().size(), kind() == 0 ? 0 : 1);
  EXPECT_TRUE(column(appDb(), QStringLiteral("Select nTask From KvTask Where nTask=2")).isEmpty());
  EXPECT_TRUE(column(appDb(), QStringLiteral("Select nTask From KvLog Where nTask=2")).isEmpty());
  QStringList labels;
  EXPECT_EQ(CKvTaskLog::LoadOpNames(&labels, appDb()), 2);
  EXPECT_TRUE(CKvTaskLog::PurgeOpNames(appDb()));
  EXPECT_EQ(CKvTaskLog::LoadOpNames(&labels, appDb()), 1);
  EXPECT_EQ(labels, QStringList{"甲(101)"});
}

TEST_P(CKvOperationTest, FailedDeletionKeepsThePeriod) {
  ASSERT_TRUE(appDb()->Execute(QStringLiteral(
      "Insert Into KvTask(nTask,nThreadID,sT1,sT2,sComputer,sUser) Values(1,7,'a','a','c','u')")));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Drop Table KvLog")));
  KvMessageRecorder recorder;
  EXPECT_FALSE(CKvTaskLog::DeleteTask(1, appDb()));
  EXPECT_EQ(recorder.messages().size(), 1);
  EXPECT_EQ(column(appDb(), QStringLiteral("Select nTask From KvTask")), QStringList{"1"});
  // A log that cannot be read is not an empty one.
  QList<CKvLogRec> rows;
  EXPECT_EQ(CKvTaskLog::LoadLog(1, &rows, appDb()), -1);
}

KV_DB_KIND_TEST_SUITE(CKvOperationTest);

// --- Several programs beginning their periods at once ---
//
// The parent runs this test again in WORKERS processes with
// KV_TEST_LOG_WORKER="<kind>|<database>". A worker opens the data file, says
// "KV-WORKER READY", waits for one byte on its input, begins its period and
// registers kExtraPeriods more (as other threads), saying "KV-WORKER TASK
// <n>" for each, and "KV-WORKER DONE" at the end.

namespace {
constexpr char kWorkerVariable[] = "KV_TEST_LOG_WORKER";
constexpr int kWorkers = 4;
constexpr int kExtraPeriods = 15;

bool servedAsWorker() {
  const QString request = KvTestWorkerRequest(kWorkerVariable);
  if (request.isEmpty())
    return false;
  const int kind = request.section(u'|', 0, 0).toInt();
  KvShellTestApp app;
  app.InitInstance();
  CKvDataFile& file = app.GetDataFile();
  file.SetKind(kind == 0 ? 0 : 1);
  if (kind != 0)
    file.SetServerBackend(kind);
  file.SetOperatorCode(QStringLiteral("101"));
  file.SetOperatorName(QStringLiteral("管理员"));
  const bool ok = app.GetDb()->Open(request.section(u'|', 1),
                                    kind == 0 ? CKvDbInfo(0) : KvTestDb::ServerInfo(kind));
  KvTestWorkerSay(ok ? "READY" : "FAILED");
  if (ok && KvTestWorkerWaitForGo()) {
    CKvOperation& task = app.GetTask();
    task.BeginWork();
    KvTestWorkerSay("TASK " + QByteArray::number(task.nTask));
    for (int i = 1; i <= kExtraPeriods; ++i) {
      CKvOperation extra = task;
      extra.nThreadID = task.nThreadID * 100 + i;
      if (!CKvOperation::RegisterTask(extra, app.GetDb()))
        KvTestWorkerSay("TASK " + QByteArray::number(extra.nTask));
    }
    KvTestWorkerSay("DONE");
  }
  return true;
}
}  // namespace

class CKvOperationWorkerTest : public ::testing::TestWithParam<int> {};

TEST_P(CKvOperationWorkerTest, PeriodsBegunAtOnceGetUniqueNumbers) {
  if (servedAsWorker())
    return;
  KvTestDb testDb(GetParam());
  KV_CREATE_TEST_DB(testDb);
  {
    KvShellTestApp app;
    app.InitInstance();
    ASSERT_TRUE(app.OpenOn(testDb));
    ASSERT_TRUE(app.CreateAllTables(app.GetDb()));
  }
  testDb.db().Close();

  KvTestWorkers workers(kWorkerVariable, QStringList(kWorkers, QString::number(GetParam()) + u'|' + testDb.name()));
  const int notReady = workers.FirstNotReady();
  ASSERT_EQ(notReady, -1) << workers.output(notReady).toStdString();
  workers.Go();
  // Every period registered reports its number; no number twice.
  QList<int> numbers;
  for (int i = 0; i < kWorkers; ++i) {
    ASSERT_TRUE(workers.Finish(i));
    ASSERT_TRUE(workers.output(i).contains("KV-WORKER DONE")) << workers.output(i).toStdString();
    for (const QByteArray& number : workers.Lines(i, "TASK "))
      numbers.append(number.toInt());
  }
  const int total = kWorkers * (1 + kExtraPeriods);
  ASSERT_EQ(numbers.size(), total);
  std::sort(numbers.begin(), numbers.end());
  QStringList expected;
  for (int n = 1; n <= total; ++n) {
    EXPECT_EQ(numbers.at(n - 1), n);
    expected.append(QString::number(n));
  }

  CKvDb reader(GetParam());
  ASSERT_TRUE(testDb.OpenAnother(reader));
  EXPECT_EQ(column(&reader, QStringLiteral("Select nTask From KvTask Order By nTask")), expected);
  EXPECT_EQ(column(&reader, QStringLiteral("Select Count(*) From KvLog Where nTaskID=0")),
            QStringList{QString::number(kWorkers)});
}

INSTANTIATE_TEST_SUITE_P(Kinds, CKvOperationWorkerTest, ::testing::Values(0, 1, 2), KvDbKindName);
