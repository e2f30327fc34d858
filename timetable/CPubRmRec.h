#pragma once
// One shared room of the catalogue (table PUBRM). A plain value; a new
// record is cleared.

#include <QString>

class CPubRmRec {
 public:
  CPubRmRec() = default;
  void Clear() { *this = CPubRmRec(); }
  bool operator==(const CPubRmRec&) const = default;

  QString KNO;
  QString NA;
  QString NAA;
  QString ADR;
  QString MGR;
  QString TEL;
  QString NT;
};
