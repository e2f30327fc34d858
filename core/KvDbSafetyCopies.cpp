// The time-stamped safety copies of a database: made before a risky
// operation, listed by their names, checked against the database, and
// dropped. A copy is recognised by its name alone, so the listing takes
// exactly the form the copy is given here and nothing else: a file of
// another data file or a database of another set is never taken for one.

#include "core/CKvDb.h"

#include "core/KvDate.h"
#include "core/KvDbBackend.h"
#include "core/KvPath.h"
#include "core/KvPresenceLock.h"
#include "core/KvSqliteBackend.h"
#include "core/KvText.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QThread>

namespace {
const QString kStampPattern = QStringLiteral("[0-9]{14}");

// Kind 0: the data file's path up to its extension, and the extension (in
// upper case, as the copy carries it).
struct FileParts {
  QString base;
  QString extension;
};

FileParts fileParts(const QString& path) {
  FileParts parts{path, KvFileExt(path)};
  if (!parts.extension.isEmpty())
    parts.base.chop(parts.extension.size() + 1);
  return parts;
}

// "<path without extension>(<time>).<EXTENSION>"
QString fileCopyName(const QString& path, const QString& stamp) {
  const FileParts parts = fileParts(path);
  return parts.base + u'(' + stamp + QStringLiteral(").") + parts.extension;
}

// Kinds 1 and 2: "<database>_<time>", as the server folds it.
QString serverCopyName(const QString& database, const QString& stamp) {
  return KvLower(KvServerDatabaseName(database) + u'_' + stamp);
}

// Row counts of every user table, by lower-case name; false when a count
// cannot be read.
bool tableCounts(CKvDb& db, QMap<QString, qint64>* pCounts) {
  QStringList tables;
  db.ListUserTables(&tables);
  for (const QString& table : std::as_const(tables)) {
    QString quoted = table;
    quoted.replace(u'"', QStringLiteral("\"\""));
    std::unique_ptr<KvDbCursor> rows =
        db.GetBackend()->query(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(quoted), nullptr);
    if (!rows || rows->atEnd())
      return false;
    pCounts->insert(KvLower(table), rows->integer(0));
  }
  return !tables.isEmpty();
}
}  // namespace

bool CKvDb::SnapshotDataFile(QString* pTarget) {
  QString local;
  QString& target = pTarget ? *pTarget : local;
  if (!IsOpen())
    return false;
  const QString path = GetDatabaseName(false);
  if (target.isEmpty()) {
    // A copy taken earlier in the same second holds the state before an
    // earlier operation: it is kept, and this copy takes the next second.
    CKvDb master(m_nKind);
    if (m_nKind != 0 && !master.Open(QStringLiteral("master"), m_info))
      return false;
    const auto name = [&] {
      const QString stamp = KvNowText(QStringLiteral("%Y%m%d%H%M%S"));
      return m_nKind == 0 ? fileCopyName(path, stamp) : serverCopyName(path, stamp);
    };
    const auto taken = [&](const QString& copy) {
      return m_nKind == 0 ? QFileInfo::exists(copy) : master.DatabaseExists(copy);
    };
    target = name();
    for (int waited = 0; taken(target) && waited < 2000; waited += 100) {
      QThread::msleep(100);
      target = name();
    }
  }
  if (m_nKind == 0) {
    auto* file = dynamic_cast<KvSqliteBackend*>(m_backend.get());
    return file && file->copyTo(target, true);
  }
  return CopyServerDatabase(KvLower(KvFileTitle(target)));
}

bool CKvDb::ListSnapshots(QStringList* pCopies) {
  pCopies->clear();
  if (!IsOpen())
    return false;
  const QString path = GetDatabaseName(false);
  if (m_nKind == 0) {
    const QFileInfo data(path);
    const QString example = fileCopyName(data.fileName(), QStringLiteral("#"));
    const qsizetype hole = example.indexOf(u'#');
    const QRegularExpression form(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(example.left(hole)) + kStampPattern +
        QRegularExpression::escape(example.mid(hole + 1))));
    const QDir folder = data.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
      if (form.match(name).hasMatch())
        pCopies->append(folder.filePath(name));
    return true;
  }
  const QString prefix = serverCopyName(path, QString());
  const QRegularExpression form(
      QRegularExpression::anchoredPattern(QRegularExpression::escape(prefix) + kStampPattern));
  CKvDb master(m_nKind);
  if (!master.Open(QStringLiteral("master"), m_info))
    return false;
  std::unique_ptr<KvDbCursor> rows = master.GetBackend()->query(
      QStringLiteral("SELECT datname FROM pg_catalog.pg_database WHERE left(datname,%1)='%2' ORDER BY datname")
          .arg(prefix.size())
          .arg(QuoteText(prefix)),
      nullptr);
  if (!rows)
    return false;
  for (; !rows->atEnd(); rows->next())
    if (form.match(rows->text(0)).hasMatch())
      pCopies->append(rows->text(0));
  return true;
}

bool CKvDb::VerifySnapshot(const QString& copy) {
  if (!IsOpen())
    return false;
  QMap<QString, qint64> original;
  QMap<QString, qint64> copied;
  if (!tableCounts(*this, &original))
    return false;
  if (m_nKind == 0)
    return KvSqliteBackend::inspectCopy(copy, &copied) && copied == original;
  CKvDb other(m_nKind);
  return other.Open(copy, m_info) && tableCounts(other, &copied) && copied == original;
}

bool CKvDb::DropSnapshot(const QString& copy) {
  QStringList copies;
  if (!ListSnapshots(&copies) || !copies.contains(copy))
    return false;
  if (m_nKind == 0)
    return KvPresenceLock::removeDataFile(copy);
  CKvDb master(m_nKind);
  if (!master.Open(QStringLiteral("master"), m_info))
    return false;
  KvDbBackend* server = master.GetBackend();
  // A copy a client is looking at stays (the server would wait for them
  // before refusing); the server's own workers end with the drop.
  std::unique_ptr<KvDbCursor> sessions = server->query(
      QStringLiteral("SELECT count(*) FROM pg_catalog.pg_stat_activity WHERE %1 AND datname='%2'")
          .arg(QString::fromLatin1(kKvClientSessionSql), QuoteText(copy)),
      nullptr);
  if (!sessions || sessions->atEnd() || sessions->integer(0) > 0)
    return false;
  sessions.reset();
  // The name is this database's own followed by "_" and digits (listed
  // above): it adds no syntax.
  return server->execute(QStringLiteral("DROP DATABASE ") + copy, nullptr);
}
