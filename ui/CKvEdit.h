#pragma once
// The edit field of data-entry dialogs. It holds an input type
// ("STRING DIGIT", "NUMBER 100 900", "DOUBLE", ...; see core/KvInputType.h)
// with two limits, and refuses every change of the operator that would make
// its text fail the input type: a typed character or an input-method
// commit is dropped without a sound, and a paste, drop, cut or deletion that
// makes the text fail leaves the text as it was. A refused paste (Ctrl+V,
// Shift+Insert or the field's menu) beeps and shows a tip naming the
// characters the field never takes, or saying that the text is too long;
// a paste refused for another reason (a number out of range) only beeps.
// A text the program sets is
// always kept, whether or not it satisfies the input type; the operator's
// changes are then judged from it.
//
// F12 opens the calculator with the field's number, also where the window
// has a shortcut on F12; its result is sent back into the field when the
// field is editable, enabled and visible, and a result the input type
// refuses is told ("计算结果“%1”不能放入本栏！") and not written.

#include <QLineEdit>
#include <QString>

class CKvEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit CKvEdit(QWidget* parent = nullptr);

  // The input type and its limits (-1: no limit). "MDBSTRING" is stored
  // as "STRING NOT |[]'", the same rule. The text already in the field stays.
  void SetInputType(const QString& inputType, int limit1 = -1, int limit2 = -1);
  QString InputType() const { return m_strInputType; }
  int Limit1() const { return m_nLimit1; }
  int Limit2() const { return m_nLimit2; }

  // Whether the whole text satisfies the input type.
  bool Accepts(const QString& text) const;
  // Whether the text satisfies the input type once its width limit is lifted.
  bool AcceptsAnyWidth(const QString& text) const;

  // The calculator, as F12 opens it.
  void OnCalculator();

  // The calculator's initial expression for the field's text: its number
  // with up to 6 decimals, without separators; empty for zero or no number.
  static QString CalculatorExpression(const QString& text);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  class TypeValidator;
  friend class TypeValidator;
  // The validator's verdict on a text the field is about to hold.
  bool Admits(const QString& text);
  // Refuses pasting the clipboard's text when the field would not take it,
  // with a beep and a tip; false when the paste may go ahead.
  bool RefusePaste();

  QString m_strInputType;
  int m_nLimit1 = -1;
  int m_nLimit2 = -1;
  // Non-zero while an event of the operator is being handled: changes made
  // then are the operator's, any other change is the program's.
  int m_userDepth = 0;
  // The last text the program set, admitted as it is.
  QString m_programText;
};
