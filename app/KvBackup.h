#pragma once
// Backups of the open data file: the scheduled backup archive made at
// login, and the two safety copies taken before a risky operation (a byte
// copy of the data file and a backup archive).
//
// The archive format belongs to the data-file administration; it installs
// the writer with KvSetBackupArchiveWriter. Without a writer no archive is
// made: a scheduled backup does nothing and the archive copy before a risky
// operation counts as failed.

#include "core/KvPresenceLock.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class CKvDb;

// Writes the backup archive of the data file open on pDb to `path`; true
// when the file was written, else why not in *pError when it can say.
using KvBackupArchiveWriter = std::function<bool(CKvDb* pDb, const QString& path, QString* pError)>;
void KvSetBackupArchiveWriter(KvBackupArchiveWriter writer);
bool KvHasBackupArchiveWriter();

// The archive's path: "<folder>/<entity name><time stamp>_<year>_<data-file
// extension>.bak", the folder without trailing separators; characters that
// a file name cannot hold (\ / : * ? " < > |) in the entity name become "_".
QString KvBackupArchivePath(const QString& folder, const QString& entityName,
                            const QString& timeStamp, int nYear, const QString& extension);

// A scheduled call (at login) honours the backup settings and the interval
// since the last backup date (parameter row Cs 0, CsN 1 "最近一次数据备份时
// 间", "yyyyMMdd"): the first scheduled run only records today. An
// unscheduled call always writes an archive. The outcome is shown, with
// the writer's reason for a failure, or handed back in *pText when given. True when an archive was made (or the
// first date recorded).
bool KvScheduledBackup(bool bScheduled, QString* pText = nullptr);

// Before a risky operation on the data file open on pDb (null: the
// application's): takes it for exclusive use, checks that no other program
// uses it, makes a byte copy and a backup archive (named after that file's
// entity name and year), then reopens it shared on every path. The copy
// counts once it holds every table with its rows; then only the five
// newest copies of that file are kept (CKvDb::ListSnapshots). True when
// both copies were made, or when only one was and the user chose to go on.
//
// A command that replaces the data file afterwards passes pMoment: it gets
// the digest of every table but the log's as the byte copy holds them (the
// file's own when no byte copy was made), and on a
// data file the exclusive hold, kept until the command lets it go, so that
// no other program can open the file up to the swap.
struct KvSafetyMoment {
  QByteArray digest;
  std::unique_ptr<KvPresenceLock> hold;
};
bool KvBackupBeforeRiskyOp(CKvDb* pDb = nullptr, KvSafetyMoment* pMoment = nullptr);
