#include "core/KvText.h"

#include "core/KvWidth.h"

#include <QMetaObject>
#include <QObject>

namespace {

// Decodes the character at `i` (a surrogate pair counts as one) and moves `i`
// past it.
char32_t nextCode(const QString& text, qsizetype& i) {
  const QChar ch = text.at(i++);
  if (ch.isHighSurrogate() && i < text.size() && text.at(i).isLowSurrogate())
    return QChar::surrogateToUcs4(ch, text.at(i++));
  return ch.unicode();
}

// Length in UTF-16 units of the character that ends just before `end`.
qsizetype lastCharLength(const QString& text, qsizetype end) {
  if (end >= 2 && text.at(end - 1).isLowSurrogate() && text.at(end - 2).isHighSurrogate())
    return 2;
  return 1;
}

bool setHas(const QString& set, char32_t code) {
  for (qsizetype i = 0; i < set.size();)
    if (nextCode(set, i) == code) return true;
  return false;
}

// Index of the first character that is not in `set`.
qsizetype trimmedStart(const QString& text, const QString& set) {
  qsizetype begin = 0;
  while (begin < text.size()) {
    qsizetype next = begin;
    if (!setHas(set, nextCode(text, next))) break;
    begin = next;
  }
  return begin;
}

// Index just past the last character at or after `begin` that is not in `set`.
qsizetype trimmedEnd(const QString& text, const QString& set, qsizetype begin = 0) {
  qsizetype end = text.size();
  while (end > begin) {
    const qsizetype len = lastCharLength(text, end);
    qsizetype at = end - len;
    if (!setHas(set, nextCode(text, at))) break;
    end -= len;
  }
  return end;
}

QString foldAscii(const QString& text, char16_t first, char16_t last, int shift) {
  QString result = text;
  for (QChar& ch : result) {
    const char16_t c = ch.unicode();
    if (c >= first && c <= last) ch = QChar(char16_t(c + shift));
  }
  return result;
}

}  // namespace

QString KvUpper(const QString& text) { return foldAscii(text, u'a', u'z', 'A' - 'a'); }

QString KvLower(const QString& text) { return foldAscii(text, u'A', u'Z', 'a' - 'A'); }

bool KvEqualsIgnoreCase(const QString& a, const QString& b) {
  return a.size() == b.size() && KvUpper(a) == KvUpper(b);
}

QString KvReplace(const QString& text, const QString& from, const QString& to) {
  if (from.isEmpty()) return text;
  QString result;
  qsizetype start = 0;
  for (qsizetype hit = text.indexOf(from); hit >= 0; hit = text.indexOf(from, start)) {
    result += QStringView(text).mid(start, hit - start);
    result += to;
    start = hit + from.size();
  }
  result += QStringView(text).mid(start);
  return result;
}

QString KvTrimChars(const QString& text, const QString& set) {
  const qsizetype begin = trimmedStart(text, set);
  return text.mid(begin, trimmedEnd(text, set, begin) - begin);
}

QString KvStripChars(const QString& text, const QString& set) {
  QString result;
  result.reserve(text.size());
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype start = i;
    if (!setHas(set, nextCode(text, i))) result += QStringView(text).mid(start, i - start);
  }
  return result;
}

bool KvTrimMode(QString& text, int mode) {
  const QString white = KvWhiteSpace();
  switch (mode) {
    case 1:
      text = text.mid(trimmedStart(text, white));
      break;
    case 2:
      text.truncate(trimmedEnd(text, white));
      break;
    case 3:
      text.remove(QChar(u' '));
      break;
    default:
      break;
  }
  return KvTrimChars(text, white).isEmpty();
}

QString KvFirstWord(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text.at(i).unicode();
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') return text.left(i);
  }
  return text;
}

QString KvLeftOfLast(const QString& text, QChar ch) {
  const qsizetype at = text.lastIndexOf(ch);
  return at < 0 ? QString() : text.left(at);
}

QString KvNormalizeCaption(const QString& text) {
  QString result = KvStripChars(text, QStringLiteral(" \n\t\r\\"));
  result.replace(QChar(u'('), QChar(u'（'));
  result.replace(QChar(u')'), QChar(u'）'));
  return result;
}

QString KvSplitTextDbcs(int pieceWidth, const QString& text, QStringList* pieces) {
  if (text.isEmpty()) return QString();
  const int width = KvTextWidth(text);
  if (pieceWidth < 1) pieceWidth = width;
  const int count = (width - 1) / pieceWidth + 1;
  // Cut k lies at k * width / count; a cut that would split a character
  // moves past it when the piece still fits the width asked for, else
  // before it. No piece is wider than asked (but for a single character
  // wider than that): what does not fit goes on into further pieces.
  QStringList parts;
  qsizetype start = 0;
  int startWidth = 0;
  for (int k = 1; start < text.size(); ++k) {
    const int goal = qMin(k < count ? int(qint64(k) * width / count) : width, startWidth + pieceWidth);
    qsizetype end = KvIndexAtWidth(text, goal);
    if (end < text.size() && KvWidthAtIndex(text, end) < goal) {
      qsizetype next = end;
      nextCode(text, next);
      if (KvWidthAtIndex(text, next) - startWidth <= pieceWidth)
        end = next;
    }
    if (end <= start) {
      end = start;
      nextCode(text, end);  // one character wider than the width: alone
    }
    parts += text.mid(start, end - start);
    start = end;
    startWidth = KvWidthAtIndex(text, end);
  }
  if (pieces) *pieces += parts;
  return parts.join(QChar(u'\\'));
}

bool KvIsAllDigits(const QString& text) {
  for (QChar ch : text)
    if (ch.unicode() < u'0' || ch.unicode() > u'9') return false;
  return true;
}

bool KvIsAllAlpha(const QString& text) {
  for (QChar ch : text) {
    const char16_t c = ch.unicode();
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return false;
  }
  return true;
}

QString KvGetClassName(const QObject* object) {
  return object ? QString::fromLatin1(object->metaObject()->className()) : QString();
}

int KvFillNationalities(QStringList* names) {
  static const char16_t* const kNames[] = {
      u"阿昌", u"白", u"保安", u"布朗", u"布依", u"朝鲜", u"达斡尔", u"傣", u"德昂", u"东乡",
      u"侗", u"独龙", u"鄂伦春", u"俄罗斯", u"鄂温克", u"高山", u"仡佬", u"汉", u"哈尼",
      u"哈萨克", u"赫哲", u"回", u"基诺", u"景颇", u"京", u"柯尔克孜", u"拉祜", u"珞巴",
      u"傈僳", u"黎", u"满", u"毛南", u"门巴", u"蒙古", u"苗", u"仫佬", u"纳西", u"怒",
      u"普米", u"羌", u"撒拉", u"畲", u"水", u"塔吉克", u"塔塔尔", u"土家", u"土", u"佤",
      u"维吾尔", u"乌孜别克", u"锡伯", u"瑶", u"彝", u"裕固", u"藏", u"壮", u"其他"};
  if (!names) return 0;
  names->clear();
  for (const char16_t* name : kNames) *names += QString::fromUtf16(name);
  return int(names->size());
}
