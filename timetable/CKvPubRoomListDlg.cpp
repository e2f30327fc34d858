#include "timetable/CKvPubRoomListDlg.h"

#include "app/CKvApp.h"
#include "timetable/CKvPubRoomEditDlg.h"
#include "timetable/CPkDataType.h"
#include "timetable/CPubRmTable.h"

namespace {
KvPkCatalog rooms() {
  KvPkCatalog catalog;
  catalog.columns = QStringList{QStringLiteral("代码"), QStringLiteral("简称"), QStringLiteral("全称"),
                                QStringLiteral("位置"), QStringLiteral("管理员"), QStringLiteral("电话"),
                                QStringLiteral("备注")};
  catalog.widths = {60, 80, 160, 160, 70, 140, 200};
  catalog.logCode = CPkDataType::kModule * 100 + 1;
  catalog.hasRight = [] { return KvHasRight(CPkDataType::kModule, QStringLiteral("02")); };
  catalog.rows = [](CKvDb* pDb) {
    QList<CPubRmRec> recs;
    CPubRmTable::LoadAll(recs, pDb);
    QList<QStringList> rows;
    for (const CPubRmRec& r : recs)
      rows.append({r.KNO, r.NA, r.NAA, r.ADR, r.MGR, r.TEL, r.NT});
    return rows;
  };
  catalog.remove = [](const QString& code, CKvDb* pDb, QString* pRefusal) {
    return CPubRmTable::Delete(code, pDb, pRefusal);
  };
  catalog.edit = &CKvPubRoomEditDlg::Run;
  return catalog;
}
}  // namespace

CKvPubRoomList::CKvPubRoomList(CKvDb* pDb, QWidget* parent) : CKvPkCatalogList(rooms(), pDb, parent) {}

CKvPubRoomListDlg::CKvPubRoomListDlg(int nMode, CKvDb* pDb, const QString& code, QWidget* parent)
    : CKvPkCatalogListDlg(nMode, pDb, code, parent) {
  SetList(new CKvPubRoomList(Db(), this), QStringLiteral("公用教室目录"));
}
