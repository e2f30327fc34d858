#include "ui/KvReplacingFile.h"

#include "core/KvPath.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

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
  KvTakeReplacedPermissions(m_temporary, m_target);
  if (std::rename(QFile::encodeName(m_temporary).constData(),
                  QFile::encodeName(m_target).constData()) != 0)
    return false;
  m_committed = true;
  return true;
}
