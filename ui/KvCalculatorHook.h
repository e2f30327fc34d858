#pragma once
// The calculator as the dialogs and controls reach it. The calculator dialog
// lives above this library; at start-up it installs itself here.

#include <QString>
#include <functional>

class QWidget;

// Runs the calculator modally with the initial expression. With bSendBack
// the calculator offers to send its result back; the function returns true
// when the user chose to, with the result in *result.
using KvCalculatorFn = std::function<bool(bool bSendBack, const QString& expression,
                                          QWidget* parent, QString* result)>;

// Installs the calculator (an empty function removes it).
void KvSetCalculator(KvCalculatorFn fn);

// Runs the installed calculator; with none installed it returns false and
// does nothing.
bool KvRunCalculator(bool bSendBack, const QString& expression, QWidget* parent,
                     QString* result);

// A result with more decimals than a cell or field keeps (decimals 0 or
// more), rounded to them as every amount shown is; other texts as they are.
QString KvCalculatorResultFor(const QString& result, int decimals);

// Tells the operator that a result sent back from the calculator could not
// go into its cell or field: "计算结果“<result>”不能放入本栏！".
void KvTellCalculatorResultRefused(const QString& result);
