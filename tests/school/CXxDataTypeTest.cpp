// The fee module's descriptor: its registration in the program, its tables,
// catalogues and print defaults, the structure parameters and the level
// arithmetic, and the guard against parameters changed elsewhere.

#include "KvSchoolTestSupport.h"

#include "app/CKvDataType.h"
#include "core/CKvCsRec.h"
#include "core/KvMessage.h"
#include "print/CKvPrintFieldDefs.h"
#include "print/CKvPrintSet.h"
#include "school/CXxDataType.h"
#include "ui/KvAppServices.h"
#include "school/KvSchoolTables.h"

#include <gtest/gtest.h>

class CXxDataTypeTest : public KvSchoolDbTest {};

TEST_P(CXxDataTypeTest, StoredParametersAndLevelArithmetic) {
  // Without rows the defaults stand: four levels of 1, 4, 1, 2; students
  // of 8 characters.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From SysCsTab Where Cs=4180")));
  CXxDataType* type = CXxDataType::Get();
  ASSERT_TRUE(type->ReloadParams(pdb()));
  EXPECT_EQ(CXxDataType::MgmtLevelsRef(), 1);
  EXPECT_EQ(CXxDataType::MultiClassRef(), 1);
  EXPECT_EQ(CXxDataType::ReceiptRowsRef(), 3);
  EXPECT_EQ(CXxDataType::LevelCount(), 4);
  EXPECT_EQ(CXxDataType::StudentCodeLen(), 8);
  EXPECT_EQ(CXxDataType::CodeLenOfLevel(-1), 0);
  EXPECT_EQ(CXxDataType::LevelOfCode(QString()), 0);
  EXPECT_EQ(CXxDataType::LevelOfCode(QStringLiteral("1")), 1);
  EXPECT_EQ(CXxDataType::LevelOfCode(QStringLiteral("12")), 2);
  EXPECT_EQ(CXxDataType::LevelOfCode(QStringLiteral("123456789")), 5);

  // M = 2, m = 0 stores CsN 0, 1, 2 and the lengths of the four levels in
  // use; a non-numeric or missing length of a level in use reads as 2.
  type->m_params.nMgmtLevels = 2;
  type->m_params.nMultiClass = 0;
  ASSERT_TRUE(type->SaveParams(pdb()));
  EXPECT_EQ(Column(QStringLiteral("Select CsN From SysCsTab Where Cs=4180 Order By CsN")),
            (QStringList{"0", "1", "2", "10", "11", "12", "13"}));
  EXPECT_EQ(Column(QStringLiteral("Select CsNa From SysCsTab Where Cs=4180 And CsN=12")), QStringList{"第2级码长"});
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SysCsTab Set CsVal='x' Where Cs=4180 And CsN=11")));
  ASSERT_TRUE(type->ReloadParams(pdb()));
  EXPECT_EQ(CXxDataType::CodeLenRef(1), 2);
}

TEST_P(CXxDataTypeTest, SavingParametersIsAllOrNothing) {
  CXxDataType* type = CXxDataType::Get();
  const CXxDataType::Params stored = type->m_params;
  ExpectAllOrNothing([&] {
    type->m_params = stored;
    type->m_params.nReceiptRows = 5;
    type->m_params.nCodeLen[3] = 4;
    const bool ok = type->SaveParams(pdb());
    if (!ok)
      type->ReloadParams(pdb());
    return ok;
  });
  type->ReloadParams(pdb());
  EXPECT_EQ(CXxDataType::ReceiptRowsRef(), 5);
  EXPECT_EQ(CXxDataType::CodeLenRef(3), 4);
}

TEST_P(CXxDataTypeTest, ParametersChangedElsewhereStopTheWork) {
  KvMessageRecorder recorder;
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  EXPECT_EQ(CXxDataType::CheckParamChange(true, pdb()), 0);
  CKvCsRec rec(&other);
  ASSERT_TRUE(rec.Delete(4180, 2));
  rec.Set(4180, 2, QStringLiteral("收费单据行数"), QStringLiteral("4"));
  ASSERT_TRUE(rec.Insert());
  EXPECT_EQ(CXxDataType::CheckParamChange(false, pdb()), 1);
  EXPECT_EQ(CXxDataType::ReceiptRowsRef(), 4);
  EXPECT_TRUE(recorder.messages().isEmpty());

  // With stop: the message, the connection closed, the program asked to
  // quit (never ended on the spot).
  ASSERT_TRUE(rec.Delete(4180, 2));
  rec.Set(4180, 2, QStringLiteral("收费单据行数"), QStringLiteral("6"));
  ASSERT_TRUE(rec.Insert());
  int quits = 0;
  const KvQuitFn previous = KvSetQuitHandler([&quits](int code) {
    EXPECT_EQ(code, 0);
    ++quits;
  });
  EXPECT_EQ(CXxDataType::CheckParamChange(true, pdb()), 1);
  KvSetQuitHandler(previous);
  EXPECT_EQ(quits, 1);
  EXPECT_FALSE(pdb()->IsOpen());
  EXPECT_EQ(recorder.last(), QStringLiteral("系统参数发生了变化，软件将被迫关闭！"));
  EXPECT_EQ(recorder.messages().last().icon(), unsigned(KV_MB_ICONSTOP));
}

TEST_P(CXxDataTypeTest, TablesAreCreatedOnlyWhenMissing) {
  for (const char* table : {"STD", "COST", "PC", "WKJH", "SBTTCHR", "PK"})
    EXPECT_TRUE(pdb()->TableExists(QString::fromLatin1(table))) << table;
  // Creating again changes nothing and reports nothing.
  KvMessageRecorder recorder;
  EXPECT_TRUE(CXxDataType::Get()->CreateTables(pdb()));
  EXPECT_TRUE(recorder.messages().isEmpty());
  // A PC without its indexes keeps lacking them.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Drop Table PC")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table PC(T Char(8),DH Char(5),Mry Char(60),COST Char(2),"
                                            "STD Char(15),QC Long,F Long,My Double,Opr0 Char(3),Opr1 Char(3),"
                                            "LPR Long,FS Char(1))")));
  EXPECT_TRUE(KvCreateSchoolTables(pdb()));
  QStringList indexes;
  pdb()->GetColumnIndexes(&indexes, QStringLiteral("PC"), QStringLiteral("T"));
  EXPECT_TRUE(indexes.isEmpty());
}

TEST_P(CXxDataTypeTest, CataloguesAndPrintDefaults) {
  CXxDataType* type = CXxDataType::Get();
  EXPECT_EQ(type->GetModule(), 18);
  EXPECT_EQ(type->m_nMenuId, 325);
  QStringList codes;
  QStringList names;
  type->GetModuleRights(codes, names);
  EXPECT_EQ(codes, (QStringList{"01", "02", "03", "04", "05", "06", "07", "10", "14", "11", "12", "13"}));
  EXPECT_EQ(names.at(8), QStringLiteral("学生交费明细账"));
  codes.clear();
  names.clear();
  type->GetSharedRights(codes, names);
  EXPECT_EQ(codes, (QStringList{"0080", "0081", "0082", "0083"}));

  KvCodeRefs refs;
  type->GetCodeReferences(QStringLiteral("OPR"), refs);
  EXPECT_EQ(refs.Tables, (QStringList{"PC", "PC"}));
  EXPECT_EQ(refs.Columns, (QStringList{"OPR0", "OPR1"}));
  KvCodeRefs none;
  type->GetCodeReferences(QStringLiteral("KVDW"), none);
  EXPECT_EQ(none.Count(), 0);

  QList<int> items;
  QStringList captions;
  QStringList tables;
  type->GetCarryItems(items, captions, tables);
  EXPECT_EQ(items, (QList<int>{0, 1, 2}));
  EXPECT_EQ(tables, (QStringList{"STD", "COST", "PC"}));

  CKvPrintSet set;
  type->GetDefaultPrintSet(256, QStringLiteral("0"), set);
  EXPECT_EQ(set.PageRow, 22);
  EXPECT_EQ(set.PageLeft, 150);
  EXPECT_EQ(set.PageTop, 250);
  EXPECT_EQ(set.PageRight, 100);
  EXPECT_EQ(set.PageBottom, 200);
  EXPECT_EQ(set.PageCopies, 0);
  EXPECT_EQ(set.Fonts[CKvPrintSet::TextFont].height, -12);

  // The receipt layout: 7 + 3 x 3 + 4 fields with the default three rows.
  CKvPrintFieldDefs layouts;
  type->GetPrintPosForms(-1, layouts);
  EXPECT_EQ(layouts.Names, QStringList{"4181"});
  EXPECT_EQ(layouts.Texts, QStringList{"收费收据"});
  CKvPrintFieldDefs fields;
  type->GetPrintPosForms(4181, fields);
  ASSERT_EQ(fields.Count(), 20);
  EXPECT_EQ(fields.Texts.at(7), QStringLiteral("#zy01"));
  EXPECT_EQ(fields.Texts.at(8), QStringLiteral("(#fxd01)#fxm01"));
  EXPECT_EQ(fields.Names.at(9), QStringLiteral("第1行金额"));
  EXPECT_EQ(fields.Texts.last(), QStringLiteral("(#fhd)#fhm"));
  EXPECT_EQ(fields.Positions.first(), QStringLiteral("300 400 14 400 0 0 宋体"));
  EXPECT_EQ(fields.Positions.last(), QStringLiteral("300 1540 14 400 0 0 宋体"));
}

KV_DB_KIND_TEST_SUITE(CXxDataTypeTest);
