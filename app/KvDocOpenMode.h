#pragma once
// How documents of one type were last opened: a list of strings kept per
// user under "<program key>\DocOpenMode\<a>\<b>" (the form framework passes
// the template number and the sequence number), one value per entry named
// by its index "0", "1", ...

#include <QStringList>

// Fills the list from the settings: sized to the number of stored values,
// each value at the index its name gives (names outside the list are
// dropped, gaps stay empty). Returns the number of values.
int KvReadDocOpenMode(int a, int b, QStringList& list);
// Removes the stored list.
void KvDeleteDocOpenMode(int a, int b);
// Stores the list: when the stored list has another length it is deleted
// first; then every entry whose stored text differs is written.
void KvSaveDocOpenMode(int a, int b, const QStringList& list);
