#pragma once
// The backup and restore dialog (817). Backup (mode 0) first unloads the
// open data file into a local archive, then copies that archive to a
// chosen place as often as the user likes; restore (mode 1) lists the
// usable archives of a chosen folder, shows the header of the selected one
// and restores it over the data file, after which the user logs in again.
//
// Stages: 0 nothing unloaded, 1 unloaded, 2 copied at least once; 10
// choosing an archive, 11 restore finished (OK closes with Accepted).

#include "ui/CKvDlg.h"

#include <QString>

class CKvEdit;
class CKvMDBBak;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class CKvBackupDlg : public CKvDlg {
  Q_OBJECT
 public:
  enum { IDD = 817 };
  enum {
    IDC_HINT = 1058,
    IDC_PATH = 1059,
    IDC_LIST = 1060,
    IDC_LOCATION = 1061,
    IDC_FILE_BOX = 1304,
    IDC_BROWSE = 1305,
  };

  explicit CKvBackupDlg(int nMode, QWidget* parent = nullptr);

  int Stage() const { return m_nStage; }
  // The archive the unload writes.
  const QString& LocalBackupFile() const { return m_strLocalFile; }
  // The file name a copy gets by default: entity name, date, year.
  const QString& DefaultFileName() const { return m_strDefaultName; }

  // Browse with the folder chosen (the folder chooser's result).
  void ChooseFolder(const QString& folder);

  // After a restore only OK (log in again) closes the dialog.
  void OnOK() override;
  void OnCancel() override;

 protected:
  void OnInitDialog() override;
  bool DoDataExchange(bool bSaveAndValidate) override;
  bool SaveData() override;

 private:
  void OnBrowse();
  void OnFileBox();
  void FillBackupList();
  void ShowSelectedBackup();
  // The selected archive, read into bak, when it is a usable one; else a
  // message.
  bool SelectedBackup(QString* path, CKvMDBBak* bak);
  bool Unload();
  bool Copy();
  void Restore();
  void SetHint(const QString& text);
  QString FileSizeText(const QString& path) const;

  int m_nMode;
  int m_nStage;
  QString m_strHint;
  QString m_strPath;
  QString m_strLocation;
  QString m_strLocalFile;
  QString m_strDefaultName;

  QPlainTextEdit* m_hint = nullptr;
  CKvEdit* m_path = nullptr;
  QComboBox* m_list = nullptr;
  QLabel* m_location = nullptr;
  QPushButton* m_browse = nullptr;
  QPushButton* m_ok = nullptr;
  QPushButton* m_cancel = nullptr;
};

// Runs the dialog in the mode on the application's data file; true when it
// ended with OK (a restore was made or tried: log in again).
bool KvRunBackupDlg(int nMode, QWidget* parent = nullptr);
