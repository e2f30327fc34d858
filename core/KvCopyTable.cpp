#include "core/KvCopyTable.h"

#include "core/CKvDb.h"
#include "core/CKvRecordset.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"

#include <QList>
#include <QStringList>
#include <memory>

namespace {
enum { kInteger, kFloating, kText, kBinary, kGroups };

// One line of a row's report: "×" marks a column that could not be written.
QString reportLine(bool written, const QString& column, const QString& value) {
  return (written ? QString() : QStringLiteral("×")) + column + QStringLiteral("：") + value + u'\n';
}

// Copies the current source row into a new target row; false when the row
// was not stored. (*written)[i] tells whether the i-th column of the column
// list could be written; a row that would lose a value is not stored at all.
bool copyRow(const CKvRecordset& source, CKvRecordset& target, const QStringList* columns,
             QList<bool>* written) {
  const bool added = target.AddNew();
  bool allWritten = true;
  int i = 0;
  const auto note = [&](bool ok) {
    (*written)[i++] = ok;
    allWritten = allWritten && ok;
  };
  for (const QString& column : columns[kInteger])
    note(added && target.SetLong(column, source.GetLong(column)));
  for (const QString& column : columns[kFloating])
    note(added && target.SetDouble(column, source.GetDouble(column)));
  for (const QString& column : columns[kText])
    note(added && target.SetText(column, source.GetText(column)));
  for (const QString& column : columns[kBinary]) {
    QByteArray data;
    source.GetBinary(column, &data);
    // An empty block is not written, so it is never marked.
    note(data.isEmpty() || (added && target.SetBinary(column, data)));
  }
  return added && allWritten && target.Update();
}

// The report of the current source row: a line per column.
QString rowReport(const CKvRecordset& source, const QStringList* columns, const QList<bool>& written) {
  QString report;
  int i = 0;
  for (const QString& column : columns[kInteger])
    report += reportLine(written[i++], column, QString::number(source.GetLong(column)));
  for (const QString& column : columns[kFloating])
    report += reportLine(written[i++], column, QString::number(source.GetDouble(column), 'f', 6));
  for (const QString& column : columns[kText])
    report += reportLine(written[i++], column, source.GetText(column));
  for (const QString& column : columns[kBinary]) {
    QByteArray data;
    source.GetBinary(column, &data);
    report += reportLine(written[i++], column,
                         data.isEmpty() ? QStringLiteral("无") : QStringLiteral("二进制流"));
  }
  return report;
}

// The savepoint of each row on an SQLite target. Its three statements are
// prepared once: taking and releasing a savepoint through the connection's
// nested transactions would parse two statements for every row. The
// savepoint lives and ends within one row, so the connection's own count of
// nested transactions is not disturbed.
class RowSavepoint {
 public:
  explicit RowSavepoint(CKvDb* pDb) {
    KvDbBackend* backend = pDb->GetBackend();
    m_take = backend->prepare(QStringLiteral("SAVEPOINT kv_copy_row"), nullptr);
    m_release = backend->prepare(QStringLiteral("RELEASE SAVEPOINT kv_copy_row"), nullptr);
    m_undo = backend->prepare(QStringLiteral("ROLLBACK TO SAVEPOINT kv_copy_row"), nullptr);
  }
  bool ready() const { return m_take && m_release && m_undo; }
  bool take() { return m_take->run(nullptr); }
  // Keeps or undoes what the row wrote, and ends the savepoint.
  void end(bool keep) {
    if (!keep)
      m_undo->run(nullptr);
    m_release->run(nullptr);
  }

 private:
  std::unique_ptr<KvDbStatement> m_take;
  std::unique_ptr<KvDbStatement> m_release;
  std::unique_ptr<KvDbStatement> m_undo;
};
// The target's transaction is gone: the session was lost or the engine
// rolled it back.
bool targetLost(CKvDb* pTarget) {
  return !pTarget->IsOpen() || pTarget->GetBackend()->transactionBroken();
}
}  // namespace

namespace {
// The open source and target recordsets of one table copy, with its column
// groups; ready() is false when either side cannot take part.
struct CopySides {
  CopySides(CKvDb* pSource, CKvDb* pTarget) : source(pSource), target(pTarget), from(pSource), to(pTarget) {}
  bool open(const QString& table, const QString& whereJet, const QString& whereServer) {
    CKvDb* pSource = from;
    CKvDb* pTarget = to;
    if (!pSource || !pTarget || !pSource->TableExists(table) || !pTarget->TableExists(table))
      return false;
    columnCount = pSource->GetColumns(table, columns, nullptr);
    if (columnCount <= 0)
      return false;
    const QString columnList =
        (columns[kInteger] + columns[kFloating] + columns[kText] + columns[kBinary]).join(u',');
    const QString select = QStringLiteral("Select ") + columnList + QStringLiteral(" From ") + table;
    // Each Where text is written for the dialect of the connection it runs
    // on: the source's.
    if (!source.Open(select + u' ' + whereJet,
                     select + u' ' + (whereServer.isEmpty() ? whereJet : whereServer)))
      return false;
    // The target's rows are not needed, only its columns.
    return target.Open(select + QStringLiteral(" Where 1=0"));
  }
  CKvRecordset source;
  CKvRecordset target;
  QStringList columns[kGroups];
  int columnCount = 0;
  CKvDb* from;
  CKvDb* to;
};
}  // namespace

int KvCopyTable(CKvDb* pSource, CKvDb* pTarget, const QString& table, const QString& whereJet,
                const QString& whereServer) {
  CopySides sides(pSource, pTarget);
  if (!sides.open(table, whereJet, whereServer))
    return 0;
  CKvRecordset& source = sides.source;
  CKvRecordset& target = sides.target;
  const QStringList* columns = sides.columns;
  const int columnCount = sides.columnCount;

  std::unique_ptr<RowSavepoint> savepoint;
  if (pTarget->GetKind() == 0) {
    savepoint = std::make_unique<RowSavepoint>(pTarget);
    if (!savepoint->ready())
      return 0;
  }
  KvDbTransaction transaction(*pTarget);
  if (!transaction.IsActive())
    return 0;
  bool reporting = true;
  QList<bool> written(columnCount);
  for (; !source.IsEOF(); source.MoveNext()) {
    // A transaction the target lost (its session, or a full SQLite file
    // that the engine rolled back) keeps nothing: the copy is all or
    // nothing, so it stops here and the guard rolls back.
    if (targetLost(pTarget))
      return 0;
    const bool guarded = savepoint && savepoint->take();
    if (savepoint && !guarded)
      return 0;
    const bool stored = copyRow(source, target, columns, &written);
    if (guarded)
      savepoint->end(stored);
    if (!stored && targetLost(pTarget))
      return 0;
    if (!stored && reporting) {
      const QString text = QStringLiteral("复制表[") + table + QStringLiteral("]出错！\n") +
                           rowReport(source, columns, written) + QStringLiteral("继续报错吗？");
      if (KvMessageBox(text, KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2) == KV_IDNO)
        reporting = false;
    }
  }
  source.Close();
  target.Close();
  return transaction.Commit() ? 1 : 0;
}

bool KvCopyTableStrict(CKvDb* pSource, CKvDb* pTarget, const QString& table, QString* error,
                       const QString& whereJet, const QString& whereServer) {
  const auto fail = [&](const QString& text) {
    if (error)
      *error = text;
    return false;
  };
  CopySides sides(pSource, pTarget);
  if (!sides.open(table, whereJet, whereServer))
    return fail(QStringLiteral("复制表[") + table + QStringLiteral("]出错：无法读取表或其列。"));
  KvDbTransaction transaction(*pTarget);
  if (!transaction.IsActive())
    return fail(QStringLiteral("复制表[") + table + QStringLiteral("]出错：无法开始事务。"));
  QList<bool> written(sides.columnCount);
  for (; !sides.source.IsEOF(); sides.source.MoveNext()) {
    // The first row that cannot be stored ends the copy; the guard takes
    // back every row written before it.
    if (targetLost(pTarget) || !copyRow(sides.source, sides.target, sides.columns, &written))
      return fail(QStringLiteral("复制表[") + table + QStringLiteral("]出错！\n") +
                  rowReport(sides.source, sides.columns, written));
  }
  sides.source.Close();
  sides.target.Close();
  if (!transaction.Commit())
    return fail(QStringLiteral("复制表[") + table + QStringLiteral("]出错：无法提交。"));
  return true;
}
