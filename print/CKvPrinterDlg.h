#pragma once
// The list of named printer profiles (dialog 809 "打印机列表") of the
// application's data file: add, rename and delete profiles, choose where
// each prints for this user (the system's default queue, a queue, or a PDF
// file) and make one the current profile.
//
// Every change takes effect at once (the dialog has only "关闭"): profile
// rows through KvAddPrinterProfile, KvRenamePrinterProfile and
// KvDeletePrinterProfile, the queue in the user's settings. Each change is
// written to the operation log (28).

#include "ui/CKvDlg.h"

class CKvDb;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class CKvPrinterDlg : public CKvDlg {
  Q_OBJECT
 public:
  explicit CKvPrinterDlg(QWidget* parent = nullptr);

 protected:
  void OnInitDialog() override;

 private:
  // Reads the profiles again and selects `name` (else the current one).
  void reload(const QString& name);
  void selectionChanged();
  QString selectedName() const;
  void addProfile();
  void renameProfile();
  void deleteProfile();
  void makeCurrent();
  void queueChosen(int index);

  CKvDb* m_db;
  QTreeWidget* m_list;
  QLineEdit* m_name;
  QComboBox* m_queue;
  QPushButton* m_add;
  QPushButton* m_rename;
  QPushButton* m_delete;
  QPushButton* m_current;
};
