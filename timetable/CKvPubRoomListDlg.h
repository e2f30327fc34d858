#pragma once
// The shared-room catalogue ("公用教室目录"): the list of shared rooms (no
// icon, right 1902) and its dialog. Adds, changes and deletes through the
// room's edit dialog and CPubRmTable; the log's operation is 1901.

#include "timetable/CKvPkCatalogList.h"
#include "timetable/CKvPkCatalogListDlg.h"

class CKvPubRoomList : public CKvPkCatalogList {
  Q_OBJECT
 public:
  explicit CKvPubRoomList(CKvDb* pDb, QWidget* parent = nullptr);
};

class CKvPubRoomListDlg : public CKvPkCatalogListDlg {
  Q_OBJECT
 public:
  CKvPubRoomListDlg(int nMode, CKvDb* pDb, const QString& code, QWidget* parent = nullptr);
};
