// The text typed into a timetable cell: its syntax, its check against the
// catalogue and the class's plan, its canonical form and the text shown.

#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "core/KvText.h"
#include "timetable/CPkGrid.h"
#include "timetable/CSbtTable.h"
#include "timetable/CWkjhRec.h"
#include "timetable/KvPkCheckSource.h"

namespace {

// The text shown for the entries of a cell with their names: the
// every-week name alone, else "(单)" with the odd-week name and "(双)" with
// the even-week name, on two lines when both are set.
QString shownOf(const QString entries[3], const QString names[3]) {
  if (!entries[0].isEmpty())
    return names[0];
  QString shown;
  if (!entries[1].isEmpty())
    shown += KvFormat("(单)%s", names[1]);
  if (!entries[2].isEmpty()) {
    if (!entries[1].isEmpty())
      shown += u'\n';
    shown += KvFormat("(双)%s", names[2]);
  }
  return shown;
}

// The syntax of a cell text, stored or typed: digits alone are the
// every-week code; "D" leads the odd-week and "S" the even-week code, one
// or both, in either order and case, the first of them with one digit or
// more. A stored cell may hold one class in both week kinds (a teacher who
// teaches it two courses alternating by week).
bool splitCellText(const QString& text, QString entries[3]) {
  for (int i = 0; i < 3; ++i)
    entries[i].clear();
  if (KvIsAllDigits(text)) {
    entries[0] = text;
    return true;
  }
  const QString upper = KvUpper(text);
  const QChar first = upper[0];
  if (first != u'D' && first != u'S')
    return false;
  QString rest = upper.mid(1);
  const QChar other = first == u'D' ? QChar(u'S') : QChar(u'D');
  QString second;
  const qsizetype at = rest.indexOf(other);
  if (at == 0)
    return false;
  if (at > 0) {
    second = rest.mid(at + 1);
    if (!KvIsAllDigits(second))
      return false;
    rest.truncate(at);
  }
  if (rest.isEmpty() || !KvIsAllDigits(rest))
    return false;
  const int firstKind = first == u'D' ? 1 : 2;
  entries[firstKind] = rest;
  entries[3 - firstKind] = second;
  return true;
}

}  // namespace

bool ParseCellText(const QString& text, QString entries[3]) {
  // Typing one course for both week kinds is a slip: every week is typed
  // as the code alone.
  return splitCellText(text, entries) && (entries[1].isEmpty() || entries[1] != entries[2]);
}

bool CPkGrid::NormalizeCellText(CKvDb* pDb, bool classTimetable, QString& text, QString entries[3],
                                QString* display) const {
  KvPkDbCheckSource source(pDb);
  QList<CWkjhRec> rows;
  if (classTimetable)
    CWkjhRec(Y, QC, T, STD).LoadClassPlan(QString(), rows, pDb);
  return NormalizeCellText(source, rows, classTimetable, text, entries, display);
}

bool CPkGrid::NormalizeCellText(KvPkCheckSource& source, const QList<CWkjhRec>& planRows, bool classTimetable,
                                QString& text, QString entries[3], QString* display) const {
  if (!ParseCellText(QString(text), entries))
    return false;
  QString names[3];
  for (int i = 0; i < 3; ++i) {
    if (entries[i].isEmpty())
      continue;
    if (classTimetable) {
      // Course codes have four digits; a longer code is refused rather than
      // cut to its last four.
      if (entries[i].size() > 4 || !KvFormatIntFrom(entries[i], 4, false))
        return false;
      CSbtRec course;
      if (!source.FindCourse(entries[i], course))
        return false;
      names[i] = course.NA;
      const CWkjhRec* row = CWkjhRec::FindPlanRow(entries[i], planRows);
      if (!row || row->DS != i)
        return false;
    } else {
      QString name;
      if (!source.FindClass(entries[i], &name))
        return false;
      names[i] = name;
    }
  }
  if (!entries[0].isEmpty()) {
    text = entries[0];
  } else {
    text.clear();
    if (!entries[1].isEmpty())
      text += KvFormat("D%s", entries[1]);
    if (!entries[2].isEmpty())
      text += KvFormat("S%s", entries[2]);
  }
  if (display)
    *display = shownOf(entries, names);
  return true;
}

QString KvPkShownCellText(KvPkCheckSource& source, bool classTimetable, const QString& text) {
  QString entries[3];
  if (!splitCellText(text, entries))
    return QString();
  QString names[3];
  for (int i = 0; i < 3; ++i) {
    if (entries[i].isEmpty())
      continue;
    names[i] = entries[i];
    QString name;
    if (classTimetable) {
      QString code = entries[i];
      CSbtRec course;
      if (code.size() <= 4 && KvFormatIntFrom(code, 4, false) && source.FindCourse(code, course))
        name = course.NA;
    } else {
      source.FindClass(entries[i], &name);
    }
    if (!name.isEmpty())
      names[i] = name;
  }
  return shownOf(entries, names);
}
