#pragma once
// KvFormat: the program's general string builder with printf semantics
// (%d %i %u %o %x %X %c %s %f %F %e %E %g %G %%, the flags - 0 + blank #,
// widths, precisions and "*" taking an int argument; length modifiers such
// as l, ll, h and I64 are accepted and the argument's own type decides).
//
// The arguments are typed: each becomes a KvFormatArg, so a wrong or missing
// argument never crashes. A missing argument formats as 0 for numbers and as
// the empty text for %s and %c; a number under %s prints its digits, a
// double under %d its integer part, a text under a number conversion 0.
// Widths and precisions of %s and %c count text width (KvWidth.h: ASCII 1,
// other 2) and a precision cut never splits a character. Numbers never use
// the user's locale: the decimal point is always ".".

#include <QByteArray>
#include <QChar>
#include <QString>
#include <type_traits>

class KvFormatArg {
public:
  enum Kind : unsigned char { Integer, Character, Floating, Text, Utf8 };

  template <typename T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
  KvFormatArg(T value)
      : m_kind(Integer), m_signed(std::is_signed_v<T>), m_bytes(sizeof(T)) {
    if constexpr (std::is_signed_v<T>)
      m_bits = quint64(qint64(value));
    else
      m_bits = quint64(value);
  }
  KvFormatArg(bool value) : KvFormatArg(int(value)) {}
  // A character prints as itself under %s and %c, as its code under %d.
  KvFormatArg(char value) : m_kind(Character), m_bytes(2), m_bits(static_cast<unsigned char>(value)) {}
  KvFormatArg(QChar value) : m_kind(Character), m_bytes(2), m_bits(value.unicode()) {}
  template <typename T>
    requires std::is_enum_v<T>
  KvFormatArg(T value) : KvFormatArg(std::underlying_type_t<T>(value)) {}
  KvFormatArg(double value) : m_kind(Floating), m_double(value) {}
  KvFormatArg(float value) : KvFormatArg(double(value)) {}
  KvFormatArg(const QString& value) : m_kind(Text), m_text(&value) {}
  // Only text that outlives the call is referenced: a temporary made by a
  // conversion (from QLatin1StringView, say) would dangle, so it is refused.
  KvFormatArg(QString&&) = delete;
  KvFormatArg(QByteArray&&) = delete;
  // A C string or byte array is taken as UTF-8; a null pointer as empty.
  KvFormatArg(const char* value)
      : m_kind(Utf8), m_utf8(value), m_utf8Size(qsizetype(qstrlen(value))) {}
  KvFormatArg(const QByteArray& value) : m_kind(Utf8), m_utf8(value.constData()), m_utf8Size(value.size()) {}

  Kind kind() const { return m_kind; }
  bool isSigned() const { return m_signed; }
  int bytes() const { return m_bytes; }
  quint64 bits() const { return m_bits; }
  double floating() const { return m_double; }
  const QString& text() const { return *m_text; }
  const char* utf8() const { return m_utf8; }
  qsizetype utf8Size() const { return m_utf8Size; }

private:
  Kind m_kind;
  bool m_signed = false;
  unsigned char m_bytes = 0;
  quint64 m_bits = 0;
  double m_double = 0.0;
  const QString* m_text = nullptr;
  const char* m_utf8 = nullptr;
  qsizetype m_utf8Size = 0;
};

// Formats `count` prepared arguments; KvFormat is the way to call it.
QString KvFormatArgs(const QString& format, const KvFormatArg* args, qsizetype count);

template <typename... A>
QString KvFormat(const QString& format, const A&... args) {
  if constexpr (sizeof...(A) == 0) {
    return KvFormatArgs(format, nullptr, 0);
  } else {
    const KvFormatArg list[] = {KvFormatArg(args)...};
    return KvFormatArgs(format, list, qsizetype(sizeof...(A)));
  }
}
