#include "school/CXxRptDoc.h"

#include "core/KvDate.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvNumberText.h"
#include "core/KvText.h"
#include "forms/KvColumnDef.h"

#include <QHash>

#include <algorithm>

namespace {
constexpr int kTotalColumn = 15;
constexpr int kNameColumn = 6;
}  // namespace

CXxRptDoc::CXxRptDoc() = default;

void CXxRptDoc::OnCloseDocument() {
  QStringList& args = OpenArgs();
  args = {m_dates[0],
          m_dates[1],
          m_filter.strStdPrefix,
          m_filter.strCost,
          m_filter.strOperators[0],
          m_filter.strOperators[1],
          QString::number(m_filter.bReviewFlags[0] ? 1 : 0),
          QString::number(m_filter.bReviewFlags[1] ? 1 : 0),
          m_strYear,
          QString::number(m_nSeason),
          QString::number(m_nDepth)};
  CKvDoc::OnCloseDocument();
}

void CXxRptDoc::LoadOpenArgs() {
  m_nExtraCells = 1;
  QStringList& args = OpenArgs();
  if (args.size() != kOpenArgCount) {
    const QString year = KvNowText(QStringLiteral("%Y"));
    args = QStringList(kOpenArgCount);
    args[0] = year + QStringLiteral("0101");
    args[1] = year + QStringLiteral("1231");
    args[8] = year;
  }
  m_dates[0] = args.at(0);
  m_dates[1] = args.at(1);
  m_filter.strStdPrefix = args.at(2);
  m_filter.strCost = args.at(3);
  m_filter.strOperators[0] = args.at(4);
  m_filter.strOperators[1] = args.at(5);
  m_filter.bReviewFlags[0] = KvStrToInt(args.at(6)) != 0;
  m_filter.bReviewFlags[1] = KvStrToInt(args.at(7)) != 0;
  m_strYear = args.at(8);
  m_nSeason = KvStrToInt(args.at(9));
  m_nDepth = KvStrToInt(args.at(10));
  m_nTreeTotals = 1;
  m_nRunningTotals = 1;
  m_nItemsRead = CCost::SelectAll(&m_items, m_pDb);
}

void CXxRptDoc::InitFormEntry(KvFormEntry& entry) {
  entry.sFna = DefaultTitle();
  entry.nOpen = 0;
  entry.nTopNum = 3;
}

void CXxRptDoc::AddVoucherColumns(KvFormEntry& entry, bool bYearShown) {
  entry.AddFormula(bYearShown ? 101 : 1, 404, 0, 0, QStringLiteral("年/STRING/MID"));
  entry.AddFormula(102, 303, 0, 0, QStringLiteral("月/STRING/MID"));
  entry.AddFormula(103, 303, 0, 0, QStringLiteral("日/STRING/MID"));
  entry.AddFormula(104, 505, 0, 0, QStringLiteral("单号/STRING/MID"));
}

void CXxRptDoc::AddBaseColumns(KvFormEntry& entry, bool bSummed) const {
  entry.AddFormula(5, 1212, 0, 0, QStringLiteral("代码/STRING/LEFT"));
  entry.AddFormula(106, 1010, 0, 0, QStringLiteral("名称\\姓名/MDBSTRING/LEFT"));
  // Summed, fee items and the total carry the totals digit (d3 = 1); every
  // fee-item column is of kind 1 (d4) and names its item last.
  const QString itemColumn =
      bSummed ? QStringLiteral("%s/NUMBER/RIGHT/0011/0/%s") : QStringLiteral("%s/NUMBER/RIGHT/1/0/%s");
  for (const CCost& item : m_items)
    entry.AddFormula(100, 1010, 2, 2, KvFormat(itemColumn, item.ColumnTitle(), item.KNO));
  entry.AddFormula(115, 1212, 2, 2,
                   bSummed ? QStringLiteral("合计/NUMBER/RIGHT/0010") : QStringLiteral("合计/NUMBER/RIGHT"));
}

void CXxRptDoc::BuildColumns(KvFormEntry& entry) {
  AddBaseColumns(entry);
  PrepareColumns(entry);
}

int CXxRptDoc::GetColumnMark(const KvFormEntry& entry, int nColumn) {
  return entry.formulas.value(nColumn).Link() == kNameColumn ? 1 : 2;
}

void CXxRptDoc::BuildHeadNotes(KvFormEntry& entry) {
  entry.AddHeadNote(0, 0, 0, 1, 0, QStringLiteral("编表单位"), QStringLiteral("编表单位：#co_name"));
  entry.AddHeadNote(0, 0, 43, 1, 0, QStringLiteral("报告期"), QStringLiteral("#xx_time"));
  entry.AddHeadNote(0, 0, 91, 1, 0, QStringLiteral("套打页码"), QString());
  entry.AddHeadNote(1, 0, 0, 1, 0, QStringLiteral("主管"), QStringLiteral("会计主管：#co_manager"));
  entry.AddHeadNote(1, 0, 80, 1, 0, QStringLiteral("制表"), QStringLiteral("制表：#cur_opr_name"));
}

bool CXxRptDoc::PrepareOpen() {
  if (!m_items.isEmpty())
    return true;
  // A catalogue that could not be read has been reported, or the loss of
  // the connection told.
  if (m_nItemsRead < 0)
    return false;
  KvMessageBox(QStringLiteral("未定义收费项目！"), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

void CXxRptDoc::BuildPrintMacros() {
  AddMacroRow(QStringLiteral("报告期"), QStringLiteral("#xx_time"), m_strPeriod);
}

void CXxRptDoc::FillGrid(const QList<int>& intNumbers, const QList<int>& textNumbers,
                         const QList<CXxRptRow>& rows) {
  ClearRows();
  QList<int> intCells, textCells;
  int first = -1;
  MatchColumnFormulas(m_formEntry, intNumbers, intCells, first);
  MatchColumnFormulas(m_formEntry, textNumbers, textCells, first);
  const int totalCell = FindColumnFormula(kTotalColumn);

  // The columns of the fee items, with their item's index and decimals.
  QHash<QString, int> itemIndex;
  for (qsizetype i = 0; i < m_items.size(); ++i)
    itemIndex.insert(m_items.at(i).KNO, int(i));
  struct ItemColumn {
    int cell;
    int item;
  };
  QList<ItemColumn> itemColumns;
  for (qsizetype cell = 0; cell < m_formEntry.formulas.size(); ++cell) {
    KvColumnDef def;
    KvParseColumnDef(m_formEntry.formulas.at(cell), def);
    const auto found = itemIndex.constFind(def.sFormula);
    if (int(cell) != totalCell && !def.sFormula.isEmpty() && found != itemIndex.cend())
      itemColumns.append({int(cell), found.value()});
  }
  const auto amountText = [this](int cell, double value) {
    const KvFormula& formula = m_formEntry.formulas.at(cell);
    return KvNumToText(value, 0, formula.nLess, formula.nMore, false).remove(u',').trimmed();
  };

  const int cellCount = int(m_formEntry.formulas.size());
  for (const CXxRptRow& source : rows) {
    QStringList row = NewRow();
    row[cellCount] = source.key;
    for (qsizetype j = 0; j < textCells.size(); ++j)
      if (textCells.at(j) >= 0)
        row[textCells.at(j)] = source.strings.value(j);
    double total = 0;
    for (const ItemColumn& column : itemColumns) {
      const double amount = source.doubles.value(column.item);
      row[column.cell] = amountText(column.cell, amount);
      total += amount;
    }
    if (totalCell >= 0)
      row[totalCell] = amountText(totalCell, total);
    for (qsizetype j = 0; j < intCells.size(); ++j)
      if (intCells.at(j) >= 0)
        row[intCells.at(j)] = QString::number(source.ints.value(j));
    AppendRow(row);
  }
}

std::function<void()> CXxRptDoc::KeepFillState() {
  return [this, items = m_items, itemsRead = m_nItemsRead] {
    m_items = items;
    m_nItemsRead = itemsRead;
  };
}

bool CXxRptDoc::ReloadItems() {
  QList<CCost> items;
  m_nItemsRead = CCost::SelectAll(&items, m_pDb);
  if (m_nItemsRead < 0)
    return false;
  const auto same = [](const CCost& a, const CCost& b) { return a.KNO == b.KNO && a.NA == b.NA; };
  if (!std::equal(items.cbegin(), items.cend(), m_items.cbegin(), m_items.cend(), same)) {
    m_items = items;
    LoadLayout();
  }
  return true;
}

QString CXxRptDoc::RowKey(int nRow) const {
  const QStringList& row = m_rows.value(nRow);
  return row.value(m_formEntry.formulas.size());
}
