#pragma once
// The folder chooser (dialog 804 "文件夹浏览"): a tree of folders beside an
// edit field holding the chosen path. The tree's top level holds the home
// folder, the desktop, the file system's root "/" and the mounted volumes;
// a folder's subfolders are read once, when it is first expanded or
// selected, and sorted in Chinese order (case ignored). Hidden folders are
// shown only where they lie on the path the dialog was opened with.
// Selecting a folder puts its path into the edit field.
//
// OK accepts an existing folder. A path that does not exist is offered for
// creation ("文件夹“%s”不存在，要创建它吗？"); the dialog closes only once
// the folder is there, so No, Cancel and a failed creation leave it open.
// GetPath gives the chosen folder after OK.

#include "ui/CKvDlg.h"

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

class CKvFolderDlg : public CKvDlg {
  Q_OBJECT
 public:
  // Control ids.
  enum : int {
    IDC_PATH = 1013,
    IDC_TREE = 1014,
    IDC_UNIT_LABEL = 1210,
    IDC_UNIT = 1211,
  };

  // `path` is shown and selected when the dialog opens; an empty `title`
  // keeps "文件夹浏览".
  explicit CKvFolderDlg(const QString& path, const QString& title = QString(), unsigned idd = 804,
                        QWidget* parent = nullptr);

  QString GetPath() const { return m_strPath; }

 protected:
  void OnInitDialog() override;
  bool DoDataExchange(bool bSaveAndValidate) override;
  bool SaveData() override;
  // Hides the accounting-unit row, which this dialog does not use.
  virtual void ArrangeControls();

 private:
  void FillRoot();
  // Reads the item's subfolders into the tree, once.
  void FillChildren(QTreeWidgetItem* item);
  QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const QString& name, const QString& path,
                             const QIcon& icon);
  // Expands the tree along the path and selects the deepest folder of it
  // that is found.
  void ShowPath(const QString& path);
  void OnSelectionChanged();

  QString m_strPath;
  QString m_strTitle;
  // The path the dialog opened with, cleaned: hidden folders along it show.
  QString m_initialPath;
  QLineEdit* m_edit = nullptr;
  QTreeWidget* m_tree = nullptr;
  QLabel* m_unitLabel = nullptr;
  QComboBox* m_unit = nullptr;
};
