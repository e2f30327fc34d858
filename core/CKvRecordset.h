#pragma once
// The updatable recordset: opens any select on a connection, walks its rows,
// reads fields by column name with the type chosen at the call, binary data
// included, and adds rows to the table the select reads from:
//
//   CKvRecordset rs(pDb);
//   if (rs.Open("Select Flag,Prg From T Where 1=0") && rs.AddNew()) {
//     rs.SetLong("Flag", 22);
//     rs.SetBinary("Prg", bytes);
//     rs.Update();
//   }
//
// Works on every kind, each on its own connection (an ODBC data source
// through its ODBC session). A new row is written by one INSERT of the
// fields that were set, prepared once per set of fields and run with bound
// values, so binary data never passes through the text of a statement and
// adding many rows costs one prepared statement.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <variant>

class CKvDb;
class KvDbRowset;
class KvDbStatement;

class CKvRecordset {
 public:
  // The connection must stay open while the recordset is used.
  explicit CKvRecordset(CKvDb* pDb);
  virtual ~CKvRecordset();
  CKvRecordset(const CKvRecordset&) = delete;
  CKvRecordset& operator=(const CKvRecordset&) = delete;

  // Runs the select: sqlJet on kind 0, sqlServer (sqlJet when empty) on
  // kinds 1 and 2, translated for the back end. A closed connection shows
  // "执行下列SQL语句时数据库未打开！\n%s" on kinds 1 and 2, a refused select
  // "执行下列SQL语句时出错！\n%s" (the statement as translated; stop icon);
  // both give false.
  bool Open(const QString& sqlJet, const QString& sqlServer = QString());
  // Always true.
  bool Close();
  // True when there is no current row (also while closed).
  bool IsEOF() const;
  void MoveNext();

  // Starts a new row of the table the select reads from (a select of one
  // table, its name plain or in double quotes); false when the recordset is
  // not open or reads no single table. The row's column names are written
  // quoted, so any column the select reports can take a value.
  bool AddNew();
  // Inserts the new row with the fields set since AddNew (the others take
  // their defaults); false when the engine refuses it or no AddNew came
  // before. Inside a transaction a refused row is undone alone.
  bool Update();

  // Fields by column name (case ignored) of the current row. A missing
  // field, a NULL or no current row gives 0, 0.0 or the empty text.
  int GetLong(const QString& name) const;
  // A value beyond ±10^18 gives 0.0.
  double GetDouble(const QString& name) const;
  // Without trailing white space.
  QString GetText(const QString& name) const;
  // The field's bytes into *pData (no bytes for a NULL or an empty block);
  // false for a missing field or no current row.
  bool GetBinary(const QString& name, QByteArray* pData) const;

  // Values of the new row begun by AddNew; false without AddNew or when the
  // select has no such column. SetText also fails for a text wider than the
  // column's declared width (core/KvWidth.h).
  bool SetLong(const QString& name, int value);
  bool SetDouble(const QString& name, double value);
  bool SetText(const QString& name, const QString& value);
  bool SetBinary(const QString& name, const QByteArray& data);

  // The rows as the engine reads them, by column position in the select's
  // order (null while closed): for a caller that reads many rows, so it
  // finds its columns once rather than by name in every row.
  const KvDbRowset* Rows() const { return m_rows.get(); }

 private:
  using Value = std::variant<std::monostate, qint64, double, QString, QByteArray>;

  // The column of that name in the select, -1 when there is none.
  int ColumnIndex(const QString& name) const;
  // The column, when it has a current row to read; -1 otherwise.
  int ReadableColumn(const QString& name) const;
  bool SetValue(const QString& name, Value value);
  // The declared widths of the table's text columns, by lower-case name.
  const QHash<QString, int>& TextWidths();
  KvDbStatement* InsertStatement(const QList<int>& columns);

  CKvDb* m_pDb;
  std::unique_ptr<KvDbRowset> m_rows;
  QStringList m_names;               // the select's columns
  QHash<QString, int> m_exactIndex;  // name as reported -> column
  QHash<QString, int> m_foldedIndex; // lower-case name -> column
  QString m_table;                   // the table a new row goes to
  bool m_adding = false;
  QList<Value> m_newRow;  // by column; monostate: not set
  bool m_widthsRead = false;
  QHash<QString, int> m_textWidths;
  // Prepared inserts by the set of fields they write.
  QHash<QByteArray, std::shared_ptr<KvDbStatement>> m_inserts;
};

// Reads a whole file into *pData; false when it cannot be read completely.
bool KvReadFile(const QString& path, QByteArray* pData);
// Creates (or truncates) the file and writes the bytes; false for a null
// block or when the file cannot be written.
bool KvWriteFile(const QString& path, const QByteArray& data);
