#pragma once
// The source file of a unit import: a file dialog (title "选择源数据文件")
// with a box of one check box per data module. Confirming a file checks
// that it fits the open data file (another file of the same year, month
// close, version and business months of the chosen modules), lets the
// operator pick the source unit when the file has units, and that the unit
// owns rows; a refusal keeps the dialog open.

#include <QFileDialog>
#include <QList>

class CKvDb;
class QCheckBox;

class CKvDwImportDlg : public QFileDialog {
  Q_OBJECT
 public:
  // pDb: the open data file the units are imported into.
  explicit CKvDwImportDlg(CKvDb* pDb, QWidget* parent = nullptr);

  // After OK: the source file, the chosen modules (";"-joined numbers) and
  // the source unit (empty when the file keeps no units).
  QString SourcePath() const { return m_strPath; }
  QString Modules() const { return m_strModules; }
  QString SourceUnit() const { return m_strUnit; }

  // Runs the checks on the file; false (after the message) keeps the dialog
  // open.
  bool CheckSource(const QString& path);

  void accept() override;

 private:
  bool Refuse(const QString& message);

  CKvDb* m_pDb;
  QList<QCheckBox*> m_boxes;
  QString m_strPath;
  QString m_strModules;
  QString m_strUnit;
};
