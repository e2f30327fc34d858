#include "timetable/CKvCourseListDlg.h"

#include "app/CKvApp.h"
#include "timetable/CKvCourseEditDlg.h"
#include "timetable/CSbtTable.h"

namespace {
KvPkCatalog courses() {
  KvPkCatalog catalog;
  catalog.columns = QStringList{QStringLiteral("代码"), QStringLiteral("简称"), QStringLiteral("全称"),
                                QStringLiteral("备注")};
  catalog.widths = {60, 80, 160, 200};
  catalog.icon = 608;
  catalog.logCode = 82;
  catalog.hasRight = [] { return KvHasRightCode(QStringLiteral("0084")); };
  catalog.rows = [](CKvDb* pDb) {
    QList<CSbtRec> recs;
    CSbtTable::LoadAll(recs, pDb);
    QList<QStringList> rows;
    for (const CSbtRec& r : recs)
      rows.append({r.KNO, r.NA, r.NAA, r.NT});
    return rows;
  };
  catalog.remove = [](const QString& code, CKvDb* pDb, QString* pRefusal) {
    return CSbtTable::Delete(code, pDb, pRefusal);
  };
  catalog.edit = &CKvCourseEditDlg::Run;
  return catalog;
}
}  // namespace

CKvCourseList::CKvCourseList(CKvDb* pDb, QWidget* parent) : CKvPkCatalogList(courses(), pDb, parent) {}

CKvCourseListDlg::CKvCourseListDlg(int nMode, CKvDb* pDb, const QString& code, QWidget* parent)
    : CKvPkCatalogListDlg(nMode, pDb, code, parent) {
  SetList(new CKvCourseList(Db(), this), QStringLiteral("课程目录"));
}
