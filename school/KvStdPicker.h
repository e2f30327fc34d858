#pragma once
// Picks a code of the school's code tree (units, grades, classes, students)
// through the directory dialog, for the windows that need a code chosen:
// mode 1 picks a student (a node with children is opened to them, so a
// class without students is picked itself), mode 2 picks a code of any
// level. The dialog starts at `code`; on OK `code` holds the picked code
// and the answer is true, otherwise `code` is kept.

class CKvDb;
class QString;
class QWidget;

bool KvPickStdCode(QWidget* parent, CKvDb* pDb, int nMode, QString& code);
