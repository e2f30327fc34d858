#pragma once
// The list of one timetabling catalogue (teachers, courses or shared rooms)
// in its list dialog: the catalogue's rows in code order, and new, open,
// change and delete through the catalogue's edit dialog and table. The
// three catalogues differ only in what KvPkCatalog gives.
//
// Rules: new and open need the catalogue's right; change and delete also
// exactly one selected row. Cut, copy and paste are off and left out of the
// right-click menu with select all. New runs the edit dialog again after
// each save, until it is cancelled; delete asks nothing and, when the table
// refuses, changes and logs nothing. A delete and its log entry are kept
// together or not at all.

#include "ui/CKvListCtrl.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class CKvDb;

struct KvPkCatalog {
  QStringList columns;
  QList<int> widths;
  // Icon of the rows; 0 none.
  int icon = 0;
  // The operation code of the log (module x 100 + operation).
  int logCode = 0;
  std::function<bool()> hasRight;
  // The rows in code order, one text per column.
  std::function<QList<QStringList>(CKvDb*)> rows;
  // Deletes the row of the code inside the caller's transaction; a
  // refusal is handed back to be shown once that transaction has ended.
  std::function<bool(const QString& code, CKvDb*, QString* pRefusal)> remove;
  // Runs the edit dialog: mode 1 adds (code: a row whose values it may
  // start from, or empty), 0 changes the row of the code. The code saved;
  // empty when cancelled.
  std::function<QString(int mode, const QString& code, CKvDb*, QWidget* parent)> edit;
};

class CKvPkCatalogList : public CKvListCtrl {
  Q_OBJECT
 public:
  CKvPkCatalogList(KvPkCatalog catalog, CKvDb* pDb, QWidget* parent = nullptr);

  // Columns, styles and icons; then Refill.
  void Setup();
  // Reads the rows again and selects the row of the code (none: no row).
  void Refill(const QString& code);
  // Deletes the row of the code and logs it, together; false when the
  // table refused or a statement failed (nothing changed then).
  bool DeleteCode(const QString& code);

  bool IsCmdEnabled(int id) override;
  void GetIconIds(QList<int>* ids) const override;
  void OnPrepareContextMenu(QMenu* popup) override;
  void OnNew() override;
  void OnOpen() override;
  void OnModify() override;
  void OnDelete() override;

  // The dialog's mode; 0 from every caller here.
  int m_nMode = 0;

 private:
  bool hasRight() const { return !m_catalog.hasRight || m_catalog.hasRight(); }
  QString selectedCode() const;

  KvPkCatalog m_catalog;
};
