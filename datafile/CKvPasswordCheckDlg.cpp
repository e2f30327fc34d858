#include "datafile/CKvPasswordCheckDlg.h"

#include "app/KvOperatorStore.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CKvPasswordCheckDlg::CKvPasswordCheckDlg(const QString& title, const QString& prompt, const QString& stored,
                                         QWidget* parent)
    : CKvDlg(793, parent), m_strStored(stored) {
  setWindowTitle(title.isEmpty() ? QStringLiteral("口令校验") : title);
  m_prompt = KvSetControlId(new QLabel(prompt.isEmpty() ? QStringLiteral("请输入口令：") : prompt, this), IdPrompt);
  m_password = KvSetControlId(new QLineEdit(this), IdPassword);
  m_password->setEchoMode(QLineEdit::Password);
  m_password->setMinimumWidth(240);
  auto* ok = KvSetControlId(new QPushButton(QStringLiteral("确定"), this), KV_IDOK);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("取消"), this), KV_IDCANCEL);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_prompt);
  layout->addWidget(m_password);
  layout->addSpacing(4);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool CKvPasswordCheckDlg::SaveData() {
  if (KvOperatorStore::VerifyPassword(m_strStored, m_password->text()))
    return true;
  KvMessageBox(QStringLiteral("口令不正确，请重新录入！"), KV_MB_OK | KV_MB_ICONSTOP);
  m_password->selectAll();
  m_password->setFocus();
  return false;
}

bool KvCheckPassword(const QString& prompt, const QString& stored, QWidget* parent) {
  if (stored.isEmpty())
    return true;
  CKvPasswordCheckDlg dialog(QString(), prompt, stored, parent);
  return KvExecDialog(&dialog) == QDialog::Accepted;
}
