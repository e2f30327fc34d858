#include "timetable/KvPkDocSupport.h"

#include "app/CKvApp.h"
#include "core/KvDate.h"
#include "core/KvFormat.h"
#include "core/KvText.h"
#include "timetable/CWkjhRec.h"

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
