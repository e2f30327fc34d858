// The operations of CKvDb that act on a whole database: create, drop,
// re-create, copy and snapshot it, make sure nobody else uses it, and change
// the width of a text column.
//
// Kind 0 handles data files: SQLite makes and copies them (its backup gives
// a consistent copy of a file in use), and the presence lock beside each
// file (core/KvPresenceLock.h) tells whether another program has it open.
// Kinds 1 and 2 run their statements on the server's maintenance database
// and tell the program's own sessions from others by the application name
// every connection carries ("kv|<host>|<pid>").

#include "core/CKvDb.h"

#include "core/KvDate.h"
#include "core/KvDbBackend.h"
#include "core/KvMdbPassword.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvPresenceLock.h"
#include "core/KvSqliteBackend.h"
#include "core/KvText.h"

namespace {
// The server keeps at most this many bytes of a name (NAMEDATALEN - 1).
constexpr int kServerNameBytes = 63;

// A name the server takes unquoted as the program's own: ASCII letters and
// digits, "_", and characters beyond ASCII (which the server reads as
// letters), not beginning with a digit, short enough not to be cut. Such a
// name can never add syntax of its own to a statement.
bool isPlainName(const QString& name) {
  if (name.isEmpty() || name.toUtf8().size() > kServerNameBytes || name[0].isDigit())
    return false;
  for (const QChar ch : name) {
    const char16_t c = ch.unicode();
    if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' || c >= 0x80))
      return false;
  }
  return true;
}

// The database a name of a data file stands for on the server: its file
// title (a folder and an extension have no meaning there), in lower case as
// the server folds unquoted names.
QString serverName(const QString& name) { return KvLower(KvFileTitle(name)); }

// The application name of this process as the server shows it: cut to the
// length it keeps, never inside a character.
QString ownSessionTag() {
  QByteArray tag = KvDbApplicationName().toUtf8();
  if (tag.size() > kServerNameBytes) {
    qsizetype end = kServerNameBytes;
    while (end > 0 && (uchar(tag[end]) & 0xC0) == 0x80)
      --end;
    tag.truncate(end);
  }
  return QString::fromUtf8(tag);
}

// "<path without extension>(<time>).<EXTENSION>"
QString snapshotName(const QString& path, const QString& stamp) {
  const QString extension = KvFileExt(path);
  QString base = path;
  if (!extension.isEmpty())
    base.chop(extension.size() + 1);
  return base + u'(' + stamp + QStringLiteral(").") + extension;
}

// The message CKvDb::Execute shows for a failed statement, for statements
// that had to run while this program's sessions were ended.
void reportFailedStatement(int kind, const QString& error, const QString& sql) {
  QString text = kind == 2 && !error.isEmpty() ? error + u'\n' : QString();
  text += QStringLiteral("执行下列SQL语句时出错！\n") + sql;
  KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
}
}  // namespace

bool CKvDb::CreateDatabase(const QString& name, CKvDbInfo info) {
  Close();
  if (m_nKind == 0) {
    std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(name);
    if (!file)
      return false;
    m_backend = std::move(file);
    m_info = info;
    return SetMdbPassword(QString(), KvGetStdMdbPassword());
  }
  const QString database = serverName(name);
  if (!isPlainName(database) || !Open(QStringLiteral("master"), info))
    return false;
  const bool created = Execute(QStringLiteral("Create Database ") + database +
                               QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' "
                                              "LC_CTYPE 'C'"));
  Close();
  return created && Open(database, info);
}

bool CKvDb::DropDatabase(const QString& name, CKvDbInfo info) {
  if (m_nKind == 0) {
    const QString open = IsOpen() ? m_backend->databaseName() : QString();
    Close();
    if (KvPresenceLock::removeDataFile(name))
      return true;
    // Refused while somebody has the file: this connection goes on as it
    // was, as it does on the server.
    if (!open.isEmpty())
      Open(open, m_info);
    return false;
  }
  Close();
  const QString database = serverName(name);
  if (!isPlainName(database) || !Open(database, info) || !CheckOtherClients(true))
    return false;
  if (!Open(QStringLiteral("master"), info))
    return false;
  const bool dropped = Execute(QStringLiteral("Drop Database ") + database);
  Close();
  return dropped;
}

bool CKvDb::RecreateDatabase(CKvDbInfo info) {
  if (!IsOpen())
    return false;
  const QString path = GetDatabaseName(false);
  if (!DropDatabase(m_nKind == 0 ? path : KvFileTitle(path), info))
    return false;
  return CreateDatabase(path, info);
}

bool CKvDb::CopyDatabase(const QString& newName, const QString&, const QString&) {
  if (!IsOpen())
    return false;
  if (m_nKind == 0) {
    auto* file = dynamic_cast<KvSqliteBackend*>(m_backend.get());
    return file && !DatabaseExists(newName) && file->copyTo(newName, false);
  }
  return CopyServerDatabase(serverName(newName));
}

bool CKvDb::CopyServerDatabase(const QString& target) {
  const QString source = KvServerDatabaseName(m_backend->databaseName());
  if (!isPlainName(target) || !isPlainName(source))
    return false;
  CKvDb master(m_nKind);
  if (!master.Open(QStringLiteral("master"), m_info) || master.DatabaseExists(target))
    return false;
  const QString sql =
      QStringLiteral("Create Database ") + target + QStringLiteral(" TEMPLATE ") + source;
  QString error;
  bool ran = false;
  // The template must have no session: this program's own ones are ended
  // for the copy and made again; another program's make the copy fail.
  const bool copied = KvRunWithoutServerSessions(source, [&] {
    ran = true;
    return master.m_backend->execute(sql, &error);
  });
  if (ran && !copied)
    reportFailedStatement(m_nKind, error, sql);
  return copied;
}

bool CKvDb::SnapshotDataFile(QString* pTarget) {
  QString local;
  QString& target = pTarget ? *pTarget : local;
  if (!IsOpen())
    return false;
  const QString path = GetDatabaseName(false);
  const QString stamp = KvNowText(QStringLiteral("%Y%m%d%H%M%S"));
  if (m_nKind == 0) {
    if (target.isEmpty())
      target = snapshotName(path, stamp);
    auto* file = dynamic_cast<KvSqliteBackend*>(m_backend.get());
    return file && file->copyTo(target, true);
  }
  if (target.isEmpty())
    target = KvServerDatabaseName(path) + u'_' + stamp;
  return CopyServerDatabase(serverName(target));
}

bool CKvDb::HoldExclusive() {
  auto* file = dynamic_cast<KvSqliteBackend*>(m_backend.get());
  return file && file->holdExclusive(true);
}

bool CKvDb::ReopenMdbExclusive(bool bKeep) {
  if (m_nKind != 0)
    return true;
  if (!IsOpen())
    return false;
  const QString path = m_backend->databaseName();
  Close();
  QStringList passwords;
  KvGetMdbPasswords(&passwords);
  bool opened = false;
  for (const QString& password : passwords) {
    if (!OpenFile(path, {password}))
      continue;
    opened = true;
    if (!HoldExclusive())
      break;  // another program has it: the file stays open shared
    // Without bKeep the call only proves that exclusive use is possible.
    return bKeep || Reopen();
  }
  const QString text = opened ? QStringLiteral("不能以独占方式打开当前数据库文件：\n") + path +
                                    QStringLiteral("\n可能是别人正在使用它。详情请看“操作日志”。")
                              : QStringLiteral("无法打开数据库文件：\n") + path;
  if (bKeep)
    KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

bool CKvDb::CheckOtherClients(bool bReport) {
  if (m_nKind == 0)
    return true;
  if (!IsOpen())
    return false;
  CKvDb master(m_nKind);
  if (!master.Open(QStringLiteral("master"), m_info))
    return false;
  // Client sessions on the database, by machine and program. A session of
  // another user hides its address: its user stands for the machine then.
  const QString sql =
      QStringLiteral(
          "SELECT host,program,count(*) FROM (SELECT "
          "coalesce(client_hostname,host(client_addr),usename::text,'') AS host,"
          "coalesce(application_name,'') AS program FROM pg_catalog.pg_stat_activity "
          "WHERE usesysid IS NOT NULL AND coalesce(backend_type,'client backend')='client backend' "
          "AND pid<>pg_backend_pid() AND datname='") +
      QuoteText(KvServerDatabaseName(m_backend->databaseName())) +
      QStringLiteral("') s GROUP BY host,program ORDER BY host,program");
  std::unique_ptr<KvDbCursor> rows = master.m_backend->query(sql, nullptr);
  if (!rows)
    return false;
  const QString self = ownSessionTag();
  QString others;
  for (; !rows->atEnd(); rows->next()) {
    const QString program = rows->text(1);
    if (program == self)
      continue;  // every session of this process passes
    QString host = rows->text(0);
    const QStringList tag = program.split(u'|');
    if (tag.size() == 3 && tag[0] == u"kv")
      host = tag[1];  // the program's own tag names its machine
    others += host + QStringLiteral("、") + program + u'\n';
  }
  if (others.isEmpty())
    return true;
  if (bReport) {
    KvMessageBox(others + QStringLiteral("上述机器上的程序正在使用当前数据库文件：\n") +
                     GetDatabaseName(true) + QStringLiteral("\n不能以独占方式打开它！"),
                 KV_MB_OK | KV_MB_ICONSTOP);
  }
  return false;
}

bool CKvDb::LockExclusive(bool b) {
  return m_nKind == 0 ? ReopenMdbExclusive(b) : CheckOtherClients(b);
}

void CKvDb::ResizeCharColumn(const QString& table, const QString& column, int nWidth) {
  if (!IsOpen() || nWidth <= 0)
    return;
  if (m_nKind == 0) {
    ResizeFileColumn(table, column, nWidth);
    return;
  }
  // One statement changes the type in place, keeps the column's place and
  // rebuilds its indexes; a value too long for the new width makes it fail
  // and leaves everything as it was.
  Execute(QStringLiteral("Alter Table ") + table + QStringLiteral(" Alter Column ") + column +
          QStringLiteral(" Type VARCHAR(") + QString::number(nWidth) + u')');
}

bool CKvDb::ResizeFileColumn(const QString& table, const QString& column, int nWidth) {
  // The indexes on the column stand in the way of dropping it: they are
  // dropped and then made again from their own definitions.
  QStringList indexes;
  GetColumnIndexes(&indexes, table, column);
  QStringList definitions;
  for (const QString& index : indexes) {
    std::unique_ptr<KvDbCursor> row =
        Select(QStringLiteral("SELECT sql FROM sqlite_schema WHERE type='index' AND name='") +
                   QuoteText(index) + u'\'',
               1);
    if (!row || row->atEnd())
      return false;
    definitions.append(row->text(0));
  }
  const QString width = QString::number(nWidth);
  QStringList steps;
  for (const QString& index : indexes)
    steps.append(QStringLiteral("Drop Index ") + index + QStringLiteral(" On ") + table);
  steps << QStringLiteral("Alter Table ") + table + QStringLiteral(" Add tempField CHAR(") + width +
               u')'
        << QStringLiteral("Update ") + table + QStringLiteral(" Set tempField=") + column
        << QStringLiteral("Alter Table ") + table + QStringLiteral(" Drop Column ") + column
        << QStringLiteral("Alter Table ") + table + QStringLiteral(" Add ") + column +
               QStringLiteral(" CHAR(") + width + u')'
        << QStringLiteral("Update ") + table + QStringLiteral(" Set ") + column +
               QStringLiteral("=tempField")
        << QStringLiteral("Alter Table ") + table + QStringLiteral(" Drop Column tempField");
  steps << definitions;
  // All or nothing: the first failed step undoes the ones before it, so the
  // column is never dropped before its values are safe.
  if (!BeginTrans())
    return false;
  for (const QString& step : steps) {
    if (!Execute(step)) {
      Rollback();
      return false;
    }
  }
  if (CommitTrans())
    return true;
  Rollback();
  return false;
}
