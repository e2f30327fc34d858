#include "forms/KvChoiceMenu.h"

#include <QKeyEvent>

KvChoiceMenu::KvChoiceMenu(QWidget* parent) : QMenu(parent) {
  setObjectName(QStringLiteral("menu_choices"));
}

void KvChoiceMenu::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
  const QString text = event->text();
  // A space is typed too: the lines are chosen with Enter or the mouse.
  const bool printable = !text.isEmpty() && text.at(0).isPrint() && modifiers == Qt::NoModifier;
  if (!printable) {
    QMenu::keyPressEvent(event);
    return;
  }
  m_typedText = text;
  m_nTypedKey = event->key();
  m_typedModifiers = event->modifiers();
  event->accept();
  close();
}
