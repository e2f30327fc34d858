#pragma once
// What the timetable checker reads besides the class grid and its plan: the
// course catalogue, the names of teachers, rooms and classes, and where a
// teacher or room is taken by other classes of the version. The database
// source reads them from the connection as the stored data stands; the
// placement engine gives its own, built from what it loaded once and the
// classes it has accepted so far.

#include "timetable/CSbtRec.h"
#include "timetable/KvPkArrangeData.h"
#include "timetable/KvPkSchoolTree.h"

#include <QHash>
#include <QList>
#include <QString>

class CKvDb;
class CPkGrid;
class CWkjhRec;
class CWktRec;

class KvPkCheckSource {
 public:
  virtual ~KvPkCheckSource() = default;
  // The course into rec; false (rec unchanged) when the catalogue has none.
  virtual bool FindCourse(const QString& code, CSbtRec& rec) = 0;
  // Names; empty when there is no such teacher, room or class.
  virtual QString TeacherName(const QString& code) = 0;
  virtual QString RoomName(const QString& code) = 0;
  virtual QString ClassName(const QString& code) = 0;
  // Whether a node of the school tree has the code; its name into *name.
  // By default a node is known by its name.
  virtual bool FindClass(const QString& code, QString* name) {
    *name = ClassName(code);
    return !name->isEmpty();
  }
  // The lessons of the version (the keys Y, QC, T of `version`) that the
  // teacher, or with no teacher the room, has in the classes not under
  // exceptClass, inside the schedule; false when they could not be read.
  virtual bool LoadBusy(const CPkGrid& version, const QString& teacher, const QString& room,
                        const QString& exceptClass, const CWktRec& schedule, QList<KvPkStoredLesson>& lessons) = 0;
  // The periods of the schedule where the plan row may lie (its fixed
  // times, less its barred ones) into mask, which keeps its room from one
  // row to the next; the fault of its time texts when they cannot be read.
  // By default built for every row.
  virtual QString TimeMask(const CWkjhRec& row, const CWktRec& schedule, CWktRec& mask);
};

class KvPkDbCheckSource : public KvPkCheckSource {
 public:
  explicit KvPkDbCheckSource(CKvDb* pDb) : m_pDb(pDb) {}
  bool FindCourse(const QString& code, CSbtRec& rec) override;
  QString TeacherName(const QString& code) override;
  QString RoomName(const QString& code) override;
  QString ClassName(const QString& code) override;
  bool FindClass(const QString& code, QString* name) override;
  bool LoadBusy(const CPkGrid& version, const QString& teacher, const QString& room, const QString& exceptClass,
                const CWktRec& schedule, QList<KvPkStoredLesson>& lessons) override;

 protected:
  CKvDb* m_pDb;
};

// The database source with the course catalogue and the school tree down
// to the class level read once (Load), so that checking typed cells sends
// no statement; where a teacher or room is taken is still read when asked.
class KvPkLoadedCheckSource : public KvPkDbCheckSource {
 public:
  explicit KvPkLoadedCheckSource(CKvDb* pDb) : KvPkDbCheckSource(pDb) {}
  // False when a read failed (the source then knows nothing).
  bool Load();
  bool FindCourse(const QString& code, CSbtRec& rec) override;
  QString ClassName(const QString& code) override;
  bool FindClass(const QString& code, QString* name) override;
  // The names from the unit down to the node joined with "/", an ancestor
  // missing from the tree shown by its code (as CStd::GetPath gives them);
  // false when the node is not in what was read.
  bool NodePath(const QString& code, QString* path) const;
  // The units, grades and classes read, in code order.
  const KvPkSchoolNodes& Nodes() const { return m_nodes; }

 private:
  QHash<QString, CSbtRec> m_courses;
  QHash<QString, QString> m_classes;
  KvPkSchoolNodes m_nodes;
};
