#pragma once
// Combo boxes that many data-entry dialogs share: operators, years, months,
// sex and nationality. A getter that finds nothing chosen where a choice is
// needed shows its message under the stop icon, puts the focus on the combo
// box and returns false.

#include <QString>

class CKvDb;
class QComboBox;
class QLineEdit;

// Fills the combo box with the operators of the database (table OPR), in
// code order, each "<code><name>". Returns their number (0 when OPR cannot
// be read; the query reports why).
int KvFillOperatorCombo(QComboBox* combo, CKvDb* pDb);
// The code (first 3 characters) of the chosen operator; none chosen:
// "未选择操作员！" unless an empty choice is allowed.
bool KvGetOperatorCombo(QComboBox* combo, QString* code, bool bAllowEmpty = false);

// An empty first item, then `count` years from firstYear (0: the data
// file's year), each "yyyy年". Selects the year *yearText begins with; when
// there is none, the empty item, and *yearText becomes the first year.
void KvFillYearCombo(QComboBox* combo, int firstYear, int count, QString* yearText);
// The year (first 4 characters) of the chosen item; an empty choice:
// "未选择年度！" unless allowed.
bool KvGetYearCombo(QComboBox* combo, QString* year, bool bAllowEmpty = false);

// An empty first item, then "01月" to "12月".
void KvFillMonthCombo(QComboBox* combo);
// The chosen month (1 to 12; 0 for the empty item); an empty choice:
// "未选择月份！" unless allowed.
bool KvGetMonthCombo(QComboBox* combo, int* month, bool bAllowEmpty = false);

// "男" and "女".
void KvFillSexCombo(QComboBox* combo);
// The index of the chosen item; none: "未选择性别!".
bool KvGetSexCombo(QComboBox* combo, int* index);

// The 56 nationalities and "其他"; selects `name`, else "汉".
void KvFillNationCombo(QComboBox* combo, const QString& name);
// The chosen name; none: "未选择民族!".
bool KvGetNationCombo(QComboBox* combo, QString* name);

// The drop-down list of the combo box opens with the Down arrow instead of
// the arrow stepping through its items.
void KvSetComboExtendedUi(QComboBox* combo);

// Makes the combo box editable (with `edit` as its field when given) for
// texts the operator types or chooses from its list: nothing typed enters
// the list, and no completer fills in the rest of a text from it, so that
// what was typed is what is used.
void KvSetComboEditable(QComboBox* combo, QLineEdit* edit = nullptr);
