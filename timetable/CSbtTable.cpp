#include "timetable/CSbtTable.h"

#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "timetable/KvPkCatalogTable.h"

namespace {
const QList<KvPkCodeRef>& refs() {
  static const QList<KvPkCodeRef> list = {
      {QStringLiteral("WKJH"), QStringLiteral("SBT"), QStringLiteral("课程：%s\n已在级周教学计划中被引用！")},
      {QStringLiteral("SBTTCHR"), QStringLiteral("SBT"), QStringLiteral("课程：%s\n已在班周教学计划中被引用！")},
      {QStringLiteral("PK"), QStringLiteral("SBT"), QStringLiteral("课程：%s\n已在周课表中被引用！")},
  };
  return list;
}
}  // namespace

int CSbtTable::Select(const QString& where, const QString& order, QList<CSbtRec>& rows, CKvDb* pDb,
                            bool* pRead) {
  rows.clear();
  const QString sql =
      KvFormat("Select rtrim(KNO),rtrim(NA),rtrim(NAA),rtrim(NT) From SBT %s %s", where, order);
  for (const QStringList& v : KvPkCatalogTable::Select(pDb, sql, 4, pRead)) {
    CSbtRec rec;
    rec.KNO = v[0];
    rec.NA = v[1];
    rec.NAA = v[2];
    rec.NT = v[3];
    rows.append(rec);
  }
  return int(rows.size());
}

int CSbtTable::LoadByCode(CSbtRec& rec, const QString& code, CKvDb* pDb) {
  QList<CSbtRec> rows;
  bool read = false;
  const int n = Select(KvFormat("Where KNO='%s'", pDb->QuoteText(code)), QString(), rows, pDb, &read);
  if (!read)
    return -1;
  if (n > 0)
    rec = rows.first();
  return n;
}

int CSbtTable::LoadAll(QList<CSbtRec>& rows, CKvDb* pDb, bool* pRead) {
  return Select(QString(), QStringLiteral("Order By KNO"), rows, pDb, pRead);
}

QString CSbtTable::NextCode(CKvDb* pDb) { return KvPkCatalogTable::NextCode(pDb, QStringLiteral("SBT"), 4); }

bool CSbtTable::Insert(const CSbtRec& r, CKvDb* pDb, QString* pRefusal) {
  const QString sql = KvFormat("Insert Into SBT(KNO,NA,NAA,NT) Values('%s','%s','%s','%s')",
                               pDb->QuoteText(r.KNO, 4), pDb->QuoteText(r.NA, 8),
                               pDb->QuoteText(r.NAA, 40), pDb->QuoteText(r.NT, 60));
  return KvPkCatalogTable::Insert(pDb, sql, QStringLiteral("SBT"), r.KNO,
                                  KvFormat("新增课程：%s\n代码重！", r.KNO), pRefusal);
}

bool CSbtTable::Update(const CSbtRec& r, const QString& oldCode, CKvDb* pDb, QString* pRefusal) {
  const QString sql = KvFormat("Update SBT Set KNO='%s',NA='%s',NAA='%s',NT='%s' Where KNO='%s'",
                               pDb->QuoteText(r.KNO, 4), pDb->QuoteText(r.NA, 8),
                               pDb->QuoteText(r.NAA, 40), pDb->QuoteText(r.NT, 60),
                               pDb->QuoteText(oldCode));
  return KvPkCatalogTable::Update(pDb, sql, QStringLiteral("SBT"), oldCode, r.KNO,
                                  KvFormat("修改课程代码：%s～%s\n目标代码重！", oldCode, r.KNO), refs(), pRefusal);
}

bool CSbtTable::Delete(const QString& code, CKvDb* pDb, QString* pRefusal) {
  return KvPkCatalogTable::Delete(pDb, QStringLiteral("SBT"), code, refs(), pRefusal);
}
