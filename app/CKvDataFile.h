#pragma once
// The open year data file: how to reach it, what its system row SYSTAB
// says, and who is logged in to it. The application owns one; the login
// dialog works on a copy.
//
// Kind 0 is a data file: an SQLite file named after its year with the
// edition's extension ("2024.xxd"). Kind 1 is a server database whose name is
// "xxd", a four-character set number and the year, lower case (11
// characters); it is reached through the server back end the descriptor
// keeps: 2 PostgreSQL through libpq (the default) or 1 through an ODBC data
// source. The connection's kind is 0 for a file, else that back end.
//
// Opening (Open, Reopen, OpenAndCheck) checks the path or name, the SYSTAB
// row and the operator, and shows at most one message (stop icon) when asked
// to; a failure returns false and may leave the connection closed. The
// database configuration of the last login lives in the settings under
// KvGetRegKeyPath() (ReadDbConfig, WriteDbConfig); a server password is kept
// there only when the operator asks for it (SetRememberPassword).

#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"

#include <QString>

class CKvDataFile {
 public:
  // Error codes of the opening checks (see ShowError).
  enum : int {
    kNoFile = -1,          // file missing / database name of the wrong length
    kEmptyName = -2,       // empty file name / database does not open
    kNotDataFile = -3,     // not a data file / SYSTAB cannot be read
    kIsFolder = -4,        // a folder / SYSTAB has no row
    kReadOnly = -5,        // read-only file / year of the name and SYSTAB differ
    kSystemFile = -6,      // system file (never arises here) / OPR cannot be read
    kHidden = -7,          // hidden file / no operator
    kBadYearName = -8,     // name is no valid year / unknown operator
    kNoSysTab = -9,        // SYSTAB cannot be read or has no row
    kYearMismatch = -10,   // year of the name and SYSTAB differ
    kNoOperator = -11,     // the file has no operator
    kUnknownOperator = -12,
    kCannotOpen = -13,
  };

  // Kind 0 (see Reset).
  CKvDataFile();
  // Reset, then SetKind(nKind).
  explicit CKvDataFile(int nKind);
  // Copies every member except the connection, of which only the kind is
  // taken over.
  CKvDataFile(const CKvDataFile& other);
  CKvDataFile& operator=(const CKvDataFile& other);
  virtual ~CKvDataFile();

  // Kind 0 with the file defaults of the connect information, libpq as the
  // server back end, every text empty, year and month 0, log on, root folder
  // the default data folder. The connection is not touched.
  void Reset();

  // 0 file, 1 server; the connection's kind follows (closed first).
  void SetKind(int nKind);
  int GetKind() const { return m_nKind; }
  // The server back end: 1 ODBC, 2 libpq; any other value is taken as 2.
  void SetServerBackend(int nBackend);
  int GetServerBackend() const { return m_nServerBackend; }
  // The connection's kind: 0 for a file, else the server back end.
  int GetDbKind() const;

  CKvDb& GetDb() { return m_db; }

  // Connect information with the defaults of the connection's kind; for a
  // server `dataSource` and the stored user and password of that source
  // (KvReadDbLogin); then OpenAndCheck.
  bool Open(const QString& dataSource, const QString& name, const QString& operatorCode,
            bool bMessages);
  // OpenAndCheck with the descriptor's own name, operator and connect
  // information.
  bool Reopen(bool bMessages);
  // Checks and opens: the path of a file (CheckJetPath) or the length of a
  // database name, the connection, SYSTAB (ReadSysTab), then the operator:
  // an empty code takes the first operator by code, any other code must be
  // an operator of OPR ("无此操作员！" otherwise). True when open with an
  // operator known.
  bool OpenAndCheck(const QString& name, const QString& operatorCode, const CKvDbInfo& info,
                    bool bMessages);
  void Close();

  // Completes and checks the path of a data file: an extension is added
  // when the file name has none (or ends in "."); another extension than
  // the edition's fails with no message and the code kNotDataFile. The file
  // must exist and be a writable, not hidden plain file whose title is a
  // year from 1990. On success *pPath becomes the full path, *pYear the
  // year, and 0 is returned; otherwise the error code (its message shown
  // with bMessages).
  int CheckJetPath(QString* pPath, int* pYear, bool bMessages) const;
  // The year a data-file name stands for: the title of a file (its name
  // without the extension), the last four characters of a database name;
  // digits only, a year from 1990; 0 for anything else.
  static int YearOfTitle(const QString& name, bool bFile = true);

  // Reads SYSTAB and the log switch; pDb null: the own connection.
  bool ReadSysTab(CKvDb* pDb, bool bMessages);
  // Replaces the SYSTAB row and stores the log switch, in one transaction.
  bool WriteSysTab(CKvDb* pDb = nullptr);
  // The fields of SYSTAB that 数据文件信息 shows and changes, and the log
  // switch.
  struct ShownFields {
    QString NA, KJ, T1, AN;
    int nLogOn = 1;
    bool operator==(const ShownFields&) const = default;
  };
  ShownFields GetShownFields() const;
  // Writes the typed fields over those read, in one transaction under the
  // locks on SYSTAB and SysCsTab, after checking there that the stored
  // fields and log switch are still those read: SYSTAB's NA, KJ, T1 and AN
  // only when one of them differs from what was read, the log switch only
  // when it does; the other columns (the year, the month carried forward,
  // ...) stay as stored. *pChanged: refused because the stored values
  // changed since they were read (nothing written, nothing shown). False
  // when nothing was kept.
  static bool WriteShownFields(CKvDb* pDb, const ShownFields& read, const ShownFields& typed, bool* pChanged);
  // The logged-in operator's right codes from PWR, each followed by a blank.
  bool LoadRights();

  // The version stamp (parameter rows Cs 9133: CsN 1 named with the
  // connection's kind + edition code x 10 and valued "%-4d%d" of the format
  // version and revision; CsN 2 the edition text). pDb null: the own
  // connection. *pKind receives the connection's kind, *pMajor and *pMinor
  // the numbers found in the file (0 when the row is missing or an earlier
  // comparison failed); any pointer may be null. Returns true when the file
  // carries the current stamp (both rows). With bRewrite the rows that
  // differ are replaced (a failed rewrite is not reported); without it
  // nothing is written, so a caller can stamp a file only once its upgrade
  // has succeeded.
  bool CheckVersionStamp(CKvDb* pDb, int* pKind, int* pMajor, int* pMinor, bool bRewrite = true);

  // Shows the message of an error code for the descriptor's kind (only
  // when bMessages) and returns false. A database that does not open is
  // followed by the server's reason (WithServerReason).
  bool ShowError(int nCode, bool bMessages) const;
  // The text, then on the next line the server's own reason for the last
  // failure of the connection, when it gave one.
  static QString WithServerReason(const QString& text, const CKvDb& db);

  // The database configuration under KvGetRegKeyPath(). ReadDbConfig is all
  // or nothing: true when every value was there and the descriptor took
  // them. WriteDbConfig stops at the first value that cannot be written.
  bool ReadDbConfig();
  bool WriteDbConfig();
  // Whether WriteDbConfig keeps the server password (in the settings file,
  // then readable by the user only); otherwise "PWD" is written empty.
  // ReadDbConfig sets it when a password was kept.
  void SetRememberPassword(bool bRemember) { m_bRememberPassword = bRemember; }
  bool GetRememberPassword() const { return m_bRememberPassword; }

  // --- Accessors. A bReread flag reads SYSTAB again first. ---
  const QString& GetRootDir() const { return m_strRootDir; }
  void SetRootDir(const QString& dir) { m_strRootDir = dir; }
  const QString& GetFileName() const { return m_strFileName; }
  void SetFileName(const QString& name) { m_strFileName = name; }
  const QString& GetValidatedPath() const { return m_strValidatedPath; }
  int GetYear(bool bReread = false);
  void SetYear(int year) { m_nYear = year; }
  int GetMonth(bool bReread = false);
  // The entity name and the manager: while a unit is current, its NA and
  // MGR; otherwise NA and KJ of SYSTAB.
  QString GetEntityName(bool bReread = false);
  QString GetManagerName(bool bReread = false);
  QString GetAN(bool bReread = false);
  void SetAN(const QString& an) { m_strAN = an; }
  QString GetT1(bool bReread = false);
  QString GetT13(bool bReread = false);
  const QString& GetJT() const { return m_strJT; }
  void SetNames(const QString& na, const QString& kj, const QString& t1, const QString& t13);
  const QString& GetOperatorCode() const { return m_strOperatorCode; }
  void SetOperatorCode(const QString& code) { m_strOperatorCode = code; }
  const QString& GetOperatorName() const { return m_strOperatorName; }
  void SetOperatorName(const QString& name) { m_strOperatorName = name; }
  const QString& GetOperatorPassword() const { return m_strOperatorPassword; }
  void SetOperatorPassword(const QString& password) { m_strOperatorPassword = password; }
  const QString& GetRights() const { return m_strRights; }
  bool IsLogOn() const { return m_nLogOn != 0; }
  void SetLogOn(bool bOn) { m_nLogOn = bOn ? 1 : 0; }
  CKvDbInfo GetDbInfo() const { return m_info; }
  void SetDbInfo(const CKvDbInfo& info) { m_info = info; }

 private:
  // Copies every member but the connection (whose kind follows).
  void CopyFrom(const CKvDataFile& other);
  // The common part of OpenAndCheck once the name passed.
  bool OpenCommon(const QString& name, const QString& operatorCode, const CKvDbInfo& info,
                  bool bMessages);
  void RereadSysTab(bool bReread);

  QString m_strRootDir;
  CKvDb m_db;
  int m_nKind = 0;
  int m_nServerBackend = 2;
  CKvDbInfo m_info;
  QString m_strValidatedPath;
  QString m_strFileName;
  QString m_strNA;
  QString m_strKJ;
  int m_nYear = 0;
  int m_nMonth = 0;
  QString m_strOperatorCode;
  QString m_strOperatorName;
  QString m_strAN;
  QString m_strOperatorPassword;
  QString m_strRights;
  QString m_strJT;
  QString m_strT1;
  QString m_strT13;
  int m_nLogOn = 1;
  bool m_bRememberPassword = false;
};

// The user and password of a server data source from the settings (sub-key
// of the data source under KvGetRegKeyPath()); the password is decoded. An
// empty stored password counts as present (the server then takes its own:
// ~/.pgpass or PGPASSWORD). False when a value is missing; info unchanged.
bool KvReadDbLogin(CKvDbInfo* pInfo);
// Writes "UID" and "PWD"; the password is stored (encoded, the settings
// file made readable by the user only) only with bKeepPassword, else "PWD"
// is written empty. False when a write fails.
bool KvWriteDbLogin(const CKvDbInfo& info, bool bKeepPassword = false);
