#pragma once
// The page setup of a form grid (object name "dlg_formpagesetup"): the four
// fonts of the form (title, head notes, text, tail notes) with their
// colours, the paper, its orientation, the margins, the rows per page and
// the line spacing of the view's print set.
//
// It opens on the set as stored under (nFlag, nForm as text) for the
// current printer profile. The view's print set changes only on OK: the
// page is checked (margins that leave no room, and on a printer queue the
// printer's test), the page row and each font the operator changed are
// stored in one transaction, provided the stored set still reads as the
// dialog read it, and the operation log gets its page-setup entry. A
// refused page shows a message and keeps the dialog open.

#include "print/CKvPrintSet.h"
#include "ui/CKvDlg.h"

#include <array>

class CKvDb;
class KvPageSetupControls;
class QLabel;
class QSpinBox;

class CKvFormPageSetupDlg : public CKvDlg {
  Q_OBJECT
 public:
  CKvFormPageSetupDlg(CKvPrintSet* printSet, CKvDb* db, int nFlag, int nForm, const QString& title,
                      QWidget* parent = nullptr);

  // The settings as shown, and after OK as stored.
  const CKvPrintSet& Settings() const { return m_set; }

 protected:
  void OnInitDialog() override;
  bool SaveData() override;

 private:
  void chooseFont(int role);
  void showFonts();

  CKvPrintSet* m_pTarget;
  CKvDb* m_pDb;
  int m_nFlag;
  int m_nForm;
  QString m_strTitle;
  CKvPrintSet m_set;
  // The setup as stored when the window opened, which it shows: only what
  // the operator changed is written, and only while the stored setup still
  // reads so.
  CKvPrintSet m_read;
  std::array<QLabel*, CKvPrintSet::FontCount> m_fontSamples{};
  KvPageSetupControls* m_page = nullptr;
  QSpinBox* m_rows = nullptr;
  QSpinBox* m_spacing = nullptr;
};
