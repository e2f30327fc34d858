#pragma once
// One teacher of the catalogue (table TCHR). A plain value: a new record is
// cleared (every text empty, SEX 0 for male), copies take every field.

#include <QString>

class CTchrRec {
 public:
  CTchrRec() = default;
  void Clear() { *this = CTchrRec(); }
  bool operator==(const CTchrRec&) const = default;

  QString KNO;
  QString NA;
  QString TEL;
  QString ADR;
  int SEX = 0;  // 0 male, otherwise female
  QString BT;
  QString PID;
  QString NTN;
  QString FGF;
  QString ZW;
  QString NT;
};
