#pragma once
// Numbers shown as text: amounts with widths, decimals and thousands
// separators, rounding as shown, and spreadsheet patterns and column names.
// None of them uses the user's locale.

#include <QString>

// The number formatter: rounds to `maxDecimals` (see KvRoundDecimals), drops
// trailing zero decimals down to `minDecimals`, groups the integer digits by
// three with "," and right-aligns the result in `width` (a negative width is
// taken as positive; 0 means no alignment). When the text with its separators
// does not fit, the separators are left out; when even the bare number does
// not fit, the width is filled with "*". A value that rounds to zero gives
// blanks of the width, unless `showZero` is set: then zero is printed with
// `minDecimals` decimals ("%*.*f" when the width is not 0).
QString KvFormatNumber(double value, int width, int minDecimals, int maxDecimals, bool showZero);

// KvFormatNumber; when `prefix` is not empty and the result is not blank, the
// result is the prefix followed by the number without its blanks.
QString KvNumToText(double value, int width, int minDecimals, int maxDecimals, bool showZero,
                    const QString& prefix = QString());
QString KvNumToText(int value, int width, int minDecimals, int maxDecimals, bool showZero,
                    const QString& prefix = QString());

// The value rounded half away from zero at `decimals` places (decimals below
// 0: unchanged). The value is first moved 1e-10 away from zero so that
// amounts such as 1.005, held as 1.00499..., round as written.
double KvRoundDecimals(double value, int decimals);

// The value with up to 6 decimals, no separators and no trailing zeros;
// the empty text for zero.
QString KvDoubleToText(double value);

// Spreadsheet number format with grouping: "#,##0", or "#,##0.00" for 2.
QString KvNumberFormatPattern(int decimals);

// Spreadsheet column name of a column counted from 0: 0 "A", 25 "Z",
// 26 "AA"; a negative column is taken as its absolute value.
QString KvColumnLetters(int column);
