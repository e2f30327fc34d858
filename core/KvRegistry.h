#pragma once
// String settings under a root of the settings store (CKvRegKey.h): read,
// write, enumerate and delete values, list sub-keys, delete a whole key.
// A sub-key path separates its elements with "\" (or "/"). No operation shows
// a message; every one opens what it needs and closes it before returning.

#include "core/CKvRegKey.h"

#include <QString>
#include <QStringList>

// Reads a value; false, with `out` emptied, when the key or value is missing.
bool KvRegReadString(KvRegRoot root, const QString& subKey, const QString& valueName, QString* out);

// Writes a value, creating every missing key of the path; true when the
// value reached the settings file.
bool KvRegWriteString(KvRegRoot root, const QString& subKey, const QString& valueName,
                      const QString& value);

// Empties both lists, then appends every value's name and data in
// enumeration order. 0, or the code of the failed open (the lists empty).
long KvRegEnumValues(KvRegRoot root, const QString& subKey, QStringList* names, QStringList* data);

// KvRegEnumValues, then both lists ordered together by value name: order 0
// keeps the enumeration order, 1 sorts by name as text (byte order), 2 by
// name read as an integer (KvStrToLong). Returns the number of values.
int KvRegReadValueList(KvRegRoot root, const QString& subKey, QStringList* names,
                       QStringList* data, int order);

// Empties the list and appends the name of every sub-key in enumeration
// order; returns their number.
int KvRegListSubkeys(KvRegRoot root, const QString& subKey, QStringList* names);

// True when the value existed and is gone.
bool KvRegDeleteValue(KvRegRoot root, const QString& subKey, const QString& valueName);

// Deletes a key that has no sub-keys (its values go with it); false for a
// missing key, a key with sub-keys or the root itself.
bool KvRegDeleteKey(KvRegRoot root, const QString& subKey);

void KvRegDeleteAllValues(KvRegRoot root, const QString& subKey);

// Deletes the key with its values and all its sub-keys, deepest first; a
// missing key is no error.
void KvRegDeleteTree(KvRegRoot root, const QString& subKey);
