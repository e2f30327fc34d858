#include "school/KvStdPicker.h"

#include "school/CKvStdDirDlg.h"
#include "ui/KvModal.h"

bool KvPickStdCode(QWidget* parent, CKvDb* pDb, int nMode, QString& code) {
  CKvStdDirDlg dialog(pDb, nMode, code, -1, parent);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  code = dialog.ChosenCode();
  return true;
}
