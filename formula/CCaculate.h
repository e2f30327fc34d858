#pragma once
// The expression evaluator of the calculator and of the grids' formula
// columns.
//
// Precedence, lowest to highest (six levels):
//   1. comparisons  =  <>  <  >  <=  >=   give 1 (true) or 0 (false); two
//      values are equal when they differ by no more than 1e-9 of the larger
//      (at least 1e-9), so 0.1+0.2=0.3 holds; left to right
//   2. additive     +  -                  left to right
//   3. multiplicative  *  /               left to right; dividing by 0 fails
//   4. unary sign   -x  +x
//   5. power        x^y                   right to left: 2^3^2 is 2^9
//   6. primary      numbers, ( ), function calls, variable names
// Because the sign binds more loosely than the power, -2^2 is -(2^2) = -4,
// as written in mathematics; the exponent may carry its own sign (2^-1 is
// 0.5) and (-2)^2 is 4.
//
// Numbers are decimal digits with an optional point (".5" and "5." too), no
// exponent and no grouping commas, read without the user's locale.
// Functions (names without regard to ASCII case):
//   ABS(x); INT(x) the greatest integer not above x (INT(-2.5) is -3);
//   ROUND(x) and ROUND(x, n) rounded half away from zero at n decimals
//   (n below 0 rounds to tens, hundreds, ...), on the decimal digits the
//   number shows (ROUND(2.675, 2) is 2.68); MAX(...) and MIN(...) of one or
//   more arguments; SQRT(x) for x not below 0.
// A name that is not followed by "(" is a variable of the list given to the
// evaluator: its value is its expression's value (variables may use other
// variables; a cycle fails).
//
// Full-width characters that a Chinese input method types (digits, letters,
// operators, brackets, "，") and "×", "÷", "、" (argument separator), "。"
// (decimal point) and the ideographic space are read as their ASCII
// counterparts.
//
// Any fault (empty expression, a character or name that cannot be read,
// unbalanced brackets, a missing operand, division by zero, a result out of
// range, a wrong number of arguments) makes the evaluation fail with a
// Chinese text saying what is wrong; it never gives a value then.

#include <QString>

class CKvVarList;

class CCaculate {
 public:
  // `vars` (may be null) gives the variables; it must outlive the evaluator.
  explicit CCaculate(const CKvVarList* vars = nullptr);

  void SetVarList(const CKvVarList* vars) { m_vars = vars; }

  // Evaluates the expression. True with the value in `value` (may be null);
  // false with the reason in ErrorText().
  bool Evaluate(const QString& expression, double* value = nullptr);

  // Evaluate, the value written as ResultText.
  bool EvaluateText(const QString& expression, QString* result);

  // The reason of the last failure; empty after a success.
  const QString& ErrorText() const { return m_error; }

  // The value as the calculator shows it: at most 10 decimals and at most 15
  // significant digits where the integer part allows, trailing zeros and a
  // trailing point dropped, no grouping, "-0" shown as "0"; locale-free.
  static QString ResultText(double value);

  // The expression with full-width and other input-method characters
  // replaced by their ASCII counterparts, character for character (positions
  // stay the same).
  static QString Normalize(const QString& expression);

 private:
  const CKvVarList* m_vars;
  QString m_error;
};
