#pragma once
// Folders of the system and the user, and the registration of the data-file
// type with the desktop.

#include <QString>

// The default folder of data files: "青禾苑数据" in the user's application
// data folder (…/zrvsoft/Kvqy). It is not created here.
QString KvDefaultDataFolder();

// A folder of the system by index: 0 the system's program files (/usr),
// 1 its libraries (/usr/lib), 2 the folder the program's folder lies in,
// 3 the desktop, 4 and 5 the applications menu folder, 6 the temporary
// folder, 7 the current folder, 8 the data shared by programs (/usr/share).
// Empty for other indexes or when the system has no such folder.
QString KvSpecialFolder(int index);

// Makes files with the extension open with the program: records the type in
// the classes root of the settings store (".ext" -> "extFile" with the
// description, its icon and open command), and for the desktop writes a
// shared-mime-info package (type "application/x-zrvsoft-ext", glob "*.ext"),
// an application entry that opens such files with the program, and the
// user's default-application choice for the type (mimeapps.list). Files
// that already say the same are left untouched, and the desktop's caches are
// refreshed only after a change.
void KvRegisterFileType(const QString& ext, const QString& description, const QString& programPath);
