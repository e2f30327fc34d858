// Import of a unit's data from another data file, and the backup before a
// risky operation on another data file. Import: the source unit and its
// sub-units take the target unit's code, with their rows and operators;
// the source dialog refuses files that do not fit; a refused statement or a
// refusing module leaves the target as it was. On data files only: the
// backup before the import copies the file aside.

#include "KvDataFileTestSupport.h"

#include "app/CKvApp.h"
#include "app/CKvDwRec.h"
#include "app/KvBackup.h"
#include "app/KvDwRight.h"
#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"
#include "datafile/CKvDwImportDlg.h"
#include "datafile/KvDwImport.h"
#include "ui/KvObjectNames.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QString kImportNote = QStringLiteral("导入单位03的数据，操作员201的可访问单位移至其新单位");

// The connection's statement-failure seam armed at statement n, now and
// again each time the wait window shows: the import shows it right after
// it reopens its file for exclusive use and is rid of it before it shares
// the file again, and each reopen drops the seam. Sent() is what the seam
// counted up to the window's end.
class SeamAcrossReopens : public QObject {
 public:
  SeamAcrossReopens(CKvDb* pDb, int n) : m_pDb(pDb), m_n(n) {
    pDb->FailNthStatement(n);
    qApp->installEventFilter(this);
  }
  ~SeamAcrossReopens() override { m_pDb->FailNthStatement(0); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->objectName() == KvDialogObjectName(802)) {
      m_pDb->FailNthStatement(m_n);
      ++shows;
      connect(watched, &QObject::destroyed, this, [this] { m_sent = m_pDb->GetStatementsSent(); });
    }
    return false;
  }
  int Sent() const { return shows > 0 ? m_sent : m_pDb->GetStatementsSent(); }
  int shows = 0;

 private:
  CKvDb* m_pDb;
  int m_n;
  int m_sent = 0;
};

class KvDwImportTest : public KvDataFileDbTest {
 protected:
  void SetUp() override {
    KvDataFileDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    m_source = m_folder.path() + QStringLiteral("/2024.xxd");
    CKvDb db(0);
    ASSERT_TRUE(m_app->CreateDataFile(&db, m_source, CKvDbInfo(0), 2024));
    ASSERT_TRUE(db.Open(m_source, CKvDbInfo(0)));
    for (const QString& code : {QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("0102")})
      ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into KVDW(KNO,NA,JA,MAR,MGR,TEL,ADR,NT) "
                                            "Values('%1','源%1','源%1','','','','','')").arg(code)));
    for (const auto& [hdo, v] : QList<std::pair<QString, int>>{{"0101", 11}, {"0102", 12}, {"02", 13}})
      ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into TDW(HDO,V) Values('%1',%2)").arg(hdo).arg(v)));
    ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into OPR(OPNO,NA,PSD) Values('205','新人','')")));
    db.Close();
    AddUnit(QStringLiteral("03"), QStringLiteral("三校"));
    AddUnit(QStringLiteral("04"), QStringLiteral("四校"));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into TDW(HDO,V) Values('03',1)")));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into TDW(HDO,V) Values('04',2)")));
    // Operator 201 is kept to the target, 202 to another unit.
    ASSERT_TRUE(KvSetDwOperators(pdb(), QStringLiteral("03"), QStringLiteral("201"), QString()));
    ASSERT_TRUE(KvSetDwOperators(pdb(), QStringLiteral("04"), QStringLiteral("202"), QString()));
  }
  void TearDown() override {
    // The copies the backup made beside the data file.
    for (const QString& text : m_copies)
      QFile::remove(text.section(u'＜', 1).section(u'＞', 0, 0));
    KvDataFileDbTest::TearDown();
  }
  void KeepCopies(const KvScriptedAnswers& answers) {
    for (const QString& text : answers.texts)
      if (text.contains(u'＜'))
        m_copies.append(text);
  }
  QStringList State() {
    return Units() + Rows(QStringLiteral("TDW"), QStringLiteral("rtrim(HDO),V")) +
           Rows(QStringLiteral("OPR"), QStringLiteral("rtrim(OPNO)")) +
           Rows(QStringLiteral("SysCsTab"), QStringLiteral("rtrim(CsNa),rtrim(CsVal)"), QStringLiteral("Where Cs=4000"));
  }
  bool Import() {
    KvScriptedAnswers answers;
    const bool done = KvImportDwFrom(QStringLiteral("03"), pdb(), m_source, QStringLiteral("30"), QStringLiteral("01"));
    KeepCopies(answers);
    m_texts = answers.texts;
    return done;
  }

  QTemporaryDir m_folder;
  QString m_source;
  QStringList m_copies;
  QStringList m_texts;
};

TEST_P(KvDwImportTest, TheSourceUnitTakesTheTargetsPlace) {
  ASSERT_TRUE(Import());
  EXPECT_EQ(Units(), (QStringList{"0301|源0101", "0302|源0102", "03|源01", "04|四校"}));
  EXPECT_EQ(Rows(QStringLiteral("TDW"), QStringLiteral("rtrim(HDO),V")), (QStringList{"0301|11", "0302|12", "04|2"}));
  EXPECT_TRUE(Rows(QStringLiteral("OPR"), QStringLiteral("rtrim(OPNO)")).contains(QStringLiteral("205")));
  EXPECT_EQ(m_texts.last(), QStringLiteral("数据导入完毕！"));
  EXPECT_EQ(LogNotes(27), QStringList{kImportNote});
  // Each operator still sees only his own units: 201 the new ones of 03, 202 04.
  for (const char* op : {"201", "202"})
    for (const char* unit : {"03", "04"})
      EXPECT_EQ(CKvDwRec().KvCheckDwRight(pdb(), unit, op), int((op[2] == '1') == (unit[1] == '3'))) << op << unit;
}

// Refused by a module, or on a server by a workstation logging in meanwhile.
TEST_P(KvDwImportTest, ARefusalLeavesTheTargetAsItWas) {
  const QStringList before = State();
  CKvDb other(kind());
  for (const bool logIn : {false, kind() != 0}) {
    App()->module->refuseImport = logIn ? 0 : 9;
    App()->module->duringImport = [&] {
      if (logIn && testDb().OpenAnother(other))
        other.Execute(QStringLiteral("SET application_name = 'kv|1|另一工作站'"));
    };
    EXPECT_FALSE(Import());
    EXPECT_TRUE(m_texts.contains(logIn ? QStringLiteral("导入期间别的工作站登录了目标数据文件，导入已取消，数据未被改动！")
                                       : QStringLiteral("“测试”模块导入失败：测试拒绝")));
    EXPECT_EQ(State(), before);
  }
  App()->module->refuseImport = 0;
  App()->module->duringImport = {};
  // Statement by statement on a data file only: each run copies a server's.
  if (kind() != 0)
    return;
  bool failedInTransaction = false;
  for (int n = 1;; ++n) {
    SeamAcrossReopens seam(pdb(), n);
    const bool done = Import();
    if (seam.Sent() < n) {
      EXPECT_TRUE(done);
      break;
    }
    ASSERT_FALSE(done) << n;
    ASSERT_EQ(State(), before) << "statement " << n;
    failedInTransaction = failedInTransaction || seam.shows > 0;
  }
  EXPECT_TRUE(failedInTransaction);
  EXPECT_EQ(LogNotes(27), QStringList{kImportNote});
}

// A file without units gives the target unit its names from SysTab: when
// they cannot be read the import stops before it writes anything.
TEST_P(KvDwImportTest, UnreadableNamesStopTheImportOfAFileWithoutUnits) {
  {
    CKvDb db(0);
    ASSERT_TRUE(db.Open(m_source, CKvDbInfo(0)));
    ASSERT_TRUE(db.Execute(QStringLiteral("Delete From KVDW")));
    ASSERT_TRUE(db.Execute(QStringLiteral("Drop Table SysTab")));
  }
  const QStringList before = State();
  KvScriptedAnswers answers({KV_IDYES});
  EXPECT_FALSE(KvImportDwFrom(QStringLiteral("03"), pdb(), m_source, QStringLiteral("30"), QString()));
  KeepCopies(answers);
  EXPECT_EQ(State(), before);
  EXPECT_TRUE(LogNotes(27).isEmpty());
}

TEST_P(KvDwImportTest, TheSourceDialogRefusesFilesThatDoNotFit) {
  CKvDwImportDlg dialog(pdb());
  dialog.show();
  KvGrabWindow(&dialog, QStringLiteral("dlg_dw_import"));
  QList<QCheckBox*> boxes = dialog.findChildren<QCheckBox*>();
  struct Case {
    QString path, update, refusal;
    bool tick;
  };
  const QList<Case> cases = {
      {m_source, {}, QStringLiteral("未选择数据模块！"), false},
      {pdb()->GetDatabaseName(true), {}, QStringLiteral("源、目标数据文件相同！"), true},
      {m_source, QStringLiteral("Update SysTab Set PY=2023"), QStringLiteral("该数据文件与目标数据文件年度不一致！"), true},
      {m_source, QStringLiteral("Update SysTab Set PY=2024,MM=3"), QStringLiteral("该数据文件与目标数据文件月结不一致！"), true},
      {m_source, QStringLiteral("Update SysTab Set MM=0"), {}, true},
  };
  for (const Case& c : cases) {
    if (kind() != 0 && c.path == pdb()->GetDatabaseName(true))
      continue;  // a database on a server is no source file at all
    if (!c.update.isEmpty()) {
      CKvDb db(0);
      ASSERT_TRUE(db.Open(m_source, CKvDbInfo(0)));
      ASSERT_TRUE(db.Execute(c.update));
    }
    for (QCheckBox* box : boxes)
      box->setChecked(c.tick && box->text() == u"测试");
    KvScriptedAnswers answers;
    KvDialogSteps steps;  // the unit chooser: cancelled
    const bool fits = dialog.CheckSource(c.path);
    EXPECT_EQ(answers.Stops(), c.refusal.isEmpty() ? QStringList() : QStringList{c.refusal}) << c.path.toStdString();
    // A file with units asks for the source unit; cancelling keeps the dialog.
    EXPECT_FALSE(fits);
    if (c.refusal.isEmpty()) {
      EXPECT_EQ(steps.names.size(), 1);
    }
  }
}

KV_DB_KIND_TEST_SUITE(KvDwImportTest);

}  // namespace

namespace {

// The backup before a risky operation on another year's file copies that
// file and names its archive with that file's entity name and year.
class KvRiskyBackupTest : public KvDataFileDbTest {};

TEST_P(KvRiskyBackupTest, AnotherFilesArchiveBearsItsOwnNameAndYear) {
  QTemporaryDir folder;
  const QString path = folder.path() + QStringLiteral("/2023.xxd");
  CKvDb other(0);
  ASSERT_TRUE(m_app->CreateDataFile(&other, path, CKvDbInfo(0), 2023));
  ASSERT_TRUE(other.Open(path, CKvDbInfo(0)));
  ASSERT_TRUE(other.Execute(QStringLiteral("Update SysTab Set NA='旧校'")));
  QStringList archives;
  KvSetBackupArchiveWriter([&](CKvDb* db, const QString& archive, QString*) {
    archives.append(QFileInfo(archive).fileName());
    return db == &other;
  });
  KvScriptedAnswers answers;
  EXPECT_TRUE(KvBackupBeforeRiskyOp(&other));
  KvSetBackupArchiveWriter({});
  ASSERT_EQ(archives.size(), 1);
  EXPECT_TRUE(archives.first().startsWith(QStringLiteral("旧校"))) << archives.first().toStdString();
  EXPECT_TRUE(archives.first().endsWith(QStringLiteral("_2023_xxd.bak"))) << archives.first().toStdString();
  ASSERT_FALSE(answers.texts.isEmpty());
  const QString copy = answers.texts.first().section(u'＜', 1).section(u'＞', 0, 0);
  EXPECT_TRUE(copy.contains(QStringLiteral("2023"))) << copy.toStdString();
  QFile::remove(copy);
  EXPECT_TRUE(other.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvRiskyBackupTest, ::testing::Values(0), KvDbKindName);

}  // namespace
