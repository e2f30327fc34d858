#pragma once
// The backup archive: a data file's user tables and their rows as one
// stream of plain values, written by one program and read back by another,
// whatever the back-end kinds of the two data files.
//
// Values, one after the other, nothing before the first or after the last:
// - integer: 32-bit signed, little-endian;
// - double: 64-bit IEEE 754, little-endian;
// - text: a length prefix, then the text's UTF-8 bytes (no terminator). The
//   prefix is one byte for a length below 255; else 0xFF and a 16-bit length
//   below 0xFFFE; else 0xFF, 0xFFFF and a 32-bit length.
//
// The header: "<signature>/<identifier code>", the database name, the
// edition code, the year, the entity name, the operator, the time (texts and
// integers in that order), then the number of table blocks. A table block:
// "<table>(<column>,...)" naming the archived columns (integer columns, then
// floating, then text, each group in table order; binary columns are counted
// but neither named nor stored), the table's column count, the three group
// sizes, the row count and the rows (each: the integers, the doubles, the
// texts). Texts are stored cut to their column's width, without U+0000
// (which PostgreSQL cannot hold; the reader drops it too, so that archives
// written with it restore alike on every kind).
//
// What callers may rely on:
// - The writer shows nothing; it returns false when a table cannot be
//   archived (missing, a name KvIsArchiveName refuses, a column of a type
//   the program does not use, a select that fails) or the device refuses
//   the bytes. The row count of a block is the number of rows written,
//   whatever happens to the table in between.
// - The reader trusts nothing in the stream: every length and count is
//   checked against the bytes left before anything is allocated, texts must
//   be valid UTF-8, names must pass KvIsArchiveName, as the writer's did.
//   It never reads past the end and fails with a reason (Error) instead.
// - KvRestoreArchiveTables writes only into tables and columns that exist in
//   the target with the archived group, binds every value, and runs in one
//   transaction: it keeps everything or nothing.

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class CKvDb;
class QFile;
class QIODevice;

// The fixed signature of this program's archives (9 characters, no "/").
inline constexpr char kKvArchiveSignature[] = "KvqyArchv";

// Header fields 1 to 7.
struct KvArchiveHeader {
  QString signature;
  // The data file's identifier code (the text of max(AN) of SysTab).
  QString identifier;
  QString databaseName;
  qint32 edition = 0;
  qint32 year = 0;
  QString entityName;
  // "name(code)" of the operator who made the archive.
  QString operatorText;
  // The time the archive was made, "%Y年%m月%d日%H时%M分".
  QString timeText;
};

// The head of one table block.
struct KvArchiveTable {
  QString name;
  // The archived columns by group, in archive order.
  QStringList integers;
  QStringList doubles;
  QStringList texts;
  // All columns of the table, binary ones included.
  qint32 columnCount = 0;
  qint32 rowCount = 0;
};

// One row of a block: the values of the archived columns by group.
struct KvArchiveRow {
  QList<qint32> integers;
  QList<double> doubles;
  QStringList texts;
};

// Whether the archive carries a table or column name: the rule both
// engines apply to a name left unquoted, judged by code point. The first
// character an ASCII letter, "_" or any character from U+0080 on, then
// those and ASCII digits; at most 63 bytes in UTF-8 (PostgreSQL's cap).
// "临时表", "学生（临时）" and "临时表２" are names; a bracketed or quoted
// name with a blank, "(", ")" or "," (which split the table head) is not.
bool KvIsArchiveName(const QString& name);

// The tables of the data file in archive order: the user tables as the
// connection lists them, with SysTab, SysCsTab and KvReportSQL (whatever
// their case there) moved to the front in that order when present.
QStringList KvArchiveTableOrder(CKvDb& db);

// Writes the header and a block for every table of KvArchiveTableOrder to
// the device (which must be seekable: each block's row count is written
// after its rows). False when a table cannot be archived or a write fails;
// what was written stays on the device. A table or column name the archive
// cannot carry puts the operator's message, naming it, in *error.
bool KvWriteArchive(CKvDb& db, const KvArchiveHeader& header, QIODevice* out,
                    QString* error = nullptr);

// Reads an archive from a device, value by value. Every read checks what it
// takes against the bytes left and fails, without reading, when they cannot
// hold it; after a failure every read fails. While the reader reads, nothing
// else reads or moves in the device. The bytes left are counted from the
// device's size when the reader was made: a device that shrinks meanwhile
// fails the read that misses its bytes ("备份件不能读取").
class KvArchiveReader {
 public:
  // Reads the device from its place on, in pieces of a fixed size: the
  // reader's memory does not grow with the device, and the device's own
  // place runs ahead of the reader's, to the end of the piece read last.
  explicit KvArchiveReader(QIODevice* in);

  // Header fields 1 to 7. The signature is read, not judged.
  bool ReadHeader(KvArchiveHeader* header);
  // Header field 8: the number of table blocks.
  bool ReadTableCount(qint32* count);
  // The head of the next block up to and including its row count.
  bool ReadTable(KvArchiveTable* table);
  // The next row of the block whose head was read.
  bool ReadRow(const KvArchiveTable& table, KvArchiveRow* row);
  // The next row checked as ReadRow checks it, its texts never decoded.
  bool SkipRow(const KvArchiveTable& table);

  // Bytes not yet read.
  qint64 Remaining() const;
  // A checksum of the pieces taken from the device so far: two readers that
  // read the same bytes of a device from the same place in one process
  // agree, and differ (but by chance) when a byte differs.
  size_t Checksum() const { return m_checksum; }
  bool Failed() const { return !m_error.isEmpty(); }
  // Why the stream was refused; empty while it is sound.
  const QString& Error() const { return m_error; }

  bool ReadInt(qint32* value);
  bool ReadDouble(double* value);
  bool ReadText(QString* value);
  // The next text as its UTF-8 bytes, checked as ReadText checks it.
  bool ReadUtf8(QByteArray* bytes);

 private:
  bool fail(const QString& why);
  // The next bytes into data; past them when data is null.
  bool take(char* data, qint64 size);
  // The device's next piece in place of the bytes at hand.
  bool takePiece();
  // The length prefix of a text, checked against the bytes left.
  bool takeTextSize(qint64* size);
  // A text's bytes, checked as UTF-8, without its NUL characters.
  bool takeText(QByteArray* bytes);
  // The same once the text's length was read.
  bool takeTextBytes(qint64 size, QByteArray* bytes);
  // Passes over a text, checked as takeText checks it.
  bool skipText();

  QIODevice* m_in = nullptr;
  // The device's latest piece, which stands from m_dataStart to m_dataEnd
  // in the stream.
  QByteArray m_piece;
  qint64 m_dataStart = 0;
  qint64 m_dataEnd = 0;
  size_t m_checksum = 0;
  // The device's size and the reader's place in it, kept here: asking a
  // file for either costs a call per value.
  qint64 m_size = 0;
  qint64 m_pos = 0;
  // The latest text's bytes; reused, so a text costs no allocation.
  QByteArray m_bytes;
  QString m_error;
};

// Reads the tableCount blocks that follow without keeping them and requires
// the stream to end with the last: whether the rest of an archive is sound
// in its lengths, counts, names and texts, before anything is written.
// The heads of the blocks go to *tables when given.
bool KvScanArchiveTables(KvArchiveReader& reader, qint32 tableCount, QString* error = nullptr,
                         QList<KvArchiveTable>* tables = nullptr);

// Whether a whole archive file, open for reading, is sound: its header and
// every block read from its start, as the restore reads them. The reason in
// *error otherwise.
bool KvScanArchiveFile(QFile* file, QString* error);

// Restores the tableCount blocks that follow into existing tables of db, in
// one transaction, and requires the stream to end with the last block. Each
// block's table must exist in db and each archived column must be a column
// of that table in the same group; texts are cut to the target column's
// width, doubles that are not finite or above 10^18 in magnitude become 0.
// False, with db as it was and the reason in *error (when given), on any
// fault of the stream or any row the target refuses. With `skipped` a
// block whose table db lacks is read through instead and its name appended.
bool KvRestoreArchiveTables(KvArchiveReader& reader, qint32 tableCount, CKvDb& db,
                            QString* error = nullptr, QStringList* skipped = nullptr);
