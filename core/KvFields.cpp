#include "core/KvFields.h"

#include "core/KvText.h"

namespace {

// Start index of each field of the text; the field i runs from starts[i] to
// starts[i + 1] - 1 (the delimiter), the last one to the end.
QList<qsizetype> fieldStarts(const QString& text, QChar delimiter, QChar quote) {
  QList<qsizetype> starts{0};
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text.at(i);
    if (!quote.isNull() && ch == quote)
      quoted = !quoted;
    else if (ch == delimiter && !quoted)
      starts += i + 1;
  }
  return starts;
}

}  // namespace

int KvCountFields(const QString& text, QChar delimiter, QChar quote) {
  return int(fieldStarts(text, delimiter, quote).size());
}

QString KvGetField(const QString& text, int n, QChar delimiter, QChar quote) {
  const QList<qsizetype> starts = fieldStarts(text, delimiter, quote);
  if (n < 0 || n >= starts.size()) return QString();
  const qsizetype begin = starts.at(n);
  const qsizetype end = n + 1 < starts.size() ? starts.at(n + 1) - 1 : text.size();
  return text.mid(begin, end - begin);
}

int KvParseList(const QString& text, QStringList* list, QChar delimiter, bool keepEmpty,
                bool dropDuplicates, bool dropPrefixed) {
  if (!list) return 0;
  list->clear();
  const int count = KvCountFields(text, delimiter);
  for (int n = 0; n < count; ++n) {
    const QString field = KvGetField(text, n, delimiter);
    if (keepEmpty || !field.isEmpty()) *list += field;
  }
  if (dropDuplicates || dropPrefixed) {
    for (qsizetype i = 0; i < list->size(); ++i) {
      for (qsizetype j = 0; j < list->size();) {
        const bool drop = j != i && ((dropDuplicates && list->at(j) == list->at(i)) ||
                                     (dropPrefixed && list->at(j).startsWith(list->at(i))));
        if (!drop) {
          ++j;
          continue;
        }
        list->removeAt(j);
        if (j < i) --i;
      }
    }
  }
  return int(list->size());
}

bool KvWildcardMatch(const QString& text, const QString& pattern, QChar one, QChar any) {
  qsizetype pos = 0;
  bool floating = false;
  qsizetype i = 0;
  while (i < pattern.size()) {
    const QChar ch = pattern.at(i);
    if (ch == any) {
      floating = true;
      ++i;
      continue;
    }
    if (ch == one) {
      if (pos >= text.size()) return false;
      // One character, a surrogate pair included.
      pos += text.at(pos).isHighSurrogate() && pos + 1 < text.size() &&
                     text.at(pos + 1).isLowSurrogate()
                 ? 2
                 : 1;
      ++i;
      continue;
    }
    qsizetype j = i;
    while (j < pattern.size() && pattern.at(j) != one && pattern.at(j) != any) ++j;
    const QStringView literal = QStringView(pattern).mid(i, j - i);
    if (floating) {
      const qsizetype hit = QStringView(text).indexOf(literal, pos);
      if (hit < 0) return false;
      pos = hit + literal.size();
    } else {
      if (!QStringView(text).mid(pos).startsWith(literal)) return false;
      pos += literal.size();
    }
    i = j;
  }
  return floating || pos == text.size();
}

bool KvMatchText(int mode, const QString& text, const QString& pattern, bool openEnd) {
  if (mode == -1) return text == pattern;
  if (mode == -2) return KvEqualsIgnoreCase(text, pattern);
  const QChar one = mode == 0 ? QChar(u'?') : QChar(u'_');
  const QChar any = mode == 0 ? QChar(u'*') : QChar(u'%');
  return KvWildcardMatch(text, openEnd ? pattern + any : pattern, one, any);
}

bool KvMatchAny(int mode, const QString& text, const QString& patterns) {
  QStringList list;
  if (KvParseList(patterns, &list, QChar(u';'), false, false, false) == 0) return true;
  for (const QString& pattern : list)
    if (KvMatchText(mode, text, pattern, false)) return true;
  return false;
}

void KvFillStrings(QStringList& list, const QString& value) {
  for (QString& entry : list) entry = value;
}

bool KvStrInList(const QString& text, const QStringList& candidates) {
  return candidates.contains(text);
}

QString KvNthArg(int n, const QStringList& args) {
  if (args.isEmpty() || n < 0) return QString();
  return n < args.size() ? args.at(n) : args.last();
}
