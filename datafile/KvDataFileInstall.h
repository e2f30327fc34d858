#pragma once
// Installs the data-file tools into the running application: the backup
// archive writer (so that scheduled and safety backups write archives) and
// the openers of the system menu's data-file commands. Called by main once
// the application object exists.

void KvInstallDataFile();
