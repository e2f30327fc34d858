#include "datafile/KvDwExport.h"

#include "app/CKvApp.h"
#include "app/CKvDwRec.h"
#include "app/CKvOperation.h"
#include "app/KvDwMaintenance.h"
#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"
#include "core/KvCopyTable.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvPresenceLock.h"
#include "core/KvRegistry.h"
#include "core/KvDataFileInUse.h"
#include "ui/CKvFolderDlg.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvModal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString kExportKey = QStringLiteral("KVDW_Export");

// Removes a data file and what the program keeps beside it.
void removeFile(const QString& path) {
  QFile::remove(path);
  QFile::remove(path + QStringLiteral("-journal"));
  QFile::remove(path + QStringLiteral(".kvlock"));
}
}  // namespace

bool KvWriteDwFile(const QString& code, CKvDb* pDb, const QString& path, QStringList* pSkipped) {
  CKvApp* app = KvGetApp();
  if (!app || !pDb)
    return false;
  const QString work = path + QStringLiteral(".part");
  removeFile(work);
  bool made = false;
  {
    CKvDb target(0);
    made = target.CreateDatabase(work, CKvDbInfo(0)) && app->CreateAllTables(&target) &&
           KvExtractDwData(code, pDb, &target, pSkipped);
    target.Close();
  }
  // Put in place only where no file is: a file at the path is never
  // replaced, nor removed when the export fails.
  if (made)
    made = KvPresenceLock::replaceDataFile(work, path, false);
  removeFile(work);
  return made;
}

bool KvExportDw(const QString& code, CKvDb* pDb, QWidget* parent) {
  CKvApp* app = KvGetApp();
  if (!app || !pDb)
    return false;
  CKvDwRec unit;
  if (unit.KvFindDw(code, 3) > 0) {
    KvMessageBox(QStringLiteral("这不是一个末级单位！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  unit.KvFindDw(code, 0);
  const QString current = QDir::currentPath();
  QString folder;
  KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), kExportKey, &folder);
  for (;;) {
    CKvFolderDlg chooser(folder, QStringLiteral("选择导出数据文件存放位置"), 804, parent);
    if (KvExecDialog(&chooser) != QDialog::Accepted)
      break;
    folder = chooser.GetPath();
    QString caption;
    if (KvDwHasData(code, &caption, pDb)) {
      KvMessageBox(KvFormat("%s_%s\n没有数据！", code, unit.NA), KV_MB_OK | KV_MB_ICONSTOP);
      continue;
    }
    while (folder.size() > 1 && (folder.endsWith(u'/') || folder.endsWith(u'\\')))
      folder.chop(1);
    const QString path =
        KvFormat("%s/%d.%s", folder, app->GetDataFile().GetYear(), app->GetDataFileExt());
    const QFileInfo info(path);
    if (info.isDir()) {
      KvMessageBox(KvFormat("%s\n是一个文件夹！", path), KV_MB_OK | KV_MB_ICONSTOP);
      continue;
    }
    if (info.exists()) {
      if (KvRefuseDataFileInUse(path))
        continue;
      if (KvMessageBox(KvFormat("%s\n已存在，要删除它吗？", path), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) !=
          KV_IDYES)
        continue;
      // Deleted only while no program holds it, whoever took it up since;
      // a file that stays is named with the reason.
      QFile::setPermissions(path, info.permissions() | QFileDevice::WriteOwner);
      if (!KvPresenceLock::removeDataFile(path) && QFileInfo::exists(path)) {
        if (!KvRefuseDataFileInUse(path))
          KvMessageBox(KvFormat("“%s”不能删除（%s），没有导出！", path,
                                QFileInfo(info.absolutePath()).isWritable() ? QStringLiteral("系统拒绝删除该文件")
                                                                            : QStringLiteral("所在文件夹不允许写入")),
                       KV_MB_OK | KV_MB_ICONSTOP);
        continue;
      }
    }
    CKvWaitWnd wait;
    wait.Show();
    KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), kExportKey, folder);
    QDir::setCurrent(current);
    QStringList skipped;
    if (!KvWriteDwFile(code, pDb, path, &skipped)) {
      wait.Hide();
      KvMessageBox(QStringLiteral("导出单位数据失败！"), KV_MB_OK | KV_MB_ICONSTOP);
      return false;
    }
    CKvOperation(27, KvFormat("导出单位%s的数据", code));
    wait.Hide();
    KvMessageBox(KvFormat("数据文件：\n%s\n生成完毕！", path) + KvSkippedTablesLine(skipped),
                 KV_MB_OK | KV_MB_ICONINFORMATION);
    return true;
  }
  QDir::setCurrent(current);
  return false;
}
