#include "timetable/KvCheckPkSetup.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"

#include <vector>

namespace {
// Whether each table holds a row, read in one statement that looks at one
// row of each; a table that cannot be read (or all of them, when that
// statement fails) counts as empty.
QList<bool> holdRows(CKvDb* pDb, const QStringList& tables) {
  QList<bool> held(tables.size(), false);
  if (!pDb || tables.isEmpty())
    return held;
  QStringList probes;
  for (int i = 0; i < tables.size(); ++i)
    probes += KvFormat("(Select Count(*) From (Select 1 From %s Limit 1) k%d)", tables.at(i), i);
  std::vector<QStringList> columns(tables.size());
  if (pDb->QueryTexts(QStringLiteral("Select ") + probes.join(u','), columns.data(), int(tables.size())) == 1) {
    for (int i = 0; i < tables.size(); ++i)
      held[i] = columns[i].value(0).toInt() > 0;
    return held;
  }
  // One of them is missing: each is asked on its own, so that only the
  // missing ones are listed.
  for (int i = 0; i < tables.size(); ++i)
    held[i] = pDb->GetLong(KvFormat("Select Count(*) From (Select 1 From %s Limit 1) k", tables.at(i))) > 0;
  return held;
}
}  // namespace

bool KvCheckPkSetup(const QStringList& tables) {
  static const char* const labels[][2] = {{"STD", "班级"},      {"TCHR", "教师"},       {"SBT", "课程"},
                                          {"WKT", "作息时间表"}, {"WKJH", "级教学计划"}, {"SBTTCHR", "班教学计划"}};
  const QList<bool> held = holdRows(KvGetAppDb(), tables);
  QString lines;
  for (int i = 0; i < tables.size(); ++i) {
    if (held.at(i))
      continue;
    for (const auto& label : labels)
      if (tables.at(i) == QLatin1String(label[0]))
        lines += KvFormat("\n%s", label[1]);
  }
  if (lines.isEmpty())
    return true;
  KvMessageBox(KvFormat("下列信息还未设置%s", lines), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}
