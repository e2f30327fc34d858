#include "forms/CForthView.h"

#include "core/KvInputType.h"
#include "core/KvNumber.h"
#include "forms/CKvDoc.h"
#include "forms/KvColumnDef.h"
#include "forms/KvGridText.h"
#include "ui/KvCommands.h"

#include <algorithm>

CForthView::CForthView(CKvDoc* pDoc, QWidget* parent) : CThirdView(pDoc, parent) {}

// --- Layout ---

void CForthView::InitLayout() {
  if (!m_pDoc)
    return;
  DropEditor();
  m_bEditable = !m_pDoc->m_bReadOnly;
  if (!m_bPrintSetLoaded && m_pDoc->m_pDb) {
    m_printSet.Load(m_pDoc->m_pDb, m_pDoc->m_nFlag, QString::number(m_pDoc->m_nForm));
    m_bPrintSetLoaded = true;
  }
  const KvFormEntry& entry = m_pDoc->m_formEntry;
  QList<KvGridColumn> columns;
  bool summed = false;
  for (int cell : m_pDoc->m_colMap) {
    if (cell < 0 || cell >= entry.formulas.size())
      continue;
    const KvFormula& formula = entry.formulas.at(cell);
    KvColumnDef def;
    KvParseColumnDef(formula, def);
    KvGridColumn column;
    column.title = def.sTitle;
    column.valueType = def.sType;
    column.alignment = def.sAlign;
    column.width = formula.DisplayWidth() > 0 ? formula.DisplayWidth() : 8;
    column.editWidth = formula.EditWidth();
    column.cell = cell;
    column.simplified = def.d1 != 0;
    column.total = def.d3 == 1;
    column.nLess = formula.nLess;
    column.nMore = formula.nMore;
    summed = summed || column.IsSummed();
    columns.append(column);
  }
  SetLayout(entry.sFna, columns, entry.headNotes, entry.topWords, entry.nTopNum, entry.nOption);
  // An undo step names its cell by the shown column or note place of the
  // layout it was made in.
  m_model.ClearHistory();
  m_model.SetFixedColumns(m_nFixedCols);
  m_pDoc->UpdateShownTexts();
  m_model.SetTextRowCount(m_pDoc->GetRowCount());
  QString status;
  m_pDoc->GetSummaryText(status, m_pDoc->GetRowCount());
  m_model.SetTotalsRow(summed || !status.isEmpty() || m_pDoc->HasTotalsLine());
  MergeCells();
  RefreshTotals();
  MeasureScreen();
  RecalcScroll(true);
  updateEditor();
}

// --- Cells ---

const QString* CForthView::cellText(int nRow, int nCol) const {
  if (!m_pDoc || nRow < 0 || nRow >= m_pDoc->m_rows.size() || nCol < 0 || nCol >= m_model.ColumnCount())
    return nullptr;
  const int cell = m_model.Columns().at(nCol).cell;
  const QStringList& row = m_pDoc->m_rows.at(nRow);
  return cell >= 0 && cell < row.size() ? &row.at(cell) : nullptr;
}

QString* CForthView::textCell(int nRow, int nCol) {
  if (!m_pDoc || nRow < 0 || nRow >= m_pDoc->m_rows.size() || nCol < 0 || nCol >= m_model.ColumnCount())
    return nullptr;
  const int cell = m_model.Columns().at(nCol).cell;
  QStringList& row = m_pDoc->m_rows[nRow];
  if (cell < 0 || cell >= row.size())
    return nullptr;
  return &row[cell];
}

void CForthView::AddRows(int nCount) {
  if (!m_pDoc)
    return;
  for (int i = 0; i < nCount; ++i)
    m_pDoc->AppendRow(m_pDoc->NewRow());
  for (int i = 0; i < -nCount && !m_pDoc->m_rows.isEmpty(); ++i) {
    m_pDoc->m_rows.removeLast();
    if (m_pDoc->m_flagRows.size() > m_pDoc->m_rows.size())
      m_pDoc->m_flagRows.resize(m_pDoc->m_rows.size());
    if (m_pDoc->m_shownRows.size() > m_pDoc->m_rows.size())
      m_pDoc->m_shownRows.resize(m_pDoc->m_rows.size());
  }
  RefreshTotals();
}

void CForthView::MoveRows(int nFirst, int nLast, int nDelta) {
  if (!m_pDoc || nDelta == 0)
    return;
  QList<QStringList>& rows = m_pDoc->m_rows;
  QStringList& flags = m_pDoc->m_flagRows;
  auto& shown = m_pDoc->m_shownRows;
  const int count = int(rows.size());
  if (nFirst < 0 || nLast < nFirst || nLast >= count || nFirst + nDelta < 0 || nLast + nDelta >= count)
    return;
  while (flags.size() < count)
    flags.append(QString(rows.at(flags.size()).size(), u'0'));
  shown.resize(count);
  // The rows moved over take the places the moved rows left.
  const auto rotate = [&](auto& list) {
    if (nDelta > 0)
      std::rotate(list.begin() + nFirst, list.begin() + nLast + 1, list.begin() + nLast + nDelta + 1);
    else
      std::rotate(list.begin() + nFirst + nDelta, list.begin() + nFirst, list.begin() + nLast + 1);
  };
  rotate(rows);
  rotate(flags);
  rotate(shown);
  RefreshTotals();
}

void CForthView::GetCellValue(int nRow, int nCol, const QString& area, QString& text, QString& type,
                              int& nLimit1, int& nLimit2) {
  text.clear();
  type.clear();
  nLimit1 = nLimit2 = -1;
  if (!m_pDoc)
    return;
  const KvGridArea which = KvGridAreaFromName(area);
  if (which == KvGridArea::Text) {
    if (const QString* cell = cellText(nRow, nCol)) {
      text = *cell;
      const KvGridColumn& column = m_model.Columns().at(nCol);
      type = column.valueType;
      if (column.IsNumber()) {
        nLimit1 = m_pDoc->m_formEntry.formulas.at(column.cell).IntDigits();
        nLimit2 = qMax(0, column.nMore);
      } else {
        nLimit1 = column.editWidth > 0 ? column.editWidth : -1;
      }
    }
  } else if (which == KvGridArea::Head || which == KvGridArea::Foot) {
    const int note = m_model.NoteIndex(which == KvGridArea::Foot, nRow, nCol);
    if (note >= 0 && note < m_pDoc->m_noteTexts.size()) {
      text = m_pDoc->m_noteTexts.at(note);
      type = QStringLiteral("STRING");
      const int length = m_model.Notes().at(note).EditLength();
      nLimit1 = length > 0 ? length : -1;
    }
  }
}

void CForthView::SetCellValue(int nRow, int nCol, const QString& area, const QString& text) {
  if (!m_pDoc)
    return;
  const KvGridArea which = KvGridAreaFromName(area);
  if (which == KvGridArea::Text) {
    if (QString* cell = textCell(nRow, nCol)) {
      *cell = text;
      RefreshTotals();
    }
  } else if (which == KvGridArea::Head || which == KvGridArea::Foot) {
    const int note = m_model.NoteIndex(which == KvGridArea::Foot, nRow, nCol);
    if (note >= 0 && note < m_pDoc->m_noteTexts.size())
      m_pDoc->m_noteTexts[note] = text;
  }
}

bool CForthView::CanEditCell(int nRow, int nCol, const QString& area) {
  return m_pDoc && !m_pDoc->m_bReadOnly && !showsStoredFact(nRow, nCol, area) && IsCellEditable(area, nRow, nCol);
}

bool CForthView::showsStoredFact(int nRow, int nCol, const QString& area) const {
  const KvGridArea which = KvGridAreaFromName(area);
  if (which != KvGridArea::Head && which != KvGridArea::Foot)
    return false;
  // Judged by the words the layout gives the note, not by the default text
  // an empty note shows: a note left empty for a name stays open to typing.
  const int note = m_model.NoteIndex(which == KvGridArea::Foot, nRow, nCol);
  const QList<KvHeadNote>& notes = m_pDoc->m_formEntry.headNotes;
  return note >= 0 && note < notes.size() && KvNoteShowsStoredFact(notes.at(note).sWords, m_pDoc->m_macros);
}

void CForthView::OnCellChanged(const QString& text, int nRow, int nCol, const QString& area) {
  if (!m_pDoc || KvGridAreaFromName(area) != KvGridArea::Text || nCol < 0 || nCol >= m_model.ColumnCount())
    return;
  const int cell = m_model.Columns().at(nCol).cell;
  m_pDoc->CheckCell(nRow, cell);
  m_pDoc->AfterEdit(nRow, cell, text);
  // The document may have rewritten the text it was given.
  m_pDoc->UpdateShownText(nRow, cell);
  RefreshTotals();
}

QColor CForthView::GetCellColor(int nRow, int nCol, const QString& area) {
  if (m_pDoc && KvGridAreaFromName(area) == KvGridArea::Text && nRow >= 0 && nRow < m_pDoc->m_flagRows.size() &&
      nCol >= 0 && nCol < m_model.ColumnCount()) {
    const QString& flags = m_pDoc->m_flagRows.at(nRow);
    const int cell = m_model.Columns().at(nCol).cell;
    if (cell >= 0 && cell < flags.size() && flags.at(cell) == u'1')
      return QColor(Qt::red);
  }
  return CThirdView::GetCellColor(nRow, nCol, area);
}

QString CForthView::GetDisplayText(int nRow, int nCol, KvGridArea area) {
  if (area == KvGridArea::Text) {
    const QString* cell = cellText(nRow, nCol);
    if (!cell)
      return QString();
    const KvGridColumn& column = m_model.Columns().at(nCol);
    if (m_nNumberMode == 1 && column.IsNumber())
      return m_pDoc->FormatNumber(column.cell, *cell);
    return m_pDoc->GetShownText(nRow, column.cell);
  }
  return CThirdView::GetDisplayText(nRow, nCol, area);
}

// --- Totals ---

void CForthView::AddRowToTotals(int nRow) {
  for (int c = 0; c < m_model.ColumnCount() && c < m_totals.size(); ++c) {
    if (!m_model.Columns().at(c).IsSummed())
      continue;
    // Read as a save reads it: a text that is not a number adds nothing.
    double value = 0.0;
    if (const QString* cell = cellText(nRow, c);
        cell && KvReadTypedNumber(KvJudgedText(*cell, m_model.Columns().at(c).valueType), -1, -1, &value))
      m_totals[c] += value;
  }
}

void CForthView::SumRows(int nFirst, int nCount) {
  m_totals = QList<double>(m_model.ColumnCount(), 0.0);
  const int end = m_pDoc ? qMin(nFirst + nCount, int(m_pDoc->m_rows.size())) : 0;
  for (int row = qMax(0, nFirst); row < end; ++row)
    AddRowToTotals(row);
}

QStringList CForthView::totalsOf(int nFirst, int nCount) {
  SumRows(nFirst, nCount);
  QStringList texts;
  for (int c = 0; c < m_model.ColumnCount(); ++c) {
    const KvGridColumn& column = m_model.Columns().at(c);
    texts.append(column.IsSummed() ? KvFormatColumnTotal(m_totals.value(c), column) : QString());
  }
  return texts;
}

void CForthView::RefreshTotals() {
  m_bTotalsDirty = true;
  viewport()->update();
}

bool CForthView::GetTotalsRow(const KvGridPass& pass, QString& label, QStringList& totals) {
  if (!m_pDoc || !m_model.HasTotalsRow())
    return false;
  const int rows = int(m_pDoc->m_rows.size());
  bool running = m_nTotalsMode == 1;
  int first = 0;
  int count = rows;
  if (pass.printing) {
    if (m_nOptions & 1) {
      // Each page sums its own rows.
      first = pass.firstRow;
      count = pass.rowCount;
      running = false;
    } else if (running) {
      count = qMin(rows, pass.firstRow + pass.rowCount);
    }
    totals = totalsOf(first, count);
  } else {
    if (m_bTotalsDirty) {
      m_screenTotals = totalsOf(0, rows);
      m_bTotalsDirty = false;
    }
    totals = m_screenTotals;
  }
  label = running ? QStringLiteral("累计") : QStringLiteral("合计");
  QString status;
  m_pDoc->GetSummaryText(status, count);
  if (!status.isEmpty())
    label += QLatin1Char(' ') + status;
  return true;
}

// --- Commands ---

bool CForthView::HandlesCmd(int id) const { return id == KV_CMD_REFRESH || CThirdView::HandlesCmd(id); }

void CForthView::ExecuteCmd(int id) {
  if (id == KV_CMD_REFRESH && m_pDoc)
    m_pDoc->Refill();
  else
    CThirdView::ExecuteCmd(id);
}

bool CForthView::IsCmdEnabled(int id) {
  if (id == KV_CMD_REFRESH)
    return m_pDoc != nullptr;
  return CThirdView::IsCmdEnabled(id);
}
