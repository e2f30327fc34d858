#pragma once
// The calculator dialog (F12). It evaluates the expression typed in its
// expression line (Enter or "计算"), shows the result or what is wrong with
// the expression, and keeps the session's calculations in a list from which
// an earlier expression can be taken back (double-click or Enter). With the
// send-back flag it offers "送回": the current expression is computed once
// more and, when it succeeds, the dialog ends with Accepted and the result
// in m_strResult; without the flag it only computes and closes.

#include "ui/CKvDlg.h"

#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class CKvCalcDlg : public CKvDlg {
  Q_OBJECT
 public:
  enum : unsigned { IDD = 800 };
  // Control ids (object names "id_<n>").
  enum : int {
    IDC_EXPRESSION = 1000,
    IDC_RESULT = 1001,
    IDC_COMPUTE = 1002,
    IDC_HISTORY = 1003,
    IDC_ERROR = 1004,
  };

  // `strExpression` (may be empty) is shown in the expression line, ready
  // to compute.
  CKvCalcDlg(bool bSendBack, const QString& strExpression, QWidget* parent = nullptr);

  // The text of the last result computed; what the caller takes when the
  // dialog ends with Accepted.
  QString m_strResult;

  // Computes the expression line: the result shows and joins the session's
  // list, or the reason of the failure shows. False on failure.
  bool Compute();

  // The calculator does not open another calculator over itself (F12, the
  // right-click menu).
  bool IsCmdEnabled(int id) override;

 protected:
  void OnInitDialog() override;
  // Enter computes, except on the two buttons that close the dialog.
  void OnEnter() override;
  // "送回": the result of the current expression; false keeps the dialog
  // open when the expression fails.
  bool SaveData() override;

 private:
  void takeFromHistory(QListWidgetItem* item);

  bool m_bSendBack;
  QLineEdit* m_expression;
  QLineEdit* m_result;
  QLabel* m_error;
  QListWidget* m_history;
};
