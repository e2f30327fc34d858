#include "school/CKvCostEditDlg.h"

#include "app/CKvOperation.h"
#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolDlgParts.h"
#include "ui/CKvEdit.h"
#include "ui/KvObjectNames.h"

#include <QFormLayout>
#include <QVBoxLayout>

CKvCostEditDlg::CKvCostEditDlg(int nMode, const QString& oldCode, CKvDb* pDb, QWidget* parent)
    : CKvAppDlg(IDD, pDb, parent),
      m_nMode(nMode),
      m_strOldCode(oldCode),
      m_pCode(KvSetControlId(new CKvEdit(this), IDC_CODE)),
      m_pName(KvSetControlId(new CKvEdit(this), IDC_NAME)),
      m_pNote(KvSetControlId(new CKvEdit(this), IDC_NOTE)) {
  m_pCode->SetInputType(QStringLiteral("STRING DIGIT"), 2);
  m_pName->SetInputType(QStringLiteral("MDBSTRING"), 20);
  m_pNote->SetInputType(QStringLiteral("MDBSTRING"), 60);
  m_pCode->setMaximumWidth(60);
  m_pNote->setMinimumWidth(300);

  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  KvAddFormRow(form, QStringLiteral("代  码："), m_pCode);
  KvAddFormRow(form, QStringLiteral("名  称："), m_pName);
  KvAddFormRow(form, QStringLiteral("备  注："), m_pNote);
  layout->addLayout(KvNewOkCancelRow(this, QStringLiteral("&S.确认")));
}

void CKvCostEditDlg::OnInitDialog() {
  CKvAppDlg::OnInitDialog();
  if (m_nMode == 1) {
    setWindowTitle(QStringLiteral("增加"));
    m_cost.KNO = CCost::NextCode(Db());
  } else {
    setWindowTitle(QStringLiteral("修改"));
    if ((m_nLoaded == 0 && !Load()) || m_nLoaded < 0) {
      done(Rejected);
      return;
    }
  }
  UpdateData(false);
  // A proposed name (the item selected or just added) is selected, so that
  // what is typed or pasted replaces it rather than being added to it.
  if (m_nMode == 1 && !m_cost.NA.isEmpty()) {
    m_pName->selectAll();
    m_pName->setFocus();
  }
}

bool CKvCostEditDlg::Load() {
  if (m_nMode == 1)
    return true;
  m_nLoaded = m_cost.Load(m_strOldCode, Db()) < 0 ? -1 : 1;
  m_read = m_cost;
  m_read.KNO = m_strOldCode;
  return m_nLoaded > 0;
}

bool CKvCostEditDlg::DoDataExchange(bool bSaveAndValidate) {
  if (bSaveAndValidate) {
    m_cost.KNO = m_pCode->text().trimmed();
    m_cost.NA = m_pName->text().trimmed();
    m_cost.NT = m_pNote->text().trimmed();
  } else {
    m_pCode->setText(m_cost.KNO);
    m_pName->setText(m_cost.NA);
    m_pNote->setText(m_cost.NT);
  }
  return true;
}

bool CKvCostEditDlg::SaveData() {
  if (m_nMode != 1 && m_nLoaded <= 0)
    return false;
  QString code;
  const bool codeOk = KvFormatInt(KvStrToInt(m_cost.KNO), &code, 2, false);
  m_cost.KNO = code;
  if (!codeOk)
    return KvRefuseStop(QStringLiteral("代码不合适，请重输！"), m_pCode);
  if (m_cost.NA.isEmpty())
    return KvRefuseStop(QStringLiteral("名称不能为空，请重输！"), m_pName);

  // A change writes over the item as read at opening only.
  const bool saved = m_nMode == 1 ? m_cost.Insert(Db()) : m_cost.Update(m_read, Db());
  if (!saved) {
    m_pCode->setFocus();
    return false;
  }
  if (m_nMode == 1)
    CKvOperation(CXxDataType::kModule, 0, KvFormat(QStringLiteral("新增：%s - %s"), m_cost.KNO, m_cost.NA));
  else
    CKvOperation(CXxDataType::kModule, 0,
                 KvFormat(QStringLiteral("修改：%s(%s) --> %s(%s)"), m_strOldCode, m_read.NA, m_cost.KNO, m_cost.NA));
  return true;
}
