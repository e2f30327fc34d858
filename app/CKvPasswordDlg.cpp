#include "app/CKvPasswordDlg.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "app/KvOperatorDialogs.h"
#include "app/KvOperatorStore.h"
#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The operation "口令更改" of the log.
constexpr int kLogCode = 3;

// A field whose text cannot be read: shown as dots, no copy, cut, drag or
// right-click menu.
QLineEdit* passwordField(QWidget* parent, int id) {
  auto* field = KvSetControlId(new QLineEdit(parent), id);
  field->setEchoMode(QLineEdit::Password);
  field->setContextMenuPolicy(Qt::NoContextMenu);
  field->setDragEnabled(false);
  field->setMinimumWidth(180);
  return field;
}

}  // namespace

CKvPasswordDlg::CKvPasswordDlg(CKvDb* pDb, const QString& operatorCode, QWidget* parent)
    : CKvDlg(IDD, parent), m_pDb(pDb), m_strCode(operatorCode) {
  setWindowTitle(QStringLiteral("设置或更改口令"));
  KvOperatorStore store;
  store.Load(pDb, operatorCode);
  auto* who = KvSetControlId(
      new QLabel(QStringLiteral("%1 %2").arg(operatorCode, store.Operator().strName), this),
      IDC_OPERATOR);
  m_old = passwordField(this, IDC_OLD);
  m_new = passwordField(this, IDC_NEW);
  m_confirm = passwordField(this, IDC_CONFIRM);
  auto* buttons = new QDialogButtonBox(this);
  KvSetControlId(buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole), KV_IDOK);
  KvSetControlId(buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole),
                 KV_IDCANCEL);

  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("操作员："), this), 0, 0);
  layout->addWidget(who, 0, 1);
  const auto addField = [&](const QString& caption, QLineEdit* field, int row) {
    auto* label = new QLabel(caption, this);
    label->setBuddy(field);
    layout->addWidget(label, row, 0);
    layout->addWidget(field, row, 1);
  };
  addField(QStringLiteral("原口令(&O)："), m_old, 1);
  addField(QStringLiteral("新口令(&N)："), m_new, 2);
  addField(QStringLiteral("确认新口令(&C)："), m_confirm, 3);
  layout->addWidget(buttons, 4, 0, 1, 2);
}

CKvPasswordDlg::~CKvPasswordDlg() { clearFields(); }

void CKvPasswordDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  m_old->setFocus();
}

bool CKvPasswordDlg::SaveData() {
  KvOperatorStore store;
  if (store.Load(m_pDb, m_strCode) <= 0) {
    KvMessageBox(QStringLiteral("无此操作员！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  if (!KvOperatorStore::VerifyPassword(store.Operator().strPassword, m_old->text())) {
    KvMessageBox(QStringLiteral("原口令不正确！"), KV_MB_OK | KV_MB_ICONSTOP);
    m_old->clear();
    m_old->setFocus();
    return false;
  }
  if (m_new->text() != m_confirm->text()) {
    KvMessageBox(QStringLiteral("两次输入的新口令不一致！"), KV_MB_OK | KV_MB_ICONSTOP);
    m_confirm->clear();
    m_confirm->setFocus();
    return false;
  }
  // The update does not report (its statement would show the hash): a lost
  // connection, a lock given up on or a year carried since has been told by
  // the connection alone.
  const unsigned shown = KvMessageCount();
  if (!KvOperatorStore::SetPassword(m_pDb, m_strCode, m_new->text())) {
    if (!m_pDb->IsLost() && !m_pDb->ReportLockWait() && KvMessageCount() == shown)
      KvMessageBox(QStringLiteral("口令保存失败！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  // The logged-in operator's stored form follows.
  if (CKvApp* app = KvGetApp(); app && app->GetDb() == m_pDb &&
                                app->GetDataFile().GetOperatorCode() == m_strCode) {
    store.Load(m_pDb, m_strCode);
    app->GetDataFile().SetOperatorPassword(store.Operator().strPassword);
  }
  CKvOperation::WriteLog(kLogCode, QStringLiteral("操作员%1更改了口令").arg(m_strCode));
  return true;
}

void CKvPasswordDlg::done(int result) {
  clearFields();
  CKvDlg::done(result);
}

void CKvPasswordDlg::clearFields() {
  for (QLineEdit* field : {m_old, m_new, m_confirm})
    field->clear();
}

int KvRunPasswordDlg(CKvDb* pDb, const QString& operatorCode, QWidget* parent) {
  CKvPasswordDlg dialog(pDb, operatorCode, parent);
  return KvExecDialog(&dialog);
}
