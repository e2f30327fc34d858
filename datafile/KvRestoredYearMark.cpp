#include "datafile/KvRestoredYearMark.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "datafile/KvNewDataFile.h"

#include <QString>
#include <memory>

namespace {

// Whether the next year's data file exists; false when it cannot be told.
bool nextYearExists(CKvDb& current, int nYear, bool* pbExists) {
  KvNewDataFile next(current.GetKind(), current.GetConnectInfo());
  next.m_strLocation = next.InitialLocation(current.GetDatabaseName(true));
  const QString name = next.TargetName(QStringLiteral("%1").arg(nYear + 1, 4, 10, QChar(u'0')));
  bool known = false;
  *pbExists = current.DatabaseExists(name, &known);
  return known;
}

}  // namespace

bool KvRestoredYearMark(CKvDb& current, int* pnMark, QString* pWhy) {
  *pnMark = -1;
  const QString unreadable = QStringLiteral("不能读取当前数据文件的年度及其结转标记。");
  if (!current.IsOpen()) {
    *pWhy = unreadable;
    return false;
  }
  int year = 0;
  int mark = 0;
  {
    const std::unique_ptr<KvDbCursor> row =
        current.GetBackend()->query(QStringLiteral("SELECT PY,MM FROM SysTab"), nullptr);
    if (!row || row->columnCount() < 2 || row->atEnd()) {
      *pWhy = unreadable;
      return false;
    }
    year = int(row->integer(0));
    mark = int(row->integer(1));
  }
  bool exists = false;
  if (!nextYearExists(current, year, &exists)) {
    *pWhy = unreadable;
    return false;
  }
  if (exists)
    *pnMark = mark;
  return true;
}
