#pragma once
// The login dialog (815 "打开青禾苑数据文件"): which data file to open and
// who logs in. It works on a copy of the application's data-file descriptor
// and offers the three ways to a data file: an SQLite file, a PostgreSQL
// database (server, user, password, database) or an ODBC data source (data
// source, user, password, database). The server password is kept in the
// settings only when "记住口令" is ticked (off by default).
//
// The operators are read from the chosen data file whenever it changes
// (opened quietly: a file that does not open simply lists none). OK opens
// the data file with every message of its checks and compares the password
// with the operator's stored one; a failure keeps the dialog open and
// changes nothing. On a server database whose stored program is newer than
// this one, the client update fetches it and the program ends (when the
// update program is there). "新建数据文件" makes a new, empty data file of
// the chosen kind under the name given (tables, default rows and stamp) and
// lists its operators, 101 selected; logging in to it sets the new-file
// flag. Cancel changes nothing.

#include "app/CKvDataFile.h"
#include "ui/CKvDlg.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Makes a data file from the one the dialog names: mode 1 converts it to
// the other back end, mode 2 copies it under a new year. The source's
// descriptor in, the new file's descriptor out; false when nothing was made.
// The data-file tools install it; until then the two buttons are disabled.
using KvDataFileMaker = std::function<bool(int nMode, const CKvDataFile& source, CKvDataFile* pNewFile)>;
void KvSetDataFileMaker(KvDataFileMaker maker);

class CKvLoginDlg : public CKvDlg {
  Q_OBJECT
 public:
  // Controls of the dialog.
  enum : int {
    IdKind = 1000,
    IdFile = 1001,
    IdBrowse = 1002,
    IdServer = 1003,
    IdUser = 1004,
    IdServerPassword = 1005,
    IdRemember = 1006,
    IdDatabase = 1007,
    IdOperator = 1008,
    IdPassword = 1009,
    IdNewFile = 1010,
    IdConvertFile = 1011,
    IdCopyFile = 1012,
  };
  // The choices of IdKind.
  enum : int { KindFile = 0, KindPostgres = 1, KindOdbc = 2 };

  explicit CKvLoginDlg(const CKvDataFile& file, QWidget* parent = nullptr);

  // After OK: the data file chosen (closed), with the operator's code, name
  // and stored password.
  const CKvDataFile& DataFile() const { return m_file; }
  // After OK: the data file logged in to is the one just made (by the
  // dialog, or by the caller who said so with SetNewFile).
  bool IsNewFile() const { return m_bNewFile; }
  // The descriptor names a data file made just now: logging in to it sets
  // the new-file flag.
  void SetNewFile() { m_newFileKey = dataFileKey(m_file); }

  // Only the descriptor's data file may be chosen: its kind, place and name
  // (and the buttons that make another) are shown but cannot be changed;
  // the server login and the operator can.
  void KeepDataFile();
  // Only the descriptor's operator may log in (windows he opened are still
  // open and act for him): the operator box is fixed, his password asked.
  void KeepOperator();

  // The client update began from the dialog: the program is ending.
  bool IsUpdating() const { return m_bUpdating; }

  bool SaveData() override;
  void OnEnter() override;

 protected:
  void OnInitDialog() override;

 private:
  // The descriptor as the fields say (kind, name, connect information and
  // the operator chosen).
  CKvDataFile fieldsToFile() const;
  void showFile(const CKvDataFile& file);
  void kindChanged();
  void browse();
  void createDataFile();
  // Converts (1) or copies (2) the data file named; the dialog then names
  // the new one.
  void makeFromDataFile(int nMode);
  // Lists the operators of the data file the fields name (opened quietly);
  // keeps the selected operator when it is listed.
  void probe(bool bForce = false);
  // Which data file a descriptor names (kind, place and name).
  static QString dataFileKey(const CKvDataFile& file);

  CKvDataFile m_file;
  bool m_bNewFile = false;
  bool m_bUpdating = false;
  QString m_newFileKey;
  QString m_probedKey;
  // The operator KeepOperator fixed; empty when any may log in.
  QString m_keptOperator;

  QComboBox* m_kind;
  QWidget* m_filePage;
  QWidget* m_serverPage;
  QLineEdit* m_path;
  QPushButton* m_browse;
  QLabel* m_serverLabel;
  QLineEdit* m_server;
  QLineEdit* m_user;
  QLineEdit* m_serverPassword;
  QCheckBox* m_remember;
  QLineEdit* m_database;
  QComboBox* m_operator;
  QLabel* m_operatorNote;
  QLineEdit* m_password;
  QPushButton* m_newFile;
  QPushButton* m_convertFile;
  QPushButton* m_copyFile;
};
