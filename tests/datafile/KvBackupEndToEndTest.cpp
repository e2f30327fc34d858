// Backup and restore in the running program: a generated school year in a
// data file of each kind, the real start-up and login, then the menu's
// backup (unload and copy), the payments deleted through the SQL console, a
// restore refused for a damaged copy, the restore of the backup, which logs
// in again, and the log window showing the restore and printing it.

#include "KvBackupTestSupport.h"

#include "app/CKvLoginDlg.h"
#include "app/KvAppFrame.h"
#include "app/CKvXxApp.h"
#include "app/KvShellServices.h"
#include "core/CKvDb.h"
#include "core/KvArchive.h"
#include "core/KvFakePrinterCatalogue.h"
#include "core/KvFolders.h"
#include "core/KvMessage.h"
#include "core/KvRegistry.h"
#include "datafile/CKvBackupDlg.h"
#include "datafile/CKvLogDoc.h"
#include "datafile/CKvLogTaskList.h"
#include "datafile/CKvLogView.h"
#include "datafile/CKvSqlDlg.h"
#include "datafile/KvDataFileInstall.h"
#include "forms/CFormChildFrm.h"
#include "forms/CForthView.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "school/KvSchoolInstall.h"
#include "support/KvTestDb.h"
#include "support/KvTestServerFiles.h"
#include "support/school/KvSchoolGen.h"
#include "timetable/KvTimetableInstall.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CMdiClient.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <functional>

namespace {

class KvBackupEndToEndTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    KvRegDeleteTree(KvRegRoot::CurrentUser, QStringLiteral("Software"));
    ASSERT_TRUE(m_folder.isValid());
    m_previousExec = KvSetDialogExec([this](QDialog* dialog) { return Answer(dialog); });
  }
  void TearDown() override { KvSetDialogExec(m_previousExec); }

  // The login as it stands (its fields set for the server), the backup
  // dialog by the step's script, every other dialog cancelled.
  int Answer(QDialog* dialog) {
    m_seen << dialog->objectName();
    if (auto* backup = qobject_cast<CKvBackupDlg*>(dialog)) {
      backup->show();
      m_backupStep(*backup);
      const int result = backup->isVisible() ? int(QDialog::Rejected) : backup->result();
      backup->hide();
      return result;
    }
    if (auto* console = qobject_cast<CKvSqlDlg*>(dialog)) {
      console->show();
      KvDlgItem<QPlainTextEdit>(console, CKvSqlDlg::IDC_STATEMENT)->setPlainText(m_sql);
      KvDlgItem<QPushButton>(console, KV_IDOK)->click();
      console->hide();
      return QDialog::Rejected;
    }
    auto* login = qobject_cast<CKvLoginDlg*>(dialog);
    if (!login)
      return QDialog::Rejected;
    login->show();
    if (GetParam() != 0) {
      const CKvDbInfo server = KvTestDb::ServerInfo(2);
      KvDlgItem<QComboBox>(login, CKvLoginDlg::IdKind)->setCurrentIndex(CKvLoginDlg::KindPostgres);
      KvDlgItem<QLineEdit>(login, CKvLoginDlg::IdServer)->setText(server.m_strServer);
      KvDlgItem<QLineEdit>(login, CKvLoginDlg::IdUser)->setText(server.m_strUser);
      KvDlgItem<QLineEdit>(login, CKvLoginDlg::IdServerPassword)->setText(server.m_strPassword);
      KvDlgItem<QLineEdit>(login, CKvLoginDlg::IdDatabase)->setText(m_name);
    }
    KvDlgItem<QPushButton>(login, KV_IDOK)->click();
    const int result = login->isVisible() ? int(QDialog::Rejected) : login->result();
    login->hide();
    return result;
  }
  static QPushButton* Ok(CKvBackupDlg& dialog) { return KvDlgItem<QPushButton>(&dialog, KV_IDOK); }

  QTemporaryDir m_folder;
  // The data file on the server and the safety copies the console and the
  // restore made of it, dropped after the test.
  KvTestServerFiles m_serverFiles;
  QString m_name;
  QStringList m_seen;
  std::function<void(CKvBackupDlg&)> m_backupStep = [](CKvBackupDlg&) {};
  // The statement the SQL console runs.
  QString m_sql;
  KvDialogExecFn m_previousExec;
};

}  // namespace

TEST_P(KvBackupEndToEndTest, BackupDamagedCopyAndRestoreThroughTheMenus) {
  const int year = QDate::currentDate().year();
  const int kind = GetParam();
  const CKvDbInfo info = kind == 0 ? CKvDbInfo(0) : KvTestDb::ServerInfo(2);
  if (kind != 0)
    KV_REQUIRE_PG_SERVER();
  KvInstallSchool();
  KvInstallTimetable();
  CKvXxApp app;
  KvInstallShellServices();
  KvInstallDataFile();
  // The modules' tables are known once the application is initialised.
  app.InitInstance();

  // The generated year.
  ASSERT_TRUE(kind == 0 || m_serverFiles.Take());
  m_name = kind == 0 ? QStringLiteral("%1/%2.xxd").arg(m_folder.path()).arg(year) : m_serverFiles.Name(year);
  {
    KvMessageRecorder generating;
    CKvDb db(kind == 0 ? 0 : 2);
    ASSERT_TRUE(db.CreateDatabase(m_name, info));
    KvSchoolGenOptions options;
    options.nStudents = 300;
    options.nClassesPerGrade = 2;
    options.nYear = year;
    ASSERT_TRUE(KvGenerateSchoolYear(&db, options)) << generating.last().toStdString();
  }
  KvMessageRecorder recorder;
  ASSERT_TRUE(app.StartUp(kind == 0 ? QStringList{QStringLiteral("kvqy"), m_name} : QStringList{QStringLiteral("kvqy")}))
      << recorder.last().toStdString();
  ASSERT_TRUE(app.GetDb()->IsOpen());
  CKvCommandRouter* router = CKvCommandRouter::Instance();

  // 1. The backup: unload, then a copy into a folder.
  const QString copies = m_folder.path() + QStringLiteral("/copies");
  QDir().mkpath(copies);
  m_backupStep = [&](CKvBackupDlg& dialog) {
    Ok(dialog)->click();
    dialog.ChooseFolder(copies);
    Ok(dialog)->click();
    EXPECT_EQ(dialog.Stage(), 2);
    dialog.reject();
  };
  ASSERT_TRUE(router->IsEnabled(KV_CMD_BACKUP));
  router->Execute(KV_CMD_BACKUP);
  const QStringList made = QDir(copies).entryList({QStringLiteral("*.bak")}, QDir::Files);
  ASSERT_EQ(made.size(), 1);
  const QString backup = copies + u'/' + made.first();
  const QStringList before = KvDataFileState(app.GetDb());
  ASSERT_GT(before.size(), 300);
  const auto payments = [](const QStringList& state) {
    return std::count_if(state.begin(), state.end(),
                         [](const QString& line) { return line.startsWith(QStringLiteral("pc:")); });
  };
  ASSERT_GT(payments(before), 0);

  // 2. The payments deleted in the SQL console, its question answered Yes;
  // the safety copies it makes first are named in a message.
  m_sql = QStringLiteral("Delete From PC");
  recorder.clear();
  {
    KvMessageHandler recording;
    recording = KvSetMessageHandler([&recording](const KvMessage& message) {
      return message.text.endsWith(QStringLiteral("提交吗？")) ? int(KV_IDYES) : recording(message);
    });
    ASSERT_TRUE(router->IsEnabled(KV_CMD_SQL_CONSOLE));
    router->Execute(KV_CMD_SQL_CONSOLE);
    KvSetMessageHandler(std::move(recording));
  }
  QStringList copiesMade;
  for (const QString& text : recorder.texts())
    if (text.contains(u'＜'))
      copiesMade.append(text.section(u'＜', 1).section(u'＞', 0, 0));
  EXPECT_EQ(copiesMade.size(), 1) << recorder.texts().join(u'\n').toStdString();
  const QStringList changed = KvDataFileState(app.GetDb());
  ASSERT_NE(changed, before);
  EXPECT_EQ(payments(changed), 0);

  // No restore while a document window is open: it would save its old rows
  // into the restored file.
  QMdiSubWindow* window = KvGetMdiClient()->addSubWindow(new QWidget);
  window->show();
  QCoreApplication::processEvents();
  EXPECT_FALSE(router->IsEnabled(KV_CMD_RESTORE));
  window->close();
  delete window;
  QCoreApplication::processEvents();
  EXPECT_TRUE(router->IsEnabled(KV_CMD_RESTORE));

  // 3. A copy cut after its header is refused; the data stay as they are.
  const QString damaged = m_folder.path() + QStringLiteral("/damaged");
  QDir().mkpath(damaged);
  {
    QFile whole(backup);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    KvArchiveReader reader(&whole);
    KvArchiveHeader header;
    qint32 count = 0;
    ASSERT_TRUE(reader.ReadHeader(&header) && reader.ReadTableCount(&count));
    const qint64 headerEnd = whole.size() - reader.Remaining();
    whole.seek(0);
    QFile cut(damaged + u'/' + made.first());
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(headerEnd));
  }
  const auto restoreFrom = [&](const QString& folder) {
    m_backupStep = [&, folder](CKvBackupDlg& dialog) {
      dialog.ChooseFolder(folder);
      Ok(dialog)->click();
      EXPECT_EQ(dialog.Stage(), 11);
      Ok(dialog)->click();
    };
    m_seen.clear();
    router->Execute(KV_CMD_RESTORE);
    // The restore ends in the login.
    EXPECT_EQ(m_seen, QStringList({QStringLiteral("dlg_817"), QStringLiteral("dlg_815")}));
  };
  restoreFrom(damaged);
  EXPECT_TRUE(recorder.last().startsWith(QStringLiteral("所选择的备份件已损坏，不能用于恢复！\n")))
      << recorder.last().toStdString();
  ASSERT_TRUE(app.GetDb()->IsOpen());
  EXPECT_EQ(KvStateDiff(KvDataFileState(app.GetDb()), changed), QStringList());

  // 4. The backup restored: every table but the log's as before the change.
  restoreFrom(copies);
  EXPECT_EQ(recorder.last(), QStringLiteral("从“%1”中恢复数据成功！\n  请退出重新注册。").arg(backup));
  ASSERT_TRUE(app.GetDb()->IsOpen());
  EXPECT_EQ(app.GetDataFile().GetOperatorCode(), u"101");
  EXPECT_EQ(KvStateDiff(KvDataFileState(app.GetDb()), before), QStringList());

  // 5. The log window shows the restore in the task that made it, and its
  // entries print.
  const QString restored = QStringLiteral("从“%1”中恢复数据").arg(backup);
  QStringList restoreTask;
  app.GetDb()->QueryTexts(QStringLiteral("Select nTask From KvLog Where nTaskID=23 And sNote='%1'")
                              .arg(app.GetDb()->QuoteText(restored)),
                          &restoreTask, 1);
  ASSERT_EQ(restoreTask.size(), 1);
  ASSERT_TRUE(router->IsEnabled(KV_CMD_VIEW_LOG));
  router->Execute(KV_CMD_VIEW_LOG);
  const QList<QMdiSubWindow*> windows = KvGetMdiClient()->subWindowList();
  ASSERT_EQ(windows.size(), 1);
  auto* frame = qobject_cast<CFormChildFrm*>(windows.first());
  ASSERT_NE(frame, nullptr);
  auto* doc = dynamic_cast<CKvLogDoc*>(frame->GetDocument());
  ASSERT_NE(doc, nullptr);
  CKvLogTaskList* tasks = doc->FindView<CKvLogView>()->TaskList();
  tasks->DetailsView()->clearSelection();
  ASSERT_GE(tasks->FindAndSelect(restoreTask.first().trimmed()), 0);
  auto* grid = doc->FindView<CForthView>();
  ASSERT_NE(grid, nullptr);
  {
    KvFakePrinterCatalogue printers;
    KvPrintAnswers answers(KvTestPdfPath());
    grid->ExecuteCmd(KV_CMD_FILE_PRINT);
    const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
    ASSERT_TRUE(pdf.ok);
    QString texts;
    for (int page = 0; page < pdf.pages; ++page)
      texts += pdf.PageTexts(page).join(QString());
    texts.remove(u' ');
    EXPECT_TRUE(texts.contains(QStringLiteral("操作日志")));
    EXPECT_TRUE(texts.contains(QStringLiteral("任务号：") + restoreTask.first().trimmed()));
    EXPECT_TRUE(texts.contains(QStringLiteral("中恢复数据"))) << texts.toStdString();
  }
  frame->close();
  QCoreApplication::processEvents();

  KvRequestQuit(0);
  app.ExitInstance();
  if (kind != 0) {
    CKvDb admin(2);
    ASSERT_TRUE(admin.Open(QStringLiteral("master"), info));
    EXPECT_TRUE(admin.DatabaseExists(m_name));
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvBackupEndToEndTest, ::testing::Values(0, 2),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return param.param == 0 ? std::string("Sqlite") : std::string("Pg");
                         });
