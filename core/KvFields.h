#pragma once
// Delimited fields, lists and wildcard matching. A quote character toggles a
// quoted stretch in which the delimiter does not count; a null quote
// character turns quoting off.

#include <QString>
#include <QStringList>

// Number of delimiters outside quoted stretches, plus one.
int KvCountFields(const QString& text, QChar delimiter, QChar quote = QChar());

// The n-th field (from 0) between delimiters outside quoted stretches; the
// quotes stay in the field. Empty when the text has fewer fields.
QString KvGetField(const QString& text, int n, QChar delimiter, QChar quote = QChar());

// Replaces the list with the fields of the text (unquoted), empty fields only
// when `keepEmpty`; then removes an entry equal to an earlier kept one
// (`dropDuplicates`) or beginning with another entry (`dropPrefixed`).
// Returns the count.
int KvParseList(const QString& text, QStringList* list, QChar delimiter, bool keepEmpty,
                bool dropDuplicates, bool dropPrefixed);

// Matches the text against a pattern in which `one` stands for exactly one
// character and `any` switches to floating mode for the rest of the pattern:
// each literal stretch must then occur somewhere further on (the leftmost
// occurrence is taken) and the text need not be used up at the end.
bool KvWildcardMatch(const QString& text, const QString& pattern, QChar one, QChar any);

// Mode -1: equal; -2: equal ignoring ASCII case; 0: wildcards "?" and "*";
// any other mode: wildcards "_" and "%". With `openEnd` the any-wildcard is
// appended to the pattern.
bool KvMatchText(int mode, const QString& text, const QString& pattern, bool openEnd);

// True when `patterns` (split at ";") holds none, or one that matches the
// text by KvMatchText without open end.
bool KvMatchAny(int mode, const QString& text, const QString& patterns);

// Sets every element to the value, keeping the count.
void KvFillStrings(QStringList& list, const QString& value);

// True when the text equals one of the candidates exactly.
bool KvStrInList(const QString& text, const QStringList& candidates);

// The n-th (from 0) argument; the last one when n is past the end; empty when
// there are none or n is negative.
QString KvNthArg(int n, const QStringList& args);
