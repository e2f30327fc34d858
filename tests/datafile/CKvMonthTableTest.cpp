// Business months: the months stored only where they differ from the
// calendar, the carry into the next year, a month change with its
// neighbours and log entry, the migration of the older parameter rows, and
// every write kept whole or not at all.

#include "KvDataFileTestSupport.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "datafile/CKvMonthTable.h"

#include <QDialog>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

class CKvMonthTableTest : public KvDataFileDbTest {
 protected:
  CKvMonthTable Table(int type = KvMonthTestModule::kModule) { return CKvMonthTable(pdb(), type); }
  // Months of `year` from the calendar, with the given months changed
  // ("MM:first-last").
  static KvYearMonths Year(const QString& year, const QStringList& changes = {}) {
    KvYearMonths months;
    for (int m = 1; m <= 12; ++m) {
      months.first[m - 1] = CKvMonthTable::CalendarFirst(year, m);
      months.last[m - 1] = CKvMonthTable::CalendarLast(year, m);
    }
    for (const QString& change : changes) {
      const int m = change.left(2).toInt();
      months.first[m - 1] = change.mid(3, 8);
      months.last[m - 1] = change.mid(12, 8);
    }
    return months;
  }
  QStringList All() { return Rows(QStringLiteral("ZRVMONTH"), QStringLiteral("nType,rtrim(YY),rtrim(MM),rtrim(T0),rtrim(T1)")); }
  QStringList State() { return All() + LogNotes(3005) + Rows(QStringLiteral("SysCsTab"), QStringLiteral("Cs,CsN,rtrim(CsVal)")); }
};

TEST_P(CKvMonthTableTest, OnlyMonthsThatDifferFromTheCalendarAreStored) {
  EXPECT_TRUE(Table().WriteYear(QStringLiteral("2024"), Year(QStringLiteral("2024"))));
  EXPECT_TRUE(Months(30).isEmpty());
  const KvYearMonths changed =
      Year(QStringLiteral("2024"), {QStringLiteral("02:20240201-20240225"), QStringLiteral("03:20240226-20240331")});
  ASSERT_TRUE(Table().WriteYear(QStringLiteral("2024"), changed));
  EXPECT_EQ(Months(30), (QStringList{QStringLiteral("2024|02|20240201|20240225"),
                                     QStringLiteral("2024|03|20240226|20240331")}));
  KvYearMonths read;
  ASSERT_TRUE(Table().ReadYear(QStringLiteral("2024"), read));
  EXPECT_TRUE(read == changed);
  KvYearMonths one;
  ASSERT_TRUE(Table().ReadYear(QStringLiteral("202403"), one));
  EXPECT_EQ(one.first[2], QStringLiteral("20240226"));
  EXPECT_TRUE(one.first[3].isEmpty()) << "only the month asked for is read";
  EXPECT_TRUE(Table(2).WriteYear(QStringLiteral("2024"), Year(QStringLiteral("2024"))));
  EXPECT_EQ(Months(30).size(), 2) << "another type leaves the rows alone";
}

// The carry moves every last day a year on and starts each month the day
// after its predecessor; the new year is written for every stored type.
TEST_P(CKvMonthTableTest, CarryMovesEveryTypeOneYearOn) {
  struct Case {
    QStringList months2024;
    QStringList expected2025;
    QString year = QStringLiteral("2024");
  };
  const QList<Case> cases = {
      {{}, {}},
      {{QStringLiteral("02:20240201-20240229")}, {}},
      {{QStringLiteral("02:20240201-20240228"), QStringLiteral("03:20240229-20240331")},
       {}},
      {{QStringLiteral("12:20241201-20241225")},
       {QStringLiteral("2025|01|20241226|20250131"), QStringLiteral("2025|12|20251201|20251225")}},
      {{QStringLiteral("01:20231226-20240125"), QStringLiteral("02:20240126-20240225"),
        QStringLiteral("11:20241101-20241125"), QStringLiteral("12:20241126-20241225")},
       {QStringLiteral("2025|01|20241226|20250125"), QStringLiteral("2025|02|20250126|20250225"),
        QStringLiteral("2025|03|20250226|20250331"), QStringLiteral("2025|11|20251101|20251125"),
        QStringLiteral("2025|12|20251126|20251225")}},
      // Into a leap year: February keeps its whole month, March its 1st.
      {{QStringLiteral("12:20271201-20271225")},
       {QStringLiteral("2028|01|20271226|20280131"), QStringLiteral("2028|12|20281201|20281225")},
       QStringLiteral("2027")},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From ZRVMONTH")));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SysTab Set PY=%1").arg(c.year)));
    ASSERT_TRUE(Table(30).WriteYear(c.year, Year(c.year, c.months2024)));
    ASSERT_TRUE(Table(2).WriteYear(c.year, Year(c.year, c.months2024)));
    ASSERT_TRUE(Table().CarryToNewYear());
    for (int type : {2, 30}) {
      QStringList next;
      for (const QString& row : Months(type))
        if (row.startsWith(QString::number(c.year.toInt() + 1)))
          next.append(row);
      EXPECT_EQ(next, c.expected2025) << c.months2024.join(u' ').toStdString() << " type " << type;
    }
  }
}

// Changing a month moves the end of the month before and the start of the
// month after; month 12 of the file's year moves month 1 of the next year,
// month 1 moves month 12 of the year before. The module is asked and the
// change logged.
TEST_P(CKvMonthTableTest, ChangingAMonthMovesItsNeighbours) {
  struct Case {
    QString year, month, first, last;
    QStringList rows;
  };
  const QList<Case> cases = {
      {QStringLiteral("2024"), QStringLiteral("03"), QStringLiteral("20240226"), QStringLiteral("20240325"),
       {QStringLiteral("2024|02|20240201|20240225"), QStringLiteral("2024|03|20240226|20240325"),
        QStringLiteral("2024|04|20240326|20240430")}},
      {QStringLiteral("2024"), QStringLiteral("12"), QStringLiteral("20241201"), QStringLiteral("20241225"),
       {QStringLiteral("2024|12|20241201|20241225"), QStringLiteral("2025|01|20241226|20250131")}},
      {QStringLiteral("2025"), QStringLiteral("12"), QStringLiteral("20251201"), QStringLiteral("20251225"),
       {QStringLiteral("2025|12|20251201|20251225")}},
      {QStringLiteral("2024"), QStringLiteral("01"), QStringLiteral("20231226"), QStringLiteral("20240131"),
       {QStringLiteral("2023|12|20231201|20231225"), QStringLiteral("2024|01|20231226|20240131")}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From ZRVMONTH")));
    App()->module->calls.clear();
    const QString days[2] = {c.first, c.last};
    EXPECT_TRUE(Table().Modify(c.year, c.month, days)) << c.month.toStdString();
    EXPECT_EQ(Months(30), c.rows) << c.year.toStdString() << c.month.toStdString();
    EXPECT_EQ(App()->module->calls.size(), c.year == u"2024" && c.month == u"01" ? 3 : 2);
  }
  EXPECT_EQ(LogNotes(3005).size(), 4);
  EXPECT_TRUE(LogNotes(3005).contains(QStringLiteral("修改收费月：20240301～20240331 --> 20240226～20240325")));

  // Unchanged days write nothing; a refusing module keeps the month.
  const QStringList before = State();
  const QString same[2] = {QStringLiteral("20240201"), QStringLiteral("20240229")};
  EXPECT_TRUE(Table().Modify(QStringLiteral("2024"), QStringLiteral("02"), same));
  App()->module->refuseChange = true;
  const QString moved[2] = {QStringLiteral("20240205"), QStringLiteral("20240229")};
  EXPECT_FALSE(Table().Modify(QStringLiteral("2024"), QStringLiteral("02"), moved));
  EXPECT_EQ(State(), before);

  // With month 2 ending on 20 March: changes leaving month 3 without a day,
  // and one of a month stored otherwise than read, are refused and said.
  App()->module->refuseChange = false;
  const QString toMarch[2] = {QStringLiteral("20240201"), QStringLiteral("20240320")};
  ASSERT_TRUE(Table().Modify(QStringLiteral("2024"), QStringLiteral("02"), toMarch));
  const QStringList kept = State();
  const QString refused[][6] = {  // month, new days, refusal, days read
      {"04", "20240312", "20240430", "这样修改将使2024年03月成为20240321～20240311，没有一天，其前后两月将会重叠，不能修改！"},
      {"02", "20240201", "20240331", "这样修改将使2024年03月成为20240401～20240331，没有一天，其前后两月将会重叠，不能修改！"},
      {"02", "20240201", "20240310", "2024年02月已被别的窗口或工作站修改为20240201～20240320，本次修改未保存，请重新打开后再修改！",
       "20240201", "20240229"}};
  for (const auto& r : refused) {
    KvScriptedAnswers answers;
    EXPECT_FALSE(Table().Modify(QStringLiteral("2024"), r[0], &r[1], r[4].isEmpty() ? nullptr : &r[4]));
    EXPECT_EQ(answers.Stops(), QStringList{r[3]});
    EXPECT_EQ(State(), kept);
  }
  // On a server, a workstation that came on since the window was opened.
  if (kind() == 0)
    return;
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  ASSERT_TRUE(other.Execute(QStringLiteral("SET application_name = 'kv|1|另一工作站'")));
  KvScriptedAnswers answers;
  const QString april[2] = {QStringLiteral("20240405"), QStringLiteral("20240430")};
  EXPECT_FALSE(Table().Modify(QStringLiteral("2024"), QStringLiteral("04"), april));
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("修改期间别的工作站登录了当前数据文件，本次修改未保存！")});
  EXPECT_EQ(State(), kept);
}

// Thirteen parameter rows become the months of this year and the next for
// types 1 and 2; any other count is dropped. A file with the table stays.
TEST_P(CKvMonthTableTest, OlderMonthSettingsAreMigratedOnce) {
  const QStringList starts = {"20231226", "20240126", "20240226", "20240326", "20240426", "20240526", "20240626",
                              "20240726", "20240826", "20240926", "20241026", "20241126", "20241225"};
  for (int count : {13, 12}) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Drop Table ZRVMONTH")));
    for (int i = 0; i < count; ++i)
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(4,%1,'','%2')")
                                     .arg(i + 1)
                                     .arg(starts.at(i))));
    ASSERT_TRUE(Table(1).Upgrade());
    EXPECT_TRUE(pdb()->TableExists(QStringLiteral("ZRVMONTH")));
    EXPECT_TRUE(Rows(QStringLiteral("SysCsTab"), QStringLiteral("CsVal"), QStringLiteral("Where Cs=4")).isEmpty());
    for (int type : {1, 2}) {
      const QStringList rows = Months(type);
      if (count != 13) {
        EXPECT_TRUE(rows.isEmpty()) << "twelve rows are dropped";
        continue;
      }
      ASSERT_EQ(rows.size(), 13) << type;
      EXPECT_EQ(rows.first(), QStringLiteral("2024|01|20231226|20240125"));
      EXPECT_EQ(rows.at(11), QStringLiteral("2024|12|20241126|20241225"));
      EXPECT_EQ(rows.last(), QStringLiteral("2025|01|20241226|20250131"));
    }
  }
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(4,1,'','20240101')")));
  EXPECT_TRUE(Table(1).Upgrade());
  EXPECT_EQ(Rows(QStringLiteral("SysCsTab"), QStringLiteral("CsVal"), QStringLiteral("Where Cs=4")).size(), 1)
      << "a file with the table is not migrated again";
}

TEST_P(CKvMonthTableTest, EveryWriteIsWholeOrNothing) {
  ASSERT_TRUE(Table().WriteYear(QStringLiteral("2024"),
                                Year(QStringLiteral("2024"), {QStringLiteral("05:20240426-20240531")})));
  EXPECT_GT(ExpectAllOrNothing(
                [&] {
                  return Table().WriteYear(QStringLiteral("2024"),
                                           Year(QStringLiteral("2024"), {QStringLiteral("02:20240201-20240225"),
                                                                         QStringLiteral("03:20240226-20240331")}));
                },
                [&] { return State(); }),
            0);
  const QString days[2] = {QStringLiteral("20241201"), QStringLiteral("20241225")};
  EXPECT_GT(ExpectAllOrNothing([&] { return Table().Modify(QStringLiteral("2024"), QStringLiteral("12"), days); },
                               [&] { return State(); }),
            0);
  EXPECT_GT(ExpectAllOrNothing([&] { return Table().CarryToNewYear(); }, [&] { return State(); }), 0);
  // The old rows: calendar months, which migrate to no rows at all.
  const auto oldFile = [&] {
    if (pdb()->TableExists(QStringLiteral("ZRVMONTH"))) {
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Drop Table ZRVMONTH")));
    }
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From SysCsTab Where Cs=4")));
    for (int i = 1; i <= 13; ++i)
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(4,%1,'','2024%2%3')")
                                     .arg(i)
                                     .arg(qMin(i, 12), 2, 10, QLatin1Char('0'))
                                     .arg(i == 13 ? QStringLiteral("31") : QStringLiteral("01"))));
  };
  const auto upgradeState = [&] {
    return Rows(QStringLiteral("SysCsTab"), QStringLiteral("Cs,CsN,rtrim(CsVal)")) +
           QStringList(pdb()->TableExists(QStringLiteral("ZRVMONTH")) ? "table" : "none") + Months(1) + Months(2);
  };
  oldFile();
  const QStringList before = upgradeState();
  ASSERT_TRUE(Table(1).Upgrade());
  const QStringList migrated = upgradeState();
  EXPECT_TRUE(Months(1).isEmpty()) << "calendar months migrate to no rows";
  // A refused statement leaves the old file or, where it only hid a table
  // from a catalogue read, the complete migration; never a part of it.
  for (int n = 1;; ++n) {
    oldFile();
    pdb()->FailNthStatement(n);
    const bool ok = Table(1).Upgrade();
    const int sent = pdb()->GetStatementsSent();
    pdb()->FailNthStatement(0);
    const QStringList after = upgradeState();
    if (sent < n) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(after, migrated);
      break;
    }
    ASSERT_TRUE(after == before || after == migrated) << "statement " << n;
  }
}

KV_DB_KIND_TEST_SUITE(CKvMonthTableTest);

}  // namespace

namespace {

// A data file of the current stamp made without the month table gets it at
// its next login.
class KvMonthLoginTest : public KvDataFileDbTest {};

TEST_P(KvMonthLoginTest, AFileWithoutMonthsGetsThemAtLogin) {
  QTemporaryDir folder;
  const QString path = folder.path() + QStringLiteral("/2024.xxd");
  {
    CKvDb db(0);
    ASSERT_TRUE(m_app->CreateDataFile(&db, path, CKvDbInfo(0), 2024));
    ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
    ASSERT_TRUE(db.Execute(QStringLiteral("Drop Table ZRVMONTH")));
  }
  KvScriptedAnswers answers;
  KvDialogSteps steps({[&](QDialog* dialog) {
    if (auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("id_1001")))
      file->setText(path);
    dialog->accept();
    return dialog->result();
  }});
  ASSERT_TRUE(m_app->Login(path)) << answers.texts.join(u' ').toStdString();
  EXPECT_TRUE(m_app->GetDb()->TableExists(QStringLiteral("ZRVMONTH")));
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvMonthLoginTest, ::testing::Values(0), KvDbKindName);

}  // namespace
