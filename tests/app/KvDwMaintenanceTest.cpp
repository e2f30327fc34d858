// Changes of the unit tree on every back-end kind: adding, renaming and
// deleting units and changing a level's code length keep KVDW, the
// visibility rows and the unit-bearing table TDATA together; every refusal
// leaves all three as they were.

#include "KvShellDbTest.h"
#include "app/KvBackup.h"
#include "app/KvDwMaintenance.h"
#include "app/KvUserSettings.h"
#include "core/KvMessage.h"

#include <QDir>

namespace {

CKvDwRec unitOf(const QString& code, const QString& operators = QString()) {
  CKvDwRec unit;
  unit.KNO = code;
  unit.NA = QStringLiteral("单位") + code;
  unit.Operators = operators;
  return unit;
}

}  // namespace

class KvDwMaintenanceDb : public KvShellDbTest {
 protected:
  QStringList unitCodes() { return column(QStringLiteral("Select rtrim(KNO) From KVDW Order By KNO")); }
  QStringList dataCodes() {
    return column(QStringLiteral("Select rtrim(KNO) From TDATA Order By KNO,V"));
  }
  void addData(const QString& code, int value) {
    ASSERT_TRUE(appDb()->Execute(
        QStringLiteral("Insert Into TDATA(KNO,V) Values('%1',%2)").arg(code).arg(value)));
  }
};

TEST_P(KvDwMaintenanceDb, AddingAtTheLevelsLengthAsksNothing) {
  addUnits({"01", "0101", "0102", "02"});
  KvMessageRecorder recorder;
  CKvDwRec unit = unitOf(QStringLiteral("0103"), QStringLiteral("102"));
  ASSERT_TRUE(unit.KvAddDw(appDb()));
  EXPECT_TRUE(recorder.messages().isEmpty());
  EXPECT_EQ(unitCodes(), (QStringList{"01", "0101", "0102", "0103", "02"}));
  EXPECT_EQ(viewers(), QStringList{"0103:102"});

  // The same code again is refused and leaves one row.
  reloadUnits();
  EXPECT_FALSE(unit.KvAddDw(appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("0103：代码重复，插入记录失败！"));
  EXPECT_EQ(unitCodes().count(QStringLiteral("0103")), 1);
  EXPECT_EQ(viewers(), QStringList{"0103:102"});

  // A list naming the administrator or an unknown operator is refused.
  CKvDwRec admin = unitOf(QStringLiteral("0104"), QStringLiteral("101"));
  EXPECT_FALSE(admin.KvAddDw(appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("操作员不能是系统管理员！"));
  CKvDwRec unknown = unitOf(QStringLiteral("0104"), QStringLiteral("999"));
  EXPECT_FALSE(unknown.KvAddDw(appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("操作员：999不存在！"));
  EXPECT_FALSE(unitCodes().contains(QStringLiteral("0104")));

  CKvDwRec tooLong = unitOf(QStringLiteral("010101010101010"));
  EXPECT_FALSE(tooLong.KvAddDw(appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("代码超长！"));
}

TEST_P(KvDwMaintenanceDb, GrowingALevelRenamesItsDescendantsAndTheirRows) {
  addUnits({"01", "0101", "010101", "0102", "02"});
  addViewer(QStringLiteral("010101"), QStringLiteral("102"));
  addData(QStringLiteral("0102"), 1);

  // No: nothing changes.
  KvMessageRecorder recorder;
  recorder.script({KV_IDNO});
  CKvDwRec unit = unitOf(QStringLiteral("01003"));
  EXPECT_FALSE(unit.KvAddDw(appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("是否要将本级代码长度从2扩大至3？"));
  EXPECT_EQ(unitCodes(), (QStringList{"01", "0101", "010101", "0102", "02"}));

  recorder.script({KV_IDYES});
  ASSERT_TRUE(unit.KvAddDw(appDb()));
  EXPECT_EQ(unitCodes(), (QStringList{"01", "01001", "0100101", "01002", "01003", "02"}));
  EXPECT_EQ(viewers(), QStringList{"0100101:102"});
  EXPECT_EQ(dataCodes(), QStringList{"01002"});
  // The application's units were reloaded with the new codes.
  EXPECT_EQ(KvUnitCodes(KvGetDwArray()).mid(0, 3), (QStringList{"01", "01001", "0100101"}));
}

TEST_P(KvDwMaintenanceDb, ShrinkingALevelStopsAtTheDigitsItsCodesNeed) {
  addUnits({"01", "0107"});
  KvMessageRecorder recorder;
  recorder.script({KV_IDYES});
  CKvDwRec unit = unitOf(QStringLiteral("012"));
  ASSERT_TRUE(unit.KvAddDw(appDb()));
  EXPECT_EQ(recorder.messages().first().text, QStringLiteral("是否要将本级代码长度从2缩小至1？"));
  EXPECT_EQ(unitCodes(), (QStringList{"01", "012", "017"}));

  addUnit(QStringLiteral("02"));
  addUnit(QStringLiteral("0212"));
  reloadUnits();
  CKvDwRec narrow = unitOf(QStringLiteral("023"));
  EXPECT_FALSE(narrow.KvAddDw(appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("代码长度应在2～9之间！"));
  EXPECT_FALSE(unitCodes().contains(QStringLiteral("023")));
}

TEST_P(KvDwMaintenanceDb, TheFirstUnitTakesTheRowsAndItsDeletionGivesThemBack) {
  addData(QString(), 1);
  addData(QString(), 2);
  KvMessageRecorder recorder;
  CKvDwRec first = unitOf(QStringLiteral("01"));
  ASSERT_TRUE(first.KvAddDw(appDb()));
  EXPECT_EQ(dataCodes(), (QStringList{"01", "01"}));

  // A unit added below a leaf takes over its rows.
  reloadUnits();
  CKvDwRec child = unitOf(QStringLiteral("0101"));
  ASSERT_TRUE(child.KvAddDw(appDb()));
  EXPECT_EQ(dataCodes(), (QStringList{"0101", "0101"}));

  // The only child with data hands it back to its parent.
  reloadUnits();
  CKvDwRec onlyChild = unitOf(QStringLiteral("0101"));
  ASSERT_TRUE(onlyChild.KvDeleteDw(QStringLiteral("0101"), appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("此单位已有数据，它被删除后，由其父单位取代之！"));
  EXPECT_EQ(dataCodes(), (QStringList{"01", "01"}));

  reloadUnits();
  ASSERT_TRUE(first.KvDeleteDw(QStringLiteral("01"), appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("您已取消了集团核算模式！"));
  EXPECT_EQ(dataCodes(), (QStringList{"", ""}));
  EXPECT_TRUE(unitCodes().isEmpty());
}

TEST_P(KvDwMaintenanceDb, DeletingAUnitWithDescendantsAndDataAsksAndBacksUp) {
  addUnits({"01", "0101", "02"});
  addData(QStringLiteral("0101"), 1);
  addViewer(QStringLiteral("0101"), QStringLiteral("102"));
  addViewer(QStringLiteral("02"), QStringLiteral("102"));
  KvMessageRecorder recorder;
  recorder.script({KV_IDNO});
  CKvDwRec unit = unitOf(QStringLiteral("01"));
  EXPECT_FALSE(unit.KvDeleteDw(QStringLiteral("01"), appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("测试数据表\n若执意要删除，此单位所属所有数据一起被删除，还要删除吗？"));
  EXPECT_EQ(unitCodes(), (QStringList{"01", "0101", "02"}));
  EXPECT_EQ(dataCodes(), QStringList{"0101"});

  // Without a backup nothing is deleted.
  recorder.clear();
  recorder.script({KV_IDYES});
  EXPECT_FALSE(unit.KvDeleteDw(QStringLiteral("01"), appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("执行操作前备份数据失败！"));
  EXPECT_EQ(unitCodes(), (QStringList{"01", "0101", "02"}));

  QStringList archives;
  KvSetBackupArchiveWriter([&](CKvDb*, const QString& path, QString*) {
    archives.append(path);
    return true;
  });
  recorder.clear();
  recorder.script({KV_IDYES});
  EXPECT_TRUE(unit.KvDeleteDw(QStringLiteral("01"), appDb()));
  KvSetBackupArchiveWriter(nullptr);
  EXPECT_EQ(archives.size(), 1);
  EXPECT_EQ(unitCodes(), QStringList{"02"});
  EXPECT_TRUE(dataCodes().isEmpty());
  // The descendants' visibility rows go too.
  EXPECT_EQ(viewers(), QStringList{"02:102"});
  QDir(KvDefaultBackupFolder()).removeRecursively();
}

TEST_P(KvDwMaintenanceDb, ADeletionThatWouldFreeAnOperatorAsksFirst) {
  addUnits({"01", "02"});
  addViewer(QStringLiteral("02"), QStringLiteral("102"));
  KvMessageRecorder recorder;
  recorder.script({KV_IDNO});
  CKvDwRec unit = unitOf(QStringLiteral("02"));
  EXPECT_FALSE(unit.KvDeleteDw(QStringLiteral("02"), appDb()));
  EXPECT_EQ(recorder.last(),
            QStringLiteral("操作员102将不再受核算单位限制，可以访问全部核算单位，继续吗？"));
  EXPECT_EQ(unitCodes(), (QStringList{"01", "02"}));
  EXPECT_EQ(viewers(), QStringList{"02:102"});
  {
    // Rows another station stores under the unit while the question is
    // read: the delete decided without them reads again after 是 and refuses.
    CKvDb other(kind());
    ASSERT_TRUE(testDb().OpenAnother(other));
    QStringList texts;
    const KvMessageHandler previous = KvSetMessageHandler([&](const KvMessage& message) {
      texts.append(message.text);
      const bool question = message.buttons() == KV_MB_YESNO;
      return int(question && other.Execute(QStringLiteral("Insert Into TDATA(KNO,V) Values('02',5)")) ? KV_IDYES
                                                                                                      : KV_IDOK);
    });
    EXPECT_FALSE(unit.KvDeleteDw(QStringLiteral("02"), appDb()));
    KvSetMessageHandler(previous);
    EXPECT_EQ(texts.value(1), QStringLiteral("核算单位02或其数据已在其他工作站修改，本次删除未执行！"));
    EXPECT_EQ(unitCodes(), (QStringList{"01", "02"}));
    EXPECT_EQ(dataCodes(), QStringList{"02"});
    ASSERT_TRUE(appDb()->Execute(QStringLiteral("Delete From TDATA")));
  }

  recorder.script({KV_IDYES});
  EXPECT_TRUE(unit.KvDeleteDw(QStringLiteral("02"), appDb()));
  EXPECT_EQ(unitCodes(), QStringList{"01"});
  EXPECT_TRUE(viewers().isEmpty());

  // A unit added below the only unit he sees would free him as well.
  reloadUnits();
  addViewer(QStringLiteral("01"), QStringLiteral("102"));
  recorder.script({KV_IDNO});
  CKvDwRec child = unitOf(QStringLiteral("0101"));
  EXPECT_FALSE(child.KvAddDw(appDb()));
  EXPECT_EQ(unitCodes(), QStringList{"01"});
  EXPECT_EQ(viewers(), QStringList{"01:102"});

  // No lock is held while the question is open: another station's save goes
  // through. On a server that station came on meanwhile: 是 changes nothing,
  // and says why after the rollback.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  QStringList texts;
  bool saved = false;
  const KvMessageHandler previous = KvSetMessageHandler([&](const KvMessage& message) {
    texts.append(message.text);
    if (message.buttons() != KV_MB_YESNO)
      return int(KV_IDOK);
    saved = other.Execute(QStringLiteral("Update SysCsTab Set CsVal=CsVal Where Cs=4000"), QString(), 128, false) &&
            (kind() == 0 || other.Execute(QStringLiteral("SET application_name = 'kv|1|另一工作站'")));
    return int(KV_IDYES);
  });
  EXPECT_EQ(child.KvAddDw(appDb()), kind() == 0);
  KvSetMessageHandler(previous);
  EXPECT_TRUE(saved);
  if (kind() == 0)
    return;
  EXPECT_EQ(texts.value(1), QStringLiteral("操作期间别的工作站登录了当前数据文件，核算单位未被改动！"));
  EXPECT_EQ(unitCodes(), QStringList{"01"});
  EXPECT_EQ(viewers(), QStringList{"01:102"});
}

TEST_P(KvDwMaintenanceDb, RenamingCarriesTheDescendantsRowsAndData) {
  addUnits({"01", "0101", "010101", "02"});
  addViewer(QStringLiteral("01"), QStringLiteral("103"));
  addViewer(QStringLiteral("010101"), QStringLiteral("102"));
  addOperator(QStringLiteral("103"));
  addData(QStringLiteral("010101"), 1);
  addData(QStringLiteral("02"), 2);
  KvMessageRecorder recorder;
  CKvDwRec unit = unitOf(QStringLiteral("03"), QStringLiteral("103"));
  ASSERT_TRUE(unit.KvModifyDw(QStringLiteral("01"), appDb()));
  EXPECT_TRUE(recorder.messages().isEmpty());
  EXPECT_EQ(unitCodes(), (QStringList{"02", "03", "0301", "030101"}));
  EXPECT_EQ(viewers(), (QStringList{"03:103", "030101:102"}));
  EXPECT_EQ(dataCodes(), (QStringList{"02", "030101"}));

  // A new code below the old one is refused.
  reloadUnits();
  CKvDwRec under = unitOf(QStringLiteral("0301"));
  under.KNO = QStringLiteral("030199");
  EXPECT_FALSE(under.KvModifyDw(QStringLiteral("0301"), appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("0301～030199：新代码不能以原代码开头！"));
  EXPECT_EQ(unitCodes(), (QStringList{"02", "03", "0301", "030101"}));

  // A code taken by another unit is refused with every row kept.
  CKvDwRec taken = unitOf(QStringLiteral("02"));
  EXPECT_FALSE(taken.KvModifyDw(QStringLiteral("03"), appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("03～02：代码重复，修改失败！"));
  EXPECT_EQ(unitCodes(), (QStringList{"02", "03", "0301", "030101"}));
  EXPECT_EQ(viewers(), (QStringList{"03:103", "030101:102"}));
}

TEST_P(KvDwMaintenanceDb, ACodeThatWouldPushADescendantPastFourteenIsTooLong) {
  addUnits({"0101010101", "01010101010101"});
  KvMessageRecorder recorder;
  CKvDwRec unit = unitOf(QStringLiteral("01010101019"));
  EXPECT_FALSE(unit.KvModifyDw(QStringLiteral("0101010101"), appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("代码超长！"));
}

TEST_P(KvDwMaintenanceDb, StockAccountsStopGroupAccountingAndAMissingTableDoesNot) {
  KvMessageRecorder recorder;
  CKvDwRec unit = unitOf(QStringLiteral("01"));
  ASSERT_TRUE(unit.KvAddDw(appDb()));
  EXPECT_TRUE(recorder.messages().isEmpty());

  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Create Table CH(A Long)")));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into CH(A) Values(1)")));
  reloadUnits();
  CKvDwRec second = unitOf(QStringLiteral("02"));
  EXPECT_FALSE(second.KvAddDw(appDb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("已设置了存货科目，不能再设置集团核算模式！"));
  EXPECT_EQ(unitCodes(), QStringList{"01"});
}

TEST_P(KvDwMaintenanceDb, ExtractingAUnitKeepsItsRowsAsTheCommonOnes) {
  addUnits({"01", "02"});
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Create Table THDO(HDO Char(14),V Long)")));
  const std::pair<const char*, int> rows[] = {{"", 1}, {"01", 2}, {"02", 3}};
  for (const auto& [code, value] : rows)
    ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into THDO(HDO,V) Values('%1',%2)")
                                     .arg(QString::fromLatin1(code))
                                     .arg(value)));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Update KVDW Set MGR='主管',MAR='负责' Where KNO='01'")));

  // The target is a copy of the file's structure without its rows.
  KvTestDb target(kind());
  KV_CREATE_TEST_DB(target);
  ASSERT_TRUE(m_app.CreateAllTables(&target.db()));
  ASSERT_TRUE(target.db().Execute(QStringLiteral("Create Table THDO(HDO Char(14),V Long)")));
  ASSERT_TRUE(KvExtractDwData(QStringLiteral("01"), appDb(), &target.db()));
  QStringList values;
  target.db().QueryTexts(QStringLiteral("Select rtrim(HDO)||':'||V From THDO Order By V"), &values, 1);
  EXPECT_EQ(values, QStringList{":2"});
  QStringList names[3];
  target.db().QueryTexts(QStringLiteral("Select rtrim(NA),rtrim(KJ),rtrim(T1) From SYSTAB"), names, 3);
  EXPECT_EQ(names[0], QStringList{"单位01"});
  EXPECT_EQ(names[1], QStringList{"主管"});
  EXPECT_EQ(names[2], QStringList{"负责"});
  // KVDW is not copied.
  QStringList units;
  target.db().QueryTexts(QStringLiteral("Select KNO From KVDW"), &units, 1);
  EXPECT_TRUE(units.isEmpty());
}

KV_DB_KIND_TEST_SUITE(KvDwMaintenanceDb);
