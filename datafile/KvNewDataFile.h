#pragma once
// Makes a new year's data file: next to the previous year's file of the same
// place or account set (mode 0, with its information and, on request, every
// module's carry-forward), from the other back end's file (mode 1, convert)
// or as a copy of a data file under a new year (mode 2). Headless: every
// question and message goes through KvMessageBox; the password of the
// previous year's administrator is asked through AskPassword.
//
// The file is built under a working name ("<file>.part", "<database>_part")
// and takes its final name only when complete: a failure once the database
// exists drops the working copy, so the final name is either absent or
// complete. A copy reads its source, and the information copy the previous
// year, as one moment. The carry runs in one transaction of the new file
// inside a hold of the previous year (one transaction of it locking every
// table the carry and the information copy read, and KvTask) that lasts
// from the modules' checks to its MM 12, committed after the rename; an
// SQLite file is moreover held for this program alone.

#include "core/CKvDbInfo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class CKvDb;

class KvNewDataFile {
 public:
  // The connections the creation opens, for the test hook.
  enum Role { RoleNew, RolePrevious, RoleSource };
  // Which field a refusal concerns (the dialog focuses it).
  enum Field { FieldNone, FieldLocation, FieldYear };

  // kind: of the file to make (0 SQLite file, 1 and 2 server database).
  // info: the open data file's connect information (server, user and the
  // password it logged in with); the database part is not used.
  KvNewDataFile(int nKind, const CKvDbInfo& info);

  // The location: a folder (kind 0) or the account-set number (servers).
  QString m_strLocation;
  // Four-digit year text.
  QString m_strYear;
  // 0 new year, 1 convert from the other back end, 2 copy.
  int m_nMode = 0;
  // Modes 1 and 2: the source's path (SQLite) or database name. Mode 1 with
  // an SQLite target: the server source's kind (1 or 2) and connect
  // information; with a server target the source is an SQLite file.
  QString m_strSourceName;
  int m_nSourceKind = 0;
  CKvDbInfo m_sourceInfo;
  // Mode 0 without a previous year: the example file used as the template
  // (empty: none).
  QString m_strExample;
  // Asks for the previous year's administrator's password (prompt, stored
  // form); false when cancelled. Without it the prompt counts as cancelled
  // unless the stored password is empty.
  std::function<bool(const QString& prompt, const QString& stored)> AskPassword;

  // After Create: the final name, and whether the user asked to open it now.
  QString m_strNewName;
  bool m_bOpenNow = false;

  int GetKind() const { return m_nKind; }
  // The target's connect information (servers: where the file is made).
  const CKvDbInfo& GetInfo() const { return m_info; }
  // Another target before Create: its kind and connect information (a
  // conversion to the server asks for the server).
  void SetTarget(int nKind, const CKvDbInfo& info) {
    m_nKind = nKind;
    m_info = info;
  }

  // The final and previous year's names of a location and year (the
  // location is not checked).
  QString TargetName(const QString& year) const;
  // The location's starting value for the open data file's name: its
  // folder (or itself when it is a folder) for a file; for a server the
  // account-set number after the extension, else the next free number.
  QString InitialLocation(const QString& currentName) const;
  // The proposed year: one after the latest year file of the place or set,
  // else the current year; empty when the server cannot be reached.
  QString ProposeYear() const;
  // The next free account-set number on the server ("0001" when none).
  QString NextSetNumber() const;

  // Example files under the folder and its subfolders (SQLite year files of
  // this program): paths and "entity(year)" titles.
  static void ListExamples(const QString& folder, QStringList* paths, QStringList* titles);

  // Makes the file; false with the refusal shown and *pField the field it
  // concerns. True also when the carry was refused and the file kept.
  bool Create(Field* pField);

  // Each connection the creation opens goes to the hook (tests arm the
  // statement-failure seam on it); returns the hook in place before.
  using ConnectionHook = std::function<void(CKvDb* pDb, Role role)>;
  static ConnectionHook SetConnectionHook(ConnectionHook hook);

 private:
  bool openConnection(CKvDb* pDb, const QString& name, const CKvDbInfo& info, Role role) const;
  QString maxServerName(const QString& prefix, int nLength) const;
  // The working name of a final name.
  QString workingName(const QString& name) const;
  bool dropDatabase(const QString& name) const;
  // Every table of the source the target has, read as one moment of it;
  // the others go to m_skipped.
  bool copyAllTables(CKvDb* pSource, const QString& sourceName, CKvDb* pTarget, QString* error);
  // New year, PY set, operators' passwords emptied, the cleared tables.
  bool resetCopy(CKvDb* pNew) const;
  // The previous year's tables that are neither carried by a module nor the
  // log's: those the information copy takes.
  static QStringList informationTables(CKvDb* pPrevious);
  bool copyInformation(CKvDb* pPrevious, CKvDb* pNew);
  // The template step: NotUsed when no example is chosen or it cannot be
  // copied (file) or opened (server), the new file then being as it was;
  // Failed, with *error, once rows of the example may have reached it.
  enum class ExampleResult { NotUsed, Used, Failed };
  ExampleResult useExample(CKvDb* pNew, const QString& workName, QString* error);
  enum class CarryResult { Carried, Declined, Failed };
  CarryResult carryForward(CKvDb* pPrevious, CKvDb* pNew);
  // Drops the working copy after a failure; false.
  bool abandon(CKvDb* pNew, const QString& workName) const;

  int m_nKind;
  CKvDbInfo m_info;
  QString m_strExt;
  QStringList m_skipped;  // tables of the source the new file does not have
  QByteArray m_informationDigest;  // the previous year's information as copied
};
