// The ways a login goes: a bad data file on the command line, Cancel at
// start and when logging in again, logging in again as another operator, a
// data file that can no longer be reopened, a wrong password, an operator
// the settings name but the file does not know, and a data file of another
// version that is upgraded (and upgraded again when that failed).

#include "KvStartUpTestSupport.h"
#include "app/CKvDwRec.h"
#include "app/KvOperatorStore.h"
#include "core/CKvCsRec.h"
#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "support/KvTestEnv.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"

#include <QFile>

namespace {

QStringList column(CKvDb& db, const QString& sql) {
  QStringList values;
  db.QueryTexts(sql, &values, 1);
  return values;
}

// Records the exit codes the program is asked to end with.
class QuitRecorder {
 public:
  QuitRecorder() : m_previous(KvSetQuitHandler([this](int code) { codes << code; })) {}
  ~QuitRecorder() { KvSetQuitHandler(std::move(m_previous)); }
  QList<int> codes;

 private:
  KvQuitFn m_previous;
};

}  // namespace

class KvLoginPathsTest : public KvStartUpTest {
 protected:
  // A data file of the year in the test's folder, made as the login dialog
  // makes one.
  QString makeDataFile(int nYear) {
    const QString path = QStringLiteral("%1/%2.xxd").arg(KvTestHome()).arg(nYear);
    QFile::remove(path);
    CKvDb db(0);
    m_app.InitInstance();
    EXPECT_TRUE(m_app.CreateDataFile(&db, path, CKvDbInfo(0), nYear));
    return path;
  }
  // The log entries' codes in the order written.
  QStringList logCodes() {
    CKvDb db(0);
    EXPECT_TRUE(db.Open(m_app.GetDataFile().GetFileName(), CKvDbInfo(0)));
    return column(db, QStringLiteral("Select nTaskID From KvLog Order By rowid"));
  }
};

TEST_F(KvLoginPathsTest, ABadFileOnTheCommandLineEndsTheStartAndSaysWhy) {
  KvMessageRecorder recorder;
  // Another extension is not a data file of the program at all: no word.
  const QString wrongType = KvTestHome() + QStringLiteral("/2024.mdb");
  QFile(wrongType).open(QIODevice::WriteOnly);
  EXPECT_FALSE(m_app.StartUp({QStringLiteral("kvqy"), wrongType}));
  EXPECT_FALSE(m_app.StartUp({QStringLiteral("kvqy"), makeDataFile(2024), QStringLiteral("x")}));
  EXPECT_TRUE(recorder.messages().isEmpty());
  // A data file that cannot be opened is named with the reason.
  EXPECT_FALSE(m_app.StartUp({QStringLiteral("kvqy"), KvTestHome() + QStringLiteral("/1999")}));
  EXPECT_EQ(recorder.messages().size(), 1);
  EXPECT_TRUE(m_answers.seen.isEmpty());
  EXPECT_EQ(frame(), nullptr);
  EXPECT_EQ(m_app.GetExitCode(), 1);
}

TEST_F(KvLoginPathsTest, CancelAtStartEndsIt) {
  m_answers.login = [](CKvLoginDlg&) { return false; };
  EXPECT_FALSE(m_app.StartUp({QStringLiteral("kvqy"), makeDataFile(2024)}));
  EXPECT_EQ(m_answers.seen, QStringList{QStringLiteral("dlg_815")});
  EXPECT_EQ(frame(), nullptr);
  EXPECT_FALSE(m_app.GetDb()->IsOpen());
}

TEST_F(KvLoginPathsTest, LoggingInAgainKeepsOrChangesTheOperator) {
  ASSERT_TRUE(m_app.StartUp({QStringLiteral("kvqy"), makeDataFile(2024)}));
  CKvCommandRouter* router = CKvCommandRouter::Instance();
  EXPECT_TRUE(router->IsEnabled(KV_CMD_OPERATORS));

  // Cancel keeps the data file and the operator; the period ends and a new
  // one begins.
  m_answers.login = [](CKvLoginDlg&) { return false; };
  ASSERT_TRUE(router->Execute(KV_CMD_LOGIN));
  EXPECT_TRUE(m_app.GetDb()->IsOpen());
  EXPECT_EQ(m_app.GetDataFile().GetOperatorCode(), QStringLiteral("101"));

  // OK with operator 102: the administrator's commands go.
  m_answers.login = [](CKvLoginDlg& dialog) {
    auto* ops = KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdOperator);
    ops->setCurrentIndex(ops->findData(QStringLiteral("102")));
    return true;
  };
  ASSERT_TRUE(router->Execute(KV_CMD_LOGIN));
  EXPECT_EQ(m_app.GetDataFile().GetOperatorCode(), QStringLiteral("102"));
  EXPECT_FALSE(router->IsEnabled(KV_CMD_OPERATORS));
  KvRequestQuit(0);
  EXPECT_EQ(logCodes(), QStringList({QStringLiteral("0"), QStringLiteral("1"),
                                     QStringLiteral("0"), QStringLiteral("1"),
                                     QStringLiteral("0"), QStringLiteral("1")}));
}

TEST_F(KvLoginPathsTest, ADataFileLostWhileLoggingInAgainEndsTheProgram) {
  const QString path = makeDataFile(2024);
  ASSERT_TRUE(m_app.StartUp({QStringLiteral("kvqy"), path}));
  ASSERT_TRUE(QFile::rename(path, path + QStringLiteral(".moved")));
  KvMessageRecorder recorder;
  QuitRecorder quit;
  m_answers.login = [](CKvLoginDlg&) { return false; };
  EXPECT_TRUE(CKvCommandRouter::Instance()->Execute(KV_CMD_LOGIN));
  EXPECT_EQ(quit.codes, QList<int>{1});
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_TRUE(recorder.last().startsWith(QStringLiteral("不能再打开数据文件：\n")));
  EXPECT_FALSE(m_app.GetDb()->IsOpen());
}

TEST_F(KvLoginPathsTest, AWrongPasswordKeepsTheDialogOpen) {
  const QString path = makeDataFile(2024);
  {
    CKvDb db(0);
    ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
    ASSERT_TRUE(KvOperatorStore::SetPassword(&db, QStringLiteral("101"), QStringLiteral("Abc")));
  }
  KvMessageRecorder recorder;
  int tries = 0;
  m_answers.login = [&](CKvLoginDlg& dialog) {
    auto* password = KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdPassword);
    password->setText(QStringLiteral("abc"));
    KvDlgItem<QPushButton>(&dialog, KV_IDOK)->click();
    ++tries;
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(recorder.last(), QStringLiteral("口令不正确，请重新录入！"));
    password->setText(QStringLiteral("Abc"));
    return true;
  };
  setSetting(QStringLiteral("Opno"), QStringLiteral("101"));
  ASSERT_TRUE(m_app.StartUp({QStringLiteral("kvqy"), path}));
  EXPECT_EQ(tries, 1);
  EXPECT_EQ(m_app.GetDataFile().GetOperatorCode(), QStringLiteral("101"));
}

TEST_F(KvLoginPathsTest, AnOperatorTheFileDoesNotKnowIsNotOffered) {
  const QString path = makeDataFile(2024);
  // The settings of a login to this file by an operator deleted since.
  setSetting(QStringLiteral("DBType"), QStringLiteral("0"));
  setSetting(QStringLiteral("Opno"), QStringLiteral("999"));
  setSetting(QStringLiteral("RootDir"), KvTestHome());
  setSetting(QStringLiteral("DSN"), QString());
  setSetting(QStringLiteral("DataDir"), path);
  m_answers.login = [](CKvLoginDlg& dialog) {
    auto* ops = KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdOperator);
    EXPECT_EQ(ops->count(), 2);
    EXPECT_EQ(ops->currentIndex(), -1);
    return true;
  };
  ASSERT_TRUE(m_app.StartUp({QStringLiteral("kvqy")}));
  // No operator chosen: the first by code.
  EXPECT_EQ(m_app.GetDataFile().GetOperatorCode(), QStringLiteral("101"));
}

TEST_F(KvLoginPathsTest, AFileOfAnotherVersionIsUpgradedUntilItSucceeds) {
  const QString path = makeDataFile(2024);
  {
    CKvDb db(0);
    ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
    ASSERT_TRUE(db.Execute(QStringLiteral("Update SysCsTab Set CsVal='9   9' Where Cs=9133 And CsN=1")));
    ASSERT_TRUE(db.Execute(QStringLiteral("Drop Table KvFormList")));
    ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into KVDW(KNO,NA) Values('01','一部')")));
  }
  const QString stamp = QStringLiteral("Select rtrim(CsVal) From SysCsTab Where Cs=9133 And CsN=1");

  // The upgrade fails: the stamp stays, the units are there all the same.
  m_fees->failTables = true;
  ASSERT_TRUE(m_app.StartUp({QStringLiteral("kvqy"), path}));
  EXPECT_TRUE(m_app.GetDb()->TableExists(QStringLiteral("KvFormList")));
  EXPECT_EQ(column(*m_app.GetDb(), stamp), QStringList{QStringLiteral("9   9")});
  ASSERT_EQ(KvGetDwArray().size(), 1);
  EXPECT_EQ(KvGetDwArray().first().KNO, QStringLiteral("01"));

  // The next login upgrades again, and now stamps the file.
  m_fees->failTables = false;
  KvGetDwArray().clear();
  ASSERT_TRUE(CKvCommandRouter::Instance()->Execute(KV_CMD_LOGIN));
  EXPECT_EQ(column(*m_app.GetDb(), stamp), QStringList{QStringLiteral("10  9")});
  EXPECT_EQ(KvGetDwArray().size(), 1);
}
