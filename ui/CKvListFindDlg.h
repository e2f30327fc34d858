#pragma once
// The find dialog of lists and trees ("在列表框中查找"): the operator types
// or picks the text to look for. The texts looked for before are offered in
// the drop-down list; they are kept per window, under the current user's key
// "Software\zrvsoft\KvListCtrl\<caption of the control's window>" ("青禾苑
// 列表框" for a window without a caption), as the values "1", "2", ... in
// the order they were first looked for. At most 50 are kept: once 50 are
// stored, new texts are looked for but not remembered.

#include "ui/CKvDlg.h"

#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;

class CKvListFindDlg : public CKvDlg {
  Q_OBJECT
 public:
  enum : unsigned { IDD = 803 };
  enum : int { IDC_FIND_TEXT = 1000, IDC_COLUMN_NOTE = 1003 };
  static constexpr int kMaxHistory = 50;

  // A find in `control` (a list or a tree); column 0 or more is named in the
  // dialog as the column searched, -1 names none.
  CKvListFindDlg(QWidget* control, int column);

  // After OK: the text to look for (never empty).
  QString m_strText;
  int m_nColumn;

  // The history's key of the control's window.
  static QString HistoryKey(const QWidget* control);
  static QStringList LoadHistory(const QString& key);
  // Appends the text to the stored history, keeping its first 50 entries.
  static void SaveHistory(const QString& key, const QString& text);

 protected:
  void OnInitDialog() override;
  bool DoDataExchange(bool bSaveAndValidate) override;
  // An empty text keeps the dialog open; a text not yet in the drop-down
  // list joins the history.
  bool SaveData() override;

 private:
  QString m_historyKey;
  QComboBox* m_combo;
  QLabel* m_columnNote;
};
