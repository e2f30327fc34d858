#include "datafile/CKvMDBBak.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "app/KvBackup.h"
#include "core/CKvDb.h"
#include "core/KvArchive.h"
#include "core/KvDate.h"
#include "core/KvDbBackend.h"
#include "core/KvDbSnapshot.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvPresenceLock.h"
#include "core/KvRowsDigest.h"
#include "core/KvWriteFailure.h"
#include "datafile/KvRestoredYearMark.h"
#include "ui/KvWaitCursor.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryFile>

#include <cerrno>
#include <memory>

namespace {

enum { kInteger, kFloating, kText, kBinary, kGroups };

CKvMDBBak::StagingHook& stagingHook() {
  static CKvMDBBak::StagingHook hook;
  return hook;
}

CKvMDBBak::WrittenHook& writtenHook() {
  static CKvMDBBak::WrittenHook hook;
  return hook;
}

KvArchiveHeader headerOf(const CKvMDBBak& bak) {
  KvArchiveHeader header;
  header.signature = bak.m_strSignature;
  header.identifier = bak.m_strCurrentCode;
  header.databaseName = bak.m_strDatabaseName;
  header.edition = bak.m_nEdition;
  header.year = bak.m_nYear;
  header.entityName = bak.m_strEntityName;
  header.operatorText = bak.m_strOperator;
  header.timeText = bak.m_strTime;
  return header;
}

// The staging database goes; false when it is still there.
bool dropStaging(int kind, const QString& name, const CKvDbInfo& info) {
  CKvDb staging(kind);
  if (kind == 0)
    return !QFileInfo::exists(name) || staging.DropDatabase(name, info);
  {
    CKvDb master(kind);
    if (!master.Open(QStringLiteral("master"), info))
      return false;
    if (!master.DatabaseExists(name))
      return true;
  }
  return staging.DropDatabase(name, info);
}

// The staging file is no data file until the swap: nobody else opens it and
// a failed restore deletes it. Its journal stays in memory and its commit
// does not wait for the disk; the swap flushes it once before the rename.
bool writeStagingUnsynced(CKvDb& staging) {
  KvDbBackend* backend = staging.GetBackend();
  QString why;
  return backend && backend->execute(QStringLiteral("PRAGMA journal_mode=MEMORY"), &why) &&
         backend->execute(QStringLiteral("PRAGMA synchronous=OFF"), &why) &&
         backend->execute(QStringLiteral("PRAGMA cache_size=-65536"), &why);
}

}  // namespace

CKvMDBBak::CKvMDBBak() = default;

CKvMDBBak::CKvMDBBak(CKvDb* pDb)
    : m_strSignature(QString::fromLatin1(kKvArchiveSignature)),
      m_strArchiveSignature(m_strSignature),
      m_pDb(pDb) {
  if (m_pDb)
    m_strDatabaseName = m_pDb->GetDatabaseName(true);
  CKvApp* app = KvGetApp();
  if (app) {
    CKvDataFile& file = app->GetDataFile();
    m_nEdition = app->GetEditionCode();
    m_nYear = file.GetYear();
    m_strEntityName = file.GetEntityName();
    m_strOperator = QStringLiteral("%1(%2)").arg(file.GetOperatorName(), file.GetOperatorCode());
  }
  // Another data file than the application's (the previous year the new
  // year's carry backs up) is named by its own year and unit, so that its
  // archive restores into it.
  if (m_pDb && m_pDb->IsOpen() && (!app || m_pDb != app->GetDb())) {
    m_nYear = m_pDb->LookupLong(QStringLiteral("max(PY) From SysTab"));
    m_strEntityName = m_pDb->LookupText(QStringLiteral("max(NA) From SysTab")).trimmed();
  }
  m_nCurrentYear = m_nYear;
  m_strTime = KvNowText(QStringLiteral("%Y年%m月%d日%H时%M分"));
  if (m_pDb && m_pDb->IsOpen())
    m_strCurrentCode = m_pDb->LookupText(QStringLiteral("max(AN) From SysTab")).trimmed();
  m_strArchiveCode = m_strCurrentCode;
}

void CKvMDBBak::SetStagingHook(StagingHook hook) { stagingHook() = std::move(hook); }

void CKvMDBBak::SetWrittenHook(WrittenHook hook) { writtenHook() = std::move(hook); }

QString CKvMDBBak::StagingName(CKvDb* pDb) {
  const QString name = pDb->GetDatabaseName(true);
  return pDb->GetKind() == 0 ? name + QStringLiteral(".part")
                             : KvServerDatabaseName(name) + QStringLiteral("_part");
}

QStringList CKvMDBBak::TablesWithBinaryColumns() const {
  QStringList tables;
  if (!m_pDb || !m_pDb->IsOpen())
    return tables;
  for (const QString& table : KvArchiveTableOrder(*m_pDb)) {
    QStringList groups[kGroups];
    if (m_pDb->GetColumns(table, groups, nullptr) > 0 && !groups[kBinary].isEmpty())
      tables.append(table);
  }
  return tables;
}

// --- Writing ---

bool CKvMDBBak::SaveBackup(const QString& path) {
  m_strError.clear();
  if (!m_pDb || !m_pDb->IsOpen())
    return false;
  // Written beside the target and read back whole by the restore's own
  // scan: only an archive that a restore takes comes under the target's
  // name, and a failed one leaves whatever stood there.
  QTemporaryFile file(KvFileDir(path) + QStringLiteral("/.kvbak-XXXXXX"));
  if (!file.open()) {
    m_strError = KvWriteFailureReason(file, path);
    return false;
  }
  KvWaitCursor wait;
  if (!WriteArchive(&file) || !file.flush()) {
    if (m_strError.isEmpty())
      m_strError = KvWriteFailureReason(file, path);
    return false;
  }
  if (writtenHook())
    writtenHook()(file);
  QString why;
  if (!KvScanArchiveFile(&file, &why)) {
    m_strError = QStringLiteral("备份件写成后读回检查未通过：%1").arg(why);
    return false;
  }
  if (!KvPresenceLock::replaceDataFile(file.fileName(), path, true)) {
    m_strError = QFileInfo(path).isDir() ? KvWriteFailureReason(EISDIR, path)
                                         : QStringLiteral("保存文档失败。\n") + path;
    return false;
  }
  file.setAutoRemove(false);
  return true;
}

bool CKvMDBBak::WriteArchive(QIODevice* out) {
  // One picture of every table, whatever other programs write meanwhile.
  KvDbSnapshot snapshot(*m_pDb);
  if (!snapshot.IsActive()) {
    m_strError = QStringLiteral("不能读取数据库：%1").arg(m_pDb->GetDatabaseName(true));
    return false;
  }
  if (KvWriteArchive(*m_pDb, headerOf(*this), out, &m_strError))
    return true;
  if (m_strError.isEmpty() &&
      (out->errorString().isEmpty() || out->errorString() == QStringLiteral("Unknown error")))
    m_strError = QStringLiteral("有数据表不能读出或含有不能备份的列类型。");
  return false;
}

// --- Reading ---

bool CKvMDBBak::LoadBackup(const QString& path, int nMode) {
  m_strError.clear();
  QFile file(path);
  // Read in pieces by the archive's reader, which buffers them itself.
  if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
    KvMessageBox(QStringLiteral("打开文档失败。\n") + path, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  // An empty file holds no archive: nothing to show, nothing to restore.
  if (file.size() == 0)
    return false;
  KvWaitCursor wait;
  if (nMode == 0) {
    const QByteArray start = file.read(15);
    if (start.size() < 9)
      return false;
    return QString::fromUtf8(start.left(start.indexOf('\0') < 0 ? start.size() : start.indexOf('\0')))
        .contains(m_strSignature.isEmpty() ? QString::fromLatin1(kKvArchiveSignature) : m_strSignature);
  }
  if (nMode != 1 && nMode != 2)
    return false;
  KvArchiveReader reader(&file);
  return ReadArchive(reader, file, nMode, path);
}

bool CKvMDBBak::ReadArchive(KvArchiveReader& reader, QFile& archive, int nMode, const QString& path) {
  m_nArchiveSize = reader.Remaining();
  KvArchiveHeader header;
  if (!reader.ReadHeader(&header))
    return false;
  m_strArchiveSignature = header.signature;
  m_strArchiveCode = header.identifier;
  if (m_strArchiveSignature != QString::fromLatin1(kKvArchiveSignature))
    return false;
  m_strDatabaseName = header.databaseName;
  m_nEdition = header.edition;
  m_nYear = header.year;
  if (m_nYear != m_nCurrentYear)
    return false;
  m_strEntityName = header.entityName;
  m_strOperator = header.operatorText;
  m_strTime = header.timeText;
  if (nMode == 1)
    return true;
  if (!m_pDb || !m_pDb->IsOpen())
    return false;

  // The whole archive is sound before anything is asked or changed.
  qint32 tableCount = 0;
  QString why;
  QList<KvArchiveTable> blocks;
  const bool counted = reader.ReadTableCount(&tableCount);
  if (!counted || !KvScanArchiveTables(reader, tableCount, &why, &blocks)) {
    KvMessageBox(QStringLiteral("所选择的备份件已损坏，不能用于恢复！\n") +
                     (counted ? why : reader.Error()),
                 KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  m_archiveChecksum = reader.Checksum();
  m_blocks.clear();
  for (const KvArchiveTable& block : std::as_const(blocks))
    m_blocks.append({block.name, block.rowCount});

  if (m_strCurrentCode != m_strArchiveCode &&
      KvMessageBox(QStringLiteral("当前数据文件的标识码为：“%1”，\n备份件的标识码为：“%2”，\n两者不一致！\n"
                                  "用备份件替换当前数据文件吗？")
                       .arg(m_strCurrentCode, m_strArchiveCode),
                   KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2) != KV_IDYES)
    return false;
  const bool countsDiffer = KvArchiveTableOrder(*m_pDb).size() != tableCount;
  if (countsDiffer &&
      KvMessageBox(QStringLiteral("备份集中的表数目与当前数据文件中的表数目不一致，继续吗！"),
                   KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return false;
  return Restore(archive, tableCount, countsDiffer, path);
}

// --- Restoring ---

bool CKvMDBBak::Restore(QFile& archive, int nTableCount, bool bSkipUnknown, const QString& path) {
  // What the data file held when the restore began: a change after it (a
  // receipt stored at another workstation while the archive is staged)
  // would be lost in the swap, and is neither in the archive nor, past the
  // safety copy, in that copy.
  KvSafetyMoment start;
  if (m_bSafetyBackup && !KvBackupBeforeRiskyOp(m_pDb, &start))
    return false;
  CKvDb& db = *m_pDb;
  if (!db.IsOpen())
    return false;
  if (!m_bSafetyBackup)
    start.digest = KvDataDigest(&db);
  const int kind = db.GetKind();
  const QString current = db.GetDatabaseName(true);
  const CKvDbInfo info = db.GetConnectInfo();
  const int baseline = db.CarriedBaseline();
  const QString stagingName = StagingName(&db);
  m_skipped.clear();
  m_strError.clear();

  bool swapped = false;
  {
    KvWaitCursor wait;
    CKvDb staging(kind);
    bool staged = dropStaging(kind, stagingName, info) && staging.CreateDatabase(stagingName, info) &&
                  (kind != 0 || writeStagingUnsynced(staging));
    if (!staged) {
      m_strError = QStringLiteral("不能建立暂存数据文件“%1”。").arg(stagingName);
    } else {
      if (stagingHook())
        stagingHook()(staging, false);
      staged = Stage(staging, archive, nTableCount, bSkipUnknown);
      if (stagingHook())
        stagingHook()(staging, true);
    }
    staging.Close();
    // The last look before the swap, with the staging copy done.
    if (staged)
      staged = unchangedSince(db, start.digest);
    if (staged) {
      db.Close();
      swapped = db.RenameDatabase(stagingName, current, info, true);
      if (!swapped)
        m_strError = QStringLiteral("不能用暂存数据文件替换当前数据文件，可能另有程序正在使用它。");
    }
    if (!swapped)
      dropStaging(kind, stagingName, info);
  }
  // Swapped or not, the file is free for the others again before anything
  // is told.
  start.hold.reset();

  // The data file, untouched or restored, is the application's again.
  if (!db.IsOpen() && !db.Open(current, info)) {
    KvMessageBox(QStringLiteral("无法打开数据库文件：\n") + current, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  // Untouched, it is the database the session read: a year carried since
  // stays refused. Restored, the session takes the mark the restored file
  // holds, read as it opened: its saves go knowingly into a carried year,
  // as after a login into it.
  if (!swapped)
    db.SetCarriedBaseline(baseline);
  if (CKvApp* app = KvGetApp()) {
    if (&db == app->GetDb()) {
      if (swapped)
        app->GetDataFile().ReadSysTab(&db, false);
      // Making the staging tables may have loaded its parameters.
      app->OpenModuleData(&db);
      // The restored periods lack the one running now, whose entries (the
      // restore's own among them) would belong to no listed period: it is
      // registered again, under a free number; nothing is written while
      // the restored file's log is off.
      if (swapped && CKvOperation::IsLogOn())
        CKvOperation::RegisterTask(app->GetTask(), &db);
    }
  }
  if (!swapped) {
    CKvOperation::WriteLog(23, QStringLiteral("从“%1”中恢复数据失败").arg(path));
    KvMessageBox(QStringLiteral("数据恢复失败，当前数据文件未被改动！\n") + m_strError,
                 KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  CKvOperation::WriteLog(23, QStringLiteral("从“%1”中恢复数据").arg(path));
  return true;
}

bool CKvMDBBak::unchangedSince(CKvDb& db, const QByteArray& digest) {
  const QByteArray now = KvDataDigest(&db);
  if (!digest.isEmpty() && now == digest)
    return true;
  m_strError = now.isEmpty() || digest.isEmpty() ? QStringLiteral("不能读取当前数据文件。")
                                                 : QStringLiteral("恢复期间其他工作站修改了数据。");
  return false;
}

bool CKvMDBBak::Stage(CKvDb& staging, QFile& archive, int nTableCount, bool bSkipUnknown) {
  CKvApp* app = KvGetApp();
  if (!app) {
    m_strError = QStringLiteral("不能读取备份件。");
    return false;
  }
  // The archive is read again from its start: the same size, the same
  // table count and, at the end, the same checksum as the scan's, or the
  // restore is refused.
  const QString changed = QStringLiteral("备份件在恢复期间被改动或不能读取。");
  KvArchiveHeader header;
  qint32 tableCount = -1;
  const bool atStart = archive.seek(0);
  KvArchiveReader reader(&archive);
  if (!atStart || reader.Remaining() != m_nArchiveSize || !reader.ReadHeader(&header) ||
      !reader.ReadTableCount(&tableCount) || tableCount != nTableCount) {
    m_strError = changed;
    return false;
  }
  {
    // One transaction from the first table to the last row: the copy is
    // written to disk once.
    KvDbTransaction transaction(staging);
    if (!transaction.IsActive()) {
      m_strError = QStringLiteral("不能写入暂存数据文件。");
      return false;
    }
    if (!app->CreateAllTables(&staging) || !CreateMissingTables(staging)) {
      m_strError = QStringLiteral("不能在暂存数据文件中建立数据表。");
      return false;
    }
    // No row but the archive's: what making the tables wrote goes.
    QStringList tables;
    staging.ListUserTables(&tables);
    for (const QString& table : std::as_const(tables)) {
      QString why;
      if (!staging.GetBackend()->execute(QStringLiteral("Delete From ") + table, &why)) {
        m_strError = why;
        return false;
      }
    }
    QString why;
    if (!KvRestoreArchiveTables(reader, nTableCount, staging, &why,
                                bSkipUnknown ? &m_skipped : nullptr)) {
      m_strError = reader.Failed() ? changed : why;
      return false;
    }
    if (reader.Checksum() != m_archiveChecksum) {
      m_strError = changed;
      return false;
    }
    // The year's mark goes with the file's place in time, not with the
    // archive: a year carried since the backup stays carried.
    int mark = -1;
    if (!KvRestoredYearMark(*m_pDb, &mark, &why) ||
        (mark >= 0 &&
         !staging.GetBackend()->execute(QStringLiteral("Update SysTab Set MM=%1").arg(mark), &why))) {
      m_strError = why;
      return false;
    }
    if (!transaction.Commit()) {
      m_strError = QStringLiteral("不能写入暂存数据文件。");
      return false;
    }
  }
  return Verify(staging);
}

bool CKvMDBBak::CreateMissingTables(CKvDb& staging) {
  for (const QString& table : KvArchiveTableOrder(*m_pDb)) {
    if (staging.TableExists(table))
      continue;
    QStringList groups[kGroups];
    QList<int> widths;
    if (m_pDb->GetColumns(table, groups, &widths) <= 0)
      return false;
    QStringList columns;
    for (const QString& name : std::as_const(groups[kInteger]))
      columns.append(name + QStringLiteral(" Long"));
    for (const QString& name : std::as_const(groups[kFloating]))
      columns.append(name + QStringLiteral(" Double"));
    for (qsizetype i = 0; i < groups[kText].size(); ++i)
      columns.append(QStringLiteral("%1 Char(%2)").arg(groups[kText].at(i)).arg(widths.value(i, 255)));
    for (const QString& name : std::as_const(groups[kBinary]))
      columns.append(name + QStringLiteral(" Image"));
    if (!staging.Execute(QStringLiteral("Create Table %1(%2)").arg(table, columns.join(u','))))
      return false;
  }
  return true;
}

bool CKvMDBBak::Verify(CKvDb& staging) {
  KvDbBackend* backend = staging.GetBackend();
  const auto count = [&](const QString& sql, qint64* value) {
    std::unique_ptr<KvDbCursor> row = backend ? backend->query(sql, nullptr) : nullptr;
    if (!row || row->atEnd())
      return false;
    *value = row->integer(0);
    return true;
  };
  QMap<QString, qint64> expected;
  for (const Block& block : std::as_const(m_blocks))
    if (!m_skipped.contains(block.name))
      expected[block.name] += block.rows;
  for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
    qint64 rows = -1;
    if (!count(QStringLiteral("Select Count(*) From ") + it.key(), &rows) || rows != it.value()) {
      m_strError = QStringLiteral("表%1的行数与备份件不符。").arg(it.key());
      return false;
    }
  }
  qint64 rows = 0;
  qint64 year = 0;
  if (!count(QStringLiteral("Select Count(*) From SysTab"), &rows) || rows != 1 ||
      !count(QStringLiteral("Select PY From SysTab"), &year) || year != m_nYear) {
    m_strError = QStringLiteral("备份件中的SysTab不是%1年度的一行。").arg(m_nYear);
    return false;
  }
  // Period numbers far below the column's top: a number near it would
  // leave the next logins no number to take.
  constexpr qint64 kPeriodBound = 1000000000;
  qint64 period = 0;
  if (!CKvOperation::HighestTaskNumber(&staging, &period)) {
    m_strError = QStringLiteral("不能读取备份件中的工作期号。");
    return false;
  }
  if (period >= kPeriodBound) {
    m_strError = QStringLiteral("备份件中的工作期号%1过大（应小于%2）。").arg(period).arg(kPeriodBound);
    return false;
  }
  if (staging.GetKind() == 0) {
    // The pages and records of a file SQLite has just written; the indexes'
    // agreement with their tables is SQLite's own bookkeeping.
    std::unique_ptr<KvDbCursor> check = backend->query(QStringLiteral("PRAGMA quick_check"), nullptr);
    const QString result = check && !check->atEnd() ? check->text(0) : QString();
    if (result != u"ok") {
      m_strError = QStringLiteral("暂存数据文件的完整性检查未通过：%1").arg(result);
      return false;
    }
  }
  return true;
}
