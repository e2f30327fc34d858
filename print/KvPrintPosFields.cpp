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
  // A select that fails has been reported and gives no rows.
  QList<CKvCsRec> rows;
  CKvCsRec(db).SelectByCs(layoutId, &rows);

  QList<KvPrintPosField> users;
  for (const CKvCsRec& row : rows) {
    const qsizetype tab = row.CsVal.indexOf(u'\t');
    if (row.CsN >= KV_POS_USER_FIELD) {
      KvPrintPosField field;
      field.number = row.CsN;
      field.name = row.CsNa;
      // A user field has no default to fall back on: without a position
      // it cannot be placed and is left out.
      if (tab < 0 || !field.SetPosition(row.CsVal.left(tab)))
        continue;
      field.text = row.CsVal.mid(tab + 1);
      users.append(field);
      continue;
    }
    const qsizetype index = defaultFor(defaults, row.CsN, row.CsNa);
    if (index < 0 || tab < 0)
      continue;
    KvPrintPosField& field = (*fields)[index];
    field.text = row.CsVal.mid(tab + 1);
    if (!field.SetPosition(row.CsVal.left(tab)))
      field.SetPosition(defaults.at(index).PositionText());
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
