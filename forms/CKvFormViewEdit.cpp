// The grid view's editing commands: delete, cut and paste, paste into many
// cells and into a column, blank rows, select all and the calculator.

#include "forms/CKvFormView.h"

#include "core/KvClipboard.h"
#include "core/KvCountTextGrid.h"
#include "core/KvInputType.h"
#include "core/KvNumber.h"
#include "core/KvNumberText.h"
#include "core/KvWidth.h"
#include "formula/CKvCalcDlg.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvEdit.h"
#include "ui/KvCalculatorHook.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvPasteRefusal.h"

#include <QApplication>

namespace {

bool clipboardHasText() { return KvGetClipboardText(nullptr); }

// The clipboard's text measured as a table. A spreadsheet ends a copied
// block with a line break: that break ends the last line rather than adding
// an empty one, which would blank the cell below or add a blank row.
bool clipboardTable(QString& text, int& rows, int& columns) {
  if (!KvGetClipboardText(&text))
    return false;
  KvCountTextGrid(text, rows, columns);
  if (rows > 1 && text.endsWith(u'\n')) {
    text.chop(1);
    --rows;
  }
  return true;
}

// A cell text the calculator can add up: a plain number once "," is gone.
bool isNumberText(const QString& text) {
  bool digit = false;
  for (QChar ch : text)
    digit = digit || ch.isDigit();
  return digit && KvIsNumberText(text);
}

}  // namespace

// --- Routing ---

bool CKvFormView::handlesEditCmd(int id) const {
  switch (id) {
    case KV_CMD_DELETE:
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_PASTE:
    case KV_CMD_PASTE_MANY:
    case KV_CMD_PASTE_COLUMN:
    case KV_CMD_INSERT_ROW:
    case KV_CMD_APPEND_ROW:
    case KV_CMD_EDIT_SELECT_ALL:
    case KV_CMD_CALCULATOR:
    case KV_CMD_FILE_NEW:
      return true;
    default:
      return false;
  }
}

bool CKvFormView::isEditCmdEnabled(int id) {
  const KvGridCell current = m_model.Current();
  switch (id) {
    case KV_CMD_DELETE: return m_model.CanDelete(m_bEditable);
    case KV_CMD_EDIT_CUT: return m_model.CanCut(m_bEditable);
    case KV_CMD_EDIT_PASTE: return m_model.CanPaste(m_bEditable, clipboardHasText());
    case KV_CMD_PASTE_MANY: return m_bEditable && m_model.SameArea() && clipboardHasText();
    case KV_CMD_PASTE_COLUMN:
      return m_bEditable && current.area == KvGridArea::Text && m_model.TextRowCount() > 1;
    // An empty grid takes its first row from either.
    case KV_CMD_INSERT_ROW:
    case KV_CMD_APPEND_ROW:
      return m_bEditable && MayAddRows() &&
             (current.area == KvGridArea::Text || m_model.TextRowCount() == 0);
    // A read-only form turns New off while it has the focus; the frame
    // makes the new document.
    case KV_CMD_FILE_NEW:
      return m_bEditable && CKvCommandRouter::Instance()->IsEnabledOnFrame(KV_CMD_FILE_NEW);
    default: return true;
  }
}

void CKvFormView::executeEditCmd(int id) {
  switch (id) {
    case KV_CMD_DELETE: DeleteSelection(); break;
    case KV_CMD_EDIT_CUT: Cut(); break;
    case KV_CMD_EDIT_PASTE: Paste(); break;
    case KV_CMD_PASTE_MANY: PasteIntoBlock(); break;
    case KV_CMD_PASTE_COLUMN: PasteIntoColumn(); break;
    case KV_CMD_INSERT_ROW: InsertBlankRow(false); break;
    case KV_CMD_APPEND_ROW: InsertBlankRow(true); break;
    case KV_CMD_EDIT_SELECT_ALL: SelectAll(); break;
    case KV_CMD_CALCULATOR: OnCalculator(); break;
    case KV_CMD_FILE_NEW: CKvCommandRouter::Instance()->ExecuteOnFrame(KV_CMD_FILE_NEW); break;
    default: break;
  }
}

// --- Helpers ---

bool CKvFormView::cellTakes(int row, int column, const QString& area, const QString& insert,
                            const QString& current, int position, KvPasteRefusal* refusal, QString* judged) {
  if (!m_model.CellExists(KvGridAreaFromName(area), row, column) || !CanEditCell(row, column, area))
    return false;
  QString text, type;
  int limit1 = -1, limit2 = -1;
  GetCellValue(row, column, area, text, type, limit1, limit2);
  if (KvCheckTypeSpec(insert, current, position, type, limit1, limit2)) {
    if (judged)
      *judged = KvJudgedText(insert, type);
    return true;
  }
  if (refusal) {
    const qsizetype at = KvIndexAtWidth(current, qMax(0, position));
    refusal->Add(insert, current.left(at) + insert + current.mid(at), type, limit1, limit2);
  }
  return false;
}

void CKvFormView::tellRefusal(const KvPasteRefusal& refusal) {
  const KvGridCell cell = m_model.Current();
  refusal.Tell(viewport(), windowRect(cell.area, cell.row, cell.column));
}

bool CKvFormView::writeBlockCell(int row, int column, const QString& area, const QString& text,
                                 KvPasteRefusal* refusal) {
  QString judged;
  if (!cellTakes(row, column, area, text, QString(), 0, refusal, &judged))
    return false;
  SetCellValue(row, column, area, judged);
  OnCellChanged(judged, row, column, area);
  return true;
}

void CKvFormView::settleSelection(const KvGridCell& anchor, const KvGridCell& current) {
  m_model.SetSelection(anchor, current);
  m_model.ClampSelection();
  EnsureCellVisible();
  updateEditor();
  viewport()->update();
  KvCommandsChanged();
}

bool CKvFormView::deleteSelectedCharacters() {
  const KvGridCell current = m_model.Current();
  const KvGridCell anchor = m_model.Anchor();
  const QString& area = KvGridAreaName(current.area);
  if (!m_model.SingleCell() || !m_model.CellExists(current.area, current.row, current.column) ||
      !CanEditCell(current.row, current.column, area))
    return false;
  const QString text = ReadCell(current.row, current.column, area);
  const int from = qBound(0, qMin(anchor.caret, current.caret), int(text.size()));
  const int to = qBound(0, qMax(anchor.caret, current.caret), int(text.size()));
  if (from == to)
    return false;
  if (!CommitCell(current.row, current.column, area, text.left(from) + text.mid(to), current.caret))
    return false;
  const KvGridCell caret{from, current.row, current.column, current.area};
  settleSelection(caret, caret);
  return true;
}

// --- Delete and cut ---

void CKvFormView::DeleteSelection() {
  if (!m_bEditable || !m_model.SameArea())
    return;
  const KvGridCell current = m_model.Current();
  if (m_model.SingleCell()) {
    if (m_model.Anchor().caret == current.caret) {
      // The Delete key in the cell: the character at the caret goes.
      if (m_bEditing && m_editCell.SameCell(current))
        m_pEditor->del();
      return;
    }
    CommitEditor();
    deleteSelectedCharacters();
    return;
  }
  CommitEditor();
  int r1, c1, r2, c2;
  m_model.SelectedBlock(r1, c1, r2, c2);
  if (current.area == KvGridArea::Text && c1 == 0 && c2 == m_model.ColumnCount() - 1) {
    deleteWholeRows(r1, r2);
  } else {
    // Each cell is reported with its own area: a HEAD or FOOT note is not a
    // TEXT cell of the same row and column.
    const QString& area = KvGridAreaName(current.area);
    for (int row = r1; row <= r2; ++row)
      for (int column = c1; column <= c2; ++column)
        writeBlockCell(row, column, area, QString());
    settleOn(r1, c1, current.area);
  }
  m_bChanged = true;
}

void CKvFormView::deleteWholeRows(int row1, int row2) {
  const QString& area = KvGridAreaName(KvGridArea::Text);
  const int rowCount = m_model.TextRowCount();
  const int columns = m_model.ColumnCount();
  // Rows that go are emptied and moved down past the rows that stay; a row
  // holding a cell that may not be edited stays, in its order.
  int shift = 0;
  int kept = 0;
  int keptSelected = 0;
  for (int row = row1; row < rowCount; ++row) {
    if (row <= row2) {
      bool all = true;
      for (int column = 0; column < columns; ++column) {
        if (!CanEditCell(row, column, area)) {
          all = false;
          continue;
        }
        SetCellValue(row, column, area, QString());
        OnCellChanged(QString(), row, column, area);
      }
      if (all) {
        --shift;
        continue;
      }
      ++keptSelected;
    }
    if (shift != 0)
      MoveRows(row, row, shift);
    ++kept;
  }
  // At least one row always stays.
  const int removed = qMin(rowCount - row1 - kept, rowCount - 1);
  if (removed > 0) {
    AddRows(-removed);
    m_model.SetTextRowCount(rowCount - removed);
  }
  const int row = qMin(row1 + keptSelected, m_model.TextRowCount() - 1);
  RecalcScroll(true);
  settleOn(row, 0, KvGridArea::Text);
}

bool CKvFormView::Cut() {
  if (!m_bEditable || !Copy())
    return false;
  if (KvCmdEnabled(this, KV_CMD_DELETE))
    DeleteSelection();
  return true;
}

// --- Paste ---

bool CKvFormView::Paste() {
  if (!m_bEditable)
    return false;
  QString text;
  int rows = 0, columns = 0;
  if (!clipboardTable(text, rows, columns))
    return false;
  CommitEditor();
  if (!m_model.SingleCell()) {
    EnsureCellVisible();
    return false;
  }
  const KvGridCell cell = m_model.Current();
  const QString& area = KvGridAreaName(cell.area);
  if (rows == 1 && columns == 1) {
    if (!m_model.CellExists(cell.area, cell.row, cell.column) || !CanEditCell(cell.row, cell.column, area))
      return false;
    // Characters selected in the cell are replaced: the cell judges its text
    // without them, and keeps them when it refuses the paste.
    const QString old = ReadCell(cell.row, cell.column, area);
    const int from = qBound(0, qMin(m_model.Anchor().caret, cell.caret), int(old.size()));
    const int to = qBound(0, qMax(m_model.Anchor().caret, cell.caret), int(old.size()));
    const QString kept = old.left(from) + old.mid(to);
    KvPasteRefusal refusal;
    if (!cellTakes(cell.row, cell.column, area, text, kept, from, &refusal)) {
      tellRefusal(refusal);
      return false;
    }
    if (!CommitCell(cell.row, cell.column, area, kept.left(from) + text + kept.mid(from), cell.caret))
      return false;
    const KvGridCell after{from + int(text.size()), cell.row, cell.column, cell.area};
    settleSelection(after, after);
    return true;
  }
  // Characters selected in the cell are replaced; when they cannot go,
  // nothing is pasted.
  if (m_model.Anchor().caret != cell.caret && !deleteSelectedCharacters())
    return false;
  // A table goes into TEXT cells only.
  if (cell.area != KvGridArea::Text)
    return false;
  if (!pasteBlock(text, rows, columns))
    return false;
  m_bChanged = true;
  return true;
}

bool CKvFormView::pasteBlock(const QString& text, int rows, int columns) {
  const QString& area = KvGridAreaName(KvGridArea::Text);
  const KvGridCell cell = m_model.Current();
  const int rowCount = m_model.TextRowCount();
  const int columnCount = m_model.ColumnCount();
  const QStringList lines = text.split(u'\n');
  KvPasteRefusal refusal;
  if (cell.column == 0 && columns >= columnCount) {
    // Whole rows: opened at the current row and filled line by line.
    if (!MayAddRows())
      return false;
    AddRows(rows);
    m_model.SetTextRowCount(rowCount + rows);
    MoveRows(cell.row, rowCount - 1, rows);
    for (int i = 0; i < rows; ++i) {
      const QStringList fields = lines.value(i).split(u'\t');
      for (int column = 0; column < columnCount && column < fields.size(); ++column)
        writeBlockCell(cell.row + i, column, area, fields.at(column), &refusal);
    }
    RecalcScroll(true);
    settleOn(qBound(0, cell.row + rows, m_model.TextRowCount() - 1), 0, KvGridArea::Text);
    tellRefusal(refusal);
    return true;
  }
  // A block from the current cell, clipped at the grid's last row and column.
  for (int i = 0; i < rows && cell.row + i < rowCount; ++i) {
    const QStringList fields = lines.value(i).split(u'\t');
    for (int j = 0; j < fields.size() && cell.column + j < columnCount; ++j)
      writeBlockCell(cell.row + i, cell.column + j, area, fields.at(j), &refusal);
  }
  settleOn(cell.row, cell.column, KvGridArea::Text);
  tellRefusal(refusal);
  return true;
}

bool CKvFormView::PasteIntoBlock() {
  if (!m_bEditable || !m_model.SameArea())
    return false;
  QString text;
  int rows = 0, columns = 0;
  if (!clipboardTable(text, rows, columns) || rows != 1 || columns != 1)
    return false;
  CommitEditor();
  KvGridCell anchor = m_model.Anchor();
  KvGridCell current = m_model.Current();
  const QString& area = KvGridAreaName(current.area);
  int r1, c1, r2, c2;
  m_model.SelectedBlock(r1, c1, r2, c2);
  KvPasteRefusal refusal;
  for (int row = r1; row <= r2; ++row)
    for (int column = c1; column <= c2; ++column)
      writeBlockCell(row, column, area, text, &refusal);
  anchor.caret = current.caret = 0;
  m_bChanged = true;
  settleSelection(anchor, current);
  tellRefusal(refusal);
  return true;
}

bool CKvFormView::PasteIntoColumn() {
  KvGridCell current = m_model.Current();
  if (!m_bEditable || current.area != KvGridArea::Text || m_model.TextRowCount() <= 1)
    return false;
  CommitEditor();
  const QString& area = KvGridAreaName(KvGridArea::Text);
  const QString text = ReadCell(current.row, current.column, area);
  KvPasteRefusal refusal;
  for (int row = 0; row < m_model.TextRowCount(); ++row) {
    // Blank rows stay blank.
    bool blank = true;
    for (int column = 0; column < m_model.ColumnCount() && blank; ++column)
      blank = ReadCell(row, column, area).isEmpty();
    if (!blank)
      writeBlockCell(row, current.column, area, text, &refusal);
  }
  KvGridCell anchor = m_model.Anchor();
  anchor.caret = current.caret = 0;
  m_bChanged = true;
  settleSelection(anchor, current);
  tellRefusal(refusal);
  return true;
}

// --- Rows and selection ---

bool CKvFormView::InsertBlankRow(bool bAfter) {
  const KvGridCell current = m_model.Current();
  const int rowCount = m_model.TextRowCount();
  if (!MayAddRows() || !m_bEditable || (current.area != KvGridArea::Text && rowCount > 0))
    return false;
  CommitEditor();
  if (rowCount == 0) {
    // The first row: the caret goes to its first cell that may be edited.
    AddRows(1);
    m_model.SetTextRowCount(1);
    RecalcScroll(true);
    const QString& area = KvGridAreaName(KvGridArea::Text);
    int column = 0;
    while (column + 1 < m_model.ColumnCount() && !CanEditCell(0, column, area))
      ++column;
    settleOn(0, column, KvGridArea::Text);
    return true;
  }
  const int at = current.row + (bAfter ? 1 : 0);
  AddRows(1);
  m_model.SetTextRowCount(rowCount + 1);
  if (at < rowCount)
    MoveRows(at, rowCount - 1, 1);
  RecalcScroll(true);
  settleOn(bAfter ? at : current.row, current.column, KvGridArea::Text);
  return true;
}

void CKvFormView::SelectAll() {
  const int rows = m_model.TextRowCount();
  const int columns = m_model.ColumnCount();
  if (rows == 0 || columns == 0)
    return;
  // With Shift the anchor stays, so the selection is extended.
  const bool shift = QApplication::keyboardModifiers() & Qt::ShiftModifier;
  const KvGridCell anchor = shift ? m_model.Anchor() : KvGridCell{0, rows - 1, columns - 1, KvGridArea::Text};
  SelectCells(anchor, KvGridCell{0, 0, 0, KvGridArea::Text});
}

// --- Calculator ---

QString CKvFormView::CalculatorExpression() {
  if (!m_model.SameArea())
    return QString();
  const KvGridCell current = m_model.Current();
  const QString& area = KvGridAreaName(current.area);
  if (m_model.SingleCell()) {
    QString text, type;
    int limit1 = -1, limit2 = -1;
    GetCellValue(current.row, current.column, area, text, type, limit1, limit2);
    return type.contains(QLatin1String("NUMBER")) ? text : QString();
  }
  int r1, c1, r2, c2;
  m_model.SelectedBlock(r1, c1, r2, c2);
  QStringList terms;
  for (int row = r1; row <= r2; ++row) {
    for (int column = c1; column <= c2; ++column) {
      if (!m_model.CellExists(current.area, row, column))
        continue;
      const QString text = ReadCell(row, column, area).remove(u',').trimmed();
      if (isNumberText(text))
        terms.append(text);
    }
  }
  return terms.join(u'+');
}

void CKvFormView::OnCalculator() {
  // A refused text in the editor was told; it stays for the operator.
  if (!CommitEditor())
    return;
  const QString expression = CalculatorExpression();
  const KvGridCell cell = m_model.Current();
  const QString& area = KvGridAreaName(cell.area);
  QString text, type;
  int limit1 = -1, limit2 = -1;
  GetCellValue(cell.row, cell.column, area, text, type, limit1, limit2);
  const bool sendBack = m_bEditable && m_model.CellExists(cell.area, cell.row, cell.column) &&
                        CanEditCell(cell.row, cell.column, area) && GetRowsPerPage(false) >= 1 &&
                        type.contains(QLatin1String("NUMBER"));
  CKvCalcDlg dialog(sendBack, expression, this);
  if (KvExecDialog(&dialog) != QDialog::Accepted || !sendBack)
    return;
  // The result is an edit of the current cell, with the decimals the cell
  // keeps; one it still refuses (too many digits) is told.
  const QString result = KvCalculatorResultFor(dialog.m_strResult, limit2);
  if (!CommitCell(cell.row, cell.column, area, result, cell.caret)) {
    KvTellCalculatorResultRefused(result);
    return;
  }
  const int caret = qMin(cell.caret, int(result.size()));
  const KvGridCell placed{caret, cell.row, cell.column, cell.area};
  settleSelection(placed, placed);
}
