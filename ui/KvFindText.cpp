#include "ui/KvFindText.h"

#include "core/KvPinyin.h"
#include "core/KvText.h"
#include "ui/CKvListFindDlg.h"
#include "ui/KvModal.h"

#include <QKeyEvent>

bool KvFindText::Ask(QWidget* control, int column) {
  m_typeAhead = false;
  m_text.clear();
  CKvListFindDlg dialog(control, column);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  m_text = dialog.m_strText;
  return !m_text.isEmpty();
}

bool KvFindText::Type(QChar ch) {
  const bool letter = (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
  if (!letter) {
    m_text.clear();
    return false;
  }
  if (!m_typeAhead)
    m_text.clear();
  m_typeAhead = true;
  m_text = KvUpper(m_text + ch);
  return true;
}

bool KvFindText::TypeKey(const QKeyEvent* event) {
  const QString text = event->text();
  if (text.size() != 1 || !text.at(0).isPrint() ||
      (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
    return false;
  return Type(text.at(0));
}

bool KvFindText::Matches(const QString& itemText) const {
  return (m_typeAhead ? KvPinyinInitials(itemText) : itemText).contains(m_text);
}
