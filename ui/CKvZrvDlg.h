#pragma once
// The base of the dialogs that work on the data of one accounting unit: a
// CKvDlg with the database it works on and an accounting-unit picker.
//
// The derived dialog places the unit label and picker (controls 1210 and
// 1211, made by UnitLabel and UnitPicker, or controls of its own with other
// ids) in its layout and calls InitUnitPicker in its OnInitDialog. From
// then on the picker keeps the application's current unit in step with the
// operator's choice, and OK first checks that the operator may work on the
// current unit (m_nDwCheckMode); a refusal shows its message, keeps the
// dialog open and puts the focus on the picker.
//
// The units, their check and the name of the unit concept come from the
// shell (ui/KvAppServices.h).

#include "ui/CKvDlg.h"

#include <QString>

class CKvDb;
class CKvTreeCombo;
class QLabel;

class CKvZrvDlg : public CKvDlg {
  Q_OBJECT
 public:
  enum : int { IDC_DW_LABEL = 1210, IDC_DW_PICKER = 1211 };

  // The dialog of template `idd` working on `db`; a null db means the
  // application's connection.
  explicit CKvZrvDlg(unsigned idd, CKvDb* db = nullptr, QWidget* parent = nullptr,
                     unsigned idIcon = KV_ICON_APP);

  // The database the dialog works on: the one given, else the
  // application's open connection (null while none is open).
  CKvDb* Db() const;

  // The unit check of OK: below 0 or 1 no check; 0 the current unit must be
  // one the operator may reach and a leaf of the unit tree; any other mode
  // only reachable.
  int m_nDwCheckMode = -1;

  // The dialog's own unit label (control 1210) and picker (control 1211),
  // made on the first call, for the derived dialog's layout.
  QLabel* UnitLabel();
  CKvTreeCombo* UnitPicker();

  // Binds the picker `pickerId` (-1: 1211) and fills it with the units the
  // operator (empty: the one logged in) may see, under a root line with the
  // root text, the current unit selected. Unless labelId is 0, the label
  // `labelId` (-1: 1210) shows the unit concept's name and "：", or is hidden
  // and disabled when the picker offers no choice. Display flag 0 always
  // hides the picker, 2 hides it when there is no choice. Returns non-zero
  // when the picker offers a choice; 0 as well when there is no such picker.
  int InitUnitPicker(int labelId, int pickerId, int displayFlag, const QString& operatorCode,
                     const QString& rootText);

  // Makes the unit chosen in the picker `pickerId` (-1: 1211) the
  // application's current unit. The bound picker calls it after each choice.
  virtual void ApplyUnitPicker(int pickerId);
  // The unit check of OK (m_nDwCheckMode); false keeps the dialog open.
  virtual bool CheckUnitAccess();

  // The unit check, then the guarded OK of CKvDlg.
  void OnOK() override;

 protected:
  // The picker InitUnitPicker bound; null before.
  CKvTreeCombo* m_pDwPicker = nullptr;

 private:
  CKvDb* m_pDb;
  QLabel* m_pUnitLabel = nullptr;
  CKvTreeCombo* m_pUnitPicker = nullptr;
};
