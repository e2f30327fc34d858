#include "datafile/CKvDataFileInfoDlg.h"

#include "app/CKvApp.h"
#include "app/CKvDwRec.h"
#include "app/CKvOperation.h"
#include "app/KvProgramImage.h"
#include "app/KvUserSettings.h"
#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvRegistry.h"
#include "app/KvLoggedWrite.h"
#include "ui/CKvEdit.h"
#include "ui/CKvFolderDlg.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr unsigned kTemplate = 816;
const QString kTrimmed = QStringLiteral(" \n\t\r\n");
const QString kNameType = QStringLiteral("STRING NOT :*?\"<>|/\\");
const QString kPathType = QStringLiteral("STRING NOT *?\"<>|");

QString trimmedText(QString text) {
  while (!text.isEmpty() && kTrimmed.contains(text.back()))
    text.chop(1);
  while (!text.isEmpty() && kTrimmed.contains(text.front()))
    text.remove(0, 1);
  return text;
}

CKvEdit* typedEdit(QWidget* parent, int id, const QString& type, int length) {
  auto* edit = KvSetControlId(new CKvEdit(parent), id);
  edit->SetInputType(type, length, -1);
  return edit;
}
}  // namespace

CKvDataFileInfoDlg::CKvDataFileInfoDlg(CKvDb* db, QWidget* parent) : CKvZrvDlg(kTemplate, db, parent) {
  setWindowTitle(QStringLiteral("数据文件信息"));
  m_pFile = KvSetControlId(new QLabel(this), 1147);
  m_pYear = KvSetControlId(new QLabel(this), 1009);
  m_pNA = typedEdit(this, 1105, kNameType, 100);
  m_pT1 = typedEdit(this, 1152, QStringLiteral("MDBSTRING"), 8);
  m_pKJ = typedEdit(this, 1150, QStringLiteral("MDBSTRING"), 8);
  m_pAN = typedEdit(this, 1151, QStringLiteral("MDBSTRING"), 10);
  m_pLogOn = KvSetControlId(new QRadioButton(QStringLiteral("开"), this), 1067);
  m_pLogOff = KvSetControlId(new QRadioButton(QStringLiteral("关"), this), 1068);
  m_pFree = KvSetControlId(new QCheckBox(QStringLiteral("免费"), this), 1144);
  m_pPaid = KvSetControlId(new QCheckBox(QStringLiteral("付费"), this), 1145);
  m_pAuto = KvSetControlId(new QRadioButton(QStringLiteral("自动"), this), 1069);
  m_pManual = KvSetControlId(new QRadioButton(QStringLiteral("手动"), this), 1070);
  m_pPeriod = KvSetControlId(new QComboBox(this), 1113);
  m_pFolder = typedEdit(this, 1097, kPathType, 260);
  m_pFolderBrowse = KvSetControlId(new QPushButton(QStringLiteral("…"), this), 1099);
  m_pWallpaper = typedEdit(this, 1096, kPathType, 260);
  auto* wallpaperBrowse = KvSetControlId(new QPushButton(QStringLiteral("…"), this), 1098);
  m_pNA->setMinimumWidth(360);
  for (QPushButton* browse : {m_pFolderBrowse, wallpaperBrowse})
    browse->setFixedWidth(36);

  auto* identity = new QGroupBox(QStringLiteral("数据文件"), this);
  auto* grid = new QGridLayout(identity);
  int row = 0;
  auto addRow = [&](const QString& label, QWidget* control) {
    grid->addWidget(new QLabel(label, identity), row, 0);
    grid->addWidget(control, row++, 1, 1, 3);
  };
  addRow(QStringLiteral("文件名："), m_pFile);
  addRow(QStringLiteral("年度："), m_pYear);
  addRow(QStringLiteral("主体名称："), m_pNA);
  grid->addWidget(new QLabel(QStringLiteral("法人代表："), identity), row, 0);
  grid->addWidget(m_pT1, row, 1);
  grid->addWidget(new QLabel(QStringLiteral("业务主管："), identity), row, 2);
  grid->addWidget(m_pKJ, row++, 3);
  addRow(QStringLiteral("身份码："), m_pAN);
  auto* logRow = new QHBoxLayout;
  logRow->addWidget(m_pLogOn);
  logRow->addWidget(m_pLogOff);
  logRow->addStretch(1);
  grid->addWidget(new QLabel(QStringLiteral("日志："), identity), row, 0);
  grid->addLayout(logRow, row++, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  auto* backup = new QGroupBox(QStringLiteral("数据备份"), this);
  auto* backupGrid = new QGridLayout(backup);
  auto* modeRow = new QHBoxLayout;
  modeRow->addWidget(m_pAuto);
  modeRow->addWidget(m_pManual);
  modeRow->addStretch(1);
  backupGrid->addWidget(new QLabel(QStringLiteral("方式："), backup), 0, 0);
  backupGrid->addLayout(modeRow, 0, 1, 1, 2);
  backupGrid->addWidget(new QLabel(QStringLiteral("周期："), backup), 1, 0);
  backupGrid->addWidget(m_pPeriod, 1, 1, 1, 2);
  backupGrid->addWidget(new QLabel(QStringLiteral("位置："), backup), 2, 0);
  backupGrid->addWidget(m_pFolder, 2, 1);
  backupGrid->addWidget(m_pFolderBrowse, 2, 2);
  backupGrid->setColumnStretch(1, 1);

  auto* program = new QGroupBox(QStringLiteral("程序"), this);
  auto* programGrid = new QGridLayout(program);
  programGrid->addWidget(new QLabel(QStringLiteral("桌布："), program), 0, 0);
  programGrid->addWidget(m_pWallpaper, 0, 1);
  programGrid->addWidget(wallpaperBrowse, 0, 2);
  auto* updateRow = new QHBoxLayout;
  updateRow->addWidget(m_pFree);
  updateRow->addWidget(m_pPaid);
  updateRow->addStretch(1);
  programGrid->addWidget(new QLabel(QStringLiteral("升级："), program), 1, 0);
  programGrid->addLayout(updateRow, 1, 1, 1, 2);
  programGrid->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&S.确定"), this), KV_IDOK));
  buttons->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), KV_IDCANCEL));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(identity);
  layout->addWidget(backup);
  layout->addWidget(program);
  layout->addLayout(buttons);

  for (QRadioButton* mode : {m_pAuto, m_pManual})
    connect(mode, &QRadioButton::clicked, this, [this] { UpdateBackupControls(); });
  connect(m_pFolderBrowse, &QPushButton::clicked, this, [this] { OnChooseFolder(); });
  connect(wallpaperBrowse, &QPushButton::clicked, this, [this] { OnChooseWallpaper(); });
}

void CKvDataFileInfoDlg::OnInitDialog() {
  CKvZrvDlg::OnInitDialog();
  CKvDb* db = Db();
  if (db && db->IsOpen()) {
    // The year of the name first, so that a SYSTAB that cannot be read
    // still shows one; the stored year wins.
    const QString name = db->GetDatabaseName(true);
    m_dataFile.SetYear(CKvDataFile::YearOfTitle(name, db->GetKind() == 0));
    m_dataFile.SetFileName(name);
    // A year in the name that differs from the stored one fails the first
    // read with the stored year taken; the second read then fills the
    // names. A SYSTAB that cannot be read is told once and never written.
    m_bSysTabRead = m_dataFile.ReadSysTab(db, false) || m_dataFile.ReadSysTab(db, true);
  }
  // The file's own names: the descriptor's getters give the current unit's
  // while one is chosen, which must not end up in SYSTAB.
  const CKvDwRec unit = KvGetCurrentDw();
  KvGetCurrentDw().Clear();
  m_strNA = m_dataFile.GetEntityName();
  m_strKJ = m_dataFile.GetManagerName();
  KvGetCurrentDw() = unit;
  m_strT1 = m_dataFile.GetT1();
  m_strAN = m_dataFile.GetAN();
  m_bLogOn = m_dataFile.IsLogOn();
  m_read = m_dataFile.GetShownFields();
  // Only a wallpaper that is there: the default page the program looks for
  // need not exist, and would then refuse OK.
  if (KvGetBackgroundPage(&m_strWallpaper) == 0)
    m_strWallpaper.clear();
  m_strOldWallpaper = m_strWallpaper;
  KvReadBackupSettings(&m_nBackupMode, &m_nBackupTime, &m_strBackupFolder);
  m_nSoftUp = KvGetSoftUpMode();
  m_pPeriod->clear();
  m_pPeriod->addItems({QStringLiteral("每天一次"), QStringLiteral("每周一次"), QStringLiteral("每月一次")});
  DoDataExchange(false);
  UpdateBackupControls();
}

bool CKvDataFileInfoDlg::DoDataExchange(bool bSave) {
  if (bSave) {
    m_strNA = m_pNA->text();
    m_strT1 = m_pT1->text();
    m_strKJ = m_pKJ->text();
    m_strAN = m_pAN->text();
    m_bLogOn = m_pLogOn->isChecked();
    m_nSoftUp = (m_pPaid->isChecked() ? 2 : 0) + (m_pFree->isChecked() ? 1 : 0);
    m_nBackupMode = m_pAuto->isChecked() ? 1 : 0;
    m_nBackupTime = qMax(0, m_pPeriod->currentIndex());
    m_strBackupFolder = m_pFolder->text();
    m_strWallpaper = m_pWallpaper->text();
    return true;
  }
  m_pFile->setText(m_dataFile.GetFileName());
  m_pYear->setText(QString::number(m_dataFile.GetYear()));
  m_pNA->setText(m_strNA);
  m_pT1->setText(m_strT1);
  m_pKJ->setText(m_strKJ);
  m_pAN->setText(m_strAN);
  (m_bLogOn ? m_pLogOn : m_pLogOff)->setChecked(true);
  m_pFree->setChecked(m_nSoftUp % 2 != 0);
  m_pPaid->setChecked(m_nSoftUp / 2 != 0);
  (m_nBackupMode ? m_pAuto : m_pManual)->setChecked(true);
  m_pPeriod->setCurrentIndex(qBound(0, m_nBackupTime, 2));
  m_pFolder->setText(m_strBackupFolder);
  m_pWallpaper->setText(m_strWallpaper);
  return true;
}

void CKvDataFileInfoDlg::UpdateBackupControls() {
  const bool automatic = m_pAuto->isChecked();
  m_pPeriod->setEnabled(automatic);
  m_pFolder->setEnabled(automatic);
  m_pFolderBrowse->setEnabled(automatic);
}

void CKvDataFileInfoDlg::OnChooseFolder() {
  CKvFolderDlg dialog(m_pFolder->text(), QStringLiteral("选择备份件存放位置"), 804, this);
  if (KvExecDialog(&dialog) == QDialog::Accepted)
    m_pFolder->setText(dialog.GetPath());
}

void CKvDataFileInfoDlg::OnChooseWallpaper() {
  const QString current = QDir::currentPath();
  QStringList filters;
  for (int kind : {0, 1}) {
    const QStringList parts = KvFileFilter(kind).split(u'|');
    if (parts.size() >= 2)
      filters.append(QStringLiteral("%1 (%2)").arg(parts.at(0), QString(parts.at(1)).replace(u';', u' ')));
  }
  filters.append(QStringLiteral("所有文件(*.*) (*)"));
  QFileDialog dialog(this, QString(), m_pWallpaper->text());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("bmp"));
  dialog.setNameFilters(filters);
  if (KvExecDialog(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    m_pWallpaper->setText(dialog.selectedFiles().first());
  QDir::setCurrent(current);
}

bool CKvDataFileInfoDlg::Refuse(const QString& message, int id) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  if (QWidget* control = KvDlgItem(this, id))
    control->setFocus();
  return false;
}

bool CKvDataFileInfoDlg::SaveData() {
  const struct {
    QString value;
    const char* name;
    int id;
  } required[] = {{m_strNA, "主体", 1105}, {m_strT1, "法人代表", 1152}, {m_strKJ, "业务主管", 1150}};
  for (const auto& field : required)
    if (trimmedText(field.value).isEmpty())
      return Refuse(KvFormat("%s名不能为空！", QString::fromUtf8(field.name)), field.id);
  const QString wallpaper = trimmedText(m_strWallpaper);
  if (!wallpaper.isEmpty() && !QString(wallpaper).replace(u'\\', u'/').contains(QStringLiteral("//"))) {
    const QFileInfo info(wallpaper);
    if (!info.exists() || info.isDir())
      return Refuse(KvFormat("桌布文件<%s>不存在！", wallpaper), 1096);
  }

  CKvDb* db = Db();
  if (!m_bSysTabRead || !db || !db->IsOpen())
    return false;
  // Only what the window shows is written, and only when it was changed:
  // a change of the settings below alone leaves the data file as it is.
  const CKvDataFile::ShownFields typed = {m_strNA, m_strKJ, m_strT1, m_strAN, m_bLogOn ? 1 : 0};
  if (typed != m_read) {
    bool changed = false;
    if (!KvLoggedWrite(db, 2, QStringLiteral("修改了数据文件信息"),
                       [&] { return CKvDataFile::WriteShownFields(db, m_read, typed, &changed); })) {
      if (changed)
        KvMessageBox(QStringLiteral("数据文件信息已被其他窗口或工作站修改，请重新打开后再修改！"),
                     KV_MB_OK | KV_MB_ICONSTOP);
      return false;
    }
    m_read = typed;
    CKvApp* app = KvGetApp();
    CKvDb* appDb = KvGetAppDb();
    if (app && appDb && appDb->IsOpen() &&
        db->GetDatabaseName(true).compare(appDb->GetDatabaseName(true), Qt::CaseInsensitive) == 0)
      app->GetDataFile().ReadSysTab(appDb, false);
  }

  if (m_strWallpaper.compare(m_strOldWallpaper, Qt::CaseInsensitive) != 0) {
    KvSetBackgroundPage(m_strWallpaper);
    CKvOperation(2, QStringLiteral("修改了桌布方案"));
    KvMessageBox(QStringLiteral("您修改了程序框架桌布方案，下次启动软件时方可生效！"), KV_MB_OK | KV_MB_ICONINFORMATION);
  }
  KvWriteBackupSettings(m_nBackupMode, m_nBackupTime, m_strBackupFolder);
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("SoftUp"), QString::number(m_nSoftUp));
  return true;
}

void CKvDataFileInfoDlg::GetToolTipText(QString* text, int controlId) {
  switch (controlId) {
    case 1151: *text = QStringLiteral("对外报送数据时的身份码。不需要可以不设置。"); return;
    case 1067: *text = QStringLiteral("置成开时，系统会对以后的数据操作留下日志，建议置成“开”。"); return;
    case 1068: *text = QStringLiteral("置成关时，系统将关闭日志，建议置成“开”。"); return;
    case 1096: *text = QStringLiteral("主框架窗口的桌布文件，可以是一网页，可以是一图像文件，也可以不设置。"); return;
    case 1098: *text = QStringLiteral("查找主框架窗口的桌布文件。"); return;
    case 1069: *text = QStringLiteral("建议设成自动方式，系统会按时为你作数据备份。"); return;
    case 1070: *text = QStringLiteral("如果设成手动方式，数据备份由用户择时进行。"); return;
    case 1113: *text = QStringLiteral("如果设成自动方式，在这里选择备份周期，建议设置成按周、或按月。"); return;
    case 1097: *text = QStringLiteral("如果设成自动方式，在这里指定备份件存放位置。"); return;
    case 1099: *text = QStringLiteral("在这里查找备份件存放位置。"); return;
    default: CKvZrvDlg::GetToolTipText(text, controlId);
  }
}

bool KvRunDataFileInfoDlg(QWidget* parent) {
  CKvDataFileInfoDlg dialog(nullptr, parent);
  return KvExecDialog(&dialog) == QDialog::Accepted;
}
