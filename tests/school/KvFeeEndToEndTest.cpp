// The fee module from the program's first start, on SQLite and on
// PostgreSQL: the login makes a new data file; the operator adds two fee
// items in the catalogue and a unit, a grade, a class and two students in
// the directory, each through its form; due lines for both students and a
// receipt for the first are written; then the fee statistics, the fee
// detail and the first student's ledger, opened from the template box with
// their dialogs answered, show what was paid.

#include "KvFeeEndToEndFixture.h"

#include "core/KvDate.h"
#include "school/CPc.h"
#include "school/CXxRptDoc.h"
#include "school/CXxRptOpenDlg1.h"

#include <QComboBox>

namespace {

const QStringList kItems = {QStringLiteral("学费"), QStringLiteral("书本费")};
const double kAmounts[] = {1000, 200};

}  // namespace

TEST_P(KvFeeEndToEndTest, ItemsAndTheSchoolEnteredInTheirWindowsReachTheReports) {
  KvMessageRecorder recorder;
  if (!StartUp()) {
    if (HasFailure())
      return;
    GTEST_SKIP() << "no PostgreSQL server";
  }
  EXPECT_EQ(recorder.texts(), QStringList());
  ASSERT_EQ(db()->GetKind(), GetParam());
  ASSERT_EQ(KvGetActiveDataType(), CXxDataType::Get());
  // The operators dialog of a new file, where the administrator would give
  // himself the fee module's rights.
  ASSERT_TRUE(KvGrantRights(m_app, {QStringLiteral("0081"), QStringLiteral("0082"), QStringLiteral("0083"),
                                    QStringLiteral("1801"), QStringLiteral("1810"), QStringLiteral("1812"),
                                    QStringLiteral("1814")}));

  // The catalogue: two items; the directory: a unit, a grade, a class and
  // two students.
  const QStringList items = EnterItems(kItems);
  const QStringList codes = EnterSchool("本校", "新生级", "一班", {"张三", "李四"});
  ASSERT_EQ(codes.size(), 5);
  EXPECT_EQ(codes.at(3).size(), CXxDataType::StudentCodeLen());
  EXPECT_TRUE(codes.at(4).startsWith(codes.at(2)) && codes.at(2).startsWith(codes.at(1)) &&
              codes.at(1).startsWith(codes.at(0)));

  // Due lines for both students in their grade's first term, and the first
  // student's receipt paying them in full.
  const QString today = KvNowText(QStringLiteral("%Y%m%d"));
  const QString year = today.left(4);
  CPc due;
  due.F = 1;
  due.T = today;
  due.DH = CPc::NextVoucherNo(1, year, db());
  due.Opr0 = CPc::CurrentOperator();
  EXPECT_EQ(due.Opr0, QStringLiteral("101"));
  const QString receiptNo = CPc::NextVoucherNo(-1, year, db());
  QList<CPc> receipt;
  for (int student : {3, 4})
    for (int i = 0; i < 2; ++i) {
      due.STD = codes.at(student);
      due.COST = items.at(i);
      due.My = kAmounts[i];
      ASSERT_TRUE(due.Insert(db()));
      if (student == 3) {
        CPc paid = due;
        paid.F = -1;
        paid.DH = receiptNo;
        receipt.append(paid);
      }
    }
  ASSERT_TRUE(CPc::InsertVoucher(receipt, db()));
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From PC Where F=1 And QC=0")), QStringList{"4"});
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From PC Where F=-1 And QC=0")), QStringList{"2"});

  // The statistics of what was paid, down to the classes, in the year and
  // season of term 0: the grade's start year and the season it starts in.
  const QString start = Column(QStringLiteral("Select XQT0 From STD Where KNO='%1'").arg(codes.at(1))).value(0);
  const int season = Column(QStringLiteral("Select XQL From STD Where KNO='%1'").arg(codes.at(1))).value(0).toInt();
  CXxRptDoc* doc = Open<CXxRptDoc>(259, [&](QDialog* dialog) {
    EXPECT_EQ(dialog->objectName(), QStringLiteral("dlg_960"));
    KvSetField(dialog, CXxRptOpenDlg1::IDC_YEAR, start.left(4));
    KvPress(dialog, season == 1 ? CXxRptOpenDlg1::IDC_SPRING : CXxRptOpenDlg1::IDC_AUTUMN);
    auto* depth = KvDlgItem<QComboBox>(dialog, CXxRptOpenDlg1::IDC_DEPTH);
    depth->setCurrentIndex(depth->findText(QStringLiteral("班")));
    KvPress(dialog, KV_IDOK);
  });
  ASSERT_NE(doc, nullptr);
  QStringList classRow;
  for (int row = 0; row < doc->GetRowCount(); ++row)
    if (doc->RowKey(row) == codes.at(2))
      classRow = KvShownCells(doc, row);
  EXPECT_EQ(classRow.mid(1), (QStringList{"1", "1000.00", "200.00", "1200.00"}));
  EXPECT_EQ(classRow.value(0).trimmed(), QStringLiteral("一班"));
  doc->OnCloseDocument();

  // The fee detail of the year lists the receipt.
  doc = Open<CXxRptDoc>(257, [&](QDialog* dialog) {
    EXPECT_EQ(dialog->objectName(), QStringLiteral("dlg_959"));
    KvSetField(dialog, 1054, year);
    KvSetField(dialog, 1060, year);
    KvPress(dialog, KV_IDOK);
  });
  ASSERT_NE(doc, nullptr);
  ASSERT_EQ(doc->GetRowCount(), 1);
  EXPECT_EQ(KvShownCells(doc, 0),
            (QStringList{today.mid(4, 2), today.right(2), receiptNo, "张三", "1", "1000.00", "200.00",
                         "1200.00", "101", ""}));
  doc->OnCloseDocument();

  // The ledger of the student picked in the directory: OK goes down from
  // the unit to the class's first student and picks him.
  doc = Open<CXxRptDoc>(261, [&](QDialog* dialog) {
    EXPECT_EQ(dialog->objectName(), QStringLiteral("dlg_950"));
    for (int press = 0; press < 4 && dialog->isVisible(); ++press)
      KvPress(dialog, KV_IDOK);
  });
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_filter.strStdPrefix, codes.at(3));
  // The term, its due voucher, then the receipt; nothing owed.
  ASSERT_EQ(doc->GetRowCount(), 3);
  EXPECT_EQ(KvShownCells(doc, 0).value(4), QStringLiteral("  第1学期"));
  const QString numbers[] = {due.DH, receiptNo};
  for (int row = 1; row <= 2; ++row)
    EXPECT_EQ(KvShownCells(doc, row), (QStringList{year, today.mid(4, 2), today.right(2), numbers[row - 1], "",
                                                   "1000.00", "200.00", "1200.00", "101", ""}));
  doc->OnCloseDocument();

  EXPECT_EQ(recorder.texts(), QStringList());
}

KV_FEE_END_TO_END_SUITE(KvFeeEndToEndTest);
