#include "core/CKvQuery.h"

#include "core/CKvDb.h"
#include "core/KvMessage.h"

namespace {
void reportIndex(const char* format, int i) {
  KvMessageBox(QString::fromUtf8(format).arg(i), KV_MB_OK | KV_MB_ICONSTOP);
}
}  // namespace

CKvQuery::CKvQuery(int nLong, int nDouble, int nText, CKvDb* pDb)
    : m_nKind(pDb ? pDb->GetKind() : 0) {
  m_set = m_nKind == 1 ? static_cast<KvTypedSet*>(&m_dbrd)
          : m_nKind == 2 ? static_cast<KvTypedSet*>(&m_adoset)
                         : static_cast<KvTypedSet*>(&m_dbset);
  m_set->Init(nLong, nDouble, nText, pDb);
}

CKvQuery::~CKvQuery() = default;

void CKvQuery::SetFieldName(int, int, const QString&) {}

void CKvQuery::SetFieldNames(int, const QStringList&) {}

bool CKvQuery::Open(const QString& sqlJet, const QString& sqlServer) {
  if (m_nKind == 0)
    return m_set->Open(sqlJet);
  return m_set->Open(sqlServer.isEmpty() ? sqlJet : sqlServer);
}

bool CKvQuery::IsEOF() const { return m_set->IsEOF(); }

void CKvQuery::MoveNext() { m_set->MoveNext(); }

int CKvQuery::GetLong(int i) const {
  if (i < 0 || i >= m_set->LongCount()) {
    reportIndex("执行查询时，第%1个整数值超界！", i);
    return 0;
  }
  return m_set->Long(i);
}

double CKvQuery::GetDouble(int i) const {
  if (i < 0 || i >= m_set->DoubleCount()) {
    reportIndex("执行查询时，第%1个小数值超界！", i);
    return 0.0;
  }
  return m_set->Double(i);
}

const QString& CKvQuery::GetText(int i) const {
  if (i < 0 || i >= m_set->TextCount()) {
    reportIndex("执行查询时，第%1个字符值超界！", i);
    static const QString empty;
    return empty;
  }
  return m_set->Text(i);
}

void CKvQuery::Close() { m_set->Close(); }
