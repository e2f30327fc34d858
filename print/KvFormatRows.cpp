#include "print/KvFormatRows.h"

#include "core/CKvCsRec.h"
#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvCurrentPrinter.h"
#include "core/KvDbTransaction.h"

#include <QRegularExpression>

#include <algorithm>
#include <QStringList>

namespace {
QString keyWhere(const CKvDb& db, int cs, const QString& key, const QString& profile) {
  return QStringLiteral("Where Cs=%1 And CsNa='%2' And LPO='%3'")
      .arg(QString::number(cs), db.QuoteText(key), db.QuoteText(profile));
}

// A text as a quoted literal of the connection stores it (QuoteText without
// its doubled quotes), to be bound where such a literal stood.
QString storedText(const CKvDb& db, const QString& text) {
  return db.QuoteText(text).replace(QStringLiteral("''"), QStringLiteral("'"));
}

bool parseInt(const QString& text, int* value) {
  bool ok = false;
  const int parsed = text.toInt(&ok);
  if (ok)
    *value = parsed;
  return ok;
}
}  // namespace

QString KvFormatProfile(const QString& profile) {
  return profile.isEmpty() ? KvCurrentPrinterName() : profile;
}

bool KvLoadFormatRows(CKvDb* db, int cs, const QString& key, const QString& profile,
                      QMap<int, QString>* rows) {
  rows->clear();
  if (!db || !db->IsOpen())
    return false;
  // One select kept prepared on the connection, read quietly (a window
  // reads its format at every redraw): a data file without the table, or
  // one that cannot be read, has no stored format, and the defaults stand.
  KvDbStatement* select = db->GetBackend()->keptStatement(
      QStringLiteral("Select CsN,Rtrim(CsVal) From SysCsTab Where Cs=? And CsNa=? And LPO=? Order By CsN"), nullptr);
  if (!select)
    return false;
  select->bindInteger(0, cs);
  select->bindText(1, storedText(*db, key));
  select->bindText(2, storedText(*db, KvFormatProfile(profile)));
  std::unique_ptr<KvDbRowset> read = select->select(nullptr);
  if (!read)
    return false;
  for (; !read->atEnd(); read->next())
    rows->insert(int(read->integer(0)), KvDbTrimRight(read->text(1)));
  return true;
}

bool KvSaveFormatRows(CKvDb* db, int cs, const QString& key, const QString& profile,
                      const QMap<int, QString>& rows) {
  if (!db || !db->IsOpenOrFailsAsLost())
    return false;
  const QString lpo = KvFormatProfile(profile);
  KvDbTransaction transaction(*db);
  if (!transaction.IsActive())
    return false;
  CKvCsRec rec(db);
  if (!rec.DeleteWhere(keyWhere(*db, cs, key, lpo)))
    return false;
  for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
    rec.Set(cs, it.key(), key, it.value(), lpo);
    if (!rec.Insert())
      return false;
  }
  return transaction.Commit();
}

bool KvSaveChangedFormatRows(CKvDb* db, int cs, const QString& key, const QString& profile,
                             const QMap<int, QString>& before, const QMap<int, QString>& after) {
  if (!db || !db->IsOpenOrFailsAsLost())
    return false;
  const QString lpo = KvFormatProfile(profile);
  KvDbTransaction transaction(*db);
  if (!transaction.IsActive())
    return false;
  CKvCsRec rec(db);
  for (auto it = after.cbegin(); it != after.cend(); ++it) {
    if (before.contains(it.key()) && before.value(it.key()) == it.value())
      continue;
    rec.Set(cs, it.key(), key, it.value(), lpo);
    if (!rec.DeleteWhere(keyWhere(*db, cs, key, lpo) + QStringLiteral(" And CsN=") + QString::number(it.key())) ||
        !rec.Insert())
      return false;
  }
  return transaction.Commit();
}

QString KvIntsText(const QList<int>& values) {
  QStringList texts;
  for (int value : values)
    texts << QString::number(value);
  return texts.join(u' ');
}

bool KvParseInts(const QString& text, int count, QList<int>* values) {
  static const QRegularExpression blanks(QStringLiteral("\\s+"));
  const QStringList parts = text.split(blanks, Qt::SkipEmptyParts);
  if (parts.size() != count)
    return false;
  QList<int> parsed(count);
  for (int i = 0; i < count; ++i) {
    if (!parseInt(parts.at(i), &parsed[i]))
      return false;
  }
  *values = parsed;
  return true;
}

void KvTakePaperRow(const QString& text, int* width, int* length, int* orientation) {
  QList<int> values;
  if (!KvParseInts(text, 3, &values) || values[0] <= 0 || values[1] <= 0)
    return;
  *width = values[0];
  *length = values[1];
  *orientation = values[2] != 0 ? 1 : 0;
}

void KvTakeMarginRow(const QString& text, int* left, int* top, int* right, int* bottom) {
  QList<int> values;
  if (!KvParseInts(text, 4, &values) ||
      std::any_of(values.cbegin(), values.cend(), [](int value) { return value < 0; }))
    return;
  *left = values[0];
  *top = values[1];
  *right = values[2];
  *bottom = values[3];
}

QString KvFontRowText(const KvLogFont& font, quint32 colour) {
  return KvIntsText({font.height, font.weight, font.italic ? 1 : 0, font.underline ? 1 : 0,
                     qint32(colour)}) +
         u' ' + font.faceName;
}

bool KvParseFontRow(const QString& text, KvLogFont* font, quint32* colour) {
  // Five numbers, then the face up to the end of the text.
  static const QRegularExpression row(
      QStringLiteral("^\\s*(-?\\d+)\\s+(\\d+)\\s+([01])\\s+([01])\\s+(-?\\d+)\\s+(\\S.*)$"));
  const QRegularExpressionMatch match = row.match(text);
  if (!match.hasMatch())
    return false;
  int height = 0;
  int weight = 0;
  int rgb = 0;
  if (!parseInt(match.captured(1), &height) || !parseInt(match.captured(2), &weight) ||
      !parseInt(match.captured(5), &rgb) || weight > 1000)
    return false;
  font->height = height;
  font->weight = weight;
  font->italic = match.captured(3) == QLatin1String("1");
  font->underline = match.captured(4) == QLatin1String("1");
  font->faceName = match.captured(6).trimmed();
  *colour = quint32(rgb);
  return true;
}
