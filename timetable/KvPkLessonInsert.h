#pragma once
// Writes the lessons of class grids into PK through one prepared insert:
// the statement is parsed once and every lesson is a run with its values
// bound, so storing a whole school costs one parse. Values are cut to their
// column widths as the table holds them. A failed run is reported as a
// failed statement is (the insert with the lesson's values, stop icon);
// the caller's transaction decides what stays.

#include <QString>
#include <memory>

class CKvDb;
class CPkGrid;
class KvDbStatement;

class KvPkLessonInsert {
 public:
  explicit KvPkLessonInsert(CKvDb* pDb);
  ~KvPkLessonInsert();
  KvPkLessonInsert(const KvPkLessonInsert&) = delete;
  KvPkLessonInsert& operator=(const KvPkLessonInsert&) = delete;

  // One row per lesson of the grid, under the grid's version and class key
  // (STD, not the class-code cells); false at the first failure.
  bool Insert(const CPkGrid& grid);

 private:
  bool reportFailure(const CPkGrid& grid, const QString& values, const QString& error);

  CKvDb* m_pDb;
  std::unique_ptr<KvDbStatement> m_insert;
  QString m_error;
};
