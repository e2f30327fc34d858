#include "app/KvCurrentDir.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

void KvSetCurrentDirToDataFile(CKvDb* pDb) {
  CKvDb* db = pDb ? pDb : KvGetAppDb();
  if (!db || !db->IsOpen())
    return;
  if (db->GetKind() == 0)
    QDir::setCurrent(QFileInfo(db->GetDatabaseName(true)).absolutePath());
  else
    QDir::setCurrent(QCoreApplication::applicationDirPath());
}
