#pragma once
// Numbers held as text: the numeric test every text-to-number conversion
// shares, locale-free conversions, integers as zero-padded digit texts, and
// small numeric helpers (fills, membership, min/max, sign).

#include <QList>
#include <QString>
#include <initializer_list>

// True when the text is a plain decimal number: an optional leading "-",
// digits and at most one "."; no blanks, signs elsewhere or exponents.
// Leading zeros of the integer part and trailing zeros of the decimals do not
// count against the limits. `maxIntDigits` 0 or less: no limit on integer
// digits; `maxDecimals` 0: no decimal point allowed, below 0: no limit.
// The empty text, "-" and "." pass.
bool KvIsNumberText(const QString& text, int maxIntDigits = -1, int maxDecimals = -1);

// The integer a text holds: `defaultValue` when the text is blank, 0 when it
// is not a number (blanks around the digits included), else its integer part
// (12.9 gives 12). Values beyond the int range are clamped.
int KvStrToInt(const QString& text, int defaultValue = 0);
// Same as KvStrToInt; kept as the name callers use for "long" fields.
int KvStrToLong(const QString& text, int defaultValue = 0);

// The value of a number text; 0 when KvIsNumberText refuses the text.
// Never uses the user's locale.
double KvTextToDouble(const QString& text);

// Reads a number the operator typed, strictly: the empty text is no number
// (0); any other text must hold a digit and pass KvIsNumberText with the
// limits. False for every other text ("-", "." and "-." alone, thousands
// separators, letters), with *value 0. KvTextToDouble is for stored data.
bool KvReadTypedNumber(const QString& text, int maxIntDigits, int maxDecimals, double* value);

// Reads the integer at the start of the text as a C "%d" read does: leading
// white space skipped, an optional sign, then digits; the rest is ignored.
// 0 when there are no digits; clamped to the int range.
int KvLeadingInt(const QString& text);

// Reads up to `count` integers separated by white space into values[0..],
// as a C "%d%d..." scan does with whole items: the scan stops at the first
// item that is not an integer, and the values not read keep what they held.
// Returns how many were read.
int KvScanInts(const QString& text, int* values, int count);

// Writes the value as digits zero-padded on the left to `width`. Returns
// false (and still writes) when the value is negative (its sign is dropped)
// or has more digits than the width (only the rightmost `width` digits are
// kept); a value of 0 with `keepZero` off writes the empty text and returns
// false. `out` may be null.
bool KvFormatInt(int value, QString* out, int width, bool keepZero);

// KvFormatInt with zeros kept: 7 at width 2 gives "07"; 5 at width 0 gives "".
QString KvIntToText(int value, int width);

// The number one above `highest`, zero-padded to `width` digits. Computed
// wide, so the top never wraps round to zeros: when the number would pass
// `width` digits (or the int range) the result is "" and *pRefusal (when
// given) gets "<what>已到最大值<the bound>，不能再自动编号！".
QString KvNextNumberText(qint64 highest, int width, const QString& what, QString* pRefusal);

// Rewrites the text as KvFormatInt of the integer read from its start
// (0 when there is none); returns what KvFormatInt returns.
bool KvFormatIntFrom(QString& text, int width, bool keepZero);

// KvFormatIntFrom with zeros kept, on a copy.
QString KvFormatIntText(const QString& text, int width);

void KvFillInts(QList<int>& list, int value);
void KvFillDoubles(QList<double>& list, double value);
// Fills `count` words from `buffer`; nothing when count is 0 or less.
void KvFillDwords(quint32* buffer, int count, quint32 value);

bool KvIntInList(int value, std::initializer_list<int> values);
// Index of the first element equal to the value, -1 when none.
int KvIndexOfInt(int value, const QList<int>& list);

inline int KvMax(int a, int b) { return a > b ? a : b; }
inline int KvMin(int a, int b) { return a < b ? a : b; }
// Absolute value; the most negative int has none and is returned unchanged.
inline int KvAbs(int value) { return value < 0 ? int(0u - unsigned(value)) : value; }

// 1 when the value is at least 0.0000001, 0 when it is at least -0.0000001,
// else -1: a sign that ignores rounding noise.
int KvSign(double value);
