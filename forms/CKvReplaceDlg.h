#pragma once
// The find and replace dialog of the form grids (template 851): the
// operator types, or picks from the recent phrases, the text to find and,
// when replacing, the text to put in its place, and whether a cell must
// match as a whole. On OK the texts and the flag go into the owner view
// (CThirdView), which does the finding and replacing itself.
//
// What callers may rely on:
// - The recent phrases are kept in the data file's SysCsTab, shared by every
//   operator: category 1000 the texts found in find mode, 1001 those found
//   in replace mode, 1002 the replacement texts, each the newest at CsN 0
//   and at most 50 older ones; 1003 (CsN 0, "1" or "0") the whole-match
//   option, shared by both modes. A phrase already in the list keeps its
//   place. Phrases are quoted for the connection.
// - The writes of one OK are one transaction; when a statement fails the
//   connection shows why, nothing of that OK is kept, and the texts still
//   go to the owner.
// - An empty find text keeps the dialog open; Cancel writes nothing.
// - The connection is the owner document's, else the open data file's;
//   with neither there is no history.

#include "ui/CKvDlg.h"

#include <QString>

class CKvDb;
class CThirdView;
class QCheckBox;
class QComboBox;
class QLabel;

class CKvReplaceDlg : public CKvDlg {
  Q_OBJECT
 public:
  enum : unsigned { IDD = 851 };
  enum : int {
    IDC_FIND = 1000,
    IDC_REPLACE = 1001,
    IDC_WHOLE_MATCH = 1004,
    IDC_REPLACE_LABEL = 1005,
    IDC_FIND_LABEL = 1036,
  };
  // The SysCsTab categories of the history.
  enum : int {
    CS_FIND = 1000,
    CS_REPLACE_FIND = 1001,
    CS_REPLACE_WITH = 1002,
    CS_WHOLE_MATCH = 1003,
  };
  // The oldest age a phrase is kept at (the newest is 0).
  static constexpr int kMaxAge = 50;

  // nMode non-zero: find only; zero: find and replace. The find text starts
  // as the characters selected inside the owner's current cell; when
  // replacing, the replacement text starts the same.
  CKvReplaceDlg(QWidget* parent, CThirdView* pOwner, int nMode);

  QString m_strFind;
  QString m_strReplace;

  // Adds a phrase to the history of category `cs`: nothing when the combo
  // box's list holds it already (or it is empty), else every phrase ages by
  // one, those past kMaxAge go and the phrase comes in at CsN 0. False when
  // a statement failed.
  bool SaveHistory(int cs, const QString& phrase, const QComboBox* combo);

 protected:
  void OnInitDialog() override;
  bool DoDataExchange(bool bSaveAndValidate) override;
  bool SaveData() override;

 private:
  bool isFindOnly() const { return m_nMode != 0; }
  // The category's phrases, newest first; the newest shows when the start
  // text is empty.
  void fillCombo(QComboBox* combo, int cs, const QString& start);

  CThirdView* m_pOwner;
  int m_nMode;
  CKvDb* m_pDb;
  QComboBox* m_find;
  QComboBox* m_replace;
  QLabel* m_replaceLabel;
  QCheckBox* m_wholeMatch;
};
