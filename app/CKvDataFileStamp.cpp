// The version stamp of a data file: which back end and edition wrote it and
// with which format version, so that an older file is upgraded at login.

#include "app/CKvApp.h"
#include "app/CKvDataFile.h"
#include "core/CKvCsRec.h"
#include "core/KvDbTransaction.h"
#include "core/KvText.h"

namespace {

constexpr int kStampCs = 9133;
const QString kBlanks = QStringLiteral(" \n\t\r\n");

// Replaces the row (9133, csn) in one transaction; false when it did not
// take.
bool replaceStampRow(CKvDb* pDb, int csn, const QString& name, const QString& value) {
  KvDbTransaction transaction(*pDb);
  CKvCsRec row(pDb);
  if (!row.Delete(kStampCs, csn))
    return false;
  row.Set(kStampCs, csn, name, value);
  return row.Insert() && transaction.Commit();
}

}  // namespace

bool CKvDataFile::CheckVersionStamp(CKvDb* pDb, int* pKind, int* pMajor, int* pMinor,
                                    bool bRewrite) {
  CKvDb* db = pDb ? pDb : &m_db;
  const CKvApp* app = KvGetApp();
  const int kind = db->GetKind();
  const int edition = app ? app->GetEditionCode() : 0;
  const int formatVersion = app ? app->GetFormatVersion() : 10;
  const int revision = app ? app->GetRevision() : 9;
  int major = 0;
  int minor = 0;
  if (pKind)
    *pKind = kind;

  bool current = false;
  CKvCsRec row(db);
  if (row.Load(kStampCs, 1) > 0) {
    bool isNumber = false;
    const int name = row.CsNa.toInt(&isNumber);
    if (isNumber && name == kind + edition * 10) {
      major = KvTrimChars(row.CsVal.left(4), kBlanks).toInt();
      if (major == formatVersion) {
        minor = KvTrimChars(row.CsVal.mid(4), kBlanks).toInt();
        current = minor == revision;
      }
    }
  }
  if (pMajor)
    *pMajor = major;
  if (pMinor)
    *pMinor = minor;
  if (!current && bRewrite)
    replaceStampRow(db, 1, QString::number(kind + edition * 10),
                    QStringLiteral("%1%2").arg(formatVersion, -4).arg(revision));

  const QString editionText = app ? QStringLiteral("%1（%2版）").arg(app->GetProductName(),
                                                                    KvGetEditionText())
                                  : QString();
  CKvCsRec edition2(db);
  const bool editionCurrent =
      edition2.Load(kStampCs, 2) > 0 && KvEqualsIgnoreCase(edition2.CsVal, editionText);
  if (!editionCurrent && bRewrite)
    replaceStampRow(db, 2, QString(), editionText);
  return current && editionCurrent;
}
