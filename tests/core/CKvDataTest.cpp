// The typed record: its field description, its own Where and Order By
// clauses, selects by mode, key comparison, reference and delete checks, on
// each back-end kind.

#include "core/CKvData.h"
#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

namespace {
// A row of a code tree: level, rate, code, name and a free text.
class CTreeRec : public CKvData {
 public:
  CTreeRec() {
    m_lValues = {0};
    m_dValues = {0.0};
    m_sValues = {QString(), QString(), QString()};
  }
  CTreeRec(CKvDb* db, const QString& code, const QString& name = QString()) : CTreeRec() {
    m_pDb = db;
    m_sValues[0] = code;
    m_sValues[1] = name;
  }
  CKvData* Clone() const override { return new CTreeRec(*this); }
  void GetFieldNames(int nWhat, QStringList* names) override {
    switch (nWhat) {
      case KV_DATA_LONG_NAMES: *names = {QStringLiteral(" |LVL ")}; break;
      case KV_DATA_DOUBLE_NAMES: *names = {QStringLiteral("RATE")}; break;
      case KV_DATA_TEXT_NAMES:
        *names = {QStringLiteral("#-#CODE"), QStringLiteral("?NA"), QStringLiteral("NOTE")};
        break;
      case KV_DATA_TABLE_NAME: *names = {QStringLiteral("TREE")}; break;
    }
  }
  void GetReferences(QStringList* jet, QStringList* server) override {
    const QString code = m_pDb ? m_pDb->QuoteText(m_sValues[0]) : m_sValues[0];
    *jet = m_references;
    for (QString& tail : *jet)
      tail.replace(QStringLiteral("%CODE%"), code);
    *server = QStringList(jet->size(), QString());
  }

  QStringList m_references;
};

// Like CTreeRec without a level field.
class CFlatTreeRec : public CTreeRec {
 public:
  using CTreeRec::CTreeRec;
  CKvData* Clone() const override { return new CFlatTreeRec(*this); }
  void GetFieldNames(int nWhat, QStringList* names) override {
    CTreeRec::GetFieldNames(nWhat, names);
    if (nWhat == KV_DATA_LONG_NAMES)
      *names = {QStringLiteral("LVL")};
  }
};

// A derived class that forgot to give its own Clone.
class CNoCloneRec : public CTreeRec {
 public:
  using CTreeRec::CTreeRec;
};

// Keys of each type: an integer, a double and a text.
class CKeyRec : public CKvData {
 public:
  CKeyRec() {
    m_lValues = {0};
    m_dValues = {0.0};
    m_sValues = {QString(), QString()};
  }
  CKvData* Clone() const override { return new CKeyRec(*this); }
  void GetFieldNames(int nWhat, QStringList* names) override {
    switch (nWhat) {
      case KV_DATA_LONG_NAMES: *names = {QStringLiteral("#K")}; break;
      case KV_DATA_DOUBLE_NAMES: *names = {QStringLiteral("#R")}; break;
      case KV_DATA_TEXT_NAMES: *names = {QStringLiteral("#N"), QStringLiteral("V")}; break;
      case KV_DATA_TABLE_NAME: *names = {QStringLiteral("KEYS")}; break;
    }
  }
};

// Only the names the test gives.
class CNamesRec : public CKvData {
 public:
  CKvData* Clone() const override { return new CNamesRec(*this); }
  void GetFieldNames(int nWhat, QStringList* names) override {
    if (nWhat >= 0 && nWhat < 3)
      *names = m_names[nWhat];
  }
  QStringList m_names[3];
};

QString orderBy(const CKvData& record, int field, const QString& separator,
                const QStringList& names, int mode) {
  QString order = QStringLiteral("unchanged");
  record.BuildOrderBy(&order, field, separator, names, mode);
  return order;
}
}  // namespace

TEST(CKvData, FieldMarksGiveKeysCodeNameAndLevel) {
  CTreeRec record;
  const KvDataFields fields = record.BuildFields();
  EXPECT_EQ(fields.strTable, QStringLiteral("TREE"));
  EXPECT_EQ(fields.names, (QStringList{"LVL", "RATE", "CODE", "NA", "NOTE"}));
  EXPECT_EQ(fields.keys, (QList<int>{0, 0, 1, 0, 0}));
  EXPECT_EQ(fields.nLong, 1);
  EXPECT_EQ(fields.nDouble, 1);
  EXPECT_EQ(fields.nText, 3);
  EXPECT_EQ(fields.nCodeField, 0);
  EXPECT_EQ(fields.nNameField, 1);
  EXPECT_EQ(fields.nLevelField, 0);
  EXPECT_EQ(fields.strSeparator, QStringLiteral("-"));

  // Only the first code, name and level marks count; a "#" on an integer
  // sets the separator without making a code field.
  CNamesRec marks;
  marks.m_names[0] = {QStringLiteral("#.#A"), QStringLiteral("|B"), QStringLiteral("|C")};
  marks.m_names[2] = {QStringLiteral("?X"), QStringLiteral("?Y"), QStringLiteral("#/#Z"),
                      QStringLiteral("#:#W")};
  const KvDataFields other = marks.BuildFields();
  EXPECT_EQ(other.names, (QStringList{"A", "B", "C", "X", "Y", "Z", ":#W"}));
  EXPECT_EQ(other.nLevelField, 1);
  EXPECT_EQ(other.nNameField, 0);
  EXPECT_EQ(other.nCodeField, 2);
  EXPECT_EQ(other.strSeparator, QStringLiteral("/"));
}

TEST(CKvData, WhereClauseOfKeys) {
  CNamesRec none;
  EXPECT_EQ(none.BuildWhere(none.BuildFields(), 0), QString());
  EXPECT_EQ(orderBy(none, -1, QString(), {}, 1), QString());

  CNamesRec two;
  two.m_names[0] = {QStringLiteral("#K")};
  two.m_names[2] = {QStringLiteral("#N")};
  two.m_lValues = {5};
  two.m_sValues = {QStringLiteral("x")};
  EXPECT_EQ(two.BuildWhere(two.BuildFields(), 0), QStringLiteral("Where K=5 And N='x'"));

  // Text keys are quoted; a double key matches within the tolerance.
  CKeyRec keys;
  keys.m_lValues = {-3};
  keys.m_dValues = {-2.5};
  keys.m_sValues = {QStringLiteral("O'Neil"), QStringLiteral("not a key")};
  EXPECT_EQ(keys.BuildWhere(keys.BuildFields(), 0),
            QStringLiteral("Where K=-3 And Abs(R-(-2.5))<=0.0000001 And N='O''Neil'"));
}

TEST(CKvData, WhereClauseOfTheCodeTreeByModeAndDialect) {
  CKvDb server(2);
  CTreeRec record(nullptr, QStringLiteral("1-2"));
  const KvDataFields fields = record.BuildFields();
  EXPECT_EQ(record.BuildWhere(fields, 0), QStringLiteral("Where CODE='1-2'"));
  EXPECT_EQ(record.BuildWhere(fields, 1),
            QStringLiteral("Where (CODE='1-2' Or CODE Like '1-2-*')"));
  EXPECT_EQ(record.BuildWhere(fields, 2), QStringLiteral("Where CODE Like '1-2-*' And  LVL=3"));
  record.m_pDb = &server;
  EXPECT_EQ(record.BuildWhere(fields, 2), QStringLiteral("Where CODE ILike '1-2-%' And  LVL=3"));

  record.m_sValues[0].clear();
  EXPECT_EQ(record.BuildWhere(fields, 1), QString());
  EXPECT_EQ(record.BuildWhere(fields, 2), QStringLiteral("Where LVL=1"));

  CFlatTreeRec flat(nullptr, QStringLiteral("1"));
  const KvDataFields flatFields = flat.BuildFields();
  EXPECT_EQ(flat.BuildWhere(flatFields, 2),
            QStringLiteral("Where CODE Like '1-*' And CODE Not Like '1-*-*'"));
  flat.m_sValues[0].clear();
  EXPECT_EQ(flat.BuildWhere(flatFields, 2), QString());

  // Wildcards in a code match only themselves.
  CTreeRec wild(nullptr, QStringLiteral("a_%*"));
  EXPECT_EQ(wild.BuildWhere(fields, 1), QStringLiteral("Where (CODE='a_%*' Or CODE Like 'a_%[*]-*')"));
  wild.m_pDb = &server;
  EXPECT_EQ(wild.BuildWhere(fields, 1),
            QStringLiteral("Where (CODE='a_%*' Or CODE ILike 'a\\_\\%*-%')"));
}

TEST(CKvData, OrderByClauseByModeAndDialect) {
  CTreeRec record(nullptr, QStringLiteral("12"));
  const QStringList names{QStringLiteral("CODE")};
  EXPECT_EQ(orderBy(record, 0, QStringLiteral("-"), names, 0), QString());
  EXPECT_EQ(orderBy(record, -1, QStringLiteral("-"), names, 2), QString());
  EXPECT_EQ(orderBy(record, 0, QStringLiteral("-"), names, 1), QStringLiteral("Order By CODE"));
  EXPECT_EQ(orderBy(record, 0, QString(), names, 2), QStringLiteral("Order By CODE"));
  EXPECT_EQ(orderBy(record, 0, QStringLiteral("-"), names, 2),
            QStringLiteral("Order By Val(Rtrim(Mid(Mid(CODE,4),1,"
                           "iif(Instr(1,Mid(CODE,4),'-',0)>0,Instr(1,Mid(CODE,4),'-',0),1000)-1)))"));
  CKvDb server(1);
  record.m_pDb = &server;
  EXPECT_EQ(orderBy(record, 0, QStringLiteral("-"), names, 2),
            QStringLiteral("Order By Cast('0' || Coalesce(substring(substring(CODE,4) "
                           "from '^[0-9]+'),'') As NUMERIC)"));
  record.m_sValues[0].clear();
  EXPECT_EQ(orderBy(record, 0, QStringLiteral("-"), names, 2),
            QStringLiteral("Order By Cast('0' || Coalesce(substring(substring(CODE,1) "
                           "from '^[0-9]+'),'') As NUMERIC)"));
}

TEST(CKvData, JoinNamesAndKeyComparison) {
  EXPECT_EQ(CKvData::JoinNames({QStringLiteral("a")}), QStringLiteral("a"));
  EXPECT_EQ(CKvData::JoinNames({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}),
            QStringLiteral("a,b,c"));
  EXPECT_EQ(CKvData::JoinNames({}), QString());

  CKeyRec a;
  a.m_lValues = {1};
  a.m_dValues = {0.3};
  a.m_sValues = {QStringLiteral("x"), QStringLiteral("one")};
  CKeyRec b = a;
  b.m_dValues = {0.1 + 0.2};
  b.m_sValues[1] = QStringLiteral("other");  // not a key
  EXPECT_TRUE(a.CompareKeys(b));
  b.m_dValues = {0.3 + 2e-7};
  EXPECT_FALSE(a.CompareKeys(b));
  b = a;
  b.m_sValues[0] = QStringLiteral("X");
  EXPECT_FALSE(a.CompareKeys(b));
  b = a;
  b.m_lValues = {2};
  EXPECT_FALSE(a.CompareKeys(b));
}

class CKvDataDbTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_TRUE(db().Execute(QStringLiteral(
        "Create Table TREE(LVL \x07Long\x08,RATE Double,CODE Char(30),NA Char(40),NOTE Char(40))"),
        QStringLiteral(
            "Create Table TREE(LVL INT,RATE DOUBLE PRECISION,CODE Char(30),NA Char(40),NOTE Char(40))")));
    for (const auto& [code, name] : QList<std::pair<QString, QString>>{
             {"1", "一年级"}, {"1-1", "一班"}, {"1-2", "二班"}, {"1-10", "十班"},
             {"1-2-1", "甲组"}, {"2", "二年级"}, {"2-1", "一班"}, {"3", "三年级"},
             {"10", "十年级"}, {"O'K", "引号"}})
      AddRow(code, name);
  }
  void AddRow(const QString& code, const QString& name) {
    const int level = int(code.count(u'-')) + 1;
    ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into TREE(LVL,RATE,CODE,NA,NOTE) Values(") +
                             QString::number(level) + QStringLiteral(",0.1,'") +
                             db().QuoteText(code) + QStringLiteral("','") + db().QuoteText(name) +
                             QStringLiteral("','')")));
  }
  static QStringList codes(const QList<CTreeRec>& rows) {
    QStringList list;
    for (const CTreeRec& row : rows)
      list.append(row.m_sValues[0]);
    return list;
  }
};

TEST_P(CKvDataDbTest, SelectsByModeInCodeOrder) {
  CTreeRec record(&db(), QStringLiteral("1"));
  QList<CTreeRec> rows;
  EXPECT_EQ(record.Select(&rows, 0), 1);
  EXPECT_EQ(rows[0].m_sValues[1], QStringLiteral("一年级"));
  EXPECT_EQ(rows[0].m_lValues[0], 1);
  EXPECT_EQ(record.Select(&rows, 1), 5);
  EXPECT_EQ(codes(rows), (QStringList{"1", "1-1", "1-10", "1-2", "1-2-1"}));
  // The record holds the last row now.
  EXPECT_EQ(record.m_sValues[0], QStringLiteral("1-2-1"));
  // Children in the numeric order of their own segment.
  record.m_sValues[0] = QStringLiteral("1");
  EXPECT_EQ(record.Select(&rows, 2), 3);
  EXPECT_EQ(codes(rows), (QStringList{"1-1", "1-2", "1-10"}));
  CFlatTreeRec flat(&db(), QStringLiteral("1"));
  QList<CFlatTreeRec> flatRows;
  EXPECT_EQ(flat.Select(&flatRows, 2), 3);
  EXPECT_EQ(flatRows.last().m_sValues[0], QStringLiteral("1-10"));

  CTreeRec top(&db(), QString());
  EXPECT_EQ(top.Select(&rows, 2), 5);
  EXPECT_EQ(codes(rows), (QStringList{"O'K", "1", "2", "3", "10"}));

  // A quote in a key; the caller's own clauses in place of the record's.
  CTreeRec quoted(&db(), QStringLiteral("O'K"));
  EXPECT_EQ(quoted.Select(&rows, 1), 1);
  EXPECT_EQ(rows[0].m_sValues[1], QStringLiteral("引号"));
  EXPECT_EQ(record.Select(&rows, 0, QStringLiteral("Where LVL=2"), QStringLiteral("Order By CODE Desc")),
            4);
  EXPECT_EQ(rows.first().m_sValues[0], QStringLiteral("2-1"));
  // A wildcard in a code matches only itself.
  CTreeRec wild(&db(), QStringLiteral("_"));
  EXPECT_EQ(wild.Select(&rows, 1), 0);
}

TEST_P(CKvDataDbTest, LoadFirstTakesTheFirstRowAndDoubleKeysMatchWithinTheTolerance) {
  CTreeRec record(&db(), QStringLiteral("1"));
  EXPECT_EQ(record.LoadFirst(2), 3);
  EXPECT_EQ(record.m_sValues[0], QStringLiteral("1-1"));
  EXPECT_EQ(record.m_sValues[1], QStringLiteral("一班"));
  CTreeRec missing(&db(), QStringLiteral("9"), QStringLiteral("keep"));
  EXPECT_EQ(missing.LoadFirst(0), 0);
  EXPECT_EQ(missing.m_sValues[1], QStringLiteral("keep"));

  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table KEYS(K \x07Long\x08,R Double,N Char(20),V Char(20))"),
                           QStringLiteral("Create Table KEYS(K INT,R DOUBLE PRECISION,N Char(20),V Char(20))")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into KEYS(K,R,N,V) Values(1,0.1+0.2,'a''b','v')")));
  CKeyRec key;
  key.m_pDb = &db();
  key.m_lValues = {1};
  key.m_dValues = {0.3};
  key.m_sValues = {QStringLiteral("a'b"), QString()};
  EXPECT_EQ(key.LoadFirst(0), 1);
  EXPECT_EQ(key.m_sValues[1], QStringLiteral("v"));
  key.m_dValues = {0.3001};
  EXPECT_EQ(key.LoadFirst(0), 0);
}

TEST_P(CKvDataDbTest, ReferencesDecideWhetherARecordMayBeDeleted) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table STU(CLS Char(30))")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into STU(CLS) Values('O''K')")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into STU(CLS) Values('1')")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into STU(CLS) Values('2')")));
  const QStringList refs{QStringLiteral("NOTABLE Where X='%CODE%'"),
                         QStringLiteral("STU Where CLS='%CODE%'")};

  CTreeRec free(&db(), QStringLiteral("3"), QStringLiteral("三年级"));
  free.m_references = refs;
  QString reason = QStringLiteral("untouched");
  EXPECT_FALSE(free.IsReferenced());
  EXPECT_EQ(free.CanDelete(&reason), 1);
  EXPECT_EQ(reason, QStringLiteral("untouched"));

  CTreeRec quoted(&db(), QStringLiteral("O'K"), QStringLiteral("引号"));
  quoted.m_references = refs;
  EXPECT_TRUE(quoted.IsReferenced());
  EXPECT_FALSE(quoted.IsReferenced({QStringLiteral("stu")}));

  // The only child of its parent's level: 2 when the record has rows below.
  CTreeRec one(&db(), QStringLiteral("2"), QStringLiteral("二年级"));
  one.m_references = refs;
  one.m_sValues[2] = QStringLiteral("edited");
  EXPECT_EQ(one.CanDelete(&reason), 2);
  EXPECT_EQ(reason, QStringLiteral("“二年级”已被引用，不能删除！"));
  EXPECT_EQ(one.m_sValues[2], QStringLiteral("edited"));  // the check changes nothing
  // Several rows below: refused.
  CTreeRec many(&db(), QStringLiteral("1"), QStringLiteral("一年级"));
  many.m_references = refs;
  EXPECT_EQ(many.CanDelete(&reason), 0);
  EXPECT_EQ(reason, QStringLiteral("“一年级”已被引用，不能删除！"));
  // Nothing below it: the record is gone.
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into STU(CLS) Values('3')")));
  EXPECT_EQ(free.CanDelete(&reason), 0);
  EXPECT_EQ(reason, QStringLiteral("“三年级”已不存在！"));

  // A class that cannot make a record of its own kind is refused.
  CNoCloneRec noClone(&db(), QStringLiteral("2"), QStringLiteral("二年级"));
  noClone.m_references = refs;
  EXPECT_EQ(noClone.CanDelete(&reason), 0);

  // A reference count that fails on an existing table counts as a reference.
  CTreeRec broken(&db(), QStringLiteral("10"), QStringLiteral("十年级"));
  broken.m_references = {QStringLiteral("STU Where NOSUCHCOLUMN=1")};
  KvMessageRecorder recorder;
  EXPECT_TRUE(broken.IsReferenced());
  EXPECT_TRUE(recorder.messages().isEmpty());
}

KV_DB_KIND_TEST_SUITE(CKvDataDbTest);
