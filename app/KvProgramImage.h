#pragma once
// The program kept in a server database so that client computers can update
// themselves: the computer that runs the database server publishes its own
// executable into the table ZRVProgram of the maintenance database
// ("master", on PostgreSQL "postgres") after login, and a client whose
// program is older fetches it, hands it to the update program beside the
// executable and ends. The update program is a separate program; where it
// is missing (as on Linux, where packages update the program) a client
// never fetches anything and never ends for it.
//
// ZRVProgram: Flag (edition code), Ver (format version), Ver1 (revision of
// the stored program), LastWriteTime ("yyyyMMddhhmmss" of the stored
// executable), Prg (its bytes); one row per edition and format version.

#include <QList>
#include <QString>
#include <memory>

class CKvDb;

struct KvProgramImage {
  int Flag = 0;
  int Ver = 0;
  int Ver1 = 0;
  QString LastWriteTime;
};

// "ZRVProgram".
QString KvUpdateTableName();
// Creates the table; false when the statement failed (reported with
// bReport).
bool KvCreateUpdateTable(CKvDb* pDb, bool bReport = true);
// Reads the rows of "Select ... From ZRVProgram <where> <order>": all into
// *pList when given, else the first into *pFirst. Returns the number read;
// 0 when the select fails.
int KvReadImageRows(CKvDb* pDb, const QString& where, const QString& order,
                    QList<KvProgramImage>* pList, KvProgramImage* pFirst = nullptr);
// The row of this edition and format version into *pImage; the number of
// such rows.
int KvFindProgramImage(CKvDb* pDb, KvProgramImage* pImage);

// True for a data file; for a server database when its server runs on this
// computer: a connection through a local socket or to a loopback address,
// otherwise when the server's host name equals this computer's (ignoring
// case). *pName receives the server's host name; a failed query gives an
// empty name and false.
bool KvIsServerMachine(CKvDb* pDb, QString* pName = nullptr);

// Hands back in *ppMaster the connection to the maintenance database: pDb
// itself when it is on it, else a second connection with pDb's connect
// information, owned by *pSecond. False with "无法打开“master”数据库！" (stop
// icon) when that does not open.
bool KvOpenMaster(CKvDb* pDb, CKvDb** ppMaster, std::unique_ptr<CKvDb>* pSecond);

// The "SoftUp" setting: the update mode handed to the update program; 3
// when absent.
int KvGetSoftUpMode();
// The update program: "ZrvUp" beside the executable.
QString KvUpdaterPath();
// The update program's parameter text: a line break, then one line each
// for the program's folder, the product key, the product name, the kind
// letter, the program version, the version tag, the revision, the update
// mode and the reason.
QString KvUpdaterParameters(int nReason);

// On the connection: when the stored program is missing, of an older
// revision or older than the program file, tells the user and replaces the
// row with that file in one transaction. The table is made when missing;
// where the login may not create it (a maintenance database it does not
// own) nothing is published and nothing is said, as publishing is no part
// of the user's work. True when the image was stored.
bool KvStoreProgramImage(CKvDb* pDb, const QString& programPath);
// After login on a server database from this computer: KvStoreProgramImage
// of the running executable on the maintenance database.
void KvPublishProgramImage(CKvDb* pDb);

// On the connection: when the stored program is of a newer revision or
// newer than the program file, tells the user and writes its bytes to
// targetPath. True when written.
bool KvFetchProgramImage(CKvDb* pDb, const QString& programPath, const QString& targetPath);
// From the login dialog, on the chosen server connection: only when the
// update program exists, fetches a newer program from the maintenance
// database into "<executable>.bak", starts the update program (reason 1)
// and asks the program to end (KvRequestQuit(0)). True when it did.
bool KvUpdateClientProgram(CKvDb* pDb);
