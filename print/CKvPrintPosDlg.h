#pragma once
// The positioned-print settings (window 819 "自定位打印设置"): the operator
// picks one of the layouts the modules offer and edits its fields in a
// table: where each text prints (x and y in 0.1 mm from the paper's
// corner), its font, and the text with its macro tokens. The module's own
// fields can be changed but not deleted; fields the operator adds can be
// deleted. A test print prints the fields as they stand, tokens and all.
//
// A layout whose stored changes could not be read is shown read-only, with
// a note: its module positions are not the school's, and storing them would
// replace what is stored. The other layouts stay editable.
//
// OK checks every edited layout (positions on the queue's default paper,
// whole numbers, names and texts that fit the store) and stores them all in
// one transaction; a problem is shown and the dialog stays open. A layout
// whose stored rows another window or workstation changed since they were
// read is refused, and nothing is stored.

#include "print/KvPrintPosFields.h"
#include "ui/CKvDlg.h"

#include <QMap>
#include <QSet>

class CKvDb;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

class CKvPrintPosDlg : public CKvDlg {
  Q_OBJECT
 public:
  CKvPrintPosDlg(CKvDb* db, QWidget* parent = nullptr);

  // The columns of the field table.
  enum Column {
    NameColumn = 0,
    TextColumn,
    XColumn,
    YColumn,
    HeightColumn,
    WeightColumn,
    ItalicColumn,
    UnderlineColumn,
    FaceColumn,
    ColumnCount
  };

  bool SaveData() override;

 protected:
  void OnInitDialog() override;

 private:
  void showLayout(int index);
  void fillTable(const QList<KvPrintPosField>& fields, bool editable);
  // The table's fields; with `check`, false after a message (and the cell
  // selected) at the first value that cannot be stored.
  bool readTable(QList<KvPrintPosField>* fields, bool check);
  // Keeps the table's fields as the shown layout's edits.
  bool keepShown(bool check);
  void addField();
  void deleteField();
  void testPrint();
  void updateButtons();
  bool refuse(int row, int column, const QString& text);

  CKvDb* m_db;
  QSize m_paper;
  QList<KvPrintPosLayout> m_layouts;
  int m_shown = -1;  // index into m_layouts
  // Layout id -> its fields as edited.
  QMap<int, QList<KvPrintPosField>> m_edits;
  // Layout id -> its fields as read.
  QMap<int, QList<KvPrintPosField>> m_loaded;
  // Layout id -> its stored rows as read: what a save expects to replace.
  QMap<int, QList<CKvCsRec>> m_stored;
  // Layout ids whose stored changes could not be read: shown, never stored.
  QSet<int> m_unread;
  // Field numbers of the table's rows.
  QList<int> m_numbers;

  QComboBox* m_layoutBox;
  QTableWidget* m_table;
  QLabel* m_unreadNote;
  QPushButton* m_add;
  QPushButton* m_delete;
  QPushButton* m_test;
};
