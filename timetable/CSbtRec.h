#pragma once
// One course of the catalogue (table SBT): code, short name, full name,
// note. A plain value; a new record is cleared.

#include <QString>

class CSbtRec {
 public:
  CSbtRec() = default;
  void Clear() { *this = CSbtRec(); }
  bool operator==(const CSbtRec&) const = default;

  QString KNO;
  QString NA;
  QString NAA;
  QString NT;
};
