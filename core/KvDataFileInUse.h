#pragma once
// The guard of every place where something the program makes would take
// the name of an existing file (a unit export, a backup copy, a list
// export, a templ file, a saved SQL text, a PDF file): the open data file,
// or a data file another program holds (its presence lock), is never
// deleted or overwritten. A writer of a file the operator names asks it
// before writing and, refused, goes back to its file dialog.

#include <QString>

// True, after "“%s”是正在使用的数据文件，不能删除或覆盖！" under the stop icon,
// when a program (this one included) holds the file at path; false
// otherwise, showing nothing.
bool KvRefuseDataFileInUse(const QString& path);

// The word of a writer whose file dialog left the overwrite question to it
// (QFileDialog::DontConfirmOverwrite), so that the operator is never asked
// to replace a file the program then refuses: false after the refusal
// above, or when the operator answers 否 to "文件“%1”已经存在，要替换它吗？";
// true when the file may be written.
bool KvMayReplaceFile(const QString& path);
