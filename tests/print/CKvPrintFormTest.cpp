// Positioned printing: the receipt layout a module offers, printed with its
// macros filled and read back from the PDF at the places given in 0.1 mm;
// stored changes laid over the module's defaults; macro replacement.

#include "core/CKvCsTab.h"
#include "core/KvFormat.h"
#include "print/CKvPrintFieldDefs.h"
#include "print/CKvPrintForm.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintProviders.h"
#include "print/KvPrintTestSupport.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

namespace {

constexpr int kReceipt = 4181;

// The fee module's receipt layout with `rows` receipt rows: seven head
// fields, three per row, four at the foot; field k at x 300, y 400 + 60 k.
int receiptFields(int layoutId, CKvPrintFieldDefs& defs, int rows) {
  if (layoutId < 0) {
    defs.Add(QStringLiteral("4181"), QStringLiteral("收费收据"), QString());
    return defs.Count();
  }
  if (layoutId != kReceipt)
    return defs.Count();
  const auto add = [&](const QString& name, const QString& text) { defs.Add(name, text, QString()); };
  add(QStringLiteral("单位名称"), QStringLiteral("#kvname"));
  add(QStringLiteral("法人代表"), QStringLiteral("#kvmanager"));
  add(QStringLiteral("主管"), QStringLiteral("#kvmaster"));
  add(QStringLiteral("单号"), QStringLiteral("#dh"));
  add(QStringLiteral("收费时间"), QStringLiteral("#yy年#mm月#dd日"));
  add(QStringLiteral("交费学生"), QStringLiteral("(#xsd)#xsm"));
  add(QStringLiteral("学期"), QStringLiteral("#xq"));
  for (int i = 1; i <= rows; ++i) {
    const QString s = KvFormat(QStringLiteral("%02d"), i);
    add(KvFormat(QStringLiteral("第%d行摘要"), i), QStringLiteral("#zy") + s);
    add(KvFormat(QStringLiteral("第%d行收费项目"), i), QStringLiteral("(#fxd%1)#fxm%1").arg(s));
    add(KvFormat(QStringLiteral("第%d行金额"), i), QStringLiteral("#je") + s);
  }
  add(QStringLiteral("合计(小写)"), QStringLiteral("#hjx"));
  add(QStringLiteral("合计(大写)"), QStringLiteral("#hjd"));
  add(QStringLiteral("收费员"), QStringLiteral("(#sfd)#sfm"));
  add(QStringLiteral("复核员"), QStringLiteral("(#fhd)#fhm"));
  for (int k = 0; k < defs.Count(); ++k)
    defs.Positions[k] = KvFormat(QStringLiteral("300 %d 14 400 0 0 宋体"), 400 + 60 * k);
  return defs.Count();
}

// Installs the receipt layout provider while it lives.
class KvScopedReceiptProvider {
 public:
  explicit KvScopedReceiptProvider(int rows = 3)
      : m_previous(KvSetPrintPosFormsProvider(
            [rows](int id, CKvPrintFieldDefs& defs) { return receiptFields(id, defs, rows); })) {}
  ~KvScopedReceiptProvider() { KvSetPrintPosFormsProvider(m_previous); }

 private:
  KvPrintPosFormsFn m_previous;
};

void fillReceipt(CKvPrintForm& form) {
  form.AddMacro(QStringLiteral("#kvname"), QStringLiteral("青禾中学"));
  form.AddMacro(QStringLiteral("#kvmanager"), QStringLiteral("张校长"));
  form.AddMacro(QStringLiteral("#kvmaster"), QStringLiteral("李主任"));
  form.AddMacro(QStringLiteral("#dh"), QStringLiteral("000123"));
  form.AddMacro(QStringLiteral("#yy"), QStringLiteral("2024"));
  form.AddMacro(QStringLiteral("#mm"), QStringLiteral("03"));
  form.AddMacro(QStringLiteral("#dd"), QStringLiteral("15"));
  form.AddMacro(QStringLiteral("#xsd"), QStringLiteral("01020304"));
  form.AddMacro(QStringLiteral("#xsm"), QStringLiteral("王小明"));
  form.AddMacro(QStringLiteral("#xq"), QStringLiteral("2"));
  form.AddMacro(QStringLiteral("#zy01"), QStringLiteral("春季"));
  form.AddMacro(QStringLiteral("#fxd01"), QStringLiteral("01"));
  form.AddMacro(QStringLiteral("#fxm01"), QStringLiteral("学费"));
  form.AddMacro(QStringLiteral("#je01"), QStringLiteral("1200.00"));
  form.AddMacro(QStringLiteral("#hjx"), QStringLiteral("1200.00"));
  form.AddMacro(QStringLiteral("#hjd"), QStringLiteral("壹仟贰佰元整"));
  form.AddMacro(QStringLiteral("#sfd"), QStringLiteral("102"));
  form.AddMacro(QStringLiteral("#sfm"), QStringLiteral("赵会计"));
  form.AddMacro(QStringLiteral("#fhd"), QString());
  form.AddMacro(QStringLiteral("#fhm"), QString());
}

class CKvPrintFormTest : public KvPrintToPdfTest {
 protected:
  KvScopedReceiptProvider provider;
};

// Within 0.5 mm of the place given in 0.1 mm.
void expectAt(const KvPdfReadBack& pdf, const QString& text, int x, int y) {
  const QList<KvPdfWord> words = pdf.Find(text);
  ASSERT_EQ(words.size(), 1) << text.toStdString();
  EXPECT_NEAR(words.first().left, x / 10.0, 0.5) << text.toStdString();
  EXPECT_NEAR(words.first().top, y / 10.0, 0.5) << text.toStdString();
}

TEST_F(CKvPrintFormTest, ReceiptPrintsItsMacrosAtTheirPlacesWithoutDialogOrLog) {
  CKvPrintForm form(nullptr, kReceipt);
  ASSERT_EQ(form.Fields().size(), 20);
  fillReceipt(form);
  KvPrintAnswers answers(KvTestPdfPath());
  ASSERT_TRUE(form.Print(KV_CMD_FILE_PRINT_DIRECT));
  EXPECT_EQ(answers.printDialogs, 0);
  EXPECT_TRUE(logged.isEmpty());

  const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
  ASSERT_TRUE(pdf.ok);
  EXPECT_EQ(pdf.pages, 1);
  EXPECT_NEAR(pdf.widthMm, 210.0, 0.5);
  EXPECT_NEAR(pdf.heightMm, 297.0, 0.5);
  expectAt(pdf, QStringLiteral("青禾中学"), 300, 400);
  expectAt(pdf, QStringLiteral("000123"), 300, 400 + 60 * 3);
  expectAt(pdf, QStringLiteral("2024年03月15日"), 300, 400 + 60 * 4);
  expectAt(pdf, QStringLiteral("(01020304)王小明"), 300, 400 + 60 * 5);
  expectAt(pdf, QStringLiteral("春季"), 300, 400 + 60 * 7);
  expectAt(pdf, QStringLiteral("壹仟贰佰元整"), 300, 400 + 60 * 17);
  expectAt(pdf, QStringLiteral("()"), 300, 400 + 60 * 19);
}

TEST_F(CKvPrintFormTest, MacrosReplaceTheLongestTokenFirstAndNeverInsideAValue) {
  CKvPrintForm form(nullptr, kReceipt);
  form.AddMacro(QStringLiteral("#d"), QStringLiteral("D"));
  form.AddMacro(QStringLiteral("#dd"), QStringLiteral("15"));
  form.AddMacro(QStringLiteral("#ddx"), QStringLiteral("X"));
  form.AddMacro(QStringLiteral("#zy01"), QStringLiteral("补交#dd"));
  EXPECT_EQ(form.Expand(QStringLiteral("#ddx#dd#d#zy01")), QStringLiteral("X15D补交#dd"));
  EXPECT_EQ(form.Expand(QStringLiteral("#xq#")), QStringLiteral("#xq#"));
  form.AddMacro(QStringLiteral("#dd"), QStringLiteral("16"));
  EXPECT_EQ(form.Expand(QStringLiteral("#dd日")), QStringLiteral("16日"));
}

// The stored changes of the layouts on each back-end kind.
class KvPrintPosStoreTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_EQ(CKvCsTab(&db()).CreateTable(), 2);
  }
  void store(int csn, const QString& name, const QString& value) {
    CKvCsRec row(&db());
    row.Set(kReceipt, csn, name, value);
    ASSERT_TRUE(row.Insert());
  }
  int storedRows() { return db().GetLong(QStringLiteral("Select Count(*) From SysCsTab Where Cs=4181")); }
  static const KvPrintPosField& named(const QList<KvPrintPosField>& fields, const QString& name) {
    static const KvPrintPosField none;
    for (const KvPrintPosField& field : fields)
      if (field.name == name)
        return field;
    return none;
  }
};

TEST_P(KvPrintPosStoreTest, OnlyChangesAreStoredAndComeBackOverTheDefaults) {
  KvScopedReceiptProvider provider;
  QList<KvPrintPosField> fields;
  QList<CKvCsRec> read;
  EXPECT_TRUE(KvLoadPosFields(&db(), kReceipt, &fields, &read));
  ASSERT_EQ(fields.size(), 20);
  ASSERT_EQ(KvSavePosFields(&db(), kReceipt, fields, read, &read), KvPosSave::Saved);
  EXPECT_EQ(storedRows(), 0);

  fields[3].x = 1200;
  fields[3].y = 250;
  fields[3].text = QStringLiteral("№#dh 'x'");
  fields[6].text.clear();
  KvPrintPosField user;
  user.number = KV_POS_USER_FIELD;
  user.name = QStringLiteral("备注");
  user.text = QStringLiteral("请妥善保管");
  user.SetPosition(QStringLiteral("1500 2600 20 700 1 0 黑体"));
  fields.append(user);
  ASSERT_EQ(KvSavePosFields(&db(), kReceipt, fields, read), KvPosSave::Saved);
  EXPECT_EQ(storedRows(), 3);

  QList<KvPrintPosField> loaded;
  ASSERT_TRUE(KvLoadPosFields(&db(), kReceipt, &loaded));
  EXPECT_EQ(loaded, fields);
}

TEST_P(KvPrintPosStoreTest, StoredRowsFollowTheirFieldAndBadPositionsKeepTheDefaults) {
  // Stored under the three-row layout: "合计(小写)" was field 17.
  store(17, QStringLiteral("合计(小写)"), QStringLiteral("1500 1000 14 700 0 0 宋体\t#hjx元"));
  store(4, QStringLiteral("单号"), QStringLiteral("x y\t№#dh"));
  store(5, QStringLiteral("收费时间"), QStringLiteral("no tab at all"));
  store(30, QStringLiteral("已不存在"), QStringLiteral("100 100 14 400 0 0 宋体\tgone"));
  store(1000, QStringLiteral("坏位置"), QStringLiteral("-5 10 14 400 0 0 宋体\tbad"));
  KvScopedReceiptProvider provider(4);
  QList<KvPrintPosField> fields;
  ASSERT_TRUE(KvLoadPosFields(&db(), kReceipt, &fields));
  const QList<KvPrintPosField> defaults = KvDefaultPosFields(kReceipt);
  ASSERT_EQ(fields.size(), defaults.size());

  const KvPrintPosField& total = named(fields, QStringLiteral("合计(小写)"));
  EXPECT_EQ(total.number, 20);
  EXPECT_EQ(total.x, 1500);
  EXPECT_EQ(total.weight, 700);
  EXPECT_EQ(total.text, QStringLiteral("#hjx元"));
  EXPECT_EQ(named(fields, QStringLiteral("第4行摘要")), named(defaults, QStringLiteral("第4行摘要")));

  const KvPrintPosField& number = named(fields, QStringLiteral("单号"));
  EXPECT_EQ(number.text, QStringLiteral("№#dh"));
  EXPECT_EQ(number.PositionText(), named(defaults, QStringLiteral("单号")).PositionText());
  EXPECT_EQ(named(fields, QStringLiteral("收费时间")), named(defaults, QStringLiteral("收费时间")));

  // A save replaces the rows that show a field; the others stay as stored.
  QList<CKvCsRec> read;
  ASSERT_TRUE(KvLoadPosFields(&db(), kReceipt, &fields, &read));
  ASSERT_EQ(KvSavePosFields(&db(), kReceipt, fields, read), KvPosSave::Saved);
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From SysCsTab Where Cs=4181 And CsN In (4,5,20,30,1000)")), 5);
  EXPECT_EQ(storedRows(), 5);
}

KV_DB_KIND_TEST_SUITE(KvPrintPosStoreTest);

}  // namespace
