#include "timetable/KvPkDocSupport.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDate.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvText.h"
#include "school/CStd.h"
#include "timetable/CWkjhRec.h"

#include <QHash>

void KvPkNormalizeOpenArgs(QStringList& args, int count) {
  CKvApp* app = KvGetApp();
  const int fileYear = app ? app->GetDataFile().GetYear() : 0;
  if (args.size() != count) {
    args = QStringList(count, QString());
    args[0] = KvFormat("%d", fileYear);
    args[2] = KvFormat("%d0301", fileYear);
  }
  if (args[1] != u"1")
    args[1] = QStringLiteral("0");
  if (args[0].size() != 4 || !KvIsAllDigits(args[0]))
    args[0] = KvFormat("%d", fileYear);
  QString date = args[2];
  if (date.size() != 8 || KvCheckDateText(&date) != 0)
    args[2] = args[0] + QStringLiteral("0301");
}

int KvPkLaterPlanExists(const QString& year, int term, const QString& date, bool bSameDateCounts, CKvDb* pDb) {
  CWkjhRec latest;
  const int found = latest.GetLatest(pDb);
  if (found <= 0)
    return found;
  if (latest.T > date)
    return 1;
  return bSameDateCounts && latest.T == date && (latest.Y != year || latest.QC != term) ? 1 : 0;
}

bool KvPkStillLatestPlan(const QString& year, int term, const QString& date, CKvDb* pDb, KvDbTransaction& trans,
                         const char* refusal) {
  const int later = KvPkLaterPlanExists(year, term, date, true, pDb);
  if (later == 0)
    return true;
  trans.Rollback();
  if (later > 0)
    KvMessageBox(QString::fromUtf8(refusal), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

bool KvPkReadNodePath(const QString& code, QString* path, CKvDb* pDb) {
  path->clear();
  const QStringList codes = CStd::SplitAncestors(code);
  if (codes.isEmpty())
    return true;
  QStringList quoted;
  for (const QString& c : codes)
    quoted.append(KvFormat("'%s'", pDb->QuoteText(c)));
  CKvQuery query(0, 0, 2, pDb);
  if (!query.Open(KvFormat("Select rtrim(KNO),rtrim(NA) From STD Where KNO In (%s)", quoted.join(u','))))
    return false;
  QHash<QString, QString> names;
  for (; !query.IsEOF(); query.MoveNext())
    names.insert(query.GetText(0), query.GetText(1));
  if (!names.contains(codes.last()))
    return true;
  QStringList parts;
  for (const QString& c : codes)
    parts.append(names.value(c, c));
  *path = parts.join(u'/');
  return true;
}
