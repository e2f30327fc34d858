#pragma once
// The backup archive of a data file (core/KvArchive) as the program uses
// it: written from the open data file, probed, its header read, and
// restored over the open data file.
//
// A restore never touches the current data file until the archive has gone
// in whole: the archive is scanned first, its rows are loaded into a
// staging copy ("<file>.part" or "<database>_part") made with every table
// of the program and of the current file, the staging copy is verified,
// and only then renamed over the current one. The scan and the load each
// read the archive from its start in pieces, never holding it whole; the
// load is refused ("备份件在恢复期间被改动或不能读取。") unless it reads
// the very bytes the scan judged. Just before the rename the
// current file's rows (the log's aside) are compared with those of the
// safety copy, or of the restore's start without the safety backups: a
// change made meanwhile refuses the restore ("恢复期间其他工作站修改了数
// 据。"). On a data file the safety backup's exclusive hold is kept up to
// the rename, so that only this program can open the file meanwhile. Any
// failure before the rename drops the staging copy and leaves the current
// data file as it was. The connection given is the application's: it is
// closed for the rename and opened again on every path.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class CKvDb;
class KvArchiveReader;
class QFile;
class QIODevice;

class CKvMDBBak {
 public:
  // Nothing set; for reading an archive without a data file.
  CKvMDBBak();
  // The header fields from the open data file and pDb; a pDb other than
  // the application's gives its own year and unit name.
  explicit CKvMDBBak(CKvDb* pDb);

  // Writes the archive of the database to the path: the file appears whole
  // or not at all, and every table is read in one snapshot. The archive
  // takes the path's name only once the restore's scan has read it back
  // whole. It shows nothing: a file that cannot be made, written or put in
  // place, a table that cannot be read, a name the archive cannot carry or
  // a read-back that fails gives false with the reason in LastError().
  bool SaveBackup(const QString& path);
  // 0: whether the file is an archive of this program; 1: reads the header
  // into the members and requires the open data file's year; 2: restores
  // it over the data file (the questions, the safety backup, staging,
  // verify, swap). An empty file is no archive in any mode.
  bool LoadBackup(const QString& path, int nMode);

  // Why the last save or restore failed, when it says.
  const QString& LastError() const { return m_strError; }
  // Tables of the database whose binary columns an archive cannot keep.
  QStringList TablesWithBinaryColumns() const;
  // Blocks of the last restore whose table neither file had.
  const QStringList& SkippedTables() const { return m_skipped; }

  // The staging copy of the data file pDb has open.
  static QString StagingName(CKvDb* pDb);

  // For tests: called with the staging connection once it is made
  // (bClosing false) and just before it is closed (bClosing true).
  using StagingHook = std::function<void(CKvDb& staging, bool bClosing)>;
  static void SetStagingHook(StagingHook hook);
  // For tests: called with the backup's written file, flushed, just before
  // it is read back.
  using WrittenHook = std::function<void(QFile& written)>;
  static void SetWrittenHook(WrittenHook hook);
  // A restore takes the safety backups first unless turned off (for
  // measuring the restore alone).
  void SetSafetyBackup(bool bOn) { m_bSafetyBackup = bOn; }

  // The header: the program's signature, then as read from an archive.
  QString m_strSignature;
  QString m_strArchiveSignature;
  QString m_strDatabaseName;
  int m_nEdition = 0;
  int m_nYear = 0;
  QString m_strEntityName;
  QString m_strOperator;
  QString m_strTime;
  QString m_strCurrentCode;
  QString m_strArchiveCode;
  CKvDb* m_pDb = nullptr;

 private:
  bool WriteArchive(QIODevice* out);
  // Modes 1 and 2 after the file was opened; the reader reads `archive`
  // from its start.
  bool ReadArchive(KvArchiveReader& reader, QFile& archive, int nMode, const QString& path);
  // Steps from the safety backup to the reopened data file.
  bool Restore(QFile& archive, int nTableCount, bool bSkipUnknown, const QString& path);
  // Loads the archive, read again from its start, into the staging database
  // and verifies it; an archive that is not the one scanned is refused.
  bool Stage(CKvDb& staging, QFile& archive, int nTableCount, bool bSkipUnknown);
  bool CreateMissingTables(CKvDb& staging);
  // Whether db's rows but the log's still have the digest; the reason in
  // m_strError when not.
  bool unchangedSince(CKvDb& db, const QByteArray& digest);
  bool Verify(CKvDb& staging);

  int m_nCurrentYear = 0;
  bool m_bSafetyBackup = true;
  QString m_strError;
  QStringList m_skipped;
  // The archive's size and checksum, and its blocks, as the scan found them.
  qint64 m_nArchiveSize = 0;
  size_t m_archiveChecksum = 0;
  struct Block {
    QString name;
    int rows = 0;
  };
  QList<Block> m_blocks;
};
