#include "core/KvSqlTranslator.h"

#include "support/KvTestEnv.h"

#include <QList>
#include <QPair>

#include <gtest/gtest.h>
#include <libpq-fe.h>

namespace {

// Marker bytes as the statements write them.
QString m(const char* keyword) {
  return QChar(0x07) + QString::fromLatin1(keyword) + QChar(0x08);
}

QString jet(const QString& sql) { return KvTranslateSql(sql, false); }
QString server(const QString& sql) { return KvTranslateSql(sql, true); }

}  // namespace

TEST(KvSqlTranslator, ReplacesMarkersForEachDialect) {
  const QString like = "Select * From T Where Na Like '" + m("*") + "abc" + m("*") + m("?") + "'";
  EXPECT_EQ(jet(like), "Select * From T Where Na Like '*abc*?'");
  EXPECT_EQ(server(like), "Select * From T Where Na ILike '%abc%_'");

  const QString mid = "Select " + m("Mid") + "(KNO,3) From STD";
  EXPECT_EQ(jet(mid), "Select Mid(KNO,3) From STD");
  EXPECT_EQ(server(mid), "Select Substring(KNO,3) From STD");

  const QString create = "Create Table T(A " + m("Long") + ",B " + m("Numeric(10,2)") + ")";
  EXPECT_EQ(jet(create), "Create Table T(A Long,B Double)");
  EXPECT_EQ(server(create), "Create Table T(A INT,B Numeric(10,2))");
}

TEST(KvSqlTranslator, NumericMarkersStopAtAStrayCloser) {
  const QString two = "Alter Table T Add F " + m("Numeric(12,2)") + ", G " + m("Numeric(8,1)");
  EXPECT_EQ(jet(two), "Alter Table T Add F Double, G Double");
  EXPECT_EQ(server(two), "Alter Table T Add F Numeric(12,2), G Numeric(8,1)");

  // A 0x08 that ends no known marker stops the Numeric step for the rest.
  const QString stray = "Alter Table T Add F" + QString(QChar(0x08)) + " " + m("Numeric(12,2)");
  EXPECT_EQ(jet(stray), stray);
  const QString unknown = "Select " + m("Foo") + " " + m("Numeric(12,2)");
  EXPECT_EQ(jet(unknown), unknown);
  EXPECT_EQ(server(unknown), unknown);
  // Markers before the stray byte are still translated.
  const QString before = "Add F " + m("Numeric(12,2)") + QChar(0x08) + " " + m("Numeric(3,1)");
  EXPECT_EQ(jet(before), "Add F Double" + QString(QChar(0x08)) + " " + m("Numeric(3,1)"));
  // A Numeric marker with no end stays as it is.
  const QString open = "Add F " + QString(QChar(0x07)) + "Numeric(12,2)";
  EXPECT_EQ(jet(open), open);
}

TEST(KvSqlTranslator, LeavesCaseAndPlainTextsAlone) {
  const QString cases =
      "Select case when A>0 then 'x end' when A<0 then 'y' else 'z' end From T";
  EXPECT_EQ(jet(cases), cases);
  EXPECT_EQ(server(cases), cases);
  const QString plain = "Select Count(*) From STD Where KNO='01'";
  EXPECT_EQ(jet(plain), plain);
  EXPECT_EQ(server(plain), plain);
  EXPECT_EQ(jet(QString()), QString());
}

TEST(KvSqlTranslator, RenamesLeftAndRightOnSqlite) {
  EXPECT_EQ(jet("Select Right(Left(sT1,6),2) From KvLog Where Left (T,4)='2024'"),
            "Select kv_right(kv_left(sT1,6),2) From KvLog Where kv_left (T,4)='2024'");
  const QString untouched =
      "Select A.X From A Left Join B On A.K=B.K Where A.Y='Left(x)' And \"Right\"(1) And "
      "ALeft(1) And Left_(1)";
  EXPECT_EQ(jet(untouched), untouched);
  // The server has left() and right() of its own.
  EXPECT_EQ(server("Select Left(T,4) From PC"), "Select Left(T,4) From PC");
}

TEST(KvSqlTranslator, RewritesServerFunctionsAsWholeWordsOutsideLiterals) {
  EXPECT_EQ(server("Select Max(Len(rtrim(KNO))) From STD Where KNO Like '01" + m("*") +
                   "' And NA not like 'a' And mid (KNO,1,2)='01'"),
            "Select Max(length(rtrim(KNO))) From STD Where KNO ILike '01%' And NA not Ilike 'a' "
            "And substring (KNO,1,2)='01'");
  const QString untouched =
      "Select FLen(A), Middle(B), Len, Likely, ILike, \"Len\"(1), [Mid](2) From T Where "
      "A='Like Len(x) it''s Mid(y)' -- Like Len(\n/* Mid( */";
  EXPECT_EQ(server(untouched), untouched);
  // Only comments and literals hide words: what follows them is rewritten.
  EXPECT_EQ(server("Select 'a''b' Like 'c' -- x\nLike"), "Select 'a''b' ILike 'c' -- x\nILike");
}

TEST(KvSqlTranslator, MapsJetColumnTypesOnTheServer) {
  const QString pc =
      "Create Table PC(T Char(8),DH Char(5),QC Long,F Long,My Double,Prg Image,"
      "D Double Precision,N Numeric(10,2))";
  EXPECT_EQ(server(pc),
            "Create Table PC(T VARCHAR(8),DH VARCHAR(5),QC INT,F INT,My DOUBLE PRECISION,"
            "Prg BYTEA,D Double Precision,N Numeric(10,2))");
  EXPECT_EQ(jet(pc), pc);
  // Only type positions: a column may be named like a type.
  EXPECT_EQ(server("CREATE TABLE T(Image Image,Long Long, PRIMARY KEY (Long))"),
            "CREATE TABLE T(Image BYTEA,Long INT, PRIMARY KEY (Long))");
  EXPECT_EQ(server("Alter Table SYSCSTAB Add LPO char(30)"),
            "Alter Table SYSCSTAB Add LPO VARCHAR(30)");
  EXPECT_EQ(server("Alter Table T Add Column A Char (4)"), "Alter Table T Add Column A VARCHAR (4)");
  const QString select = "Select Cast(Count(*) As Char(10)) From T; Alter Table T Drop Column Long";
  EXPECT_EQ(server(select), select);
}

TEST(KvSqlTranslator, RenamesAnIndexNamedAsItsTable) {
  EXPECT_EQ(jet("CREATE Index SYSCSTAB On SysCsTab(CS)"), "CREATE Index SYSCSTAB_IX On SysCsTab(CS)");
  EXPECT_EQ(server("Create Unique Index PC ON PC(STD,T)"), "Create Unique Index PC_IX ON PC(STD,T)");
  EXPECT_EQ(jet("Create Index PC0 ON PC(T,F)"), "Create Index PC0 ON PC(T,F)");

  for (const bool toServer : {false, true}) {
    SCOPED_TRACE(toServer);
    EXPECT_EQ(KvTranslateSql("Drop Index PWR On PWR", toServer), "Drop Index PWR_IX");
    EXPECT_EQ(KvTranslateSql("Drop Index pwr.PWR", toServer), "Drop Index PWR_IX");
    EXPECT_EQ(KvTranslateSql("DROP INDEX PC0 ON PC;", toServer), "DROP INDEX PC0;");
    EXPECT_EQ(KvTranslateSql("Drop Index PC . PC0", toServer), "Drop Index PC0");
    EXPECT_EQ(KvTranslateSql("Drop Index PC_IX", toServer), "Drop Index PC_IX");
  }
  EXPECT_EQ(KvEngineIndexName("KVVAR", "kvvar"), "KVVAR_IX");
  EXPECT_EQ(KvEngineIndexName("PC0", "PC"), "PC0");
}

TEST(KvSqlTranslator, QuotesTextsForEachKind) {
  EXPECT_EQ(KvQuoteSqlText("O'Brien", 0), "O''Brien");
  EXPECT_EQ(KvQuoteSqlText("O'Brien", 2), "O''Brien");
  EXPECT_EQ(KvQuoteSqlText("a|b\\c", 0), "a｜b\\c");
  EXPECT_EQ(KvQuoteSqlText("a|b\\c", 1), "a|b\\c");
  // The limit counts width and never splits a character; quotes are doubled
  // after the cut.
  EXPECT_EQ(KvQuoteSqlText("张三'丰", 3, 3), "张");
  EXPECT_EQ(KvQuoteSqlText("张'三丰", 2, 3), "张''");
  EXPECT_EQ(KvQuoteSqlText("a|b", 0, 2), "a");
  EXPECT_EQ(KvQuoteSqlText("abc", 0, 0), "");
  for (int kind : {0, 2})
    EXPECT_EQ(KvQuoteSqlText(QStringLiteral("a") + QChar(0) + QStringLiteral("'b"), kind), "a''b");
}

TEST(KvSqlTranslator, QuotesLikeValuesToMatchThemselves) {
  EXPECT_EQ(KvQuoteLikePattern("a*b?c#d[e]f'%_\\", 0), "a[*]b[?]c[#]d[[]e]f''%_\\");
  EXPECT_EQ(KvQuoteLikePattern("a*b?c#d[e]f'%_\\", 1), "a*b?c#d[e]f''\\%\\_\\\\");
  EXPECT_EQ(KvQuoteLikePattern("张*三丰", 0, 4), "张[*]");
  EXPECT_EQ(KvQuoteLikePattern("a|b", 0), "a｜b");
}

// The marker bytes are never typed text: in a value they would be taken for
// markers and translated, joining two literals into one.
TEST(KvSqlTranslator, QuotingDropsTheMarkerBytes) {
  const QString first = QStringLiteral("x") + m("Numeric");
  const QString second = QChar(0x08) + QStringLiteral("y");
  for (int kind : {0, 1, 2}) {
    const QString sql = QStringLiteral("Update T Set A='") + KvQuoteSqlText(first, kind) +
                        QStringLiteral("',B='") + KvQuoteSqlText(second, kind) + u'\'';
    EXPECT_EQ(KvTranslateSql(sql, kind != 0), QStringLiteral("Update T Set A='xNumeric',B='y'"));
    EXPECT_EQ(KvQuoteLikePattern(first + second, kind), QStringLiteral("xNumericy"));
  }
}

// ---- the server dialect on a real PostgreSQL ------------------------------

namespace {

class PgDatabase {
 public:
  // Connects to the maintenance database and makes a database of this test.
  bool open(QString* why) {
    if (qEnvironmentVariableIsEmpty("PGHOST")) {
      *why = "PGHOST is not set";
      return false;
    }
    PGconn* admin = connect("postgres", why);
    if (!admin)
      return false;
    // A name of this run's own (the run token), dropped only once made.
    const QString name = QStringLiteral("kvt_%1_translator").arg(KvTestRunToken());
    const bool made = run(admin, "CREATE DATABASE " + name +
                                     " TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' "
                                     "LC_CTYPE 'C'");
    PQfinish(admin);
    if (!made) {
      *why = "cannot create the test database";
      return false;
    }
    m_name = name;
    m_conn = connect(m_name, why);
    return m_conn != nullptr;
  }

  ~PgDatabase() {
    if (m_conn)
      PQfinish(m_conn);
    if (m_name.isEmpty())
      return;
    QString ignored;
    if (PGconn* admin = connect("postgres", &ignored)) {
      run(admin, "DROP DATABASE IF EXISTS " + m_name);
      PQfinish(admin);
    }
  }

  // Runs a statement; the error text when it fails.
  QString exec(const QString& sql) {
    PGresult* r = PQexec(m_conn, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(r);
    QString error;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
      error = QString::fromUtf8(PQresultErrorMessage(r)) + sql;
    PQclear(r);
    return error;
  }

  // The first column of every row.
  QStringList column(const QString& sql) {
    PGresult* r = PQexec(m_conn, sql.toUtf8().constData());
    QStringList values;
    if (PQresultStatus(r) == PGRES_TUPLES_OK) {
      for (int row = 0; row < PQntuples(r); ++row)
        values << QString::fromUtf8(PQgetvalue(r, row, 0));
    } else {
      values << "error: " + QString::fromUtf8(PQresultErrorMessage(r));
    }
    PQclear(r);
    return values;
  }

 private:
  static PGconn* connect(const QString& database, QString* why) {
    const QByteArray name = database.toUtf8();
    const char* keys[] = {"dbname", nullptr};
    const char* values[] = {name.constData(), nullptr};
    PGconn* conn = PQconnectdbParams(keys, values, 0);
    if (PQstatus(conn) != CONNECTION_OK) {
      *why = QString::fromUtf8(PQerrorMessage(conn));
      PQfinish(conn);
      return nullptr;
    }
    PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
    return conn;
  }

  static bool run(PGconn* conn, const QString& sql) {
    PGresult* r = PQexec(conn, sql.toUtf8().constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    return ok;
  }

  QString m_name;
  PGconn* m_conn = nullptr;
};

}  // namespace

TEST(KvSqlTranslatorServer, TranslatedStatementsRunOnPostgres) {
  PgDatabase db;
  QString why;
  if (!db.open(&why)) {
    if (KvTestUnderCi())
      FAIL() << "PostgreSQL is needed: " << why.toStdString();
    GTEST_SKIP() << why.toStdString();
  }
  const auto run = [&](const QString& jetText) { return db.exec(server(jetText)); };

  EXPECT_EQ(run("CREATE TABLE SYSCSTAB(CS LONG,CSN LONG,CSNA CHAR(255),CSVAL CHAR(255))"), "");
  EXPECT_EQ(run("Alter Table SYSCSTAB Add LPO char(30)"), "");
  EXPECT_EQ(run("CREATE Index SYSCSTAB On SysCsTab(CS)"), "");
  EXPECT_EQ(run("Create Table PC(STD Char(15),T Char(8),F Long,My Double,Prg Image)"), "");
  EXPECT_EQ(run("Alter Table PC Add N " + m("Numeric(10,2)")), "");
  EXPECT_EQ(run("Alter Table PC Add Column M " + m("Long")), "");
  EXPECT_EQ(run("Create Index PC ON PC(STD,T)"), "");
  EXPECT_EQ(run("Create Index PC0 ON PC(T,F)"), "");
  EXPECT_EQ(run("Drop Index PC.PC0"), "");
  EXPECT_EQ(run("Drop Index PC On PC"), "");
  EXPECT_NE(run("Drop Index PC On PC"), "");  // a missing index still fails
  EXPECT_EQ(run("Drop Index SYSCSTAB On SYSCSTAB"), "");

  // Values quoted for the server, found case-insensitively and literally.
  const QStringList names = {"50%_off", "50abc", "a\\b", "O'Brien", "Abc"};
  for (const QString& name : names)
    EXPECT_EQ(run("Insert Into PC(STD,T,F) Values('" + KvQuoteSqlText(name, 2) + "','1',1)"), "");
  const auto likeValue = [&](const QString& value) {
    return db.column(server("Select STD From PC Where STD Like '" + m("*") +
                            KvQuoteLikePattern(value, 2) + m("*") + "' Order By STD"));
  };
  EXPECT_EQ(likeValue("50%"), QStringList{"50%_off"});
  EXPECT_EQ(likeValue("a\\b"), QStringList{"a\\b"});
  EXPECT_EQ(likeValue("o'b"), QStringList{"O'Brien"});
  EXPECT_EQ(likeValue("ABC"), (QStringList{"50abc", "Abc"}));
  EXPECT_EQ(db.column(server("Select Mid(STD,2,3) || '/' || Len(STD) From PC Where STD Like 'O" +
                             m("*") + "'")),
            QStringList{"'Br/7"});

  EXPECT_EQ(run("Create Table P(NA Char(20))"), "");
  for (const char* name : {"张伟", "赵敏", "李娜", "王芳", "艾青", "陈静", "白雪"})
    EXPECT_EQ(run(QStringLiteral("Insert Into P Values('%1')").arg(QString::fromUtf8(name))), "");
  EXPECT_EQ(db.column(server("Select NA From P Order By NA COLLATE \"zh-x-icu\"")),
            (QStringList{"艾青", "白雪", "陈静", "李娜", "王芳", "张伟", "赵敏"}));
}
