#pragma once
// How a field that takes typed text refuses a paste of the operator: a
// beep, and a tip under the field naming the characters the field never
// takes, or saying that the text is too long for it. A paste refused for
// another reason (a number out of range) only beeps. The tip is plain
// text: the clipboard's text is never read as markup. The edit field and
// the grid's cells both refuse through it, so that they tell a paste alike.

#include <QString>

class QRect;
class QWidget;

class KvPasteRefusal {
 public:
  // Notes that a field of the input type (type and limits, as
  // core/KvInputType.h reads them) refused `pasted`, which would have made
  // its text `candidate`. The first refusal with a reason to name gives
  // the tip.
  void Add(const QString& pasted, const QString& candidate, const QString& type, int limit1, int limit2);
  // Whether any refusal was noted.
  bool Any() const { return m_bAny; }
  // Beeps and shows the tip at the bottom left of `under`, a rectangle in
  // the widget's coordinates; nothing when no refusal was noted.
  void Tell(QWidget* widget, const QRect& under) const;

 private:
  bool m_bAny = false;
  QString m_tip;
};

// Whether the text satisfies the input type once its width limit is lifted
// (a NUMBER, DOUBLE, STRING or CLASSNOSTRING type; false for another).
bool KvAcceptsAnyWidth(const QString& text, const QString& type, int limit1, int limit2);
