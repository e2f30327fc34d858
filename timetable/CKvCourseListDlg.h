#pragma once
// The course catalogue ("课程目录"): the list of courses (icon 608, the
// shared right 0084) and its dialog. Adds, changes and deletes through the
// course's edit dialog and CSbtTable; the log's operation is the shared 82.

#include "timetable/CKvPkCatalogList.h"
#include "timetable/CKvPkCatalogListDlg.h"

class CKvCourseList : public CKvPkCatalogList {
  Q_OBJECT
 public:
  explicit CKvCourseList(CKvDb* pDb, QWidget* parent = nullptr);
};

class CKvCourseListDlg : public CKvPkCatalogListDlg {
  Q_OBJECT
 public:
  CKvCourseListDlg(int nMode, CKvDb* pDb, const QString& code, QWidget* parent = nullptr);
};
