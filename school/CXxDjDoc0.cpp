#include "school/CXxDjDoc0.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/KvDate.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvNumberText.h"
#include "core/KvText.h"
#include "forms/KvColumnDef.h"
#include "school/CCost.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "school/CXxDjTreeView.h"
#include "school/CXxDjView0.h"
#include "ui/KvCommands.h"
#include "ui/KvDateEdits.h"

#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <QSet>

#include <cmath>

namespace {
constexpr double kZero = 0.000001;
// Column links: the memo, the student, the name and the total.
enum { kMemoLink = 1, kStudentLink = 2, kNameLink = 3, kTotalLink = 9 };

// "name(code)" of an operator into *text, empty without one; false when
// the operator cannot be read.
bool readOperatorText(const QString& code, CKvDb* pDb, QString* text) {
  text->clear();
  if (code.isEmpty())
    return true;
  QString name;
  if (!pDb->LookupText(KvFormat(QStringLiteral("max(NA) From OPR Where OPNO='%s'"), pDb->QuoteText(code)), &name))
    return false;
  if (!name.isEmpty())
    *text = KvFormat(QStringLiteral("%s(%s)"), name, code);
  return true;
}

// Whether the item columns of a layout name the items, each once: a
// hidden item column, or one of an item no longer there, does not.
bool itemColumnsMatch(const QList<KvFormula>& formulas, const QList<CCost>& items) {
  QStringList codes;
  for (const CCost& item : items)
    codes.append(item.KNO);
  for (const KvFormula& formula : formulas) {
    KvColumnDef def;
    KvParseColumnDef(formula, def);
    if (def.d4 == 1 && (formula.nType != 100 || !codes.removeOne(def.sFormula)))
      return false;
  }
  return codes.isEmpty();
}
}  // namespace

void CXxDjDoc0::OnCloseDocument() {
  OpenArgs() = {m_head.T, m_head.DH, m_head.STD, KvFormat(QStringLiteral("%d"), m_head.QC),
                KvFormat(QStringLiteral("%d"), m_head.F)};
  CKvDoc::OnCloseDocument();
}

void CXxDjDoc0::LoadOpenArgs() {
  QStringList& args = OpenArgs();
  if (args.size() != 5) {
    args = QStringList(5, QString());
    args[0] = KvNowText(QStringLiteral("%Y%m%d"));
  }
  m_head.Clear();
  m_head.T = args.at(0);
  m_head.DH = args.at(1);
  m_head.STD = args.at(2);
  m_head.QC = KvStrToInt(args.at(3));
  m_head.F = KvStrToInt(args.at(4));
  m_savedHead = m_head;
  // The extra cell after the columns holds the student's name.
  m_nExtraCells = 1;
}

void CXxDjDoc0::InitFormEntry(KvFormEntry& entry) {
  entry.sFna = QStringLiteral("班级收费明细表");
  entry.nOpen = 0;
  entry.nTopNum = 2;
}

void CXxDjDoc0::BuildColumns(KvFormEntry& entry) {
  entry.formulas.clear();
  entry.AddFormula(2, 1212, 0, 0, QStringLiteral("学生/STRING/LEFT"));
  entry.AddFormula(3, 1212, 0, 0, QStringLiteral("姓名/MDBSTRING/LEFT"));
  entry.AddFormula(1, 2030, 0, 0, QStringLiteral("摘  要/MDBSTRING/LEFT"));
  // The items and the total carry the totals digit (d3 = 1), so that the
  // totals line sums them; an item column is of kind 1 (d4) and names its
  // item last.
  for (const CCost& item : m_items)
    entry.AddFormula(100, 1010, 2, 2,
                     KvFormat(QStringLiteral("%s/NUMBER/RIGHT/0011/0/%s"), item.ColumnTitle(), item.KNO));
  entry.AddFormula(109, 1212, 2, 2, QStringLiteral("合计/NUMBER/RIGHT/0010"));
  PrepareColumns(entry);
}

int CXxDjDoc0::GetColumnMark(const KvFormEntry& entry, int nColumn) {
  return entry.formulas.at(nColumn).nType % 100 == kStudentLink ? 1 : 2;
}

void CXxDjDoc0::BuildHeadNotes(KvFormEntry& entry) {
  entry.headNotes.clear();
  const struct {
    const char* note;
    const char* words;
    int tail, percent, system;
  } notes[] = {{"制证年", "用户录入", 0, 439, 1},
               {"制证年后缀", "年", 0, 44, 0},
               {"制证月", "用户录入", 0, 247, 1},
               {"制证月后缀", "月", 0, 50, 0},
               {"制证日", "用户录入", 0, 253, 1},
               {"制证日后缀", "日", 0, 56, 0},
               {"期次", "#xx_term", 0, 62, 0},
               {"凭证号前导", "单号：", 0, 85, 0},
               {"凭证号", "用户录入", 0, 591, 1},
               {"主管前导", "会计主管：#co_name", 1, 0, 0},
               {"主管名", "", 1, 10, 0},
               {"复核员", "复核：#xx_opr1", 1, 60, 0},
               {"制证员", "制证：#xx_opr0", 1, 80, 0},
               {"类别", "类别：#xx_lb", 0, 1, 0}};
  for (const auto& n : notes)
    entry.AddHeadNote(n.tail, 0, n.percent, 1, n.system, QString::fromUtf8(n.note), QString::fromUtf8(n.words));
}

bool CXxDjDoc0::QueryReadOnly() { return !KvHasRight(CXxDataType::kModule, QStringLiteral("03")); }

bool CXxDjDoc0::PrepareOpen() {
  const int found = CCost::SelectAll(&m_items, m_pDb);
  // A catalogue that could not be read has been reported (or the loss of
  // the connection told): it is not an empty one.
  if (found < 0)
    return false;
  if (found == 0) {
    KvMessageBox(QStringLiteral("未定义收费项目！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  resetStaleLayout();
  return true;
}

bool CXxDjDoc0::ResetMismatchedLayout() {
  // The items as they are stored now: another workstation may have
  // changed them since the fill. Items that cannot be read prove nothing;
  // the next fill refuses to show the sheet then.
  return CCost::SelectAll(&m_items, m_pDb) >= 0 && resetStaleLayout();
}

bool CXxDjDoc0::resetStaleLayout() {
  KvFormEntry stored;
  stored.SetKey(m_pDb, m_nFlag, m_nForm);
  if (stored.Load() <= 0 || !stored.LoadFormulas() || stored.formulas.isEmpty() ||
      itemColumnsMatch(stored.formulas, m_items))
    return false;
  KvMessageBox(QStringLiteral("表栏与费用项目不匹配，系统将重新取默认表格式！"), KV_MB_OK | KV_MB_ICONINFORMATION);
  // The stored columns, blocks and fields go (the print settings stay), so
  // the default ones are built now and at every later opening until they
  // are stored again. The sheet's own type loses its list row with them;
  // an operator's copy keeps it (its name, number and open flag), or it
  // would vanish from the template list.
  if (m_entry.bStored == 0) {
    stored.DeleteLayoutRows();
    return true;
  }
  stored.formulas.clear();
  stored.topWords.clear();
  stored.headNotes.clear();
  stored.SaveLayout();
  return true;
}

QString CXxDjDoc0::ItemCodeOf(int nColumn) const {
  if (nColumn < 0 || nColumn >= m_formEntry.formulas.size())
    return QString();
  const KvFormula& formula = m_formEntry.formulas.at(nColumn);
  KvColumnDef def;
  KvParseColumnDef(formula, def);
  return def.d4 == 1 && formula.Link() == 0 ? def.sFormula : QString();
}

QString CXxDjDoc0::AmountText(double value) { return KvDoubleToText(value); }

double CXxDjDoc0::LoadedAmount(const QString& student, const QString& code) const {
  double sum = 0.0;
  for (const CPc& line : m_loadedLines)
    if (line.STD == student && line.COST == code)
      sum += m_head.F == 0 ? line.F * line.My : line.My;
  return sum;
}

bool CXxDjDoc0::ReadItemAmount(int nRow, int nColumn, const QString& text, double* amount) const {
  const KvFormula& formula = m_formEntry.formulas.at(nColumn);
  if (KvReadTypedNumber(text, formula.IntDigits(), qBound(0, formula.nMore, CPc::kAmountDecimals), amount))
    return true;
  // A cell still showing what the fill read holds the stored amount, which
  // a data file may keep with more decimals: it is taken as stored, so that
  // a save of other cells leaves it as it is.
  const int studentColumn = FindColumnFormula(kStudentLink);
  if (text.isEmpty() || nRow < 0 || nRow >= m_rows.size() || studentColumn < 0)
    return false;
  const double stored = LoadedAmount(m_rows.at(nRow).at(studentColumn), ItemCodeOf(nColumn));
  if (text != AmountText(stored))
    return false;
  *amount = stored;
  return true;
}

bool CXxDjDoc0::CheckCellText(int nRow, int nColumn, const QString& text, QString& outText) {
  (void)outText;
  double amount = 0.0;
  return ItemCodeOf(nColumn).isEmpty() || ReadItemAmount(nRow, nColumn, text, &amount);
}

QString CXxDjDoc0::FormatNumber(int nColumn, const QString& text) const {
  // An amount held with more decimals than the column shows (one a data
  // file stored so) is shown as held, not rounded to the column.
  const QString shown = CKvDoc::FormatNumber(nColumn, text);
  const double held = KvTextToDouble(QString(text).remove(u',').trimmed());
  return std::fabs(KvTextToDouble(QString(shown).remove(u',').trimmed()) - held) < kZero ? shown : text;
}

bool CXxDjDoc0::FillRows() {
  ClearRows();
  m_loadedLines.clear();
  // A sheet whose items, lines or students could not be read is not shown:
  // there is nothing its save could be checked against. The items are read
  // at every fill, and the columns built again when they no longer name
  // them: a refresh shows an item another workstation added, with its lines.
  if (CCost::SelectAll(&m_items, m_pDb) < 0)
    return false;
  QList<CPc> lines;
  if (m_head.LoadClassVoucher(&lines, m_pDb) < 0)
    return false;
  if (!readOperatorText(m_head.Opr0, m_pDb, &m_strOpr0) || !readOperatorText(m_head.Opr1, m_pDb, &m_strOpr1))
    return false;
  // A voucher whose lines two operators reviewed (after a student's move)
  // shows the first reviewer and "等" for the others.
  QSet<QString> reviewers;
  for (const CPc& line : lines)
    if (!line.Opr1.isEmpty() && line.F == m_head.F && line.T.left(4) == m_head.T.left(4) && line.DH == m_head.DH)
      reviewers.insert(line.Opr1);
  if (reviewers.size() > 1)
    m_strOpr1 = (m_strOpr1.isEmpty() ? m_head.Opr1 : m_strOpr1) + QStringLiteral("等");
  const bool hasRows = CXxDataType::LevelOfCode(m_head.STD) == CXxDataType::LevelCount() - 1 && m_head.QC >= 0;
  QList<CStd> students;
  if (hasRows && CStd(m_pDb, m_head.STD).Select(&students, 2, m_head.QC) < 0)
    return false;
  // Everything is read: only now may a stale stored layout go, so that a
  // refresh that could not read leaves it as the window shows it.
  if (!itemColumnsMatch(m_formEntry.formulas, m_items)) {
    resetStaleLayout();
    LoadLayout();
  }
  // What the save will find stored unless another workstation changed it.
  m_loadedLines = lines;
  ForEachColumnLink(0);
  if (!hasRows)
    return true;
  const int studentColumn = FindColumnFormula(kStudentLink);
  const int nameColumn = FindColumnFormula(kNameLink);
  const int memoColumn = FindColumnFormula(kMemoLink);
  const int totalColumn = FindColumnFormula(kTotalLink);
  const int columns = int(m_formEntry.formulas.size());
  for (const CStd& student : students) {
    QStringList row = NewRow();
    row.last() = student.NA;
    if (studentColumn >= 0)
      row[studentColumn] = student.KNO;
    if (nameColumn >= 0)
      row[nameColumn] = student.NA;
    double total = 0.0;
    for (int c = 0; c < columns; ++c) {
      const QString code = ItemCodeOf(c);
      if (code.isEmpty())
        continue;
      for (const CPc& line : lines)
        if (memoColumn >= 0 && line.STD == student.KNO && line.COST == code)
          row[memoColumn] = line.Mry;
      // Shown as stored: the check and the save know this text for the
      // stored amount.
      const double sum = LoadedAmount(student.KNO, code);
      row[c] = AmountText(sum);
      total += sum;
    }
    if (totalColumn >= 0)
      row[totalColumn] = AmountText(total);
    AppendRow(row);
  }
  return true;
}

std::function<void()> CXxDjDoc0::KeepFillState() {
  return [this, head = m_head, savedHead = m_savedHead, lines = m_loadedLines, items = m_items, opr0 = m_strOpr0,
          opr1 = m_strOpr1] {
    m_head = head;
    m_savedHead = savedHead;
    m_loadedLines = lines;
    m_items = items;
    m_strOpr0 = opr0;
    m_strOpr1 = opr1;
  };
}

void CXxDjDoc0::LinkHeadField(const KvHeadNote& note, QString& text, int nDir) {
  struct Place {
    const char* note;
    int start, width;
  };
  static const Place places[] = {{"制证年", 0, 4}, {"制证月", 4, 2}, {"制证日", 6, 2}, {"凭证号", -1, 5}};
  for (const Place& place : places) {
    if (note.sNote != QString::fromUtf8(place.note))
      continue;
    if (nDir == 0) {
      // A sheet without a date (a summary, the arrears) keeps none: an
      // invented date would make the paid summary look like a voucher.
      if (!m_head.T.isEmpty() && m_head.T.size() != 8)
        KvFormatIntFrom(m_head.T, 8, true);
      text = place.start < 0 ? m_head.DH
             : place.start == 6 ? m_head.T.mid(6)
                                : m_head.T.mid(place.start, place.width);
      return;
    }
    QString typed = text;
    KvFormatIntFrom(typed, place.width, true);
    if (place.start < 0)
      m_head.DH = typed;
    else
      m_head.T = m_head.T.leftJustified(8, u'0').replace(place.start, place.width, typed);
    return;
  }
}

bool CXxDjDoc0::IsVoucherEditable() const {
  return m_head.Opr1.isEmpty() && m_head.Opr0 == CPc::CurrentOperator() && m_head.QC >= 0 && m_head.F != 0 &&
         m_head.F != 2 && !(m_head.F == -1 && m_head.T.isEmpty());
}

bool CXxDjDoc0::SaveRows() {
  // The notes are taken into the head first; a refused save gives the head
  // back as it was.
  const CPc before = m_head;
  if (saveVoucher())
    return true;
  m_head = before;
  return false;
}

bool CXxDjDoc0::saveVoucher() {
  // The operator logged in now must hold the right, whoever the sheet was
  // filled for. Only a voucher he may edit is written (a summary or arrears
  // sheet has no voucher of its own).
  if (QueryReadOnly()) {
    KvMessageBox(QStringLiteral("当前操作员无权保存本表！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  if (!IsVoucherEditable() || CXxDataType::CheckParamChange(true, m_pDb) != 0)
    return false;
  // The head as read, before the notes are taken into it.
  const CPc read = m_head;
  ForEachColumnLink(1);
  QString reason;
  KvDateMessage(&m_head.T, &reason);
  if (!reason.isEmpty()) {
    KvMessageBox(reason, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  // A cell the save could not read refuses the whole save, named.
  if (!CheckAllCells(false))
    return false;
  const int studentColumn = FindColumnFormula(kStudentLink);
  if (studentColumn < 0)
    return false;
  const int memoColumn = FindColumnFormula(kMemoLink);
  // A line read whose number, maker or review differs from the head's came
  // along with a student moved in from another class: it is written back
  // exactly as read (a reviewed line is never rewritten), and only what its
  // cell shows beyond it goes under the head.
  const auto movedIn = [&read](const CPc& line) {
    return line.T.left(4) != read.T.left(4) || line.DH != read.DH || line.Opr0 != read.Opr0 ||
           line.Opr1 != read.Opr1;
  };
  using Cell = QPair<QString, QString>;  // student, item
  QHash<Cell, double> keptAmounts;
  for (const CPc& line : m_loadedLines)
    if (movedIn(line))
      keptAmounts[{line.STD, line.COST}] += line.My;
  // Every amount the sheet shows goes to the save: a student or an item
  // deleted meanwhile is refused under the lock, not left out.
  QSet<Cell> shown;
  QList<CPc> lines;
  for (int r = 0; r < m_rows.size(); ++r) {
    const QStringList& row = m_rows.at(r);
    CPc base = m_head;
    if (memoColumn >= 0 && !row.at(memoColumn).isEmpty())
      base.Mry = row.at(memoColumn);
    base.STD = row.at(studentColumn);
    if (base.STD.isEmpty())
      continue;
    for (int c = 0; c < m_formEntry.formulas.size(); ++c) {
      const QString code = ItemCodeOf(c);
      if (code.isEmpty())
        continue;
      shown.insert({base.STD, code});
      double typed = 0.0;
      ReadItemAmount(r, c, row.at(c), &typed);
      const double amount = typed - keptAmounts.value({base.STD, code});
      if (std::fabs(amount) < kZero)
        continue;
      CPc line = base;
      line.COST = code;
      line.My = amount;
      lines.append(line);
    }
  }
  // A line read for a cell the sheet does not show (a student the term no
  // longer lists, an item without a column) is written back as read; only
  // the voucher's own fields follow the head, so that a voucher given
  // another date or number stays one voucher.
  for (const CPc& loaded : m_loadedLines) {
    if (movedIn(loaded)) {
      lines.append(loaded);
      continue;
    }
    if (shown.contains({loaded.STD, loaded.COST}))
      continue;
    CPc line = loaded;
    line.T = m_head.T;
    line.DH = m_head.DH;
    line.F = m_head.F;
    line.QC = m_head.QC;
    lines.append(line);
  }
  // The save is given the head as read, its number included (a new paid
  // voucher keeps its "xxxx"): only that number may stand in another class.
  CPc asRead = read;
  if (m_savedHead.T == u"xxxx")
    asRead.T = m_savedHead.T;
  CPc head = m_head;
  if (!head.SaveClassVoucher(asRead, m_loadedLines, &lines, m_pDb))
    return false;
  m_head = head;
  // The voucher as stored now: what the next save compares with.
  m_loadedLines = lines;
  const bool identityChanged =
      m_head.F == -1 &&
      (m_head.T.left(4) != m_savedHead.T.left(4) || m_head.DH != m_savedHead.DH || lines.isEmpty());
  m_savedHead = m_head;
  if (identityChanged) {
    if (auto* pTree = FindView<CXxDjTreeView>())
      pTree->Rebuild();
    PostRefresh();
  }
  CKvOperation::WriteLog(CXxDataType::kModule * 100 + 1,
                         KvFormat(QStringLiteral("保存%s班%d学期%s收数据,单号：(%s)%s"), m_head.STD, m_head.QC + 1,
                                  m_head.F == 1 ? QStringLiteral("应") : QStringLiteral("实"), m_head.T.left(4),
                                  m_head.DH));
  return true;
}

bool CXxDjDoc0::HasUnsavedEdits(QString& reason) { return CKvDoc::HasUnsavedEdits(reason); }

void CXxDjDoc0::GetSummaryText(QString& out, int nRows) {
  const int studentColumn = FindColumnFormula(kStudentLink);
  out.clear();
  if (!m_rows.isEmpty() && studentColumn >= 0 && !m_rows.first().at(studentColumn).isEmpty())
    out = KvFormat(QStringLiteral("%d人"), nRows);
}

void CXxDjDoc0::BuildPrintMacros() {
  AddMacroRow(QStringLiteral("制证员"), QStringLiteral("#xx_opr0"), m_strOpr0);
  AddMacroRow(QStringLiteral("复核员"), QStringLiteral("#xx_opr1"), m_strOpr1);
  AddMacroRow(QStringLiteral("期次"), QStringLiteral("#xx_term"),
              m_head.QC < 0 ? QString() : KvFormat(QStringLiteral("第 %d 学期"), m_head.QC + 1));
  QString kind;
  if (m_head.F == 0)
    kind = QStringLiteral("欠费");
  else if (m_head.F == 1)
    kind = QStringLiteral("应交费用");
  else if (m_head.F == -1)
    kind = m_head.T.isEmpty() ? QStringLiteral("已交费用汇总") : QStringLiteral("交费单");
  AddMacroRow(QStringLiteral("类别"), QStringLiteral("#xx_lb"), kind);
}

void CXxDjDoc0::PostRefresh() {
  QPointer<CXxDjView0> pView = FindView<CXxDjView0>();
  if (!pView)
    return;
  // Queued, so that it runs after the selection handling has finished.
  QMetaObject::invokeMethod(
      pView,
      [pView] {
        if (pView && KvCmdEnabled(pView, KV_CMD_REFRESH))
          pView->ExecuteCmd(KV_CMD_REFRESH);
      },
      Qt::QueuedConnection);
}

void CXxDjDoc0::TakeIdentity(CPc& head, const CPc& node) {
  head.STD = node.STD;
  head.QC = node.QC;
  head.F = node.F;
  head.T = node.T;
  head.DH = node.DH;
  head.Opr0.clear();
  head.Opr1.clear();
  head.Mry.clear();
}

bool CXxDjDoc0::SameIdentity(const CPc& a, const CPc& b) {
  if (a.STD != b.STD || a.QC != b.QC || a.F != b.F)
    return false;
  return a.F != -1 || (a.T.left(4) == b.T.left(4) && a.DH == b.DH);
}
