#include "app/KvBackup.h"

#include "app/CKvApp.h"
#include "app/KvUserSettings.h"
#include "core/CKvCsRec.h"
#include "core/CKvDb.h"
#include "core/CKvFileNameChecker.h"
#include "core/KvDate.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvRowsDigest.h"
#include "core/KvWriteFailure.h"
#include "ui/CKvWaitWnd.h"

#include <QWidget>

#include <cerrno>
#include <utility>

namespace {

KvBackupArchiveWriter& archiveWriter() {
  static KvBackupArchiveWriter writer;
  return writer;
}

const QString kLastBackupName = QStringLiteral("最近一次数据备份时间");

QString lastBackupWhere(CKvDb* pDb) {
  return QStringLiteral("Where Cs=0 And CsN=1 And CsNa='%1'").arg(pDb->QuoteText(kLastBackupName));
}

// The stored date of the last backup ("yyyyMMdd"), empty when none.
QString readLastBackupDate(CKvDb* pDb) {
  QList<CKvCsRec> rows;
  if (CKvCsRec(pDb).Select(lastBackupWhere(pDb), QString(), QString(), QString(), &rows) <= 0)
    return QString();
  return rows.first().CsVal;
}

void storeLastBackupDate(CKvDb* pDb, const QString& date) {
  KvDbTransaction transaction(*pDb);
  CKvCsRec row(pDb);
  if (!row.DeleteWhere(lastBackupWhere(pDb)))
    return;
  row.Set(0, 1, kLastBackupName, date);
  if (row.Insert())
    transaction.Commit();
}

// Whether a scheduled backup is due after `days` days for the interval.
bool isDue(int nTime, int days) {
  switch (nTime) {
    case 0: return days >= 1;
    case 1: return days >= 7;
    case 2: return days >= 30;
    default: return true;
  }
}

// Shows the message, or hands it back when the caller asked for it.
void report(const QString& text, unsigned icon, QString* pText) {
  if (pText)
    *pText = text;
  else
    KvMessageBox(text, KV_MB_OK | icon);
}

// Makes the connection shared again when it goes (after an exclusive
// hold); the result tells whether the file is open afterwards.
class SharedAgain {
 public:
  explicit SharedAgain(CKvDb* pDb) : m_pDb(pDb) {}
  ~SharedAgain() { Release(); }
  SharedAgain(const SharedAgain&) = delete;
  SharedAgain& operator=(const SharedAgain&) = delete;
  bool Release() {
    if (!m_pDb)
      return true;
    CKvDb* db = std::exchange(m_pDb, nullptr);
    return db->GetKind() != 0 || db->Reopen();
  }

 private:
  CKvDb* m_pDb;
};

// Writes the archive of the data file on db into the folder (made when
// missing); *path is the archive's name, *why the reason for a failure
// when there is one.
bool writeArchive(CKvDb* db, const QString& folder, const QString& entityName, int nYear, QString* path,
                  QString* why) {
  *path = KvBackupArchivePath(folder, entityName, KvNowText(QStringLiteral("%Y%m%d%H%M%S")), nYear,
                              KvGetApp()->GetDataFileExt());
  if (!archiveWriter())
    return false;
  CKvFileNameChecker checker;
  if (!checker.KvCreateFolder(KvSlashPath(folder))) {
    // A file where the folder should be, or a folder that could not be
    // made: the reason; a name that is no folder's name: the checker's.
    const int error = errno;
    const int state = checker.GetMessage(why);
    if (state == 2 || state == -21)
      *why = KvWriteFailureReason(state == 2 ? ENOTDIR : error, *path);
    return false;
  }
  CKvWaitWnd wait;
  wait.Show();
  return archiveWriter()(db, *path, why);
}

// A failure's text with the writer's reason on a line of its own.
QString withReason(const QString& text, const QString& why) {
  return why.isEmpty() ? text : text + u'\n' + why;
}

}  // namespace

void KvSetBackupArchiveWriter(KvBackupArchiveWriter writer) { archiveWriter() = std::move(writer); }

bool KvHasBackupArchiveWriter() { return bool(archiveWriter()); }

QString KvBackupArchivePath(const QString& folder, const QString& entityName,
                            const QString& timeStamp, int nYear, const QString& extension) {
  QString dir = KvSlashPath(folder);
  while (dir.endsWith(u'/'))
    dir.chop(1);
  return QStringLiteral("%1/%2%3_%4_%5.bak")
      .arg(dir, KvFileNameText(entityName), timeStamp, QString::number(nYear), extension);
}

bool KvScheduledBackup(bool bScheduled, QString* pText) {
  CKvApp* app = KvGetApp();
  CKvDb* db = KvGetAppDb();
  if (!app || !db || !db->IsOpen())
    return false;
  // Without the archive writer a scheduled backup does nothing at all.
  if (bScheduled && !archiveWriter())
    return false;
  int mode = 1;
  int time = 1;
  QString folder;
  KvReadBackupSettings(&mode, &time, &folder);
  if (bScheduled && mode == 0)
    return false;

  const QString today = KvNowText(QStringLiteral("%Y%m%d"));
  QString stored = readLastBackupDate(db);
  if (KvCheckDateText(&stored) != 0)
    stored.clear();
  if (bScheduled) {
    if (stored.isEmpty()) {
      // The first scheduled run only notes the day.
      storeLastBackupDate(db, today);
      return true;
    }
    if (!isDue(time, KvDaysBetween(stored, today, false)))
      return false;
  }

  CKvDataFile& file = app->GetDataFile();
  QString path;
  QString why;
  const bool made = writeArchive(db, folder, file.GetEntityName(), file.GetYear(), &path, &why);

  if (bScheduled) {
    if (made)
      report(QStringLiteral("按例执行备份成功，备件：\n%1").arg(path), KV_MB_ICONINFORMATION, pText);
    else
      report(withReason(QStringLiteral("按例执行备份失败！"), why), KV_MB_ICONSTOP, pText);
  } else if (made) {
    report(QStringLiteral("执行此操作前，已为你作了一次数据备份，备件：\n%1").arg(path),
           KV_MB_ICONINFORMATION, pText);
  } else {
    report(withReason(QStringLiteral("执行操作前备份数据失败！"), why), KV_MB_ICONSTOP, pText);
  }
  if (made && bScheduled)
    storeLastBackupDate(db, today);
  return made;
}

namespace {
// The safety copies kept of each data file: the newest ones.
constexpr int kKeptSafetyCopies = 5;

// Copies the data file aside; once the copy is found whole, the copies
// beyond the newest few go. A copy that is not whole goes at once.
bool makeSafetyCopy(CKvDb* db, QString* copy) {
  if (!db->SnapshotDataFile(copy))
    return false;
  if (!db->VerifySnapshot(*copy)) {
    db->DropSnapshot(*copy);
    return false;
  }
  QStringList copies;
  if (db->ListSnapshots(&copies))
    for (qsizetype i = 0; i + kKeptSafetyCopies < copies.size(); ++i)
      db->DropSnapshot(copies.at(i));
  return true;
}

// The archive of another data file than the application's, named after its
// own entity name and year; the outcome is shown as for an unscheduled
// backup.
bool archiveOtherFile(CKvDb* db) {
  CKvApp* app = KvGetApp();
  if (!app)
    return false;
  int mode = 1;
  int time = 1;
  QString folder;
  KvReadBackupSettings(&mode, &time, &folder);
  QString path;
  QString why;
  const bool made = writeArchive(db, folder, db->LookupText(QStringLiteral("max(NA) From SysTab")).trimmed(),
                                 int(db->LookupLong(QStringLiteral("max(PY) From SysTab"))), &path, &why);
  if (made)
    report(QStringLiteral("执行此操作前，已为你作了一次数据备份，备件：\n%1").arg(path),
           KV_MB_ICONINFORMATION, nullptr);
  else
    report(withReason(QStringLiteral("执行操作前备份数据失败！"), why), KV_MB_ICONSTOP, nullptr);
  return made;
}
// The digest of the byte copy's rows. The data file is held exclusively
// from the copy on, so that its own rows are the copy's; a server database
// is not, so the copy itself is read.
QByteArray safetyCopyDigest(CKvDb* db, const QString& copy) {
  if (db->GetKind() == 0 || copy.isEmpty())
    return KvDataDigest(db);
  CKvDb copied(db->GetKind());
  return copied.Open(copy, db->GetConnectInfo()) ? KvDataDigest(&copied) : QByteArray();
}
}  // namespace

bool KvBackupBeforeRiskyOp(CKvDb* pDb, KvSafetyMoment* pMoment) {
  CKvDb* db = pDb ? pDb : KvGetAppDb();
  if (!db || !db->IsOpen())
    return false;
  if (!db->ReopenMdbExclusive(true))
    return false;
  SharedAgain shared(db);
  if (!db->CheckOtherClients(true))
    return false;
  if (pMoment && db->GetKind() == 0 &&
      !(pMoment->hold = KvPresenceLock::holdForReplacement(db->GetDatabaseName(true))))
    return false;

  QString copy;
  const bool copied = makeSafetyCopy(db, &copy);
  if (pMoment)
    pMoment->digest = safetyCopyDigest(db, copied ? copy : QString());
  if (copied)
    KvMessageBox(QStringLiteral("执行操作前系统已将数据文件原样拷贝成：＜%1＞！").arg(copy),
                 KV_MB_OK | KV_MB_ICONINFORMATION);
  else
    KvMessageBox(QStringLiteral("执行操作前，原样拷贝当前数据文件失败！"), KV_MB_OK | KV_MB_ICONSTOP);
  const bool archived = db == KvGetAppDb() ? KvScheduledBackup(false) : archiveOtherFile(db);
  if (!shared.Release())
    return false;

  if (copied && archived)
    return true;
  if (!copied && !archived)
    return false;
  return KvMessageBox(QStringLiteral("两种数据备份方法中只成功了一种，继续吗？"),
                      KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) == KV_IDYES;
}
