// Accounting units: the tree lookups on an array in memory, the current
// unit and the HDO fragments, and on every back-end kind the unit table,
// loading units with their operator lists, and fragments that select the
// right rows even when codes hold quotes or wildcard characters.

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvDwRec.h"
#include "core/CKvCsRec.h"
#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

namespace {
CKvDwArray units(const QStringList& codes) {
  CKvDwArray result;
  for (const QString& code : codes) {
    CKvDwRec unit;
    unit.KNO = code;
    unit.NA = QStringLiteral("单位") + code;
    result.append(unit);
  }
  return result;
}

QStringList codes(const CKvDwArray& array) {
  QStringList result;
  for (const CKvDwRec& unit : array)
    result.append(unit.KNO);
  return result;
}

const QStringList kTree = {"01", "0101", "010101", "0102", "02"};

// The application's units for the duration of a test.
class AppUnits {
 public:
  explicit AppUnits(const CKvDwArray& array) { KvGetDwArray() = array; }
  ~AppUnits() {
    KvGetDwArray().clear();
    KvGetCurrentDw().Clear();
    KvGetSavedDw().Clear();
  }
};
}  // namespace

TEST(CKvDwRecFind, WalksTheTreeInEachMode) {
  const CKvDwArray tree = units(kTree);
  CKvDwRec rec;
  CKvDwArray found;
  const auto find = [&](const QString& code, int mode) {
    const int count = rec.KvFindDw(code, mode, &found, &tree);
    EXPECT_EQ(count, found.size());
    return codes(found);
  };
  EXPECT_EQ(find("0101", 0), QStringList{"0101"});
  EXPECT_EQ(rec.NA, QStringLiteral("单位0101"));
  EXPECT_EQ(find("01", 1), (QStringList{"01", "0101", "010101", "0102"}));
  EXPECT_EQ(rec.KNO, QStringLiteral("01"));
  EXPECT_EQ(find("01", 2), (QStringList{"0101", "0102"}));
  EXPECT_TRUE(rec.KNO.isEmpty());
  EXPECT_EQ(find("01", 3), (QStringList{"0101", "010101", "0102"}));
  EXPECT_EQ(find("01", 7), (QStringList{"0101", "010101", "0102"}));
  EXPECT_EQ(find("01", 4), (QStringList{"010101", "0102"}));
  EXPECT_EQ(find("0102", 4), QStringList{});
  EXPECT_EQ(find("", 0), QStringList{});
  EXPECT_EQ(find("", 1), kTree);
  EXPECT_EQ(find("", 2), (QStringList{"01", "02"}));
  EXPECT_EQ(find("", 4), (QStringList{"010101", "0102", "02"}));
  EXPECT_EQ(find("03", 0), QStringList{});
  EXPECT_EQ(rec.KvFindDw("01", 3, nullptr, &tree), 3);

  rec.KvFindDwEx("010101", &found, &tree);
  EXPECT_EQ(codes(found), (QStringList{"01", "0101"}));
  EXPECT_EQ(rec.KNO, QStringLiteral("0101"));
  rec.KvFindDwEx("01", &found, &tree);
  EXPECT_TRUE(found.isEmpty());
  EXPECT_TRUE(rec.KNO.isEmpty());

  EXPECT_EQ(rec.KvLastChildDw("01", &tree), QStringLiteral("0102"));
  EXPECT_EQ(rec.KvLastChildDw("02", &tree), QStringLiteral("02"));
}

TEST(CKvDwRecFind, UsesTheApplicationsUnitsAndCurrentUnit) {
  AppUnits app(units(kTree));
  CKvDwRec rec;
  EXPECT_EQ(rec.KvMaxDwFieldLen("01", 0), 6);
  EXPECT_EQ(rec.KvMaxDwFieldLen("01", 1), 10);
  EXPECT_EQ(rec.KvMaxDwFieldLen("0399", 0), 4);
  EXPECT_EQ(rec.KvFindDw("", 4), 3);

  KvSetCurrentDw(QStringLiteral("0101"));
  EXPECT_EQ(KvGetCurrentDw().NA, QStringLiteral("单位0101"));
  KvSetCurrentDw(QStringLiteral("02"), true);
  EXPECT_EQ(KvGetCurrentDw().KNO, QStringLiteral("02"));
  EXPECT_EQ(KvGetSavedDw().KNO, QStringLiteral("0101"));
  KvSetCurrentDw(QStringLiteral("09"));
  EXPECT_TRUE(KvGetCurrentDw().KNO.isEmpty());
}

TEST(CKvDwRecFilter, BuildsTheHdoFragments) {
  AppUnits app(units(kTree));
  CKvDb file(0);
  EXPECT_EQ(KvHdoUnitFilter(1, nullptr, &file), QStringLiteral(" Where HDO=''"));
  KvSetCurrentDw(QStringLiteral("0101"));
  EXPECT_EQ(KvHdoUnitFilter(1, nullptr, &file), QStringLiteral(" Where (HDO='' Or HDO='0101')"));
  EXPECT_EQ(KvHdoExactFilter(2, nullptr, &file), QStringLiteral(" And HDO='0101'"));
  CKvDwRec quoted;
  quoted.KNO = QStringLiteral("0'1");
  EXPECT_EQ(KvHdoUnitFilter(0, &quoted, &file), QStringLiteral("(HDO='' Or HDO='0''1')"));

  EXPECT_EQ(KvHdoInFilter(2, false, QStringLiteral("01;02"), &file),
            QStringLiteral(" And (HDO Like '01\x07*\x08' Or HDO Like '02\x07*\x08')"));
  EXPECT_EQ(KvHdoInFilter(2, true, QString(), &file), QString());
  EXPECT_EQ(KvHdoInFilter(2, false, QString(), &file), QStringLiteral(" And (HDO='')"));
  // An empty entry would match every unit's rows.
  EXPECT_EQ(KvHdoInFilter(0, false, QStringLiteral(";01;"), &file),
            QStringLiteral("(HDO Like '01\x07*\x08')"));
}

// --- On each back-end kind ---

class CKvDwRecDb : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_EQ(CKvCsRec(&db()).CreateTable(), 2);
    ASSERT_TRUE(KvCreateDwTable(&db()));
  }

  void addUnit(const QString& code, const QString& name, const QString& note = QString()) {
    ASSERT_TRUE(
        db().Execute(QStringLiteral("Insert Into KVDW(KNO,NA,JA,NT) Values('%1','%2','j','%3')")
                         .arg(db().QuoteText(code), db().QuoteText(name), db().QuoteText(note))));
  }
  void addViewer(const QString& code, const QString& opno) {
    CKvCsRec row(&db());
    row.Set(4000, 1, code, opno);
    ASSERT_TRUE(row.Insert());
  }
};

TEST_P(CKvDwRecDb, LoadsUnitsInCodeOrderWithTheirOperators) {
  addUnit("02", "乙");
  addUnit("0101", "O'Brien 分校", "备注'x");
  addUnit("01", "甲");
  addViewer("0101", "103");
  addViewer("0101", "102");
  addViewer("01010", "104");  // another code that merely begins alike
  addViewer("02", "105");
  CKvCsRec other(&db());
  other.Set(4000, 2, "0101", "109");
  ASSERT_TRUE(other.Insert());

  CKvDwRec rec;
  CKvDwArray array;
  ASSERT_EQ(rec.KvSelectDw(QString(), QString(), &array, &db()), 3);
  EXPECT_EQ(codes(array), (QStringList{"01", "0101", "02"}));
  EXPECT_EQ(rec.KNO, QStringLiteral("01"));
  EXPECT_EQ(array[0].Operators, QString());
  EXPECT_EQ(array[1].Operators, QStringLiteral("102;103"));
  EXPECT_EQ(array[1].NA, QStringLiteral("O'Brien 分校"));
  EXPECT_EQ(array[1].NT, QStringLiteral("备注'x"));
  EXPECT_EQ(array[1].JA, QStringLiteral("j"));
  EXPECT_EQ(array[2].Operators, QStringLiteral("105"));

  EXPECT_EQ(rec.KvLoadDw(QStringLiteral("0101"), &db()), 1);
  EXPECT_EQ(rec.Operators, QStringLiteral("102;103"));
  EXPECT_EQ(rec.KvLoadDw(QStringLiteral("0'1"), &db()), 0);
  EXPECT_TRUE(rec.KNO.isEmpty());
  EXPECT_EQ(rec.KvCountDw(QStringLiteral("01"), &array, &db()), 2);
  EXPECT_EQ(codes(array), (QStringList{"01", "0101"}));
}

TEST_P(CKvDwRecDb, LikePatternsMatchCodesLiterally) {
  for (const char* code : {"0_", "0_1", "01", "0%", "0[", "0*"})
    addUnit(QString::fromLatin1(code), "x");
  CKvDwRec rec;
  CKvDwArray array;
  EXPECT_EQ(rec.KvCountDw(QStringLiteral("0_"), &array, &db()), 2);
  EXPECT_EQ(codes(array), (QStringList{"0_", "0_1"}));
  EXPECT_EQ(rec.KvCountDw(QStringLiteral("0%"), &array, &db()), 1);
  EXPECT_EQ(rec.KvCountDw(QStringLiteral("0["), &array, &db()), 1);
  EXPECT_EQ(rec.KvCountDw(QStringLiteral("0*"), &array, &db()), 1);

  // The fragments select the rows they say on this kind.
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(HDO Char(14),V Long)")));
  for (const char* hdo : {"", "", "0_", "0_1", "01", "0'1"})
    ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(HDO,V) Values('%1',1)")
                                 .arg(db().QuoteText(QString::fromLatin1(hdo)))));
  const auto count = [this](const QString& where) {
    return db().GetLong(QStringLiteral("Select Count(*) From T") + where);
  };
  EXPECT_EQ(count(KvHdoInFilter(1, false, QStringLiteral("0_"), &db())), 2);
  EXPECT_EQ(count(KvHdoInFilter(1, false, QStringLiteral("0_;01"), &db())), 3);
  EXPECT_EQ(count(KvHdoInFilter(1, false, QString(), &db())), 2);
  CKvDwRec quoted;
  quoted.KNO = QStringLiteral("0'1");
  EXPECT_EQ(count(KvHdoUnitFilter(1, &quoted, &db())), 3);
  EXPECT_EQ(count(KvHdoExactFilter(1, &quoted, &db())), 1);
}

namespace {
// A module whose table T keeps a unit code in HDO.
class UnitColumnModule : public CKvDataType {
 public:
  void GetCodeReferences(const QString& kind, KvCodeRefs& refs) override {
    if (kind == QStringLiteral("KVDW"))
      refs.Add(QStringLiteral("T"), QStringLiteral("HDO"), QStringLiteral("1测试"));
  }
};
}  // namespace

TEST_P(CKvDwRecDb, GivesOlderUnitColumnsTheCodeWidth) {
  CKvApp app;
  app.AddDataType(new UnitColumnModule);
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table KVDW")));
  ASSERT_TRUE(db().Execute(QStringLiteral("CREATE TABLE KVDW(KNO CHAR(10),NA CHAR(60),JA CHAR(20),"
                                          "MAR CHAR(12),MGR CHAR(12),TEL CHAR(25),ADR CHAR(255),"
                                          "NT CHAR(255))")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(HDO Char(10),V Long)")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(HDO,V) Values('0101',1)")));
  addUnit("0101", "甲");
  ASSERT_TRUE(KvCreateDwTable(&db()));
  int width = 0;
  ASSERT_TRUE(db().GetColumnWidth(QStringLiteral("KVDW"), QStringLiteral("KNO"), &width));
  EXPECT_EQ(width, 14);
  ASSERT_TRUE(db().GetColumnWidth(QStringLiteral("T"), QStringLiteral("HDO"), &width));
  EXPECT_EQ(width, 14);
  addUnit("01234567890123", "乙");
  CKvDwRec rec;
  CKvDwArray array;
  EXPECT_EQ(rec.KvSelectDw(QString(), QString(), &array, &db()), 2);
  QStringList kept;
  ASSERT_EQ(db().QueryTexts(QStringLiteral("Select rtrim(HDO) From T"), &kept, 1), 1);
  EXPECT_EQ(kept.value(0), QStringLiteral("0101"));
  // A second pass finds nothing to do.
  KvMessageRecorder recorder;
  EXPECT_TRUE(KvCreateDwTable(&db()));
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_P(CKvDwRecDb, AFailedSelectIsNoEmptyUnitSet) {
  addUnit("01", "甲");
  addViewer("01", "102");
  KvMessageRecorder recorder;
  CKvDwRec rec;
  CKvDwArray array = units({"09"});
  // Without the visibility rows every unit would look open to everybody.
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table SysCsTab")));
  EXPECT_EQ(rec.KvSelectDw(QString(), QString(), &array, &db()), 0);
  EXPECT_TRUE(array.isEmpty());
  EXPECT_TRUE(rec.KNO.isEmpty());
  EXPECT_EQ(recorder.messages().size(), 1);

  ASSERT_EQ(CKvCsRec(&db()).CreateTable(), 2);
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table KVDW")));
  array = units({"09"});
  EXPECT_EQ(rec.KvSelectDw(QString(), QString(), &array, &db()), 0);
  EXPECT_TRUE(array.isEmpty());
  EXPECT_EQ(recorder.messages().size(), 2);
}

KV_DB_KIND_TEST_SUITE(CKvDwRecDb);
