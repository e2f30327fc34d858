#pragma once
// The choose dialog ("选择", 796): one accounting-unit picker under the root
// "全部". OK makes the chosen unit the application's current unit, after the
// unit check of the mode the caller gives.
//
// When the picker offers no choice (the operator sees at most one unit, or
// the display flag hides it), there is nothing to ask: exec() runs OK at
// once without showing the dialog and returns its result (Accepted unless
// the unit check refuses). Shown by other means, such a dialog closes
// itself as soon as its modal loop runs.

#include "ui/CKvAppDlg.h"

#include <QString>

class CKvChooseDlg : public CKvAppDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 796, IDC_LABEL = 1036, IDC_PICKER = 1035 };

  // nCheckMode: the unit check of OK (m_nDwCheckMode); nDisplay: the
  // picker's display flag; operatorCode: whose units (empty: the operator
  // logged in).
  CKvChooseDlg(int nCheckMode, int nDisplay, const QString& operatorCode = QString(),
               QWidget* parent = nullptr);

  int exec() override;
  // -1 stands for the dialog's picker 1035.
  void ApplyUnitPicker(int pickerId) override;

 protected:
  void OnInitDialog() override;

 private:
  // Fills the picker once; true when it offers a choice.
  bool prepare();

  int m_nDisplay;
  QString m_strOperator;
  bool m_bPrepared = false;
  bool m_bChoice = false;
};
