#include "print/KvPrintPosFields.h"

#include "core/CKvCsRec.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "print/CKvPrintFieldDefs.h"
#include "print/KvPrintProviders.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

bool readInt(const QString& text, int* value) {
  bool ok = false;
  *value = text.toInt(&ok);
  return ok;
}

// The default field a stored row belongs to: same number and name, else the
// same name; -1 when there is none.
qsizetype defaultFor(const QList<KvPrintPosField>& defaults, int number, const QString& name) {
  for (qsizetype i = 0; i < defaults.size(); ++i) {
    if (defaults.at(i).number == number && defaults.at(i).name == name)
      return i;
  }
  for (qsizetype i = 0; i < defaults.size(); ++i) {
    if (defaults.at(i).name == name)
      return i;
  }
  return -1;
}

}  // namespace

QString KvPrintPosField::PositionText() const {
  return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
      .arg(x)
      .arg(y)
      .arg(height)
      .arg(weight)
      .arg(italic ? 1 : 0)
      .arg(underline ? 1 : 0)
      .arg(face);
}

bool KvPrintPosField::SetPosition(const QString& position) {
  static const QRegularExpression blanks(QStringLiteral("\\s+"));
  const QStringList parts = position.trimmed().split(blanks, Qt::SkipEmptyParts);
  if (parts.size() < 7)
    return false;
  int values[6];
  for (int i = 0; i < 6; ++i) {
    if (!readInt(parts.at(i), &values[i]))
      return false;
  }
  if (values[0] < 0 || values[1] < 0 || values[2] <= 0 || values[3] < 0)
    return false;
  x = values[0];
  y = values[1];
  height = values[2];
  weight = values[3];
  italic = values[4] != 0;
  underline = values[5] != 0;
  face = parts.mid(6).join(u' ');
  return true;
}

QString KvPrintPosField::StoredValue() const { return PositionText() + u'\t' + text; }

QList<KvPrintPosLayout> KvPrintPosLayouts() {
  CKvPrintFieldDefs defs;
  GetPrintPosForms(-1, defs);
  QList<KvPrintPosLayout> layouts;
  for (int i = 0; i < defs.Count(); ++i) {
    bool ok = false;
    const int id = defs.Names.at(i).trimmed().toInt(&ok);
    if (ok && id > 0)
      layouts.append({id, defs.Texts.at(i)});
  }
  return layouts;
}

QList<KvPrintPosField> KvDefaultPosFields(int layoutId) {
  CKvPrintFieldDefs defs;
  GetPrintPosForms(layoutId, defs);
  QList<KvPrintPosField> fields;
  for (int i = 0; i < defs.Count(); ++i) {
    KvPrintPosField field;
    field.number = i + 1;
    field.name = defs.Names.at(i);
    field.text = defs.Texts.at(i);
    field.SetPosition(defs.Positions.at(i));
    fields.append(field);
  }
  return fields;
}

bool KvLoadPosFields(CKvDb* db, int layoutId, QList<KvPrintPosField>* fields) {
  const QList<KvPrintPosField> defaults = KvDefaultPosFields(layoutId);
  *fields = defaults;
  if (!db || !db->IsOpen())
    return false;
  // A select that fails has been reported; the defaults stand.
  QList<CKvCsRec> rows;
  if (CKvCsRec(db).SelectByCs(layoutId, &rows) < 0)
    return false;

  QList<KvPrintPosField> users;
  for (const CKvCsRec& row : rows) {
    // The parameter table gives values back without their trailing blanks,
    // so a field stored with an empty text arrives without its tab.
    const qsizetype tab = row.CsVal.indexOf(u'\t');
    const QString position = tab < 0 ? row.CsVal : row.CsVal.left(tab);
    const QString text = tab < 0 ? QString() : row.CsVal.mid(tab + 1);
    KvPrintPosField stored;
    const bool placed = stored.SetPosition(position);
    if (tab < 0 && !placed)
      continue;
    if (row.CsN >= KV_POS_USER_FIELD) {
      // A user field has no default to fall back on: without a position it
      // cannot be placed and is left out.
      if (!placed)
        continue;
      stored.number = row.CsN;
      stored.name = row.CsNa;
      stored.text = text;
      users.append(stored);
      continue;
    }
    const qsizetype index = defaultFor(defaults, row.CsN, row.CsNa);
    if (index < 0)
      continue;
    KvPrintPosField& field = (*fields)[index];
    field.text = text;
    if (placed)
      field.SetPosition(position);
  }
  std::sort(users.begin(), users.end(),
            [](const KvPrintPosField& a, const KvPrintPosField& b) { return a.number < b.number; });
  *fields += users;
  return true;
}

bool KvSavePosFields(CKvDb* db, int layoutId, const QList<KvPrintPosField>& fields) {
  if (!db || !db->IsOpen())
    return false;
  const QList<KvPrintPosField> defaults = KvDefaultPosFields(layoutId);
  KvDbTransaction transaction(*db);
  if (!transaction.IsActive())
    return false;
  CKvCsRec row(db);
  if (!row.Delete(layoutId))
    return false;
  for (const KvPrintPosField& field : fields) {
    if (!field.IsUserField()) {
      const auto same = std::find_if(defaults.cbegin(), defaults.cend(), [&](const KvPrintPosField& d) {
        return d.number == field.number;
      });
      if (same != defaults.cend() && *same == field)
        continue;
    }
    row.Set(layoutId, field.number, field.name, field.StoredValue());
    if (!row.Insert())
      return false;
  }
  return transaction.Commit();
}
