#pragma once
// The form of one node of the school's code tree, opened by the directory
// (CKvStdDirDlg) to add or modify a unit or class (form 951), a grade with
// its course of terms (952) or a student with entry, exit and in-school
// transfer (953).
//
// Save (OK) checks the fields in a fixed order; a refusal shows its message
// with the stop icon, puts the focus on the field at fault and keeps the
// form open with what was typed, having written nothing. A saved node is
// one transaction (CStd), a student's new transfer included, and then one
// log entry. A modify writes over the row the form read at opening only:
// when another window or station changed or removed it meanwhile, or a new
// node's parent is gone, the save is refused. When another station changed the tree parameters the form
// closes as cancelled without writing.
//
// A student who left by in-school transfer keeps the exit fields locked and
// may still be saved (name, address, ...); a student who came by transfer
// keeps the entry fields locked. A transfer is undone by deleting the new
// row in the directory.

#include "school/CStd.h"
#include "ui/CKvAppDlg.h"

class CKvEdit;
class QComboBox;
class QPushButton;

class CKvStdEditDlg : public CKvAppDlg {
 public:
  enum : int { IDD_UNIT = 951, IDD_GRADE = 952, IDD_STUDENT = 953 };
  enum : int {
    IDC_PARENT = 1007,
    IDC_SEGMENT = 1008,
    IDC_NAME = 1009,
    IDC_TEL = 1010,
    IDC_NOTE = 1011,
    IDC_MANAGER = 1012,
    // Grade form.
    IDC_TERMS = 1013,
    IDC_TERM_KIND = 1014,
    IDC_START = 1015,
    IDC_END = 1016,
    // Student form.
    IDC_ROOM = 1013,
    IDC_BIRTH = 1014,
    IDC_SEX = 1015,
    IDC_ID_CARD = 1016,
    IDC_NATION = 1017,
    IDC_NATIVE = 1018,
    IDC_FROM_SCHOOL = 1019,
    IDC_ADDRESS = 1020,
    IDC_OLD_CODE = 1021,
    IDC_ENTRY_KIND = 1022,
    IDC_ENTRY_TERM = 1023,
    IDC_PICK_OLD = 1024,
    IDC_EXIT_KIND = 1025,
    IDC_EXIT_TERM = 1026,
    IDC_NEW_CODE = 1027,
    IDC_PICK_NEW = 1028,
    IDC_OLD_TERM = 1029,
    IDC_NEW_TERM = 1030,
  };

  // The form of template `form` for the node `code` under `parentCode` (a
  // new node when isNew; its code is proposed).
  CKvStdEditDlg(int form, CKvDb* db, const QString& parentCode, const QString& code, bool isNew,
                QWidget* parent = nullptr);

  // A modify form: reads the node and what the form shows of it (a grade's
  // classes, a transfer's other row); false when a read failed (the
  // connection has shown why) or the node is no longer stored ("“%s”已不存在，
  // 不能修改！" is shown, and IsGone is true): the caller then does not open
  // the form, and a form shown all the same closes at once and writes
  // nothing. Runs when the form is first shown unless it ran before. A new
  // node reads nothing here.
  bool Load();
  bool IsGone() const { return m_bGone; }

  // After a save: the full code of the saved node.
  const QString& SavedCode() const { return m_strParent; }

  bool SaveData() override;

  // The entry (side 0) or exit (side 1) kind was chosen.
  void OnKindCloseUp(int side);
  // Picks the side's code in the directory.
  void OnPickCode(int side);

 protected:
  void OnInitDialog() override;

 private:
  void buildCommon();
  void buildGrade();
  void buildStudent();
  CKvEdit* addEdit(int id, const QString& inputType, int limit);
  // Shows the row in the controls.
  void showRow();
  void showStudent();
  // The focus on a control, then false.
  bool refuse(const QString& message, int focusId);
  // The checks of a form; the row written is filled from the controls.
  bool checkGrade(CStd* row);
  bool checkStudent(CStd* row);
  bool checkSide(int side, CStd* row, int* term);
  // The number of terms of the grade of a code; -1 when it cannot be read.
  int gradeTerms(const QString& code) const;

  int m_nForm;
  CKvDb* m_pDb;
  QString m_strParent;
  QString m_strOpenCode;
  int m_nLevel;
  int m_nSegmentLength;
  bool m_bNew;
  CStd m_row;
  // The student's entry and exit kinds when the form opened.
  int m_nKindAtOpen[2] = {0, 0};
  // The node read: 0 not yet, 1 read, -1 unreadable or gone.
  int m_nLoaded = 0;
  bool m_bGone = false;
  // A grade with classes keeps its course of terms.
  bool m_bHasClasses = false;
  // The term in which a transfer's other row left or entered; empty when
  // there is none.
  QString m_otherTerms[2];
};
