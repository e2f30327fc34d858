#include "timetable/CWkjhDoc.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvText.h"
#include "school/CXxDataType.h"
#include "timetable/CPkDataType.h"
#include "timetable/CPkOpenPlanDlg.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"
#include "timetable/KvCheckPkSetup.h"
#include "timetable/KvPkDocSupport.h"
#include "timetable/KvPkLog.h"
#include "ui/KvModal.h"
#include "ui/KvWaitCursor.h"

#include <QSet>

namespace {
// A whole number from lo to hi, typed as digits.
bool numberIn(const QString& text, int lo, int hi) {
  if (text.isEmpty() || !KvIsAllDigits(text) || text.size() > 3)
    return false;
  const int n = KvStrToInt(text);
  return n >= lo && n <= hi;
}
}  // namespace

void CWkjhDoc::OnCloseDocument() {
  OpenArgs() = {m_key.Y, KvFormat("%d", m_key.QC), m_key.T, m_key.STD};
  CKvDoc::OnCloseDocument();
}

void CWkjhDoc::LoadOpenArgs() {
  QStringList& args = OpenArgs();
  KvPkNormalizeOpenArgs(args, 4);
  m_key = CWkjhRec(args[0], KvStrToInt(args[1]), args[2], args[3]);
  m_lastKey = m_key;
  m_strTitle = QStringLiteral("制订教学计划");
}

void CWkjhDoc::InitFormEntry(KvFormEntry& entry) {
  entry.sFna = QStringLiteral("周教学计划");
  entry.nOpen = 0;
  entry.nTopNum = 3;
}

void CWkjhDoc::BuildColumns(KvFormEntry& entry) {
  entry.formulas.clear();
  entry.AddFormula(1, 1004, 0, 0, QStringLiteral("课程/MDBSTRING/LEFT"));
  entry.AddFormula(2, 1004, 0, 0, QStringLiteral("教师/MDBSTRING/LEFT"));
  entry.AddFormula(3, 1004, 0, 0, QStringLiteral("公用\\教室/MDBSTRING/LEFT"));
  entry.AddFormula(4, 402, 0, 0, QStringLiteral("周\\学\\时/NUMBER DIGIT/MID"));
  entry.AddFormula(5, 401, 0, 0, QStringLiteral("连\\排\\数/STRING DIGIT/MID"));
  entry.AddFormula(6, 401, 0, 0, QStringLiteral("优\\先\\级/STRING DIGIT/MID"));
  entry.AddFormula(7, 1430, 0, 0, QStringLiteral("指定排\\课时间/STRING 0123456789;ABCD/LEFT"));
  entry.AddFormula(8, 1430, 0, 0, QStringLiteral("限制排\\课时间/STRING 0123456789;ABCD/LEFT"));
  entry.AddFormula(9, 401, 0, 0, QStringLiteral("单\\双\\周/STRING DIGIT/MID"));
  entry.AddFormula(150, 1460, 0, 0, QStringLiteral("备注/MDBSTRING/LEFT"));
  CKvDoc::BuildColumns(entry);
}

int CWkjhDoc::GetColumnMark(const KvFormEntry& entry, int nColumn) {
  const int type = entry.formulas.at(nColumn).Link();
  return type >= 1 && type <= 49 ? 1 : 2;
}

void CWkjhDoc::BuildHeadNotes(KvFormEntry& entry) {
  entry.headNotes.clear();
  entry.AddHeadNote(0, 0, 0, 1, 0, QStringLiteral("班级名"), QStringLiteral("班级：#pk_name"));
  entry.AddHeadNote(0, 0, 42, 1, 0, QStringLiteral("学期"), QStringLiteral("#pk_time"));
  entry.AddHeadNote(1, 0, 0, 1, 0, QStringLiteral("校名"), QStringLiteral("学校：#co_name"));
  entry.AddHeadNote(1, 0, 60, 1, 0, QStringLiteral("备注"), QStringLiteral("注：#pk_yy年#pk_mm月#pk_dd日开始执行"));
}

bool CWkjhDoc::IsGradeDocument() const { return m_key.STD.size() == CXxDataType::GradeCodeLen(); }
bool CWkjhDoc::IsClassDocument() const { return m_key.STD.size() == CXxDataType::ClassCodeLen(); }
bool CWkjhDoc::IsClassOfGrade() const { return CXxDataType::MultiClassRef() == 1 && IsClassDocument(); }

bool CWkjhDoc::QueryReadOnly() {
  if (!KvHasRight(CPkDataType::kModule, QStringLiteral("06")))
    return true;
  if (m_key.STD.size() < CXxDataType::GradeCodeLen())
    return true;
  return KvPkLaterPlanExists(m_key.Y, m_key.QC, m_key.T, true, m_pDb) != 0;
}

bool CWkjhDoc::PrepareOpen() {
  if (!KvCheckPkSetup({QStringLiteral("STD"), QStringLiteral("SBT"), QStringLiteral("TCHR")}))
    return false;
  CPkOpenPlanDlg dialog(0);
  dialog.Y = m_key.Y;
  dialog.QC = m_key.QC;
  dialog.T = m_key.T;
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  m_key.Y = dialog.Y;
  m_key.QC = dialog.QC;
  m_key.T = dialog.T;
  m_lastKey = m_key;
  // The copy writes a whole plan: it is offered only to an operator who may
  // write plans. Any other opens the new plan on the latest rows, read-only.
  if (KvHasRight(CPkDataType::kModule, QStringLiteral("06")))
    m_key.CopyPreviousVersion(m_pDb);
  return true;
}

int CWkjhDoc::TypeOfCell(int nColumn) const {
  return nColumn >= 0 && nColumn < m_formEntry.formulas.size() ? m_formEntry.formulas.at(nColumn).Link() : 0;
}

bool CWkjhDoc::ShowsCheckedText(int nColumn) const {
  const int type = TypeOfCell(nColumn);
  return type == kCourse || type == kTeacher || type == kRoom;
}

namespace {

// Code -> name of a catalogue; false when it could not be read.
template <class Table, class Rec>
bool readCatalogueNames(QHash<QString, QString>& names, CKvDb* pDb) {
  names.clear();
  QList<Rec> rows;
  bool read = false;
  Table::LoadAll(rows, pDb, &read);
  if (!read)
    return false;
  for (const Rec& rec : rows)
    names.insert(rec.KNO, rec.NA);
  return true;
}

}  // namespace

bool CWkjhDoc::readNames() {
  return readCatalogueNames<CSbtTable, CSbtRec>(m_courseNames, m_pDb) &&
         readCatalogueNames<CTchrTable, CTchrRec>(m_teacherNames, m_pDb) &&
         readCatalogueNames<CPubRmTable, CPubRmRec>(m_roomNames, m_pDb);
}

QString CWkjhDoc::ShownCellText(int nRow, int nColumn, const QString& text) {
  (void)nRow;
  switch (TypeOfCell(nColumn)) {
    case kCourse: return m_courseNames.value(text);
    case kTeacher: return m_teacherNames.value(text);
    case kRoom: return m_roomNames.value(text);
    default: return QString();
  }
}

std::function<void()> CWkjhDoc::KeepFillState() {
  return [this, key = m_key, name = m_strName, earlier = m_nEarlier, readRows = m_readRows,
          courses = m_courseNames, teachers = m_teacherNames, rooms = m_roomNames] {
    m_key = key;
    m_strName = name;
    m_nEarlier = earlier;
    m_readRows = readRows;
    m_courseNames = courses;
    m_teacherNames = teachers;
    m_roomNames = rooms;
  };
}

bool CWkjhDoc::FillRows() {
  KvWaitCursor wait;
  ClearRows();
  m_nEarlier = 0;
  // A plan filled from a failed read would store its gaps over the plan.
  if (!KvPkReadNodePath(m_key.STD, &m_strName, m_pDb))
    return false;
  // What a save will check is read before what is shown: a save in
  // between then refuses rather than being undone.
  if (!m_key.LoadReplacedRows(m_readRows, m_pDb))
    return false;
  QList<CWkjhRec> rows;
  CWkjhRec key = m_key;
  const int earlier = key.LoadPlanForDocument(rows, m_pDb);
  if (earlier < 0)
    return false;
  m_nEarlier = earlier;
  if (!readNames())
    return false;
  // The week kind is shown wherever the grid's assignments are written,
  // so that a save keeps it.
  const bool showWeekKind = CXxDataType::MultiClassRef() == 0 || IsClassDocument();
  for (const CWkjhRec& rec : rows) {
    QStringList row = NewRow();
    const auto put = [&](int type, const QString& text) {
      const int cell = FindColumnFormula(type);
      if (cell >= 0)
        row[cell] = text;
    };
    put(kCourse, rec.SBT);
    put(kTeacher, rec.TCHR);
    put(kRoom, rec.PUBRM);
    put(kPeriods, KvFormat("%d", rec.NU));
    put(kRun, KvFormat("%d", rec.CN));
    put(kPriority, KvFormat("%d", rec.CL));
    put(kFixed, rec.WTN0);
    put(kBarred, rec.WTN1);
    if (showWeekKind)
      put(kWeekKind, KvFormat("%d", rec.DS));
    put(kNote, rec.NT);
    AppendRow(row);
  }
  return true;
}

bool CWkjhDoc::HasUnsavedEdits(QString& reason) {
  reason.clear();
  // A grid that cannot be saved has nothing to save.
  if (m_bReadOnly)
    return false;
  return m_nEarlier == 1 || CKvDoc::HasUnsavedEdits(reason);
}

void CWkjhDoc::GetSummaryText(QString& out, int nRows) { out = IsBlank() ? QString() : KvFormat("%d门", nRows); }

int CWkjhDoc::GetColumnListKind(int nColumn) {
  switch (TypeOfCell(nColumn)) {
    case kCourse: return 0;
    case kTeacher: return 1;
    case kRoom: return 2;
    case kPriority: return 3;
    case kWeekKind: return 4;
    default: return -1;
  }
}

bool CWkjhDoc::CheckCellText(int nRow, int nColumn, const QString& text, QString& outText) {
  (void)nRow;
  switch (TypeOfCell(nColumn)) {
    case kCourse: {
      if (text.isEmpty())
        return IsGradeDocument();
      CSbtRec rec;
      if (CSbtTable::LoadByCode(rec, text, m_pDb) <= 0)
        return false;
      outText = rec.NA;
      return true;
    }
    case kTeacher: {
      CTchrRec rec;
      if (text.isEmpty())
        return true;
      if (CTchrTable::LoadByCode(rec, text, m_pDb) <= 0)
        return false;
      outText = rec.NA;
      return true;
    }
    case kRoom: {
      CPubRmRec rec;
      if (text.isEmpty())
        return true;
      if (CPubRmTable::LoadByCode(rec, text, m_pDb) <= 0)
        return false;
      outText = rec.NA;
      return true;
    }
    case kPeriods: return numberIn(text, 1, 99);
    case kRun: return numberIn(text, 1, 9);
    case kPriority:
      outText = text.isEmpty() ? QString() : CWkjhRec::PriorityText(KvStrToInt(text));
      return numberIn(text, 1, 5);
    case kFixed:
    case kBarred: return CWkjhRec::ExpandTimes(text) != -1;
    case kWeekKind:
      if (CXxDataType::MultiClassRef() == 1 && IsGradeDocument())
        return true;
      outText = text.isEmpty() ? QString() : CWkjhRec::WeekKindText(KvStrToInt(text));
      return numberIn(text, 0, 2);
    default: return true;
  }
}

bool CWkjhDoc::SaveRows() {
  if (m_bReadOnly)
    return false;
  if (CXxDataType::CheckParamChange(true, m_pDb) != 0)
    return false;
  int cells[10];
  static const int types[10] = {kCourse, kTeacher, kRoom, kPeriods, kRun, kPriority, kFixed, kBarred, kWeekKind, kNote};
  for (int i = 0; i < 10; ++i) {
    cells[i] = FindColumnFormula(types[i]);
    if (cells[i] < 0 && i < 9) {
      KvMessageBox(QStringLiteral("栏不全！"), KV_MB_OK | KV_MB_ICONSTOP);
      return false;
    }
  }
  // Every value is checked, so that no empty or bad number is stored as 0.
  if (!CheckAllCells(false))
    return false;
  QList<CWkjhRec> rows;
  QSet<QString> courses;
  for (int r = 0; r < GetRowCount(); ++r) {
    if (IsRowBlank(r))
      continue;
    const QStringList& row = m_rows.at(r);
    CWkjhRec rec(m_key.Y, m_key.QC, m_key.T, m_key.STD);
    rec.SBT = row.value(cells[0]);
    if (rec.SBT.isEmpty()) {
      KvMessageBox(KvFormat("第%d行没有课程！", r + 1), KV_MB_OK | KV_MB_ICONSTOP);
      return false;
    }
    if (courses.contains(rec.SBT)) {
      KvMessageBox(QStringLiteral("课程重复！"), KV_MB_OK | KV_MB_ICONSTOP);
      return false;
    }
    courses.insert(rec.SBT);
    rec.TCHR = row.value(cells[1]);
    rec.PUBRM = row.value(cells[2]);
    rec.NU = KvStrToInt(row.value(cells[3]));
    rec.CN = KvStrToInt(row.value(cells[4]));
    rec.CL = KvStrToInt(row.value(cells[5]));
    rec.WTN0 = row.value(cells[6]);
    rec.WTN1 = row.value(cells[7]);
    rec.DS = KvStrToInt(row.value(cells[8]));
    if (cells[9] >= 0)
      rec.NT = row.value(cells[9]);
    rows.append(rec);
  }
  // The plan and its log entry go together or not at all.
  // A refusal is shown once the locks are let go.
  KvPkPlanRead stored = m_readRows;
  KvDbTransaction trans(*m_pDb);
  QString refusal;
  if (!trans.IsActive() || m_key.SavePlan(rows, m_pDb, &stored, &refusal) != 1 ||
      !KvPkInsertLog(m_pDb, 3,
                     KvFormat("保存%s%s年%s季学期(%s)教学计划", m_strName, m_key.Y, KvPkSeason(m_key.QC), m_key.T)) ||
      !trans.Commit()) {
    trans.Rollback();
    if (!refusal.isEmpty())
      KvMessageBox(refusal, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  m_readRows = stored;
  m_lastKey = m_key;
  m_nEarlier = 0;
  return true;
}

void CWkjhDoc::BuildPrintMacros() {
  AddMacroRow(QStringLiteral("班级名"), QStringLiteral("#pk_name"), m_strName);
  AddMacroRow(QStringLiteral("学期"), QStringLiteral("#pk_time"), KvFormat("%s年 %s季学期", m_key.Y, KvPkSeason(m_key.QC)));
  AddMacroRow(QStringLiteral("起始时间：年"), QStringLiteral("#pk_yy"), m_key.T.left(4));
  AddMacroRow(QStringLiteral("起始时间：月"), QStringLiteral("#pk_mm"), m_key.T.mid(4, 2));
  AddMacroRow(QStringLiteral("起始时间：日"), QStringLiteral("#pk_dd"), m_key.T.mid(6, 2));
}

bool CWkjhDoc::SelectCode(const QString& code) {
  if (code == m_key.STD) {
    m_lastKey = m_key;
    return true;
  }
  if (!SaveModified()) {
    m_key = m_lastKey;
    return false;
  }
  m_key.STD = code;
  m_lastKey = m_key;
  MarkKeyChanged();
  Refill();
  return true;
}

bool CWkjhDoc::CanDelete() const { return KvHasRight(CPkDataType::kModule, QStringLiteral("06")) && !m_bReadOnly; }

bool CWkjhDoc::DeletePlan() {
  if (!CanDelete())
    return false;
  if (KvMessageBox(QStringLiteral("真的要删除吗？"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return false;
  KvDbTransaction trans(*m_pDb);
  CWkjhRec rows = m_key;
  QString refusal;
  if (trans.IsActive() && rows.DeleteClassRows(m_pDb, &refusal) &&
      KvPkInsertLog(m_pDb, 3,
                    KvFormat("删除%s%s年%s季学期(%s)教学计划", m_strName, m_key.Y, KvPkSeason(m_key.QC), m_key.T)) &&
      trans.Commit())
    return true;
  // A refusal is shown once the locks are let go.
  trans.Rollback();
  if (!refusal.isEmpty())
    KvMessageBox(refusal, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}
