#pragma once
// Import of one unit's data from another data file onto the unit T selected
// in the unit list: the source unit and its sub-units take T's code (a
// source file without units gives one unit standing for T). The modules
// chosen check every unit first (operation 8); then, holding the data file
// exclusively and after the backup before a risky operation, T's rows, the
// missing operators, the units and each module's rows (operation 9, written
// through the same connection) are replaced in one transaction: a refusing
// module, a failed statement or another workstation found on the data file
// just before the commit keeps the data file as it was.

#include <QString>

class CKvDb;
class QWidget;

// Runs the source dialog, then the import onto `target`; true when done.
bool KvImportDw(const QString& target, CKvDb* pDb, QWidget* parent);

// The import itself, once the source, modules and source unit are known.
bool KvImportDwFrom(const QString& target, CKvDb* pDb, const QString& sourcePath, const QString& modules,
                    const QString& sourceUnit);
