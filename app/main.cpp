#include "app/CKvXxApp.h"
#include "app/KvShellServices.h"
#include "core/KvConst.h"
#include "datafile/KvDataFileInstall.h"
#include "forms/CKvPublicSheet.h"
#include "formula/KvCalculatorInstall.h"
#include "print/KvPrintInstall.h"
#include "school/KvSchoolInstall.h"
#include "timetable/KvTimetableInstall.h"
#include "ui/KvCommands.h"
#include "ui/KvLockWaitCursor.h"
#include "ui/KvMessageBoxHandler.h"
#include "ui/KvResources.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QString::fromLatin1(kv::kOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kv::kProductKey));
  QApplication::setApplicationVersion(QString::fromLatin1(kv::kVersion));
  QApplication::setWindowIcon(KvResourceIcon(KV_ICON_APP));

  // The program speaks Chinese whatever the user's locale: Qt's own texts
  // (standard buttons, file dialogs) follow.
  QTranslator qtTranslator;
  if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTranslator);

  KvInstallMessageBoxHandler();
  KvInstallLockWaitCursor();
  KvInstallCalculator();
  KvInstallPrinting();
  KvInstallPublicSheet();
  KvInstallSchool();
  KvInstallTimetable();

  // The application object lives inside the QApplication's lifetime: made
  // after it, destroyed before it.
  CKvXxApp theApp;
  // The dialog bases reach the shell's units, dialog places and year.
  KvInstallShellServices();
  KvInstallDataFile();
  const int code = theApp.StartUp(QApplication::arguments()) ? QApplication::exec()
                                                             : theApp.GetExitCode();
  theApp.ExitInstance();
  return code;
}
