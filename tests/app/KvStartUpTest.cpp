// The program from start to end, offscreen: the first start on an SQLite
// file in the default folder, and on a PostgreSQL database that the login
// dialog makes; a document window through 57601; the shut-down; then what
// the data file's log and the settings hold.

#include "KvStartUpTestSupport.h"
#include "app/CKvDlgPos.h"
#include "app/CKvTemplateBox.h"
#include "core/CKvDb.h"
#include "core/KvCurrentPrinter.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "support/KvTestDb.h"
#include "support/KvTestServerFiles.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"
#include "ui/KvListPrint.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>

namespace {

QStringList column(CKvDb& db, const QString& sql) {
  QStringList values;
  db.QueryTexts(sql, &values, 1);
  return values;
}

}  // namespace

class KvEndToEndTest : public KvStartUpTest {
 protected:
  // Opens a document window through 57601 and closes it again; 43100 is
  // refused while it is open.
  void openAndCloseADocument() {
    CKvCommandRouter* router = CKvCommandRouter::Instance();
    EXPECT_TRUE(router->IsEnabled(KV_CMD_LOGIN));
    ASSERT_TRUE(router->Execute(KV_CMD_FILE_OPEN));
    ASSERT_EQ(frame()->MdiClient()->subWindowList().size(), 1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(router->Action(KV_CMD_LOGIN)->isEnabled());
    EXPECT_FALSE(router->Execute(KV_CMD_LOGIN));
    frame()->MdiClient()->subWindowList().first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame()->MdiClient()->subWindowList().isEmpty());
    EXPECT_TRUE(router->Action(KV_CMD_LOGIN)->isEnabled());
  }

  // The working period of the login: one KvTask row, ended, and its two
  // entries in the log.
  void expectOnePeriod(CKvDb& db) {
    EXPECT_EQ(column(db, QStringLiteral("Select nTask From KvTask")), QStringList{QStringLiteral("1")});
    const QStringList start = column(db, QStringLiteral("Select sT1 From KvTask"));
    const QStringList end = column(db, QStringLiteral("Select sT2 From KvTask"));
    ASSERT_EQ(end.size(), 1);
    EXPECT_EQ(end.first().size(), 14);
    EXPECT_GE(end.first(), start.first());
    EXPECT_FALSE(column(db, QStringLiteral("Select sComputer From KvTask")).first().isEmpty());
    EXPECT_EQ(column(db, QStringLiteral("Select rtrim(sNote) From KvLog Order By nTaskID")),
              QStringList({QStringLiteral("操作员：管理员(101) 开始工作"), QStringLiteral("操作员：管理员(101) 结束工作")}));
    EXPECT_EQ(column(db, QStringLiteral("Select rtrim(sOp) From KvLogOp")),
              QStringList{QStringLiteral("管理员(101)")});
  }
};

TEST_F(KvEndToEndTest, FirstStartOnTheDefaultFile) {
  KvMessageRecorder recorder;
  setSetting(QStringLiteral("Current_Printer"), QStringLiteral("旧打印机"));
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath() + QStringLiteral("\\DlgPos"),
                   QStringLiteral("851"), QStringLiteral("10 20 110 220"));

  EXPECT_EQ(KvAppPrintSet(), nullptr);
  ASSERT_TRUE(m_app.StartUp({QStringLiteral("kvqy")}));
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
  EXPECT_TRUE(QFileInfo::exists(defaultFile()));
  // The lists' shared print settings exist while a data file is open.
  EXPECT_NE(KvAppPrintSet(), nullptr);
  // A new data file: its operators dialog follows the login (the data-file
  // information has no dialog yet).
  EXPECT_EQ(m_answers.seen, QStringList({QStringLiteral("dlg_815"), QStringLiteral("dlg_810")}));
  EXPECT_EQ(m_app.GetDataFile().GetOperatorCode(), u"101");
  EXPECT_EQ(frame()->windowTitle(), u"青禾苑学校管理软件（A5.2.9版）");
  EXPECT_TRUE(frame()->IsTemplateBoxVisible());
  EXPECT_EQ(frame()->TemplateBox()->TabCount(), 2);
  EXPECT_EQ(KvGetActiveDataType(), m_fees);
  EXPECT_GE(KvGetDlgPos().Find(851), 0);
  // The file names no printer profiles: the current printer is none.
  EXPECT_TRUE(KvCurrentPrinterName().isEmpty());

  openAndCloseADocument();
  QWidget placed;
  placed.move(40, 50);
  KvGetDlgPos().Remember(900, &placed);
  // The shell's own shut-down, as a forced end runs it.
  KvRequestQuit(0);
  EXPECT_FALSE(m_app.GetDb()->IsOpen());

  CKvDb db(0);
  ASSERT_TRUE(db.Open(defaultFile(), CKvDbInfo(0)));
  expectOnePeriod(db);
  db.Close();

  EXPECT_EQ(setting(QStringLiteral("DBType")), u"0");
  EXPECT_EQ(setting(QStringLiteral("Opno")), u"101");
  EXPECT_EQ(setting(QStringLiteral("DataDir")), QFileInfo(defaultFile()).canonicalFilePath());
  EXPECT_EQ(setting(QStringLiteral("RootDir")), KvDefaultDataFolder());
  EXPECT_EQ(setting(QStringLiteral("TemplateIndex")), u"0");
  EXPECT_EQ(setting(QStringLiteral("TemplateBoxState")), u"250 150 59420");
  EXPECT_EQ(setting(QStringLiteral("Current_Printer")), u"");
  EXPECT_EQ(setting(QStringLiteral("Exe")), KvModuleFileName());
  EXPECT_NE(setting(QStringLiteral("900"), QStringLiteral("DlgPos")), u"<none>");
}

TEST_F(KvEndToEndTest, FirstStartOnAPostgresDatabaseTheDialogMakes) {
  KV_REQUIRE_PG_SERVER();
  const CKvDbInfo server = KvTestDb::ServerInfo(2);
  KvTestServerFiles files;
  ASSERT_TRUE(files.Take());
  const QString name = files.Name(year());

  KvMessageRecorder recorder;
  m_answers.login = KvNewPostgresFileLogin(server, name);
  ASSERT_TRUE(m_app.StartUp({QStringLiteral("kvqy")}));
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
  EXPECT_EQ(m_answers.seen, QStringList({QStringLiteral("dlg_815"), QStringLiteral("dlg_810")}));
  EXPECT_EQ(m_app.GetDb()->GetKind(), 2);
  EXPECT_EQ(frame()->windowTitle(), u"青禾苑学校管理软件（S5.2.9版）");

  openAndCloseADocument();
  KvRequestQuit(0);

  CKvDb db(2);
  ASSERT_TRUE(db.Open(name, server));
  expectOnePeriod(db);
  db.Close();
  EXPECT_EQ(setting(QStringLiteral("DBType")), u"2");
  EXPECT_EQ(setting(QStringLiteral("DSN")), server.m_strServer);
  EXPECT_EQ(setting(QStringLiteral("DATABASE")), name);
  EXPECT_EQ(setting(QStringLiteral("UID"), server.m_strServer), server.m_strUser);
  // "记住口令" was off: no password in the settings.
  EXPECT_EQ(setting(QStringLiteral("PWD"), server.m_strServer), u"");
}
