#pragma once
// Money amounts in Chinese capitals, as written on receipts: 105 gives
// "壹佰零伍元整", 0.5 "伍角整", 100000000 "壹亿元整".

#include <QString>

// The amount rounded to fen, in capitals; "负" in front of a negative amount,
// "零元整" for an amount that rounds to zero, "整" at the end when there is no
// fen. The empty text for an infinite or undefined value.
QString KvAmountToChinese(double amount);

// Writes into `out` the capital of one digit followed by the unit of its
// position (-2 分, -1 角, 0 元, 1 拾, 2 佰, 3 仟, 4 万, ... 8 亿, ...). A zero
// digit writes only its unit, and that only at positions 0, 4 and 8 (and
// every further fourth place: 万 and 亿 alternate); elsewhere, and for a
// digit outside 0-9, it writes the empty text.
void KvDigitToCapital(int digit, int position, QString* out);
