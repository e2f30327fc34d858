#pragma once
// The data-file information (dialog 816 "数据文件信息"): the identity of the
// open data file as SYSTAB keeps it (entity name, legal representative,
// business supervisor, identity code), its log switch, and the user's
// settings of the automatic backup, the main window's wallpaper and the
// update check. OK checks the three names and the wallpaper first, then
// rewrites SYSTAB with its log entry in one transaction (a failure keeps
// the dialog open and writes nothing), then stores the settings.

#include "app/CKvDataFile.h"
#include "ui/CKvZrvDlg.h"

class CKvEdit;
class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

class CKvDataFileInfoDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  // db null: the application's connection.
  explicit CKvDataFileInfoDlg(CKvDb* db = nullptr, QWidget* parent = nullptr);

  void GetToolTipText(QString* text, int controlId) override;
  bool SaveData() override;

 protected:
  void OnInitDialog() override;
  bool DoDataExchange(bool bSaveAndValidate) override;

 private:
  void UpdateBackupControls();
  void OnChooseFolder();
  void OnChooseWallpaper();
  // Shows the refusal and focuses the control; false.
  bool Refuse(const QString& message, int id);

  CKvDataFile m_dataFile;
  bool m_bSysTabRead = false;
  // The shown fields and the log switch as read when the window opened.
  CKvDataFile::ShownFields m_read;
  QString m_strNA, m_strT1, m_strKJ, m_strAN;
  bool m_bLogOn = true;
  int m_nSoftUp = 0;
  int m_nBackupMode = 1;
  int m_nBackupTime = 1;
  QString m_strBackupFolder;
  QString m_strWallpaper;
  QString m_strOldWallpaper;

  QLabel* m_pFile;
  QLabel* m_pYear;
  CKvEdit* m_pNA;
  CKvEdit* m_pT1;
  CKvEdit* m_pKJ;
  CKvEdit* m_pAN;
  QRadioButton* m_pLogOn;
  QRadioButton* m_pLogOff;
  QCheckBox* m_pFree;
  QCheckBox* m_pPaid;
  QRadioButton* m_pAuto;
  QRadioButton* m_pManual;
  QComboBox* m_pPeriod;
  CKvEdit* m_pFolder;
  QPushButton* m_pFolderBrowse;
  CKvEdit* m_pWallpaper;
};

// Runs the dialog on the application's connection; true after OK.
bool KvRunDataFileInfoDlg(QWidget* parent = nullptr);
