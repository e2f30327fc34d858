#include "formula/KvCalculatorInstall.h"

#include "formula/CKvCalcDlg.h"
#include "ui/KvCalculatorHook.h"
#include "ui/KvModal.h"

void KvInstallCalculator() {
  KvSetCalculator(
      [](bool bSendBack, const QString& expression, QWidget* parent, QString* result) {
        CKvCalcDlg dlg(bSendBack, expression, parent);
        if (KvExecDialog(&dlg) != QDialog::Accepted || !bSendBack)
          return false;
        if (result)
          *result = dlg.m_strResult;
        return true;
      });
}
