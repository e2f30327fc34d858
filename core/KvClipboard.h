#pragma once
// Text on the clipboard, and tab-separated tables pasted from it.
//
// Format 0 or KV_CF_TEXT is plain text. Any other number is one of the
// program's private formats (the rows copied from its lists and trees): the
// text travels as UTF-8 under the MIME type KvClipboardMimeType(format).

#include <QString>

inline constexpr unsigned KV_CF_TEXT = 1;

// The MIME type that carries a private format.
QString KvClipboardMimeType(unsigned format);

// Replaces the clipboard's content with the text under the format. False when
// there is no clipboard (no GUI application).
bool KvSetClipboardText(const QString& text, unsigned format = KV_CF_TEXT);

// Empties `out`, then reads the clipboard's text of the format into it. False
// when there is no clipboard or it holds no data of that format.
bool KvGetClipboardText(QString* out, unsigned format = KV_CF_TEXT);

// Rows (lines) of a pasted table and the cells of its first line. "\r\n",
// "\n\r" and a lone "\r" each count as one line break.
void KvTextTableSize(const QString& text, int* rows, int* columns);

// The cell at `column` (tab field) of line `row`, both from 0; empty when the
// table has no such cell.
QString KvTextTableCell(const QString& text, int row, int column);
