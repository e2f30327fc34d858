#include "formula/CKvVarList.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

namespace {

const QString kCreateJet = QStringLiteral(
    "CREATE TABLE KVVAR(nSoft Long,nNo Long,SVAR CHAR(10),SEXP CHAR(200),SNOTE CHAR(60),NTYPE "
    "Long)");

// Every KVVAR row as "soft|no|name|expression|note|type", in key order.
QStringList rows(CKvDb& db) {
  QStringList out;
  CKvQuery query(3, 0, 3, &db);
  if (!query.Open(QStringLiteral("Select nSoft,nNo,NTYPE,rtrim(SVAR),rtrim(SEXP),rtrim(SNOTE) "
                                 "From KVVAR Order By nSoft,nNo")))
    return {QStringLiteral("query failed")};
  for (; !query.IsEOF(); query.MoveNext())
    out << QString::number(query.GetLong(0)) + u'|' + QString::number(query.GetLong(1)) + u'|' +
               query.GetText(0) + u'|' + query.GetText(1) + u'|' + query.GetText(2) + u'|' +
               QString::number(query.GetLong(2));
  return out;
}

}  // namespace

TEST(CKvVarList, BuiltInsAreKeptPerModuleInNumberOrder) {
  CKvVarList::RegisterBuiltIn(9701, {3, "C", "3", "", 0});
  CKvVarList::RegisterBuiltIn(9701, {1, "A", "1", "", 0});
  CKvVarList::RegisterBuiltIn(9701, {1, "A2", "11", "", 0});  // replaces number 1
  CKvVarList::RegisterBuiltIn(9702, {1, "Other", "5", "", 0});
  CKvVarList list(9701);
  EXPECT_TRUE(list.Vars().isEmpty());
  list.Reload();
  ASSERT_EQ(list.Vars().size(), 2);
  EXPECT_EQ(list.Vars()[0].strName, "A2");
  EXPECT_EQ(list.Vars()[1].strName, "C");
  EXPECT_NE(list.Find("a2"), nullptr);
  EXPECT_EQ(list.Find("A"), nullptr);
  EXPECT_EQ(list.Find("Other"), nullptr);
}

class CKvVarListSave : public KvDbKindTest {};

TEST_P(CKvVarListSave, ReplacesTheModulesRowsAndEscapesEveryText) {
  ASSERT_TRUE(db().Execute(kCreateJet, QString(kCreateJet).replace("Long", "INT")));
  ASSERT_TRUE(db().Execute(
      "Insert Into KVVAR(nSoft,nNo,SVAR,SEXP,SNOTE,NTYPE) Values(9801,1,'旧','1','',0)"));
  ASSERT_TRUE(db().Execute(
      "Insert Into KVVAR(nSoft,nNo,SVAR,SEXP,SNOTE,NTYPE) Values(9802,1,'别的','2','',0)"));

  CKvVarList::RegisterBuiltIn(9801, {1, "学费", "1200", "每学期学费", 0});
  // Quotes stay data; texts wider than their columns are cut by width
  // without splitting a character.
  CKvVarList::RegisterBuiltIn(9801, {2, "O'折扣率A率", "MAX(1,2)*'", QString(40, u'注'), 3});
  CKvVarList list(9801);
  list.Reload();
  ASSERT_TRUE(list.Save(&db()));
  ASSERT_TRUE(list.Save(&db()));  // saving again leaves one row per number

  EXPECT_EQ(rows(db()).join(u'\n').toStdString(),
            QStringList({
                            "9801|1|学费|1200|每学期学费|0",
                            "9801|2|O'折扣率A|MAX(1,2)*'|" + QString(30, u'注') + "|3",
                            "9802|1|别的|2||0",
                        })
                .join(u'\n')
                .toStdString());
}

TEST_P(CKvVarListSave, StopsAtTheFirstFailedStatement) {
  KvMessageRecorder recorder;
  CKvVarList::RegisterBuiltIn(9803, {1, "A", "1", "", 0});
  CKvVarList list(9803);
  list.Reload();
  EXPECT_FALSE(list.Save(&db()));  // no KVVAR table
  EXPECT_EQ(recorder.messages().size(), 1);
  EXPECT_FALSE(list.Save(nullptr));
}

KV_DB_KIND_TEST_SUITE(CKvVarListSave);
