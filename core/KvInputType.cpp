#include "core/KvInputType.h"

#include "core/KvDate.h"
#include "core/KvNumber.h"
#include "core/KvWidth.h"

namespace {
inline bool isWhite(QChar c) { return c == u' ' || c == u'\n' || c == u'\t' || c == u'\r'; }

QString trimLeft(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && isWhite(text.at(i)))
    ++i;
  return text.mid(i);
}

// Splits "first second..." at the first blank after position 0; without one
// the whole text is the first word.
void splitWords(const QString& rest, QString& first, QString& second) {
  const qsizetype blank = rest.indexOf(u' ');
  if (blank > 0) {
    first = rest.left(blank);
    second = rest.mid(blank + 1);
  } else {
    first = rest;
    second.clear();
  }
}

// The character starting at `i` (one unit, or a surrogate pair).
qsizetype charUnits(const QString& text, qsizetype i) {
  return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
}

bool checkNumber(const QString& candidate, const QString& type, int limit1, int limit2) {
  if (!KvIsNumberText(candidate, limit1, limit2))
    return false;
  const QString rest = trimLeft(type.mid(6));
  if (rest.isEmpty())
    return true;
  QString lower, upper;
  splitWords(rest, lower, upper);
  upper.remove(u' ');
  if (lower == u"-" && upper == u"+")
    return true;
  const double value = KvTextToDouble(candidate);
  if (lower != u"-") {
    const double bound = KvTextToDouble(lower);
    if (bound > -0.0000001) {
      // A positive lower bound is only a sign rule, so that 5 may be typed
      // on the way to 500.
      if (value < 0 || candidate.startsWith(u'-'))
        return false;
    } else if (value < bound) {
      return false;
    }
  }
  if (upper != u"-" && !upper.isEmpty()) {
    const double bound = KvTextToDouble(upper);
    if (bound < 0 && value > 0.000001)
      return false;
    if (bound > 0 && value > bound)
      return false;
  }
  return true;
}

// A part of a date typed so far: a complete part must lie within its bounds;
// a part still being typed must be the start of some value within them, so
// that a date can be typed one digit at a time.
bool partInRange(const QString& part, qsizetype fullSize, QStringView low, QStringView high) {
  if (part.size() >= fullSize)
    return part >= low && (high.isEmpty() || part <= high);
  return part >= low.left(part.size()) && (high.isEmpty() || part <= high.left(part.size()));
}

bool checkTime(const QString& candidate, int parts) {
  const bool hasYear = (parts / 100) % 10 != 0;
  const bool hasMonth = (parts / 10) % 10 != 0;
  const bool hasDay = parts % 10 != 0;
  const int digits = (hasYear ? 4 : 0) + (hasMonth ? 2 : 0) + (hasDay ? 2 : 0);
  // The parts are written with their leading zeros: the text itself may
  // not be longer than the parts (the numeric test drops leading zeros).
  if (candidate.size() > digits || !KvIsNumberText(candidate, digits, 0))
    return false;
  const qsizetype yearSize = hasYear ? 4 : 0;
  if (hasYear && !partInRange(candidate.left(4), 4, u"1990", {}))
    return false;
  const QString monthText = hasMonth ? candidate.mid(yearSize, 2) : QString();
  if (hasMonth && candidate.size() > yearSize && !partInRange(monthText, 2, u"01", u"12"))
    return false;
  const qsizetype daySize = yearSize + (hasMonth ? 2 : 0);
  const QString dayText = hasDay ? candidate.mid(daySize) : QString();
  if (hasDay && candidate.size() > daySize && !partInRange(dayText, 2, u"01", u"31"))
    return false;
  if (hasMonth && hasDay && dayText.size() >= 2) {
    const int year = hasYear ? KvStrToInt(candidate.left(4), 0) : 2000;
    const int day = KvStrToInt(dayText, 0);
    return day >= 1 && day <= KvDaysInMonth(year, KvStrToInt(monthText, 0));
  }
  return true;
}

bool checkClassNo(const QString& candidate, const QString& current, int position, const QString& type,
                  int limit1, int limit2) {
  if (limit2 >= 1 && KvTextWidth(candidate) > limit2)
    return false;
  QString rest = type.mid(13);
  rest.remove(u' ');
  const QChar separator = rest.isEmpty() ? QChar(u'-') : rest.at(0);
  // At the end of the text a separator just typed stands before the part
  // still to come.
  const QString judged = position >= KvTextWidth(current) ? candidate + u'1' : candidate;
  return KvCheckClassNo(judged, limit1, separator);
}

bool checkString(const QString& candidate, const QString& insert, const QString& type, int limit1) {
  if (limit1 >= 1 && KvTextWidth(candidate) > limit1)
    return false;
  if (type == u"STRING")
    return true;
  QString allowed, refused;
  splitWords(trimLeft(type.mid(6)), allowed, refused);
  return KvMatchCharSet(allowed, insert) == 1 && KvMatchCharSet(refused, insert) == -1;
}
}  // namespace

QString KvJudgedText(const QString& text, const QString& type) {
  // Thousands separators typed or pasted into a "DOUBLE" field.
  return type.startsWith(u"DOUBLE") ? QString(text).remove(u',') : text;
}

bool KvCheckTypeSpec(const QString& insert, const QString& current, int position, const QString& type,
                     int limit1, int limit2) {
  const QString text = KvJudgedText(insert, type);
  QString typeText = type;
  if (typeText.startsWith(u"DOUBLE"))
    typeText = QStringLiteral("NUMBER") + typeText.mid(6);
  if (text.isEmpty())
    return true;
  if (typeText == u"MDBSTRING")
    typeText = QStringLiteral("STRING NOT |[]'");
  if (typeText.isEmpty())
    return true;
  const qsizetype cut = KvIndexAtWidth(current, position < 0 ? 0 : position);
  const QString candidate = current.left(cut) + text + current.mid(cut);
  typeText = trimLeft(typeText);
  if (typeText.startsWith(u"NUMBER"))
    return checkNumber(candidate, typeText, limit1, limit2);
  if (typeText.startsWith(u"TIMESTRING"))
    return checkTime(candidate, limit1);
  if (typeText.startsWith(u"CLASSNOSTRING"))
    return checkClassNo(candidate, current, position, typeText, limit1, limit2);
  if (typeText.startsWith(u"STRING"))
    return checkString(candidate, text, typeText, limit1);
  return true;
}

bool KvCharInSet(const QString& set, const QString& character) {
  if (set.startsWith(u"NOT"))
    return true;
  if (character.isEmpty())
    return false;
  const QString one = character.left(charUnits(character, 0));
  const char16_t c = one.at(0).unicode();
  if (c < 0x80) {
    const bool upper = c >= u'A' && c <= u'Z';
    const bool lower = c >= u'a' && c <= u'z';
    const bool digit = c >= u'0' && c <= u'9';
    if (set.startsWith(u"UPPERCHAR"))
      return upper;
    if (set.startsWith(u"LOWERCHAR"))
      return lower;
    if (set.startsWith(u"SPACE"))
      return c == u' ' || (c >= u'\t' && c <= u'\r');
    if (set.startsWith(u"DIGIT"))
      return digit;
    if (set.startsWith(u"ASCII"))
      return true;
    if (set.startsWith(u"CHAR_DIGIT"))
      return digit || upper || lower;
    if (set.startsWith(u"CHAR"))
      return upper || lower;
  }
  return set.contains(one);
}

int KvMatchCharSet(const QString& set, const QString& text) {
  int score = 0;
  int width = 0;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype units = charUnits(text, i);
    const QString one = text.mid(i, units);
    const int w = units == 2 ? 2 : (KvIsWide(text.at(i)) ? 2 : 1);
    width += w;
    score += KvCharInSet(set, one) ? w : -w;
    i += units;
  }
  if (score == width)
    return 1;
  if (score == -width)
    return -1;
  return 0;
}

bool KvCheckClassNo(const QString& text, int maxSeparators, QChar separator) {
  const QString doubled = QString(2, separator);
  if (text.contains(doubled) || text.startsWith(separator) || text.endsWith(separator))
    return false;
  if (text.contains(QString(separator) + u'0'))
    return false;
  int count = 0;
  for (QChar ch : text) {
    if (ch == separator)
      ++count;
    else if (ch < u'0' || ch > u'9')
      return false;
  }
  return maxSeparators < 0 || count <= maxSeparators;
}
