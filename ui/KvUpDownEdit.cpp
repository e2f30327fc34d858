#include "ui/KvUpDownEdit.h"

#include <QLineEdit>

#include <algorithm>

namespace {
constexpr int kMostDigits = 9;
}  // namespace

KvUpDownEdit::KvUpDownEdit(QWidget* parent) : QAbstractSpinBox(parent) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  setAccelerated(false);
}

void KvUpDownEdit::SetRange(int minimum, int maximum) {
  m_nMinimum = minimum;
  m_nMaximum = maximum;
  update();
}

void KvUpDownEdit::SetPos(int value) { lineEdit()->setText(QString::number(value)); }

int KvUpDownEdit::Pos(bool* ok) const {
  bool isNumber = false;
  const int value = text().trimmed().toInt(&isNumber);
  if (ok)
    *ok = isNumber;
  return isNumber ? value : 0;
}

bool KvUpDownEdit::InRange() const {
  bool ok = false;
  const int value = Pos(&ok);
  return ok && value >= m_nMinimum && value <= m_nMaximum;
}

void KvUpDownEdit::stepBy(int steps) {
  if (m_nMaximum < m_nMinimum)
    return;
  bool ok = false;
  int value = Pos(&ok);
  // A text that is no number, or lies outside the range, steps from the
  // range's nearer end.
  if (!ok)
    value = steps > 0 ? m_nMinimum - 1 : m_nMaximum + 1;
  const qint64 next = std::clamp<qint64>(qint64(value) + steps, m_nMinimum, m_nMaximum);
  SetPos(int(next));
  lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled KvUpDownEdit::stepEnabled() const {
  if (isReadOnly() || m_nMaximum < m_nMinimum)
    return StepNone;
  bool ok = false;
  const int value = Pos(&ok);
  if (!ok)
    return StepUpEnabled | StepDownEnabled;
  StepEnabled enabled = StepNone;
  if (value < m_nMaximum)
    enabled |= StepUpEnabled;
  if (value > m_nMinimum)
    enabled |= StepDownEnabled;
  return enabled;
}

QValidator::State KvUpDownEdit::validate(QString& input, int& pos) const {
  (void)pos;
  const QString digits = input.startsWith(u'-') ? input.mid(1) : input;
  if (digits.size() > kMostDigits)
    return QValidator::Invalid;
  for (QChar c : digits)
    if (c < u'0' || c > u'9')
      return QValidator::Invalid;
  return digits.isEmpty() ? QValidator::Intermediate : QValidator::Acceptable;
}
