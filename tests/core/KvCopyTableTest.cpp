// Copying a table between connections of different kinds: values of every
// column type survive, the Where text follows the source's dialect, and rows
// that cannot be stored are reported and left out.

#include "core/CKvDb.h"
#include "core/CKvRecordset.h"
#include "core/KvCopyTable.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

#include <QList>
#include <QStringList>
#include <optional>
#include <tuple>

namespace {
const QString kCreate = QStringLiteral("Create Table T(K \x07Long\x08, N Double, S CHAR(20), B Image)");

using Row = std::tuple<int, double, QString, QByteArray>;

QList<Row> sampleRows() {
  QByteArray every;
  for (int i = 0; i < 256; ++i)
    every.append(char(i));
  return {
      {1, 0.1, QStringLiteral("一年级"), every},
      {2, -1234567.875, QStringLiteral("x'y\\z"), QByteArray("\0'\\", 3)},
      {3, 0.0, QString(), QByteArray()},
      {-4, 1e15, QStringLiteral("xa"), QByteArray(70000, 'q')},
  };
}

void fill(CKvDb& db, const QList<Row>& rows) {
  CKvRecordset rs(&db);
  ASSERT_TRUE(rs.Open(QStringLiteral("Select K,N,S,B From T")));
  for (const auto& [k, n, s, b] : rows) {
    ASSERT_TRUE(rs.AddNew());
    rs.SetLong(QStringLiteral("K"), k);
    rs.SetDouble(QStringLiteral("N"), n);
    if (!s.isEmpty())
      rs.SetText(QStringLiteral("S"), s);
    if (!b.isEmpty())
      rs.SetBinary(QStringLiteral("B"), b);
    ASSERT_TRUE(rs.Update());
  }
}

QList<Row> readRows(CKvDb& db) {
  QList<Row> rows;
  CKvRecordset rs(&db);
  EXPECT_TRUE(rs.Open(QStringLiteral("Select K,N,S,B From T Order By K Desc")));
  for (; !rs.IsEOF(); rs.MoveNext()) {
    QByteArray b;
    rs.GetBinary(QStringLiteral("B"), &b);
    rows.prepend({rs.GetLong(QStringLiteral("K")), rs.GetDouble(QStringLiteral("N")),
                  rs.GetText(QStringLiteral("S")), b});
  }
  return rows;
}

QList<Row> sortedByKey(QList<Row> rows) {
  std::sort(rows.begin(), rows.end(),
            [](const Row& a, const Row& b) { return std::get<0>(a) < std::get<0>(b); });
  return rows;
}

QList<int> keys(CKvDb& db) {
  QList<int> result;
  CKvRecordset rs(&db);
  EXPECT_TRUE(rs.Open(QStringLiteral("Select K From T Order By K")));
  for (; !rs.IsEOF(); rs.MoveNext())
    result.append(rs.GetLong(QStringLiteral("K")));
  return result;
}

const unsigned kQuestionStyle = KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2;
}  // namespace

TEST(KvCopyTableTest, SqliteToServerAndBackComparesEqual) {
  KvTestDb first(0), server(2), last(0);
  KV_CREATE_TEST_DB(first);
  KV_CREATE_TEST_DB(server);
  KV_CREATE_TEST_DB(last);
  for (KvTestDb* testDb : {&first, &server, &last})
    ASSERT_TRUE(testDb->db().Execute(kCreate));
  fill(first.db(), sampleRows());

  KvMessageRecorder recorder;
  EXPECT_EQ(KvCopyTable(&first.db(), &server.db(), QStringLiteral("T")), 1);
  EXPECT_EQ(KvCopyTable(&server.db(), &last.db(), QStringLiteral("t")), 1);
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
  const QList<Row> expected = sortedByKey(sampleRows());
  EXPECT_EQ(readRows(server.db()), expected);
  EXPECT_EQ(readRows(last.db()), expected);
}

TEST(KvCopyTableTest, WhereTextFollowsTheSourceKind) {
  KvTestDb file(0), server(2), back(0);
  KV_CREATE_TEST_DB(file);
  KV_CREATE_TEST_DB(server);
  KV_CREATE_TEST_DB(back);
  for (KvTestDb* testDb : {&file, &server, &back})
    ASSERT_TRUE(testDb->db().Execute(kCreate));
  fill(file.db(), sampleRows());
  // Each text runs on one engine only: Instr is registered on SQLite, and
  // SQLite has no "position(... in ...)".
  const QString jet = QStringLiteral("Where Instr(S,'x')=1 And S Like '\x07*\x08" "a'");
  const QString serverWhere = QStringLiteral("Where position('x' in S)=1 And S Like '\x07*\x08" "a'");
  KvMessageRecorder recorder;
  EXPECT_EQ(KvCopyTable(&file.db(), &server.db(), QStringLiteral("T"), jet, serverWhere), 1);
  EXPECT_EQ(keys(server.db()), QList<int>{-4});
  ASSERT_TRUE(server.db().Execute(QStringLiteral("Insert Into T(K,S) Values(7,'xYA')")));
  EXPECT_EQ(KvCopyTable(&server.db(), &back.db(), QStringLiteral("T"), jet, serverWhere), 1);
  // The server compares LIKE without regard to case, as Jet did.
  EXPECT_EQ(keys(back.db()), (QList<int>{-4, 7}));
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
}

namespace {
// A source row with NULLs where a value is absent.
struct SparseRow {
  int k;
  std::optional<double> n;
  std::optional<QString> s;
  std::optional<QByteArray> b;
};

// A row as stored: each value with whether it is NULL.
using StoredRow = std::tuple<int, bool, double, bool, QString, bool, QByteArray>;

void insertSparse(CKvDb& db, const SparseRow& row) {
  QStringList names{QStringLiteral("K")};
  if (row.n)
    names.append(QStringLiteral("N"));
  if (row.s)
    names.append(QStringLiteral("S"));
  if (row.b)
    names.append(QStringLiteral("B"));
  const QString sql = QStringLiteral("Insert Into T(") + names.join(u',') + QStringLiteral(") Values(") +
                      QStringList(names.size(), QStringLiteral("?")).join(u',') + u')';
  std::unique_ptr<KvDbStatement> insert = db.GetBackend()->prepare(sql, nullptr);
  ASSERT_TRUE(insert) << sql.toStdString();
  int index = 0;
  insert->bindInteger(index++, row.k);
  if (row.n)
    insert->bindReal(index++, *row.n);
  if (row.s)
    insert->bindText(index++, *row.s);
  if (row.b)
    insert->bindBinary(index++, *row.b);
  ASSERT_TRUE(insert->run(nullptr));
}

QList<StoredRow> storedRows(CKvDb& db, const QString& table) {
  QList<StoredRow> rows;
  CKvRecordset rs(&db);
  EXPECT_TRUE(rs.Open(QStringLiteral("Select K,N,S,B From ") + table + QStringLiteral(" Order By K")));
  for (const KvDbRowset* r = rs.Rows(); !rs.IsEOF(); rs.MoveNext()) {
    rows.append({int(r->integer(0)), r->isNull(1), r->real(1), r->isNull(2), r->text(2), r->isNull(3),
                 r->binary(3)});
  }
  return rows;
}
}  // namespace

class KvCopyTableKindTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_TRUE(m_source.Create());
    ASSERT_TRUE(m_source.db().Execute(kCreate));
  }
  CKvDb& source() { return m_source.db(); }

 private:
  KvTestDb m_source{0};
};

TEST_P(KvCopyTableKindTest, EmptyOrMissingTables) {
  KvMessageRecorder recorder;
  // The target lacks the table: nothing starts.
  EXPECT_EQ(KvCopyTable(&source(), &db(), QStringLiteral("T")), 0);
  EXPECT_EQ(KvCopyTable(&source(), &db(), QStringLiteral("Missing")), 0);
  ASSERT_TRUE(db().Execute(kCreate));
  EXPECT_EQ(KvCopyTable(&source(), &db(), QStringLiteral("T")), 1);
  EXPECT_TRUE(recorder.messages().isEmpty());
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From T")), 0);
  // A column the target lacks: its select does not open, nothing is copied.
  fill(source(), sampleRows());
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table T")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(K \x07Long\x08, N Double, S CHAR(20))")));
  EXPECT_EQ(KvCopyTable(&source(), &db(), QStringLiteral("T")), 0);
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From T")), 0);
}

TEST_P(KvCopyTableKindTest, FailedRowsAreReportedAndLeftOut) {
  ASSERT_TRUE(db().Execute(kCreate));
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Unique Index TK On T(K)")));
  fill(source(), {{1, 1.5, QStringLiteral("甲"), QByteArray("b")},
                  {1, 2.0, QStringLiteral("乙"), QByteArray()},
                  {2, 0.0, QString(), QByteArray()},
                  {1, 3.0, QString(), QByteArray()},
                  {1, 4.0, QString(), QByteArray()},
                  {3, 0.0, QString(), QByteArray()}});
  KvMessageRecorder recorder;
  recorder.script({KV_IDYES, KV_IDCANCEL, KV_IDNO});
  ASSERT_EQ(KvCopyTable(&source(), &db(), QStringLiteral("T"), QString(), QString()), 1);
  EXPECT_EQ(keys(db()), (QList<int>{1, 2, 3}));
  // Yes and Cancel go on reporting; after No the last duplicate is silent.
  ASSERT_EQ(recorder.messages().size(), 3);
  EXPECT_EQ(recorder.messages()[0].text,
            QStringLiteral("复制表[T]出错！\nK：1\nN：2.000000\nS：乙\nB：无\n继续报错吗？"));
  EXPECT_EQ(recorder.messages()[0].style, kQuestionStyle);
  EXPECT_TRUE(recorder.messages()[2].text.contains(QStringLiteral("N：4.000000\n")));
}

TEST_P(KvCopyTableKindTest, ColumnThatCannotBeWrittenIsMarked) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(K \x07Long\x08, N Double, S CHAR(4), B Image)")));
  fill(source(), {{1, 0.0, QStringLiteral("abcd"), QByteArray("x")},
                  {2, 0.0, QStringLiteral("中文字"), QByteArray("y")},
                  {3, 0.0, QStringLiteral("中文"), QByteArray()}});
  KvMessageRecorder recorder;
  ASSERT_EQ(KvCopyTable(&source(), &db(), QStringLiteral("T")), 1);
  // The row is left out whole rather than stored without its text.
  EXPECT_EQ(keys(db()), (QList<int>{1, 3}));
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_EQ(recorder.last(),
            QStringLiteral("复制表[T]出错！\nK：2\nN：0.000000\n×S：中文字\nB：二进制流\n继续报错吗？"));
}

// The strict copy keeps no row when one is refused, asks nothing, names
// the refused row, and inside an open transaction of the target its rows go
// with that transaction.
TEST_P(KvCopyTableKindTest, StrictCopyIsAllOrNothing) {
  ASSERT_TRUE(db().Execute(kCreate));
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Unique Index TK On T(K)")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(K) Values(9)")));
  fill(source(), {{1, 1.5, QStringLiteral("甲"), QByteArray("b")},
                  {2, 0.0, QString(), QByteArray()},
                  {9, 2.0, QStringLiteral("乙"), QByteArray()},
                  {3, 0.0, QString(), QByteArray()}});
  KvMessageRecorder recorder;
  QString error;
  EXPECT_FALSE(KvCopyTableStrict(&source(), &db(), QStringLiteral("T"), &error));
  EXPECT_EQ(error, QStringLiteral("复制表[T]出错！\nK：9\nN：2.000000\nS：乙\nB：无\n"));
  EXPECT_EQ(keys(db()), (QList<int>{9}));
  EXPECT_TRUE(recorder.messages().isEmpty());
  EXPECT_FALSE(KvCopyTableStrict(&source(), &db(), QStringLiteral("Missing"), &error));
  EXPECT_TRUE(error.contains(QStringLiteral("Missing")));

  // Without the clash every row goes in; a rollback of the caller's
  // transaction takes them back.
  ASSERT_TRUE(db().Execute(QStringLiteral("Delete From T")));
  {
    KvDbTransaction outer(db());
    ASSERT_TRUE(KvCopyTableStrict(&source(), &db(), QStringLiteral("T"), &error)) << error.toStdString();
    EXPECT_EQ(keys(db()), (QList<int>{1, 2, 3, 9}));
  }
  EXPECT_EQ(keys(db()), QList<int>());
  EXPECT_TRUE(KvCopyTableStrict(&source(), &db(), QStringLiteral("T"), nullptr, QStringLiteral("Where K<3")));
  EXPECT_EQ(keys(db()), (QList<int>{1, 2}));
}

KV_DB_KIND_TEST_SUITE(KvCopyTableKindTest);

// The strict copy keeps every row or none and asks nothing: a refused row
// (a duplicate key, a text too wide) ends it with the row described, and
// the target keeps what it had; every refused statement does the same.
TEST_P(KvCopyTableKindTest, StrictCopyKeepsAllRowsOrNone) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(K \x07Long\x08, N Double, S CHAR(4), B Image)")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Unique Index TK On T(K)")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(K,N,S) Values(9,0,'old')")));
  struct Case {
    QList<Row> rows;
    QString error;  // empty: copied
  };
  const QList<Case> cases = {
      {{{1, 0.0, QStringLiteral("ab"), QByteArray("x")}, {9, 1.0, QString(), QByteArray()}},
       QStringLiteral("复制表[T]出错！\nK：9\nN：1.000000\nS：\nB：无\n")},
      // Refused where a bulk load ends because the next row has other
      // columns: the refused row is named, not the next one.
      {{{9, 1.0, QStringLiteral("x"), QByteArray("w")}, {4, 0.0, QString(), QByteArray()}},
       QStringLiteral("复制表[T]出错！\nK：9\nN：1.000000\nS：x\nB：二进制流\n")},
      {{{2, 0.0, QStringLiteral("中文字"), QByteArray("y")}},
       QStringLiteral("复制表[T]出错！\nK：2\nN：0.000000\n×S：中文字\nB：二进制流\n")},
      {{{1, 0.5, QStringLiteral("中文"), QByteArray("z")}, {3, 0.0, QString(), QByteArray()}}, {}},
  };
  KvMessageRecorder recorder;
  for (const Case& c : cases) {
    ASSERT_TRUE(source().Execute(QStringLiteral("Delete From T")));
    fill(source(), c.rows);
    QString error;
    const bool copied = KvCopyTableStrict(&source(), &db(), QStringLiteral("T"), &error);
    EXPECT_EQ(copied, c.error.isEmpty());
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(keys(db()), (c.error.isEmpty() ? QList<int>{1, 3, 9} : QList<int>{9}));
  }
  EXPECT_TRUE(recorder.messages().isEmpty());

  ASSERT_TRUE(db().Execute(QStringLiteral("Delete From T Where K<>9")));
  for (int n = 1;; ++n) {
    db().FailNthStatement(n);
    const bool copied = KvCopyTableStrict(&source(), &db(), QStringLiteral("T"));
    const int sent = db().GetStatementsSent();
    db().FailNthStatement(0);
    if (sent < n) {
      EXPECT_TRUE(copied);
      EXPECT_EQ(keys(db()), (QList<int>{1, 3, 9}));
      break;
    }
    // A refused read the copy can do without (the target's column widths)
    // still copies everything; any other refusal keeps nothing.
    ASSERT_EQ(keys(db()), (copied ? QList<int>{1, 3, 9} : QList<int>{9})) << n;
    ASSERT_TRUE(db().Execute(QStringLiteral("Delete From T Where K<>9")));
  }
}

// Absent, empty and filled values come out the same whichever way the rows
// went (one by one, or in bulk loads that change their columns from row to
// row) and whichever kinds the two sides are: a missing number is 0 and a
// missing text empty, a text loses its trailing blanks, and an empty binary
// block is stored as NULL, as a missing one is.
TEST(KvCopyTableTest, AbsentAndEmptyValuesAreStoredAlikeOnEveryPairing) {
  const QByteArray bytes("\\\t\n\0y", 5);
  const QList<SparseRow> source = {
      {1, {}, {}, {}},
      {2, 0.5, QString(), QByteArray()},
      {3, 1.0, QStringLiteral("ab"), QByteArray("x")},
      {4, {}, QStringLiteral("  "), bytes},
      {5, 2.0, QStringLiteral("中"), {}},
      {6, 3.0, QString(), QByteArray()},
      {7, 4.0, QStringLiteral("d\t'\\\ne "), QByteArray("z")},
      {8, -1.0, {}, QByteArray()},
  };
  const QList<StoredRow> expected = {
      {1, false, 0.0, false, QString(), true, QByteArray()},
      {2, false, 0.5, false, QString(), true, QByteArray()},
      {3, false, 1.0, false, QStringLiteral("ab"), false, QByteArray("x")},
      {4, false, 0.0, false, QString(), false, bytes},
      {5, false, 2.0, false, QStringLiteral("中"), true, QByteArray()},
      {6, false, 3.0, false, QString(), true, QByteArray()},
      {7, false, 4.0, false, QStringLiteral("d\t'\\\ne"), false, QByteArray("z")},
      {8, false, -1.0, false, QString(), true, QByteArray()},
  };
  // A table of binary blocks only: a row of nothing but absent blocks is
  // a row of defaults.
  const QString onlyBlocks = QStringLiteral("Create Table U(B Image)");

  KvTestDb sources[] = {KvTestDb(0), KvTestDb(1), KvTestDb(2)};
  KvTestDb targets[] = {KvTestDb(0), KvTestDb(1), KvTestDb(2)};
  for (KvTestDb& from : sources) {
    KV_CREATE_TEST_DB(from);
    ASSERT_TRUE(from.db().Execute(kCreate));
    ASSERT_TRUE(from.db().Execute(onlyBlocks));
    for (const SparseRow& row : source)
      ASSERT_NO_FATAL_FAILURE(insertSparse(from.db(), row));
    ASSERT_TRUE(from.db().Execute(QStringLiteral("Insert Into U(B) Values(NULL)")));
    std::unique_ptr<KvDbStatement> block =
        from.db().GetBackend()->prepare(QStringLiteral("Insert Into U(B) Values(?)"), nullptr);
    ASSERT_TRUE(block);
    for (const QByteArray& value : {QByteArray(), QByteArray("u")}) {
      block->bindBinary(0, value);
      ASSERT_TRUE(block->run(nullptr));
    }
  }
  for (KvTestDb& to : targets) {
    KV_CREATE_TEST_DB(to);
    ASSERT_TRUE(to.db().Execute(kCreate));
    ASSERT_TRUE(to.db().Execute(onlyBlocks));
  }
  KvMessageRecorder recorder;
  for (KvTestDb& from : sources) {
    for (KvTestDb& to : targets) {
      for (const bool strict : {false, true}) {
        const std::string pairing = std::to_string(from.kind()) + "->" + std::to_string(to.kind()) +
                                    (strict ? " strict" : "");
        for (const QString& table : {QStringLiteral("T"), QStringLiteral("U")}) {
          ASSERT_TRUE(to.db().Execute(QStringLiteral("Delete From ") + table));
          QString error;
          const bool copied = strict ? KvCopyTableStrict(&from.db(), &to.db(), table, &error)
                                     : KvCopyTable(&from.db(), &to.db(), table) == 1;
          ASSERT_TRUE(copied) << pairing << ' ' << error.toStdString();
        }
        EXPECT_EQ(storedRows(to.db(), QStringLiteral("T")), expected) << pairing;
        EXPECT_EQ(to.db().GetLong(QStringLiteral("Select Count(*) From U Where B Is Null")), 2) << pairing;
        QByteArray filled;
        CKvRecordset rs(&to.db());
        ASSERT_TRUE(rs.Open(QStringLiteral("Select B From U Where B Is Not Null")));
        EXPECT_TRUE(rs.GetBinary(QStringLiteral("B"), &filled));
        EXPECT_EQ(filled, QByteArray("u")) << pairing;
      }
    }
  }
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
}
