#include "school/CXxRptDoc1.h"

#include "core/KvFormat.h"
#include "school/CXxRptOpenDlg1.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvModal.h"

QString CXxRptDoc1::DefaultTitle() const {
  static const char* const kinds[] = {"应收", "收", "欠"};
  return QString::fromUtf8(kinds[qBound(0, m_nFlag - 258, 2)]) + QStringLiteral("费统计表");
}

void CXxRptDoc1::BuildColumns(KvFormEntry& entry) {
  AddBaseColumns(entry);
  entry.InsertFormula(2, 110, 404, 0, 0, QStringLiteral("人\\数/NUMBER/MID"));
  PrepareColumns(entry);
}

bool CXxRptDoc1::PrepareOpen() {
  if (!CXxRptDoc::PrepareOpen())
    return false;
  CXxRptOpenDlg1 dlg(m_pDb);
  dlg.m_strTitle = m_strTitle;
  dlg.m_strYear = m_strYear;
  dlg.m_nSeason = m_nSeason;
  dlg.m_nDepth = m_nDepth;
  dlg.m_filter = m_filter;
  if (KvExecDialog(&dlg) != QDialog::Accepted)
    return false;
  m_strYear = dlg.m_strYear;
  m_nSeason = dlg.m_nSeason;
  m_nDepth = dlg.m_nDepth;
  m_filter = dlg.m_filter;
  m_nTreeTotals = 0;
  m_nKind = m_nFlag - 258;
  m_strPeriod = KvFormat(QStringLiteral("%s年 %s季学期"), m_strYear,
                         m_nSeason == 1 ? QStringLiteral("春") : QStringLiteral("秋"));
  return true;
}

bool CXxRptDoc1::FillRows() {
  CKvWaitWnd wait;
  wait.Show();
  if (!ReloadItems())
    return false;
  CXxRptRow scratch(1, int(m_items.size()), 2);
  QList<CXxRptRow> rows;
  const bool read = scratch.LoadStatistics(m_nKind, m_strYear, m_nSeason, m_nDepth, m_filter, m_items, &rows, m_pDb) >= 0;
  FillGrid({10}, {5, 6}, rows);
  return read;
}
