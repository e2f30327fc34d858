#include "print/KvPdfReadBack.h"

#include "support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace {
constexpr double kMmPerPoint = 25.4 / 72.0;

// Qt names each glyph in the PDF's text map by the lowest code point that
// reaches it, and the CJK fonts reach many ideographs from a radical first
// ("⽣" for 生, "⻚" for 页). Reading back maps them home: the Kangxi radicals
// by their compatibility decomposition, the simplified radicals by a table.
QString ideographs(const QString& text) {
  static const QHash<QChar, QChar> simplified = {
      {QChar(0x2EC9), QChar(0x8D1D)}, {QChar(0x2ECB), QChar(0x8F66)}, {QChar(0x2ED3), QChar(0x957F)},
      {QChar(0x2ED4), QChar(0x95E8)}, {QChar(0x2ED9), QChar(0x97E6)}, {QChar(0x2EDA), QChar(0x9875)},
      {QChar(0x2EDB), QChar(0x98CE)}, {QChar(0x2EDC), QChar(0x98DE)}, {QChar(0x2EDD), QChar(0x98DF)},
      {QChar(0x2EE2), QChar(0x9A6C)}, {QChar(0x2EE5), QChar(0x9C7C)}, {QChar(0x2EE6), QChar(0x9E1F)},
      {QChar(0x2EE8), QChar(0x9EA6)}, {QChar(0x2EE9), QChar(0x9EC4)}, {QChar(0x2EEC), QChar(0x9F50)},
      {QChar(0x2EEE), QChar(0x9F7F)}, {QChar(0x2EF0), QChar(0x9F99)}, {QChar(0x2EC5), QChar(0x89C1)},
      {QChar(0x2EC8), QChar(0x8BA0)}, {QChar(0x2ED7), QChar(0x96E8)}, {QChar(0x2ED8), QChar(0x9752)}};
  QString result = text;
  for (QChar& ch : result) {
    if (ch.unicode() >= 0x2F00 && ch.unicode() <= 0x2FDF)
      ch = QString(ch).normalized(QString::NormalizationForm_KC).at(0);
    else
      ch = simplified.value(ch, ch);
  }
  return result;
}

QString run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitCode() != 0)
    return QString();
  return QString::fromUtf8(process.readAllStandardOutput());
}
}  // namespace

QList<KvPdfWord> KvPdfReadBack::Find(const QString& text, int page) const {
  QList<KvPdfWord> found;
  for (const KvPdfWord& word : words) {
    if (word.text == text && (page < 0 || word.page == page))
      found.append(word);
  }
  return found;
}

QStringList KvPdfReadBack::PageTexts(int page) const {
  QStringList texts;
  for (const KvPdfWord& word : words) {
    if (word.page == page)
      texts.append(word.text);
  }
  return texts;
}

KvPdfReadBack KvReadPdf(const QString& path) {
  KvPdfReadBack result;
  const QString info = run(QStringLiteral("pdfinfo"), {path});
  const QRegularExpressionMatch pages =
      QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
          .match(info);
  const QRegularExpressionMatch size =
      QRegularExpression(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                         QRegularExpression::MultilineOption)
          .match(info);
  if (!pages.hasMatch() || !size.hasMatch())
    return result;
  result.pages = pages.captured(1).toInt();
  result.widthMm = size.captured(1).toDouble() * kMmPerPoint;
  result.heightMm = size.captured(2).toDouble() * kMmPerPoint;

  const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
  static const QRegularExpression tag(QStringLiteral(
      "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
  int page = -1;
  for (auto it = tag.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    if (m.captured(0).startsWith(QStringLiteral("<page"))) {
      ++page;
      continue;
    }
    KvPdfWord word;
    word.page = page;
    word.left = m.captured(1).toDouble() * kMmPerPoint;
    word.top = m.captured(2).toDouble() * kMmPerPoint;
    word.right = m.captured(3).toDouble() * kMmPerPoint;
    word.bottom = m.captured(4).toDouble() * kMmPerPoint;
    word.text = ideographs(QTextDocumentFragment::fromHtml(m.captured(5)).toPlainText());
    result.words.append(word);
  }
  result.ok = true;
  return result;
}

QString KvTestPdfPath(const QString& suffix) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  QString name = info ? QString::fromLatin1(info->test_suite_name()) + u'_' +
                            QString::fromLatin1(info->name())
                      : QStringLiteral("print");
  name.replace(u'/', u'_');
  return QDir(KvTestHome()).filePath(name + suffix + QStringLiteral(".pdf"));
}
