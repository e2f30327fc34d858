// A term's fees from the program's first start, on SQLite and on
// PostgreSQL, through the fee module's two data-entry windows: the operator
// enters two fee items and a class of one student; the class fee sheet
// saves the student's dues; the receipt window, on "新单", presets them
// when the student's code is typed, saves a partial payment after the
// shortfall question and prints it onto the pre-printed form; the paid and
// arrears statistics then show what was paid and what is still owed.

#include "KvFeeEndToEndFixture.h"

#include "core/KvDate.h"
#include "print/KvPrintTestSupport.h"
#include "school/CPc.h"
#include "school/CXxDjDoc0.h"
#include "school/CXxDjDoc2.h"
#include "school/CXxDjFrmView.h"
#include "school/CXxDjListView.h"
#include "school/CXxDjOpenDlg.h"
#include "school/CXxRptDoc.h"
#include "school/CXxRptOpenDlg1.h"
#include "ui/CKvEdit.h"
#include "ui/KvUiTestSupport.h"

#include <QComboBox>

class KvFeeWindowsEndToEndTest : public KvFeeEndToEndTest {
 protected:
  // The fee lines of the kind (1 due, -1 paid) as "number student item
  // amount print-count".
  QStringList Lines(int kind) {
    QList<CPc> lines;
    CPc::Select(QStringLiteral("Where F=%1").arg(kind), QStringLiteral("Order By COST"), &lines, db());
    QStringList texts;
    for (const CPc& line : lines)
      texts << QStringLiteral("%1 %2 %3 %4 %5").arg(line.DH, line.STD, line.COST).arg(line.My).arg(line.LPR);
    return texts;
  }
  // The row of the report whose key is `code`, as shown.
  static QStringList ReportRow(const CXxRptDoc* doc, const QString& code) {
    for (int row = 0; row < doc->GetRowCount(); ++row)
      if (doc->RowKey(row) == code)
        return KvShownCells(doc, row);
    return {};
  }
  // The statistics report `flag` (259 paid, 260 owed) of this year's
  // autumn term, down to the classes.
  CXxRptDoc* OpenStatistics(int flag) {
    return Open<CXxRptDoc>(flag, [](QDialog* dialog) {
      EXPECT_EQ(dialog->objectName(), QStringLiteral("dlg_960"));
      KvSetField(dialog, CXxRptOpenDlg1::IDC_YEAR, KvNowText(QStringLiteral("%Y")));
      KvPress(dialog, CXxRptOpenDlg1::IDC_AUTUMN);
      auto* depth = KvDlgItem<QComboBox>(dialog, CXxRptOpenDlg1::IDC_DEPTH);
      depth->setCurrentIndex(depth->findText(QStringLiteral("班")));
      KvPress(dialog, KV_IDOK);
    });
  }
};

TEST_P(KvFeeWindowsEndToEndTest, DuesEnteredOnTheClassSheetArePaidAndPrintedThroughTheReceiptWindow) {
  KvMessageRecorder recorder;
  if (!StartUp()) {
    if (HasFailure())
      return;
    GTEST_SKIP() << "no PostgreSQL server";
  }
  ASSERT_EQ(db()->GetKind(), GetParam());
  ASSERT_EQ(KvGetActiveDataType(), CXxDataType::Get());
  ASSERT_TRUE(KvGrantRights(m_app, {"0081", "0082", "0083", "1801", "1802", "1803", "1805", "1806", "1812", "1813"}));

  // The items 01 and 02 in the catalogue; a unit, a grade, a class and a
  // student in the directory.
  const QStringList items = EnterItems({"学费", "书本费"});
  ASSERT_EQ(items, (QStringList{"01", "02"}));
  const QStringList levels = {"本校", "新生级", "一班"};
  const QStringList codes = EnterSchool(levels.at(0), levels.at(1), levels.at(2), {"张三"});
  ASSERT_EQ(codes.size(), 4);
  const QString klass = codes.at(2);
  const QString student = codes.at(3);
  EXPECT_EQ(recorder.texts(), QStringList());

  // The class sheet: the tree's class (each level shown as its own part
  // of the code and its name), its first term's dues; the student's 500
  // and 300 saved as one due voucher.
  auto* sheet = Open<CXxDjDoc0>(255, [](QDialog* dialog) { dialog->reject(); });
  ASSERT_NE(sheet, nullptr);
  QStringList classPath;
  for (int level = 0; level < 3; ++level)
    classPath << codes.at(level).mid(level == 0 ? 0 : codes.at(level - 1).size()) + u' ' + levels.at(level);
  KvChooseFeeNode(sheet, classPath + QStringList{"1 学期", "1 应收"});
  ASSERT_EQ(sheet->m_head.F, 1);
  EXPECT_EQ(sheet->m_head.STD, klass);
  EXPECT_EQ(sheet->m_head.QC, 0);
  ASSERT_EQ(sheet->GetRowCount(), 1);
  KvTypeFeeAmount(sheet, 0, items.at(0), QStringLiteral("500"));
  KvTypeFeeAmount(sheet, 0, items.at(1), QStringLiteral("300"));
  // Save (Ctrl+S) on the grid.
  auto* grid = sheet->FindView<CXxDjView0>();
  ASSERT_TRUE(KvCmdEnabled(grid, KV_CMD_FILE_SAVE));
  grid->ExecuteCmd(KV_CMD_FILE_SAVE);
  const QString due = sheet->m_head.DH;
  EXPECT_EQ(Lines(1), (QStringList{due + u' ' + student + " 01 500 0", due + u' ' + student + " 02 300 0"}));
  EXPECT_EQ(recorder.texts(), QStringList());

  // The receipt window opens on today through its dialog; on "新单" the
  // student's code typed presets the term and both items with what is
  // owed.
  QString offered;
  auto* receipt = Open<CXxDjDoc2>(256, [&](QDialog* dialog) {
    auto* open = qobject_cast<CXxDjOpenDlg*>(dialog);
    ASSERT_NE(open, nullptr) << qPrintable(dialog->objectName());
    EXPECT_EQ(dialog->objectName(), QStringLiteral("dlg_957"));
    offered = open->m_strDate;
    KvPress(dialog, KV_IDOK);
  });
  ASSERT_NE(receipt, nullptr);
  const QString today = KvNowText(QStringLiteral("%Y%m%d"));
  EXPECT_EQ(offered, today);
  EXPECT_EQ(receipt->m_strDay, today);
  auto* list = receipt->FindView<CXxDjListView>();
  auto* form = receipt->FindView<CXxDjFrmView>();
  ASSERT_TRUE(list && form);
  ASSERT_EQ(list->GetNewState(), 1);
  EXPECT_EQ(list->GetItemText(list->GetFirstSelected(), 0), CXxDjListView::kNewRow);
  auto* studentEdit = KvDlgItem<CKvEdit>(form, CXxDjFrmView::IDC_STUDENT);
  studentEdit->setFocus();
  studentEdit->setText(student);
  emit studentEdit->textEdited(student);
  EXPECT_EQ(KvFieldText(form, CXxDjFrmView::IDC_TERM), QStringLiteral("1"));
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(form->ItemCombo(i)->currentData().toString(), items.at(i)) << i;
    EXPECT_EQ(form->AmountEdit(i)->text(), i == 0 ? QStringLiteral("500") : QStringLiteral("300")) << i;
  }

  // The first amount lowered to 300 by the field's calculator (F12, which
  // the main window's 计算器 carries too): the shortfall is asked and
  // answered Yes; the receipt is stored and the form is on the next one.
  ASSERT_TRUE(KvShowActive(frame()));
  form->AmountEdit(0)->setFocus();
  KvScopedCalculator calculator([](bool back, const QString& expression, QWidget*, QString* result) {
    return *result = QStringLiteral("300"), back && expression == u"500";
  });
  QTest::keyClick(form->AmountEdit(0), Qt::Key_F12);
  recorder.clear();
  recorder.script({KV_IDYES});
  KvPress(form, KV_IDOK);
  EXPECT_EQ(recorder.texts(), QStringList{"01：不足      200.00元\n保存吗？"});
  const QString number = QStringLiteral("00001");
  EXPECT_EQ(Lines(-1), (QStringList{number + u' ' + student + " 01 300 0", number + u' ' + student + " 02 300 0"}));
  EXPECT_EQ(list->GetNewState(), 1);

  // The receipt chosen in the list and printed in the positioned mode
  // (two lines on three rows) to a PDF file: the number, both amounts and
  // the total at their fields, no token left; printed once.
  list->SelectNumber(number);
  ASSERT_EQ(list->GetNewState(), 0);
  ASSERT_EQ(receipt->m_lines.size(), 3);
  EXPECT_EQ(KvDlgItem<QComboBox>(form, CXxDjFrmView::IDC_MODE)->currentText(), QStringLiteral("自定位套打"));
  {
    KvPrintAnswers answers(KvTestPdfPath(QStringLiteral("receipt")));
    KvPress(form, CXxDjFrmView::IDC_PRINT);
    EXPECT_EQ(answers.fileDialogs, 1);
    KvExpectPositionedReceipt(KvReadPdf(answers.pdfPath), number, {{"300.00", 9}, {"300.00", 12}, {"600.00", 16}});
  }
  EXPECT_EQ(Lines(-1), (QStringList{number + u' ' + student + " 01 300 1", number + u' ' + student + " 02 300 1"}));
  EXPECT_EQ(recorder.texts(), QStringList{"01：不足      200.00元\n保存吗？"});

  // This year's autumn term, by class: 600.00 paid and 200.00 owed.
  CXxRptDoc* paid = OpenStatistics(259);
  ASSERT_NE(paid, nullptr);
  const QStringList paidRow = ReportRow(paid, klass);
  ASSERT_FALSE(paidRow.isEmpty());
  EXPECT_EQ(paidRow.value(0).trimmed(), QStringLiteral("一班"));
  // Head count, the two items and the total.
  EXPECT_EQ(paidRow.mid(1), (QStringList{"1", "300.00", "300.00", "600.00"}));
  paid->OnCloseDocument();
  CXxRptDoc* owed = OpenStatistics(260);
  ASSERT_NE(owed, nullptr);
  const QStringList owedRow = ReportRow(owed, klass);
  ASSERT_FALSE(owedRow.isEmpty());
  EXPECT_EQ(owedRow.value(0).trimmed(), QStringLiteral("一班"));
  EXPECT_EQ(owedRow.mid(1), (QStringList{"1", "200.00", "", "200.00"}));
  owed->OnCloseDocument();
}

KV_FEE_END_TO_END_SUITE(KvFeeWindowsEndToEndTest);
