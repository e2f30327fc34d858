#include "ui/CKvZrvDlg.h"

#include "ui/CKvTreeCombo.h"
#include "ui/KvAppServices.h"
#include "ui/KvObjectNames.h"
#include "ui/KvWindowHelpers.h"

#include <QLabel>

CKvZrvDlg::CKvZrvDlg(unsigned idd, CKvDb* db, QWidget* parent, unsigned idIcon)
    : CKvDlg(idd, parent, idIcon), m_pDb(db) {}

CKvDb* CKvZrvDlg::Db() const { return m_pDb ? m_pDb : KvAppServiceDb(); }

QLabel* CKvZrvDlg::UnitLabel() {
  if (!m_pUnitLabel)
    m_pUnitLabel = KvSetControlId(new QLabel(this), IDC_DW_LABEL);
  return m_pUnitLabel;
}

CKvTreeCombo* CKvZrvDlg::UnitPicker() {
  if (!m_pUnitPicker)
    m_pUnitPicker = KvSetControlId(new CKvTreeCombo(this), IDC_DW_PICKER);
  return m_pUnitPicker;
}

int CKvZrvDlg::InitUnitPicker(int labelId, int pickerId, int displayFlag,
                              const QString& operatorCode, const QString& rootText) {
  if (pickerId == -1)
    pickerId = IDC_DW_PICKER;
  auto* picker = KvDlgItem<CKvTreeCombo>(this, pickerId);
  if (!picker)
    return 0;
  if (picker != m_pDwPicker) {
    if (m_pDwPicker)
      disconnect(m_pDwPicker, nullptr, this, nullptr);
    m_pDwPicker = picker;
    connect(picker, &CKvTreeCombo::closeUp, this, [this, pickerId] { ApplyUnitPicker(pickerId); });
  }
  const bool choice = KvAppServiceFillDwCombo(picker, displayFlag, operatorCode, rootText);
  if (labelId != 0) {
    if (labelId == -1)
      labelId = IDC_DW_LABEL;
    if (auto* label = KvDlgItem<QLabel>(this, labelId)) {
      if (choice)
        label->setText(KvAppServiceDwCaption() + QStringLiteral("："));
      KvShowEnable(label, choice, choice);
    }
  }
  return choice ? 1 : 0;
}

void CKvZrvDlg::ApplyUnitPicker(int pickerId) {
  if (pickerId == -1)
    pickerId = IDC_DW_PICKER;
  if (auto* picker = KvDlgItem<CKvTreeCombo>(this, pickerId))
    KvAppServiceSetCurrentDwFromCombo(picker);
}

bool CKvZrvDlg::CheckUnitAccess() {
  if (m_nDwCheckMode < 0 || m_nDwCheckMode == 1)
    return true;
  QWidget* focus = m_pDwPicker ? static_cast<QWidget*>(m_pDwPicker) : this;
  return KvAppServiceCheckDwAccess(focus, m_nDwCheckMode);
}

void CKvZrvDlg::OnOK() {
  if (CheckUnitAccess())
    CKvDlg::OnOK();
}
