#pragma once
// Export of one leaf unit's data into a data file of its own: the chosen
// folder's "<year>.xxd", with every table of a new data file and the rows
// common to all units and those of the unit, the unit's rows made common
// and SYSTAB naming the unit. The file is built under the working name
// "<file>.part" and renamed only when complete; a failed export removes it
// and logs nothing.

#include <QString>
#include <QStringList>

class CKvDb;
class QWidget;

// Asks for the folder (again after each refusal) and exports; true when the
// file was made.
bool KvExportDw(const QString& code, CKvDb* pDb, QWidget* parent);

// Makes the unit file at `path` from pDb's data file without asking: false,
// with no file left at the path or under the working name, when any step
// failed. The tables a new data file does not have are not copied: their
// names go to *pSkipped (when given).
bool KvWriteDwFile(const QString& code, CKvDb* pDb, const QString& path, QStringList* pSkipped = nullptr);
