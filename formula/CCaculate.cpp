#include "formula/CCaculate.h"

#include "core/KvText.h"
#include "formula/CKvVarList.h"

#include <QList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <utility>

namespace {

// Brackets and variables nested deeper than this fail instead of exhausting
// the stack.
constexpr int kMaxDepth = 200;

bool isDigit(QChar ch) { return ch.unicode() >= u'0' && ch.unicode() <= u'9'; }

bool isAsciiLetter(QChar ch) {
  const char16_t c = ch.unicode();
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isNameStart(QChar ch) {
  return isAsciiLetter(ch) || ch == u'_' || (ch.unicode() >= 0x80 && ch.isLetter());
}

bool isNamePart(QChar ch) {
  return isNameStart(ch) || isDigit(ch) || (ch.unicode() >= 0x80 && ch.isNumber());
}

bool nearlyEqual(double a, double b) {
  const double scale = std::max({1.0, std::fabs(a), std::fabs(b)});
  return std::fabs(a - b) <= 1e-9 * scale;
}

// Rounds half away from zero at `decimals` places (negative: left of the
// point), working on the shortest decimal digits that give the value back,
// so the digits the operator sees decide, not the binary remainder.
double roundDecimal(double value, int decimals) {
  if (value == 0.0 || !std::isfinite(value))
    return value;
  const bool negative = value < 0;
  char buffer[400];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                     std::chars_format::fixed);
  if (written.ec != std::errc())
    return value;
  std::string digits;
  int pointPos = -1;
  for (const char* p = buffer; p != written.ptr; ++p) {
    if (*p == '.')
      pointPos = int(digits.size());
    else
      digits += *p;
  }
  if (pointPos < 0)
    pointPos = int(digits.size());
  // Digits kept: those before the place being rounded.
  const long keep = long(pointPos) + decimals;
  if (keep >= long(digits.size()))
    return value;
  if (keep < 0)
    return 0.0;
  const bool roundUp = digits[size_t(keep)] >= '5';
  std::string kept = digits.substr(0, size_t(keep));
  if (kept.empty())
    kept = "0";
  if (roundUp) {
    int i = int(kept.size()) - 1;
    while (i >= 0 && kept[size_t(i)] == '9')
      kept[size_t(i--)] = '0';
    if (i < 0)
      kept.insert(kept.begin(), '1');
    else
      ++kept[size_t(i)];
  }
  // The kept digits are an integer scaled by 10^-decimals. Only a rounding
  // left of the point can carry past the largest double: the result is then
  // no number (the caller reports it out of range). Right of the point no
  // number falls below the least double: a non-zero result is no smaller
  // than the value's first digit in its place (4e-324 for the least
  // double), which a double holds; the 0 there is never reached.
  const std::string text = kept + "e" + std::to_string(-decimals);
  double result = 0.0;
  if (std::from_chars(text.data(), text.data() + text.size(), result).ec ==
      std::errc::result_out_of_range)
    result = decimals < 0 ? HUGE_VAL : 0.0;
  return negative ? -result : result;
}

// Recursive descent over the six levels; the first fault ends the parse with
// its text in `error`.
class Parser {
 public:
  Parser(QString text, const CKvVarList* vars, QList<const CKvVar*>* active, int depth)
      : m_s(std::move(text)), m_vars(vars), m_active(active), m_depth(depth) {}

  bool parseAll(double& value) {
    skipBlanks();
    if (atEnd())
      return fail(QStringLiteral("表达式为空。"));
    if (!comparison(value))
      return false;
    if (!atEnd())
      return failTrailing();
    return true;
  }

  const QString& error() const { return m_error; }

 private:
  bool atEnd() const { return m_pos >= m_s.size(); }
  QChar peek() const { return atEnd() ? QChar() : m_s.at(m_pos); }

  void skipBlanks() {
    while (!atEnd()) {
      const char16_t c = m_s.at(m_pos).unicode();
      if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
        break;
      ++m_pos;
    }
  }

  // Consumes `op` (one or two characters) when the text continues with it.
  bool take(const char16_t* op) {
    qsizetype i = m_pos;
    for (; *op; ++op, ++i)
      if (i >= m_s.size() || m_s.at(i).unicode() != *op)
        return false;
    m_pos = i;
    skipBlanks();
    return true;
  }

  bool fail(const QString& text) {
    if (m_error.isEmpty())
      m_error = text;
    return false;
  }

  QString where() const {
    return QStringLiteral("第") + QString::number(m_pos + 1) + QStringLiteral("个字符“") +
           m_s.at(m_pos) + QStringLiteral("”");
  }

  bool failTrailing() {
    const QChar ch = peek();
    if (ch == u')')
      return fail(QStringLiteral("括号不匹配：") + where() + QStringLiteral("是多余的右括号。"));
    if (ch == u',')
      return fail(where() + QStringLiteral("多余：逗号只用来分隔函数的参数。"));
    if (isDigit(ch) || ch == u'.' || ch == u'(' || isNameStart(ch))
      return fail(where() + QStringLiteral("前缺少运算符。"));
    return fail(where() + QStringLiteral("无法识别。"));
  }

  bool failOperand() {
    if (atEnd())
      return fail(QStringLiteral("表达式不完整，末尾缺少运算数。"));
    const QChar ch = peek();
    if (ch == u')' || ch == u',' || QStringLiteral("+-*/^=<>").contains(ch))
      return fail(where() + QStringLiteral("前缺少运算数。"));
    return fail(where() + QStringLiteral("无法识别。"));
  }

  bool finite(double value) {
    if (std::isfinite(value))
      return true;
    return fail(QStringLiteral("计算结果超出范围。"));
  }

  bool enter() {
    if (++m_depth > kMaxDepth)
      return fail(QStringLiteral("表达式嵌套过深。"));
    return true;
  }

  // Level 1: comparisons.
  bool comparison(double& value) {
    if (!additive(value))
      return false;
    for (;;) {
      int op;
      if (take(u"<="))
        op = 0;
      else if (take(u">="))
        op = 1;
      else if (take(u"<>"))
        op = 2;
      else if (take(u"<"))
        op = 3;
      else if (take(u">"))
        op = 4;
      else if (take(u"="))
        op = 5;
      else
        return true;
      double right;
      if (!additive(right))
        return false;
      const bool equal = nearlyEqual(value, right);
      bool result = false;
      switch (op) {
        case 0: result = equal || value < right; break;
        case 1: result = equal || value > right; break;
        case 2: result = !equal; break;
        case 3: result = !equal && value < right; break;
        case 4: result = !equal && value > right; break;
        default: result = equal; break;
      }
      value = result ? 1.0 : 0.0;
    }
  }

  // Level 2: + and -.
  bool additive(double& value) {
    if (!multiplicative(value))
      return false;
    for (;;) {
      int sign;
      if (take(u"+"))
        sign = 1;
      else if (take(u"-"))
        sign = -1;
      else
        return true;
      double right;
      if (!multiplicative(right))
        return false;
      value = sign > 0 ? value + right : value - right;
      if (!finite(value))
        return false;
    }
  }

  // Level 3: * and /.
  bool multiplicative(double& value) {
    if (!unary(value))
      return false;
    for (;;) {
      bool divide;
      if (take(u"*"))
        divide = false;
      else if (take(u"/"))
        divide = true;
      else
        return true;
      double right;
      if (!unary(right))
        return false;
      if (divide && right == 0.0)
        return fail(QStringLiteral("除数为零。"));
      value = divide ? value / right : value * right;
      if (!finite(value))
        return false;
    }
  }

  // Level 4: a leading sign.
  bool unary(double& value) {
    if (!enter())
      return false;
    bool ok;
    if (take(u"-")) {
      ok = unary(value);
      value = -value;
    } else if (take(u"+")) {
      ok = unary(value);
    } else {
      ok = power(value);
    }
    --m_depth;
    return ok;
  }

  // Level 5: ^, right to left; the exponent may carry a sign.
  bool power(double& value) {
    if (!primary(value))
      return false;
    if (!take(u"^"))
      return true;
    double exponent;
    if (!unary(exponent))
      return false;
    if (value == 0.0 && exponent < 0)
      return fail(QStringLiteral("除数为零。"));
    const double result = std::pow(value, exponent);
    if (std::isnan(result))
      return fail(QStringLiteral("乘方运算无意义：负数不能开方。"));
    value = result;
    return finite(value);
  }

  // Level 6: numbers, brackets, functions and variables.
  bool primary(double& value) {
    const QChar ch = peek();
    if (isDigit(ch) || ch == u'.')
      return number(value);
    if (ch == u'(') {
      take(u"(");
      if (!comparison(value))
        return false;
      if (!take(u")")) {
        if (atEnd())
          return fail(QStringLiteral("括号不匹配：缺少右括号。"));
        return failTrailing();
      }
      return true;
    }
    if (isNameStart(ch))
      return name(value);
    return failOperand();
  }

  bool number(double& value) {
    const qsizetype start = m_pos;
    std::string text;
    bool point = false;
    while (!atEnd()) {
      const QChar ch = peek();
      if (isDigit(ch)) {
        text += char(ch.unicode());
      } else if (ch == u'.' && !point) {
        point = true;
        text += '.';
      } else {
        break;
      }
      ++m_pos;
    }
    if (text == ".") {
      m_pos = start;
      return fail(where() + QStringLiteral("不是数值。"));
    }
    if (peek() == u'.')
      return fail(where() + QStringLiteral("是多余的小数点。"));
    if (text.back() == '.')
      text.pop_back();
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value,
                                        std::chars_format::fixed);
    if (parsed.ec != std::errc() || !std::isfinite(value))
      return fail(QStringLiteral("数值“") + QString::fromLatin1(text.data(), qsizetype(text.size())) +
                  QStringLiteral("”超出范围。"));
    skipBlanks();
    return true;
  }

  bool name(double& value) {
    const qsizetype start = m_pos;
    while (!atEnd() && isNamePart(peek()))
      ++m_pos;
    const QString word = m_s.mid(start, m_pos - start);
    skipBlanks();
    if (peek() == u'(')
      return call(word, value);
    return variable(word, value);
  }

  bool call(const QString& word, double& value) {
    const QString fn = KvUpper(word);
    static const QStringList known = {QStringLiteral("ABS"), QStringLiteral("INT"),
                                      QStringLiteral("ROUND"), QStringLiteral("MAX"),
                                      QStringLiteral("MIN"), QStringLiteral("SQRT")};
    if (!known.contains(fn))
      return fail(QStringLiteral("未知函数“") + word + QStringLiteral("”。"));
    take(u"(");
    QList<double> args;
    if (!take(u")")) {
      for (;;) {
        double arg;
        if (!comparison(arg))
          return false;
        args.append(arg);
        if (take(u","))
          continue;
        if (take(u")"))
          break;
        if (atEnd())
          return fail(QStringLiteral("括号不匹配：缺少右括号。"));
        return failTrailing();
      }
    }
    const qsizetype n = args.size();
    const bool single = fn == u"ABS" || fn == u"INT" || fn == u"SQRT";
    if ((single && n != 1) || (fn == u"ROUND" && (n < 1 || n > 2)) || n < 1)
      return fail(QStringLiteral("函数“") + word + QStringLiteral("”的参数个数不对。"));
    if (fn == u"ABS") {
      value = std::fabs(args[0]);
    } else if (fn == u"INT") {
      value = std::floor(args[0]);
    } else if (fn == u"SQRT") {
      if (args[0] < 0)
        return fail(QStringLiteral("负数不能开平方。"));
      value = std::sqrt(args[0]);
    } else if (fn == u"ROUND") {
      const double places = n > 1 ? std::trunc(args[1]) : 0.0;
      value = roundDecimal(args[0], int(std::clamp(places, -400.0, 400.0)));
    } else if (fn == u"MAX") {
      value = *std::max_element(args.begin(), args.end());
    } else {
      value = *std::min_element(args.begin(), args.end());
    }
    return finite(value);
  }

  bool variable(const QString& word, double& value) {
    const CKvVar* var = m_vars ? m_vars->Find(word) : nullptr;
    if (!var)
      return fail(QStringLiteral("未知变量“") + word + QStringLiteral("”。"));
    if (m_active->contains(var))
      return fail(QStringLiteral("变量“") + var->strName + QStringLiteral("”循环引用。"));
    m_active->append(var);
    Parser inner(CCaculate::Normalize(var->strExp), m_vars, m_active, m_depth + 1);
    const bool ok = m_depth + 1 <= kMaxDepth ? inner.parseAll(value)
                                              : inner.fail(QStringLiteral("表达式嵌套过深。"));
    m_active->removeLast();
    if (ok)
      return true;
    // A fault deeper down is reported as it stands; only the innermost
    // variable names where it lies.
    if (inner.error().startsWith(QStringLiteral("变量“")))
      return fail(inner.error());
    return fail(QStringLiteral("变量“") + var->strName + QStringLiteral("”的表达式有误：") +
                inner.error());
  }

  const QString m_s;
  qsizetype m_pos = 0;
  const CKvVarList* m_vars;
  QList<const CKvVar*>* m_active;
  int m_depth;
  QString m_error;
};

}  // namespace

CCaculate::CCaculate(const CKvVarList* vars) : m_vars(vars) {}

bool CCaculate::Evaluate(const QString& expression, double* value) {
  m_error.clear();
  const QString text = Normalize(expression);
  QList<const CKvVar*> active;
  Parser parser(text, m_vars, &active, 0);
  double result = 0.0;
  if (!parser.parseAll(result)) {
    m_error = parser.error();
    return false;
  }
  if (result == 0.0)
    result = 0.0;  // no negative zero
  if (value)
    *value = result;
  return true;
}

bool CCaculate::EvaluateText(const QString& expression, QString* result) {
  double value = 0.0;
  if (!Evaluate(expression, &value))
    return false;
  if (result)
    *result = ResultText(value);
  return true;
}

QString CCaculate::ResultText(double value) {
  if (!std::isfinite(value))
    return QString();
  const double magnitude = std::fabs(value);
  const int intDigits = magnitude < 1.0 ? 1 : int(std::floor(std::log10(magnitude))) + 1;
  const int decimals = std::clamp(15 - intDigits, 0, 10);
  char buffer[400];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (written.ec != std::errc())
    return QString();
  QString text = QString::fromLatin1(buffer, written.ptr - buffer);
  if (text.contains(u'.')) {
    while (text.endsWith(u'0'))
      text.chop(1);
    if (text.endsWith(u'.'))
      text.chop(1);
  }
  if (text == u"-0")
    text = QStringLiteral("0");
  return text;
}

QString CCaculate::Normalize(const QString& expression) {
  QString text = expression;
  for (QChar& ch : text) {
    const char16_t c = ch.unicode();
    if (c >= 0xFF01 && c <= 0xFF5E)  // full-width forms of ASCII ! to ~
      ch = QChar(c - 0xFF01 + 0x21);
    else if (c == 0x3000)  // ideographic space
      ch = QChar(u' ');
    else if (c == 0x00D7)  // ×
      ch = QChar(u'*');
    else if (c == 0x00F7)  // ÷
      ch = QChar(u'/');
    else if (c == 0x3001)  // 、
      ch = QChar(u',');
    else if (c == 0x3002)  // 。
      ch = QChar(u'.');
  }
  return text;
}
