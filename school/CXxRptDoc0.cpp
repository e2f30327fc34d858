#include "school/CXxRptDoc0.h"

#include "core/KvDate.h"
#include "core/KvFormat.h"
#include "school/CXxRptOpenDlg0.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvModal.h"

QString CXxRptDoc0::DefaultTitle() const { return QStringLiteral("收费明细表"); }

void CXxRptDoc0::BuildColumns(KvFormEntry& entry) {
  AddVoucherColumns(entry, false);
  AddBaseColumns(entry);
  entry.InsertFormula(6, 110, 202, 0, 0, QStringLiteral("学\\期/NUMBER/MID/00"));
  entry.InsertFormula(7, 7, 2030, 0, 0, QStringLiteral("摘  要/MDBSTRING/LEFT"));
  entry.AddFormula(108, 303, 0, 0, QStringLiteral("操作/STRING/MID"));
  entry.AddFormula(109, 303, 0, 0, QStringLiteral("复核/STRING/MID"));
  PrepareColumns(entry);
}

bool CXxRptDoc0::PrepareOpen() {
  if (!CXxRptDoc::PrepareOpen())
    return false;
  CXxRptOpenDlg0 dlg(m_pDb);
  dlg.m_dates[0] = m_dates[0];
  dlg.m_dates[1] = m_dates[1];
  dlg.m_filter = m_filter;
  if (KvExecDialog(&dlg) != QDialog::Accepted)
    return false;
  m_dates[0] = dlg.m_dates[0];
  m_dates[1] = dlg.m_dates[1];
  m_filter = dlg.m_filter;
  m_strPeriod = KvDateRangeCaption(m_dates[0], m_dates[1], QString(), true);
  return true;
}

bool CXxRptDoc0::FillRows() {
  CKvWaitWnd wait;
  wait.Show();
  if (!ReloadItems())
    return false;
  CXxRptRow scratch(1, int(m_items.size()), 9);
  QList<CXxRptRow> rows;
  const bool read = scratch.LoadDetail(m_dates, m_filter, m_items, &rows, m_pDb) >= 0;
  FillGrid({10}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, rows);
  return read;
}

void CXxRptDoc0::GetSummaryText(QString& out, int nRows) {
  out.clear();
  const int nameCell = FindColumnFormula(6);
  if (nameCell >= 0 && !m_rows.isEmpty() && !m_rows.first().value(nameCell).isEmpty())
    out = KvFormat(QStringLiteral("%d人"), nRows);
}
