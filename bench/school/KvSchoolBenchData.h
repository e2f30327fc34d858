#pragma once
// The data files the fee module's benchmarks run on: a generated school
// year written by the program (kvschoolgen) into an SQLite file and into a
// database of the PostgreSQL server (skipped without one). Made on first
// use, removed at exit.

#include "core/CKvDb.h"
#include "school/CPc.h"
#include "support/school/KvSchoolGen.h"

#include <QList>
#include <QString>

struct sqlite3;
struct pg_conn;

struct KvSchoolBenchFile {
  // nStudents: the size of the generated school.
  KvSchoolBenchFile(int kind, int nStudents, const QString& tag);
  ~KvSchoolBenchFile();
  KvSchoolBenchFile(const KvSchoolBenchFile&) = delete;
  KvSchoolBenchFile& operator=(const KvSchoolBenchFile&) = delete;

  bool ready() const { return m_bReady; }
  CKvDb& db();
  // Opens another connection on the same file or database.
  bool OpenAnother(CKvDb* pDb);
  // The engine's own handle of the same connection.
  sqlite3* sqliteHandle();
  pg_conn* pgHandle();

  int kind;
  QString path;
  KvSchoolGenSummary summary;
  bool m_bReady = false;

 private:
  struct Pg;
  Pg* m_pg = nullptr;
  CKvDb m_file{0};
};

// The generated year of 5,000 students on the back-end kind (0 SQLite, 2
// PostgreSQL), made on first use and shared by the benchmarks that only
// read it.
KvSchoolBenchFile& KvSchoolYearFile(int kind);

// --- Receipts ---

// The receipt benchmarks' paying students: the file's first ones.
inline constexpr int kBenchPaying = 100;
// Makes each paying student owe 1,000,000 more per item (01 to 03) in his
// term, so that a benchmark can pay 1.00 per item for as long as it runs.
void KvOweForReceipts(KvSchoolBenchFile& file);
// Paying student i (counted round) and his term.
QString KvPayingStudent(const KvSchoolBenchFile& file, int i, int* term);
