#include "datafile/CKvBackupDlg.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/KvArchive.h"
#include "core/KvDate.h"
#include "core/KvFolders.h"
#include "core/KvMessage.h"
#include "core/KvNumberText.h"
#include "core/KvPath.h"
#include "core/KvPresenceLock.h"
#include "core/KvRegistry.h"
#include "core/KvText.h"
#include "core/KvWriteFailure.h"
#include "datafile/CKvMDBBak.h"
#include "core/KvDataFileInUse.h"
#include "ui/CKvEdit.h"
#include "ui/CKvFolderDlg.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTextOption>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>

namespace {

constexpr KvRegRoot kRoot = KvRegRoot::CurrentUser;
const QString kPlaceValue = QStringLiteral("BakFilePos");
// The log's operation for backups and restores.
constexpr int kLogCode = 23;
// Four blanks opening each paragraph of the hint.
const QString kIndent = QStringLiteral("    ");

QString withSlash(QString folder) {
  folder = KvSlashPath(folder);
  if (!folder.endsWith(u'/'))
    folder += u'/';
  return folder;
}

// The last backup place, the home folder the first time.
QString storedPlace() {
  QString place;
  if (!KvRegReadString(kRoot, KvGetRegKeyPath(), kPlaceValue, &place) || place.isEmpty())
    place = QDir::homePath();
  return withSlash(place);
}

}  // namespace

CKvBackupDlg::CKvBackupDlg(int nMode, QWidget* parent)
    : CKvDlg(IDD, parent), m_nMode(nMode), m_nStage(nMode * 10) {
  CKvApp* app = KvGetApp();
  const QDate today = QDate::currentDate();
  if (app) {
    CKvDataFile& file = app->GetDataFile();
    // "%d_%d_%s.bak" of 10000 + 100 × month + day without its first
    // character: the month and day as four digits.
    m_strDefaultName = KvFileNameText(file.GetEntityName()) + QString::number(today.year()) +
                       QStringLiteral("%1_%2_%3.bak")
                           .arg(QString::number(10000 + 100 * today.month() + today.day()).mid(1))
                           .arg(file.GetYear())
                           .arg(app->GetDataFileExt());
  }
  setWindowTitle(m_nMode == 0 ? QStringLiteral("数据备份") : QStringLiteral("数据恢复"));

  m_hint = KvSetControlId(new QPlainTextEdit(this), IDC_HINT);
  m_hint->setReadOnly(true);
  m_hint->setMinimumSize(500, 170);
  m_hint->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  m_path = KvSetControlId(new CKvEdit(this), IDC_PATH);
  m_path->SetInputType(QStringLiteral("STRING NOT :*?\"<>|"), 260, -1);
  m_list = KvSetControlId(new QComboBox(this), IDC_LIST);
  m_list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_list->setMinimumContentsLength(30);
  m_location = KvSetControlId(new QLabel(this), IDC_LOCATION);
  m_location->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_browse = KvSetControlId(new QPushButton(QStringLiteral("&B.浏览"), this), IDC_BROWSE);
  m_ok = KvSetControlId(new QPushButton(QStringLiteral("&S.确认"), this), KV_IDOK);
  m_ok->setDefault(true);
  m_cancel = KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), KV_IDCANCEL);
  auto* fileBox = KvSetControlId(new QPushButton(QStringLiteral("&F.文件框"), this), IDC_FILE_BOX);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("操作提示"), this));
  layout->addWidget(m_hint, 1);
  auto* file = new QGridLayout;
  file->addWidget(new QLabel(QStringLiteral("备份件："), this), 0, 0);
  file->addWidget(m_path, 0, 1);
  file->addWidget(m_list, 0, 1);
  file->addWidget(m_browse, 0, 2);
  file->addWidget(m_location, 1, 1, 1, 2);
  file->setColumnStretch(1, 1);
  layout->addLayout(file);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(fileBox);
  buttons->addStretch(1);
  buttons->addWidget(m_ok);
  buttons->addWidget(m_cancel);
  layout->addLayout(buttons);

  connect(m_browse, &QPushButton::clicked, this, &CKvBackupDlg::OnBrowse);
  connect(fileBox, &QPushButton::clicked, this, &CKvBackupDlg::OnFileBox);
  connect(m_list, qOverload<int>(&QComboBox::activated), this, [this] { ShowSelectedBackup(); });
}

void CKvBackupDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  CKvDb* db = KvGetAppDb();
  if (m_nMode == 0) {
    m_list->hide();
    m_list->setEnabled(false);
    m_browse->setEnabled(false);
    m_ok->setText(QStringLiteral("&S.卸出数据"));
    if (db && db->GetKind() == 0)
      m_strLocalFile = db->GetDatabaseName(true) + QStringLiteral(".bak");
    else if (db)
      m_strLocalFile = KvDefaultDataFolder() + u'/' + db->GetDatabaseName(true) + QStringLiteral(".bak");
    m_strPath = m_strLocalFile;
    m_strLocation = withSlash(KvFileDir(m_strLocalFile));
    m_strHint = kIndent + QStringLiteral("备份数据前应当先从数据库中卸出数据，请按“卸出数据”按扭卸出数据。");
  } else {
    m_path->hide();
    m_path->setEnabled(false);
    m_ok->setEnabled(false);
    m_ok->setText(QStringLiteral("&S.拷贝"));
    m_strLocation = storedPlace();
    m_strHint = kIndent + QStringLiteral("恢复数据前应当先从存储介质中选择备份文件，请按“浏览”按扭选择备份文件所处的位置（即所处的文件夹）。");
  }
  m_path->setEnabled(false);
  UpdateData(false);
}

bool CKvBackupDlg::DoDataExchange(bool bSaveAndValidate) {
  if (bSaveAndValidate) {
    m_strPath = m_path->text().trimmed();
  } else {
    m_hint->setPlainText(m_strHint);
    m_path->setText(m_strPath);
    m_location->setText(m_strLocation);
  }
  return true;
}

void CKvBackupDlg::SetHint(const QString& text) {
  m_strHint = text;
  m_hint->setPlainText(text);
}

QString CKvBackupDlg::FileSizeText(const QString& path) const {
  return KvNumToText(int(QFileInfo(path).size() / 1024), 0, 0, 0, true);
}

// --- Browse ---

void CKvBackupDlg::OnBrowse() {
  CKvFolderDlg chooser(m_strLocation, QStringLiteral("选择备份件所在位置"), 804, this);
  if (KvExecDialog(&chooser) != QDialog::Accepted)
    return;
  ChooseFolder(chooser.GetPath());
}

void CKvBackupDlg::ChooseFolder(const QString& folder) {
  m_strLocation = withSlash(folder);
  m_strPath = m_strLocation + m_strDefaultName;
  KvRegWriteString(kRoot, KvGetRegKeyPath(), kPlaceValue, m_strLocation);
  UpdateData(false);
  if (m_nStage != 10)
    return;
  CKvWaitWnd wait;
  wait.Show(this);
  FillBackupList();
  if (m_list->count() == 0)
    return;
  m_list->setCurrentIndex(0);
  m_browse->setEnabled(false);
  m_ok->setEnabled(true);
  m_ok->setText(QStringLiteral("&S.恢复数据"));
  ShowSelectedBackup();
}

void CKvBackupDlg::FillBackupList() {
  m_list->clear();
  const QString extension = KvUpper(KvGetApp() ? KvGetApp()->GetDataFileExt() : QString());
  QStringList found;
  QDirIterator it(m_strLocation, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo info(it.next());
    const QString title = KvUpper(info.completeBaseName());
    if (KvUpper(info.suffix()) == u"BAK" && title.size() > 2 && title.endsWith(extension))
      found.append(info.filePath());
  }
  std::sort(found.begin(), found.end());
  // Only archives of this program and of the open data file's year.
  CKvMDBBak bak(KvGetAppDb());
  for (const QString& path : std::as_const(found))
    if (bak.LoadBackup(path, 0) && bak.LoadBackup(path, 1))
      m_list->addItem(path);
}

bool CKvBackupDlg::SelectedBackup(QString* path, CKvMDBBak* bak) {
  if (m_list->count() == 0)
    return false;
  if (m_list->currentIndex() < 0) {
    KvMessageBox(QStringLiteral("未选择源文件！"), KV_MB_OK | KV_MB_ICONEXCLAMATION);
    return false;
  }
  *path = m_list->currentText();
  if (!bak->LoadBackup(*path, 0) || !bak->LoadBackup(*path, 1)) {
    KvMessageBox(QStringLiteral("所选择源文件，不是可用备份件！"), KV_MB_OK | KV_MB_ICONEXCLAMATION);
    return false;
  }
  return true;
}

void CKvBackupDlg::ShowSelectedBackup() {
  QString path;
  CKvMDBBak bak(KvGetAppDb());
  if (!SelectedBackup(&path, &bak))
    return;
  SetHint(kIndent + QStringLiteral("这是一个可用备份件：\r\n") + kIndent +
          QStringLiteral("备份件长度为：%1千字节。\r\n").arg(FileSizeText(path)) + kIndent +
          QStringLiteral("原始数据文件名：%1\r\n").arg(bak.m_strDatabaseName) + kIndent +
          QStringLiteral("数据文件的主体：%1\r\n").arg(bak.m_strEntityName) + kIndent +
          QStringLiteral("原备份人：%1\r\n").arg(bak.m_strOperator) + kIndent +
          QStringLiteral("备份时间：%1\r\n").arg(bak.m_strTime) + kIndent +
          QStringLiteral("请按“恢复数据”按扭即可将所选备份件中的数据替换您当前年度文件中的数据！"));
}

void CKvBackupDlg::OnFileBox() {
  // A box for looking at files and managing them; nothing is opened.
  QFileDialog box(this, QString(), m_strLocation);
  box.setObjectName(QStringLiteral("dlg_file_box"));
  box.setOption(QFileDialog::DontUseNativeDialog, true);
  box.setOption(QFileDialog::ReadOnly, false);
  box.setFileMode(QFileDialog::ExistingFile);
  if (auto* open = box.findChild<QDialogButtonBox*>())
    if (QPushButton* button = open->button(QDialogButtonBox::Open))
      button->setEnabled(false);
  KvExecDialog(&box);
}

// --- OK ---

void CKvBackupDlg::OnOK() {
  CKvDlg::OnOK();
  if (m_nStage == 11)
    m_cancel->setEnabled(false);
}

void CKvBackupDlg::OnCancel() {
  if (m_nStage != 11)
    CKvDlg::OnCancel();
}

bool CKvBackupDlg::SaveData() {
  switch (m_nStage) {
    case 0:
      if (Unload())
        m_nStage = 1;
      return false;
    case 1:
    case 2:
      if (Copy())
        m_nStage = 2;
      return false;
    case 10: Restore(); return false;
    case 11: return true;
    default: return false;
  }
}

bool CKvBackupDlg::Unload() {
  CKvDb* db = KvGetAppDb();
  if (!db || !db->IsOpen())
    return false;
  CKvMDBBak bak(db);
  bool saved = false;
  {
    CKvWaitWnd wait;
    wait.Show(this);
    QDir().mkpath(KvFileDir(m_strLocalFile));
    saved = bak.SaveBackup(m_strLocalFile);
  }
  if (!saved) {
    if (!bak.LastError().isEmpty())
      KvMessageBox(QStringLiteral("卸出数据失败！\n%1").arg(bak.LastError()), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  m_browse->setEnabled(true);
  m_path->setEnabled(true);
  m_ok->setText(QStringLiteral("&S.拷贝"));
  QString hint = kIndent + QStringLiteral("已成功地卸出数据！\r\n") + kIndent +
                 QStringLiteral("备份件长度为：%1千字节。\r\n").arg(FileSizeText(m_strLocalFile));
  const QStringList binary = bak.TablesWithBinaryColumns();
  if (!binary.isEmpty())
    hint += kIndent + QStringLiteral("下列表中的二进制数据未备份：%1\r\n").arg(binary.join(QStringLiteral("、")));
  hint += kIndent + QStringLiteral("准备好备份介质，系统为您默认3.5英寸1.4M软盘，") +
          QStringLiteral("若不是默认备份介质，请按“浏览”按扭找出您的备份文件存放位置。") +
          QStringLiteral("然后请按“拷贝”按扭拷贝备份文件。\r\n") + kIndent +
          QStringLiteral("此时您也可以使用其它备份工具将文件“%1”拷贝到您的介质上").arg(m_strLocalFile) +
          QStringLiteral("(如光盘刻录程序)，若这样，现在您即可退出！");
  m_strHint = hint;
  m_strLocation = storedPlace();
  m_strPath = m_strLocation + m_strDefaultName;
  UpdateData(false);
  return true;
}

bool CKvBackupDlg::Copy() {
  const QString target = KvSlashPath(m_strPath);
  if (!QFileInfo(m_strLocation).isDir()) {
    KvMessageBox(QStringLiteral("“%1”不存在！").arg(m_strLocation), KV_MB_OK | KV_MB_ICONEXCLAMATION);
    return false;
  }
  if (target.isEmpty() || target.endsWith(u'/'))
    return false;
  if (QFileInfo::exists(target) && KvRefuseDataFileInUse(target))
    return false;
  if (QFileInfo::exists(target) &&
      KvMessageBox(QStringLiteral("“%1”已存在，覆盖它吗？").arg(target),
                   KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return false;

  bool copied = false;
  bool placed = false;
  QString why;
  {
    CKvWaitWnd wait;
    wait.Show(this);
    // The copy is made beside the target and read back whole before it
    // takes the target's place: a failed copy leaves an existing file. It
    // takes the place only while no program holds the target, whoever took
    // it up while the question was asked.
    QFile source(m_strLocalFile);
    QTemporaryFile part(KvFileDir(target) + QStringLiteral("/.kvbak-XXXXXX"));
    if (!source.open(QIODevice::ReadOnly))
      why = QStringLiteral("不能读取“%1”：%2").arg(m_strLocalFile, source.errorString());
    else if (!part.open())
      why = KvWriteFailureReason(part, target);
    copied = why.isEmpty();
    while (copied && !source.atEnd()) {
      const QByteArray chunk = source.read(1 << 20);
      if (chunk.isEmpty())
        why = QStringLiteral("不能读取“%1”：%2").arg(m_strLocalFile, source.errorString());
      else if (part.write(chunk) != chunk.size())
        why = KvWriteFailureReason(part, target);
      copied = why.isEmpty();
    }
    if (copied && !part.flush())
      why = KvWriteFailureReason(part, target);
    else if (copied && !KvScanArchiveFile(&part, &why))
      why = QStringLiteral("备份件拷贝后读回检查未通过：%1").arg(why);
    copied = why.isEmpty();
    placed = copied && KvPresenceLock::replaceDataFile(part.fileName(), target, true);
    const int error = errno;
    if (placed)
      part.setAutoRemove(false);
    else if (copied)
      why = KvWriteFailureReason(QFileInfo(target).isDir() ? EISDIR : error, target);
  }
  // Refused because a program holds the target: the same refusal as before
  // the question.
  if (copied && !placed && KvRefuseDataFileInUse(target))
    return false;
  if (!placed) {
    CKvOperation::WriteLog(kLogCode, QStringLiteral("数据备份失败。"));
    KvMessageBox(QStringLiteral("拷贝失败！\n") + why, KV_MB_OK | KV_MB_ICONEXCLAMATION);
    SetHint(kIndent + QStringLiteral("最近一次拷贝失败：%1\r\n").arg(why) + kIndent +
            QStringLiteral("请排除原因或更换存储介质(或位置)后，再按“拷贝”按扭拷贝！"));
    return false;
  }
  CKvOperation::WriteLog(kLogCode, QStringLiteral("成功地进行了数据备份。"));
  SetHint(kIndent + QStringLiteral("备份成功，若还想拷贝一个备件，请更换存储介质(或位置)后，再按“拷贝”按扭拷贝！"));
  return true;
}

void CKvBackupDlg::Restore() {
  QString path;
  CKvMDBBak bak(KvGetAppDb());
  if (!SelectedBackup(&path, &bak))
    return;
  bool restored = false;
  {
    CKvWaitWnd wait;
    wait.Show(this);
    restored = bak.LoadBackup(path, 2);
  }
  if (restored) {
    QString text = QStringLiteral("从“%1”中恢复数据成功！\n  请退出重新注册。").arg(path);
    if (!bak.SkippedTables().isEmpty())
      text += QStringLiteral("\n备份件中的下列表在数据文件中没有，未恢复：%1")
                  .arg(bak.SkippedTables().join(QStringLiteral("、")));
    KvMessageBox(text, KV_MB_OK | KV_MB_ICONINFORMATION);
  }
  m_nStage = 11;
  m_cancel->setEnabled(false);
  m_list->setEnabled(false);
  m_ok->setText(QStringLiteral("&S.重新注册"));
}

bool KvRunBackupDlg(int nMode, QWidget* parent) {
  CKvBackupDlg dialog(nMode, parent);
  return KvExecDialog(&dialog) == QDialog::Accepted;
}
