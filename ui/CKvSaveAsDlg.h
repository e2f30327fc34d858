#pragma once
// The file dialog of an export: the program's own (not the desktop's) save
// dialog offering some of three kinds of file, 0 text (*.txt), 1 workbook
// (*.xlsx) and 2 SQLite data file (*.db), in the order the caller gives.
// The folder and kind of the last export are remembered ("SaveAsDir" and
// "SaveAsType" under "Software\zrvsoft\kvqy"); choosing another type in the
// dialog changes a typed name's extension to match.
//
// SaveList runs the whole workflow and answers with a path that is safe to
// write: its extension names an offered kind, its title is not empty, and
// it is not a folder. The dialog does not ask about an existing file: the
// caller asks (KvMayReplaceFile) after its data-file guard. An existing file
// is not removed here: the writers replace it only once the new file is
// complete.

#include <QFileDialog>
#include <QList>
#include <QString>
#include <QStringList>

class CKvSaveAsDlg : public QFileDialog {
  Q_OBJECT
 public:
  // The dialog offering `kinds` (each 0, 1 or 2).
  explicit CKvSaveAsDlg(const QList<int>& kinds, QWidget* parent = nullptr);

  // The extension ("txt", "xlsx", "db") and the dialog's type text of a kind.
  static QString KindExtension(int kind);
  static QString KindFilter(int kind);

  // Asks for the file: the remembered folder and `defaultName` with the
  // extension of the remembered kind (when it is offered, else the first
  // offered kind) are proposed. False when cancelled or the answer is
  // refused (with the message "“%s”，文件名不正确，没有带正确的扩展（类型）
  // 名！", "空文件名！" or "“%s”是文件夹！"); otherwise *path and *kind
  // hold the choice.
  static bool SaveList(QString* path, int* kind, const QString& defaultName,
                       const QList<int>& kinds, QWidget* parent = nullptr);

  // The offered kinds in filter order and their extensions.
  QList<int> m_kinds;
  QStringList m_exts;
  // Index in m_kinds of the type chosen in the dialog.
  int m_nKind = 0;

 private:
  // The type changed: its text begins with the kind's digit. A typed name
  // with one of the offered extensions takes the new kind's.
  void OnTypeChange(const QString& filter);
};
