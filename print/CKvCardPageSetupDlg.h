#pragma once
// The page setup of a card form (dialog 970 "页面设置"): the title, the
// title and text fonts, the paper, the orientation, the margins and the size
// of the card on screen in pixels.
//
// It shows the format it is given (the card layout fills it from what it
// holds). OK checks the page as the list page setup does, stores the format
// under its key for the current printer profile, writes the operation log
// (16) and leaves the new values in the given format; Cancel leaves the
// format untouched.

#include "print/CKvCardPageFormat.h"
#include "ui/CKvDlg.h"

class CKvDb;
class KvPageSetupControls;
class QLabel;
class QLineEdit;
class QSpinBox;

class CKvCardPageSetupDlg : public CKvDlg {
  Q_OBJECT
 public:
  CKvCardPageSetupDlg(CKvCardPageFormat* format, CKvDb* db, QWidget* parent = nullptr);

 protected:
  void OnInitDialog() override;
  bool SaveData() override;

 private:
  void showFonts();

  CKvCardPageFormat* m_format;
  // The format of the key as stored when the window opened.
  CKvCardPageFormat m_read;
  CKvDb* m_db;
  KvLogFont m_titleFont;
  KvLogFont m_textFont;
  QColor m_titleColour;
  QColor m_textColour;
  QLineEdit* m_title;
  QLabel* m_titleSample;
  QLabel* m_textSample;
  KvPageSetupControls* m_page;
  QSpinBox* m_cardWidth;
  QSpinBox* m_cardHeight;
};
