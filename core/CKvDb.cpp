#include "core/CKvDb.h"

#include "core/KvBeforeTransaction.h"
#include "core/KvDbBackend.h"
#include "core/KvLockWaitHook.h"
#include "core/KvMdbPassword.h"
#include "core/KvMessage.h"
#include "core/KvOdbcBackend.h"
#include "core/KvPgBackend.h"
#include "core/KvRowsDigest.h"
#include "core/KvSqlStatements.h"
#include "core/KvSqlTranslator.h"
#include "core/KvSqliteBackend.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <utility>

CKvDb::CKvDb() : CKvDb(0) {}

CKvDb::CKvDb(int nKind) : m_info(0) { SetKind(nKind); }

CKvDb::~CKvDb() = default;

void CKvDb::SetKind(int nKind) { m_nKind = nKind; }

bool CKvDb::OpenFile(const QString& path, const QStringList& passwords) {
  std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::open(path);
  if (!file)
    return false;
  const qint32 digest = file->passwordDigest();
  for (const QString& password : passwords) {
    if (KvMdbPasswordOpens(digest, password)) {
      m_backend = std::move(file);
      return true;
    }
  }
  return false;
}

bool CKvDb::Open(const QString& strFile, CKvDbInfo info) {
  // The server's maintenance database holds no data file: no mark to read.
  return openReadingMark(strFile, std::move(info), !KvIsMaintenanceDatabase(strFile));
}

bool CKvDb::openReadingMark(const QString& strFile, CKvDbInfo info, bool bReadMark) {
  Close();
  m_serverError.clear();
  switch (m_nKind) {
    case 0: {
      QStringList passwords;
      KvGetMdbPasswords(&passwords);
      if (!OpenFile(strFile, passwords))
        return false;
      break;
    }
    case 1: {
      info.m_strDatabase = strFile;
      // A name the driver cannot take is refused before connecting, with
      // the reason: the login would fail with no word of why.
      const QString problem = KvOdbcLoginNameProblem(info);
      if (!problem.isEmpty()) {
        KvMessageBox(problem, KV_MB_OK | KV_MB_ICONSTOP);
        return false;
      }
      m_backend = KvOdbcBackend::open(info, &m_serverError);
      break;
    }
    case 2:
      info.m_strDatabase = strFile;
      m_backend = KvPgBackend::open(info, &m_serverError);
      break;
    default:
      return false;
  }
  if (!m_backend)
    return false;
  m_backend->setLostHandler([this] { SessionLost(); });
  m_bLost = false;
  m_info = info;
  // Read before anything can wait for the carry's hold: a plain select is
  // not blocked by its locks.
  m_nCarryBaseline = -1;
  if (m_nKind != 0 && bReadMark) {
    const std::unique_ptr<KvDbCursor> row = Select(QString::fromLatin1(kKvCarriedMarkSql), 1);
    if (row && !row->atEnd())
      m_nCarryBaseline = int(row->integer(0));
  }
  return true;
}

bool CKvDb::OpenBeside(const CKvDb& other) {
  if (!other.IsOpen())
    return false;
  SetKind(other.m_nKind);
  if (!Open(other.GetDatabaseName(true), other.m_info))
    return false;
  ShareFaultSeam(other);
  m_nCarryBaseline = other.m_nCarryBaseline;
  return true;
}

namespace {
KvConnectionLostFn& lostHandler() {
  static KvConnectionLostFn handler;
  return handler;
}

KvLostStatementFn& lostStatementHandler() {
  static KvLostStatementFn handler;
  return handler;
}
}  // namespace

KvConnectionLostFn KvSetConnectionLostHandler(KvConnectionLostFn fn) {
  return std::exchange(lostHandler(), std::move(fn));
}

KvLostStatementFn KvSetLostStatementHandler(KvLostStatementFn fn) {
  return std::exchange(lostStatementHandler(), std::move(fn));
}

bool CKvDb::FailsAsLost() const {
  if (!m_bLost)
    return false;
  if (lostStatementHandler())
    lostStatementHandler()(*this);
  return true;
}

bool CKvDb::IsOpenOrFailsAsLost() const {
  if (IsOpen())
    return true;
  FailsAsLost();
  return false;
}

void CKvDb::SessionLost() {
  if (!m_bLost && lostHandler())
    m_bLost = lostHandler()(*this);
}

void CKvDb::Close() { m_backend.reset(); }

bool CKvDb::IsOpen() const { return m_backend && m_backend->isOpen(); }

bool CKvDb::Reopen() {
  if (m_nKind != 0)
    return true;
  if (!IsOpen())
    return false;
  const QString path = m_backend->databaseName();
  Close();
  return Open(path, CKvDbInfo(0));
}

CKvDbInfo CKvDb::GetConnectInfo() const {
  CKvDbInfo info(m_nKind);
  if (m_nKind != 0 && IsOpen()) {
    info.ParseConnectString(m_backend->connectString(), m_nKind);
    info.m_strPassword = m_info.m_strPassword;
  }
  return info;
}

QString CKvDb::GetDatabaseName(bool) const {
  return IsOpen() ? m_backend->databaseName() : QString();
}

bool CKvDb::SetMdbPassword(const QString& oldPassword, const QString& newPassword) {
  if (m_nKind != 0)
    return true;
  auto* file = dynamic_cast<KvSqliteBackend*>(m_backend.get());
  if (!file || !file->isOpen() || file->passwordDigest() != KvMdbPasswordDigest(oldPassword))
    return false;
  return file->setPasswordDigest(KvMdbPasswordDigest(newPassword));
}

bool CKvDb::NormaliseMdbPassword() {
  if (m_nKind != 0)
    return true;
  if (!IsOpen())
    return false;
  const QString path = m_backend->databaseName();
  Close();
  // The probe first: a file without a password opens with any password, so
  // the probe finds such files. The file is re-keyed only while no other
  // program has it open.
  QStringList passwords;
  KvGetMdbPasswords(&passwords);
  const QString standard = KvGetStdMdbPassword();
  const QStringList tries = {KvGetProbeMdbPassword(), passwords[0], passwords[1]};
  for (qsizetype i = 0; i < tries.size(); ++i) {
    if (!OpenFile(path, {tries[i]}))
      continue;
    if (!HoldExclusive())
      return true;  // another program has it: it stays open shared, as it is
    bool rekeyed = true;
    if (i == 0)
      rekeyed = SetMdbPassword(QString(), standard);
    else if (tries[i] != standard)
      rekeyed = SetMdbPassword(tries[i], standard);
    if (!rekeyed)
      return false;
    return Reopen();
  }
  // Opening with the standard password is all that is left; success only
  // when the file is really open.
  OpenFile(path, {standard});
  return IsOpen();
}

void CKvDb::SetQueryTimeout(short nSeconds) {
  if (m_backend)
    m_backend->setQueryTimeout(nSeconds);
}

QString CKvDb::Translate(const QString& sqlJet, const QString& sqlServer) const {
  if (m_nKind == 0)
    return KvTranslateSql(sqlJet, false);
  return KvTranslateSql(sqlServer.isEmpty() ? sqlJet : sqlServer, true);
}

namespace {
// Rolls every open level back.
void rollbackAll(CKvDb& db) {
  while (db.TransactionDepth() > 0 && db.Rollback()) {
  }
}
}  // namespace

bool CKvDb::Execute(const QString& sqlJet, const QString& sqlServer, int, bool bReport) {
  const QString sql = Translate(sqlJet, sqlServer);
  return runStatement(sql, bReport, [&](QString* error) {
    m_backend->setQueryTimeout(0);
    return m_backend->execute(sql, error);
  });
}

QString CKvDb::NulRefusedText() { return QStringLiteral("SQL语句中含有空字符，不能执行！"); }

CKvDb::TypedRun CKvDb::ExecuteTyped(const QString& sqlJet, int* pnRows) {
  *pnRows = 0;
  if (!IsOpen() || TransactionDepth() == 0) {
    FailsAsLost();
    return TypedRun::Failed;
  }
  if (sqlJet.contains(QChar(0))) {
    KvMessageBox(NulRefusedText(), KV_MB_OK | KV_MB_ICONSTOP);
    return TypedRun::Failed;
  }
  QString rest = Translate(sqlJet, QString());
  const QString mark = m_backend->transactionMark();
  const bool nested = m_nKind != 0;  // the server's comments nest
  qint64 rows = 0;
  while (!rest.trimmed().isEmpty()) {
    QString statement;
    qsizetype used = 0;
    QString error;
    if (!m_backend->nextTypedStatement(rest, &statement, &used, &error)) {
      if (m_nKind != 0)
        m_serverError = error;
      ReportFailed(rest, error);
      return TypedRun::Failed;
    }
    if (used == 0)
      break;
    rest = rest.mid(used);
    if (statement.isEmpty())
      continue;
    if (KvIsTransactionControl(statement, nested))
      return TypedRun::ControlRefused;
    // The statement is the engine's text already: it runs untranslated.
    m_backend->setQueryTimeout(0);
    m_backend->takeLockWait();
    if (!m_backend->execute(statement, &error)) {
      if (m_nKind != 0)
        m_serverError = error;
      ReportFailed(statement, error);
      return TypedRun::Failed;
    }
    rows += m_backend->rowsAffected();
    if (m_backend->transactionMark() != mark)
      return TypedRun::TransactionEnded;
  }
  *pnRows = int(std::clamp<qint64>(rows, 0, std::numeric_limits<int>::max()));
  return TypedRun::Done;
}

void CKvDb::ReportFailed(const QString& sql, const QString& error) const {
  if (FailsAsLost() || ReportLockWait())
    return;
  // The server's own text leads on kind 2 only.
  QString text = m_nKind == 2 && !error.isEmpty() ? error + u'\n' : QString();
  text += QStringLiteral("执行下列SQL语句时出错！\n") + sql;
  KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
}

bool CKvDb::ExecuteKept(const QString& sql, const std::function<void(KvDbStatement&)>& bind, bool bReport) {
  return runStatement(sql, bReport, [&](QString* error) {
    KvDbStatement* statement = m_backend->keptStatement(sql, error);
    if (!statement)
      return false;
    bind(*statement);
    return statement->run(error);
  });
}

int CKvDb::GetRowCount() const { return IsOpen() ? m_nRowCount : 0; }

bool CKvDb::writesCheckedAlone(const QString& sql) const {
  if (m_nKind == 0 || m_nCarryBaseline < 0 || m_nCarryBaseline == kKvCarriedMonth || !IsOpen() ||
      TransactionDepth() != 0)
    return false;
  const KvSqlTextShape shape = KvSqlShape(sql);
  if (shape.begins || shape.ends)
    return false;
  static const QRegularExpression setsMark(QStringLiteral("\\bSET\\b(?:(?!\\bWHERE\\b).)*\\bMM\\s*="),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
  const QStringList statements = shape.statements > 1 ? KvSplitSqlStatements(sql) : QStringList{sql};
  return std::any_of(statements.begin(), statements.end(), [](const QString& statement) {
    const QStringList words = KvSqlLeadingWords(statement, 3, true);
    QString table;
    if (words.value(0) == u"UPDATE")
      table = words.value(1);
    else if ((words.value(0) == u"INSERT" && words.value(1) == u"INTO") ||
             (words.value(0) == u"DELETE" && words.value(1) == u"FROM"))
      table = words.value(2);
    if (table.isEmpty() || KvIsLogTable(table))
      return false;
    // The statement that writes the mark itself, as the carry's hold does.
    return !(table == u"SYSTAB" && setsMark.match(statement).hasMatch());
  });
}

bool CKvDb::runStatement(const QString& sql, bool bReport, const std::function<bool(QString*)>& run) {
  if (writesCheckedAlone(sql)) {
    // A write outside a transaction meets the year's mark and registers the
    // period as any transaction does: it runs in one of its own.
    if (!BeginTrans())
      return false;
    const bool ran = runStatement(sql, bReport, run);
    const int rows = m_nRowCount;
    if (!ran || !CommitTrans()) {
      rollbackAll(*this);
      m_nRowCount = 0;
      return false;
    }
    m_nRowCount = rows;
    return true;
  }
  QString error;
  bool ok = false;
  m_nRowCount = 0;
  if (IsOpen()) {
    m_backend->takeLockWait();
    ok = run(&error);
    if (ok)
      m_nRowCount = int(std::clamp<qint64>(m_backend->rowsAffected(), 0, std::numeric_limits<int>::max()));
  }
  if (!ok && m_nKind != 0)
    m_serverError = error;
  if (!ok && bReport)
    ReportFailed(sql, error);
  else if (!ok)
    FailsAsLost();
  return ok;
}

bool CKvDb::beginOutermost() {
  if (!IsOpen() || TransactionDepth() != 0)
    return true;
  if (!KvRunBeforeTransaction(*this))
    return false;
  const bool open = m_nCarryBaseline >= 0 && m_nCarryBaseline != kKvCarriedMonth;
  m_carryCheck = m_nKind != 0 && open ? CarryCheck::kDue : CarryCheck::kDone;
  return true;
}

bool CKvDb::BeginTrans() {
  if (!beginOutermost())
    return false;
  bool ok = false;
  if (IsOpen()) {
    const KvLockWaitScope waiting(m_nKind != 0);
    m_backend->takeLockWait();
    ok = m_backend->beginTransaction();
  }
  if (!ok)
    reportTransactionFailed(QStringLiteral("BEGIN"));
  return ok;
}

bool CKvDb::BeginLocked(const QString& table) {
  return beginWithLock(table, [&](qint64* mark) { return m_backend->beginLocked(table, mark); });
}

bool CKvDb::BeginLockedSelect(const QString& table, KvDbStatement& select, std::unique_ptr<KvDbRowset>* rows,
                              QString* error) {
  return beginWithLock(table, [&](qint64* mark) {
    return m_backend->beginLockedSelect(table, select, rows, error,
                                        KvDbBackend::StatementFailure::kEndsTransaction, mark);
  });
}

bool CKvDb::beginWithLock(const QString& table, const std::function<bool(qint64*)>& begin) {
  return beginOutermost() && lockReadingMark(table, QStringLiteral("BEGIN;LOCK TABLE ") + table, begin);
}

bool CKvDb::lockReadingMark(const QString& table, const QString& reportedSql,
                            const std::function<bool(qint64*)>& lock) {
  const bool check = carryCheckDue(table);
  qint64 mark = -1;
  bool ok = false;
  if (IsOpen()) {
    const KvLockWaitScope waiting(m_nKind != 0);
    m_backend->takeLockWait();
    ok = lock(check ? &mark : nullptr);
  }
  if (!ok) {
    reportTransactionFailed(reportedSql);
    return false;
  }
  return !(check && refusesCarried(mark));
}

bool CKvDb::CommitTrans() {
  if (!PassesCarriedCheckBeforeCommit())
    return false;
  bool ok = false;
  if (IsOpen()) {
    // On a data file a commit that gives up has been rolled back by the
    // back end already: the message comes after the file is released.
    const KvLockWaitScope waiting(m_nKind != 0);
    m_backend->takeLockWait();
    ok = m_backend->commitTransaction();
  }
  if (!ok)
    reportTransactionFailed(QStringLiteral("COMMIT"));
  return ok;
}

bool CKvDb::Rollback() { return IsOpen() && m_backend->rollbackTransaction(); }

int CKvDb::TransactionDepth() const { return IsOpen() ? m_backend->transactionDepth() : 0; }

QString CKvDb::GetDataChangeMark() const { return IsOpen() ? m_backend->dataChangeMark() : QString(); }

bool CKvDb::LockTable(const QString& table) {
  return lockReadingMark(table, QStringLiteral("LOCK TABLE ") + table,
                         [&](qint64* mark) { return m_backend->lockTable(table, mark); });
}

void CKvDb::SetCarriedBaseline(int nMonth) { m_nCarryBaseline = nMonth; }

void CKvDb::NoteCarriedMark(int nMonth) {
  const bool readOpen = m_nCarryBaseline >= 0 && m_nCarryBaseline != kKvCarriedMonth;
  if (!readOpen || nMonth != kKvCarriedMonth)
    m_nCarryBaseline = nMonth;
}

void CKvDb::SkipCarriedCheck() { m_carryCheck = CarryCheck::kDone; }

bool CKvDb::carryCheckDue(const QString& table) const {
  // A lock of a log table settles nothing: the check before the commit
  // looks at what the transaction wrote.
  return m_carryCheck == CarryCheck::kDue && !KvIsLogTable(table);
}

bool CKvDb::PassesCarriedCheckBeforeCommit() {
  if (m_carryCheck != CarryCheck::kDue || TransactionDepth() != 1)
    return true;
  // The mark, read only when the transaction wrote a table other than the
  // log's: a write takes at least a row-exclusive lock on its table, which
  // the server lists for this session until the commit. A relation the
  // transaction locked so and can no longer see was dropped by it (a
  // table, a log table whose name another table then took, the old heap of
  // a rewritten table): that is a write whatever it was. Of the relations
  // it sees only tables count, and not the log's: a log write also locks
  // the log's indexes and its TOAST table. A transaction that wrote only
  // the log, or only read, is not checked, however it began.
  QStringList logTables;
  for (const QString& table : KvLogTables())
    logTables.append(u'\'' + table.toLower() + u'\'');
  const QString sql =
      QString::fromLatin1(kKvCarriedMarkSql) +
      QStringLiteral(" WHERE EXISTS(SELECT 1 FROM pg_catalog.pg_locks l LEFT JOIN pg_catalog.pg_class c ON "
                     "c.oid=l.relation WHERE l.pid=pg_backend_pid() AND l.locktype='relation' AND "
                     "l.mode NOT IN ('AccessShareLock','RowShareLock') AND (c.oid IS NULL OR "
                     "(c.relkind IN ('r','p') AND lower(c.relname) NOT IN (%1))))")
          .arg(logTables.join(u','));
  QString error;
  qint64 mark = -1;
  bool read = false;
  {
    m_backend->takeLockWait();
    const std::unique_ptr<KvDbCursor> row = m_backend->query(sql, &error);
    read = row != nullptr;
    if (row && !row->atEnd())
      mark = row->integer(0);
  }
  if (read)
    return !refusesCarried(mark);
  // A mark that cannot be read proves nothing: the transaction is refused
  // as one whose statement failed, rolled back first.
  m_carryCheck = CarryCheck::kDone;
  rollbackAll(*this);
  ReportFailed(sql, error);
  return false;
}

bool CKvDb::refusesCarried(qint64 mark) {
  m_carryCheck = CarryCheck::kDone;
  if (mark != kKvCarriedMonth)
    return false;
  // Rolled back first: the message comes with nothing held.
  rollbackAll(*this);
  KvMessageBox(QStringLiteral("本年度数据已结转到新年度，不能再保存！"), KV_MB_OK | KV_MB_ICONSTOP);
  return true;
}


void CKvDb::reportTransactionFailed(const QString& sql) const {
  if (IsOpen())
    ReportFailed(sql, QString());
  else
    FailsAsLost();
}

bool CKvDb::ReportLockWait() const {
  if (!m_backend || !m_backend->takeLockWait())
    return false;
  KvMessageBox(QStringLiteral("数据正被另一工作站锁定（其修改尚未提交），等待%1秒后已放弃，本次操作未作任何修改！")
                   .arg(kKvLockWaitMs / 1000),
               KV_MB_OK | KV_MB_ICONSTOP);
  return true;
}

QString CKvDb::QuoteText(const QString& text, int nMaxLen) const {
  return KvQuoteSqlText(text, m_nKind, nMaxLen);
}
