#include "core/CKvFileNameChecker.h"

#include "core/KvPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

bool holdsAnyOf(const QString& text, QStringView characters) {
  for (QChar ch : characters)
    if (text.contains(ch))
      return true;
  return false;
}

// Characters no name may hold anywhere, and those the part after the root may
// not hold either.
constexpr QStringView kForbidden = u"?*|<>\"";
constexpr QStringView kForbiddenInRest = u":?*|<>\"";

QString messageOf(int state) {
  switch (state) {
    case 6: return QStringLiteral("此文件夹已经存在！");
    case 5: return QStringLiteral("文件名无驱动器名！");
    case 4: return QStringLiteral("文件名中含有无效驱动器名！");
    case 3: return QStringLiteral("非本机文件名！");
    case 2: return QStringLiteral("文件名已存在！");
    case 1: return QStringLiteral("文件名正确！");
    case 0: return QStringLiteral("文件名为空！");
    case -1: return QStringLiteral("文件名不能包含以下字母！\n\n\t/?*|<>\"");
    case -2: return QStringLiteral("当前路径不存在！");
    case -3: return QStringLiteral("此文件夹的父文件夹不存在！");
    case -4: return QStringLiteral("文件名语法出错！");
    case -5: return QStringLiteral("磁盘空间不够！");
    case -20: return QStringLiteral("不是一个文件夹而是一个已存在的文件！");
    case -21: return QStringLiteral("创建文件夹失败！");
    default: return QString();
  }
}

}  // namespace

CKvFileNameChecker::CKvFileNameChecker() = default;

CKvFileNameChecker::CKvFileNameChecker(const QString& path) { Check(path); }

CKvFileNameChecker::~CKvFileNameChecker() = default;

int CKvFileNameChecker::GetMessage(QString* out) const {
  if (out)
    *out = messageOf(m_nState);
  return m_nState;
}

bool CKvFileNameChecker::splitRoot(QString* root, QString* rest) {
  if (m_strPath.isEmpty()) {
    m_nState = 0;
    return false;
  }
  if (holdsAnyOf(m_strPath, kForbidden)) {
    m_nState = -1;
    return false;
  }
  const QString path = KvSlashPath(m_strPath);
  QString prefix;
  if (path == QStringLiteral("."))
    prefix = QStringLiteral(".");
  else if (path.startsWith(QLatin1Char('/')))
    prefix = QStringLiteral("/");
  else if (path.startsWith(QStringLiteral("./")))
    prefix = QStringLiteral("./");
  else if (path.startsWith(QStringLiteral("../")))
    prefix = QStringLiteral("../");
  else if (path.startsWith(QStringLiteral("..")))
    prefix = QStringLiteral("..");
  else if (path.startsWith(QLatin1Char('.'))) {
    m_nState = -1;
    return false;
  }
  // "." alone is the current folder.
  *root = prefix == QStringLiteral(".") ? QStringLiteral("./") : prefix;
  *rest = path.mid(prefix.size());
  return true;
}

void CKvFileNameChecker::Check(const QString& path) {
  m_strExt.clear();
  m_strTitle.clear();
  m_strPath = path;
  m_nState = 1;
  QString root;
  QString rest;
  if (!splitRoot(&root, &rest))
    return;
  if (holdsAnyOf(rest, kForbiddenInRest)) {
    m_nState = -1;
    return;
  }
  // Extension and title come from the last element only, so that a dot in
  // a folder name is not taken for the file's extension.
  const QString name = rest.mid(rest.lastIndexOf(QLatin1Char('/')) + 1);
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  m_strExt = dot < 0 ? QString() : name.mid(dot + 1);
  m_strTitle = dot < 0 ? name : name.left(dot);
}

void CKvFileNameChecker::CheckIsFolder() {
  if (m_nState != 1)
    return;
  const QFileInfo info(KvSlashPath(m_strPath));
  if (info.exists() && !info.isDir())
    m_nState = 2;
}

bool CKvFileNameChecker::KvCreateFolder(const QString& path) {
  m_strPath = path;
  m_nState = 1;
  QString root;
  QString rest;
  if (!splitRoot(&root, &rest))
    return false;
  CheckIsFolder();
  if (m_nState != 1)
    return false;
  if (holdsAnyOf(rest, kForbiddenInRest)) {
    m_nState = -1;
    return false;
  }
  QString built = root;
  for (const QString& element : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    built += element + QLatin1Char('/');
    if (!QFileInfo(built).isDir() && !QDir().mkdir(built)) {
      m_nState = -21;
      return false;
    }
  }
  return true;
}
