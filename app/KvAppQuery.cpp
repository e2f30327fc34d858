#include "app/KvAppQuery.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvSqlTranslator.h"

std::unique_ptr<KvDbCursor> KvAppSelect(CKvDb* pDb, const QString& sqlJet,
                                        const QString& sqlServer) {
  if (!pDb)
    return nullptr;
  const bool bServer = pDb->GetKind() != 0;
  const QString& sql = bServer && !sqlServer.isEmpty() ? sqlServer : sqlJet;
  std::unique_ptr<KvDbCursor> cursor =
      pDb->IsOpen() ? pDb->GetBackend()->query(KvTranslateSql(sql, bServer), nullptr) : nullptr;
  if (!cursor)
    pDb->FailsAsLost();
  return cursor;
}

bool KvAppSelectInt(CKvDb* pDb, const QString& sqlJet, const QString& sqlServer, int* pnValue) {
  const std::unique_ptr<KvDbCursor> cursor = KvAppSelect(pDb, sqlJet, sqlServer);
  if (!cursor || cursor->columnCount() < 1)
    return false;
  *pnValue = cursor->atEnd() ? 0 : static_cast<int>(cursor->integer(0));
  return true;
}
