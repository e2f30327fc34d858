#include "forms/KvChoiceMenu.h"

#include <QKeyEvent>

namespace {
// A key that runs a command of the window: any key pressed with Ctrl (Ctrl
// itself and the other modifier keys are none), and F1, F3, F5 and F12.
bool isCommandKey(const QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
      return false;
    case Qt::Key_F1:
    case Qt::Key_F3:
    case Qt::Key_F5:
    case Qt::Key_F12:
      return true;
    default:
      return event->modifiers() & Qt::ControlModifier;
  }
}
}  // namespace

KvChoiceMenu::KvChoiceMenu(QWidget* parent) : QMenu(parent) {
  setObjectName(QStringLiteral("menu_choices"));
}

void KvChoiceMenu::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
  const QString text = event->text();
  // A space is typed too: the lines are chosen with Enter or the mouse.
  const bool printable = !text.isEmpty() && text.at(0).isPrint() && modifiers == Qt::NoModifier;
  const bool command = isCommandKey(event);
  if (!printable && !command) {
    QMenu::keyPressEvent(event);
    return;
  }
  m_typedText = text;
  m_nTypedKey = event->key();
  m_typedModifiers = event->modifiers();
  m_bCommandKey = command;
  event->accept();
  close();
}
