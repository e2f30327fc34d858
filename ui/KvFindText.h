#pragma once
// What a list or a tree is looking for: a text from the find dialog, or a
// type-ahead text built from the letters typed into the control. Both
// controls keep one of these and walk their own items; an item matches when
// its text contains the find text (case counts), and while typing ahead the
// item's pinyin initials stand for its text, so typing "ZS" finds "张三".

#include <QString>

class QKeyEvent;
class QWidget;

class KvFindText {
 public:
  // Runs the find dialog over the control (column -1: none named). The find
  // text is emptied and type-ahead ends first; true, with the dialog's text
  // as the find text, when the dialog ended with OK.
  bool Ask(QWidget* control, int column);

  // A character typed into the control. An ASCII letter extends the
  // type-ahead text (a new one when the find text came from the dialog),
  // which is kept in upper case; true then: search now. Any other character
  // empties the find text (false).
  bool Type(QChar ch);
  // Type with the character of a key typed into the control (one without
  // Ctrl or Alt that gives a printable character); false for other keys.
  bool TypeKey(const QKeyEvent* event);

  // Whether an item's text matches the find text.
  bool Matches(const QString& itemText) const;

  const QString& Text() const { return m_text; }
  bool IsTypeAhead() const { return m_typeAhead; }

 private:
  bool m_typeAhead = true;
  QString m_text;
};
