#include "app/KvLoggedWrite.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"

bool KvLoggedWrite(CKvDb* pDb, int nCode, const QString& note, const std::function<bool()>& write) {
  if (!pDb)
    return false;
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !write())
    return false;
  CKvApp* app = KvGetApp();
  if (app && app->GetDataFile().IsLogOn() &&
      !CKvOperation::InsertLogRow(app->GetTask().nTask, CKvOperation::OperatorLabel(), CKvOperation::NowText(),
                                  nCode, note, pDb))
    return false;
  return trans.Commit();
}
