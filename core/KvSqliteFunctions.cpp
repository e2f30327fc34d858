#include "core/KvSqliteFunctions.h"

#include <sqlite3.h>

#include <QCollator>
#include <QHashFunctions>
#include <QLocale>
#include <QStringView>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Jet's own texts for the errors its functions raise.
const char kBadCall[] = "无效的过程调用或参数";
const char kTypeMismatch[] = "类型不匹配";
const char kOverflow[] = "溢出";
const char kBadPattern[] = "无效的模式字符串";

// ---- UTF-8 text as SQLite hands it over ------------------------------------

struct Utf8 {
  const char* begin;
  const char* end;
};

Utf8 textOf(sqlite3_value* value) {
  const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  const int bytes = sqlite3_value_bytes(value);
  if (!text)
    text = "";
  return {text, text + bytes};
}

inline int sequenceLength(unsigned char lead) {
  return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The position `count` characters after p (at most end).
const char* skipChars(const char* p, const char* end, sqlite3_int64 count) {
  while (count > 0 && p < end) {
    p += sequenceLength(static_cast<unsigned char>(*p));
    --count;
  }
  return p < end ? p : end;
}

sqlite3_int64 countChars(const char* p, const char* end) {
  sqlite3_int64 count = 0;
  while (p < end) {
    p += sequenceLength(static_cast<unsigned char>(*p));
    ++count;
  }
  return count;
}

inline char32_t foldAscii(char32_t c) {
  return (c >= U'A' && c <= U'Z') ? c + 32 : c;
}

// The characters of the text as code points, ASCII case folded when asked.
void decode(Utf8 text, bool fold, std::u32string& out) {
  out.clear();
  const auto* p = reinterpret_cast<const unsigned char*>(text.begin);
  const auto* end = reinterpret_cast<const unsigned char*>(text.end);
  while (p < end) {
    const int length = sequenceLength(*p);
    char32_t c = *p;
    if (length > 1 && p + length <= end) {
      c &= 0xFFu >> (length + 1);
      for (int k = 1; k < length; ++k)
        c = (c << 6) | (p[k] & 0x3F);
    }
    out.push_back(fold ? foldAscii(c) : c);
    p += length;
  }
}

// ---- arguments -------------------------------------------------------------

enum class Arg { Ok, Null, Bad };

// A whole-number argument as Jet reads it: a fraction rounds half to even.
Arg wholeNumber(sqlite3_value* value, sqlite3_int64* out) {
  switch (sqlite3_value_numeric_type(value)) {
    case SQLITE_INTEGER:
      *out = sqlite3_value_int64(value);
      return Arg::Ok;
    case SQLITE_FLOAT: {
      const double rounded = std::nearbyint(sqlite3_value_double(value));
      if (!(rounded > -9.0e18 && rounded < 9.0e18))
        return Arg::Bad;
      *out = static_cast<sqlite3_int64>(rounded);
      return Arg::Ok;
    }
    case SQLITE_NULL:
      return Arg::Null;
    default:
      return Arg::Bad;
  }
}

// Reads a whole number that must be at least `minimum`; false when the
// result has been set (NULL or an error).
bool takeWholeNumber(sqlite3_context* ctx, sqlite3_value* value, sqlite3_int64 minimum,
                     sqlite3_int64* out) {
  switch (wholeNumber(value, out)) {
    case Arg::Null:
      sqlite3_result_null(ctx);
      return false;
    case Arg::Bad:
      sqlite3_result_error(ctx, kBadCall, -1);
      return false;
    case Arg::Ok:
      break;
  }
  if (*out < minimum) {
    sqlite3_result_error(ctx, kBadCall, -1);
    return false;
  }
  return true;
}

inline bool isNull(sqlite3_value* value) { return sqlite3_value_type(value) == SQLITE_NULL; }

void resultText(sqlite3_context* ctx, const char* begin, const char* end) {
  sqlite3_result_text(ctx, begin, static_cast<int>(end - begin), SQLITE_TRANSIENT);
}

// ---- Mid, Len, Left, Right -------------------------------------------------

void jetMid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (isNull(argv[0]))
    return sqlite3_result_null(ctx);
  sqlite3_int64 start;
  sqlite3_int64 length = -1;
  if (!takeWholeNumber(ctx, argv[1], 1, &start))
    return;
  if (argc == 3 && !takeWholeNumber(ctx, argv[2], 0, &length))
    return;
  const Utf8 text = textOf(argv[0]);
  const char* from = skipChars(text.begin, text.end, start - 1);
  const char* to = length < 0 ? text.end : skipChars(from, text.end, length);
  resultText(ctx, from, to);
}

void jetLen(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (isNull(argv[0]))
    return sqlite3_result_null(ctx);
  const Utf8 text = textOf(argv[0]);
  sqlite3_result_int64(ctx, countChars(text.begin, text.end));
}

void jetLeft(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (isNull(argv[0]))
    return sqlite3_result_null(ctx);
  sqlite3_int64 count;
  if (!takeWholeNumber(ctx, argv[1], 0, &count))
    return;
  const Utf8 text = textOf(argv[0]);
  resultText(ctx, text.begin, skipChars(text.begin, text.end, count));
}

void jetRight(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (isNull(argv[0]))
    return sqlite3_result_null(ctx);
  sqlite3_int64 count;
  if (!takeWholeNumber(ctx, argv[1], 0, &count))
    return;
  const Utf8 text = textOf(argv[0]);
  const sqlite3_int64 total = countChars(text.begin, text.end);
  const char* from = count >= total ? text.begin : skipChars(text.begin, text.end, total - count);
  resultText(ctx, from, text.end);
}

// ---- Instr -----------------------------------------------------------------

bool equalIgnoringAsciiCase(const char* a, const char* b, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    char x = a[k];
    char y = b[k];
    if (x >= 'A' && x <= 'Z')
      x = char(x + 32);
    if (y >= 'A' && y <= 'Z')
      y = char(y + 32);
    if (x != y)
      return false;
  }
  return true;
}

void jetInstr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  sqlite3_int64 start;
  if (!takeWholeNumber(ctx, argv[0], 1, &start))
    return;
  if (isNull(argv[1]) || isNull(argv[2]))
    return sqlite3_result_null(ctx);
  bool ignoreCase = true;
  if (argc == 4) {
    sqlite3_int64 compare;
    if (!takeWholeNumber(ctx, argv[3], 0, &compare))
      return;
    if (compare > 2)
      return sqlite3_result_error(ctx, kBadCall, -1);
    ignoreCase = compare != 0;
  }
  const Utf8 text = textOf(argv[1]);
  const Utf8 sought = textOf(argv[2]);
  const std::string_view needle(sought.begin, size_t(sought.end - sought.begin));
  const sqlite3_int64 length = countChars(text.begin, text.end);
  if (length == 0 || start > length)
    return sqlite3_result_int64(ctx, 0);
  if (needle.empty())
    return sqlite3_result_int64(ctx, start);
  // UTF-8 is self-synchronising: a byte match of a whole text starts on a
  // character boundary.
  const char* from = skipChars(text.begin, text.end, start - 1);
  const size_t n = needle.size();
  for (const char* p = from; p + n <= text.end; ++p) {
    const bool found = ignoreCase ? equalIgnoringAsciiCase(p, needle.data(), n)
                                  : std::char_traits<char>::compare(p, needle.data(), n) == 0;
    if (found)
      return sqlite3_result_int64(ctx, start + countChars(from, p));
  }
  sqlite3_result_int64(ctx, 0);
}

// ---- Val, Str --------------------------------------------------------------

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

void jetVal(sqlite3_context* ctx, int, sqlite3_value** argv) {
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
      return sqlite3_result_null(ctx);
    case SQLITE_INTEGER:
      return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    case SQLITE_FLOAT:
      return sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
    default:
      break;
  }
  // Blanks, tabs and line breaks anywhere are ignored, as Jet does.
  const Utf8 text = textOf(argv[0]);
  std::string s;
  for (const char* p = text.begin; p < text.end && s.size() < 400; ++p) {
    if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r')
      s.push_back(*p);
  }
  std::string number;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-')
      number.push_back('-');
    ++i;
  }
  size_t digits = 0;
  while (i < s.size() && isDigit(s[i])) {
    number.push_back(s[i++]);
    ++digits;
  }
  bool whole = true;
  if (i < s.size() && s[i] == '.') {
    whole = false;
    number.push_back(s[i++]);
    while (i < s.size() && isDigit(s[i])) {
      number.push_back(s[i++]);
      ++digits;
    }
  }
  if (digits == 0)
    return sqlite3_result_int64(ctx, 0);
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    size_t k = i + 1;
    std::string exponent = "e";
    if (k < s.size() && (s[k] == '+' || s[k] == '-'))
      exponent.push_back(s[k++]);
    if (k < s.size() && isDigit(s[k])) {
      while (k < s.size() && isDigit(s[k]))
        exponent.push_back(s[k++]);
      number += exponent;
      whole = false;
    }
  }
  const char* first = number.data();
  const char* last = number.data() + number.size();
  if (whole) {
    sqlite3_int64 value;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc() && end == last)
      return sqlite3_result_int64(ctx, value);
  }
  double value;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last)
    return sqlite3_result_error(ctx, kOverflow, -1);
  sqlite3_result_double(ctx, value);
}

void jetStr(sqlite3_context* ctx, int, sqlite3_value** argv) {
  char buffer[64];
  char* p = buffer;
  char* const last = buffer + sizeof buffer;
  switch (sqlite3_value_numeric_type(argv[0])) {
    case SQLITE_NULL:
      return sqlite3_result_null(ctx);
    case SQLITE_INTEGER: {
      const sqlite3_int64 value = sqlite3_value_int64(argv[0]);
      if (value >= 0)
        *p++ = ' ';
      p = std::to_chars(p, last, value).ptr;
      break;
    }
    case SQLITE_FLOAT: {
      const double value = sqlite3_value_double(argv[0]);
      *p++ = value < 0 ? '-' : ' ';
      char* digits = p;
      p = std::to_chars(p, last, std::fabs(value), std::chars_format::general, 15).ptr;
      // Jet writes ".5" for 0.5 and "1E+20" for 1e+20.
      if (p - digits > 1 && digits[0] == '0' && digits[1] == '.') {
        std::char_traits<char>::move(digits, digits + 1, size_t(p - digits - 1));
        --p;
      }
      for (char* c = digits; c < p; ++c) {
        if (*c == 'e')
          *c = 'E';
      }
      break;
    }
    default:
      return sqlite3_result_error(ctx, kTypeMismatch, -1);
  }
  sqlite3_result_text(ctx, buffer, static_cast<int>(p - buffer), SQLITE_TRANSIENT);
}

// ---- Jet LIKE --------------------------------------------------------------

// A pattern compiled once per statement (kept as SQLite's auxiliary data of
// the pattern argument while it stays the same).
struct JetPattern {
  enum Kind : unsigned char { Star, Any, Digit, Char, List };
  struct Element {
    Kind kind;
    bool negated = false;
    char32_t ch = 0;
    unsigned first = 0;  // ranges [first, first + count) of `ranges`
    unsigned count = 0;
  };
  std::vector<Element> elements;
  std::vector<std::pair<char32_t, char32_t>> ranges;

  // False for a "[" without its "]" or a descending range. Literal
  // characters are folded to ASCII lower case, lists are kept as written.
  bool compile(const std::u32string& p) {
    for (size_t i = 0; i < p.size(); ++i) {
      const char32_t c = p[i];
      if (c == U'*') {
        if (elements.empty() || elements.back().kind != Star)
          elements.push_back({Star});
      } else if (c == U'?') {
        elements.push_back({Any});
      } else if (c == U'#') {
        elements.push_back({Digit});
      } else if (c == U'[') {
        const size_t close = p.find(U']', i + 1);
        if (close == std::u32string::npos)
          return false;
        size_t k = i + 1;
        if (close == k) {  // "[]" stands for nothing
          i = close;
          continue;
        }
        Element list{List};
        if (p[k] == U'!' && close > k + 1) {
          list.negated = true;
          ++k;
        }
        list.first = unsigned(ranges.size());
        while (k < close) {
          char32_t low = p[k];
          char32_t high = low;
          if (k + 2 < close && p[k + 1] == U'-') {
            high = p[k + 2];
            if (high < low)
              return false;
            k += 3;
          } else {
            ++k;
          }
          ranges.emplace_back(low, high);
        }
        list.count = unsigned(ranges.size()) - list.first;
        elements.push_back(list);
        i = close;
      } else {
        Element literal{Char};
        literal.ch = foldAscii(c);
        elements.push_back(literal);
      }
    }
    return true;
  }

  bool matchesOne(const Element& e, char32_t c) const {
    switch (e.kind) {
      case Any:
        return true;
      case Digit:
        return c >= U'0' && c <= U'9';
      case Char:
        return e.ch == c;
      case List: {
        // c is folded: a lower-case letter also stands for its capital.
        const char32_t capital = (c >= U'a' && c <= U'z') ? c - 32 : c;
        bool in = false;
        for (unsigned k = e.first; k < e.first + e.count && !in; ++k)
          in = (c >= ranges[k].first && c <= ranges[k].second) ||
               (capital >= ranges[k].first && capital <= ranges[k].second);
        return in != e.negated;
      }
      case Star:
        break;
    }
    return false;
  }

  // Every element but Star takes exactly one character, so going back to the
  // last star is enough.
  bool matches(const std::u32string& text) const {
    size_t t = 0;
    size_t p = 0;
    size_t starP = SIZE_MAX;
    size_t starT = 0;
    while (t < text.size()) {
      if (p < elements.size() && elements[p].kind == Star) {
        starP = p++;
        starT = t;
      } else if (p < elements.size() && matchesOne(elements[p], text[t])) {
        ++p;
        ++t;
      } else if (starP != SIZE_MAX) {
        p = starP + 1;
        t = ++starT;
      } else {
        return false;
      }
    }
    while (p < elements.size() && elements[p].kind == Star)
      ++p;
    return p == elements.size();
  }
};

// like(pattern, text): SQLite calls it for "text LIKE pattern".
void jetLike(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (isNull(argv[0]) || isNull(argv[1]))
    return sqlite3_result_null(ctx);
  thread_local std::u32string buffer;
  auto* cached = static_cast<JetPattern*>(sqlite3_get_auxdata(ctx, 0));
  std::unique_ptr<JetPattern> compiled;
  if (!cached) {
    compiled = std::make_unique<JetPattern>();
    decode(textOf(argv[0]), false, buffer);
    if (!compiled->compile(buffer))
      return sqlite3_result_error(ctx, kBadPattern, -1);
    cached = compiled.get();
  }
  decode(textOf(argv[1]), true, buffer);
  sqlite3_result_int(ctx, cached->matches(buffer) ? 1 : 0);
  // SQLite may drop the data at once, so it is handed over after use.
  if (compiled)
    sqlite3_set_auxdata(ctx, 0, compiled.release(),
                        [](void* p) { delete static_cast<JetPattern*>(p); });
}

// ---- Chinese collation -----------------------------------------------------

int compareChinese(void* collator, int bytes1, const void* text1, int bytes2, const void* text2) {
  const QStringView a(static_cast<const char16_t*>(text1), bytes1 / 2);
  const QStringView b(static_cast<const char16_t*>(text2), bytes2 / 2);
  const int order = static_cast<const QCollator*>(collator)->compare(a, b);
  if (order != 0)
    return order;
  // Texts the collator holds equal still differ unless they are identical,
  // so that equality under the collation is plain equality.
  return a.compare(b);
}

void deleteCollator(void* collator) { delete static_cast<QCollator*>(collator); }

// ---- Row digests ----------------------------------------------------------

// Two independent 64-bit hashes of the values, each seeded by the one
// before, so that the values' places count: every value adds its type and
// its bytes.
void hashValues(int argc, sqlite3_value** argv, size_t hashes[2]) {
  for (int i = 0; i < argc; ++i) {
    const int type = sqlite3_value_type(argv[i]);
    const void* bytes = nullptr;
    size_t size = 0;
    sqlite3_int64 integer = 0;
    double real = 0;
    if (type == SQLITE_INTEGER) {
      integer = sqlite3_value_int64(argv[i]);
      bytes = &integer;
      size = sizeof integer;
    } else if (type == SQLITE_FLOAT) {
      real = sqlite3_value_double(argv[i]);
      bytes = &real;
      size = sizeof real;
    } else if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
      bytes = type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(argv[i])) : sqlite3_value_blob(argv[i]);
      size = size_t(sqlite3_value_bytes(argv[i]));
    }
    hashes[0] = qHashBits(bytes, size, hashes[0] ^ size_t(type));
    hashes[1] = qHashBits(bytes, size, (hashes[1] ^ size_t(type)) * 0x9e3779b97f4a7c15u);
  }
}

// kv_values(...): the values hashed into one blob, for a row of more
// columns than a function takes arguments.
void kvValues(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  size_t hashes[2] = {1, 2};
  hashValues(argc, argv, hashes);
  sqlite3_result_blob(ctx, hashes, sizeof hashes, SQLITE_TRANSIENT);
}

struct RowsDigest {
  quint64 sums[2];
  quint64 count;
};

// kv_rows_digest(...), an aggregate over the rows: the count and the sums of
// each row's two hashes, so that the same rows give the same digest in any
// order and a duplicated row counts.
void rowsDigestStep(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  auto* digest = static_cast<RowsDigest*>(sqlite3_aggregate_context(ctx, sizeof(RowsDigest)));
  if (!digest) {
    sqlite3_result_error_nomem(ctx);
    return;
  }
  size_t hashes[2] = {1, 2};
  hashValues(argc, argv, hashes);
  digest->sums[0] += hashes[0];
  digest->sums[1] += hashes[1];
  ++digest->count;
}

void rowsDigestFinal(sqlite3_context* ctx) {
  const RowsDigest none{};
  const auto* digest = static_cast<RowsDigest*>(sqlite3_aggregate_context(ctx, 0));
  if (!digest)
    digest = &none;
  char text[64];
  const int size = std::snprintf(text, sizeof text, "%llu %llu %llu", static_cast<unsigned long long>(digest->count),
                                 static_cast<unsigned long long>(digest->sums[0]),
                                 static_cast<unsigned long long>(digest->sums[1]));
  sqlite3_result_text(ctx, text, size, SQLITE_TRANSIENT);
}

}  // namespace

bool KvRegisterJetFunctions(sqlite3* db) {
  using Function = void (*)(sqlite3_context*, int, sqlite3_value**);
  struct Entry {
    const char* name;
    int argc;
    Function function;
  };
  static const Entry entries[] = {
      {"Mid", 2, jetMid},
      {"Mid", 3, jetMid},
      {"Len", 1, jetLen},
      {KV_SQLITE_LEFT, 2, jetLeft},
      {KV_SQLITE_RIGHT, 2, jetRight},
      {"Instr", 3, jetInstr},
      {"Instr", 4, jetInstr},
      {"Val", 1, jetVal},
      {"Str", 1, jetStr},
      {"like", 2, jetLike},
  };
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  for (const Entry& e : entries) {
    if (sqlite3_create_function_v2(db, e.name, e.argc, flags, nullptr, e.function, nullptr,
                                   nullptr, nullptr) != SQLITE_OK)
      return false;
  }

  if (sqlite3_create_function_v2(db, KV_SQLITE_VALUES, -1, flags, nullptr, kvValues, nullptr, nullptr, nullptr) !=
          SQLITE_OK ||
      sqlite3_create_function_v2(db, KV_SQLITE_ROWS_DIGEST, -1, flags, nullptr, nullptr, rowsDigestStep,
                                 rowsDigestFinal, nullptr) != SQLITE_OK)
    return false;

  auto* collator = new QCollator(QLocale(QLocale::Chinese, QLocale::China));
  collator->compare(QStringView(u"甲"), QStringView(u"乙"));  // set it up before any use
  if (sqlite3_create_collation_v2(db, KV_ZH_COLLATION, SQLITE_UTF16_ALIGNED, collator,
                                  compareChinese, deleteCollator) != SQLITE_OK) {
    delete collator;
    return false;
  }
  return true;
}
