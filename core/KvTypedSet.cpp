#include "core/KvTypedSet.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvMessage.h"
#include "core/KvSqlTranslator.h"

#include <algorithm>
#include <limits>

KvTypedSet::KvTypedSet() = default;

KvTypedSet::~KvTypedSet() = default;

void KvTypedSet::Init(int nLong, int nDouble, int nText, const CKvDb* pDb) {
  m_cursor.reset();
  m_longs = QList<int>(qMax(nLong, 0));
  m_doubles = QList<double>(qMax(nDouble, 0));
  m_texts = QStringList(qMax(nText, 0));
  m_pDb = pDb;
}

bool KvTypedSet::ConnectionOpen() const { return m_pDb && m_pDb->IsOpenOrFailsAsLost(); }

bool KvTypedSet::ConnectionLost() const { return m_pDb && m_pDb->FailsAsLost(); }

bool KvTypedSet::Run(const QString& sql, QString* error) {
  m_cursor.reset();
  ClearValues();
  std::unique_ptr<KvDbCursor> cursor = m_pDb->GetBackend()->query(sql, error);
  if (!cursor)
    return false;
  const qsizetype columns = m_longs.size() + m_doubles.size() + m_texts.size();
  if (cursor->columnCount() < columns) {
    if (error)
      *error = QStringLiteral("the select returns %1 columns, %2 are read")
                   .arg(cursor->columnCount())
                   .arg(columns);
    return false;
  }
  m_cursor = std::move(cursor);
  ReadRow();
  return true;
}

bool KvTypedSet::IsEOF() const { return !m_cursor || m_cursor->atEnd(); }

void KvTypedSet::MoveNext() {
  if (IsEOF())
    return;
  m_cursor->next();
  ReadRow();
}

void KvTypedSet::Close() { m_cursor.reset(); }

void KvTypedSet::ClearValues() {
  m_longs.fill(0);
  m_doubles.fill(0.0);
  for (QString& text : m_texts)
    text.clear();
}

void KvTypedSet::ReadRow() {
  if (m_cursor->atEnd()) {
    ClearValues();
    return;
  }
  int column = 0;
  for (int& value : m_longs) {
    value = int(std::clamp<qint64>(m_cursor->integer(column++), std::numeric_limits<int>::min(),
                                 std::numeric_limits<int>::max()));
  }
  for (double& value : m_doubles)
    value = m_cursor->real(column++);
  for (QString& text : m_texts)
    text = KvDbTrimRight(m_cursor->text(column++));
}

bool KvTypedSet::OpenReporting(const QString& sql, bool bServer) {
  const QString translated = KvTranslateSql(sql, bServer);
  if (!ConnectionOpen()) {
    Close();
    ClearValues();
    if (!ConnectionLost())
      KvMessageBox(QStringLiteral("执行下列SQL语句时数据库未打开！\n") + translated);
    return false;
  }
  if (!Run(translated, nullptr)) {
    if (!ConnectionLost())
      KvMessageBox(QStringLiteral("执行下列SQL语句时出错！\n") + translated);
    return false;
  }
  return true;
}
