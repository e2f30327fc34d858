#include "forms/KvGridText.h"

#include "core/KvNumberText.h"
#include "forms/CKvDoc.h"
#include "forms/KvGridModel.h"

namespace {
const QString kNormalPrint = QStringLiteral("#normal_print");
const QString kWithoutLine = QStringLiteral("#print_without_line");
}  // namespace

QString KvDefaultNoteText(const QString& field) {
  static const struct {
    const char16_t* field;
    const char16_t* text;
  } defaults[] = {{u"主体名", u"#co_name"},
                  {u"主管名", u"#co_manager"},
                  {u"操作员", u"#cur_opr_name"},
                  {u"当前时间", u"#yy年#mm月#dd日"},
                  {u"页码", u"#normal_print第 #pp 页"},
                  {u"套打页码", u"#print_without_line#pp"}};
  for (const auto& entry : defaults)
    if (field == QStringView(entry.field))
      return QString::fromUtf16(entry.text);
  return QString();
}

QString KvExpandMacros(const QString& text, const KvMacroPage& page, QList<KvMacroRow>* macros) {
  if (text.contains(kNormalPrint) && (!page.printing || page.overlay))
    return QString();
  if (text.contains(kWithoutLine) && (!page.printing || !page.overlay))
    return QString();
  return KvReplaceMacros(text, page, macros);
}

QString KvReplaceMacros(const QString& text, const KvMacroPage& page, QList<KvMacroRow>* macros) {
  if (!macros || !text.contains(QLatin1Char('#')))
    return text;
  QString result = text;
  for (KvMacroRow& macro : *macros) {
    if (macro.sToken == QLatin1String("#pt"))
      macro.sValue = QString::number(page.totalPages);
    else if (macro.sToken == QLatin1String("#pp"))
      macro.sValue = QString::number(page.page);
    else if (macro.sToken == QLatin1String("#printstartpage"))
      macro.sValue = QString::number(page.page + page.pageOffset);
  }
  for (const KvMacroRow& macro : *macros) {
    if (!macro.sToken.isEmpty())
      result.replace(macro.sToken, macro.sValue);
  }
  return result;
}

bool KvNoteShowsStoredFact(const QString& words, const QList<KvMacroRow>& macros) {
  static const QStringList unstored = {QStringLiteral("#pt"), QStringLiteral("#pp"),
                                       QStringLiteral("#printstartpage"), kNormalPrint,
                                       kWithoutLine, QStringLiteral("#yy"),
                                       QStringLiteral("#mm"), QStringLiteral("#dd")};
  for (const KvMacroRow& macro : macros)
    if (!macro.sToken.isEmpty() && !unstored.contains(macro.sToken) && words.contains(macro.sToken))
      return true;
  return false;
}

QStringList KvSplitCaptionLines(const QString& text) {
  QStringList lines;
  QString line;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text.at(i);
    if (ch != QLatin1Char('\\')) {
      line += ch;
    } else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\\')) {
      line += ch;
      ++i;
    } else {
      lines.append(line);
      line.clear();
    }
  }
  lines.append(line);
  return lines;
}

QString KvFormatColumnTotal(double value, const KvGridColumn& column) {
  const int most = qMax(0, column.nMore);
  const int least = column.simplified ? qBound(0, column.nLess, most) : most;
  return KvNumToText(value, 0, least, most, false).trimmed();
}

bool KvCellMatches(const QString& cellText, const QString& findText, bool whole) {
  if (findText.isEmpty())
    return false;
  return whole ? cellText == findText : cellText.contains(findText);
}
