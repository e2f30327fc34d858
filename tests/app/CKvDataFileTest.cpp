// The data-file descriptor on real files and databases: every refusal of a
// path, a name, a system row and an operator with its message, the choice
// of the operator, and the descriptor left as it was after a refusal.

#include "KvShellTestApp.h"
#include "app/CKvApp.h"
#include "app/CKvDataFile.h"
#include "app/CKvDwRec.h"
#include "app/CKvLoginDlg.h"
#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvMdbPassword.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvSqliteBackend.h"
#include "support/KvTestDb.h"
#include "support/KvTestEnv.h"
#include "support/KvTestServerFiles.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
int counter = 0;

// A folder of its own for one test's files.
QString freshFolder() {
  const QString folder = KvTestHome() + QStringLiteral("/datafile-%1").arg(++counter);
  QDir().mkpath(folder);
  return folder;
}

// A program data file at the path, with no tables, and with the given
// password's access check.
bool makeDataFile(const QString& path, const QString& password = KvGetStdMdbPassword()) {
  std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(path);
  return file && file->setPasswordDigest(KvMdbPasswordDigest(password));
}

// Opens the file and gives it the system tables and the default rows of
// the year.
bool fillDataFile(CKvApp& app, const QString& path, int year) {
  CKvDb db(0);
  return db.Open(path, CKvDbInfo(0)) && app.CreateSystemTables(&db) &&
         app.InsertDefaultRows(&db, year);
}

// CheckJetPath's code and message; the path and year it hands back.
struct Checked {
  int code = 0;
  QString message;
  QString path;
  int year = 0;
};

Checked checkPath(const QString& path) {
  KvMessageRecorder recorder;
  Checked result{0, QString(), path, 0};
  result.code = CKvDataFile().CheckJetPath(&result.path, &result.year, true);
  result.message = recorder.last();
  return result;
}
}  // namespace

TEST(CKvDataFilePath, CompletesGoodPathsAndRefusesBadOnesWithTheirMessages) {
  const QString folder = freshFolder();
  // A "." in a folder's name is no extension of the file.
  const QString set = folder + QStringLiteral("/set.2024");
  QDir().mkpath(set);
  QDir().mkpath(folder + QStringLiteral("/2025.xxd"));
  for (const char* name :
       {"/set.2024/2024.xxd", "/1989.xxd", "/abc.xxd", "/1990.xxd", "/.2024.xxd"})
    ASSERT_TRUE(makeDataFile(folder + QString::fromLatin1(name)));

  const struct {
    const char* name;
    int code;
    const char* message;
  } cases[] = {
      {"/set.2024/2024", 0, ""},
      {"/set.2024/2024.", 0, ""},
      {"/set.2024/2024.XXD", CKvDataFile::kNoFile, "该文件不存在！"},
      {"/set.2024/2024.mdb", CKvDataFile::kNotDataFile, ""},
      {"/2023.xxd", CKvDataFile::kNoFile, "该文件不存在！"},
      {"/2025.xxd", CKvDataFile::kIsFolder, "青禾苑账务数据文件不能是文件夹！"},
      {"/.2024.xxd", CKvDataFile::kHidden, "青禾苑账务数据文件不能是隐藏文件！"},
      {"/1989.xxd", CKvDataFile::kBadYearName, "文件名不是由有效年度构成！"},
      {"/abc", CKvDataFile::kBadYearName, "文件名不是由有效年度构成！"},
      {"/1990.xxd", 0, ""},
  };
  for (const auto& c : cases) {
    const Checked checked = checkPath(folder + QString::fromLatin1(c.name));
    EXPECT_EQ(checked.code, c.code) << c.name;
    EXPECT_EQ(checked.message, QString::fromUtf8(c.message)) << c.name;
  }
  const Checked empty = checkPath(QString());
  EXPECT_EQ(empty.code, CKvDataFile::kEmptyName);
  EXPECT_EQ(empty.message, QStringLiteral("文件名为空！"));
  const Checked completed = checkPath(set + QStringLiteral("/2024"));
  EXPECT_EQ(completed.path, QFileInfo(set + QStringLiteral("/2024.xxd")).canonicalFilePath());
  EXPECT_EQ(completed.year, 2024);
}

TEST(CKvDataFilePath, RefusesAReadOnlyFile) {
  // Root may write a file of mode 0444: as root the check runs in a child
  // process that has given up root for the unused id 65534.
  QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kvreadonly-XXXXXX"));
  ASSERT_TRUE(dir.isValid());
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                        QFile::ExeOther);
  const QString path = dir.path() + QStringLiteral("/2024.xxd");
  ASSERT_TRUE(makeDataFile(path));
  ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

  const auto refusedAsReadOnly = [&path] {
    const Checked checked = checkPath(path);
    return checked.code == CKvDataFile::kReadOnly &&
           checked.message == QStringLiteral("青禾苑账务数据文件不能是只读文件！");
  };
  if (::geteuid() != 0) {
    EXPECT_TRUE(refusedAsReadOnly());
    return;
  }
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const gid_t nobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
      ::_exit(3);
    ::_exit(refusedAsReadOnly() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(CKvDataFileOpen, RefusesEachBadFileWithItsMessageAndKeepsItsValues) {
  CKvApp app;
  const QString folder = freshFolder();
  const QString path = folder + QStringLiteral("/2024.xxd");
  CKvDataFile file;
  file.SetFileName(QStringLiteral("before"));
  file.SetOperatorCode(QStringLiteral("102"));
  file.SetYear(1999);

  KvMessageRecorder recorder;
  const auto refused = [&](const QString& name, const QString& opno, const char* message) {
    recorder.clear();
    EXPECT_FALSE(file.OpenAndCheck(name, opno, CKvDbInfo(0), true)) << message;
    EXPECT_EQ(recorder.texts(), QStringList{QString::fromUtf8(message)});
    EXPECT_EQ(recorder.messages().value(0).icon(), unsigned(KV_MB_ICONSTOP));
    EXPECT_EQ(file.GetFileName(), QStringLiteral("before"));
    EXPECT_EQ(file.GetOperatorCode(), QStringLiteral("102"));
    EXPECT_EQ(file.GetYear(), 1999);
    EXPECT_FALSE(file.GetDb().IsOpen());
  };

  // Not a database at all, then another program's SQLite file.
  {
    QFile text(path);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("这不是数据文件");
  }
  refused(path, QString(), "不是青禾苑账务数据文件！");
  QFile::remove(path);
  ASSERT_TRUE(makeDataFile(path, QStringLiteral("另一个口令")));
  refused(path, QString(), "无法打开此文件！");
  QFile::remove(path);

  ASSERT_TRUE(makeDataFile(path));
  refused(path, QString(), "无环境信息！");
  {
    CKvDb db(0);
    ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
    ASSERT_TRUE(app.CreateSystemTables(&db));
  }
  refused(path, QString(), "无环境信息！");
  {
    CKvDb db(0);
    ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
    ASSERT_TRUE(app.InsertDefaultRows(&db, 2023));
  }
  refused(path, QString(), "文件名中的年度与实际账务年度不相符！\n文件名应当改为：“2023.xxd”");

  CKvDb db(0);
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  ASSERT_TRUE(db.Execute(QStringLiteral("Update SYSTAB Set PY=2024")));
  db.Close();
  // An operator code that is given must be an operator of the file.
  refused(path, QStringLiteral("999"), "无此操作员！");
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  ASSERT_TRUE(db.Execute(QStringLiteral("Delete From OPR")));
  db.Close();
  refused(path, QString(), "本账套无操作员！");
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  ASSERT_TRUE(db.Execute(QStringLiteral("Drop Table OPR")));
  db.Close();
  refused(path, QString(), "无法打开此文件！");
}

TEST(CKvDataFileOpen, TakesTheFirstOperatorOnlyForAnEmptyCode) {
  CKvApp app;
  const QString path = freshFolder() + QStringLiteral("/2024.xxd");
  ASSERT_TRUE(makeDataFile(path));
  ASSERT_TRUE(fillDataFile(app, path, 2024));

  KvMessageRecorder recorder;
  CKvDataFile file;
  ASSERT_TRUE(file.OpenAndCheck(KvFileDir(path) + QStringLiteral("/2024"), QString(),
                                CKvDbInfo(0), true));
  EXPECT_EQ(file.GetOperatorCode(), QStringLiteral("101"));
  EXPECT_EQ(file.GetOperatorName(), QStringLiteral("管理员"));
  EXPECT_EQ(file.GetFileName(), QFileInfo(path).canonicalFilePath());
  EXPECT_EQ(file.GetYear(), 2024);
  EXPECT_EQ(file.GetEntityName(), QStringLiteral("××单位"));

  ASSERT_TRUE(file.Reopen(true));
  ASSERT_TRUE(file.OpenAndCheck(path, QStringLiteral("102"), CKvDbInfo(0), true));
  EXPECT_EQ(file.GetOperatorCode(), QStringLiteral("102"));
  ASSERT_TRUE(file.LoadRights());
  EXPECT_TRUE(file.GetRights().startsWith(QStringLiteral("0006 ")));
  EXPECT_FALSE(file.GetRights().contains(QStringLiteral("0001")));
  EXPECT_TRUE(recorder.messages().isEmpty());

  // The system row and the log switch go back as they were written,
  // apostrophes included.
  file.SetNames(QStringLiteral("O'Neil 学校"), QStringLiteral("张'三"), QStringLiteral("t1"),
                QStringLiteral("t13"));
  file.SetLogOn(false);
  ASSERT_TRUE(file.WriteSysTab());
  CKvDataFile reread;
  ASSERT_TRUE(reread.OpenAndCheck(path, QStringLiteral("101"), CKvDbInfo(0), true));
  EXPECT_EQ(reread.GetEntityName(), QStringLiteral("O'Neil 学校"));
  EXPECT_EQ(reread.GetManagerName(), QStringLiteral("张'三"));
  EXPECT_EQ(reread.GetT13(), QStringLiteral("t13"));
  EXPECT_FALSE(reread.IsLogOn());

  // While a unit is current, the entity and the manager are the unit's.
  CKvDwRec unit;
  unit.KNO = QStringLiteral("01");
  unit.NA = QStringLiteral("分校");
  unit.MGR = QStringLiteral("李四");
  KvGetDwArray() = {unit};
  KvSetCurrentDw(QStringLiteral("01"));
  EXPECT_EQ(reread.GetEntityName(true), QStringLiteral("分校"));
  EXPECT_EQ(reread.GetManagerName(), QStringLiteral("李四"));
  KvSetCurrentDw(QString());
  EXPECT_EQ(reread.GetEntityName(), QStringLiteral("O'Neil 学校"));
}

TEST(CKvDataFileMessages, NameUnknownCodesAndKinds) {
  KvMessageRecorder recorder;
  CKvDataFile file;
  file.ShowError(-99, true);
  file.SetKind(1);
  file.ShowError(-9, true);
  file.SetKind(2);
  file.ShowError(-1, true);
  file.ShowError(-1, false);
  EXPECT_EQ(recorder.texts(), (QStringList{QStringLiteral("无法识别的错误码！"),
                                           QStringLiteral("无法识别的错误码！"),
                                           QStringLiteral("无法识别的数据库类型！")}));
}

// --- Server databases ---

namespace {
// A database on the server named as a data file: "xxd", a set number of
// its own (KvTestServerFiles, which drops it) and the year.
class ServerDataFile {
 public:
  explicit ServerDataFile(int kind) : m_kind(kind), m_admin(2) {}

  bool Create(int year, QString* whyNot) {
    if (m_kind == 1 && qEnvironmentVariableIsEmpty("KV_TEST_ODBC_DSN")) {
      *whyNot = QStringLiteral("KV_TEST_ODBC_DSN is not set");
      return false;
    }
    if (!m_files.Take(whyNot))
      return false;
    if (!m_admin.Open(QStringLiteral("master"), KvTestDb::ServerInfo(2))) {
      *whyNot = QStringLiteral("cannot connect to PostgreSQL");
      return false;
    }
    m_name = m_files.Name(year);
    return m_admin.GetBackend()->execute(
        QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' "
                       "LC_COLLATE 'C' LC_CTYPE 'C'")
            .arg(m_name),
        whyNot);
  }
  const QString& name() const { return m_name; }
  CKvDbInfo info() const { return KvTestDb::ServerInfo(m_kind); }
  // A connection of its own to the database.
  bool Connect(CKvDb& db) const {
    db.SetKind(m_kind);
    return db.Open(m_name, info());
  }

 private:
  int m_kind;
  KvTestServerFiles m_files;
  CKvDb m_admin;
  QString m_name;
};

class CKvDataFileServer : public ::testing::TestWithParam<int> {};
}  // namespace

TEST_P(CKvDataFileServer, AFailedOpenOrCreateGivesTheServersReasonOnTheNextLine) {
  KvShellTestApp app;
  app.InitInstance();
  ServerDataFile server(GetParam());
  QString whyNot;
  if (!server.Create(2024, &whyNot)) {
    if (KvTestDbMustReachServer())
      FAIL() << whyNot.toStdString();
    GTEST_SKIP() << whyNot.toStdString();
  }
  KvMessageRecorder recorder;
  CKvDataFile file(1);
  file.SetServerBackend(GetParam());
  EXPECT_FALSE(file.OpenAndCheck(QStringLiteral("xxdnone2024"), QString(), server.info(), true));
  QStringList lines = recorder.last().split(u'\n');
  ASSERT_EQ(lines.size(), 2) << recorder.last().toStdString();
  EXPECT_EQ(lines.at(0), QStringLiteral("打开数据库失败！"));
  EXPECT_TRUE(lines.at(1).contains(QStringLiteral("xxdnone2024"))) << lines.at(1).toStdString();

  // "新建数据文件" under a login the server refuses: no database, and the
  // server's word on why.
  CKvDbInfo refused = server.info();
  refused.m_strPassword = QStringLiteral("not-the-password");
  file.SetDbInfo(refused);
  file.SetFileName(QStringLiteral("xxd00092024"));
  CKvLoginDlg dialog(file);
  dialog.show();
  recorder.clear();
  KvDlgItem<QPushButton>(&dialog, CKvLoginDlg::IdNewFile)->click();
  lines = recorder.last().split(u'\n');
  ASSERT_EQ(lines.size(), 3) << recorder.last().toStdString();
  EXPECT_EQ(lines.at(0), QStringLiteral("不能建立数据文件："));
  EXPECT_EQ(lines.at(1), QStringLiteral("xxd00092024"));
  EXPECT_TRUE(lines.at(2).contains(QStringLiteral("password"))) << lines.at(2).toStdString();
  CKvDb made(GetParam());
  EXPECT_FALSE(made.Open(QStringLiteral("xxd00092024"), server.info()));
}

TEST_P(CKvDataFileServer, RefusesEachBadDatabaseWithItsMessage) {
  CKvApp app;
  ServerDataFile server(GetParam());
  QString whyNot;
  if (!server.Create(2024, &whyNot)) {
    if (KvTestDbMustReachServer())
      FAIL() << whyNot.toStdString();
    GTEST_SKIP() << whyNot.toStdString();
  }
  CKvDataFile file(1);
  file.SetServerBackend(GetParam());
  EXPECT_EQ(file.GetDbKind(), GetParam());
  file.SetFileName(QStringLiteral("before"));

  KvMessageRecorder recorder;
  const auto refused = [&](const QString& name, const QString& opno, const char* message) {
    recorder.clear();
    EXPECT_FALSE(file.OpenAndCheck(name, opno, server.info(), true)) << message;
    EXPECT_EQ(recorder.texts(), QStringList{QString::fromUtf8(message)});
    EXPECT_EQ(file.GetFileName(), QStringLiteral("before"));
  };
  refused(server.name().left(10), QString(), "数据库名长度不合适！");
  refused(server.name() + u'0', QString(), "数据库名长度不合适！");
  refused(server.name(), QString(), "打开系统参数表失败！");

  CKvDb db;
  ASSERT_TRUE(server.Connect(db));
  ASSERT_TRUE(db.Execute(QStringLiteral("CREATE TABLE SYSTAB(NA CHAR(40),KJ CHAR(8),AN CHAR(10),"
                                        "PY INT,MM INT,JT CHAR(3),T1 CHAR(8),T13 CHAR(8))")));
  refused(server.name(), QString(), "系统参数表中无记录！");
  ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into SYSTAB(NA,PY,MM) Values('x',2023,0)")));
  refused(server.name(), QString(), "数据库名中的年度与系统参数表中的年度不符！\n");
  ASSERT_TRUE(db.Execute(QStringLiteral("Update SYSTAB Set PY=2024")));
  refused(server.name(), QString(), "打开操作员表失败！");
  ASSERT_TRUE(app.CreateSystemTables(&db));
  refused(server.name(), QString(), "数据库中无操作员！");
  ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into OPR(OPNO,NA,PSD) Values('102','乙','')")));
  ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into OPR(OPNO,NA,PSD) Values('101','甲','')")));
  refused(server.name(), QStringLiteral("999"), "无此操作员！");

  // The server keeps database names in lower case.
  recorder.clear();
  ASSERT_TRUE(file.OpenAndCheck(server.name().toUpper(), QString(), server.info(), true));
  EXPECT_EQ(file.GetFileName(), server.name());
  EXPECT_EQ(file.GetYear(), 2024);
  EXPECT_EQ(file.GetOperatorCode(), QStringLiteral("101"));
  EXPECT_TRUE(recorder.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, CKvDataFileServer, ::testing::Values(1, 2), KvDbKindName);
