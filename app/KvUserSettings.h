#pragma once
// Per-user settings of the shell kept under the program's settings key
// (KvGetRegKeyPath): the main window's wallpaper ("BackGround") and the
// automatic backup ("BakMode", "BakTime", "BakPath"). All values are
// strings; an absent value takes its default.

#include <QString>

// The wallpaper: 0 none, 1 a web page, 2 a picture (by the extension, the
// picture filter); *pPath receives the path. Without a setting the default
// page "<program path without extension>_MainFrm.htm" is tried, then the
// same name ending in "jpg". A path beginning with two slashes or
// backslashes (a network path) is taken without a file check; any other
// must name an existing file.
int KvGetBackgroundPage(QString* pPath);
// Writes "BackGround".
void KvSetBackgroundPage(const QString& path);

// The default backup folder: "备份" in the default data folder.
QString KvDefaultBackupFolder();
// Mode (1 on, 0 off; default 1), interval (0 daily, 1 weekly, 2 monthly;
// default 1) and folder (trimmed; default KvDefaultBackupFolder()).
void KvReadBackupSettings(int* pMode, int* pTime, QString* pFolder);
// Deletes the three values and writes only what differs from the defaults
// (the folder without trailing separators, compared ignoring case).
void KvWriteBackupSettings(int nMode, int nTime, const QString& folder);
