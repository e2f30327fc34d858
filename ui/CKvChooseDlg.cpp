#include "ui/CKvChooseDlg.h"

#include "ui/CKvTreeCombo.h"
#include "ui/KvObjectNames.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CKvChooseDlg::CKvChooseDlg(int nCheckMode, int nDisplay, const QString& operatorCode,
                           QWidget* parent)
    : CKvAppDlg(IDD, nullptr, parent, KV_ICON_APP), m_nDisplay(nDisplay), m_strOperator(operatorCode) {
  m_nDwCheckMode = nCheckMode;
  m_bEnterNextCtrl = 0;
  setWindowTitle(QStringLiteral("选择"));

  auto* label = KvSetControlId(new QLabel(QStringLiteral("&C.请选择："), this), IDC_LABEL);
  auto* picker = KvSetControlId(new CKvTreeCombo(this), IDC_PICKER);
  picker->setMinimumWidth(240);
  label->setBuddy(picker);
  auto* ok = KvSetControlId(new QPushButton(QStringLiteral("&S.确定"), this), 1);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), 2);

  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(picker, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addSpacing(8);
  layout->addLayout(buttons);
}

bool CKvChooseDlg::prepare() {
  if (!m_bPrepared) {
    m_bPrepared = true;
    m_bChoice = InitUnitPicker(IDC_LABEL, IDC_PICKER, m_nDisplay, m_strOperator,
                               QStringLiteral("全部")) != 0;
  }
  return m_bChoice;
}

int CKvChooseDlg::exec() {
  if (prepare())
    return CKvAppDlg::exec();
  OnOK();
  return result();
}

void CKvChooseDlg::OnInitDialog() {
  const bool choice = prepare();
  CKvAppDlg::OnInitDialog();
  if (!choice)
    OnOK();
}

void CKvChooseDlg::ApplyUnitPicker(int pickerId) {
  CKvAppDlg::ApplyUnitPicker(pickerId == -1 ? int(IDC_PICKER) : pickerId);
}
