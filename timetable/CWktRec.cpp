#include "timetable/CWktRec.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDate.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "school/KvSchoolSql.h"

CWktRec::CWktRec(const QString& year, int term) {
  Clear();
  Y = year;
  QC = term;
}

void CWktRec::Clear() {
  Y.clear();
  QC = 0;
  for (int s = 0; s < kSegments; ++s) {
    for (QString& t : HM0[s])
      t.clear();
    for (QString& t : HM1[s])
      t.clear();
  }
  SetAllFlags(0);
}

void CWktRec::SetAllFlags(unsigned value) {
  for (auto& day : SBT)
    for (QList<unsigned>& flags : day)
      flags.fill(value);
}

QString CWktRec::GetSegmentName(int s) {
  static const char16_t names[] = u"早读早上下午晚上";
  if (s < 0 || s >= kSegments)
    return QString();
  return QString(reinterpret_cast<const QChar*>(names + 2 * s), 2);
}

QString CWktRec::GetPeriodLabel(int day, int s, int p) const {
  return KvFormat("%s%s第%d节", KvWeekdayName(day), GetSegmentName(s), p + 1);
}

void CWktRec::SetDefaults() {
  static const char* const times[kSegments][5][2] = {
      {{"0730", "0750"}},
      {{"0800", "0840"}, {"0850", "0930"}, {"0955", "1035"}, {"1045", "1125"}, {"1135", "1215"}},
      {{"1435", "1515"}, {"1530", "1610"}, {"1620", "1700"}, {"1710", "1750"}},
      {{"1930", "2025"}, {"2035", "2130"}},
  };
  static const int counts[kSegments] = {1, 5, 4, 2};
  for (int s = 0; s < kSegments; ++s) {
    HM0[s].clear();
    HM1[s].clear();
    for (int p = 0; p < counts[s]; ++p) {
      HM0[s].append(QString::fromLatin1(times[s][p][0]));
      HM1[s].append(QString::fromLatin1(times[s][p][1]));
    }
  }
  for (int d = 0; d < kDays; ++d) {
    for (int s = 0; s < kSegments; ++s) {
      bool on = false;
      if (d == 0)
        on = s == 3;
      else if (d <= 4)
        on = true;
      else if (d == 5)
        on = s != 3;
      SBT[d][s] = QList<unsigned>(counts[s], on ? 1u : 0u);
    }
  }
}

void CWktRec::SetPeriodCounts(const int counts[kSegments]) {
  for (auto& day : SBT)
    for (int s = 0; s < kSegments; ++s)
      day[s].resize(qMax(0, counts[s]), 0u);
}

void CWktRec::ResizePeriods(const int counts[kSegments]) {
  for (int s = 0; s < kSegments; ++s) {
    const int n = qMax(0, counts[s]);
    const qsizetype old = SBT[0][s].size();
    for (auto& day : SBT) {
      QList<unsigned>& flags = day[s];
      const unsigned last = flags.isEmpty() ? 0u : flags.last();
      flags.resize(n, last);
    }
    HM0[s].resize(n);
    HM1[s].resize(n);
    for (qsizetype p = old; p < n; ++p) {
      HM0[s][p].clear();
      HM1[s][p].clear();
    }
  }
}

CWktRec& CWktRec::IntersectFlags(const CWktRec& other) {
  for (int d = 0; d < kDays; ++d)
    for (int s = 0; s < kSegments; ++s) {
      QList<unsigned>& mine = SBT[d][s];
      const QList<unsigned>& theirs = other.SBT[d][s];
      for (qsizetype p = 0; p < mine.size(); ++p)
        mine[p] = (mine[p] && p < theirs.size() && theirs[p]) ? 1u : 0u;
    }
  return *this;
}

void CWktRec::SubtractFlags(const CWktRec& other) {
  for (int d = 0; d < kDays; ++d)
    for (int s = 0; s < kSegments; ++s) {
      QList<unsigned>& mine = SBT[d][s];
      const QList<unsigned>& theirs = other.SBT[d][s];
      for (qsizetype p = 0; p < mine.size() && p < theirs.size(); ++p)
        if (theirs[p])
          mine[p] = 0;
    }
}

int CWktRec::CountFlags() const {
  int n = 0;
  for (const auto& day : SBT)
    for (const QList<unsigned>& flags : day)
      for (unsigned f : flags)
        n += f ? 1 : 0;
  return n;
}

bool CWktRec::IsEmpty() const { return CountFlags() == 0; }

QString CWktRec::ListFlagsOutside(const CWktRec& allowed) const {
  QString text;
  for (int d = 0; d < kDays; ++d)
    for (int s = 0; s < kSegments; ++s) {
      const QList<unsigned>& mine = SBT[d][s];
      const QList<unsigned>& ok = allowed.SBT[d][s];
      for (qsizetype p = 0; p < mine.size(); ++p)
        if (mine[p] && !(p < ok.size() && ok[p]))
          text += KvFormat("\n%s", GetPeriodLabel(d, s, int(p)));
    }
  return text;
}

int CWktRec::LastFlaggedDay() const {
  for (int d = kDays - 1; d > 0; --d)
    for (const QList<unsigned>& flags : SBT[d])
      for (unsigned f : flags)
        if (f)
          return d;
  return 0;
}

int CWktRec::CountTimetableRows(const QString& year, int term, CKvDb* pDb) {
  return KvSchoolCount(pDb, KvFormat("Select Count(*) From PK Where Y='%s' And QC='%d'", pDb->QuoteText(year), term));
}

bool CWktRec::DeleteRows(const QString& year, int term, CKvDb* pDb) {
  return pDb->Execute(KvFormat("Delete From WKT Where Y='%s' And QC='%d'", pDb->QuoteText(year), term));
}

bool CWktRec::Save(CKvDb* pDb) const {
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !DeleteRows(Y, QC, pDb))
    return false;
  const QString prefix =
      KvFormat("Insert Into WKT(Y,QC,DT,DN,HM0,HM1,SBT) Values('%s','%d',", pDb->QuoteText(Y, 4), QC);
  for (int s = 0; s < kSegments; ++s) {
    for (int p = 0; p < PeriodCount(s); ++p) {
      QString sql = KvFormat("%s'%c','%d','%s','%s','", prefix, QChar(u'A' + s), p + 1,
                             pDb->QuoteText(HM0[s].value(p), 4), pDb->QuoteText(HM1[s].value(p), 4));
      for (int d = 0; d < kDays; ++d)
        sql += QString::number(SBT[d][s].value(p));
      sql += QStringLiteral("')");
      if (!pDb->Execute(sql))
        return false;
    }
  }
  return trans.Commit();
}

bool CWktRec::Save(const CWktRec& read, CKvDb* pDb, QString* pRefusal) const {
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !pDb->LockTable(QStringLiteral("WKT")) || !pDb->LockTable(QStringLiteral("PK")))
    return false;
  // Another workstation may have stored a timetable of the term meanwhile.
  const int lessons = CountTimetableRows(Y, QC, pDb);
  if (lessons != 0) {
    if (lessons > 0)
      *pRefusal = QStringLiteral("本学期已有课表，不能修改作息时间表！");
    return false;
  }
  CWktRec stored;
  bool loaded = false;
  stored.Load(Y, QC, pDb, &loaded);
  if (!loaded)
    return false;
  // Only the periods are compared: a schedule taken over from another year
  // was read as none of this year and term.
  stored.Y = read.Y;
  stored.QC = read.QC;
  if (!(stored == read)) {
    *pRefusal = QStringLiteral("作息时间表已被其他窗口或工作站修改，请刷新后重新输入！");
    return false;
  }
  return Save(pDb) && trans.Commit();
}

void CWktRec::clearPeriods() {
  for (int s = 0; s < kSegments; ++s) {
    HM0[s].clear();
    HM1[s].clear();
    for (auto& day : SBT)
      day[s].clear();
  }
}

bool CWktRec::Load(const QString& year, int term, CKvDb* pDb, bool* pRead) {
  if (pRead)
    *pRead = false;
  clearPeriods();
  Y = year;
  QC = term;
  CKvQuery query(0, 0, 5, pDb);
  if (!query.Open(KvFormat("Select rtrim(DT),rtrim(DN),rtrim(HM0),rtrim(HM1),rtrim(SBT)"
                           " From WKT Where Y='%s' And QC='%d' Order By DT,DN",
                           pDb->QuoteText(year), term)))
    return false;
  if (pRead)
    *pRead = true;
  if (query.IsEOF())
    return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    const QString& dt = query.GetText(0);
    if (dt.size() != 1 || dt[0] < u'A' || dt[0] > u'D')
      continue;
    const int s = dt[0].unicode() - u'A';
    HM0[s].append(query.GetText(2));
    HM1[s].append(query.GetText(3));
    const QString& flags = query.GetText(4);
    for (int d = 0; d < kDays; ++d)
      SBT[d][s].append(d < flags.size() ? unsigned(qMax(0, KvStrToInt(flags.mid(d, 1)))) : 0u);
  }
  return true;
}

int CWktRec::LoadOrInherit(const QString& year, int term, CKvDb* pDb) {
  // Copies: the caller may pass this record's own year, which a load of
  // another year changes.
  const QString wanted = year;
  const int wantedTerm = term;
  const auto finish = [&](int result) {
    if (result < 0)
      clearPeriods();
    Y = wanted;
    QC = wantedTerm;
    return result;
  };
  bool read = false;
  if (Load(wanted, wantedTerm, pDb, &read))
    return finish(0);
  if (!read)
    return finish(-1);
  // The latest year of the same term, else of the other term, else none.
  for (const int from : {wantedTerm, (wantedTerm + 1) % 2}) {
    QString last;
    if (!KvSchoolText(pDb, KvFormat("Select max(rtrim(Y)) From WKT Where QC='%d'", from), QString(), &last))
      return finish(-1);
    last = last.trimmed();
    if (last.isEmpty())
      continue;
    if (!Load(last, from, pDb, &read) && !read)
      return finish(-1);
    return finish(1);
  }
  SetDefaults();
  return finish(1);
}

bool CWktRec::LoadForTimetable(const QString& year, int term, bool keepTimes, bool checkCounts, CKvDb* pDb,
                               bool* pRead) {
  const CWktRec old = *this;
  bool read = false;
  const bool found = Load(year, term, pDb, &read);
  if (pRead)
    *pRead = read;
  if (!read) {
    *this = old;
    return false;
  }
  if (!keepTimes)
    for (int s = 0; s < kSegments; ++s) {
      HM0[s].clear();
      HM1[s].clear();
    }
  if (!checkCounts)
    return found;
  if (!keepTimes) {
    for (int s = 0; s < kSegments; ++s) {
      if (old.PeriodCount(s) != PeriodCount(s)) {
        KvMessageBox(KvFormat("作息时间表中%s时段课时数发生了变化！", GetSegmentName(s)),
                     KV_MB_OK | KV_MB_ICONSTOP);
        *this = old;
        return false;
      }
    }
  }
  return true;
}

int CWktRec::StoredAsLoaded(CKvDb* pDb) const {
  CWktRec now;
  bool read = false;
  now.LoadForTimetable(Y, QC, false, false, pDb, &read);
  if (!read)
    return -1;
  return now == *this ? 1 : 0;
}
