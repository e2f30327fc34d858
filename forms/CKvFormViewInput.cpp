// The keyboard and the mouse of the grid view.

#include "forms/CKvFormView.h"

#include "ui/CKvCommandRouter.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

int CKvFormView::keyCommand(const QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const int key = event->key();
  if (modifiers == Qt::ControlModifier) {
    switch (key) {
      case Qt::Key_C: return KV_CMD_EDIT_COPY;
      case Qt::Key_X: return KV_CMD_EDIT_CUT;
      case Qt::Key_V: return KV_CMD_EDIT_PASTE;
      case Qt::Key_Z: return KV_CMD_EDIT_UNDO;
      case Qt::Key_Y: return KV_CMD_EDIT_REDO;
      case Qt::Key_A: return KV_CMD_EDIT_SELECT_ALL;
      case Qt::Key_F: return KV_CMD_EDIT_FIND;
      case Qt::Key_H: return KV_CMD_EDIT_REPLACE;
      case Qt::Key_B: return KV_CMD_PASTE_MANY;
      case Qt::Key_L: return KV_CMD_PASTE_COLUMN;
      case Qt::Key_T: return KV_CMD_OVERLAY_PRINT;
      case Qt::Key_P: return KV_CMD_FILE_PRINT;
      case Qt::Key_S: return KV_CMD_FILE_SAVE;
      case Qt::Key_Return:
      case Qt::Key_Enter: return KV_CMD_APPEND_ROW;
      default: return 0;
    }
  }
  if (modifiers == Qt::ShiftModifier && (key == Qt::Key_Return || key == Qt::Key_Enter))
    return KV_CMD_INSERT_ROW;
  if (modifiers == Qt::NoModifier) {
    switch (key) {
      case Qt::Key_F3: return KV_CMD_EDIT_FIND_NEXT;
      case Qt::Key_F5: return KV_CMD_REFRESH;
      case Qt::Key_F12: return KV_CMD_CALCULATOR;
      case Qt::Key_Delete: return KV_CMD_DELETE;
      default: return 0;
    }
  }
  return 0;
}

bool CKvFormView::handleKey(QKeyEvent* event) {
  const KvGridCell cell = m_model.Current();
  const bool inEditor = m_bEditing && m_editCell.SameCell(cell);
  const int command = keyCommand(event);
  if (command == KV_CMD_EDIT_SELECT_ALL && inEditor && (m_bEditDirty || m_bCaretInText)) {
    // In an editor being typed into, Ctrl+A selects its text, as in any
    // edit box; elsewhere it selects every cell.
    m_pEditor->selectAll();
    return true;
  }
  if (RunKeyCommand(command))
    return true;
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const bool shift = modifiers == Qt::ShiftModifier;
  if (modifiers != Qt::NoModifier && !shift)
    return false;
  switch (event->key()) {
    case Qt::Key_F4:
      if (shift)
        return false;
      ShowCellChoices(0);
      return true;
    case Qt::Key_F2:
      // The caret goes to the end of the cell's text, for typing into it.
      if (shift || !inEditor)
        return false;
      m_pEditor->end(false);
      m_bCaretInText = true;
      return true;
    case Qt::Key_Escape:
      return !shift && inEditor && closeEditor();
    case Qt::Key_Tab:
      if (shift)
        return false;
      moveTo(m_model.NextCell(cell), false, 1);
      return true;
    case Qt::Key_Backtab:
      moveTo(m_model.PreviousCell(cell), false, 1);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (shift)
        return false;
      moveTo(m_model.NextCell(cell), false, 1);
      return true;
    case Qt::Key_Left: {
      // Inside the text the caret moves; at its start the cell to the left.
      if (inEditor && (m_pEditor->cursorPosition() > 0 || (!shift && m_pEditor->hasSelectedText())))
        return false;
      if (cell.column == 0)
        return true;
      KvGridCell target{0, cell.row, cell.column - 1, cell.area};
      target.caret = int(ReadCell(target.row, target.column, KvGridAreaName(target.area)).size());
      moveTo(target, shift, 1);
      return true;
    }
    case Qt::Key_Right: {
      if (inEditor && (m_pEditor->cursorPosition() < m_pEditor->text().size() ||
                       (!shift && m_pEditor->hasSelectedText())))
        return false;
      if (cell.column + 1 >= m_model.CellsInRow(cell.area, cell.row))
        return true;
      moveTo(KvGridCell{0, cell.row, cell.column + 1, cell.area}, shift, 1);
      return true;
    }
    case Qt::Key_Up:
      moveTo(m_model.CellAbove(cell), shift, 1);
      return true;
    case Qt::Key_Down:
      moveTo(m_model.CellBelow(cell), shift, 1);
      return true;
    default:
      return false;
  }
}

namespace {
// The text a key types: printable, with no Ctrl or Alt; empty otherwise.
QString typedTextOf(const QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers =
      event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
  const QString text = event->text();
  return !text.isEmpty() && text.at(0).isPrint() && modifiers == Qt::NoModifier ? text : QString();
}
}  // namespace

void CKvFormView::keyPressEvent(QKeyEvent* event) {
  if (handleKey(event)) {
    event->accept();
    return;
  }
  // A key that reaches the grid rather than its editor (the window's focus
  // was given back to the grid) goes into the current cell.
  if (m_bEditing && m_editCell.SameCell(m_model.Current()) && !typedTextOf(event).isEmpty()) {
    m_pEditor->setFocus();
    QApplication::sendEvent(m_pEditor, event);
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

bool CKvFormView::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (HandlesCmd(keyCommand(key))) {
      event->accept();
      return true;
    }
  } else if (event->type() == QEvent::KeyPress) {
    // Tab would move the focus out of the grid.
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && handleKey(key))
      return true;
  }
  return QAbstractScrollArea::event(event);
}

bool CKvFormView::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_pEditor)
    return QAbstractScrollArea::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (HandlesCmd(keyCommand(key))) {
        event->accept();
        return true;
      }
      break;
    }
    case QEvent::KeyPress: {
      // The caret before the operator's first change is what undo restores.
      if (!m_bEditDirty)
        m_nStepCaret = m_pEditor->cursorPosition();
      auto* key = static_cast<QKeyEvent*>(event);
      if (handleKey(key) || refuseTooWide(typedTextOf(key)))
        return true;
      break;
    }
    case QEvent::InputMethod:
      if (!m_bEditDirty)
        m_nStepCaret = m_pEditor->cursorPosition();
      // The editor drops a commit that does not fit; the operator is told.
      refuseTooWide(static_cast<QInputMethodEvent*>(event)->commitString());
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton)
        break;
      if (event->type() == QEvent::MouseButtonDblClick) {
        putCaretAt(m_pEditor->mapTo(viewport(), mouse->position().toPoint()));
        return true;
      }
      // Until the operator types or puts the caret in, a click keeps the
      // whole text selected; after that the editor places its caret.
      if (m_bCaretInText)
        break;
      m_pEditor->selectAll();
      m_pEditor->setFocus();
      return true;
    }
    case QEvent::ContextMenu:
      ShowContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    case QEvent::FocusIn:
      KvCommandsChanged();
      break;
    default:
      break;
  }
  return QAbstractScrollArea::eventFilter(watched, event);
}

void CKvFormView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  if (m_bEditing)
    m_pEditor->setFocus();
  KvCommandsChanged();
}

KvGridHit CKvFormView::hitAt(const QPoint& pos) {
  const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
  KvGridHit hit = m_model.HitTest(QPoint(pos.x(), pos.y() + scroll.y()), scroll.x());
  if (hit.area != KvGridArea::Head && hit.area != KvGridArea::Foot)
    return hit;
  // A note is hit where it is drawn: the last one starting at or left of
  // the point (the first note is never moved).
  const QList<KvNotePlace> places =
      NotePlaces(m_model, ScreenPass(), viewport(), hit.area == KvGridArea::Foot, hit.row);
  const int x = pos.x() + scroll.x();
  hit.column = 0;
  while (hit.column + 1 < places.size() && places.at(hit.column + 1).rect.left() <= x)
    ++hit.column;
  return hit;
}

bool CKvFormView::onEditedCell(const QPoint& pos) {
  const KvGridHit hit = hitAt(pos);
  const KvGridCell cell{0, hit.row, hit.column, hit.area};
  return m_bEditing && m_editCell.SameCell(cell) && m_model.Current().SameCell(cell);
}

void CKvFormView::putCaretAt(const QPoint& pos) {
  m_pEditor->setCursorPosition(m_pEditor->cursorPositionAt(m_pEditor->mapFrom(viewport(), pos)));
  m_bCaretInText = true;
  if (!m_bEditDirty)
    m_nStepCaret = m_pEditor->cursorPosition();
  syncEditorSelection();
  // The keys typed next go into the clicked cell, whatever the click's
  // activation of the window did with the focus.
  m_pEditor->setFocus();
}

void CKvFormView::clickAt(const QPoint& pos, Qt::KeyboardModifiers modifiers, bool rightButton) {
  const KvGridHit hit = hitAt(pos);
  const bool extend = modifiers & Qt::ShiftModifier;
  const int lastRow = m_model.TextRowCount() - 1;
  const int lastColumn = m_model.ColumnCount() - 1;
  if (lastRow >= 0 && lastColumn >= 0 && !rightButton) {
    // The margin left of a row selects the row, a column head its column
    // and the corner every cell; with Shift the anchor stays.
    KvGridCell anchor, current;
    bool block = true;
    switch (hit.area) {
      case KvGridArea::TextL:
        anchor = KvGridCell{0, hit.row, lastColumn, KvGridArea::Text};
        current = KvGridCell{0, hit.row, 0, KvGridArea::Text};
        break;
      case KvGridArea::FormHead:
        anchor = KvGridCell{0, lastRow, hit.column, KvGridArea::Text};
        current = KvGridCell{0, 0, hit.column, KvGridArea::Text};
        break;
      case KvGridArea::FormHeadL:
        anchor = KvGridCell{0, lastRow, lastColumn, KvGridArea::Text};
        current = KvGridCell{0, 0, 0, KvGridArea::Text};
        break;
      default:
        block = false;
        break;
    }
    if (block) {
      SelectCells(extend ? m_model.Anchor() : anchor, current);
      return;
    }
  }
  if (hit.area != KvGridArea::Text && hit.area != KvGridArea::Head && hit.area != KvGridArea::Foot)
    return;
  // A click on the cell being typed into stays in its text, as one on its
  // editor does.
  if (!extend && m_bCaretInText && onEditedCell(pos)) {
    if (!rightButton)
      putCaretAt(pos);
    return;
  }
  if (moveTo(KvGridCell{0, hit.row, hit.column, hit.area}, extend, rightButton ? 0 : 2) && m_bEditing)
    m_pEditor->setFocus();
}

void CKvFormView::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    setFocus();
    clickAt(pos, event->modifiers(), false);
    m_bDragging = true;
    event->accept();
    return;
  }
  if (event->button() == Qt::RightButton) {
    // A block, or characters selected inside one cell, stay selected for a
    // click on them; otherwise the menu acts on the cell clicked.
    const KvGridHit hit = hitAt(pos);
    int row1, column1, row2, column2;
    m_model.SelectedBlock(row1, column1, row2, column2);
    const bool onSelection = hit.area == m_model.Current().area && hit.row >= row1 && hit.row <= row2 &&
                             hit.column >= column1 && hit.column <= column2;
    const bool keep = onSelection && m_model.SameArea() &&
                      !(m_model.SingleCell() && m_model.Anchor().caret == m_model.Current().caret);
    if (!keep) {
      setFocus();
      clickAt(pos, Qt::NoModifier, true);
    }
    event->accept();
    return;
  }
  QAbstractScrollArea::mousePressEvent(event);
}

void CKvFormView::mouseMoveEvent(QMouseEvent* event) {
  if (!m_bDragging || !(event->buttons() & Qt::LeftButton))
    return;
  const KvGridHit hit = hitAt(event->position().toPoint());
  const KvGridCell current = m_model.Current();
  if (hit.area != current.area || (hit.row == current.row && hit.column == current.column))
    return;
  SelectCells(m_model.Anchor(), KvGridCell{0, hit.row, hit.column, hit.area});
}

void CKvFormView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The first click made the cell current; the second puts the caret into
  // its text.
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier) && onEditedCell(pos))
    putCaretAt(pos);
  event->accept();
}

void CKvFormView::mouseReleaseEvent(QMouseEvent* event) {
  m_bDragging = false;
  QAbstractScrollArea::mouseReleaseEvent(event);
}

void CKvFormView::contextMenuEvent(QContextMenuEvent* event) {
  ShowContextMenu(event->globalPos());
  event->accept();
}

void CKvFormView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  RecalcScroll(true);
}

void CKvFormView::scrollContentsBy(int dx, int dy) {
  (void)dx, (void)dy;
  positionEditor();
  viewport()->update();
}
