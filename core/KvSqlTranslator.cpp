#include "core/KvSqlTranslator.h"

#include "core/KvSqliteFunctions.h"
#include "core/KvWidth.h"

namespace {

constexpr char16_t kMarkOpen = 0x07;
constexpr char16_t kMarkClose = 0x08;

inline bool isWordChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_' || c == u'$' || c >= 0x80;
}

inline bool isBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// True when the text at s (length n) is the keyword; `lower` is ASCII lower case.
template <qsizetype N>
bool isKeyword(const char16_t* s, qsizetype n, const char (&lower)[N]) {
  if (n != N - 1)
    return false;
  for (qsizetype i = 0; i < n; ++i) {
    char16_t c = s[i];
    if (c >= u'A' && c <= u'Z')
      c = char16_t(c + 32);
    if (c != char16_t(lower[i]))
      return false;
  }
  return true;
}

bool sameNameAscii(QStringView a, QStringView b) {
  if (a.size() != b.size())
    return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    char16_t x = a[i].unicode();
    char16_t y = b[i].unicode();
    if (x >= u'A' && x <= u'Z')
      x = char16_t(x + 32);
    if (y >= u'A' && y <= u'Z')
      y = char16_t(y + 32);
    if (x != y)
      return false;
  }
  return true;
}

// One pass over the text: markers are replaced wherever they stand, words
// outside literals, quoted identifiers and comments are rewritten for the
// dialect. Output is built lazily: untouched stretches are copied in one go
// when a replacement is made, and a text that needs nothing is returned as is.
class Translator {
 public:
  Translator(const QString& sql, bool server)
      : m_sql(sql),
        m_s(reinterpret_cast<const char16_t*>(sql.constData())),
        m_n(sql.size()),
        m_server(server) {}

  QString run() {
    qsizetype i = 0;
    while (i < m_n) {
      const char16_t c = m_s[i];
      if (c == kMarkOpen) {
        i = marker(i);
        if (m_col == Col::Type)  // a Long or Numeric marker is the column's type
          m_col = Col::None;
      } else if (c == kMarkClose) {
        m_numericOn = false;
        ++i;
      } else if (c == u'\'') {
        i = quoted(i, u'\'', true);
      } else if (c == u'"' || c == u'[') {
        i = quoted(i, c == u'"' ? u'"' : u']', c == u'"');
        nameSeen();
      } else if (c == u'-' && i + 1 < m_n && m_s[i + 1] == u'-') {
        while (i < m_n && m_s[i] != u'\n')
          ++i;
      } else if (c == u'/' && i + 1 < m_n && m_s[i + 1] == u'*') {
        i += 2;
        while (i < m_n && !(m_s[i] == u'*' && i + 1 < m_n && m_s[i + 1] == u'/'))
          ++i;
        i = qMin(i + 2, m_n);
      } else if (isWordChar(c)) {
        i = word(i);
      } else {
        punctuation(c);
        ++i;
      }
    }
    if (!m_changed)
      return m_sql;
    m_out.append(QStringView(m_s + m_copied, m_n - m_copied));
    return m_out;
  }

 private:
  enum class Stmt { Start, Create, CreateTable, Alter, AlterTable, Drop, Other };
  // Where a column definition stands in CREATE TABLE or ALTER TABLE ... ADD.
  enum class Col { None, Name, Type };

  void replace(qsizetype from, qsizetype to, QStringView with) {
    if (!m_changed) {
      m_out.reserve(m_n + 32);
      m_changed = true;
    }
    m_out.append(QStringView(m_s + m_copied, from - m_copied));
    m_out.append(with);
    m_copied = to;
  }

  bool markerIs(qsizetype i, QStringView key) const {
    const qsizetype end = i + 1 + key.size();
    return end < m_n && m_s[end] == kMarkClose && QStringView(m_s + i + 1, key.size()) == key;
  }

  // At a 0x07: replaces a known marker and returns the index after it.
  qsizetype marker(qsizetype i) {
    struct Simple {
      QStringView key, jet, server;
    };
    static const Simple simple[] = {
        {u"*", u"*", u"%"},
        {u"?", u"?", u"_"},
        {u"Mid", u"Mid", u"Substring"},
        {u"Long", u"Long", u"INT"},
    };
    for (const Simple& m : simple) {
      if (markerIs(i, m.key)) {
        replace(i, i + m.key.size() + 2, m_server ? m.server : m.jet);
        return i + m.key.size() + 2;
      }
    }
    static constexpr QStringView numeric = u"Numeric";
    if (m_numericOn && i + 1 + numeric.size() <= m_n &&
        QStringView(m_s + i + 1, numeric.size()) == numeric) {
      qsizetype close = i + 1;
      while (close < m_n && m_s[close] != kMarkClose && m_s[close] != kMarkOpen)
        ++close;
      if (close < m_n && m_s[close] == kMarkClose) {
        replace(i, close + 1,
                m_server ? QStringView(m_s + i + 1, close - i - 1) : QStringView(u"Double"));
        return close + 1;
      }
      m_numericOn = false;  // an unterminated Numeric marker stops the Numeric step
    }
    return i + 1;
  }

  // At an opening quote or bracket: returns the index after the closing one.
  // Markers inside are replaced (LIKE wildcards live in literals).
  qsizetype quoted(qsizetype i, char16_t close, bool doubledEscapes) {
    ++i;
    while (i < m_n) {
      const char16_t c = m_s[i];
      if (c == kMarkOpen) {
        i = marker(i);
      } else if (c == kMarkClose) {
        m_numericOn = false;
        ++i;
      } else if (c == close) {
        if (doubledEscapes && i + 1 < m_n && m_s[i + 1] == close)
          i += 2;
        else
          return i + 1;
      } else {
        ++i;
      }
    }
    return i;
  }

  qsizetype skipBlanks(qsizetype i) const {
    while (i < m_n && isBlank(m_s[i]))
      ++i;
    return i;
  }

  qsizetype wordEnd(qsizetype i) const {
    while (i < m_n && isWordChar(m_s[i]))
      ++i;
    return i;
  }

  bool parenFollows(qsizetype i) const {
    i = skipBlanks(i);
    return i < m_n && m_s[i] == u'(';
  }

  void punctuation(char16_t c) {
    switch (c) {
      case u'(':
        ++m_depth;
        if (m_stmt == Stmt::CreateTable && m_depth == 1)
          m_col = Col::Name;
        break;
      case u')':
        if (m_depth > 0)
          --m_depth;
        break;
      case u',':
        if ((m_stmt == Stmt::CreateTable && m_depth == 1) ||
            (m_stmt == Stmt::AlterTable && m_depth == 0 && m_adding))
          m_col = Col::Name;
        break;
      case u';':
        if (m_depth == 0) {
          m_stmt = Stmt::Start;
          m_col = Col::None;
          m_adding = false;
        }
        break;
      default:
        break;
    }
  }

  // A quoted identifier: a column name where one is expected.
  void nameSeen() {
    if (m_stmt == Stmt::Start)
      m_stmt = Stmt::Other;
    if (m_col == Col::Name)
      m_col = Col::Type;
    else if (m_col == Col::Type)
      m_col = Col::None;
  }

  qsizetype word(qsizetype i) {
    const qsizetype end = wordEnd(i);
    const char16_t* w = m_s + i;
    const qsizetype n = end - i;

    switch (m_stmt) {
      case Stmt::Start:
        m_stmt = isKeyword(w, n, "create")  ? Stmt::Create
                 : isKeyword(w, n, "alter") ? Stmt::Alter
                 : isKeyword(w, n, "drop")  ? Stmt::Drop
                                            : Stmt::Other;
        if (m_stmt != Stmt::Other)
          return end;
        break;
      case Stmt::Create:
        if (isKeyword(w, n, "table")) {
          m_stmt = Stmt::CreateTable;
          return end;
        }
        if (isKeyword(w, n, "unique"))
          return end;
        m_stmt = Stmt::Other;
        if (isKeyword(w, n, "index"))
          return createIndex(end);
        break;
      case Stmt::Alter:
        m_stmt = isKeyword(w, n, "table") ? Stmt::AlterTable : Stmt::Other;
        return end;
      case Stmt::Drop:
        m_stmt = Stmt::Other;
        if (isKeyword(w, n, "index"))
          return dropIndex(end);
        break;
      case Stmt::AlterTable:
        if (m_depth == 0) {
          if (isKeyword(w, n, "add")) {
            m_adding = true;
            m_col = Col::Name;
            return end;
          }
          if (m_col == Col::Name && isKeyword(w, n, "column"))
            return end;
          if (isKeyword(w, n, "alter") || isKeyword(w, n, "drop")) {
            m_adding = false;
            m_col = Col::None;
          }
        }
        break;
      default:
        break;
    }

    if (m_col == Col::Name) {
      const bool constraint = isKeyword(w, n, "constraint") || isKeyword(w, n, "primary") ||
                              isKeyword(w, n, "unique") || isKeyword(w, n, "check") ||
                              isKeyword(w, n, "foreign");
      m_col = constraint ? Col::None : Col::Type;
      return end;
    }
    if (m_col == Col::Type) {
      m_col = Col::None;
      if (m_server)
        columnType(i, end);
      return end;
    }

    if (m_server) {
      if (isKeyword(w, n, "like"))
        replace(i, i, u"I");
      else if (isKeyword(w, n, "mid") && parenFollows(end))
        replace(i, end, u"substring");
      else if (isKeyword(w, n, "len") && parenFollows(end))
        replace(i, end, u"length");
    } else {
      static const QString left = QString::fromLatin1(KV_SQLITE_LEFT);
      static const QString right = QString::fromLatin1(KV_SQLITE_RIGHT);
      if (isKeyword(w, n, "left") && parenFollows(end))
        replace(i, end, left);
      else if (isKeyword(w, n, "right") && parenFollows(end))
        replace(i, end, right);
    }
    return end;
  }

  // A Jet column type on PostgreSQL.
  void columnType(qsizetype i, qsizetype end) {
    const char16_t* w = m_s + i;
    const qsizetype n = end - i;
    if (isKeyword(w, n, "char")) {
      if (parenFollows(end))
        replace(i, end, u"VARCHAR");
    } else if (isKeyword(w, n, "long")) {
      replace(i, end, u"INT");
    } else if (isKeyword(w, n, "double")) {
      const qsizetype next = skipBlanks(end);
      if (!isKeyword(m_s + next, wordEnd(next) - next, "precision"))
        replace(i, end, u"DOUBLE PRECISION");
    } else if (isKeyword(w, n, "image")) {
      replace(i, end, u"BYTEA");
    }
  }

  // After CREATE [UNIQUE] INDEX: renames an index named as its table.
  qsizetype createIndex(qsizetype i) {
    const qsizetype nameAt = skipBlanks(i);
    const qsizetype nameEnd = wordEnd(nameAt);
    if (nameEnd == nameAt)
      return i;
    const qsizetype onAt = skipBlanks(nameEnd);
    const qsizetype onEnd = wordEnd(onAt);
    if (!isKeyword(m_s + onAt, onEnd - onAt, "on"))
      return nameEnd;
    const qsizetype tableAt = skipBlanks(onEnd);
    const QStringView index(m_s + nameAt, nameEnd - nameAt);
    const QStringView table(m_s + tableAt, wordEnd(tableAt) - tableAt);
    if (sameNameAscii(index, table))
      replace(nameAt, nameEnd, KvEngineIndexName(index.toString(), table.toString()));
    return nameEnd;
  }

  // After DROP INDEX: "i On t" and "t.i" become the engine's "i".
  qsizetype dropIndex(qsizetype i) {
    const qsizetype firstAt = skipBlanks(i);
    const qsizetype firstEnd = wordEnd(firstAt);
    if (firstEnd == firstAt)
      return i;
    const QStringView first(m_s + firstAt, firstEnd - firstAt);
    const qsizetype next = skipBlanks(firstEnd);
    if (next < m_n && m_s[next] == u'.') {
      const qsizetype indexAt = skipBlanks(next + 1);
      const qsizetype indexEnd = wordEnd(indexAt);
      if (indexEnd == indexAt)
        return firstEnd;
      const QStringView index(m_s + indexAt, indexEnd - indexAt);
      replace(firstAt, indexEnd, KvEngineIndexName(index.toString(), first.toString()));
      return indexEnd;
    }
    const qsizetype onEnd = wordEnd(next);
    if (!isKeyword(m_s + next, onEnd - next, "on"))
      return firstEnd;
    const qsizetype tableAt = skipBlanks(onEnd);
    const qsizetype tableEnd = wordEnd(tableAt);
    if (tableEnd == tableAt)
      return firstEnd;
    const QStringView table(m_s + tableAt, tableEnd - tableAt);
    replace(firstAt, tableEnd, KvEngineIndexName(first.toString(), table.toString()));
    return tableEnd;
  }

  const QString& m_sql;
  const char16_t* m_s;
  qsizetype m_n;
  bool m_server;

  QString m_out;
  qsizetype m_copied = 0;
  bool m_changed = false;

  bool m_numericOn = true;
  Stmt m_stmt = Stmt::Start;
  Col m_col = Col::None;
  bool m_adding = false;
  int m_depth = 0;
};

// Cut and bar replacement shared by both quoting functions. The bytes that
// frame the dialect markers are never typed text: left in a value, the
// translator would take them for markers. U+0000 is dropped: PostgreSQL
// refuses it, and a text that ends at it in one engine and not in another
// would be stored differently on each kind.
QString prepareValue(const QString& text, int kind, int nMaxLen) {
  QString value = text;
  value.remove(QChar(0));
  value.remove(QChar(kMarkOpen));
  value.remove(QChar(kMarkClose));
  if (kind == 0)
    value.replace(u'|', QChar(0xFF5C));
  if (nMaxLen >= 0)
    value = KvLeftByWidth(value, nMaxLen);
  return value;
}

}  // namespace

QString KvTranslateSql(const QString& sql, bool bServer) {
  return Translator(sql, bServer).run();
}

QString KvEngineIndexName(const QString& index, const QString& table) {
  return sameNameAscii(index, table) ? index + QStringLiteral("_IX") : index;
}

QString KvDataVersionSql(int kind) {
  return kind == 0 ? QStringLiteral("(Select CAST(data_version AS TEXT) From pragma_data_version)")
                   : QStringLiteral("CAST(pg_current_snapshot() AS TEXT)");
}

QString KvSqlTextValue(const QString& text, int kind, int nMaxLen) { return prepareValue(text, kind, nMaxLen); }

QString KvQuoteSqlText(const QString& text, int kind, int nMaxLen) {
  QString value = prepareValue(text, kind, nMaxLen);
  value.replace(u'\'', QStringLiteral("''"));
  return value;
}

QString KvQuoteLikePattern(const QString& text, int kind, int nMaxLen) {
  const QString value = prepareValue(text, kind, nMaxLen);
  QString out;
  out.reserve(value.size() + 8);
  for (const QChar ch : value) {
    const char16_t c = ch.unicode();
    if (c == u'\'') {
      out += QStringLiteral("''");
    } else if (kind == 0 && (c == u'[' || c == u'*' || c == u'?' || c == u'#')) {
      out += u'[';
      out += ch;
      out += u']';
    } else if (kind != 0 && (c == u'\\' || c == u'%' || c == u'_')) {
      out += u'\\';
      out += ch;
    } else {
      out += ch;
    }
  }
  return out;
}
