#pragma once
// The new year's data file dialog (813 "建立新年度数据文件"): gathers the
// place (a folder, or the account-set number on a server), the year and,
// for a first year, an example file as the template; OK hands them to
// KvNewDataFile, which makes the file, and closes only when it was made.
// Modes 1 (convert) and 2 (copy) show no template controls; in mode 1 the
// year is the source's, the title says which way the file is converted, and
// a file converted to the server asks for the server (PostgreSQL or an ODBC
// data source, user and password) besides the set number.

#include "datafile/KvNewDataFile.h"
#include "ui/CKvDlg.h"

#include <QStringList>

class CKvComboBoxEx;
class CKvEdit;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QLabel;
class QPushButton;

class CKvNewDataFileDlg : public CKvDlg {
  Q_OBJECT
 public:
  enum : int {
    IdLocationLabel = 1092,
    IdLocation = 1155,
    IdBrowse = 1074,
    IdYearLabel = 1091,
    IdYear = 1105,
    IdUseExample = 1111,
    IdExampleFolderLabel = 1093,
    IdExampleBrowse = 1075,
    IdExampleFolder = 1156,
    IdExampleLabel = 1094,
    IdExample = 1110,
    // Converting a file to the server: where the server database goes.
    IdServerKind = 1000,
    IdServer = 1003,
    IdUser = 1004,
    IdServerPassword = 1005,
  };
  // The choices of IdServerKind.
  enum : int { ServerPostgres = 0, ServerOdbc = 1 };

  // kind: of the file to make; currentName: the open data file's name;
  // info: its connect information.
  CKvNewDataFileDlg(int nKind, const QString& currentName, const CKvDbInfo& info, QWidget* parent = nullptr);

  // Before the dialog runs: mode 1 (source kind and connect information for
  // a server source) or 2, with the source's name.
  void SetSource(int nMode, const QString& sourceName, int nSourceKind = 0,
                 const CKvDbInfo& sourceInfo = CKvDbInfo());

  // After OK.
  const QString& GetNewFileName() const { return m_service.m_strNewName; }
  const QString& GetLocation() const { return m_service.m_strLocation; }
  bool IsOpenNow() const { return m_service.m_bOpenNow; }
  // The kind and connect information of the file made (a conversion to the
  // server: the server given in the dialog).
  int GetKind() const { return m_service.GetKind(); }
  const CKvDbInfo& GetTargetInfo() const { return m_service.GetInfo(); }

  bool SaveData() override;
  void GetToolTipText(QString* text, int controlId) override;

 protected:
  void OnInitDialog() override;

 private:
  void proposeYear();
  void chooseLocation();
  void chooseExampleFolder();
  void fillExamples();
  // A conversion to the server: the server fields as the target, and the
  // next free set number there unless one was typed.
  bool toServer() const;
  void serverChanged();

  KvNewDataFile m_service;
  QString m_strCurrentName;
  QStringList m_examplePaths;

  QLabel* m_locationLabel;
  CKvEdit* m_location;
  QPushButton* m_browse;
  QLabel* m_yearLabel;
  CKvEdit* m_year;
  QCheckBox* m_useExample;
  QWidget* m_exampleBox;
  CKvEdit* m_exampleFolder;
  CKvComboBoxEx* m_example;
  QWidget* m_serverBox;
  QComboBox* m_serverKind;
  QLabel* m_serverLabel;
  QLineEdit* m_server;
  QLineEdit* m_user;
  QLineEdit* m_serverPassword;
  bool m_bSetTyped = false;
};
