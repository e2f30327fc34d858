#pragma once
// Data files of the program on the test server for one test, named as the
// program names them there: "xxd", a set number of four digits and the
// year. Take() picks a set no database's name begins with ("xxd<set>"), and
// keeps it from the other test runs while the object lives: every run takes
// the set's advisory lock on the maintenance database before it looks, and
// holds it. The test, or the program on its behalf, makes the databases;
// when the object goes, every database of the set is dropped, sessions and
// all: the years and the copies the program made of them. None of them was
// there when the set was taken, so all of them are the test's. The drop
// runs on a session of its own, so that it also drops a database that
// refuses new connections. A test binary killed from outside leaves them,
// as it leaves its KvTestDb databases.

#include "core/CKvDb.h"

#include <QString>

class KvTestServerFiles {
 public:
  KvTestServerFiles() = default;
  ~KvTestServerFiles();
  KvTestServerFiles(const KvTestServerFiles&) = delete;
  KvTestServerFiles& operator=(const KvTestServerFiles&) = delete;

  // The first key of the sets' advisory locks ("KV"); the second is the set.
  static constexpr int kLockClass = 0x4b56;

  // Takes a free set; false, with the reason, when the server cannot be
  // reached or no free set is found. A firstTry above 0 is the first set
  // looked at, then sets are picked at random.
  bool Take(QString* whyNot = nullptr, int firstTry = 0);
  // The set's four digits; empty until taken.
  const QString& set() const { return m_set; }
  // The data file of the year in the set.
  QString Name(int year) const { return QStringLiteral("xxd") + m_set + QString::number(year); }

 private:
  CKvDb m_admin{2};
  QString m_set;
};
