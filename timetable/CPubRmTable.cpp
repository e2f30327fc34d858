#include "timetable/CPubRmTable.h"

#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "timetable/KvPkCatalogTable.h"

namespace {
const QList<KvPkCodeRef>& refs() {
  static const QList<KvPkCodeRef> list = {
      {QStringLiteral("SBTTCHR"), QStringLiteral("PUBRM"),
       QStringLiteral("公用教室：%s\n已在班级周教学计划中被引用！")},
      {QStringLiteral("PK"), QStringLiteral("PUBRM"), QStringLiteral("公用教室：%s\n已在周课表中被引用！")},
  };
  return list;
}
}  // namespace

int CPubRmTable::Select(const QString& where, const QString& order, QList<CPubRmRec>& rows, CKvDb* pDb,
                              bool* pRead) {
  rows.clear();
  const QString sql = KvFormat(
      "Select rtrim(KNO),rtrim(NA),rtrim(NAA),rtrim(ADR),"
      "rtrim(MGR),rtrim(TEL),rtrim(NT) From PUBRM %s %s",
      where, order);
  for (const QStringList& v : KvPkCatalogTable::Select(pDb, sql, 7, pRead)) {
    CPubRmRec rec;
    rec.KNO = v[0];
    rec.NA = v[1];
    rec.NAA = v[2];
    rec.ADR = v[3];
    rec.MGR = v[4];
    rec.TEL = v[5];
    rec.NT = v[6];
    rows.append(rec);
  }
  return int(rows.size());
}

int CPubRmTable::LoadByCode(CPubRmRec& rec, const QString& code, CKvDb* pDb) {
  QList<CPubRmRec> rows;
  bool read = false;
  const int n = Select(KvFormat("Where KNO='%s'", pDb->QuoteText(code)), QString(), rows, pDb, &read);
  if (!read)
    return -1;
  if (n > 0)
    rec = rows.first();
  return n;
}

int CPubRmTable::LoadAll(QList<CPubRmRec>& rows, CKvDb* pDb, bool* pRead) {
  return Select(QString(), QStringLiteral("Order By KNO"), rows, pDb, pRead);
}

QString CPubRmTable::NextCode(CKvDb* pDb) {
  return KvPkCatalogTable::NextCode(pDb, QStringLiteral("PUBRM"), 3);
}

bool CPubRmTable::Insert(const CPubRmRec& r, CKvDb* pDb, QString* pRefusal) {
  auto q = [pDb](const QString& text, int width) { return pDb->QuoteText(text, width); };
  const QString sql = KvFormat(
      "Insert Into PUBRM(KNO,NA,NAA,ADR,MGR,TEL,NT) Values('%s','%s','%s','%s','%s','%s','%s')",
      q(r.KNO, 3), q(r.NA, 8), q(r.NAA, 40), q(r.ADR, 50), q(r.MGR, 12), q(r.TEL, 25), q(r.NT, 60));
  return KvPkCatalogTable::Insert(pDb, sql, QStringLiteral("PUBRM"), r.KNO,
                                  KvFormat("新增公用教室：%s\n代码重！", r.KNO), pRefusal);
}

bool CPubRmTable::Update(const CPubRmRec& r, const QString& oldCode, CKvDb* pDb, QString* pRefusal) {
  auto q = [pDb](const QString& text, int width) { return pDb->QuoteText(text, width); };
  const QString sql = KvFormat(
      "Update PUBRM Set KNO='%s',NA='%s',NAA='%s',ADR='%s',MGR='%s',TEL='%s',NT='%s' Where KNO='%s'",
      q(r.KNO, 3), q(r.NA, 8), q(r.NAA, 40), q(r.ADR, 50), q(r.MGR, 12), q(r.TEL, 25), q(r.NT, 60),
      q(oldCode, -1));
  return KvPkCatalogTable::Update(pDb, sql, QStringLiteral("PUBRM"), oldCode, r.KNO,
                                  KvFormat("修改公用教室代码：%s～%s\n目标代码重！", oldCode, r.KNO),
                                  refs(), pRefusal);
}

bool CPubRmTable::Delete(const QString& code, CKvDb* pDb, QString* pRefusal) {
  return KvPkCatalogTable::Delete(pDb, QStringLiteral("PUBRM"), code, refs(), pRefusal);
}
