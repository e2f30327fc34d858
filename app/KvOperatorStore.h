#pragma once
// The operators of a data file (table OPR): code (three characters, "101"
// the administrator), name and the stored form of the password. Codes are
// quoted for the connection; trailing blanks of the CHAR columns are
// dropped.

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

 private:
  KvOperator m_operator;
};
