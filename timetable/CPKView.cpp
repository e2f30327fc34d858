#include "timetable/CPKView.h"

#include "core/KvFormat.h"
#include "timetable/CPKDoc.h"
#include "timetable/CSbtTable.h"
#include "timetable/KvPkMenus.h"
#include "ui/KvCommands.h"

#include <QMenu>

CPKView::CPKView(CPKDoc* pDoc, QWidget* parent) : CForthView(pDoc, parent), m_pPkDoc(pDoc) {
  setObjectName(QStringLiteral("CPKView"));
}

void CPKView::InitLayout() {
  m_nFixedCols = 2;
  CForthView::InitLayout();
}

int CPKView::cellOf(int nCol) const {
  const QList<KvGridColumn>& columns = Model().Columns();
  return nCol >= 0 && nCol < columns.size() ? columns.at(nCol).cell : -1;
}

bool CPKView::IsCellEditable(const QString& area, int nRow, int nCol) {
  return area == u"TEXT" && m_pPkDoc->IsTeachingPeriod(nRow, m_pPkDoc->DayOfCell(cellOf(nCol)));
}

int CPKView::MergeCells() {
  int first = 0;
  for (int s = 0; s < 4; ++s) {
    const int n = m_pPkDoc->m_schedule.PeriodCount(s);
    if (n > 1)
      AddMarkRecord(0, first, 0, first + n - 1);
    first += n;
  }
  return 0;
}

bool CPKView::IsCommandEnabled(int id) { return id != KV_CMD_ARRANGE || m_pPkDoc->CanArrange(); }

void CPKView::AddContextMenuItems(QMenu* menu) {
  if (m_pPkDoc->Page() == 0)
    KvPkInsertCommand(menu, KV_CMD_ARRANGE, KV_CMD_EDIT_CUT, true);
}

bool CPKView::GetCellChoices(int nMode, QList<int>& widths, QStringList& list, const QString& area, int nRow,
                             int nCol) {
  const int cell = cellOf(nCol);
  if (area != u"TEXT" || m_pPkDoc->DayOfCell(cell) < 0 || nRow < 0 || nRow >= m_pPkDoc->GetRowCount())
    return false;
  if ((nMode == 1 || nMode == 2) && !m_pPkDoc->m_rows.at(nRow).value(cell).isEmpty())
    return false;
  widths = {100, 200};
  QList<CSbtRec> courses;
  CSbtTable::LoadAll(courses, m_pPkDoc->m_pDb);
  for (const CSbtRec& course : courses) {
    if (CWkjhRec::FindPlanRow(course.KNO, m_pPkDoc->m_planRows))
      list.append(KvFormat("%s %s", course.KNO, course.NA));
  }
  return true;
}

bool CPKView::HandlesCmd(int id) const { return id == KV_CMD_ARRANGE || CForthView::HandlesCmd(id); }

void CPKView::ExecuteCmd(int id) {
  if (id == KV_CMD_ARRANGE) {
    m_pPkDoc->Arrange();
  } else if (id == KV_CMD_REFRESH) {
    if (m_pPkDoc->SaveModified())
      m_pPkDoc->Refresh();
  } else {
    CForthView::ExecuteCmd(id);
  }
}

bool CPKView::IsCmdEnabled(int id) { return id == KV_CMD_ARRANGE || CForthView::IsCmdEnabled(id); }
