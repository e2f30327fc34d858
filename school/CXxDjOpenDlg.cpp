#include "school/CXxDjOpenDlg.h"

#include "ui/CKvEdit.h"
#include "ui/KvDateEdits.h"
#include "ui/KvObjectNames.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

CXxDjOpenDlg::CXxDjOpenDlg(CKvDb* pDb, QWidget* parent) : CXxOpenDlg(IDD, pDb, parent) {
  setWindowTitle(QStringLiteral("打开收费收据"));
  auto* row = new QHBoxLayout;
  const struct {
    const char* label;
    int id;
    int width;
  } fields[] = {{"&Y.年", IDC_YEAR, 56}, {"&M.月：", IDC_MONTH, 36}, {"&D.日：", IDC_DAY, 36}};
  for (int i = 0; i < 3; ++i) {
    m_pDate[i] = KvSetControlId(new CKvEdit(this), fields[i].id);
    m_pDate[i]->setFixedWidth(fields[i].width);
    auto* label = new QLabel(QString::fromUtf8(fields[i].label), this);
    label->setBuddy(m_pDate[i]);
    row->addWidget(label);
    row->addWidget(m_pDate[i]);
  }
  KvInitDateEdits(m_pDate[0], m_pDate[1], m_pDate[2]);
  auto* form = new QFormLayout;
  form->addRow(row);
  SetFormLayout(form);
}

void CXxDjOpenDlg::OnInitDialog() {
  CXxOpenDlg::OnInitDialog();
  ShowDate(m_pDate, m_strDate);
}

bool CXxDjOpenDlg::SaveData() { return KvGetDateEdits(m_pDate[0], m_pDate[1], m_pDate[2], &m_strDate); }
