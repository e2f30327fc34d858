#include "school/CXxRptRow.h"

#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "school/CPc.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kZero = 0.000001;

// Fee-item code -> index into the item list.
QHash<QString, int> itemIndex(const QList<CCost>& items) {
  QHash<QString, int> index;
  for (qsizetype i = 0; i < items.size(); ++i)
    index.insert(items.at(i).KNO, int(i));
  return index;
}

// Year, month, day, number, memo and operators of a line into a cleared
// row's text slots 0-3 and 6-8.
void fillVoucherSlots(CXxRptRow* row, const CPc& line) {
  row->strings[0] = line.T.left(4);
  row->strings[1] = line.T.mid(4, 2);
  row->strings[2] = line.T.mid(6, 2);
  row->strings[3] = line.DH;
  row->strings[6] = line.Mry;
  row->strings[7] = line.Opr0;
  row->strings[8] = line.Opr1;
}

// The optional conditions of the filter.
QStringList filterConditions(const KvFeeFilter& filter, CKvDb* pDb) {
  QStringList conditions;
  if (!filter.strStdPrefix.isEmpty())
    conditions.append(KvFormat(QStringLiteral("STD Like '%s'"), KvLikePrefix(pDb, filter.strStdPrefix)));
  if (!filter.strCost.isEmpty())
    conditions.append(KvFormat(QStringLiteral("COST='%s'"), pDb->QuoteText(filter.strCost)));
  for (int i = 0; i < 2; ++i)
    if (!filter.strOperators[i].isEmpty())
      conditions.append(KvFormat(QStringLiteral("OPR%d='%s'"), i, pDb->QuoteText(filter.strOperators[i])));
  if (filter.bReviewFlags[0])
    conditions.append(QStringLiteral("OPR1=''"));
  if (filter.bReviewFlags[1])
    conditions.append(QStringLiteral("OPR1<>''"));
  return conditions;
}
}  // namespace

CXxRptRow::CXxRptRow(int nInts, int nAmounts, int nTexts)
    : ints(qMax(nInts, 0), 0), doubles(qMax(nAmounts, 0), 0.0), strings(qMax(nTexts, 0)) {}

void CXxRptRow::Clear() {
  ints.fill(0);
  doubles.fill(0.0);
  for (QString& text : strings)
    text.clear();
  key.clear();
}

void CXxRptRow::Add(const CXxRptRow& other) {
  for (qsizetype i = 0; i < ints.size() && i < other.ints.size(); ++i)
    ints[i] += other.ints.at(i);
  for (qsizetype i = 0; i < doubles.size() && i < other.doubles.size(); ++i)
    doubles[i] += other.doubles.at(i);
}

void CXxRptRow::Subtract(const CXxRptRow& other) {
  for (qsizetype i = 0; i < ints.size() && i < other.ints.size(); ++i)
    ints[i] -= other.ints.at(i);
  for (qsizetype i = 0; i < doubles.size() && i < other.doubles.size(); ++i)
    doubles[i] -= other.doubles.at(i);
}

bool CXxRptRow::IsZero() const {
  return std::all_of(doubles.cbegin(), doubles.cend(), [](double value) { return std::fabs(value) <= kZero; });
}

// --- Fee detail ---

int CXxRptRow::LoadDetail(const QString dates[2], const KvFeeFilter& filter, const QList<CCost>& items,
                          QList<CXxRptRow>* rows, CKvDb* pDb) {
  rows->clear();
  QString where = KvFormat(QStringLiteral("Where F=-1 And T>='%s' And T<='%s'"), pDb->QuoteText(dates[0]),
                           pDb->QuoteText(dates[1]));
  for (const QString& condition : filterConditions(filter, pDb))
    where += QStringLiteral(" And ") + condition;
  QList<CPc> lines;
  if (CPc::Select(where, QStringLiteral("Order By T,DH,STD"), &lines, pDb) < 0)
    return -1;
  const QHash<QString, int> index = itemIndex(items);
  QHash<QString, qsizetype> rowOf;  // year, number, student and term -> row
  QHash<QString, QString> names;
  for (const CPc& line : lines) {
    const auto item = index.constFind(line.COST);
    if (item == index.constEnd())
      continue;
    const QString lineKey = line.T.left(4) + u'|' + line.DH + u'|' + line.STD + u'|' + QString::number(line.QC);
    const auto found = rowOf.constFind(lineKey);
    if (found != rowOf.constEnd()) {
      (*rows)[*found].doubles[*item] += line.My;
      continue;
    }
    Clear();
    fillVoucherSlots(this, line);
    strings[4] = line.STD;
    auto name = names.constFind(line.STD);
    if (name == names.constEnd()) {
      CStd student(pDb, line.STD);
      const int loaded = student.Load(0, -1);
      if (loaded < 0) {
        rows->clear();
        return -1;
      }
      name = names.insert(line.STD, loaded > 0 ? student.NA : QString());
    }
    strings[5] = *name;
    ints[0] = line.QC + 1;
    doubles[*item] = line.My;
    rowOf.insert(lineKey, rows->size());
    rows->append(*this);
  }
  // Year, month, day and number repeated from the row above are blanked, as
  // long as every slot before them repeats too.
  QString previous[4];
  for (CXxRptRow& row : *rows) {
    const QString current[4] = {row.strings[0], row.strings[1], row.strings[2], row.strings[3]};
    for (int slot = 0; slot < 4 && current[slot] == previous[slot]; ++slot)
      row.strings[slot].clear();
    std::copy(std::begin(current), std::end(current), std::begin(previous));
  }
  return int(rows->size());
}

// --- Fee statistics ---

int CXxRptRow::LoadStatistics(int kind, const QString& year, int season, int depth, const KvFeeFilter& filter,
                              const QList<CCost>& items, QList<CXxRptRow>* rows, CKvDb* pDb) {
  rows->clear();
  const int yearValue = year.toInt();
  const int gradeLength = CXxDataType::GradeCodeLen();
  const QString head = QStringLiteral("Select 0,0,0,") +
                       (kind == 2 ? QStringLiteral("sum(f*MY)") : QStringLiteral("sum(MY)")) +
                       QStringLiteral(",'','','',rtrim(COST),rtrim(STD),'','','' From PC Where ") +
                       (kind == 0 ? QStringLiteral("F=1 And ") : kind == 1 ? QStringLiteral("F=-1 And ") : QString());
  QString conditions;
  for (const QString& condition : filterConditions(filter, pDb))
    conditions += condition + QStringLiteral(" And ");
  // The line's term is its grade's term of the year and season. Written
  // as Exists (the same rows as "QC In (Select <term> ...)"), which the
  // server joins instead of running once per line.
  const auto statement = [&](const QString& term) {
    return head + conditions +
           KvFormat(QStringLiteral("Exists (Select KNO From Std Where (XQL='0' Or XQL='1') And KNO=Left(PC.STD,%d) "
                                   "And PC.QC="),
                    gradeLength) +
           KvFormat(term, yearValue, season) + QStringLiteral(") Group By STD,COST");
  };
  // The term of a grade for the year and season; an empty start year
  // counts as 0 on the server as on SQLite.
  QList<CPc> sums;
  if (CPc::SelectSql(false, statement(QStringLiteral("2*(%d-val(Left(XQT0,4)))+val(XQL)-%d")), &sums, pDb,
                 statement(QStringLiteral("2*(%d-Coalesce(Cast(NullIf(Left(XQT0,4),'') As INT),0))"
                                          "+Cast(XQL As INT)-%d"))) < 0)
    return -1;

  // One working row per student.
  const QHash<QString, int> index = itemIndex(items);
  QHash<QString, qsizetype> studentRow;
  QList<CXxRptRow> students;
  for (const CPc& sum : sums) {
    const auto item = index.constFind(sum.COST);
    if (item == index.constEnd())
      continue;
    auto found = studentRow.constFind(sum.STD);
    if (found == studentRow.constEnd()) {
      Clear();
      strings[0] = sum.STD;
      ints[0] = 1;
      found = studentRow.insert(sum.STD, students.size());
      students.append(*this);
    }
    students[*found].doubles[*item] += sum.My;
  }
  // Students in code order, without the ones that owe nothing, so that a
  // node's students are one run found by its code.
  students.removeIf([](const CXxRptRow& row) { return row.IsZero(); });
  std::sort(students.begin(), students.end(),
            [](const CXxRptRow& a, const CXxRptRow& b) { return a.strings[0] < b.strings[0]; });

  // The tree nodes.
  QStringList nodeConditions;
  if (depth < CXxDataType::LevelCount() - 1)
    nodeConditions.append(KvFormat(QStringLiteral("Len(rtrim(KNO))<=%d"), CXxDataType::CodeLenOfLevel(depth)));
  if (!filter.strStdPrefix.isEmpty())
    nodeConditions.append(KvFormat(QStringLiteral("KNO Like '%s'"), KvLikePrefix(pDb, filter.strStdPrefix)));
  const QString nodeWhere =
      nodeConditions.isEmpty() ? QString() : QStringLiteral("Where ") + nodeConditions.join(QStringLiteral(" And "));
  CStd reader(pDb, QString());
  QList<CStd> nodes;
  if ((nodeWhere.isEmpty() ? reader.Select(&nodes, 1, -1) : reader.Select(&nodes, 0, -1, nodeWhere)) < 0)
    return -1;
  for (const CStd& node : nodes) {
    Clear();
    key = node.KNO;
    strings[0] = node.KNO;
    strings[1] = node.NA;
    auto first = std::lower_bound(students.cbegin(), students.cend(), node.KNO,
                                  [](const CXxRptRow& row, const QString& code) { return row.strings[0] < code; });
    for (; first != students.cend() && first->strings[0].startsWith(node.KNO); ++first)
      Add(*first);
    if (IsZero())
      continue;
    const int level = CXxDataType::LevelOfCode(node.KNO);
    const int parentLength = level <= 1 ? 0 : CXxDataType::CodeLenOfLevel(level - 2);
    strings[1] = QString(2 * (level - 1), u' ') + node.NA;
    strings[0] = QString(parentLength, u' ') + node.KNO.mid(parentLength);
    rows->append(*this);
  }
  return int(rows->size());
}

// --- Student ledger ---

int CXxRptRow::LoadLedger(const QString& student, const QList<CCost>& items, QList<CXxRptRow>* rows,
                          CKvDb* pDb) {
  rows->clear();
  CStd start(pDb, student);
  QList<CStd> chain;
  const int links = start.GetTransferChain(&chain);
  if (links <= 0)
    return links;
  const QHash<QString, int> index = itemIndex(items);
  const int classLength = CXxDataType::ClassCodeLen();
  for (const CStd& place : chain) {
    bool pathShown = false;
    for (int term = place.QC[0]; term <= place.QC[1]; ++term) {
      CXxRptRow arrears = *this;
      arrears.Clear();
      arrears.strings[6] = QStringLiteral("  欠费");
      bool headerShown = false;
      for (const int kind : {1, -1}) {
        QList<CPc> lines;
        if (CPc::Select(KvFormat(QStringLiteral("Where F=%d And STD='%s' And QC=%d"), kind,
                                 pDb->QuoteText(place.KNO), term),
                        QStringLiteral("Order By QC,T,DH"), &lines, pDb) < 0) {
          rows->clear();
          return -1;
        }
        if (lines.isEmpty())
          continue;
        if (!headerShown) {
          Clear();
          if (!rows->isEmpty())
            rows->append(*this);
          if (chain.size() > 1 && !pathShown) {
            CStd klass(pDb, place.KNO.left(classLength));
            QString path;
            QStringList codes;
            QStringList names;
            if (klass.GetPath(&path, &codes, &names) < 0) {
              rows->clear();
              return -1;
            }
            strings[6] = KvFormat(QStringLiteral("  %s"), path);
            rows->append(*this);
            pathShown = true;
          }
          Clear();
          strings[6] = KvFormat(QStringLiteral("  第%d学期"), term + 1);
          rows->append(*this);
          headerShown = true;
        }
        const qsizetype blockStart = rows->size();
        QHash<QString, qsizetype> voucherRow;
        for (const CPc& line : lines) {
          const auto item = index.constFind(line.COST);
          if (item == index.constEnd())
            continue;
          const QString voucher = line.T.left(4) + u'|' + line.DH;
          const auto found = voucherRow.constFind(voucher);
          if (found != voucherRow.constEnd()) {
            (*rows)[*found].doubles[*item] += line.My;
            continue;
          }
          Clear();
          fillVoucherSlots(this, line);
          doubles[*item] = line.My;
          voucherRow.insert(voucher, rows->size());
          rows->append(*this);
        }
        Clear();
        for (qsizetype i = blockStart; i < rows->size(); ++i) {
          Add(rows->at(i));
          if (kind == 1)
            arrears.Add(rows->at(i));
          else
            arrears.Subtract(rows->at(i));
        }
        if (rows->size() - blockStart > 1) {
          strings[6] = KvFormat(QStringLiteral("  %s收小计"), kind == 1 ? QStringLiteral("应") : QStringLiteral("实"));
          rows->append(*this);
        }
      }
      if (!arrears.IsZero())
        rows->append(arrears);
    }
  }
  return int(rows->size());
}
