#pragma once
// The program's string list: a QStringList that other code passes where a
// list of texts is filled, with Blank to clear every entry in place.

#include <QStringList>

class CKvStringList : public QStringList {
 public:
  CKvStringList() = default;
  CKvStringList(const QStringList& other) : QStringList(other) {}
  CKvStringList(const CKvStringList&) = default;
  CKvStringList& operator=(const CKvStringList&) = default;
  virtual ~CKvStringList();

  // Sets every entry to the empty text, keeping the count.
  void Blank();
};
