// The backup archive: values of every column group survive a round trip
// between back-end kinds, the table order and the text cut, and a reader
// that trusts nothing: refused heads, and a small archive cut short at every
// length, with every byte inverted and under seeded random damage, either
// restores or leaves its target exactly as it was, never reading past the
// end of the stream.

#include "core/CKvDb.h"
#include "core/KvArchive.h"
#include "core/KvDbBackend.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>

#include <random>

namespace {

// The tables of the tests: the form layout tables and one with every group.
const char* const kTables[] = {
    "Create Table KvFormList(nFlag \x07Long\x08,nForm \x07Long\x08,sFna Char(200),"
    "nOpen \x07Long\x08,nTopNum \x07Long\x08)",
    "Create Table KvFormFormula(nFlag \x07Long\x08,nForm \x07Long\x08,nCol \x07Long\x08,"
    "nType \x07Long\x08,nFact \x07Long\x08,nLess \x07Long\x08,nMore \x07Long\x08,sFormula Char(200))",
    "Create Table KvFormTopWord(nFlag \x07Long\x08,nForm \x07Long\x08,nCol1 \x07Long\x08,"
    "nRow1 \x07Long\x08,nCol2 \x07Long\x08,nRow2 \x07Long\x08,sWords Char(100))",
    "Create Table Mixed(S Char(5),K \x07Long\x08,B Image,D Double,T Char(40))",
};

void createTables(CKvDb& db) {
  for (const char* sql : kTables)
    ASSERT_TRUE(db.Execute(QString::fromUtf8(sql)));
}

KvArchiveHeader sampleHeader() {
  KvArchiveHeader header;
  header.signature = QString::fromLatin1(kKvArchiveSignature);
  header.identifier = QStringLiteral("A1");
  header.databaseName = QStringLiteral("/tmp/2024.xxd");
  header.edition = 22;
  header.year = 2024;
  header.entityName = QStringLiteral("青禾中学");
  header.operatorText = QStringLiteral("管理员(101)");
  header.timeText = QStringLiteral("2024年05月01日08时30分");
  return header;
}

QByteArray writeArchive(CKvDb& db) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(KvWriteArchive(db, sampleHeader(), &buffer));
  return bytes;
}

// Reads the header and the blocks of the bytes: restored into db, or only
// scanned without one.
bool readArchive(const QByteArray& bytes, CKvDb* db, KvArchiveHeader* header = nullptr,
                 QString* error = nullptr) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  KvArchiveReader reader(&buffer);
  KvArchiveHeader read;
  qint32 tables = 0;
  bool ok = reader.ReadHeader(&read) && reader.ReadTableCount(&tables);
  if (ok && header)
    *header = read;
  if (ok)
    ok = db ? KvRestoreArchiveTables(reader, tables, *db, error) : KvScanArchiveTables(reader, tables, error);
  else if (error)
    *error = reader.Error();
  EXPECT_LE(buffer.pos(), bytes.size());
  return ok;
}

bool restore(const QByteArray& bytes, CKvDb& db, KvArchiveHeader* header = nullptr,
             QString* error = nullptr) {
  return readArchive(bytes, &db, header, error);
}

bool scan(const QByteArray& bytes) { return readArchive(bytes, nullptr); }

// Every row of every test table, as text.
QStringList contents(CKvDb& db) {
  QStringList all;
  const char* const selects[] = {
      "Select nFlag||'|'||nForm||'|'||sFna||'|'||nOpen||'|'||nTopNum From KvFormList "
      "Order By nFlag,nForm,sFna",
      "Select nFlag||'|'||nForm||'|'||nCol||'|'||nType||'|'||nFact||'|'||nLess||'|'||nMore||'|'||"
      "sFormula From KvFormFormula Order By nFlag,nForm,nCol,sFormula",
      "Select nFlag||'|'||nForm||'|'||nCol1||'|'||nRow1||'|'||nCol2||'|'||nRow2||'|'||sWords "
      "From KvFormTopWord Order By nFlag,nForm,nCol1,nRow1,sWords",
      "Select S||'|'||K||'|'||D||'|'||T From Mixed Order By K,S,T"};
  for (const char* sql : selects) {
    QStringList rows;
    db.QueryTexts(QString::fromUtf8(sql), &rows, 1);
    all << rows << QStringLiteral("--");
  }
  return all;
}

}  // namespace

class KvArchiveKindTest : public KvDbKindTest {};

TEST_P(KvArchiveKindTest, RoundTripBetweenKindsKeepsValuesAndCutsTexts) {
  KvTestDb sqlite(0);
  KV_CREATE_TEST_DB(sqlite);
  createTables(db());
  createTables(sqlite.db());
  // A table and columns named in Chinese, as the console makes them.
  const QString chinese = QStringLiteral("Select Count(*) From 学生（临时） Where 编号=5 And 名称２='甲'");
  for (CKvDb* each : {&db(), &sqlite.db()})
    ASSERT_TRUE(each->Execute(QStringLiteral("Create Table 学生（临时）(编号 Long,名称２ Char(10))")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into 学生（临时）(编号,名称２) Values(5,'甲')")));
  const QString text = QStringLiteral("O'Neil | 一年级\\班");
  ASSERT_TRUE(db().Execute(
      QStringLiteral("Insert Into Mixed(S,K,D,T) Values('ab中文字',7,2.5,'%1')").arg(db().QuoteText(text))));
  // NULLs in every group, and a double beyond the limit.
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into Mixed(K) Values(-8)")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into Mixed(K,D) Values(9,1e19)")));

  // The server's archive restored into the file, and the file's back.
  const QByteArray fromKind = writeArchive(db());
  KvArchiveHeader header;
  QString error;
  ASSERT_TRUE(restore(fromKind, sqlite.db(), &header, &error)) << error.toStdString();
  EXPECT_EQ(header.signature, QString::fromLatin1(kKvArchiveSignature));
  EXPECT_EQ(header.identifier, QStringLiteral("A1"));
  EXPECT_EQ(header.entityName, QStringLiteral("青禾中学"));
  EXPECT_EQ(header.year, 2024);
  EXPECT_EQ(header.edition, 22);
  EXPECT_EQ(header.timeText, QStringLiteral("2024年05月01日08时30分"));

  QStringList rows;
  sqlite.db().QueryTexts(QStringLiteral("Select S,T From Mixed Where K=7"), &rows, 1);
  // Cut to 5 width units without splitting a character.
  EXPECT_EQ(rows, QStringList{QStringLiteral("ab中")});
  // Quotes, bars, backslashes and Chinese come back as the source holds them.
  QStringList sourceText;
  db().QueryTexts(QStringLiteral("Select T From Mixed Where K=7"), &sourceText, 1);
  rows.clear();
  sqlite.db().QueryTexts(QStringLiteral("Select T From Mixed Where K=7"), &rows, 1);
  EXPECT_EQ(rows, sourceText);
  EXPECT_TRUE(rows.value(0).startsWith(QStringLiteral("O'Neil ")));
  EXPECT_EQ(sqlite.db().GetLong(QStringLiteral("Select Count(*) From Mixed Where K=-8 And D=0 And T=''")), 1);
  EXPECT_EQ(sqlite.db().GetLong(QStringLiteral("Select Count(*) From Mixed Where K=9 And D=0")), 1);
  // The binary column is counted but not stored: it comes back empty.
  EXPECT_EQ(sqlite.db().GetLong(QStringLiteral("Select Count(*) From Mixed Where B Is Null")), 3);
  EXPECT_EQ(sqlite.db().GetLong(chinese), 1);

  // A NUL in a text: the writer drops it, and so does the reader of an
  // archive written with one.
  for (const bool inArchive : {false, true}) {
    ASSERT_TRUE(sqlite.db().GetBackend()->execute(
        inArchive ? QStringLiteral("Update Mixed Set T='NULx尾' Where K=-8")
                  : QStringLiteral("Update Mixed Set T='NUL'||char(0)||'尾' Where K=-8"),
        &error));
    QByteArray bytes = writeArchive(sqlite.db());
    if (inArchive)
      bytes.replace("NULx", QByteArray("NUL\0", 4));
    ASSERT_TRUE(db().Execute(QStringLiteral("Delete From Mixed")));
    ASSERT_TRUE(restore(bytes, db(), nullptr, &error)) << error.toStdString();
    EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From Mixed Where K=-8 And T='NUL尾'")), 1);
  }

  ASSERT_TRUE(db().Execute(QStringLiteral("Delete From Mixed")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Delete From 学生（临时）")));
  ASSERT_TRUE(restore(writeArchive(sqlite.db()), db(), nullptr, &error)) << error.toStdString();
  EXPECT_EQ(db().GetLong(chinese), 1);
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From Mixed")), 3);
  QStringList back;
  db().QueryTexts(QStringLiteral("Select T From Mixed Where K=7 And D=2.5 And S='ab中'"), &back, 1);
  EXPECT_EQ(back, sourceText);
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From Mixed Where K=9 And D=0")), 1);
}

KV_DB_KIND_TEST_SUITE(KvArchiveKindTest);

TEST(KvArchiveTest, ParameterTablesComeFirstWhateverTheirCase) {
  KvTestDb testDb(0);
  KV_CREATE_TEST_DB(testDb);
  CKvDb& db = testDb.db();
  for (const char* name : {"Zeta", "kvreportsql", "SYSCSTAB", "Alpha", "systab"})
    ASSERT_TRUE(db.Execute(QStringLiteral("Create Table %1(A \x07Long\x08)").arg(QLatin1String(name))));
  EXPECT_EQ(KvArchiveTableOrder(db),
            (QStringList{"SysTab", "SysCsTab", "KvReportSQL", "Zeta", "Alpha"}));
}

TEST(KvArchiveTest, NamesAreTheEnginesUnquotedNamesWithinTheirCap) {
  const QString longest(21, QChar(u'表'));  // 63 bytes
  for (const QString& name : {QStringLiteral("学生（临时）"), QStringLiteral("临时表２"), QStringLiteral("_t1"),
                              QStringLiteral("\U00020000表"), longest})
    EXPECT_TRUE(KvIsArchiveName(name)) << name.toStdString();
  for (const QString& name : {longest + u'a', QStringLiteral("1t"), QStringLiteral("临时 表"), QStringLiteral("a(b"),
                              QStringLiteral("a,b"), QString(QChar(0xD800)) + u'a', QString()})
    EXPECT_FALSE(KvIsArchiveName(name)) << name.toStdString();
}

TEST(KvArchiveTest, ForeignTablesColumnsAndTrailingBytesAreRefused) {
  KvTestDb source(0), target(0);
  KV_CREATE_TEST_DB(source);
  KV_CREATE_TEST_DB(target);
  createTables(source.db());
  createTables(target.db());
  ASSERT_TRUE(source.db().Execute(QStringLiteral("Insert Into KvFormList Values(1,2,'表',1,1)")));
  ASSERT_TRUE(target.db().Execute(QStringLiteral("Insert Into KvFormList Values(9,9,'旧',0,1)")));
  const QStringList before = contents(target.db());
  QString error;

  // Trailing bytes.
  EXPECT_FALSE(restore(writeArchive(source.db()) + "x", target.db(), nullptr, &error));
  EXPECT_EQ(contents(target.db()), before);

  // A column the target holds in another group: sFna as an integer.
  ASSERT_TRUE(target.db().Execute(QStringLiteral("Drop Table KvFormTopWord")));
  ASSERT_TRUE(target.db().Execute(
      QStringLiteral("Create Table KvFormTopWord(nFlag \x07Long\x08,nForm \x07Long\x08,nCol1 \x07Long\x08,"
                     "nRow1 \x07Long\x08,nCol2 \x07Long\x08,nRow2 \x07Long\x08,sWords \x07Long\x08)")));
  EXPECT_FALSE(restore(writeArchive(source.db()), target.db(), nullptr, &error));
  EXPECT_EQ(contents(target.db()), before);

  // A table the target does not have.
  ASSERT_TRUE(target.db().Execute(QStringLiteral("Drop Table KvFormTopWord")));
  ASSERT_TRUE(target.db().Execute(QString::fromUtf8(kTables[2])));
  ASSERT_TRUE(source.db().Execute(QStringLiteral("Create Table Extra(A \x07Long\x08)")));
  EXPECT_FALSE(restore(writeArchive(source.db()), target.db(), nullptr, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("Extra"))) << error.toStdString();
  EXPECT_EQ(contents(target.db()), before);
}

// The reader on a small archive: every cut, every byte inverted, 2,000 seeded
// mutations. Each restore either succeeds or leaves the target as it was.
class KvArchiveDamageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KV_CREATE_TEST_DB(m_source);
    KV_CREATE_TEST_DB(m_target);
    createTables(m_source.db());
    CKvDb& src = m_source.db();
    ASSERT_TRUE(src.Execute(QStringLiteral("Insert Into KvFormList Values(255,1,'复件_班级收费',1,2)")));
    ASSERT_TRUE(src.Execute(QStringLiteral("Insert Into KvFormList Values(256,0,'收据',0,1)")));
    for (int col = 0; col < 4; ++col)
      ASSERT_TRUE(src.Execute(QStringLiteral("Insert Into KvFormFormula Values(255,1,%1,%2,1010,0,2,'栏%1/NUMBER/RIGHT/0010')")
                                  .arg(col)
                                  .arg(100 + col)));
    ASSERT_TRUE(src.Execute(QStringLiteral("Insert Into KvFormTopWord Values(255,1,1,1,4,2,'收费项目')")));
    ASSERT_TRUE(src.Execute(QStringLiteral("Insert Into Mixed(S,K,D,T) Values('x',1,0.5,'它''s')")));
    m_archive = writeArchive(src);
    ASSERT_LT(m_archive.size(), 4096);

    createTables(m_target.db());
    // An engine file that need not survive a crash, as the import's
    // temporary file.
    ASSERT_TRUE(m_target.db().Execute(QStringLiteral("PRAGMA synchronous=OFF")));
    ASSERT_TRUE(m_target.db().Execute(QStringLiteral("Insert Into KvFormList Values(1,1,'原有',1,1)")));
    m_before = contents(m_target.db());
  }

  // One damaged archive: restored inside a transaction that is then undone,
  // so that every case starts from the same target. Failures note the case.
  void check(const QByteArray& bytes, const std::string& what) {
    CKvDb& db = m_target.db();
    ASSERT_TRUE(db.BeginTrans());
    QString error;
    const bool sound = scan(bytes);
    const bool ok = restore(bytes, db, nullptr, &error);
    // What the scan refuses, the restore refuses too.
    if (!sound && ok)
      ADD_FAILURE() << what << ": restored an archive the scan refused";
    if (!ok && contents(db) != m_before)
      ADD_FAILURE() << what << ": a refused archive changed the target (" << error.toStdString() << ")";
    if (ok)
      ++m_restored;
    else
      ++m_refused;
    ASSERT_TRUE(db.Rollback());
    ASSERT_EQ(db.TransactionDepth(), 0) << what;
  }

  KvTestDb m_source{0};
  KvTestDb m_target{0};
  QByteArray m_archive;
  QStringList m_before;
  int m_restored = 0;
  int m_refused = 0;
};

TEST_F(KvArchiveDamageTest, EveryCutIsRefusedCleanly) {
  KvMessageRecorder recorder;
  for (qsizetype size = 0; size < m_archive.size(); ++size)
    check(m_archive.left(size), "cut to " + std::to_string(size));
  EXPECT_EQ(m_restored, 0);
  check(m_archive, "whole");
  EXPECT_EQ(m_restored, 1);
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_F(KvArchiveDamageTest, EveryInvertedByteRestoresOrChangesNothing) {
  KvMessageRecorder recorder;
  for (qsizetype at = 0; at < m_archive.size(); ++at) {
    QByteArray bytes = m_archive;
    bytes[at] = char(bytes.at(at) ^ 0xFF);
    check(bytes, "byte " + std::to_string(at) + " inverted");
  }
  // Values may change and still make a sound archive; lengths and counts
  // may not.
  EXPECT_GT(m_restored, 0);
  EXPECT_GT(m_refused, 0);
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_F(KvArchiveDamageTest, SeededMutationsRestoreOrChangeNothing) {
  KvMessageRecorder recorder;
  const quint32 base = 20240501;
  for (quint32 n = 0; n < 2000; ++n) {
    const quint32 seed = base + n;
    std::mt19937 random(seed);
    QByteArray bytes = m_archive;
    const auto pick = [&](qsizetype size) {
      return size <= 0 ? qsizetype(0) : qsizetype(random() % quint32(size));
    };
    const int changes = 1 + int(random() % 3);
    for (int c = 0; c < changes && !bytes.isEmpty(); ++c) {
      const qsizetype at = pick(bytes.size());
      switch (random() % 6) {
        case 0: bytes[at] = char(random()); break;
        case 1: bytes.insert(at, QByteArray(1 + pick(8), char(random()))); break;
        case 2: bytes.remove(at, 1 + pick(8)); break;
        case 3: bytes.insert(at, bytes.mid(pick(bytes.size()), 1 + pick(32))); break;
        case 4: {
          // A length or count made large, negative or zero.
          static const qint32 values[] = {0, -1, 1, 0x7FFFFFFF, qint32(0x80000000), 0xFFFF, 255};
          const qint32 value = values[random() % 7];
          bytes.replace(at, qMin<qsizetype>(4, bytes.size() - at),
                        QByteArray(reinterpret_cast<const char*>(&value), 4));
          break;
        }
        default: bytes[at] = char(0xFF); break;
      }
    }
    check(bytes, "seed " + std::to_string(seed));
  }
  EXPECT_GT(m_refused, 0);
  EXPECT_TRUE(recorder.messages().isEmpty());
}
