// The data-file writer of list export (declared in ui/KvListExport.h): a new
// SQLite data file of the program's own kind, without a password.

#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"
#include "core/CKvRecordset.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMdbPassword.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvText.h"
#include "ui/KvExportColumnKind.h"
#include "ui/KvExportWriteError.h"
#include "ui/KvListExport.h"
#include "ui/KvListPrint.h"
#include "ui/KvReplacingFile.h"

#include <QFile>
#include <QList>
#include <QSet>
#include <QStringList>

#include <limits>

namespace {

QString quoted(const QString& name) {
  QString text = name;
  text.replace(u'"', QStringLiteral("\"\""));
  return u'"' + text + u'"';
}

// The field names: the column titles as captions; an empty one becomes
// "列n" (n counted from 1), and a name met before (ASCII case ignored, as
// the engine compares them) gets "_2", "_3", ... until it is new.
QStringList fieldNames(const KvRowSource& rows) {
  QStringList names;
  QSet<QString> taken;
  for (int c = 0; c < rows.ColumnCount(); ++c) {
    QString name = KvNormalizeCaption(rows.ColumnTitle(c));
    if (name.isEmpty())
      name = QStringLiteral("列") + QString::number(c + 1);
    QString unique = name;
    for (int n = 2; taken.contains(KvLower(unique)); ++n)
      unique = name + u'_' + QString::number(n);
    taken.insert(KvLower(unique));
    names += unique;
  }
  return names;
}

QString columnType(const KvExportColumn& kind) {
  switch (kind.kind) {
    case KvExportColumn::Integer:
      return QStringLiteral(" Long");
    case KvExportColumn::Decimal:
      return QStringLiteral(" Double");
    default:
      return KvFormat(QStringLiteral(" Char(%d)"), kind.width);
  }
}

// Writes the table and its rows in one transaction; false leaves the file
// without them.
bool writeTable(CKvDb& db, const KvRowSource& rows, const QString& table) {
  const QStringList names = fieldNames(rows);
  QList<KvExportColumn> kinds;
  QStringList fields, quotedNames;
  for (int c = 0; c < rows.ColumnCount(); ++c) {
    kinds += KvExportColumnKind(rows, c);
    quotedNames += quoted(names[c]);
    fields += quotedNames[c] + columnType(kinds[c]);
  }
  KvDbTransaction transaction(db);
  if (!transaction.IsActive() ||
      !db.Execute(QStringLiteral("Create Table ") + quoted(table) + u'(' + fields.join(u',') + u')',
                  QString(), 128, false))
    return false;
  CKvRecordset recordset(&db);
  if (!recordset.Open(QStringLiteral("Select ") + quotedNames.join(u',') + QStringLiteral(" From ") +
                      quoted(table) + QStringLiteral(" Where 1=0")))
    return false;
  for (int r = 0; r < rows.RowCount(); ++r) {
    if (!recordset.AddNew())
      return false;
    for (int c = 0; c < names.size(); ++c) {
      const QString cell = KvExportCellText(rows, r, c);
      bool set = false;
      if (kinds[c].kind == KvExportColumn::Text) {
        set = recordset.SetText(names[c], cell);
      } else {
        const double value = KvExportCellNumber(cell);
        // Whole numbers that fit go in as integers, larger ones (up to 15
        // digits) as exact doubles the Long column keeps as integers.
        set = kinds[c].kind == KvExportColumn::Integer && value >= std::numeric_limits<int>::min() &&
                      value <= std::numeric_limits<int>::max()
                  ? recordset.SetLong(names[c], int(value))
                  : recordset.SetDouble(names[c], value);
      }
      if (!set)
        return false;
    }
    if (!recordset.Update())
      return false;
  }
  recordset.Close();
  return transaction.Commit();
}

}  // namespace

bool KvListToMdb(const KvRowSource& rows, const QString& path) {
  if (rows.RowCount() <= 0 || rows.ColumnCount() <= 0)
    return false;
  KvReplacingFile target(path);
  const QString temporary = target.TemporaryPath();
  if (temporary.isEmpty()) {
    KvShowExportWriteError(path);
    return false;
  }
  // The data file is created in the temporary file's place, as a scratch
  // file: no lock file is left beside the temporary name.
  QFile::remove(temporary);
  CKvDb db(0);
  if (!db.CreateDatabase(temporary, CKvDbInfo(0), true) ||
      !db.SetMdbPassword(KvGetStdMdbPassword(), QString())) {
    db.Close();
    KvMessageBox(KvFormat(QStringLiteral("创建数据库文件“%s”失败！"), path), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  const bool written = writeTable(db, rows, KvNormalizeCaption(KvFileTitle(path)));
  db.Close();
  if (written && target.Commit())
    return true;
  KvShowExportWriteError(path);
  return false;
}
