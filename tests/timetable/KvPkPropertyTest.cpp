// Properties of full arranges of generated schools: 200 small ones and 5 of
// the default size on SQLite, and a few compared row by row with the same
// schools on PostgreSQL; and a generated data file that the program opens.
//   - the run neither stops nor meets a checker stop;
//   - every stored class passes the check again against all others;
//   - no course is placed more often than planned;
//   - the rows placed in part are exactly the ones the short message names,
//     with the count it names.

#include "KvPkTestSupport.h"

#include "app/CKvDataFile.h"
#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"
#include "core/KvMessage.h"
#include "school/CStd.h"
#include "support/KvTestEnv.h"
#include "support/timetable/KvTimetableGen.h"
#include "timetable/CPkArranger.h"
#include "timetable/CSbtTable.h"
#include "timetable/CWkjhRec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

namespace {
// A data file with the tables and default rows, copied for every school.
QString TemplateFile() {
  static const QString path = [] {
    const QString file = KvTestHome() + QStringLiteral("/timetable-template.xxd");
    QFile::remove(file);
    CKvDb db;
    if (!db.CreateDatabase(file, CKvDbInfo(0)) || !KvGetApp()->CreateAllTables(&db) ||
        !KvGetApp()->InsertDefaultRows(&db, 2024))
      return QString();
    db.Close();
    return file;
  }();
  return path;
}

struct Outcome {
  QStringList rows;  // the stored PK rows, sorted
  int planned = 0;
  int placed = 0;
};

// Writes the school, arranges unit 01 answering Yes, and checks the
// properties; the stored rows come back.
Outcome ArrangeAndCheck(CKvDb* pDb, const KvTimetableGenOptions& options) {
  Outcome outcome;
  KvTimetableGenSummary summary;
  EXPECT_TRUE(KvWriteTimetableSchool(pDb, options, &summary));
  KvScriptedAnswers answers;
  CPkArranger arranger(options.year, options.term, options.date, summary.selection, pDb);
  EXPECT_TRUE(arranger.Load());
  EXPECT_TRUE(arranger.PlaceAllClasses());
  const QStringList shortTexts = answers.texts;
  EXPECT_TRUE(arranger.SaveResult());
  EXPECT_EQ(answers.Stops(), QStringList());
  EXPECT_EQ(arranger.GetClassesSaved(), summary.nClasses);
  outcome.planned = arranger.GetLessonsPlanned();
  outcome.placed = arranger.GetLessonsPlaced();

  // The short messages by class and course name, with the count named.
  static const QRegularExpression shortText(QStringLiteral("^\\((\\d+)\\)[^，]*，(.*)：\\n应排课时：(\\d+)\\n只能排课：(\\d+)$"));
  QMap<QString, int> named;
  for (const QString& text : shortTexts) {
    const QRegularExpressionMatch m = shortText.match(text);
    EXPECT_TRUE(m.hasMatch()) << text.toStdString();
    named.insert(m.captured(1) + u'/' + m.captured(2), m.captured(4).toInt());
  }
  EXPECT_EQ(named.size(), arranger.GetShortRows().size());

  CWktRec schedule;
  schedule.LoadForTimetable(options.year, options.term, false, false, pDb);
  QList<CStd> classes;
  CStd(pDb, summary.selection).Select(&classes, 1, -1, QStringLiteral("Where Len(rtrim(KNO))=6 And KNO Like '01\x07*\x08'"));
  EXPECT_EQ(classes.size(), summary.nClasses);
  QList<CSbtRec> courses;
  CSbtTable::LoadAll(courses, pDb);
  QMap<QString, QString> courseNames;
  for (const CSbtRec& course : courses)
    courseNames.insert(course.KNO, course.NA);
  QMap<QString, int> found;
  for (const CStd& klass : classes) {
    CPkGrid grid(options.year, options.term, options.date, klass.KNO);
    grid.LoadByKeys(schedule, pDb);
    QList<CWkjhRec> rows;
    CWkjhRec(options.year, options.term, options.date, klass.KNO).LoadClassPlan(QString(), rows, pDb);
    KvScriptedAnswers recheck;
    EXPECT_TRUE(grid.CheckAgainstPlan(schedule, rows, pDb)) << klass.KNO.toStdString();
    EXPECT_EQ(recheck.Stops(), QStringList()) << klass.KNO.toStdString();
    QMap<QString, int> planned;
    for (const CWkjhRec& row : rows)
      planned[row.SBT] += row.NU;
    for (const CWkjhRec& row : rows) {
      CWktRec all, own;
      int anyKind = 0;
      for (int k = 0; k < 3; ++k) {
        grid.OccupiedMask(all, k, row.SBT);
        anyKind += all.CountFlags();
      }
      EXPECT_LE(anyKind, planned[row.SBT]) << klass.KNO.toStdString() << " " << row.SBT.toStdString();
      grid.OccupiedMask(own, row.DS, row.SBT);
      if (own.CountFlags() < row.NU)
        found.insert(klass.KNO + u'/' + courseNames.value(row.SBT), own.CountFlags());
    }
  }
  EXPECT_EQ(found, named);
  outcome.rows = [pDb] {
    QStringList cols[8];
    pDb->QueryTexts(QStringLiteral("Select STD,WK,DT,DN,DS,SBT,TCHR,PUBRM From PK"), cols, 8);
    QStringList rows;
    for (qsizetype i = 0; i < cols[0].size(); ++i) {
      QStringList cells;
      for (const QStringList& col : cols)
        cells.append(col[i]);
      rows.append(cells.join(u'|'));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }();
  return outcome;
}

class KvPkPropertyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_app = new KvPkTestApp; }
  static void TearDownTestSuite() {
    delete s_app;
    s_app = nullptr;
  }
  // A fresh SQLite data file with the tables and default rows.
  bool OpenCopy(CKvDb& db, unsigned seed) {
    const QString file = KvTestHome() + QStringLiteral("/school-%1.xxd").arg(seed);
    QFile::remove(file);
    return !TemplateFile().isEmpty() && QFile::copy(TemplateFile(), file) && db.Open(file, CKvDbInfo(0));
  }
  static KvPkTestApp* s_app;
};
KvPkTestApp* KvPkPropertyTest::s_app = nullptr;

TEST_F(KvPkPropertyTest, SmallSchools) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    SCOPED_TRACE(seed);
    CKvDb db;
    ASSERT_TRUE(OpenCopy(db, seed));
    ArrangeAndCheck(&db, KvSmallTimetableOptions(seed));
    db.Close();
    QFile::remove(db.GetDatabaseName(true));
  }
}

TEST_F(KvPkPropertyTest, DefaultSchools) {
  for (unsigned seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE(seed);
    CKvDb db;
    ASSERT_TRUE(OpenCopy(db, 1000 + seed));
    KvTimetableGenOptions options;
    options.seed = seed;
    options.bWeekKinds = seed % 2 == 0;
    const Outcome outcome = ArrangeAndCheck(&db, options);
    EXPECT_GT(outcome.placed, outcome.planned * 95 / 100);
  }
}

TEST_F(KvPkPropertyTest, GeneratedFileIsNamedAfterItsYearAndOpensInTheProgram) {
  // The generator takes the version from the file's name, or refuses the
  // name with the program's reason.
  const struct {
    const char* name;
    const char* year;
    const char* reason;
  } cases[] = {{"2025.xxd", "2025", ""},
               {"school.xxd", "", "文件名不是由有效年度构成！"},
               {"1989.xxd", "", "文件名不是由有效年度构成！"},
               {"2025.db", "", "不是青禾苑账务数据文件！"}};
  for (const auto& c : cases) {
    KvMessageRecorder recorder;
    KvTimetableGenOptions options;
    const bool taken = KvTimetableGenVersionFromFile(KvTestHome() + u'/' + QString::fromLatin1(c.name), &options);
    EXPECT_EQ(taken, *c.reason == 0) << c.name;
    EXPECT_EQ(recorder.last(), QString::fromUtf8(c.reason)) << c.name;
    if (taken) {
      EXPECT_EQ(options.year, QString::fromLatin1(c.year));
      EXPECT_EQ(options.date, QString::fromLatin1(c.year) + QStringLiteral("0901"));
    }
  }

  // Written as the driver writes it, the school opens as a data file, and
  // its version arranges.
  const QString path = KvTestHome() + QStringLiteral("/generated/2025.xxd");
  QDir().mkpath(QFileInfo(path).path());
  QFile::remove(path);
  KvTimetableGenOptions options = KvSmallTimetableOptions(1);
  ASSERT_TRUE(KvTimetableGenVersionFromFile(path, &options));
  {
    CKvDb db;
    ASSERT_TRUE(db.CreateDatabase(path, CKvDbInfo(0)));
    ASSERT_TRUE(KvGenerateTimetableSchool(&db, options));
  }
  KvMessageRecorder recorder;
  CKvDataFile file;
  ASSERT_TRUE(file.Open(QString(), path, QString(), true)) << recorder.last().toStdString();
  EXPECT_EQ(file.GetYear(), 2025);
  EXPECT_EQ(file.GetOperatorCode(), QStringLiteral("101"));
  KvScriptedAnswers answers;
  CPkArranger arranger(options.year, options.term, options.date, QStringLiteral("01"), &file.GetDb());
  EXPECT_TRUE(arranger.Load());
  EXPECT_GT(arranger.GetClassCount(), 0);
  file.Close();
}

// The same schools give the same rows on PostgreSQL as on SQLite.
class KvPkServerPropertyTest : public KvPkPropertyTest, public ::testing::WithParamInterface<int> {};

TEST_P(KvPkServerPropertyTest, SameRowsAsOnSqlite) {
  for (unsigned seed : {3u, 7u, 12u}) {
    SCOPED_TRACE(seed);
    CKvDb sqlite;
    ASSERT_TRUE(OpenCopy(sqlite, 2000 + seed));
    const Outcome expected = ArrangeAndCheck(&sqlite, KvSmallTimetableOptions(seed));
    KvTestDb server(GetParam());
    KV_CREATE_TEST_DB(server);
    ASSERT_TRUE(KvGetApp()->CreateAllTables(&server.db()));
    ASSERT_TRUE(KvGetApp()->InsertDefaultRows(&server.db(), 2024));
    const Outcome outcome = ArrangeAndCheck(&server.db(), KvSmallTimetableOptions(seed));
    EXPECT_FALSE(outcome.rows.isEmpty());
    EXPECT_EQ(outcome.rows, expected.rows);
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, KvPkServerPropertyTest, ::testing::Values(1, 2), KvDbKindName);
}  // namespace
