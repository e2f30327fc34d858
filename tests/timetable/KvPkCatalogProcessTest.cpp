// Two workstations adding and recoding the same catalogue codes at once:
// this test binary, run again in a worker role, stands in for each of them
// (on PostgreSQL through ODBC and libpq; SQLite lets one writer in at a
// time anyway).
//
// A worker is started with KV_TEST_CATALOGUE_WORKER="<kind>|<database>|<n>",
// opens the database and says "KV-WORKER READY". On a byte on its input it
// adds the same kCodes teachers, courses and rooms as the other worker, then
// changes teacher 000<n> to 0099, and says "KV-WORKER RESULT <added>
// <refused as duplicates> <other failures> <renamed 1 or 0>" and, for a
// refused rename, "KV-WORKER RENAME <message>".

#include "KvPkTestSupport.h"
#include "support/KvTestWorkers.h"

#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"


namespace {
constexpr char kWorkerVariable[] = "KV_TEST_CATALOGUE_WORKER";
constexpr int kCodes = 20;

bool isWorker() { return !KvTestWorkerRequest(kWorkerVariable).isEmpty(); }

void serveAsWorker() {
  const QString request = KvTestWorkerRequest(kWorkerVariable);
  const int kind = request.section(u'|', 0, 0).toInt();
  const int n = request.section(u'|', 2, 2).toInt();
  CKvDb db(kind);
  if (!db.Open(request.section(u'|', 1, 1), KvTestDb::ServerInfo(kind))) {
    KvTestWorkerSay("FAILED");
    return;
  }
  KvMessageRecorder recorder;
  KvTestWorkerSay("READY");
  if (!KvTestWorkerWaitForGo())
    return;
  int added = 0;
  int duplicates = 0;
  int failures = 0;
  auto count = [&](bool done, const QString& duplicate) {
    if (done)
      ++added;
    else if (recorder.last() == duplicate)
      ++duplicates;
    else
      ++failures;
  };
  for (int i = 1; i <= kCodes; ++i) {
    const QString code = KvFormat("01%02d", i);
    CTchrRec teacher;
    teacher.KNO = code;
    teacher.NA = QStringLiteral("教师");
    count(CTchrTable::Insert(teacher, &db), KvFormat("新增教师：%s\n代码重！", code));
    CSbtRec course;
    course.KNO = code;
    course.NA = QStringLiteral("课程");
    count(CSbtTable::Insert(course, &db), KvFormat("新增课程：%s\n代码重！", code));
    CPubRmRec room;
    room.KNO = code.mid(1);
    room.NA = QStringLiteral("教室");
    count(CPubRmTable::Insert(room, &db), KvFormat("新增公用教室：%s\n代码重！", room.KNO));
  }
  CTchrRec renamed;
  renamed.KNO = QStringLiteral("0099");
  renamed.NA = QStringLiteral("教师");
  const bool done = CTchrTable::Update(renamed, KvFormat("000%d", n), &db);
  KvTestWorkerSay(KvFormat("RESULT %d %d %d %d", added, duplicates, failures, done ? 1 : 0).toUtf8());
  if (!done)
    KvTestWorkerSay("RENAME " + recorder.last().toUtf8().replace('\n', '|'));
  db.Close();
}

class KvPkCatalogProcessTest : public KvPkDbTest {
 protected:
  // A worker opens the parent's database: it makes none of its own.
  void SetUp() override {
    if (!isWorker())
      KvPkDbTest::SetUp();
  }
  void TearDown() override {
    if (!isWorker())
      KvPkDbTest::TearDown();
  }
};

TEST_P(KvPkCatalogProcessTest, SameCodeFromTwoWorkstationsIsStoredOnce) {
  if (isWorker()) {
    serveAsWorker();
    return;
  }
  AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  AddTeacher(QStringLiteral("0002"), QStringLiteral("李娜"));
  KvTestWorkers workers(kWorkerVariable, {QStringLiteral("%1|%2|1").arg(kind()).arg(testDb().name()),
                                          QStringLiteral("%1|%2|2").arg(kind()).arg(testDb().name())});
  const int notReady = workers.FirstNotReady();
  ASSERT_EQ(notReady, -1) << workers.output(notReady).toStdString();
  workers.Go();
  int added = 0;
  int duplicates = 0;
  int renamed = 0;
  QStringList refusals;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(workers.Finish(i));
    const QList<QByteArray> results = workers.Lines(i, "RESULT ");
    ASSERT_EQ(results.size(), 1) << workers.output(i).toStdString();
    const QList<QByteArray> values = results[0].split(' ');
    ASSERT_EQ(values.size(), 4) << results[0].toStdString();
    added += values[0].toInt();
    duplicates += values[1].toInt();
    EXPECT_EQ(values[2].toInt(), 0) << workers.output(i).toStdString();
    renamed += values[3].toInt();
    for (const QByteArray& refusal : workers.Lines(i, "RENAME "))
      refusals.append(QString::fromUtf8(refusal));
  }
  // Each code once, added by one workstation and refused to the other.
  EXPECT_EQ(added, 3 * kCodes);
  EXPECT_EQ(duplicates, 3 * kCodes);
  for (const char* table : {"TCHR", "SBT", "PUBRM"})
    EXPECT_EQ(Rows(QString::fromLatin1(table), QStringLiteral("KNO"), QStringLiteral("Group By KNO Having Count(*)>1")),
              QStringList())
        << table;
  EXPECT_EQ(Rows(QStringLiteral("SBT"), QStringLiteral("KNO")).size(), kCodes);
  EXPECT_EQ(Rows(QStringLiteral("PUBRM"), QStringLiteral("KNO")).size(), kCodes);
  // Two teachers given one new code: one takes it, the other keeps his.
  EXPECT_EQ(renamed, 1);
  ASSERT_EQ(refusals.size(), 1);
  const QStringList teachers = Rows(QStringLiteral("TCHR"), QStringLiteral("KNO"), QStringLiteral("Where KNO<'0100'"));
  ASSERT_EQ(teachers.size(), 2);
  EXPECT_EQ(teachers[1], QStringLiteral("0099"));
  EXPECT_EQ(refusals[0], KvFormat("修改教师代码：%s～0099|目标代码重！", teachers[0]));
  EXPECT_EQ(Rows(QStringLiteral("TCHR"), QStringLiteral("KNO")).size(), kCodes + 2);
}

// PostgreSQL through ODBC and through libpq.
INSTANTIATE_TEST_SUITE_P(Servers, KvPkCatalogProcessTest, ::testing::Values(1, 2), KvDbKindName);
}  // namespace
