#include "core/KvDbFaultSeam.h"

#include "core/CKvDb.h"

namespace {
const char kRefused[] = "statement refused by the test seam";

bool refuse(QString* error) {
  if (error)
    *error = QString::fromLatin1(kRefused);
  return false;
}

class SeamStatement final : public KvDbStatement {
 public:
  SeamStatement(std::unique_ptr<KvDbStatement> inner, std::shared_ptr<KvDbFaultSeam::Counter> counter)
      : m_inner(std::move(inner)), m_counter(std::move(counter)) {}
  void bindInteger(int index, qint64 value) override { m_inner->bindInteger(index, value); }
  void bindReal(int index, double value) override { m_inner->bindReal(index, value); }
  void bindText(int index, const QString& value) override { m_inner->bindText(index, value); }
  void bindBinary(int index, const QByteArray& value) override { m_inner->bindBinary(index, value); }
  bool run(QString* error) override {
    if (m_counter->Next())
      return refuse(error);
    return m_inner->run(error);
  }
  bool finish(QString* error) override {
    if (m_counter->Next())
      return refuse(error);
    return m_inner->finish(error);
  }

  qint64 rowsAffected() const override { return m_inner->rowsAffected(); }
  KvDbStatement& inner() const { return *m_inner; }
  std::unique_ptr<KvDbRowset> select(QString* error) override {
    if (m_counter->Next()) {
      refuse(error);
      return nullptr;
    }
    return m_inner->select(error);
  }

 private:
  std::unique_ptr<KvDbStatement> m_inner;
  std::shared_ptr<KvDbFaultSeam::Counter> m_counter;
};
}  // namespace

bool KvDbFaultSeam::Counter::Next() {
  if (failAt <= 0)
    return false;
  ++sent;
  return sent == failAt;
}

KvDbFaultSeam::KvDbFaultSeam(std::unique_ptr<KvDbBackend> inner)
    : m_inner(std::move(inner)), m_counter(std::make_shared<Counter>()) {}

KvDbFaultSeam::KvDbFaultSeam(std::unique_ptr<KvDbBackend> inner, const KvDbFaultSeam& shared)
    : m_inner(std::move(inner)), m_counter(shared.m_counter) {}

KvDbFaultSeam::~KvDbFaultSeam() = default;

void KvDbFaultSeam::Arm(int n) {
  m_counter->failAt = n;
  m_counter->sent = 0;
}

int KvDbFaultSeam::StatementsSent() const { return m_counter->sent; }

std::unique_ptr<KvDbBackend> KvDbFaultSeam::Release() { return std::move(m_inner); }

bool KvDbFaultSeam::isOpen() const { return m_inner && m_inner->isOpen(); }

void KvDbFaultSeam::close() { m_inner->close(); }

bool KvDbFaultSeam::execute(const QString& sql, QString* error) {
  return m_counter->Next() ? refuse(error) : m_inner->execute(sql, error);
}

qint64 KvDbFaultSeam::rowsAffected() const { return m_inner->rowsAffected(); }

bool KvDbFaultSeam::beginTransaction() {
  return m_counter->Next() ? false : m_inner->beginTransaction();
}

bool KvDbFaultSeam::beginReadSnapshot() {
  return m_counter->Next() ? false : m_inner->beginReadSnapshot();
}

bool KvDbFaultSeam::commitTransaction() {
  // A refused COMMIT or RELEASE leaves the transaction (or savepoint) open,
  // as an engine that cannot commit does; the caller rolls it back.
  return m_counter->Next() ? false : m_inner->commitTransaction();
}

bool KvDbFaultSeam::rollbackTransaction() { return m_inner->rollbackTransaction(); }

int KvDbFaultSeam::transactionDepth() const { return m_inner->transactionDepth(); }

bool KvDbFaultSeam::beginLocked(const QString& table, qint64* mark) {
  return m_counter->Next() ? false : m_inner->beginLocked(table, mark);
}

bool KvDbFaultSeam::beginLockedSelect(const QString& table, KvDbStatement& statement,
                                      std::unique_ptr<KvDbRowset>* rows, QString* error,
                                      StatementFailure failure, qint64* mark) {
  auto* seamed = dynamic_cast<SeamStatement*>(&statement);
  KvDbStatement& inner = seamed ? seamed->inner() : statement;
  if (m_counter->Next())
    return false;
  if (m_counter->Next()) {
    // The begin passes, the select is refused.
    if (!m_inner->beginLocked(table, mark))
      return false;
    rows->reset();
    refuse(error);
    return true;
  }
  return m_inner->beginLockedSelect(table, inner, rows, error, failure, mark);
}

bool KvDbFaultSeam::runAndCommit(KvDbStatement& statement, QString* error) {
  auto* seamed = dynamic_cast<SeamStatement*>(&statement);
  KvDbStatement& inner = seamed ? seamed->inner() : statement;
  if (m_counter->Next())
    return refuse(error);
  if (m_counter->Next()) {
    // The statement runs, the commit is refused: the transaction stays open.
    inner.run(error);
    return false;
  }
  return m_inner->runAndCommit(inner, error);
}

bool KvDbFaultSeam::lockTable(const QString& table, qint64* mark) {
  return m_counter->Next() ? false : m_inner->lockTable(table, mark);
}

QString KvDbFaultSeam::databaseName() const { return m_inner->databaseName(); }

QString KvDbFaultSeam::connectString() const { return m_inner->connectString(); }

void KvDbFaultSeam::setQueryTimeout(int seconds) { m_inner->setQueryTimeout(seconds); }

std::unique_ptr<KvDbRowset> KvDbFaultSeam::openRowset(const QString& sql, QString* error) {
  if (m_counter->Next()) {
    refuse(error);
    return nullptr;
  }
  return m_inner->openRowset(sql, error);
}

std::unique_ptr<KvDbStatement> KvDbFaultSeam::prepare(const QString& sql, QString* error) {
  std::unique_ptr<KvDbStatement> statement = m_inner->prepare(sql, error);
  if (!statement)
    return nullptr;
  return std::make_unique<SeamStatement>(std::move(statement), m_counter);
}

std::unique_ptr<KvDbStatement> KvDbFaultSeam::prepareBulkInsert(const QString& table,
                                                                const QStringList& columns, QString* error) {
  std::unique_ptr<KvDbStatement> statement = m_inner->prepareBulkInsert(table, columns, error);
  if (!statement)
    return nullptr;
  return std::make_unique<SeamStatement>(std::move(statement), m_counter);
}

// Reading a statement runs nothing: only its run is counted.
bool KvDbFaultSeam::nextTypedStatement(const QString& sql, QString* statement, qsizetype* used, QString* error) {
  return m_inner->nextTypedStatement(sql, statement, used, error);
}

QString KvDbFaultSeam::transactionMark() { return m_inner->transactionMark(); }

bool KvDbFaultSeam::suspendSession() { return m_inner->suspendSession(); }

bool KvDbFaultSeam::resumeSession() { return m_inner->resumeSession(); }

bool KvDbFaultSeam::aloneOnFile() { return m_inner->aloneOnFile(); }

QString KvDbFaultSeam::dataChangeMark() { return m_inner->dataChangeMark(); }

// --- The connection's side ---

void CKvDb::FailNthStatement(int n) {
  auto* seam = dynamic_cast<KvDbFaultSeam*>(m_backend.get());
  if (n <= 0) {
    if (seam)
      m_backend = seam->Release();
    return;
  }
  if (!m_backend)
    return;
  if (!seam) {
    auto wrapped = std::make_unique<KvDbFaultSeam>(std::move(m_backend));
    seam = wrapped.get();
    m_backend = std::move(wrapped);
  }
  seam->Arm(n);
}

int CKvDb::GetStatementsSent() const {
  auto* seam = dynamic_cast<const KvDbFaultSeam*>(m_backend.get());
  return seam ? seam->StatementsSent() : 0;
}

void CKvDb::ShareFaultSeam(const CKvDb& other) {
  auto* seam = dynamic_cast<const KvDbFaultSeam*>(other.m_backend.get());
  if (seam && m_backend)
    m_backend = std::make_unique<KvDbFaultSeam>(std::move(m_backend), *seam);
}
