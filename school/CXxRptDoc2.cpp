#include "school/CXxRptDoc2.h"

#include "core/KvFormat.h"
#include "school/CStd.h"
#include "school/KvStdPicker.h"
#include "ui/CKvWaitWnd.h"

#include <QApplication>
#include <QWidget>

QString CXxRptDoc2::DefaultTitle() const { return QStringLiteral("学生交费明细账"); }

void CXxRptDoc2::BuildColumns(KvFormEntry& entry) {
  AddVoucherColumns(entry, true);
  // Due lines, subtotals, payments and arrears stand in one column: a sum
  // down the ledger would mean nothing, so its totals line has none.
  AddBaseColumns(entry, false);
  entry.InsertFormula(6, 107, 3030, 0, 0, QStringLiteral("摘  要/MDBSTRING/LEFT"));
  entry.AddFormula(108, 303, 0, 0, QStringLiteral("操作/STRING/MID"));
  entry.AddFormula(109, 303, 0, 0, QStringLiteral("复核/STRING/MID"));
  // The ledger is one student's: no code and name columns.
  entry.formulas.remove(4, 2);
  PrepareColumns(entry);
}

int CXxRptDoc2::GetColumnMark(const KvFormEntry& entry, int nColumn) {
  return entry.formulas.value(nColumn).Link() == 3 ? 1 : 2;
}

void CXxRptDoc2::BuildHeadNotes(KvFormEntry& entry) {
  entry.AddHeadNote(0, 0, 0, 1, 0, QStringLiteral("学生"), QStringLiteral("#xx_student"));
  CXxRptDoc::BuildHeadNotes(entry);
  entry.headNotes.removeIf([](const KvHeadNote& note) {
    return note.sNote == QStringLiteral("编表单位") || note.sNote == QStringLiteral("报告期");
  });
}

bool CXxRptDoc2::PrepareOpen() {
  if (!CXxRptDoc::PrepareOpen())
    return false;
  QString code = m_filter.strStdPrefix;
  if (!KvPickStdCode(QApplication::activeWindow(), m_pDb, 1, code))
    return false;
  CStd student(m_pDb, code);
  if (student.Load(0, -1) != 1)
    return false;
  m_filter.strStdPrefix = code;
  m_strPeriod = KvFormat(QStringLiteral("学生：(%s)%s"), code, student.NA);
  m_nRunningTotals = 0;
  return true;
}

bool CXxRptDoc2::FillRows() {
  CKvWaitWnd wait;
  wait.Show();
  if (!ReloadItems())
    return false;
  CXxRptRow scratch(0, int(m_items.size()), 9);
  QList<CXxRptRow> rows;
  const bool read = scratch.LoadLedger(m_filter.strStdPrefix, m_items, &rows, m_pDb) >= 0;
  FillGrid({}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, rows);
  return read;
}

void CXxRptDoc2::BuildPrintMacros() {
  AddMacroRow(QStringLiteral("学生"), QStringLiteral("#xx_student"), m_strPeriod);
}
