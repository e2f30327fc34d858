#pragma once
// Path text and the program's own files. Paths are taken with "/" or "\" as
// separators and always given back with "/".

#include <QString>

// The path with every "\" turned into "/".
QString KvSlashPath(const QString& path);

// True when `path` lies in `folder` or is the folder itself: letters compared
// without regard to ASCII case, trailing separators of both ignored, and the
// folder must end where an element of the path ends ("/data" holds
// "/data/x" but not "/database").
bool KvPathStartsWith(const QString& folder, const QString& path);

// The extension of the last element in ASCII upper case ("XXD"); empty when
// the element has no ".".
QString KvFileExt(const QString& path);

// The last element without its extension.
QString KvFileTitle(const QString& path);

// The folder part: a trailing separator removed, the text before the last
// separator; empty when there is none.
QString KvFileDir(const QString& path);

// The text with every character a file name cannot hold (\ / : * ? " < > |
// and control characters) turned into "_", for names built from data.
QString KvFileNameText(const QString& text);

// Gives a file written beside `target` to take its place the permissions
// of the file it replaces, or those a new file of this user gets: a private
// temporary file would otherwise keep its owner-only ones.
void KvTakeReplacedPermissions(const QString& finished, const QString& target);

// The program's full path.
QString KvModuleFileName();

// The start page of the help pages (share/kvqy/help/index.html beside the
// executable); it may not exist.
QString KvHelpFilePath();

// The whole file as text (UTF-8, or GBK when it is not valid UTF-8; "\r\n"
// read as "\n"); empty when it cannot be opened.
QString KvReadTextFile(const QString& path);

// Finds the first occurrence of `key` that stands outside double quotes (an
// even number of double quotes before it) and returns the text between the
// next two double quotes after it. `start` receives the key's position and
// `end` the position after the closing quote (either may be null; both -1
// when nothing is found). Empty when the key or the quotes are missing.
QString KvFindQuotedValue(const QString& key, const QString& text, int* start = nullptr,
                          int* end = nullptr);

// File-dialog filter text: kind 0 pictures, kind 1 web pages, other kinds
// empty. The text is "description|patterns|".
QString KvFileFilter(int kind);
