#pragma once
// The connect information of a data file: four texts that, with the back-end
// kind, say where the data is (0 an SQLite data file, 1 an ODBC data source,
// 2 a PostgreSQL server reached directly).

#include <QString>

class CKvDbInfo {
 public:
  // The defaults of the kind (see SetDefaults).
  explicit CKvDbInfo(int nKind = 0);

  // Server "MQIS" for kind 1, "(local)" for kind 2, empty for kind 0; user
  // "sa"; no password; database "master".
  void SetDefaults(int nKind);

  // Kind 1: "DSN=%s;UID=%s;PWD=%s;DATABASE=%s"; any other kind the provider
  // text "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=%s;
  // PassWord=%s;Initial Catalog=%s;Data Source=%s". A value that holds ";",
  // a brace, a quote or blanks at its ends is enclosed ({...} for kind 1,
  // "..." otherwise) so that it cannot add items of its own.
  QString GetConnectString(int nKind) const;

  // Reads the four fields back from a connect string with the keys of the
  // kind (kind 1: DSN, UID, PWD, DATABASE; otherwise Data Source, User ID,
  // PassWord, Initial Catalog). Keys match whatever their case, values keep
  // theirs; a missing key leaves its field empty.
  void ParseConnectString(const QString& strConnect, int nKind);

  // Server (kind 1: the ODBC data source name); on PostgreSQL "host" or
  // "host,port", "(local)" or empty for the local socket.
  QString m_strServer;
  QString m_strUser;
  QString m_strPassword;
  QString m_strDatabase;
};
