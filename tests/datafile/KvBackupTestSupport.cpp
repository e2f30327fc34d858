#include "KvBackupTestSupport.h"

#include "core/CKvDb.h"
#include "core/KvArchive.h"
#include "core/KvDbBackend.h"
#include "core/KvText.h"
#include "datafile/CKvMDBBak.h"
#include "datafile/KvDataFileInstall.h"
#include "school/KvSchoolInstall.h"
#include "support/KvTestWorkers.h"
#include "support/school/KvSchoolGen.h"

#include "app/CKvApp.h"
#include "core/KvDbTransaction.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <poll.h>
#include <unistd.h>
#include <utility>

QStringList KvStateDiff(const QStringList& a, const QStringList& b) {
  QStringList diff;
  for (const QString& line : a)
    if (!b.contains(line))
      diff.append(u'-' + line);
  for (const QString& line : b)
    if (!a.contains(line))
      diff.append(u'+' + line);
  if (diff.isEmpty() && a.size() != b.size())
    diff.append(QStringLiteral("(duplicate lines differ)"));
  return diff;
}

namespace {
constexpr char kRoleVariable[] = "KV_TEST_WORKER";
}  // namespace

KvBackupTestApp::KvBackupTestApp() {
  KvInstallSchool();
  InitInstance();
  KvInstallDataFile();
}

std::unique_ptr<KvModuleTestApp> KvBackupDbTest::MakeApp() { return std::make_unique<KvBackupTestApp>(); }

bool KvBackupDbTest::SetTreeParams(CKvDb* pDb) { return KvSetGeneratedSchoolParams(pDb); }

void KvBackupDbTest::SetUp() {
  // A second program works on the database of the test that started it.
  if (qEnvironmentVariableIsSet(kRoleVariable)) {
    m_app = MakeApp();
    return;
  }
  KvModuleDbTest::SetUp();
  if (IsSkipped() || HasFatalFailure())
    return;
  ASSERT_TRUE(m_dir.isValid());
  // The application's connection is the only one of this program, as in
  // the program: a restore replaces the data file under it.
  testDb().db().Close();
  // The year, the entity name and the log switch, as the login reads them.
  m_app->GetDataFile().SetYear(2024);
  ASSERT_TRUE(m_app->GetDataFile().ReadSysTab(pdb(), false));
  ASSERT_EQ(m_app->GetDataFile().GetYear(), 2024);
  ASSERT_TRUE(AddSampleRows(pdb()));
}

bool KvBackupDbTest::AddSampleRows(CKvDb* pDb) {
  // Quotes, "|", Chinese and a binary column.
  if (!pDb->Execute(QStringLiteral("Create Table T(ID Long,X Double,S Char(8),B Image)")))
    return false;
  const QStringList rows = {QStringLiteral("1,1.5,'a''b|c'"), QStringLiteral("2,0,'数据'"),
                            QStringLiteral("3,-2.25,''")};
  for (const QString& row : rows)
    if (!pDb->Execute(QStringLiteral("Insert Into T(ID,X,S) Values(%1)").arg(row)))
      return false;
  return true;
}

void KvBackupDbTest::TearDown() {
  CKvMDBBak::SetStagingHook({});
  KvModuleDbTest::TearDown();
}

QStringList KvDataFileState(CKvDb* pDb) {
  QStringList state;
  for (const QString& table : KvArchiveTableOrder(*pDb)) {
    if (table.compare(QStringLiteral("KvTask"), Qt::CaseInsensitive) == 0 ||
        table.compare(QStringLiteral("KvLog"), Qt::CaseInsensitive) == 0 ||
        table.compare(QStringLiteral("KvLogOp"), Qt::CaseInsensitive) == 0)
      continue;
    QStringList groups[4];
    pDb->GetColumns(table, groups, nullptr);
    const QStringList columns = groups[0] + groups[1] + groups[2];
    QList<QStringList> values(columns.size());
    pDb->QueryTexts(QStringLiteral("Select ") + columns.join(u',') + QStringLiteral(" From ") + table,
                    values.data(), int(columns.size()));
    for (qsizetype r = 0; r < values.value(0).size(); ++r) {
      QStringList cells;
      for (qsizetype c = 0; c < values.size(); ++c) {
        const QString cell = KvDbTrimRight(values.at(c).at(r));
        // Numbers as numbers: the kinds write 0 as "0" or "0.0".
        const bool floating = c >= groups[0].size() && c < groups[0].size() + groups[1].size();
        cells.append(floating && !cell.isEmpty() ? QString::number(cell.toDouble()) : cell);
      }
      const QString line = KvLower(table) + u':' + cells.join(u'|');
      // The highest period number given is the log's bookkeeping too.
      if (!line.startsWith(QStringLiteral("syscstab:0|2|")))
        state.append(line);
    }
  }
  std::sort(state.begin(), state.end());
  return state;
}

QStringList KvBackupDbTest::State() { return KvDataFileState(pdb()); }

QString KvBackupDbTest::Archive(const QString& name) {
  const QString path = m_dir.filePath(name);
  CKvMDBBak bak(pdb());
  EXPECT_TRUE(bak.SaveBackup(path)) << bak.LastError().toStdString();
  return path;
}

bool KvBackupDbTest::Restore(const QString& path) {
  CKvMDBBak bak(pdb());
  bak.SetSafetyBackup(false);
  return bak.LoadBackup(path, 2);
}

bool KvBackupDbTest::StagingLeft() {
  const QString staging = CKvMDBBak::StagingName(pdb());
  return kind() == 0 ? QFileInfo::exists(staging) : pdb()->DatabaseExists(staging);
}

// --- A second program ---

namespace {
CKvDbInfo infoOf(int kind) { return kind == 0 ? CKvDbInfo(0) : KvTestDb::ServerInfo(kind); }

// Whether the parent has closed the worker's input.
bool inputClosed() {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  if (::poll(&input, 1, 0) <= 0)
    return false;
  char buffer[64];
  return ::read(STDIN_FILENO, buffer, sizeof buffer) <= 0;
}

void ready(bool ok) { KvTestWorkerSay(ok ? "READY" : "FAILED"); }
}  // namespace

bool KvServeAsWorker() {
  const QString request = KvTestWorkerRequest(kRoleVariable);
  if (request.isEmpty())
    return false;
  const QStringList parts = request.split(u'|');
  const QString role = parts.value(0);
  const int kind = parts.value(1).toInt();
  const QString name = parts.value(2);
  if (role == u"restore") {
    CKvApp* app = KvGetApp();
    CKvDb* db = app ? app->GetDb() : nullptr;
    if (app) {
      CKvDataFile& file = app->GetDataFile();
      file.SetKind(kind == 0 ? 0 : 1);
      if (kind != 0)
        file.SetServerBackend(kind);
      file.SetOperatorCode(QStringLiteral("101"));
      file.SetYear(2024);
    }
    const bool opened = db && db->Open(name, infoOf(kind));
    ready(opened);
    const QString archive = parts.mid(3).join(u'|');
    while (opened && !inputClosed()) {
      CKvMDBBak bak(db);
      bak.SetSafetyBackup(false);
      bak.LoadBackup(archive, 2);
    }
    return true;
  }
  CKvDb db(kind);
  const bool opened = db.Open(name, infoOf(kind));
  if (role == u"pairs") {
    bool first = true;
    while (opened && !inputClosed()) {
      KvDbTransaction transaction(db);
      db.Execute(QStringLiteral("Insert Into P1(N) Values(1)"), QString(), 128, false);
      db.Execute(QStringLiteral("Insert Into P2(N) Values(1)"), QString(), 128, false);
      transaction.Commit();
      if (std::exchange(first, false))
        ready(true);
    }
    if (!opened)
      ready(false);
    return true;
  }
  ready(opened);
  while (opened && !inputClosed())
    QThread::msleep(20);
  return true;
}

bool KvWorkerProcess::Start(const QString& role, int kind, const QString& name, const QString& archive) {
  m_worker = std::make_unique<KvTestWorkers>(
      kRoleVariable, QStringList{QStringList{role, QString::number(kind), name, archive}.join(u'|')});
  return m_worker->FirstNotReady() == -1;
}

void KvWorkerProcess::Stop() {
  if (m_worker && m_worker->process(0).state() != QProcess::NotRunning)
    m_worker->Finish(0);
}

void KvWorkerProcess::Kill(int kind) {
  if (m_worker)
    m_worker->Kill(0, kind);
}
