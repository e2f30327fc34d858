#pragma once
// The password of a data file. An SQLite data file carries an access check in
// its header: the program's application_id, and in user_version a 32-bit
// digest of the file's password (0: the file has none). A file opens only
// with a password whose digest matches; a file without one opens with any.
// It keeps a stranger's copy of the program from opening the file by
// accident; it is not encryption.

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The application_id that marks an SQLite file as the program's data file.
inline constexpr qint32 kKvSqliteApplicationId = 0x4B565159;

// The passwords tried, in order, when a data file is opened: the standard
// password first, then the older one. Fills the list; returns its count (2).
int KvGetMdbPasswords(QStringList* pPasswords);

// The standard password, which the program gives every data file it creates.
QString KvGetStdMdbPassword();

// The password tried first when a data file is given the standard password
// after login: a file without a password opens with it (see
// CKvDb::NormaliseMdbPassword).
QString KvGetProbeMdbPassword();

// The digest stored for a password: 0 for the empty password, otherwise the
// first four bytes of SHA-256 over a fixed prefix and the UTF-8 password
// (never 0).
qint32 KvMdbPasswordDigest(const QString& password);

// True when a file whose stored digest is `storedDigest` opens with the
// password: the digests are equal, or the file has no password.
bool KvMdbPasswordOpens(qint32 storedDigest, const QString& password);
