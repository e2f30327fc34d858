#pragma once
// The named printer profiles of a data file: the value texts of its
// parameter rows of class 4001, in the order of the names.

#include <QString>
#include <QStringList>

class CKvDb;

// Class of the parameter rows that name the printer profiles.
inline constexpr int KV_CS_PRINTER_PROFILES = 4001;

// Replaces `names` (a list of its own when null) with the profile names read
// on the connection and makes sure the application's current printer is one
// of them: when it is not, it becomes the first name, or empty when there is
// none. Returns the number of names. When the names cannot be read (no open
// connection, or the select fails and reports it) the current printer is
// kept and 0 is returned.
int KvLoadPrinterNames(CKvDb* db, QStringList* names = nullptr);

// How many profile names on the connection equal `name` once blanks, tabs
// and line ends around it are trimmed; -1 when the names cannot be read.
int KvCountPrinterName(CKvDb* db, const QString& name);
