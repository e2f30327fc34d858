#pragma once
// The process's current folder follows the data file, so that file dialogs
// start beside it.

class CKvDb;

// For a data file (kind 0) the current folder becomes the folder of the open
// file; for a server database, the program's folder. pDb null: the
// application's connection. A closed connection changes nothing.
void KvSetCurrentDirToDataFile(CKvDb* pDb = nullptr);
