#pragma once
// The fields of the positioned-print layouts ("自定位打印"): texts with
// macro tokens printed at fixed places of the paper, for printing onto
// pre-printed forms.
//
// The modules give each layout's fields and default positions
// (GetPrintPosForms). The operator's changes are stored in SysCsTab under
// the layout id as the class: CsN the field's number (the defaults count in
// their order from 1, fields the operator adds from 1000), CsNa its name,
// CsVal "position<TAB>text". A position is "x y height weight italic
// underline face": x and y in 0.1 mm from the paper's top-left corner, the
// height in 1/100 inch.
//
// Reading lays the stored rows over the defaults. A stored row finds its
// default field by number and name, or by name alone when the defaults have
// moved (a module that now lists more rows); a row whose field no longer
// exists is ignored; a malformed position keeps the field's default one.
// Only what differs from the defaults is stored.

#include "core/CKvCsRec.h"

#include <QList>
#include <QString>

class CKvDb;

// Where user fields start.
inline constexpr int KV_POS_USER_FIELD = 1000;

struct KvPrintPosField {
  int number = 0;
  QString name;
  QString text;
  int x = 0;
  int y = 0;
  int height = 14;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  QString face = QStringLiteral("宋体");

  bool IsUserField() const { return number >= KV_POS_USER_FIELD; }
  // "x y height weight italic underline face".
  QString PositionText() const;
  // Takes the position from its text; false (field untouched) when the text
  // is not seven values with whole numbers, x and y not negative, a height
  // above 0 and a face.
  bool SetPosition(const QString& position);
  // The stored value "position<TAB>text".
  QString StoredValue() const;
  bool operator==(const KvPrintPosField& other) const = default;
};

struct KvPrintPosLayout {
  int id = 0;
  QString caption;
};

// The layouts the modules offer, in their order.
QList<KvPrintPosLayout> KvPrintPosLayouts();

// The module's fields of a layout, numbered from 1.
QList<KvPrintPosField> KvDefaultPosFields(int layoutId);

// The defaults with the stored changes laid over them, then the stored user
// fields by number; *stored (when given) gets the layout's stored rows as
// read, for the save. Without an open connection, or when the stored rows
// cannot be read: the defaults, and false.
bool KvLoadPosFields(CKvDb* db, int layoutId, QList<KvPrintPosField>* fields,
                     QList<CKvCsRec>* stored = nullptr);

enum class KvPosSave { Saved, Changed, Failed };

// Replaces the layout's stored rows that show a field by the fields that
// differ from the defaults and by every user field; a stored row that shows
// none (its field is gone, or it cannot be placed) stays. In one
// transaction (a savepoint inside the caller's), under the lock of the
// parameter table, and only while the layout's stored rows are still
// `read`, the rows the fields were loaded from: Changed, with nothing
// written and nothing shown, when another window or workstation changed
// them; Failed when a statement failed (reported). *stored (when given)
// gets the layout's rows as stored now.
KvPosSave KvSavePosFields(CKvDb* db, int layoutId, const QList<KvPrintPosField>& fields,
                          const QList<CKvCsRec>& read, QList<CKvCsRec>* stored = nullptr);
