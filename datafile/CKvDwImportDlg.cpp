#include "datafile/CKvDwImportDlg.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvDwRec.h"
#include "app/KvAppQuery.h"
#include "app/KvChooseDw.h"
#include "app/KvDwMaintenance.h"
#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvRegistry.h"
#include "datafile/CKvMonthTable.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>

namespace {
const QString kImportKey = QStringLiteral("KVDW_Import");
const QString kTypeKey = QStringLiteral("KVDW_Import_Type");

QString regValue(const QString& name) {
  QString value;
  KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), name, &value);
  return value;
}

// The first four characters of the version stamp as a number; -1 without
// one.
int stampVersion(CKvDb* pDb) {
  QStringList values[1];
  if (pDb->QueryTexts(QStringLiteral("Select CsVal From SysCsTab Where Cs=9133 And CsN=1"), values, 1) <= 0)
    return -1;
  bool ok = false;
  const int version = values[0].first().left(4).trimmed().toInt(&ok);
  return ok ? version : -1;
}
}  // namespace

CKvDwImportDlg::CKvDwImportDlg(CKvDb* pDb, QWidget* parent) : QFileDialog(parent), m_pDb(pDb) {
  setObjectName(QStringLiteral("dlg_dw_import"));
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(QFileDialog::ExistingFile);
  setAcceptMode(QFileDialog::AcceptOpen);
  setWindowTitle(QStringLiteral("选择源数据文件"));
  CKvApp* app = KvGetApp();
  if (app)
    setNameFilter(QStringLiteral("%1(*.%2)").arg(app->GetDataFileDescription(), app->GetDataFileExt()));
  const QString last = regValue(kImportKey);
  if (!last.isEmpty()) {
    setDirectory(QFileInfo(last).absolutePath());
    selectFile(last);
  }
  auto* box = new QGroupBox(QStringLiteral("数据模块"), this);
  auto* row = new QHBoxLayout(box);
  const QStringList ticked = regValue(kTypeKey).split(u';');
  if (app) {
    for (CKvDataType* module : app->GetDataTypes()) {
      auto* check = new QCheckBox(module->GetCaption(), box);
      check->setProperty("module", module->GetModule());
      check->setChecked(ticked.contains(QString::number(module->GetModule())));
      m_boxes.append(check);
      row->addWidget(check);
    }
  }
  row->addStretch(1);
  if (auto* grid = qobject_cast<QGridLayout*>(layout()))
    grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
  resize(760, 500);
}

bool CKvDwImportDlg::Refuse(const QString& message) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

bool CKvDwImportDlg::CheckSource(const QString& path) {
  CKvApp* app = KvGetApp();
  if (!app || !m_pDb)
    return false;
  QStringList modules;
  for (QCheckBox* check : m_boxes)
    if (check->isChecked())
      modules.append(check->property("module").toString());
  if (modules.isEmpty()) {
    if (!m_boxes.isEmpty())
      m_boxes.first()->setFocus();
    return Refuse(QStringLiteral("未选择数据模块！"));
  }
  CKvDb source(0);
  if (!source.Open(path, CKvDbInfo(0)))
    return Refuse(KvFormat("无法打开数据库文件：\n%s", path));
  if (QFileInfo(source.GetDatabaseName(true)).canonicalFilePath().compare(
          QFileInfo(m_pDb->GetDatabaseName(true)).canonicalFilePath(), Qt::CaseInsensitive) == 0)
    return Refuse(QStringLiteral("源、目标数据文件相同！"));
  int year = 0;
  int month = 0;
  if (!KvAppSelectInt(&source, QStringLiteral("Select Max(PY) From SysTab"), QString(), &year) ||
      year != app->GetDataFile().GetYear())
    return Refuse(QStringLiteral("该数据文件与目标数据文件年度不一致！"));
  if (!KvAppSelectInt(&source, QStringLiteral("Select Max(MM) From SysTab"), QString(), &month) ||
      month != app->GetDataFile().GetMonth())
    return Refuse(QStringLiteral("该数据文件与目标数据文件月结不一致！"));
  if (stampVersion(&source) != app->GetFormatVersion())
    return Refuse(QStringLiteral("该数据文件与目标数据文件版本不一致！"));
  for (const QString& number : modules) {
    CKvDataType* module = KvFindDataType(number.toInt());
    for (int y : {year, year + 1}) {
      KvYearMonths ours, theirs;
      CKvMonthTable(&source, number.toInt()).ReadYear(QString::number(y), theirs);
      CKvMonthTable(m_pDb, number.toInt()).ReadYear(QString::number(y), ours);
      for (int m = 0; m < 12; ++m) {
        if (ours.first[m] == theirs.first[m] && ours.last[m] == theirs.last[m])
          continue;
        return Refuse(KvFormat("该数据文件与目标数据文件“%s”模块", module ? module->GetCaption() : number) +
                      KvFormat("%s年%d月的业务月不一致！", QString::number(y), m + 1));
      }
    }
  }
  // The source's units stand in for the application's while the operator
  // picks one.
  CKvDwArray units;
  CKvDwRec().KvSelectDw(QString(), QStringLiteral("Order By KNO"), &units, &source);
  QString unitCode;
  if (!units.isEmpty()) {
    const CKvDwArray own = KvGetDwArray();
    const CKvDwRec current = KvGetCurrentDw();
    KvGetDwArray() = units;
    const bool chosen = KvChooseDw(-1, 1, QStringLiteral("101"), this);
    unitCode = KvGetCurrentDw().KNO;
    KvGetDwArray() = own;
    KvGetCurrentDw() = current;
    if (!chosen)
      return false;
  }
  QString caption;
  if (KvDwHasData(unitCode, &caption, &source))
    return Refuse(QStringLiteral("该单位没有数据！"));
  m_strPath = path;
  m_strModules = modules.join(u';');
  m_strUnit = unitCode;
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), kTypeKey, m_strModules);
  return true;
}

void CKvDwImportDlg::accept() {
  const QStringList files = selectedFiles();
  if (files.isEmpty() || !CheckSource(files.first()))
    return;
  QFileDialog::accept();
}
