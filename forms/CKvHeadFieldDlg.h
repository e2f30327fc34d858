#pragma once
// The field dialog of the head and tail fields page
// ("修改表头表尾字域属性", "新增表头表尾字域" when adding): edits one head or
// tail field of the edited template in memory.
//
// The content can be typed or taken from the document's print macros. A
// field the module defines keeps its prompt and content; its edit box may
// not be longer than the module's own field of that prompt. An operator's
// field has no edit box. OK refuses values outside their ranges, an empty
// prompt or content, a second field at the same place (area, row and
// position) and a prompt another field has; each refusal names its field
// and keeps the dialog open.
//
// A prompt is at most 20 wide (the stored prompt is Char(20)). A position
// is at most 99 percent: the stored number holds the edit-box length in its
// hundreds.

#include "ui/CKvAppDlg.h"

class CKvDoc;
class CKvEdit;
class CKvPublicPage;
class KvFormEntry;
class KvUpDownEdit;
class QComboBox;
class QRadioButton;

class CKvHeadFieldDlg : public CKvAppDlg {
  Q_OBJECT
 public:
  enum : int {
    IDC_HEAD = 1037,
    IDC_TAIL = 1038,
    IDC_ROW = 1039,
    IDC_POSITION = 1041,
    IDC_OVERLAY = 1043,
    IDC_NO_OVERLAY = 1044,
    IDC_LENGTH = 1045,
    IDC_NOTE = 1047,
    IDC_WORDS = 1048,
  };

  CKvHeadFieldDlg(CKvPublicPage* pPage, CKvDoc* pDoc, KvFormEntry* pEntry, bool bNew, int nIndex);

 protected:
  bool SaveData() override;

 private:
  KvFormEntry* m_pEntry;
  bool m_bNew;
  int m_nIndex;

  QRadioButton* m_pHead;
  QRadioButton* m_pTail;
  KvUpDownEdit* m_pRow;
  KvUpDownEdit* m_pPosition;
  QRadioButton* m_pOverlay;
  QRadioButton* m_pNoOverlay;
  KvUpDownEdit* m_pLength;
  CKvEdit* m_pNote;
  QComboBox* m_pWords;
};
