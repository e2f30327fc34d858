#include "core/KvCopyTable.h"

#include "core/CKvDb.h"
#include "core/CKvRecordset.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvDbcs.h"
#include "core/KvMessage.h"
#include "core/KvText.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {
enum { kInteger, kFloating, kText, kBinary, kGroups };

// One line of a row's report: "×" marks a column that could not be written.
QString reportLine(bool written, const QString& column, const QString& value) {
  return (written ? QString() : QStringLiteral("×")) + column + QStringLiteral("：") + value + u'\n';
}

// The values of the current source row as the program reads them: an
// integer within int, a double with garbage beyond ±10^18 read as 0, a text
// without trailing white space or half a character.
int intValue(const KvDbRowset& row, int column) {
  return int(std::clamp<qint64>(row.integer(column), std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max()));
}
double realValue(const KvDbRowset& row, int column) {
  const double value = row.real(column);
  return std::fabs(value) > 1e18 ? 0.0 : value;
}
QString textValue(const KvDbRowset& row, int column) { return KvCutDbcs(KvDbTrimRight(row.text(column))); }

// The width of a text given as valid UTF-8: an ASCII character counts 1,
// any other 2 (its lead byte counts, its continuation bytes do not).
int utf8Width(const QByteArray& utf8) {
  int width = 0;
  for (const char byte : utf8) {
    const auto b = static_cast<unsigned char>(byte);
    width += b < 0x80 ? 1 : (b >= 0xC0 ? 2 : 0);
  }
  return width;
}

// Writes source rows into the target table with the columns found once: the
// i-th column of the source rowset is the i-th of the column groups. A text
// goes over as the UTF-8 bytes it was read as. An empty binary block (or a
// NULL) is left out of the row, so the column takes its default.
//
// Rows go either through prepared inserts, one per set of left-out columns
// and prepared once, each row checked by the engine as it runs; or as bulk
// loads (the back end's prepareBulkInsert), whose refusal may show only when
// the load ends. A bulk load has one set of columns: when a row leaves out
// other columns than the row before, the load ends and the next begins, so
// the rows are stored as the inserts would store them, in the same order.
class RowWriter {
 public:
  enum class Mode { kInserts, kBulk };

  RowWriter(CKvDb* pTarget, const QString& table, const QStringList* columns, const KvDbRowset& targetRows,
            Mode mode = Mode::kInserts)
      : m_backend(pTarget->GetBackend()), m_table(table), m_mode(mode) {
    for (int group = 0; group < kGroups; ++group) {
      for (qsizetype i = 0; i < columns[group].size(); ++i)
        m_groups.append(group);
    }
    for (int c = 0; c < m_groups.size(); ++c) {
      QString quoted = targetRows.columnName(c);
      quoted.replace(u'"', QStringLiteral("\"\""));
      m_names.append(u'"' + quoted + u'"');
    }
    // The declared widths of the target's texts.
    QStringList lists[kGroups];
    QList<int> widths;
    QHash<QString, int> widthOf;
    if (pTarget->GetColumns(table, lists, &widths) > 0) {
      for (qsizetype i = 0; i < lists[kText].size() && i < widths.size(); ++i)
        widthOf.insert(KvLower(lists[kText][i]), widths[i]);
    }
    const qsizetype firstText = columns[kInteger].size() + columns[kFloating].size();
    m_widths.fill(-1, m_groups.size());
    for (qsizetype i = 0; i < columns[kText].size(); ++i)
      m_widths[firstText + i] = widthOf.value(KvLower(columns[kText][i]), -1);
    m_texts.resize(m_groups.size());
    m_blocks.resize(m_groups.size());
  }

  // Stores the current source row; false when it was not stored.
  // (*written)[i] tells whether the i-th column could be written; a row that
  // would lose a value is not stored at all.
  bool store(const KvDbRowset& row, QList<bool>* written) {
    // Runs for every row: the lists are read through plain pointers.
    const qsizetype columns = m_groups.size();
    const int* groups = m_groups.constData();
    m_leftOut.fill('0', columns);
    char* leftOut = m_leftOut.data();
    bool* writtenFlags = written->data();
    QByteArray* texts = m_texts.data();
    QByteArray* blocks = m_blocks.data();
    bool allWritten = true;
    for (qsizetype c = 0; c < columns; ++c) {
      bool ok = true;
      if (groups[c] == kText) {
        QByteArray& utf8 = texts[c];
        utf8 = row.binary(int(c));
        const char* bytes = utf8.constData();
        qsizetype end = utf8.size();
        while (end > 0 && (bytes[end - 1] == ' ' || (bytes[end - 1] >= '\t' && bytes[end - 1] <= '\r')))
          --end;
        if (end < utf8.size())
          utf8.truncate(end);
        // Bytes that are not UTF-8 go over as the text they read as.
        if (!QByteArrayView(utf8).isValidUtf8())
          utf8 = textValue(row, int(c)).toUtf8();
        const int width = m_widths.at(c);
        ok = width < 0 || utf8Width(utf8) <= width;
      } else if (groups[c] == kBinary) {
        blocks[c] = row.binary(int(c));
        // An empty block is not written, so it is never marked.
        if (blocks[c].isEmpty())
          leftOut[c] = '1';
      }
      writtenFlags[c] = ok;
      allWritten = allWritten && ok;
    }
    if (!allWritten)
      return false;
    KvDbStatement* insert = statement(m_leftOut);
    if (!insert)
      return false;
    int parameter = 0;
    for (qsizetype c = 0; c < columns; ++c) {
      if (leftOut[c] == '1')
        continue;
      switch (groups[c]) {
        case kInteger:
          insert->bindInteger(parameter++, intValue(row, int(c)));
          break;
        case kFloating:
          insert->bindReal(parameter++, realValue(row, int(c)));
          break;
        case kText:
          insert->bindUtf8(parameter++, texts[c]);
          break;
        default:
          insert->bindBinary(parameter++, blocks[c]);
      }
    }
    return insert->run(nullptr);
  }

  // Ends the bulk load under way; false when the engine refused it, when
  // none of its rows is kept. With inserts there is nothing to end.
  bool finish() {
    m_last = nullptr;
    if (!m_bulk)
      return true;
    const bool kept = m_bulk->finish(nullptr);
    m_bulk.reset();
    return kept;
  }

 private:
  KvDbStatement* statement(const QByteArray& leftOut) {
    // Rows mostly leave out the same columns as the row before.
    if (m_last && leftOut == m_lastLeftOut)
      return m_last;
    // Only one load runs at a time on a connection: the one of other
    // columns ends before anything else is sent.
    if (!finish())
      return nullptr;
    m_lastLeftOut = leftOut;
    QStringList names;
    for (int c = 0; c < m_names.size(); ++c) {
      if (leftOut[c] == '0')
        names.append(m_names[c]);
    }
    // A row of defaults only has no columns to load: it is inserted.
    if (m_mode == Mode::kBulk && !names.isEmpty()) {
      m_bulk = m_backend->prepareBulkInsert(m_table, names, nullptr);
      return m_last = m_bulk.get();
    }
    const auto found = m_inserts.constFind(leftOut);
    if (found != m_inserts.cend())
      return m_last = found->get();
    const QString sql = QStringLiteral("INSERT INTO ") + m_table +
                        (names.isEmpty() ? QStringLiteral(" DEFAULT VALUES")
                                         : u'(' + names.join(u',') + QStringLiteral(") VALUES(") +
                                               QStringList(names.size(), QStringLiteral("?")).join(u',') + u')');
    std::shared_ptr<KvDbStatement> prepared = m_backend->prepare(sql, nullptr);
    if (prepared)
      m_inserts.insert(leftOut, prepared);
    return m_last = prepared.get();
  }

  KvDbBackend* m_backend;
  QString m_table;
  Mode m_mode;
  std::unique_ptr<KvDbStatement> m_bulk;  // the bulk load under way
  QList<int> m_groups;   // by column: its group
  QStringList m_names;   // by column: the target's name, quoted
  QList<int> m_widths;   // by column: a text's declared width, -1 for none
  QList<QByteArray> m_texts;   // the row's texts, bound until it has run
  QList<QByteArray> m_blocks;  // the row's binary blocks
  QHash<QByteArray, std::shared_ptr<KvDbStatement>> m_inserts;  // by left-out columns
  QByteArray m_leftOut;      // by column: '1' when the row leaves it out
  QByteArray m_lastLeftOut;  // those of the statement used last
  KvDbStatement* m_last = nullptr;
};

// The report of the current source row: a line per column.
QString rowReport(const KvDbRowset& source, const QStringList* columns, const QList<bool>& written) {
  QString report;
  int c = 0;
  for (const QString& column : columns[kInteger]) {
    report += reportLine(written[c], column, QString::number(intValue(source, c)));
    ++c;
  }
  for (const QString& column : columns[kFloating]) {
    report += reportLine(written[c], column, QString::number(realValue(source, c), 'f', 6));
    ++c;
  }
  for (const QString& column : columns[kText]) {
    report += reportLine(written[c], column, textValue(source, c));
    ++c;
  }
  for (const QString& column : columns[kBinary]) {
    report += reportLine(written[c], column,
                         source.binary(c).isEmpty() ? QStringLiteral("无") : QStringLiteral("二进制流"));
    ++c;
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
    sourceJet = select + u' ' + whereJet;
    sourceServer = select + u' ' + (whereServer.isEmpty() ? whereJet : whereServer);
    if (!source.Open(sourceJet, sourceServer))
      return false;
    // The target's rows are not needed, only its columns.
    return target.Open(select + QStringLiteral(" Where 1=0"));
  }
  // Reads the source's rows again from the first.
  bool reread() { return source.Close() && source.Open(sourceJet, sourceServer); }
  // Closed before the target's transaction ends.
  void close() {
    source.Close();
    target.Close();
  }
  CKvRecordset source;
  CKvRecordset target;
  QStringList columns[kGroups];
  int columnCount = 0;
  CKvDb* from;
  CKvDb* to;
  QString sourceJet;     // the source's select on an SQLite file
  QString sourceServer;  // and on a server
};
}  // namespace

int KvCopyTable(CKvDb* pSource, CKvDb* pTarget, const QString& table, const QString& whereJet,
                const QString& whereServer) {
  CopySides sides(pSource, pTarget);
  if (!sides.open(table, whereJet, whereServer))
    return 0;
  CKvRecordset& source = sides.source;
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
  const KvDbRowset& row = *source.Rows();
  auto writer = std::make_unique<RowWriter>(pTarget, table, columns, *sides.target.Rows());
  for (; !source.IsEOF(); source.MoveNext()) {
    // A transaction the target lost (its session, or a full SQLite file
    // that the engine rolled back) keeps nothing: the copy is all or
    // nothing, so it stops here and the guard rolls back.
    if (targetLost(pTarget))
      return 0;
    const bool guarded = savepoint && savepoint->take();
    if (savepoint && !guarded)
      return 0;
    const bool stored = writer->store(row, &written);
    if (guarded)
      savepoint->end(stored);
    if (!stored && targetLost(pTarget))
      return 0;
    if (!stored && reporting) {
      const QString text = QStringLiteral("复制表[") + table + QStringLiteral("]出错！\n") +
                           rowReport(row, columns, written) + QStringLiteral("继续报错吗？");
      if (KvMessageBox(text, KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2) == KV_IDNO)
        reporting = false;
    }
  }
  writer.reset();
  sides.close();
  return transaction.Commit() ? 1 : 0;
}

namespace {
// The rows of a strict copy to a server as bulk loads, inside a transaction
// of their own: true when every row was stored and the transaction
// committed. Anything else leaves the target as it was.
bool copyInBulk(CopySides& sides, CKvDb* pTarget, const QString& table) {
  KvDbTransaction transaction(*pTarget);
  if (!transaction.IsActive())
    return false;
  QList<bool> written(sides.columnCount);
  const KvDbRowset& row = *sides.source.Rows();
  // Ends (or undoes) its load before the transaction ends.
  RowWriter writer(pTarget, table, sides.columns, *sides.target.Rows(), RowWriter::Mode::kBulk);
  for (; !sides.source.IsEOF(); sides.source.MoveNext()) {
    if (targetLost(pTarget) || !writer.store(row, &written))
      return false;
  }
  // The target's columns stay open for a second pass.
  if (!writer.finish())
    return false;
  sides.source.Close();
  return transaction.Commit();
}
}  // namespace

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
  // A server takes the rows as bulk loads, without a statement (and its
  // savepoint) per row. A load that is refused may not say which row it
  // refused, so the rows then go again one by one, each checked as it is
  // written: the first that cannot be stored ends the copy and is named,
  // and when every row is stored this time the copy is complete after all.
  // An SQLite file checks every insert as it runs and needs no second pass.
  if (pTarget->GetKind() != 0) {
    if (copyInBulk(sides, pTarget, table))
      return true;
    if (!sides.reread())
      return fail(QStringLiteral("复制表[") + table + QStringLiteral("]出错：无法读取表或其列。"));
  }
  KvDbTransaction transaction(*pTarget);
  if (!transaction.IsActive())
    return fail(QStringLiteral("复制表[") + table + QStringLiteral("]出错：无法开始事务。"));
  QList<bool> written(sides.columnCount);
  const KvDbRowset& row = *sides.source.Rows();
  auto writer = std::make_unique<RowWriter>(pTarget, table, sides.columns, *sides.target.Rows());
  for (; !sides.source.IsEOF(); sides.source.MoveNext()) {
    // The first row that cannot be stored ends the copy; the guard takes
    // back every row written before it.
    if (targetLost(pTarget) || !writer->store(row, &written))
      return fail(QStringLiteral("复制表[") + table + QStringLiteral("]出错！\n") +
                  rowReport(row, sides.columns, written));
  }
  writer.reset();
  sides.close();
  if (!transaction.Commit())
    return fail(QStringLiteral("复制表[") + table + QStringLiteral("]出错：无法提交。"));
  return true;
}

QString KvSkippedTablesLine(const QStringList& skipped) {
  if (skipped.isEmpty())
    return QString();
  return u'\n' + QStringLiteral("下列表未复制：%1").arg(skipped.join(QStringLiteral("、")));
}
