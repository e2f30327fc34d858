#include "timetable/CPkGrid.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "core/KvMessage.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"
#include "timetable/CWktRec.h"
#include "timetable/KvPkLessonInsert.h"

#include <QHash>

#include <utility>

namespace {
// Segment of a stored DT letter, -1 when it is not exactly "A".."D".
int segmentOf(const QString& dt) {
  return dt.size() == 1 && dt[0] >= u'A' && dt[0] <= u'D' ? dt[0].unicode() - u'A' : -1;
}

QString versionWhere(const CPkGrid& g, CKvDb* pDb) {
  return KvFormat("Y='%s' And QC='%d' And T='%s'", pDb->QuoteText(g.Y), g.QC, pDb->QuoteText(g.T));
}

// The class and every code under it: the rows a save replaces.
QString classWhere(const CPkGrid& g, CKvDb* pDb) { return KvFormat("STD Like '%s'", KvLikePrefix(pDb, g.STD)); }

// The cells of the grid's shape on every day and week kind, as stored: the
// rows a window's save replaces. A row the loads skip (a period past its
// segment's count, a day, segment or week kind out of range) matches none.
QString shownCellsWhere(const CPkGrid& g) {
  int counts[4];
  g.GetPeriodCounts(counts);
  QStringList segments;
  for (int s = 0; s < 4; ++s) {
    QStringList periods;
    for (int p = 1; p <= counts[s]; ++p)
      periods.append(KvFormat("'%d'", p));
    if (!periods.isEmpty())
      segments.append(KvFormat("DT='%c' And DN In (%s)", QChar(u'A' + s), periods.join(u',')));
  }
  if (segments.isEmpty())
    return QString();
  return KvFormat("WK In ('0','1','2','3','4','5','6') And DS In ('0','1','2') And ((%s))",
                  segments.join(QStringLiteral(") Or (")));
}

bool sameLessons(const CPkGrid& a, const CPkGrid& b) {
  for (int i = 0; i < CPkGrid::kArrays; ++i)
    if (a.CourseCells[i] != b.CourseCells[i] || a.TeacherCells[i] != b.TeacherCells[i] ||
        a.RoomCells[i] != b.RoomCells[i])
      return false;
  return true;
}
}  // namespace

CPkGrid::CPkGrid(const QString& year, int term, const QString& date, const QString& classCode,
                 const QString& course, const QString& teacher, const QString& room) {
  Clear();
  Y = year;
  QC = term;
  T = date;
  STD = classCode;
  SBT = course;
  TCHR = teacher;
  PUBRM = room;
}

void CPkGrid::CopyKeys(const CPkGrid& other) {
  Y = other.Y;
  QC = other.QC;
  T = other.T;
  STD = other.STD;
  SBT = other.SBT;
  TCHR = other.TCHR;
  PUBRM = other.PUBRM;
}

void CPkGrid::Clear() {
  Y.clear();
  QC = 0;
  T.clear();
  STD.clear();
  SBT.clear();
  TCHR.clear();
  PUBRM.clear();
  ClearCells();
}

void CPkGrid::ClearCells() {
  // Only cells that hold text are written: touching an empty or shared list
  // would make it allocate a copy of its own.
  for (QStringList* set : {ClassCells, CourseCells, TeacherCells, RoomCells})
    for (int i = 0; i < kArrays; ++i)
      for (qsizetype p = 0; p < set[i].size(); ++p)
        if (!std::as_const(set[i])[p].isEmpty())
          set[i][p].clear();
}

void CPkGrid::SetSizes(const CWktRec& schedule) {
  for (int k = 0; k < kKinds; ++k)
    for (int d = 0; d < 7; ++d)
      for (int s = 0; s < 4; ++s) {
        const qsizetype n = schedule.SBT[d][s].size();
        const int i = ArrayIndex(k, d, s);
        for (QStringList* set : {ClassCells, CourseCells, TeacherCells, RoomCells})
          set[i].resize(n);
      }
}

bool CPkGrid::LoadWhere(const QString& condition, const CWktRec& schedule, CKvDb* pDb, bool* pRead) {
  SetSizes(schedule);
  ClearCells();
  if (pRead)
    *pRead = true;
  if (condition.isEmpty())
    return false;
  CKvQuery query(0, 0, 8, pDb);
  if (!query.Open(KvFormat("Select rtrim(STD),rtrim(WK),rtrim(DT),rtrim(DN),rtrim(DS),"
                           "rtrim(SBT),rtrim(TCHR),rtrim(PUBRM) From PK Where %s And %s",
                           versionWhere(*this, pDb), condition))) {
    if (pRead)
      *pRead = false;
    return false;
  }
  if (query.IsEOF())
    return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    const int d = KvStrToInt(query.GetText(1), -1);
    const int s = segmentOf(query.GetText(2));
    const int k = KvStrToInt(query.GetText(4), -1);
    if (d < 0 || d > 6 || s < 0 || k < 0 || k > 2)
      continue;
    const int n = KvStrToInt(query.GetText(3));
    if (n < 1 || n > CourseCells[ArrayIndex(0, d, s)].size())
      continue;
    const int i = ArrayIndex(k, d, s);
    ClassCells[i][n - 1] = query.GetText(0);
    CourseCells[i][n - 1] = query.GetText(5);
    TeacherCells[i][n - 1] = query.GetText(6);
    RoomCells[i][n - 1] = query.GetText(7);
  }
  return true;
}

bool CPkGrid::LoadByKeys(const CWktRec& schedule, CKvDb* pDb, bool* pRead) {
  QString condition;
  const QString* keys[] = {&STD, &SBT, &TCHR, &PUBRM};
  const char* columns[] = {"STD", "SBT", "TCHR", "PUBRM"};
  for (int i = 0; i < 4; ++i)
    if (!keys[i]->isEmpty())
      condition += KvFormat(" And %s='%s'", columns[i], pDb->QuoteText(*keys[i]));
  return LoadWhere(condition.mid(5), schedule, pDb, pRead);
}

bool CPkGrid::LoadBusy(const QString& exceptClass, const CWktRec& schedule, CKvDb* pDb, bool* pRead) {
  QString condition;
  if (!STD.isEmpty())
    condition = KvFormat(" And STD Like '%s'", KvLikePrefix(pDb, STD));
  else if (!exceptClass.isEmpty())
    condition = KvFormat(" And STD Not Like '%s'", KvLikePrefix(pDb, exceptClass));
  if (TCHR.isEmpty() && PUBRM.isEmpty()) {
    SetSizes(schedule);
    ClearCells();
    if (pRead)
      *pRead = true;
    return false;
  }
  if (!TCHR.isEmpty())
    condition += KvFormat(" And TCHR='%s'", pDb->QuoteText(TCHR));
  if (!PUBRM.isEmpty())
    condition += KvFormat(" And PUBRM='%s'", pDb->QuoteText(PUBRM));
  return LoadWhere(condition.mid(5), schedule, pDb, pRead);
}

bool CPkGrid::DeleteVersionRows(CKvDb* pDb) {
  QString sql = QStringLiteral("Delete From PK Where ") + versionWhere(*this, pDb);
  if (!STD.isEmpty())
    sql += QStringLiteral(" And ") + classWhere(*this, pDb);
  return pDb->Execute(sql);
}

bool CPkGrid::Save(CKvDb* pDb) {
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !DeleteVersionRows(pDb))
    return false;
  KvPkLessonInsert insert(pDb);
  return insert.Insert(*this) && trans.Commit();
}

bool CPkGrid::Save(const CPkGrid& read, CKvDb* pDb, QString* pRefusal) {
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !pDb->LockTable(QStringLiteral("PK")))
    return false;
  // What is stored now in the cells this save replaces.
  CWktRec shape;
  PrepareMask(shape, 0);
  CPkGrid stored(Y, QC, T, STD);
  bool loaded = false;
  stored.LoadWhere(classWhere(*this, pDb), shape, pDb, &loaded);
  if (!loaded)
    return false;
  if (!sameLessons(stored, read)) {
    *pRefusal = QStringLiteral("课表已被其他窗口或工作站修改，请刷新后重新输入！");
    return false;
  }
  // Only the cells the window shows are replaced: a lesson stored where the
  // schedule now has no period stays as it is.
  const QString cells = shownCellsWhere(*this);
  if (!cells.isEmpty() &&
      !pDb->Execute(KvFormat("Delete From PK Where %s And %s And %s", versionWhere(*this, pDb),
                             classWhere(*this, pDb), cells)))
    return false;
  KvPkLessonInsert insert(pDb);
  return insert.Insert(*this) && trans.Commit();
}

int CPkGrid::LoadDayByKey(int mode, int weekday, const CWktRec& schedule, QList<CPkGrid>& out, CKvDb* pDb) {
  int counts[4];
  for (int s = 0; s < 4; ++s)
    counts[s] = schedule.PeriodCount(s);
  // The arrays a mode fills: the class codes for teacher and room grids,
  // the courses and teachers for class grids.
  auto arrays = [mode](CPkGrid& g, int i) -> QList<QStringList*> {
    if (mode == 2)
      return {&g.CourseCells[i], &g.TeacherCells[i]};
    return {&g.ClassCells[i]};
  };
  for (int k = 0; k < kKinds; ++k)
    for (int s = 0; s < 4; ++s)
      for (QStringList* list : arrays(*this, ArrayIndex(k, 0, s)))
        list->resize(counts[s]);
  const char* column = mode == 0 ? "TCHR" : (mode == 1 ? "PUBRM" : "STD");
  CKvQuery query(0, 0, 9, pDb);
  if (!query.Open(KvFormat("Select rtrim(STD),rtrim(WK),rtrim(DT),rtrim(DN),rtrim(DS),"
                           "rtrim(SBT),rtrim(TCHR),rtrim(PUBRM),rtrim(STD) From PK Where %s And WK='%d'"
                           " And %s<>'' Order By %s,DT,DN",
                           versionWhere(*this, pDb), weekday, column, column)))
    return -1;
  if (query.IsEOF())
    return 0;
  QHash<QString, qsizetype> index;
  // The first grid of a key is the one found: a later grid of the same key
  // must not take its place in the index.
  for (qsizetype i = 0; i < out.size(); ++i)
    if (!index.contains(out[i].TCHR))
      index.insert(out[i].TCHR, i);
  const int keyColumn = mode == 0 ? 6 : (mode == 1 ? 7 : 8);
  for (; !query.IsEOF(); query.MoveNext()) {
    const int s = segmentOf(query.GetText(2));
    const int n = KvStrToInt(query.GetText(3));
    const int k = KvStrToInt(query.GetText(4), -1);
    if (s < 0 || n < 1 || n > counts[s] || k < 0 || k > 2)
      continue;
    const QString& key = query.GetText(keyColumn);
    TCHR = key;
    auto setCell = [&](CPkGrid& g) {
      const int i = ArrayIndex(k, 0, s);
      if (mode == 2) {
        g.CourseCells[i][n - 1] = query.GetText(5);
        g.TeacherCells[i][n - 1] = query.GetText(6);
      } else {
        g.ClassCells[i][n - 1] = query.GetText(0);
      }
    };
    const auto found = index.constFind(key);
    if (found != index.constEnd()) {
      setCell(out[*found]);
      continue;
    }
    for (int kk = 0; kk < kKinds; ++kk)
      for (int ss = 0; ss < 4; ++ss)
        for (QStringList* list : arrays(*this, ArrayIndex(kk, 0, ss)))
          for (QString& text : *list)
            text.clear();
    setCell(*this);
    out.append(*this);
    index.insert(key, out.size() - 1);
  }
  return int(out.size());
}

void CPkGrid::CopyPreviousVersion(const CWktRec& schedule, CKvDb* pDb) {
  // One stored row of the version is enough to know it is not new; a
  // failed read offers nothing either.
  const QString anyRow = QStringLiteral("Select 1 From PK Where ") + versionWhere(*this, pDb) + QStringLiteral(" Limit 1");
  QString stored;
  if (!KvSchoolText(pDb, anyRow, QString(), &stored) || !stored.isEmpty())
    return;
  const QString latestVersion = QStringLiteral("Select max(rtrim(Y)||rtrim(QC)||rtrim(T)) From PK");
  QString last;
  if (!KvSchoolText(pDb, latestVersion, QString(), &last) || last.isEmpty())
    return;
  const QString year = last.left(4);
  const int term = KvStrToInt(last.mid(4, 1));
  const QString date = last.mid(5);
  if (KvFormat("%s%d%s", Y, QC, T) <= KvFormat("%s%d%s", year, term, date))
    return;
  if (KvMessageBox(QStringLiteral("可以拷贝上期课表，然后在此基础上再作修改，拷贝吗？"),
                   KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return;
  // Every read is checked: a copy that misses a class is no copy.
  const QString where = KvFormat("Where Len(rtrim(KNO))=%d", CXxDataType::ClassCodeLen());
  CStd tree(pDb, QString());
  const int count = tree.Count(1, -1, where);
  QList<CStd> classes;
  if (count < 0 || tree.Select(&classes, 1, -1, where) != count)
    return;
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !pDb->LockTable(QStringLiteral("PK")))
    return;
  // Another workstation may have set the version up while the question was
  // open: then nothing is copied over it.
  if (!KvSchoolText(pDb, anyRow, QString(), &stored))
    return;
  if (!stored.isEmpty()) {
    trans.Rollback();
    KvMessageBox(QStringLiteral("本期课表已在其他工作站建立，没有拷贝上期课表！"), KV_MB_OK | KV_MB_ICONSTOP);
    return;
  }
  // The previous timetable offered must still be the latest stored: one set
  // up, moved or deleted meanwhile is not what the operator agreed to copy.
  QString lastNow;
  if (!KvSchoolText(pDb, latestVersion, QString(), &lastNow))
    return;
  if (lastNow != last) {
    trans.Rollback();
    KvMessageBox(QStringLiteral("上期课表已在其他工作站改变，没有拷贝上期课表！"), KV_MB_OK | KV_MB_ICONSTOP);
    return;
  }
  for (const CStd& node : classes) {
    CPkGrid grid(year, term, date, node.KNO);
    bool read = false;
    const bool loaded = grid.LoadByKeys(schedule, pDb, &read);
    if (!read)
      return;
    if (!loaded)
      continue;
    grid.Y = Y;
    grid.QC = QC;
    grid.T = T;
    if (!grid.Save(pDb))
      return;
  }
  trans.Commit();
}

void CPkGrid::GetPeriodCounts(int counts[4]) const {
  for (int s = 0; s < 4; ++s)
    counts[s] = int(CourseCells[ArrayIndex(0, 0, s)].size());
}

void CPkGrid::PrepareMask(CWktRec& mask, int value) const {
  int counts[4];
  GetPeriodCounts(counts);
  mask.SetPeriodCounts(counts);
  mask.SetAllFlags(unsigned(value));
}

void CPkGrid::OccupiedMask(CWktRec& mask, int kind, const QString& course) const {
  PrepareMask(mask, 0);
  if (kind < 0 || kind >= kKinds)
    return;
  for (int d = 0; d < 7; ++d)
    for (int s = 0; s < 4; ++s) {
      const QStringList& cells = CourseCells[ArrayIndex(kind, d, s)];
      QList<unsigned>& flags = mask.SBT[d][s];
      for (qsizetype p = 0; p < flags.size() && p < cells.size(); ++p) {
        const QString& cell = cells[p];
        flags[p] = (course.isEmpty() ? !cell.isEmpty() : cell == course) ? 1u : 0u;
      }
    }
}

bool CPkGrid::PeriodPosition(int n, int& segment, int& period) const {
  if (n < 0)
    return false;
  for (int s = 0; s < 4; ++s) {
    const int count = int(CourseCells[ArrayIndex(0, 0, s)].size());
    if (n < count) {
      segment = s;
      period = n;
      return true;
    }
    n -= count;
  }
  return false;
}
