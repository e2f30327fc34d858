// The time texts of a plan row: syntax, expansion into time codes, and the
// weekly mask of the fixed and barred times.

#include "core/KvFormat.h"
#include "timetable/CWkjhRec.h"
#include "timetable/CWktRec.h"

namespace {
// The codes of one non-empty field; false when the field breaks the syntax.
bool expandField(const QString& field, QStringList& codes) {
  QString part[3];  // day, segment, period
  for (QChar ch : field) {
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9') {
      if (part[0].isEmpty()) {
        if (c > u'6')
          return false;
        part[0] = ch;
      } else {
        if (c == u'0')
          return false;
        part[2] += ch;
      }
    } else if ((c >= u'A' && c <= u'D') || (c >= u'a' && c <= u'd')) {
      part[1] += QChar(c >= u'a' ? char16_t(c - u'a' + u'A') : c);
    } else {
      // Any other letter, sign, blank or non-ASCII character.
      return false;
    }
  }
  int multi = 0;
  int expand = -1;
  for (int i = 0; i < 3; ++i) {
    if (part[i].size() > 1) {
      ++multi;
      if (expand < 0)
        expand = i;
    }
  }
  if (multi > 1)
    return false;
  if (expand < 0)
    for (int i = 0; i < 3 && expand < 0; ++i)
      if (!part[i].isEmpty())
        expand = i;
  if (expand < 0)
    return true;
  for (QChar r : part[expand]) {
    QString code;
    for (int i = 0; i < 3; ++i) {
      if (i == expand)
        code += r;
      else if (part[i].size() == 1)
        code += part[i];
      else
        code += u'?';
    }
    codes.append(code);
  }
  return true;
}

bool matches(const QStringList& codes, QChar day, QChar segment, int period) {
  if (period > 9)
    return false;  // a four-character key never matches a code
  const QChar digit(u'0' + period);
  for (const QString& code : codes) {
    if ((code[0] == u'?' || code[0] == day) && (code[1] == u'?' || code[1] == segment) &&
        (code[2] == u'?' || code[2] == digit))
      return true;
  }
  return false;
}
}  // namespace

int CWkjhRec::ExpandTimes(const QString& text, QStringList* codes) {
  QStringList found;
  for (const QString& field : text.split(u';')) {
    if (field.isEmpty())
      continue;
    if (!expandField(field, found))
      return -1;
  }
  if (codes)
    codes->append(found);
  return int(found.size());
}

QString CWkjhRec::BuildTimeMask(CWktRec& mask) const {
  mask.SetAllFlags(1);
  QStringList fixed;
  QStringList barred;
  if (ExpandTimes(WTN0, &fixed) < 0)
    return KvFormat("%s时间定义出错", "指定");
  if (ExpandTimes(WTN1, &barred) < 0)
    return KvFormat("%s时间定义出错", "限制");
  for (int d = 0; d < CWktRec::kDays; ++d) {
    const QChar day(u'0' + d);
    for (int s = 0; s < CWktRec::kSegments; ++s) {
      const QChar segment(u'A' + s);
      QList<unsigned>& flags = mask.SBT[d][s];
      for (qsizetype p = 0; p < flags.size(); ++p) {
        const bool allowed = fixed.isEmpty() || matches(fixed, day, segment, int(p) + 1);
        flags[p] = allowed && !matches(barred, day, segment, int(p) + 1) ? 1u : 0u;
      }
    }
  }
  return QString();
}
