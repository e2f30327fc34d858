#include "ui/CKvDlg.h"

#include "ui/KvCalculatorHook.h"
#include "ui/KvHelp.h"
#include "ui/KvMenus.h"
#include "ui/KvObjectNames.h"
#include "ui/KvResources.h"
#include "ui/KvToolTips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>

#include <memory>

QIcon KvLoadIcon(unsigned id) {
  const QIcon icon = KvResourceIcon(int(id));
  return icon.isNull() ? QApplication::windowIcon() : icon;
}

CKvDlg::CKvDlg(unsigned idd, QWidget* parent, unsigned idIcon)
    : QDialog(parent), m_templateId(idd), m_iconId(idIcon) {
  setObjectName(KvDialogObjectName(idd));
}

void CKvDlg::setVisible(bool visible) {
  // The setup runs before the window is sized and shown for the first time.
  if (visible && !m_initialized) {
    m_initialized = true;
    m_initializing = true;
    OnInitDialog();
    m_initializing = false;
  }
  QDialog::setVisible(visible);
}

void CKvDlg::OnInitDialog() {
  setWindowIcon(KvLoadIcon(m_iconId));
  // OK and Cancel run the guarded sequences; as push buttons they keep Enter
  // for themselves only while they have the focus.
  for (int id : {int(KV_IDOK), int(KV_IDCANCEL)}) {
    auto* button = KvDlgItem<QAbstractButton>(this, id);
    if (!button)
      continue;
    if (auto* push = qobject_cast<QPushButton*>(button))
      push->setDefault(false);
    if (id == KV_IDOK)
      connect(button, &QAbstractButton::clicked, this, [this] { OnOK(); });
    else
      connect(button, &QAbstractButton::clicked, this, [this] { OnCancel(); });
  }
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
          [this] { ExecuteCmd(KV_CMD_CLIPBOARD_CHANGED); });
  InitToolTips();
}

void CKvDlg::InitToolTips() {
  for (QWidget* control : KvHintControls(this)) {
    QString text;
    GetToolTipText(&text, KvControlId(control));
    if (!text.isEmpty())
      control->setToolTip(text);
  }
}

void CKvDlg::GetToolTipText(QString* text, int controlId) {
  if (!text)
    return;
  const QWidget* control = KvDlgItem(this, controlId);
  if (KvIsWordComboBox(control))
    *text = KvWordComboHint();
  else if (qobject_cast<const QComboBox*>(control))
    *text = KvComboHint();
  else if (KvIsListControl(control) || KvIsTreeControl(control))
    *text = KvMenuControlHint();
  else if (controlId == KV_CMD_HELP)
    *text = KvHelpButtonHint();
  else if (controlId == KV_IDOK)
    *text = KvOkButtonHint();
  else if (controlId == KV_IDCANCEL)
    *text = KvCancelButtonHint();
  else
    text->clear();
}

void CKvDlg::OnEnter() {
  QWidget* focus = focusWidget();
  if (m_bEnterNextCtrl && !(focus && KvControlId(focus) == KV_IDOK))
    focusNextPrevChild(true);
  else
    OnOK();
}

void CKvDlg::setOkCancelEnabled(bool enabled) {
  for (int id : {int(KV_IDOK), int(KV_IDCANCEL)}) {
    if (QWidget* button = KvDlgItem(this, id))
      button->setEnabled(enabled);
  }
}

void CKvDlg::OnOK() {
  if (GuardedSave())
    done(Accepted);
}

bool CKvDlg::GuardedSave() {
  const QWidget* ok = KvDlgItem(this, KV_IDOK);
  if (m_inOk || (ok && !ok->isEnabled()))
    return false;
  m_inOk = true;
  setOkCancelEnabled(false);
  bool saved = false;
  if (UpdateData(true)) {
    saved = SaveData();
    UpdateData(false);
  }
  setOkCancelEnabled(true);
  m_inOk = false;
  return saved;
}

void CKvDlg::OnCancel() { done(Rejected); }

void CKvDlg::accept() { OnOK(); }

void CKvDlg::reject() { OnCancel(); }

void CKvDlg::done(int result) {
  // Closing while the dialog is being set up for its first showing would
  // end it before its modal loop starts: close it once the loop runs.
  if (m_initializing) {
    QMetaObject::invokeMethod(
        this, [this, result] { QDialog::done(result); }, Qt::QueuedConnection);
    return;
  }
  QDialog::done(result);
}

void CKvDlg::OnHelp() { KvHtmlHelp(m_strHelpKeyword); }

void CKvDlg::OnCalculator() {
  QString result;
  KvRunCalculator(false, QString(), this, &result);
}

bool CKvDlg::HandlesCmd(int id) const {
  return id == KV_CMD_HELP || id == KV_CMD_CALCULATOR || id == KV_CMD_ENTER ||
         id == KV_CMD_CLIPBOARD_CHANGED;
}

void CKvDlg::ExecuteCmd(int id) {
  switch (id) {
    case KV_CMD_HELP: OnHelp(); break;
    case KV_CMD_CALCULATOR: OnCalculator(); break;
    case KV_CMD_ENTER: OnEnter(); break;
    case KV_CMD_CLIPBOARD_CHANGED: OnClipboardChange(); break;
    default: break;
  }
}

void CKvDlg::runEnabled(int id) {
  if (KvCmdEnabled(this, id))
    ExecuteCmd(id);
}

void CKvDlg::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (modifiers == Qt::NoModifier) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: runEnabled(KV_CMD_ENTER); return;
      case Qt::Key_F1: runEnabled(KV_CMD_HELP); return;
      case Qt::Key_F12: runEnabled(KV_CMD_CALCULATOR); return;
      default: break;
    }
  }
  QDialog::keyPressEvent(event);
}

void CKvDlg::contextMenuEvent(QContextMenuEvent* event) {
  // Only the dialog's own area has the menu; elsewhere the default handling.
  if (!rect().contains(event->pos())) {
    event->ignore();
    return;
  }
  event->accept();
  std::unique_ptr<QMenu> menu(KvBuildPopupMenu(KV_MENU_DIALOG, this));
  OnPrepareContextMenu(menu.get());
  KvTrackPopupMenu(menu.get(), event->globalPos(), this);
}
