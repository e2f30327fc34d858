#include "school/CXxRptOpenDlg0.h"

#include "school/KvSchoolDlgParts.h"
#include "ui/CKvEdit.h"
#include "ui/KvDateEdits.h"

#include <QFormLayout>

CXxRptOpenDlg0::CXxRptOpenDlg0(CKvDb* pDb, QWidget* parent) : CXxOpenDlg(IDD, pDb, parent) {
  setWindowTitle(QStringLiteral("打开收费明细表"));
  auto* form = new QFormLayout;
  static const int fromIds[3] = {1054, 1055, 1056};
  static const int toIds[3] = {1060, 1061, 1062};
  const struct {
    const char* label;
    CKvEdit** fields;
    const int* ids;
  } ranges[] = {{"&F.起始时间：", m_pFrom, fromIds}, {"&T.终止时间：", m_pTo, toIds}};
  for (const auto& range : ranges) {
    QBoxLayout* row = AddDateFields(range.fields, range.ids);
    KvAddFormRow(form, QString::fromUtf8(range.label), range.fields[0], row);
  }
  AddFilterRows(form);
  SetFormLayout(form);
}

void CXxRptOpenDlg0::OnInitDialog() {
  CXxOpenDlg::OnInitDialog();
  ShowFilter();
  ShowDate(m_pFrom, m_dates[0]);
  ShowDate(m_pTo, m_dates[1]);
}

bool CXxRptOpenDlg0::SaveData() {
  QString from, to;
  if (!KvGetDateRange(m_pFrom[0], m_pFrom[1], m_pFrom[2], m_pTo[0], m_pTo[1], m_pTo[2], &from, &to) ||
      !TakeFilter())
    return false;
  m_dates[0] = from;
  m_dates[1] = to;
  return true;
}
