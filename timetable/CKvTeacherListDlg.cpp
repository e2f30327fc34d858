#include "timetable/CKvTeacherListDlg.h"

#include "app/CKvApp.h"
#include "timetable/CKvTeacherEditDlg.h"
#include "timetable/CPkDataType.h"
#include "timetable/CTchrTable.h"

namespace {
KvPkCatalog teachers() {
  KvPkCatalog catalog;
  catalog.columns = QStringList{QStringLiteral("代码"), QStringLiteral("名称"), QStringLiteral("电话"),
                                QStringLiteral("住址"), QStringLiteral("性别"), QStringLiteral("出生时间"),
                                QStringLiteral("身份证号"), QStringLiteral("民族"), QStringLiteral("籍贯"),
                                QStringLiteral("职务"), QStringLiteral("备注")};
  catalog.widths = {60, 70, 110, 160, 50, 80, 140, 80, 100, 100, 200};
  catalog.icon = 619;
  catalog.logCode = CPkDataType::kModule * 100 + 0;
  catalog.hasRight = [] { return KvHasRight(CPkDataType::kModule, QStringLiteral("01")); };
  catalog.rows = [](CKvDb* pDb) {
    QList<CTchrRec> recs;
    CTchrTable::LoadAll(recs, pDb);
    QList<QStringList> rows;
    for (const CTchrRec& r : recs)
      rows.append({r.KNO, r.NA, r.TEL, r.ADR, r.SEX == 0 ? QStringLiteral("男") : QStringLiteral("女"), r.BT, r.PID,
                   r.NTN, r.FGF, r.ZW, r.NT});
    return rows;
  };
  catalog.remove = [](const QString& code, CKvDb* pDb, QString* pRefusal) {
    return CTchrTable::Delete(code, pDb, pRefusal);
  };
  catalog.edit = &CKvTeacherEditDlg::Run;
  return catalog;
}
}  // namespace

CKvTeacherList::CKvTeacherList(CKvDb* pDb, QWidget* parent) : CKvPkCatalogList(teachers(), pDb, parent) {}

CKvTeacherListDlg::CKvTeacherListDlg(int nMode, CKvDb* pDb, const QString& code, QWidget* parent)
    : CKvPkCatalogListDlg(nMode, pDb, code, parent) {
  SetList(new CKvTeacherList(Db(), this), QStringLiteral("教师目录"));
}
