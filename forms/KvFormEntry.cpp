#include "forms/KvFormEntry.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvWidth.h"

#include <QStringList>
#include <QVector>
#include <algorithm>

namespace {

// Widths of the text columns of the layout tables.
constexpr int kTitleWidth = KvFormEntry::kTitleWidth;
constexpr int kFormulaWidth = 200;
constexpr int kTopWordWidth = 100;
constexpr int kNoteWidth = 20;
constexpr int kNoteWordsWidth = 200;

const char* const kLayoutTables[] = {"KvFormList", "KvFormFormula", "KvFormTopWord",
                                     "KvFormHeadNote"};

QString keyWhere(int nFlag, int nForm) {
  return QStringLiteral(" Where nFlag=%1 And nForm=%2").arg(nFlag).arg(nForm);
}

bool usable(CKvDb* pDb) { return pDb && pDb->IsOpen(); }

}  // namespace

void KvFormula::Set(int type, int fact, int less, int more, const QString& formula) {
  nType = type;
  nFact = fact;
  nLess = less;
  nMore = more;
  sFormula = formula;
}

bool KvFormula::BoundToSheet() {
  const KvFormula stored = *this;
  nFact = kKvColumnWidths.Bound(DisplayWidth()) * 100 + kKvColumnWidths.Bound(EditWidth());
  nLess = kKvDecimals.Bound(nLess);
  nMore = kKvDecimals.Bound(nMore);
  return *this != stored;
}

bool KvHeadNote::BoundToSheet() {
  const KvHeadNote stored = *this;
  nRow = kKvNoteRows.Bound(nRow);
  nColPecent = kKvNoteEditLengths.Bound(EditLength()) * 100 + kKvNotePositions.Bound(Position());
  return *this != stored;
}

void KvFormEntry::SetKey(CKvDb* pDb, int nFlagValue, int nFormValue) {
  m_pDb = pDb;
  nFlag = nFlagValue;
  nForm = nFormValue;
}

QString KvFormEntry::JoinTitle(int nOptionValue, const QString& title) {
  if (nOptionValue == 0)
    return title;
  return QStringLiteral("%1\t%2").arg(nOptionValue).arg(title);
}

bool KvFormEntry::TitleFits(int nOptionValue, const QString& title) {
  return KvTextWidth(JoinTitle(nOptionValue, title)) <= kTitleWidth;
}

void KvFormEntry::SplitTitle(const QString& stored, int& nOptionValue, QString& title) {
  const qsizetype tab = stored.indexOf(u'\t');
  if (tab < 0) {
    nOptionValue = 0;
    title = stored;
    return;
  }
  nOptionValue = tab == 0 ? 1 : stored.left(tab).trimmed().toInt();
  title = stored.mid(tab + 1);
}

int KvFormEntry::Load() {
  if (!usable(m_pDb))
    return -1;
  CKvQuery query(2, 0, 1, m_pDb);
  if (!query.Open(QStringLiteral("Select nOpen,nTopNum,sFna From KvFormList") +
                  keyWhere(nFlag, nForm)))
    return -1;
  if (query.IsEOF())
    return 0;
  nOpen = query.GetLong(0);
  const int storedTopNum = query.GetLong(1);
  nTopNum = kKvHeadRows.Bound(storedTopNum);
  bOutOfRange = nTopNum != storedTopNum;
  SplitTitle(query.GetText(0), nOption, sFna);
  return 1;
}

bool KvFormEntry::LoadFormulas() {
  formulas.clear();
  if (!usable(m_pDb))
    return false;
  CKvQuery query(4, 0, 1, m_pDb);
  if (!query.Open(QStringLiteral("Select nType,nFact,nLess,nMore,sFormula From KvFormFormula") +
                  keyWhere(nFlag, nForm) + QStringLiteral(" Order By nCol")))
    return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    KvFormula formula;
    formula.Set(query.GetLong(0), query.GetLong(1), query.GetLong(2), query.GetLong(3),
                query.GetText(0));
    bOutOfRange |= formula.BoundToSheet();
    formulas.append(formula);
  }
  return true;
}

bool KvFormEntry::LoadTopWords() {
  topWords.clear();
  if (!usable(m_pDb))
    return false;
  CKvQuery query(4, 0, 1, m_pDb);
  if (!query.Open(QStringLiteral("Select nCol1,nRow1,nCol2,nRow2,sWords From KvFormTopWord") +
                  keyWhere(nFlag, nForm) + QStringLiteral(" Order By nRow1,nCol1,nRow2,nCol2")))
    return false;
  for (; !query.IsEOF(); query.MoveNext())
    topWords.append({query.GetLong(0), query.GetLong(1), query.GetLong(2), query.GetLong(3),
                     query.GetText(0)});
  return true;
}

bool KvFormEntry::LoadHeadNotes() {
  headNotes.clear();
  if (!usable(m_pDb))
    return false;
  CKvQuery query(5, 0, 2, m_pDb);
  if (!query.Open(QStringLiteral("Select bIsTail,nRow,nColPecent,bIsUse,bIsSystem,sNote,sWords "
                                 "From KvFormHeadNote") +
                  keyWhere(nFlag, nForm) + QStringLiteral(" Order By bIsTail,nRow,nColPecent,sNote")))
    return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    KvHeadNote note{query.GetLong(0), query.GetLong(1), query.GetLong(2), query.GetLong(3),
                    query.GetLong(4), query.GetText(0), query.GetText(1)};
    bOutOfRange |= note.BoundToSheet();
    headNotes.append(note);
  }
  // The table keeps no order of its own: notes come back by area, row and
  // position, the order the grid shows them in.
  std::stable_sort(headNotes.begin(), headNotes.end(), [](const KvHeadNote& a, const KvHeadNote& b) {
    if (a.bIsTail != b.bIsTail)
      return a.bIsTail < b.bIsTail;
    if (a.nRow != b.nRow)
      return a.nRow < b.nRow;
    return a.Position() < b.Position();
  });
  return true;
}

int KvFormEntry::LoadAll() {
  const int result = Load();
  if (result > 0) {
    LoadFormulas();
    LoadTopWords();
    LoadHeadNotes();
  }
  return result;
}

bool KvFormEntry::InsertList() {
  if (!usable(m_pDb))
    return false;
  return m_pDb->Execute(
      QStringLiteral("Insert into KvFormList(nFlag,nForm,sFna,nOpen,nTopNum) Values(%1,%2,'%3',%4,%5)")
          .arg(nFlag)
          .arg(nForm)
          .arg(m_pDb->QuoteText(JoinTitle(nOption, sFna), kTitleWidth))
          .arg(nOpen)
          .arg(nTopNum));
}

bool KvFormEntry::SaveFormulas() {
  if (!usable(m_pDb))
    return false;
  QStringList values;
  for (int i = 0; i < formulas.size(); ++i) {
    const KvFormula& f = formulas.at(i);
    values << QStringLiteral("%1,%2,%3,%4,%5,'%6'")
                  .arg(i)
                  .arg(f.nType)
                  .arg(f.nFact)
                  .arg(f.nLess)
                  .arg(f.nMore)
                  .arg(m_pDb->QuoteText(f.sFormula, kFormulaWidth));
  }
  return ReplaceRows("KvFormFormula", "nCol,nType,nFact,nLess,nMore,sFormula", values);
}

bool KvFormEntry::SaveTopWords() {
  if (!usable(m_pDb))
    return false;
  QStringList values;
  for (const KvTopWord& w : topWords)
    values << QStringLiteral("%1,%2,%3,%4,'%5'")
                  .arg(w.nCol1)
                  .arg(w.nRow1)
                  .arg(w.nCol2)
                  .arg(w.nRow2)
                  .arg(m_pDb->QuoteText(w.sWords, kTopWordWidth));
  return ReplaceRows("KvFormTopWord", "nCol1,nRow1,nCol2,nRow2,sWords", values);
}

bool KvFormEntry::SaveHeadNotes() {
  if (!usable(m_pDb))
    return false;
  QStringList values;
  for (const KvHeadNote& n : headNotes)
    values << QStringLiteral("%1,%2,%3,%4,%5,'%6','%7'")
                  .arg(n.bIsTail)
                  .arg(n.nRow)
                  .arg(n.nColPecent)
                  .arg(n.bIsUse)
                  .arg(n.bIsSystem)
                  .arg(m_pDb->QuoteText(n.sNote, kNoteWidth),
                       m_pDb->QuoteText(n.sWords, kNoteWordsWidth));
  return ReplaceRows("KvFormHeadNote", "bIsTail,nRow,nColPecent,bIsUse,bIsSystem,sNote,sWords",
                     values);
}

bool KvFormEntry::ReplaceRows(const char* table, const char* columns, const QStringList& values) {
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive())
    return false;
  if (!m_pDb->Execute(QStringLiteral("Delete From ") + QLatin1String(table) + keyWhere(nFlag, nForm)))
    return false;
  for (const QString& row : values)
    if (!m_pDb->Execute(QStringLiteral("Insert Into %1(nFlag,nForm,%2) Values(%3,%4,%5)")
                            .arg(QLatin1String(table), QLatin1String(columns))
                            .arg(nFlag)
                            .arg(nForm)
                            .arg(row)))
      return false;
  return transaction.Commit();
}

namespace {

// The key's rows of the four layout tables; the caller holds a transaction.
bool deleteLayoutRows(CKvDb& db, int nFlag, int nForm) {
  for (const char* table : kLayoutTables)
    if (!db.Execute(QStringLiteral("Delete From ") + QLatin1String(table) + keyWhere(nFlag, nForm)))
      return false;
  return true;
}

}  // namespace

bool KvFormEntry::DeleteLayoutRows() {
  if (!usable(m_pDb))
    return false;
  KvDbTransaction transaction(*m_pDb);
  return transaction.IsActive() && deleteLayoutRows(*m_pDb, nFlag, nForm) && transaction.Commit();
}

bool KvFormEntry::SaveLayout(bool bFormulas, bool bTopWords, bool bHeadNotes) {
  if (!usable(m_pDb))
    return false;
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive())
    return false;
  if (!deleteLayoutRows(*m_pDb, nFlag, nForm))
    return false;
  if (!InsertList())
    return false;
  if (bFormulas && !SaveFormulas())
    return false;
  if (bTopWords && !SaveTopWords())
    return false;
  if (bHeadNotes && !SaveHeadNotes())
    return false;
  return transaction.Commit();
}

void KvFormEntry::AddFormula(int type, int fact, int less, int more, const QString& definition) {
  InsertFormula(int(formulas.size()), type, fact, less, more, definition);
}

void KvFormEntry::InsertFormula(int nPos, int type, int fact, int less, int more,
                                const QString& definition) {
  KvFormula formula;
  formula.Set(type, fact, less, more, definition);
  formulas.insert(std::clamp(nPos, 0, int(formulas.size())), formula);
}

void KvFormEntry::AddTopWord(int col1, int row1, int col2, int row2, const QString& words) {
  topWords.append({col1, row1, col2, row2, words});
}

void KvFormEntry::AddHeadNote(int isTail, int row, int colPecent, int isUse, int isSystem,
                              const QString& note, const QString& words) {
  headNotes.append({isTail, row, colPecent, isUse, isSystem, note, words});
}

int KvFormEntry::Compare(const KvFormEntry& other) const {
  const bool same = nFlag == other.nFlag && nForm == other.nForm && sFna == other.sFna &&
                    nOpen == other.nOpen && nTopNum == other.nTopNum && nOption == other.nOption &&
                    formulas == other.formulas && topWords == other.topWords &&
                    headNotes == other.headNotes;
  return same ? 0 : 1;
}

int KvFormEntry::ShownColumnCount() const {
  return int(std::count_if(formulas.begin(), formulas.end(),
                           [](const KvFormula& f) { return f.IsShown(); }));
}

bool KvFormEntry::CheckColumnHead(QString* pMessage) const {
  const qsizetype width = ShownColumnCount();
  // The head of any caller's entry is kept to the sheet's rows.
  const int height = kKvHeadRows.Bound(nTopNum);
  QVector<int> cover(width * height, 0);
  bool overlap = false;
  for (const KvTopWord& w : topWords) {
    if (w.nCol1 > w.nCol2 || w.nRow1 > w.nRow2 || w.nCol1 < 1 || w.nRow1 < 1 || w.nCol2 > width ||
        w.nRow2 > height) {
      overlap = true;
      continue;
    }
    for (int r = w.nRow1; r <= w.nRow2; ++r)
      for (int c = w.nCol1; c <= w.nCol2; ++c)
        if (++cover[(r - 1) * width + (c - 1)] > 1)
          overlap = true;
  }
  if (overlap) {
    if (pMessage)
      *pMessage = QStringLiteral("当前定义的单元块与已定义的重叠！");
    return false;
  }
  if (std::count(cover.begin(), cover.end(), 0) > 0) {
    if (pMessage)
      *pMessage = QStringLiteral("栏头单元块未覆盖全部栏头！");
    return false;
  }
  return true;
}

bool KvDeleteForms(int nFlag, int nForm, CKvDb* pDb) {
  if (!usable(pDb))
    return false;
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive())
    return false;
  if (!deleteLayoutRows(*pDb, nFlag, nForm))
    return false;
  const QString printWhere =
      QStringLiteral(" Where nFlag=%1 And SFIELDMODE='%2'").arg(nFlag).arg(nForm);
  for (const char* table : {"FIELDWIDTH", "KVPAGESET", "KVFONT"})
    if (!pDb->Execute(QStringLiteral("Delete From ") + QLatin1String(table) + printWhere))
      return false;
  return transaction.Commit();
}
