#include "ui/CKvTreeComboEdit.h"

#include "ui/CKvTreeCombo.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

CKvTreeComboEdit::CKvTreeComboEdit(CKvTreeCombo* combo) : QLineEdit(combo), m_combo(combo) {
  setReadOnly(true);
  setFrame(false);
  setContextMenuPolicy(Qt::NoContextMenu);
}

void CKvTreeComboEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Down && !(event->modifiers() & ~Qt::KeypadModifier)) {
    m_combo->onButton();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void CKvTreeComboEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    setFocus(Qt::MouseFocusReason);
    m_combo->onButton();
    return;
  }
  QLineEdit::mousePressEvent(event);
}

void CKvTreeComboEdit::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

void CKvTreeComboEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, colours.color(QPalette::Highlight));
  colours.setColor(QPalette::Text, colours.color(QPalette::HighlightedText));
  setPalette(colours);
}

void CKvTreeComboEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  setPalette(QPalette());
}

void CKvTreeComboEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (!hasFocus())
    return;
  QStylePainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = rect().adjusted(1, 1, -1, -1);
  option.backgroundColor = palette().color(QPalette::Highlight);
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}
