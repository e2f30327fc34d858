#include "ui/CKvEdit.h"

#include "core/KvNumber.h"
#include "core/KvNumberText.h"
#include "core/KvText.h"
#include "core/KvInputType.h"
#include "ui/KvCalculatorHook.h"
#include "ui/KvModal.h"
#include "ui/KvPasteRefusal.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QValidator>

#include <memory>

// Judges every change of the text. QLineEdit undoes an edit of the operator
// that the validator refuses (typing, input-method commits, paste, drop, cut,
// deletion), while a text set by the program is never undone.
class CKvEdit::TypeValidator : public QValidator {
 public:
  explicit TypeValidator(CKvEdit* edit) : QValidator(edit), m_edit(edit) {}
  State validate(QString& input, int&) const override {
    return m_edit->Admits(input) ? Acceptable : Invalid;
  }

 private:
  CKvEdit* m_edit;
};

CKvEdit::CKvEdit(QWidget* parent) : QLineEdit(parent) { setValidator(new TypeValidator(this)); }

void CKvEdit::SetInputType(const QString& inputType, int limit1, int limit2) {
  m_strInputType = inputType == QLatin1String("MDBSTRING") ? QStringLiteral("STRING NOT |[]'") : inputType;
  m_nLimit1 = limit1;
  m_nLimit2 = limit2;
  m_programText = text();
}

bool CKvEdit::Accepts(const QString& text) const {
  return KvCheckTypeSpec(text, QString(), 0, m_strInputType, m_nLimit1, m_nLimit2);
}

bool CKvEdit::Admits(const QString& text) {
  if (m_userDepth == 0) {
    m_programText = text;
    return true;
  }
  if (text == m_programText)
    return true;
  if (!Accepts(text))
    return false;
  // The operator has moved on from the program's text.
  m_programText.clear();
  return true;
}

bool CKvEdit::AcceptsAnyWidth(const QString& text) const {
  return KvAcceptsAnyWidth(text, m_strInputType, m_nLimit1, m_nLimit2);
}

bool CKvEdit::RefusePaste() {
  const QString pasted = QApplication::clipboard()->text();
  if (isReadOnly() || pasted.isEmpty())
    return false;
  QString candidate = text();
  int at = cursorPosition();
  if (hasSelectedText()) {
    at = selectionStart();
    candidate.remove(at, selectedText().size());
  }
  candidate.insert(at, pasted);
  if (candidate == m_programText || Accepts(candidate))
    return false;
  KvPasteRefusal refusal;
  refusal.Add(pasted, candidate, m_strInputType, m_nLimit1, m_nLimit2);
  refusal.Tell(this, rect());
  return true;
}

namespace {
bool isCalculatorKey(const QKeyEvent* event) {
  return event->key() == Qt::Key_F12 && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
}  // namespace

bool CKvEdit::event(QEvent* event) {
  // F12 is the field's own calculator, also in a window whose menu has a
  // shortcut on the key; every other key stays the window's.
  if (event->type() == QEvent::ShortcutOverride && isCalculatorKey(static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  ++m_userDepth;
  const bool handled = QLineEdit::event(event);
  --m_userDepth;
  return handled;
}

void CKvEdit::keyPressEvent(QKeyEvent* event) {
  if (isCalculatorKey(event)) {
    event->accept();
    OnCalculator();
    return;
  }
  if (event->matches(QKeySequence::Paste) && RefusePaste()) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void CKvEdit::contextMenuEvent(QContextMenuEvent* event) {
  // The field's own menu, run while the event is handled so that a paste
  // from it is judged as the operator's.
  std::unique_ptr<QMenu> menu(createStandardContextMenu());
  // The menu's paste is the action wired to QLineEdit::paste: it is judged
  // first, as Ctrl+V is.
  for (QAction* action : menu->actions()) {
    if (disconnect(action, SIGNAL(triggered()), this, SLOT(paste()))) {
      connect(action, &QAction::triggered, this, [this] {
        if (!RefusePaste())
          paste();
      });
    }
  }
  KvExecPopupMenu(menu.get(), event->globalPos());
  event->accept();
}

QString CKvEdit::CalculatorExpression(const QString& text) {
  const double value = KvTextToDouble(KvReplace(text.trimmed(), QStringLiteral(","), QString()));
  return KvReplace(KvNumToText(value, 0, 0, 6, false), QStringLiteral(","), QString());
}

void CKvEdit::OnCalculator() {
  const bool sendBack = !isReadOnly() && isEnabled() && isVisible();
  QString result;
  if (!KvRunCalculator(sendBack, CalculatorExpression(text()), this, &result) || !sendBack)
    return;
  // A number field keeps the decimals of its type, as a grid cell does.
  if (m_strInputType.contains(QLatin1String("NUMBER")) || m_strInputType.contains(QLatin1String("DOUBLE")))
    result = KvCalculatorResultFor(result, m_nLimit2);
  if (!Accepts(result)) {
    KvTellCalculatorResultRefused(result);
    return;
  }
  // The result comes from the operator: it replaces the text as an edit.
  ++m_userDepth;
  selectAll();
  insert(result);
  --m_userDepth;
}
