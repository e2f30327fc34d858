#pragma once
// The SQL console (window 795, "SQL语言数据维护"): an administrator types or
// loads SQL statements, runs them on the data file in one transaction, sees
// how many rows they touched and then keeps or undoes their work. The
// window stays open after each run. Statements are read from and saved to
// ".sql" files.
//
// Only the administrator, or an operator holding right 0007, may use it;
// the window checks that again when it opens and closes otherwise. Each run
// takes the safety backup first (a failed backup runs nothing) and then
// runs on a connection of its own, so that the application's connection
// holds no transaction and no open read meanwhile; texts that control the
// transaction themselves are refused (KvSqlConsole.h).

#include "ui/CKvDlg.h"

class CKvDb;
class QPlainTextEdit;

class CKvSqlDlg : public CKvDlg {
  Q_OBJECT
 public:
  enum : unsigned { IDD = 795 };
  enum : int { IDC_STATEMENT = 1000, IDC_READ = 1063, IDC_SAVE = 1064 };

  // Works on pDb, which the caller keeps.
  explicit CKvSqlDlg(CKvDb* pDb, QWidget* parent = nullptr);

  QString m_strStatement;

  // Button 1063: loads a statement file into the editor.
  void OnRead();
  // Button 1064: saves the editor's text to a statement file.
  void OnSave();

 protected:
  void OnInitDialog() override;
  bool DoDataExchange(bool bSaveAndValidate) override;
  // Runs the statements; false always, so that the window stays open.
  bool SaveData() override;

 private:
  // The file box of reading (bSave false) or saving; empty when cancelled.
  QString askFile(bool bSave);
  // After a committed run on the application's data file: what the program
  // keeps in memory from it (the SYSTAB row and log switch, the modules'
  // parameters) is read again. Open windows keep what they show; their
  // saves compare with the stored rows as after another workstation's
  // change.
  void readDataFileAgain();

  CKvDb* m_pDb;
  QPlainTextEdit* m_pEdit;
};
