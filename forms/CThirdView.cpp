#include "forms/CThirdView.h"

#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "forms/CKvReplaceDlg.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"

CThirdView::CThirdView(CKvDoc* pDoc, QWidget* parent) : CKvFormView(pDoc, parent) {}

QString CThirdView::GetSelectedText() {
  const KvGridCell anchor = m_model.Anchor();
  const KvGridCell current = m_model.Current();
  if (!m_model.SingleCell() || anchor.caret == current.caret)
    return QString();
  const QString text = CurrentCellText();
  const int from = qBound(0, qMin(anchor.caret, current.caret), int(text.size()));
  const int to = qBound(0, qMax(anchor.caret, current.caret), int(text.size()));
  return text.mid(from, to - from);
}

bool CThirdView::FindNext() {
  if (m_strFind.isEmpty())
    return false;
  CommitEditor();
  const int rows = m_model.TextRowCount();
  const int columns = m_model.ColumnCount();
  const KvGridCell current = m_model.Current();
  if (rows > 0 && columns > 0) {
    // From the cell after the current one, round the grid once; a current
    // cell outside the TEXT area starts the search at the first cell.
    const qint64 cells = qint64(rows) * columns;
    const qint64 start = current.area == KvGridArea::Text ? qint64(current.row) * columns + current.column : -1;
    for (qint64 step = 1; step <= cells; ++step) {
      const qint64 at = ((start + step) % cells + cells) % cells;
      const int row = int(at / columns);
      const int column = int(at % columns);
      const QString text = ReadCell(row, column, KvGridAreaName(KvGridArea::Text));
      if (!KvCellMatches(text, m_strFind, m_bWholeMatch))
        continue;
      const int from = m_bWholeMatch ? 0 : int(text.indexOf(m_strFind));
      // The match is selected inside its cell.
      const int length = m_bWholeMatch ? int(text.size()) : int(m_strFind.size());
      SelectCells(KvGridCell{from, row, column, KvGridArea::Text},
                  KvGridCell{from + length, row, column, KvGridArea::Text});
      return true;
    }
  }
  KvMessageBox(KvFormat(QStringLiteral("没有查找到含 “%s”的项！"), m_strFind), KV_MB_OK | KV_MB_ICONINFORMATION);
  return false;
}

int CThirdView::ReplaceAll() {
  if (m_strReplaceFind.isEmpty())
    return 0;
  CommitEditor();
  const QString& area = KvGridAreaName(KvGridArea::Text);
  int changed = 0;
  int refused = 0;
  for (int row = 0; row < m_model.TextRowCount(); ++row) {
    for (int column = 0; column < m_model.ColumnCount(); ++column) {
      const QString text = ReadCell(row, column, area);
      if (!KvCellMatches(text, m_strReplaceFind, m_bWholeMatch) || !m_bEditable ||
          !CanEditCell(row, column, area))
        continue;
      const QString replaced =
          m_bWholeMatch ? m_strReplaceWith : QString(text).replace(m_strReplaceFind, m_strReplaceWith);
      // The column's check as for a paste: a cell that refuses keeps its text.
      if (writeBlockCell(row, column, area, replaced))
        ++changed;
      else
        ++refused;
    }
  }
  if (changed > 0) {
    m_bChanged = true;
    updateEditor();
    viewport()->update();
    KvCommandsChanged();
  }
  if (refused > 0)
    KvMessageBox(KvFormat(QStringLiteral("“%s”不能放入其中%d格，这些格没有替换！"), m_strReplaceWith, refused),
                 KV_MB_OK | KV_MB_ICONINFORMATION);
  else if (changed == 0)
    KvMessageBox(KvFormat(QStringLiteral("没有查找到含 “%s”的项！"), m_strReplaceFind),
                 KV_MB_OK | KV_MB_ICONINFORMATION);
  return changed;
}

void CThirdView::RepaintTextCell(int nRow, int nCol) {
  const KvGridCell current = m_model.Current();
  if (current.area == KvGridArea::Text && current.row == nRow && current.column == nCol)
    updateEditor();
  viewport()->update();
}

bool CThirdView::FillFromAbove() {
  const KvGridCell cell = m_model.Current();
  const QString& area = KvGridAreaName(KvGridArea::Text);
  if (cell.area != KvGridArea::Text || !m_model.CellExists(cell.area, cell.row, cell.column))
    return false;
  CommitEditor();
  if (!ReadCell(cell.row, cell.column, area).isEmpty())
    return false;
  for (int row = cell.row - 1; row >= 0; --row) {
    const QString above = ReadCell(row, cell.column, area);
    if (above.isEmpty())
      continue;
    if (!CommitCell(cell.row, cell.column, area, above, 0))
      return false;
    PlaceCaret(cell.row, cell.column, int(above.size()), area);
    return true;
  }
  return false;
}

bool CThirdView::OpenFindDialog(bool bReplace) {
  CommitEditor();
  CKvReplaceDlg dialog(this, this, bReplace ? 0 : 1);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  return bReplace ? ReplaceAll() > 0 : FindNext();
}

bool CThirdView::HandlesCmd(int id) const {
  return id == KV_CMD_EDIT_FIND_NEXT || id == KV_CMD_EDIT_FIND || id == KV_CMD_EDIT_REPLACE ||
         CKvFormView::HandlesCmd(id);
}

void CThirdView::ExecuteCmd(int id) {
  if (id == KV_CMD_EDIT_FIND_NEXT)
    FindNext();
  else if (id == KV_CMD_EDIT_FIND || id == KV_CMD_EDIT_REPLACE)
    OpenFindDialog(id == KV_CMD_EDIT_REPLACE);
  else
    CKvFormView::ExecuteCmd(id);
}

bool CThirdView::IsCmdEnabled(int id) {
  if (id == KV_CMD_EDIT_FIND_NEXT)
    return !m_strFind.isEmpty();
  if (id == KV_CMD_EDIT_FIND)
    return true;
  if (id == KV_CMD_EDIT_REPLACE)
    return m_bEditable && m_model.Current().area == KvGridArea::Text;
  return CKvFormView::IsCmdEnabled(id);
}
