#pragma once
// What the three typed recordsets share: the current row held in three value
// arrays (integers, floating-point values, texts), filled by position from a
// select whose list holds first the integer columns, then the floating-point
// ones, then the texts. Texts are kept without trailing white space; a NULL
// is 0, 0.0 or the empty text; before a row is read and past the last one the
// arrays hold those neutral values.

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class CKvDb;
class KvDbCursor;

class KvTypedSet {
 public:
  KvTypedSet();
  virtual ~KvTypedSet();
  KvTypedSet(const KvTypedSet&) = delete;
  KvTypedSet& operator=(const KvTypedSet&) = delete;

  // Records the column counts, sizes the arrays with neutral values and
  // takes the connection the statements run on.
  void Init(int nLong, int nDouble, int nText, const CKvDb* pDb);

  // Runs the select on the connection (translated into its dialect);
  // failures are shown as each back end's recordset shows them.
  virtual bool Open(const QString& sql) = 0;
  bool IsOpen() const { return m_cursor != nullptr; }
  bool IsEOF() const;
  void MoveNext();
  void Close();

  int LongCount() const { return int(m_longs.size()); }
  int DoubleCount() const { return int(m_doubles.size()); }
  int TextCount() const { return int(m_texts.size()); }
  int Long(int i) const { return m_longs[i]; }
  double Double(int i) const { return m_doubles[i]; }
  const QString& Text(int i) const { return m_texts[i]; }

 protected:
  // False also when the connection is lost, which then goes to the
  // lost-statement handler (CKvDb::FailsAsLost).
  bool ConnectionOpen() const;
  // For a failure about to be reported: the connection's session ended,
  // and the failure goes to the lost-statement handler instead
  // (CKvDb::FailsAsLost).
  bool ConnectionLost() const;
  // Runs the translated statement and reads its first row; false (and the
  // engine's text in `error`) when it fails or returns fewer columns than
  // declared.
  bool Run(const QString& sql, QString* error);
  void ClearValues();
  // Translates the select (Jet dialect, or the server's when bServer) and
  // runs it, reporting a closed connection ("执行下列SQL语句时数据库未打开！")
  // or a refused select ("执行下列SQL语句时出错！") with the translated text,
  // unless the connection is lost.
  bool OpenReporting(const QString& sql, bool bServer);

 private:
  void ReadRow();

  const CKvDb* m_pDb = nullptr;
  std::unique_ptr<KvDbCursor> m_cursor;
  QList<int> m_longs;
  QList<double> m_doubles;
  QStringList m_texts;
};
