#include "app/KvChooseDw.h"

#include "ui/CKvChooseDlg.h"
#include "ui/KvModal.h"

bool KvChooseDw(int nCheckMode, int nDisplay, const QString& operatorCode, QWidget* parent) {
  CKvChooseDlg dialog(nCheckMode, nDisplay, operatorCode, parent);
  return KvExecDialog(&dialog) == QDialog::Accepted;
}
