#include "ui/KvPasteRefusal.h"

#include "core/KvFormat.h"
#include "core/KvInputType.h"

#include <QApplication>
#include <QRect>
#include <QToolTip>
#include <QWidget>

namespace {
QString typeOf(const QString& type) {
  const QString trimmed = type.trimmed();
  return trimmed == QLatin1String("MDBSTRING") ? QStringLiteral("STRING NOT |[]'") : trimmed;
}

// The characters of `text` a field of the type takes nowhere, each once. A
// text type judges each character by its set. The other types judge the
// whole text, so a character counts as refused only when it can neither
// start the text nor follow a digit; digits always fit.
QString refusedCharacters(const QString& text, const QString& type, int limit1, int limit2) {
  const bool byCharacter = typeOf(type).startsWith(u"STRING");
  const auto fits = [&](const QString& one) { return KvAcceptsAnyWidth(one, type, limit1, limit2); };
  QString refused;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString one = text.mid(i, units);
    i += units;
    if (refused.contains(one))
      continue;
    const bool digit = one.at(0) >= u'0' && one.at(0) <= u'9';
    if (!(byCharacter ? fits(one) : digit || fits(one) || fits(QStringLiteral("1") + one)))
      refused += one;
  }
  return refused;
}
}  // namespace

bool KvAcceptsAnyWidth(const QString& text, const QString& type, int limit1, int limit2) {
  const QString kind = typeOf(type);
  if (kind.startsWith(u"NUMBER") || kind.startsWith(u"DOUBLE") || kind.startsWith(u"STRING"))
    limit1 = -1;
  else if (kind.startsWith(u"CLASSNOSTRING"))
    limit2 = -1;
  else
    return false;
  return KvCheckTypeSpec(text, QString(), 0, kind, limit1, limit2);
}

void KvPasteRefusal::Add(const QString& pasted, const QString& candidate, const QString& type, int limit1,
                         int limit2) {
  m_bAny = true;
  if (!m_tip.isEmpty())
    return;
  if (KvAcceptsAnyWidth(candidate, type, limit1, limit2))
    m_tip = QStringLiteral("粘贴的内容超出允许的长度，未被接受！");
  else if (const QString refused = refusedCharacters(pasted, type, limit1, limit2); !refused.isEmpty())
    m_tip = KvFormat(QStringLiteral("粘贴的内容含有不允许的字符（%s），未被接受！"), refused);
}

void KvPasteRefusal::Tell(QWidget* widget, const QRect& under) const {
  if (!m_bAny)
    return;
  QApplication::beep();
  // A tip reads a text that looks like markup as rich text: the message goes
  // as rich text with every character escaped, on one line.
  if (!m_tip.isEmpty())
    QToolTip::showText(widget->mapToGlobal(under.bottomLeft()),
                       QStringLiteral("<p style='white-space:pre'>%1</p>").arg(m_tip.toHtmlEscaped()), widget);
}
