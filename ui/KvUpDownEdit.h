#pragma once
// An edit field with up and down arrows for a whole number, as data-entry
// dialogs pair an edit with its up-down buddy.
//
// The range binds the arrows only: they step within it and stop at its
// ends. What the operator types is any whole number (digits with an
// optional leading minus sign, at most nine digits) and stays as typed, in
// range or not; the dialog judges it when it stores the value (InRange),
// and so can name the field in its refusal. An empty text or a lone minus
// sign is not a number. A range whose maximum lies below its minimum holds
// no number: the arrows do nothing and no text is in range.

#include <QAbstractSpinBox>

class KvUpDownEdit : public QAbstractSpinBox {
  Q_OBJECT
 public:
  explicit KvUpDownEdit(QWidget* parent = nullptr);

  void SetRange(int minimum, int maximum);
  int Minimum() const { return m_nMinimum; }
  int Maximum() const { return m_nMaximum; }

  // Shows the number (the arrows' position), in range or not.
  void SetPos(int value);
  // The number the text holds; ok false when it holds none.
  int Pos(bool* ok = nullptr) const;
  // Whether the text holds a number inside the range.
  bool InRange() const;

  void stepBy(int steps) override;
  QValidator::State validate(QString& input, int& pos) const override;

 protected:
  StepEnabled stepEnabled() const override;

 private:
  int m_nMinimum = 0;
  int m_nMaximum = 100;
};
