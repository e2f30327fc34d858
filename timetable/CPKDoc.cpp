#include "timetable/CPKDoc.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvDate.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "timetable/CPkArranger.h"
#include "timetable/CPkDataType.h"
#include "timetable/CPkOpenPlanDlg.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CTchrTable.h"
#include "timetable/KvCheckPkSetup.h"
#include "timetable/KvPkDocSupport.h"
#include "timetable/KvPkLog.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvWaitCursor.h"

#include <utility>

namespace {
constexpr int kSegmentColumn = 1;
constexpr int kPeriodColumn = 2;
constexpr int kFirstDayColumn = 10;
// The word of the page in the head note and the name macro.
const char* const kPageWords[3] = {"班级", "教师", "教室"};
}  // namespace

CPKDoc::CPKDoc() : m_source(nullptr) {}

QString CPKDoc::Key() const {
  switch (Page()) {
    case 1:
      return m_grid.TCHR;
    case 2:
      return m_grid.PUBRM;
    default:
      return m_grid.STD;
  }
}

void CPKDoc::OnCloseDocument() {
  const QString pageKey = Page() == 0 ? m_grid.SBT : Key();
  OpenArgs() = {m_grid.Y, KvFormat("%d", m_grid.QC), m_grid.T, m_grid.STD, pageKey};
  CKvDoc::OnCloseDocument();
}

void CPKDoc::LoadOpenArgs() {
  m_nExtraCells = 7;
  m_source = KvPkLoadedCheckSource(m_pDb);
  QStringList& args = OpenArgs();
  KvPkNormalizeOpenArgs(args, 5);
  m_grid = CPkGrid(args[0], KvStrToInt(args[1]), args[2], args[3]);
  // The class page always holds every lesson of the class, so the course
  // filter of the arguments is not applied.
  if (Page() == 1)
    m_grid.TCHR = args[4];
  else if (Page() == 2)
    m_grid.PUBRM = args[4];
  if (Page() == 0)
    m_strHelpTopic = QStringLiteral("排课");
}

void CPKDoc::InitFormEntry(KvFormEntry& entry) {
  static const char* const captions[3] = {"课程表", "教师课表", "公用教室课表"};
  entry.sFna = Page() >= 0 && Page() <= 2 ? QString::fromUtf8(captions[Page()]) : QStringLiteral("周教学计划");
  entry.nOpen = 0;
  entry.nTopNum = 2;
}

void CPKDoc::BuildColumns(KvFormEntry& entry) {
  entry.formulas.clear();
  entry.AddFormula(kSegmentColumn, 404, 0, 0, QStringLiteral("时\\段/MDBSTRING/MID"));
  entry.AddFormula(kPeriodColumn, 202, 0, 0, QStringLiteral("节\\次/MDBSTRING/MID"));
  for (int d = 0; d < 7; ++d)
    entry.AddFormula(kFirstDayColumn + d, 1010, 0, 0, KvFormat("%s/MDBSTRING/MID", KvWeekdayName(d)));
  CKvDoc::BuildColumns(entry);
}

int CPKDoc::GetColumnMark(const KvFormEntry& entry, int nColumn) {
  return entry.formulas.at(nColumn).Link() < 1 ? 2 : 1;
}

void CPKDoc::BuildHeadNotes(KvFormEntry& entry) {
  const QString word = QString::fromUtf8(kPageWords[Page() >= 0 && Page() <= 2 ? Page() : 0]);
  entry.headNotes.clear();
  entry.AddHeadNote(0, 0, 0, 1, 0, QStringLiteral("单位名"), word + QStringLiteral("：#pk_name"));
  entry.AddHeadNote(0, 0, 42, 1, 0, QStringLiteral("学期"), QStringLiteral("#pk_time"));
  entry.AddHeadNote(1, 0, 0, 1, 0, QStringLiteral("校名"), QStringLiteral("学校：#co_name"));
  entry.AddHeadNote(1, 0, 60, 1, 0, QStringLiteral("备注"), QStringLiteral("注：#pk_yy年#pk_mm月#pk_dd日开始执行"));
}

bool CPKDoc::QueryReadOnly() {
  if (Page() != 0 || !KvHasRight(CPkDataType::kModule, QStringLiteral("08")))
    return true;
  if (m_grid.STD.size() < CXxDataType::ClassCodeLen())
    return true;
  return KvPkLaterPlanExists(m_grid.Y, m_grid.QC, m_grid.T, false, m_pDb) != 0;
}

bool CPKDoc::PrepareOpen() {
  if (!KvCheckPkSetup({QStringLiteral("STD"), QStringLiteral("TCHR"), QStringLiteral("SBT"), QStringLiteral("WKT"),
                       QStringLiteral("WKJH"), QStringLiteral("SBTTCHR")}))
    return false;
  CPkOpenPlanDlg dialog(Page() + 1);
  dialog.Y = m_grid.Y;
  dialog.QC = m_grid.QC;
  dialog.T = m_grid.T;
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  m_grid.Y = dialog.Y;
  m_grid.QC = dialog.QC;
  m_grid.T = dialog.T;
  bool read = false;
  if (!m_schedule.LoadForTimetable(m_grid.Y, m_grid.QC, false, false, m_pDb, &read)) {
    // A failed read was reported by the connection already.
    if (read)
      KvMessageBox(QStringLiteral("还没有设定本学期作息时间表！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  m_bScheduleFresh = true;
  // Only an operator who may write timetables is offered last term's copy.
  if (KvHasRight(CPkDataType::kModule, QStringLiteral("08")))
    m_grid.CopyPreviousVersion(m_schedule, m_pDb);
  return true;
}

std::function<void()> CPKDoc::KeepFillState() {
  return [this, schedule = m_schedule, planRows = m_planRows, grid = m_grid, savedGrid = m_savedGrid,
          name = m_strName, source = m_source, catalogueRead = m_bCatalogueRead,
          scheduleFresh = m_bScheduleFresh, history = m_bHistoryAtFill] {
    m_schedule = schedule;
    m_planRows = planRows;
    m_grid = grid;
    m_savedGrid = savedGrid;
    m_strName = name;
    m_source = source;
    m_bCatalogueRead = catalogueRead;
    m_bScheduleFresh = scheduleFresh;
    m_bHistoryAtFill = history;
  };
}

bool CPKDoc::FillRows() {
  // Every read must succeed: a grid filled from a failed read would offer
  // to store its gaps over the stored lessons.
  bool ok = true;
  {
    KvWaitCursor wait;
    if (!m_bCatalogueRead)
      m_bCatalogueRead = m_source.Load();
    ok = m_bCatalogueRead;
    m_strName.clear();
    if (Page() == 0) {
      // The class's path comes from the tree read with the catalogue.
      m_source.NodePath(m_grid.STD, &m_strName);
    } else if (Page() == 1) {
      QList<CTchrRec> rows;
      bool read = false;
      CTchrTable::Select(KvFormat("Where KNO='%s'", m_pDb->QuoteText(m_grid.TCHR)), QString(), rows, m_pDb, &read);
      ok = ok && read;
      m_strName = rows.isEmpty() ? QString() : rows.first().NA;
    } else {
      QList<CPubRmRec> rows;
      bool read = false;
      CPubRmTable::Select(KvFormat("Where KNO='%s'", m_pDb->QuoteText(m_grid.PUBRM)), QString(), rows, m_pDb, &read);
      ok = ok && read;
      m_strName = rows.isEmpty() ? QString() : rows.first().NA;
    }
    ClearRows();
  }
  // A changed period count is reported here and the old schedule kept.
  if (!std::exchange(m_bScheduleFresh, false)) {
    bool read = false;
    m_schedule.LoadForTimetable(m_grid.Y, m_grid.QC, false, true, m_pDb, &read);
    ok = ok && read;
  }
  {
    KvWaitCursor wait;
    m_planRows.clear();
    bool read = false;
    if (Page() == 0) {
      ok = ok && CWkjhRec(m_grid.Y, m_grid.QC, m_grid.T, m_grid.STD).LoadClassPlan(QString(), m_planRows, m_pDb) >= 0;
      m_grid.LoadByKeys(m_schedule, m_pDb, &read);
    } else {
      // A teacher's or room's lessons in every class.
      const QString klass = m_grid.STD;
      m_grid.STD.clear();
      m_grid.LoadByKeys(m_schedule, m_pDb, &read);
      m_grid.STD = klass;
    }
    const int later = KvPkLaterPlanExists(m_grid.Y, m_grid.QC, m_grid.T, true, m_pDb);
    m_bHistoryAtFill = later > 0;
    ok = ok && read && later >= 0;
    if (!ok) {
      m_savedGrid = m_grid;
      return false;
    }
    const int segmentCell = FindColumnFormula(kSegmentColumn);
    const int periodCell = FindColumnFormula(kPeriodColumn);
    int dayCells[7];
    for (int d = 0; d < 7; ++d)
      dayCells[d] = FindColumnFormula(kFirstDayColumn + d);
    for (int s = 0; s < 4; ++s)
      for (int p = 0; p < m_schedule.PeriodCount(s); ++p) {
        QStringList row = NewRow();
        if (p == 0 && segmentCell >= 0)
          row[segmentCell] = CWktRec::GetSegmentName(s);
        if (periodCell >= 0)
          row[periodCell] = KvFormat("%d", p + 1);
        for (int d = 0; d < 7; ++d)
          if (dayCells[d] >= 0)
            row[dayCells[d]] = cellText(d, s, p);
        AppendRow(row);
      }
    m_savedGrid = m_grid;
  }
  CheckAllCells(false);
  return true;
}

QString CPKDoc::cellText(int day, int s, int p) const {
  static const char* const prefixes[3] = {"", "D", "S"};
  QString text;
  for (int k = 0; k < CPkGrid::kKinds; ++k) {
    const int i = CPkGrid::ArrayIndex(k, day, s);
    const QString& code = Page() == 0 ? m_grid.CourseCells[i].value(p) : m_grid.ClassCells[i].value(p);
    if (!code.isEmpty())
      text += KvFormat("%s%s", prefixes[k], code);
  }
  return text;
}

bool CPKDoc::rowPosition(int nRow, int& s, int& p) const {
  int n = nRow;
  for (s = 0; s < 4; ++s) {
    if (n < m_schedule.PeriodCount(s)) {
      p = n;
      return true;
    }
    n -= m_schedule.PeriodCount(s);
  }
  return false;
}

int CPKDoc::DayOfCell(int nColumn) const {
  if (nColumn < 0 || nColumn >= m_formEntry.formulas.size())
    return -1;
  const int n = m_formEntry.formulas.at(nColumn).Link() - kFirstDayColumn;
  return n >= 0 && n < 7 ? n : -1;
}

bool CPKDoc::IsTeachingPeriod(int nRow, int day) const {
  int s = 0, p = 0;
  return day >= 0 && day < 7 && rowPosition(nRow, s, p) && m_schedule.SBT[day][s].value(p) != 0;
}

bool CPKDoc::readGridFromRows(CPkGrid& grid) {
  int dayCells[7];
  for (int d = 0; d < 7; ++d) {
    dayCells[d] = FindColumnFormula(kFirstDayColumn + d);
    if (dayCells[d] < 0) {
      KvMessageBox(QStringLiteral("栏不全！"), KV_MB_OK | KV_MB_ICONSTOP);
      return false;
    }
  }
  int r = 0;
  for (int s = 0; s < 4; ++s)
    for (int p = 0; p < m_schedule.PeriodCount(s); ++p, ++r)
      for (int d = 0; d < 7; ++d) {
        // Only teaching periods are stored; the checked text gives the
        // canonical codes.
        QString entries[3];
        QString text = r < GetRowCount() ? m_rows.at(r).value(dayCells[d]) : QString();
        if (m_schedule.SBT[d][s].value(p) == 0 ||
            !grid.NormalizeCellText(m_source, m_planRows, true, text, entries, nullptr))
          for (QString& entry : entries)
            entry.clear();
        for (int k = 0; k < CPkGrid::kKinds; ++k) {
          const int i = CPkGrid::ArrayIndex(k, d, s);
          grid.CourseCells[i][p] = entries[k];
          grid.TeacherCells[i][p].clear();
          grid.RoomCells[i][p].clear();
          const CWkjhRec* row = entries[k].isEmpty() ? nullptr : CWkjhRec::FindPlanRow(entries[k], m_planRows);
          if (row) {
            grid.TeacherCells[i][p] = row->TCHR;
            grid.RoomCells[i][p] = row->PUBRM;
          }
        }
      }
  return true;
}

bool CPKDoc::SaveRows() {
  if (Page() != 0 || m_bReadOnly)
    return false;
  // Parameters changed elsewhere (or unreadable) end the work here.
  if (CXxDataType::CheckParamChange(true, m_pDb) != 0)
    return false;
  if (!m_schedule.LoadForTimetable(m_grid.Y, m_grid.QC, false, true, m_pDb))
    return false;
  // Without the plan the lessons would be stored without teacher and room.
  if (CWkjhRec(m_grid.Y, m_grid.QC, m_grid.T, m_grid.STD).LoadClassPlan(QString(), m_planRows, m_pDb) < 0)
    return false;
  // The cells are checked against the catalogue as it is stored now; one
  // that cannot be read refuses the save.
  m_bCatalogueRead = m_source.Load();
  if (!m_bCatalogueRead || !CheckAllCells(true))
    return false;
  // m_grid keeps what the window read until the save is stored: the save
  // is checked against it.
  CPkGrid grid = m_grid;
  grid.SetSizes(m_schedule);
  if (!readGridFromRows(grid))
    return false;
  KvPkDbCheckSource source(m_pDb);
  if (!grid.CheckAgainstPlan(m_schedule, m_planRows, source))
    return false;
  // The rows and their log entry go together or not at all. While the
  // count question was open another workstation may have set up a later
  // plan version, which makes this one history, or deleted the class
  // or given it another code, changed its plan or the term's schedule, or
  // given its teacher or room another class at the same time: under the
  // locks on the plan and on PK the class must still be in the tree (the
  // tree's delete and recode lock PK too), the plan and the schedule must
  // still be those the lessons were checked with, and the check runs again;
  // a refusal is shown once the locks are let go.
  QString refusal;
  {
    KvDbTransaction trans(*m_pDb);
    const auto classStored = [&] {
      const int count = CStd(m_pDb, m_grid.STD).Count(0, -1);
      if (count == 0)
        refusal = KvFormat("“%s”已不存在，不能保存！", m_grid.STD);
      return count > 0;
    };
    const auto planUnchanged = [&] {
      QList<CWkjhRec> now;
      if (CWkjhRec(m_grid.Y, m_grid.QC, m_grid.T, m_grid.STD).LoadClassPlan(QString(), now, m_pDb) < 0)
        return false;
      if (now == m_planRows)
        return true;
      refusal = QStringLiteral("本班的教学计划已被其他窗口或工作站修改，请刷新后重新输入！");
      return false;
    };
    const auto scheduleUnchanged = [&] {
      const int same = m_schedule.StoredAsLoaded(m_pDb);
      if (same == 0)
        refusal = QStringLiteral("作息时间表已被其他窗口或工作站修改，请刷新后重新输入！");
      return same == 1;
    };
    if (!trans.IsActive() || !CWkjhRec::LockPlanAndTimetable(m_pDb) ||
        !KvPkStillLatestPlan(m_grid.Y, m_grid.QC, m_grid.T, m_pDb, trans, "非最后一次计划，不能保存！") ||
        !classStored() || !planUnchanged() ||
        !scheduleUnchanged() ||
        !grid.CheckAgainstPlan(m_schedule, m_planRows, source, &refusal) || !grid.Save(m_grid, m_pDb, &refusal) ||
        !KvPkInsertLog(m_pDb, 4,
                       KvFormat("保存%s%s年%s季学期(%s)课表", m_strName, grid.Y, KvPkSeason(grid.QC), grid.T)) ||
        !trans.Commit()) {
      trans.Rollback();
      if (!refusal.isEmpty())
        KvMessageBox(refusal, KV_MB_OK | KV_MB_ICONSTOP);
      return false;
    }
  }
  m_grid = grid;
  m_savedGrid = m_grid;
  return true;
}

int CPKDoc::GetColumnListKind(int nColumn) { return DayOfCell(nColumn); }

bool CPKDoc::CheckCellText(int nRow, int nColumn, const QString& text, QString& outText) {
  (void)nRow;
  if (DayOfCell(nColumn) < 0 || text.isEmpty())
    return true;
  // Every page shows names, from the catalogue read with the window.
  outText = KvPkShownCellText(m_source, Page() == 0, text);
  // Only a grid that can be edited and saved checks its cells.
  if (m_bReadOnly)
    return true;
  QString copy = text;
  QString entries[3];
  return m_grid.NormalizeCellText(m_source, m_planRows, Page() == 0, copy, entries, nullptr);
}

void CPKDoc::AfterEdit(int nRow, int nColumn, const QString& text) {
  if (DayOfCell(nColumn) < 0 || m_bReadOnly || nRow < 0 || nRow >= GetRowCount())
    return;
  // An accepted entry is kept as it is saved and printed: "12" is "0012".
  QString canonical = text;
  QString entries[3];
  if (m_grid.NormalizeCellText(m_source, m_planRows, Page() == 0, canonical, entries, nullptr))
    m_rows[nRow][nColumn] = canonical;
}

void CPKDoc::BuildPrintMacros() {
  const QString word = QString::fromUtf8(kPageWords[Page() >= 0 && Page() <= 2 ? Page() : 0]);
  AddMacroRow(word, QStringLiteral("#pk_name"), m_strName);
  AddMacroRow(QStringLiteral("学期"), QStringLiteral("#pk_time"),
              KvFormat("%s年 %s季学期", m_grid.Y, KvPkSeason(m_grid.QC)));
  AddMacroRow(QStringLiteral("起始时间：年"), QStringLiteral("#pk_yy"), m_grid.T.left(4));
  AddMacroRow(QStringLiteral("起始时间：月"), QStringLiteral("#pk_mm"), m_grid.T.mid(4, 2));
  AddMacroRow(QStringLiteral("起始时间：日"), QStringLiteral("#pk_dd"), m_grid.T.mid(6, 2));
}

QString CPKDoc::GetCommandCaption(int nId, int& nFlag) {
  if (nId == KV_CMD_DELETE || nId == KV_CMD_ARRANGE) {
    nFlag = 0;
    return nId == KV_CMD_DELETE ? QStringLiteral("删除") : QStringLiteral("排课");
  }
  return CKvDoc::GetCommandCaption(nId, nFlag);
}

bool CPKDoc::CanArrange() {
  return Page() == 0 && KvHasRight(CPkDataType::kModule, QStringLiteral("08")) &&
         KvPkLaterPlanExists(m_grid.Y, m_grid.QC, m_grid.T, false, m_pDb) == 0;
}

bool CPKDoc::CanDelete() const { return Page() == 0 && KvHasRight(CPkDataType::kModule, QStringLiteral("08")); }

bool CPKDoc::SelectKey(const QString& code) {
  if (code == Key()) {
    m_savedGrid = m_grid;
    return true;
  }
  if (!SaveModified()) {
    m_grid = m_savedGrid;
    return false;
  }
  if (Page() == 1)
    m_grid.TCHR = code;
  else if (Page() == 2)
    m_grid.PUBRM = code;
  else
    m_grid.STD = code;
  m_savedGrid = m_grid;
  MarkKeyChanged();
  Refill();
  return true;
}

void CPKDoc::Arrange() {
  if (!CanArrange() || !SaveModified())
    return;
  CPkArranger(m_grid.Y, m_grid.QC, m_grid.T, m_grid.STD, m_pDb).Arrange();
  Refresh();
}

bool CPKDoc::SchoolNodes(KvPkSchoolNodes* nodes) const {
  if (!m_bCatalogueRead)
    return false;
  *nodes = m_source.Nodes();
  return true;
}

void CPKDoc::Refresh() {
  m_bCatalogueRead = false;
  Refill();
}

bool CPKDoc::DeleteTimetables() {
  if (!CanDelete())
    return false;
  if (KvMessageBox(QStringLiteral("真的要删除吗？"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return false;
  // The operator chose to delete what the window showed: a version it read
  // as history may go, but one that became history since (a later plan
  // version set up meanwhile) is not the one he meant to clear.
  KvDbTransaction trans(*m_pDb);
  CPkGrid rows(m_grid.Y, m_grid.QC, m_grid.T, m_grid.STD);
  return trans.IsActive() && CWkjhRec::LockPlanAndTimetable(m_pDb) &&
         (m_bHistoryAtFill ||
          KvPkStillLatestPlan(m_grid.Y, m_grid.QC, m_grid.T, m_pDb, trans, "非最后一次计划，不能删除！")) &&
         rows.DeleteVersionRows(m_pDb) &&
         KvPkInsertLog(m_pDb, 4,
                       KvFormat("删除%s%s年%s季学期(%s)课表", m_strName, m_grid.Y, KvPkSeason(m_grid.QC), m_grid.T)) &&
         trans.Commit();
}
