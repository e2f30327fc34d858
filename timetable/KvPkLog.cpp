#include "timetable/KvPkLog.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "timetable/CPkDataType.h"

bool KvPkInsertLog(CKvDb* pDb, int nOp, const QString& text) {
  CKvApp* app = KvGetApp();
  if (!app || !app->GetDataFile().IsLogOn())
    return true;
  return CKvOperation::InsertLogRow(app->GetTask().nTask, CKvOperation::OperatorLabel(), CKvOperation::NowText(),
                                    CPkDataType::kModule * 100 + nOp, text, pDb);
}
