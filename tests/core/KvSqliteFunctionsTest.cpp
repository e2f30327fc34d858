#include "core/KvSqliteFunctions.h"

#include "core/KvSqlTranslator.h"

#include <sqlite3.h>

#include <QStringList>

#include <gtest/gtest.h>

namespace {

QString m(const char* keyword) {
  return QChar(0x07) + QString::fromLatin1(keyword) + QChar(0x08);
}

// An in-memory database with the Jet functions; statements are written in
// the Jet dialect and translated as the connection does.
class KvSqliteFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &m_db), SQLITE_OK);
    ASSERT_TRUE(KvRegisterJetFunctions(m_db));
  }
  void TearDown() override { sqlite3_close(m_db); }

  // The error text, empty on success.
  QString exec(const QString& jetSql) {
    char* error = nullptr;
    const QByteArray sql = KvTranslateSql(jetSql, false).toUtf8();
    sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &error);
    const QString text = error ? QString::fromUtf8(error) : QString();
    sqlite3_free(error);
    return text;
  }

  // The first column of every row ("NULL" for a null, "error: ..." when the
  // statement fails).
  QStringList column(const QString& jetSql) {
    const QString sql = KvTranslateSql(jetSql, false);
    sqlite3_stmt* stmt = nullptr;
    QStringList values;
    if (sqlite3_prepare16_v2(m_db, sql.utf16(), int(sql.size() * 2), &stmt, nullptr) != SQLITE_OK)
      return {"error: " + QString::fromUtf8(sqlite3_errmsg(m_db))};
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      if (sqlite3_column_type(stmt, 0) == SQLITE_NULL)
        values << "NULL";
      else
        values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    if (rc != SQLITE_DONE)
      values << "error: " + QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_finalize(stmt);
    return values;
  }

  QString value(const QString& expression) {
    const QStringList values = column("Select " + expression);
    return values.isEmpty() ? QString() : values.first();
  }

  bool fails(const QString& expression) { return value(expression).startsWith("error: "); }

  sqlite3* m_db = nullptr;
};

}  // namespace

TEST_F(KvSqliteFunctions, CutsTextByCharacter) {
  EXPECT_EQ(value("Mid('张三丰abc',2,2)"), "三丰");
  EXPECT_EQ(value("Mid('张三丰abc',3)"), "丰abc");
  EXPECT_EQ(value("Mid('张三',3)"), "");
  EXPECT_EQ(value("Mid('张三',2,9)"), "三");
  EXPECT_EQ(value("Mid('张三',1,0)"), "");
  EXPECT_EQ(value("Mid('abc',2.5)"), "bc");  // half rounds to even
  EXPECT_EQ(value("Mid(12345,2,2)"), "23");
  EXPECT_EQ(value("Mid(NULL,1)"), "NULL");
  EXPECT_TRUE(fails("Mid('abc',0)"));
  EXPECT_TRUE(fails("Mid('abc',1,-1)"));
  EXPECT_TRUE(fails("Mid('abc','x')"));

  EXPECT_EQ(value("Len('张三a')"), "3");
  EXPECT_EQ(value("Len('𠀀x')"), "2");
  EXPECT_EQ(value("Len('')"), "0");
  EXPECT_EQ(value("Len(NULL)"), "NULL");
  // Left( and Right( reach the registered functions through the translator.
  EXPECT_EQ(value("Left('张三丰',2) || Right('张三丰',1) || Right('ab',5) || Left('ab',0)"),
            "张三丰ab");
  EXPECT_EQ(value("Right(Left('20240315',6),2)"), "03");
  EXPECT_TRUE(fails("Left('ab',-1)"));
}

TEST_F(KvSqliteFunctions, FindsTextWithInstr) {
  EXPECT_EQ(value("Instr(1,'一二三二','二',0)"), "2");
  EXPECT_EQ(value("Instr(3,'一二三二','二',0)"), "4");
  EXPECT_EQ(value("Instr(1,'ABC','b',0)"), "0");
  EXPECT_EQ(value("Instr(1,'ABC','b',1)"), "2");
  EXPECT_EQ(value("Instr(2,'ABCb','b')"), "2");
  EXPECT_EQ(value("Instr(5,'ABC','A',0)"), "0");
  EXPECT_EQ(value("Instr(2,'ABC','',0)"), "2");
  EXPECT_EQ(value("Instr(1,'张三','丰',0)"), "0");
  EXPECT_EQ(value("Instr(1,NULL,'a',0)"), "NULL");
  EXPECT_TRUE(fails("Instr(0,'abc','a',0)"));
  EXPECT_TRUE(fails("Instr(1,'abc','a',3)"));
  // SQLite's own two-argument instr is left alone.
  EXPECT_EQ(value("instr('abc','c')"), "3");
}

TEST_F(KvSqliteFunctions, ReadsAndWritesNumbersAsJet) {
  EXPECT_EQ(value("Val(' 1 2 3abc')"), "123");
  EXPECT_EQ(value("Val('-1.5e2x')"), "-150.0");
  EXPECT_EQ(value("Val('1d2')"), "100.0");
  EXPECT_EQ(value("Val('+07')"), "7");
  EXPECT_EQ(value("Val('.5')"), "0.5");
  EXPECT_EQ(value("Val('abc')"), "0");
  EXPECT_EQ(value("Val('')"), "0");
  EXPECT_EQ(value("Val(42)"), "42");
  EXPECT_EQ(value("Val(NULL)"), "NULL");
  EXPECT_EQ(value("2*(2024-Val(Left('20230901',4)))+Val('1')-1"), "2");

  EXPECT_EQ(value("Str(5)"), " 5");
  EXPECT_EQ(value("Str(-5)"), "-5");
  EXPECT_EQ(value("Str(0.5)"), " .5");
  EXPECT_EQ(value("Str(-2.25)"), "-2.25");
  EXPECT_EQ(value("Str(1e20)"), " 1E+20");
  EXPECT_EQ(value("Str('12')"), " 12");
  EXPECT_TRUE(fails("Str('x')"));
}

// The order clause of a code tree: the numeric value of the next code segment,
// which ends before the separator or runs to the end.
TEST_F(KvSqliteFunctions, OrdersCodeSegmentsByValue) {
  ASSERT_EQ(exec("Create Table K(KNO Char(20))"), "");
  for (const char* code : {"P10-b", "P9", "P2-a", "P010-c"})
    ASSERT_EQ(exec(QStringLiteral("Insert Into K Values('%1')").arg(QLatin1String(code))), "");
  const QString a = "Mid(KNO,2)";
  const QString b = "Instr(1," + a + ",'-',0)";
  const QString c = "iif(" + b + ">0," + b + ",1000)";
  EXPECT_EQ(column("Select KNO From K Order By Val(Rtrim(Mid(" + a + ",1," + c + "-1))), KNO"),
            (QStringList{"P2-a", "P9", "P010-c", "P10-b"}));
}

TEST_F(KvSqliteFunctions, MatchesJetLikePatterns) {
  const auto like = [&](const char* text, const char* pattern) {
    return value(QStringLiteral("'%1' Like '%2'")
                     .arg(QString::fromUtf8(text), QString::fromUtf8(pattern)));
  };
  EXPECT_EQ(like("abc", "a*"), "1");
  EXPECT_EQ(like("abc", "*c"), "1");
  EXPECT_EQ(like("abc", "a*b*c*"), "1");
  EXPECT_EQ(like("abc", "*d*"), "0");
  EXPECT_EQ(like("abc", "a?c"), "1");
  EXPECT_EQ(like("ac", "a?c"), "0");
  EXPECT_EQ(like("a7c", "a#c"), "1");
  EXPECT_EQ(like("abc", "a#c"), "0");
  EXPECT_EQ(like("bx", "[a-c]x"), "1");
  EXPECT_EQ(like("dx", "[a-c]x"), "0");
  EXPECT_EQ(like("dx", "[!a-c]x"), "1");
  EXPECT_EQ(like("a-", "a[-x]"), "1");
  EXPECT_EQ(like("ab", "a[]b"), "1");
  EXPECT_EQ(like("a*b", "a[*]b"), "1");
  EXPECT_EQ(like("axb", "a[*]b"), "0");
  EXPECT_EQ(like("50%", "50%"), "1");
  EXPECT_EQ(like("500", "50%"), "0");
  EXPECT_EQ(like("a_", "a_"), "1");
  EXPECT_EQ(like("ab", "a_"), "0");
  // Case is ignored, by ASCII; characters are whole characters.
  EXPECT_EQ(like("ABC", "a[b]c"), "1");
  EXPECT_EQ(like("Abc", "[A-B]BC"), "1");
  EXPECT_EQ(like("b", "[a-a]"), "0");
  EXPECT_EQ(like("_", "[Z-a]"), "1");
  EXPECT_EQ(like("张三丰", "张?丰"), "1");
  EXPECT_EQ(like("张三丰", "*三*"), "1");
  EXPECT_EQ(like("张三丰", "[李张]*"), "1");
  EXPECT_EQ(like("王三丰", "[!李张]??"), "1");
  EXPECT_EQ(like("张三丰", "张??丰"), "0");
  EXPECT_EQ(like("𠀀", "?"), "1");
  EXPECT_EQ(value("NULL Like 'a'"), "NULL");
  EXPECT_EQ(value("'abc' Not Like 'a*'"), "0");
  EXPECT_TRUE(fails("'a' Like '[a'"));
  EXPECT_TRUE(fails("'a' Like '[z-a]'"));
  // GLOB stays SQLite's: case-sensitive.
  EXPECT_EQ(value("'ABC' GLOB 'a*'"), "0");
}

TEST_F(KvSqliteFunctions, LikeValuesMatchLiterallyAndMarkersAreWildcards) {
  ASSERT_EQ(exec("Create Table S(NA Char(20))"), "");
  for (const char* name : {"a*b?[#]", "axbyc7]", "张三", "O'Brien|x"}) {
    const QString quoted = KvQuoteSqlText(QString::fromUtf8(name), 0);
    ASSERT_EQ(exec("Insert Into S Values('" + quoted + "')"), "");
  }
  const auto find = [&](const QString& value) {
    return column("Select NA From S Where NA Like '" + m("*") + KvQuoteLikePattern(value, 0) +
                  m("*") + "' Order By NA");
  };
  EXPECT_EQ(find("*b?[#"), QStringList{"a*b?[#]"});
  EXPECT_EQ(find("张"), QStringList{"张三"});
  EXPECT_EQ(find("o'b"), QStringList{"O'Brien｜x"});
  EXPECT_EQ(find("|x"), QStringList{"O'Brien｜x"});
  EXPECT_EQ(column("Select NA From S Where NA Like 'a" + m("?") + "b" + m("?") + "c*'"),
            QStringList{"axbyc7]"});
}

TEST_F(KvSqliteFunctions, OrdersChineseNamesByPinyin) {
  ASSERT_EQ(exec("Create Table P(NA Char(20))"), "");
  for (const char* name : {"张伟", "赵敏", "李娜", "王芳", "艾青", "陈静", "白雪", "张三"})
    ASSERT_EQ(exec(QStringLiteral("Insert Into P Values('%1')").arg(QString::fromUtf8(name))), "");
  EXPECT_EQ(column("Select NA From P Order By NA COLLATE \"zh-x-icu\""),
            (QStringList{"艾青", "白雪", "陈静", "李娜", "王芳", "张三", "张伟", "赵敏"}));
  // Equal only when identical.
  EXPECT_EQ(value("'张三' = '张三 ' COLLATE \"zh-x-icu\""), "0");
  EXPECT_EQ(value("'张三' = '张三' COLLATE \"zh-x-icu\""), "1");
}

TEST_F(KvSqliteFunctions, RunsTheProgramsTableStatements) {
  ASSERT_EQ(exec("CREATE TABLE SYSCSTAB(CS " + m("Long") + ",CSN LONG,CSNA CHAR(255),LPO char(30))"),
            "");
  EXPECT_EQ(exec("CREATE Index SYSCSTAB On SysCsTab(CS)"), "");
  EXPECT_EQ(exec("Alter Table SYSCSTAB Add F " + m("Numeric(12,2)")), "");
  EXPECT_EQ(exec("Create Index CSN On SYSCSTAB(CSN)"), "");
  EXPECT_EQ(exec("Drop Index SYSCSTAB On SYSCSTAB"), "");
  EXPECT_NE(exec("Drop Index SYSCSTAB On SYSCSTAB"), "");  // a missing index still fails
  EXPECT_EQ(exec("Drop Index SYSCSTAB.CSN"), "");
  EXPECT_EQ(exec("Insert Into SYSCSTAB(CS,CSN,F) Values(1,2,3.5)"), "");
  EXPECT_EQ(value("case when CS>1 then 'many' when CS=1 then 'one end' else 'none' end From "
                  "SYSCSTAB"),
            "one end");
}
