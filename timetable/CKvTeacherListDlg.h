#pragma once
// The teacher catalogue ("教师目录"): the list of teachers (icon 619, right
// 1901) and its dialog. Adds, changes and deletes through the teacher's
// edit dialog and CTchrTable; the log's operation is 1900.

#include "timetable/CKvPkCatalogList.h"
#include "timetable/CKvPkCatalogListDlg.h"

class CKvTeacherList : public CKvPkCatalogList {
  Q_OBJECT
 public:
  explicit CKvTeacherList(CKvDb* pDb, QWidget* parent = nullptr);
};

class CKvTeacherListDlg : public CKvPkCatalogListDlg {
  Q_OBJECT
 public:
  CKvTeacherListDlg(int nMode, CKvDb* pDb, const QString& code, QWidget* parent = nullptr);
};
