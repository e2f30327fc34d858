#include "ui/CZrvFormView.h"

#include "core/KvMessage.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvRowControl.h"
#include "ui/KvToolTips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>

namespace {
// The command 43113 the view hands on as it arrives; its meaning belongs to
// the controls and derived views that take it.
constexpr int kHandedOnCommand = 43113;

// What a command that arrives becomes: the id the control receives (0 for
// a key press) and the id whose enabling decides (0: always enabled).
struct Forward {
  int send = 0;
  int ask = 0;
};

bool forwardOf(int id, Forward* forward) {
  switch (id) {
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_PASTE:
    case KV_CMD_EDIT_SELECT_ALL:
    case KV_CMD_INVERT_SELECTION:
    case KV_CMD_EDIT_FIND:
    case KV_CMD_EDIT_FIND_NEXT:
    case KV_CMD_FILE_SAVE_AS:
    case KV_CMD_DELETE:
    case kHandedOnCommand:
    case KV_CMD_FILE_PRINT:
    case KV_CMD_FILE_PAGE_SETUP: *forward = {id, id}; return true;
    case KV_CMD_FILE_NEW: *forward = {KV_CMD_NEW, KV_CMD_NEW}; return true;
    case KV_CMD_FILE_OPEN:
    case KV_IDOK: *forward = {KV_CMD_OPEN, KV_CMD_MODIFY}; return true;
    case KV_IDCANCEL: *forward = {KV_CMD_BACK, 0}; return true;
    case KV_CMD_FORM_LEFT: *forward = {0, KV_CMD_BACK}; return true;
    case KV_CMD_FORM_RIGHT: *forward = {0, KV_CMD_FORWARD}; return true;
    default: return false;
  }
}
}  // namespace

CZrvFormView::CZrvFormView(unsigned templateId, QWidget* parent)
    : QScrollArea(parent), m_templateId(templateId) {
  setObjectName(KvDialogObjectName(templateId));
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
  setWidget(new QWidget);
}

void CZrvFormView::initialUpdate() {
  if (!m_buttonsConnected) {
    m_buttonsConnected = true;
    for (int id : {int(KV_IDOK), int(KV_IDCANCEL)}) {
      if (auto* button = KvDlgItem<QAbstractButton>(this, id))
        connect(button, &QAbstractButton::clicked, this, [this, id] { runCommand(id); });
    }
  }
  InitToolTips();
}

void CZrvFormView::InitToolTips() {
  KvSetHints(this, true, [this](int controlId) {
    QString text;
    GetToolTipText(&text, controlId);
    return text;
  });
}

void CZrvFormView::GetToolTipText(QString* text, int controlId) {
  const QWidget* control = KvDlgItem(this, controlId);
  if (KvIsWordComboBox(control))
    *text = KvWordComboHint();
  else if (qobject_cast<const QComboBox*>(control))
    *text = KvComboHint();
  else if (KvIsListControl(control) || KvIsTreeControl(control))
    *text = KvMenuControlHint();
  else if (controlId == KV_CMD_HELP)
    *text = KvHelpButtonHint();
  else
    text->clear();
}

KvRowControl* CZrvFormView::FocusedRowControl() const {
  QWidget* focus = QApplication::focusWidget();
  if (!focus || !isAncestorOf(focus))
    return nullptr;
  for (QWidget* widget = focus; widget && widget != this; widget = widget->parentWidget()) {
    auto* control = dynamic_cast<KvRowControl*>(widget);
    if (!control)
      continue;
    // A list's focus is on the view that shows its rows; an editor inside
    // the list is not the list.
    QWidget* proxy = widget;
    while (proxy->focusProxy())
      proxy = proxy->focusProxy();
    return proxy == focus ? control : nullptr;
  }
  return nullptr;
}

bool CZrvFormView::HandlesCmd(int id) const {
  Forward forward;
  return forwardOf(id, &forward);
}

bool CZrvFormView::IsCmdEnabled(int id) {
  Forward forward;
  if (!forwardOf(id, &forward))
    return false;
  if (forward.ask == 0)
    return true;
  // A command the control would not take is not offered either.
  KvRowControl* control = FocusedRowControl();
  return KvCmdEnabled(control, forward.ask) && (forward.send == 0 || control->HandlesCmd(forward.send));
}

void CZrvFormView::ExecuteCmd(int id) {
  Forward forward;
  if (!forwardOf(id, &forward))
    return;
  if (forward.send == 0) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
      return;
    QKeyEvent press(QEvent::KeyPress, id == KV_CMD_FORM_LEFT ? Qt::Key_Left : Qt::Key_Right,
                    Qt::NoModifier);
    QApplication::sendEvent(focus, &press);
    return;
  }
  KvRowControl* control = FocusedRowControl();
  if (control && control->HandlesCmd(forward.send) && KvCmdEnabled(control, forward.send))
    control->ExecuteCmd(forward.send);
}

void CZrvFormView::runCommand(int id) {
  if (KvCmdEnabled(this, id))
    ExecuteCmd(id);
  KvCommandsChanged();
}

void CZrvFormView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (modifiers == Qt::NoModifier) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
            button && isAncestorOf(button))
          button->click();
        else
          runCommand(KV_IDOK);
        return;
      case Qt::Key_Escape: runCommand(KV_IDCANCEL); return;
      default: break;
    }
  }
  QScrollArea::keyPressEvent(event);
}
