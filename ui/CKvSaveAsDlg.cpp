#include "ui/CKvSaveAsDlg.h"

#include "core/KvConst.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvPath.h"
#include "core/KvRegistry.h"
#include "core/KvText.h"
#include "ui/KvModal.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

namespace {

QString settingsKey() {
  return QStringLiteral("Software\\zrvsoft\\") + QString::fromLatin1(kv::kExecutable);
}

// The kinds of file, by number: extension and type text.
const struct {
  const char* extension;
  const char* filter;
} kKinds[] = {{"txt", "0 文本文件(*.txt)"},
              {"xlsx", "1 Excel文件(*.xlsx)"},
              {"db", "2 SQLite数据库文件(*.db)"}};

const QString kDirValue = QStringLiteral("SaveAsDir");
const QString kTypeValue = QStringLiteral("SaveAsType");

// The offered kind whose extension the path has (ASCII case ignored); -1.
int kindOfPath(const QString& path, const QList<int>& kinds) {
  const QString ext = KvFileExt(path);
  for (int kind : kinds) {
    if (!ext.isEmpty() && KvEqualsIgnoreCase(ext, CKvSaveAsDlg::KindExtension(kind)))
      return kind;
  }
  return -1;
}

}  // namespace

QString CKvSaveAsDlg::KindExtension(int kind) {
  return QString::fromUtf8(kKinds[kind >= 0 && kind < 3 ? kind : 0].extension);
}

QString CKvSaveAsDlg::KindFilter(int kind) {
  return QString::fromUtf8(kKinds[kind >= 0 && kind < 3 ? kind : 0].filter);
}

CKvSaveAsDlg::CKvSaveAsDlg(const QList<int>& kinds, QWidget* parent)
    : QFileDialog(parent), m_kinds(kinds) {
  setOption(QFileDialog::DontUseNativeDialog);
  // The writer asks about an existing file after the data-file guard, so
  // that nobody is asked to replace a file the program then refuses.
  setOption(QFileDialog::DontConfirmOverwrite);
  setAcceptMode(QFileDialog::AcceptSave);
  setFileMode(QFileDialog::AnyFile);
  setWindowTitle(QStringLiteral("另存为"));
  // Wide enough for the file list's name, size, type and date columns.
  resize(760, 460);
  QStringList filters;
  for (int kind : kinds) {
    filters += KindFilter(kind);
    m_exts += KindExtension(kind);
  }
  setNameFilters(filters);
  connect(this, &QFileDialog::filterSelected, this, &CKvSaveAsDlg::OnTypeChange);
}

void CKvSaveAsDlg::OnTypeChange(const QString& filter) {
  const int kind = KvLeadingInt(filter);
  const int index = int(m_kinds.indexOf(kind));
  if (index < 0)
    return;
  m_nKind = index;
  auto* nameBox = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (!nameBox)
    return;
  const QString name = nameBox->text();
  const QString ext = KvFileExt(name);
  if (kindOfPath(name, m_kinds) < 0 || KvEqualsIgnoreCase(ext, m_exts[index]))
    return;
  nameBox->setText(name.left(name.size() - ext.size() - 1) + u'.' + m_exts[index]);
}

bool CKvSaveAsDlg::SaveList(QString* path, int* kind, const QString& defaultName,
                            const QList<int>& kinds, QWidget* parent) {
  if (kinds.isEmpty())
    return false;
  QString folder, type;
  KvRegReadString(KvRegRoot::CurrentUser, settingsKey(), kDirValue, &folder);
  KvRegReadString(KvRegRoot::CurrentUser, settingsKey(), kTypeValue, &type);
  folder = KvSlashPath(folder);
  while (folder.size() > 1 && folder.endsWith(u'/'))
    folder.chop(1);
  int index = int(kinds.indexOf(KvStrToInt(type, -1)));
  if (type.trimmed().isEmpty() || index < 0)
    index = 0;

  CKvSaveAsDlg dialog(kinds, parent);
  if (!folder.isEmpty())
    dialog.setDirectory(folder);
  dialog.selectNameFilter(KindFilter(kinds[index]));
  dialog.m_nKind = index;
  dialog.selectFile(defaultName + u'.' + KindExtension(kinds[index]));
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty())
    return false;
  const QString file = QDir::cleanPath(chosen.first());
  KvRegWriteString(KvRegRoot::CurrentUser, settingsKey(), kDirValue,
                    QFileInfo(file).absolutePath());

  const int chosenKind = kindOfPath(file, kinds);
  if (chosenKind < 0) {
    KvMessageBox(KvFormat(QStringLiteral("“%s”，文件名不正确，没有带正确的扩展（类型）名！"), file),
                 KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  if (KvStripChars(KvFileTitle(file), QStringLiteral(" \t\r\n")).isEmpty()) {
    KvMessageBox(QStringLiteral("空文件名！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  KvRegWriteString(KvRegRoot::CurrentUser, settingsKey(), kTypeValue, QString::number(chosenKind));
  if (QFileInfo(file).isDir()) {
    KvMessageBox(KvFormat(QStringLiteral("“%s”是文件夹！"), file), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  *path = file;
  *kind = chosenKind;
  return true;
}
