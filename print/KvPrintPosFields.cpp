#include "print/KvPrintPosFields.h"

#include "core/CKvCsRec.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "print/CKvPrintFieldDefs.h"
#include "print/KvPrintProviders.h"

#include <QRegularExpression>

#include <algorithm>
#include <tuple>

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

// Lays a stored row over the defaults in *fields, or adds it to *users as a
// user field; false when it shows no field (its field is gone, or it has no
// position and no text to give).
bool layRow(const QList<KvPrintPosField>& defaults, const CKvCsRec& row, QList<KvPrintPosField>* fields,
            QList<KvPrintPosField>* users) {
  // The parameter table gives values back without their trailing blanks,
  // so a field stored with an empty text arrives without its tab.
  const qsizetype tab = row.CsVal.indexOf(u'\t');
  const QString position = tab < 0 ? row.CsVal : row.CsVal.left(tab);
  const QString text = tab < 0 ? QString() : row.CsVal.mid(tab + 1);
  KvPrintPosField stored;
  const bool placed = stored.SetPosition(position);
  if (tab < 0 && !placed)
    return false;
  if (row.CsN >= KV_POS_USER_FIELD) {
    // A user field has no default to fall back on: without a position it
    // cannot be placed and is left out.
    if (!placed)
      return false;
    stored.number = row.CsN;
    stored.name = row.CsNa;
    stored.text = text;
    users->append(stored);
    return true;
  }
  const qsizetype index = defaultFor(defaults, row.CsN, row.CsNa);
  if (index < 0)
    return false;
  KvPrintPosField& field = (*fields)[index];
  field.text = text;
  if (placed)
    field.SetPosition(position);
  return true;
}

// Every value of a stored row, for ordering and comparing.
auto rowValues(const CKvCsRec& row) { return std::tie(row.Cs, row.CsN, row.CsNa, row.CsVal, row.LPO); }

// Whether two readings hold the same rows, in any order.
bool sameRows(QList<CKvCsRec> a, QList<CKvCsRec> b) {
  const auto order = [](const CKvCsRec& x, const CKvCsRec& y) { return rowValues(x) < rowValues(y); };
  std::sort(a.begin(), a.end(), order);
  std::sort(b.begin(), b.end(), order);
  return std::ranges::equal(a, b, [](const CKvCsRec& x, const CKvCsRec& y) { return rowValues(x) == rowValues(y); });
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

bool KvLoadPosFields(CKvDb* db, int layoutId, QList<KvPrintPosField>* fields, QList<CKvCsRec>* stored) {
  const QList<KvPrintPosField> defaults = KvDefaultPosFields(layoutId);
  *fields = defaults;
  if (stored)
    stored->clear();
  if (!db || !db->IsOpen())
    return false;
  // A select that fails has been reported; the defaults stand.
  QList<CKvCsRec> rows;
  if (CKvCsRec(db).SelectByCs(layoutId, &rows) < 0)
    return false;

  QList<KvPrintPosField> users;
  for (const CKvCsRec& row : rows)
    layRow(defaults, row, fields, &users);
  std::sort(users.begin(), users.end(),
            [](const KvPrintPosField& a, const KvPrintPosField& b) { return a.number < b.number; });
  *fields += users;
  if (stored)
    *stored = rows;
  return true;
}

KvPosSave KvSavePosFields(CKvDb* db, int layoutId, const QList<KvPrintPosField>& fields,
                          const QList<CKvCsRec>& read, QList<CKvCsRec>* stored) {
  if (!db || !db->IsOpen())
    return KvPosSave::Failed;
  const QList<KvPrintPosField> defaults = KvDefaultPosFields(layoutId);
  KvDbTransaction transaction(*db);
  if (!transaction.IsActive() || !db->LockTable(QStringLiteral("SysCsTab")))
    return KvPosSave::Failed;
  CKvCsRec row(db);
  QList<CKvCsRec> now;
  if (row.SelectByCs(layoutId, &now) < 0)
    return KvPosSave::Failed;
  if (!sameRows(now, read))
    return KvPosSave::Changed;
  if (!row.Delete(layoutId))
    return KvPosSave::Failed;
  // Rows that show no field go back as they were.
  QList<KvPrintPosField> shown = defaults;
  QList<KvPrintPosField> users;
  for (CKvCsRec kept : now) {
    if (!layRow(defaults, kept, &shown, &users) && !kept.Insert(db))
      return KvPosSave::Failed;
  }
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
      return KvPosSave::Failed;
  }
  if (stored && row.SelectByCs(layoutId, stored) < 0)
    return KvPosSave::Failed;
  return transaction.Commit() ? KvPosSave::Saved : KvPosSave::Failed;
}
