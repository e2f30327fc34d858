#include "KvPkBenchSchool.h"

#include "app/CKvApp.h"
#include "bench/core/KvBenchPgDatabase.h"
#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"
#include "support/timetable/KvTimetableGen.h"

#include <QTemporaryDir>

CKvDb* KvPkBenchSqliteSchool() {
  static QTemporaryDir dir;
  static CKvDb* pDb = [] {
    CKvDb* db = KvGetApp()->GetDb();
    KvTimetableGenOptions options;
    if (!db->CreateDatabase(dir.filePath(QStringLiteral("school.xxd")), CKvDbInfo(0)) ||
        !KvGenerateTimetableSchool(db, options))
      return static_cast<CKvDb*>(nullptr);
    return db;
  }();
  return pDb;
}

CKvDb* KvPkBenchPgSchool() {
  static KvBenchPgDatabase data(QStringLiteral("kvpkbench"), QString());
  static CKvDb* pDb = [] {
    KvTimetableGenOptions options;
    if (!data.ready() || !KvGenerateTimetableSchool(&data.db, options))
      return static_cast<CKvDb*>(nullptr);
    return &data.db;
  }();
  return pDb;
}
