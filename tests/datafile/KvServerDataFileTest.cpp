// A school's data file on the server: a file converted to a server
// database through the login dialog, and the safety copies that every risky
// command takes (the five newest kept, nothing else of the folder or the
// server dropped, no lock file left beside a copy).

#include "KvBackupTestSupport.h"
#include "KvDataFileTestSupport.h"

#include "app/CKvLoginDlg.h"
#include "app/KvUserSettings.h"
#include "core/CKvDb.h"
#include "core/KvPresenceLock.h"
#include "datafile/CKvMDBBak.h"
#include "datafile/CKvNewDataFileDlg.h"
#include "datafile/CKvSqlDlg.h"
#include "datafile/KvDataFileInstall.h"
#include "datafile/KvNewDataFile.h"
#include "school/KvSchoolInstall.h"
#include "support/KvTestServerFiles.h"
#include "support/school/KvSchoolGen.h"
#include "timetable/KvTimetableInstall.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>

namespace {

class KvServerFileTestApp : public KvModuleTestApp {
 public:
  KvServerFileTestApp() {
    KvInstallSchool();
    KvInstallTimetable();
    InitInstance();
    KvInstallDataFile();
  }
};

// The copy a safety backup names in its message.
QStringList namedCopies(const QStringList& texts) {
  QStringList copies;
  for (const QString& text : texts)
    if (text.startsWith(QStringLiteral("执行操作前系统已将数据文件原样拷贝成：")))
      copies.append(text.section(u'＜', 1).section(u'＞', 0, 0));
  return copies;
}

// State lines without the version stamp (each back end has its own).
QStringList withoutStamp(QStringList lines) {
  lines.removeIf([](const QString& line) { return line.contains(QStringLiteral("9133|")); });
  return lines;
}

class KvServerDataFileTest : public KvModuleDbTest {
 protected:
  void SetUp() override {
    KvModuleDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_TRUE(m_dir.isValid());
    // The application's connection is the program's only one on its file,
    // with the year and entity name as the login reads them.
    testDb().db().Close();
    m_app->GetDataFile().SetYear(2024);
    ASSERT_TRUE(m_app->GetDataFile().ReadSysTab(pdb(), false));
    KvWriteBackupSettings(1, 0, m_dir.filePath(QStringLiteral("bak")));
    m_info = kind() == 0 ? CKvDbInfo(0) : testDb().info();
    ASSERT_TRUE(kind() == 0 || m_serverFiles.Take());
    m_location = kind() == 0 ? m_dir.filePath(QStringLiteral("years")) : m_serverFiles.set();
  }
  std::unique_ptr<KvModuleTestApp> MakeApp() override { return std::make_unique<KvServerFileTestApp>(); }
  bool SetTreeParams(CKvDb* pDb) override { return KvSetGeneratedSchoolParams(pDb); }

  QString YearName(int year) {
    KvNewDataFile service(kind(), m_info);
    service.m_strLocation = m_location;
    return service.TargetName(QString::number(year));
  }
  static bool MakeSchool(CKvDb* pDb, const QString& name, const CKvDbInfo& info) {
    KvSchoolGenOptions options;
    options.nStudents = 6;
    options.nItems = 2;
    options.nClassesPerGrade = 1;
    return pDb->CreateDatabase(name, info) && KvGenerateSchoolYear(pDb, options);
  }
  QStringList StateOf(const QString& name, int nKind, const CKvDbInfo& info) {
    CKvDb db(nKind);
    return db.Open(name, info) ? withoutStamp(KvDataFileState(&db)) : QStringList{QStringLiteral("(does not open)")};
  }

  QTemporaryDir m_dir;
  CKvDbInfo m_info;
  KvTestServerFiles m_serverFiles;  // the years of the test's set and their copies
  QString m_location;
  QStringList m_texts;
};

// A school that began on a file moves it to the server: the login dialog's
// convert asks for the server and the set number, makes the database of the
// file's year with every row, and the login goes on there.
TEST_P(KvServerDataFileTest, AFileIsConvertedToTheServerAndLoggedInThere) {
  const QString file = m_dir.filePath(QStringLiteral("school/2024.xxd"));
  ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
  {
    CKvDb db(0);
    ASSERT_TRUE(MakeSchool(&db, file, CKvDbInfo(0)));
  }
  const QStringList fileState = StateOf(file, 0, CKvDbInfo(0));
  CKvDataFile start;
  start.SetFileName(file);

  // The dialog as the convert shows it; a file kind only looks at it.
  QStringList titles;
  const KvDialogExecFn previous = KvSetDialogExec([&](QDialog* dialog) {
    auto* convert = qobject_cast<CKvNewDataFileDlg*>(dialog);
    if (!convert)
      return int(QDialog::Rejected);
    convert->show();
    titles.append(convert->windowTitle());
    KvGrabWindow(convert, QStringLiteral("dlg_813_to_server_%1").arg(kind()));
    EXPECT_FALSE(KvDlgItem<QLineEdit>(convert, CKvNewDataFileDlg::IdYear)->isEnabled());
    EXPECT_EQ(KvDlgItem<QLineEdit>(convert, CKvNewDataFileDlg::IdYear)->text(), QStringLiteral("2024"));
    if (kind() == 0)
      return int(QDialog::Rejected);
    KvDlgItem<QComboBox>(convert, CKvNewDataFileDlg::IdServerKind)
        ->setCurrentIndex(kind() == 1 ? CKvNewDataFileDlg::ServerOdbc : CKvNewDataFileDlg::ServerPostgres);
    KvDlgItem<QLineEdit>(convert, CKvNewDataFileDlg::IdServer)->setText(m_info.m_strServer);
    KvDlgItem<QLineEdit>(convert, CKvNewDataFileDlg::IdUser)->setText(m_info.m_strUser);
    KvDlgItem<QLineEdit>(convert, CKvNewDataFileDlg::IdServerPassword)->setText(m_info.m_strPassword);
    KvDlgItem<QLineEdit>(convert, CKvNewDataFileDlg::IdLocation)->setText(m_location);
    convert->OnOK();
    return convert->result();
  });
  KvScriptedAnswers answers({KV_IDYES});
  CKvLoginDlg login(start);
  login.show();
  KvDlgItem<QPushButton>(&login, CKvLoginDlg::IdConvertFile)->click();
  KvSetDialogExec(previous);
  EXPECT_EQ(titles, QStringList{QStringLiteral("转换为服务器数据库")});
  EXPECT_EQ(StateOf(file, 0, CKvDbInfo(0)), fileState);
  if (kind() == 0)
    return;
  const QString made = YearName(2024);
  EXPECT_EQ(answers.texts,
            (QStringList{QStringLiteral("转换完毕！"),
                         QStringLiteral("数据文件已转换为服务器数据库“%1”，要登录到它吗？").arg(made)}));
  EXPECT_EQ(KvStateDiff(fileState, StateOf(made, kind(), m_info)), QStringList());
  EXPECT_EQ(KvDlgItem<QComboBox>(&login, CKvLoginDlg::IdKind)->currentIndex(),
            kind() == 1 ? CKvLoginDlg::KindOdbc : CKvLoginDlg::KindPostgres);
  EXPECT_EQ(KvDlgItem<QLineEdit>(&login, CKvLoginDlg::IdDatabase)->text(), made);
  login.OnOK();
  ASSERT_EQ(login.result(), QDialog::Accepted) << answers.texts.join(u'\n').toStdString();
  EXPECT_EQ(login.DataFile().GetDbKind(), kind());
  EXPECT_EQ(login.DataFile().GetFileName(), made);

  // The way back: the server database becomes a file.
  CKvNewDataFileDlg back(0, QString(), CKvDbInfo(0));
  back.SetSource(1, made, kind(), m_info);
  back.show();
  EXPECT_EQ(back.windowTitle(), QStringLiteral("转换为数据文件"));
  KvGrabWindow(&back, QStringLiteral("dlg_813_to_file_%1").arg(kind()));
  back.OnCancel();
}

// Each risky command run seven times: five copies of its data file are
// left, the newest ones; a name that only looks like a copy stays; the
// data file is as it was; no lock file is left beside a copy or a file
// that is gone.
TEST_P(KvServerDataFileTest, SevenRunsOfEachRiskyCommandKeepFiveCopies) {
  const QString archive = m_dir.filePath(QStringLiteral("same.bak"));
  ASSERT_TRUE(CKvMDBBak(pdb()).SaveBackup(archive));
  if (kind() == 0) {
    ASSERT_TRUE(QDir().mkpath(m_location));
  }
  {
    CKvDb year(kind());
    ASSERT_TRUE(MakeSchool(&year, YearName(2024), m_info));
  }
  const auto resetYear = [&] {
    CKvDb dropper(kind());
    dropper.DropDatabase(YearName(2025), m_info);
    CKvDb year(kind());
    return year.Open(YearName(2024), m_info) && year.Execute(QStringLiteral("Update SysTab Set MM=0"));
  };
  struct Command {
    const char* name;
    std::function<QString()> dataFile;  // its name on the test's kind
    std::function<void()> run;
  };
  const QList<Command> commands = {
      {"console", [&] { return pdb()->GetDatabaseName(true); },
       [&] {
         // Run, then not committed.
         CKvSqlDlg dialog(pdb());
         dialog.show();
         KvDlgItem<QPlainTextEdit>(&dialog, CKvSqlDlg::IDC_STATEMENT)
             ->setPlainText(QStringLiteral("Update SysTab Set NA=NA"));
         KvScriptedAnswers answers({KV_IDNO});
         KvDlgItem<QPushButton>(&dialog, KV_IDOK)->click();
         m_texts = answers.texts;
       }},
      {"restore", [&] { return pdb()->GetDatabaseName(true); },
       [&] {
         KvScriptedAnswers answers;
         EXPECT_TRUE(CKvMDBBak(pdb()).LoadBackup(archive, 2)) << answers.texts.join(u'\n').toStdString();
         m_texts = answers.texts;
       }},
      {"new year", [&] { return YearName(2024); },
       [&] {
         KvScriptedAnswers answers;
         KvNewDataFile service(kind(), m_info);
         service.m_strLocation = m_location;
         service.m_strYear = QStringLiteral("2025");
         EXPECT_TRUE(service.Create(nullptr));
         m_texts = answers.texts;
         EXPECT_TRUE(resetYear());
       }},
  };
  for (const Command& command : commands) {
    SCOPED_TRACE(command.name);
    const QString name = command.dataFile();
    const QStringList before = StateOf(name, kind(), m_info);
    // Looks like a copy of the data file, and is none: it stays.
    QString decoy;
    if (kind() == 0) {
      decoy = name.chopped(4) + QStringLiteral("(2020010112000).XXD");
      QFile touched(decoy);
      ASSERT_TRUE(touched.open(QIODevice::WriteOnly));
    } else {
      decoy = name + QStringLiteral("_2020010112000");
      CKvDb master(kind());
      ASSERT_TRUE(master.Open(QStringLiteral("master"), m_info));
      ASSERT_TRUE(master.DatabaseExists(decoy) || master.Execute(QStringLiteral("Create Database ") + decoy));
    }
    QStringList made;
    for (int run = 0; run < 7; ++run) {
      command.run();
      const QStringList named = namedCopies(m_texts);
      ASSERT_EQ(named.size(), 1) << m_texts.join(u'\n').toStdString();
      made += named;
    }
    EXPECT_EQ(KvStateDiff(before, StateOf(name, kind(), m_info)), QStringList());
    CKvDb db(kind());
    ASSERT_TRUE(db.Open(name, m_info));
    QStringList kept;
    ASSERT_TRUE(db.ListSnapshots(&kept));
    QStringList newest = made.mid(2);
    if (kind() == 0)
      for (QString& copy : newest)
        copy = QFileInfo(copy).absoluteFilePath();
    EXPECT_EQ(kept, newest);
    EXPECT_TRUE(db.DatabaseExists(decoy));
    if (kind() != 0)
      continue;
    // Lock files only of data files that exist and are no copies.
    const QDir folder = QFileInfo(name).absoluteDir();
    const QString title = QFileInfo(name).completeBaseName();
    for (const QString& lock : folder.entryList({title + QStringLiteral("*.kvlock")}, QDir::Files)) {
      const QString of = folder.filePath(lock.chopped(7));
      EXPECT_TRUE(QFileInfo::exists(of)) << lock.toStdString();
      EXPECT_FALSE(made.contains(of)) << lock.toStdString();
    }
  }
}

KV_DB_KIND_TEST_SUITE(KvServerDataFileTest);

}  // namespace
