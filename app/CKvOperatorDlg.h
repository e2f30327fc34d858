#pragma once
// The operators and rights dialog (810): the operators of a data file with
// their rights and, in group accounting, the units each may see. Every
// change is written at once and logged ("操作员管理"): adding an operator
// (a unique three-digit code), changing a code (through the application's
// code references, with OPR and PWR in the same transaction) or a name,
// deleting (never "101", never an operator whose code is still used),
// clearing a password, ticking a right (the operator's PWR rows rewritten
// in one transaction) and ticking a unit (KvSetDwRight). No password is
// ever shown.

#include "app/CKvDwRec.h"
#include "app/KvOperatorStore.h"
#include "ui/CKvDlg.h"

#include <QList>
#include <QStringList>

#include <functional>

class KvDbTransaction;

class CKvDb;
class CKvListCtrl;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CKvOperatorDlg : public CKvDlg {
  Q_OBJECT
 public:
  enum : unsigned { IDD = 810 };
  enum : int {
    IDC_OPERATORS = 1001,
    IDC_ADD = 1002,
    IDC_MODIFY = 1003,
    IDC_DELETE = 1004,
    IDC_CLEAR_PASSWORD = 1005,
    IDC_RIGHTS = 1006,
    IDC_UNITS = 1007,
  };

  // Saves the code and name typed in the operator's dialog; false when
  // refused (the message shown).
  using SaveFn = std::function<bool(const QString& code, const QString& name)>;

  explicit CKvOperatorDlg(CKvDb* pDb, QWidget* parent = nullptr);

  // The operations behind the buttons, on the selected operator; each
  // shows its own messages and returns true when it changed the data.
  bool AddOperator(const QString& code, const QString& name);
  bool ModifyOperator(const QString& oldCode, const QString& code, const QString& name);
  bool DeleteOperator(const QString& code);
  bool ClearPassword(const QString& code);
  // Rewrites the operator's rights to the ticked codes.
  bool SaveRights(const QString& code, const QStringList& rights);
  // Grants or revokes the operator's access to a leaf unit.
  bool SetUnitAccess(const QString& code, const QString& unitCode, bool bGrant);

  // The selected operator's code; empty when none.
  QString SelectedOperator() const;
  // Selects the operator and shows his rights and units.
  void SelectOperator(const QString& code);

 protected:
  void OnInitDialog() override;

 private:
  void fillOperators();
  void showRightsAndUnits();
  // The unit ticks from the visibility rows, the tree's items kept.
  void refreshUnitChecks();
  void onAdd();
  void onModify();
  void onDelete();
  void onClearPassword();
  void onRightsChanged();
  void onUnitChanged(QTreeWidgetItem* item);
  void updateButtons();
  // Asks for a code and a name (dialog 811) and saves them on its OK; the
  // code saved, empty when cancelled.
  QString askOperator(const QString& caption, const QString& code, const QString& name,
                      const SaveFn& save);
  // Under the locks of a write: the operator is stored as the list read him
  // (his name), and his rights as the rights list read them; otherwise the
  // write is rolled back, then refused with a message.
  bool isAsRead(KvDbTransaction& transaction, const QString& code);
  bool rightsAsRead(KvDbTransaction& transaction, const QString& code);

  CKvDb* m_pDb;
  QList<KvOperator> m_operators;
  QStringList m_rightCodes;
  QStringList m_rightNames;
  CKvListCtrl* m_list;
  CKvListCtrl* m_rights;
  QTreeWidget* m_units;
  QPushButton* m_modify;
  QPushButton* m_delete;
  QPushButton* m_clearPassword;
  bool m_filling = false;
  // The operator whose rights the list shows, and the rights read for him.
  QString m_heldCode;
  QStringList m_heldRights;
};
