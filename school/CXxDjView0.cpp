#include "school/CXxDjView0.h"

#include "school/CXxDjDoc0.h"

namespace {
const QStringList kDigitNotes = {QStringLiteral("制证年"), QStringLiteral("制证月"), QStringLiteral("制证日"),
                                 QStringLiteral("凭证号")};
}  // namespace

CXxDjView0::CXxDjView0(CXxDjDoc0* pDoc, QWidget* parent) : CForthView(pDoc, parent), m_pSheet(pDoc) {}

int CXxDjView0::linkOf(int nCol) const {
  if (nCol < 0 || nCol >= m_pSheet->m_colMap.size())
    return -1;
  const int cell = m_pSheet->m_colMap.at(nCol);
  return cell >= 0 && cell < m_pSheet->m_formEntry.formulas.size() ? m_pSheet->m_formEntry.formulas.at(cell).Link()
                                                                    : -1;
}

int CXxDjView0::shownColumn(int nCell) const { return int(m_pSheet->m_colMap.indexOf(nCell)); }

void CXxDjView0::InitLayout() {
  m_nNumberMode = 1;
  // The totals follow the item columns the layout has now (the properties
  // sheet may have deleted one).
  for (int r = 0; r < m_pSheet->GetRowCount(); ++r)
    updateTotal(r);
  CForthView::InitLayout();
  if (IsEditable() && m_pSheet->IsVoucherEditable()) {
    int row = 0;
    int cell = 0;
    bool tail = false;
    if (m_pSheet->FindHeadNoteField(QStringLiteral("制证日"), row, cell, tail))
      PlaceCaret(row, cell, 0, tail ? QStringLiteral("FOOT") : QStringLiteral("HEAD"));
    return;
  }
  int first = 0;
  for (int c = 0; c < m_pSheet->m_colMap.size(); ++c) {
    if (linkOf(c) == 0) {
      first = c;
      break;
    }
  }
  if (m_pSheet->GetRowCount() > 0)
    PlaceCaret(0, first, 0, QStringLiteral("TEXT"));
}

void CXxDjView0::GetCellValue(int nRow, int nCol, const QString& area, QString& text, QString& type, int& nLimit1,
                              int& nLimit2) {
  CForthView::GetCellValue(nRow, nCol, area, text, type, nLimit1, nLimit2);
  if (area == u"TEXT") {
    // An amount goes in to the fen, as the save reads it, whatever decimals
    // the layout shows: typing, every paste and 替换 refuse a third.
    if (nCol >= 0 && nCol < m_pSheet->m_colMap.size() && !m_pSheet->ItemCodeOf(m_pSheet->m_colMap.at(nCol)).isEmpty())
      nLimit2 = qMin(nLimit2, CPc::kAmountDecimals);
    return;
  }
  const int note = m_pSheet->FindNoteAt(area == u"FOOT", nRow, nCol);
  if (note < 0)
    return;
  type = kDigitNotes.contains(m_pSheet->m_formEntry.headNotes.at(note).sNote) ? QStringLiteral("STRING DIGIT")
                                                                             : QStringLiteral("STRING NOT |[]'\"");
}

bool CXxDjView0::IsCellEditable(const QString& area, int nRow, int nCol) {
  (void)nRow;
  if (!m_pSheet->IsVoucherEditable())
    return false;
  if (area != u"TEXT")
    return true;
  const int link = linkOf(nCol);
  return link == 0 || link == 1;
}

void CXxDjView0::OnCellChanged(const QString& text, int nRow, int nCol, const QString& area) {
  CForthView::OnCellChanged(text, nRow, nCol, area);
  if (area != u"TEXT" || linkOf(nCol) != 0 || !updateTotal(nRow))
    return;
  const int shown = shownColumn(m_pSheet->FindColumnFormula(9));
  if (shown >= 0)
    RepaintTextCell(nRow, shown);
  RefreshTotals();
}

bool CXxDjView0::updateTotal(int nRow) {
  const int totalCell = m_pSheet->FindColumnFormula(9);
  if (totalCell < 0 || nRow < 0 || nRow >= m_pSheet->GetRowCount())
    return false;
  QStringList& row = m_pSheet->m_rows[nRow];
  // Read as the save reads: a text it would refuse adds nothing.
  double total = 0.0;
  for (int c = 0; c < m_pSheet->m_formEntry.formulas.size(); ++c) {
    double amount = 0.0;
    if (!m_pSheet->ItemCodeOf(c).isEmpty() && m_pSheet->ReadItemAmount(nRow, c, row.at(c), &amount))
      total += amount;
  }
  row[totalCell] = CXxDjDoc0::AmountText(total);
  return true;
}

bool CXxDjView0::GetCellChoices(int nMode, QList<int>& widths, QStringList& list, const QString& area, int nRow,
                                int nCol) {
  (void)widths;
  if (area != u"TEXT")
    return false;
  const int link = linkOf(nCol);
  if (link == 1 && nMode > 0) {
    FillFromAbove();
    return false;
  }
  // The name is offered while the sheet shows no name column of its own.
  if (link != 2 || shownColumn(m_pSheet->FindColumnFormula(3)) >= 0 || nRow < 0 ||
      nRow >= m_pSheet->GetRowCount())
    return false;
  // The code leads the line: choosing it leaves the cell as it is.
  const QStringList& row = m_pSheet->m_rows.at(nRow);
  list = {row.at(m_pSheet->m_colMap.at(nCol)) + u' ' + row.last()};
  return true;
}
