#include "ui/KvReplacingFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <sys/stat.h>

namespace {

// The permissions a new file gets from the user's file-creation mask.
QFile::Permissions defaultPermissions() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const mode_t mode = 0666 & ~mask;
  QFile::Permissions permissions;
  if (mode & S_IRUSR) permissions |= QFile::ReadOwner | QFile::ReadUser;
  if (mode & S_IWUSR) permissions |= QFile::WriteOwner | QFile::WriteUser;
  if (mode & S_IRGRP) permissions |= QFile::ReadGroup;
  if (mode & S_IWGRP) permissions |= QFile::WriteGroup;
  if (mode & S_IROTH) permissions |= QFile::ReadOther;
  if (mode & S_IWOTH) permissions |= QFile::WriteOther;
  return permissions;
}

}  // namespace

KvReplacingFile::KvReplacingFile(const QString& target) : m_target(target) {}

KvReplacingFile::~KvReplacingFile() {
  if (!m_committed && !m_temporary.isEmpty())
    QFile::remove(m_temporary);
}

QString KvReplacingFile::TemporaryPath() {
  if (!m_temporary.isEmpty())
    return m_temporary;
  const QFileInfo target(m_target);
  QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                      QStringLiteral(".XXXXXX"));
  file.setAutoRemove(false);
  if (!file.open())
    return QString();
  m_temporary = file.fileName();
  return m_temporary;
}

bool KvReplacingFile::Commit() {
  if (m_temporary.isEmpty() || !QFile::exists(m_temporary))
    return false;
  const QFileInfo target(m_target);
  QFile::setPermissions(m_temporary, target.exists() ? target.permissions() : defaultPermissions());
  if (std::rename(QFile::encodeName(m_temporary).constData(),
                  QFile::encodeName(m_target).constData()) != 0)
    return false;
  m_committed = true;
  return true;
}
