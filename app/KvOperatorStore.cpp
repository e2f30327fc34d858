#include "app/KvOperatorStore.h"

#include "app/KvAppQuery.h"
#include "core/CKvDb.h"
#include "core/KvDbBackend.h"

namespace {

const QString kSelect = QStringLiteral("Select rtrim(OPNO),rtrim(NA),rtrim(PSD) From OPR ");

// Reads the operators of the select; false when it fails.
bool readOperators(CKvDb* pDb, const QString& rest, QList<KvOperator>* pOperators) {
  const std::unique_ptr<KvDbCursor> cursor = KvAppSelect(pDb, kSelect + rest);
  if (!cursor || cursor->columnCount() < 3)
    return false;
  for (; !cursor->atEnd(); cursor->next())
    pOperators->append({KvDbTrimRight(cursor->text(0)), KvDbTrimRight(cursor->text(1)),
                        KvDbTrimRight(cursor->text(2))});
  return true;
}

}  // namespace

int KvOperatorStore::Load(CKvDb* pDb, const QString& code) {
  m_operator = KvOperator();
  if (!pDb)
    return -1;
  QList<KvOperator> found;
  if (!readOperators(pDb, QStringLiteral("Where OPNO='%1'").arg(pDb->QuoteText(code)), &found))
    return -1;
  if (!found.isEmpty())
    m_operator = found.first();
  return static_cast<int>(found.size());
}

int KvOperatorStore::Fill(QList<KvOperator>* pOperators, CKvDb* pDb, bool bKeepAdmin) {
  pOperators->clear();
  if (!pDb || !readOperators(pDb, QStringLiteral("Order By Opno"), pOperators)) {
    pOperators->clear();
    return -1;
  }
  if (!bKeepAdmin)
    pOperators->removeIf([](const KvOperator& op) { return op.strCode == u"101"; });
  return static_cast<int>(pOperators->size());
}
