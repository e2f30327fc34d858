// The operations of CKvDb that act on a whole database: create, drop,
// re-create, copy and snapshot it, make sure nobody else uses it, and change
// the width of a text column.
//
// The time-stamped safety copies are in KvDbSafetyCopies.cpp.
//
// Kind 0 handles data files: SQLite makes and copies them (its backup gives
// a consistent copy of a file in use), and the presence lock beside each
// file (core/KvPresenceLock.h) tells whether another program has it open.
// Kinds 1 and 2 run their statements on the server's maintenance database
// and tell the program's own sessions from others by the application name
// every connection carries ("kv|<pid>|<host>").

#include "core/CKvDb.h"

#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvMdbPassword.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvPresenceLock.h"
#include "core/KvSqliteBackend.h"
#include "core/KvText.h"

#include <QFileInfo>

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

// A database name the server would cut: refused, with the reason.
bool nameFitsServer(const QString& name) {
  if (name.toUtf8().size() <= kServerNameBytes)
    return true;
  KvMessageBox(QStringLiteral("数据库名称“%1”太长：服务器上的数据库名称最多%2个字节。")
                   .arg(name)
                   .arg(kServerNameBytes),
               KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

bool samePath(const QString& a, const QString& b) {
  return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

// The message CKvDb::Execute shows for a failed statement, for statements
// that had to run while this program's sessions were ended.
void reportFailedStatement(int kind, const QString& error, const QString& sql) {
  QString text = kind == 2 && !error.isEmpty() ? error + u'\n' : QString();
  text += QStringLiteral("执行下列SQL语句时出错！\n") + sql;
  KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
}
}  // namespace

bool CKvDb::CreateDatabase(const QString& name, CKvDbInfo info, bool bScratch) {
  Close();
  if (m_nKind == 0) {
    std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(name, !bScratch);
    if (!file)
      return false;
    m_backend = std::move(file);
    m_info = info;
    return SetMdbPassword(QString(), KvGetStdMdbPassword());
  }
  const QString database = serverName(name);
  if (!nameFitsServer(database) || !isPlainName(database) || !Open(QStringLiteral("master"), info))
    return false;
  const bool created = Execute(QStringLiteral("Create Database ") + database +
                               QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' "
                                              "LC_CTYPE 'C'"));
  Close();
  // Just made, it holds no SysTab yet.
  return created && openReadingMark(database, info, false);
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
  const QString database = serverName(name);
  // A session on the same database keeps what it read of the year's mark
  // should the drop be refused; a database about to go is not asked for it
  // (a staging copy left half made has none).
  const bool same = IsOpen() && KvServerDatabaseName(m_backend->databaseName()) == database;
  const int baseline = same ? m_nCarryBaseline : -1;
  Close();
  if (!isPlainName(database) || !openReadingMark(database, info, false))
    return false;
  m_nCarryBaseline = baseline;
  if (!CheckOtherClients(true))
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
  if (!nameFitsServer(target) || !isPlainName(target) || !isPlainName(source))
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

bool CKvDb::RenameDatabase(const QString& from, const QString& to, CKvDbInfo info, bool bReplace) {
  if (m_nKind == 0) {
    if (!QFileInfo(from).isFile())
      return false;
    // This object's own hold would stand in the way of the exclusive one.
    const QString open = IsOpen() ? m_backend->databaseName() : QString();
    const bool reopen = !open.isEmpty() && (samePath(open, from) || samePath(open, to));
    if (reopen)
      Close();
    bool renamed = false;
    {
      // Nobody may be writing the file that moves either.
      std::unique_ptr<KvPresenceLock> source = KvPresenceLock::acquire(from);
      renamed = source && source->makeExclusive() &&
                KvPresenceLock::replaceDataFile(from, to, bReplace);
    }
    if (reopen)
      Open(renamed ? to : open, m_info);
    return renamed;
  }
  const QString source = serverName(from);
  const QString target = serverName(to);
  const QString old = target + QStringLiteral("_old");
  if (!isPlainName(source) || !isPlainName(target) || !isPlainName(old) || source == target)
    return false;
  CKvDb master(m_nKind);
  if (!master.Open(QStringLiteral("master"), info) || !master.DatabaseExists(source))
    return false;
  const bool replacing = master.DatabaseExists(target);
  if (replacing && !bReplace)
    return false;
  KvDbBackend* server = master.m_backend.get();
  // Another program on either makes the server refuse the rename, but only
  // after waiting seconds for it to leave: it is refused at once.
  std::unique_ptr<KvDbCursor> others = server->query(
      QStringLiteral("SELECT count(*) FROM pg_catalog.pg_stat_activity WHERE ") +
          QString::fromLatin1(kKvClientSessionSql) +
          QStringLiteral(" AND pid<>pg_backend_pid() AND coalesce(application_name,'')<>'") +
          QuoteText(KvDbApplicationName()) + QStringLiteral("' AND datname IN ('") + QuoteText(source) +
          QStringLiteral("','") + QuoteText(target) + QStringLiteral("')"),
      nullptr);
  if (!others || others->atEnd() || others->integer(0) > 0)
    return false;
  others.reset();
  // A database left by a replacement that could not drop it.
  // (A program that ended while dropping it may still be at it.)
  if (replacing && master.DatabaseExists(old) &&
      !server->execute(QStringLiteral("DROP DATABASE IF EXISTS ") + old, nullptr))
    return false;
  const auto rename = [&] {
    if (!replacing)
      return server->execute(QStringLiteral("ALTER DATABASE ") + source + QStringLiteral(" RENAME TO ") +
                                 target,
                             nullptr);
    {
      KvDbTransaction transaction(master);
      if (!transaction.IsActive() ||
          !server->execute(QStringLiteral("ALTER DATABASE ") + target + QStringLiteral(" RENAME TO ") + old,
                           nullptr) ||
          !server->execute(QStringLiteral("ALTER DATABASE ") + source + QStringLiteral(" RENAME TO ") +
                               target,
                           nullptr) ||
          !transaction.Commit())
        return false;
    }
    // Nobody can be on the old database now; should the drop fail all the
    // same, the next replacement drops it.
    server->execute(QStringLiteral("DROP DATABASE ") + old, nullptr);
    return true;
  };
  // Another program's session makes the server refuse the rename.
  return KvRunWithoutServerSessions(
      source, [&] { return KvRunWithoutServerSessions(target, rename); });
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
  QString problem;
  for (const QString& password : passwords) {
    if (!OpenFile(path, {password}))
      continue;
    opened = true;
    if (!HoldExclusive()) {
      // Another program has it, or this one can never hold it alone (the
      // lock file cannot be written): the file stays open shared.
      problem = static_cast<KvSqliteBackend*>(m_backend.get())->exclusiveProblem();
      break;
    }
    // Without bKeep the call only proves that exclusive use is possible.
    return bKeep || Reopen();
  }
  QString text = QStringLiteral("无法打开数据库文件：\n") + path;
  if (opened && problem.isEmpty())
    text = QStringLiteral("不能以独占方式打开当前数据库文件：\n") + path +
           QStringLiteral("\n可能是别人正在使用它。详情请看“操作日志”。");
  else if (opened)
    text = QStringLiteral("不能以独占方式打开当前数据库文件：\n") + path + u'\n' + problem;
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
          "coalesce(application_name,'') AS program FROM pg_catalog.pg_stat_activity WHERE ") +
      QString::fromLatin1(kKvClientSessionSql) + QStringLiteral(" AND pid<>pg_backend_pid() AND datname='") +
      QuoteText(KvServerDatabaseName(m_backend->databaseName())) +
      QStringLiteral("') s GROUP BY host,program ORDER BY host,program");
  std::unique_ptr<KvDbCursor> rows = master.m_backend->query(sql, nullptr);
  if (!rows)
    return false;
  const QString self = KvDbApplicationName();
  QStringList others;
  for (; !rows->atEnd(); rows->next()) {
    const QString program = rows->text(1);
    if (program == self)
      continue;  // every session of this process passes
    const QString workstation = KvDbWorkstationName(rows->text(0), program);
    if (!others.contains(workstation))
      others.append(workstation);
  }
  if (others.isEmpty())
    return true;
  if (bReport) {
    KvMessageBox(others.join(u'\n') + QStringLiteral("\n上述机器上的程序正在使用当前数据库文件：\n") +
                     GetDatabaseName(true) + QStringLiteral("\n不能以独占方式打开它！"),
                 KV_MB_OK | KV_MB_ICONSTOP);
  }
  return false;
}

bool CKvDb::NoOtherClientsNow() {
  if (m_nKind != 0)
    return CheckOtherClients(false);
  return IsOpen() && m_backend->aloneOnFile();
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
  // One statement changes the type in place, keeps the column's place, its
  // constraints and default, and rebuilds its indexes; a value too long for
  // the new width makes it fail and leaves everything as it was. A
  // collation of the column's own would fall back to the type's default:
  // it is named again.
  QStringList collation;
  QueryTexts(QStringLiteral(
                 "SELECT CASE WHEN a.attcollation<>0 AND a.attcollation<>t.typcollation THEN "
                 "' COLLATE '||quote_ident(n.nspname)||'.'||quote_ident(k.collname) ELSE '' END "
                 "FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_class r ON r.oid=a.attrelid "
                 "JOIN pg_catalog.pg_type t ON t.oid=a.atttypid "
                 "LEFT JOIN pg_catalog.pg_collation k ON k.oid=a.attcollation "
                 "LEFT JOIN pg_catalog.pg_namespace n ON n.oid=k.collnamespace "
                 "WHERE pg_catalog.pg_table_is_visible(r.oid) AND NOT a.attisdropped AND r.relname='") +
                 QuoteText(KvLower(table)) + QStringLiteral("' AND a.attname='") +
                 QuoteText(KvLower(column)) + u'\'',
             &collation, 1);
  Execute(QStringLiteral("Alter Table ") + table + QStringLiteral(" Alter Column ") + column +
          QStringLiteral(" Type VARCHAR(") + QString::number(nWidth) + u')' + collation.value(0));
}

namespace {
bool isNameChar(QChar ch) {
  const char16_t c = ch.unicode();
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_' || c == u'$' || c >= 0x80;
}

// The end of the quoted name or literal that opens at i.
qsizetype skipQuoted(const QString& sql, qsizetype i) {
  const QChar open = sql[i];
  const QChar close = open == u'[' ? QChar(u']') : open;
  for (++i; i < sql.size(); ++i) {
    if (sql[i] == close) {
      if (close != u']' && i + 1 < sql.size() && sql[i + 1] == close) {
        ++i;
        continue;
      }
      return i + 1;
    }
  }
  return sql.size();
}

// A word or quoted name at i, without its quotes; its end goes to *end.
QString nameAt(const QString& sql, qsizetype i, qsizetype* end) {
  if (i < sql.size() && (sql[i] == u'"' || sql[i] == u'[' || sql[i] == u'`')) {
    *end = skipQuoted(sql, i);
    return sql.mid(i + 1, *end - i - 2);
  }
  qsizetype j = i;
  while (j < sql.size() && isNameChar(sql[j]))
    ++j;
  *end = j;
  return sql.mid(i, j - i);
}

qsizetype skipBlanks(const QString& sql, qsizetype i, qsizetype end) {
  while (i < end && sql[i].isSpace())
    ++i;
  return i;
}

// The CREATE TABLE text with the declared type of `column` replaced by
// `type`; everything else of the column (constraints, default, collation)
// and of the table stays as written. Empty when the column is not found.
QString withColumnType(const QString& create, const QString& column, const QString& type) {
  static const QStringList constraintWords = {
      QStringLiteral("CONSTRAINT"), QStringLiteral("PRIMARY"),  QStringLiteral("NOT"),
      QStringLiteral("NULL"),       QStringLiteral("UNIQUE"),   QStringLiteral("CHECK"),
      QStringLiteral("DEFAULT"),    QStringLiteral("COLLATE"),  QStringLiteral("REFERENCES"),
      QStringLiteral("GENERATED"),  QStringLiteral("AS")};
  // Walk to the column list, then through its items at parenthesis depth 1.
  qsizetype i = 0;
  int depth = 0;
  qsizetype itemStart = -1;
  for (; i < create.size(); ++i) {
    const QChar ch = create[i];
    if (ch == u'\'' || ch == u'"' || ch == u'[' || ch == u'`') {
      i = skipQuoted(create, i) - 1;
      continue;
    }
    if (ch == u'(' && ++depth == 1) {
      itemStart = i + 1;
      continue;
    }
    if (ch == u')')
      --depth;
    const bool itemEnds = (ch == u')' && depth == 0) || (ch == u',' && depth == 1);
    if (itemEnds) {
      // An item ends: [itemStart, i).
      qsizetype end = 0;
      const qsizetype nameStart = skipBlanks(create, itemStart, i);
      const QString name = nameAt(create, nameStart, &end);
      if (KvEqualsIgnoreCase(name, column)) {
        const qsizetype typeStart = skipBlanks(create, end, i);
        qsizetype typeEnd = typeStart;
        qsizetype k = typeStart;
        while (k < i) {
          k = skipBlanks(create, k, i);
          if (k < i && create[k] == u'(') {
            int inner = 0;
            for (; k < i; ++k) {
              if (create[k] == u'(')
                ++inner;
              else if (create[k] == u')' && --inner == 0)
                break;
            }
            typeEnd = ++k;
            continue;
          }
          qsizetype wordEnd = 0;
          const QString word = nameAt(create, k, &wordEnd);
          if (word.isEmpty() || constraintWords.contains(KvUpper(word)))
            break;
          typeEnd = k = wordEnd;
        }
        const QString before = create.left(typeStart);
        const bool gap = typeStart == typeEnd && !before.isEmpty() && !before.back().isSpace();
        return before + (gap ? QStringLiteral(" ") : QString()) + type +
               (typeStart == typeEnd ? QStringLiteral(" ") : QString()) + create.mid(typeEnd);
      }
      if (depth == 0)
        break;
      itemStart = i + 1;
    }
  }
  return QString();
}
}  // namespace

bool CKvDb::ResizeFileColumn(const QString& table, const QString& column, int nWidth) {
  // SQLite keeps a text of any length in a column of any declared width:
  // the width is the declaration alone. The declaration is changed in the
  // table's own CREATE TABLE text, so that the column keeps its place, its
  // constraints, default and collation, and its indexes.
  std::unique_ptr<KvDbCursor> row =
      Select(QStringLiteral("SELECT name,sql FROM sqlite_schema WHERE type='table' AND name='") +
                 QuoteText(table) + QStringLiteral("' COLLATE NOCASE"),
             2);
  if (!row || row->atEnd())
    return false;
  const QString name = row->text(0);
  const QString width = QString::number(nWidth);
  const QString create = withColumnType(row->text(1), column, QStringLiteral("CHAR(") + width + u')');
  row.reset();
  if (create.isEmpty())
    return false;
  // A narrower width that a stored value does not fit is refused, as the
  // server refuses it; blanks beyond the width are cut, as there.
  const QString longer = QStringLiteral(" From ") + table + QStringLiteral(" Where length(rtrim(") +
                         column + QStringLiteral(",' '))>") + width;
  std::unique_ptr<KvDbCursor> count = Select(QStringLiteral("Select Count(*)") + longer, 1);
  if (!count || count->atEnd())
    return false;
  if (count->integer(0) > 0) {
    KvMessageBox(QStringLiteral("表%1的列%2中有长于%3个字符的值，不能把列改窄。").arg(table, column, width),
                 KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  count.reset();
  std::unique_ptr<KvDbCursor> version = Select(QStringLiteral("PRAGMA schema_version"), 1);
  if (!version || version->atEnd())
    return false;
  const qint64 schemaVersion = version->integer(0);
  version.reset();

  KvDbTransaction transaction(*this);
  if (!transaction.IsActive() ||
      !Execute(QStringLiteral("Update ") + table + QStringLiteral(" Set ") + column +
               QStringLiteral("=substr(") + column + QStringLiteral(",1,") + width +
               QStringLiteral(") Where length(") + column + QStringLiteral(")>") + width))
    return false;
  // The documented way to change a declaration in place: the new text and
  // a new schema version, in one transaction.
  if (!Execute(QStringLiteral("PRAGMA writable_schema=ON")))
    return false;
  QString error;
  std::unique_ptr<KvDbStatement> update = m_backend->prepare(
      QStringLiteral("UPDATE sqlite_schema SET sql=? WHERE type='table' AND name=?"), &error);
  bool ok = update != nullptr;
  if (ok) {
    update->bindText(0, create);
    update->bindText(1, name);
    ok = update->run(&error);
    update.reset();
  }
  if (!ok)
    KvMessageBox(QStringLiteral("执行下列SQL语句时出错！\n") + create, KV_MB_OK | KV_MB_ICONSTOP);
  ok = ok && Execute(QStringLiteral("PRAGMA schema_version=") + QString::number(schemaVersion + 1));
  ok = Execute(QStringLiteral("PRAGMA writable_schema=OFF")) && ok;
  return ok && transaction.Commit();
}
