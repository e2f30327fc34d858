#pragma once
// The guard of every place where something the program makes (a unit
// export, a backup copy) would take the name of an existing file: the open
// data file, or a data file another program holds (its presence lock), is
// never deleted or overwritten.

#include <QString>

// True, after "“%s”是正在使用的数据文件，不能删除或覆盖！" under the stop icon,
// when a program (this one included) holds the file at path; false
// otherwise, showing nothing.
bool KvRefuseDataFileInUse(const QString& path);
