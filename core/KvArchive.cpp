#include "core/KvArchive.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvText.h"
#include "core/KvWidth.h"

#include <QFile>
#include <QHashFunctions>
#include <QIODevice>
#include <QStringDecoder>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

enum { kInteger, kFloating, kText, kBinary, kGroups };

// What a block head takes at least: an empty text and five integers.
constexpr qint64 kMinTableBytes = 1 + 5 * 4;
// Restored doubles beyond this magnitude are the typed query's NULL stand-in.
constexpr double kDoubleLimit = 1e18;
// The longest name in UTF-8 bytes that PostgreSQL keeps whole.
constexpr int kNameBytes = 63;

// Drops the NUL bytes of a text's UTF-8 (each one a U+0000).
void dropNul(QByteArray* utf8) {
  if (utf8->contains('\0'))
    utf8->removeIf([](char byte) { return byte == '\0'; });
}

// Writes values to a device, gathered into large pieces (a write per value
// costs more than the value); after the first refused write it writes
// nothing more. flush() hands over what is gathered.
class ArchiveOut {
 public:
  explicit ArchiveOut(QIODevice* out) : m_out(out) {}
  ~ArchiveOut() { flush(); }
  ArchiveOut(const ArchiveOut&) = delete;
  ArchiveOut& operator=(const ArchiveOut&) = delete;
  bool ok() const { return m_ok; }
  bool flush() {
    if (m_ok && !m_buffer.isEmpty() && m_out->write(m_buffer) != m_buffer.size())
      m_ok = false;
    m_buffer.clear();
    return m_ok;
  }

  void writeInt(qint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    put(bytes, 4);
  }
  void writeDouble(double value) {
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char bytes[8];
    qToLittleEndian(bits, bytes);
    put(bytes, 8);
  }
  void writeText(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    dropNul(&utf8);
    const qint64 size = utf8.size();
    if (size < 0xFF) {
      const char length = char(size);
      put(&length, 1);
    } else {
      const char mark = char(0xFF);
      put(&mark, 1);
      char bytes[4];
      if (size < 0xFFFE) {
        qToLittleEndian(quint16(size), bytes);
        put(bytes, 2);
      } else {
        qToLittleEndian(quint16(0xFFFF), bytes);
        put(bytes, 2);
        qToLittleEndian(quint32(size), bytes);
        put(bytes, 4);
      }
    }
    put(utf8.constData(), size);
  }
  qint64 pos() const { return m_out->pos() + m_buffer.size(); }
  // Writes an integer at an earlier place and comes back to the end.
  void patchInt(qint64 at, qint32 value) {
    const qint64 buffered = m_out->pos();
    if (at >= buffered && at + 4 <= buffered + m_buffer.size()) {
      qToLittleEndian(value, m_buffer.data() + (at - buffered));
      return;
    }
    flush();
    const qint64 end = m_out->pos();
    if (!m_ok || !m_out->seek(at)) {
      m_ok = false;
      return;
    }
    writeInt(value);
    flush();
    if (!m_out->seek(end))
      m_ok = false;
  }

 private:
  void put(const char* data, qint64 size) {
    if (!m_ok || size <= 0)
      return;
    m_buffer.append(data, size);
    if (m_buffer.size() >= kPiece)
      flush();
  }

  static constexpr qsizetype kPiece = 1 << 16;
  QIODevice* m_out;
  QByteArray m_buffer;
  bool m_ok = true;
};

// The operator's message for a name the archive cannot carry.
QString nameRefusal(const QString& table, const QString& column = QString()) {
  return (column.isEmpty() ? QStringLiteral("数据表“%1”").arg(table)
                           : QStringLiteral("数据表“%1”的列“%2”").arg(table, column)) +
         QStringLiteral("的名称不能写入备份件，请在SQL语言数据维护中更名或删除。");
}

bool writeTable(CKvDb& db, const QString& table, ArchiveOut& out, QString* error) {
  if (!KvIsArchiveName(table)) {
    *error = nameRefusal(table);
    return false;
  }
  if (!db.TableExists(table))
    return false;
  QStringList groups[kGroups];
  QList<int> widths;
  const int columnCount = db.GetColumns(table, groups, &widths);
  if (columnCount <= 0)
    return false;
  const QStringList columns = groups[kInteger] + groups[kFloating] + groups[kText];
  if (columns.isEmpty())
    return false;
  for (const QString& column : columns) {
    if (!KvIsArchiveName(column)) {
      *error = nameRefusal(table, column);
      return false;
    }
  }
  KvDbBackend* backend = db.GetBackend();
  std::unique_ptr<KvDbCursor> cursor =
      backend ? backend->query(QStringLiteral("Select ") + columns.join(u',') +
                                   QStringLiteral(" From ") + table,
                               nullptr)
              : nullptr;
  if (!cursor)
    return false;

  const int nInt = int(groups[kInteger].size());
  const int nDouble = int(groups[kFloating].size());
  const int nText = int(groups[kText].size());
  out.writeText(table + u'(' + columns.join(u',') + u')');
  out.writeInt(columnCount);
  out.writeInt(nInt);
  out.writeInt(nDouble);
  out.writeInt(nText);
  const qint64 countAt = out.pos();
  out.writeInt(0);
  qint32 rows = 0;
  for (; !cursor->atEnd() && out.ok(); cursor->next(), ++rows) {
    int column = 0;
    for (int i = 0; i < nInt; ++i)
      out.writeInt(qint32(cursor->integer(column++)));
    for (int i = 0; i < nDouble; ++i)
      out.writeDouble(cursor->real(column++));
    for (int i = 0; i < nText; ++i) {
      const QString text = KvDbTrimRight(cursor->text(column++));
      const int width = widths.value(i);
      // A character is at most two units wide: a text of half its
      // column's width in units fits as it is.
      out.writeText(width > 0 && 2 * text.size() > width ? KvLeftByWidth(text, width) : text);
    }
  }
  out.patchInt(countAt, rows);
  return out.ok();
}

// The target's column of that name in the group, as the target spells it;
// empty when it has none.
QString findColumn(const QStringList& columns, const QString& name) {
  for (const QString& column : columns)
    if (KvEqualsIgnoreCase(column, name))
      return column;
  return QString();
}

}  // namespace

bool KvIsArchiveName(const QString& name) {
  qsizetype bytes = 0;
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t c = name.at(i).unicode();
    if (c >= 0x80) {
      // A character beyond the basic plane is a pair of halves; a half
      // alone is no character.
      if (QChar::isLowSurrogate(c))
        return false;
      if (QChar::isHighSurrogate(c)) {
        if (i + 1 == name.size() || !QChar::isLowSurrogate(name.at(i + 1).unicode()))
          return false;
        ++i;
        bytes += 4;
      } else {
        bytes += c < 0x800 ? 2 : 3;
      }
      continue;
    }
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
    if (!letter && !(i > 0 && c >= u'0' && c <= u'9'))
      return false;
    ++bytes;
  }
  return bytes > 0 && bytes <= kNameBytes;
}

QStringList KvArchiveTableOrder(CKvDb& db) {
  QStringList tables;
  db.ListUserTables(&tables);
  for (const char* first : {"KvReportSQL", "SysCsTab", "SysTab"}) {
    const QString name = QString::fromLatin1(first);
    for (qsizetype i = 0; i < tables.size(); ++i) {
      if (KvEqualsIgnoreCase(tables.at(i), name)) {
        tables.removeAt(i);
        tables.prepend(name);
        break;
      }
    }
  }
  return tables;
}

bool KvWriteArchive(CKvDb& db, const KvArchiveHeader& header, QIODevice* out, QString* error) {
  QString why;
  QString* reason = error ? error : &why;
  reason->clear();
  if (!out || !out->isWritable() || out->isSequential() || !db.IsOpen())
    return false;
  const QStringList tables = KvArchiveTableOrder(db);
  if (tables.isEmpty())
    return false;
  ArchiveOut archive(out);
  archive.writeText(header.signature + u'/' + header.identifier);
  archive.writeText(header.databaseName);
  archive.writeInt(header.edition);
  archive.writeInt(header.year);
  archive.writeText(header.entityName);
  archive.writeText(header.operatorText);
  archive.writeText(header.timeText);
  archive.writeInt(qint32(tables.size()));
  for (const QString& table : tables)
    if (!writeTable(db, table, archive, reason))
      return false;
  return archive.flush();
}

// --- Reading ---

KvArchiveReader::KvArchiveReader(QIODevice* in) : m_in(in) {
  if (!m_in || !m_in->isReadable() || m_in->isSequential()) {
    fail(QStringLiteral("备份件不能读取"));
  } else {
    m_size = m_in->size();
    m_pos = m_dataStart = m_dataEnd = m_in->pos();
  }
}

qint64 KvArchiveReader::Remaining() const { return qMax<qint64>(0, m_size - m_pos); }

bool KvArchiveReader::fail(const QString& why) {
  if (m_error.isEmpty())
    m_error = why;
  return false;
}

bool KvArchiveReader::takePiece() {
  // Large enough that a read costs little per value, small enough to be
  // nothing beside a table's rows.
  constexpr qint64 kPiece = 1 << 18;
  const qint64 size = qMin(kPiece, m_size - m_pos);
  m_piece.resize(size);
  if (m_in->read(m_piece.data(), size) != size)
    return fail(QStringLiteral("备份件不能读取"));
  m_checksum = qHashBits(m_piece.constData(), size_t(size), m_checksum);
  m_dataStart = m_pos;
  m_dataEnd = m_pos + size;
  return true;
}

bool KvArchiveReader::take(char* data, qint64 size) {
  if (Failed())
    return false;
  if (size > Remaining())
    return fail(QStringLiteral("备份件不完整，在数据读完前结束"));
  while (size > 0) {
    if (m_pos == m_dataEnd && !takePiece())
      return false;
    const qint64 part = qMin(size, m_dataEnd - m_pos);
    if (data) {
      std::memcpy(data, m_piece.constData() + (m_pos - m_dataStart), size_t(part));
      data += part;
    }
    m_pos += part;
    size -= part;
  }
  return true;
}

bool KvArchiveReader::ReadInt(qint32* value) {
  char bytes[4];
  if (!take(bytes, 4))
    return false;
  *value = qFromLittleEndian<qint32>(bytes);
  return true;
}

bool KvArchiveReader::ReadDouble(double* value) {
  char bytes[8];
  if (!take(bytes, 8))
    return false;
  const quint64 bits = qFromLittleEndian<quint64>(bytes);
  std::memcpy(value, &bits, sizeof bits);
  return true;
}

bool KvArchiveReader::takeTextSize(qint64* size) {
  unsigned char first = 0;
  if (!take(reinterpret_cast<char*>(&first), 1))
    return false;
  *size = first;
  if (first == 0xFF) {
    char bytes[4];
    if (!take(bytes, 2))
      return false;
    *size = qFromLittleEndian<quint16>(bytes);
    if (*size == 0xFFFF) {
      if (!take(bytes, 4))
        return false;
      *size = qFromLittleEndian<quint32>(bytes);
    }
  }
  if (*size > Remaining())
    return fail(QStringLiteral("有文本的长度超出备份件的剩余部分"));
  return true;
}

bool KvArchiveReader::takeText(QByteArray* bytes) {
  qint64 size = 0;
  return takeTextSize(&size) && takeTextBytes(size, bytes);
}

bool KvArchiveReader::takeTextBytes(qint64 size, QByteArray* bytes) {
  bytes->resize(size);
  if (!take(bytes->data(), size))
    return false;
  if (!bytes->isValidUtf8())
    return fail(QStringLiteral("有文本不是UTF-8编码"));
  dropNul(bytes);
  return true;
}

bool KvArchiveReader::skipText() {
  qint64 size = 0;
  if (!takeTextSize(&size))
    return false;
  if (m_pos + size > m_dataEnd) {
    // Past the bytes at hand: taken across pieces.
    return takeTextBytes(size, &m_bytes);
  }
  // Bytes at hand are judged where they stand.
  if (!QByteArrayView(m_piece.constData() + (m_pos - m_dataStart), size).isValidUtf8())
    return fail(QStringLiteral("有文本不是UTF-8编码"));
  m_pos += size;
  return true;
}

bool KvArchiveReader::ReadUtf8(QByteArray* bytes) { return takeText(bytes); }

bool KvArchiveReader::ReadText(QString* value) {
  if (!takeText(&m_bytes))
    return false;
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  *value = decoder(m_bytes);
  return true;
}

bool KvArchiveReader::ReadHeader(KvArchiveHeader* header) {
  QString first;
  if (!ReadText(&first))
    return false;
  const qsizetype slash = first.indexOf(u'/');
  header->signature = slash < 0 ? first : first.left(slash);
  header->identifier = slash < 0 ? QString() : first.mid(slash + 1);
  return ReadText(&header->databaseName) && ReadInt(&header->edition) &&
         ReadInt(&header->year) && ReadText(&header->entityName) &&
         ReadText(&header->operatorText) && ReadText(&header->timeText);
}

bool KvArchiveReader::ReadTableCount(qint32* count) {
  if (!ReadInt(count))
    return false;
  if (*count < 0 || *count > Remaining() / kMinTableBytes)
    return fail(QStringLiteral("表数目与备份件的长度不符"));
  return true;
}

bool KvArchiveReader::ReadTable(KvArchiveTable* table) {
  QString head;
  qint32 counts[5] = {};
  if (!ReadText(&head))
    return false;
  for (qint32& count : counts)
    if (!ReadInt(&count))
      return false;
  const qint32 columnCount = counts[0], nInt = counts[1], nDouble = counts[2],
               nText = counts[3], rowCount = counts[4];

  // "<table>(<column>,...)" without blanks.
  const qsizetype open = head.indexOf(u'(');
  if (open <= 0 || !head.endsWith(u')'))
    return fail(QStringLiteral("有数据表的表头格式不正确"));
  table->name = head.left(open);
  const QStringList names = head.mid(open + 1, head.size() - open - 2).split(u',');
  if (!KvIsArchiveName(table->name))
    return fail(QStringLiteral("有数据表的名称不是备份件可以含有的"));
  for (qsizetype i = 0; i < names.size(); ++i) {
    if (!KvIsArchiveName(names.at(i)))
      return fail(QStringLiteral("有列的名称不是备份件可以含有的"));
    for (qsizetype j = 0; j < i; ++j)
      if (KvEqualsIgnoreCase(names.at(i), names.at(j)))
        return fail(QStringLiteral("有列名重复"));
  }

  if (nInt < 0 || nDouble < 0 || nText < 0 ||
      qint64(nInt) + nDouble + nText != names.size() || columnCount < names.size())
    return fail(QStringLiteral("列数与表头不符"));
  const qint64 rowBytes = 4 * qint64(nInt) + 8 * qint64(nDouble) + qint64(nText);
  if (rowCount < 0 || (rowCount > 0 && rowCount > Remaining() / rowBytes))
    return fail(QStringLiteral("行数与备份件的长度不符"));

  table->integers = names.mid(0, nInt);
  table->doubles = names.mid(nInt, nDouble);
  table->texts = names.mid(qsizetype(nInt) + nDouble);
  table->columnCount = columnCount;
  table->rowCount = rowCount;
  return true;
}

bool KvArchiveReader::ReadRow(const KvArchiveTable& table, KvArchiveRow* row) {
  row->integers.resize(table.integers.size());
  row->doubles.resize(table.doubles.size());
  row->texts.resize(table.texts.size());
  for (qint32& value : row->integers)
    if (!ReadInt(&value))
      return false;
  for (double& value : row->doubles)
    if (!ReadDouble(&value))
      return false;
  for (QString& value : row->texts)
    if (!ReadText(&value))
      return false;
  return true;
}

bool KvArchiveReader::SkipRow(const KvArchiveTable& table) {
  // The numbers of a row stand together before its texts.
  if (!take(nullptr, 4 * qint64(table.integers.size()) + 8 * qint64(table.doubles.size())))
    return false;
  for (qsizetype i = 0; i < table.texts.size(); ++i)
    if (!skipText())
      return false;
  return true;
}

// --- Restoring ---

namespace {

// The width of a text from its (valid) UTF-8 bytes: each byte that begins a
// character counts 1 when it is ASCII and 2 otherwise.
int utf8Width(const QByteArray& utf8) {
  int width = 0;
  for (const char byte : utf8) {
    const auto b = static_cast<unsigned char>(byte);
    width += b < 0x80 ? 1 : (b & 0xC0) == 0xC0 ? 2 : 0;
  }
  return width;
}

// Reads the rows of the block whose head was read, keeping none.
bool skipRows(KvArchiveReader& reader, const KvArchiveTable& table) {
  for (qint32 r = 0; r < table.rowCount; ++r)
    if (!reader.SkipRow(table))
      return false;
  return true;
}

// One block into its table: the columns matched against the target's, one
// bulk load, every row bound.
bool restoreTable(KvArchiveReader& reader, const KvArchiveTable& table, CKvDb& db,
                  QString* error) {
  if (!db.TableExists(table.name)) {
    *error = QStringLiteral("数据文件中没有数据表") + table.name;
    return false;
  }
  QStringList groups[kGroups];
  QList<int> widths;
  if (db.GetColumns(table.name, groups, &widths) <= 0) {
    *error = QStringLiteral("不能读取数据表%1的列").arg(table.name);
    return false;
  }
  const QStringList* archived[] = {&table.integers, &table.doubles, &table.texts};
  QStringList columns;
  QList<int> textWidths;
  for (int group = kInteger; group <= kText; ++group) {
    for (const QString& name : *archived[group]) {
      const QString column = findColumn(groups[group], name);
      if (column.isEmpty()) {
        *error = QStringLiteral("数据表%1中没有该类型的列%2").arg(table.name, name);
        return false;
      }
      columns.append(column);
      if (group == kText)
        textWidths.append(widths.value(groups[kText].indexOf(column)));
    }
  }

  QString why;
  std::unique_ptr<KvDbStatement> insert = db.GetBackend()->prepareBulkInsert(table.name, columns, &why);
  if (!insert) {
    *error = why;
    return false;
  }
  // The texts go to the engine as the archive's UTF-8 bytes; only one
  // wider than its column is decoded, to be cut.
  QList<QByteArray> texts(table.texts.size());
  QList<QByteArray> cut(table.texts.size());
  for (qint32 r = 0; r < table.rowCount; ++r) {
    int index = 0;
    for (qsizetype i = 0; i < table.integers.size(); ++i) {
      qint32 value = 0;
      if (!reader.ReadInt(&value)) {
        *error = reader.Error();
        return false;
      }
      insert->bindInteger(index++, value);
    }
    for (qsizetype i = 0; i < table.doubles.size(); ++i) {
      double value = 0;
      if (!reader.ReadDouble(&value)) {
        *error = reader.Error();
        return false;
      }
      insert->bindReal(index++, std::isfinite(value) && std::fabs(value) <= kDoubleLimit ? value : 0.0);
    }
    for (qsizetype i = 0; i < texts.size(); ++i) {
      QByteArray& text = texts[i];
      if (!reader.ReadUtf8(&text)) {
        *error = reader.Error();
        return false;
      }
      const int width = textWidths.value(i);
      if (width > 0 && utf8Width(text) > width) {
        cut[i] = KvLeftByWidth(QString::fromUtf8(text), width).toUtf8();
        insert->bindUtf8(index++, cut[i]);
      } else {
        insert->bindUtf8(index++, text);
      }
    }
    if (!insert->run(&why)) {
      *error = why;
      return false;
    }
  }
  if (!insert->finish(&why)) {
    *error = why;
    return false;
  }
  return true;
}

}  // namespace

bool KvScanArchiveTables(KvArchiveReader& reader, qint32 tableCount, QString* error,
                         QList<KvArchiveTable>* tables) {
  KvArchiveTable table;
  bool sound = true;
  for (qint32 t = 0; t < tableCount && sound; ++t) {
    sound = reader.ReadTable(&table) && skipRows(reader, table);
    if (sound && tables)
      tables->append(table);
  }
  QString why = reader.Error();
  if (sound && reader.Remaining() > 0) {
    sound = false;
    why = QStringLiteral("最后一个数据表之后还有多余的数据");
  }
  if (error)
    *error = sound ? QString() : why;
  return sound;
}

bool KvScanArchiveFile(QFile* file, QString* error) {
  if (file->size() == 0 || !file->seek(0)) {
    *error = file->size() == 0 ? QStringLiteral("文件是空的") : file->errorString();
    return false;
  }
  KvArchiveReader reader(file);
  KvArchiveHeader header;
  qint32 count = 0;
  if (reader.ReadHeader(&header) && reader.ReadTableCount(&count))
    return KvScanArchiveTables(reader, count, error);
  *error = reader.Error();
  return false;
}

bool KvRestoreArchiveTables(KvArchiveReader& reader, qint32 tableCount, CKvDb& db,
                            QString* error, QStringList* skipped) {
  QString why;
  QString* reason = error ? error : &why;
  reason->clear();
  if (!db.IsOpen() || !db.GetBackend()) {
    *reason = QStringLiteral("暂存数据文件未打开");
    return false;
  }
  KvDbTransaction transaction(db);
  if (!transaction.IsActive()) {
    *reason = QStringLiteral("不能开始事务");
    return false;
  }
  KvArchiveTable table;
  for (qint32 t = 0; t < tableCount; ++t) {
    if (!reader.ReadTable(&table)) {
      *reason = reader.Error();
      return false;
    }
    if (skipped && !db.TableExists(table.name)) {
      if (!skipRows(reader, table)) {
        *reason = reader.Error();
        return false;
      }
      skipped->append(table.name);
      continue;
    }
    if (!restoreTable(reader, table, db, reason))
      return false;
  }
  if (reader.Remaining() > 0) {
    *reason = QStringLiteral("最后一个数据表之后还有多余的数据");
    return false;
  }
  if (!transaction.Commit()) {
    *reason = QStringLiteral("事务未能提交");
    return false;
  }
  return true;
}
