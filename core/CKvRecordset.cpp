#include "core/CKvRecordset.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvDbcs.h"
#include "core/KvMessage.h"
#include "core/KvSqlTranslator.h"
#include "core/KvText.h"
#include "core/KvWidth.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Larger values are taken as garbage rather than amounts.
constexpr double kLargestDouble = 1e18;

bool isNameChar(QChar ch) {
  return ch.isLetterOrNumber() || ch == u'_' || ch == u'$' || ch == u'.' || ch.unicode() >= 0x80;
}

// The statement's words and signs outside literals, quoted names and
// parentheses (a parenthesised part is one token "("), words in lower case.
QStringList topLevelTokens(const QString& sql) {
  QStringList tokens;
  int depth = 0;
  for (qsizetype i = 0; i < sql.size(); ++i) {
    const QChar ch = sql[i];
    if (ch == u'\'' || ch == u'"' || ch == u'[') {
      const QChar close = ch == u'[' ? QChar(u']') : ch;
      qsizetype end = sql.indexOf(close, i + 1);
      // A doubled closing quote stands for the quote itself.
      while (close != u']' && end >= 0 && end + 1 < sql.size() && sql[end + 1] == close)
        end = sql.indexOf(close, end + 2);
      // A quoted name is one token as written; a literal is its quote alone.
      if (depth == 0)
        tokens.append(ch == u'\'' || end < 0 ? QString(ch) : sql.mid(i, end - i + 1));
      i = end < 0 ? sql.size() : end;
    } else if (ch == u'(') {
      if (depth++ == 0)
        tokens.append(QStringLiteral("("));
    } else if (ch == u')') {
      --depth;
    } else if (depth == 0 && isNameChar(ch)) {
      qsizetype end = i;
      while (end < sql.size() && isNameChar(sql[end]))
        ++end;
      tokens.append(KvLower(sql.mid(i, end - i)));
      i = end - 1;
    } else if (depth == 0 && !ch.isSpace()) {
      tokens.append(QString(ch));
    }
  }
  return tokens;
}

// The table a select of one table reads from (its From clause names one
// table, joined to no other); empty otherwise.
QString singleTable(const QString& sql) {
  const QStringList tokens = topLevelTokens(sql);
  const qsizetype from = tokens.indexOf(QStringLiteral("from"));
  if (from < 0 || from + 1 >= tokens.size())
    return QString();
  const QChar first = tokens[from + 1][0];
  if (!isNameChar(first) && !(tokens[from + 1].size() > 1 && (first == u'"' || first == u'[')))
    return QString();
  static const QStringList clauseEnds = {QStringLiteral("where"), QStringLiteral("order"),
                                         QStringLiteral("group"), QStringLiteral("having"),
                                         QStringLiteral("union"), QStringLiteral("limit")};
  for (qsizetype i = from + 2; i < tokens.size() && !clauseEnds.contains(tokens[i]); ++i) {
    if (tokens[i] == u"," || tokens[i] == u"join")
      return QString();
  }
  // Unquoted names come folded: both engines read them without regard to
  // case. Quoted names stay as written, quotes included.
  return tokens[from + 1];
}

// A table name as the catalogue knows it: quotes of a quoted name removed.
QString unquotedName(const QString& name) {
  if (name.size() >= 2 && name.front() == u'[' && name.back() == u']')
    return name.mid(1, name.size() - 2);
  if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"')
    return name.mid(1, name.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
  return name;
}

// A column name quoted, so that any name the engine reports can be written
// to, whatever its characters or a keyword it equals.
QString quotedName(const QString& name) {
  QString quoted = name;
  quoted.replace(u'"', QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}
}  // namespace

CKvRecordset::CKvRecordset(CKvDb* pDb) : m_pDb(pDb) {}

CKvRecordset::~CKvRecordset() { Close(); }

bool CKvRecordset::Open(const QString& sqlJet, const QString& sqlServer) {
  Close();
  const int kind = m_pDb ? m_pDb->GetKind() : 0;
  const QString sql = kind == 0 ? KvTranslateSql(sqlJet, false)
                                : KvTranslateSql(sqlServer.isEmpty() ? sqlJet : sqlServer, true);
  if (!m_pDb || !m_pDb->IsOpen()) {
    if (m_pDb && m_pDb->FailsAsLost())
      return false;
    const QString head = kind == 0 ? QStringLiteral("执行下列SQL语句时出错！\n")
                                   : QStringLiteral("执行下列SQL语句时数据库未打开！\n");
    KvMessageBox(head + sql, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  m_rows = m_pDb->GetBackend()->openRowset(sql, nullptr);
  if (!m_rows) {
    if (!m_pDb->FailsAsLost())
      KvMessageBox(QStringLiteral("执行下列SQL语句时出错！\n") + sql, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  for (int c = 0; c < m_rows->columnCount(); ++c) {
    const QString name = m_rows->columnName(c);
    m_names.append(name);
    m_exactIndex.insert(name, c);
    m_foldedIndex.insert(KvLower(name), c);
  }
  m_table = singleTable(sql);
  return true;
}

bool CKvRecordset::Close() {
  m_rows.reset();
  m_names.clear();
  m_exactIndex.clear();
  m_foldedIndex.clear();
  m_table.clear();
  m_adding = false;
  m_newRow.clear();
  m_widthsRead = false;
  m_textWidths.clear();
  m_inserts.clear();
  return true;
}

bool CKvRecordset::IsEOF() const { return !m_rows || m_rows->atEnd(); }

void CKvRecordset::MoveNext() {
  // Moving on abandons a new row that was not stored.
  m_adding = false;
  if (!IsEOF())
    m_rows->next();
}

int CKvRecordset::ColumnIndex(const QString& name) const {
  const auto exact = m_exactIndex.constFind(name);
  if (exact != m_exactIndex.cend())
    return *exact;
  return m_foldedIndex.value(KvLower(name), -1);
}

int CKvRecordset::ReadableColumn(const QString& name) const {
  return IsEOF() ? -1 : ColumnIndex(name);
}

int CKvRecordset::GetLong(const QString& name) const {
  const int column = ReadableColumn(name);
  if (column < 0)
    return 0;
  return int(std::clamp<qint64>(m_rows->integer(column), std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max()));
}

double CKvRecordset::GetDouble(const QString& name) const {
  const int column = ReadableColumn(name);
  if (column < 0)
    return 0.0;
  const double value = m_rows->real(column);
  return std::fabs(value) > kLargestDouble ? 0.0 : value;
}

QString CKvRecordset::GetText(const QString& name) const {
  const int column = ReadableColumn(name);
  if (column < 0)
    return QString();
  return KvCutDbcs(KvDbTrimRight(m_rows->text(column)));
}

bool CKvRecordset::GetBinary(const QString& name, QByteArray* pData) const {
  const int column = ReadableColumn(name);
  *pData = QByteArray();
  if (column < 0)
    return false;
  const QByteArray data = m_rows->binary(column);
  if (!data.isEmpty())
    *pData = data;
  return true;
}

bool CKvRecordset::AddNew() {
  if (!m_rows || m_table.isEmpty())
    return false;
  m_adding = true;
  m_newRow.resize(m_names.size());
  for (Value& value : m_newRow)
    value.emplace<std::monostate>();
  return true;
}

bool CKvRecordset::SetValue(const QString& name, Value value) {
  if (!m_adding)
    return false;
  const int column = ColumnIndex(name);
  if (column < 0)
    return false;
  m_newRow[column] = std::move(value);
  return true;
}

bool CKvRecordset::SetLong(const QString& name, int value) { return SetValue(name, qint64(value)); }

bool CKvRecordset::SetDouble(const QString& name, double value) { return SetValue(name, value); }

bool CKvRecordset::SetText(const QString& name, const QString& value) {
  if (!m_adding)
    return false;
  const auto width = TextWidths().constFind(KvLower(name));
  if (width != m_textWidths.cend() && KvTextWidth(value) > *width)
    return false;
  return SetValue(name, value);
}

bool CKvRecordset::SetBinary(const QString& name, const QByteArray& data) {
  return SetValue(name, data);
}

const QHash<QString, int>& CKvRecordset::TextWidths() {
  if (m_widthsRead)
    return m_textWidths;
  m_widthsRead = true;
  QStringList lists[4];
  QList<int> widths;
  if (m_pDb->GetColumns(unquotedName(m_table), lists, &widths) > 0) {
    for (qsizetype i = 0; i < lists[2].size() && i < widths.size(); ++i)
      m_textWidths.insert(KvLower(lists[2][i]), widths[i]);
  }
  return m_textWidths;
}

KvDbStatement* CKvRecordset::InsertStatement(const QList<int>& columns) {
  QByteArray key(m_names.size(), '0');
  for (int column : columns)
    key[column] = '1';
  const auto found = m_inserts.constFind(key);
  if (found != m_inserts.cend())
    return found->get();
  QString sql = QStringLiteral("INSERT INTO ") + m_table;
  if (columns.isEmpty()) {
    sql += QStringLiteral(" DEFAULT VALUES");
  } else {
    QStringList names;
    for (int column : columns)
      names.append(quotedName(m_names[column]));
    sql += u'(' + names.join(u',') + QStringLiteral(") VALUES(") +
           QStringList(columns.size(), QStringLiteral("?")).join(u',') + u')';
  }
  std::shared_ptr<KvDbStatement> statement = m_pDb->GetBackend()->prepare(sql, nullptr);
  if (!statement)
    return nullptr;
  m_inserts.insert(key, statement);
  return statement.get();
}

bool CKvRecordset::Update() {
  if (!m_adding || !m_pDb->IsOpen())
    return false;
  m_adding = false;
  QList<int> columns;
  for (int c = 0; c < m_newRow.size(); ++c) {
    if (!std::holds_alternative<std::monostate>(m_newRow[c]))
      columns.append(c);
  }
  KvDbStatement* statement = InsertStatement(columns);
  if (!statement)
    return false;
  for (int i = 0; i < columns.size(); ++i) {
    const Value& value = m_newRow[columns[i]];
    if (const auto* number = std::get_if<qint64>(&value))
      statement->bindInteger(i, *number);
    else if (const auto* real = std::get_if<double>(&value))
      statement->bindReal(i, *real);
    else if (const auto* text = std::get_if<QString>(&value))
      statement->bindText(i, *text);
    else if (const auto* bytes = std::get_if<QByteArray>(&value))
      statement->bindBinary(i, *bytes);
  }
  return statement->run(nullptr);
}

bool KvReadFile(const QString& path, QByteArray* pData) {
  *pData = QByteArray();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  const qint64 size = file.size();
  *pData = file.readAll();
  return pData->size() == size;
}

bool KvWriteFile(const QString& path, const QByteArray& data) {
  if (data.isNull())
    return false;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return false;
  return file.write(data) == data.size() && file.flush();
}
