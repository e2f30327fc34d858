#include "ui/CKvFolderDlg.h"

#include "core/CKvFileNameChecker.h"
#include "core/KvFormat.h"
#include "core/KvPath.h"
#include "ui/KvObjectNames.h"
#include "ui/KvWindowHelpers.h"

#include <QCollator>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

// File systems of the kernel and the system's own, which hold no user
// folders.
bool isSystemVolume(const QStorageInfo& volume) {
  static const QStringList kinds = {
      QStringLiteral("proc"),    QStringLiteral("sysfs"),     QStringLiteral("devtmpfs"),
      QStringLiteral("devpts"),  QStringLiteral("tmpfs"),     QStringLiteral("cgroup"),
      QStringLiteral("cgroup2"), QStringLiteral("securityfs"), QStringLiteral("debugfs"),
      QStringLiteral("tracefs"), QStringLiteral("mqueue"),    QStringLiteral("pstore"),
      QStringLiteral("bpf"),     QStringLiteral("autofs"),    QStringLiteral("fusectl"),
      QStringLiteral("configfs"), QStringLiteral("hugetlbfs"), QStringLiteral("binfmt_misc"),
      QStringLiteral("squashfs"), QStringLiteral("overlay"),  QStringLiteral("nsfs")};
  if (kinds.contains(QString::fromLatin1(volume.fileSystemType())))
    return true;
  const QString root = volume.rootPath();
  for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap", "/etc"}) {
    const QString folder = QString::fromLatin1(prefix);
    if (root == folder || root.startsWith(folder + u'/'))
      return !root.startsWith(QStringLiteral("/run/media/"));
  }
  return false;
}

// True when `path` is `folder` or lies below it.
bool isAtOrBelow(const QString& path, const QString& folder) {
  if (folder == u"/")
    return path.startsWith(u'/');
  return path == folder || path.startsWith(folder + u'/');
}

}  // namespace

CKvFolderDlg::CKvFolderDlg(const QString& path, const QString& title, unsigned idd, QWidget* parent)
    : CKvDlg(idd, parent), m_strPath(path), m_strTitle(title) {
  setWindowTitle(QStringLiteral("文件夹浏览"));
  m_edit = KvSetControlId(new QLineEdit(this), IDC_PATH);
  m_tree = KvSetControlId(new QTreeWidget(this), IDC_TREE);
  m_tree->setHeaderHidden(true);
  m_tree->setColumnCount(1);
  m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  m_tree->header()->setStretchLastSection(false);
  m_unitLabel = KvSetControlId(new QLabel(QStringLiteral("独立核算单位："), this), IDC_UNIT_LABEL);
  m_unit = KvSetControlId(new QComboBox(this), IDC_UNIT);
  auto* ok = KvSetControlId(new QPushButton(QStringLiteral("&S.确认"), this), KV_IDOK);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), KV_IDCANCEL);

  auto* unitRow = new QHBoxLayout;
  unitRow->addWidget(m_unitLabel);
  unitRow->addWidget(m_unit, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_edit);
  layout->addWidget(m_tree, 1);
  layout->addLayout(unitRow);
  layout->addLayout(buttons);
  resize(360, 420);

  connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    FillChildren(item);
    if (item->parent())
      item->setIcon(0, style()->standardIcon(QStyle::SP_DirOpenIcon));
  });
  connect(m_tree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
    if (item->parent())
      item->setIcon(0, style()->standardIcon(QStyle::SP_DirClosedIcon));
  });
  connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
}

void CKvFolderDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  ArrangeControls();
  if (!m_strTitle.isEmpty())
    setWindowTitle(m_strTitle);
  const QString typed = KvSlashPath(m_strPath.trimmed());
  m_initialPath = typed.isEmpty() ? QString() : QDir::cleanPath(QDir::current().absoluteFilePath(typed));
  FillRoot();
  // The path stays as given, also when only a part of it exists and that
  // part is what the tree selects.
  const QString given = m_strPath;
  ShowPath(m_initialPath);
  m_strPath = given;
  m_edit->setText(given);
}

void CKvFolderDlg::ArrangeControls() {
  KvShowEnable(m_unitLabel, false, false);
  KvShowEnable(m_unit, false, false);
}

bool CKvFolderDlg::DoDataExchange(bool bSaveAndValidate) {
  if (bSaveAndValidate)
    m_strPath = m_edit->text().trimmed();
  else
    m_edit->setText(m_strPath);
  return true;
}

bool CKvFolderDlg::SaveData() {
  if (m_strPath.isEmpty()) {
    KvMessageBox(QStringLiteral("没有指定文件夹名！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  CKvFileNameChecker checker(m_strPath);
  checker.CheckIsFolder();
  if (checker.m_nState == 2)
    checker.m_nState = -20;  // an existing file is no folder to choose
  QString message;
  if (checker.GetMessage(&message) != 1) {
    KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  if (QFileInfo(KvSlashPath(m_strPath)).isDir())
    return true;
  if (KvMessageBox(KvFormat(QStringLiteral("文件夹“%s”不存在，要创建它吗？"), m_strPath),
                   KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return false;
  if (!checker.KvCreateFolder(m_strPath)) {
    checker.GetMessage(&message);
    KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  return true;
}

QTreeWidgetItem* CKvFolderDlg::AddFolder(QTreeWidgetItem* parent, const QString& name,
                                         const QString& path, const QIcon& icon) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
  item->setText(0, name);
  item->setIcon(0, icon);
  item->setData(0, kPathRole, path);
  item->setToolTip(0, path);
  // Whether it has subfolders is known once it is read.
  item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  return item;
}

void CKvFolderDlg::FillRoot() {
  m_tree->clear();
  const QString home = QDir::homePath();
  AddFolder(nullptr, QStringLiteral("主文件夹"), home, style()->standardIcon(QStyle::SP_DirHomeIcon));
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (!desktop.isEmpty() && desktop != home && QFileInfo(desktop).isDir())
    AddFolder(nullptr, QStringLiteral("桌面"), desktop, style()->standardIcon(QStyle::SP_DesktopIcon));
  AddFolder(nullptr, QStringLiteral("/"), QStringLiteral("/"),
            style()->standardIcon(QStyle::SP_DriveHDIcon));
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = volume.rootPath();
    if (!volume.isValid() || !volume.isReady() || root == u"/" || root == home ||
        !QFileInfo(root).isDir() || isSystemVolume(volume))
      continue;
    const QString name = volume.displayName().isEmpty() ? root : volume.displayName();
    AddFolder(nullptr, name, root, style()->standardIcon(QStyle::SP_DriveHDIcon));
  }
}

void CKvFolderDlg::FillChildren(QTreeWidgetItem* item) {
  if (!item || item->data(0, kFilledRole).toBool())
    return;
  item->setData(0, kFilledRole, true);
  const QString folder = item->data(0, kPathRole).toString();
  const QFileInfoList entries =
      QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::NoSort);
  QList<QFileInfo> shown;
  for (const QFileInfo& entry : entries) {
    if (entry.isHidden() &&
        (m_initialPath.isEmpty() || !isAtOrBelow(m_initialPath, entry.absoluteFilePath())))
      continue;
    shown += entry;
  }
  QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::sort(shown.begin(), shown.end(), [&collator](const QFileInfo& a, const QFileInfo& b) {
    return collator.compare(a.fileName(), b.fileName()) < 0;
  });
  const QIcon icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
  for (const QFileInfo& entry : shown)
    AddFolder(item, entry.fileName(), entry.absoluteFilePath(), icon);
  item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void CKvFolderDlg::ShowPath(const QString& path) {
  if (path.isEmpty())
    return;
  // The top-level folder that holds the path most closely.
  QTreeWidgetItem* current = nullptr;
  int longest = -1;
  for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
    QTreeWidgetItem* top = m_tree->topLevelItem(i);
    const QString folder = top->data(0, kPathRole).toString();
    if (isAtOrBelow(path, folder) && folder.size() > longest) {
      current = top;
      longest = int(folder.size());
    }
  }
  while (current) {
    const QString folder = current->data(0, kPathRole).toString();
    if (folder == path)
      break;
    FillChildren(current);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < current->childCount() && !next; ++i) {
      if (isAtOrBelow(path, current->child(i)->data(0, kPathRole).toString()))
        next = current->child(i);
    }
    if (!next)
      break;
    current->setExpanded(true);
    current = next;
  }
  if (current) {
    m_tree->setCurrentItem(current);
    m_tree->scrollToItem(current);
  }
}

void CKvFolderDlg::OnSelectionChanged() {
  QTreeWidgetItem* item = m_tree->currentItem();
  if (!item)
    return;
  FillChildren(item);
  m_strPath = item->data(0, kPathRole).toString();
  m_edit->setText(m_strPath);
}
