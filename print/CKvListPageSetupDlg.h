#pragma once
// The page setup of list printing (object name "dlg_listpagesetup"): the
// title, page head and foot texts, the four fonts, the paper (one of the
// current printer's papers or a width and length), the orientation and the
// margins; for a list that prints with its own print set, also the rows per
// page.
//
// It opens on the format the list prints with (KvLoadListPageFormat), without
// touching the list's print set before OK. OK
// checks the page (margins that leave no room, and on a printer queue
// KvTestPrinter), stores the form's page format for the current printer
// profile (and the print set, which then holds the new values) in one
// transaction and writes the operation log (16); a refused page shows a
// message and keeps the dialog open.

#include "print/CKvPageFormat.h"
#include "print/CKvPrintSet.h"
#include "print/KvPageSetupControls.h"
#include "ui/CKvDlg.h"
#include "ui/KvListPrint.h"

#include <array>

class QLineEdit;
class QSpinBox;

class CKvListPageSetupDlg : public CKvDlg {
  Q_OBJECT
 public:
  explicit CKvListPageSetupDlg(const KvListPrintTarget& target, QWidget* parent = nullptr);

  // The format as shown, and after OK as stored.
  const CKvPageFormat& Format() const { return m_format; }

 protected:
  void OnInitDialog() override;
  bool SaveData() override;

 private:
  void chooseFont(int role);
  void showFonts();

  KvListPrintTarget m_target;
  CKvPageFormat m_format;
  // The list's print set as stored for the form; the list's own set takes it
  // over only on OK.
  CKvPrintSet m_set;
  // The format and print set as this window loaded them.
  CKvPageFormat m_readFormat;
  CKvPrintSet m_readSet;
  QLineEdit* m_title;
  QLineEdit* m_head;
  QLineEdit* m_foot;
  std::array<QLabel*, CKvPageFormat::FontCount> m_fontSamples;
  KvPageSetupControls* m_page;
  QSpinBox* m_rows = nullptr;
};
