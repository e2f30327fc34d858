#include "timetable/KvCheckPkSetup.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"

bool KvCheckPkSetup(const QStringList& tables) {
  static const char* const labels[][2] = {{"STD", "班级"},      {"TCHR", "教师"},       {"SBT", "课程"},
                                          {"WKT", "作息时间表"}, {"WKJH", "级教学计划"}, {"SBTTCHR", "班教学计划"}};
  CKvDb* pDb = KvGetAppDb();
  QString lines;
  for (const QString& table : tables) {
    if (pDb && pDb->GetLong(KvFormat("Select Count(*) From %s", table)) > 0)
      continue;
    for (const auto& label : labels)
      if (table == QLatin1String(label[0]))
        lines += KvFormat("\n%s", label[1]);
  }
  if (lines.isEmpty())
    return true;
  KvMessageBox(KvFormat("下列信息还未设置%s", lines), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}
