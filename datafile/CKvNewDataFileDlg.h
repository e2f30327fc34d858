#pragma once
// The new year's data file dialog (813 "建立新年度数据文件"): gathers the
// place (a folder, or the account-set number on a server), the year and,
// for a first year, an example file as the template; OK hands them to
// KvNewDataFile, which makes the file, and closes only when it was made.
// Modes 1 (convert) and 2 (copy) show no template controls; in mode 1 the
// year is the source's.

#include "datafile/KvNewDataFile.h"
#include "ui/CKvDlg.h"

#include <QStringList>

class CKvComboBoxEx;
class CKvEdit;
class QCheckBox;
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
  };

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

  bool SaveData() override;
  void GetToolTipText(QString* text, int controlId) override;

 protected:
  void OnInitDialog() override;

 private:
  void proposeYear();
  void chooseLocation();
  void chooseExampleFolder();
  void fillExamples();

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
};
