#pragma once
// One entry of the operation log (a KvLog row) with the name of its
// operation, which is looked up when the row is read and not stored.

#include <QString>

class CKvLogRec {
 public:
  CKvLogRec() = default;
  virtual ~CKvLogRec() = default;
  CKvLogRec(const CKvLogRec&) = default;
  CKvLogRec& operator=(const CKvLogRec&) = default;

  int nTask = 0;     // the work period
  QString sOp;       // operator label "name(code)"
  QString sT;        // time stamp "%Y%m%d%H%M%S"
  int nTaskID = 0;   // operation code: module × 100 + operation
  QString sOpName;   // the operation's name
  QString sNote;     // the detail
};
