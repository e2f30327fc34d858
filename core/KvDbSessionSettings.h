#pragma once
// The settings of a connection that a statement typed by a person (the SQL
// console) can change for the rest of the session, and putting them back,
// so that every later search and save of the program behaves as before.
//
// Data file: a pragma is not undone by a rollback; Restore() sets the
// connection up again as its open did (KvSqliteBackend::setUp), whatever
// became of the statements. Server: a SET is undone by the rollback of its
// transaction but kept by its commit; Save() notes every setting a session
// may change, and Restore() sets again, through CKvDb::Execute (a failure
// reported as a failed statement), each one that differs now, the
// program's lock bound and literal quoting among them. Restore() on a
// server inside the transaction the statements ran in is committed with
// them, or rolled back with them when something fails.

#include <QList>
#include <QPair>
#include <QString>

class CKvDb;

class KvDbSessionSettings {
 public:
  // Notes the connection's settings as they are now. False when they
  // cannot be read (nothing shown).
  bool Save(CKvDb& db);
  // False when a setting could not be set again. On a data file nothing is
  // shown then; on a server the failed statement is reported.
  bool Restore(CKvDb& db) const;

 private:
  QList<QPair<QString, QString>> m_settings;  // server: name and value
};
