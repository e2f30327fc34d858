#pragma once
// Whether two descriptions name the same data file: used wherever rows or
// codes arrive from a data file (the clipboard header of lists and trees,
// the code browser, the template list) and the receiver must tell its own
// data file from another one.
//
// A data file is described as CKvDb::Open takes it: the back-end kind, a
// name (kind 0 the file path; kinds 1 and 2 the database name, the info's
// database when empty) and the connect information.
// - Kind 0 files are the same when their canonical paths are equal (links
//   and "." or ".." resolved); a file that does not exist is compared by its
//   cleaned absolute path. A kind-0 file is never the same as a server
//   database.
// - Kinds 1 and 2 name a PostgreSQL database by host, port and database
//   name. Kind 1's server is an ODBC data source, whose host and port are
//   read from its odbc.ini entry (the user's file, then the system's);
//   kind 2's server is "host" or "host,port". A missing port is the
//   server's default; an empty host, "(local)", "localhost" and the
//   loopback addresses are all this computer. Host and database are
//   compared with ASCII case ignored, and the kinds themselves do not
//   matter: the same database reached through ODBC and directly is one
//   data file. No name is looked up on the network.

#include "core/CKvDbInfo.h"

#include <QString>

class CKvDb;

bool KvSameDataFile(int nKindA, const QString& nameA, const CKvDbInfo& infoA, int nKindB,
                    const QString& nameB, const CKvDbInfo& infoB);

// The open connection against a described data file; false while the
// connection is closed.
bool KvSameDataFile(const CKvDb& db, int nKind, const QString& name, const CKvDbInfo& info);
