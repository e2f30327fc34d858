#include "timetable/CTchrTable.h"

#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "timetable/KvPkCatalogTable.h"

namespace {
const QList<KvPkCodeRef>& refs() {
  static const QList<KvPkCodeRef> list = {
      {QStringLiteral("SBTTCHR"), QStringLiteral("TCHR"), QStringLiteral("教师：%s\n已在班级周教学计划中被引用！")},
      {QStringLiteral("PK"), QStringLiteral("TCHR"), QStringLiteral("教师：%s\n已在周课表中被引用！")},
  };
  return list;
}
}  // namespace

int CTchrTable::Select(const QString& where, const QString& order, QList<CTchrRec>& rows, CKvDb* pDb,
                             bool* pRead) {
  rows.clear();
  const QString sql = KvFormat(
      "Select rtrim(KNO),rtrim(NA),rtrim(TEL),rtrim(ADR),rtrim(SEX),"
      "rtrim(BT),rtrim(PID),rtrim(NTN),rtrim(FGF),rtrim(ZW),rtrim(NT) From TCHR %s %s",
      where, order);
  for (const QStringList& v : KvPkCatalogTable::Select(pDb, sql, 11, pRead)) {
    CTchrRec rec;
    rec.KNO = v[0];
    rec.NA = v[1];
    rec.TEL = v[2];
    rec.ADR = v[3];
    rec.SEX = KvStrToInt(v[4]);
    rec.BT = v[5];
    rec.PID = v[6];
    rec.NTN = v[7];
    rec.FGF = v[8];
    rec.ZW = v[9];
    rec.NT = v[10];
    rows.append(rec);
  }
  return int(rows.size());
}

int CTchrTable::LoadByCode(CTchrRec& rec, const QString& code, CKvDb* pDb) {
  QList<CTchrRec> rows;
  bool read = false;
  const int n = Select(KvFormat("Where KNO='%s'", pDb->QuoteText(code)), QString(), rows, pDb, &read);
  if (!read)
    return -1;
  if (n > 0)
    rec = rows.first();
  return n;
}

int CTchrTable::LoadAll(QList<CTchrRec>& rows, CKvDb* pDb, bool* pRead) {
  return Select(QString(), QStringLiteral("Order By KNO"), rows, pDb, pRead);
}

QString CTchrTable::NextCode(CKvDb* pDb) { return KvPkCatalogTable::NextCode(pDb, QStringLiteral("TCHR"), 4); }

bool CTchrTable::Insert(const CTchrRec& r, CKvDb* pDb, QString* pRefusal) {
  auto q = [pDb](const QString& text, int width) { return pDb->QuoteText(text, width); };
  const QString sql = KvFormat(
      "Insert Into TCHR(KNO,NA,TEL,ADR,SEX,BT,PID,NTN,FGF,ZW,NT) Values"
      "('%s','%s','%s','%s','%d','%s','%s','%s','%s','%s','%s')",
      q(r.KNO, 4), q(r.NA, 12), q(r.TEL, 25), q(r.ADR, 50), r.SEX, q(r.BT, 8), q(r.PID, 18),
      q(r.NTN, 12), q(r.FGF, 20), q(r.ZW, 16), q(r.NT, 60));
  return KvPkCatalogTable::Insert(pDb, sql, QStringLiteral("TCHR"), r.KNO,
                                  KvFormat("新增教师：%s\n代码重！", r.KNO), pRefusal);
}

bool CTchrTable::Update(const CTchrRec& r, const QString& oldCode, CKvDb* pDb, QString* pRefusal) {
  auto q = [pDb](const QString& text, int width) { return pDb->QuoteText(text, width); };
  const QString sql = KvFormat(
      "Update Tchr Set KNO='%s',NA='%s',TEL='%s',ADR='%s',SEX='%d',BT='%s',"
      "PID='%s',NTN='%s',FGF='%s',ZW='%s',NT='%s' Where KNO='%s'",
      q(r.KNO, 4), q(r.NA, 12), q(r.TEL, 25), q(r.ADR, 50), r.SEX, q(r.BT, 8), q(r.PID, 18),
      q(r.NTN, 12), q(r.FGF, 20), q(r.ZW, 16), q(r.NT, 60), q(oldCode, -1));
  return KvPkCatalogTable::Update(pDb, sql, QStringLiteral("TCHR"), oldCode, r.KNO,
                                  KvFormat("修改教师代码：%s～%s\n目标代码重！", oldCode, r.KNO), refs(), pRefusal);
}

bool CTchrTable::Delete(const QString& code, CKvDb* pDb, QString* pRefusal) {
  return KvPkCatalogTable::Delete(pDb, QStringLiteral("TCHR"), code, refs(), pRefusal);
}
