#include "core/KvSqlStatements.h"

namespace {
bool isWordChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_' || c >= 0x80;
}

QString upperAscii(QStringView word) {
  QString out = word.toString();
  for (QChar& ch : out) {
    if (ch >= u'a' && ch <= u'z')
      ch = QChar(ch.unicode() - 32);
  }
  return out;
}

// The end of the comment that opens at i ("/*"): the index after its "*/",
// the text's size when it is not closed.
qsizetype commentEnd(const QString& text, qsizetype i, bool nested) {
  const qsizetype n = text.size();
  int depth = 0;
  while (i < n) {
    if (text[i] == u'/' && i + 1 < n && text[i + 1] == u'*') {
      if (depth == 0 || nested)
        ++depth;
      i += 2;
    } else if (text[i] == u'*' && i + 1 < n && text[i + 1] == u'/') {
      i += 2;
      if (--depth == 0)
        return i;
    } else {
      ++i;
    }
  }
  return n;
}

// The words of a statement outside comments, upper case; at most `limit`
// of them.
QStringList leadingWords(const QString& statement, int limit, bool nested = false) {
  QStringList words;
  const qsizetype n = statement.size();
  qsizetype i = 0;
  while (i < n && words.size() < limit) {
    const char16_t c = statement[i].unicode();
    if (c == u'-' && i + 1 < n && statement[i + 1] == u'-') {
      while (i < n && statement[i] != u'\n')
        ++i;
    } else if (c == u'/' && i + 1 < n && statement[i + 1] == u'*') {
      i = commentEnd(statement, i, nested);
    } else if (isWordChar(c)) {
      const qsizetype start = i;
      while (i < n && isWordChar(statement[i].unicode()))
        ++i;
      words.append(upperAscii(QStringView(statement).mid(start, i - start)));
    } else {
      ++i;
    }
  }
  return words;
}

// At a "$": the length of a dollar-quote tag ("$$" or "$name$"), 0 when
// there is none.
qsizetype dollarTag(const QString& sql, qsizetype i) {
  qsizetype j = i + 1;
  if (j < sql.size() && sql[j] >= u'0' && sql[j] <= u'9')
    return 0;  // a parameter ($1), not a quote
  while (j < sql.size() && isWordChar(sql[j].unicode()))
    ++j;
  return j < sql.size() && sql[j] == u'$' ? j - i + 1 : 0;
}
}  // namespace

QStringList KvSqlLeadingWords(const QString& statement, int limit, bool nestedComments) {
  return leadingWords(statement, limit, nestedComments);
}

bool KvIsTransactionControl(const QString& statement, bool nestedComments) {
  const QStringList words = leadingWords(statement, 2, nestedComments);
  const QString first = words.value(0);
  static const QStringList alone = {
      QStringLiteral("BEGIN"),    QStringLiteral("START"),     QStringLiteral("COMMIT"),
      QStringLiteral("END"),      QStringLiteral("ROLLBACK"),  QStringLiteral("ABORT"),
      QStringLiteral("SAVEPOINT"), QStringLiteral("RELEASE")};
  return alone.contains(first) || (first == u"PREPARE" && words.value(1) == u"TRANSACTION");
}

qsizetype KvServerStatementEnd(const QString& sql, bool backslashEscapes) {
  const qsizetype n = sql.size();
  // A name's character: letters, digits, "_", "$" and every non-ASCII one.
  const auto nameChar = [&](qsizetype at) {
    return at >= 0 && at < n && (isWordChar(sql[at].unicode()) || sql[at] == u'$');
  };
  qsizetype i = 0;
  while (i < n) {
    const char16_t c = sql[i].unicode();
    if (c == u';')
      return i;
    if (c == u'\'' || c == u'"') {
      // E'...' takes backslash escapes, and so does every literal while
      // the session does not conform; a doubled quote stays inside.
      const bool prefixed = i > 0 && (sql[i - 1] == u'E' || sql[i - 1] == u'e') && !nameChar(i - 2);
      const bool escapes = c == u'\'' && (prefixed || backslashEscapes);
      ++i;
      while (i < n) {
        if (escapes && sql[i] == u'\\') {
          i += 2;
        } else if (sql[i] == c) {
          if (i + 1 < n && sql[i + 1] == c) {
            i += 2;
            continue;
          }
          break;
        } else {
          ++i;
        }
      }
      ++i;
    } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
      while (i < n && sql[i] != u'\n')
        ++i;
    } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
      i = commentEnd(sql, i, true);
    } else if (c == u'$' && !nameChar(i - 1) && !(i + 1 < n && sql[i + 1].isDigit())) {
      qsizetype j = i + 1;
      while (j < n && isWordChar(sql[j].unicode()))
        ++j;
      if (j < n && sql[j] == u'$') {
        const QString tag = sql.mid(i, j - i + 1);
        const qsizetype close = sql.indexOf(tag, j + 1);
        i = close < 0 ? n : close + tag.size();
      } else {
        i = j;
      }
    } else if (nameChar(i)) {
      while (nameChar(i))
        ++i;
    } else {
      ++i;
    }
  }
  return n;
}

QStringList KvSplitSqlStatements(const QString& sql) {
  QStringList statements;
  const qsizetype n = sql.size();
  qsizetype start = 0;
  qsizetype i = 0;
  // Inside the body of a CREATE TRIGGER: the depth of BEGIN/CASE ... END.
  int bodyDepth = 0;
  bool trigger = false;
  QString word;
  const auto finish = [&](qsizetype end) {
    const QString statement = sql.mid(start, end - start).trimmed();
    if (!statement.isEmpty())
      statements.append(statement);
    start = end + 1;
    bodyDepth = 0;
    trigger = false;
  };
  while (i < n) {
    const char16_t c = sql[i].unicode();
    if (c == u'\'' || c == u'"' || c == u'[' || c == u'`') {
      const char16_t close = c == u'[' ? u']' : c;
      ++i;
      while (i < n) {
        if (sql[i] == close) {
          if (close != u']' && i + 1 < n && sql[i + 1] == close) {
            i += 2;
            continue;
          }
          break;
        }
        ++i;
      }
      ++i;
    } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
      while (i < n && sql[i] != u'\n')
        ++i;
    } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
      const qsizetype close = sql.indexOf(QStringLiteral("*/"), i + 2);
      i = close < 0 ? n : close + 2;
    } else if (c == u'$' && (i == 0 || !isWordChar(sql[i - 1].unicode())) && dollarTag(sql, i) > 0) {
      const qsizetype length = dollarTag(sql, i);
      const QString tag = sql.mid(i, length);
      const qsizetype close = sql.indexOf(tag, i + length);
      i = close < 0 ? n : close + length;
    } else if (isWordChar(c)) {
      const qsizetype begin = i;
      while (i < n && isWordChar(sql[i].unicode()))
        ++i;
      word = upperAscii(QStringView(sql).mid(begin, i - begin));
      if (word == u"TRIGGER" && leadingWords(sql.mid(start, begin - start), 1).value(0) == u"CREATE")
        trigger = true;
      else if (trigger && (word == u"BEGIN" || (bodyDepth > 0 && word == u"CASE")))
        ++bodyDepth;
      else if (trigger && bodyDepth > 0 && word == u"END")
        --bodyDepth;
    } else if (c == u';' && bodyDepth == 0) {
      finish(i);
      ++i;
    } else {
      ++i;
    }
  }
  finish(n);
  return statements;
}

KvSqlTextShape KvSqlShape(const QString& sql) {
  KvSqlTextShape shape;
  const QStringList statements = KvSplitSqlStatements(sql);
  shape.statements = int(statements.size());
  for (const QString& statement : statements) {
    const QStringList words = leadingWords(statement, 3);
    const QString first = words.value(0);
    if (first == u"BEGIN" || (first == u"START" && words.value(1) == u"TRANSACTION")) {
      shape.begins = true;
    } else if (first == u"COMMIT" || first == u"END" || first == u"ABORT") {
      shape.ends = true;
    } else if (first == u"ROLLBACK") {
      // ROLLBACK [WORK|TRANSACTION] TO ... undoes to a savepoint only.
      const QString next = words.value(1) == u"WORK" || words.value(1) == u"TRANSACTION"
                               ? words.value(2)
                               : words.value(1);
      if (next != u"TO")
        shape.ends = true;
    }
  }
  return shape;
}
