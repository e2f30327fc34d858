#include "timetable/CPkRptDoc.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDate.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "timetable/CPkGrid.h"
#include "timetable/CPkOpenStatusDlg.h"
#include "timetable/KvCheckPkSetup.h"
#include "ui/KvModal.h"
#include "ui/KvWaitCursor.h"

#include <QDate>
#include <QHash>

namespace {
// Code to name of a catalogue or of the school tree, read once; false when
// it could not be read.
bool readNames(CKvDb* pDb, const char* table, QHash<QString, QString>* names) {
  names->clear();
  CKvQuery query(0, 0, 2, pDb);
  if (!query.Open(QStringLiteral("Select rtrim(KNO),rtrim(NA) From %1").arg(QLatin1String(table))))
    return false;
  for (; !query.IsEOF(); query.MoveNext())
    names->insert(query.GetText(0), query.GetText(1));
  return true;
}

QString termWord(int term) { return term == 0 ? QStringLiteral("春") : QStringLiteral("秋"); }
}  // namespace

void CPkRptDoc::LoadOpenArgs() {
  QStringList& args = OpenArgs();
  const int year = KvGetApp() ? KvGetApp()->GetDataFile().GetYear() : QDate::currentDate().year();
  // The year's 1 March ("%10301" would read as the tenth place marker).
  const QString firstMarch = KvFormat("%d0301", year);
  if (args.size() != 4)
    args = QStringList{QString::number(year), QString(), firstMarch, QStringLiteral("1")};
  Y = args[0];
  QC = KvStrToInt(args[1]) == 1 ? 1 : 0;
  // A term other than autumn is spring; a date that is not one falls back
  // to the year's 1 March.
  T = QDate::fromString(args[2], QStringLiteral("yyyyMMdd")).isValid() ? args[2] : firstMarch;
  const int weekday = KvStrToInt(args[3], 1);
  m_nWeekday = weekday >= 0 && weekday <= 6 ? weekday : 1;
}

void CPkRptDoc::OnCloseDocument() {
  OpenArgs() = QStringList{Y, QString::number(QC), T, QString::number(m_nWeekday)};
  CKvDoc::OnCloseDocument();
}

void CPkRptDoc::InitFormEntry(KvFormEntry& entry) {
  static const char* const captions[3] = {"教师排课情况表", "公用教室排课情况表", "班级排课情况表"};
  entry.sFna = m_nForm >= 0 && m_nForm <= 2 ? QString::fromUtf8(captions[m_nForm]) : QStringLiteral("周教学计划");
  entry.nOpen = 0;
  entry.nTopNum = 2;
}

void CPkRptDoc::BuildColumns(KvFormEntry& entry) {
  entry.formulas.clear();
  if (m_nForm == 0)
    entry.AddFormula(1, 1010, 0, 0, QStringLiteral("姓名/MDBSTRING/MID"));
  else
    entry.AddFormula(1, 1212, 0, 0, m_nForm == 1 ? QStringLiteral("名称/MDBSTRING/LEFT")
                                                 : QStringLiteral("班级/MDBSTRING/LEFT"));
  for (int s = 0; s < 4; ++s)
    for (int p = 0; p < 10; ++p)
      entry.AddFormula(PeriodColumn(s, p), 707, 0, 0,
                       QStringLiteral("%1%2/MDBSTRING/MID").arg(CWktRec::GetSegmentName(s), QString::number(p + 1)));
  CKvDoc::BuildColumns(entry);
}

int CPkRptDoc::GetColumnMark(const KvFormEntry& entry, int nColumn) {
  const int link = entry.formulas.at(nColumn).Link();
  if (link == 1)
    return 1;
  const int s = link / 10 - 1;
  const int p = link % 10;
  return s >= 0 && s < 4 && p < m_wkt.PeriodCount(s) ? 1 : 0;
}

void CPkRptDoc::BuildHeadNotes(KvFormEntry& entry) {
  entry.headNotes.clear();
  entry.AddHeadNote(0, 0, 0, 1, 0, QStringLiteral("校名"), QStringLiteral("学校：#co_name"));
  entry.AddHeadNote(0, 0, 40, 1, 0, QStringLiteral("学期"), QStringLiteral("#pk_time"));
  entry.AddHeadNote(1, 0, 60, 1, 0, QStringLiteral("备注"), QStringLiteral("注：#pk_yy年#pk_mm月#pk_dd日开始执行"));
}

bool CPkRptDoc::PrepareOpen() {
  if (!KvCheckPkSetup({QStringLiteral("STD"), QStringLiteral("TCHR"), QStringLiteral("SBT"), QStringLiteral("WKT"),
                       QStringLiteral("WKJH"), QStringLiteral("SBTTCHR")}))
    return false;
  CPkOpenStatusDlg dlg;
  dlg.m_nKind = m_nForm;
  dlg.Y = Y;
  dlg.QC = QC;
  dlg.T = T;
  dlg.m_nWeekday = m_nWeekday;
  if (KvExecDialog(&dlg) != QDialog::Accepted)
    return false;
  Y = dlg.Y;
  QC = dlg.QC;
  T = dlg.T;
  m_nWeekday = dlg.m_nWeekday;
  bool read = false;
  if (!m_wkt.LoadForTimetable(Y, QC, false, false, m_pDb, &read)) {
    // A failed read was reported by the connection already.
    if (read)
      KvMessageBox(QStringLiteral("还没有设定本学期作息时间表！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  return true;
}

std::function<void()> CPkRptDoc::KeepFillState() {
  // A fill changes the rows alone; the framework keeps them.
  return [] {};
}

bool CPkRptDoc::FillRows() {
  KvWaitCursor wait;
  ClearRows();
  QList<CPkGrid> grids;
  if (CPkGrid(Y, QC, T).LoadDayByKey(m_nForm, m_nWeekday, m_wkt, grids, m_pDb) < 0)
    return false;
  if (grids.isEmpty())
    return true;
  // Every name the page shows, read once: the classes, and the teachers
  // (pages 0 and 2), the rooms (page 1) or the courses (page 2).
  QHash<QString, QString> classes, teachers, rooms, courses;
  if (!readNames(m_pDb, "STD", &classes) || (m_nForm != 1 && !readNames(m_pDb, "TCHR", &teachers)) ||
      (m_nForm == 1 && !readNames(m_pDb, "PUBRM", &rooms)) || (m_nForm == 2 && !readNames(m_pDb, "SBT", &courses)))
    return false;
  const QHash<QString, QString>& rowNames = m_nForm == 0 ? teachers : (m_nForm == 1 ? rooms : classes);

  const int nameColumn = FindColumnFormula(1);
  for (const CPkGrid& grid : grids) {
    QStringList row = NewRow();
    if (nameColumn >= 0)
      row[nameColumn] = rowNames.value(grid.TCHR);
    for (int s = 0; s < 4; ++s) {
      for (int p = 0; p < m_wkt.PeriodCount(s); ++p) {
        const int column = FindColumnFormula(PeriodColumn(s, p));
        if (column < 0)
          continue;
        QStringList pieces;
        for (int k = 0; k < CPkGrid::kKinds; ++k) {
          const int i = CPkGrid::ArrayIndex(k, 0, s);
          if (m_nForm == 2) {
            const QString course = grid.CourseCells[i].value(p);
            if (!course.isEmpty())
              pieces.append(courses.value(course) + u'-' + teachers.value(grid.TeacherCells[i].value(p)));
          } else {
            const QString klass = grid.ClassCells[i].value(p);
            if (!klass.isEmpty())
              pieces.append(classes.value(klass));
          }
        }
        // The grid's own line break: each week kind on a line of its own.
        row[column] = pieces.join(u'\\');
      }
    }
    AppendRow(row);
  }
  return true;
}

void CPkRptDoc::BuildColumnHead(KvFormEntry& entry) {
  entry.topWords.clear();
  if (entry.nTopNum < 2) {
    CKvDoc::BuildDefaultColumnHead(entry);
    return;
  }
  const int rows = entry.nTopNum;
  // Shown columns are counted from 1 in the order of the formulas.
  const auto shownPosition = [&entry](int formula) {
    int position = 0;
    for (int i = 0; i <= formula; ++i)
      position += entry.formulas.at(i).IsShown() ? 1 : 0;
    return position;
  };
  const int name = FindColumnFormula(entry, 1);
  if (name >= 0 && entry.formulas.at(name).IsShown()) {
    const int at = shownPosition(name);
    entry.AddTopWord(at, 1, at, rows, entry.formulas.at(name).sFormula.section(u'/', 0, 0));
  }
  for (int s = 0; s < 4; ++s) {
    if (m_wkt.PeriodCount(s) == 0)
      continue;
    QList<int> numbers;
    for (int p = 0; p < m_wkt.PeriodCount(s); ++p)
      numbers.append(PeriodColumn(s, p));
    QList<int> positions;
    int first = -1;
    const int found = MatchColumnFormulas(entry, numbers, positions, first);
    QList<int> shown;
    for (int i = 0; i < positions.size(); ++i)
      if (positions[i] >= 0 && entry.formulas.at(positions[i]).IsShown())
        shown.append(i);
    if (found == 0 || shown.isEmpty())
      continue;
    const int left = shownPosition(positions[shown.first()]);
    const int right = shownPosition(positions[shown.last()]);
    if (shown.size() == 1) {
      entry.AddTopWord(left, 1, right, rows, CWktRec::GetSegmentName(s));
      continue;
    }
    const int half = rows / 2;
    entry.AddTopWord(left, 1, right, half, CWktRec::GetSegmentName(s));
    for (int i : shown) {
      const int at = shownPosition(positions[i]);
      entry.AddTopWord(at, half + 1, at, rows, QString::number(i + 1));
    }
  }
}

void CPkRptDoc::BuildPrintMacros() {
  AddMacroRow(QStringLiteral("学期"), QStringLiteral("#pk_time"),
              QStringLiteral("%1年 %2季学期 %3").arg(Y, termWord(QC), KvWeekdayName(m_nWeekday)));
  AddMacroRow(QStringLiteral("起始时间：年"), QStringLiteral("#pk_yy"), T.left(4));
  AddMacroRow(QStringLiteral("起始时间：月"), QStringLiteral("#pk_mm"), T.mid(4, 2));
  AddMacroRow(QStringLiteral("起始时间：日"), QStringLiteral("#pk_dd"), T.mid(6, 2));
}
