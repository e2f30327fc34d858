#pragma once
// The upper pane of the log window (form 859): the filters (year, month
// and day of the start, computer, operator, operation and module) over the
// task list. A change of filter stores it in the document's open arguments
// and loads the tasks again; selecting a single task shows its entries in
// the lower pane (none for several); Delete removes the selected tasks
// with their entries, all but the one this program is writing now.

#include "ui/CZrvFormView.h"

class CKvLogDoc;
class CKvLogTaskList;
class QComboBox;

class CKvLogView : public CZrvFormView {
  Q_OBJECT
 public:
  enum : unsigned { IDD = 859 };
  enum : int {
    IDC_MONTH = 1001,
    IDC_YEAR = 1065,
    IDC_DAY = 1066,
    IDC_COMPUTER = 1067,
    IDC_OPERATOR = 1068,
    IDC_OPERATION = 1069,
    IDC_MODULE = 1070,
  };

  CKvLogView(CKvLogDoc* pDoc, QWidget* parent = nullptr);

  void initialUpdate() override;

  // Loads the tasks the filters let through.
  void LoadTasks();
  // Deletes the selected tasks after asking.
  void DeleteTasks();

  CKvLogTaskList* TaskList() const { return m_pList; }
  QComboBox* Combo(int id) const;

 private:
  // Refills the month, day and operation boxes from the stored filters.
  void fillMonths();
  void fillDays();
  void fillOperations();
  // A date box was chosen: the date filter is rebuilt from the left.
  void dateChosen(int level);
  // The computer, operator or operation box was chosen.
  void textChosen(int arg, QComboBox* combo);
  void moduleChosen();
  void taskSelected();

  CKvLogDoc* m_pDoc;
  QComboBox* m_pYear;
  QComboBox* m_pMonth;
  QComboBox* m_pDay;
  QComboBox* m_pComputer;
  QComboBox* m_pOperator;
  QComboBox* m_pOperation;
  QComboBox* m_pModule;
  CKvLogTaskList* m_pList;
  bool m_bFilling = false;
};
