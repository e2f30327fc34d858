#pragma once
// The rows that lists and trees copy, cut and paste through a private
// clipboard format, with a header line that names the data file they came
// from.
//
// The text is the header "<kind><word><identity>\n" and one line "<text>\n"
// per copied text. The kind is the back-end kind of the copying side's
// connection (0 when none is open), the word "复制" or "剪切", and the
// identity names the data file: kind 0 its path, kinds 1 and 2 the
// connection's connect string of that kind, always with an empty password
// (no password ever reaches the clipboard). Without an open connection the
// header is the kind "0" and the word alone.
//
// Reading it back tells the pasting side whether the rows were cut, whether
// they come from its own data file (KvSameDataFile) and, for a server data
// file, its connect information. A cut is pasted once: reading it empties
// the clipboard.

#include "core/CKvDbInfo.h"

#include <QString>
#include <QStringList>

class CKvDb;

// The clipboard format number lists and trees use unless they choose another.
inline constexpr unsigned KV_ROW_CLIPBOARD_FORMAT = 0x200;

// The clipboard text of the texts copied (or cut) from the connection's data
// file; db may be null or closed.
QString KvRowClipboardText(const CKvDb* db, const QStringList& texts, bool cut);

// Puts KvRowClipboardText on the clipboard under the format, replacing what
// was there.
void KvCopyRowsToClipboard(const CKvDb* db, unsigned format, const QStringList& texts, bool cut);

// Whether the clipboard holds rows of the format.
bool KvClipboardHasRows(unsigned format);

// What a paste found on the clipboard.
struct KvClipboardRows {
  QStringList texts;
  bool cut = false;
  // True when the rows come from db's data file, or when db is not open.
  bool sameFile = true;
  // Kinds 1 and 2: the source's connect information (no password).
  CKvDbInfo from;
  // The source's back-end kind and the name CKvDb::Open takes for it (kind
  // 0 the file's path, kinds 1 and 2 the database name).
  int kind = 0;
  QString name;
};

// Parses a clipboard text of the row format against the pasting side's
// connection (null or closed: sameFile stays true). Returns the number of
// texts: 0 for an empty text or a header shorter than two characters; a
// last line without its line feed is not counted.
int KvParseRowClipboardText(const QString& text, const CKvDb* db, KvClipboardRows* rows);

// Reads the rows of the format from the clipboard (KvParseRowClipboardText);
// a cut empties the clipboard. Returns the number of texts.
int KvReadRowsFromClipboard(const CKvDb* db, unsigned format, KvClipboardRows* rows);
