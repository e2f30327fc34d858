#include "print/KvPrintInstall.h"

#include "print/CKvListPageSetupDlg.h"
#include "print/CKvListPrintJob.h"
#include "print/CKvPageFormat.h"
#include "ui/KvListPrint.h"
#include "ui/KvModal.h"

#include <QApplication>

void KvInstallPrinting() {
  KvSetListPrinter([](const KvRowSource& rows, const KvListPrintTarget& target, int command) {
    return KvPrintList(rows, target, command, QApplication::activeWindow());
  });
  KvSetListPageSetup([](const KvListPrintTarget& target, QWidget* parent) {
    CKvListPageSetupDlg dialog(target, parent);
    return KvExecDialog(&dialog) == QDialog::Accepted;
  });
  KvSetListTitleReader([](CKvDb* db, int formId) {
    CKvPageFormat format;
    format.Load(db, formId);
    return format.Title;
  });
}
