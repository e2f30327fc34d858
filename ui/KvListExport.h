#pragma once
// Export of a whole list, with the texts shown, into a file the user
// chooses: tab-separated text, an .xlsx workbook or a data file of the
// program's own (SQLite). Lists and list views call KvListExport for their
// "另存为" command; the list's text writer is KvListToText.
//
// Every writer builds its file under a temporary name in the target's
// folder and puts it in the target's place only when it is complete, so an
// existing file is either replaced whole or left as it was. A writer that
// fails shows its message and returns false; nothing is logged then.

#include <QString>

class KvRowSource;
class QWidget;

// The export driver: refuses an empty list ("空文档！"), takes the title
// stored for formId when there is one (formId 0: none), asks for the file
// and its kind (CKvSaveAsDlg) until one may be written (KvMayReplaceFile:
// not a data file in use, an existing file replaced only after 是), writes
// it behind the wait window and logs
// "“title”导出：“path”" as operation 29. True when a file was written.
bool KvListExport(const KvRowSource& rows, const QString& title, int formId,
                  QWidget* parent = nullptr);

// Text: UTF-8 without a byte-order mark, no header row, the cells of a row
// joined by tabs and the rows by "\n" (none after the last). A tab or line
// break inside a cell becomes a blank, so every row stays one line.
bool KvListToText(const KvRowSource& rows, const QString& path);

// Workbook: the title merged across row 1, the column titles in row 2, the
// cells from row 3 on; text columns keep their texts under the "@" format,
// numeric columns hold numbers; thick outer and thin inner borders. A cell
// longer than a workbook allows (32,767 characters) fails the export.
bool KvListToExcel(const KvRowSource& rows, const QString& path, const QString& title);

// Data file: a new SQLite data file without a password, holding one table
// named after the file's title, one column per list column (numbers as Long
// or Double, texts as Char(n)) and one row per list row, written in one
// transaction.
bool KvListToMdb(const KvRowSource& rows, const QString& path);
