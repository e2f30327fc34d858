#include "timetable/CWkjhView.h"

#include "core/KvFormat.h"
#include "school/CXxDataType.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"
#include "timetable/CWkjhDoc.h"
#include "ui/KvCommands.h"

CWkjhView::CWkjhView(CWkjhDoc* pDoc, QWidget* parent) : CForthView(pDoc, parent), m_pPlanDoc(pDoc) {
  setObjectName(QStringLiteral("CWkjhView"));
}

void CWkjhView::InitLayout() {
  m_nTotalsMode = 1;
  m_nNumberMode = 1;
  CForthView::InitLayout();
}

bool CWkjhView::MayAddRows() { return !m_pPlanDoc->IsClassOfGrade(); }

int CWkjhView::cellOf(int nCol) const {
  const QList<KvGridColumn>& columns = Model().Columns();
  return nCol >= 0 && nCol < columns.size() ? columns.at(nCol).cell : -1;
}

bool CWkjhView::IsCellEditable(const QString& area, int nRow, int nCol) {
  (void)nRow;
  const int type = m_pPlanDoc->TypeOfCell(cellOf(nCol));
  if (area != u"TEXT" || type < 1)
    return false;
  if (CXxDataType::MultiClassRef() == 0)
    return true;
  const bool classColumn = type == CWkjhDoc::kTeacher || type == CWkjhDoc::kRoom || type == CWkjhDoc::kWeekKind;
  return m_pPlanDoc->IsClassDocument() ? classColumn : !classColumn;
}

bool CWkjhView::GetCellChoices(int nMode, QList<int>& widths, QStringList& list, const QString& area, int nRow,
                               int nCol) {
  const int cell = cellOf(nCol);
  if (area != u"TEXT" || nRow < 0 || nRow >= m_pPlanDoc->GetRowCount())
    return false;
  if ((nMode == 1 || nMode == 2) && !m_pPlanDoc->m_rows.at(nRow).value(cell).isEmpty())
    return false;
  CKvDb* pDb = m_pPlanDoc->m_pDb;
  switch (m_pPlanDoc->GetColumnListKind(cell)) {
    case 0: {
      QList<CSbtRec> rows;
      CSbtTable::LoadAll(rows, pDb);
      for (const CSbtRec& rec : rows)
        list.append(KvFormat("%s %s", rec.KNO, rec.NA));
      break;
    }
    case 1: {
      QList<CTchrRec> rows;
      CTchrTable::LoadAll(rows, pDb);
      for (const CTchrRec& rec : rows)
        list.append(KvFormat("%s %s", rec.KNO, rec.NA));
      break;
    }
    case 2: {
      QList<CPubRmRec> rows;
      CPubRmTable::LoadAll(rows, pDb);
      for (const CPubRmRec& rec : rows)
        list.append(KvFormat("%s %s", rec.KNO, rec.NA));
      break;
    }
    case 3:
      for (int n = 1; n <= 5; ++n)
        list.append(KvFormat("%d %s", n, CWkjhRec::PriorityText(n)));
      break;
    case 4:
      for (int n = 0; n <= 2; ++n)
        list.append(KvFormat("%d %s", n, CWkjhRec::WeekKindText(n)));
      break;
    default:
      return false;
  }
  widths = {100, 200};
  return true;
}

void CWkjhView::ExecuteCmd(int id) {
  if (id == KV_CMD_REFRESH) {
    if (m_pPlanDoc->SaveModified())
      m_pPlanDoc->Refill();
    return;
  }
  const int rows = m_model.TextRowCount();
  CForthView::ExecuteCmd(id);
  if ((id != KV_CMD_APPEND_ROW && id != KV_CMD_INSERT_ROW) || m_model.TextRowCount() <= rows)
    return;
  // A new row is typed from its course, as the first row is: the caret
  // goes to its first cell that may be edited.
  const QString area = QStringLiteral("TEXT");
  KvGridCell cell = m_model.Current();
  cell.caret = 0;
  cell.column = 0;
  while (cell.column + 1 < m_model.ColumnCount() && !CanEditCell(cell.row, cell.column, area))
    ++cell.column;
  SelectCells(cell, cell);
}
