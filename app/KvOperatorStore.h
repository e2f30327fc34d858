#pragma once
// The operators of a data file (table OPR): code (three characters, "101"
// the administrator), name and the stored form of the password. Codes are
// quoted for the connection; trailing blanks of the CHAR columns are
// dropped.
//
// A password is stored as a salted Argon2id hash text (libsodium's
// crypto_pwhash_str with the interactive limits), never reversibly; the
// empty text stands for the empty password. Passwords are hashed exactly as
// typed, so letter case matters. The typed text is wiped from the buffers
// this store makes of it.

#include <QList>
#include <QString>

class CKvDb;

struct KvOperator {
  QString strCode;
  QString strName;
  QString strPassword;
};

class KvOperatorStore {
 public:
  // Reads the operator with that code into Operator(); returns the number
  // of rows found (0: the operator is emptied), -1 when OPR cannot be read.
  int Load(CKvDb* pDb, const QString& code);
  const KvOperator& Operator() const { return m_operator; }

  // Replaces the list with the operators "Order By Opno"; without
  // bKeepAdmin the operator "101" is left out. Returns the list's size, -1
  // (the list emptied) when OPR cannot be read.
  static int Fill(QList<KvOperator>* pOperators, CKvDb* pDb, bool bKeepAdmin);

  // The stored form of a password: the empty text for the empty password,
  // else a new salted hash. False (nothing in *pStored) when hashing failed.
  static bool HashPassword(const QString& password, QString* pStored);
  // True when the typed password is the one the stored form was made of: an
  // empty stored form takes only the empty password.
  static bool VerifyPassword(const QString& stored, const QString& typed);
  // Stores the password of the operator (the stored form of HashPassword);
  // false when hashing or the update failed. Nothing is shown: a failed
  // statement's report would show the hash.
  static bool SetPassword(CKvDb* pDb, const QString& code, const QString& password);

 private:
  KvOperator m_operator;
};
