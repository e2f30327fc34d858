#include "app/KvShellServices.h"

#include "app/CKvApp.h"
#include "app/CKvDlgPos.h"
#include "app/CKvDwRec.h"
#include "app/KvDwRight.h"
#include "ui/KvAppServices.h"

#include <QDate>

void KvInstallShellServices() {
  KvSetFillDwComboService([](CKvTreeCombo* picker, int displayFlag, const QString& operatorCode,
                             const QString& rootText) {
    CKvDwRec scratch;
    return scratch.KvFillDwCombo(picker, displayFlag, operatorCode, rootText);
  });
  KvSetDwFromComboService([](CKvTreeCombo* picker) { KvSetCurrentDwFromCombo(picker); });
  KvSetCheckDwAccessService([](QWidget* focus, int mode) {
    CKvDwRec scratch;
    return scratch.KvCheckDwAccess(focus, mode);
  });
  KvSetDwCaptionProvider([] {
    QString caption;
    if (const CKvApp* app = KvGetApp())
      app->HasUnitFeature(&caption);
    return caption;
  });
  KvSetRememberDlgPosService(
      [](int id, const QWidget* window) { KvGetDlgPos().Remember(id, window); });
  KvSetRestoreDlgPosService([](int id, QWidget* window) { return KvGetDlgPos().Restore(id, window); });
  KvSetDataFileYearProvider([] {
    CKvApp* app = KvGetApp();
    const int year = app ? app->GetDataFile().GetYear() : 0;
    return year > 0 ? year : QDate::currentDate().year();
  });
}
