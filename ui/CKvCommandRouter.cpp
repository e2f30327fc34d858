#include "ui/CKvCommandRouter.h"

#include "ui/CKvCommandRegistry.h"
#include "ui/KvCommandTarget.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

CKvCommandRouter* CKvCommandRouter::Instance() {
  static QPointer<CKvCommandRouter> router;
  if (!router)
    router = new CKvCommandRouter(QCoreApplication::instance());
  return router;
}

CKvCommandRouter::CKvCommandRouter(QObject* parent) : QObject(parent) {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
    connect(app, &QApplication::focusChanged, this, &CKvCommandRouter::UpdateActions);
}

QAction* CKvCommandRouter::Action(int id) {
  if (QAction* action = m_actions.value(id))
    return action;
  QAction* action = CKvCommandRegistry::Instance().CreateAction(id, this);
  connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
  m_actions.insert(id, action);
  UpdateAction(action);
  return action;
}

void CKvCommandRouter::SetFrame(QWidget* frame) {
  m_frame = frame;
  UpdateActions();
}

void CKvCommandRouter::SetApplicationTarget(KvCommandTarget* target) {
  m_application = target;
  UpdateActions();
}

KvCommandTarget* CKvCommandRouter::TargetFor(int id) const {
  QWidget* start = QApplication::focusWidget();
  if (!start)
    start = QApplication::activeWindow();
  bool frameSeen = false;
  // From the focus up to its window; a dialog's commands do not reach the
  // window behind it through the parent chain.
  for (QWidget* widget = start; widget; widget = widget->parentWidget()) {
    frameSeen = frameSeen || widget == m_frame;
    auto* target = dynamic_cast<KvCommandTarget*>(widget);
    if (target && target->HandlesCmd(id))
      return target;
    if (widget->isWindow())
      break;
  }
  if (m_frame && !frameSeen) {
    auto* target = dynamic_cast<KvCommandTarget*>(m_frame.data());
    if (target && target->HandlesCmd(id))
      return target;
  }
  if (m_application && m_application->HandlesCmd(id))
    return m_application;
  return nullptr;
}

bool CKvCommandRouter::IsEnabled(int id) const { return KvCmdEnabled(TargetFor(id), id); }

bool CKvCommandRouter::Execute(int id) {
  KvCommandTarget* target = TargetFor(id);
  const bool run = KvCmdEnabled(target, id);
  if (run)
    target->ExecuteCmd(id);
  // The target is not touched again: the command may have closed its window.
  UpdateActions();
  return run;
}

KvCommandTarget* CKvCommandRouter::frameTarget(int id) const {
  KvCommandTarget* target = dynamic_cast<KvCommandTarget*>(m_frame.data());
  if (!target || !target->HandlesCmd(id))
    target = m_application && m_application->HandlesCmd(id) ? m_application : nullptr;
  return target;
}

bool CKvCommandRouter::IsEnabledOnFrame(int id) const { return KvCmdEnabled(frameTarget(id), id); }

bool CKvCommandRouter::ExecuteOnFrame(int id) {
  KvCommandTarget* target = frameTarget(id);
  const bool run = KvCmdEnabled(target, id);
  if (run)
    target->ExecuteCmd(id);
  UpdateActions();
  return run;
}

void CKvCommandRouter::UpdateAction(QAction* action) const {
  action->setEnabled(IsEnabled(KvActionCommandId(action)));
}

void CKvCommandRouter::UpdateActions() {
  for (QAction* action : std::as_const(m_actions))
    UpdateAction(action);
}

void CKvCommandRouter::WatchMenu(QMenu* menu) {
  connect(menu, &QMenu::aboutToShow, this, [this, menu] {
    for (QAction* action : menu->actions()) {
      if (m_actions.value(KvActionCommandId(action)) == action)
        UpdateAction(action);
    }
  });
}

void CKvCommandRouter::WatchEdits(QWidget* window) {
  if (!window)
    return;
  const auto watch = [this](auto* sender, auto signal) {
    connect(sender, signal, this, &CKvCommandRouter::UpdateActions, Qt::UniqueConnection);
  };
  // A spin box's or an editable list's typing is its inner edit field's.
  for (QLineEdit* edit : window->findChildren<QLineEdit*>())
    watch(edit, &QLineEdit::textEdited);
  for (QComboBox* combo : window->findChildren<QComboBox*>())
    watch(combo, &QComboBox::activated);
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
    watch(button, &QAbstractButton::clicked);
  for (QPlainTextEdit* text : window->findChildren<QPlainTextEdit*>())
    watch(text, &QPlainTextEdit::textChanged);
  for (QTextEdit* text : window->findChildren<QTextEdit*>())
    watch(text, &QTextEdit::textChanged);
}

void KvCommandsChanged() {
  if (QCoreApplication::instance())
    CKvCommandRouter::Instance()->UpdateActions();
}
