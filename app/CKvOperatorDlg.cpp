#include "app/CKvOperatorDlg.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvOperation.h"
#include "app/KvAppQuery.h"
#include "app/KvDwRight.h"
#include "core/KvLockOrder.h"
#include "app/KvOperatorDialogs.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "core/KvWidth.h"
#include "ui/CKvEdit.h"
#include "ui/CKvListCtrl.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

// The administrator's code.
const QString kAdmin = QStringLiteral("101");
// Width of OPR.NA.
constexpr int kNameWidth = 8;
// The operation "操作员管理" of the log.
constexpr int kLogCode = 10;

void showStop(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP); }

bool confirm(const QString& text) {
  return KvMessageBox(text, KV_MB_YESNO | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2) == KV_IDYES;
}

QString quoted(CKvDb* pDb, const QString& text) { return u'\'' + pDb->QuoteText(text) + u'\''; }

// A code and a name that may be stored; otherwise the message is shown.
bool checkOperatorInput(const QString& code, const QString& name) {
  static const QRegularExpression threeDigits(QStringLiteral("^[0-9]{3}$"));
  if (!threeDigits.match(code).hasMatch()) {
    showStop(QStringLiteral("操作员代码必须是三位数字！"));
    return false;
  }
  if (name.trimmed().isEmpty()) {
    showStop(QStringLiteral("操作员姓名不能为空！"));
    return false;
  }
  if (KvTextWidth(name) > kNameWidth) {
    showStop(QStringLiteral("操作员姓名不能超过4个汉字或8个字母！"));
    return false;
  }
  return true;
}

// After a write of OPR under the table lock: the code must be there once;
// otherwise the change is rolled back and refused.
bool codeIsUnique(CKvDb* pDb, KvDbTransaction& transaction, const QString& code) {
  int count = 0;
  if (KvAppSelectInt(pDb, QStringLiteral("Select Count(*) From OPR Where OPNO=%1").arg(quoted(pDb, code)),
                     QString(), &count) &&
      count == 1)
    return true;
  transaction.Rollback();
  showStop(QStringLiteral("操作员代码%1已经存在！").arg(code));
  return false;
}

// Whether revoking the leaf would leave the operator no row, so that he
// would see every unit; -1 when his rows cannot be read.
int revokeFreesOperator(CKvDb* pDb, const QString& code, const QString& unitCode) {
  CKvDwArray leaves;
  const int restricted = CKvDwRec().KvGetDwOperatorLeaves(pDb, code, &leaves);
  if (restricted < 0)
    return -1;
  if (restricted == 2)
    CKvDwRec().KvFindDw(QString(), 4, &leaves);
  return leaves.size() == 1 && leaves.first().KNO == unitCode ? 1 : 0;
}

// The application's data file, when the dialog works on its connection.
CKvDataFile* appFileOf(CKvDb* pDb) {
  CKvApp* app = KvGetApp();
  return app && app->GetDb() == pDb ? &app->GetDataFile() : nullptr;
}

// The code and name of one operator (dialog 811), saved on its OK: a
// refused save keeps it open with what was typed.
class CKvOperatorEditDlg : public CKvDlg {
 public:
  enum : int { IDC_CODE = 1101, IDC_NAME = 1102 };

  CKvOperatorEditDlg(const QString& caption, const QString& code, const QString& name,
                     CKvOperatorDlg::SaveFn save, QWidget* parent)
      : CKvDlg(811, parent), m_save(std::move(save)) {
    setWindowTitle(caption);
    m_code = KvSetControlId(new CKvEdit(this), IDC_CODE);
    m_code->SetInputType(QStringLiteral("STRING DIGIT"), 3);
    m_code->setText(code);
    m_name = KvSetControlId(new CKvEdit(this), IDC_NAME);
    m_name->SetInputType(QStringLiteral("MDBSTRING"), kNameWidth);
    m_name->setText(name);
    m_name->setMinimumWidth(160);
    auto* buttons = new QDialogButtonBox(this);
    KvSetControlId(buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole), KV_IDOK);
    KvSetControlId(buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole),
                   KV_IDCANCEL);
    auto* layout = new QGridLayout(this);
    auto* codeLabel = new QLabel(QStringLiteral("代码(&C)："), this);
    codeLabel->setBuddy(m_code);
    auto* nameLabel = new QLabel(QStringLiteral("姓名(&N)："), this);
    nameLabel->setBuddy(m_name);
    layout->addWidget(codeLabel, 0, 0);
    layout->addWidget(m_code, 0, 1);
    layout->addWidget(nameLabel, 1, 0);
    layout->addWidget(m_name, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
  }

  QString Code() const { return m_code->text().trimmed(); }
  QString Name() const { return m_name->text().trimmed(); }

 protected:
  bool SaveData() override { return checkOperatorInput(Code(), Name()) && m_save(Code(), Name()); }

 private:
  CKvOperatorDlg::SaveFn m_save;
  CKvEdit* m_code;
  CKvEdit* m_name;
};

}  // namespace

CKvOperatorDlg::CKvOperatorDlg(CKvDb* pDb, QWidget* parent) : CKvDlg(IDD, parent), m_pDb(pDb) {
  setWindowTitle(QStringLiteral("操作员及操作权限"));
  if (CKvApp* app = KvGetApp())
    app->GetRightCatalogue(m_rightCodes, m_rightNames);

  m_list = KvSetControlId(new CKvListCtrl(this), IDC_OPERATORS);
  m_list->InitList();
  m_list->ModifyStyle(0, CKvListCtrl::LVS_SINGLESEL);
  m_list->SetColumns({QStringLiteral("代码"), QStringLiteral("姓名")}, {60, 110});
  auto* add = KvSetControlId(new QPushButton(QStringLiteral("增加(&A)..."), this), IDC_ADD);
  m_modify = KvSetControlId(new QPushButton(QStringLiteral("修改(&M)..."), this), IDC_MODIFY);
  m_delete = KvSetControlId(new QPushButton(QStringLiteral("删除(&D)"), this), IDC_DELETE);
  m_clearPassword =
      KvSetControlId(new QPushButton(QStringLiteral("清除口令(&P)"), this), IDC_CLEAR_PASSWORD);

  m_rights = KvSetControlId(new CKvListCtrl(this), IDC_RIGHTS);
  m_rights->InitList();
  m_rights->SetExStyle(CKvListCtrl::LVS_EX_CHECKBOXES);
  m_rights->SetColumns({QStringLiteral("代码"), QStringLiteral("操作权限")}, {80, 180});
  m_units = KvSetControlId(new QTreeWidget(this), IDC_UNITS);
  m_units->setHeaderHidden(true);

  auto* close = KvSetControlId(new QPushButton(QStringLiteral("关闭"), this), KV_IDCANCEL);

  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(QStringLiteral("操作员："), this));
  left->addWidget(m_list, 1);
  auto* buttons = new QGridLayout;
  buttons->addWidget(add, 0, 0);
  buttons->addWidget(m_modify, 0, 1);
  buttons->addWidget(m_delete, 1, 0);
  buttons->addWidget(m_clearPassword, 1, 1);
  left->addLayout(buttons);

  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel(QStringLiteral("操作权限（打勾者有权）："), this));
  right->addWidget(m_rights, 3);
  right->addWidget(new QLabel(QStringLiteral("可访问的核算单位："), this));
  right->addWidget(m_units, 2);

  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 2);
  columns->addLayout(right, 3);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addLayout(bottom);
  resize(620, 440);

  connect(add, &QPushButton::clicked, this, &CKvOperatorDlg::onAdd);
  connect(m_modify, &QPushButton::clicked, this, &CKvOperatorDlg::onModify);
  connect(m_delete, &QPushButton::clicked, this, &CKvOperatorDlg::onDelete);
  connect(m_clearPassword, &QPushButton::clicked, this, &CKvOperatorDlg::onClearPassword);
  connect(m_list->DetailsView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { showRightsAndUnits(); });
  connect(m_rights->DetailsView()->model(), &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
            if (roles.contains(Qt::CheckStateRole))
              onRightsChanged();
          });
  connect(m_units, &QTreeWidget::itemChanged, this,
          [this](QTreeWidgetItem* item) { onUnitChanged(item); });
}

void CKvOperatorDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  fillOperators();
  if (m_list->GetItemCount() > 0 && m_list->GetFirstSelected() < 0)
    SelectOperator(m_list->GetItemText(0, 0));
}

void CKvOperatorDlg::fillOperators() {
  const QString selected = SelectedOperator();
  m_filling = true;
  m_list->DeleteAllItems();
  KvOperatorStore::Fill(&m_operators, m_pDb, true);
  for (const KvOperator& op : m_operators)
    m_list->AddRow({op.strCode, op.strName});
  m_filling = false;
  if (!selected.isEmpty())
    SelectOperator(selected);
  showRightsAndUnits();
}

QString CKvOperatorDlg::SelectedOperator() const {
  const int row = m_list->GetFirstSelected();
  return row < 0 ? QString() : m_list->GetItemText(row, 0);
}

void CKvOperatorDlg::SelectOperator(const QString& code) {
  // One operator at a time: the list's find adds to the selection.
  m_filling = true;
  m_list->DetailsView()->clearSelection();
  m_list->FindAndSelect(code);
  m_filling = false;
  showRightsAndUnits();
}

void CKvOperatorDlg::showRightsAndUnits() {
  if (m_filling)
    return;
  const QString code = SelectedOperator();
  m_filling = true;

  QStringList held;
  bool read = true;
  if (!code.isEmpty()) {
    CKvQuery query(0, 0, 1, m_pDb);
    read = query.Open(QStringLiteral("Select rtrim(PWR) From PWR Where OPNO=%1").arg(quoted(m_pDb, code)));
    for (; read && !query.IsEOF(); query.MoveNext())
      held.append(query.GetText(0));
  }
  m_heldCode = read ? code : QString();
  m_heldRights = held;
  m_rights->DeleteAllItems();
  // Rights that could not be read (the query has said so) are not listed:
  // a tick stores the operator's rights as the list shows them.
  for (qsizetype i = 0; read && i < m_rightCodes.size(); ++i) {
    m_rights->AddRow({m_rightCodes.at(i), m_rightNames.value(i)});
    m_rights->SetCheck(int(i), held.contains(m_rightCodes.at(i)));
  }
  m_rights->setEnabled(!code.isEmpty() && read);

  // The administrator sees every unit and is never listed.
  m_units->clear();
  QHash<QString, QTreeWidgetItem*> items;
  for (const CKvDwRec& unit : KvGetDwArray()) {
    CKvDwRec parent;
    parent.KvFindDwEx(unit.KNO);
    QTreeWidgetItem* above = items.value(parent.KNO);
    auto* item = above ? new QTreeWidgetItem(above) : new QTreeWidgetItem(m_units);
    item->setText(0, unit.KNO + u' ' + unit.NA);
    item->setData(0, Qt::UserRole, unit.KNO);
    const bool leaf = CKvDwRec().KvFindDw(unit.KNO, 3) == 0;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (leaf && !code.isEmpty() && code != kAdmin)
      flags |= Qt::ItemIsUserCheckable;
    item->setFlags(flags);
    items.insert(unit.KNO, item);
  }
  m_units->expandAll();
  m_units->setEnabled(!code.isEmpty() && code != kAdmin && !KvGetDwArray().isEmpty());
  m_filling = false;
  refreshUnitChecks();
  updateButtons();
}

void CKvOperatorDlg::refreshUnitChecks() {
  const QString code = SelectedOperator();
  m_filling = true;
  CKvDwRec scratch;
  for (QTreeWidgetItemIterator it(m_units); *it; ++it) {
    const QString unit = (*it)->data(0, Qt::UserRole).toString();
    // A list that cannot be read shows no access.
    const int right = code.isEmpty() ? 0 : scratch.KvCheckDwRight(m_pDb, unit, code);
    (*it)->setCheckState(0, right > 0 ? Qt::Checked : Qt::Unchecked);
  }
  m_filling = false;
}

void CKvOperatorDlg::updateButtons() {
  const QString code = SelectedOperator();
  m_modify->setEnabled(!code.isEmpty());
  m_delete->setEnabled(!code.isEmpty() && code != kAdmin);
  m_clearPassword->setEnabled(!code.isEmpty());
}

QString CKvOperatorDlg::askOperator(const QString& caption, const QString& code,
                                   const QString& name, const SaveFn& save) {
  CKvOperatorEditDlg dialog(caption, code, name, save, this);
  return KvExecDialog(&dialog) == QDialog::Accepted ? dialog.Code() : QString();
}

void CKvOperatorDlg::onAdd() {
  const QString code = askOperator(QStringLiteral("增加操作员"), QString(), QString(),
                                   [this](const QString& c, const QString& n) { return AddOperator(c, n); });
  if (!code.isEmpty()) {
    fillOperators();
    SelectOperator(code);
  }
}

void CKvOperatorDlg::onModify() {
  const QString old = SelectedOperator();
  const int row = m_list->GetFirstSelected();
  if (old.isEmpty())
    return;
  const QString code =
      askOperator(QStringLiteral("修改操作员"), old, m_list->GetItemText(row, 1),
                  [this, old](const QString& c, const QString& n) { return ModifyOperator(old, c, n); });
  // Saved or cancelled, the list shows what is stored now.
  fillOperators();
  if (!code.isEmpty())
    SelectOperator(code);
}

void CKvOperatorDlg::onDelete() {
  const QString code = SelectedOperator();
  if (!code.isEmpty()) {
    DeleteOperator(code);
    fillOperators();
  }
}

void CKvOperatorDlg::onClearPassword() {
  const QString code = SelectedOperator();
  if (!code.isEmpty() && !ClearPassword(code))
    fillOperators();
}

void CKvOperatorDlg::onRightsChanged() {
  if (m_filling)
    return;
  const QString code = SelectedOperator();
  QStringList ticked;
  for (int row = 0; row < m_rights->GetItemCount(); ++row) {
    if (m_rights->GetCheck(row))
      ticked.append(m_rights->GetItemText(row, 0));
  }
  // A refused tick shows what is stored now.
  if (!code.isEmpty() && !SaveRights(code, ticked))
    fillOperators();
}

void CKvOperatorDlg::onUnitChanged(QTreeWidgetItem* item) {
  if (m_filling || !item)
    return;
  const QString code = SelectedOperator();
  SetUnitAccess(code, item->data(0, Qt::UserRole).toString(), item->checkState(0) == Qt::Checked);
  // Granting or revoking one leaf may change what every other unit shows;
  // the items stay (this one is still being changed).
  refreshUnitChecks();
}

bool CKvOperatorDlg::AddOperator(const QString& code, const QString& name) {
  if (!m_pDb || !checkOperatorInput(code, name))
    return false;
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive() || !m_pDb->LockTable(QStringLiteral("OPR")) ||
      !m_pDb->Execute(QStringLiteral("Insert Into OPR(OPNO,NA,PSD) Values(%1,%2,'')")
                          .arg(quoted(m_pDb, code), quoted(m_pDb, name))))
    return false;
  if (!codeIsUnique(m_pDb, transaction, code) || !transaction.Commit())
    return false;
  CKvOperation::WriteLog(kLogCode, QStringLiteral("增加操作员：%1 %2").arg(code, name));
  return true;
}

bool CKvOperatorDlg::ModifyOperator(const QString& oldCode, const QString& code,
                                    const QString& name) {
  if (!m_pDb || !checkOperatorInput(code, name))
    return false;
  if (oldCode == kAdmin && code != kAdmin) {
    showStop(QStringLiteral("系统管理员的代码不能修改！"));
    return false;
  }
  CKvApp* app = KvGetApp();
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive() || !m_pDb->LockTable(QStringLiteral("OPR")) ||
      !isAsRead(transaction, oldCode))
    return false;
  if (code != oldCode) {
    if (!app || !app->ChangeCode(m_pDb, QStringLiteral("OPR"), oldCode, code) ||
        !m_pDb->Execute(QStringLiteral("Update PWR Set OPNO=%1 Where OPNO=%2")
                            .arg(quoted(m_pDb, code), quoted(m_pDb, oldCode))))
      return false;
  }
  if (!m_pDb->Execute(QStringLiteral("Update OPR Set OPNO=%1,NA=%2 Where OPNO=%3")
                          .arg(quoted(m_pDb, code), quoted(m_pDb, name), quoted(m_pDb, oldCode))))
    return false;
  if (!codeIsUnique(m_pDb, transaction, code) || !transaction.Commit())
    return false;
  CKvOperation::WriteLog(kLogCode, code == oldCode
                                       ? QStringLiteral("修改操作员：%1 %2").arg(code, name)
                                       : QStringLiteral("修改操作员：%1→%2 %3").arg(oldCode, code, name));
  // The unit lists of the loaded units carry operator codes.
  if (code != oldCode && appFileOf(m_pDb))
    CKvDwRec().KvSelectDw(QString(), QString(), &KvGetDwArray(), m_pDb);
  return true;
}

bool CKvOperatorDlg::DeleteOperator(const QString& code) {
  if (!m_pDb)
    return false;
  if (code == kAdmin) {
    showStop(QStringLiteral("系统管理员不能删除！"));
    return false;
  }
  CKvApp* app = KvGetApp();
  QString places;
  if (!app || !app->IsCodeUnused(m_pDb, QStringLiteral("OPR"), code, nullptr, &places)) {
    showStop(QStringLiteral("操作员%1已在下列表中使用，不能删除：\n%2").arg(code, places));
    return false;
  }
  if (!confirm(QStringLiteral("确实要删除操作员%1吗？").arg(code)))
    return false;
  // Asked again after the answer, under the locks of every table the
  // check reads: another station may have changed him or used his code
  // meanwhile, and a receipt in flight holds PC until it commits.
  KvCodeRefs refs;
  app->GetCodeReferences(QStringLiteral("OPR"), refs);
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive() ||
      !KvLockTablesInOrder(m_pDb, QStringList{QStringLiteral("OPR"), QStringLiteral("PWR")} + refs.Tables) ||
      !isAsRead(transaction, code))
    return false;
  if (!app->IsCodeUnused(m_pDb, QStringLiteral("OPR"), code, nullptr, &places)) {
    transaction.Rollback();
    showStop(QStringLiteral("操作员%1已在下列表中使用，不能删除：\n%2").arg(code, places));
    return false;
  }
  if (!m_pDb->Execute(QStringLiteral("Delete From PWR Where OPNO=%1").arg(quoted(m_pDb, code))) ||
      !m_pDb->Execute(QStringLiteral("Delete From OPR Where OPNO=%1").arg(quoted(m_pDb, code))) ||
      !transaction.Commit())
    return false;
  CKvOperation::WriteLog(kLogCode, QStringLiteral("删除操作员：%1").arg(code));
  return true;
}

bool CKvOperatorDlg::ClearPassword(const QString& code) {
  if (!m_pDb || !confirm(QStringLiteral("确实要清除操作员%1的口令吗？").arg(code)))
    return false;
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive() || !m_pDb->LockTable(QStringLiteral("OPR")) || !isAsRead(transaction, code))
    return false;
  // The update does not report (its statement would show the hash): told
  // here after the rollback, as a lock wait when it gave up on one. A
  // failed commit is told by the connection itself.
  if (!KvOperatorStore::SetPassword(m_pDb, code, QString())) {
    transaction.Rollback();
    if (!m_pDb->IsLost() && !m_pDb->ReportLockWait())
      showStop(QStringLiteral("清除口令失败！"));
    return false;
  }
  if (!transaction.Commit())
    return false;
  if (CKvDataFile* file = appFileOf(m_pDb); file && file->GetOperatorCode() == code)
    file->SetOperatorPassword(QString());
  CKvOperation::WriteLog(kLogCode, QStringLiteral("清除操作员%1的口令").arg(code));
  return true;
}

bool CKvOperatorDlg::isAsRead(KvDbTransaction& transaction, const QString& code) {
  KvOperatorStore store;
  const int found = store.Load(m_pDb, code);
  if (found < 0)
    return false;
  // The list's row of him; an operator the list never read is compared
  // only for being there.
  const auto read = std::find_if(m_operators.cbegin(), m_operators.cend(),
                                 [&](const KvOperator& op) { return op.strCode == code; });
  if (found > 0 && (read == m_operators.cend() || read->strName == store.Operator().strName))
    return true;
  transaction.Rollback();
  showStop(QStringLiteral("操作员%1已在其他工作站修改或删除，本次修改未保存！").arg(code));
  return false;
}

bool CKvOperatorDlg::rightsAsRead(KvDbTransaction& transaction, const QString& code) {
  if (code != m_heldCode)
    return true;
  QStringList stored;
  CKvQuery query(0, 0, 1, m_pDb);
  if (!query.Open(QStringLiteral("Select rtrim(PWR) From PWR Where OPNO=%1").arg(quoted(m_pDb, code))))
    return false;
  for (; !query.IsEOF(); query.MoveNext())
    stored.append(query.GetText(0));
  QStringList held = m_heldRights;
  stored.sort();
  held.sort();
  if (stored == held)
    return true;
  transaction.Rollback();
  showStop(QStringLiteral("操作员%1的操作权限已在其他工作站修改，本次修改未保存！").arg(code));
  return false;
}

bool CKvOperatorDlg::SaveRights(const QString& code, const QStringList& rights) {
  if (!m_pDb)
    return false;
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive() || !m_pDb->LockTable(QStringLiteral("OPR")) ||
      !m_pDb->LockTable(QStringLiteral("PWR")) || !isAsRead(transaction, code) ||
      !rightsAsRead(transaction, code) ||
      !m_pDb->Execute(QStringLiteral("Delete From PWR Where OPNO=%1").arg(quoted(m_pDb, code))))
    return false;
  for (const QString& right : rights) {
    if (!m_pDb->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values(%1,%2)")
                            .arg(quoted(m_pDb, code), quoted(m_pDb, right))))
      return false;
  }
  if (!transaction.Commit())
    return false;
  if (code == m_heldCode)
    m_heldRights = rights;
  if (CKvDataFile* file = appFileOf(m_pDb); file && file->GetOperatorCode() == code)
    file->LoadRights();
  CKvOperation::WriteLog(kLogCode,
                         QStringLiteral("操作员%1的操作权限：%2").arg(code, rights.join(u' ')));
  return true;
}

bool CKvOperatorDlg::SetUnitAccess(const QString& code, const QString& unitCode, bool bGrant) {
  if (!m_pDb || code.isEmpty() || code == kAdmin)
    return false;
  // Revoking the last leaf he sees would leave no row: he would see every
  // unit. Rows that cannot be read refuse the change.
  const int frees = bGrant ? 0 : revokeFreesOperator(m_pDb, code, unitCode);
  if (frees < 0 ||
      (frees == 1 &&
       !confirm(QStringLiteral("操作员%1将不再受核算单位限制，可以访问全部核算单位，继续吗？").arg(code))))
    return false;
  // Asked again under the lock, after the answer: another station may have
  // changed his units meanwhile.
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive() || !m_pDb->LockTable(QStringLiteral("SysCsTab")))
    return false;
  if (const int now = bGrant ? 0 : revokeFreesOperator(m_pDb, code, unitCode); now != frees) {
    transaction.Rollback();
    if (now >= 0)
      showStop(QStringLiteral("操作员%1可访问的核算单位已在其他工作站修改，本次修改未保存！").arg(code));
    return false;
  }
  bool changed = false;
  if (!KvSetDwRight(m_pDb, bGrant, unitCode, code, &changed) || !transaction.Commit())
    return false;
  if (!changed)
    return true;
  if (appFileOf(m_pDb))
    CKvDwRec().KvSelectDw(QString(), QString(), &KvGetDwArray(), m_pDb);
  // The log says what he may reach now: a revoke that freed him (asked
  // above) is no revoke.
  QString note = bGrant ? QStringLiteral("操作员%1可访问核算单位%2").arg(code, unitCode)
                        : QStringLiteral("操作员%1不可访问核算单位%2").arg(code, unitCode);
  if (!bGrant && CKvDwRec().KvCheckDwRight(m_pDb, unitCode, code) == 2)
    note = QStringLiteral("操作员%1可访问全部核算单位").arg(code);
  CKvOperation::WriteLog(kLogCode, note);
  return true;
}

int KvRunOperatorDlg(CKvDb* pDb, QWidget* parent) {
  CKvOperatorDlg dialog(pDb, parent);
  return KvExecDialog(&dialog);
}
